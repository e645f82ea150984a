// The selection: an array of the selected nodes kept sorted by node address (so membership and
// removal are binary searches and a batch is one sort plus one merge), the range anchor, the
// level and sibling constraints, and the range, toggle, select-all and invert operations. Batch
// removals only mark an entry (lowest address bit set); PackSelection drops marked entries.
//
// Invariant: the first FSelectionCount entries hold each selected node once (marked entries
// included until packed), in ascending address order.
#include "vtree/VTInternal.h"

#include <algorithm>

using namespace vtree_messages;
using vtree_errors::Assert;

namespace {
NativeUInt Address(PVirtualNode Node) { return reinterpret_cast<NativeUInt>(Node); }
bool Marked(PVirtualNode Entry) { return (Address(Entry) & 1) != 0; }
PVirtualNode Mark(PVirtualNode Node) { return reinterpret_cast<PVirtualNode>(Address(Node) | 1); }
bool ByAddress(PVirtualNode A, PVirtualNode B) { return Address(A) < Address(B); }
} // namespace

bool TBaseVirtualTree::FindNodeInSelection(PVirtualNode Node, Integer& Index, Integer LowBound,
                                           Integer HighBound) const {
    if (LowBound < 0) LowBound = 0;
    if (HighBound < 0) HighBound = static_cast<Integer>(FSelectionCount) - 1;
    auto first = FSelection.begin() + LowBound;
    auto last = FSelection.begin() + HighBound + 1;
    auto found = std::lower_bound(first, last, Node, ByAddress);
    Index = static_cast<Integer>(found - FSelection.begin());
    return found != last && *found == Node;
}

void TBaseVirtualTree::ResetRangeAnchor() {
    FRangeAnchor = FFocusedNode;
    FLastSelectionLevel = -1;
}

void TBaseVirtualTree::PackSelection() {
    if (FSelectionCount == 0) return;
    std::erase_if(FSelection, Marked);
    FSelectionCount = static_cast<Cardinal>(FSelection.size());
}

void TBaseVirtualTree::InternalRemoveFromSelection(PVirtualNode Node) {
    Node->States.Exclude(vsSelected);
    Integer index;
    if (FindNodeInSelection(Node, index, -1, -1)) FSelection[index] = Mark(Node);
}

void TBaseVirtualTree::MergeIntoSelection(TNodeArray& Nodes) {
    PackSelection();
    std::sort(Nodes.begin(), Nodes.end(), ByAddress);
    TNodeArray merged;
    merged.reserve(FSelection.size() + Nodes.size());
    std::merge(FSelection.begin(), FSelection.end(), Nodes.begin(), Nodes.end(),
               std::back_inserter(merged), ByAddress);
    FSelection = std::move(merged);
    FSelectionCount = static_cast<Cardinal>(FSelection.size());
}

bool TBaseVirtualTree::AddNodesInternal(TNodeArray Nodes, bool ForceInsert) {
    if (Nodes.empty()) return false;
    const bool levelRule = HasSelection(toLevelSelectConstraint);
    const bool siblingRule = HasSelection(toSiblingSelectConstraint);
    if (!ForceInsert) {
        if (levelRule && FLastSelectionLevel == -1)
            FLastSelectionLevel = static_cast<Integer>(GetNodeLevel(Nodes.front()));
        if (siblingRule && !FRangeAnchor) FRangeAnchor = Nodes.front();
    }
    auto refused = [&](PVirtualNode node) {
        if (node->States.Contains(vsSelected)) return true;
        if (ForceInsert) return false;
        return node->States.Contains(vsDisabled) ||
               (levelRule && static_cast<Integer>(GetNodeLevel(node)) != FLastSelectionLevel) ||
               (siblingRule && node->Parent != FRangeAnchor->Parent);
    };
    std::erase_if(Nodes, refused);
    std::sort(Nodes.begin(), Nodes.end(), ByAddress);
    Nodes.erase(std::unique(Nodes.begin(), Nodes.end()), Nodes.end());
    if (Nodes.empty()) return false;
    for (PVirtualNode node : Nodes) node->States.Include(vsSelected);
    MergeIntoSelection(Nodes);
    return true;
}

void TBaseVirtualTree::AddToSelection(PVirtualNode Node) {
    if (FSelectionLocked) return;
    Assert(Node != nullptr, NodeNilBang);
    if (!AddNodesInternal({Node}, false)) return;
    InvalidateNode(Node);
    Change(Node);
}

void TBaseVirtualTree::AddToSelection(const TNodeArray& Nodes, Cardinal Count, bool ForceInsert) {
    if (FSelectionLocked || Count == 0) return;
    TNodeArray given(Nodes.begin(), Nodes.begin() + std::min<std::size_t>(Count, Nodes.size()));
    if (!AddNodesInternal(given, ForceInsert)) return;
    if (Count == 1) {
        InvalidateNode(Nodes.front());
        Change(Nodes.front());
    } else {
        FViewSink->InvalidateControl();
        Change(nullptr);
    }
}

