// The node store: construction and destruction of the tree, the hidden root, allocating,
// linking and unlinking nodes, and the counters (TotalCount, TotalHeight, VisibleCount) that
// every structural change keeps up to date incrementally along the parent chain.
//
// Visible counting: a node is counted in VisibleCount when it is fully visible and neither it
// nor an ancestor is effectively hidden; CountVisibleDescendants follows the same rule, so
// every increment has its matching decrement.
//
// Invariants, kept by every operation once no update is open (BeginUpdate defers the
// all-children-hidden flags to EndUpdate) and checked by CheckInvariants (VTNodeStoreCheck.cpp):
//  1. A node's children form a doubly linked list from FirstChild to LastChild, each with the
//     node as Parent; ChildCount is its length.
//  2. Index rises along the siblings: 0, 1, 2 ... except that DeleteNode without reindexing
//     leaves a gap.
//  3. TotalCount = 1 + the children's TotalCount, shown or not; the tree's count is the root's
//     minus 1.
//  4. TotalHeight = NodeHeight + (only when vsExpanded) the TotalHeight of the effectively
//     visible children. Kept for the root and for nodes with vsVisible: a change below a node
//     without vsVisible is not added to it, and it is summed afresh when the node is shown.
//  5. Effectively hidden: vsHidden without toShowHiddenNodes. Effectively visible: vsVisible
//     and not effectively hidden. Fully visible: vsVisible, and every ancestor below the root
//     vsExpanded and vsVisible.
//  6. VisibleCount counts the nodes that are fully visible and, with every ancestor, not
//     effectively hidden.
//  7. vsAllChildrenHidden is set exactly when a node has children and none is effectively
//     visible, and clear on a node without children that has vsHasChildren. On a node with
//     neither it is never read: a new leaf leaves it clear, and UpdateAllChildrenHiddenFlag
//     sets it (the root's flag is not kept at all).
#include "vtree/VTInternal.h"

#include <cstdlib>
#include <cstring>
#include <new>

using namespace vtree_detail;
using namespace vtree_messages;
using vtree_errors::Assert;

namespace {

// The windowless stand-ins for the services.
class TNullViewSink : public IVTViewSink {};
class TNullMeasuring : public IVTMeasuringService {};

constexpr TVirtualNodeStates RootStates{vsInitialized, vsExpanded, vsHasChildren, vsVisible};

} // namespace

TBaseVirtualTree::TBaseVirtualTree(TComponent* AOwner)
    : TComponent(AOwner), FPool(new TNodePool), FNullSink(new TNullViewSink),
      FNullMeasuring(new TNullMeasuring), FViewSink(FNullSink.get()),
      FMeasuring(FNullMeasuring.get()) {
    FHeader = new TVTHeader(this);
}

TBaseVirtualTree::~TBaseVirtualTree() {
    if (FHeader) FHeader->Free();
    if (FOptions) FOptions->Free();
    if (FRoot) std::free(HeaderOf(FRoot));
}

void TBaseVirtualTree::AfterConstruction() {
    TComponent::AfterConstruction();
    if (!FOptions) FOptions = CreateOptions();
    if (!FRoot) ResetRoot();
}

void TBaseVirtualTree::BeforeDestruction() {
    TComponent::BeforeDestruction();
    if (!FOptions || !FRoot) return;
    FOptions->SetMiscOptions(FOptions->MiscOptions() - TVTMiscOptions{toReadOnly});
    CancelValidation();
    FViewSink->CancelEditNode();
    Clear();
}

TCustomVirtualTreeOptions* TBaseVirtualTree::CreateOptions() {
    return Construct<TCustomVirtualTreeOptions>(this);
}

TBaseVirtualTree* TBaseVirtualTree::OwnerOfRoot(PVirtualNode Root) noexcept {
    return Root ? HeaderOf(Root)->Owner : nullptr;
}

void TBaseVirtualTree::SetViewSink(IVTViewSink* Value) {
    FViewSink = Value ? Value : FNullSink.get();
}

void TBaseVirtualTree::SetMeasuringService(IVTMeasuringService* Value) {
    FMeasuring = Value ? Value : FNullMeasuring.get();
}

