// A component that runs queued task objects on a self-sizing set of worker threads.
//   TKitCriticalSection  recursive lock whose TryEnterEx also works where no try-enter exists
//   TKitTaskDataObject   base of tasks: Clone, Duplicate, Info
//   TKitThreadPool       the queue, the workers, the sizing rules and the state text
//   TKitPoolingThread    one worker: waits for a task, runs the pool's handler, frees the task
//
// Workload: a GUI program queues a few dozen short network requests per second from a feeder
// thread and reads the counts on its GUI thread; tens of workers, never hundreds.
//
// Sizing. Workers are created on the thread that adds a request, before the request is
// counted: the first request creates one worker; with MinAtLeast the next brings the pool to
// ThreadsMinCount; after that a request adds one worker while tasks wait, no worker is idle,
// the mean waiting time is at most 100 ms and the queue is long relative to the processing
// time (T x (w + p) > n x p), up to ThreadsMaxCount. A periodic timer (AdjustInterval) wakes
// one idle worker, which retires at most one worker that waits much longer than it works,
// never below position ThreadsMinCount. Workers stuck longer than ThreadDeadTimeout in one
// task are retired too (their task cloned and queued again with DeadTaskAsNew).
//
// Retiring a worker only asks it to stop: it leaves the live list at once and waits in the
// stopping list until its thread has ended; a later sweep or the pool's destruction frees it.
// The pool's destruction stops and joins every worker, then frees the tasks still queued
// without running them.
//
// Locks, always taken in this order: the queue lock, the thread lock, a worker's processing
// lock. The timer's reduce step, the sweeps of other threads, Info and the counters only try
// the thread lock and skip their work when it is busy. Both pool locks are recursive.
//
// Time is the 32-bit millisecond tick count, read through KitTickCount so that a test can
// drive the clock that the sizing rules see.
#pragma once

#include "framework/Events.h"
#include "framework/Sets.h"
#include "framework/SyncObjs.h"
#include "framework/Threads.h"
#include "support/KitThreadPool/KitClasses.h"

#include <atomic>
#include <memory>
#include <span>
#include <vector>

enum TKitThreadState {
    ctsInitializing,
    ctsWaiting,
    ctsGetting,
    ctsProcessing,
    ctsProcessed,
    ctsTerminating,
    ctsForReduce
};
// The state's name as the info texts show it ("ctsWaiting" ...).
const wchar_t* KitThreadStateName(TKitThreadState state) noexcept;

enum TCheckDuplicate { cdQueue, cdProcessing };
using TCheckDuplicates = TSet<TCheckDuplicate>;

enum TEmptyKind { ekQueueEmpty, ekTaskEmpty };

// Whether the system is of the 9x family (decided once at start-up).
bool OSIsWin9x() noexcept;

// The clock of the pool's timings: GetTickCount unless another source is installed. Answers
// the source installed before. Tests install a clock they move by hand.
using TKitTickSource = Cardinal (*)() noexcept;
TKitTickSource SetKitTickSource(TKitTickSource source) noexcept;
Cardinal KitTickCount() noexcept;

class TKitCriticalSection : public TCriticalSection {
public:
    // TryEnter; on the 9x family, which has no try-enter, a blocking enter that answers true.
    bool TryEnterEx() noexcept;
};

class TKitTaskDataObject : public TObject {
    CLASS_INFO(TKitTaskDataObject, TObject)
public:
    // A new copy of the task, to run again after its worker was given up. The base raises
    // EAbstractError: a task class without a copy cannot be re-queued.
    virtual TKitTaskDataObject* Clone();
    // True when this task duplicates `other`; Processing tells whether `other` is being
    // processed (a handler may be using it meanwhile) or is still queued. The base: never.
    virtual bool Duplicate(TKitTaskDataObject* other, bool Processing);
    // The object's address in upper-case hexadecimal, two digits per byte of a pointer.
    virtual UnicodeString Info();
};

class TKitThreadPool;
class TKitPoolingThread;

using TProcessRequest = TMethodEvent<void(TKitThreadPool* Sender, TKitTaskDataObject* aDataObj,
                                          TKitPoolingThread* aThread)>;
