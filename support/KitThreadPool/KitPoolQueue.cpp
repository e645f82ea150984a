// The pool's queue: adding, withdrawing and taking tasks, and the empty-queue events.
//
// Taking a task costs O(1): a taken entry is set to null in place and FLastGetPoint moves on;
// the list is cleared when its last entry is taken and compacted only when it holds more than
// QueuePackCount entries of which three quarters are taken. Withdrawn tasks are erased (they
// lie at or after FLastGetPoint), so null entries only ever precede FLastGetPoint. The
// semaphore gets one unit per queued task; a worker woken for a task that was withdrawn finds
// none and waits again.
#include "support/KitThreadPool/KitThreadPool.h"

#include "framework/ExceptionBoundary.h"

#include <algorithm>

bool TKitThreadPool::AddRequest(TKitTaskDataObject* aDataObject, TCheckDuplicates CheckDuplicate) {
    TOwnedTask task(aDataObject);
    if (!task) return false;
    TLock queue(csQueueManagment);
    if (FDestroying) return false;
    if (CheckDuplicate.Contains(cdQueue) && DuplicatesQueued(task.get())) return false;
    {
        TLock threads(csThreadManagment);
        AdjustStep();
        if (CheckDuplicate.Contains(cdProcessing) && DuplicatesProcessing(task.get())) return false;
    }
    Enqueue(std::move(task));
    return true;
}

void TKitThreadPool::AddRequests(std::span<TKitTaskDataObject* const> aDataObjects,
                                 TCheckDuplicates CheckDuplicate) {
    std::size_t next = 0;
    try {
        for (; next < aDataObjects.size(); ++next) AddRequest(aDataObjects[next], CheckDuplicate);
    } catch (...) {
        // AddRequest freed the task that failed; the pool owns the rest as well.
        for (++next; next < aDataObjects.size(); ++next)
            if (aDataObjects[next]) aDataObjects[next]->Free();
        throw;
    }
}

bool TKitThreadPool::RemoveRequest(TKitTaskDataObject* aDataObject) {
    if (!aDataObject) return false;
    TLock queue(csQueueManagment);
    const auto first = FQueue.begin() + static_cast<std::ptrdiff_t>(FLastGetPoint);
    const auto found = std::find(first, FQueue.end(), aDataObject);
    if (found == FQueue.end()) return false;
    FQueue.erase(found);
    --FTaskCount;
    aDataObject->Free();
    return true;
}

bool TKitThreadPool::DuplicatesQueued(TKitTaskDataObject* task) {
    for (TKitTaskDataObject* queued : FQueue)
        if (queued && task->Duplicate(queued, false)) return true;
    return false;
}

bool TKitThreadPool::DuplicatesProcessing(TKitTaskDataObject* task) {
    for (TKitPoolingThread* worker : FThreads)
        if (worker->DuplicatesProcessing(task)) return true;
    return false;
}

// Under the queue lock. Counted only once the semaphore took the unit: a task without one
// would wait until some later request woke a worker.
void TKitThreadPool::Enqueue(TOwnedTask task) {
    FQueue.push_back(task.get());
    try {
        hSemRequestCount.Release();
    } catch (...) {
        FQueue.pop_back();
        throw;
    }
    task.release();
    ++FTaskCount;
}

TKitTaskDataObject* TKitThreadPool::TakeRequest(TKitPoolingThread* worker) {
    TLock queue(csQueueManagment);
    while (FLastGetPoint < FQueue.size() && !FQueue[FLastGetPoint]) ++FLastGetPoint;
    if (FQueue.size() > QueuePackCount && FLastGetPoint >= FQueue.size() * 3 / 4) {
        std::erase(FQueue, nullptr);
        FTaskCount = static_cast<Integer>(FQueue.size());
        FLastGetPoint = 0;
    }
    if (FLastGetPoint >= FQueue.size()) return nullptr;
    TKitTaskDataObject* task = std::exchange(FQueue[FLastGetPoint], nullptr);
    worker->SetProcessing(task);
    --FTaskCount;
    if (++FLastGetPoint == FQueue.size()) {
        // Reset before the event: a handler that queues requests must not see them cleared.
        FQueue.clear();
        FTaskCount = 0;
        FLastGetPoint = 0;
        GuardBoundary([this] { DoQueueEmpty(ekQueueEmpty); });
    }
    return task;
}

void TKitThreadPool::CheckTaskEmpty() {
    TLock queue(csQueueManagment);
    if (FLastGetPoint < FQueue.size()) return;
    TLock threads(csThreadManagment);
    const bool processing =
        std::any_of(FThreads.begin(), FThreads.end(),
                    [](TKitPoolingThread* worker) { return worker->CurState() == ctsProcessing; });
    if (!processing) DoQueueEmpty(ekTaskEmpty);
}

void TKitThreadPool::FreeQueuedTasks() noexcept {
    TLock queue(csQueueManagment);
    for (auto task = FQueue.rbegin(); task != FQueue.rend(); ++task)
        if (*task) (*task)->Free();
    FQueue.clear();
    FTaskCount = 0;
    FLastGetPoint = 0;
}
