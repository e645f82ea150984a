#include "framework/Application.h"
#include "framework/Threads.h"

#include "MessageLoopTesting.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace {

class ApplicationTest : public testing::Test {
protected:
    ApplicationTest() {
        App.OnException = TExceptionEvent(&Recorder, &TExceptionRecorder::OnException);
    }
    ~ApplicationTest() override { DrainMessages(); }

    TApplication App{nullptr};
    TExceptionRecorder Recorder;
};

// A hidden window that records the WParam of every message it is given.
class TReceiver {
public:
    TReceiver() : FWindow(TWndMethod(this, &TReceiver::WndProc)) {}
    HWND Handle() const { return FWindow.Handle(); }
    std::vector<WPARAM> Received;

private:
    void WndProc(TMessage& message) {
        if (message.Msg == WM_USER)
            Received.push_back(message.WParam);
        else
            DefaultHandler(message, Handle());
    }
    THiddenWindow FWindow;
};

// An exception that counts its living copies: shows whether a queued exception was released.
class ECounted : public Exception {
public:
    explicit ECounted(const UnicodeString& message) : Exception(message) { ++Living; }
    ECounted(const ECounted& other) : Exception(other) { ++Living; }
    ~ECounted() override { --Living; }
    static inline int Living = 0;
};

template <class E> void ReportFromAnotherThread(const E& error) {
    std::thread([&] {
        try {
            throw error;
        } catch (...) {
            ReportBoundaryException();
        }
    }).join();
}

struct TIdleCounter {
    int Calls = 0;
    void OnIdle(TObject*, bool& Done) {
        ++Calls;
        Done = false; // do not wait: there is nothing to wake this thread
    }
};

} // namespace

TEST_F(ApplicationTest, ProcessMessagesRunsEveryPostedMessageAndReturns) {
    TReceiver receiver;
    for (WPARAM i = 1; i <= 3; ++i) PostMessageW(receiver.Handle(), WM_USER, i, 0);
    App.ProcessMessages();
    EXPECT_EQ(receiver.Received, (std::vector<WPARAM>{1, 2, 3}));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_FALSE(App.Terminated());
}

TEST_F(ApplicationTest, HandleMessageRunsIdleProcessingOnlyWhenNothingIsQueued) {
    TReceiver receiver;
    TIdleCounter idle;
    App.OnIdle = TIdleEvent(&idle, &TIdleCounter::OnIdle);
    PostMessageW(receiver.Handle(), WM_USER, 1, 0);

    App.HandleMessage();
    EXPECT_EQ(receiver.Received.size(), 1u);
    EXPECT_EQ(idle.Calls, 0);
    App.HandleMessage();
    EXPECT_EQ(idle.Calls, 1);
}

TEST_F(ApplicationTest, TerminateEndsRunOnceTheQuitMessageIsTaken) {
    TReceiver receiver;
    PostMessageW(receiver.Handle(), WM_USER, 1, 0);
    App.Terminate();
    EXPECT_FALSE(App.Terminated()); // the quit message is still queued
    TLoopDeadline deadline(5000);
    App.Run();
    EXPECT_FALSE(TLoopDeadline::Expired());
    EXPECT_TRUE(App.Terminated());
    EXPECT_EQ(receiver.Received.size(), 1u); // messages before the quit are handled
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(ApplicationTest, HandleExceptionPassesEachKindToOnException) {
    struct Case {
        const char* Name;
        void (*Raise)();
        const wchar_t* Message; // null: ignored
        const std::type_info& Type;
    };
    const Case cases[] = {
        {"abort is silent", [] { Abort(); }, nullptr, typeid(EAbort)},
        {"library exception as itself", [] { throw EConvertError(L"bad number"); }, L"bad number",
         typeid(EConvertError)},
        {"standard exception by its text", [] { throw std::runtime_error("disk \xC3\xA9tat"); },
         L"disk \u00E9tat", typeid(Exception)},
        {"anything else", [] { throw 42; }, L"Unknown exception", typeid(Exception)},
    };
    TObject sender;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Recorder.Handled.clear();
        try {
            c.Raise();
        } catch (...) {
            App.HandleException(&sender);
        }
        if (!c.Message) {
            EXPECT_TRUE(Recorder.Handled.empty());
            continue;
        }
        ASSERT_EQ(Recorder.Handled.size(), 1u);
        EXPECT_EQ(Recorder.Handled[0].Sender, &sender);
        EXPECT_EQ(Recorder.Handled[0].Message, c.Message);
        EXPECT_TRUE(*Recorder.Handled[0].Type == c.Type);
    }
}

TEST_F(ApplicationTest, ABoundaryOnTheGuiThreadReportsFromTheMessageLoop) {
    GuardBoundary([] { throw EConvertError(L"in a callback"); });
    EXPECT_TRUE(Recorder.Handled.empty()); // not from inside the callback

    App.ProcessMessages();
    ASSERT_EQ(Recorder.Handled.size(), 1u);
    EXPECT_EQ(Recorder.Handled[0].Message, L"in a callback");
    EXPECT_EQ(Recorder.Handled[0].Sender, &App);
}

