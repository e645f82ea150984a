// A form of every skinned control in its looks, with a form provider, painted from the product
// skin and saved from the screen as skinned_form.png in the build folder for people to judge.
// The checks hold for any design: every control and the form are skinned, and no cache shows
// the skin's key colour.
#include "SkinnedTesting.h"

#include "framework/StdCtrls.h"
#include "skin/controls/sButton.h"
#include "skin/controls/sCheckBox.h"
#include "skin/controls/sComboBox.h"
#include "skin/controls/sEdit.h"
#include "skin/controls/sGroupBox.h"
#include "skin/controls/sLabel.h"
#include "skin/controls/sPanel.h"
#include "skin/controls/sRadioButton.h"
#include "skin/window/sSkinProvider.h"

#include <vector>

namespace {

class ProductSkinForm : public SkinnedFormTest {
protected:
    template <class T>
    T* Add(const TRect& Bounds, const wchar_t* Caption, TWinControl* Parent = nullptr) {
        T* control = Place<T>(Bounds, Parent);
        control->SetCaption(Caption);
        return control;
    }
    // The window as the screen shows it.
    TBmpPtr Screenshot() {
        RedrawWindow(Form->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Settle([] { return false; }, 500);
        RECT r;
        GetWindowRect(Form->Handle(), &r);
        TBmpPtr shot = MakeBmp(r.right - r.left, r.bottom - r.top, 3);
        const HDC screen = GetDC(nullptr);
        BitBlt(shot->Canvas()->Handle(), 0, 0, shot->Width(), shot->Height(), screen, r.left, r.top,
               SRCCOPY);
        ReleaseDC(nullptr, screen);
        return shot;
    }
};

int KeyPixels(TBitmap* Bmp) {
    return Bmp ? CountRgb(Bmp, TRect(0, 0, Bmp->Width(), Bmp->Height()), 0xFF00FF) : 0;
}

TEST_F(ProductSkinForm, EveryControlInItsLooksSavedForPeopleToJudge) {
    Form->SetCaption(L"Skinned controls");
    Form->SetBounds(40, 40, 420, 330);
    auto* provider = Construct<TsSkinProvider>(Form);
    auto* group = Add<TsGroupBox>(TRect(8, 8, 400, 150), L"Account");
    Add<TsLabel>(TRect(16, 28, 90, 44), L"User name:", group);
    auto* user = Place<TsEdit>(TRect(100, 24, 300, 46), group);
    user->SetText(L"demo");
    Add<TsLabel>(TRect(16, 58, 90, 74), L"Password:", group);
    auto* password = Place<TsEdit>(TRect(100, 54, 300, 76), group);
    password->SetPasswordChar(L'*');
    password->SetText(L"secret");
    auto* combo = Place<TsComboBox>(TRect(100, 84, 300, 106), group);
    combo->SetStyle(csDropDownList);
    combo->Items()->Add(L"English");
    combo->SetItemIndex(0);
    auto* remember = Add<TsCheckBox>(TRect(100, 114, 200, 134), L"save pass", group);
    remember->SetChecked(true);
    Add<TsCheckBox>(TRect(210, 114, 320, 134), L"auto redial", group)->SetEnabled(false);
    auto* panel = Add<TsPanel>(TRect(8, 158, 400, 200), L"", nullptr);
    Add<TsRadioButton>(TRect(8, 8, 90, 28), L"PPTP", panel)->SetChecked(true);
    Add<TsRadioButton>(TRect(100, 8, 190, 28), L"L2TP", panel);
    auto* disabledEdit = Place<TsEdit>(TRect(200, 8, 380, 30), panel);
    disabledEdit->SetText(L"disabled");
    disabledEdit->SetEnabled(false);
    auto* login = Add<TsButton>(TRect(8, 210, 98, 236), L"Login");
    login->SetDefault(true);
    Add<TsButton>(TRect(106, 210, 196, 236), L"Cancel");
    Add<TsButton>(TRect(204, 210, 294, 236), L"Disabled")->SetEnabled(false);
    auto* down = Add<TsButton>(TRect(302, 210, 392, 236), L"Down");
    down->SetDown(true);
    Form->HandleNeeded(); // the provider prepares a form with a window for the skin
    Load(FolderSkins(), ProductSkinName);
    ShowActive();
    user->SetFocus();
    TBmpPtr shot = Screenshot();
    SavePng(shot.get(), "skinned_form.png");

    EXPECT_TRUE(provider->SkinData()->Skinned(true));
    std::vector<TsCommonData*> links;
    for (int i = 0; i < Form->ComponentCount(); ++i) {
        TComponent* c = Form->Components(i);
        TsCommonData* link = nullptr;
        if (auto* b = dynamic_cast<TsButton*>(c)) link = b->SkinData();
        if (auto* e = dynamic_cast<TsEdit*>(c)) link = e->SkinData();
        if (auto* x = dynamic_cast<TsCheckBox*>(c)) link = x->SkinData();
        if (auto* r = dynamic_cast<TsRadioButton*>(c)) link = r->SkinData();
        if (auto* g = dynamic_cast<TsGroupBox*>(c)) link = g->SkinData();
        if (auto* p = dynamic_cast<TsPanel*>(c)) link = p->SkinData();
        if (auto* k = dynamic_cast<TsComboBox*>(c)) link = k->SkinData();
        if (link) links.push_back(link);
    }
    ASSERT_EQ(links.size(), 14u);
    for (TsCommonData* link : links) {
        EXPECT_TRUE(link->Skinned(true)) << link->SkinSection().c_str();
        EXPECT_EQ(KeyPixels(link->CacheBmp()), 0) << link->SkinSection().c_str();
    }
}

} // namespace
