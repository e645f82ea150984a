// The skin manager tells every form and control about its skin: applied (command 1), removed
// (command 2), repainted (commands 16 and 3) or one section changed (command 13). Applying a skin
// installs the default manager's auto-skinning hook, removing it removes the hook.
#include "skin/engine/acGlow.h"
#include "skin/engine/sSkinManager.h"
#include "skin/engine/sVclUtils.h"

#include "framework/Application.h"
#include "framework/Conversions.h"

UnicodeString UpdatedSectionName;

namespace {

TMessage SkinMessage(WORD Command, LPARAM LParam) {
    return TMessage{SM_ALPHACMD, SkinWParam(Command), LParam, 0};
}

} // namespace

void TsSkinManager::SendNewSkin(bool Repaint) {
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) return;
    ClearGlowEffects();
    if (Repaint) LockFormsRedraw(this);
    FSkinableMenus->FSkinBorderWidth = -1;
    SkinData.Active = false;
    InitConstantIndexes();
    TMessage message = SkinMessage(SKCMD_SKINLOADED, reinterpret_cast<LPARAM>(this));
    BroadcastToForms(message);
    SkinData.Active = true;
    InstallHook();
    if (Repaint) RepaintForms();
}

void TsSkinManager::SendRemoveSkin() {
    SkinRemoving = true;
    ClearGlowEffects();
    UnInstallHook();
    SkinData.Active = false;
    TMessage message = SkinMessage(SKCMD_SKINREMOVED, reinterpret_cast<LPARAM>(this));
    try {
        BroadcastToForms(message);
    } catch (...) {
        SkinRemoving = false;
        throw;
    }
    FreeSkinImages();
    FreeSkinPatterns();
    gd.clear();
    SkinRemoving = false;
}

void TsSkinManager::RepaintForms() {
    TMessage stop = SkinMessage(SKCMD_STOPFADE, reinterpret_cast<LPARAM>(this));
    BroadcastToForms(stop);
    const bool loading = ComponentState().Contains(csLoading);
    if (!loading) LockFormsRedraw(this);
    TMessage repaint = SkinMessage(SKCMD_REPAINT, reinterpret_cast<LPARAM>(this));
    BroadcastToForms(repaint);
    if (!loading) UnlockFormsRedraw(this, true);
    ForEachShownDialog([](HWND Dialog) {
        RedrawWindow(Dialog, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    });
}

void TsSkinManager::UpdateSkinSection(const UnicodeString& SectionName) {
    UpdatedSectionName = UpperCase(SectionName);
    TMessage message = SkinMessage(SKCMD_SECTIONCHANGED, 0);
    BroadcastToForms(message);
}

bool TsSkinManager::HandleMainWindowMessage(TMessage& Message) {
    if (!FSkinnedPopups) return false;
    switch (Message.Msg) {
    case WM_THEMECHANGED: return true;
    case CM_ACTIVATE:
        // Every screen form refreshes, the last made first.
        for (int i = Screen ? Screen->CustomFormCount() - 1 : -1; i >= 0; --i) {
            if (i >= Screen->CustomFormCount()) continue;
            TCustomForm* form = Screen->CustomForms(i);
            if (form->HandleAllocated()) SendSkinCommand(form->Handle(), SKCMD_REFRESHNOW);
        }
        return false;
    case SM_MENUITEMBORDER:
        FSkinableMenus->ItemBorderRequested(reinterpret_cast<HMENU>(Message.WParam),
                                            static_cast<UINT>(Message.LParam));
        return true;
    case SM_MENUWINDOWBORDER:
        FSkinableMenus->WindowBorderRequested(reinterpret_cast<HWND>(Message.LParam));
        return true;
    default: return false;
    }
}
