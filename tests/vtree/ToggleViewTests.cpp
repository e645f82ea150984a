#include "InputFixture.h"

namespace {

using namespace vtree_test;

struct TStateLog {
    int EnteredAnimation = 0, LeftAnimation = 0;
    void OnStateChange(TBaseVirtualTree*, TVirtualTreeStates Enter, TVirtualTreeStates Leave) {
        if (Enter.Contains(tsInAnimation)) ++EnteredAnimation;
        if (Leave.Contains(tsInAnimation)) ++LeftAnimation;
    }
};

class VTToggleView : public TInputFixture {
protected:
    VTToggleView() { AddRows(50); }
    void AddChildren(PVirtualNode Parent, int Count) {
        for (int i = 0; i < Count; ++i) Tree().AddChild(Parent);
    }
    int RowsInView() { return Window->ClientHeight() / static_cast<int>(Tree().DefaultNodeHeight()); }
};

TEST_F(VTToggleView, ExpansionThatDoesNotFitPutsTheNodeAtTheTop) {
    PVirtualNode node = Row(5);
    AddChildren(node, 40);
    Tree().ToggleNode(node);
    EXPECT_EQ(Window->TopNode(), node);
}

TEST_F(VTToggleView, ExpansionThatFitsShowsTheWholeBlock) {
    PVirtualNode node = Row(RowsInView() - 2);
    AddChildren(node, 4);
    Tree().ToggleNode(node);
    PVirtualNode last = Tree().GetLastChild(node);
    EXPECT_LE(Window->GetDisplayRect(last, NoColumn, false).bottom, Window->ClientHeight());
    EXPECT_GE(Window->GetDisplayRect(node, NoColumn, false).top, 0) << "the node stays in view";
    EXPECT_LT(Window->OffsetY(), 0);
}

TEST_F(VTToggleView, WithoutAutoScrollTheViewStays) {
    TCustomVirtualTreeOptions* options = Tree().TreeOptions();
    options->SetAutoOptions(options->AutoOptions() - TVTAutoOptions{toAutoScrollOnExpand});
    PVirtualNode node = Row(5);
    AddChildren(node, 40);
    Tree().ToggleNode(node);
    EXPECT_EQ(Window->OffsetY(), 0);
}

TEST_F(VTToggleView, AnimatedToggleRunsAndEnds) {
    TStateLog log;
    Tree().OnStateChange = TVTStateChangeEvent(&log, &TStateLog::OnStateChange);
    TCustomVirtualTreeOptions* options = Tree().TreeOptions();
    options->SetAnimationOptions({toAnimatedToggle});
    options->SetAutoOptions(options->AutoOptions() - TVTAutoOptions{toAutoScrollOnExpand});
    Tree().AnimationDuration = 30;
    PVirtualNode node = Row(2);
    AddChildren(node, 3);
    Tree().ToggleNode(node);
    Tree().ToggleNode(node);
    EXPECT_EQ(log.EnteredAnimation, 2) << "expanding and collapsing both animate";
    EXPECT_EQ(log.LeftAnimation, 2);
    EXPECT_FALSE(Tree().Expanded(node));
    Tree().BeginUpdate();
    Tree().ToggleNode(node);
    Tree().EndUpdate();
    EXPECT_EQ(log.EnteredAnimation, 2) << "no animation inside an update";
    Tree().FullCollapse();
    EXPECT_EQ(log.EnteredAnimation, 2) << "FullCollapse never animates";
}

TEST_F(VTToggleView, AnimateSpreadsTheStepsAndEndsWithAFinalCall) {
    std::vector<std::pair<int, int>> calls;
    Window->Animate(20, 10, [&](int Step, int Size) {
        calls.emplace_back(Step, Size);
        return true;
    });
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), std::make_pair(0, 0));
    int total = 0;
    for (std::size_t i = 0; i + 1 < calls.size(); ++i) total += calls[i].second;
    EXPECT_LE(total, 20);
    EXPECT_GT(total, 0);
    calls.clear();
    Window->Animate(20, 0, [&](int Step, int Size) {
        calls.emplace_back(Step, Size);
        return true;
    });
    EXPECT_TRUE(calls.empty()) << "a duration of 0 animates nothing";
}

