#include "support/KitThreadPool/KitThreadPool.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// Generous: the machine may be loaded, but every wait below is expected to end quickly.
constexpr Cardinal Patience = 10000;

template <class Predicate> bool WaitUntil(Predicate done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > Patience) return false;
        Sleep(1);
    }
    return true;
}

// The pool's clock, frozen unless a test moves it: the sizing rules then see exact times.
std::atomic<Cardinal> FakeNow{0};
Cardinal FakeTicks() noexcept { return FakeNow.load(); }

class TFakeClock {
public:
    TFakeClock() : FPrevious(SetKitTickSource(&FakeTicks)) { FakeNow = 100000; }
    ~TFakeClock() { SetKitTickSource(FPrevious); }
    TFakeClock(const TFakeClock&) = delete;
    TFakeClock& operator=(const TFakeClock&) = delete;
    void Advance(Cardinal ms) { FakeNow += ms; }

private:
    TKitTickSource FPrevious;
};

// What happened to the tasks of one test: how often each ran, how many were freed.
struct TTaskLog {
    explicit TTaskLog(std::size_t count) : Runs(count) {}
    std::vector<std::atomic<int>> Runs;
    std::atomic<int> Freed{0};
};

class TLoggedTask : public TKitTaskDataObject {
public:
    TLoggedTask(TTaskLog& log, std::size_t id, int key = 0) : Log(log), Id(id), Key(key) {}
    ~TLoggedTask() override { ++Log.Freed; }
    // Tasks with the same non-zero key duplicate each other.
    bool Duplicate(TKitTaskDataObject* other, bool) override {
        auto* logged = dynamic_cast<TLoggedTask*>(other);
        return Key != 0 && logged && logged->Key == Key;
    }

    TTaskLog& Log;
    const std::size_t Id;
    const int Key;
    bool Fails = false;
};

class TCloneableTask : public TLoggedTask {
public:
    using TLoggedTask::TLoggedTask;
    TKitTaskDataObject* Clone() override { return new TCloneableTask(Log, Id, Key); }
};

// A pool whose handler counts the tasks it enters, runs the test's work (by default: wait
// for the gate) and then records the run. Opens the gate and frees the pool at the end.
class TPoolHarness {
    template <class Count> static Integer Unbusy(Count count) {
        Integer value = -1;
        WaitUntil([&] { return (value = count()) >= 0; });
        return value;
    }

public:
    using TWork = std::function<void(TLoggedTask&, TKitPoolingThread&)>;

    explicit TPoolHarness(bool gated = false, TKitThreadPool* pool = nullptr)
        : Pool(pool ? pool : new TKitThreadPool(nullptr)) {
        Pool->OnProcessRequest = TProcessRequest(this, &TPoolHarness::Process);
        if (!gated) Gate.SetEvent();
    }
    ~TPoolHarness() {
        Gate.SetEvent();
        if (Pool) Pool->Free();
    }

    TLoggedTask* Add(TLoggedTask* task, TCheckDuplicates checks = {}) {
        EXPECT_TRUE(Pool->AddRequest(task, checks)) << "task " << task->Id;
        return task;
    }
    // The live and the stopping workers, once no worker holds the pool's thread lock for a
    // moment (a worker woken by the reduce timer takes it briefly).
    Integer Workers() {
        return Unbusy([this] { return Pool->ThreadCount(); });
    }
    Integer Stopping() {
        return Unbusy([this] { return Pool->ThreadKillingCount(); });
    }

    TKitThreadPool* Pool;
    TEvent Gate{true, false};
    TWork Work = [this](TLoggedTask&, TKitPoolingThread&) { Gate.WaitFor(Patience); };
    std::atomic<int> Entered{0};
    std::atomic<TKitPoolingThread*> LastWorker{nullptr};

private:
    void Process(TKitThreadPool*, TKitTaskDataObject* task, TKitPoolingThread* worker) {
        auto& logged = dynamic_cast<TLoggedTask&>(*task);
        LastWorker = worker;
        ++Entered;
        Work(logged, *worker);
        ++logged.Log.Runs[logged.Id];
        if (logged.Fails) throw Exception(L"the handler failed");
    }
};

// The client's settings: 10 to 40 workers, the minimum kept, dead tasks not restarted.
void UseClientSettings(TKitThreadPool& pool) {
    pool.SetAdjustInterval(2000);
    pool.SetDeadTaskAsNew(false);
    pool.SetMinAtLeast(true);
    pool.SetThreadsMinCount(10);
    pool.SetThreadsMaxCount(40);
}

