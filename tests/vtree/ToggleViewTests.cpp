#include "InputFixture.h"

#include <optional>

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
    int RowsInView() {
        return Window->ClientHeight() / static_cast<int>(Tree().DefaultNodeHeight());
    }
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

// A collapse moves the rows below the node up by the removed height, unless the tree is scrolled
// so near its end that the offset comes back: then, with toAdvancedAnimatedToggle, the node and
// the rows above it move down by what comes back and the rows below up by the rest.
class VTCollapseStrips : public VTToggleView {
protected:
    void SetAnimationOptions(TVTAnimationOptions Value) {
        Tree().TreeOptions()->SetAnimationOptions(Value);
    }
    void SetChildrenAbove(bool Value) {
        TCustomVirtualTreeOptions* options = Tree().TreeOptions();
        const TVTPaintOptions above{toChildrenAbove};
        options->SetPaintOptions(Value ? options->PaintOptions() + above
                                       : options->PaintOptions() - above);
    }
    // The node expanded with four children, the view scrolled so that BelowWindow pixels of
    // content lie below it (none: at the top).
    PVirtualNode ExpandAndScroll(int Index, std::optional<int> BelowWindow) {
        Tree().FullCollapse();
        PVirtualNode node = Row(Index);
        if (!node->FirstChild) AddChildren(node, 4);
        Tree().ToggleNode(node);
        Window->SetOffsetY(BelowWindow ? Window->ClientHeight() - Window->RangeY() + *BelowWindow
                                       : 0);
        return node;
    }
};

TEST_F(VTCollapseStrips, TheRowsAboveMoveByWhatTheOffsetGivesBack) {
    struct TCase {
        const char* Name;
        int Row;
        std::optional<int> BelowWindow;
        bool Advanced, ChildrenAbove;
        bool Scrolls, RowsAboveMove;
    };
    const std::vector<TCase> cases = {
        {"at the end, advanced", 44, 0, true, false, true, true},
        {"near the end, advanced", 44, 30, true, false, true, true},
        {"at the end, plain", 44, 0, false, false, true, false},
        {"at the top, advanced", 5, std::nullopt, true, false, false, false},
        {"at the end, children above", 44, 0, true, true, true, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        SetChildrenAbove(c.ChildrenAbove);
        SetAnimationOptions({});
        PVirtualNode node = ExpandAndScroll(c.Row, c.BelowWindow);
        SetAnimationOptions(c.Advanced ? TVTAnimationOptions{toAdvancedAnimatedToggle}
                                       : TVTAnimationOptions{});
        const TRect row = Window->GetDisplayRect(node, NoColumn, false);
        ASSERT_GE(row.top, 0);
        ASSERT_LT(row.bottom, Window->ClientHeight());
        const int removed = static_cast<int>(node->TotalHeight - node->NodeHeight);
        const TVirtualTreeWindow::TToggleStrips strips = Window->ToggleStrips(row, -removed);
        const int offsetBefore = Window->OffsetY();
        Tree().ToggleNode(node);
        const int givenBack = Window->OffsetY() - offsetBefore;
        if (c.ChildrenAbove) {
            ASSERT_EQ(strips.size(), 1u);
            EXPECT_EQ(strips[0].Top, 0);
            EXPECT_EQ(strips[0].Bottom, row.top);
            EXPECT_EQ(strips[0].Direction, 1);
            EXPECT_EQ(strips[0].Distance, std::min<int>(removed, row.top));
            continue;
        }
        EXPECT_EQ(givenBack > 0, c.Scrolls)
            << "offset " << offsetBefore << " -> " << Window->OffsetY();
        const int rowsAbove = c.RowsAboveMove ? givenBack : 0;
        ASSERT_EQ(strips.size(), c.RowsAboveMove ? 2u : 1u);
        EXPECT_EQ(strips[0].Top, row.bottom) << "the rows below";
        EXPECT_EQ(strips[0].Direction, -1);
        EXPECT_EQ(strips[0].Distance,
                  std::min<int>(removed - rowsAbove, Window->ClientHeight() - row.bottom));
        if (!c.RowsAboveMove) continue;
        EXPECT_EQ(strips[1].Top, 0) << "the node and the rows above it";
        EXPECT_EQ(strips[1].Bottom, row.bottom);
        EXPECT_EQ(strips[1].Reach, row.bottom + givenBack);
        EXPECT_EQ(strips[1].Direction, 1);
        EXPECT_EQ(strips[1].Distance, givenBack);
        EXPECT_EQ(Window->GetDisplayRect(node, NoColumn, false).top, row.top + givenBack)
            << "where the node's row is drawn after the collapse";
    }
}

// The window's pixels as they are on the screen.
TOwned<TBitmap> ScreenClient(TVirtualTreeWindow& Window) {
    const TRect client = Window.ClientRect();
    TOwned<TBitmap> bitmap(new TBitmap(client.Width(), client.Height(), pf32bit));
    HDC dc = GetDC(Window.Handle());
    BitBlt(bitmap->Canvas()->Handle(), 0, 0, client.Width(), client.Height(), dc, 0, 0, SRCCOPY);
    ReleaseDC(Window.Handle(), dc);
    return bitmap;
}

// The first pixel where two bitmaps of the same size differ, as text; empty when none does.
std::string FirstDifference(TBitmap& A, TBitmap& B) {
    for (int y = 0; y < A.Height(); ++y)
        for (int x = 0; x < A.Width(); ++x)
            if (PixelAt(A, x, y) != PixelAt(B, x, y))
                return std::to_string(x) + "," + std::to_string(y) + ": " + Hex(PixelAt(A, x, y)) +
                       " vs " + Hex(PixelAt(B, x, y));
    return {};
}

TEST_F(VTCollapseStrips, AnAnimatedCollapseEndsLikeAPlainOne) {
    Host->SetVisible(true);
    // No other window may cover the pixels read back.
    SetWindowPos(Host->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    auto collapse = [&](TVTAnimationOptions Animation) {
        SetAnimationOptions({});
        PVirtualNode node = ExpandAndScroll(44, 30);
        UpdateWindow(Window->Handle());
        SetAnimationOptions(Animation);
        const int offsetBefore = Window->OffsetY();
        Tree().ToggleNode(node);
        UpdateWindow(Window->Handle());
        return Window->OffsetY() - offsetBefore;
    };
    const int plainGivenBack = collapse({});
    TOwned<TBitmap> plain = ScreenClient(*Window);
    TStateLog log;
    Tree().OnStateChange = TVTStateChangeEvent(&log, &TStateLog::OnStateChange);
    Tree().AnimationDuration = 20;
    const int givenBack = collapse({toAnimatedToggle, toAdvancedAnimatedToggle});
    EXPECT_EQ(log.EnteredAnimation, 1) << "the collapse animates";
    EXPECT_GT(plainGivenBack, 0) << "the collapse scrolls the tree";
    EXPECT_EQ(givenBack, plainGivenBack);
    TOwned<TBitmap> animated = ScreenClient(*Window);
    EXPECT_EQ(FirstDifference(*animated, *plain), "");
    EXPECT_EQ(FirstDifference(*animated, *PrintClient()), "")
        << "the screen shows what the tree paints";
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
        {10, 4, "row kept"},    // room above the row for the children
        {1, 4, "block at top"}, // no room above, but the block fits
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
