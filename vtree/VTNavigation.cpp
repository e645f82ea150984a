// The walking family: first/next/previous/last in top-down order (a node before its subtree)
// or in children-above order (a subtree before its node, only when asked for and toChildrenAbove
// is set), each with an initialising form and a NoInit form that follows existing links only.
// Both forms share one implementation with a DoInit switch; initialising from a const walk is
// the lazy materialisation the tree promises, hence the const_cast in Touch and Materialise.
//
// The visible walks skip effectively hidden nodes together with their subtrees, so that they
// agree with VisibleCount.
//
// A sorted top level lies scattered over memory, and a walk that only follows links waits for
// every node in turn. Stepping along the top level, the walk therefore asks for the node a few
// places ahead in the order the last SortTree left. That order is a hint and never decides a
// step: when the level changed since, the fetch is merely wasted.
#include "vtree/VTInternal.h"

using namespace vtree_messages;
using vtree_errors::Assert;

void TBaseVirtualTree::Touch(PVirtualNode Node, bool DoInit) const {
    if (DoInit && Node && Node != FRoot && !Node->States.Contains(vsInitialized))
        const_cast<TBaseVirtualTree*>(this)->InitNode(Node);
}

void TBaseVirtualTree::Materialise(PVirtualNode Node, bool DoInit) const {
    if (DoInit && Node->States.Contains(vsHasChildren) && !Node->FirstChild)
        const_cast<TBaseVirtualTree*>(this)->InitChildren(Node);
}

// The top-level node some places after (before) the one at Index in the order the last SortTree
// left; nil without a fitting hint. The hint names every HintStride-th node only: the nodes
// between are reached from there by their links, the farther from the named node the nearer
// to Index, so that each link read finds a node fetched by an earlier step. The hint is dropped
// before the pool gives any slab back, so such a read meets at worst a block freed since, whose
// links are stale but still lead into the pool. A plain answer rather than a fetch of its own:
// a function that only fetches counts as having no effect, and its calls may be dropped.
PVirtualNode TBaseVirtualTree::HintAhead(Cardinal Index, bool Forward) const noexcept {
    constexpr std::size_t stageGap = 16, farthest = HintStride * stageGap;
    static_assert(stageGap % HintStride == 0);
    const std::size_t named = (std::size_t{FRoot->ChildCount} + HintStride - 1) / HintStride;
    if (FWalkHint.size() != named) return nullptr;
    // Hops from the named node at or before (after) the answer; distances are multiples of the
    // stride, so the answer's place within its group is Index's.
    const std::size_t remainder = Index % HintStride;
    const std::size_t hops = Forward ? remainder : (HintStride - remainder) % HintStride;
    const std::size_t distance = farthest - hops * stageGap;
    if (!Forward && Index < distance) return nullptr;
    const std::size_t position = Forward ? Index + distance : Index - distance;
    const std::size_t namedAt = Forward ? position / HintStride : (position + hops) / HintStride;
    if (namedAt >= named) return nullptr;
    PVirtualNode node = FWalkHint[namedAt];
    for (std::size_t hop = 0; hop < hops && node; ++hop)
        node = Forward ? node->NextSibling : node->PrevSibling;
    return node;
}

// ---- visibility terms -------------------------------------------------------------------------

bool TBaseVirtualTree::IsEffectivelyHidden(PVirtualNode Node) const {
    return Node && Node->States.Contains(vsHidden) && !HasPaint(toShowHiddenNodes);
}

bool TBaseVirtualTree::IsEffectivelyVisible(PVirtualNode Node) const {
    return Node && Node->States.Contains(vsVisible) && !IsEffectivelyHidden(Node);
}

bool TBaseVirtualTree::FullyVisible(PVirtualNode Node) const {
    Assert(Node != nullptr, InvalidParameter);
    if (Node == FRoot) return true;
    if (!Node->States.Contains(vsVisible)) return false;
    for (PVirtualNode run = Node->Parent; run != FRoot; run = run->Parent)
        if (!run->States.Contains(vsExpanded) || !run->States.Contains(vsVisible)) return false;
    return true;
}

PVirtualNode TBaseVirtualTree::GetVisibleParent(PVirtualNode Node, bool IncludeHidden) const {
    Assert(Node != nullptr, NodeNil);
    Assert(Node != FRoot, NodeIsRoot);
    PVirtualNode run = Node->Parent;
    while (run != FRoot && !(FullyVisible(run) && (IncludeHidden || !IsEffectivelyHidden(run))))
        run = run->Parent;
    return run;
}

