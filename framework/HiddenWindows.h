// Hidden windows that deliver their messages to a method: timers, the application object and
// any component that needs a window to receive posted messages or WM_TIMER use one.
//
// The window is a top-level window of our own class that is never shown, rather than a
// message-only window (HWND_MESSAGE): system broadcasts (WM_SETTINGCHANGE, WM_ENDSESSION ...)
// reach top-level windows only. Like every top-level window it belongs to the thread that
// created it, and that thread must pump messages or a broadcast sender waits for it.
//
// The method decides every answer: whatever it leaves in `Result` goes back to the system. A
// method that does not handle a message passes it on with `DefaultHandler`, as the classical
// handlers do (`else DefaultHandler(message, handle)`); leaving Result at 0 for a message it
// ignores would, for example, refuse WM_QUERYENDSESSION. The method receives messages from the
// moment AllocateHWnd returns until DeallocateHWnd is called; creation messages get the
// system's default answers. An exception leaving the method stops at the window procedure
// (GuardBoundary) and goes to the boundary sink; the message then answers what Result holds.
#pragma once

#include "framework/Events.h"
#include "framework/Messages.h"

using TWndMethod = TMethodEvent<void(TMessage& Message)>;

// Creates a hidden window on the calling thread whose messages go to `method`; raises EOSError
// (CreateWindowEx) when the system refuses.
HWND AllocateHWnd(const TWndMethod& method);
// Destroys the window now and detaches its method: no further call reaches the method, even
// when DeallocateHWnd is called from inside a message the window is dispatching. Raises
// EInvalidOperation when called on another thread than the one that allocated the window (the
// system would refuse) or for a window that is not one of ours; null is ignored.
void DeallocateHWnd(HWND wnd);
// The system's default answer for a message the method does not handle, stored in Result.
void DefaultHandler(TMessage& message, HWND wnd) noexcept;

// Owns a hidden window: allocated on construction, deallocated with the owner. A failure to
// deallocate (the wrong thread) ends the process rather than leave a window calling a dead
// object.
class THiddenWindow {
public:
    explicit THiddenWindow(const TWndMethod& method) : FHandle(AllocateHWnd(method)) {}
    ~THiddenWindow() { DeallocateHWnd(FHandle); }
    THiddenWindow(THiddenWindow&& other) noexcept : FHandle(other.FHandle) {
        other.FHandle = nullptr;
    }
    THiddenWindow& operator=(THiddenWindow&& other) noexcept;
    THiddenWindow(const THiddenWindow&) = delete;
    THiddenWindow& operator=(const THiddenWindow&) = delete;

    HWND Handle() const noexcept { return FHandle; }

private:
    HWND FHandle;
};
