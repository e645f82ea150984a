// The node store: new nodes, counters after every kind of structural change (against a recount
// from scratch), freeing with and without initialisation, user data sizes, and references the
// tree drops when their node is freed.
#include "TreeFixture.h"

#include <random>

using namespace vtree_test;

TEST(NodeStore, AddChildToEmptyTreeGivesADefaultNode) {
    auto tree = MakeTree();
    PVirtualNode node = tree->AddChild(nullptr);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->Index, 0u);
    EXPECT_EQ(node->ChildCount, 0u);
    EXPECT_EQ(node->TotalCount, 1u);
    EXPECT_EQ(node->States, TVirtualNodeStates{vsVisible});
    EXPECT_EQ(node->Align, 50);
    EXPECT_EQ(node->NodeHeight, tree->DefaultNodeHeight());
    EXPECT_EQ(node->Parent, tree->RootNode());
    EXPECT_EQ(tree->TotalCount(), 1u);
    EXPECT_EQ(tree->VisibleCount(), 1u);
}

TEST(NodeStore, RootKnowsItsOwnerAndIsNoWalkTarget) {
    auto tree = MakeTree();
    EXPECT_EQ(TBaseVirtualTree::OwnerOfRoot(tree->RootNode()), tree.get());
    PVirtualNode node = tree->AddChild(nullptr);
    EXPECT_EQ(tree->GetNext(node), nullptr);
    EXPECT_EQ(tree->GetPrevious(node), nullptr);
    EXPECT_EQ(tree->GetNodeLevel(node), 0u);
}

TEST(NodeStore, CountersFollowEveryKindOfChangeLikeARecount) {
    auto tree = MakeTree();
    TRecorder recorder;
    recorder.Attach(*tree);
    std::mt19937 random(7);
    std::vector<PVirtualNode> nodes;
    auto pick = [&]() -> PVirtualNode {
        if (nodes.empty()) return nullptr;
        return nodes[random() % nodes.size()];
    };
    auto alive = [&](PVirtualNode node) {
        for (PVirtualNode run = tree->GetFirstNoInit(); run; run = tree->GetNextNoInit(run))
            if (run == node) return true;
        return false;
    };
    for (int step = 0; step < 400; ++step) {
        std::erase_if(nodes, [&](PVirtualNode node) { return !alive(node); });
        PVirtualNode target = pick();
        switch (random() % 9) {
        case 0:
        case 1: nodes.push_back(tree->AddChild(target)); break;
        case 2:
            if (target)
                nodes.push_back(tree->InsertNode(target, TVTNodeAttachMode(1 + random() % 4)));
            break;
        case 3:
            if (target) tree->DeleteNode(target, random() % 2 == 0);
            break;
        case 4:
            if (target) tree->ToggleNode(target);
            break;
        case 5:
            if (target) tree->SetIsVisible(target, random() % 3 == 0);
            break;
        case 6:
            if (target) tree->SetIsHidden(target, random() % 3 != 0);
            break;
        case 7:
            if (target) tree->SetNodeHeight(target, 5 + random() % 30);
            break;
        case 8:
            if (random() % 20 == 0) tree->Clear();
            break;
        }
        ASSERT_NO_THROW(tree->CheckInvariants()) << "step " << step;
        const TCounts expected = Recount(*tree);
        ASSERT_EQ(tree->TotalCount(), expected.Total) << "step " << step;
        ASSERT_EQ(tree->VisibleCount(), expected.Visible) << "step " << step;
        ASSERT_EQ(tree->RootNode()->TotalHeight, expected.RootHeight) << "step " << step;
    }
}

TEST(NodeStore, RecountNoticesABrokenCounter) {
    // The comparison above must be able to fail: a counter changed behind the tree's back shows.
    auto tree = MakeTree();
    tree->AddChild(tree->AddChild(nullptr));
    tree->RootNode()->FirstChild->States.Include(vsExpanded);
    EXPECT_NE(Recount(*tree).Visible, tree->VisibleCount());
}