void TBaseVirtualTree::RemoveFromSelection(PVirtualNode Node) {
    if (FSelectionLocked) return;
    Assert(Node != nullptr, NodeNilBang);
    if (!Node->States.Contains(vsSelected)) return;
    Node->States.Exclude(vsSelected);
    PackSelection();
    Integer index;
    if (FindNodeInSelection(Node, index, -1, -1)) FSelection.erase(FSelection.begin() + index);
    FSelectionCount = static_cast<Cardinal>(FSelection.size());
    if (FSelectionCount == 0) ResetRangeAnchor();
    Change(Node);
}

void TBaseVirtualTree::InternalClearSelection() {
    if (FUpdateCount > 0) PackSelection();
    for (PVirtualNode node : FSelection)
        if (!Marked(node)) node->States.Exclude(vsSelected);
    FSelectionCount = 0;
    ResetRangeAnchor();
    FSelection.clear();
    FSelection.shrink_to_fit();
    DoStateChange({}, {tsClearPending});
}

void TBaseVirtualTree::ClearSelection() {
    if (FSelectionLocked || FSelectionCount == 0 || Destroying()) return;
    if (FUpdateCount == 0)
        for (PVirtualNode node : FSelection)
            if (!Marked(node)) InvalidateNode(node);
    InternalClearSelection();
    Change(nullptr);
}

void TBaseVirtualTree::FocusColumnAfterSelect() {
    TVirtualTreeColumns* columns = FHeader->Columns();
    const TColumnIndex main = FHeader->MainColumn();
    const bool focusShown = columns->IsValidColumn(FFocusedColumn) &&
                            columns->Items(FFocusedColumn)->Options().Contains(coVisible);
    if (focusShown || main < 0) return;
    const TVTColumnOptions options = columns->Items(main)->Options();
    if (options.Contains(coVisible) && options.Contains(coAllowFocus))
        FFocusedColumn = main;
    else
        FFocusedColumn = columns->GetFirstVisibleColumn(true);
}

void TBaseVirtualTree::SetSelected(PVirtualNode Node, bool Value) {
    if (FSelectionLocked || !Node || Node == FRoot) return;
    if (Node->States.Contains(vsSelected) == Value) return;
    if (Value) {
        if (FSelectionCount == 0)
            FRangeAnchor = Node;
        else if (!HasSelection(toMultiSelect))
            ClearSelection();
        AddToSelection(Node);
        FocusColumnAfterSelect();
        if (!FRangeAnchor) FRangeAnchor = Node;
    } else {
        RemoveFromSelection(Node);
        if (FSelectionCount == 0) ResetRangeAnchor();
    }
    if (FullyVisible(Node) && !IsEffectivelyHidden(Node)) InvalidateNode(Node);
}

// ---- ranges ------------------------------------------------------------------------------------

PVirtualNode TBaseVirtualTree::NormaliseRangeStart(PVirtualNode StartNode, PVirtualNode FallBack) {
    if (!StartNode) return FallBack;
    if (FullyVisible(StartNode)) return StartNode;
    PVirtualNode previous = GetPreviousVisibleNoInit(StartNode, true);
    return previous ? previous : FallBack;
}

void TBaseVirtualTree::CollectVisibleRange(PVirtualNode From, PVirtualNode To, TNodeArray& List) {
    for (PVirtualNode run = From; run; run = GetNextVisibleNoInit(run, true)) {
        List.push_back(run);
        if (run == To) break;
    }
}

void TBaseVirtualTree::SelectNodes(PVirtualNode StartNode, PVirtualNode EndNode, bool AddOnly) {
    Assert(EndNode != nullptr, EndNodeNil);
    if (FSelectionLocked) return;
    FTempNodeCache.clear();
    StartNode = NormaliseRangeStart(StartNode, GetFirstVisibleNoInit(nullptr, true, false));
    if (!StartNode) return;
    if (ComparePositions(StartNode, EndNode, true) > 0) std::swap(StartNode, EndNode);
    PVirtualNode oldAnchor = FRangeAnchor;
    if (!AddOnly) InternalClearSelection();
    CollectVisibleRange(StartNode, EndNode, FTempNodeCache);
    AddToSelection(FTempNodeCache, static_cast<Cardinal>(FTempNodeCache.size()), false);
    FTempNodeCache.clear();
    if (oldAnchor && oldAnchor->States.Contains(vsSelected)) FRangeAnchor = oldAnchor;
}