// ---- first, next, previous, last ----------------------------------------------------------

PVirtualNode TBaseVirtualTree::WalkFirst(bool CA, bool DoInit) const {
    PVirtualNode run = FRoot->FirstChild;
    if (ChildrenAbove(CA)) {
        while (run) {
            Touch(run, DoInit);
            Materialise(run, DoInit);
            if (!run->FirstChild) break;
            run = run->FirstChild;
        }
    }
    Touch(run, DoInit);
    return run;
}

PVirtualNode TBaseVirtualTree::WalkNext(PVirtualNode Node, bool CA, bool DoInit) const {
    if (!Node) return nullptr;
    Assert(Node != FRoot, NodeIsRoot);
    PVirtualNode result;
    if (ChildrenAbove(CA)) {
        result = Node->NextSibling;
        if (result) {
            for (Materialise(result, DoInit); result->FirstChild; Materialise(result, DoInit))
                result = result->FirstChild;
        } else {
            result = Node->Parent == FRoot ? nullptr : Node->Parent;
        }
    } else {
        Materialise(Node, DoInit);
        result = Node->FirstChild;
        if (!result) {
            if (Node->Parent == FRoot)
                vtree_detail::PrefetchNode(HintAhead(Node->Index, true), DataOffset());
            PVirtualNode run = Node;
            while (run != FRoot && !run->NextSibling) run = run->Parent;
            result = run == FRoot ? nullptr : run->NextSibling;
        }
    }
    Touch(result, DoInit);
    return result;
}

PVirtualNode TBaseVirtualTree::WalkLast(PVirtualNode Node, bool CA, bool DoInit) const {
    if (!Node) Node = FRoot;
    Materialise(Node, DoInit);
    PVirtualNode result = Node->LastChild;
    if (!ChildrenAbove(CA)) {
        while (result) {
            Touch(result, DoInit);
            Materialise(result, DoInit);
            if (!result->LastChild) break;
            result = result->LastChild;
        }
    }
    Touch(result, DoInit);
    return result;
}

PVirtualNode TBaseVirtualTree::WalkPrevious(PVirtualNode Node, bool CA, bool DoInit) const {
    if (!Node) return nullptr;
    Assert(Node != FRoot, NodeIsRoot);
    PVirtualNode result;
    if (ChildrenAbove(CA)) {
        Materialise(Node, DoInit);
        result = Node->LastChild;
        if (!result) {
            PVirtualNode run = Node;
            while (run != FRoot && !run->PrevSibling) run = run->Parent;
            result = run == FRoot ? nullptr : run->PrevSibling;
        }
    } else if (Node->PrevSibling) {
        result = WalkLast(Node->PrevSibling, false, DoInit);
        if (!result) result = Node->PrevSibling;
    } else {
        result = Node->Parent == FRoot ? nullptr : Node->Parent;
    }
    Touch(result, DoInit);
    return result;
}

PVirtualNode TBaseVirtualTree::GetFirst(bool CCA) { return WalkFirst(CCA, true); }
PVirtualNode TBaseVirtualTree::GetFirstNoInit(bool CCA) const { return WalkFirst(CCA, false); }
PVirtualNode TBaseVirtualTree::GetNext(PVirtualNode Node, bool CCA) {
    return WalkNext(Node, CCA, true);
}
PVirtualNode TBaseVirtualTree::GetNextNoInit(PVirtualNode Node, bool CCA) const {
    return WalkNext(Node, CCA, false);
}
PVirtualNode TBaseVirtualTree::GetPrevious(PVirtualNode Node, bool CCA) {
    return WalkPrevious(Node, CCA, true);
}
PVirtualNode TBaseVirtualTree::GetPreviousNoInit(PVirtualNode Node, bool CCA) const {
    return WalkPrevious(Node, CCA, false);
}
PVirtualNode TBaseVirtualTree::GetLast(PVirtualNode Node, bool CCA) {
    return WalkLast(Node, CCA, true);
}
PVirtualNode TBaseVirtualTree::GetLastNoInit(PVirtualNode Node, bool CCA) const {
    return WalkLast(Node, CCA, false);
}

