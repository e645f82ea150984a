// The skin engine's module entries that set up globals, pictures and the picture format (see
// sSkinLibrary.h).
#include "skin/engine/sSkinLibrary.h"

#include "framework/Application.h"
#include "framework/Streams.h"
#include "framework/SystemInfo.h"
#include "skin/engine/acGlow.h"
#include "skin/engine/sGeneralUtils.h"
#include "skin/engine/sSkinManager.h"

#include <shellapi.h>

int HScrollBtnWidth = 0;
bool IsWinNT = false;
TPNGGraphic* ShadowTemplateActive = nullptr;
TPNGGraphic* ShadowTemplateInactive = nullptr;
HICON AppSmallIcon = nullptr;
HICON AppLargeIcon = nullptr;

namespace {

using TOwnedPicture = std::unique_ptr<TPNGGraphic, graphics_detail::TFreeObject>;

TOwnedPicture ResourcePicture(HINSTANCE Instance, const wchar_t* Name) {
    TResourceStream stream(Instance, Name);
    TOwnedPicture picture(new TPNGGraphic);
    picture->LoadFromStream(&stream);
    return picture;
}

HICON ProgramIcon(UINT Size) {
    std::unique_ptr<TIcon, graphics_detail::TFreeObject> icon(FileIconOf(ParamStr(0), Size));
    return icon ? icon->ReleaseHandle() : nullptr;
}

void FreeIcon(HICON& Icon) noexcept {
    if (Icon) DestroyIcon(Icon);
    Icon = nullptr;
}

} // namespace

void LoadShadowTemplates(HINSTANCE Instance) {
    TOwnedPicture active = ResourcePicture(Instance, L"acSHDA");
    TOwnedPicture inactive = ResourcePicture(Instance, L"acSHDI");
    FreeShadowTemplates();
    ShadowTemplateActive = active.release();
    ShadowTemplateInactive = inactive.release();
}

void FreeShadowTemplates() noexcept {
    FreeAndNil(ShadowTemplateActive);
    FreeAndNil(ShadowTemplateInactive);
}

void CheckVersionSwitch(const std::vector<UnicodeString>& Params) {
    for (UnicodeString param : Params) {
        if (!param.empty()) ::CharLowerBuffW(param.data(), static_cast<DWORD>(param.size()));
        if (param != L"/acver") continue;
        const UnicodeString caption = Application ? Application->Title() : UnicodeString();
        MessageBoxW(nullptr, L"Glazelkit v6.48", caption.c_str(), MB_OK | MB_ICONINFORMATION);
        return;
    }
}

TModuleEntry SkinConstModule() {
    return {L"sConst", {}, [] { HScrollBtnWidth = GetSystemMetrics(SM_CXHSCROLL); }, {}};
}

TModuleEntry SkinMessagesModule() {
    // The name is registered as the library always has; the fixed id SM_ALPHACMD is what is used.
    return {L"sMessages", {}, [] { RegisterWindowMessageW(L"SM_ALPHACMD"); }, {}};
}

TModuleEntry GlowModule() {
    return {L"acGlow", {}, {}, [] { ClearGlowEffects(); }};
}

TModuleEntry PNGModule() {
    return {L"acPNG",
            {},
            [] {
                TPicture::RegisterFileFormat(L"png", L"Portable network graphics (Glazelkit)",
                                             TPNGGraphic::StaticClass());
            },
            [] { TPicture::UnregisterGraphicClass(TPNGGraphic::StaticClass()); }};
}

TModuleEntry AppIconsModule() {
    return {L"sStyleSimply",
            {},
            [] {
                AppSmallIcon = ProgramIcon(SHGFI_SMALLICON);
                AppLargeIcon = ProgramIcon(SHGFI_LARGEICON);
            },
            [] {
                FreeIcon(AppSmallIcon);
                FreeIcon(AppLargeIcon);
                SkinnedForms.clear();
                UpdatedSectionName.clear();
            }};
}

TModuleEntry SkinManagerModule() {
    return {L"sSkinManager",
            {L"acPNG"},
            [] {
                IsWinNT = Win32Platform() == VER_PLATFORM_WIN32_NT;
                LoadShadowTemplates(GetModuleHandleW(nullptr));
                std::vector<UnicodeString> params;
                for (Integer i = 1; i <= ParamCount(); ++i) params.push_back(ParamStr(i));
                CheckVersionSwitch(params);
            },
            FreeShadowTemplates};
}
