// The node store's invariants (listed at the top of VTNodeStore.cpp) checked over the whole tree,
// in debug and test builds. Each node is checked against its own children only (links, count,
// indexes, the counters it stores and the all-children-hidden flag), so that the stored
// counters of the children are trusted only after they were checked themselves; the walk is a
// loop, not a recursion, as trees may be deep. The visible count is counted from the definition,
// by walking up from each node.
#include "vtree/VTInternal.h"

#ifdef VELMORA_CHECK_INVARIANTS

#include <cstdio>

using namespace vtree_detail;

namespace {

[[noreturn]] void Broken(int Invariant, PVirtualNode Node, const wchar_t* What) {
    wchar_t address[32];
    std::swprintf(address, 32, L"%p", static_cast<void*>(Node));
    throw EAssertionFailed(L"Node store invariant " + std::to_wstring(Invariant) +
                           L" broken at node " + address + L": " + What + L" (VirtualTrees)");
}

// The next node in pre-order, without initialising anything; null after the last.
PVirtualNode NextInTree(PVirtualNode Node, PVirtualNode Root) {
    if (Node->FirstChild) return Node->FirstChild;
    for (; Node != Root; Node = Node->Parent)
        if (Node->NextSibling) return Node->NextSibling;
    return nullptr;
}

} // namespace

void TBaseVirtualTree::CheckInvariants() const {
    // While a form stream loads, the root's count is stored ahead of its children.
    if (FStates.Contains(tsNeedRootCountUpdate)) return;
    Cardinal visible = 0;
    for (PVirtualNode node = FRoot; node; node = NextInTree(node, FRoot)) {
        Cardinal count = 0, total = 1, height = node->NodeHeight;
        bool anyShown = false;
        const bool open = node->States.Contains(vsExpanded);
        PVirtualNode previous = nullptr;
        for (PVirtualNode child = node->FirstChild; child; child = child->NextSibling) {
            if (child->Parent != node) Broken(1, child, L"its parent is another node");
            if (child->PrevSibling != previous) Broken(1, child, L"its previous sibling is wrong");
            if (previous && child->Index <= previous->Index)
                Broken(2, child, L"the indexes do not rise along the siblings");
            const bool shown = IsEffectivelyVisible(child);
            ++count;
            total += child->TotalCount;
            if (open && shown) height += child->TotalHeight;
            anyShown = anyShown || shown;
            previous = child;
        }
        if (node->LastChild != previous) Broken(1, node, L"its last child is not the last sibling");
        if (node->ChildCount != count) Broken(1, node, L"ChildCount is not the siblings' number");
        if (node->TotalCount != total) Broken(3, node, L"TotalCount is not 1 + the children's");
        if ((node == FRoot || node->States.Contains(vsVisible)) && node->TotalHeight != height)
            Broken(4, node, L"TotalHeight is not the row and the shown children's");
        const bool kept =
            node != FRoot && (node->FirstChild || node->States.Contains(vsHasChildren));
        if (kept && node->States.Contains(vsAllChildrenHidden) != (node->FirstChild && !anyShown))
            Broken(7, node, L"vsAllChildrenHidden does not match the children");
        if (node == FRoot || !IsEffectivelyVisible(node)) continue;
        bool counted = true;
        for (PVirtualNode above = node->Parent; above != FRoot && counted; above = above->Parent)
            counted = above->States.Contains(vsExpanded) && IsEffectivelyVisible(above);
        if (counted && FRoot->States.Contains(vsExpanded)) ++visible;
    }
    if (FVisibleCount != visible)
        Broken(6, FRoot, L"VisibleCount is not the number of shown nodes");
}

#endif
