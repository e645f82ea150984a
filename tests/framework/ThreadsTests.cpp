#include "framework/Threads.h"

#include "framework/ExceptionBoundary.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

namespace {

// Generous: the machine may be loaded, but every wait below is expected to end at once.
constexpr Cardinal Patience = 10000;

// A thread running the body it was given; the hand-over routines are opened to the body.
class TBodyThread : public TThread {
public:
    using TBody = std::function<void(TBodyThread&)>;
    TBodyThread(bool createSuspended, TBody body)
        : TThread(createSuspended), FBody(std::move(body)) {}

    using TThread::Queue;
    using TThread::SetReturnValue;
    using TThread::Synchronize;

protected:
    void Execute() override { FBody(*this); }

private:
    TBody FBody;
};

// The main thread's side of the tests: runs handed-over calls until `done` or the deadline.
template <class Predicate> bool PumpUntil(Predicate done) {
    const Cardinal start = GetTickCount();
    while (!done()) {
        if (TickExpired(start, Patience)) return false;
        CheckSynchronize(10);
    }
    return true;
}

// Waits for the system thread without running handed-over calls.
bool Ended(TThread& thread) {
    return WaitForSingleObject(thread.Handle(), Patience) == WAIT_OBJECT_0;
}

// Collects what reaches the boundary sink while it lives; restores the sink before.
class TSinkCapture {
public:
    TSinkCapture() : FPrevious(SetBoundaryExceptionSink(&Capture)) { Captured() = {}; }
    ~TSinkCapture() { SetBoundaryExceptionSink(FPrevious); }
    static std::exception_ptr Last() {
        std::lock_guard<std::mutex> lock(Guard());
        return Captured();
    }

private:
    static void Capture(std::exception_ptr error) noexcept {
        std::lock_guard<std::mutex> lock(Guard());
        Captured() = error;
    }
    static std::mutex& Guard() {
        static std::mutex guard;
        return guard;
    }
    static std::exception_ptr& Captured() { // guarded by Guard()
        static std::exception_ptr captured;
        return captured;
    }
    TBoundaryExceptionSink FPrevious;
};

UnicodeString MessageOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.Message();
    } catch (...) {
        return L"(not an Exception)";
    }
}

// Receives notifications and synchronized calls through bound methods.
struct TRecorder {
    std::atomic<DWORD> CalledOn{0};
    std::atomic<TObject*> Sender{nullptr};
    void Call() { CalledOn = GetCurrentThreadId(); }
    void ThreadDone(TObject* sender) {
        Sender = sender;
        CalledOn = GetCurrentThreadId();
    }
};

} // namespace

TEST(Threads, SynchronizeRunsOnTheMainThreadWhileTheWorkerWaits) {
    TRecorder recorder;
    std::atomic<DWORD> lambdaRanOn{0};
    std::atomic<bool> methodDoneBeforeReturn{false}, lambdaDoneBeforeReturn{false};
    auto* thread = new TBodyThread(true, [&](TBodyThread& self) {
        self.Synchronize(TThreadMethod(&recorder, &TRecorder::Call));
        methodDoneBeforeReturn = recorder.CalledOn != 0;
        self.Synchronize([&] { lambdaRanOn = GetCurrentThreadId(); });
        lambdaDoneBeforeReturn = lambdaRanOn != 0;
    });
    thread->Start();
    ASSERT_TRUE(PumpUntil([&] { return thread->Finished(); }));
    EXPECT_EQ(recorder.CalledOn, GetCurrentThreadId());
    EXPECT_EQ(lambdaRanOn, GetCurrentThreadId());
    EXPECT_TRUE(methodDoneBeforeReturn);
    EXPECT_TRUE(lambdaDoneBeforeReturn);
    EXPECT_EQ(thread->FatalException(), nullptr);
    thread->Free();
}