// Counts the workers that start and end, and keeps their thread handles to check the joins.
// Declare it before the pool it watches: the pool's last workers report to it as they end.
class TLifeLog {
public:
    void Attach(TKitThreadPool& pool) {
        pool.OnThreadInitializing = TThreadInPoolInitializing(this, &TLifeLog::Started);
        pool.OnThreadFinalizing = TThreadInPoolFinalizing(this, &TLifeLog::Ended);
    }
    ~TLifeLog() {
        for (HANDLE handle : FHandles) CloseHandle(handle);
    }
    bool AllThreadsEnded() {
        std::lock_guard<std::mutex> lock(FGuard);
        for (HANDLE handle : FHandles)
            if (WaitForSingleObject(handle, 0) != WAIT_OBJECT_0) return false;
        return true;
    }

    std::atomic<int> StartedCount{0};
    std::atomic<int> EndedCount{0};

private:
    void Started(TKitThreadPool*, TKitPoolingThread* worker) {
        HANDLE copy = nullptr;
        DuplicateHandle(GetCurrentProcess(), worker->Handle(), GetCurrentProcess(), &copy,
                        SYNCHRONIZE, FALSE, 0);
        std::lock_guard<std::mutex> lock(FGuard);
        FHandles.push_back(copy);
        ++StartedCount;
    }
    void Ended(TKitThreadPool*, TKitPoolingThread*) { ++EndedCount; }

    std::mutex FGuard;
    std::vector<HANDLE> FHandles;
};

TEST(KitThreadPool, EveryTaskRunsOnceAndIsFreed) {
    constexpr std::size_t Producers = 4;
    constexpr std::size_t PerProducer = 250;
    TTaskLog log(Producers * PerProducer);
    TPoolHarness harness;
    UseClientSettings(*harness.Pool);
    std::vector<std::thread> producers;
    for (std::size_t p = 0; p < Producers; ++p) {
        producers.emplace_back([&, p] {
            for (std::size_t i = p * PerProducer; i < (p + 1) * PerProducer; i += 2) {
                TKitTaskDataObject* pair[] = {new TLoggedTask(log, i), new TLoggedTask(log, i + 1)};
                harness.Pool->AddRequests(pair, {cdProcessing});
            }
        });
    }
    for (auto& producer : producers) producer.join();
    ASSERT_TRUE(WaitUntil([&] { return log.Freed == static_cast<int>(log.Runs.size()); }));
    for (std::size_t i = 0; i < log.Runs.size(); ++i) EXPECT_EQ(log.Runs[i], 1) << "task " << i;
    EXPECT_EQ(harness.Pool->TaskCount(), 0);
    EXPECT_GE(harness.Workers(), 10);
    EXPECT_LE(harness.Workers(), 40);
}

// Handlers block, the clock stands still: waiting 1 ms and processing 2 ms by the rule's
// floors, so a request grows the pool exactly when 3 x queued > 2 x workers.
TEST(KitThreadPool, GrowsToOneThenTheMinimumThenOneAtATimeUpToTheMaximum) {
    TFakeClock clock;
    TTaskLog log(80);
    TPoolHarness harness(true);
    UseClientSettings(*harness.Pool);
    std::vector<Integer> workers{0};
    for (std::size_t i = 0; i < log.Runs.size(); ++i) {
        harness.Add(new TLoggedTask(log, i));
        const Integer count = harness.Workers();
        ASSERT_TRUE(WaitUntil([&] {
            return harness.Entered == std::min(static_cast<int>(i + 1), count);
        })) << "request "
            << i + 1;
        workers.push_back(count);
    }
    EXPECT_EQ(workers[1], 1);
    EXPECT_EQ(workers[2], 10);
    EXPECT_EQ(workers[11], 10) << "no growth while every task found an idle worker";
    for (std::size_t k = 3; k < workers.size(); ++k) {
        EXPECT_GE(workers[k], workers[k - 1]) << "request " << k;
        EXPECT_LE(workers[k], workers[k - 1] + 1) << "request " << k;
    }
    EXPECT_GT(workers[30], 10);
    EXPECT_EQ(workers.back(), 40);
    EXPECT_EQ(harness.Pool->TaskCount(), 80 - 40);
}

