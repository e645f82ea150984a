// In-order walk over a member table without parent links: the iterator keeps the path from the
// root to the current entry and, per level, whether the step into it went to the FGt side.
#include "support/jsonobject/jsonobject.h"

void TJsonAvlIterator::Push(TJsonAvlEntry* node, bool toGt) {
    ++FDepth;
    FPath[FDepth] = node;
    FBranch[FDepth] = toGt;
}

void TJsonAvlIterator::DescendLt(TJsonAvlEntry* node) {
    for (; node; node = node->FLt) Push(node, false);
}

void TJsonAvlIterator::DescendGt(TJsonAvlEntry* node) {
    for (; node; node = node->FGt) Push(node, true);
}

void TJsonAvlIterator::First() {
    FDepth = -1;
    if (FTree->FRoot) {
        Push(FTree->FRoot, false);
        DescendLt(FTree->FRoot->FLt);
    }
}

void TJsonAvlIterator::Last() {
    FDepth = -1;
    if (FTree->FRoot) {
        Push(FTree->FRoot, false);
        DescendGt(FTree->FRoot->FGt);
    }
}

void TJsonAvlIterator::Next() {
    if (FDepth < 0) return;
    if (TJsonAvlEntry* gt = FPath[FDepth]->FGt) {
        Push(gt, true);
        DescendLt(gt->FLt);
        return;
    }
    // Climb while we come up from an FGt side; the entry above an FLt step is next.
    while (FDepth > 0 && FBranch[FDepth]) --FDepth;
    --FDepth;
}

void TJsonAvlIterator::Prior() {
    if (FDepth < 0) return;
    if (TJsonAvlEntry* lt = FPath[FDepth]->FLt) {
        Push(lt, false);
        DescendGt(lt->FGt);
        return;
    }
    while (FDepth > 0 && !FBranch[FDepth]) --FDepth;
    --FDepth;
}

bool TJsonAvlIterator::MoveNext() {
    if (FDepth < 0)
        First();
    else
        Next();
    return FDepth >= 0;
}

// Walks down from the root. With stEQual an equal entry ends the walk; otherwise the nearest
// entry before (stLess) or after (stGreater) the name is kept as the candidate.
void TJsonAvlIterator::Search(const UnicodeString& name, TJsonAvlSearchTypes types) {
    const Cardinal hash = TJsonAvlEntry::Hash(name);
    FDepth = -1;
    Integer candidate = -1;
    bool toGt = false;
    for (TJsonAvlEntry* node = FTree->FRoot; node;) {
        Push(node, toGt);
        const Integer c = TJsonAvlTree::CompareKey(hash, name, node);
        if (c == 0 && types.Contains(stEQual)) return;
        if (c > 0 || (c == 0 && types.Contains(stGreater))) {
            if (types.Contains(stLess) && c > 0) candidate = FDepth;
            node = node->FGt;
            toGt = true;
        } else {
            if (types.Contains(stGreater)) candidate = FDepth;
            node = node->FLt;
            toGt = false;
        }
    }
    FDepth = candidate;
}
