// Expanding and collapsing: ToggleNode with its events, heights and counters, the children it
// materialises or frees, and the bulk operations FullExpand and FullCollapse. The toggle
// animation and the scrolling that follows an expansion belong to the window layer; here a
// toggle ends with the position cache invalidated, the ranges recomputed and a repaint asked for
// through the view sink.
#include "vtree/VTInternal.h"

using namespace vtree_messages;
using vtree_errors::Assert;

bool TBaseVirtualTree::DoExpanding(PVirtualNode Node) {
    bool allowed = true;
    OnExpanding(this, Node, allowed);
    return allowed;
}

bool TBaseVirtualTree::DoCollapsing(PVirtualNode Node) {
    bool allowed = true;
    OnCollapsing(this, Node, allowed);
    return allowed;
}

void TBaseVirtualTree::DoExpanded(PVirtualNode Node) { OnExpanded(this, Node); }

void TBaseVirtualTree::DoCollapsed(PVirtualNode Node) { OnCollapsed(this, Node); }

void TBaseVirtualTree::RecalculateRanges() {
    if (FRoot->TotalHeight < FDefaultNodeHeight) FRoot->TotalHeight = FDefaultNodeHeight;
    FRangeY = static_cast<Integer>(FRoot->TotalHeight + BottomSpace - FRoot->NodeHeight);
    if (FHeader->UseColumns()) FRangeX = FHeader->Columns()->TotalWidth();
}

void TBaseVirtualTree::FinishToggle(PVirtualNode Node, bool Changed, Integer Delta) {
    if (!Changed) return;
    InvalidatePositionCache();
    if (FUpdateCount > 0) {
        RecalculateRanges();
        return;
    }
    RequestCacheValidation();
    if (!Node->FirstChild) {
        InvalidateNode(Node);
        return;
    }
    RecalculateRanges();
    const int offsetBefore = FViewport.OffsetY;
    FViewSink->UpdateScrollBars(true);
    // A collapse near the end of the tree brings the offset back: the rows above the node move.
    const bool clamped = FViewport.OffsetY != offsetBefore;
    // Rows above the node moved: the whole view changes, whether or not it scrolls.
    if (HasPaint(toChildrenAbove)) {
        if (!FStates.Contains(tsExpanding) && !FStates.Contains(tsPainting) &&
            FViewSink->ScrollAfterToggleAbove(Node, Delta))
            FViewSink->UpdateScrollBars(true);
        return FViewSink->InvalidateControl();
    }
    const bool scrolled = Node->States.Contains(vsExpanded) && HasAuto(toAutoScrollOnExpand) &&
                          !FStates.Contains(tsExpanding) && !FStates.Contains(tsPainting) &&
                          FViewSink->ScrollAfterExpansion(Node);
    if (!scrolled && !clamped) return FViewSink->InvalidateToBottom(Node);
    FViewSink->UpdateScrollBars(true);
    FViewSink->InvalidateControl();
}

bool TBaseVirtualTree::MayAnimateToggle() const {
    return FUpdateCount == 0 && FOptions->AnimationOptions().Contains(toAnimatedToggle) &&
           !FStates.Contains(tsCollapsing) && !FStates.Contains(tsExpanding) &&
           !FStates.Contains(tsPainting);
}

void TBaseVirtualTree::ToggleNode(PVirtualNode Node) {
    Assert(Node != nullptr, NodeNil);
    if (Node->States.Contains(vsDeleting) || Node->States.Contains(vsToggling)) return;
    const bool wasToggling = FStates.Contains(tsToggling);
    DoStateChange({tsToggling});
    Node->States.Include(vsToggling);
    auto leave = [&] {
        Node->States.Exclude(vsToggling);
        if (!wasToggling) DoStateChange({}, {tsToggling});
    };
    try {
        bool changed = false;
        Integer delta = 0;
        if (Node->States.Contains(vsExpanded)) {
            if (DoCollapsing(Node)) {
                changed = true;
                delta = -static_cast<Integer>(Node->TotalHeight - Node->NodeHeight);
                if (MayAnimateToggle()) FViewSink->AnimateToggle(Node, delta);
                PropagateTotalHeight(Node, Node->NodeHeight, false);
                if (Counted(Node)) FVisibleCount -= CountVisibleDescendants(Node);
                Node->States.Exclude(vsExpanded);
                DoCollapsed(Node);
                if (HasAuto(toAutoFreeOnCollapse) && Node->FirstChild) {
                    DeleteChildren(Node, false);
                    Node->States.Include(vsHasChildren);
                }
            }
        } else if (DoExpanding(Node)) {
            changed = true;
            Touch(Node, true);
            Materialise(Node, true);
            if (Node->FirstChild) {
                for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling)
                    if (IsEffectivelyVisible(child))
                        delta += static_cast<Integer>(child->TotalHeight);
                if (MayAnimateToggle()) FViewSink->AnimateToggle(Node, delta);
                Node->States.Include(vsExpanded);
                PropagateTotalHeight(Node, delta, true);
                if (Counted(Node)) FVisibleCount += CountVisibleDescendants(Node);
                DoExpanded(Node);
            }
        }
        FinishToggle(Node, changed, delta);
    } catch (...) {
        leave();
        throw;
    }
    leave();
    CheckInvariantsAfterChange();
}

void TBaseVirtualTree::SetExpanded(PVirtualNode Node, bool Value) {
    if (Node && Node != FRoot && Node->States.Contains(vsExpanded) != Value) ToggleNode(Node);
}

void TBaseVirtualTree::FullExpand(PVirtualNode Node) {
    if (!FRoot->FirstChild) return;
    if (Node == FRoot) Node = nullptr;
    DoStateChange({tsExpanding});
    BeginUpdate();
    auto leave = [this] {
        EndUpdate();
        DoStateChange({}, {tsExpanding});
    };
    try {
        PVirtualNode stop = nullptr;
        PVirtualNode run = FRoot->FirstChild;
        if (Node) {
            run = Node;
            for (PVirtualNode level = Node; level != FRoot && !stop; level = level->Parent)
                stop = level->NextSibling;
        }
        Touch(run, true);
        for (; run && run != stop; run = GetNext(run))
            if (!run->States.Contains(vsExpanded)) ToggleNode(run);
    } catch (...) {
        leave();
        throw;
    }
    leave();
}

void TBaseVirtualTree::FullCollapse(PVirtualNode Node) {
    if (!FRoot->FirstChild) return;
    if (Node == FRoot) Node = nullptr;
    DoStateChange({tsCollapsing});
    BeginUpdate();
    auto leave = [this] {
        EndUpdate();
        DoStateChange({}, {tsCollapsing});
    };
    auto collapse = [this](PVirtualNode run) {
        if (run->States.Contains(vsExpanded) && run->States.Contains(vsHasChildren))
            ToggleNode(run);
    };
    try {
        for (PVirtualNode run = GetLastVisibleNoInit(Node, true, false); run && run != Node;
             run = GetPreviousNoInit(run, false))
            collapse(run);
        if (Node) collapse(Node);
    } catch (...) {
        leave();
        throw;
    }
    leave();
}
