// One worker of the pool. Its life:
//
//   ctsInitializing --OnThreadInitializing ok--> ctsWaiting          (Initialize)
//   ctsInitializing --OnThreadInitializing raised--> thread ends      (creation fails)
//   ctsWaiting --request--> ctsGetting --task--> ctsProcessing --> ctsProcessed --> ctsWaiting
//   ctsWaiting --no task left--> ctsWaiting                          (ProcessOne)
//   ctsWaiting --reduce timer--> ctsForReduce --> ctsWaiting         (pool's ReduceStep)
//   any --told to stop--> ctsTerminating, OnThreadFinalizing, thread ends
//
// While it waits (ctsWaiting, ctsForReduce) it counts once in the pool's idle count. The stop
// event comes first in the wait, so a worker told to stop takes no further task even while
// requests are queued. A failed initialisation ends the thread before the loop, so the
// creator can free the object at once. An error raised by the request handler is swallowed:
// the task is freed as usual and the worker goes on.
#include "support/KitThreadPool/KitThreadPool.h"

#include "framework/ExceptionBoundary.h"
#include "support/KitThreadPool/KitTryLock.h"

#include <limits>

namespace {

bool IsWaiting(TKitThreadState state) noexcept {
    return state == ctsWaiting || state == ctsForReduce;
}

UnicodeString InitErrorText() {
    try {
        throw;
    } catch (const Exception& error) {
        if (!error.Message().empty()) return error.Message();
    } catch (...) {
    }
    return L"The worker thread could not be initialised";
}

// On the main thread, runs the calls that workers hand over meanwhile: the thread waited for
// may be blocked in Synchronize.
void WaitForThreadEnd(HANDLE thread) {
    if (GetCurrentThreadId() != MainThreadID()) {
        WaitForSingleObject(thread, INFINITE);
        return;
    }
    const HANDLE handles[] = {thread, SyncEventHandle()};
    while (WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
        CheckSynchronize();
}

} // namespace

TKitPoolingThread::TKitPoolingThread(TKitThreadPool* APool) : TThread(false), FPool(APool) {
    if (!APool) throw EInvalidOperation(L"A pooling thread needs its pool");
}

TKitPoolingThread::~TKitPoolingThread() { StopAndJoin(); }

void TKitPoolingThread::AfterConstruction() {
    TThread::AfterConstruction(); // starts the thread: the whole object exists now
    hInitFinished.WaitFor(InfiniteTimeout);
    if (!sInitError.empty()) throw EThread(sInitError);
}

void TKitPoolingThread::BeforeDestruction() { StopAndJoin(); }

// The wait uses a copy of the thread handle: once the thread has ended, a sweep of the pool
// may free this object on another thread at any moment.
void TKitPoolingThread::Terminate(bool Force) {
    if (!Force || GetCurrentThreadId() == ThreadID()) {
        RequestStop();
        return;
    }
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), Handle(), GetCurrentProcess(), &copy, SYNCHRONIZE,
                         FALSE, 0))
        RaiseLastOSError(L"DuplicateHandle");
    const TKernelHandle thread(copy);
    RequestStop();
    WaitForThreadEnd(thread.Get());
}

void TKitPoolingThread::RequestStop() noexcept {
    TThread::Terminate();
    GuardBoundary([this] { hThreadTerminated.SetEvent(); });
}

// The stop event must be set before the thread class waits for the thread, or the worker
// would sleep on in its wait; run while the events still exist.
void TKitPoolingThread::StopAndJoin() noexcept {
    RequestStop();
    TThread::BeforeDestruction();
}

Cardinal TKitPoolingThread::CurrentWaitingTime() const {
    if (!IsWaiting(FCurState)) return FAverageWaitingTime;
    return AverageUpdate(FAverageWaitingTime, TickDiff(KitTickCount(), uWaitingStart), FWorkCount);
}

Cardinal TKitPoolingThread::CurrentProcessingTime() const {
    if (FCurState != ctsProcessing) return FAverageProcessing;
    const UInt64 done = FWorkCount;
    return AverageUpdate(FAverageProcessing, TickDiff(KitTickCount(), uProcessingStart),
                         done ? done - 1 : 0);
}

Cardinal TKitPoolingThread::AverageUpdate(Cardinal old, Cardinal sample,
                                          UInt64 earlierSamples) const {
    if (earlierSamples >= 7) return static_cast<Cardinal>((UInt64{7} * old + sample) / 8);
    return static_cast<Cardinal>((UInt64{old} * earlierSamples + sample) / (earlierSamples + 1));
}

bool TKitPoolingThread::DuplicatesProcessing(TKitTaskDataObject* task) {
    TLock lock(csProcessingDataObject);
    TKitTaskDataObject* processing = FProcessingDataObject;
    return processing && task->Duplicate(processing, true);
}

bool TKitPoolingThread::IsDead() {
    if (Terminated()) return true;
    const Cardinal timeout = FPool->ThreadDeadTimeout();
    return timeout != 0 && FCurState == ctsProcessing &&
           TickDiff(KitTickCount(), uStillWorking) > timeout;
}

