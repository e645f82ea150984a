// Subtree iteration, ordered node lists, position comparison and the position cache that maps
// between visible nodes and vertical pixel positions (one entry per 2000 visible rows, used only
// while tsUseCache is set). The cache is built by the background worker when there is a window;
// a windowless tree builds it with ValidateCache.
#include "vtree/VTInternal.h"

#include <algorithm>

using namespace vtree_messages;
using vtree_errors::Assert;

namespace {
constexpr Cardinal CacheThreshold = 2000;

// The node after Node's whole subtree in top-down order.
PVirtualNode SkipSubtree(PVirtualNode Node, PVirtualNode Root) {
    while (Node != Root && !Node->NextSibling) Node = Node->Parent;
    return Node == Root ? nullptr : Node->NextSibling;
}
} // namespace

PVirtualNode TBaseVirtualTree::IterateSubtree(PVirtualNode Node, TVTGetNodeProc Callback,
                                              void* Data, TVirtualNodeStates Filter, bool DoInit,
                                              bool ChildNodesOnly) {
    Assert(Node != FRoot, NodeIsRoot);
    const bool wasIterating = FStates.Contains(tsIterating);
    DoStateChange({tsIterating});
    auto leave = [&] {
        if (!wasIterating) DoStateChange({}, {tsIterating});
    };
    try {
        PVirtualNode stop = nullptr;
        if (Node) {
            Touch(Node, DoInit);
            stop = SkipSubtree(Node, FRoot);
        }
        PVirtualNode run = Node ? Node : WalkFirst(false, false);
        Touch(run, DoInit);
        if (ChildNodesOnly && run) {
            Materialise(run, DoInit);
            run = run->FirstChild;
            Touch(run, DoInit);
        }
        PVirtualNode result = nullptr;
        for (; run && run != stop; run = WalkNext(run, false, DoInit)) {
            if (!Filter.Empty() && (run->States * Filter) != Filter) continue;
            bool abort = false;
            Callback(this, run, Data, abort);
            if (abort) {
                result = run;
                break;
            }
        }
        leave();
        return result;
    } catch (...) {
        leave();
        throw;
    }
}

TNodeArray TBaseVirtualTree::GetSortedSelection(bool Resolve) {
    TNodeArray result;
    if (FSelectionCount == 0) return result;
    result.reserve(FSelectionCount);
    for (PVirtualNode run = WalkFirst(false, false); run;) {
        if (run->States.Contains(vsSelected)) {
            result.push_back(run);
            if (Resolve) {
                run = SkipSubtree(run, FRoot);
                continue;
            }
        }
        run = WalkNext(run, false, false);
    }
    return result;
}

TNodeArray TBaseVirtualTree::GetSortedCutCopySet(bool Resolve) {
    TNodeArray result;
    for (PVirtualNode run = WalkFirst(false, false); run;) {
        if (run->States.Contains(vsCutOrCopy)) {
            if (result.size() == result.capacity())
                result.reserve(
                    result.capacity() < 100 ? 100 : result.capacity() + result.capacity() / 10);
            result.push_back(run);
            if (Resolve) {
                run = SkipSubtree(run, FRoot);
                continue;
            }
        }
        run = WalkNext(run, false, false);
    }
    result.shrink_to_fit();
    return result;
}

int TBaseVirtualTree::ComparePositions(PVirtualNode Node1, PVirtualNode Node2,
                                       bool ConsiderChildrenAbove) {
    Assert(Node1 && Node2, L"Nodes must never be nil.");
    if (Node1 == Node2) return 0;
    const bool above = ChildrenAbove(ConsiderChildrenAbove);
    if (HasAsParent(Node1, Node2)) return above ? -1 : 1;
    if (HasAsParent(Node2, Node1)) return above ? 1 : -1;
    Cardinal level1 = GetNodeLevel(Node1), level2 = GetNodeLevel(Node2);
    for (; level1 > level2; --level1) Node1 = Node1->Parent;
    for (; level2 > level1; --level2) Node2 = Node2->Parent;
    while (Node1->Parent != Node2->Parent) {
        Node1 = Node1->Parent;
        Node2 = Node2->Parent;
    }
    return static_cast<int>(Node1->Index) - static_cast<int>(Node2->Index);
}

// ---- position cache --------------------------------------------------------------------------

void TBaseVirtualTree::InvalidatePositionCache() {
    DoStateChange({tsValidationNeeded}, {tsUseCache});
}