TEST(KitThreadPool, DoesNotGrowWhileTasksWaitedLongOnAverage) {
    struct TCase {
        const char* Name;
        Cardinal IdleBeforeTasks;
        bool Grows;
    };
    const TCase cases[] = {{"short waits", 0, true}, {"waits of 1000 ms", 1000, false}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TFakeClock clock;
        TTaskLog log(20);
        TPoolHarness harness(true);
        UseClientSettings(*harness.Pool);
        for (std::size_t i = 0; i < 2; ++i) harness.Add(new TLoggedTask(log, i));
        ASSERT_TRUE(WaitUntil(
            [&] { return harness.Entered == 2 && harness.Pool->IdleThreadCount() == 8; }));
        clock.Advance(c.IdleBeforeTasks); // eight workers have waited this long for a task
        for (std::size_t i = 2; i < 10; ++i) harness.Add(new TLoggedTask(log, i));
        ASSERT_TRUE(WaitUntil([&] { return harness.Entered == 10; }));
        for (std::size_t i = 10; i < log.Runs.size(); ++i) harness.Add(new TLoggedTask(log, i));
        EXPECT_EQ(harness.Workers() > 10, c.Grows);
        EXPECT_EQ(harness.Pool->AverageWaitingTime(), c.IdleBeforeTasks * 8 / 10);
    }
}

TEST(KitThreadPool, HandlerErrorIsSwallowedAndTheWorkerServesLaterTasks) {
    TTaskLog log(6);
    TPoolHarness harness;
    std::vector<TKitPoolingThread*> servedBy;
    harness.Work = [&](TLoggedTask&, TKitPoolingThread& worker) { servedBy.push_back(&worker); };
    for (std::size_t i = 0; i < log.Runs.size(); ++i) {
        auto* task = new TLoggedTask(log, i);
        task->Fails = i == 1 || i == 3;
        harness.Add(task);
    }
    ASSERT_TRUE(WaitUntil([&] { return log.Freed == 6; }));
    for (std::size_t i = 0; i < log.Runs.size(); ++i) EXPECT_EQ(log.Runs[i], 1) << "task " << i;
    EXPECT_EQ(harness.Workers(), 1);
    ASSERT_EQ(servedBy.size(), 6u);
    for (TKitPoolingThread* worker : servedBy) EXPECT_EQ(worker, servedBy.front());
    EXPECT_EQ(servedBy.front()->WorkCount(), 6u);
}

TEST(KitThreadPool, ShrinksOnTheReduceTimerDownToTheMinimum) {
    TFakeClock clock;
    TTaskLog log(2);
    TLifeLog life;
    TPoolHarness harness;
    life.Attach(*harness.Pool);
    harness.Pool->SetMinAtLeast(true);
    harness.Pool->SetThreadsMinCount(6);
    harness.Pool->SetThreadsMaxCount(10);
    for (std::size_t i = 0; i < 2; ++i) harness.Add(new TLoggedTask(log, i));
    ASSERT_TRUE(WaitUntil([&] { return log.Freed == 2; }));
    ASSERT_EQ(harness.Workers(), 6);
    ASSERT_TRUE(WaitUntil([&] { return harness.Pool->IdleThreadCount() == 6; }));
    harness.Pool->SetThreadsMinCount(2);
    clock.Advance(1000); // every worker has now waited 1000 ms and worked 0 ms
    harness.Pool->SetAdjustInterval(20);
    ASSERT_TRUE(WaitUntil([&] { return harness.Workers() == 2; }));
    ASSERT_TRUE(WaitUntil([&] { return harness.Stopping() == 0; }));
    EXPECT_EQ(life.EndedCount, 4);
    Sleep(100); // five more expiries: the minimum holds
    EXPECT_EQ(harness.Workers(), 2);
}

