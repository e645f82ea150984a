// Walk orders (top-down and children-above, forwards and backwards), visible walks, filtered
// walks, structural queries, subtree iteration and the position cache.
#include "TreeFixture.h"

using namespace vtree_test;

namespace {

class NavigationTest : public ::testing::Test {
protected:
    TTreePtr<TVirtualStringTree> tree = MakeTree();
    TRecorder r;

    void SetUp() override { r.Attach(*tree); }

    void SetPaint(TVTPaintOption Option, bool On) {
        auto* options = tree->TreeOptions();
        TVTPaintOptions paint = options->PaintOptions();
        if (On)
            paint.Include(Option);
        else
            paint.Exclude(Option);
        options->SetPaintOptions(paint);
    }

    std::string Forward(bool ChildrenAbove) {
        return Narrow(r.Walk([&] { return tree->GetFirst(ChildrenAbove); },
                             [&](PVirtualNode n) { return tree->GetNext(n, ChildrenAbove); }));
    }
    std::string Backward(bool ChildrenAbove) {
        return Narrow(r.Walk(
            [&] {
                return ChildrenAbove ? tree->RootNode()->FirstChild ? Last(true) : nullptr
                                     : tree->GetLast();
            },
            [&](PVirtualNode n) { return tree->GetPrevious(n, ChildrenAbove); }));
    }
    PVirtualNode Last(bool ChildrenAbove) {
        PVirtualNode run = tree->GetFirst(ChildrenAbove);
        for (PVirtualNode next; run && (next = tree->GetNext(run, ChildrenAbove));) run = next;
        return run;
    }
    std::string Visible() {
        return Narrow(r.Walk([&] { return tree->GetFirstVisible(); },
                             [&](PVirtualNode n) { return tree->GetNextVisible(n); }));
    }
    std::string VisibleBackward() {
        return Narrow(r.Walk([&] { return tree->GetLastVisible(); },
                             [&](PVirtualNode n) { return tree->GetPreviousVisible(n); }));
    }
};

std::string Reversed(const std::string& List) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : List + ",") {
        if (c == ',') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    std::string result;
    for (auto run = parts.rbegin(); run != parts.rend(); ++run)
        result += (result.empty() ? "" : ",") + *run;
    return result;
}

} // namespace

TEST_F(NavigationTest, WalkOrdersForwardAndExactlyBackward) {
    struct Case {
        const wchar_t* Tree;
        bool ChildrenAbove;
        const char* Order;
    };
    const Case cases[] = {
        {L"A(A1,A2),B", false, "A,A1,A2,B"},
        {L"A(A1,A2),B", true, "A1,A2,A,B"},
        {L"A(A1(X,Y),A2),B(B1)", false, "A,A1,X,Y,A2,B,B1"},
        {L"A(A1(X,Y),A2),B(B1)", true, "X,Y,A1,A2,A,B1,B"},
        {L"A", false, "A"},
    };
    for (const Case& c : cases) {
        tree->Clear();
        r.Names.clear();
        r.Build(*tree, c.Tree);
        SetPaint(toChildrenAbove, c.ChildrenAbove);
        EXPECT_EQ(Forward(c.ChildrenAbove), c.Order) << Narrow(c.Tree);
        EXPECT_EQ(Backward(c.ChildrenAbove), Reversed(c.Order)) << Narrow(c.Tree);
    }
}

TEST_F(NavigationTest, ChildrenAboveNeedsTheOption) {
    r.Build(*tree, L"A(A1,A2),B");
    EXPECT_EQ(Forward(true), "A,A1,A2,B");
}

TEST_F(NavigationTest, EmptyTreeAndEnds) {
    EXPECT_EQ(tree->GetFirst(), nullptr);
    EXPECT_EQ(tree->GetNext(nullptr), nullptr);
    EXPECT_EQ(tree->GetFirstVisible(), nullptr);
    r.Build(*tree, L"A");
    EXPECT_EQ(tree->GetNext(r.Find(L"A")), nullptr);
    EXPECT_THROW(tree->GetNext(tree->RootNode()), EAssertionFailed);
}

