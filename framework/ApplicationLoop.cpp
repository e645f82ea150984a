// The GUI thread's message loop. Idle means: OnIdle has run, no synchronised call was waiting,
// and no message is queued; the loop then sleeps in MsgWaitForMultipleObjectsEx on the message
// queue and on the event that says threads handed calls over, whichever comes first.
#include "framework/Application.h"

#include "framework/Threads.h"

void TApplication::Run() {
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

bool TApplication::ProcessMessage() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        FTerminated = true;
    } else {
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
