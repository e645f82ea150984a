// The GUI thread's message loop. Idle means: OnIdle has run, no synchronised call was waiting,
// and no message is queued; the loop then sleeps in MsgWaitForMultipleObjectsEx on the message
// queue and on the event that says threads handed calls over, whichever comes first.
//
// Key messages go to the control they are for as CN_BASE + message first (CN_KEYDOWN, CN_CHAR,
// CN_SYSKEYDOWN, CN_SYSCHAR ...), so that a control and its form can take navigation keys and
// accelerators before the window sees them; a non-zero answer swallows the message. The control
// is the one of the message's window or, for a raw child window of a control (the edit of a
// combo box), of its parent. A key the control leaves may be a shortcut of its form's menu.
#include "framework/Application.h"

#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Threads.h"

namespace {

bool IsKeyMsg(const MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    TWinControl* control = TWinControl::FindControl(msg.hwnd);
    if (!control) control = TWinControl::FindControl(GetParent(msg.hwnd));
    if (!control) return false;
    if (control->Perform(CN_BASE + msg.message, msg.wParam, msg.lParam) != 0) return true;
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    TCustomForm* form = GetParentForm(control);
    const TMessage key{msg.message, msg.wParam, msg.lParam, 0};
    return form && form->IsShortCut(key);
}

} // namespace

void TApplication::Run() {
    ShowTheMainForm();
    while (!FTerminated) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
}

void TApplication::ProcessMessages() {
    while (ProcessMessage()) {
    }
}

void TApplication::HandleMessage() {
    if (!ProcessMessage()) Idle();
}

void TApplication::Terminate() { PostQuitMessage(0); }

// Mouse moves drive the hints; keys and clicks end them. Never swallows the message.
bool TApplication::IsHintMsg(const MSG& msg) {
    if (FHintShowing && FHintWindow && FHintWindow->IsHintMsg(msg)) CancelHint();
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) HintMouseMessage(msg);
    return false;
}

bool TApplication::ProcessMessage() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        FTerminated = true;
    } else if (!IsHintMsg(msg) && !IsKeyMsg(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

void TApplication::Idle() {
    bool done = true;
    try {
        OnIdle(this, done);
        if (RunSynchronized()) done = false;
    } catch (...) {
        HandleException(this);
    }
    if (done) WaitForWork();
}

void TApplication::WaitForWork() {
    HANDLE event = SyncEventHandle();
    const DWORD result =
        MsgWaitForMultipleObjectsEx(1, &event, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (result == WAIT_FAILED) RaiseLastOSError(L"MsgWaitForMultipleObjectsEx");
    if (result == WAIT_OBJECT_0) RunSynchronized();
}

bool TApplication::RunSynchronized() { return CheckSynchronize(0); }
