// Worker-thread component:
//   TXtPausableThread     a framework thread that can be paused, suspended and resumed
//   TXtBaseThread         one run of a TXtThread's OnExecute handler on a thread of its own
//   TXtThread             the component: starts runs, tracks them, ends and frees them
//   CallUnderThreadMutex  runs a method under the named mutex "VCLXtThreadMutex"
//   XtThreadModule        the module entry that creates and closes that mutex
//
// A run is created suspended, resumed once (Execute resumes it unless RunOnCreate is off),
// runs the handler once and ends; its finish handling (OnFinish, OnFinishAll, leaving the
// list) runs on the main thread through the framework's thread termination, so the main thread
// must handle synchronised calls. Terminate only sets flags: a handler ends when it looks at
// Terminated. The named mutex lives in the logon session's namespace: every process of the
// user that uses this unit shares it.
#pragma once

#include "framework/Components.h"
#include "framework/Lists.h"
#include "framework/ModuleInit.h"
#include "framework/Threads.h"

#include <atomic>
#include <exception>

class TXtThread;

using TXtNotifyParamsEvent = TMethodEvent<void(TObject* Sender, void* Params)>;
using TXtThreadCancelEvent = TMethodEvent<void(TXtThread* CurrentThread)>;

class TXtPausableThread : public TThread {
    CLASS_INFO(TXtPausableThread, TThread)
public:
    explicit TXtPausableThread(bool CreateSuspended) : TThread(CreateSuspended) {}
    void BeforeDestruction() override;

    bool Paused() const noexcept { return FPaused; }
    // True holds the pause section on the calling thread; False must come from that thread.
    // Raises EThread otherwise.
    void SetPaused(bool Value);
    // Not started yet, or suspended more often than resumed.
    bool Suspended() const noexcept { return !FStarted || FSuspendCount > 0; }
    // Starts the thread the first time, then undoes one Suspend.
    virtual void Resume();
    // The calling thread may suspend itself; suspending another thread stops it wherever it
    // is (inside a heap lock, for example), which only a caller that knows it is safe does.
    void Suspend();

private:
    TCriticalSection FPauseSection;
    std::atomic<bool> FPaused{false};
    std::atomic<DWORD> FPausedBy{0};
    std::atomic<bool> FStarted{false};
    std::atomic<int> FSuspendCount{0};
};

class TXtBaseThread : public TXtPausableThread {
    CLASS_INFO(TXtBaseThread, TXtPausableThread)
public:
    TXtBaseThread(TXtThread* Sender, const TXtNotifyParamsEvent& Event, void* Params);

    TXtThread* SenderComponent() const noexcept { return FSender; }
    void* Params() const noexcept { return FParams; }
    bool ExecuteIsActive() const noexcept { return FExecuteIsActive; }
    // The run has ended and its finish handling is done.
    bool RunFinished() const noexcept { return FFinished; }
    bool InternalTerminate() const noexcept { return FInternalTerminate; }
    // The error that escaped the handler (null when none); read once the run has finished.
    std::exception_ptr ExecuteException() const noexcept { return FException; }
    void Resume() override;
    using TThread::SetReturnValue;

protected:
    void Execute() override;

private:
    friend class TXtThread;

    TXtThread* FSender;
    TXtNotifyParamsEvent FExecuteEvent;
    void* FParams;
    std::atomic<bool> FInternalTerminate{false};
    std::atomic<bool> FOnResumeDone{false};
    std::atomic<bool> FExecuteIsActive{false};
    std::atomic<bool> FFinished{false};
    std::exception_ptr FException; // written by the thread before it ends
};

class TXtThread : public TComponent {
    CLASS_INFO(TXtThread, TComponent)
public:
    explicit TXtThread(TComponent* AOwner);
    ~TXtThread() override;
    void BeforeDestruction() override;

