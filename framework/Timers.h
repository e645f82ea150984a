// `TTimer`: a component that calls OnTimer every Interval milliseconds through the message
// loop of the thread that created it (WM_TIMER on a hidden window of its own).
//
// The timer runs exactly while it is armed: Enabled, a non-zero Interval and an OnTimer
// handler, and not loading (csLoading; Loaded arms it). Every change of those re-arms it, so a
// new Interval counts from the change. An exception leaving OnTimer goes to the boundary sink
// (the application's HandleException) and the timer keeps running. A handler may free its own
// timer.
#pragma once

#include "framework/Components.h"
#include "framework/HiddenWindows.h"

class TTimer : public TComponent {
    CLASS_INFO(TTimer, TComponent)
public:
    explicit TTimer(TComponent* AOwner);

    Cardinal Interval() const noexcept { return FInterval; }
    // Raises EOutOfResources when the system has no timer left (SetTimer), as SetEnabled and
    // SetOnTimer do.
    void SetInterval(Cardinal value);
    bool Enabled() const noexcept { return FEnabled; }
    void SetEnabled(bool value);
    const TNotifyEvent& OnTimer() const noexcept { return FOnTimer; }
    void SetOnTimer(const TNotifyEvent& value);

protected:
    void Loaded() override;
    // Fires OnTimer; WM_TIMER calls it.
    virtual void Timer();

private:
    static constexpr UINT_PTR TimerId = 1;

    void UpdateTimer();
    void WndProc(TMessage& message);

    Cardinal FInterval = 1000;
    bool FEnabled = true;
    TNotifyEvent FOnTimer;
    THiddenWindow FWindow;
};
