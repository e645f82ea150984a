// TXtThread: starting runs and their end. The refusal checks (Exclusive, MaxCount) and the
// registration of a new run happen under the list's lock, so that two callers of Execute
// cannot both pass them. User handlers (OnBegin, OnFinish, OnFinishAll) run outside the lock:
// a handler that waits for a run would otherwise block the run's own queries.
//
// A run's end is handled on the main thread (the framework runs OnTerminate there): OnFinish,
// leaving the list when the run frees itself, then OnFinishAll when no run is left. Freeing
// the component terminates its runs and waits for them, running their synchronised calls.
#include "support/XtThread/XtThread.h"

#include "framework/Application.h"
#include "framework/ExceptionBoundary.h"

#include <vector>

namespace {

class TListHold {
public:
    explicit TListHold(TThreadList& list) : FList(list), FItems(list.LockList()) {}
    ~TListHold() { FList.UnlockList(); }
    TListHold(const TListHold&) = delete;
    TListHold& operator=(const TListHold&) = delete;
    TList& operator*() const noexcept { return *FItems; }

private:
    TThreadList& FList;
    TList* FItems;
};

TXtBaseThread* Run(const TList& list, int index) {
    return static_cast<TXtBaseThread*>(list.Items(index));
}

bool AnyUnfinished(const TList& list) {
    for (int i = 0; i < list.Count(); ++i)
        if (!Run(list, i)->RunFinished()) return true;
    return false;
}

} // namespace

TXtThread::TXtThread(TComponent* AOwner) : TComponent(AOwner) {}

TXtThread::~TXtThread() { WaitForRuns(); }

void TXtThread::BeforeDestruction() {
    WaitForRuns();
    TComponent::BeforeDestruction();
}

// Finished runs that do not free themselves are freed too, rather than left behind.
void TXtThread::WaitForRuns() noexcept {
    if (FDestroying) return;
    FDestroying = true;
    GuardBoundary([this] {
        Terminate();
        const bool mainThread = GetCurrentThreadId() == MainThreadID();
        while (OneThreadIsRunning()) {
            if (mainThread)
                CheckSynchronize(1);
            else
                Sleep(1);
        }
        RemoveZombie(nullptr);
    });
}

TXtBaseThread* TXtThread::Execute(void* P) {
    TXtBaseThread* thread = CreateRun(P);
    if (!thread) return nullptr;
    try {
        OnBegin(this);
    } catch (...) { // the run never started: it goes without a trace
        FThreads.Remove(thread);
        thread->Free();
        return nullptr;
    }
    if (FRunOnCreate) Resume(thread);
    return thread;
}

TXtBaseThread* TXtThread::CreateRun(void* P) {
    TListHold list(FThreads);
    if (FExclusive && AnyUnfinished(*list)) return nullptr;
    if (FMaxCount > 0 && (*list).Count() >= FMaxCount) return nullptr;
    if (!OnExecute || FDestroying) return nullptr;
    TXtBaseThread* thread = nullptr;
    try {
        thread = Construct<TXtBaseThread>(this, OnExecute, P);
        thread->SetFreeOnTerminate(FFreeOnTerminate);
        thread->OnShowMessageDlgEvent = OnShowMessageDlgEvent;
        thread->SetPriority(FPriority);
        thread->OnTerminate = TNotifyEvent(this, &TXtThread::DoTerminate);
        (*list).Add(thread);
    } catch (...) { // not started: freeing it ends the system thread without running it
        if (thread) thread->Free();
        return nullptr;
    }
    return thread;
}

// Execute with RunOnCreate on for this call only.
TXtBaseThread* TXtThread::ExecuteRunning(void* P) {
    const bool runOnCreate = FRunOnCreate;
    FRunOnCreate = true;
    TXtBaseThread* thread = nullptr;
    try {
        thread = Execute(P);
    } catch (...) {
        FRunOnCreate = runOnCreate;
        throw;
    }
    FRunOnCreate = runOnCreate;
    return thread;
}

TXtBaseThread* TXtThread::ExecuteAndWait(void* P) {
    TXtBaseThread* thread = ExecuteRunning(P);
    if (thread) WaitFor();
    return thread;
}

// Waits for the started run only; the pointer is compared, never followed, once it may be gone.
TXtBaseThread* TXtThread::ExecuteThreadAndWait(void* P) {
    TXtBaseThread* thread = ExecuteRunning(P);
    while (thread && IsActive(thread)) HandleOneMessage();
    return thread;
}

void TXtThread::DoTerminate(TObject* Sender) {
    auto* thread = static_cast<TXtBaseThread*>(Sender);
    thread->FExecuteIsActive = false;
    try {
        OnFinish(thread);
    } catch (...) {
    }
    bool empty = false;
    {
        TListHold list(FThreads);
        if (thread->FreeOnTerminate()) (*list).Remove(thread);
        thread->FFinished = true;
        empty = (*list).Count() == 0;
    }
    if (!empty) return;
    CloseDialogForm();
    DoFinishAll();
}

void TXtThread::DoFinishAll() {
    try {
        OnFinishAll(this);
    } catch (...) {
    }
}

void TXtThread::Terminate() {
    {
        TListHold list(FThreads);
        for (int i = 0; i < (*list).Count(); ++i) Run(*list, i)->Terminate();
    }
    Resume(nullptr);
}

void TXtThread::CancelExecute() {
    if (OnCancelExecute)
        OnCancelExecute(this);
    else
        Terminate();
}

// A run that is suspended cannot end, so it stays valid while it is resumed outside the lock.
// The dialog form is made before the runs go on and shown (without delay) after their first
// resume.
void TXtThread::Resume(TXtBaseThread* Thread) {
    std::vector<TXtBaseThread*> suspended;
    if (Thread) {
        suspended.push_back(Thread);
    } else {
        TListHold list(FThreads);
        for (int i = 0; i < (*list).Count(); ++i)
            if (Run(*list, i)->Suspended()) suspended.push_back(Run(*list, i));
    }
    if (!suspended.empty()) CreateDialogForm();
    for (TXtBaseThread* thread : suspended) {
        const bool first = !thread->FOnResumeDone;
        while (thread->Suspended()) thread->Resume();
        if (first) ShowDialogFormAfterResume(thread);
    }
}

void TXtThread::RemoveZombie(TXtBaseThread* Thread) {
    std::vector<TXtBaseThread*> doomed;
    {
        TListHold list(FThreads);
        for (int i = (*list).Count() - 1; i >= 0; --i) {
            TXtBaseThread* run = Run(*list, i);
            if ((Thread && run != Thread) || !run->RunFinished() || run->FreeOnTerminate())
                continue;
            (*list).Delete(i);
            doomed.push_back(run);
        }
    }
    for (TXtBaseThread* run : doomed) run->Free();
}

void TXtThread::TerminateWaitFor(bool RemoveZombies) {
    Terminate();
    WaitFor();
    if (RemoveZombies) RemoveZombie(nullptr);
}

void TXtThread::WaitFor() {
    while (OneThreadIsRunning()) HandleOneMessage();
}

// Without an application object the main thread still runs the runs' synchronised calls.
void TXtThread::HandleOneMessage() {
    if (Application) {
        Application->HandleMessage();
        return;
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CheckSynchronize(10);
}