TEST(Threads, QueueDoesNotWaitForTheMainThread) {
    std::atomic<DWORD> ranOn{0};
    auto* thread = new TBodyThread(
        true, [&](TBodyThread& self) { self.Queue([&] { ranOn = GetCurrentThreadId(); }); });
    thread->Start();
    ASSERT_TRUE(Ended(*thread)); // nobody ran the queued call meanwhile
    EXPECT_EQ(ranOn, 0u);
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ(ranOn, GetCurrentThreadId());
    EXPECT_FALSE(CheckSynchronize());
    thread->Free();
}

TEST(Threads, WaitForAnswersTheReturnValueAndRunsHandedOverCalls) {
    std::atomic<bool> synchronized{false};
    auto* thread = Construct<TBodyThread>(false, [&](TBodyThread& self) {
        self.Synchronize([&] { synchronized = true; });
        self.SetReturnValue(42);
    });
    EXPECT_EQ(thread->WaitFor(), 42u); // would hang if the wait did not run the call
    EXPECT_EQ(thread->ReturnValue(), 42);
    EXPECT_TRUE(synchronized);
    EXPECT_TRUE(thread->Finished());
    thread->Free();
}

TEST(Threads, ExceptionEscapingExecuteIsKeptAndReported) {
    TSinkCapture sink;
    auto* thread =
        Construct<TBodyThread>(false, [](TBodyThread&) { throw EConvertError(L"bad number"); });
    thread->WaitFor();
    ASSERT_NE(thread->FatalException(), nullptr);
    EXPECT_EQ(MessageOf(thread->FatalException()), L"bad number");
    ASSERT_NE(TSinkCapture::Last(), nullptr);
    EXPECT_EQ(MessageOf(TSinkCapture::Last()), L"bad number");
    EXPECT_TRUE(thread->Finished());
    thread->Free();
}

TEST(Threads, ExceptionInASynchronizedCallReachesTheWorker) {
    UnicodeString caught;
    auto* thread = Construct<TBodyThread>(false, [&](TBodyThread& self) {
        try {
            self.Synchronize([] { throw EConvertError(L"from the main thread"); });
        } catch (const EConvertError& e) {
            caught = e.Message();
        }
    });
    ASSERT_TRUE(PumpUntil([&] { return thread->Finished(); }));
    thread->WaitFor();
    EXPECT_EQ(caught, L"from the main thread");
    EXPECT_EQ(thread->FatalException(), nullptr);
    thread->Free();
}

TEST(Threads, ExceptionInAQueuedCallGoesToTheSink) {
    TSinkCapture sink;
    auto* thread = Construct<TBodyThread>(
        false, [](TBodyThread& self) { self.Queue([] { throw EConvertError(L"queued"); }); });
    ASSERT_TRUE(Ended(*thread));
    EXPECT_TRUE(CheckSynchronize());
    ASSERT_NE(TSinkCapture::Last(), nullptr);
    EXPECT_EQ(MessageOf(TSinkCapture::Last()), L"queued");
    thread->Free();
}

namespace {

// Tells when it is destroyed.
class TWatchedThread : public TBodyThread {
public:
    TWatchedThread(std::atomic<bool>& destroyed, TBody body)
        : TBodyThread(true, std::move(body)), FDestroyed(destroyed) {}
    ~TWatchedThread() override { FDestroyed = true; }

private:
    std::atomic<bool>& FDestroyed;
};

} // namespace

namespace {

// Records its OnTerminate call and whether the thread still existed then.
struct TTerminationWatch {
    std::atomic<bool> Destroyed{false};
    std::atomic<bool> AliveInOnTerminate{false};
    TRecorder Recorder;
    void ThreadDone(TObject* sender) {
        AliveInOnTerminate = !Destroyed;
        Recorder.ThreadDone(sender);
    }
};

} // namespace

TEST(Threads, FreeOnTerminateFreesAfterOnTerminateRanOnTheMainThread) {
    TTerminationWatch watch;
    auto* thread = new TWatchedThread(watch.Destroyed, [](TBodyThread&) {});
    thread->OnTerminate = TNotifyEvent(&watch, &TTerminationWatch::ThreadDone);
    thread->SetFreeOnTerminate(true);
    TThread* const expectedSender = thread;
    thread->Start();
    ASSERT_TRUE(PumpUntil([&] { return watch.Destroyed.load(); }));
    EXPECT_EQ(watch.Recorder.Sender, expectedSender);
    EXPECT_EQ(watch.Recorder.CalledOn, GetCurrentThreadId());
    EXPECT_TRUE(watch.AliveInOnTerminate);
}