using TQueueEmpty = TMethodEvent<void(TKitThreadPool* Sender, TEmptyKind EmptyKind)>;
using TThreadInPoolInitializing =
    TMethodEvent<void(TKitThreadPool* Sender, TKitPoolingThread* aThread)>;
using TThreadInPoolFinalizing =
    TMethodEvent<void(TKitThreadPool* Sender, TKitPoolingThread* aThread)>;
using TGetInfo = TMethodEvent<void(TKitThreadPool* Sender, UnicodeString& InfoText)>;

class TKitThreadPool : public TKitComponent {
    CLASS_INFO(TKitThreadPool, TKitComponent)
public:
    explicit TKitThreadPool(TComponent* AOwner);
    // Workers are instances of `AThreadClass` (TKitPoolingThread when null); raises
    // EInvalidOperation for a class that does not descend from TKitPoolingThread.
    TKitThreadPool(TComponent* AOwner, TClass AThreadClass);
    static TKitThreadPool* CreateSpecial(TComponent* AOwner, TClass AThreadClass);
    ~TKitThreadPool() override;
    void BeforeDestruction() override;

    TKitAboutInfo AboutInfo() const override;

    // Queues the task; the pool owns it from here on in every case. False (and the task freed)
    // when it duplicates a queued task (cdQueue) or one being processed (cdProcessing), when
    // it is null, or when the pool is being destroyed.
    bool AddRequest(TKitTaskDataObject* aDataObject, TCheckDuplicates CheckDuplicate);
    void AddRequests(std::span<TKitTaskDataObject* const> aDataObjects,
                     TCheckDuplicates CheckDuplicate);
    // Takes a queued task out of the queue and frees it. A task that is not queued (taken by a
    // worker, or not the pool's) is left alone: false.
    bool RemoveRequest(TKitTaskDataObject* aDataObject);

    // Tasks queued and not yet taken; read without a lock.
    Integer TaskCount() const noexcept { return FTaskCount.load(); }
    // -1 when the thread lock is busy.
    Integer ThreadCount();
    Integer ThreadKillingCount();
    // The info text of the i-th live or stopping worker; empty when i is out of range or the
    // thread lock is busy.
    UnicodeString ThreadInfo(Integer i);
    UnicodeString ThreadKillingInfo(Integer i);
    // Integer means over the live workers' current averages; 10 and 20 ms with no worker.
    Cardinal AverageWaitingTime();
    Cardinal AverageProcessingTime();
    Integer IdleThreadCount() const noexcept { return FIdleThreadCount.load(); }

    // "Too busy to get info." when the thread lock is busy; else OnGetInfo's text when it is
    // set, DefaultGetInfo's otherwise.
    UnicodeString Info();
    void DefaultGetInfo(TKitThreadPool* Sender, UnicodeString& InfoText);

    // The reduce timer's period in ms; setting it re-arms the timer (first expiry at once).
    Cardinal AdjustInterval() const noexcept { return FAdjustInterval.load(); }
    void SetAdjustInterval(Cardinal value);
    bool DeadTaskAsNew() const noexcept { return FDeadTaskAsNew.load(); }
    void SetDeadTaskAsNew(bool value) noexcept { FDeadTaskAsNew = value; }
    bool MinAtLeast() const noexcept { return FMinAtLeast.load(); }
    void SetMinAtLeast(bool value) noexcept { FMinAtLeast = value; }
    // Ms a worker may spend in one task without calling StillWorking; 0: never dead.
    Cardinal ThreadDeadTimeout() const noexcept { return FThreadDeadTimeout.load(); }
    void SetThreadDeadTimeout(Cardinal value) noexcept { FThreadDeadTimeout = value; }
    Integer ThreadsMinCount() const noexcept { return FThreadsMinCount.load(); }
    void SetThreadsMinCount(Integer value) noexcept { FThreadsMinCount = value; }
    Integer ThreadsMaxCount() const noexcept { return FThreadsMaxCount.load(); }
    void SetThreadsMaxCount(Integer value) noexcept { FThreadsMaxCount = value; }