void TBaseVirtualTree::CancelValidation() { FViewSink->CancelValidation(); }

void TBaseVirtualTree::RequestCacheValidation() {
    CancelValidation();
    FStartIndex = 0;
    if (FStates.Contains(tsValidationNeeded)) FViewSink->RequestValidation();
}

bool TBaseVirtualTree::BuildPositionCache() {
    if (FStates.Contains(tsStopValidation)) return false;
    if (FStartIndex == 0) FPositionCache.clear();
    if (FVisibleCount <= CacheThreshold) return false;
    const std::size_t size = (FVisibleCount + CacheThreshold - 1) / CacheThreshold;
    FPositionCache.resize(size);
    FStartIndex = std::min<Cardinal>(FStartIndex, static_cast<Cardinal>(size));
    std::size_t index = 0;
    PVirtualNode node;
    Cardinal top = 0;
    if (FStartIndex > 0 && FPositionCache[FStartIndex - 1].Node) {
        index = FStartIndex - 1;
        node = FPositionCache[index].Node;
        top = FPositionCache[index].AbsoluteTop;
    } else {
        node = GetFirstVisibleNoInit(nullptr, true, false);
    }
    Cardinal count = 0;
    while (node && !FStates.Contains(tsStopValidation)) {
        if (count % CacheThreshold == 0) {
            if (index == size) break;
            FPositionCache[index++] = {node, top};
        }
        top += NodeRowHeight(node);
        node = GetNextVisibleNoInit(node, true);
        ++count;
    }
    const bool stopped = FStates.Contains(tsStopValidation);
    if (!stopped) FPositionCache.resize(index);
    if (count == 0 || stopped) return false;
    if (HasMisc(toVariableNodeHeight)) FViewSink->UpdateScrollBars(true);
    return true;
}

bool TBaseVirtualTree::ValidateCache() {
    FStartIndex = 0;
    const bool built = BuildPositionCache();
    DoStateChange(built ? TVirtualTreeStates{tsUseCache} : TVirtualTreeStates{},
                  {tsValidationNeeded});
    return built;
}

PVirtualNode TBaseVirtualTree::FindInCache(Integer Position, Cardinal& Top) const {
    auto after = std::upper_bound(FPositionCache.begin(), FPositionCache.end(), Position,
                                  [](Integer value, const TCacheEntry& entry) {
                                      return static_cast<Int64>(value) < entry.AbsoluteTop;
                                  });
    if (after == FPositionCache.begin()) {
        Top = 0;
        return nullptr;
    }
    --after;
    Top = after->AbsoluteTop;
    return after->Node;
}

PVirtualNode TBaseVirtualTree::FindInCache(PVirtualNode Node, Cardinal& Top) {
    std::size_t low = 0, high = FPositionCache.size();
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (ComparePositions(FPositionCache[middle].Node, Node, false) <= 0)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == 0) {
        Top = 0;
        return nullptr;
    }
    Top = FPositionCache[low - 1].AbsoluteTop;
    return FPositionCache[low - 1].Node;
}

PVirtualNode TBaseVirtualTree::GetNodeAt(Integer X, Integer Y) {
    Integer ignored;
    return GetNodeAt(X, Y, true, ignored);
}

PVirtualNode TBaseVirtualTree::GetNodeAt(Integer, Integer Y, bool Relative, Integer& NodeTop) {
    if (Y < 0) Y = 0;
    if (Relative) Y -= FViewport.OffsetY;
    Cardinal top = 0;
    PVirtualNode run = nullptr;
    if (FStates.Contains(tsUseCache)) run = FindInCache(Y, top);
    if (!run) {
        top = 0;
        run = GetFirstVisibleNoInit(nullptr, true, false);
    }
    for (; run; run = GetNextVisibleNoInit(run, true)) {
        const Cardinal height = NodeRowHeight(run);
        if (static_cast<Int64>(Y) < static_cast<Int64>(top) + height) break;
        top += height;
    }
    NodeTop = run ? static_cast<Integer>(top) + (Relative ? FViewport.OffsetY : 0) : 0;
    return run;
}

PVirtualNode TBaseVirtualTree::TopNode() { return GetNodeAt(0, 0); }

PVirtualNode TBaseVirtualTree::BottomNode() { return GetNodeAt(0, FViewport.ClientHeight - 1); }