TEST(KitThreadPool, StateTextListsSettingsCountsAndWorkers) {
    TFakeClock clock;
    TTaskLog log(1);
    TPoolHarness harness(true);
    harness.Pool->SetThreadsMinCount(2);
    harness.Pool->SetThreadsMaxCount(5);
    harness.Pool->SetThreadDeadTimeout(3000);
    const UnicodeString settings =
        L"MinCount=2; MaxCount=5; AdjustInterval=10000; DeadTimeOut=3000\r\n";
    EXPECT_EQ(harness.Pool->Info(),
              settings + L"ThreadCount=0; KillingCount=0; SpareThreadCount=0; TaskCount=0\r\n"
                         L"AverageWaitingTime=10; AverageProcessingTime=20\r\n"
                         L"Working Threads Info===============\r\n\r\n"
                         L"Killing Threads Info===============\r\n");

    TLoggedTask* task = harness.Add(new TLoggedTask(log, 0));
    ASSERT_TRUE(WaitUntil([&] { return harness.Entered == 1; }));
    clock.Advance(30);
    const UnicodeString worker =
        L"AverageWaitingTime=0; AverageProcessingTime=30; FCurState=ctsProcessing; "
        L"FWorkCount=1; FProcessingDataObject=" +
        task->Info();
    EXPECT_EQ(harness.Pool->ThreadInfo(0), worker);
    EXPECT_EQ(harness.Pool->ThreadInfo(1), L"");
    EXPECT_EQ(harness.Pool->ThreadKillingInfo(0), L"");
    EXPECT_EQ(harness.Pool->Info(),
              settings +
                  L"ThreadCount=1; KillingCount=0; SpareThreadCount=0; TaskCount=0\r\n"
                  L"AverageWaitingTime=0; AverageProcessingTime=30\r\n"
                  L"Working Threads Info===============\r\n" +
                  worker +
                  L"\r\n"
                  L"Killing Threads Info===============\r\n");
}

class TInfoOverride {
public:
    void GetInfo(TKitThreadPool* sender, UnicodeString& text) {
        text = L"tasks: " + std::to_wstring(sender->TaskCount());
    }
};

TEST(KitThreadPool, InfoComesFromOnGetInfoWhenSet) {
    TKitThreadPool* pool = new TKitThreadPool(nullptr);
    TInfoOverride handler;
    pool->OnGetInfo = TGetInfo(&handler, &TInfoOverride::GetInfo);
    EXPECT_EQ(pool->Info(), L"tasks: 0");
    pool->Free();
}

// A worker's initialisation runs while the thread that adds the request holds the thread lock.
TEST(KitThreadPool, AnswersBusyWhileAnotherThreadHoldsTheThreadLock) {
    struct TProbe {
        UnicodeString Info, ThreadInfo = L"unset";
        Integer Threads = 0, Killing = 0;
        void Look(TKitThreadPool* pool, TKitPoolingThread*) {
            Info = pool->Info();
            ThreadInfo = pool->ThreadInfo(0);
            Threads = pool->ThreadCount();
            Killing = pool->ThreadKillingCount();
        }
    } probe;
    TTaskLog log(1);
    TPoolHarness harness;
    harness.Pool->OnThreadInitializing = TThreadInPoolInitializing(&probe, &TProbe::Look);
    harness.Add(new TLoggedTask(log, 0));
    EXPECT_EQ(probe.Info, L"Too busy to get info.");
    EXPECT_EQ(probe.ThreadInfo, L"");
    EXPECT_EQ(probe.Threads, -1);
    EXPECT_EQ(probe.Killing, -1);
}

TEST(KitThreadPool, FailedWorkerInitialisationLeavesTheCreationOut) {
    struct TRefuseFirst {
        std::atomic<int> Calls{0};
        void Init(TKitThreadPool*, TKitPoolingThread*) {
            if (++Calls == 1) throw Exception(L"no resources for this worker");
        }
    } refuse;
    TTaskLog log(2);
    TLifeLog life;
    TPoolHarness harness;
    life.Attach(*harness.Pool);
    harness.Pool->OnThreadInitializing = TThreadInPoolInitializing(&refuse, &TRefuseFirst::Init);
    harness.Pool->SetMinAtLeast(true);
    harness.Pool->SetThreadsMinCount(3);
    harness.Add(new TLoggedTask(log, 0));
    EXPECT_EQ(harness.Workers(), 0);
    EXPECT_EQ(harness.Pool->TaskCount(), 1);
    harness.Add(new TLoggedTask(log, 1));
    EXPECT_EQ(harness.Workers(), 1) << "with no live worker only one is created";
    ASSERT_TRUE(WaitUntil([&] { return log.Freed == 2; }));
    EXPECT_EQ(refuse.Calls, 2);
    EXPECT_EQ(life.EndedCount, 0);
}

