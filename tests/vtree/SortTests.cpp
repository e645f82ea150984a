// Sorting sibling lists: stability in both directions, comparators that never answer 0,
// a comparator that raises, and which lists SortTree reaches.
#include "TreeFixture.h"

#include <map>

using namespace vtree_test;

namespace {

class SortTest : public ::testing::Test {
protected:
    TTreePtr<TVirtualStringTree> tree = MakeTree();
    TRecorder r;
    std::map<std::wstring, int> keys;

    void SetUp() override {
        r.Attach(*tree);
        r.Compare = [this](PVirtualNode a, PVirtualNode b) {
            return keys[r.Name(a)] - keys[r.Name(b)];
        };
    }
    std::string Top() {
        return Narrow(r.Walk([&] { return tree->GetFirstNoInit(); },
                             [&](PVirtualNode n) { return n->NextSibling; }));
    }
    void Indexes() {
        Cardinal expected = 0;
        for (PVirtualNode run = tree->GetFirstNoInit(); run; run = run->NextSibling)
            EXPECT_EQ(run->Index, expected++);
    }
};

} // namespace

TEST_F(SortTest, StableInBothDirections) {
    r.Build(*tree, L"A,B,C");
    keys = {{L"A", 2}, {L"B", 1}, {L"C", 2}};
    tree->Sort(nullptr, 0, sdAscending);
    EXPECT_EQ(Top(), "B,A,C");
    Indexes();
    tree->Clear();
    r.Names.clear();
    r.Build(*tree, L"A,B,C");
    tree->Sort(nullptr, 0, sdDescending);
    EXPECT_EQ(Top(), "A,C,B");
    EXPECT_EQ(tree->GetLastNoInit(), r.Find(L"B"));
}

TEST_F(SortTest, ComparatorThatNeverAnswersZero) {
    r.Build(*tree, L"E,B,D,A,C,B2");
    keys = {{L"A", 1}, {L"B", 2}, {L"B2", 2}, {L"C", 3}, {L"D", 4}, {L"E", 5}};
    // Equal keys answer -1: "not after", never 0.
    r.Compare = [this](PVirtualNode a, PVirtualNode b) {
        return keys[r.Name(a)] > keys[r.Name(b)] ? 1 : -1;
    };
    tree->Sort(nullptr, 0, sdAscending);
    EXPECT_EQ(Top(), "A,B,B2,C,D,E");
    // Descending takes B first on -1, so equal keys come out reversed: descending
    // is not the reverse of ascending.
    tree->Sort(nullptr, 0, sdDescending);
    EXPECT_EQ(Top(), "E,D,C,B2,B,A");
    EXPECT_EQ(tree->RootNode()->ChildCount, 6u);
    Indexes();
}

TEST_F(SortTest, ComparatorThatRaisesLeavesTheOrderIntact) {
    r.Build(*tree, L"D,C,B,A");
    int calls = 0;
    r.Compare = [&](PVirtualNode a, PVirtualNode b) {
        if (++calls == 4) throw EAbort(L"compare");
        return r.Name(a) < r.Name(b) ? -1 : 1;
    };
    EXPECT_THROW(tree->Sort(nullptr, 0, sdAscending), EAbort);
    EXPECT_EQ(Top(), "D,C,B,A");
    EXPECT_EQ(tree->GetLastNoInit(), r.Find(L"A"));
    Indexes();
}

TEST_F(SortTest, WithoutHandlerOrderStaysAndGapsClose) {
    tree->OnCompareNodes = {};
    r.Build(*tree, L"A,B,C,D");
    tree->DeleteNode(r.Find(L"A"), false);
    tree->Sort(nullptr, 0, sdAscending);
    EXPECT_EQ(Top(), "B,C,D");
    Indexes();
}

TEST_F(SortTest, SortTreeReachesEveryInitialisedList) {
    r.InitChildren = [](PVirtualNode, Cardinal& count) { count = 2; };
    r.InitNode = [this](PVirtualNode node, TVirtualNodeInitStates& states) {
        if (node->Parent == tree->RootNode())
            states.Include(ivsHasChildren);
        else
            r.Names[node] = r.Name(node->Parent) + (node->Index == 0 ? L"2" : L"1");
    };
    tree->SetRootNodeCount(2);
    r.Names[tree->GetFirstNoInit()] = L"B";
    r.Names[tree->GetLastNoInit()] = L"A";
    keys = {{L"A", 1}, {L"A1", 1}, {L"A2", 2}, {L"B", 2}, {L"B1", 1}, {L"B2", 2}};
    tree->SortTree(0, sdAscending, false);
    EXPECT_EQ(Top(), "A,B");
    EXPECT_EQ(r.Find(L"A")->ChildCount, 0u);
    EXPECT_EQ(r.InitCount, 0);
    tree->SortTree(0, sdAscending, true);
    EXPECT_EQ(Narrow(r.Walk([&] { return tree->GetFirst(); },
                            [&](PVirtualNode n) { return tree->GetNext(n); })),
              "A,A1,A2,B,B1,B2");
}