bool TKitPoolingThread::IsFinished() { return WaitForSingleObject(Handle(), 0) == WAIT_OBJECT_0; }

bool TKitPoolingThread::CanReduce() {
    if (!IsWaiting(FCurState)) return false;
    const UInt64 waiting = CurrentWaitingTime();
    return waiting > 200 && CurrentProcessingTime() < 2 * waiting;
}

UnicodeString TKitPoolingThread::Info() {
    UnicodeString text = L"AverageWaitingTime=" + std::to_wstring(CurrentWaitingTime()) +
                         L"; AverageProcessingTime=" + std::to_wstring(CurrentProcessingTime()) +
                         L"; FCurState=" + KitThreadStateName(FCurState) + L"; FWorkCount=" +
                         std::to_wstring(FWorkCount.load());
    if (OSIsWin9x()) {
        const bool busy = FProcessingDataObject.load() != nullptr;
        return text + (busy ? L"; FProcessingDataObject!=nil" : L"; FProcessingDataObject=nil");
    }
    TKitTryLock lock(csProcessingDataObject);
    if (!lock) return text;
    TKitTaskDataObject* task = FProcessingDataObject;
    return text + L"; FProcessingDataObject=" + (task ? task->Info() : UnicodeString(L"nil"));
}

TKitTaskDataObject* TKitPoolingThread::CloneTask() {
    TLock lock(csProcessingDataObject);
    TKitTaskDataObject* task = FProcessingDataObject;
    if (!task) return nullptr;
    try {
        return task->Clone();
    } catch (...) {
        return nullptr; // a task without a copy cannot be re-queued
    }
}

void TKitPoolingThread::SetProcessing(TKitTaskDataObject* task) noexcept {
    TLock lock(csProcessingDataObject);
    FProcessingDataObject = task;
}

void TKitPoolingThread::Execute() {
    if (!Initialize()) return;
    uWaitingStart = KitTickCount();
    while (!Terminated()) WaitForWork();
    EndWaiting();
    FCurState = ctsTerminating;
    GuardBoundary([this] { FPool->DoThreadFinalizing(this); });
}

bool TKitPoolingThread::Initialize() {
    FCurState = ctsInitializing;
    try {
        FPool->DoThreadInitializing(this);
    } catch (...) {
        sInitError = InitErrorText();
    }
    const bool initialised = sInitError.empty();
    hInitFinished.SetEvent(); // the creator may free this object from here on when it failed
    return initialised;
}

void TKitPoolingThread::WaitForWork() {
    BeginWaiting();
    const HANDLE handles[] = {hThreadTerminated.Handle(), FPool->RequestSemaphore(),
                              FPool->ReduceTimer()};
    const DWORD woke = WaitForMultipleObjects(3, handles, FALSE, INFINITE);
    if (woke == WAIT_OBJECT_0 + 1) {
        ProcessOne();
    } else if (woke == WAIT_OBJECT_0 + 2) {
        FCurState = ctsForReduce;
        GuardBoundary([this] { FPool->ReduceStep(); });
    } else if (woke != WAIT_OBJECT_0) { // a broken wait would spin: report it and stop
        GuardBoundary([] { RaiseLastOSError(L"WaitForMultipleObjects"); });
        TThread::Terminate();
    }
}

void TKitPoolingThread::BeginWaiting() noexcept {
    if (!IsWaiting(FCurState)) FPool->IdleChanged(+1);
    FCurState = ctsWaiting;
}

void TKitPoolingThread::EndWaiting() noexcept {
    if (IsWaiting(FCurState)) FPool->IdleChanged(-1);
}

void TKitPoolingThread::ProcessOne() {
    FAverageWaitingTime =
        AverageUpdate(FAverageWaitingTime, TickDiff(KitTickCount(), uWaitingStart), FWorkCount);
    EndWaiting();
    FCurState = ctsGetting;
    TKitTaskDataObject* task = FPool->TakeRequest(this);
    if (!task) { // the request was withdrawn meanwhile
        uWaitingStart = KitTickCount();
        return;
    }
    if (FWorkCount != std::numeric_limits<UInt64>::max()) ++FWorkCount;
    uProcessingStart = uStillWorking = KitTickCount();
    FCurState = ctsProcessing;
    RunTask(task);
    FAverageProcessing = AverageUpdate(FAverageProcessing,
                                       TickDiff(KitTickCount(), uProcessingStart), FWorkCount - 1);
    FCurState = ctsProcessed;
    GuardBoundary([this] { FPool->CheckTaskEmpty(); });
    uWaitingStart = KitTickCount();
}

void TKitPoolingThread::RunTask(TKitTaskDataObject* task) {
    try {
        FPool->DoProcessRequest(task, this);
    } catch (...) {
        // The handler's errors end with its task: the worker serves the next one.
    }
    TLock lock(csProcessingDataObject);
    FProcessingDataObject = nullptr;
    task->Free();
}