TEST(KitThreadPool, WorkerCreationRaisesTheInitialisationError) {
    struct TRefuse {
        void Init(TKitThreadPool*, TKitPoolingThread*) { throw Exception(L"refused"); }
    } refuse;
    TKitThreadPool* pool = new TKitThreadPool(nullptr);
    pool->OnThreadInitializing = TThreadInPoolInitializing(&refuse, &TRefuse::Init);
    try {
        CreateInstance(TKitPoolingThread::StaticClass(), pool)->Free();
        ADD_FAILURE() << "the worker was created";
    } catch (const EThread& error) {
        EXPECT_EQ(error.Message(), L"refused");
    }
    pool->Free();
}

TEST(KitThreadPool, DestructionFreesQueuedTasksUnrunAndJoinsWorkers) {
    TTaskLog log(21);
    TLifeLog life;
    auto harness = std::make_unique<TPoolHarness>();
    life.Attach(*harness->Pool);
    // The running task ends once its worker is told to stop.
    harness->Work = [](TLoggedTask&, TKitPoolingThread& worker) {
        WaitUntil([&] { return worker.Terminated(); });
    };
    for (std::size_t i = 0; i < log.Runs.size(); ++i) harness->Add(new TLoggedTask(log, i));
    ASSERT_TRUE(WaitUntil([&] { return harness->Entered == 1; }));
    harness.reset(); // frees the pool
    EXPECT_EQ(log.Freed, 21);
    EXPECT_EQ(log.Runs[0], 1);
    for (std::size_t i = 1; i < log.Runs.size(); ++i) EXPECT_EQ(log.Runs[i], 0) << "task " << i;
    EXPECT_EQ(life.StartedCount, 1);
    EXPECT_EQ(life.EndedCount, 1);
    EXPECT_TRUE(life.AllThreadsEnded());
}

TEST(KitThreadPool, DestructionJoinsIdleAndBusyWorkers) {
    TTaskLog log(5);
    TLifeLog life;
    auto harness = std::make_unique<TPoolHarness>(true);
    life.Attach(*harness->Pool);
    UseClientSettings(*harness->Pool);
    for (std::size_t i = 0; i < log.Runs.size(); ++i) harness->Add(new TLoggedTask(log, i));
    ASSERT_TRUE(WaitUntil([&] { return harness->Entered == 5; })); // five busy, five idle
    harness.reset(); // opens the gate, then frees the pool
    EXPECT_EQ(log.Freed, 5);
    EXPECT_EQ(life.StartedCount, 10);
    EXPECT_EQ(life.EndedCount, 10);
    EXPECT_TRUE(life.AllThreadsEnded());
}

TEST(KitThreadPool, DuplicateChecksLookAtTheQueueOrTheTasksInProgress) {
    TTaskLog log(8);
    TPoolHarness harness(true);
    harness.Add(new TLoggedTask(log, 0, 1)); // in progress: key 1
    ASSERT_TRUE(WaitUntil([&] { return harness.Entered == 1; }));
    harness.Add(new TLoggedTask(log, 1, 2)); // queued: key 2
    struct TCase {
        int Key;
        TCheckDuplicates Checks;
        bool Accepted;
    };
    const TCase cases[] = {
        {2, {}, true},
        {2, {cdQueue}, false},
        {1, {cdQueue}, true},
        {1, {cdProcessing}, false},
        {2, {cdProcessing}, true},
        {3, {cdQueue, cdProcessing}, true},
    };
    int rejected = 0;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const TCase& c = cases[i];
        EXPECT_EQ(harness.Pool->AddRequest(new TLoggedTask(log, i + 2, c.Key), c.Checks),
                  c.Accepted)
            << "case " << i;
        if (!c.Accepted) ++rejected;
        EXPECT_EQ(log.Freed, rejected) << "case " << i << ": a rejected task is freed at once";
    }
    harness.Gate.SetEvent();
    ASSERT_TRUE(WaitUntil([&] { return log.Freed == 8; }));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(log.Runs[i + 2], cases[i].Accepted ? 1 : 0) << "case " << i;
}

class TEmptyLog {
public:
    void Record(TKitThreadPool*, TEmptyKind kind) {
        std::lock_guard<std::mutex> lock(Guard);
        Kinds.push_back(kind);
    }
    std::vector<TEmptyKind> Snapshot() {
        std::lock_guard<std::mutex> lock(Guard);
        return Kinds;
    }
    std::mutex Guard;
    std::vector<TEmptyKind> Kinds;
};

