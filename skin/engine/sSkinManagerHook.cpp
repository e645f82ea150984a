// The default manager's auto-skinning hook and the list of what it makes for the windows it
// skins. The list is walked by index and each slot read again at every step, since a receiver of
// a broadcast may close a dialog and so empty a slot, or add a provider.
#include "skin/engine/sSkinManager.h"

std::unique_ptr<std::vector<TacHookProvider*>> HookProviders;

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
}

void TsSkinManager::UnInstallHook() {
    if (ComponentState().Contains(csDesigning) || !ReadIsDefault() || !GlobalHookInstalled) return;
    // The list goes first: a provider being freed finds no slot of its own to empty.
    std::unique_ptr<std::vector<TacHookProvider*>> providers = std::move(HookProviders);
    if (providers)
        for (TacHookProvider* provider : *providers) delete provider;
    GlobalHookInstalled = false;
}
