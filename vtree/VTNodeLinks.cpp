// Creating, placing and deleting nodes: child counts, AddChild, InsertNode, the linking and
// unlinking of one node, deleting subtrees and clearing the tree. Every freed node passes
// through DoFreeNode, which first drops every reference the tree keeps to it (focus, anchor,
// search, check, hot, drop, edit and height-tracking nodes, the drag selection and the recorded
// notifications), then reports it and releases its block. The one exception is Clear when no
// freed node needs reporting (see NodesFreedUnseen): it drops the references once and gives
// all blocks back together. The position cache is invalidated before any node goes, and a
// rebuild starts from its first entry, so stale entries are never read.
#include "vtree/VTInternal.h"
#include "vtree/VTStringTree.h"

#include <algorithm>
#include <typeinfo>

using namespace vtree_messages;
using vtree_errors::Assert;

namespace {

// Restores an update counter raised for the duration of a block, also on failure.
class TRaisedUpdateCount {
public:
    explicit TRaisedUpdateCount(Cardinal& Count) : FCount(Count) { ++FCount; }
    ~TRaisedUpdateCount() { --FCount; }
    TRaisedUpdateCount(const TRaisedUpdateCount&) = delete;
    TRaisedUpdateCount& operator=(const TRaisedUpdateCount&) = delete;

private:
    Cardinal& FCount;
};

} // namespace

// ---- child counts -----------------------------------------------------------------------------

void TBaseVirtualTree::AddChildren(PVirtualNode Node, Cardinal Count) {
    Cardinal index = Node->LastChild ? Node->LastChild->Index + 1 : 0;
    if (index == 0) Node->States.Include(vsHasChildren);
    Node->States -= TVirtualNodeStates{vsAllChildrenHidden, vsHeightMeasured};
    Integer heights = 0;
    for (Cardinal i = 0; i < Count; ++i) {
        PVirtualNode child = AllocateNode();
        child->Index = index++;
        child->Parent = Node;
        child->PrevSibling = Node->LastChild;
        if (Node->LastChild)
            Node->LastChild->NextSibling = child;
        else
            Node->FirstChild = child;
        Node->LastChild = child;
        ++Node->ChildCount;
        heights += child->NodeHeight;
        PropagateTotalCount(Node, 1, true);
    }
    if (Node->States.Contains(vsExpanded)) {
        PropagateTotalHeight(Node, heights, true);
        if (Counted(Node)) FVisibleCount += Count;
    }
}

void TBaseVirtualTree::ChangeChildCount(PVirtualNode Node, Cardinal NewCount) {
    if (HasMisc(toReadOnly)) return;
    if (!Node) Node = FRoot;
    if (NewCount == 0) {
        DeleteChildren(Node, false);
        return;
    }
    if (NewCount == Node->ChildCount) return;
    CancelValidation();
    if (NewCount > Node->ChildCount) {
        AddChildren(Node, NewCount - Node->ChildCount);
        if (FUpdateCount == 0 && HasAuto(toAutoSort) && FHeader->SortColumn() >= NoColumn)
            Sort(Node, FHeader->SortColumn(), FHeader->SortDirection(), true);
        InvalidatePositionCache();
    } else {
        while (Node->ChildCount > NewCount) DeleteNode(Node->LastChild, true);
    }
    CheckInvariantsAfterChange();
    if (FUpdateCount == 0) {
        RequestCacheValidation();
        FViewSink->UpdateScrollBars(true);
        FViewSink->InvalidateControl();
    }
    NotifyStructureChange(Node == FRoot ? nullptr : Node, crChildAdded);
}

void TBaseVirtualTree::SortAfterAdding(PVirtualNode Parent) {
    if (HasAuto(toAutoSort) && FHeader->SortColumn() >= NoColumn)
        Sort(Parent, FHeader->SortColumn(), FHeader->SortDirection(), true);
}

// The pointer goes into the first pointer-sized bytes of the user data area.
void TBaseVirtualTree::StoreInitialUserData(PVirtualNode Node, void* UserData) {
    if (!UserData) return;
    if (FNodeDataSize < static_cast<Integer>(sizeof(void*)))
        vtree_errors::RaiseError(vtree_errors::UserDataSpace);
    *static_cast<void**>(GetNodeData(Node)) = UserData;
    Node->States.Include(vsInitialUserData);
}