TEST(KitThreadPool, ReportsTheQueueEmptyWhenTakenAndTheTasksEmptyWhenDone) {
    TTaskLog log(3);
    TEmptyLog empty;
    TPoolHarness harness(true);
    harness.Pool->OnQueueEmpty = TQueueEmpty(&empty, &TEmptyLog::Record);
    harness.Add(new TLoggedTask(log, 0));
    ASSERT_TRUE(WaitUntil([&] { return harness.Entered == 1; }));
    EXPECT_EQ(empty.Snapshot(), std::vector<TEmptyKind>{ekQueueEmpty});
    harness.Add(new TLoggedTask(log, 1));
    harness.Add(new TLoggedTask(log, 2));
    harness.Gate.SetEvent();
    ASSERT_TRUE(WaitUntil([&] { return empty.Snapshot().size() == 3; }));
    EXPECT_EQ(empty.Snapshot(), (std::vector<TEmptyKind>{ekQueueEmpty, ekQueueEmpty, ekTaskEmpty}));
    EXPECT_EQ(log.Freed, 3);
}

TEST(KitThreadPool, RequestQueuedFromTheQueueEmptyEventIsKept) {
    struct TRefill {
        TTaskLog* Log;
        std::atomic<bool> Done{false};
        void Refill(TKitThreadPool* pool, TEmptyKind kind) {
            if (kind == ekQueueEmpty && !Done.exchange(true))
                pool->AddRequest(new TLoggedTask(*Log, 1), {});
        }
    };
    TTaskLog log(2);
    TRefill refill{&log};
    TPoolHarness harness;
    harness.Pool->OnQueueEmpty = TQueueEmpty(&refill, &TRefill::Refill);
    harness.Add(new TLoggedTask(log, 0));
    ASSERT_TRUE(WaitUntil([&] { return log.Freed == 2; }));
    EXPECT_EQ(log.Runs[0], 1);
    EXPECT_EQ(log.Runs[1], 1);
}

