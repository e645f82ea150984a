#include "support/XtThread/XtThread.h"

#include "framework/ExceptionBoundary.h"
#include "framework/SyncObjs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Every run below ends when its gate opens or when it is told to terminate.
class XtThread : public testing::Test {
public:
    void SetUp() override {
        XtThreadModule().Initialize();
        Component = Construct<TXtThread>(nullptr);
        Component->OnExecute = TXtNotifyParamsEvent(this, &XtThread::GatedRun);
        Component->OnFinishAll = TNotifyEvent(this, &XtThread::FinishAll);
        Component->OnFinish = TNotifyEvent(this, &XtThread::Finish);
    }
    void TearDown() override {
        Gate.SetEvent();
        FreeAndNil(Component);
        XtThreadModule().Finalize();
    }

    void GatedRun(TObject*, void*) {
        ++Started;
        Gate.WaitFor(InfiniteTimeout);
    }
    // Asks the component through the run: Component is cleared before the component is freed.
    void UntilTerminated(TObject* Sender, void*) {
        ++Started;
        while (!static_cast<TXtBaseThread*>(Sender)->SenderComponent()->Terminated()) Sleep(1);
        ++Ended;
    }
    void FinishAll(TObject*) { ++FinishedAll; }
    void Finish(TObject*) { ++Finished; }

    TXtThread* Component = nullptr;
    TSimpleEvent Gate;
    std::atomic<int> Started{0};
    std::atomic<int> Ended{0};
    int Finished = 0;    // main thread only
    int FinishedAll = 0; // main thread only
};

TEST_F(XtThread, AnExclusiveComponentRefusesASecondRunWhileOneIsActive) {
    TXtBaseThread* first = Component->Execute(nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Component->Execute(nullptr), nullptr);
    EXPECT_EQ(Component->Count(), 1);
    EXPECT_TRUE(Component->OneThreadIsRunning());
    Gate.SetEvent();
    Component->WaitFor();
    EXPECT_EQ(Component->Count(), 0);
    EXPECT_EQ(Finished, 1);
    EXPECT_EQ(FinishedAll, 1);
    EXPECT_NE(Component->Execute(nullptr), nullptr) << "a new run once the first has ended";
}

TEST_F(XtThread, WithoutExclusiveRunsStartUpToMaxCount) {
    Component->SetExclusive(false);
    Component->SetMaxCount(2);
    EXPECT_NE(Component->Execute(nullptr), nullptr);
    EXPECT_NE(Component->Execute(nullptr), nullptr);
    EXPECT_EQ(Component->Execute(nullptr), nullptr);
    EXPECT_EQ(Component->Count(), 2);
    Gate.SetEvent();
    Component->WaitFor();
    EXPECT_EQ(Started, 2);
    EXPECT_EQ(FinishedAll, 1);
}

TEST_F(XtThread, CallersRacingToExecuteStartOneExclusiveRun) {
    std::atomic<int> started{0};
    std::vector<std::thread> callers;
    for (int i = 0; i < 8; ++i)
        callers.emplace_back([&] {
            if (Component->Execute(nullptr)) ++started;
        });
    for (std::thread& caller : callers) caller.join();
    EXPECT_EQ(started, 1);
    EXPECT_EQ(Component->Count(), 1);
}

TEST(XtPausableThread, OnlyThePausingThreadUnpauses) {
    struct TIdle : TXtPausableThread {
        TIdle() : TXtPausableThread(true) {}
        void Execute() override {}
    };
    std::unique_ptr<TIdle> thread(new TIdle);
    thread->SetPaused(true);
    EXPECT_TRUE(thread->Paused());
    bool refused = false;
    std::thread([&] {
        try {
            thread->SetPaused(false);
        } catch (const EThread&) {
            refused = true;
        }
    }).join();
    EXPECT_TRUE(refused);
    thread->SetPaused(false);
    EXPECT_FALSE(thread->Paused());
}

TEST_F(XtThread, ExecuteWithoutAHandlerStartsNothing) {
    Component->OnExecute = TXtNotifyParamsEvent();
    EXPECT_EQ(Component->Execute(nullptr), nullptr);
    EXPECT_EQ(Component->Count(), 0);
    EXPECT_TRUE(Component->Terminated()) << "no run: terminated as seen from the main thread";
}

TEST_F(XtThread, TheHandlerGetsTheRunAndTheParameter) {
    struct TSeen {
        TObject* Sender = nullptr;
        void* Params = nullptr;
        void Run(TObject* S, void* P) {
            Sender = S;
            Params = P;
        }
    } seen;
    Component->OnExecute = TXtNotifyParamsEvent(&seen, &TSeen::Run);
    int parameter = 0;
    TXtBaseThread* run = Component->ExecuteAndWait(&parameter);
    EXPECT_EQ(seen.Sender, run);
    EXPECT_EQ(seen.Params, &parameter);
}

