// TXtThread's queries and the operations that act on the calling run when the caller is one
// of the component's runs, and on every run otherwise. Each takes the list's lock briefly.
#include "support/XtThread/XtThread.h"

namespace {

TXtBaseThread* Run(const TList& list, int index) {
    return static_cast<TXtBaseThread*>(list.Items(index));
}

} // namespace

// The run of the calling thread stays valid after the lock is left: it is the caller.
TXtBaseThread* TXtThread::CurrentRun() {
    TList* list = FThreads.LockList();
    TXtBaseThread* found = nullptr;
    for (int i = 0; i < list->Count() && !found; ++i)
        if (Run(*list, i)->ThreadID() == GetCurrentThreadId()) found = Run(*list, i);
    FThreads.UnlockList();
    return found;
}

bool TXtThread::IsActive(TXtBaseThread* Thread) {
    TList* list = FThreads.LockList();
    const bool active = list->IndexOf(Thread) >= 0 && !Thread->RunFinished();
    FThreads.UnlockList();
    return active;
}

bool TXtThread::Terminated() {
    if (TXtBaseThread* run = CurrentRun()) return run->Terminated();
    TList* list = FThreads.LockList();
    bool all = true;
    for (int i = 0; i < list->Count() && all; ++i) all = Run(*list, i)->Terminated();
    FThreads.UnlockList();
    return all;
}

bool TXtThread::OneThreadIsRunning() {
    TList* list = FThreads.LockList();
    bool running = false;
    for (int i = 0; i < list->Count() && !running; ++i) running = !Run(*list, i)->RunFinished();
    FThreads.UnlockList();
    return running;
}

int TXtThread::Count() {
    TList* list = FThreads.LockList();
    const int count = list->Count();
    FThreads.UnlockList();
    return count;
}

void TXtThread::Suspend() {
    if (TXtBaseThread* run = CurrentRun()) {
        run->Suspend();
        return;
    }
    TList* list = FThreads.LockList();
    for (int i = 0; i < list->Count(); ++i) {
        if (Run(*list, i)->RunFinished()) continue;
        try {
            Run(*list, i)->Suspend();
        } catch (const Exception&) {
        }
    }
    FThreads.UnlockList();
}

void TXtThread::SetPriority(TThreadPriority Value) {
    if (TXtBaseThread* run = CurrentRun()) {
        run->SetPriority(Value);
        return;
    }
    FPriority = Value;
    TList* list = FThreads.LockList();
    try {
        for (int i = 0; i < list->Count(); ++i) Run(*list, i)->SetPriority(Value);
    } catch (...) {
        FThreads.UnlockList();
        throw;
    }
    FThreads.UnlockList();
}

void TXtThread::SetReturnValue(Integer Value) {
    if (TXtBaseThread* run = CurrentRun()) run->SetReturnValue(Value);
}

Integer TXtThread::ReturnValue() {
    TXtBaseThread* run = CurrentRun();
    return run ? run->ReturnValue() : 0;
}

void TXtThread::Lock() {
    FListLocker.Enter();
    FLockedList = FThreads.LockList();
}

void TXtThread::Unlock() {
    FThreads.UnlockList();
    FListLocker.Leave();
}

void TXtThread::Synchronize(const TThreadMethod& Method) {
    DisableDialogShowDelay();
    try {
        if (TXtBaseThread* run = CurrentRun())
            TThread::Synchronize(run, Method);
        else
            Method();
    } catch (...) {
        EnableDialogShowDelay();
        throw;
    }
    EnableDialogShowDelay();
}

void TXtThread::SetConnectedDataComponent(TComponent* Value) {
    if (Value == FConnectedDataComponent) return;
    if (FConnectedDataComponent) FConnectedDataComponent->RemoveFreeNotification(this);
    FConnectedDataComponent = Value;
    if (Value) Value->FreeNotification(this);
    if (FThreadDialogForm) FThreadDialogForm->SetConnectedDataComponent(Value);
}

void TXtThread::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FConnectedDataComponent) FConnectedDataComponent = nullptr;
    if (AComponent == FThreadDialog) FThreadDialog = nullptr;
    if (AComponent == FThreadDialogForm) FThreadDialogForm = nullptr;
}
