// The skin manager's life: construction, loading as part of a form, destruction, and the
// plain property setters. The process-wide skinning state lives here too.
#include "skin/engine/sSkinManager.h"

#include "framework/Application.h"

TsSkinManager* DefaultSkinManager = nullptr;
bool FormAnimating = false;
HDC AnimationDC = nullptr;
bool SkinLoading = false;
bool SkinRemoving = false;
TsSkinIni* SkinIni = nullptr;
TacSkinConvertor* SkinConvertor = nullptr;

namespace {

const wchar_t* const DefaultSkinDirectory = L"c:\\Skins";

} // namespace

TsSkinManager::TsSkinManager(TComponent* AOwner) : TComponent(AOwner) {
    RegisterPublishedProperties();
    FThirdParty = new ThirdPartyList();
    if (!DefaultSkinManager) FIsDefault = true;
    for (TStringList*& list : ThirdLists) list = new TStringList();
    FBuiltInSkins = new TsStoredSkins(this);
    FCommonSections = new TStringList();
    FMenuSupport = new TacMenuSupport();
    FAnimEffects = new TacAnimEffects(this);
    if (!DefaultSkinManager) {
        DefaultSkinManager = this;
        if (Application) {
            Application->HookMainWindow(TWindowHook(this, &TsSkinManager::HandleMainWindowMessage));
            FMainWindowHooked = true;
        }
    }
    FSkinableMenus = new TsSkinableMenus(this);
}

TsSkinManager::~TsSkinManager() {
    // A manager on the stack is never given BeforeDestruction.
    UnInstallHook();
    if (DefaultSkinManager == this) DefaultSkinManager = nullptr;
    UnhookMainWindow();
    FreeSkinPatterns();
    FreeSkinImages();
    ShdaTemplate.reset();
    ShdiTemplate.reset();
    FAnimEffects->Free();
    FBuiltInSkins->Free();
    FSkinableMenus->Free();
    FCommonSections->Free();
    FMenuSupport->Free();
    for (TStringList* list : ThirdLists) list->Free();
    FThirdParty->Free();
}

void TsSkinManager::AfterConstruction() {
    TComponent::AfterConstruction();
    UpdateThirdLists();
    if (FSkinDirectory.empty()) FSkinDirectory = DefaultSkinDirectory;
}

void TsSkinManager::BeforeDestruction() {
    WriteActive(false);
    FExtendedBorders = false;
    if (DefaultSkinManager == this) DefaultSkinManager = nullptr;
    UnhookMainWindow();
    StoreThirdLists();
    TComponent::BeforeDestruction();
}

void TsSkinManager::Loaded() {
    TComponent::Loaded();
    if (FSkinDirectory.empty()) FSkinDirectory = DefaultSkinDirectory;
    if (FMenuSupport->IcoLineSkin.empty()) FMenuSupport->IcoLineSkin = L"ICOLINE";
    UpdateThirdLists();
    if (FActive && !FSkinName.empty()) SendNewSkin(false);
}

void TsSkinManager::UnhookMainWindow() {
    if (!FMainWindowHooked) return;
    FMainWindowHooked = false;
    if (Application)
        Application->UnhookMainWindow(TWindowHook(this, &TsSkinManager::HandleMainWindowMessage));
}

bool TsSkinManager::DefaultSkinManagerIs(const TsSkinManager* Manager) noexcept {
    return DefaultSkinManager == Manager;
}

void TsSkinManager::WriteSkinnedPopups(bool Value) { FSkinnedPopups = Value; }

void TsSkinManager::WriteSkinningRules(TacSkinningRules Value) { FSkinningRules = Value; }

void TsSkinManager::WriteSkinDirectory(const UnicodeString& Value) {
    if (FSkinDirectory == Value) return;
    FSkinDirectory = Value;
    SkinData.SkinPath = GetFullSkinDirectory();
}

void TsSkinManager::WriteActiveControl(HWND Wnd) {
    if (FActiveControl == Wnd) return;
    const HWND previous = FActiveControl;
    FActiveControl = Wnd;
    const LPARAM manager = reinterpret_cast<LPARAM>(this);
    if (previous) SendMessageW(previous, SM_ALPHACMD, SkinWParam(SKCMD_HOTOFF), manager);
    if (Wnd) SendMessageW(Wnd, SM_ALPHACMD, SkinWParam(SKCMD_HOTON), manager);
}

void TsSkinManager::UpdateThirdLists() {
    for (int i = 0; i < ThirdKindCount; ++i) {
        if (FThirdParty->ReadByIndex(i).empty()) FThirdParty->WriteByIndex(i, ThirdKindDefault(i));
        ThirdLists[i]->SetText(FThirdParty->ReadByIndex(i));
    }
}

void TsSkinManager::StoreThirdLists() {
    for (int i = 0; i < ThirdKindCount; ++i) FThirdParty->WriteByIndex(i, ThirdLists[i]->Text());
}

bool TsSkinManager::FadingEnabled(int SkinIndex) const noexcept {
    return IsValidSkinIndex(SkinIndex) && gd[SkinIndex].FadingEnabled;
}

int TsSkinManager::FadingIterations(int SkinIndex) const noexcept {
    return IsValidSkinIndex(SkinIndex) ? gd[SkinIndex].FadingIterations : 5;
}
