#include "framework/Buttons.h"
#include "framework/Forms.h"
#include "framework/Themes.h"

#include "ControlTesting.h"
#include "MessageLoopTesting.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct TClicks {
    int Count = 0;
    void Click(TObject*) { ++Count; }
};

// The classic look while a test runs: pixels are then the library's, not the theme's.
class TClassicLook {
public:
    TClassicLook() : FWas(TThemeServices::ThemesPinnedOff()) { TThemeServices::PinThemesOff(true); }
    ~TClassicLook() { TThemeServices::PinThemesOff(FWas); }
    TClassicLook(const TClassicLook&) = delete;
    TClassicLook& operator=(const TClassicLook&) = delete;

private:
    bool FWas;
};

void PressAndRelease(TControl* control, int x, int y) {
    control->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    control->Perform(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

} // namespace

// ---- speed button ------------------------------------------------------------------------------

TEST(Buttons, SpeedButtonGroupKeepsOneDown) {
    auto host = MakeHost();
    auto* first = Place<TSpeedButton>(host.get(), 10);
    auto* second = Place<TSpeedButton>(host.get(), 40);
    auto* otherGroup = Place<TSpeedButton>(host.get(), 70);
    auto* ungrouped = Place<TSpeedButton>(host.get(), 100);
    first->SetGroupIndex(1);
    second->SetGroupIndex(1);
    otherGroup->SetGroupIndex(2);
    otherGroup->SetDown(true);

    first->SetDown(true);
    second->SetDown(true);
    EXPECT_FALSE(first->Down());
    EXPECT_TRUE(second->Down());
    EXPECT_TRUE(otherGroup->Down()) << "another group is left alone";
    second->SetDown(false);
    EXPECT_TRUE(second->Down()) << "without AllowAllUp the down button stays down";

    ungrouped->SetDown(true);
    EXPECT_FALSE(ungrouped->Down()) << "a button of no group springs back";
}

TEST(Buttons, AllowAllUpIsSharedByTheGroup) {
    auto host = MakeHost();
    auto* first = Place<TSpeedButton>(host.get(), 10);
    auto* second = Place<TSpeedButton>(host.get(), 40);
    first->SetGroupIndex(1);
    second->SetGroupIndex(1);
    second->SetAllowAllUp(true);
    EXPECT_TRUE(first->AllowAllUp());
    first->SetDown(true);
    first->SetDown(false);
    EXPECT_FALSE(first->Down());
    EXPECT_FALSE(second->Down());
}

TEST(Buttons, SpeedButtonClickTogglesAGroupedButton) {
    auto host = MakeHost();
    auto* tool = Place<TSpeedButton>(host.get());
    auto* sibling = Place<TSpeedButton>(host.get(), 40);
    tool->SetGroupIndex(3);
    sibling->SetGroupIndex(3);
    tool->SetAllowAllUp(true);
    TClicks clicks;
    tool->OnClick = TNotifyEvent(&clicks, &TClicks::Click);
    sibling->SetDown(true);

    PressAndRelease(tool, 5, 5);
    EXPECT_TRUE(tool->Down());
    EXPECT_FALSE(sibling->Down());
    PressAndRelease(tool, 5, 5);
    EXPECT_FALSE(tool->Down()) << "AllowAllUp lets it be clicked up";
    tool->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    tool->Perform(WM_LBUTTONUP, 0, MAKELPARAM(200, 5)); // released elsewhere: no click
    EXPECT_FALSE(tool->Down());
    EXPECT_EQ(clicks.Count, 2);
}

TEST(Buttons, FlatSpeedButtonIsHotWhileTheMouseIsOverIt) {
    TClassicLook classic;
    auto host = MakeHost();
    auto* tool = Place<TSpeedButton>(host.get());
    tool->SetFlat(true);
    const auto cornerAfterPaint = [&] {
        TBitmap image(tool->Width(), tool->Height(), pf32bit);
        image.Canvas()->Brush()->SetColor(clLime);
        image.Canvas()->FillRect({0, 0, tool->Width(), tool->Height()});
        tool->PaintTo(image.Canvas()->Handle(), 0, 0);
        return image.Canvas()->Pixels(0, 0);
    };
    EXPECT_EQ(cornerAfterPaint(), clLime) << "a flat transparent button shows no frame";

    tool->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(tool));
    EXPECT_TRUE(tool->MouseInControl());
    EXPECT_NE(cornerAfterPaint(), clLime) << "a raised edge while hot";

    tool->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(tool));
    EXPECT_FALSE(tool->MouseInControl());
    EXPECT_EQ(cornerAfterPaint(), clLime);
}

namespace {

// Four 8 x 8 images: up red, disabled green, down blue, exclusive yellow; the bottom-left pixel
// (the transparent colour) magenta.
void FillGlyph(TBitmap* glyph) {
    glyph->SetPixelFormat(pf24bit);
    glyph->SetSize(32, 8);
    const TColor colors[] = {clRed, clLime, clBlue, clYellow};
    TCanvas* canvas = glyph->Canvas();
    for (int i = 0; i < 4; ++i) {
        canvas->Brush()->SetColor(colors[i]);
        canvas->FillRect({i * 8, 0, i * 8 + 8, 8});
    }
    canvas->SetPixels(0, 7, clFuchsia);
}

TColor CentreAfterPaint(TControl* control) {
    TBitmap image(control->Width(), control->Height(), pf32bit);
    control->PaintTo(image.Canvas()->Handle(), 0, 0);
    return image.Canvas()->Pixels(control->Width() / 2, control->Height() / 2);
}

} // namespace