// ---- blocks -------------------------------------------------------------------------------

std::size_t TBaseVirtualTree::NodeSize() const noexcept {
    const bool userArea = FNodeDataSize > 0 && !ComponentState().Contains(csDesigning);
    return sizeof(TVirtualNode) + FTotalInternalDataSize +
           (userArea ? static_cast<std::size_t>(FNodeDataSize) : 0);
}

// (Re)creates the root block: header with the owner, record, internal data area.
void TBaseVirtualTree::ResetRoot() {
    const std::size_t size = HeaderSize + sizeof(TVirtualNode) + FTotalInternalDataSize;
    void* block = FRoot ? std::realloc(HeaderOf(FRoot), size) : std::malloc(size);
    if (!block) throw std::bad_alloc();
    std::memset(block, 0, size);
    static_cast<TBlockHeader*>(block)->Owner = this;
    FRoot = reinterpret_cast<PVirtualNode>(static_cast<Byte*>(block) + HeaderSize);
    FRoot->PrevSibling = FRoot;
    FRoot->NextSibling = FRoot;
    FRoot->States = RootStates;
    FRoot->TotalCount = 1;
    FRoot->TotalHeight = FDefaultNodeHeight;
    FRoot->NodeHeight = static_cast<Word>(FDefaultNodeHeight);
    FRoot->Align = 50;
}

Cardinal TBaseVirtualTree::AllocateInternalData(Cardinal Size) {
    Assert(!FRoot || FRoot->ChildCount == 0,
           L"Internal data allocation must be done before any node is created.");
    const Cardinal offset = sizeof(TVirtualNode) + FTotalInternalDataSize;
    // Rounded to the pointer size (4 bytes on the 32-bit build) so that the user data area,
    // which follows, stays aligned for the records owners place there.
    constexpr Cardinal granule = sizeof(void*);
    FTotalInternalDataSize += (Size + granule - 1) / granule * granule;
    if (FRoot) ResetRoot();
    return offset;
}

Integer TBaseVirtualTree::DoGetNodeDataSize() {
    Integer size = 0;
    OnGetNodeDataSize(this, size);
    return size;
}

PVirtualNode TBaseVirtualTree::AllocateNode() {
    if (FNodeDataSize == -1) FNodeDataSize = DoGetNodeDataSize();
    PVirtualNode node = FPool->Allocate(NodeSize());
    node->TotalCount = 1;
    node->TotalHeight = FDefaultNodeHeight;
    node->NodeHeight = static_cast<Word>(FDefaultNodeHeight);
    node->States = {vsVisible};
    node->Align = 50;
    return node;
}

void TBaseVirtualTree::ReleaseNode(PVirtualNode Node) { FPool->Release(Node); }

// The root is no pool block; it lives as long as the tree and has a fixed generation.
constexpr Cardinal RootGeneration = 1;

TVTNodeRef TBaseVirtualTree::NodeRef(PVirtualNode Node) const noexcept {
    if (!Node) return {};
    return {Node, Node == FRoot ? RootGeneration : FPool->Generation(Node)};
}

bool TBaseVirtualTree::IsAlive(const TVTNodeRef& Ref) const noexcept {
    if (!Ref.Node || Ref.Generation == 0) return false;
    if (Ref.Node == FRoot) return Ref.Generation == RootGeneration;
    return FPool->Generation(Ref.Node) == Ref.Generation;
}

// Raises the assertion failure of GetNodeData without a user data area.
void TBaseVirtualTree::NodeDataSizeMissing() { Assert(false, L"NodeDataSize not initialized."); }

// ---- properties ------------------------------------------------------------------------------

void TBaseVirtualTree::SetNodeDataSize(Integer Value) {
    if (Value < -1) Value = -1;
    if (Value == FNodeDataSize) return;
    if (Loading() || ComponentState().Contains(csDesigning)) {
        FNodeDataSize = Value;
        return;
    }
    // Existing blocks would keep the old layout while GetNodeData promised the new one.
    if (HasMisc(toReadOnly) && FRoot->ChildCount > 0)
        throw EInvalidOperation(L"NodeDataSize cannot change while a read-only tree holds nodes.");
    const Cardinal count = FRoot->ChildCount;
    Clear();
    FNodeDataSize = Value;
    SetRootNodeCount(count);
}

