// The application's visual half: the main form, minimising and restoring the program, hooks on
// the application window, message boxes and the modal level. The application window itself is
// hidden and never shown: the main form carries the taskbar button.
#include "framework/Application.h"

#include "framework/Forms.h"

#include <algorithm>

void TApplication::FormDestroying(TCustomForm* Form) {
    if (Form == FMainForm) FMainForm = nullptr;
}

void TApplication::ShowTheMainForm() {
    if (!FMainForm || !FShowMainForm) return;
    if (FMainForm->WindowState() == wsMinimized) {
        FMinimized = true;
        FMainForm->SetWindowState(wsNormal);
        FMainForm->Show();
        ShowWindow(FMainForm->Handle(), SW_SHOWMINNOACTIVE);
        FMainForm->SetWindowState(wsMinimized);
        OnMinimize(this);
    } else {
        FMainForm->Show();
    }
}

HWND TApplication::MainFormHandle() const {
    return FMainForm && FMainForm->HandleAllocated() ? FMainForm->Handle() : nullptr;
}

void TApplication::Minimize() {
    if (FMinimized) return;
    if (HWND wnd = MainFormHandle()) ShowWindow(wnd, SW_MINIMIZE);
    FMinimized = true;
    OnMinimize(this);
}

void TApplication::Restore() {
    if (!FMinimized) return;
    FMinimized = false;
    if (HWND wnd = MainFormHandle()) {
        ShowWindow(wnd, SW_RESTORE);
        SetForegroundWindow(wnd);
    }
    OnRestore(this);
}

void TApplication::HookMainWindow(const TWindowHook& Hook) { FHooks.push_back(Hook); }

void TApplication::UnhookMainWindow(const TWindowHook& Hook) {
    const auto found = std::find(FHooks.rbegin(), FHooks.rend(), Hook);
    if (found != FHooks.rend()) FHooks.erase(std::next(found).base());
}

bool TApplication::CallHooks(TMessage& message) {
    const std::vector<TWindowHook> hooks = FHooks; // a hook may unhook itself
    for (auto hook = hooks.rbegin(); hook != hooks.rend(); ++hook)
        if ((*hook)(message)) return true;
    return false;
}

int TApplication::MessageBox(const UnicodeString& Text, const UnicodeString& Caption, UINT Flags) {
    HWND owner = nullptr;
    if (Screen && Screen->ActiveCustomForm() && Screen->ActiveCustomForm()->HandleAllocated())
        owner = Screen->ActiveCustomForm()->Handle();
    else
        owner = MainFormHandle();
    ModalStarted();
    const int answer =
        ::MessageBoxW(owner, Text.c_str(), (Caption.empty() ? FTitle : Caption).c_str(), Flags);
    ModalFinished();
    return answer;
}

void TApplication::ModalStarted() {
    if (FModalLevel++ == 0) OnModalBegin(this);
}

void TApplication::ModalFinished() {
    if (FModalLevel > 0 && --FModalLevel == 0) OnModalEnd(this);
}
