// The bars as they are painted from the scroll test skin, read back pixel by pixel from the
// memory bitmap they were painted into: every part in its place and state, the pressed, hot and
// dragged looks, the disabled look, a bar too short for a thumb, and a skin without bars.
#include "ScrollBarTesting.h"

namespace {

struct TExpect {
    const char* What;
    int X, Y; // from the bar's top-left corner
    unsigned Rgb;
};

void ExpectPixels(TBitmap* Bmp, TPoint Origin, std::initializer_list<TExpect> Pixels) {
    for (const TExpect& e : Pixels)
        EXPECT_EQ(RgbAt(Bmp, Origin.x + e.X, Origin.y + e.Y), e.Rgb)
            << e.What << " at " << e.X << ", " << e.Y;
}

class ScrollPaint : public ScrollBarTest {
protected:
    void SetUp() override {
        ScrollBarTest::SetUp();
        ApplyGeneratedSkin();
        Handler = AttachStandard(Wnd, 0);
    }
    // Sends a non-client message at a point of the bar lying at Origin.
    void SendAt(UINT Msg, WPARAM HitCode, TPoint Origin, int X, int Y) {
        SendMessageW(Wnd, Msg, HitCode, ScreenLParam(Wnd, Origin.x + X, Origin.y + Y));
    }
    void Release() { SendMessageW(Wnd, WM_LBUTTONUP, 0, ClientLParam(Wnd, 0, 0)); }

