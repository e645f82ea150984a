#include "framework/Timers.h"

#include "framework/Application.h"
#include "MessageLoopTesting.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// Runs timers through the application's loop; the deadline ends a loop that nothing ends.
// Terminated stays set once a loop has ended: a case that runs again starts a new application.
class TimerLoop : public testing::Test {
protected:
    TimerLoop() { Restart(); }
    ~TimerLoop() override { DrainMessages(); }

    void Restart() {
        FApp.reset();
        FApp.emplace(nullptr);
        FApp->OnException = TExceptionEvent(&Recorder, &TExceptionRecorder::OnException);
    }

    // Runs the loop until a handler terminates it; false when the deadline had to.
    bool RunUntilTerminated() {
        TLoopDeadline deadline(5000);
        FApp->Run();
        return !TLoopDeadline::Expired();
    }

    TApplication& App() { return *FApp; }

    TExceptionRecorder Recorder;

private:
    std::optional<TApplication> FApp;
};

// Counts its timer's ticks; terminates the loop at `StopAt`, throws on the ticks listed.
class TTicker : public TObject {
public:
    TTicker(TApplication& app, int stopAt) : App(app), StopAt(stopAt) {}

    void OnTimer(TObject* sender) {
        Sender = sender;
        ++Ticks;
        if (Ticks == StopAt) App.Terminate();
        if (Ticks == ThrowAt) throw EConvertError(L"tick failed");
    }

    TApplication& App;
    int StopAt;
    int ThrowAt = 0;
    int Ticks = 0;
    TObject* Sender = nullptr;
};

// Counts ticks of the timer under test and ends the loop when the reference timer fires, long
// after a 10 ms timer would have: what has not ticked by then is not armed.
class TObserver : public TObject {
public:
    explicit TObserver(TApplication& app) : App(app) {}
    void Tick(TObject*) { ++Ticks; }
    void Stop(TObject*) { App.Terminate(); }

    TApplication& App;
    int Ticks = 0;
};

} // namespace

TEST_F(TimerLoop, FiresThroughTheMessageLoop) {
    TTicker ticker(App(), 3);
    TTimer timer(nullptr);
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_TRUE(timer.Enabled());
    timer.SetInterval(10);
    timer.SetOnTimer(TNotifyEvent(&ticker, &TTicker::OnTimer));

    ASSERT_TRUE(RunUntilTerminated());
    EXPECT_EQ(ticker.Ticks, 3);
    EXPECT_EQ(ticker.Sender, &timer);
}

TEST_F(TimerLoop, AnExceptionInOnTimerReachesOnExceptionAndTheTimerFiresAgain) {
    TTicker ticker(App(), 2);
    ticker.ThrowAt = 1;
    TTimer timer(nullptr);
    timer.SetInterval(10);
    timer.SetOnTimer(TNotifyEvent(&ticker, &TTicker::OnTimer));

    ASSERT_TRUE(RunUntilTerminated());
    EXPECT_EQ(ticker.Ticks, 2);
    ASSERT_EQ(Recorder.Handled.size(), 1u);
    EXPECT_EQ(Recorder.Handled[0].Message, L"tick failed");
    EXPECT_TRUE(*Recorder.Handled[0].Type == typeid(EConvertError));
}

TEST_F(TimerLoop, RunsOnlyWhileEnabledWithAnIntervalAndNotLoading) {
    struct Case {
        const char* Name;
        bool Enabled;
        Cardinal Interval;
        bool Loading;
        bool Fires;
    };
    const Case cases[] = {
        {"armed", true, 10, false, true},
        {"disabled", false, 10, false, false},
        {"zero interval", true, 0, false, false},
        {"loading", true, 10, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Restart();
        TObserver observer(App());
        TTimer timer(nullptr);
        if (c.Loading) timer.BeginLoad();
        timer.SetEnabled(c.Enabled);
        timer.SetInterval(c.Interval);
        timer.SetOnTimer(TNotifyEvent(&observer, &TObserver::Tick));
        TTimer reference(nullptr);
        reference.SetInterval(300);
        reference.SetOnTimer(TNotifyEvent(&observer, &TObserver::Stop));

        ASSERT_TRUE(RunUntilTerminated());
        EXPECT_EQ(observer.Ticks > 0, c.Fires);
    }
}

TEST_F(TimerLoop, ChangesReArmTheTimer) {
    // Each case starts unarmed in one way and its change undoes that.
    struct Case {
        const char* Name;
        void (*Unarm)(TTimer&);
        void (*Change)(TTimer&);
    };
    const Case cases[] = {
        {"enabled", [](TTimer& t) { t.SetEnabled(false); }, [](TTimer& t) { t.SetEnabled(true); }},
        {"interval shortened", [](TTimer& t) { t.SetInterval(600000); },
         [](TTimer& t) { t.SetInterval(10); }},
        {"loaded", [](TTimer& t) { t.BeginLoad(); }, [](TTimer& t) { t.EndLoad(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Restart();
        TTicker ticker(App(), 1);
        TTimer timer(nullptr);
        timer.SetInterval(10);
        c.Unarm(timer);
        timer.SetOnTimer(TNotifyEvent(&ticker, &TTicker::OnTimer));
        c.Change(timer);

        ASSERT_TRUE(RunUntilTerminated());
        EXPECT_EQ(ticker.Ticks, 1);
    }
}

TEST_F(TimerLoop, DisablingInTheHandlerStopsIt) {
    TObserver observer(App());
    TTimer timer(nullptr);
    struct TStopper : TObject {
        TTimer* Timer;
        int* Ticks;
        void OnTimer(TObject*) {
            ++*Ticks;
            Timer->SetEnabled(false);
        }
    } stopper;
    stopper.Timer = &timer;
    stopper.Ticks = &observer.Ticks;
    timer.SetInterval(10);
    timer.SetOnTimer(TNotifyEvent(&stopper, &TStopper::OnTimer));
    TTimer reference(nullptr);
    reference.SetInterval(300);
    reference.SetOnTimer(TNotifyEvent(&observer, &TObserver::Stop));

    ASSERT_TRUE(RunUntilTerminated());
    EXPECT_EQ(observer.Ticks, 1);
}

TEST_F(TimerLoop, AHandlerMayFreeItsOwnTimer) {
    struct TSelfFreeing : TObject {
        TApplication* App;
        TTimer* Timer;
        void OnTimer(TObject*) {
            FreeAndNil(Timer);
            App->Terminate();
        }
    } handler;
    handler.App = &App();
    handler.Timer = new TTimer(nullptr);
    handler.Timer->SetInterval(10);
    handler.Timer->SetOnTimer(TNotifyEvent(&handler, &TSelfFreeing::OnTimer));

    ASSERT_TRUE(RunUntilTerminated());
    EXPECT_EQ(handler.Timer, nullptr);
}

TEST(Timers, IsCreatedByClassReferenceWithAnOwner) {
    TComponent owner(nullptr);
    TObject* timer = CreateInstance(TTimer::StaticClass(), &owner);
    EXPECT_EQ(timer->ClassName(), L"TTimer");
    EXPECT_EQ(owner.ComponentCount(), 1);
}