TEST_F(NavigationTest, VisibleWalkSkipsCollapsedInvisibleAndHidden) {
    r.Build(*tree, L"A(A1,A2),B(B1),C(C1),D");
    tree->ToggleNode(r.Find(L"B"));
    tree->SetIsVisible(r.Find(L"A1"), false);
    tree->SetIsHidden(r.Find(L"C"), true);
    EXPECT_EQ(Visible(), "A,A2,B,D");
    EXPECT_EQ(VisibleBackward(), "D,B,A2,A");
    EXPECT_EQ(tree->VisibleCount(), 4u);
    SetPaint(toShowHiddenNodes, true);
    EXPECT_EQ(Visible(), "A,A2,B,C,C1,D");
    EXPECT_EQ(tree->VisibleCount(), 6u);
}

TEST_F(NavigationTest, GetNextMaterialisesAnnouncedChildren) {
    PVirtualNode a = tree->AddChild(nullptr);
    r.Names[a] = L"A";
    a->States.Include(vsHasChildren);
    r.Log.clear();
    r.InitChildren = [](PVirtualNode, Cardinal& count) { count = 1; };
    PVirtualNode child = tree->GetNext(a);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->Parent, a);
    EXPECT_EQ(Narrow(r.Joined()), "children A; structure A 2; init ?");
}

TEST_F(NavigationTest, NoInitWalksInitialiseNothing) {
    tree->SetRootNodeCount(3);
    int count = 0;
    for (PVirtualNode run = tree->GetFirstNoInit(); run; run = tree->GetNextNoInit(run)) ++count;
    EXPECT_EQ(count, 3);
    EXPECT_EQ(r.InitCount, 0);
    EXPECT_EQ(tree->GetFirstInitialized(), nullptr);
    tree->GetLast();
    EXPECT_EQ(tree->GetFirstInitialized(), tree->GetLastNoInit());
}

TEST_F(NavigationTest, StructuralQueries) {
    r.Build(*tree, L"A(A1(X),A2),B");
    EXPECT_EQ(tree->AbsoluteIndex(r.Find(L"A")), 0u);
    EXPECT_EQ(tree->AbsoluteIndex(r.Find(L"A1")), 1u);
    EXPECT_EQ(tree->AbsoluteIndex(r.Find(L"A2")), 3u);
    EXPECT_EQ(tree->AbsoluteIndex(r.Find(L"B")), r.Find(L"A")->TotalCount);
    EXPECT_EQ(tree->GetNodeLevel(r.Find(L"A")), 0u);
    EXPECT_EQ(tree->GetNodeLevel(r.Find(L"X")), 2u);
    EXPECT_TRUE(tree->HasAsParent(r.Find(L"X"), r.Find(L"A")));
    EXPECT_TRUE(tree->HasAsParent(r.Find(L"X"), tree->RootNode()));
    EXPECT_FALSE(tree->HasAsParent(r.Find(L"A"), r.Find(L"X")));
    EXPECT_FALSE(tree->HasAsParent(r.Find(L"A"), r.Find(L"A")));
}

TEST_F(NavigationTest, LevelWalks) {
    r.Build(*tree, L"A(A1(X),A2),B(B1)");
    EXPECT_EQ(Narrow(r.Walk([&] { return tree->GetFirstLevel(1); },
                            [&](PVirtualNode n) { return tree->GetNextLevel(n, 1); })),
              "A1,A2,B1");
    EXPECT_EQ(Narrow(r.Walk([&] { return r.Find(L"B1"); },
                            [&](PVirtualNode n) { return tree->GetPreviousLevel(n, 1); })),
              "B1,A2,A1");
    EXPECT_EQ(tree->GetNextLevel(r.Find(L"A"), 2), r.Find(L"X"));
}