// ---- children and siblings --------------------------------------------------------------------

PVirtualNode TBaseVirtualTree::GetFirstChild(PVirtualNode Node) {
    if (!Node || Node == FRoot) return FRoot->FirstChild;
    Touch(Node, true);
    if (!Node->States.Contains(vsHasChildren)) return nullptr;
    Materialise(Node, true);
    Touch(Node->FirstChild, true);
    return Node->FirstChild;
}

PVirtualNode TBaseVirtualTree::GetLastChild(PVirtualNode Node) {
    if (!Node || Node == FRoot) return FRoot->LastChild;
    Touch(Node, true);
    if (!Node->States.Contains(vsHasChildren)) return nullptr;
    Materialise(Node, true);
    Touch(Node->LastChild, true);
    return Node->LastChild;
}

PVirtualNode TBaseVirtualTree::GetLastChildNoInit(PVirtualNode Node) const {
    if (!Node || Node == FRoot) return FRoot->LastChild;
    return Node->States.Contains(vsHasChildren) ? Node->LastChild : nullptr;
}

PVirtualNode TBaseVirtualTree::GetNextSibling(PVirtualNode Node) {
    if (!Node) return nullptr;
    Assert(Node != FRoot, NodeIsRoot);
    Touch(Node->NextSibling, true);
    return Node->NextSibling;
}

PVirtualNode TBaseVirtualTree::GetPreviousSibling(PVirtualNode Node) {
    if (!Node) return nullptr;
    Assert(Node != FRoot, NodeIsRoot);
    Touch(Node->PrevSibling, true);
    return Node->PrevSibling;
}

PVirtualNode TBaseVirtualTree::WalkVisibleSibling(PVirtualNode Node, bool Forward,
                                                  bool IncludeHidden, bool DoInit) const {
    Assert(Node && Node != FRoot, InvalidParameter);
    PVirtualNode run = Node;
    do {
        run = Forward ? run->NextSibling : run->PrevSibling;
        Touch(run, DoInit);
    } while (run &&
             !(run->States.Contains(vsVisible) && (IncludeHidden || !IsEffectivelyHidden(run))));
    return run;
}

PVirtualNode TBaseVirtualTree::WalkVisibleChild(PVirtualNode Node, bool First, bool IncludeHidden,
                                                bool DoInit) const {
    if (!Node) Node = FRoot;
    if (!First && Node != FRoot && !(FullyVisible(Node) && Node->States.Contains(vsExpanded)))
        return nullptr;
    if (Node != FRoot) {
        Touch(Node, DoInit);
        if (!Node->States.Contains(vsHasChildren)) return nullptr;
        Materialise(Node, DoInit);
    }
    PVirtualNode candidate = First ? Node->FirstChild : Node->LastChild;
    Touch(candidate, DoInit);
    if (!candidate) return nullptr;
    if (candidate->States.Contains(vsVisible) && (IncludeHidden || !IsEffectivelyHidden(candidate)))
        return candidate;
    return WalkVisibleSibling(candidate, First, IncludeHidden, DoInit);
}

PVirtualNode TBaseVirtualTree::GetNextVisibleSibling(PVirtualNode Node, bool IncludeHidden) {
    return WalkVisibleSibling(Node, true, IncludeHidden, true);
}
PVirtualNode TBaseVirtualTree::GetNextVisibleSiblingNoInit(PVirtualNode Node,
                                                           bool IncludeHidden) const {
    return WalkVisibleSibling(Node, true, IncludeHidden, false);
}
PVirtualNode TBaseVirtualTree::GetPreviousVisibleSibling(PVirtualNode Node, bool IncludeHidden) {
    return WalkVisibleSibling(Node, false, IncludeHidden, true);
}
PVirtualNode TBaseVirtualTree::GetPreviousVisibleSiblingNoInit(PVirtualNode Node,
                                                               bool IncludeHidden) const {
    return WalkVisibleSibling(Node, false, IncludeHidden, false);
}
PVirtualNode TBaseVirtualTree::GetFirstVisibleChild(PVirtualNode Node, bool IncludeHidden) {
    return WalkVisibleChild(Node, true, IncludeHidden, true);
}
PVirtualNode TBaseVirtualTree::GetFirstVisibleChildNoInit(PVirtualNode Node,
                                                          bool IncludeHidden) const {
    return WalkVisibleChild(Node, true, IncludeHidden, false);
}
PVirtualNode TBaseVirtualTree::GetLastVisibleChild(PVirtualNode Node, bool IncludeHidden) {
    return WalkVisibleChild(Node, false, IncludeHidden, true);
}
PVirtualNode TBaseVirtualTree::GetLastVisibleChildNoInit(PVirtualNode Node,
                                                         bool IncludeHidden) const {
    return WalkVisibleChild(Node, false, IncludeHidden, false);
}