PVirtualNode TBaseVirtualTree::AddChild(PVirtualNode Parent, void* UserData) {
    if (HasMisc(toReadOnly)) return nullptr;
    FViewSink->CancelEditNode();
    if (!Parent) Parent = FRoot;
    if (!Parent->States.Contains(vsInitialized)) InitNode(Parent);
    {
        TRaisedUpdateCount raised(FUpdateCount);
        ChangeChildCount(Parent, Parent->ChildCount + 1);
    }
    Parent->States.Exclude(vsAllChildrenHidden);
    PVirtualNode result = Parent->LastChild;
    InvalidatePositionCache();
    // The node is announced before a missing user data area is reported: it stays either way.
    if (FUpdateCount == 0) {
        RequestCacheValidation();
        if (FStates.Contains(tsStructureChangePending))
            NotifyStructureChange(Parent == FRoot ? nullptr : Parent, crChildAdded);
        SortAfterAdding(Parent);
        FViewSink->InvalidateToBottom(Parent);
        FViewSink->UpdateScrollBars(true);
    }
    StoreInitialUserData(result, UserData);
    CheckInvariantsAfterChange();
    return result;
}

PVirtualNode TBaseVirtualTree::InsertNode(PVirtualNode Node, TVTNodeAttachMode Mode,
                                          void* UserData) {
    if (Mode == amNoWhere || HasMisc(toReadOnly)) return nullptr;
    FViewSink->CancelEditNode();
    if (!Node || Node == FRoot) {
        Node = FRoot;
        if (Mode == amInsertBefore) Mode = amAddChildFirst;
        if (Mode == amInsertAfter) Mode = amAddChildLast;
    }
    const bool childMode = Mode == amAddChildFirst || Mode == amAddChildLast;
    if (childMode && !Node->States.Contains(vsInitialized)) InitNode(Node);
    PVirtualNode result = AllocateNode();
    LinkNode(result, Node, Mode);
    if (FUpdateCount == 0) {
        SortAfterAdding(childMode ? Node : Node->Parent);
        FViewSink->UpdateScrollBars(true);
        FViewSink->InvalidateToBottom(Mode == amInsertBefore ? result : Node);
    }
    NotifyStructureChange(result, crNodeAdded);
    StoreInitialUserData(result, UserData);
    CheckInvariantsAfterChange();
    return result;
}

namespace {

void Renumber(PVirtualNode From, Cardinal Index) {
    for (; From; From = From->NextSibling) From->Index = Index++;
}

void LinkBefore(PVirtualNode Node, PVirtualNode Destination) {
    PVirtualNode parent = Destination->Parent;
    Node->Parent = parent;
    Node->NextSibling = Destination;
    Node->PrevSibling = Destination->PrevSibling;
    if (Destination->PrevSibling)
        Destination->PrevSibling->NextSibling = Node;
    else
        parent->FirstChild = Node;
    Destination->PrevSibling = Node;
    Renumber(Node, Destination->Index);
}

void LinkAfter(PVirtualNode Node, PVirtualNode Destination) {
    PVirtualNode parent = Destination->Parent;
    Node->Parent = parent;
    Node->PrevSibling = Destination;
    Node->NextSibling = Destination->NextSibling;
    if (Destination->NextSibling)
        Destination->NextSibling->PrevSibling = Node;
    else
        parent->LastChild = Node;
    Destination->NextSibling = Node;
    Renumber(Node, Destination->Index + 1);
}

void LinkFirstChild(PVirtualNode Node, PVirtualNode Destination) {
    Node->Parent = Destination;
    Node->PrevSibling = nullptr;
    Node->NextSibling = Destination->FirstChild;
    if (Destination->FirstChild)
        Destination->FirstChild->PrevSibling = Node;
    else
        Destination->LastChild = Node;
    Destination->FirstChild = Node;
    Renumber(Node, 0);
}

void LinkLastChild(PVirtualNode Node, PVirtualNode Destination) {
    Node->Parent = Destination;
    Node->NextSibling = nullptr;
    Node->PrevSibling = Destination->LastChild;
    Node->Index = Node->PrevSibling ? Node->PrevSibling->Index + 1 : 0;
    if (Destination->LastChild)
        Destination->LastChild->NextSibling = Node;
    else
        Destination->FirstChild = Node;
    Destination->LastChild = Node;
}

} // namespace

