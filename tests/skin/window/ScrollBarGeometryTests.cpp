// Where the skinned bars lie and how they are divided, from injected system measures (bars 15
// and 17 pixels thick, arrows 16 long): the room they take in a window's frame, the measures of
// a bar, the thumb over ranges and pages, the part under a point and the size grip's corner.
#include "ScrollBarTesting.h"

#include <climits>

namespace {

using namespace ScrollMetrics;

class ScrollGeometry : public ScrollBarTest {
protected:
    void SetUp() override {
        ScrollBarTest::SetUp();
        ApplyGeneratedSkin();
    }
};

TEST_F(ScrollGeometry, TheBarsTakeTheirRoomFromTheClientArea) {
    struct TCase {
        const char* Name;
        int Width, Height;
        LONG Style, ExStyle;
        int ArrowWidth; // the horizontal bar's nArrowWidth
        bool HorzVisible, VertVisible;
        TRect Client; // window coordinates
        TRect Horz, Vert;
    };
    const TRect none;
    const TCase cases[] = {
        {"both", 151, 149, WS_HSCROLL | WS_VSCROLL, 0, -1, true, true, TRect(1, 1, 133, 133),
         TRect(1, 133, 133, 148), TRect(133, 1, 150, 133)},
        {"left", 151, 149, WS_HSCROLL | WS_VSCROLL, WS_EX_LEFTSCROLLBAR, -1, true, true,
         TRect(18, 1, 150, 133), TRect(18, 133, 150, 148), TRect(1, 1, 18, 133)},
        {"vertical only", 151, 149, WS_VSCROLL, 0, -1, false, true, TRect(1, 1, 133, 148), none,
         TRect(133, 1, 150, 148)},
        {"twice the metric", 151, 149, WS_HSCROLL | WS_VSCROLL, 0, -2, true, true,
         TRect(1, 1, 133, 118), TRect(1, 118, 133, 148), TRect(133, 1, 150, 118)},
        {"in pixels", 151, 149, WS_HSCROLL | WS_VSCROLL, 0, 7, true, true, TRect(1, 1, 133, 141),
         TRect(1, 141, 133, 148), TRect(133, 1, 150, 141)},
        {"exactly one bar high", 151, 17, WS_HSCROLL | WS_VSCROLL, 0, -1, true, true,
         TRect(1, 1, 133, 1), TRect(1, 1, 133, 16), TRect(133, 1, 150, 1)},
        {"too low for the horizontal bar", 30, 14, WS_HSCROLL | WS_VSCROLL, 0, -1, false, true,
         TRect(1, 1, 12, 13), none, TRect(12, 1, 29, 13)},
        {"too small for either", 16, 14, WS_HSCROLL | WS_VSCROLL, 0, -1, false, false,
         TRect(1, 1, 15, 13), none, none},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        HWND wnd = MakeWindow(c.Width, c.Height, c.Style, c.ExStyle);
        TacScrollWnd* handler = Attach(wnd);
        handler->sBarHorz.nArrowWidth = c.ArrowWidth;
        RefreshFrame(wnd, true);
        EXPECT_EQ(handler->sBarHorz.fScrollVisible, c.HorzVisible);
        EXPECT_EQ(handler->sBarVert.fScrollVisible, c.VertVisible);
        EXPECT_EQ(handler->cxLeftEdge, 1);
        EXPECT_EQ(handler->cyBottomEdge, 1);
        RECT client;
        GetClientRect(wnd, &client);
        MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
        EXPECT_EQ(InWindow(wnd, TRect(client)), c.Client);
        if (c.HorzVisible) {
            EXPECT_EQ(InWindow(wnd, GetHScrollRect(*handler)), c.Horz);
        }
        if (c.VertVisible) {
            EXPECT_EQ(InWindow(wnd, GetVScrollRect(*handler)), c.Vert);
        }
        EXPECT_EQ(GetWindowLongW(wnd, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), c.Style)
            << "the style keeps the bars";
    }
}

TEST_F(ScrollGeometry, MeasuresComeFromTheBarTheSystemAndTheSkin) {
    TacScrollWnd* handler = Attach(MakeWindow(151, 149));
    struct TCase {
        const char* Name;
        Word Type;
        int ArrowWidth, ArrowLength;
        bool Thickness, UseSkin;
        int SystemArrow;
        int Expected;
    };
    const TCase cases[] = {
        {"horizontal thickness", SB_HORZ, -1, -1, true, false, Arrow, HorzThickness},
        {"vertical thickness", SB_VERT, -1, -1, true, false, Arrow, VertThickness},
        {"twice the thickness", SB_HORZ, -2, -1, true, false, Arrow, 2 * HorzThickness},
        {"thickness in pixels", SB_VERT, 7, -1, true, false, Arrow, 7},
        {"arrow", SB_HORZ, -1, -1, false, false, Arrow, Arrow},
        {"vertical arrow", SB_VERT, -1, -1, false, false, Arrow, Arrow},
        {"system arrow longer than the skin's", SB_HORZ, -1, -1, false, true, Arrow, Arrow},
        {"the skin's button is longer", SB_HORZ, -1, -1, false, true, 6, ScrollButtonFrame},
        {"unskinned, shorter", SB_HORZ, -1, -1, false, false, 6, 6},
        {"twice the skin's button", SB_HORZ, -1, -2, false, true, 6, 2 * ScrollButtonFrame},
        {"the top button does not ask", SB_VERT, -1, -1, false, true, 6, 6},
        {"arrow in pixels", SB_VERT, -1, 12, false, true, 6, 12},
        {"not a bar: thickness", SB_CTL, -1, -1, true, false, Arrow, 0},
        {"not a bar: arrow", SB_CTL, -1, -1, false, true, Arrow, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TacScrollBar bar = handler->sBarHorz;
        bar.nBarType = c.Type;
        bar.nArrowWidth = c.ArrowWidth;
        bar.nArrowLength = c.ArrowLength;
        HScrollBtnWidth = c.SystemArrow;
        EXPECT_EQ(GetScrollMetric(bar, c.Thickness, c.UseSkin), c.Expected);
    }
}

TEST_F(ScrollGeometry, TheThumbFollowsRangePageAndPosition) {
    struct TCase {
        const char* Name;
        int Length, Min, Max;
        UINT Page;
        int Pos;
        int Start, Size; // from the bar's start
    };
    // The track between the arrows is Length - 32 pixels.
    const TCase cases[] = {
        {"at the start", 132, 0, 99, 10, 0, 16, 10},
        {"in the middle", 132, 0, 99, 10, 45, 61, 10},
        {"at the end", 132, 0, 99, 10, 90, 106, 10},
        {"beyond the end", 132, 0, 99, 10, 500, 106, 10},
        {"before the start", 132, 0, 99, 10, -5, 16, 10},
        {"range from 100", 132, 100, 199, 10, 145, 61, 10},
        {"page 0: as long as an arrow", 132, 0, 99, 0, 99, 100, Arrow},
        {"page beyond the range", 132, 0, 99, 200, 0, -84, 200},
        {"zero range", 132, 0, 0, 0, 0, 16, Arrow},
        {"one position", 132, 5, 5, 1, 5, 16, 100},
        {"minimum length", 132, 0, 999, 1, 0, 16, DefaultMinThumbSize},
        {"tiny bar", 20, 0, 99, 10, 0, -6, DefaultMinThumbSize},
        {"whole 32-bit range", 132, INT_MIN, INT_MAX, 10, 0, 16, 0},
    };
    for (const TCase& c : cases) {
        for (Word type : {Word(SB_HORZ), Word(SB_VERT)}) {
            SCOPED_TRACE(std::string(c.Name) + (type == SB_VERT ? " vertical" : " horizontal"));
            TacScrollBar bar;
            bar.nBarType = type;
            bar.ScrollInfo.nMin = c.Min;
            bar.ScrollInfo.nMax = c.Max;
            bar.ScrollInfo.nPage = c.Page;
            bar.ScrollInfo.nPos = c.Pos;
            const TRect r = type == SB_VERT ? TRect(20, 10, 35, 10 + c.Length)
                                            : TRect(10, 20, 10 + c.Length, 35);
            const TacThumb thumb = GetThumbPosSize(bar, r);
            EXPECT_EQ(thumb.Pos, 10 + c.Start);
            EXPECT_EQ(thumb.Size, c.Size);
        }
    }
}

TEST_F(ScrollGeometry, EveryPointFallsOnTheRightPart) {
    struct TCase {
        const char* Name;
        int Length;
        UINT Page;
        int Along, Across;
        int Portion;
    };
    // Range 0..99 at position 45: the thumb covers 61..70 of a 132-pixel bar 15 across.
    const TCase cases[] = {
        {"first arrow", 132, 10, 0, 7, spFirstArrow},
        {"first arrow's end", 132, 10, 15, 7, spFirstArrow},
        {"page before", 132, 10, 16, 7, spPageBefore},
        {"just before the thumb", 132, 10, 60, 7, spPageBefore},
        {"thumb", 132, 10, 61, 0, spThumb},
        {"thumb's end", 132, 10, 70, 14, spThumb},
        {"page after", 132, 10, 71, 7, spPageAfter},
        {"just before the second arrow", 132, 10, 115, 7, spPageAfter},
        {"second arrow", 132, 10, 116, 7, spSecondArrow},
        {"second arrow's end", 132, 10, 131, 7, spSecondArrow},
        {"past the bar", 132, 10, 132, 7, spNone},
        {"before the bar", 132, 10, -1, 7, spNone},
        {"beside the bar", 132, 10, 30, 15, spNone},
        {"above the bar", 132, 10, 30, -1, spNone},
        {"page too long: track", 132, 200, 40, 7, spNone},
        {"page too long: arrow", 132, 200, 3, 7, spFirstArrow},
        {"short bar: first half", 30, 10, 14, 7, spFirstArrow},
        {"short bar: second half", 30, 10, 15, 7, spSecondArrow},
        {"odd short bar: first half", 31, 10, 14, 7, spFirstArrow},
        {"odd short bar: the middle", 31, 10, 15, 7, spNone},
        {"odd short bar: second half", 31, 10, 16, 7, spSecondArrow},
    };
    for (const TCase& c : cases) {
        for (Word type : {Word(SB_HORZ), Word(SB_VERT)}) {
            SCOPED_TRACE(std::string(c.Name) + (type == SB_VERT ? " vertical" : " horizontal"));
            TacScrollBar bar;
            bar.nBarType = type;
            bar.ScrollInfo.nMax = 99;
            bar.ScrollInfo.nPage = c.Page;
            bar.ScrollInfo.nPos = 45;
            const bool vertical = type == SB_VERT;
            const TRect r = vertical ? TRect(300, 200, 315, 200 + c.Length)
                                     : TRect(200, 300, 200 + c.Length, 315);
            const TPoint p = vertical ? TPoint(300 + c.Across, 200 + c.Along)
                                      : TPoint(200 + c.Along, 300 + c.Across);
            EXPECT_EQ(ScrollHitTest(bar, r, p), c.Portion);
        }
    }
}

TEST_F(ScrollGeometry, TheGripBelongsInTheCornerOfATopLevelWindow) {
    HWND parent = MakeWindow(200, 150, 0); // client 198 x 148
    HWND inner = MakeWindow(120, 100, 0, 0, parent, 78, 48);
    struct TCase {
        const char* Name;
        HWND Parent;
        int X, Y;
        LONG ExStyle;
        bool Grip;
    };
    const TCase cases[] = {
        {"top-level window", nullptr, 100, 100, 0, true},
        {"bottom-right corner of its parent", parent, 98, 68, 0, true},
        {"elsewhere in its parent", parent, 0, 0, 0, false},
        {"right edge, not the bottom", parent, 98, 60, 0, false},
        {"left bar in the bottom-left corner", parent, 0, 68, WS_EX_LEFTSCROLLBAR, true},
        {"left bar in the bottom-right corner", parent, 98, 68, WS_EX_LEFTSCROLLBAR, false},
        {"in the corner of a child window", inner, 18, 18, 0, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        HWND wnd = MakeWindow(100, 80, WS_HSCROLL | WS_VSCROLL, c.ExStyle, c.Parent, c.X, c.Y);
        TacScrollWnd* handler = Attach(wnd);
        EXPECT_EQ(HasSizeGrip(*handler), c.Grip);
    }
}

} // namespace