// ---- visible walks ------------------------------------------------------------------------------

// The first node with vsVisible among From's following siblings, then among the following
// siblings of its ancestors.
PVirtualNode TBaseVirtualTree::FollowingVisible(PVirtualNode From, bool DoInit) const {
    for (PVirtualNode level = From; level != FRoot; level = level->Parent) {
        for (PVirtualNode run = level->NextSibling; run; run = run->NextSibling) {
            Touch(run, DoInit);
            if (run->States.Contains(vsVisible)) return run;
        }
    }
    return nullptr;
}

PVirtualNode TBaseVirtualTree::WalkFirstVisible(PVirtualNode Node, bool CA, bool IncludeHidden,
                                                bool DoInit) const {
    if (!Node) Node = FRoot;
    if (!Node->States.Contains(vsHasChildren)) return nullptr;
    Materialise(Node, DoInit);
    PVirtualNode result = Node->FirstChild;
    Touch(result, DoInit);
    if (!result) return nullptr;
    if (ChildrenAbove(CA)) {
        while (result) {
            if (!result->States.Contains(vsVisible)) {
                if (result->NextSibling) {
                    result = result->NextSibling;
                    Touch(result, DoInit);
                    continue;
                }
                result = result->Parent == FRoot ? nullptr : result->Parent;
                break;
            }
            Materialise(result, DoInit);
            if (!result->States.Contains(vsExpanded) || !result->FirstChild) break;
            result = result->FirstChild;
            Touch(result, DoInit);
        }
    } else if (!result->States.Contains(vsVisible)) {
        result = FollowingVisible(result, DoInit);
    }
    if (result && IsEffectivelyHidden(result) && !IncludeHidden)
        result = WalkNextVisible(result, true, DoInit);
    return result;
}

PVirtualNode TBaseVirtualTree::WalkLastVisible(PVirtualNode Node, bool CA, bool IncludeHidden,
                                               bool DoInit) const {
    if (ChildrenAbove(CA)) return WalkVisibleChild(Node, false, IncludeHidden, DoInit);
    PVirtualNode result = nullptr;
    for (PVirtualNode run = WalkVisibleChild(Node, false, IncludeHidden, DoInit); run;
         run = WalkVisibleChild(run, false, IncludeHidden, DoInit))
        result = run;
    return result;
}

PVirtualNode TBaseVirtualTree::NextVisibleChildrenAbove(PVirtualNode Current, bool DoInit) const {
    for (;;) {
        if (Current == FRoot) return nullptr;
        PVirtualNode sibling = Current->NextSibling;
        if (!sibling) {
            PVirtualNode parent = Current->Parent;
            if (parent == FRoot) return nullptr;
            Touch(parent, DoInit);
            if (parent->States.Contains(vsVisible)) return parent;
            Current = parent;
            continue;
        }
        Touch(sibling, DoInit);
        if (!sibling->States.Contains(vsVisible)) {
            Current = sibling;
            continue;
        }
        while (sibling->States.Contains(vsExpanded) && sibling->FirstChild) {
            PVirtualNode first = sibling->FirstChild;
            Touch(first, DoInit);
            if (!first->States.Contains(vsVisible)) break;
            sibling = first;
        }
        return sibling;
    }
}

