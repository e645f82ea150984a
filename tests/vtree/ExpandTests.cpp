// Expanding and collapsing: events, refusals, counters, lazily announced and freed children,
// and the bulk operations.
#include "TreeFixture.h"

using namespace vtree_test;

namespace {
struct TRefuser {
    void Refuse(TBaseVirtualTree*, PVirtualNode, bool& Allowed) { Allowed = false; }
};
} // namespace

TEST(Expand, ToggleOfALeafAsksButNeverExpands) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    r.Build(*tree, L"A");
    r.Log.clear();
    tree->ToggleNode(r.Find(L"A"));
    EXPECT_EQ(Narrow(r.Joined()), "expanding A; init A");
    EXPECT_FALSE(r.Find(L"A")->States.Contains(vsExpanded));
    EXPECT_THROW(tree->ToggleNode(nullptr), EAssertionFailed);
}

TEST(Expand, ZeroAnnouncedChildrenClearHasChildren) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    r.InitNode = [](PVirtualNode, TVirtualNodeInitStates& s) { s.Include(ivsHasChildren); };
    r.InitChildren = [](PVirtualNode, Cardinal& count) { count = 0; };
    PVirtualNode node = tree->AddChild(nullptr);
    tree->ToggleNode(node);
    EXPECT_FALSE(node->States.Contains(vsHasChildren));
    EXPECT_FALSE(node->States.Contains(vsExpanded));
}

TEST(Expand, VisibleCountAndHeightsFollowToggles) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    r.Build(*tree, L"A(A1,A2,A3),B");
    tree->ToggleNode(r.Find(L"A"));
    const Cardinal before = tree->VisibleCount();
    const Cardinal height = tree->RootNode()->TotalHeight;
    tree->ToggleNode(r.Find(L"A"));
    EXPECT_EQ(tree->VisibleCount(), before + 3);
    EXPECT_EQ(tree->RootNode()->TotalHeight, height + 3 * 18);
    tree->ToggleNode(r.Find(L"A"));
    EXPECT_EQ(tree->VisibleCount(), before);
    EXPECT_EQ(tree->RootNode()->TotalHeight, height);
}

TEST(Expand, RefusedCollapseKeepsTheNodeOpen) {
    TRefuser refuser;
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    r.Build(*tree, L"A(A1)");
    tree->OnCollapsing = TVTChangingEvent(&refuser, &TRefuser::Refuse);
    r.Log.clear();
    tree->ToggleNode(r.Find(L"A"));
    EXPECT_TRUE(r.Find(L"A")->States.Contains(vsExpanded));
    EXPECT_TRUE(r.Log.empty());
    tree->OnCollapsing = {};
}

TEST(Expand, AutoFreeOnCollapseAsksForChildrenAgain) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    auto* options = tree->TreeOptions();
    options->SetAutoOptions(options->AutoOptions() + TVTAutoOptions{toAutoFreeOnCollapse});
    r.InitNode = [&](PVirtualNode node, TVirtualNodeInitStates& s) {
        if (node->Parent == tree->RootNode()) s.Include(ivsHasChildren);
    };
    r.InitChildren = [](PVirtualNode, Cardinal& count) { count = 2; };
    PVirtualNode node = tree->AddChild(nullptr);
    tree->ToggleNode(node);
    tree->ValidateChildren(node, false);
    EXPECT_EQ(tree->TotalCount(), 3u);
    tree->ToggleNode(node);
    EXPECT_EQ(tree->TotalCount(), 1u);
    EXPECT_EQ(r.FreeCount, 2);
    EXPECT_TRUE(node->States.Contains(vsHasChildren));
    r.Log.clear();
    tree->ToggleNode(node);
    EXPECT_EQ(r.Log.front(), L"expanding ?");
    EXPECT_EQ(r.Log[1], L"children ?");
    EXPECT_EQ(tree->VisibleCount(), 3u);
}

TEST(Expand, FullExpandMaterialisesTheWholeTreeAndFullCollapseClosesIt) {
    auto tree = MakeTree();
    TRecorder r;
    r.Attach(*tree);
    r.InitNode = [&](PVirtualNode node, TVirtualNodeInitStates& s) {
        if (tree->GetNodeLevel(node) < 2) s.Include(ivsHasChildren);
    };
    r.InitChildren = [](PVirtualNode, Cardinal& count) { count = 2; };
    tree->SetRootNodeCount(2);
    tree->FullExpand();
    EXPECT_EQ(tree->TotalCount(), 2u + 4u + 8u);
    EXPECT_EQ(tree->VisibleCount(), 14u);
    tree->FullCollapse();
    EXPECT_EQ(tree->VisibleCount(), 2u);
    for (PVirtualNode run = tree->GetFirstNoInit(); run; run = tree->GetNextNoInit(run))
        EXPECT_FALSE(run->States.Contains(vsExpanded));
    EXPECT_FALSE(tree->TreeStates().Contains(tsExpanding));
    EXPECT_EQ(tree->UpdateCount(), 0u);
}