// Each invariant broken behind the tree's back is named by CheckInvariants, which the intact
// tree passes; the damage is mended before the tree goes.
TEST(NodeStore, CheckInvariantsNamesEachBrokenInvariant) {
    struct TNodes {
        PVirtualNode Root, P, C, Q; // P holds C and is collapsed; Q is P's next sibling
    };
    struct TCase {
        const char* Name;
        int Invariant;
        void (*Damage)(const TNodes& N, int Sign);
    };
    const TCase cases[] = {
        {"a child count", 1, [](const TNodes& N, int Sign) { N.P->ChildCount += Sign; }},
        {"an index", 2, [](const TNodes& N, int Sign) { N.Q->Index -= Sign; }},
        {"a total count", 3, [](const TNodes& N, int Sign) { N.C->TotalCount += Sign; }},
        {"a total height", 4, [](const TNodes& N, int Sign) { N.Q->TotalHeight += Sign; }},
        {"the visible count", 6,
         [](const TNodes& N, int Sign) {
             // Expanded with every height that follows from it, but not counted.
             if (Sign > 0)
                 N.P->States.Include(vsExpanded);
             else
                 N.P->States.Exclude(vsExpanded);
             N.P->TotalHeight += Sign * N.C->TotalHeight;
             N.Root->TotalHeight += Sign * N.C->TotalHeight;
         }},
        {"an all-children-hidden flag", 7,
         [](const TNodes& N, int Sign) {
             if (Sign > 0)
                 N.P->States.Include(vsAllChildrenHidden);
             else
                 N.P->States.Exclude(vsAllChildrenHidden);
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        auto tree = MakeTree();
        TNodes nodes{tree->RootNode(), tree->AddChild(nullptr), nullptr, nullptr};
        nodes.C = tree->AddChild(nodes.P);
        nodes.Q = tree->AddChild(nullptr);
        ASSERT_NO_THROW(tree->CheckInvariants());
        c.Damage(nodes, 1);
        try {
            tree->CheckInvariants();
            ADD_FAILURE() << "the damage went unnoticed";
        } catch (const EAssertionFailed& e) {
            const UnicodeString named = L"invariant " + std::to_wstring(c.Invariant) + L" ";
            EXPECT_NE(e.Message().find(named), UnicodeString::npos) << Narrow(e.Message());
        }
        c.Damage(nodes, -1);
        EXPECT_NO_THROW(tree->CheckInvariants());
    }
}

// DeleteChildren, Clear and ChangeChildCount (growing and shrinking) check the whole tree when
// they end outside an update: damage left behind the tree's back in a part the change does not
// touch fails that change, while inside an update it waits for EndUpdate.
TEST(NodeStore, ChangesOutsideAnUpdateCatchABrokenInvariant) {
    struct TNodes {
        PVirtualNode Root, P, C, Q; // P holds C (P collapsed); Q is P's next sibling
    };
    struct TCase {
        const char* Name;
        void (*Change)(TBaseVirtualTree& Tree, const TNodes& N);
        void (*Damage)(const TNodes& N, int Sign); // somewhere the change leaves alone
    };
    const TCase cases[] = {
        {"DeleteChildren", [](TBaseVirtualTree& T, const TNodes& N) { T.DeleteChildren(N.P); },
         [](const TNodes& N, int Sign) { N.Q->TotalHeight += Sign; }},
        {"Clear", [](TBaseVirtualTree& T, const TNodes&) { T.Clear(); },
         // The root's own row height survives a Clear; its total height is reset.
         [](const TNodes& N, int Sign) { N.Root->NodeHeight += Sign; }},
        {"ChangeChildCount growing",
         [](TBaseVirtualTree& T, const TNodes& N) { T.SetChildCount(N.Q, 3); },
         [](const TNodes& N, int Sign) { N.C->TotalCount += Sign; }},
        {"ChangeChildCount shrinking",
         [](TBaseVirtualTree& T, const TNodes& N) { T.SetChildCount(N.Root, 1); },
         [](const TNodes& N, int Sign) { N.C->TotalCount += Sign; }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        for (const bool inUpdate : {false, true}) {
            auto tree = MakeTree();
            TNodes nodes{tree->RootNode(), tree->AddChild(nullptr), nullptr, nullptr};
            nodes.C = tree->AddChild(nodes.P);
            nodes.Q = tree->AddChild(nullptr);
            c.Damage(nodes, 1);
            if (inUpdate) tree->BeginUpdate();
            if (inUpdate) {
                EXPECT_NO_THROW(c.Change(*tree, nodes));
                EXPECT_THROW(tree->EndUpdate(), EAssertionFailed);
            } else {
                EXPECT_THROW(c.Change(*tree, nodes), EAssertionFailed);
            }
            c.Damage(nodes, -1);
            EXPECT_NO_THROW(tree->CheckInvariants());
        }
    }
}

// A node whose children all were hidden keeps its promise of children when they are deleted
// without resetting it: the flag that hides its button goes with them.
TEST(NodeStore, DeletingHiddenChildrenKeepsTheButtonOfANodeThatStillHasChildren) {
    auto tree = MakeTree();
    PVirtualNode parent = tree->AddChild(nullptr);
    tree->SetIsVisible(tree->AddChild(parent), false);
    ASSERT_TRUE(parent->States.Contains(vsAllChildrenHidden));
    tree->DeleteChildren(parent, false);
    EXPECT_TRUE(parent->States.Contains(vsHasChildren));
    EXPECT_FALSE(parent->States.Contains(vsAllChildrenHidden));
}

TEST(NodeStore, CountersAfterAddInsertDeleteToggleAndClear) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    r.Build(*tree, L"A(A1,A2),B");
    const Cardinal h = tree->DefaultNodeHeight();
    EXPECT_EQ(tree->TotalCount(), 4u);
    EXPECT_EQ(tree->VisibleCount(), 4u);
    EXPECT_EQ(tree->RootNode()->TotalHeight, 5 * h);
    tree->InsertNode(r.Find(L"A1"), amInsertAfter);
    EXPECT_EQ(tree->TotalCount(), 5u);
    EXPECT_EQ(r.Find(L"A2")->Index, 2u);
    EXPECT_EQ(tree->VisibleCount(), 5u);
    tree->ToggleNode(r.Find(L"A"));
    EXPECT_EQ(tree->VisibleCount(), 2u);
    EXPECT_EQ(tree->RootNode()->TotalHeight, 3 * h);
    tree->DeleteNode(r.Find(L"A"));
    EXPECT_EQ(tree->TotalCount(), 1u);
    EXPECT_EQ(tree->VisibleCount(), 1u);
    EXPECT_EQ(r.Find(L"B")->Index, 0u);
    tree->Clear();
    EXPECT_EQ(tree->TotalCount(), 0u);
    EXPECT_EQ(tree->VisibleCount(), 0u);
    EXPECT_EQ(tree->RootNode()->TotalHeight, h);
}

TEST(NodeStore, FreeNodeOnlyForInitialisedNodesButFinaliserForAll) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    tree->SetRootNodeCount(3);
    tree->GetFirst(); // initialises the first node only
    tree->Clear();
    EXPECT_EQ(r.FreeCount, 1);
    EXPECT_EQ(r.FinalizeCount, 3);
}

TEST(NodeStore, InitialUserDataCountsAsInitialised) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    tree->SetNodeDataSize(sizeof(void*));
    int payload = 0;
    PVirtualNode node = tree->AddChild(nullptr, &payload);
    EXPECT_TRUE(node->States.Contains(vsInitialUserData));
    EXPECT_EQ(*tree->GetNodeData<void*>(node), &payload);
    tree->DeleteNode(node);
    EXPECT_EQ(r.FreeCount, 1);
    EXPECT_EQ(r.InitCount, 0);
}