    HWND Wnd = nullptr;
    TacScrollWnd* Handler = nullptr;
};

TEST_F(ScrollPaint, EveryPartOfBothBarsIsPaintedFromItsSection) {
    TBmp bmp = PaintedBars(Handler);
    // The horizontal thumb covers 61..70, so the track changes at 66.
    ExpectPixels(bmp.get(), HorzAt,
                 {{"left button's edge", 0, 7, ScrollButtonEdge0},
                  {"left button's right edge", 15, 7, ScrollButtonEdge0},
                  {"left button's bottom edge", 7, 14, ScrollButtonEdge0},
                  {"left button's corner shows the track", 0, 0, ScrollTrack1H},
                  {"left button's face", 2, 2, ScrollButtonFill0},
                  {"left arrow", 5, 5, ScrollArrowGlyph0},
                  {"left arrow", 9, 9, ScrollArrowGlyph0},
                  {"beside the left arrow", 4, 7, ScrollButtonFill0},
                  {"track before the thumb", 16, 7, ScrollTrack1H},
                  {"track before the thumb", 60, 7, ScrollTrack1H},
                  {"thumb's edge", 61, 7, ScrollThumbEdge0},
                  {"thumb's corner shows the track", 61, 0, ScrollTrack1H},
                  {"thumb's face", 62, 2, ScrollThumbFill0},
                  {"thumb's glyph", 65, 7, ScrollThumbGlyph0},
                  {"thumb's end", 70, 7, ScrollThumbEdge0},
                  {"track after the thumb", 71, 7, ScrollTrack2H},
                  {"track after the thumb", 115, 7, ScrollTrack2H},
                  {"right button's corner shows the track", 116, 0, ScrollTrack2H},
                  {"right button's edge", 131, 7, ScrollButtonEdge0},
                  {"right arrow", 123, 7, ScrollArrowGlyph0}});
    // The vertical thumb covers 16..25: the track before it lies under the top button only.
    ExpectPixels(bmp.get(), VertAt,
                 {{"top button's corner shows the track", 0, 0, ScrollTrack1V},
                  {"top button's edge", 16, 8, ScrollButtonEdge0},
                  {"top arrow", 8, 7, ScrollArrowGlyph0},
                  {"beside the top arrow", 5, 7, ScrollButtonFill0},
                  {"thumb's edge", 8, 16, ScrollThumbEdge0},
                  {"thumb's glyph", 8, 20, ScrollThumbGlyph0},
                  {"track after the thumb", 8, 26, ScrollTrack2V},
                  {"track after the thumb", 8, 115, ScrollTrack2V},
                  {"bottom button's corner shows the track", 0, 116, ScrollTrack2V},
                  {"bottom arrow", 8, 123, ScrollArrowGlyph0},
                  {"bottom button's edge", 8, 131, ScrollButtonEdge0}});
    ExpectPixels(bmp.get(), TPoint(133, 133),
                 {{"corner: the window's background", 0, 0, ScrollWindowColor},
                  {"corner: the window's background", 12, 10, ScrollWindowColor},
                  {"grip", 13, 11, ScrollGripColor},
                  {"grip", 16, 14, ScrollGripColor}});
    ExpectPixels(bmp.get(), TPoint(0, 0),
                 {{"the border is left alone", 0, 0, 0x123456},
                  {"the client area is left alone", 60, 60, 0x123456}});
}

TEST_F(ScrollPaint, TheClickedPartIsPaintedPressed) {
    SendAt(WM_NCLBUTTONDOWN, HTHSCROLL, HorzAt, 124, 7);
    TBmp bmp = PaintedBars(Handler);
    ExpectPixels(bmp.get(), HorzAt,
                 {{"pressed right button's edge", 131, 7, ScrollButtonEdge2},
                  {"pressed right button's face", 118, 2, ScrollButtonFill2},
                  {"pressed right arrow", 123, 7, ScrollArrowGlyph2},
                  {"left button stays normal", 0, 7, ScrollButtonEdge0},
                  {"the track stays normal", 100, 7, ScrollTrack2H}});
    ExpectPixels(bmp.get(), VertAt, {{"the other bar stays normal", 8, 131, ScrollButtonEdge0}});
    Release();
    bmp = PaintedBars(Handler);
    ExpectPixels(bmp.get(), HorzAt, {{"released", 131, 7, ScrollButtonEdge0}});

    SendAt(WM_NCLBUTTONDOWN, HTHSCROLL, HorzAt, 100, 7);
    bmp = PaintedBars(Handler);
    ExpectPixels(bmp.get(), HorzAt,
                 {{"pressed page after the thumb", 100, 7, ScrollTrack2HHot},
                  {"the page before stays normal", 30, 7, ScrollTrack1H}});
    // Off the pressed part, it is drawn normal again.
    SendMessageW(Wnd, WM_MOUSEMOVE, MK_LBUTTON, ClientLParam(Wnd, HorzAt.x + 30, HorzAt.y + 7));
    bmp = PaintedBars(Handler);
    ExpectPixels(bmp.get(), HorzAt, {{"mouse off the page", 100, 7, ScrollTrack2H}});
    Release();
}

TEST_F(ScrollPaint, TheHotPartFollowsTheHoverPoll) {
    SendAt(WM_NCMOUSEMOVE, HTVSCROLL, VertAt, 8, 60);
    RECT w;
    GetWindowRect(Wnd, &w);
    Handler->TimerTick(HoverTimerId, TPoint(w.left + VertAt.x + 8, w.top + VertAt.y + 4));
    TBmp bmp = PaintedBars(Handler);
    ExpectPixels(bmp.get(), VertAt,
                 {{"hot top button's edge", 16, 8, ScrollButtonEdge1},
                  {"hot top button's face", 5, 7, ScrollButtonFill1},
                  {"hot top arrow", 8, 7, ScrollArrowGlyph1},
                  {"the thumb stays normal", 8, 16, ScrollThumbEdge0}});
    ExpectPixels(bmp.get(), HorzAt, {{"the other bar stays normal", 0, 7, ScrollButtonEdge0}});

    Handler->TimerTick(HoverTimerId, TPoint(w.left + VertAt.x + 8, w.top + VertAt.y + 20));
    bmp = PaintedBars(Handler);
    ExpectPixels(bmp.get(), VertAt,
                 {{"hot thumb's edge", 8, 16, ScrollThumbEdge1},
                  {"hot thumb's glyph", 8, 20, ScrollThumbGlyph1},
                  {"the arrow is normal again", 8, 7, ScrollArrowGlyph0}});

    // Another window's bars are not hot for this window's mouse.
    HWND other = MakeWindow(151, 149);
    SetScroll(other, SB_VERT, 0, 99, 10, 0);
    bmp = PaintedBars(Attach(other));
    ExpectPixels(bmp.get(), VertAt, {{"the other window's thumb", 8, 16, ScrollThumbEdge0}});
}

TEST_F(ScrollPaint, ADraggedThumbIsPaintedWhereTheMouseHasIt) {
    RECT w;
    GetWindowRect(Wnd, &w);
    TBmp bmp = PaintedBars(Handler);
    PaintScrollBar(*Handler, SB_HORZ, bmp->Canvas()->Handle(), spNone, 30, 2);
    ExpectPixels(bmp.get(), HorzAt,
                 {{"dragged thumb's edge", 30, 7, ScrollThumbEdge2},
                  {"dragged thumb's glyph", 34, 7, ScrollThumbGlyph2},
                  {"track before its middle", 20, 7, ScrollTrack1H},
                  {"track after its middle", 41, 7, ScrollTrack2H},
                  {"where the thumb was", 65, 7, ScrollTrack2H}});
    // While the drag runs, only the drag paints the bar.
    SendAt(WM_NCLBUTTONDOWN, HTHSCROLL, HorzAt, 63, 7);
    ASSERT_TRUE(Handler->fThumbTracking);
    bmp = PaintedBars(Handler);
    ExpectPixels(bmp.get(), HorzAt, {{"not painted during the drag", 65, 7, 0x123456}});
    Release();
}

TEST_F(ScrollPaint, ADisabledBarIsShadedWithTheBackgroundAndHasNoThumb) {
    EnableScrollBar(Wnd, SB_HORZ, ESB_DISABLE_BOTH);
    TBmp bmp = PaintedBars(Handler);
    ExpectPixels(bmp.get(), HorzAt,
                 {{"button's edge", 0, 7, Shadowed(ScrollButtonEdge0, ScrollWindowColor)},
                  {"arrow", 7, 7, Shadowed(ScrollArrowGlyph0, ScrollWindowColor)},
                  {"track where the thumb was", 62, 7, Shadowed(ScrollTrack1H, ScrollWindowColor)},
                  {"track", 100, 7, Shadowed(ScrollTrack2H, ScrollWindowColor)}});
    ExpectPixels(bmp.get(), VertAt, {{"the other bar is enabled", 8, 16, ScrollThumbEdge0}});
}

TEST_F(ScrollPaint, ABarShorterThanTwoArrowsIsTwoHalfButtons) {
    HWND narrow = MakeWindow(49, 149); // a horizontal bar of 30 pixels
    SetScroll(narrow, SB_HORZ, 0, 99, 10, 45);
    TBmp bmp = PaintedBars(Attach(narrow));
    ExpectPixels(bmp.get(), HorzAt,
                 {{"left button", 0, 7, ScrollButtonEdge0},
                  {"left button's end", 14, 7, ScrollButtonEdge0},
                  {"left arrow in its first 16 pixels", 7, 7, ScrollArrowGlyph0},
                  {"right button's start", 15, 7, ScrollButtonEdge0},
                  {"right arrow in its last 16 pixels", 21, 7, ScrollArrowGlyph0},
                  {"right button's end", 29, 7, ScrollButtonEdge0}});
    for (int x = 0; x < 30; ++x)
        for (int y = 0; y < 15; ++y)
            ASSERT_NE(RgbAt(bmp.get(), HorzAt.x + x, HorzAt.y + y), ScrollThumbEdge0)
                << "no thumb, at " << x << ", " << y;
}

TEST_F(ScrollPaint, ASkinWithoutBarSectionsPaintsNoBar) {
    ApplyGeneratedSkin(L"TestFlat");
    TBmp bmp = PaintedBars(Handler);
    ExpectPixels(bmp.get(), HorzAt, {{"horizontal bar", 0, 7, 0x123456}, {"", 100, 7, 0x123456}});
    ExpectPixels(bmp.get(), VertAt, {{"vertical bar", 8, 7, 0x123456}, {"", 8, 100, 0x123456}});
}

TEST_F(ScrollPaint, NothingIsPaintedWithoutAnActiveSkin) {
    Manager->WriteActive(false);
    TBmp bmp = PaintedBars(Handler);
    ExpectPixels(bmp.get(), HorzAt, {{"horizontal bar", 0, 7, 0x123456}});
    ExpectPixels(bmp.get(), TPoint(133, 133), {{"corner", 0, 0, 0x123456}});
}

} // namespace
