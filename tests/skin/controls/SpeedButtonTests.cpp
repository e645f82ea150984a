#include "skin/controls/sSkinnedControl.h"
#include "skin/controls/sSpeedButton.h"

#include "framework/ActnList.h"
#include "framework/Themes.h"

#include "SkinTesting.h"

#include <functional>

namespace {

// A drop-down menu that records its showing instead of running the system's modal loop.
class TRecordingMenu : public TPopupMenu {
    CLASS_INFO(TRecordingMenu, TPopupMenu)
public:
    using TPopupMenu::TPopupMenu;
    int Shown = 0;
    std::function<void()> During;
    void Popup(int, int) override {
        ++Shown;
        if (During) During();
    }
};

class SpeedButton : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        Form = new TForm(nullptr);
        Form->SetBounds(40, 40, 300, 200);
        Button = Construct<TsSpeedButton>(Form);
        Button->SetParent(Form);
        Button->SetBounds(10, 10, 100, 30);
    }
    void TearDown() override {
        Form->Free();
        SkinTest::TearDown();
    }
    void Press(int x, int y) { Button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    void Release(int x, int y) { Button->Perform(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    TForm* Form = nullptr;
    TsSpeedButton* Button = nullptr;
};

TEST_F(SpeedButton, DefaultsAndLimits) {
    EXPECT_EQ(Button->SkinData()->SkinSection(), L"SPEEDBUTTON");
    EXPECT_EQ(Button->SkinData()->COC, 92);
    EXPECT_EQ(Button->ImageIndex(), -1);
    EXPECT_TRUE(Button->ShowCaption());
    EXPECT_EQ(Button->Alignment(), taCenter);
    EXPECT_EQ(Button->ButtonStyle(), tbsButton);
    struct Case {
        int set, stored;
    };
    for (Case c : {Case{150, 100}, Case{-5, 0}, Case{40, 40}}) {
        Button->SetBlend(c.set);
        EXPECT_EQ(Button->Blend(), c.stored) << c.set;
    }
}

TEST_F(SpeedButton, DropDownStyleWidensAndCaptionComesBack) {
    Button->SetButtonStyle(tbsDropDown);
    EXPECT_EQ(Button->Width(), 116);
    Button->SetButtonStyle(tbsButton);
    EXPECT_EQ(Button->Width(), 100);
    Button->SetCaption(L"Lines");
    Button->SetShowCaption(false);
    EXPECT_EQ(Button->Caption(), L"");
    Button->SetShowCaption(true);
    EXPECT_EQ(Button->Caption(), L"Lines");
}

TEST_F(SpeedButton, CaptionAndGlyphLayout) {
    Button->SetCaption(L"");
    Button->SetMargin(5);
    Button->SetLayout(blGlyphLeft);
    Button->SetAlignment(taLeftJustify);
    // no glyph, no caption: rects only from the margins
    EXPECT_EQ(Button->ImgRect(), TRect(8, 15, 8, 15));
    Button->SetLayout(blGlyphTop);
    EXPECT_EQ(Button->ImgRect().left, 51);
}

TEST_F(SpeedButton, ArrowClickDropsTheMenuAndRestoresTheStateWhenItRaises) {
    Form->Show();
    auto* menu = new TRecordingMenu(Form);
    Button->SetButtonStyle(tbsDropDown);
    Button->SetDropdownMenu(menu);
    int clicks = 0;
    struct TCount {
        int* N;
        void Click(TObject*) { ++*N; }
    } count{&clicks};
    Button->OnClick = TNotifyEvent(&count, &TCount::Click);
    bool droppedDuring = false;
    menu->During = [&] {
        droppedDuring = Button->DroppedDown && DroppedDownButton == Button;
        throw Exception(L"menu handler failed");
    };
    EXPECT_THROW(Press(Button->Width() - 5, 5), Exception);
    EXPECT_EQ(menu->Shown, 1);
    EXPECT_TRUE(droppedDuring);
    EXPECT_FALSE(Button->DroppedDown);
    EXPECT_EQ(DroppedDownButton, nullptr);
    Release(Button->Width() - 5, 5);
    EXPECT_EQ(clicks, 0);

    menu->During = nullptr; // the main part clicks
    Press(5, 5);
    Release(5, 5);
    EXPECT_EQ(menu->Shown, 1);
    EXPECT_EQ(clicks, 1);
    // and a second drop-down opens normally after the failed one
    Press(Button->Width() - 5, 5);
    EXPECT_EQ(menu->Shown, 2);
    Release(Button->Width() - 5, 5);
}

TEST_F(SpeedButton, ReleaseGivesHintsBackOnlyWhenThisButtonTookThem) {
    Form->Show();
    Application->SetShowHint(true);
    Press(5, 5);
    EXPECT_FALSE(Application->ShowHint());
    Release(5, 5);
    EXPECT_TRUE(Application->ShowHint());
    int other = 0;
    SuspendHints(&other);
    Press(5, 5);
    Release(5, 5);
    EXPECT_FALSE(Application->ShowHint());
    RestoreHints(&other);
}

TEST_F(SpeedButton, GoingAwayClearsTheDroppedDownButton) {
    DroppedDownButton = Button;
    Button->Free();
    Button = nullptr;
    EXPECT_EQ(DroppedDownButton, nullptr);
}

TEST_F(SpeedButton, MouseEnterAndLeaveFireWhileUnskinned) {
    std::vector<std::wstring> log;
    struct TLog {
        std::vector<std::wstring>* Log;
        void Enter(TObject*) { Log->push_back(L"enter"); }
        void Leave(TObject*) { Log->push_back(L"leave"); }
    } recorder{&log};
    Button->OnMouseEnter = TNotifyEvent(&recorder, &TLog::Enter);
    Button->OnMouseLeave = TNotifyEvent(&recorder, &TLog::Leave);
    Button->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Button));
    EXPECT_TRUE(Button->SkinData()->FMouseAbove);
    EXPECT_EQ(Button->CurrentState(), 1);
    Button->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Button));
    EXPECT_EQ(log, (std::vector<std::wstring>{L"enter", L"leave"}));
    EXPECT_EQ(Button->CurrentState(), 0);
    Button->SetEnabled(false);
    Button->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Button));
    EXPECT_EQ(log.size(), 2u);
}

