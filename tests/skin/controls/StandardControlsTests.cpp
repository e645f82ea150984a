#include "skin/controls/sButton.h"
#include "skin/controls/sCheckBox.h"
#include "skin/controls/sComboBox.h"
#include "skin/controls/sEdit.h"
#include "skin/controls/sGroupBox.h"
#include "skin/controls/sLabel.h"
#include "skin/controls/sRadioButton.h"

#include "framework/ActnList.h"

#include "SkinTesting.h"

namespace {

using StandardControls = SkinFormTest;

TEST_F(StandardControls, ClassesOfTheFormsAnswerTheSkinAndStayPlain) {
    auto* button = new TsButton(Form);
    auto* edit = new TsEdit(Form);
    auto* combo = new TsComboBox(Form);
    auto* check = new TsCheckBox(Form);
    auto* radio = new TsRadioButton(Form);
    auto* group = new TsGroupBox(Form);
    struct Case {
        TWinControl* control;
        TsCommonData* data;
        const wchar_t* section;
        int code;
    };
    const Case cases[] = {{button, button->SkinData(), L"BUTTON", 93},
                          {edit, edit->SkinData(), L"EDIT", 3},
                          {combo, combo->SkinData(), L"COMBOBOX", 3},
                          {check, check->SkinData(), L"CHECKBOX", 32},
                          {radio, radio->SkinData(), L"RADIOBUTTON", 33},
                          {group, group->SkinData(), L"GROUPBOX", 74}};
    Form->Show();
    for (const Case& c : cases) {
        c.control->SetParent(Form);
        c.data->Loaded();
        c.control->HandleNeeded();
        EXPECT_EQ(SendMessageW(c.control->Handle(), SM_ALPHACMD, SkinWParam(SKCMD_ISSKINNED), 0), 1)
            << c.section;
        EXPECT_EQ(Ask(c.control, SKCMD_GETAPPLICATION), reinterpret_cast<LRESULT>(Application));
        EXPECT_EQ(c.data->SkinSection(), c.section);
        EXPECT_EQ(c.data->COC, c.code);
        EXPECT_FALSE(c.data->Skinned());
    }
    // owner-draw only with a skin
    EXPECT_NE(GetWindowLongW(button->Handle(), GWL_STYLE) & 0xF, BS_OWNERDRAW);
}

TEST_F(StandardControls, PlainButtonShowsItsDefaultStyle) {
    auto* button = new TsButton(Form);
    button->SetParent(Form);
    button->SetDefault(true);
    Form->Show();
    EXPECT_EQ(GetWindowLongW(button->Handle(), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
    EXPECT_EQ(button->CurrentState(), 1);
}

TEST_F(StandardControls, ButtonTakesItsActionsEnabledEvenWhenDisabledItself) {
    auto* button = new TsButton(Form);
    auto* plain = new TButton(Form);
    auto* action = new TAction(Form);
    action->BeginLoad(); // defaults are checked while the action loads
    for (TButton* each : {static_cast<TButton*>(button), plain}) {
        each->SetParent(Form);
        each->SetEnabled(false);
        each->SetAction(action);
    }
    action->EndLoad();
    EXPECT_TRUE(button->Enabled());
    EXPECT_FALSE(plain->Enabled()) << "the class library's button keeps its own Enabled";

    action->SetEnabled(false);
    EXPECT_FALSE(button->Enabled());
    action->SetEnabled(true);
    EXPECT_TRUE(button->Enabled());

    // Unskinned the button is the class library's: an action update passes it by.
    auto* other = new TAction(Form);
    other->SetEnabled(false);
    button->Perform(CM_ACTIONUPDATE, 0, reinterpret_cast<LPARAM>(other));
    EXPECT_TRUE(button->Enabled());
}

TEST_F(StandardControls, CheckBoxKeepsItsState) {
    auto* check = new TsCheckBox(Form);
    check->SetParent(Form);
    Form->Show();
    check->SetChecked(true);
    EXPECT_TRUE(check->Checked());
    EXPECT_EQ(SendMessageW(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    Ask(check, SKCMD_STOPFADE);
    EXPECT_TRUE(check->Checked());
}

// A left click in the button's window, as the user makes it.
void ClickIn(TWinControl* control) {
    SendMessageW(control->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(control->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

TEST_F(StandardControls, ReadOnlyCheckBoxIgnoresTheUserButNotTheCode) {
    auto* check = new TsCheckBox(Form);
    check->SetParent(Form);
    check->SetBounds(10, 10, 120, 20);
    Form->Show();
    EXPECT_EQ(check->Margin(), 2);
    EXPECT_TRUE(check->ShowFocus());
    check->SetReadOnly(true);
    SendMessageW(check->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(check->Pressed());
    SendMessageW(check->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_FALSE(check->Pressed());
    EXPECT_FALSE(check->Checked());
    check->Perform(CM_DIALOGCHAR, 'x', 0);
    EXPECT_EQ(check->State(), cbUnchecked);
    check->SetChecked(true);
    EXPECT_EQ(SendMessageW(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    check->SetReadOnly(false);
    ClickIn(check);
    EXPECT_FALSE(check->Checked());
    EXPECT_EQ(SendMessageW(check->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

class TRefusingRadio : public TsRadioButton {
    CLASS_INFO(TRefusingRadio, TsRadioButton)
public:
    using TsRadioButton::TsRadioButton;
    bool CanCheck() override { return false; }
};

TEST_F(StandardControls, RadioButtonIsCheckedByAClickOnlyWhenAllowed) {
    auto* plain = new TsRadioButton(Form);
    auto* readOnly = new TsRadioButton(Form);
    auto* refusing = new TRefusingRadio(Form);
    readOnly->SetReadOnly(true);
    int top = 10;
    for (TsRadioButton* radio : {plain, readOnly, static_cast<TsRadioButton*>(refusing)}) {
        radio->SetParent(Form);
        radio->SetBounds(10, top, 120, 20);
        top += 30;
    }
    Form->Show();
    ClickIn(readOnly);
    EXPECT_FALSE(readOnly->Checked());
    ClickIn(refusing);
    EXPECT_FALSE(refusing->Checked());
    ClickIn(plain);
    EXPECT_TRUE(plain->Checked());
}

TEST_F(StandardControls, LabelsAreTransparentAndKeepTheirColourWithoutASkin) {
    auto* label = new TsLabel(Form);
    label->SetParent(Form);
    label->Font()->SetColor(clRed);
    label->SetCaption(L"Lines");
    Form->Show();
    label->Repaint();
    EXPECT_TRUE(label->Transparent());
    EXPECT_TRUE(label->UseSkinColor());
    EXPECT_EQ(label->GetCurrentFont()->Color(), clRed);
}

TEST_F(StandardControls, EditLabelGoingAwayLeavesItsBoundLabelInactive) {
    auto* edit = new TsEdit(Form);
    TsBoundLabel* bound = edit->BoundLabel();
    ASSERT_NE(bound, nullptr);
    EXPECT_EQ(bound->Owner(), edit);
    EXPECT_EQ(bound->SkinData(), edit->SkinData());
    EXPECT_FALSE(bound->FActive);
    edit->SkinData()->BGChanged = false;
    edit->SetDisabledKind(TsDisabledKind{dkGrayed});
    EXPECT_TRUE(edit->SkinData()->BGChanged);
    TsEditLabel* editLabel = TsEditLabel::InternalCreate(edit, bound);
    bound->FActive = true;
    EXPECT_EQ(editLabel->BoundLabel, bound);
    EXPECT_EQ(editLabel->Owner(), edit);
    EXPECT_TRUE(editLabel->Transparent());
    editLabel->Free();
    EXPECT_FALSE(bound->FActive);
    TsEditLabel* unbound = TsEditLabel::InternalCreate(Form, nullptr);
    unbound->Free(); // no bound label to tell
}

} // namespace

namespace {

class ComboBox : public SkinFormTest {
protected:
    void SetUp() override {
        SkinFormTest::SetUp();
        Combo = new TsComboBox(Form);
        Combo->SetParent(Form);
        Combo->SetBounds(10, 10, 150, 24);
        for (const wchar_t* item : {L"Alpha", L"beta", L"Beta"}) Combo->Items()->Add(item);
        Form->Show();
    }
    TsComboBox* Combo = nullptr;
};

TEST_F(ComboBox, DefaultsAndItemSearch) {
    EXPECT_EQ(Combo->DropDownCount(), 16);
    EXPECT_EQ(Combo->SkinData()->SkinSection(), L"COMBOBOX");
    EXPECT_TRUE(Combo->ShowButton());
    EXPECT_FALSE(Combo->ReadOnly());
    ASSERT_NE(Combo->BoundLabel(), nullptr);
    EXPECT_EQ(Combo->BoundLabel()->Owner(), Combo);
    struct Case {
        const wchar_t* Text;
        int Index;
    };
    for (Case c :
         {Case{L"Alpha", 0}, Case{L"Beta", 2}, Case{L"beta", 1}, Case{L"ALPHA", -1}, Case{L"", -1}})
        EXPECT_EQ(Combo->IndexOf(c.Text), c.Index) << c.Text;
}

TEST_F(ComboBox, ButtonSitsAtTheRightEdgeAScrollBarWide) {
    const int w = GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(Combo->ButtonRect(), TRect(150 - w - 3, 2, 150 - 3, Combo->Height() - 2));
    Combo->SetShowButton(false);
    EXPECT_EQ(Combo->ButtonRect().Width(), 0);
}

TEST_F(ComboBox, ReadOnlyBoxKeepsItsTextAndSelection) {
    Combo->SetItemIndex(0);
    Combo->SetReadOnly(true);
    SendMessageW(Combo->EditHandle(), WM_CHAR, 'x', 0);
    Combo->Perform(WM_KEYDOWN, VK_DOWN, 0);
    Combo->Perform(WM_KEYDOWN, 'B', 0);
    EXPECT_EQ(Combo->ItemIndex(), 0);
    EXPECT_EQ(Combo->Text(), L"Alpha");
    int clicks = 0;
    struct TCounter {
        int* Count;
        void Clicked(TObject*) { ++*Count; }
    } counter{&clicks};
    Combo->OnDblClick = TNotifyEvent(&counter, &TCounter::Clicked);
    Combo->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Ask(Combo, 14), 0);
    Combo->SetReadOnly(false);
    SendMessageW(Combo->EditHandle(), WM_CHAR, 'x', 0);
    EXPECT_NE(Combo->Text(), L"Alpha");
}

} // namespace
