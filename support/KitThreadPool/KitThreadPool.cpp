// The pool's life: construction with its semaphore and reduce timer, the settings, the event
// triggers, and destruction, which stops and joins every worker before it frees the tasks
// still queued (they are never run). Destruction runs from BeforeDestruction, while overrides
// of the event triggers still exist, and again (doing nothing) from the destructor for a pool
// deleted without Free.
#include "support/KitThreadPool/KitThreadPool.h"

#include <algorithm>

namespace {

TClass CheckedThreadClass(TClass threadClass) {
    if (!threadClass) return TKitPoolingThread::StaticClass();
    if (!ClassInheritsFrom(threadClass, TKitPoolingThread::StaticClass()))
        throw EInvalidOperation(UnicodeString(threadClass->Name) +
                                L" is not a pooling thread class");
    return threadClass;
}

} // namespace

TKitThreadPool::TKitThreadPool(TComponent* AOwner) : TKitThreadPool(AOwner, nullptr) {}

TKitThreadPool::TKitThreadPool(TComponent* AOwner, TClass AThreadClass)
    : TKitComponent(AOwner), FThreadClass(CheckedThreadClass(AThreadClass)) {
    hTimReduce.Reset(CreateWaitableTimerW(nullptr, FALSE, nullptr));
    FReduceIsTimer = static_cast<bool>(hTimReduce);
    if (!FReduceIsTimer) {
        hTimReduce.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (!hTimReduce) RaiseLastOSError(L"CreateEventW");
    }
    ArmReduceTimer();
}

TKitThreadPool* TKitThreadPool::CreateSpecial(TComponent* AOwner, TClass AThreadClass) {
    return Construct<TKitThreadPool>(AOwner, AThreadClass);
}

TKitThreadPool::~TKitThreadPool() { Shutdown(); }

void TKitThreadPool::BeforeDestruction() {
    Shutdown();
    TKitComponent::BeforeDestruction();
}

TKitAboutInfo TKitThreadPool::AboutInfo() const {
    return {L"TKitThreadPool", L"Velmora developers", L"developers@velmora.invalid",
            L"Runs queued tasks on a self-sizing set of worker threads."};
}

void TKitThreadPool::SetAdjustInterval(Cardinal value) {
    FAdjustInterval = value;
    ArmReduceTimer();
}

// First expiry at once (one 100-ns unit from now), then every AdjustInterval ms.
void TKitThreadPool::ArmReduceTimer() {
    if (!FReduceIsTimer) return;
    LARGE_INTEGER due;
    due.QuadPart = -1;
    const auto period = static_cast<LONG>(std::min<Cardinal>(AdjustInterval(), 0x7FFFFFFF));
    if (!SetWaitableTimer(hTimReduce.Get(), &due, period, nullptr, nullptr, FALSE))
        RaiseLastOSError(L"SetWaitableTimer");
}

// The lists are taken out under the thread lock and the workers joined after leaving it: a
// worker that finishes a task needs that lock for its task-empty check.
void TKitThreadPool::Shutdown() noexcept {
    if (FDestroying.exchange(true)) return;
    TWorkerList live, stopping;
    {
        TLock threads(csThreadManagment);
        live.swap(FThreads);
        stopping.swap(FThreadsKilling);
    }
    for (TKitPoolingThread* worker : live) worker->RequestStop(); // all at once, then join
    for (TKitPoolingThread* worker : live) worker->Free();
    for (TKitPoolingThread* worker : stopping) worker->Free();
    FreeQueuedTasks();
}

void TKitThreadPool::DoProcessRequest(TKitTaskDataObject* aDataObj, TKitPoolingThread* aThread) {
    OnProcessRequest(this, aDataObj, aThread);
}

void TKitThreadPool::DoQueueEmpty(TEmptyKind EmptyKind) { OnQueueEmpty(this, EmptyKind); }

void TKitThreadPool::DoThreadInitializing(TKitPoolingThread* aThread) {
    OnThreadInitializing(this, aThread);
}

void TKitThreadPool::DoThreadFinalizing(TKitPoolingThread* aThread) {
    OnThreadFinalizing(this, aThread);
}