PVirtualNode TBaseVirtualTree::WalkNextVisible(PVirtualNode Node, bool CA, bool DoInit) const {
    if (!Node) return nullptr;
    Assert(Node != FRoot, NodeIsRoot);
    PVirtualNode current = Node;
    // Children of a node that is not shown (collapsed ancestor, hidden) are never entered.
    bool skipChildren = false;
    for (;;) {
        if (!FullyVisible(current)) {
            PVirtualNode parent = GetVisibleParent(current, true);
            if (parent == FRoot) {
                while (current->Parent != FRoot) current = current->Parent;
                skipChildren = true;
            } else {
                current = parent;
            }
        }
        PVirtualNode candidate;
        if (ChildrenAbove(CA)) {
            candidate = NextVisibleChildrenAbove(current, DoInit);
        } else {
            PVirtualNode first = nullptr;
            if (!skipChildren && current->States.Contains(vsExpanded)) {
                Materialise(current, DoInit);
                first = current->FirstChild;
            }
            Touch(first, DoInit);
            if (first && first->States.Contains(vsVisible))
                candidate = first;
            else
                candidate = FollowingVisible(first ? first : current, DoInit);
        }
        if (!candidate || IsEffectivelyVisible(candidate)) return candidate;
        current = candidate;
        skipChildren = true;
    }
}

PVirtualNode TBaseVirtualTree::PreviousVisibleChildrenAbove(PVirtualNode Current,
                                                            bool DoInit) const {
    if (Current->States.Contains(vsExpanded) && Current->LastChild) {
        PVirtualNode last = Current->LastChild;
        Touch(last, DoInit);
        if (last->States.Contains(vsVisible)) return last;
    }
    for (PVirtualNode level = Current; level != FRoot; level = level->Parent) {
        for (PVirtualNode run = level->PrevSibling; run; run = run->PrevSibling) {
            Touch(run, DoInit);
            if (run->States.Contains(vsVisible)) return run;
        }
    }
    return nullptr;
}

PVirtualNode TBaseVirtualTree::WalkPreviousVisible(PVirtualNode Node, bool CA, bool DoInit) const {
    if (!Node) return nullptr;
    Assert(Node != FRoot, NodeIsRoot);
    PVirtualNode current = Node;
    for (;;) {
        PVirtualNode candidate;
        if (!FullyVisible(current)) {
            PVirtualNode parent = GetVisibleParent(current, true);
            if (parent == FRoot) parent = nullptr;
            candidate = WalkLastVisible(parent, true, false, DoInit);
            if (!candidate) candidate = parent;
        } else if (ChildrenAbove(CA)) {
            candidate = PreviousVisibleChildrenAbove(current, DoInit);
        } else {
            PVirtualNode sibling = current->PrevSibling;
            for (Touch(sibling, DoInit); sibling && !IsEffectivelyVisible(sibling);
                 Touch(sibling, DoInit))
                sibling = sibling->PrevSibling;
            if (sibling) {
                candidate = WalkLastVisible(sibling, false, false, DoInit);
                if (!candidate) candidate = sibling;
            } else {
                candidate = current->Parent == FRoot ? nullptr : current->Parent;
            }
        }
        Touch(candidate, DoInit);
        if (!candidate || IsEffectivelyVisible(candidate)) return candidate;
        current = candidate;
    }
}

PVirtualNode TBaseVirtualTree::GetFirstVisible(PVirtualNode Node, bool CCA, bool IncludeHidden) {
    return WalkFirstVisible(Node, CCA, IncludeHidden, true);
}
PVirtualNode TBaseVirtualTree::GetFirstVisibleNoInit(PVirtualNode Node, bool CCA,
                                                     bool IncludeHidden) const {
    return WalkFirstVisible(Node, CCA, IncludeHidden, false);
}
PVirtualNode TBaseVirtualTree::GetLastVisible(PVirtualNode Node, bool CCA, bool IncludeHidden) {
    return WalkLastVisible(Node, CCA, IncludeHidden, true);
}
PVirtualNode TBaseVirtualTree::GetLastVisibleNoInit(PVirtualNode Node, bool CCA,
                                                    bool IncludeHidden) const {
    return WalkLastVisible(Node, CCA, IncludeHidden, false);
}
PVirtualNode TBaseVirtualTree::GetNextVisible(PVirtualNode Node, bool CCA) {
    return WalkNextVisible(Node, CCA, true);
}
PVirtualNode TBaseVirtualTree::GetNextVisibleNoInit(PVirtualNode Node, bool CCA) const {
    return WalkNextVisible(Node, CCA, false);
}
PVirtualNode TBaseVirtualTree::GetPreviousVisible(PVirtualNode Node, bool CCA) {
    return WalkPreviousVisible(Node, CCA, true);
}
PVirtualNode TBaseVirtualTree::GetPreviousVisibleNoInit(PVirtualNode Node, bool CCA) const {
    return WalkPreviousVisible(Node, CCA, false);
}