// The button painted alone into a bitmap of its size, over black.
class TButtonPicture {
public:
    TButtonPicture(TControl* button, bool classic)
        : Bitmap(button->Width(), button->Height(), pf24bit) {
        TThemeServices::PinThemesOff(classic);
        Bitmap.Canvas()->Brush()->SetColor(clBlack);
        Bitmap.Canvas()->FillRect(TRect(0, 0, button->Width(), button->Height()));
        button->Perform(WM_PAINT, reinterpret_cast<WPARAM>(Bitmap.Canvas()->Handle()), 0);
        TThemeServices::PinThemesOff(false);
    }
    TColor At(int x, int y) { return Bitmap.Canvas()->Pixels(x, y); }
    TBitmap Bitmap;
};

TColor Rgb(TColor color) { return static_cast<TColor>(ColorToRGB(color)); }

TEST_F(SpeedButton, ClassicStuckDownButtonShowsTheHalfTone) {
    Button->SetGroupIndex(1);
    Button->SetDown(true);
    TButtonPicture picture(Button, true);
    const TColor a = picture.At(20, 14), b = picture.At(21, 14);
    EXPECT_NE(a, b);
    EXPECT_TRUE(a == Rgb(clBtnFace) || a == Rgb(clBtnHighlight)) << std::hex << a;
    EXPECT_TRUE(b == Rgb(clBtnFace) || b == Rgb(clBtnHighlight)) << std::hex << b;
    EXPECT_EQ(picture.At(20, 15), b); // the pattern alternates along rows and columns
    Button->SetFlat(true);
    Button->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Button));
    TButtonPicture flatHot(Button, true);
    EXPECT_EQ(flatHot.At(20, 14), flatHot.At(21, 14));
    Button->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Button));
    Button->SetFlat(false);
    Button->SetAllowAllUp(true);
    Button->SetDown(false);
    TButtonPicture up(Button, true);
    EXPECT_EQ(up.At(20, 14), up.At(21, 14));
}

TEST_F(SpeedButton, DividerIsASunkenLineOrTheThemedSeparatorAtTheMiddle) {
    Button->SetButtonStyle(tbsDivider);
    TButtonPicture classic(Button, true);
    EXPECT_EQ(classic.At(49, 15), Rgb(clBtnShadow));
    EXPECT_EQ(classic.At(50, 15), Rgb(clBtnHighlight));
    EXPECT_EQ(classic.At(48, 15), clBlack);
    EXPECT_EQ(classic.At(51, 15), clBlack);
    if (!ThemeServices()->ThemesEnabled()) GTEST_SKIP() << "no theme on this display";
    TButtonPicture themed(Button, false);
    EXPECT_EQ(themed.At(47, 15), clBlack);
    EXPECT_EQ(themed.At(53, 15), clBlack);
}

