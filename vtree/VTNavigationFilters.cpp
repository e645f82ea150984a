// Walks with a filter (check state, selection, cut/copy set, initialised, leaves, levels) and
// the structural queries (level, absolute index, ancestry). Filtered walks move without
// initialising and initialise only the node they return, unless said otherwise.
#include "vtree/VTInternal.h"

using namespace vtree_messages;
using vtree_errors::Assert;

PVirtualNode TBaseVirtualTree::NextMatching(PVirtualNode Node, bool Forward, bool CCA,
                                            TVirtualNodeState State) const {
    PVirtualNode run;
    if (!Node || Node == FRoot)
        run = Forward ? WalkFirst(CCA, false) : WalkLast(nullptr, CCA, false);
    else
        run = Forward ? WalkNext(Node, CCA, false) : WalkPrevious(Node, CCA, false);
    while (run && !run->States.Contains(State))
        run = Forward ? WalkNext(run, CCA, false) : WalkPrevious(run, CCA, false);
    return run;
}

PVirtualNode TBaseVirtualTree::NextWithCheckState(PVirtualNode Node, bool Forward, bool CCA,
                                                  TCheckState State) const {
    PVirtualNode run;
    if (!Node || Node == FRoot)
        run = Forward ? WalkFirst(CCA, false) : WalkLast(nullptr, CCA, false);
    else
        run = Forward ? WalkNext(Node, CCA, false) : WalkPrevious(Node, CCA, false);
    while (run && run->CheckState != State)
        run = Forward ? WalkNext(run, CCA, false) : WalkPrevious(run, CCA, false);
    Touch(run, true);
    return run;
}

PVirtualNode TBaseVirtualTree::GetFirstChecked(TCheckState State, bool CCA) {
    return NextWithCheckState(nullptr, true, CCA, State);
}
PVirtualNode TBaseVirtualTree::GetNextChecked(PVirtualNode Node, TCheckState State, bool CCA) {
    return NextWithCheckState(Node, true, CCA, State);
}
PVirtualNode TBaseVirtualTree::GetPreviousChecked(PVirtualNode Node, TCheckState State, bool CCA) {
    return NextWithCheckState(Node, false, CCA, State);
}

PVirtualNode TBaseVirtualTree::GetFirstSelected(bool CCA) { return GetNextSelected(nullptr, CCA); }

PVirtualNode TBaseVirtualTree::GetNextSelected(PVirtualNode Node, bool CCA) {
    if (FSelectionCount == 0) return nullptr;
    PVirtualNode result = NextMatching(Node, true, CCA, vsSelected);
    Touch(result, true);
    return result;
}

PVirtualNode TBaseVirtualTree::GetPreviousSelected(PVirtualNode Node, bool CCA) {
    if (FSelectionCount == 0) return nullptr;
    PVirtualNode result;
    if (!Node || Node == FRoot) {
        // Starts at the root's last child itself, not at the deepest last node.
        result = FRoot->LastChild;
        if (result && !result->States.Contains(vsSelected))
            result = NextMatching(result, false, CCA, vsSelected);
    } else {
        result = NextMatching(Node, false, CCA, vsSelected);
    }
    Touch(result, true);
    return result;
}

PVirtualNode TBaseVirtualTree::GetFirstCutCopy(bool CCA) { return GetNextCutCopy(nullptr, CCA); }

PVirtualNode TBaseVirtualTree::GetNextCutCopy(PVirtualNode Node, bool CCA) {
    if (!FStates.Contains(tsCutPending) && !FStates.Contains(tsCopyPending)) return nullptr;
    PVirtualNode result = NextMatching(Node, true, CCA, vsCutOrCopy);
    Touch(result, true);
    return result;
}

PVirtualNode TBaseVirtualTree::GetPreviousCutCopy(PVirtualNode Node, bool CCA) {
    if (!FStates.Contains(tsCutPending) && !FStates.Contains(tsCopyPending)) return nullptr;
    PVirtualNode result = NextMatching(Node, false, CCA, vsCutOrCopy);
    Touch(result, true);
    return result;
}

PVirtualNode TBaseVirtualTree::GetFirstInitialized(bool CCA) const {
    return NextMatching(nullptr, true, CCA, vsInitialized);
}
PVirtualNode TBaseVirtualTree::GetNextInitialized(PVirtualNode Node, bool CCA) const {
    return NextMatching(Node, true, CCA, vsInitialized);
}
PVirtualNode TBaseVirtualTree::GetPreviousInitialized(PVirtualNode Node, bool CCA) const {
    return NextMatching(Node, false, CCA, vsInitialized);
}

