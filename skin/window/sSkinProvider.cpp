// The provider component: attaching to its form by replacing the form's window procedure,
// detaching again, the skinned-form list, preparing the form for the current skin, the system
// menu style and the property setters.
#include "skin/window/sSkinProvider.h"

#include "skin/engine/sSkinLibrary.h"
#include "skin/engine/sVclUtils.h"

bool TitleButtonPressed = false;

namespace {

// The form's other attached provider, or null.
TsSkinProvider* OtherProvider(TCustomForm* Form, const TsSkinProvider* Self) {
    for (int i = 0; i < Form->ComponentCount(); ++i) {
        auto* provider = dynamic_cast<TsSkinProvider*>(Form->Components(i));
        if (provider && provider != Self && provider->Form()) return provider;
    }
    return nullptr;
}

bool Loading(const TComponent* Component) {
    const TComponentState state = Component->ComponentState();
    return state.Contains(csLoading) || state.Contains(csReading);
}

} // namespace

TsSkinProvider::TsSkinProvider(TComponent* AOwner) : TComponent(AOwner) {
    FForm = dynamic_cast<TCustomForm*>(AOwner);
    if (!FForm) FForm = OwnerForm(AOwner);
    FCommonData.reset(new TsCommonData(this, false));
    FCommonData->COC = 224;
    FCommonData->SetSkinSection(L"FORM");
    FCommonData->FOwnerControl = FForm;
    if (!FForm) return;
    if (Loading(FForm)) FCommonData->SetUpdating(true);
    if (TsSkinProvider* old = OtherProvider(FForm, this)) old->Free();
    TempBmp.reset(new TBitmap());
    MenuLineBmp.reset(new TBitmap(0, 0, pf24bit));
    ClearButtons = true;
    FOldWndProc = FForm->WindowProc();
    FOldWndProcSet = true;
    FForm->SetWindowProc(TWndMethod(this, &TsSkinProvider::NewWndProc));
    AddSkinnedForm(FForm);
    FFormActive = true;
}

TsSkinProvider::~TsSkinProvider() {
    *FAlive = false;
    TsSkinProvider::BeforeDestruction();
}

void TsSkinProvider::BeforeDestruction() {
    if (FForm && FOldWndProcSet) {
        KillAnimations();
        FAdapter.reset();
        RemoveSkinnedForm(FForm);
        FForm->SetWindowProc(FOldWndProc);
        FOldWndProcSet = false;
        FreeAndNil(ListSW);
        // A form that stays gets back what the skin took from its window: its system menu
        // (and with it the title buttons) and its whole frame.
        if (!FForm->ComponentState().Contains(csDestroying) && FForm->HandleAllocated()) {
            HWND wnd = FForm->Handle();
            CheckSysMenu(false);
            SetWindowRgn(wnd, nullptr, FALSE);
            RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
        }
    }
    TComponent::BeforeDestruction();
}

void TsSkinProvider::AfterConstruction() {
    TComponent::AfterConstruction();
    TsSkinManager* manager = FCommonData->SkinManager();
    if (manager && manager->SkinActive()) PrepareForm();
}

void TsSkinProvider::Loaded() {
    TComponent::Loaded();
    if (!FCommonData->SkinManager() || !FCommonData->Skinned(true)) return;
    if (FForm && FForm->HandleAllocated()) DisableDwmTransitions(FForm->Handle(), true);
    CreateAdapter();
    PrepareForm();
}

void TsSkinProvider::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    auto* manager = dynamic_cast<TsSkinManager*>(AComponent);
    if (!manager) return;
    if (Operation == opInsert && !FCommonData->SkinManager())
        FCommonData->SetSkinManager(manager);
    else if (Operation == opRemove && FCommonData->SkinManager() == manager)
        FCommonData->SetSkinManager(nullptr);
}

bool TsSkinProvider::IsSkinned() const {
    return FForm && !FForm->ComponentState().Contains(csDestroying) && FCommonData->Skinned(true);
}

bool TsSkinProvider::FormShowing() const {
    return FForm && FForm->HandleAllocated() && IsWindowVisible(FForm->Handle());
}

bool TsSkinProvider::HasTitle() const { return CaptionHeight(true) > 0; }

void TsSkinProvider::PrepareForm() {
    TsSkinManager* manager = FCommonData->SkinManager();
    if (!manager || !FForm || !FForm->HandleAllocated()) return;
    FCommonData->Loaded();
    CheckSysMenu(manager->SkinActive());
    SystemMenuReady = true;
    if (ClearButtons && manager->SkinActive()) ClearButtons = false;
    FCommonData->UpdateIndexes();
    FTitleSkinIndex = -1;
    FTitleSkinIndex = TitleSkinIndex();
    FCaptionSkinIndex = manager->GetSkinIndex(L"CAPTION");
    UpdateIconsIndexes();
    if (!Loading(FForm) && !Loading(this) && FUseGlobalColor && !FCommonData->CustomColor())
        FForm->SetColor(manager->GetGlobalColor());
    UpdateExtBorders(manager->ReadExtendedBorders());
}