TEST_F(SpeedButton, DropDownArrowIsAFiveByFiveTriangleAtThePartsCentre) {
    Button->SetButtonStyle(tbsDropDown); // 116 wide, the arrow part from 100
    Button->SetCaption(L"");
    TButtonPicture picture(Button, true);
    const TColor text = Rgb(clBtnText);
    const int x = 100 + (16 - 5) / 2, y = (30 - 5) / 2;
    EXPECT_EQ(picture.At(x, y), text);
    EXPECT_EQ(picture.At(x + 4, y), text);
    EXPECT_EQ(picture.At(x + 2, y + 4), text);
    EXPECT_NE(picture.At(x, y + 4), text);
    EXPECT_NE(picture.At(x + 2, y + 6), text);
}

// The glyph alone, drawn by the glyph painter over white; the colour at the glyph's top-left.
TColor GlyphColour(TsSpeedButton* button) {
    TBitmap target(button->Width(), button->Height(), pf24bit);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect(0, 0, button->Width(), button->Height()));
    DrawBtnGlyph(button, target.Canvas());
    const TRect r = button->ImgRect();
    return target.Canvas()->Pixels(r.left, r.top);
}

TEST_F(SpeedButton, AlphaGlyphIsBlendedOnlyInTheNormalState) {
    TBitmap glyph(4, 4, pf32bit);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            Byte* p = static_cast<Byte*>(glyph.ScanLine(y)) + x * 4;
            p[0] = 0, p[1] = 0, p[2] = 255, p[3] = 255; // opaque red, straight alpha
        }
    Button->Glyph()->Assign(&glyph);
    EXPECT_EQ(GlyphColour(Button), clRed); // Blend 0 keeps the glyph's own alpha
    Button->SetBlend(50);
    const TColor half = GlyphColour(Button);
    EXPECT_EQ(GetRValue(half), 255);
    EXPECT_NEAR(GetGValue(half), 128, 2);
    EXPECT_NEAR(GetBValue(half), 128, 2);
    Button->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Button));
    ASSERT_EQ(Button->CurrentState(), 1);
    EXPECT_EQ(GlyphColour(Button), clRed);
}

TEST_F(SpeedButton, ListPictureIsKeyedAndGreyedWhenDisabledAsAsked) {
    auto* list = new TCustomImageList(Form, 8, 8);
    TBitmap picture(8, 8, pf24bit);
    picture.Canvas()->Brush()->SetColor(clRed);
    picture.Canvas()->FillRect(TRect(0, 0, 8, 8));
    picture.Canvas()->SetPixels(0, 0, clFuchsia); // the key colour, never drawn
    list->Add(&picture, nullptr);
    Button->SetImages(list);
    Button->SetImageIndex(0);
    EXPECT_EQ(GlyphColour(Button), clWhite);
    const TRect r = Button->ImgRect();
    TBitmap target(Button->Width(), Button->Height(), pf24bit);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect(0, 0, Button->Width(), Button->Height()));
    DrawBtnGlyph(Button, target.Canvas());
    EXPECT_EQ(target.Canvas()->Pixels(r.left + 1, r.top + 1), clRed);
    Button->SetEnabled(false);
    Button->SetDisabledGlyphKind(TsDisabledGlyphKind{dgGrayed});
    DrawBtnGlyph(Button, target.Canvas());
    const TColor grey = target.Canvas()->Pixels(r.left + 1, r.top + 1);
    EXPECT_EQ(GetRValue(grey), 85);
    EXPECT_EQ(GetGValue(grey), 85);
    EXPECT_EQ(GetBValue(grey), 85);
    Button->SetImageIndex(1); // ImageIndex = count: nothing
    target.Canvas()->FillRect(TRect(0, 0, Button->Width(), Button->Height()));
    DrawBtnGlyph(Button, target.Canvas());
    EXPECT_EQ(target.Canvas()->Pixels(r.left + 1, r.top + 1), clWhite);
}