    // Set the events before the first request: workers read them without a lock.
    TGetInfo OnGetInfo;               // on the caller of Info
    TProcessRequest OnProcessRequest; // on a worker; errors are swallowed
    TQueueEmpty OnQueueEmpty;         // on a worker, ekQueueEmpty under the queue lock
    // On the new worker while the thread that adds the request waits for it (holding the pool's
    // locks): it must not wait for that thread. An error it raises fails the creation.
    TThreadInPoolInitializing OnThreadInitializing;
    TThreadInPoolFinalizing OnThreadFinalizing; // on the ending worker

protected:
    // True when so many workers wait to be freed that the dead-thread sweep must not add more.
    virtual bool HasTooManyKilling();
    virtual void DoProcessRequest(TKitTaskDataObject* aDataObj, TKitPoolingThread* aThread);
    virtual void DoQueueEmpty(TEmptyKind EmptyKind);
    virtual void DoThreadInitializing(TKitPoolingThread* aThread);
    virtual void DoThreadFinalizing(TKitPoolingThread* aThread);

private:
    friend class TKitPoolingThread;
    using TTaskList = std::vector<TKitTaskDataObject*>;
    using TWorkerList = std::vector<TKitPoolingThread*>;
    struct TTaskFree {
        void operator()(TKitTaskDataObject* task) const noexcept { task->Free(); }
    };
    using TOwnedTask = std::unique_ptr<TKitTaskDataObject, TTaskFree>;
    static constexpr std::size_t QueuePackCount = 127;

    // Worker side (KitPoolQueue.cpp).
    TKitTaskDataObject* TakeRequest(TKitPoolingThread* worker);
    void CheckTaskEmpty();
    HANDLE RequestSemaphore() const noexcept { return hSemRequestCount.Handle(); }
    HANDLE ReduceTimer() const noexcept { return hTimReduce.Get(); }
    void IdleChanged(Integer delta) noexcept { FIdleThreadCount += delta; }
    bool DuplicatesQueued(TKitTaskDataObject* task);
    bool DuplicatesProcessing(TKitTaskDataObject* task);
    void Enqueue(TOwnedTask task);
    void FreeQueuedTasks() noexcept;

    // Sizing (KitPoolSizing.cpp); the callers hold the thread lock unless said otherwise.
    void AdjustStep();
    bool ShouldGrow(std::size_t liveCount);
    void CreateWorkers(Integer count);
    TTaskList SweepDead();
    void SweepFinished();
    void Retire(std::size_t index);
    void ReduceStep(); // takes the thread lock itself, only when it is free
    void QueueClones(const TTaskList& clones);

    void ArmReduceTimer();
    void Shutdown() noexcept;
    Cardinal MeanOverWorkers(Cardinal (TKitPoolingThread::*average)() const, Cardinal none);
    static UnicodeString InfoLines(const TWorkerList& workers);

    TKitCriticalSection csQueueManagment;
    TKitCriticalSection csThreadManagment;
    // Guarded by csQueueManagment. Owns its non-null entries; taken entries are set to null in
    // place and only entries at FLastGetPoint and after are non-null.
    TTaskList FQueue;
    std::size_t FLastGetPoint = 0; // guarded by csQueueManagment
    // Changed under csQueueManagment; atomic because TaskCount reads it without the lock.
    std::atomic<Integer> FTaskCount{0};
    TWorkerList FThreads;                     // guarded by csThreadManagment; owns the workers
    TWorkerList FThreadsKilling;              // guarded by csThreadManagment; owns the workers
    std::atomic<Integer> FIdleThreadCount{0}; // changed by the workers without a lock
    const TClass FThreadClass;
    TSemaphore hSemRequestCount{0, 0x7FFFFFFF}; // one unit per queued task
    // A periodic auto-reset timer; an auto-reset event that nothing signals when the system
    // cannot create a timer (the pool then never shrinks).
    TKernelHandle hTimReduce;
    bool FReduceIsTimer = false; // set by the constructor only
    // Set by Shutdown; afterwards no worker is created and no task accepted.
    std::atomic<bool> FDestroying{false};
    // The settings: set on any thread, read by the workers.
    std::atomic<Cardinal> FAdjustInterval{10000};
    std::atomic<bool> FDeadTaskAsNew{true};
    std::atomic<bool> FMinAtLeast{false};
    std::atomic<Cardinal> FThreadDeadTimeout{0};
    std::atomic<Integer> FThreadsMinCount{0};
    std::atomic<Integer> FThreadsMaxCount{1};
};

