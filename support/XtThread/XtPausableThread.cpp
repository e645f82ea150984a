// Pausing, suspending and resuming a framework thread. The first resume starts the thread;
// later ones undo a Suspend. A paused thread holds the pause section on the thread that paused
// it, so only that thread may unpause it.
#include "support/XtThread/XtThread.h"

void TXtPausableThread::SetPaused(bool Value) {
    if (Value == FPaused) return;
    if (Value) {
        FPauseSection.Enter();
        FPausedBy = GetCurrentThreadId();
        FPaused = true;
    } else {
        if (FPausedBy != GetCurrentThreadId())
            throw EThread(L"A thread can only be unpaused by the thread that paused it");
        FPaused = false;
        FPausedBy = 0;
        FPauseSection.Leave();
    }
    if (FStarted && Suspended() && !FPaused) Resume();
}

void TXtPausableThread::Resume() {
    if (!FStarted.exchange(true)) {
        try {
            Start();
        } catch (...) {
            FStarted = false;
            throw;
        }
        return;
    }
    if (FSuspendCount == 0) return;
    if (ResumeThread(Handle()) == static_cast<DWORD>(-1)) RaiseLastOSError(L"ResumeThread");
    --FSuspendCount;
}

// The count rises first: a thread suspending itself cannot count afterwards.
void TXtPausableThread::Suspend() {
    ++FSuspendCount;
    if (SuspendThread(Handle()) == static_cast<DWORD>(-1)) {
        --FSuspendCount;
        RaiseLastOSError(L"SuspendThread");
    }
}

// Freeing waits for the thread to end: a suspended one is let go first, or the wait would
// never end.
void TXtPausableThread::BeforeDestruction() {
    Terminate();
    if (FPaused && FPausedBy == GetCurrentThreadId()) SetPaused(false);
    while (FStarted && FSuspendCount > 0) {
        if (ResumeThread(Handle()) == static_cast<DWORD>(-1)) break;
        --FSuspendCount;
    }
    TThread::BeforeDestruction();
}