// A graphic control that fills itself with one colour and notes whether it painted as a copy.
class TColourBlock : public TGraphicControl {
    CLASS_INFO(TColourBlock, TGraphicControl)
public:
    using TGraphicControl::TGraphicControl;
    TColor Fill = clRed;
    bool PaintedAsCopy = false;

protected:
    void Paint() override {
        PaintedAsCopy = ControlState().Contains(csPaintCopy);
        Canvas()->Brush()->SetColor(Fill);
        Canvas()->FillRect(TRect(0, 0, 100, 100)); // more than its size: the clip holds it in
    }
};

TEST_F(SpeedButton, OverlappedControlsArePaintedIntoTheButtonsImage) {
    auto* inside = Construct<TColourBlock>(Form); // top-left inside the button (10, 10, 110, 40)
    inside->SetParent(Form);
    inside->SetBounds(60, 30, 20, 20);
    auto* reaching = Construct<TColourBlock>(Form); // only its bottom-right pixel inside
    reaching->Fill = clBlue;
    reaching->SetParent(Form);
    reaching->SetBounds(0, 0, 11, 11);
    auto* beside = Construct<TColourBlock>(Form);
    beside->Fill = clLime;
    beside->SetParent(Form);
    beside->SetBounds(110, 10, 20, 20);
    TBitmap image(100, 30, pf24bit);
    image.Canvas()->Brush()->SetColor(clBlack);
    image.Canvas()->FillRect(TRect(0, 0, 100, 30));
    Button->PaintOverlappedControls(image.Canvas());
    EXPECT_EQ(image.Canvas()->Pixels(50, 20), clRed);
    EXPECT_EQ(image.Canvas()->Pixels(69, 29), clRed);
    EXPECT_EQ(image.Canvas()->Pixels(70, 20), clBlack); // right of the block: clipped
    EXPECT_EQ(image.Canvas()->Pixels(49, 20), clBlack);
    EXPECT_EQ(image.Canvas()->Pixels(0, 0), clBlue);
    EXPECT_EQ(image.Canvas()->Pixels(1, 1), clBlack);
    EXPECT_EQ(image.Canvas()->Pixels(99, 5), clBlack); // the block beside is not painted
    EXPECT_TRUE(inside->PaintedAsCopy);
    EXPECT_FALSE(inside->ControlState().Contains(csPaintCopy));
    EXPECT_FALSE(beside->PaintedAsCopy);
    POINT origin{1, 1};
    GetWindowOrgEx(image.Canvas()->Handle(), &origin);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
}

TEST_F(SpeedButton, ActionGivesItsListsImagesItsImageIndexAndItsCaption) {
    auto* ownImages = new TImageList(Form);
    auto* listImages = new TImageList(Form);
    struct Case {
        const char* name;
        TActionList* list;
        TCustomImageList* shown;
    };
    const Case cases[] = {{"in a list", new TActionList(Form), listImages},
                          {"without a list", nullptr, ownImages}};
    for (const Case& c : cases) {
        Button->SetImages(ownImages);
        if (c.list) c.list->SetImages(listImages);
        auto* action = new TAction(Form);
        action->SetActionList(c.list);
        action->SetCaption(L"Lines");
        action->SetImageIndex(2);
        Button->SetAction(action);
        EXPECT_EQ(Button->Images(), c.shown) << c.name;
        EXPECT_EQ(Button->ImageIndex(), 2) << c.name;
        EXPECT_EQ(Button->Caption(), L"Lines") << c.name;
        action->SetImageIndex(0);
        EXPECT_EQ(Button->ImageIndex(), 0) << c.name << ": later changes are followed";
        action->Free();
    }

    // A hidden caption stays hidden, and the action's new caption comes back with it.
    auto* list = new TActionList(Form);
    list->SetImages(listImages);
    auto* action = new TAction(Form);
    action->SetCaption(L"Lines");
    Button->SetAction(action);
    action->SetActionList(list);
    EXPECT_EQ(Button->Images(), listImages) << "an action put into a list later";
    Button->SetShowCaption(false);
    action->SetCaption(L"Servers");
    EXPECT_EQ(Button->Caption(), L"");
    Button->SetShowCaption(true);
    EXPECT_EQ(Button->Caption(), L"Servers");

    listImages->Free();
    EXPECT_EQ(Button->Images(), nullptr) << "images taken from the list are forgotten when freed";
}

} // namespace
