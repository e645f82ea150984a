// Worker threads and the hand-over of calls to the main (GUI) thread.
//   TThread            a worker running its Execute once; ends, reports, optionally frees itself
//   Synchronize/Queue  run a call on the main thread, waiting for it or not
//   CheckSynchronize   the main thread's side: runs the calls handed over
//
// The main thread is the thread that runs the program's static initialisers, i.e. the
// process's first thread; it is recorded when this module is initialised. A program whose GUI
// runs elsewhere (a library loaded into a host) calls SetMainThread() from that thread before
// starting workers.
//
// Calls handed over wait in one process-wide queue until the main thread runs
// CheckSynchronize. After queueing, Synchronize and Queue call the WakeMainThread hook (the
// application object posts a message to its hidden window there) and signal SyncEventHandle(),
// a manual-reset event that stays signalled while calls are pending, so that a message loop can
// wait on it with MsgWaitForMultipleObjects. A program that has neither pumps CheckSynchronize
// itself; a worker's Synchronize blocks until somebody does.
//
// Lifetime: the constructor creates the system thread suspended (Handle and ThreadID are valid
// at once). With CreateSuspended false, AfterConstruction starts it, so create such threads
// with Construct<T>(false) or call Start(): the thread must not run Execute before the most
// derived constructor has finished. Free a thread with Free(): its BeforeDestruction sets
// Terminated and waits for Execute to return while the derived parts still exist (the
// destructor alone does the same, but after they are gone). A thread with FreeOnTerminate
// frees itself once started; nobody else frees it or waits for it.
#pragma once

#include "framework/Events.h"
#include "framework/SyncObjs.h"

#include <atomic>
#include <exception>
#include <functional>

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

using TThreadMethod = TMethodEvent<void()>;
using TThreadProcedure = std::function<void()>;

class TThread : public TObject {
    CLASS_INFO(TThread, TObject)
public:
    explicit TThread(bool CreateSuspended);
    ~TThread() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;

    // Starts a thread created suspended; raises EThread when it was started before.
    void Start();
    // Asks Execute to stop: it should look at Terminated() often enough.
    void Terminate() noexcept { FTerminated = true; }
    bool Terminated() const noexcept { return FTerminated; }
    // Waits until the thread has ended and answers its exit code (ReturnValue). On the main
    // thread it runs the calls that workers hand over meanwhile, so that a worker blocked in
    // Synchronize cannot deadlock the wait. Raises EThread for a thread that was never started,
    // that frees itself, or when a thread waits for itself.
    Cardinal WaitFor();
    // True once Execute has returned and OnTerminate has run.
    bool Finished() const noexcept { return FFinished; }

    bool FreeOnTerminate() const noexcept { return FFreeOnTerminate; }
    void SetFreeOnTerminate(bool value) noexcept { FFreeOnTerminate = value; }
    TThreadPriority Priority() const;
    void SetPriority(TThreadPriority value);
    Cardinal ThreadID() const noexcept { return FThreadID; }
    HANDLE Handle() const noexcept { return FHandle.Get(); }
    Integer ReturnValue() const noexcept { return FReturnValue; }
    // The exception that escaped Execute (null when none); read it once the thread has ended.
    std::exception_ptr FatalException() const noexcept { return FFatalException; }

    // Runs on the main thread after Execute returns, with the thread as Sender. Set it before
    // the thread starts.
    TNotifyEvent OnTerminate;

    // Run `method` on the main thread and wait until it has run; an exception it throws is
    // raised again here. On the main thread the method runs at once.
    static void Synchronize(TThread* thread, const TThreadMethod& method);
    static void Synchronize(TThread* thread, const TThreadProcedure& procedure);
    // Hand `method` to the main thread without waiting; an exception it throws there goes to
    // ReportBoundaryException. On the main thread the method runs at once (and an exception
    // reaches the caller).
    static void Queue(TThread* thread, const TThreadMethod& method);
    static void Queue(TThread* thread, TThreadProcedure procedure);
    // Drops the calls queued for `thread` that have not run yet and, off the main thread, waits
    // for one that is running. A thread's destructor does this.
    static void RemoveQueuedEvents(TThread* thread);

protected:
    virtual void Execute() = 0;
    // Runs OnTerminate through Synchronize.
    virtual void DoTerminate();
    void SetReturnValue(Integer value) noexcept { FReturnValue = value; }
    void Synchronize(const TThreadMethod& method) { Synchronize(this, method); }
    void Synchronize(const TThreadProcedure& procedure) { Synchronize(this, procedure); }
    void Queue(const TThreadMethod& method) { Queue(this, method); }
    void Queue(TThreadProcedure procedure) { Queue(this, std::move(procedure)); }

private:
    static unsigned WINAPI ThreadProc(void* self);
    unsigned Run() noexcept;
    void StopAndWait() noexcept;
    void WaitUntilEnded() noexcept;

    // Set by the constructor; the handle is closed once the thread has ended (or with the
    // object, for a thread that frees itself).
    TKernelHandle FHandle;
    Cardinal FThreadID = 0;
    bool FCreateSuspended;
    // The flags and the return value are atomic: the thread and its owner both use them.
    // Set by Start before the system thread is resumed; a thread resumed while it is false
    // (freed before it was started) ends without running Execute.
    std::atomic<bool> FStarted{false};
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    std::atomic<bool> FFreeOnTerminate{false};
    std::atomic<Integer> FReturnValue{0};
    // Written by the thread before it ends; read after the thread has ended.
    std::exception_ptr FFatalException;
};

// The id of the main thread (see the top of this file).
Cardinal MainThreadID() noexcept;
// Records the calling thread as the main thread.
void SetMainThread() noexcept;
// Main thread only (EThread otherwise): waits up to `timeoutMs` for calls to be handed over,
// runs those pending when it starts running (not ones queued while it runs) and answers
// whether any ran.
bool CheckSynchronize(Cardinal timeoutMs = 0);
// Signalled while calls wait for CheckSynchronize.
HANDLE SyncEventHandle();
// Called on the handing-over thread after each call is queued; an exception it throws goes to
// ReportBoundaryException. Answers the hook installed before.
TMethodEvent<void()> SetWakeMainThread(TMethodEvent<void()> hook);
TMethodEvent<void()> WakeMainThread();