TEST(KitThreadPool, DeadWorkersAreRetiredAndTheirTasksQueuedAgain) {
    struct TCase {
        const char* Name;
        bool Cloneable;
        bool DeadTaskAsNew;
        bool StillWorking;
        Integer Retired;
        int FirstTaskRuns;
    };
    const TCase cases[] = {
        {"retired and re-queued", true, true, false, 1, 2},
        {"kept by StillWorking", true, true, true, 0, 1},
        {"retired, the task has no copy", false, true, false, 1, 1},
        {"retired, dead tasks not restarted", true, false, false, 1, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TFakeClock clock;
        TTaskLog log(2);
        TPoolHarness harness(true);
        harness.Pool->SetThreadDeadTimeout(500);
        harness.Pool->SetDeadTaskAsNew(c.DeadTaskAsNew);
        harness.Add(c.Cloneable ? new TCloneableTask(log, 0) : new TLoggedTask(log, 0));
        ASSERT_TRUE(WaitUntil([&] { return harness.Entered == 1; }));
        clock.Advance(1000);
        if (c.StillWorking) harness.LastWorker.load()->StillWorking();
        harness.Add(new TLoggedTask(log, 1)); // its adjust step sweeps the dead
        EXPECT_EQ(harness.Stopping(), c.Retired);
        EXPECT_EQ(harness.Workers(), 1);
        harness.Gate.SetEvent();
        const int tasks = 1 + c.FirstTaskRuns;
        ASSERT_TRUE(WaitUntil([&] { return log.Freed == tasks; }));
        EXPECT_EQ(log.Runs[0], c.FirstTaskRuns);
        EXPECT_EQ(log.Runs[1], 1);
        // Info sweeps the stopping workers whose threads have ended.
        EXPECT_TRUE(WaitUntil(
            [&] { return harness.Pool->Info().find(L"KillingCount=0;") != UnicodeString::npos; }));
    }
}

TEST(KitThreadPool, DeadSweepWaitsWhileHalfTheMaximumIsStopping) {
    TFakeClock clock;
    TTaskLog log(4);
    TPoolHarness harness(true);
    harness.Pool->SetThreadDeadTimeout(500);
    harness.Pool->SetDeadTaskAsNew(false);
    harness.Pool->SetMinAtLeast(true);
    harness.Pool->SetThreadsMinCount(2);
    harness.Pool->SetThreadsMaxCount(2);
    for (std::size_t i = 0; i < 2; ++i) harness.Add(new TLoggedTask(log, i));
    ASSERT_TRUE(WaitUntil([&] { return harness.Entered == 2; }));
    clock.Advance(1000);
    harness.Add(new TLoggedTask(log, 2)); // both workers dead: retired, one new worker
    EXPECT_EQ(harness.Stopping(), 2);
    ASSERT_TRUE(WaitUntil([&] { return harness.Entered == 3; }));
    clock.Advance(1000);
    harness.Add(new TLoggedTask(log, 3)); // the third is dead too, but 2 stopping >= 2 / 2
    EXPECT_EQ(harness.Stopping(), 2);
    EXPECT_EQ(harness.Workers(), 2);
}

TEST(KitThreadPool, WithdrawnTasksAreFreedAndTheRestRunOnceThroughALongQueue) {
    TTaskLog log(300);
    TPoolHarness harness(true);
    std::vector<TLoggedTask*> tasks;
    for (std::size_t i = 0; i < log.Runs.size(); ++i)
        tasks.push_back(harness.Add(new TLoggedTask(log, i)));
    ASSERT_TRUE(WaitUntil([&] { return harness.Entered == 1; }));
    EXPECT_FALSE(harness.Pool->RemoveRequest(tasks[0])) << "a task in progress stays";
    EXPECT_FALSE(harness.Pool->RemoveRequest(nullptr));
    int withdrawn = 0;
    for (std::size_t i = 10; i < tasks.size(); i += 10, ++withdrawn)
        EXPECT_TRUE(harness.Pool->RemoveRequest(tasks[i])) << "task " << i;
    EXPECT_EQ(log.Freed, withdrawn);
    EXPECT_EQ(harness.Pool->TaskCount(), 299 - withdrawn);
    harness.Gate.SetEvent();
    ASSERT_TRUE(WaitUntil([&] { return log.Freed == 300; }));
    for (std::size_t i = 0; i < log.Runs.size(); ++i)
        EXPECT_EQ(log.Runs[i], i % 10 == 0 && i > 0 ? 0 : 1) << "task " << i;
    EXPECT_EQ(harness.Pool->TaskCount(), 0);
}

TEST(KitThreadPool, AveragesAreTheMeanOfTheFirstSamplesThenDecay) {
    TFakeClock clock;
    const Cardinal durations[] = {40, 10, 100};
    TTaskLog log(std::size(durations));
    TPoolHarness harness;
    harness.Work = [&](TLoggedTask& task, TKitPoolingThread&) {
        clock.Advance(durations[task.Id]);
    };
    const Cardinal expected[] = {40, 25, 50};
    for (std::size_t i = 0; i < std::size(durations); ++i) {
        harness.Add(new TLoggedTask(log, i));
        ASSERT_TRUE(WaitUntil([&] {
            TKitPoolingThread* worker = harness.LastWorker;
            return log.Freed == static_cast<int>(i + 1) && worker->CurState() == ctsWaiting;
        }));
        EXPECT_EQ(harness.LastWorker.load()->CurrentProcessingTime(), expected[i])
            << "after task " << i;
    }
    EXPECT_EQ(harness.Pool->AverageProcessingTime(), 50u);

    struct TCase {
        Cardinal Old, Sample;
        UInt64 Earlier;
        Cardinal Result;
    };
    const TCase cases[] = {{0, 50, 0, 50},
                           {50, 10, 1, 30},
                           {30, 90, 2, 50},
                           {10, 5, 2, 8},
                           {80, 0, 7, 70},
                           {80, 8, 1000, 71},
                           {0xFFFFFFFF, 0xFFFFFFFF, 5, 0xFFFFFFFF}};
    for (const TCase& c : cases)
        EXPECT_EQ(harness.LastWorker.load()->AverageUpdate(c.Old, c.Sample, c.Earlier), c.Result)
            << c.Old << ", " << c.Sample << ", " << c.Earlier;
}

TEST(KitThreadPool, ForcedTerminateWaitsForTheThreadAndTheNextRequestReplacesIt) {
    TTaskLog log(2);
    TLifeLog life;
    TPoolHarness harness;
    life.Attach(*harness.Pool);
    harness.Add(new TLoggedTask(log, 0));
    ASSERT_TRUE(WaitUntil([&] { return log.Freed == 1; }));
    TKitPoolingThread* worker = harness.LastWorker;
    worker->Terminate(true);
    EXPECT_TRUE(worker->IsFinished());
    harness.Add(new TLoggedTask(log, 1));
    ASSERT_TRUE(WaitUntil([&] { return log.Freed == 2; }));
    EXPECT_EQ(harness.Workers(), 1);
    EXPECT_EQ(harness.Stopping(), 0) << "the ended worker was freed by the sweep";
    EXPECT_EQ(life.StartedCount, 2);
    EXPECT_EQ(life.EndedCount, 1);
}

class TCountingWorker : public TKitPoolingThread {
    CLASS_INFO(TCountingWorker, TKitPoolingThread)
public:
    using TKitPoolingThread::TKitPoolingThread;
    static inline std::atomic<int> Created{0};
    void AfterConstruction() override {
        ++Created;
        TKitPoolingThread::AfterConstruction();
    }
};

TEST(KitThreadPool, CreateSpecialMakesWorkersOfTheGivenClass) {
    TTaskLog log(1);
    TCountingWorker::Created = 0;
    TPoolHarness harness(false,
                         TKitThreadPool::CreateSpecial(nullptr, TCountingWorker::StaticClass()));
    harness.Add(new TLoggedTask(log, 0));
    ASSERT_TRUE(WaitUntil([&] { return log.Freed == 1; }));
    EXPECT_NE(dynamic_cast<TCountingWorker*>(harness.LastWorker.load()), nullptr);
    EXPECT_EQ(TCountingWorker::Created, 1);
    EXPECT_THROW(TKitThreadPool::CreateSpecial(nullptr, TComponent::StaticClass()),
                 EInvalidOperation);
}

TEST(KitThreadPool, IsAComponentWithAnAboutText) {
    TComponent owner(nullptr);
    auto* pool =
        static_cast<TKitThreadPool*>(CreateInstance(TKitThreadPool::StaticClass(), &owner));
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(pool->About(), L"Kit Components");
    pool->SetAbout(L"something else");
    EXPECT_EQ(pool->About(), L"Kit Components");
    const TKitAboutInfo about = pool->AboutInfo();
    EXPECT_EQ(about.Name, L"TKitThreadPool");
    EXPECT_FALSE(about.Author.empty());
    EXPECT_FALSE(about.EMail.empty());
    EXPECT_FALSE(about.Comment.empty());
    EXPECT_EQ(pool->AdjustInterval(), 10000u);
    EXPECT_TRUE(pool->DeadTaskAsNew());
    EXPECT_FALSE(pool->MinAtLeast());
    EXPECT_EQ(pool->ThreadDeadTimeout(), 0u);
    EXPECT_EQ(pool->ThreadsMinCount(), 0);
    EXPECT_EQ(pool->ThreadsMaxCount(), 1);
    EXPECT_EQ(pool->ThreadCount(), 0);
}

TEST(KitTaskDataObject, BaseHasNoCopyNoDuplicateAndItsAddressAsInfo) {
    TKitTaskDataObject task;
    TKitTaskDataObject other;
    EXPECT_THROW(task.Clone(), EAbstractError);
    EXPECT_FALSE(task.Duplicate(&other, false));
    EXPECT_FALSE(task.Duplicate(&task, true));
    const UnicodeString info = task.Info();
    ASSERT_EQ(info.size(), 2 * sizeof(void*));
    EXPECT_EQ(std::stoull(info, nullptr, 16), reinterpret_cast<NativeUInt>(&task));
    EXPECT_EQ(info.find_first_not_of(L"0123456789ABCDEF"), UnicodeString::npos);
}

TEST(KitCriticalSection, TryEnterFailsOnlyForOtherThreads) {
    EXPECT_FALSE(OSIsWin9x());
    TKitCriticalSection section;
    section.Enter();
    EXPECT_TRUE(section.TryEnterEx()) << "the owner enters again";
    section.Leave();
    bool otherEntered = true;
    std::thread([&] { otherEntered = section.TryEnterEx(); }).join();
    EXPECT_FALSE(otherEntered);
    section.Leave();
    std::thread([&] {
        otherEntered = section.TryEnter();
        if (otherEntered) section.Leave();
    }).join();
    EXPECT_TRUE(otherEntered);
}

} // namespace
