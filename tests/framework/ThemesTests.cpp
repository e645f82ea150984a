#include "framework/Themes.h"

#include <gtest/gtest.h>

namespace {

// Pins themes off for the scope and puts the previous setting back.
class TPinThemesOff {
public:
    TPinThemesOff() : FWasPinned(TThemeServices::ThemesPinnedOff()) {
        TThemeServices::PinThemesOff(true);
    }
    ~TPinThemesOff() { TThemeServices::PinThemesOff(FWasPinned); }

private:
    bool FWasPinned;
};

int CountNot(TBitmap& bitmap, TColor background) {
    int changed = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            changed += bitmap.Canvas()->Pixels(x, y) != background;
    return changed;
}

constexpr TThemedElementDetails PushButton{L"BUTTON", BP_PUSHBUTTON, PBS_NORMAL};
constexpr TThemedElementDetails CheckBox{L"BUTTON", BP_CHECKBOX, CBS_CHECKEDNORMAL};

} // namespace

TEST(Themes, PinningOffHidesThemesUntilReleased) {
    const bool system = ::IsAppThemed() && ::IsThemeActive();
    EXPECT_EQ(ThemeServices()->ThemesEnabled(), system);
    EXPECT_EQ(StyleServices(), ThemeServices());
    {
        TPinThemesOff pinned;
        EXPECT_FALSE(ThemeServices()->ThemesEnabled());
        EXPECT_FALSE(ThemeServices()->Theme(L"BUTTON")) << "no data while pinned off";
        TBitmap target(10, 10, pf32bit);
        EXPECT_THROW(ThemeServices()->DrawElement(target.Canvas()->Handle(), PushButton,
                                                  TRect(0, 0, 10, 10)),
                     EInvalidOperation);
    }
    EXPECT_EQ(ThemeServices()->ThemesEnabled(), system);
    EXPECT_EQ(static_cast<bool>(ThemeServices()->Theme(L"BUTTON")), system)
        << "the data is opened again once released";
}

TEST(Themes, ThemeDataOwnerMovesItsHandle) {
    TThemeData first(nullptr, L"NO-SUCH-CLASS;BUTTON");
    const HTHEME handle = first.Handle();
    TThemeData second(std::move(first));
    EXPECT_EQ(first.Handle(), nullptr);
    EXPECT_EQ(second.Handle(), handle);
    TThemeData third;
    third = std::move(second);
    EXPECT_EQ(third.Handle(), handle);
    EXPECT_FALSE(TThemeData(nullptr, L"NO-SUCH-CLASS")) << "a class the theme does not know";
}

TEST(Themes, ThemedButtonDrawsIntoABitmap) {
    if (!ThemeServices()->ThemesEnabled())
        GTEST_SKIP() << "the system reports no active visual style (Wine's default)";
    TBitmap target(60, 30, pf32bit);
    target.Canvas()->Brush()->SetColor(clFuchsia);
    target.Canvas()->FillRect(TRect(0, 0, 60, 30));
    ThemeServices()->DrawElement(target.Canvas()->Handle(), PushButton, TRect(0, 0, 60, 30));
    EXPECT_GT(CountNot(target, clFuchsia), 60 * 30 / 2);

    TBitmap text(60, 30, pf32bit);
    text.Canvas()->Brush()->SetColor(clWhite);
    text.Canvas()->FillRect(TRect(0, 0, 60, 30));
    ThemeServices()->DrawText(text.Canvas()->Handle(), PushButton, L"Abc", TRect(0, 0, 60, 30),
                              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EXPECT_GT(CountNot(text, clWhite), 0);

    const TSize box = ThemeServices()->GetElementSize(target.Canvas()->Handle(), CheckBox);
    EXPECT_GT(box.cx, 0);
    EXPECT_GT(box.cy, 0);
}

TEST(Themes, PaintBorderDrawsOverTheFrameOfAClientEdgeWindow) {
    if (!ThemeServices()->ThemesEnabled())
        GTEST_SKIP() << "the system reports no active visual style (Wine's default)";
    const HWND window =
        ::CreateWindowExW(WS_EX_CLIENTEDGE | WS_EX_TOOLWINDOW, L"STATIC", L"",
                          WS_POPUP | WS_VISIBLE, 0, 0, 80, 40, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ::UpdateWindow(window);
    const HDC dc = ::GetWindowDC(window);
    const TRect frame(0, 0, 80, 40);
    const HBRUSH magenta = ::CreateSolidBrush(clFuchsia);
    ::FillRect(dc, &frame, magenta);
    ::DeleteObject(magenta);
    ASSERT_EQ(::GetPixel(dc, 0, 20), COLORREF(clFuchsia));
    ThemeServices()->PaintBorder(window, false);
    EXPECT_NE(::GetPixel(dc, 0, 20), COLORREF(clFuchsia)) << "the border";
    EXPECT_EQ(::GetPixel(dc, 40, 20), COLORREF(clFuchsia)) << "the inside is left alone";
    ::ReleaseDC(window, dc);
    ::DestroyWindow(window);
}