void TsSkinProvider::CheckSysMenu(bool Skinned) {
    if (!FForm || !FForm->HandleAllocated()) return;
    HWND wnd = FForm->Handle();
    const LONG style = GetWindowLongW(wnd, GWL_STYLE);
    if (Skinned && ((style & WS_SYSMENU) || FHaveSysMenu)) {
        const LONG wanted = FDrawNonClientArea ? style & ~WS_SYSMENU : style | WS_SYSMENU;
        if (wanted != style) SetWindowLongW(wnd, GWL_STYLE, wanted);
        FHaveSysMenu = true;
    } else if (Skinned) {
        FHaveSysMenu = false;
    } else {
        if (FHaveSysMenu) SetWindowLongW(wnd, GWL_STYLE, style | WS_SYSMENU);
        FHaveSysMenu = false;
    }
}

void TsSkinProvider::UpdateScrollWnd() {
    if (ComponentState().Contains(csDestroying) || !FForm || !FForm->HandleAllocated() ||
        !FForm->AutoScroll())
        return;
    AttachScrollWnd(FCommonData.get(), ListSW);
}

TColor TsSkinProvider::FormColor() const {
    if (!IsSkinned() || FCommonData->CustomColor()) return ColorToRGB(FForm->Color());
    const TsGeneralData& section = FCommonData->SkinManager()->gd[FCommonData->SkinIndex];
    return FFormActive ? section.HotColor : section.Color;
}

UnicodeString TsSkinProvider::TitleSkinSection() const {
    return FTitleSkin.empty() ? UnicodeString(L"FORMTITLE") : FTitleSkin;
}

int TsSkinProvider::TitleSkinIndex() const {
    if (FTitleSkinIndex != -1) return FTitleSkinIndex;
    TsSkinManager* manager = FCommonData->SkinManager();
    return manager ? manager->GetSkinIndex(TitleSkinSection()) : -1;
}

// ---- setters ------------------------------------------------------------------------------

// The frame is painted again from a fresh cache when the form is on the screen.
static void RepaintFrame(TsSkinProvider* Provider) {
    Provider->SkinData()->BGChanged = true;
    TCustomForm* form = Provider->Form();
    if (form && form->HandleAllocated() && IsWindowVisible(form->Handle()))
        SendMessageW(form->Handle(), WM_NCPAINT, 0, 0);
}

void TsSkinProvider::SetCaptionAlignment(TAlignment Value) {
    if (FCaptionAlignment == Value) return;
    FCaptionAlignment = Value;
    RepaintFrame(this);
}

void TsSkinProvider::SetShowAppIcon(bool Value) {
    if (FShowAppIcon == Value) return;
    FShowAppIcon = Value;
    RepaintFrame(this);
}

void TsSkinProvider::SetTitleSkin(const UnicodeString& Value) {
    if (FTitleSkin == Value) return;
    FTitleSkin = Value;
    FTitleSkinIndex = -1;
    RepaintFrame(this);
}

void TsSkinProvider::SetUseGlobalColor(bool Value) {
    if (FUseGlobalColor == Value) return;
    FUseGlobalColor = Value;
    if (!FForm) return;
    if (FCommonData->Skinned() && Value && !FCommonData->CustomColor())
        FForm->SetColor(FCommonData->SkinManager()->GetGlobalColor());
    else
        FForm->SetColor(clBtnFace);
}

void TsSkinProvider::SetAllowExtBorders(bool Value) {
    if (FAllowExtBorders == Value) return;
    FAllowExtBorders = Value;
    if (Loading(this)) return;
    UpdateExtBorders(true);
    FCommonData->BGChanged = true;
    if (FForm && FForm->HandleAllocated())
        RedrawWindow(FForm->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void TsSkinProvider::SetDrawNonClientArea(bool Value) {
    if (FDrawNonClientArea == Value) return;
    FDrawNonClientArea = Value;
    if (!FForm || !FForm->HandleAllocated()) return;
    HWND wnd = FForm->Handle();
    if (Value) {
        CheckSysMenu(true);
        if (!FormShowing() || !FCommonData->Skinned()) return;
        FCommonData->BGChanged = true;
        TitleBG.reset();
        UpdateExtBorders(FCommonData->SkinManager()->ReadExtendedBorders());
        RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_UPDATENOW | RDW_INVALIDATE);
        UpdateScrollWnd();
        return;
    }
    UpdateExtBorders(false);
    // The system draws the frame again, in the window's own theme.
    if (SetWindowThemeProc) SetWindowThemeProc(wnd, nullptr, nullptr);
    ReleaseHandler(ListSW);
    if (FHaveSysMenu) SetWindowLongW(wnd, GWL_STYLE, GetWindowLongW(wnd, GWL_STYLE) | WS_SYSMENU);
    if (FormShowing()) SetWindowRgn(wnd, nullptr, TRUE);
}
