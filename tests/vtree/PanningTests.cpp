#include "InputFixture.h"

namespace {

using namespace vtree_test;

class VTPanning : public TInputFixture {
protected:
    VTPanning() { AddRows(60); }
    void Middle(UINT Msg, int X, int Y) {
        Window->Perform(Msg, Msg == WM_MBUTTONDOWN ? MK_MBUTTON : 0, PointParam(X, Y));
    }
    void Move(int X, int Y, WPARAM Keys = 0) {
        Window->Perform(WM_MOUSEMOVE, Keys, PointParam(X, Y));
    }
    void Tick() { Window->Perform(WM_TIMER, ScrollTimer, 0); }
    bool Has(TVirtualTreeState State) { return Tree().TreeStates().Contains(State); }
};

TEST_F(VTPanning, MiddleClickStartsContinuousPanningUntilTheNextClick) {
    Middle(WM_MBUTTONDOWN, 100, 100);
    EXPECT_TRUE(Has(tsWheelPanning));
    EXPECT_TRUE(Has(tsWheelScrolling));
    HWND anchor = Window->PanningWindow();
    ASSERT_NE(anchor, nullptr);
    wchar_t className[32] = {};
    GetClassNameW(anchor, className, 32);
    EXPECT_STREQ(className, L"VTPanningWindow");
    EXPECT_EQ(GetWindow(anchor, GW_OWNER), GetAncestor(Window->Handle(), GA_ROOT));
    Middle(WM_MBUTTONUP, 100, 100);
    EXPECT_FALSE(Has(tsWheelPanning)) << "released without moving: scrolling goes on";
    EXPECT_TRUE(Has(tsWheelScrolling));

    Move(100, 150);
    EXPECT_EQ(Window->ScrollDirections(), TScrollDirections{sdDown});
    Tick();
    EXPECT_EQ(Window->OffsetY(), -(150 - 100 - 8)) << "the distance less the dead zone";
    Move(100, 104);
    EXPECT_TRUE(Window->ScrollDirections().Empty()) << "inside the dead zone";
    Tick();
    EXPECT_EQ(Window->OffsetY(), -42);

    Click({100, 100});
    EXPECT_FALSE(Has(tsWheelScrolling));
    EXPECT_EQ(Window->PanningWindow(), nullptr);
    EXPECT_FALSE(IsWindow(anchor));
    EXPECT_EQ(Tree().SelectedCount(), 0u) << "the click only ends panning";
}

TEST_F(VTPanning, DraggingWithTheButtonHeldEndsOnRelease) {
    Middle(WM_MBUTTONDOWN, 100, 100);
    Move(100, 100 + GetSystemMetrics(SM_CYDRAG), MK_MBUTTON);
    EXPECT_TRUE(Has(tsWheelPanning));
    EXPECT_FALSE(Has(tsWheelScrolling)) << "the user drags";
    Move(100, 60, MK_MBUTTON);
    Tick();
    EXPECT_EQ(Window->OffsetY(), 0) << "already at the top";
    EXPECT_TRUE(Window->ScrollDirections().Empty()) << "the top edge drops the direction";
    Middle(WM_MBUTTONUP, 100, 60);
    EXPECT_FALSE(Has(tsWheelPanning));
    EXPECT_EQ(Window->PanningWindow(), nullptr);
}

TEST_F(VTPanning, WheelAndFocusLossEndPanning) {
    for (UINT end : {UINT(WM_KILLFOCUS), UINT(CM_MOUSEWHEEL)}) {
        Middle(WM_MBUTTONDOWN, 100, 100);
        ASSERT_TRUE(Has(tsWheelPanning)) << end;
        Window->Perform(end, end == CM_MOUSEWHEEL ? MAKEWPARAM(0, 120) : 0, 0);
        EXPECT_FALSE(Has(tsWheelPanning)) << end;
        EXPECT_FALSE(Has(tsWheelScrolling)) << end;
        EXPECT_EQ(Window->PanningWindow(), nullptr) << end;
    }
}

TEST_F(VTPanning, NoPanningWithoutOverflow) {
    Tree().Clear();
    AddRows(2);
    Middle(WM_MBUTTONDOWN, 10, 10);
    EXPECT_FALSE(Has(tsWheelPanning));
    EXPECT_EQ(Window->PanningWindow(), nullptr);
}

TEST_F(VTPanning, RubberBandNearTheBottomAutoScrolls) {
    MultiSelect();
    TCustomVirtualTreeOptions* options = Tree().TreeOptions();
    options->SetAutoOptions(options->AutoOptions() + TVTAutoOptions{toAutoScroll});
    const int right = Window->ClientWidth() - 20;
    Window->Perform(WM_LBUTTONDOWN, MK_LBUTTON, PointParam(right, 5));
    Move(5, 100, MK_LBUTTON);
    ASSERT_TRUE(Has(tsDrawSelecting));
    EXPECT_FALSE(Has(tsScrollPending)) << "away from the edges";
    const int bottom = Window->ClientHeight() - 2;
    Move(5, bottom, MK_LBUTTON);
    EXPECT_TRUE(Has(tsScrollPending));
    const Cardinal before = Tree().SelectedCount();
    Tick();
    EXPECT_TRUE(Has(tsScrolling));
    EXPECT_FALSE(Has(tsScrollPending));
    EXPECT_EQ(Window->OffsetY(), -Window->ScrollBarOptions()->VerticalIncrement);
    EXPECT_GT(Tree().SelectedCount(), before) << "the band grows with the scroll";
    Window->Perform(WM_LBUTTONUP, 0, PointParam(5, bottom));
    EXPECT_FALSE(Has(tsScrolling));
    EXPECT_FALSE(Tree().IsMouseSelecting());
}

} // namespace