void TBaseVirtualTree::SetRootNodeCount(Cardinal Value) {
    if (Loading()) {
        FRoot->ChildCount = Value;
        DoStateChange({tsNeedRootCountUpdate});
        return;
    }
    if (Value == FRoot->ChildCount) return;
    BeginUpdate();
    try {
        CancelValidation();
        ChangeChildCount(FRoot, Value);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TBaseVirtualTree::Loaded() {
    TComponent::Loaded();
    if (!FStates.Contains(tsNeedRootCountUpdate)) return;
    DoStateChange({}, {tsNeedRootCountUpdate});
    const Cardinal count = FRoot->ChildCount;
    FRoot->ChildCount = 0;
    if (count == 0) return;
    const TVTMiscOptions misc = FOptions->MiscOptions();
    FOptions->SetMiscOptions(misc - TVTMiscOptions{toReadOnly});
    BeginUpdate();
    try {
        ChangeChildCount(FRoot, count);
    } catch (...) {
        EndUpdate();
        FOptions->SetMiscOptions(misc);
        throw;
    }
    EndUpdate();
    FOptions->SetMiscOptions(misc);
}

// ---- counters ---------------------------------------------------------------------------------

void TBaseVirtualTree::PropagateTotalCount(PVirtualNode Node, Integer Value, bool Relative) {
    if (!Relative) Value -= static_cast<Integer>(Node->TotalCount);
    if (Value == 0) return;
    for (; Node; Node = Node == FRoot ? nullptr : Node->Parent)
        Node->TotalCount = static_cast<Cardinal>(static_cast<Integer>(Node->TotalCount) + Value);
}

void TBaseVirtualTree::PropagateTotalHeight(PVirtualNode Node, Integer Value, bool Relative) {
    if (!Relative) Value -= static_cast<Integer>(Node->TotalHeight);
    if (Value == 0) return;
    while (Node->States.Contains(vsVisible)) {
        Node->TotalHeight = static_cast<Cardinal>(static_cast<Integer>(Node->TotalHeight) + Value);
        // A hidden node's height is no part of its parent's.
        if (Node == FRoot || IsEffectivelyHidden(Node)) break;
        Node = Node->Parent;
        if (!Node->States.Contains(vsExpanded)) break;
    }
}

Cardinal TBaseVirtualTree::CountVisibleDescendants(PVirtualNode Node) const {
    if (!Node->States.Contains(vsExpanded)) return 0;
    Cardinal count = 0;
    for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling)
        if (IsEffectivelyVisible(child)) count += 1 + CountVisibleDescendants(child);
    return count;
}

bool TBaseVirtualTree::Counted(PVirtualNode Node) const {
    if (!FullyVisible(Node)) return false;
    for (PVirtualNode run = Node; run != FRoot; run = run->Parent)
        if (IsEffectivelyHidden(run)) return false;
    return true;
}

void TBaseVirtualTree::UpdateAllChildrenHiddenFlag(PVirtualNode Node) {
    bool hidden = true;
    for (PVirtualNode child = Node->FirstChild; child && hidden; child = child->NextSibling)
        hidden = !IsEffectivelyVisible(child);
    // Invariant 7: no children and no promise of any also counts as all hidden.
    if (!Node->FirstChild && Node->States.Contains(vsHasChildren)) hidden = false;
    if (hidden)
        Node->States.Include(vsAllChildrenHidden);
    else
        Node->States.Exclude(vsAllChildrenHidden);
}

void TBaseVirtualTree::UpdateAllChildrenHiddenFlags() {
    for (PVirtualNode run = GetFirstNoInit(); run; run = GetNextNoInit(run))
        UpdateAllChildrenHiddenFlag(run);
}

// Recomputes heights and the visible count from scratch (after toShowHiddenNodes changed).
Cardinal TBaseVirtualTree::RecalculateSubtree(PVirtualNode Node, bool Counting) {
    Cardinal height = Node->NodeHeight;
    const bool open = Node->States.Contains(vsExpanded);
    for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling) {
        const bool shown = IsEffectivelyVisible(child);
        const bool counting = Counting && open && shown;
        if (counting) ++FVisibleCount;
        const Cardinal childHeight = RecalculateSubtree(child, counting);
        if (open && shown) height += childHeight;
    }
    if (Node->States.Contains(vsVisible) || Node == FRoot) Node->TotalHeight = height;
    return Node->TotalHeight;
}

