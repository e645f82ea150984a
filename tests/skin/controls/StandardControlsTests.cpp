#include "skin/controls/sButton.h"
#include "skin/controls/sCheckBox.h"
#include "skin/controls/sComboBox.h"
#include "skin/controls/sEdit.h"
#include "skin/controls/sGroupBox.h"
#include "skin/controls/sLabel.h"
#include "skin/controls/sRadioButton.h"

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
    int bound = 0;
    TObject* boundObject = reinterpret_cast<TObject*>(&bound);
    TsEditLabel* editLabel = TsEditLabel::InternalCreate(Form, boundObject);
    EXPECT_EQ(editLabel->BoundLabel, boundObject);
    EXPECT_TRUE(editLabel->Transparent());
}

} // namespace