TEST_F(NavigationTest, LeafWalks) {
    r.Build(*tree, L"A(A1(X),A2),B");
    EXPECT_EQ(Narrow(r.Walk([&] { return tree->GetFirstLeaf(); },
                            [&](PVirtualNode n) { return tree->GetNextLeaf(n); })),
              "X,A2,B");
}

namespace {
struct TCollector {
    std::vector<PVirtualNode> Seen;
    PVirtualNode AbortAt = nullptr;
    TBaseVirtualTree* DeleteFrom = nullptr;
    void Visit(TBaseVirtualTree*, PVirtualNode Node, void*, bool& Abort) {
        Seen.push_back(Node);
        if (DeleteFrom) DeleteFrom->DeleteNode(Node);
        Abort = Node == AbortAt;
    }
};
} // namespace

TEST_F(NavigationTest, IterateSubtreeVisitsInOrderAndRefusesDeletion) {
    r.Build(*tree, L"A(A1,A2),B");
    TCollector all;
    EXPECT_EQ(tree->IterateSubtree(nullptr, TVTGetNodeProc(&all, &TCollector::Visit), nullptr),
              nullptr);
    EXPECT_EQ(all.Seen.size(), 4u);
    EXPECT_EQ(all.Seen[2], r.Find(L"A2"));

    TCollector sub;
    sub.AbortAt = r.Find(L"A1");
    EXPECT_EQ(tree->IterateSubtree(r.Find(L"A"), TVTGetNodeProc(&sub, &TCollector::Visit), nullptr),
              r.Find(L"A1"));
    EXPECT_EQ(sub.Seen.size(), 2u);

    TCollector none;
    EXPECT_EQ(tree->IterateSubtree(r.Find(L"B"), TVTGetNodeProc(&none, &TCollector::Visit), nullptr,
                                   {}, false, true),
              nullptr);
    EXPECT_TRUE(none.Seen.empty());

    TCollector deleter;
    deleter.DeleteFrom = tree.get();
    EXPECT_THROW(
        tree->IterateSubtree(nullptr, TVTGetNodeProc(&deleter, &TCollector::Visit), nullptr),
        EAssertionFailed);
    EXPECT_FALSE(tree->TreeStates().Contains(tsIterating));
    EXPECT_EQ(tree->TotalCount(), 4u);
}

TEST_F(NavigationTest, PositionCacheOnlyAbove2000VisibleNodes) {
    tree->SetRootNodeCount(2000);
    EXPECT_FALSE(tree->ValidateCache());
    EXPECT_TRUE(tree->PositionCache().empty());
    tree->AddChild(nullptr);
    EXPECT_TRUE(tree->ValidateCache());
    ASSERT_EQ(tree->PositionCache().size(), 2u);
    PVirtualNode node2000 = tree->GetLastNoInit();
    EXPECT_EQ(tree->PositionCache()[0].Node, tree->GetFirstNoInit());
    EXPECT_EQ(tree->PositionCache()[1].Node, node2000);
    EXPECT_EQ(tree->PositionCache()[1].AbsoluteTop, 2000u * 18u);
    Integer top = 0;
    EXPECT_EQ(tree->GetNodeAt(0, 2000 * 18 + 3, false, top), node2000);
    EXPECT_EQ(top, 2000 * 18);
    tree->AddChild(nullptr);
    EXPECT_FALSE(tree->TreeStates().Contains(tsUseCache));
}

TEST_F(NavigationTest, NodeAtPositions) {
    r.Build(*tree, L"A,B");
    EXPECT_EQ(tree->GetNodeAt(0, -5), r.Find(L"A"));
    EXPECT_EQ(tree->GetNodeAt(0, 18), r.Find(L"B"));
    EXPECT_EQ(tree->GetNodeAt(0, 36), nullptr);
}