TEST(NodeStore, UserDataWithoutRoomRaises2008AndKeepsTheNode) {
    auto tree = MakeTree();
    tree->SetNodeDataSize(2);
    int payload = 0;
    try {
        tree->AddChild(nullptr, &payload);
        FAIL() << "no error";
    } catch (const EVirtualTreeError& error) {
        EXPECT_EQ(error.HelpContext(), 2008);
    }
    EXPECT_EQ(tree->TotalCount(), 1u);
    EXPECT_FALSE(tree->GetFirstNoInit()->States.Contains(vsInitialUserData));
}

TEST(NodeStore, NodeDataSizeLeftUnsetBecomesZeroAndGetNodeDataAsserts) {
    auto tree = MakeTree();
    PVirtualNode node = tree->AddChild(nullptr);
    EXPECT_EQ(tree->NodeDataSize(), 0);
    EXPECT_THROW(tree->GetNodeData(node), EAssertionFailed);
    EXPECT_EQ(tree->GetNodeData(nullptr), nullptr);
    EXPECT_EQ(tree->GetNodeData(tree->RootNode()), nullptr);
}

TEST(NodeStore, UserDataFollowsTheInternalArea) {
    auto tree = MakeTree();
    tree->SetNodeDataSize(8);
    PVirtualNode node = tree->AddChild(nullptr);
    // The string tree's width cache (4 bytes, padded to a pointer) lies between the record and
    // the user data.
    EXPECT_EQ(static_cast<Byte*>(tree->GetNodeData(node)), node->Data() + sizeof(void*));
    EXPECT_EQ(reinterpret_cast<NativeUInt>(tree->GetNodeData(node)) % alignof(void*), 0u);
}

