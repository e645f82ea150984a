#include "skin/controls/sSkinnedControl.h"
#include "skin/controls/sSpeedButton.h"

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

TEST_F(SpeedButton, PaintsUnskinnedThemedAndClassic) {
    Button->SetCaption(L"Area");
    Form->Show();
    for (bool classic : {false, true}) {
        TThemeServices::PinThemesOff(classic);
        Button->Repaint();
        Button->SetButtonStyle(tbsDropDown);
        Button->Repaint();
        Button->SetButtonStyle(tbsButton);
    }
    TThemeServices::PinThemesOff(false);
    SUCCEED();
}

} // namespace