void TBaseVirtualTree::LinkNode(PVirtualNode Node, PVirtualNode Destination,
                                TVTNodeAttachMode Mode) {
    switch (Mode) {
    case amInsertBefore: LinkBefore(Node, Destination); break;
    case amInsertAfter: LinkAfter(Node, Destination); break;
    case amAddChildFirst: LinkFirstChild(Node, Destination); break;
    case amAddChildLast: LinkLastChild(Node, Destination); break;
    case amNoWhere: return;
    }
    PVirtualNode parent = Node->Parent;
    ++parent->ChildCount;
    parent->States.Include(vsHasChildren);
    PropagateTotalCount(parent, static_cast<Integer>(Node->TotalCount), true);
    if (parent->States.Contains(vsExpanded) && IsEffectivelyVisible(Node))
        PropagateTotalHeight(parent, static_cast<Integer>(Node->TotalHeight), true);
    if (Counted(Node)) FVisibleCount += 1 + CountVisibleDescendants(Node);
    Node->States -= TVirtualNodeStates{vsChecking, vsCutOrCopy, vsDeleting, vsClearing};
    if (parent == FRoot) return;
    if (IsEffectivelyVisible(Node))
        parent->States.Exclude(vsAllChildrenHidden);
    else if (parent->ChildCount == 1)
        parent->States.Include(vsAllChildrenHidden);
}

void TBaseVirtualTree::UnlinkNode(PVirtualNode Node, bool KeepFocus, bool Reindex) {
    Assert(Node && Node != FRoot, NeitherNilNorRoot);
    if (Node == FFocusedNode && !KeepFocus) {
        DoFocusNode(nullptr, false);
        DoFocusChanged(FFocusedNode, FFocusedColumn);
    }
    if (Node == FRangeAnchor) ResetRangeAnchor();
    PVirtualNode parent = Node->Parent;
    if (parent != FRoot && !parent->States.Contains(vsClearing)) {
        if (FUpdateCount > 0)
            DoStateChange({tsUpdateHiddenChildrenNeeded});
        else
            UpdateAllChildrenHiddenFlag(parent);
    }
    if (Node->States.Contains(vsDeleting)) return;

    Node->States.Exclude(vsChecking);
    --parent->ChildCount;
    const bool wasShown = parent->States.Contains(vsExpanded) && IsEffectivelyVisible(Node);
    const bool wasCounted = Counted(Node);
    const Cardinal below = wasCounted ? CountVisibleDescendants(Node) : 0;
    if (parent->ChildCount == 0) {
        parent->States -= TVirtualNodeStates{vsAllChildrenHidden, vsHasChildren};
        if (parent != FRoot) parent->States.Exclude(vsExpanded);
    }
    PropagateTotalCount(parent, -static_cast<Integer>(Node->TotalCount), true);
    if (wasShown) PropagateTotalHeight(parent, -static_cast<Integer>(Node->TotalHeight), true);
    if (wasCounted) FVisibleCount -= 1 + below;

    if (Node->PrevSibling)
        Node->PrevSibling->NextSibling = Node->NextSibling;
    else
        parent->FirstChild = Node->NextSibling;
    if (Node->NextSibling)
        Node->NextSibling->PrevSibling = Node->PrevSibling;
    else
        parent->LastChild = Node->PrevSibling;
    if (Reindex) Renumber(Node->NextSibling, Node->Index);
}

// ---- deleting ---------------------------------------------------------------------------------

void TBaseVirtualTree::DropFromSelection(PVirtualNode Node) {
    if (FUpdateCount > 0) {
        InternalRemoveFromSelection(Node);
        return;
    }
    const bool synch = FStates.Contains(tsSynchMode);
    if (!synch) DoStateChange({tsSynchMode});
    try {
        InternalRemoveFromSelection(Node);
        PackSelection();
        if (FSelectionCount == 0) ResetRangeAnchor();
        Change(Node);
    } catch (...) {
        if (!synch) DoStateChange({}, {tsSynchMode});
        throw;
    }
    if (!synch) DoStateChange({}, {tsSynchMode});
}