    bool Exclusive() const noexcept { return FExclusive; }
    void SetExclusive(bool Value) noexcept { FExclusive = Value; }
    // 0: no limit.
    Integer MaxCount() const noexcept { return FMaxCount; }
    void SetMaxCount(Integer Value) noexcept { FMaxCount = Value; }
    bool RunOnCreate() const noexcept { return FRunOnCreate; }
    void SetRunOnCreate(bool Value) noexcept { FRunOnCreate = Value; }
    bool FreeOnTerminate() const noexcept { return FFreeOnTerminate; }
    void SetFreeOnTerminate(bool Value) noexcept { FFreeOnTerminate = Value; }
    TThreadPriority Priority() const noexcept { return FPriority; }
    // From one of its runs: that run's priority; elsewhere: every run's, and later ones'.
    void SetPriority(TThreadPriority Value);

    // Starts a run of OnExecute with P; nil when refused (a run is active and Exclusive is
    // set, MaxCount runs exist, no handler) or when the run could not be set up.
    TXtBaseThread* Execute(void* P);
    TXtBaseThread* ExecuteAndWait(void* P);
    TXtBaseThread* ExecuteThreadAndWait(void* P);
    void Terminate();
    void CancelExecute();
    bool Terminated();
    bool OneThreadIsRunning();
    int Count();
    // Handles application messages while a run is active (main thread).
    void WaitFor();
    void TerminateWaitFor(bool RemoveZombies);
    // Nil: every suspended run.
    void Resume(TXtBaseThread* Thread = nullptr);
    void Suspend();
    void SetReturnValue(Integer Value);
    Integer ReturnValue();
    // Holds the list of runs (the same lock every query takes) until Unlock.
    void Lock();
    void Unlock();
    TList* LockedList() const noexcept { return FLockedList; }
    // From one of its runs: runs Method on the main thread and waits; elsewhere: calls it.
    void Synchronize(const TThreadMethod& Method);
    // Frees finished runs that do not free themselves (nil: all of them).
    void RemoveZombie(TXtBaseThread* Thread = nullptr);
    void DisableDialogShowDelay() noexcept { ++FDisalbeDialogShowDelayCounter; }
    void EnableDialogShowDelay() noexcept { --FDisalbeDialogShowDelayCounter; }
    bool IsDialogShowDelayDisabled() const noexcept { return FDisalbeDialogShowDelayCounter > 0; }
    // Data for whoever shows the runs' progress; the component is cleared when it is freed.
    TObject* ConnectedDataObject() const noexcept { return FConnectedDataObject; }
    void SetConnectedDataObject(TObject* Value) noexcept { FConnectedDataObject = Value; }
    TComponent* ConnectedDataComponent() const noexcept { return FConnectedDataComponent; }
    void SetConnectedDataComponent(TComponent* Value);

    TXtNotifyParamsEvent OnExecute;
    TNotifyEvent OnBegin;
    TNotifyEvent OnFinish;
    TNotifyEvent OnFinishAll;
    TXtThreadCancelEvent OnCancelExecute;
    TNotifyEvent BeforeResume;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TXtBaseThread;

    TXtBaseThread* CreateRun(void* P);
    TXtBaseThread* ExecuteRunning(void* P);
    TXtBaseThread* CurrentRun();
    bool IsActive(TXtBaseThread* Thread);
    void DoTerminate(TObject* Sender);
    void DoFinishAll();
    void HandleOneMessage();
    void WaitForRuns() noexcept;

    // The settings and FDestroying are used by the thread that owns the component.
    bool FExclusive = true;
    Integer FMaxCount = 0;
    bool FRunOnCreate = true;
    bool FFreeOnTerminate = true;
    std::atomic<TThreadPriority> FPriority{tpNormal};
    TThreadList FThreads; // of TXtBaseThread; guarded by its own lock
    TCriticalSection FListLocker;
    TList* FLockedList = nullptr; // guarded by FListLocker
    std::atomic<int> FDisalbeDialogShowDelayCounter{0};
    TObject* FConnectedDataObject = nullptr;
    TComponent* FConnectedDataComponent = nullptr;
    bool FDestroying = false;
};

// Runs Method (with a nil Sender) while holding the named mutex "VCLXtThreadMutex"; waits
// without a limit. The mutex is released also when Method raises. Calls nest on one thread.
// Raises EInvalidOperation when the module is not initialised.
void CallUnderThreadMutex(const TNotifyEvent& Method);
TModuleEntry XtThreadModule();