TEST(NodeStore, ChangingNodeDataSizeRecreatesEmptyNodes) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    tree->SetRootNodeCount(5);
    tree->ValidateChildren(nullptr, false);
    tree->SetNodeDataSize(16);
    EXPECT_EQ(r.FreeCount, 5);
    EXPECT_EQ(tree->RootNodeCount(), 5u);
    for (PVirtualNode run = tree->GetFirstNoInit(); run; run = tree->GetNextNoInit(run)) {
        EXPECT_FALSE(run->States.Contains(vsInitialized));
        EXPECT_EQ(*tree->GetNodeData<Int64>(run), 0);
    }
}

TEST(NodeStore, NodeDataSizeCannotChangeUnderReadOnlyNodes) {
    auto tree = MakeTree();
    tree->SetNodeDataSize(4);
    tree->AddChild(nullptr);
    auto* options = tree->TreeOptions();
    options->SetMiscOptions(options->MiscOptions() + TVTMiscOptions{toReadOnly});
    EXPECT_THROW(tree->SetNodeDataSize(16), EInvalidOperation);
    EXPECT_EQ(tree->NodeDataSize(), 4);
    EXPECT_EQ(tree->TotalCount(), 1u);
}

TEST(NodeStore, ReadOnlyRefusesStructuralChanges) {
    auto tree = MakeTree();
    tree->SetRootNodeCount(2);
    auto* options = tree->TreeOptions();
    options->SetMiscOptions(options->MiscOptions() + TVTMiscOptions{toReadOnly});
    EXPECT_EQ(tree->AddChild(nullptr), nullptr);
    EXPECT_EQ(tree->InsertNode(nullptr, amAddChildLast), nullptr);
    tree->Clear();
    tree->SetRootNodeCount(0);
    tree->DeleteNode(tree->GetFirstNoInit());
    EXPECT_EQ(tree->TotalCount(), 2u);
}

TEST(NodeStore, DeleteWithoutReindexLeavesAGap) {
    auto tree = MakeTree();
    tree->SetRootNodeCount(3);
    tree->DeleteNode(tree->GetFirstNoInit(), false);
    PVirtualNode first = tree->GetFirstNoInit();
    EXPECT_EQ(first->Index, 1u);
    EXPECT_EQ(first->NextSibling->Index, 2u);
}

