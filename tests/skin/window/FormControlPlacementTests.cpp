// Controls that come to a skinned form after it was skinned get their handlers from the form's
// window procedure: placed on the form, created somewhere below it, announced by a skin command
// or shown by a tab control. Edits get a probe handler through the adapter's handler table.
#include "HandlerTesting.h"

#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "skin/engine/sConst.h"
#include "skin/engine/sVclUtils.h"

#include <commctrl.h>

namespace {

class ControlPlacement : public HandlerTest {
protected:
    void SetUp() override {
        HandlerTest::SetUp();
        ApplySkin();
        Form = MakeForm();
        Panel = new TPanel(Form);
        Panel->SetParent(Form);
        Provider = Construct<TsSkinProvider>(Form);
        Provider->CreateAdapter();
        ASSERT_NE(Provider->Adapter(), nullptr);
        ASSERT_EQ(Provider->Adapter()->Count(), 0);
    }
    void TearDown() override {
        Provider->Free();
        HandlerTest::TearDown();
    }
    bool Hooked(TWinControl* Control) {
        return Provider->Adapter()->IndexOf(Control) >= 0 &&
               SendMessageW(Control->Handle(), SM_ALPHACMD, SkinWParam(SKCMD_ISSKINNED), 0) == 1;
    }

    // Made before SetUp, gone after TearDown.
    TEditProbeMakers Makers;
    TForm* Form = nullptr;
    TPanel* Panel = nullptr;
    TsSkinProvider* Provider = nullptr;
};

TEST_F(ControlPlacement, AControlPlacedOnTheFormIsHookedAtOnce) {
    auto* edit = new TEdit(Form);
    edit->SetParent(Form);
    EXPECT_TRUE(Hooked(edit));
    // Taken off the form and put back: still one item.
    edit->SetParent(nullptr);
    edit->SetParent(Form);
    EXPECT_TRUE(Hooked(edit));
    EXPECT_EQ(Provider->Adapter()->Count(), 1);
}

TEST_F(ControlPlacement, AWindowMadeAgainIsHookedAgainAtOnce) {
    auto* edit = new TEdit(Form);
    edit->SetParent(Form);
    ASSERT_TRUE(Hooked(edit));
    // The form hears of the new window by its parent notification alone.
    edit->RecreateWnd();
    edit->HandleNeeded();
    EXPECT_TRUE(Hooked(edit));
    EXPECT_EQ(TProbeWnd::Frees, 1) << "the handler of the old window went with it";
    EXPECT_EQ(Provider->Adapter()->Count(), 1);
}

TEST_F(ControlPlacement, TheControlPlacedCommandHooksOneControlOrTheWholeForm) {
    // Made while the form did not listen: the provider is taken away for the time.
    Makers.Pause();
    auto* one = new TEdit(Form);
    one->SetParent(Panel);
    auto* other = new TEdit(Form);
    other->SetParent(Panel);
    Makers.Resume();
    ASSERT_FALSE(Hooked(one));
    SendTo(Form, SM_ALPHACMD, SkinWParam(SKCMD_CONTROLPLACED), reinterpret_cast<LPARAM>(one));
    EXPECT_TRUE(Hooked(one));
    EXPECT_FALSE(Hooked(other));
    SendTo(Form, SM_ALPHACMD, SkinWParam(SKCMD_CONTROLPLACED), 0);
    EXPECT_TRUE(Hooked(other));
    EXPECT_EQ(Provider->Adapter()->Count(), 2);
}

TEST_F(ControlPlacement, AnotherTabPageShownHooksWhatItHolds) {
    Makers.Pause();
    auto* edit = new TEdit(Form);
    edit->SetParent(Panel);
    Makers.Resume();
    NMHDR other{Form->Handle(), 1, static_cast<UINT>(NM_CLICK)};
    SendTo(Form, WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&other));
    EXPECT_FALSE(Hooked(edit));
    NMHDR selected{Form->Handle(), 1, static_cast<UINT>(TCN_SELCHANGE)};
    SendTo(Form, WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&selected));
    EXPECT_TRUE(Hooked(edit));
}

} // namespace
