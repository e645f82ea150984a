#include "framework/HiddenWindows.h"

#include "framework/ExceptionBoundary.h"
#include "MessageLoopTesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace {

constexpr UINT WM_PROBE = WM_USER + 10;
constexpr UINT WM_DEALLOCATE = WM_USER + 11;
constexpr UINT WM_DEALLOCATE_NESTED = WM_USER + 12;
constexpr UINT WM_THROW = WM_USER + 13;

// A hidden window's owner: records what its method receives, answers WM_PROBE with
// WParam + LParam and, when asked, passes the rest on to the default handler.
class TProbe {
public:
    explicit TProbe(bool passOn)
        : PassOn(passOn), Handle(AllocateHWnd(TWndMethod(this, &TProbe::WndProc))) {}
    ~TProbe() {
        if (IsWindow(Handle)) DeallocateHWnd(Handle);
    }

    const bool PassOn;
    const HWND Handle;
    std::vector<UINT> Seen;
    int AfterDeallocate = 0;

private:
    void WndProc(TMessage& message) {
        Seen.push_back(message.Msg);
        switch (message.Msg) {
        case WM_PROBE:
            message.Result = static_cast<LRESULT>(message.WParam) + message.LParam;
            break;
        case WM_DEALLOCATE:
            DeallocateHWnd(Handle);
            message.Result = 7; // the frame goes on after its window is gone
            ++AfterDeallocate;
            break;
        case WM_DEALLOCATE_NESTED:
            SendMessageW(Handle, WM_DEALLOCATE, 0, 0);
            ++AfterDeallocate;
            break;
        case WM_THROW: message.Result = 5; throw EConvertError(L"thrown in a window method");
        default:
            if (PassOn) DefaultHandler(message, Handle);
        }
    }
};

int CountOf(const std::vector<UINT>& seen, UINT msg) {
    return static_cast<int>(std::count(seen.begin(), seen.end(), msg));
}

std::vector<std::exception_ptr> SinkReports;
void RecordingSink(std::exception_ptr error) noexcept { SinkReports.push_back(error); }

} // namespace

TEST(HiddenWindows, RoutesSentAndPostedMessagesToTheMethod) {
    TProbe probe(true);
    EXPECT_EQ(SendMessageW(probe.Handle, WM_PROBE, 40, 2), 42);

    PostMessageW(probe.Handle, WM_PROBE, 0, 0);
    PostMessageW(probe.Handle, WM_PROBE, 0, 0);
    MSG msg;
    while (PeekMessageW(&msg, probe.Handle, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(CountOf(probe.Seen, WM_PROBE), 3);
    // Creation messages are answered by the system before the method is attached.
    EXPECT_EQ(CountOf(probe.Seen, WM_NCCREATE), 0);
    EXPECT_EQ(CountOf(probe.Seen, WM_CREATE), 0);
}

TEST(HiddenWindows, IsAnInvisibleTopLevelWindowThatBroadcastsReach) {
    TProbe probe(true);
    EXPECT_FALSE(IsWindowVisible(probe.Handle));
    EXPECT_EQ(GetAncestor(probe.Handle, GA_PARENT), GetDesktopWindow());

    const UINT broadcast = RegisterWindowMessageW(L"FrameworkHiddenWindowsTestBroadcast");
    ASSERT_NE(broadcast, 0u);
    ASSERT_TRUE(PostMessageW(HWND_BROADCAST, broadcast, 0, 0));
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(CountOf(probe.Seen, broadcast), 1);
}

TEST(HiddenWindows, TheMethodDecidesTheAnswer) {
    // WM_SETTEXT answers TRUE and stores the text only when passed on to the default handler.
    TProbe passing(true);
    EXPECT_TRUE(SetWindowTextW(passing.Handle, L"hidden"));
    wchar_t text[16] = {};
    GetWindowTextW(passing.Handle, text, 16);
    EXPECT_STREQ(text, L"hidden");

    TProbe ignoring(false);
    EXPECT_FALSE(SetWindowTextW(ignoring.Handle, L"hidden"));
    EXPECT_EQ(GetWindowTextLengthW(ignoring.Handle), 0);
}

TEST(HiddenWindows, DeallocateFromInsideTheMethodIsSafe) {
    struct Case {
        UINT Trigger;
        int FramesAfterDeallocate;
    };
    for (const Case& c : {Case{WM_DEALLOCATE, 1}, Case{WM_DEALLOCATE_NESTED, 2}}) {
        SCOPED_TRACE(c.Trigger);
        TProbe probe(true);
        EXPECT_EQ(SendMessageW(probe.Handle, c.Trigger, 0, 0), c.Trigger == WM_DEALLOCATE ? 7 : 0);
        EXPECT_FALSE(IsWindow(probe.Handle));
        EXPECT_EQ(probe.AfterDeallocate, c.FramesAfterDeallocate);
        // The method was detached before the window went: it never saw its destruction.
        EXPECT_EQ(CountOf(probe.Seen, WM_DESTROY), 0);
        EXPECT_EQ(CountOf(probe.Seen, WM_NCDESTROY), 0);
    }
}

TEST(HiddenWindows, AnExceptionInTheMethodStopsAtTheWindowProcedure) {
    SinkReports.clear();
    const TBoundaryExceptionSink previous = SetBoundaryExceptionSink(&RecordingSink);
    TProbe probe(true);
    const LRESULT answer = SendMessageW(probe.Handle, WM_THROW, 0, 0);
    SetBoundaryExceptionSink(previous);

    EXPECT_EQ(answer, 5); // what the method left in Result
    ASSERT_EQ(SinkReports.size(), 1u);
    EXPECT_THROW(std::rethrow_exception(SinkReports[0]), EConvertError);
    EXPECT_EQ(SendMessageW(probe.Handle, WM_PROBE, 1, 1), 2); // the window lives on
    SinkReports.clear();
}

TEST(HiddenWindows, DeallocateRefusesOtherThreadsAndForeignWindows) {
    TProbe probe(true);
    bool refused = false;
    std::thread([&] {
        try {
            DeallocateHWnd(probe.Handle);
        } catch (const EInvalidOperation&) {
            refused = true;
        }
    }).join();
    EXPECT_TRUE(refused);
    EXPECT_TRUE(IsWindow(probe.Handle));

    HWND foreign = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(foreign, nullptr);
    EXPECT_THROW(DeallocateHWnd(foreign), EInvalidOperation);
    DestroyWindow(foreign);
    EXPECT_NO_THROW(DeallocateHWnd(nullptr));
}

TEST(HiddenWindows, OwnerDeallocatesAndMovesOwnership) {
    int calls = 0;
    struct TCounter {
        int* Calls;
        void WndProc(TMessage& message) { *Calls += message.Msg == WM_PROBE; }
    } counter{&calls};
    THiddenWindow first(TWndMethod(&counter, &TCounter::WndProc));
    const HWND handle = first.Handle();
    {
        THiddenWindow second(std::move(first));
        EXPECT_EQ(first.Handle(), nullptr);
        EXPECT_EQ(second.Handle(), handle);
        SendMessageW(handle, WM_PROBE, 0, 0);
    }
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(calls, 1);
}