TEST(NodeStore, DeletingTheOnlyChildCollapsesTheParent) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    r.Build(*tree, L"A(A1(X,Y)),B");
    EXPECT_EQ(tree->VisibleCount(), 5u);
    tree->DeleteNode(r.Find(L"A1"));
    PVirtualNode a = r.Find(L"A");
    EXPECT_FALSE(a->States.Contains(vsExpanded));
    EXPECT_FALSE(a->States.Contains(vsHasChildren));
    EXPECT_EQ(tree->VisibleCount(), 2u);
}

TEST(NodeStore, ResetNodeOfNilClearsAndOfANodeForgetsItsInitialisation) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    r.Build(*tree, L"A(A1),B");
    PVirtualNode a = r.Find(L"A");
    tree->ValidateNode(a, false);
    tree->ResetNode(a);
    EXPECT_FALSE(a->States.Contains(vsInitialized));
    EXPECT_EQ(a->ChildCount, 0u);
    tree->ResetNode(nullptr);
    EXPECT_EQ(tree->TotalCount(), 0u);
}

TEST(NodeStore, LazyChildrenAreMaterialisedOnFirstNeed) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    r.InitNode = [](PVirtualNode, TVirtualNodeInitStates& states) {
        states.Include(ivsHasChildren);
    };
    r.InitChildren = [](PVirtualNode, Cardinal& count) { count = 2; };
    tree->SetRootNodeCount(1);
    EXPECT_EQ(r.InitCount, 0);
    PVirtualNode first = tree->GetFirst();
    EXPECT_EQ(first->ChildCount, 0u);
    PVirtualNode child = tree->GetNext(first);
    EXPECT_EQ(child->Parent, first);
    EXPECT_EQ(first->ChildCount, 2u);
    EXPECT_TRUE(child->States.Contains(vsInitialized));
    EXPECT_EQ(tree->TotalCount(), 3u);
}

TEST(NodeStore, FreedNodesAreNoLongerAlive) {
    auto tree = MakeTree();
    PVirtualNode node = tree->AddChild(nullptr);
    const TVTNodeRef ref = tree->NodeRef(node);
    EXPECT_TRUE(tree->IsAlive(ref));
    tree->DeleteNode(node);
    EXPECT_FALSE(tree->IsAlive(ref));
    // The block is reused for the next node, which is a different node.
    PVirtualNode next = tree->AddChild(nullptr);
    EXPECT_EQ(next, node);
    EXPECT_FALSE(tree->IsAlive(ref));
    EXPECT_TRUE(tree->IsAlive(tree->NodeRef(next)));
    EXPECT_FALSE(tree->IsAlive(TVTNodeRef{}));
    EXPECT_TRUE(tree->IsAlive(tree->NodeRef(tree->RootNode())));
}

// Without a handler for freed nodes Clear gives all blocks back at once; with one it frees node
// by node. Both must leave the same tree and report the same structure change.
TEST(NodeStore, ClearWithAndWithoutFreeHandlersLeavesTheSameTree) {
    for (const wchar_t* description : {L"A,B,C", L"A(A1,A2),B(B1(B11))"}) {
        SCOPED_TRACE(Narrow(description));
        std::vector<std::wstring> logs;
        for (bool listening : {false, true}) {
            auto tree = MakeTree();
            TRecorder r;
            r.Build(*tree, description);
            tree->OnStructureChange = TVTStructureChangeEvent(&r, &TRecorder::OnStructureChange);
            if (listening) tree->OnFinalizeNode = TVTFreeNodeEvent(&r, &TRecorder::OnFinalizeNode);
            const TVTNodeRef ref = tree->NodeRef(r.Find(L"B"));
            tree->Clear();
            EXPECT_FALSE(tree->IsAlive(ref));
            EXPECT_EQ(tree->TotalCount(), 0u);
            EXPECT_EQ(tree->VisibleCount(), 0u);
            EXPECT_EQ(tree->RootNode()->TotalHeight, tree->DefaultNodeHeight());
            EXPECT_EQ(tree->RootNode()->FirstChild, nullptr);
            EXPECT_EQ(tree->RootNode()->LastChild, nullptr);
            EXPECT_FALSE(tree->RootNode()->States.Contains(vsHasChildren));
            EXPECT_EQ(r.FinalizeCount, listening ? static_cast<int>(r.Names.size()) : 0);
            logs.push_back(r.Joined());
            tree->OnStructureChange = {};
            tree->OnFinalizeNode = {};
            PVirtualNode again = tree->AddChild(nullptr);
            EXPECT_TRUE(tree->IsAlive(tree->NodeRef(again)));
            EXPECT_FALSE(tree->IsAlive(ref));
            EXPECT_EQ(tree->TotalCount(), 1u);
        }
        EXPECT_EQ(logs[0], logs[1]);
    }
}