TEST_F(XtThread, CancelExecuteWithoutAHandlerTerminatesTheRuns) {
    Component->OnExecute = TXtNotifyParamsEvent(this, &XtThread::UntilTerminated);
    ASSERT_NE(Component->Execute(nullptr), nullptr);
    while (Started == 0) Sleep(1);
    EXPECT_FALSE(Component->Terminated());
    Component->CancelExecute();
    Component->WaitFor();
    EXPECT_EQ(Ended, 1);
}

TEST_F(XtThread, CancelExecuteWithAHandlerLeavesTheRunsAlone) {
    struct TCancel {
        TXtThread* Seen = nullptr;
        void Cancel(TXtThread* T) { Seen = T; }
    } cancel;
    Component->OnCancelExecute = TXtThreadCancelEvent(&cancel, &TCancel::Cancel);
    ASSERT_NE(Component->Execute(nullptr), nullptr);
    Component->CancelExecute();
    EXPECT_EQ(cancel.Seen, Component);
    EXPECT_FALSE(Component->Terminated());
}

TEST_F(XtThread, SynchronizeFromARunRunsTheMethodOnTheMainThread) {
    struct TSync {
        TXtThread* Component = nullptr;
        DWORD Ran = 0;
        DWORD Run = 0;
        void Record() { Ran = GetCurrentThreadId(); }
        void Execute(TObject*, void*) {
            Run = GetCurrentThreadId();
            Component->Synchronize(TThreadMethod(this, &TSync::Record));
        }
    } sync;
    sync.Component = Component;
    Component->OnExecute = TXtNotifyParamsEvent(&sync, &TSync::Execute);
    Component->ExecuteAndWait(nullptr);
    EXPECT_EQ(sync.Ran, GetCurrentThreadId());
    EXPECT_NE(sync.Run, GetCurrentThreadId());
    sync.Ran = 0;
    Component->Synchronize(TThreadMethod(&sync, &TSync::Record));
    EXPECT_EQ(sync.Ran, GetCurrentThreadId()) << "called directly from the main thread";
    EXPECT_FALSE(Component->IsDialogShowDelayDisabled());
}

TEST_F(XtThread, AnErrorInTheHandlerGoesToTheBoundaryAndTheRunEndsNormally) {
    static std::exception_ptr reported;
    reported = nullptr;
    const TBoundaryExceptionSink previous =
        SetBoundaryExceptionSink([](std::exception_ptr error) noexcept { reported = error; });
    struct TFailing {
        void Run(TObject*, void*) { throw std::runtime_error("handler failed"); }
    } failing;
    Component->SetFreeOnTerminate(false);
    Component->OnExecute = TXtNotifyParamsEvent(&failing, &TFailing::Run);
    TXtBaseThread* run = Component->ExecuteAndWait(nullptr);
    SetBoundaryExceptionSink(previous);
    ASSERT_NE(run, nullptr);
    EXPECT_TRUE(reported);
    EXPECT_TRUE(run->ExecuteException());
    EXPECT_EQ(Finished, 1);
    EXPECT_EQ(run->FatalException(), nullptr) << "the run itself ended normally";
}

TEST_F(XtThread, RunsThatDoNotFreeThemselvesStayUntilRemoveZombie) {
    Component->SetFreeOnTerminate(false);
    Gate.SetEvent();
    TXtBaseThread* run = Component->ExecuteAndWait(nullptr);
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(Component->Count(), 1);
    EXPECT_FALSE(Component->OneThreadIsRunning());
    EXPECT_TRUE(run->RunFinished());
    EXPECT_EQ(FinishedAll, 0) << "the list is not empty yet";
    Component->RemoveZombie(nullptr);
    EXPECT_EQ(Component->Count(), 0);
}

TEST_F(XtThread, ARunCreatedSuspendedStartsOnResume) {
    Component->SetRunOnCreate(false);
    Gate.SetEvent();
    TXtBaseThread* run = Component->Execute(nullptr);
    ASSERT_NE(run, nullptr);
    EXPECT_TRUE(run->Suspended());
    EXPECT_EQ(Started, 0);
    Component->Resume(run);
    Component->WaitFor();
    EXPECT_EQ(Started, 1);
}

TEST_F(XtThread, AFailingBeforeResumeEndsTheRunWithoutTheHandler) {
    struct TRefuse {
        void Before(TObject*) { throw Exception(L"not now"); }
    } refuse;
    Component->BeforeResume = TNotifyEvent(&refuse, &TRefuse::Before);
    Gate.SetEvent();
    ASSERT_NE(Component->Execute(nullptr), nullptr);
    Component->WaitFor();
    EXPECT_EQ(Started, 0);
    EXPECT_EQ(Finished, 1);
}

