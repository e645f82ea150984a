// The default manager's auto-skinning hook (its procedure is window skinning's) and the list of
// what it makes for the windows it skins. The list is walked by index and each slot read again
// at every step, since a receiver of a broadcast may close a dialog and so empty a slot, or add a
// provider.
#include "skin/engine/sSkinManager.h"

std::unique_ptr<std::vector<TacHookProvider*>> HookProviders;
TAutoSkinHook AutoSkinHook;
HHOOK CBTHookHandle = nullptr;

void AddHookProvider(TacHookProvider* Provider) {
    if (!HookProviders) {
        delete Provider;
        return;
    }
    HookProviders->push_back(Provider);
}

void RemoveHookProvider(TacHookProvider* Provider) {
    if (!HookProviders) return;
    for (TacHookProvider*& slot : *HookProviders)
        if (slot == Provider) slot = nullptr;
}

void ForEachShownDialog(const std::function<void(HWND)>& Action) {
    for (std::size_t i = 0; HookProviders && i < HookProviders->size(); ++i) {
        const TacHookProvider* provider = (*HookProviders)[i];
        const HWND dialog = provider ? provider->DialogWindow() : nullptr;
        if (dialog && IsWindowVisible(dialog)) Action(dialog);
    }
}

void TsSkinManager::InstallHook() {
    if (ComponentState().Contains(csDesigning) || !ReadIsDefault() || GlobalHookInstalled) return;
    GlobalHookInstalled = true;
    if (!HookProviders) HookProviders = std::make_unique<std::vector<TacHookProvider*>>();
    if (AutoSkinHook.Procedure)
        CBTHookHandle =
            SetWindowsHookExW(WH_CBT, AutoSkinHook.Procedure, nullptr, GetCurrentThreadId());
}

void TsSkinManager::UnInstallHook() {
    if (ComponentState().Contains(csDesigning) || !ReadIsDefault() || !GlobalHookInstalled) return;
    if (AutoSkinHook.ClearMenus) AutoSkinHook.ClearMenus();
    if (CBTHookHandle) UnhookWindowsHookEx(CBTHookHandle);
    CBTHookHandle = nullptr;
    // The list goes first: a provider being freed finds no slot of its own to empty.
    std::unique_ptr<std::vector<TacHookProvider*>> providers = std::move(HookProviders);
    if (providers)
        for (TacHookProvider* provider : *providers) delete provider;
    GlobalHookInstalled = false;
}