void TBaseVirtualTree::DeleteNode(PVirtualNode Node, bool Reindex) {
    if (!Node || Node == FRoot || HasMisc(toReadOnly)) return;
    Assert(!FStates.Contains(tsIterating), DeleteWhileIterating);
    PVirtualNode parent = Node->Parent;
    const bool parentClearing = parent->States.Contains(vsClearing);
    if (!parentClearing) NotifyStructureChange(parent == FRoot ? nullptr : parent, crChildDeleted);
    const int offsetX = FViewport.OffsetX, offsetY = FViewport.OffsetY;
    if (Node->States.Contains(vsSelected)) DropFromSelection(Node);
    FViewSink->InvalidateToBottom(parent);
    if (FStates.Contains(tsHint)) {
        FViewSink->CancelHint();
        DoStateChange({}, {tsHint});
    }
    // The cache may name this node: it is not consulted again before it is rebuilt.
    InvalidatePositionCache();
    DeleteChildren(Node, false);
    UnlinkNode(Node, false, Reindex);
    DoFreeNode(Node);
    if (parentClearing) return;
    UpdateAllChildrenHiddenFlag(parent);
    CheckInvariantsAfterChange(); // not while a parent's children go: that is one change
    InvalidatePositionCache();
    if (FUpdateCount > 0) return;
    RequestCacheValidation();
    FViewSink->UpdateScrollBars(true);
    if (offsetX != FViewport.OffsetX || offsetY != FViewport.OffsetY)
        FViewSink->InvalidateControl();
}

void TBaseVirtualTree::DeleteChildren(PVirtualNode Node, bool ResetHasChildren) {
    if (!Node) Node = FRoot;
    if (!Node->FirstChild || HasMisc(toReadOnly)) return;
    Assert(!FStates.Contains(tsIterating), DeleteWhileIterating);
    const int offsetX = FViewport.OffsetX, offsetY = FViewport.OffsetY;
    {
        TRaisedUpdateCount raised(FUpdateCount);
        CancelValidation();
        const bool countVisible =
            Node == FRoot || (Counted(Node) && Node->States.Contains(vsExpanded));
        Node->States.Include(vsClearing);
        for (PVirtualNode child = Node->LastChild; child;) {
            if (Node == FRoot)
                vtree_detail::PrefetchNode(HintAhead(child->Index, false), DataOffset());
            PVirtualNode previous = child->PrevSibling;
            if (countVisible && IsEffectivelyVisible(child)) --FVisibleCount;
            child->States.Include(vsDeleting);
            if (previous) previous->NextSibling = nullptr;
            Node->LastChild = previous;
            if (!previous) Node->FirstChild = nullptr;
            DeleteNode(child, true);
            child = previous;
        }
        Node->States.Exclude(vsClearing);
        if (ResetHasChildren) Node->States.Exclude(vsHasChildren);
        if (Node != FRoot) Node->States.Exclude(vsExpanded);
        Node->ChildCount = 0;
        if (Node == FRoot) {
            FRoot->TotalCount = 1;
            FRoot->TotalHeight = FDefaultNodeHeight;
        } else if (!Node->States.Contains(vsDeleting)) {
            PropagateTotalHeight(Node, Node->NodeHeight, false);
            PropagateTotalCount(Node, 1, false);
        }
        Node->FirstChild = Node->LastChild = nullptr;
    }
    // A node that keeps vsHasChildren still promises children: its button must not be hidden
    // as if they all were (invariant 7). A node that goes itself is checked once it is unlinked.
    if (Node != FRoot) UpdateAllChildrenHiddenFlag(Node);
    if (!Node->States.Contains(vsDeleting)) CheckInvariantsAfterChange();
    InvalidatePositionCache();
    if (FUpdateCount == 0) {
        PackSelection();
        RequestCacheValidation();
        FViewSink->UpdateScrollBars(true);
        if (offsetX != FViewport.OffsetX || offsetY != FViewport.OffsetY)
            FViewSink->InvalidateControl();
        else
            FViewSink->InvalidateToBottom(Node);
    }
    NotifyStructureChange(Node, crChildDeleted);
}

void TBaseVirtualTree::ForgetNode(PVirtualNode Node) {
    for (PVirtualNode* field : {&FFocusedNode, &FRangeAnchor, &FLastSearchNode, &FCheckNode,
                                &FHeightTrackNode, &FEditNode, &FDropTargetNode, &LastVCLDragTarget,
                                &FCurrentHotNode, &FLastChangedNode, &FLastSelected})
        if (*field == Node) *field = nullptr;
    // A recorded structure change moves to the nearest ancestor that may still live.
    if (FLastStructureChangeNode == Node)
        FLastStructureChangeNode = Node->Parent == FRoot ? nullptr : Node->Parent;
    std::erase(FDragSelection, Node);
}