TEST(Threads, FreeingARunningThreadTerminatesAndJoinsIt) {
    std::atomic<bool> running{false}, left{false};
    auto* thread = Construct<TBodyThread>(false, [&](TBodyThread& self) {
        running = true;
        while (!self.Terminated()) Sleep(1);
        Sleep(20); // a slow exit: Free must still wait for it
        left = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return running.load(); }));
    thread->Free();
    EXPECT_TRUE(left);
}

namespace {

std::atomic<bool> SpinnerRunning{false};
std::atomic<int> SpinnersLeft{0};

// Uses nothing of a derived part in Execute, so that the destructor alone may stop it.
class TSpinner : public TThread {
public:
    TSpinner() : TThread(true) {}

protected:
    void Execute() override {
        SpinnerRunning = true;
        while (!Terminated()) Sleep(1);
        ++SpinnersLeft;
    }
};

} // namespace

TEST(Threads, DestructorOfARunningThreadTerminatesAndJoinsIt) {
    const int before = SpinnersLeft;
    HANDLE copy = nullptr;
    {
        TSpinner spinner;
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), spinner.Handle(), GetCurrentProcess(),
                                    &copy, 0, FALSE, DUPLICATE_SAME_ACCESS));
        SpinnerRunning = false;
        spinner.Start();
        ASSERT_TRUE(PumpUntil([] { return SpinnerRunning.load(); }));
    }
    TKernelHandle owner(copy);
    EXPECT_EQ(SpinnersLeft, before + 1);
    EXPECT_EQ(WaitForSingleObject(copy, 0), WAIT_OBJECT_0);
}

TEST(Threads, ThreadNeverStartedEndsWithoutRunningExecute) {
    std::atomic<bool> executed{false};
    auto* thread = new TBodyThread(true, [&](TBodyThread&) { executed = true; });
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread->Handle(), GetCurrentProcess(), &copy,
                                0, FALSE, DUPLICATE_SAME_ACCESS));
    TKernelHandle owner(copy);
    EXPECT_NE(thread->ThreadID(), 0u);
    thread->Free();
    EXPECT_EQ(WaitForSingleObject(copy, Patience), WAIT_OBJECT_0); // no suspended thread left
    EXPECT_FALSE(executed);
}

TEST(Threads, MisuseRaisesEThread) {
    auto* idle = new TBodyThread(true, [](TBodyThread&) {});
    EXPECT_THROW(idle->WaitFor(), EThread); // never started: it would wait for ever
    idle->Start();
    EXPECT_THROW(idle->Start(), EThread);
    idle->WaitFor();
    idle->Free();

    UnicodeString selfWait;
    auto* waiter = Construct<TBodyThread>(false, [&](TBodyThread& self) {
        try {
            self.WaitFor();
        } catch (const EThread& e) {
            selfWait = e.Message();
        }
    });
    waiter->WaitFor();
    EXPECT_FALSE(selfWait.empty());
    waiter->Free();

    auto* selfFreeing = new TBodyThread(true, [](TBodyThread&) {});
    selfFreeing->SetFreeOnTerminate(true);
    EXPECT_THROW(selfFreeing->WaitFor(), EThread);
    selfFreeing->Free(); // never started: freeing it here is the caller's job
}

TEST(Threads, RemoveQueuedEventsDropsOnlyThatThreadsCalls) {
    std::atomic<int> ownCalls{0}, anonymousCalls{0};
    auto* thread = Construct<TBodyThread>(false, [&](TBodyThread& self) {
        self.Queue([&] { ++ownCalls; });
        TThread::Queue(nullptr, [&] { ++anonymousCalls; });
        self.Queue([&] { ++ownCalls; });
    });
    ASSERT_TRUE(Ended(*thread));
    TThread::RemoveQueuedEvents(thread);
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ(ownCalls, 0);
    EXPECT_EQ(anonymousCalls, 1);
    thread->Free();
}

