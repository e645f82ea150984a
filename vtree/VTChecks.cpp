// Check states: the state a press selects next, applying a change with its events, tri-state
// boxes that follow their children and parents (toAutoTristateTracking), radio buttons that
// exclude their siblings, and the press/release protocol the input layer drives.
#include "vtree/VTInternal.h"

namespace {
constexpr TCheckState PressedState[] = {csUncheckedPressed, csUncheckedPressed, csCheckedPressed,
                                        csCheckedPressed,   csMixedPressed,     csMixedPressed};
constexpr TCheckState UnpressedState[] = {csUncheckedNormal, csUncheckedNormal, csCheckedNormal,
                                          csCheckedNormal,   csMixedNormal,     csMixedNormal};

bool IsBox(PVirtualNode Node) {
    return Node->CheckType == ctTriStateCheckBox || Node->CheckType == ctCheckBox;
}
} // namespace

TCheckState TBaseVirtualTree::NextCheckState(TCheckType CheckType, TCheckState CheckState) const {
    switch (CheckType) {
    case ctTriStateCheckBox:
    case ctCheckBox: return CheckState == csCheckedNormal ? csUncheckedNormal : csCheckedNormal;
    case ctRadioButton: return csCheckedNormal;
    case ctButton: return csUncheckedNormal;
    case ctNone: break;
    }
    return csMixedNormal;
}

bool TBaseVirtualTree::DoChecking(PVirtualNode Node, TCheckState& NewState) {
    if (HasMisc(toReadOnly)) return false;
    bool allowed = true;
    OnChecking(this, Node, NewState, allowed);
    return allowed;
}

void TBaseVirtualTree::DoChecked(PVirtualNode Node) { OnChecked(this, Node); }

void TBaseVirtualTree::CommitCheckState(PVirtualNode Node, TCheckState NewState) {
    if (ApplyCheckState(Node, NewState)) DoChecked(Node);
}

void TBaseVirtualTree::ChangeCheckState(PVirtualNode Node, TCheckState Value) {
    if (Node->CheckState == Value || Node->States.Contains(vsDisabled)) return;
    if (DoChecking(Node, Value)) CommitCheckState(Node, Value);
}

void TBaseVirtualTree::SetCheckState(PVirtualNode Node, TCheckState Value) {
    if (Node && Node != FRoot) ChangeCheckState(Node, Value);
}

void TBaseVirtualTree::SetCheckType(PVirtualNode Node, TCheckType Value) {
    if (!Node || Node == FRoot || Node->CheckType == Value) return;
    Node->CheckType = Value;
    InvalidateNode(Node);
}

bool TBaseVirtualTree::ApplyCheckState(PVirtualNode Node, TCheckState Value) {
    if (Node->States.Contains(vsChecking)) return false;
    Node->States.Include(vsChecking);
    Touch(Node, true);
    if (FCheckPropagationCount++ == 0) DoStateChange({tsCheckPropagation});
    auto leave = [&] {
        InvalidateNode(Node);
        Node->States.Exclude(vsChecking);
        if (--FCheckPropagationCount == 0) DoStateChange({}, {tsCheckPropagation});
    };
    bool result = true;
    try {
        const bool tracking = HasAuto(toAutoTristateTracking);
        const bool definite = Value == csUncheckedNormal || Value == csCheckedNormal;
        if (Node->CheckType == ctTriStateCheckBox && tracking && definite && Node->FirstChild) {
            bool anyMixed = false, anyChecked = false, anyUnchecked = false;
            for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling) {
                if (!IsBox(child)) continue;
                ChangeCheckState(child, Value);
                anyMixed |= child->CheckState == csMixedNormal;
                anyChecked |= child->CheckState == csCheckedNormal;
                anyUnchecked |= child->CheckState == csUncheckedNormal;
            }
            if (anyMixed)
                Value = csMixedNormal;
            else if (anyChecked)
                Value = anyUnchecked ? csMixedNormal : csCheckedNormal;
        }
        if (Node->CheckType == ctRadioButton && Value == csCheckedNormal) {
            for (PVirtualNode sibling = Node->Parent->FirstChild; sibling;
                 sibling = sibling->NextSibling)
                if (sibling->CheckType == ctRadioButton) sibling->CheckState = csUncheckedNormal;
            FViewSink->InvalidateControl();
        }
        Node->CheckState = Value;
        PVirtualNode parent = Node->Parent;
        Touch(parent, true);
        if (tracking && parent != FRoot && !parent->States.Contains(vsChecking) &&
            !parent->States.Contains(vsDisabled) && IsBox(Node) &&
            parent->CheckType == ctTriStateCheckBox)
            result = PropagateCheckToParent(Node, Value);
    } catch (...) {
        leave();
        throw;
    }
    leave();
    return result;
}

bool TBaseVirtualTree::PropagateCheckToParent(PVirtualNode Node, TCheckState NewState) {
    Cardinal total = 0, checked = 0;
    bool mixed = false;
    for (PVirtualNode run = Node->Parent->FirstChild; run; run = run->NextSibling) {
        if (!IsBox(run)) continue;
        const TCheckState state = run == Node ? NewState : run->CheckState;
        ++total;
        if (state == csCheckedNormal || state == csCheckedPressed) ++checked;
        mixed |= state == csMixedNormal;
    }
    TCheckState parentState = csUncheckedNormal;
    if (checked > 0 || mixed) parentState = checked < total ? csMixedNormal : csCheckedNormal;
    PVirtualNode parent = Node->Parent;
    if (!DoChecking(parent, parentState)) return false;
    CommitCheckState(parent, parentState);
    PVirtualNode grand = parent->Parent;
    if (parent != FRoot && grand != FRoot && !grand->States.Contains(vsChecking) &&
        !grand->States.Contains(vsDisabled) && grand->CheckType == ctTriStateCheckBox)
        return PropagateCheckToParent(parent, parentState);
    return true;
}

Integer TBaseVirtualTree::CheckedCount() {
    Integer count = 0;
    for (PVirtualNode run = GetFirstChecked(csCheckedNormal); run;
         run = GetNextChecked(run, csCheckedNormal))
        ++count;
    return count;
}

void TBaseVirtualTree::ClearChecked() {
    for (PVirtualNode run = GetFirstNoInit(); run; run = GetNextNoInit(run))
        if (run->CheckState != csUncheckedNormal) ChangeCheckState(run, csUncheckedNormal);
}

void TBaseVirtualTree::BeginCheckPress(PVirtualNode Node) {
    if (!Node || Node == FRoot || Node->States.Contains(vsDisabled)) return;
    TCheckState newState = NextCheckState(Node->CheckType, Node->CheckState);
    if (!DoChecking(Node, newState)) return;
    FCheckNode = Node;
    FPendingCheckState = newState;
    Node->CheckState = PressedState[Node->CheckState];
    InvalidateNode(Node);
}

void TBaseVirtualTree::EndCheckPress(bool Apply) {
    PVirtualNode node = FCheckNode;
    if (!node) return;
    FCheckNode = nullptr;
    node->CheckState = UnpressedState[node->CheckState];
    if (Apply)
        CommitCheckState(node, FPendingCheckState);
    else
        InvalidateNode(node);
}