TEST(Buttons, SpeedButtonShowsTheGlyphImageOfItsState) {
    TClassicLook classic;
    auto host = MakeHost();
    auto* tool = Place<TSpeedButton>(host.get());
    FillGlyph(tool->Glyph());
    EXPECT_EQ(tool->NumGlyphs(), 4) << "square images counted";
    EXPECT_EQ(CentreAfterPaint(tool), clRed);

    tool->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); // held down
    EXPECT_EQ(CentreAfterPaint(tool), clBlue);
    tool->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));

    tool->SetGroupIndex(1);
    tool->SetDown(true);
    EXPECT_EQ(CentreAfterPaint(tool), clYellow);
    tool->SetEnabled(false);
    EXPECT_EQ(CentreAfterPaint(tool), clLime);

    tool->Glyph()->SetSize(8, 8); // the up image alone: a disabled button shows it greyed
    EXPECT_EQ(tool->NumGlyphs(), 1);
    const TColor greyed = CentreAfterPaint(tool);
    EXPECT_NE(greyed, clRed);
    EXPECT_TRUE(greyed == ColorToRGB(clBtnShadow) || greyed == ColorToRGB(clBtnHighlight))
        << std::hex << greyed;
    tool->SetEnabled(true);
    EXPECT_EQ(CentreAfterPaint(tool), clRed) << "down without an image of its own";
}

TEST(Buttons, ButtonLayoutPlacesGlyphAndCaption) {
    const TRect client{0, 0, 100, 40};
    const TSize glyph{16, 16};
    const TSize text{30, 12};
    struct TCase {
        TButtonLayout Layout;
        int Margin;
        TPoint Glyph;
        TRect Text;
    };
    const TCase cases[] = {
        {blGlyphLeft, 4, {4, 12}, {24, 14, 54, 26}},
        {blGlyphRight, 4, {80, 12}, {46, 14, 76, 26}},
        {blGlyphLeft, -1, {25, 12}, {45, 14, 75, 26}}, // the pair centred
        {blGlyphTop, 2, {42, 2}, {35, 22, 65, 34}},
    };
    for (const TCase& test : cases) {
        const TButtonLayoutResult result =
            ButtonLayout(client, glyph, text, test.Layout, test.Margin, 4, {0, 0});
        EXPECT_EQ(result.GlyphPos, test.Glyph) << test.Layout << " " << test.Margin;
        EXPECT_EQ(result.TextBounds, test.Text) << test.Layout << " " << test.Margin;
    }
    const TButtonLayoutResult pressed =
        ButtonLayout(client, glyph, text, blGlyphLeft, 4, 4, {1, 1});
    EXPECT_EQ(pressed.GlyphPos, (TPoint{5, 13}));
}

// ---- bit button --------------------------------------------------------------------------------

TEST(Buttons, BitBtnKindSetsCaptionResultDefaultAndCancel) {
    struct TCase {
        TBitBtnKind Kind;
        const wchar_t* Caption;
        TModalResult Result;
        bool Default;
        bool Cancel;
    };
    const TCase cases[] = {
        {bkOK, L"OK", mrOk, true, false},
        {bkCancel, L"Cancel", mrCancel, false, true},
        {bkYes, L"&Yes", mrYes, true, false},
        {bkNo, L"&No", mrNo, false, true},
        {bkAbort, L"Abort", mrAbort, false, false},
        {bkRetry, L"&Retry", mrRetry, false, false},
        {bkIgnore, L"&Ignore", mrIgnore, false, false},
        {bkAll, L"&All", mrAll, false, false},
        {bkClose, L"&Close", mrNone, false, false},
    };
    for (const TCase& test : cases) {
        auto host = MakeHost();
        auto* button = Place<TBitBtn>(host.get());
        button->SetKind(test.Kind);
        EXPECT_EQ(button->Caption(), test.Caption);
        EXPECT_EQ(button->ModalResult(), test.Result) << test.Caption;
        EXPECT_EQ(button->Default(), test.Default) << test.Caption;
        EXPECT_EQ(button->Cancel(), test.Cancel) << test.Caption;
        EXPECT_EQ(button->Kind(), test.Kind);
    }
}

TEST(Buttons, BitBtnDrawsItsGlyphWhenTheSystemAsks) {
    TClassicLook classic;
    auto host = MakeHost();
    auto* button = Place<TBitBtn>(host.get());
    FillGlyph(button->Glyph());
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(button->Handle(), GWL_STYLE)) & BS_TYPEMASK,
              static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_EQ(CentreAfterPaint(button), clRed);
    button->SetEnabled(false);
    EXPECT_EQ(CentreAfterPaint(button), clLime);
}

#include "framework/Menus.h"

namespace {

TEST(Buttons, AFreedDropDownMenuIsForgotten) {
    std::unique_ptr<TSpeedButton, graphics_detail::TFreeObject> button(new TSpeedButton(nullptr));
    auto* menu = new TPopupMenu(nullptr);
    button->SetDropdownMenu(menu);
    EXPECT_EQ(button->DropdownMenu(), menu);
    menu->Free();
    EXPECT_EQ(button->DropdownMenu(), nullptr);
}

} // namespace