TEST(Threads, FreeingAThreadDropsItsQueuedCalls) {
    std::atomic<int> calls{0};
    auto* thread =
        Construct<TBodyThread>(false, [&](TBodyThread& self) { self.Queue([&] { ++calls; }); });
    ASSERT_TRUE(Ended(*thread));
    thread->Free();
    EXPECT_FALSE(CheckSynchronize());
    EXPECT_EQ(calls, 0);
}

namespace {

std::atomic<int> Wakes{0};
std::atomic<DWORD> WokenFrom{0};
void CountWake() {
    ++Wakes;
    WokenFrom = GetCurrentThreadId();
}

} // namespace

TEST(Threads, HandOverWakesTheMainThread) {
    const TMethodEvent<void()> previous = SetWakeMainThread(TMethodEvent<void()>(&CountWake));
    const int before = Wakes;
    std::atomic<DWORD> workerId{0};
    auto* thread = Construct<TBodyThread>(false, [&](TBodyThread& self) {
        workerId = GetCurrentThreadId();
        self.Queue([] {});
    });
    ASSERT_TRUE(Ended(*thread));
    EXPECT_EQ(Wakes, before + 1);
    EXPECT_EQ(WokenFrom, workerId);
    EXPECT_EQ(WaitForSingleObject(SyncEventHandle(), 0), WAIT_OBJECT_0);
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ(WaitForSingleObject(SyncEventHandle(), 0), WAIT_TIMEOUT);
    SetWakeMainThread(previous);
    EXPECT_EQ(WakeMainThread(), previous);
    thread->Free();
}

TEST(Threads, CheckSynchronizeWaitsUpToItsTimeout) {
    TEvent started(true, false);
    auto* thread = Construct<TBodyThread>(false, [&](TBodyThread& self) {
        started.SetEvent();
        Sleep(20);
        self.Queue([] {});
    });
    ASSERT_EQ(started.WaitFor(Patience), wrSignaled);
    EXPECT_TRUE(CheckSynchronize(Patience)); // returns as soon as the call arrives
    EXPECT_FALSE(CheckSynchronize(10));
    thread->WaitFor();
    thread->Free();
}

TEST(Threads, OnTheMainThreadCallsRunAtOnce) {
    EXPECT_EQ(MainThreadID(), GetCurrentThreadId());
    int runs = 0;
    TThread::Synchronize(nullptr, [&] { ++runs; });
    TThread::Queue(nullptr, [&] { ++runs; });
    EXPECT_EQ(runs, 2);
    EXPECT_THROW(TThread::Synchronize(nullptr, [] { throw EConvertError(L"direct"); }),
                 EConvertError);

    bool refused = false;
    std::thread([&] {
        try {
            CheckSynchronize();
        } catch (const EThread&) {
            refused = true;
        }
    }).join();
    EXPECT_TRUE(refused);
}

TEST(Threads, PriorityIsTheSystemThreadsPriority) {
    auto* thread = new TBodyThread(true, [](TBodyThread&) {});
    EXPECT_EQ(thread->Priority(), tpNormal);
    const std::pair<TThreadPriority, int> levels[] = {
        {tpLower, THREAD_PRIORITY_BELOW_NORMAL},
        {tpHigher, THREAD_PRIORITY_ABOVE_NORMAL},
        {tpIdle, THREAD_PRIORITY_IDLE},
        {tpNormal, THREAD_PRIORITY_NORMAL},
    };
    for (const auto& [priority, systemLevel] : levels) {
        thread->SetPriority(priority);
        EXPECT_EQ(thread->Priority(), priority);
        EXPECT_EQ(GetThreadPriority(thread->Handle()), systemLevel);
    }
    EXPECT_THROW(thread->SetPriority(static_cast<TThreadPriority>(tpTimeCritical + 1)), EThread);
    thread->Free();
}
