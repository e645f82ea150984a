// Helpers of the scroll-bar tests: the generated scroll test skin applied, system measures of
// our own (the bars 15 and 17 pixels thick, arrows 16 long), raw windows with both bars whose
// procedure records what reaches it, a scroll handler on them, and memory bitmaps the bars are
// painted into and read back from as 0xRRGGBB numbers (the generator's constants).
#pragma once

#include "FormSkinTesting.h"
#include "SkinGenConstants.h"

#include "framework/Messages.h"
#include "skin/engine/sSkinLibrary.h"
#include "skin/window/acSBUtils.h"

#include <memory>
#include <vector>

namespace ScrollMetrics {
constexpr int HorzThickness = 15; // SM_CYHSCROLL
constexpr int VertThickness = 17; // SM_CXVSCROLL
constexpr int Arrow = 16;         // the system's arrow length
} // namespace ScrollMetrics

// The standard window, 151 x 149 with a 1-pixel border: the horizontal bar lies at (1, 133) and
// is 132 x 15, the vertical bar at (133, 1) and 17 x 132, the corner between them at
// (133, 133), 17 x 15. Range 0..99, page 10: the thumb of position 45 covers 61..70 of its bar.
constexpr TPoint HorzAt{1, 133};
constexpr TPoint VertAt{133, 1};

// A message that reached the raw window's own procedure.
struct TScrollSeen {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LONG Style; // the window's style at that moment
    int Pos;    // for a scroll message: the bar's position at that moment
};

// The raw window's state, reset by ScrollBarTest::SetUp.
struct TScrollWindowLog {
    std::vector<TScrollSeen> Seen;
    // The answer to skin command 51: 1 asks for whole positions in LParam.
    LRESULT ScrollStartAnswer = 0;
    int Count(UINT Msg) const;
    // The scroll messages (WM_HSCROLL, WM_VSCROLL) in order.
    std::vector<TScrollSeen> Scrolls() const;
};
extern TScrollWindowLog ScrollLog;

using TBmp = std::unique_ptr<TBitmap, graphics_detail::TFreeObject>;

class ScrollBarTest : public FormSkinTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Loads a generated skin (by default the scroll test skin) and applies it.
    void ApplyGeneratedSkin(const wchar_t* Name = L"TestScroll");
    // A shown raw window (not activated) at 100, 100 with a 1-pixel border and both bars, or the
    // given style bits; a child of Parent when one is given.
    HWND MakeWindow(int Width, int Height, LONG Style = WS_HSCROLL | WS_VSCROLL, LONG ExStyle = 0,
                    HWND Parent = nullptr, int X = 100, int Y = 100);
    // A scroll handler on Wnd with its own link of section "EDIT"; freed by TearDown.
    TacScrollWnd* Attach(HWND Wnd);
    // The standard window with its handler: range 0..99, page 10, the horizontal bar at
    // position 45, the vertical one at VertPos.
    TacScrollWnd* AttachStandard(HWND& Wnd, int VertPos);
    // Sets one bar's range, page and position without letting the system draw.
    static void SetScroll(HWND Wnd, int Bar, int Min, int Max, UINT Page, int Pos);
    // The window's bars painted by PaintScrollBars into a bitmap of the window's size that
    // held Fill before.
    TBmp PaintedBars(TacScrollWnd* Handler, unsigned Fill = 0x123456);
    // A bar's rect in window coordinates.
    static TRect InWindow(HWND Wnd, const TRect& Screen);

    std::vector<HWND> Windows;
    std::vector<TacMainWnd*> Handlers;

private:
    TModuleEntry FScrollFunctions = ScrollBarFunctionsModule();
    int FSavedArrow = 0;
};

// A window-relative point of a bar as the screen point a non-client mouse message carries.
LPARAM ScreenLParam(HWND Wnd, int X, int Y);
// The same point in the client coordinates of a WM_MOUSEMOVE.
LPARAM ClientLParam(HWND Wnd, int X, int Y);
// Pixel (X, Y) of a 24-bit bitmap as 0xRRGGBB.
unsigned RgbAt(TBitmap* Bmp, int X, int Y);
// Per channel ((p - c) x 153 + c x 256) >> 8: the disabled bar's 60 % shadow of colour C over P.
unsigned Shadowed(unsigned P, unsigned C);