TEST_F(XtThread, AFailingOnBeginStartsNothing) {
    struct TRefuse {
        void Begin(TObject*) { throw Exception(L"not now"); }
    } refuse;
    Component->OnBegin = TNotifyEvent(&refuse, &TRefuse::Begin);
    EXPECT_EQ(Component->Execute(nullptr), nullptr);
    EXPECT_EQ(Component->Count(), 0);
    EXPECT_EQ(Started, 0);
}

TEST_F(XtThread, TheReturnValueBelongsToTheCallingRun) {
    struct TValue {
        TXtThread* Component = nullptr;
        Integer Seen = 0;
        void Run(TObject*, void*) {
            Component->SetReturnValue(7);
            Seen = Component->ReturnValue();
        }
    } value;
    value.Component = Component;
    Component->SetFreeOnTerminate(false);
    Component->OnExecute = TXtNotifyParamsEvent(&value, &TValue::Run);
    TXtBaseThread* run = Component->ExecuteThreadAndWait(nullptr);
    ASSERT_NE(run, nullptr);
    EXPECT_TRUE(run->RunFinished());
    EXPECT_EQ(value.Seen, 7);
    EXPECT_EQ(run->ReturnValue(), 7);
    EXPECT_EQ(Component->ReturnValue(), 0) << "the main thread is no run";
}

TEST_F(XtThread, FreeingTheComponentWaitsForItsRuns) {
    Component->OnExecute = TXtNotifyParamsEvent(this, &XtThread::UntilTerminated);
    ASSERT_NE(Component->Execute(nullptr), nullptr);
    while (Started == 0) Sleep(1);
    FreeAndNil(Component);
    EXPECT_EQ(Ended, 1);
}

TEST_F(XtThread, TheConnectedDataComponentIsClearedWhenItIsFreed) {
    auto* data = new TComponent(nullptr);
    Component->SetConnectedDataComponent(data);
    EXPECT_EQ(Component->ConnectedDataComponent(), data);
    data->Free();
    EXPECT_EQ(Component->ConnectedDataComponent(), nullptr);
}

// The named mutex as another thread sees it: free, or held by somebody.
bool MutexFreeForAnotherThread() {
    bool free = false;
    std::thread([&] {
        HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"VCLXtThreadMutex");
        if (!mutex) return;
        const DWORD result = WaitForSingleObject(mutex, 0);
        free = result == WAIT_OBJECT_0;
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) ReleaseMutex(mutex);
        CloseHandle(mutex);
    }).join();
    return free;
}

struct TMutexProbe {
    bool FreeInside = true;
    int Depth = 0;
    void Check(TObject* Sender) {
        EXPECT_EQ(Sender, nullptr);
        FreeInside = MutexFreeForAnotherThread();
    }
    void Fail(TObject*) { throw Exception(L"method failed"); }
    void Nest(TObject*) {
        if (++Depth < 3)
            CallUnderThreadMutex(TNotifyEvent(this, &TMutexProbe::Nest));
        else
            Check(nullptr);
    }
};

TEST_F(XtThread, CallUnderThreadMutexHoldsTheNamedMutexWhileTheMethodRuns) {
    TMutexProbe probe;
    CallUnderThreadMutex(TNotifyEvent(&probe, &TMutexProbe::Check));
    EXPECT_FALSE(probe.FreeInside);
    EXPECT_TRUE(MutexFreeForAnotherThread());
}

TEST_F(XtThread, CallUnderThreadMutexReleasesTheMutexWhenTheMethodRaises) {
    TMutexProbe probe;
    EXPECT_THROW(CallUnderThreadMutex(TNotifyEvent(&probe, &TMutexProbe::Fail)), Exception);
    EXPECT_TRUE(MutexFreeForAnotherThread());
}

TEST_F(XtThread, CallsUnderThreadMutexNestOnOneThread) {
    TMutexProbe probe;
    CallUnderThreadMutex(TNotifyEvent(&probe, &TMutexProbe::Nest));
    EXPECT_EQ(probe.Depth, 3);
    EXPECT_FALSE(probe.FreeInside);
    EXPECT_TRUE(MutexFreeForAnotherThread()) << "released as often as taken";
}

TEST(XtThreadModule, CallUnderThreadMutexNeedsTheModule) {
    TMutexProbe probe;
    EXPECT_THROW(CallUnderThreadMutex(TNotifyEvent(&probe, &TMutexProbe::Check)),
                 EInvalidOperation);
}

} // namespace
