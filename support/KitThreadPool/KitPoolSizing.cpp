// How the pool sizes itself: the adjust step run by AddRequest, the timer's reduce step run by
// an idle worker, and the two sweeps that retire dead workers and free ended ones.
//
// The adjust step runs under both pool locks (AddRequest holds them), so it may queue the
// clones of dead workers' tasks at once: the locks are recursive. The reduce step runs on a
// worker that holds no lock; it only tries the thread lock and queues the clones after leaving
// it, keeping the order queue lock before thread lock.
#include "support/KitThreadPool/KitThreadPool.h"

#include "support/KitThreadPool/KitTryLock.h"

#include <algorithm>

namespace {

// The dead-thread sweep stops adding to the stopping list at this size when no maximum is set.
constexpr std::size_t KillingLimitWithoutMaximum = 50;
// Growth stops while tasks wait longer than this on average (ms): waiting, not working, is slow.
constexpr Cardinal GrowthWaitingLimit = 100;

} // namespace

void TKitThreadPool::AdjustStep() {
    QueueClones(SweepDead());
    SweepFinished();
    if (FDestroying) return;
    const std::size_t live = FThreads.size();
    const Integer minimum = ThreadsMinCount();
    if (live == 0) {
        CreateWorkers(1);
    } else if (MinAtLeast() && static_cast<Integer>(live) < minimum) {
        CreateWorkers(minimum - static_cast<Integer>(live));
    } else if (static_cast<Integer>(live) < ThreadsMaxCount() && FTaskCount > 0 &&
               FIdleThreadCount == 0 && ShouldGrow(live)) {
        CreateWorkers(1);
    }
}

bool TKitThreadPool::ShouldGrow(std::size_t liveCount) {
    const UInt64 tasks = static_cast<UInt64>(std::max(TaskCount(), 0));
    const UInt64 waiting = std::max<Cardinal>(AverageWaitingTime(), 1);
    const UInt64 processing = std::max<Cardinal>(AverageProcessingTime(), 2);
    return waiting <= GrowthWaitingLimit && tasks * (waiting + processing) > liveCount * processing;
}

// A worker that cannot be created (its initialisation failed, the system refused a thread) is
// left out: the pool simply has fewer workers.
void TKitThreadPool::CreateWorkers(Integer count) {
    for (Integer i = 0; i < count; ++i) {
        try {
            FThreads.reserve(FThreads.size() + 1);
            FThreads.push_back(static_cast<TKitPoolingThread*>(CreateInstance(FThreadClass, this)));
        } catch (...) {
        }
    }
}

bool TKitThreadPool::HasTooManyKilling() {
    const Integer maximum = ThreadsMaxCount();
    // At least one: with a maximum of one worker, half of it would stop every sweep for good.
    const std::size_t limit = maximum > 0
                                  ? std::max<std::size_t>(static_cast<std::size_t>(maximum / 2), 1)
                                  : KillingLimitWithoutMaximum;
    return FThreadsKilling.size() >= limit;
}

// Answers the copies of the dead workers' tasks (with DeadTaskAsNew) for the caller to queue.
TKitThreadPool::TTaskList TKitThreadPool::SweepDead() {
    TTaskList clones;
    TKitTryLock lock(csThreadManagment);
    if (!lock || HasTooManyKilling()) return clones;
    clones.reserve(FThreads.size());
    for (std::size_t i = FThreads.size(); i-- > 0;) {
        TKitPoolingThread* worker = FThreads[i];
        if (!worker->IsDead()) continue;
        if (DeadTaskAsNew())
            if (TKitTaskDataObject* clone = worker->CloneTask()) clones.push_back(clone);
        Retire(i);
    }
    return clones;
}

void TKitThreadPool::QueueClones(const TTaskList& clones) {
    if (!clones.empty()) AddRequests(clones, {});
}

void TKitThreadPool::SweepFinished() {
    TKitTryLock lock(csThreadManagment);
    if (!lock) return;
    for (std::size_t i = FThreadsKilling.size(); i-- > 0;) {
        TKitPoolingThread* worker = FThreadsKilling[i];
        if (!worker->IsFinished()) continue;
        FThreadsKilling.erase(FThreadsKilling.begin() + static_cast<std::ptrdiff_t>(i));
        worker->Free();
    }
}

// Moves a live worker to the stopping list and tells it to stop.
void TKitThreadPool::Retire(std::size_t index) {
    FThreadsKilling.reserve(FThreadsKilling.size() + 1);
    TKitPoolingThread* worker = FThreads[index];
    FThreads.erase(FThreads.begin() + static_cast<std::ptrdiff_t>(index));
    FThreadsKilling.push_back(worker);
    worker->RequestStop();
}

void TKitThreadPool::ReduceStep() {
    TTaskList clones;
    {
        TKitTryLock lock(csThreadManagment);
        if (!lock) return;
        clones = SweepDead();
        SweepFinished();
        const auto lowest = static_cast<std::size_t>(std::max(ThreadsMinCount(), 0));
        for (std::size_t i = FThreads.size(); i-- > lowest;) {
            if (!FThreads[i]->CanReduce()) continue;
            Retire(i);
            break;
        }
    }
    QueueClones(clones);
}
