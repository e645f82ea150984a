// The life of a TThread. The system thread is created suspended in the constructor and resumed
// by Start; its entry (ThreadProc) is a system boundary, so Run catches everything: an
// exception escaping Execute is kept as FatalException and reported, and the process lives on.
// Nobody is left behind: freeing a thread that runs sets Terminated and waits for it, and
// freeing one never started resumes it only to let it end without running Execute.
#include "framework/Threads.h"

#include "framework/ExceptionBoundary.h"

#include <process.h>

namespace {

constexpr int PriorityValues[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,
                                  THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                                  THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                                  THREAD_PRIORITY_TIME_CRITICAL};

// Delivers messages sent to this thread's windows while the main thread waits: a worker may
// be blocked in SendMessage to one of them.
void DeliverSentMessages() noexcept {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
}

} // namespace

TThread::TThread(bool CreateSuspended) : FCreateSuspended(CreateSuspended) {
    unsigned id = 0;
    const uintptr_t handle = _beginthreadex(nullptr, 0, &ThreadProc, this, CREATE_SUSPENDED, &id);
    if (!handle) RaiseLastOSError(L"_beginthreadex");
    FHandle.Reset(reinterpret_cast<HANDLE>(handle));
    FThreadID = id;
}

TThread::~TThread() {
    StopAndWait();
    RemoveQueuedEvents(this);
}

void TThread::AfterConstruction() {
    TObject::AfterConstruction();
    if (!FCreateSuspended) Start();
}

void TThread::BeforeDestruction() {
    StopAndWait();
    TObject::BeforeDestruction();
}

void TThread::Start() {
    if (FStarted.exchange(true)) throw EThread(L"Cannot start a thread that was started before");
    if (ResumeThread(Handle()) == static_cast<DWORD>(-1)) {
        FStarted = false;
        RaiseLastOSError(L"ResumeThread");
    }
}

Cardinal TThread::WaitFor() {
    if (GetCurrentThreadId() == FThreadID) throw EThread(L"A thread cannot wait for itself");
    if (FFreeOnTerminate) throw EThread(L"Cannot wait for a thread that frees itself");
    if (!FStarted) throw EThread(L"Cannot wait for a thread that was never started");
    WaitUntilEnded();
    DWORD code = 0;
    if (!GetExitCodeThread(Handle(), &code)) RaiseLastOSError(L"GetExitCodeThread");
    return code;
}

TThreadPriority TThread::Priority() const {
    const int value = GetThreadPriority(Handle());
    if (value == THREAD_PRIORITY_ERROR_RETURN) RaiseLastOSError(L"GetThreadPriority");
    for (int p = tpIdle; p <= tpTimeCritical; ++p)
        if (PriorityValues[p] == value) return static_cast<TThreadPriority>(p);
    return tpNormal; // a level set from outside this class, such as a real-time class's
}

void TThread::SetPriority(TThreadPriority value) {
    if (value < tpIdle || value > tpTimeCritical) throw EThread(L"Invalid thread priority");
    if (!SetThreadPriority(Handle(), PriorityValues[value])) RaiseLastOSError(L"SetThreadPriority");
}

void TThread::DoTerminate() {
    if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

unsigned WINAPI TThread::ThreadProc(void* self) { return static_cast<TThread*>(self)->Run(); }

unsigned TThread::Run() noexcept {
    if (!FStarted) return 0;
    try {
        if (!Terminated()) Execute();
    } catch (...) {
        FFatalException = std::current_exception();
        ReportBoundaryException();
    }
    GuardBoundary([this] { DoTerminate(); });
    const auto exitCode = static_cast<unsigned>(FReturnValue.load());
    const bool freeSelf = FFreeOnTerminate;
    FFinished = true;
    if (freeSelf) Free(); // nothing of the object may be touched after this
    return exitCode;
}

// Waits for the system thread to end unless this is that thread (a thread freeing itself).
void TThread::StopAndWait() noexcept {
    if (!FHandle || GetCurrentThreadId() == FThreadID) return;
    Terminate();
    if (!FStarted) ResumeThread(Handle());
    WaitUntilEnded();
    FHandle.Reset();
}

void TThread::WaitUntilEnded() noexcept {
    if (GetCurrentThreadId() != MainThreadID()) {
        WaitForSingleObject(Handle(), INFINITE);
        return;
    }
    const HANDLE handles[] = {Handle(), SyncEventHandle()};
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0) return;
        if (woke == WAIT_OBJECT_0 + 1) {
            CheckSynchronize();
        } else if (woke == WAIT_OBJECT_0 + 2) {
            DeliverSentMessages();
        } else { // the wait itself failed: still never leave the thread running
            WaitForSingleObject(Handle(), INFINITE);
            return;
        }
    }
}
