// The provider component: attaching by window procedure replacement, the newest provider
// winning, the skinned-form list, the system menu style, the setters, and the system frame
// coming back when the skin goes.
#include "FormSkinTesting.h"

#include "framework/Application.h"

#include <algorithm>

namespace {

class FormProvider : public FormSkinTest {};

long CountOf(TCustomForm* Form) {
    return std::count(SkinnedForms.begin(), SkinnedForms.end(), Form);
}

TEST_F(FormProvider, AttachesAndDetachesByTheWindowProcedure) {
    TForm* form = MakeForm();
    TRecorder recorder(form);
    auto* provider = Construct<TsSkinProvider>(form);
    EXPECT_EQ(CountOf(form), 1);
    EXPECT_EQ(provider->Form(), form);
    // Unskinned the provider passes everything on but answers 7 and 4 itself.
    EXPECT_EQ(SendTo(form, SM_ALPHACMD, SkinWParam(SKCMD_ISSKINNED)), 1);
    EXPECT_EQ(SendTo(form, SM_ALPHACMD, SkinWParam(SKCMD_GETPROVIDER)),
              reinterpret_cast<LRESULT>(static_cast<TacFormProviderLink*>(provider)));
    EXPECT_EQ(SendTo(form, SM_ALPHACMD, SkinWParam(SKCMD_GETAPPLICATION)),
              reinterpret_cast<LRESULT>(Application));
    const LRESULT offsets = SendTo(form, SM_ALPHACMD, SkinWParam(SKCMD_GETOFFSETS));
    EXPECT_EQ(LOWORD(offsets), provider->OffsetX());
    EXPECT_EQ(HIWORD(offsets), provider->OffsetY());
    EXPECT_TRUE(recorder.Commands.empty());
    // Other commands and messages reach the form's own handling.
    SendTo(form, SM_ALPHACMD, SkinWParam(SKCMD_QUERYUPDATING));
    EXPECT_EQ(recorder.Commands, std::vector<WORD>{SKCMD_QUERYUPDATING});
    SendTo(form, WM_ENTERIDLE);
    EXPECT_TRUE(recorder.Saw(WM_ENTERIDLE));
    provider->Free();
    EXPECT_EQ(CountOf(form), 0);
    EXPECT_EQ(SendTo(form, SM_ALPHACMD, SkinWParam(SKCMD_ISSKINNED)), 0);
    EXPECT_EQ(recorder.Commands.back(), SKCMD_ISSKINNED);
}

TEST_F(FormProvider, TheNewestProviderWins) {
    ApplySkin();
    TForm* form = MakeForm();
    HWND wnd = form->Handle();
    auto* first = Construct<TsSkinProvider>(form);
    ShowActive(form);
    ASSERT_TRUE(first->HaveSysMenu());
    auto* second = Construct<TsSkinProvider>(form);
    // The system menu the first one took is the second one's to take: the close button stays.
    EXPECT_TRUE(second->HaveSysMenu());
    EXPECT_FALSE(GetWindowLongW(wnd, GWL_STYLE) & WS_SYSMENU);
    SendTo(form, WM_NCPAINT, 1);
    EXPECT_EQ(second->ButtonClose().State, 0);
    int providers = 0;
    for (int i = 0; i < form->ComponentCount(); ++i)
        providers += dynamic_cast<TsSkinProvider*>(form->Components(i)) != nullptr;
    EXPECT_EQ(providers, 1);
    EXPECT_EQ(CountOf(form), 1);
    EXPECT_EQ(SendTo(form, SM_ALPHACMD, SkinWParam(SKCMD_GETPROVIDER)),
              reinterpret_cast<LRESULT>(static_cast<TacFormProviderLink*>(second)));
    // The last one gone, the form has its system menu and its whole frame again.
    second->Free();
    EXPECT_TRUE(GetWindowLongW(wnd, GWL_STYLE) & WS_SYSMENU);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(wnd, region), ERROR);
    DeleteObject(region);
}

TEST_F(FormProvider, SkinnedTakesTheSystemMenuAndGivesItBack) {
    ApplySkin();
    TForm* form = MakeForm();
    HWND wnd = form->Handle();
    auto* provider = Construct<TsSkinProvider>(form);
    ShowActive(form);
    EXPECT_TRUE(provider->HaveSysMenu());
    EXPECT_FALSE(GetWindowLongW(wnd, GWL_STYLE) & WS_SYSMENU);
    EXPECT_EQ(form->Color(), Manager->GetGlobalColor());

    provider->SetDrawNonClientArea(false);
    EXPECT_TRUE(GetWindowLongW(wnd, GWL_STYLE) & WS_SYSMENU);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(wnd, region), ERROR);
    provider->SetDrawNonClientArea(true);
    EXPECT_FALSE(GetWindowLongW(wnd, GWL_STYLE) & WS_SYSMENU);
    SendTo(form, WM_NCPAINT, 1);
    EXPECT_NE(GetWindowRgn(wnd, region), ERROR);

    // Removing the skin gives the system frame back.
    Manager->WriteActive(false);
    EXPECT_TRUE(GetWindowLongW(wnd, GWL_STYLE) & WS_SYSMENU);
    EXPECT_FALSE(provider->HaveSysMenu());
    EXPECT_EQ(GetWindowRgn(wnd, region), ERROR);
    EXPECT_EQ(form->Color(), clBtnFace);
    EXPECT_EQ(provider->SkinData()->CacheBmp(), nullptr);
    DeleteObject(region);
}

TEST_F(FormProvider, ASkinAppliedLaterReachesTheProvider) {
    TForm* form = MakeForm();
    auto* provider = Construct<TsSkinProvider>(form);
    ShowActive(form);
    EXPECT_TRUE(GetWindowLongW(form->Handle(), GWL_STYLE) & WS_SYSMENU);
    ApplySkin();
    EXPECT_FALSE(GetWindowLongW(form->Handle(), GWL_STYLE) & WS_SYSMENU);
    SendTo(form, WM_NCPAINT, 1);
    ASSERT_NE(provider->SkinData()->CacheBmp(), nullptr);
    EXPECT_EQ(PixelAt(provider->SkinData()->CacheBmp(), form->Width() / 2, 1),
              TestSkin::TitleHotColor);
    // Off and on again.
    Manager->WriteActive(false);
    Manager->WriteActive(true);
    EXPECT_FALSE(GetWindowLongW(form->Handle(), GWL_STYLE) & WS_SYSMENU);
    SendTo(form, WM_NCPAINT, 1);
    ASSERT_NE(provider->SkinData()->CacheBmp(), nullptr);
    EXPECT_EQ(PixelAt(provider->SkinData()->CacheBmp(), form->Width() / 2, 1),
              TestSkin::TitleHotColor);
}

TEST_F(FormProvider, UseGlobalColorOffGivesButtonFace) {
    ApplySkin();
    TForm* form = MakeForm();
    form->SetColor(clRed);
    auto* provider = Construct<TsSkinProvider>(form);
    EXPECT_EQ(form->Color(), Manager->GetGlobalColor());
    provider->SetUseGlobalColor(false);
    EXPECT_EQ(form->Color(), clBtnFace);
    provider->SetUseGlobalColor(true);
    EXPECT_EQ(form->Color(), Manager->GetGlobalColor());
}

} // namespace