TEST_F(SortTest, InvalidColumnSortsNothing) {
    r.Build(*tree, L"B,A");
    keys = {{L"A", 1}, {L"B", 2}};
    tree->SortTree(-2, sdAscending);
    EXPECT_EQ(Top(), "B,A");
    EXPECT_EQ(tree->UpdateCount(), 0u);
}

// Sorting a list too short to change still repaints (the handler may have changed the keys),
// and so does a SortTree that sorts nothing; inside an update nothing repaints until its end.
TEST_F(SortTest, ShortListsAndTheInvalidColumnStillRepaint) {
    TRecordingSink sink;
    tree->SetViewSink(&sink);
    r.Build(*tree, L"A(A1),B");
    const PVirtualNode a = tree->GetFirstNoInit();
    const PVirtualNode b = a->NextSibling;
    b->States.Include(vsHasChildren); // a node said to have children that has none
    struct TCase {
        PVirtualNode Node;
        const char* What;
    } const cases[] = {{b, "no child"}, {a, "one child"}};
    for (const TCase& c : cases) {
        sink.Invalidations = 0;
        tree->Sort(c.Node, 0, sdAscending, false);
        EXPECT_EQ(sink.Invalidations, 1) << c.What;
    }
    sink.Invalidations = 0;
    tree->SortTree(-2, sdAscending);
    EXPECT_EQ(sink.Invalidations, 1) << "column -2";
    sink.Invalidations = 0;
    tree->BeginUpdate();
    tree->Sort(a, 0, sdAscending, false);
    EXPECT_EQ(sink.Invalidations, 0) << "inside an update";
    tree->EndUpdate();
    tree->SetViewSink(nullptr);
}

TEST_F(SortTest, AutoSortAtTheEndOfAnUpdateAndOnDirectionChange) {
    auto* options = tree->TreeOptions();
    options->SetAutoOptions(options->AutoOptions() + TVTAutoOptions{toAutoSort});
    keys = {{L"A", 1}, {L"B", 2}, {L"C", 3}};
    tree->BeginUpdate();
    r.Build(*tree, L"C,A,B");
    tree->EndUpdate();
    EXPECT_EQ(Top(), "A,B,C");
    tree->Header()->Columns()->Add();
    tree->Header()->SetSortDirection(sdDescending);
    EXPECT_EQ(Top(), "C,B,A");
}

// SortTree leaves the top level's order behind to fetch ahead on later walks (a level longer
// than the distance it fetches ahead); the walk must still follow the links once the level
// changed under that order (same length, other nodes, a freed block reused).
TEST_F(SortTest, WalksAfterSortTreeFollowTheLinksWhenTheLevelChanged) {
    std::wstring description, sorted;
    for (int i = 39; i >= 0; --i) {
        const std::wstring name = L"N" + std::to_wstring(i);
        description += (description.empty() ? L"" : L",") + name;
        keys[name] = i;
    }
    r.Build(*tree, description);
    tree->SortTree(0, sdAscending);
    auto walk = [&] {
        return r.Walk([&] { return tree->GetFirst(); },
                      [&](PVirtualNode n) { return tree->GetNext(n); });
    };
    for (int i = 0; i < 40; ++i) sorted += (i ? L"," : L"") + (L"N" + std::to_wstring(i));
    EXPECT_EQ(Narrow(walk()), Narrow(sorted));

    tree->DeleteNode(r.Find(L"N0"));
    r.Names[tree->InsertNode(r.Find(L"N39"), amInsertBefore)] = L"X";
    std::wstring changed;
    for (int i = 1; i < 39; ++i) changed += L"N" + std::to_wstring(i) + L",";
    EXPECT_EQ(Narrow(walk()), Narrow(changed + L"X,N39"));
    // Freeing node by node from the last one fetches backwards along the same hint.
    tree->Clear();
    EXPECT_EQ(r.FreeCount, 41);
    EXPECT_EQ(tree->TotalCount(), 0u);
}