TEST(NodeStore, ClearReportsFreedNodesLastToFirstSubtreesFirst) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    r.Build(*tree, L"A(A1,A2),B");
    tree->ValidateNode(nullptr, true);
    r.Log.clear();
    tree->Clear();
    std::wstring frees;
    for (const std::wstring& entry : r.Log)
        if (entry.starts_with(L"free ")) frees += (frees.empty() ? L"" : L",") + entry.substr(5);
    EXPECT_EQ(Narrow(frees), "B,A2,A1,A");
    EXPECT_EQ(r.FinalizeCount, 4);
}

TEST(NodeStore, EveryReferenceToAFreedNodeIsDropped) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    r.Build(*tree, L"A,B");
    PVirtualNode a = r.Find(L"A");
    tree->SetFocusedNode(a);
    tree->SetSelected(a, true);
    tree->SetHotNode(a);
    tree->SetDropTargetNode(a);
    tree->SetEditNode(a);
    tree->SetHeightTrackNode(a);
    tree->SetDragSelection({a, r.Find(L"B")});
    auto* options = tree->TreeOptions();
    options->SetMiscOptions(options->MiscOptions() + TVTMiscOptions{toCheckSupport});
    a->CheckType = ctCheckBox;
    tree->BeginCheckPress(a);
    tree->SetIncrementalSearch(isAll);
    tree->IncrementalSearchStart = ssAlwaysStartOver;
    tree->HandleIncrementalSearch(L'A');
    EXPECT_EQ(tree->LastSearchNode(), a);
    EXPECT_EQ(tree->CheckNode(), a);

    tree->DeleteNode(a);
    EXPECT_EQ(tree->FocusedNode(), nullptr);
    EXPECT_NE(tree->RangeAnchor(), a);
    EXPECT_EQ(tree->HotNode(), nullptr);
    EXPECT_EQ(tree->DropTargetNode(), nullptr);
    EXPECT_EQ(tree->EditNode(), nullptr);
    EXPECT_EQ(tree->HeightTrackNode(), nullptr);
    EXPECT_EQ(tree->CheckNode(), nullptr);
    EXPECT_EQ(tree->LastSearchNode(), nullptr);
    EXPECT_EQ(tree->DragSelection(), TNodeArray{r.Find(L"B")});
    EXPECT_EQ(tree->SelectedCount(), 0u);
}

TEST(NodeStore, ClearEmptiesAPendingCutThroughTheSink) {
    auto tree = MakeTree<TTestTree>();
    TRecordingSink sink;
    tree->SetViewSink(&sink);
    tree->AddChild(nullptr);
    tree->DoStateChange({tsCutPending});
    tree->Clear();
    EXPECT_EQ(sink.ClipboardEmptied, 1);
    EXPECT_GT(sink.EditCancels, 0);
    EXPECT_FALSE(tree->TreeStates().Contains(tsCutPending));
    tree->SetViewSink(nullptr);
}