void TBaseVirtualTree::UnselectNodes(PVirtualNode StartNode, PVirtualNode EndNode) {
    if (FSelectionLocked) return;
    Assert(EndNode != nullptr, EndNodeNil);
    StartNode = NormaliseRangeStart(StartNode, FRoot->FirstChild);
    if (!StartNode) return;
    if (ComparePositions(StartNode, EndNode, true) > 0) std::swap(StartNode, EndNode);
    TNodeArray range;
    CollectVisibleRange(StartNode, EndNode, range);
    for (PVirtualNode node : range)
        if (node->States.Contains(vsSelected)) InternalRemoveFromSelection(node);
    PackSelection();
}

void TBaseVirtualTree::ToggleSelection(PVirtualNode StartNode, PVirtualNode EndNode) {
    if (FSelectionLocked) return;
    Assert(EndNode != nullptr, EndNodeNil);
    StartNode = NormaliseRangeStart(StartNode, FRoot->FirstChild);
    if (!StartNode) return;
    const int order = ComparePositions(StartNode, EndNode, true);
    if (order == 0) return;
    PVirtualNode from = order < 0 ? StartNode : EndNode;
    PVirtualNode to = order < 0 ? EndNode : StartNode;
    FTempNodeCache.clear();
    auto toggle = [this](PVirtualNode node) {
        if (node->States.Contains(vsSelected))
            InternalRemoveFromSelection(node);
        else
            FTempNodeCache.push_back(node);
    };
    if (FRangeAnchor && ComparePositions(from, FRangeAnchor, true) < 0) toggle(from);
    for (PVirtualNode run = GetNextVisibleNoInit(from, true); run && run != to;
         run = GetNextVisibleNoInit(run, true))
        toggle(run);
    if (FRangeAnchor && ComparePositions(to, FRangeAnchor, true) > 0) toggle(to);
    PackSelection();
    if (FRangeAnchor && !FRangeAnchor->States.Contains(vsSelected))
        FTempNodeCache.push_back(FRangeAnchor);
    AddToSelection(FTempNodeCache, static_cast<Cardinal>(FTempNodeCache.size()), false);
    FTempNodeCache.clear();
}

void TBaseVirtualTree::HandleClickSelection(PVirtualNode, PVirtualNode NewNode, bool Shift,
                                            bool Ctrl, bool DragPending) {
    if (Ctrl && Shift) {
        SelectNodes(FRangeAnchor, NewNode, true);
        FViewSink->InvalidateControl();
    } else if (Ctrl) {
        if (!HasSelection(toSiblingSelectConstraint)) FRangeAnchor = NewNode;
        if (DragPending)
            DoStateChange({tsToggleFocusedSelection});
        else if (NewNode->States.Contains(vsSelected))
            RemoveFromSelection(NewNode);
        else
            AddToSelection(NewNode);
    } else if (Shift) {
        if (!FRangeAnchor) FRangeAnchor = FRoot->FirstChild;
        if (FRangeAnchor) SelectNodes(FRangeAnchor, NewNode, false);
        FViewSink->InvalidateControl();
    } else {
        if (!NewNode->States.Contains(vsSelected)) AddToSelection(NewNode);
        FRangeAnchor = NewNode;
    }
}

void TBaseVirtualTree::SelectAll(bool VisibleOnly) {
    if (!HasSelection(toMultiSelect) || FSelectionLocked) return;
    FTempNodeCache.clear();
    PVirtualNode run = VisibleOnly ? GetFirstVisible(nullptr, true) : GetFirst();
    for (; run; run = VisibleOnly ? GetNextVisible(run, true) : GetNext(run))
        if (!run->States.Contains(vsSelected)) FTempNodeCache.push_back(run);
    AddToSelection(FTempNodeCache, static_cast<Cardinal>(FTempNodeCache.size()), false);
    FTempNodeCache.clear();
    FViewSink->InvalidateControl();
}

void TBaseVirtualTree::InvertSelection(bool VisibleOnly) {
    if (!HasSelection(toMultiSelect) || FSelectionLocked) return;
    FTempNodeCache.clear();
    for (PVirtualNode run = FRoot->FirstChild; run;
         run = VisibleOnly ? GetNextVisibleNoInit(run, true) : GetNextNoInit(run)) {
        if (run->States.Contains(vsSelected))
            InternalRemoveFromSelection(run);
        else
            FTempNodeCache.push_back(run);
    }
    const Cardinal before = FSelectionCount;
    PackSelection();
    bool changed = FSelectionCount != before;
    if (!FTempNodeCache.empty()) {
        AddToSelection(FTempNodeCache, static_cast<Cardinal>(FTempNodeCache.size()), false);
        FTempNodeCache.clear();
        changed = false;
    }
    FViewSink->InvalidateControl();
    if (changed) Change(nullptr);
}

bool TBaseVirtualTree::IsMouseSelecting() const {
    return FStates.Contains(tsDrawSelPending) || FStates.Contains(tsDrawSelecting);
}
