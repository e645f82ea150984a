// `TTimer` over SetTimer on its own hidden window: one system timer (id 1) per component,
// killed and set again on every change, and destroyed with the window.
#include "framework/Timers.h"

TTimer::TTimer(TComponent* AOwner)
    : TComponent(AOwner), FWindow(TWndMethod(this, &TTimer::WndProc)) {}

void TTimer::SetInterval(Cardinal value) {
    if (value == FInterval) return;
    FInterval = value;
    UpdateTimer();
}

void TTimer::SetEnabled(bool value) {
    if (value == FEnabled) return;
    FEnabled = value;
    UpdateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& value) {
    FOnTimer = value;
    UpdateTimer();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::Timer() { FOnTimer(this); }

void TTimer::UpdateTimer() {
    KillTimer(FWindow.Handle(), TimerId);
    const bool armed =
        FEnabled && FInterval != 0 && FOnTimer.Assigned() && !ComponentState().Contains(csLoading);
    if (armed && !SetTimer(FWindow.Handle(), TimerId, FInterval, nullptr))
        throw EOutOfResources(L"Not enough timers available (SetTimer error " +
                              std::to_wstring(GetLastError()) + L")");
}

void TTimer::WndProc(TMessage& message) {
    if (message.Msg == WM_TIMER)
        Timer();
    else
        DefaultHandler(message, FWindow.Handle());
}