namespace {

// A window whose handler fails; the test notes when the window procedure has returned, and the
// exception handler notes what it saw.
class TFailingWindow {
public:
    TFailingWindow() : FWindow(TWndMethod(this, &TFailingWindow::WndProc)) {}
    HWND Handle() const { return FWindow.Handle(); }
    bool Returned = false;
    std::vector<bool> ReturnedWhenHandled;

    void OnException(TObject*, const Exception&) { ReturnedWhenHandled.push_back(Returned); }

private:
    void WndProc(TMessage& message) {
        if (message.Msg == WM_USER) throw EConvertError(L"half-way through");
        DefaultHandler(message, Handle());
    }
    THiddenWindow FWindow;
};

} // namespace

TEST_F(ApplicationTest, AnExceptionInAWindowProcedureIsHandledAfterTheProcedureReturned) {
    TFailingWindow window;
    App.OnException = TExceptionEvent(&window, &TFailingWindow::OnException);
    SendMessageW(window.Handle(), WM_USER, 0, 0);
    window.Returned = true;
    EXPECT_TRUE(window.ReturnedWhenHandled.empty());

    App.ProcessMessages();
    EXPECT_EQ(window.ReturnedWhenHandled, std::vector<bool>{true});
}

// The handler runs from the loop; one that fails itself loses that exception rather than
// queueing it again for ever.
TEST_F(ApplicationTest, AFailingExceptionHandlerDoesNotRequeue) {
    struct TThrowingHandler {
        int Calls = 0;
        void OnException(TObject*, const Exception&) {
            ++Calls;
            throw EConvertError(L"the handler failed too");
        }
    } handler;
    App.OnException = TExceptionEvent(&handler, &TThrowingHandler::OnException);
    GuardBoundary([] { throw EConvertError(L"first"); });
    App.ProcessMessages();
    EXPECT_EQ(handler.Calls, 1);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(ApplicationTest, AnExceptionFromAnotherThreadIsHandledOnTheGuiThread) {
    ReportFromAnotherThread(EConvertError(L"from a worker"));
    EXPECT_TRUE(Recorder.Handled.empty()); // not on the worker

    App.ProcessMessages();
    ASSERT_EQ(Recorder.Handled.size(), 1u);
    EXPECT_EQ(Recorder.Handled[0].Message, L"from a worker");
    EXPECT_TRUE(*Recorder.Handled[0].Type == typeid(EConvertError));
    EXPECT_EQ(Recorder.Handled[0].ThreadId, GetCurrentThreadId());
}

TEST(Application, AQueuedExceptionIsReleasedWithTheApplication) {
    {
        TApplication app(nullptr);
        ReportFromAnotherThread(ECounted(L"never handled"));
        EXPECT_EQ(ECounted::Living, 1);
    }
    EXPECT_EQ(ECounted::Living, 0);
    DrainMessages();
}

namespace {
std::vector<std::exception_ptr> OuterReports;
void OuterSink(std::exception_ptr error) noexcept { OuterReports.push_back(error); }
} // namespace

TEST(Application, IsTheBoundarySinkWhileItLives) {
    const TBoundaryExceptionSink previous = SetBoundaryExceptionSink(&OuterSink);
    {
        TApplication app(nullptr);
        TExceptionRecorder recorder;
        app.OnException = TExceptionEvent(&recorder, &TExceptionRecorder::OnException);
        GuardBoundary([] { throw EConvertError(L"inside"); });
        app.ProcessMessages();
        EXPECT_EQ(recorder.Handled.size(), 1u);
    }
    GuardBoundary([] { throw EConvertError(L"after"); });
    SetBoundaryExceptionSink(previous);
    EXPECT_EQ(OuterReports.size(), 1u);
    OuterReports.clear();
}

TEST(Application, TitleDefaultsToTheProgramName) {
    TApplication app(nullptr);
    const UnicodeString exe = app.ExeName();
    EXPECT_EQ(exe.substr(exe.size() - 20), L"\\framework_tests.exe");
    EXPECT_EQ(app.Title(), L"framework_tests");
    app.SetTitle(L"Client");
    EXPECT_EQ(app.Title(), L"Client");
    EXPECT_TRUE(IsWindow(app.Handle()));
}

TEST(Application, RunExecutesCallsThatThreadsHandOver) {
    TApplication app(nullptr);
    DWORD ranOn = 0;
    std::thread worker([&] {
        TThread::Synchronize(nullptr, TThreadProcedure([&] {
                                 ranOn = GetCurrentThreadId();
                                 app.Terminate();
                             }));
    });
    TLoopDeadline deadline(5000);
    app.Run();
    worker.join();
    DrainMessages();
    EXPECT_FALSE(TLoopDeadline::Expired());
    EXPECT_EQ(ranOn, GetCurrentThreadId());
}

// A modal loop (message box, menu) only dispatches messages: the message the application posts
// when a call is handed over must run the call there too.
TEST(Application, AModalLoopRunsHandedOverCallsThroughTheWakeMessage) {
    TApplication app(nullptr);
    bool ran = false;
    std::thread worker([&] { TThread::Queue(nullptr, TThreadProcedure([&] { ran = true; })); });
    worker.join();
    TLoopDeadline deadline(5000);
    MSG msg;
    while (!ran && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    DrainMessages();
    EXPECT_FALSE(TLoopDeadline::Expired());
    EXPECT_TRUE(ran);
}