class VTToggleAbove : public VTToggleView {
protected:
    VTToggleAbove() {
        TCustomVirtualTreeOptions* options = Tree().TreeOptions();
        options->SetPaintOptions(options->PaintOptions() + TVTPaintOptions{toChildrenAbove});
    }
    int TopOf(PVirtualNode Node) { return Window->GetDisplayRect(Node, NoColumn, false).top; }
};

TEST_F(VTToggleAbove, TheNodesRowKeepsItsPlaceWhileRowsAppearAboveIt) {
    TCustomVirtualTreeOptions* options = Tree().TreeOptions();
    options->SetAutoOptions(options->AutoOptions() - TVTAutoOptions{toAutoScrollOnExpand});
    Window->SetOffsetY(-100);
    PVirtualNode node = Row(20);
    AddChildren(node, 3);
    const int top = TopOf(node);
    Tree().ToggleNode(node);
    EXPECT_EQ(TopOf(node), top);
    EXPECT_EQ(Window->OffsetY(), -100 - 3 * 18);
    EXPECT_EQ(TopOf(Tree().GetFirstChild(node)), top - 3 * 18) << "the children lie above";
    Tree().ToggleNode(node);
    EXPECT_EQ(TopOf(node), top) << "and vanish the same way";
    EXPECT_EQ(Window->OffsetY(), -100);
}

TEST_F(VTToggleAbove, AutoScrollShowsTheExpandedBlock) {
    struct TCase {
        int Row, Children;
        const char* Expect;
    };
    const std::vector<TCase> cases = {
        {10, 4, "row kept"},     // room above the row for the children
        {1, 4, "block at top"},  // no room above, but the block fits
        {5, 40, "node at bottom"},
    };
    for (const TCase& c : cases) {
        Tree().FullCollapse();
        Window->SetOffsetY(0);
        PVirtualNode node = Row(c.Row);
        if (!node->FirstChild) AddChildren(node, c.Children);
        const int top = TopOf(node);
        Tree().ToggleNode(node);
        const std::string expect = c.Expect;
        if (expect == "row kept") {
            EXPECT_EQ(TopOf(node), top) << expect;
        } else if (expect == "block at top") {
            EXPECT_EQ(TopOf(Tree().GetFirstChild(node)), 0) << expect;
            EXPECT_LE(Window->GetDisplayRect(node, NoColumn, false).bottom, Window->ClientHeight())
                << expect;
        } else {
            EXPECT_EQ(Window->GetDisplayRect(node, NoColumn, false).bottom, Window->ClientHeight())
                << expect;
        }
    }
}

TEST_F(VTToggleAbove, AnimatedTogglesRunWithChildrenAboveAndAdvancedToggles) {
    TStateLog log;
    Tree().OnStateChange = TVTStateChangeEvent(&log, &TStateLog::OnStateChange);
    TCustomVirtualTreeOptions* options = Tree().TreeOptions();
    options->SetAnimationOptions({toAnimatedToggle, toAdvancedAnimatedToggle});
    Tree().AnimationDuration = 30;
    PVirtualNode node = Row(4);
    AddChildren(node, 3);
    Tree().ToggleNode(node);
    Tree().ToggleNode(node);
    EXPECT_EQ(log.EnteredAnimation, 2);
    EXPECT_EQ(log.LeftAnimation, 2);
    options->SetPaintOptions(options->PaintOptions() - TVTPaintOptions{toChildrenAbove});
    AddChildren(Row(6), 40); // does not fit: the rows above move up
    Tree().ToggleNode(Row(6));
    EXPECT_EQ(log.EnteredAnimation, 3);
    EXPECT_EQ(Window->TopNode(), Row(6));
}

} // namespace