void TBaseVirtualTree::DoFreeNode(PVirtualNode Node) {
    ForgetNode(Node);
    try {
        if (Node->States.Contains(vsInitialized) || Node->States.Contains(vsInitialUserData))
            OnFreeNode(this, Node);
        DoFinalizeNode(Node);
    } catch (...) {
        ReleaseNode(Node);
        throw;
    }
    ReleaseNode(Node);
}

void TBaseVirtualTree::DoFinalizeNode(PVirtualNode Node) { OnFinalizeNode(this, Node); }

// Whether freeing a node is seen by anyone: a handler of OnFreeNode or OnFinalizeNode, or a
// derived class, which may override DoFreeNode or DoFinalizeNode (this module's own tree classes
// are known not to).
bool TBaseVirtualTree::NodesFreedUnseen() const {
    if (OnFreeNode || OnFinalizeNode) return false;
    const std::type_info& type = typeid(*this);
    return type == typeid(TBaseVirtualTree) || type == typeid(TCustomVirtualStringTree) ||
           type == typeid(TVirtualStringTree);
}

// Clear's way of deleting every node when no freed node needs reporting: the root's counters
// are reset and the blocks given back at once instead of node by node. The view effects and
// structure changes are those DeleteChildren(root) gives inside Clear's update, each once.
void TBaseVirtualTree::FreeAllNodes() {
    if (!FRoot->FirstChild) return;
    Assert(!FStates.Contains(tsIterating), DeleteWhileIterating);
    CancelValidation();
    FViewSink->InvalidateToBottom(FRoot);
    if (FStates.Contains(tsHint)) {
        FViewSink->CancelHint();
        DoStateChange({}, {tsHint});
    }
    InvalidatePositionCache();
    // Deleting a top-level node's own children is one more structure change.
    const bool nested = FRoot->TotalCount - 1 > FRoot->ChildCount;
    FRoot->States.Exclude(vsHasChildren);
    FRoot->ChildCount = 0;
    FRoot->FirstChild = FRoot->LastChild = nullptr;
    FRoot->TotalCount = 1;
    FRoot->TotalHeight = FDefaultNodeHeight;
    FVisibleCount = 0;
    FPool->ReleaseAll();
    if (nested) NotifyStructureChange(FRoot, crChildDeleted);
    NotifyStructureChange(FRoot, crChildDeleted);
}

void TBaseVirtualTree::Clear() {
    if (HasMisc(toReadOnly) && !Destroying()) return;
    BeginUpdate();
    try {
        CancelValidation();
        FViewSink->CancelEditNode();
        if (FStates.Contains(tsCutPending) || FStates.Contains(tsCopyPending)) {
            FViewSink->EmptyClipboard();
            DoStateChange({}, {tsCutPending, tsCopyPending});
        }
        ClearSelection();
        for (PVirtualNode* field :
             {&FFocusedNode, &FLastSelected, &FCurrentHotNode, &FDropTargetNode, &LastVCLDragTarget,
              &FLastChangedNode, &FRangeAnchor, &FCheckNode, &FLastSearchNode, &FEditNode,
              &FHeightTrackNode})
            *field = nullptr;
        FDragSelection.clear();
        // The walk hint goes before any slab does: it may lead into every one of them. Freeing
        // node by node still fetches ahead with it.
        if (FSelectionCount == 0 && NodesFreedUnseen()) {
            FWalkHint = TNodeArray();
            FreeAllNodes();
        } else {
            DeleteChildren(FRoot, true);
            FWalkHint = TNodeArray();
        }
        if (FPool->LiveCount() == 0) FPool->ReleaseAll();
        FViewport.OffsetX = FViewport.OffsetY = 0;
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TBaseVirtualTree::DeleteSelectedNodes() {
    if (FSelectionCount == 0 || HasMisc(toReadOnly)) return;
    BeginUpdate();
    try {
        TNodeArray nodes = GetSortedSelection(true);
        for (std::size_t i = nodes.size() - 1; i > 0; --i)
            DeleteNode(nodes[i], nodes[i]->Parent != nodes[i - 1]->Parent);
        DeleteNode(nodes[0], true);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}