class TKitPoolingThread : public TThread {
    CLASS_INFO(TKitPoolingThread, TThread)
public:
    using OwnerType = TKitThreadPool;

    // Create workers through their class reference (CreateInstance with the pool as owner) or
    // Construct: AfterConstruction starts the thread once the whole object exists, waits until
    // OnThreadInitializing has run and raises EThread with its error's text when it failed.
    explicit TKitPoolingThread(TKitThreadPool* APool);
    ~TKitPoolingThread() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;

    // Marks the worker as alive now; a handler calls it during long work so that the pool
    // does not count the worker dead.
    void StillWorking() noexcept { uStillWorking = KitTickCount(); }
    // Asks the worker to stop once its current task (if any) is done. With Force, also waits
    // until its thread has ended (unless called on that thread); the worker is never killed,
    // as a killed thread would leave the pool's locks held. The pool frees the object: after a
    // forced stop the caller must not touch it again.
    void Terminate(bool Force);

    TKitThreadPool* Pool() const noexcept { return FPool; }
    TKitThreadState CurState() const noexcept { return FCurState.load(); }
    UInt64 WorkCount() const noexcept { return FWorkCount.load(); }
    // The stored averages, or while the worker waits (processes) the waiting (processing)
    // average updated with the time spent so far, without storing it.
    Cardinal CurrentWaitingTime() const;
    Cardinal CurrentProcessingTime() const;

    // True when this worker processes a task that `task` duplicates.
    virtual bool DuplicatesProcessing(TKitTaskDataObject* task);
    // "AverageWaitingTime=w; AverageProcessingTime=p; FCurState=s; FWorkCount=n" and, when the
    // processing lock is free, "; FProcessingDataObject=" the task's Info or "nil".
    virtual UnicodeString Info();
    // Told to stop, or stuck in one task longer than the pool's ThreadDeadTimeout.
    virtual bool IsDead();
    // Its thread has ended.
    virtual bool IsFinished();
    // Waiting, with a waiting average above 200 ms and a processing average below twice that.
    virtual bool CanReduce();
    // The running average after `sample`, when `old` averages `earlierSamples` samples: their
    // exact mean for the first eight samples, then (7 x old + sample) / 8; truncated.
    virtual Cardinal AverageUpdate(Cardinal old, Cardinal sample, UInt64 earlierSamples) const;

protected:
    void Execute() override;

private:
    bool Initialize();
    void WaitForWork();
    void BeginWaiting() noexcept;
    void EndWaiting() noexcept;
    void ProcessOne();
    void RunTask(TKitTaskDataObject* task);
    void SetProcessing(TKitTaskDataObject* task) noexcept;
    TKitTaskDataObject* CloneTask();
    void RequestStop() noexcept;
    void StopAndJoin() noexcept;
    friend class TKitThreadPool;

    TKitThreadPool* const FPool;
    // Written by this worker only (uStillWorking also by StillWorking on any thread); atomic
    // because the pool reads them from other threads without a lock. A reader may see one
    // field newer than another, which only skews the sizing heuristics for a moment.
    std::atomic<TKitThreadState> FCurState{ctsInitializing};
    std::atomic<UInt64> FWorkCount{0};
    std::atomic<Cardinal> FAverageWaitingTime{0};
    std::atomic<Cardinal> FAverageProcessing{0};
    std::atomic<Cardinal> uWaitingStart{0};
    std::atomic<Cardinal> uProcessingStart{0};
    std::atomic<Cardinal> uStillWorking{0};
    TEvent hInitFinished{true, false};     // set by the worker once initialised
    TEvent hThreadTerminated{true, false}; // asks the worker to stop
    // Written by the worker before it sets hInitFinished; read by the creator after.
    UnicodeString sInitError;
    TKitCriticalSection csProcessingDataObject;
    // The task being processed. Guarded by csProcessingDataObject for everything that touches
    // the task; atomic only so that its presence can be tested without the lock.
    std::atomic<TKitTaskDataObject*> FProcessingDataObject{nullptr};
};