PVirtualNode TBaseVirtualTree::GetLastInitialized(PVirtualNode Node, bool CCA) const {
    PVirtualNode last = WalkLast(Node, CCA, false);
    if (!last || last->States.Contains(vsInitialized)) return last;
    return NextMatching(last, false, CCA, vsInitialized);
}

// ---- leaves and levels -----------------------------------------------------------------------

PVirtualNode TBaseVirtualTree::GetFirstLeaf() { return GetNextLeaf(nullptr); }

PVirtualNode TBaseVirtualTree::GetNextLeaf(PVirtualNode Node) {
    PVirtualNode run = !Node || Node == FRoot ? GetFirst() : GetNext(Node);
    while (run && run->States.Contains(vsHasChildren)) run = GetNext(run);
    return run;
}

PVirtualNode TBaseVirtualTree::GetPreviousLeaf(PVirtualNode Node) {
    PVirtualNode run;
    if (!Node || Node == FRoot) {
        run = FRoot->LastChild;
        Touch(run, true);
    } else {
        run = GetPrevious(Node);
    }
    while (run && run->States.Contains(vsHasChildren)) run = GetPrevious(run);
    return run;
}

PVirtualNode TBaseVirtualTree::GetFirstLevel(Cardinal NodeLevel) {
    PVirtualNode run = WalkFirst(true, false);
    while (run && GetNodeLevel(run) != NodeLevel) run = WalkNext(run, true, false);
    Touch(run, true);
    return run;
}

PVirtualNode TBaseVirtualTree::GetNextLevel(PVirtualNode Node, Cardinal NodeLevel) {
    while (Node && Node != FRoot) {
        const Cardinal level = GetNodeLevel(Node);
        if (level < NodeLevel) {
            Node = GetNext(Node);
            if (Node && GetNodeLevel(Node) == NodeLevel) return Node;
        } else if (level == NodeLevel) {
            if (Node->NextSibling) {
                Touch(Node->NextSibling, true);
                return Node->NextSibling;
            }
            PVirtualNode run = Node->Parent;
            while (run != FRoot && !run->NextSibling) run = run->Parent;
            Node = run == FRoot ? nullptr : run->NextSibling;
            Touch(Node, true);
        } else {
            Node = Node->Parent;
        }
    }
    return nullptr;
}

PVirtualNode TBaseVirtualTree::GetPreviousLevel(PVirtualNode Node, Cardinal NodeLevel) {
    while (Node && Node != FRoot) {
        const Cardinal level = GetNodeLevel(Node);
        if (level > NodeLevel) {
            Node = Node->Parent;
        } else if (level == NodeLevel) {
            if (Node->PrevSibling) {
                Touch(Node->PrevSibling, true);
                return Node->PrevSibling;
            }
            Node = Node->Parent;
        } else if (!Node->PrevSibling) {
            Node = Node->Parent;
        } else {
            PVirtualNode run = Node->PrevSibling;
            Touch(run, true);
            for (PVirtualNode child; GetNodeLevel(run) < NodeLevel && (child = GetLastChild(run));)
                run = child;
            if (GetNodeLevel(run) == NodeLevel) return run;
            Node = run;
        }
    }
    return nullptr;
}

// ---- structural queries ----------------------------------------------------------------------

Cardinal TBaseVirtualTree::GetNodeLevel(PVirtualNode Node) const {
    Cardinal level = 0;
    if (!Node || Node == FRoot) return 0;
    for (PVirtualNode run = Node->Parent; run != FRoot; run = run->Parent) ++level;
    return level;
}

Cardinal TBaseVirtualTree::AbsoluteIndex(PVirtualNode Node) {
    Cardinal result = 0;
    for (PVirtualNode run = Node; run && run != FRoot;) {
        Touch(run, true);
        for (PVirtualNode sibling = run->PrevSibling; sibling; sibling = sibling->PrevSibling) {
            Touch(sibling, true);
            result += sibling->TotalCount;
        }
        run = run->Parent;
        if (run != FRoot) ++result;
    }
    return result;
}

bool TBaseVirtualTree::HasAsParent(PVirtualNode Node, PVirtualNode PotentialParent) const {
    if (!Node || !PotentialParent || Node == PotentialParent || Node == FRoot) return false;
    for (PVirtualNode run = Node->Parent;; run = run->Parent) {
        if (run == PotentialParent) return true;
        if (run == FRoot) return false;
    }
}

int TBaseVirtualTree::LevelDifference(PVirtualNode Node1, PVirtualNode Node2) const {
    Assert(Node1 && Node2, L"Both nodes must be Assigned.");
    return static_cast<int>(GetNodeLevel(Node2)) - static_cast<int>(GetNodeLevel(Node1));
}
