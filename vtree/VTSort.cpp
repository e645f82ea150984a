// Sorting sibling lists by the owner's comparisons. The sort is a stable top-down merge sort
// (first part n div 2 nodes, second part the rest; B is taken before A only on a strict
// answer), run over a temporary array of the siblings: the links are rewritten only after the
// whole merge succeeded, so a comparison that raises leaves the sibling order as it was. A
// comparator that never answers 0 is as safe as any other.
//
// A large sibling list lies scattered over memory once it was sorted, and every pass that
// follows it by its links waits for one node after the other. The merge and the relinking
// therefore fetch the nodes they will reach a few steps ahead from the array, and SortTree keeps
// the sorted array of a level while it follows that level's links, for the same purpose. The
// top level's array then stays with the tree, thinned out, as GetNext's hint (see
// VTNavigation.cpp).
#include "vtree/VTInternal.h"

#include <algorithm>

using vtree_detail::PrefetchNode;

namespace {

constexpr std::size_t PrefetchDistance = 8;

struct TMergeSort {
    TBaseVirtualTree* Tree;
    TColumnIndex Column;
    bool Descending;
    std::size_t DataOffset;
    std::vector<PVirtualNode>& Buffer;
    Integer (*Compare)(TBaseVirtualTree*, PVirtualNode, PVirtualNode, TColumnIndex);

    void Sort(PVirtualNode* Nodes, std::size_t Count) {
        if (Count < 2) return;
        const std::size_t half = Count / 2;
        Sort(Nodes, half);
        Sort(Nodes + half, Count - half);
        Merge(Nodes, half, Count);
    }

    void Merge(PVirtualNode* Nodes, std::size_t Half, std::size_t Count) {
        std::size_t a = 0, b = Half, out = 0;
        while (a < Half && b < Count) {
            if (a + PrefetchDistance < Half) PrefetchNode(Nodes[a + PrefetchDistance], DataOffset);
            if (b + PrefetchDistance < Count) PrefetchNode(Nodes[b + PrefetchDistance], DataOffset);
            const Integer result = Compare(Tree, Nodes[a], Nodes[b], Column);
            const bool takeB = Descending ? result < 0 : result > 0;
            Buffer[out++] = takeB ? Nodes[b++] : Nodes[a++];
        }
        while (a < Half) Buffer[out++] = Nodes[a++];
        while (b < Count) Buffer[out++] = Nodes[b++];
        std::copy(Buffer.begin(), Buffer.begin() + static_cast<std::ptrdiff_t>(Count), Nodes);
    }
};

} // namespace

Integer TBaseVirtualTree::DoCompareNodes(PVirtualNode Node1, PVirtualNode Node2,
                                         TColumnIndex Column) {
    Integer result = 0;
    OnCompareNodes(this, Node1, Node2, Column, result);
    return result;
}

PVirtualNode TBaseVirtualTree::SortSiblings(PVirtualNode First, Cardinal Count, TColumnIndex Column,
                                            TSortDirection Direction) {
    std::vector<PVirtualNode> nodes;
    nodes.reserve(Count);
    for (PVirtualNode run = First; run; run = run->NextSibling) nodes.push_back(run);
    std::vector<PVirtualNode> buffer(nodes.size());
    TMergeSort sort{this,
                    Column,
                    Direction == sdDescending,
                    DataOffset(),
                    buffer,
                    [](TBaseVirtualTree* tree, PVirtualNode a, PVirtualNode b,
                       TColumnIndex column) { return tree->DoCompareNodes(a, b, column); }};
    sort.Sort(nodes.data(), nodes.size());
    PVirtualNode parent = First->Parent;
    PVirtualNode previous = nullptr;
    Cardinal index = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (i + PrefetchDistance < nodes.size()) __builtin_prefetch(nodes[i + PrefetchDistance], 1);
        PVirtualNode node = nodes[i];
        node->PrevSibling = previous;
        node->NextSibling = nullptr;
        node->Index = index++;
        if (previous) previous->NextSibling = node;
        previous = node;
    }
    parent->FirstChild = nodes.front();
    parent->LastChild = nodes.back();
    PVirtualNode first = nodes.front();
    if (FSortedLevel) *FSortedLevel = std::move(nodes);
    return first;
}

void TBaseVirtualTree::Sort(PVirtualNode Node, TColumnIndex Column, TSortDirection Direction,
                            bool DoInit) {
    CancelValidation();
    if (FStates.Contains(tsEditPending)) {
        StopTimer(EditTimer);
        DoStateChange({}, {tsEditPending});
    }
    if (FStates.Contains(tsEditing) && !FViewSink->EndEditNode()) return;
    if (!Node) Node = FRoot;
    if (!Node->States.Contains(vsHasChildren)) return;
    // The comparison handler only ever sees initialised nodes, fresh children included.
    if (DoInit) {
        if (!Node->FirstChild) InitChildren(Node);
        ValidateChildren(Node, false);
    }
    if (Node->FirstChild && Node->FirstChild->NextSibling)
        SortSiblings(Node->FirstChild, Node->ChildCount, Column, Direction);
    InvalidatePositionCache();
    if (FUpdateCount > 0) return;
    RequestCacheValidation();
    FViewSink->InvalidateControl();
}

// The children are visited by their links; the order the sort left in `sorted` (when it sorted
// this level) only says which nodes come next, so that they are fetched ahead.
void TBaseVirtualTree::SortLevel(PVirtualNode Node, TColumnIndex Column, TSortDirection Direction,
                                 bool DoInit) {
    TNodeArray sorted;
    FSortedLevel = &sorted;
    try {
        Sort(Node, Column, Direction, DoInit);
    } catch (...) {
        FSortedLevel = nullptr;
        throw;
    }
    FSortedLevel = nullptr;
    const std::size_t dataOffset = DataOffset();
    std::size_t i = 0;
    for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling, ++i) {
        if (i + PrefetchDistance < sorted.size())
            PrefetchNode(sorted[i + PrefetchDistance], dataOffset);
        if (DoInit && !child->States.Contains(vsInitialized)) InitNode(child);
        if (child->States.Contains(vsInitialized)) SortLevel(child, Column, Direction, DoInit);
    }
    if (Node != FRoot) return;
    TNodeArray hint;
    hint.reserve((sorted.size() + HintStride - 1) / HintStride);
    for (std::size_t at = 0; at < sorted.size(); at += HintStride) hint.push_back(sorted[at]);
    FWalkHint = std::move(hint);
}

void TBaseVirtualTree::SortTree(TColumnIndex Column, TSortDirection Direction, bool DoInit) {
    auto finish = [this] {
        InvalidatePositionCache();
        if (FUpdateCount > 0) --FUpdateCount;
        if (FUpdateCount > 0) return;
        RequestCacheValidation();
        FViewSink->InvalidateControl();
    };
    ++FUpdateCount;
    try {
        if (Column >= NoColumn) SortLevel(FRoot, Column, Direction, DoInit);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}