void TBaseVirtualTree::RecalculateCounters() {
    FVisibleCount = 0;
    RecalculateSubtree(FRoot, true);
    UpdateAllChildrenHiddenFlags();
    CheckInvariantsAfterChange();
    InvalidatePositionCache();
    if (FUpdateCount == 0) {
        RequestCacheValidation();
        FViewSink->UpdateScrollBars(true);
        FViewSink->InvalidateControl();
    }
}

// ---- visibility, children flags -------------------------------------------------------------

void TBaseVirtualTree::ChangeVisibility(PVirtualNode Node, TVirtualNodeState State, bool Value) {
    Assert(Node && Node != FRoot, NeitherNilNorRoot);
    if (Node->States.Contains(State) == Value) return;
    PVirtualNode parent = Node->Parent;
    const bool open = parent->States.Contains(vsExpanded);
    if (open && IsEffectivelyVisible(Node))
        PropagateTotalHeight(parent, -static_cast<Integer>(Node->TotalHeight), true);
    if (Counted(Node)) FVisibleCount -= 1 + CountVisibleDescendants(Node);
    if (Value)
        Node->States.Include(State);
    else
        Node->States.Exclude(State);
    if (Node->States.Contains(vsVisible)) {
        Cardinal height = Node->NodeHeight;
        if (Node->States.Contains(vsExpanded))
            for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling)
                if (IsEffectivelyVisible(child)) height += child->TotalHeight;
        Node->TotalHeight = height;
    }
    if (open && IsEffectivelyVisible(Node))
        PropagateTotalHeight(parent, static_cast<Integer>(Node->TotalHeight), true);
    if (Counted(Node)) FVisibleCount += 1 + CountVisibleDescendants(Node);
    if (parent != FRoot) UpdateAllChildrenHiddenFlag(parent);
    AfterStructureChange(nullptr);
}

void TBaseVirtualTree::SetIsVisible(PVirtualNode Node, bool Value) {
    ChangeVisibility(Node, vsVisible, Value);
}

void TBaseVirtualTree::SetIsHidden(PVirtualNode Node, bool Value) {
    ChangeVisibility(Node, vsHidden, Value);
}

void TBaseVirtualTree::SetIsDisabled(PVirtualNode Node, bool Value) {
    Assert(Node && Node != FRoot, NeitherNilNorRoot);
    if (Value)
        Node->States.Include(vsDisabled);
    else
        Node->States.Exclude(vsDisabled);
    InvalidateNode(Node);
}

void TBaseVirtualTree::SetHasChildren(PVirtualNode Node, bool Value) {
    if (!Node || Node == FRoot) return;
    if (Value) {
        Node->States.Include(vsHasChildren);
        if (!Node->FirstChild) Node->States.Exclude(vsAllChildrenHidden);
    } else {
        if (Node->FirstChild) DeleteChildren(Node, true);
        Node->States.Exclude(vsHasChildren);
        UpdateAllChildrenHiddenFlag(Node);
    }
    InvalidateNode(Node);
}

// The common tail of changes that move rows: cache, scroll bars, repaint.
void TBaseVirtualTree::AfterStructureChange(PVirtualNode InvalidateFrom) {
    CheckInvariantsAfterChange();
    InvalidatePositionCache();
    if (FUpdateCount > 0) return;
    RequestCacheValidation();
    FViewSink->UpdateScrollBars(true);
    if (InvalidateFrom)
        FViewSink->InvalidateToBottom(InvalidateFrom);
    else
        FViewSink->InvalidateControl();
}

void TBaseVirtualTree::InvalidateNode(PVirtualNode Node) {
    if (Node) FViewSink->InvalidateNode(Node);
}
