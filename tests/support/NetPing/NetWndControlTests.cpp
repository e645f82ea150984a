#include "support/NetPing/NetWndControl.h"

#include "NetTesting.h"

#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using NetWndControl = TNetModuleTest;

// A component that, like the ICMP component, needs a second message number, and records what
// reaches it. Posting its release number with WParam `Throw...` makes its window procedure fail.
class TProbe : public TNetWndControl {
public:
    static constexpr WPARAM ThrowFramework = 0xBAD1;
    static constexpr WPARAM ThrowOther = 0xBAD2;

    explicit TProbe(bool* freed = nullptr) : TNetWndControl(nullptr), FFreed(freed) {}
    ~TProbe() override {
        Dispose();
        if (FFreed) *FFreed = true;
    }

    UINT MsgRelease() const { return FMsgRelease; }
    UINT MsgSecond() const { return FMsgSecond; }
    int Timers = 0;
    int Aborts = 0;

protected:
    int MsgHandlersCount() override { return 2; }
    void AllocateMsgHandlers() override {
        TNetWndControl::AllocateMsgHandlers();
        FMsgSecond = FWndHandler->AllocateMsgHandler(this);
    }
    void FreeMsgHandlers() override {
        FWndHandler->UnregisterMessage(FMsgSecond);
        TNetWndControl::FreeMsgHandlers();
    }
    void WndProc(TMessage& Msg) override {
        if (Msg.Msg == FMsgRelease && Msg.WParam == ThrowFramework)
            throw Exception(L"handler failed");
        if (Msg.Msg == FMsgRelease && Msg.WParam == ThrowOther)
            throw std::runtime_error("not ours");
        TNetWndControl::WndProc(Msg);
    }
    void WMTimer(TMessage& Msg) override {
        ++Timers;
        KillTimer(FHandle, Msg.WParam);
    }
    void AbortComponent() override { ++Aborts; }

private:
    bool* FFreed;
    UINT FMsgSecond = 0;
};

bool ClassRegistered() {
    WNDCLASSW info;
    return GetClassInfoW(GetModuleHandleW(nullptr), L"NetWndControlWindowClass", &info) != 0;
}

TEST_F(NetWndControl, FiftyComponentsShareAWindowAndTheFiftyFirstGetsASecond) {
    std::vector<std::unique_ptr<TProbe>> probes;
    for (int i = 0; i < 51; ++i) {
        probes.push_back(std::make_unique<TProbe>());
        probes.back()->ThreadAttach();
    }
    for (int i = 1; i < 50; ++i) EXPECT_EQ(probes[i]->Handle(), probes[0]->Handle()) << i;
    EXPECT_NE(probes[50]->Handle(), probes[0]->Handle());
    EXPECT_EQ(probes[0]->WndHandler()->MsgLeft(), 0);
    EXPECT_EQ(NetWndWindowCount(), 2);
    EXPECT_EQ(probes[50]->MsgRelease(), 1025u);
    EXPECT_EQ(probes[50]->MsgSecond(), 1026u);
}

TEST_F(NetWndControl, TheLastComponentTakesTheWindowTheListAndTheClassWithIt) {
    {
        TProbe probe;
        probe.ThreadAttach();
        EXPECT_TRUE(ClassRegistered());
        EXPECT_EQ(NetWndHandlerPool().ListCount(), 1);
    }
    EXPECT_EQ(NetWndWindowCount(), 0);
    EXPECT_EQ(NetWndHandlerPool().ListCount(), 0);
    EXPECT_FALSE(ClassRegistered());
}

TEST_F(NetWndControl, AComponentThatNeverNeedsAWindowCreatesNone) {
    {
        TProbe probe;
        EXPECT_FALSE(probe.Attached());
    }
    EXPECT_EQ(NetWndWindowCount(), 0);
    EXPECT_EQ(NetWndHandlerPool().ListCount(), 0);
}

TEST_F(NetWndControl, NumbersFreedByOneComponentAreGivenToTheNext) {
    TProbe first, second;
    first.ThreadAttach();
    second.ThreadAttach();
    const UINT firstRelease = first.MsgRelease();
    first.ThreadDetach();
    TProbe third;
    third.ThreadAttach();
    EXPECT_EQ(third.MsgRelease(), firstRelease);
    EXPECT_EQ(third.Handle(), second.Handle());
}

TEST_F(NetWndControl, ReleaseFreesTheComponentWhenItsThreadHandlesMessages) {
    bool freed = false;
    auto* probe = new TProbe(&freed);
    probe->Release();
    EXPECT_FALSE(freed);
    EXPECT_TRUE(PumpUntil([&] { return freed; }));
    EXPECT_EQ(NetWndWindowCount(), 0);
}

TEST_F(NetWndControl, AReleaseLeftOverFromAFreedComponentSparesTheNextHolderOfItsNumber) {
    TProbe keeper; // keeps the window, so that the posted message stays in the queue
    keeper.ThreadAttach();
    auto* released = new TProbe;
    const UINT number = (released->Release(), released->MsgRelease());
    released->Free();
    bool freed = false;
    auto* successor = new TProbe(&freed);
    successor->ThreadAttach();
    ASSERT_EQ(successor->MsgRelease(), number);
    PumpPending();
    EXPECT_FALSE(freed);
    successor->Free();
}

TEST_F(NetWndControl, AnErrorInTheComponentGoesToOnBgExceptionAndThenToTheAbort) {
    struct TRecorder {
        UnicodeString Message;
        TObject* Sender = nullptr;
        bool AllowClose = true;
        void OnBg(TObject* S, const Exception& E, bool& CanClose) {
            Sender = S;
            Message = E.Message();
            CanClose = AllowClose;
        }
    };
    for (bool allowClose : {true, false}) {
        TRecorder recorder;
        recorder.AllowClose = allowClose;
        TProbe probe;
        probe.ThreadAttach();
        probe.OnBgException = TNetBgExceptionEvent(&recorder, &TRecorder::OnBg);
        SendMessageW(probe.Handle(), probe.MsgRelease(), TProbe::ThrowFramework, 0);
        EXPECT_EQ(recorder.Message, L"handler failed");
        EXPECT_EQ(recorder.Sender, &probe);
        EXPECT_EQ(probe.Aborts, allowClose ? 1 : 0) << "CanClose " << allowClose;
    }
}

TEST_F(NetWndControl, AnErrorOfAnotherKindStopsAtTheWindowProcedure) {
    TSinkCapture sink;
    TProbe probe;
    probe.ThreadAttach();
    SendMessageW(probe.Handle(), probe.MsgRelease(), TProbe::ThrowOther, 0);
    ASSERT_TRUE(TSinkCapture::Last());
    EXPECT_THROW(std::rethrow_exception(TSinkCapture::Last()), std::runtime_error);
    EXPECT_EQ(probe.Aborts, 0);
}

TEST_F(NetWndControl, ATimerWithOneOfTheComponentsNumbersReachesTheComponent) {
    TProbe probe;
    probe.ThreadAttach();
    ASSERT_NE(SetTimer(probe.Handle(), probe.MsgSecond(), 1, nullptr), 0u);
    EXPECT_TRUE(PumpUntil([&] { return probe.Timers > 0; }));
}

TEST_F(NetWndControl, OtherMessagesGoToTheHandlersOnMessageOrTheDefault) {
    struct TRecorder {
        UINT Seen = 0;
        void OnMessage(TMessage& Msg, bool& Handled) {
            Seen = Msg.Msg;
            Msg.Result = 77;
            Handled = Msg.Msg == WM_APP;
        }
    } recorder;
    TProbe probe;
    probe.ThreadAttach();
    probe.WndHandler()->OnMessage = TNetMessageEvent(&recorder, &TRecorder::OnMessage);
    EXPECT_EQ(SendMessageW(probe.Handle(), WM_APP, 0, 0), 77);
    EXPECT_EQ(SendMessageW(probe.Handle(), WM_APP + 1, 0, 0), 0);
    EXPECT_EQ(recorder.Seen, static_cast<UINT>(WM_APP + 1));
}

TEST_F(NetWndControl, ItsMessageLoopsHandlePendingMessagesAndStopAtQuit) {
    for (bool fullLoop : {true, false}) {
        bool freed = false;
        auto* released = new TProbe(&freed);
        TProbe pump;
        released->Release();
        PostQuitMessage(0); // delivered once the queue holds nothing else
        if (fullLoop)
            pump.MessageLoop();
        else
            pump.ProcessMessages();
        EXPECT_TRUE(freed) << "MessageLoop " << fullLoop;
        EXPECT_TRUE(pump.Terminated()) << "MessageLoop " << fullLoop;
    }
}

TEST_F(NetWndControl, AttachAndDetachRefuseTheWrongState) {
    TProbe probe;
    probe.ThreadAttach();
    EXPECT_THROW(probe.ThreadAttach(), ENetException);
    UnicodeString message;
    std::thread([&] {
        try {
            probe.ThreadDetach();
        } catch (const ENetException& E) {
            message = E.Message();
        }
    }).join();
    EXPECT_EQ(message, L"Cannot detach from another thread");
    EXPECT_TRUE(probe.Attached());
}

TEST_F(NetWndControl, EachThreadHasWindowsOfItsOwn) {
    TProbe mine;
    mine.ThreadAttach();
    HWND theirs = nullptr;
    DWORD theirThread = 0;
    std::thread([&] {
        TProbe probe;
        theirs = probe.Handle();
        theirThread = GetWindowThreadProcessId(theirs, nullptr);
        EXPECT_EQ(NetWndHandlerPool().ListCount(), 2);
    }).join();
    EXPECT_NE(mine.Handle(), theirs);
    EXPECT_EQ(GetWindowThreadProcessId(mine.Handle(), nullptr), GetCurrentThreadId());
    EXPECT_NE(theirThread, GetCurrentThreadId());
    EXPECT_EQ(NetWndHandlerPool().ListCount(), 1);
}

struct THandlerCase {
    const char* Name;
    UINT MsgLow;
    int Allocated; // numbers handed out before the call
    UINT Number;   // for Unregister/Register; 0 = first allocated
    int Operation; // 0 allocate, 1 unregister, 2 register
    const wchar_t* Error;
};

class NetWndHandlerCases : public TNetModuleTest,
                           public testing::WithParamInterface<THandlerCase> {};

TEST_P(NetWndHandlerCases, RefuseWithTheirMessage) {
    const THandlerCase& c = GetParam();
    TNetWndHandler handler(nullptr, c.MsgLow);
    TProbe owner;
    for (int i = 0; i < c.Allocated; ++i) handler.AllocateMsgHandler(&owner);
    UINT number = c.Number;
    try {
        if (c.Operation == 0) handler.AllocateMsgHandler(&owner);
        if (c.Operation == 1) handler.UnregisterMessage(number);
        if (c.Operation == 2) handler.RegisterMessage(number, &owner);
        ADD_FAILURE() << "no error";
    } catch (const ENetException& E) {
        EXPECT_EQ(E.Message(), c.Error);
    }
    EXPECT_EQ(handler.MsgCnt(), c.Allocated);
}

INSTANTIATE_TEST_SUITE_P(
    NetWndHandler, NetWndHandlerCases,
    testing::Values(THandlerCase{"Full", 1025, 100, 0, 0, L"No more free message"},
                    THandlerCase{"NoBlockAllocate", 0, 0, 0, 0, L"MsgLow not defined"},
                    THandlerCase{"NoBlockUnregister", 0, 0, 5, 1, L"MsgLow not defined"},
                    THandlerCase{"AboveTheBlock", 1025, 1, 1125, 1, L"Msg value out of bound"},
                    THandlerCase{"BelowTheBlock", 1025, 1, 1024, 1, L"Msg value out of bound"},
                    THandlerCase{"NotRegistered", 1025, 1, 1030, 1, L"Msg not registered"},
                    THandlerCase{"RegisterTaken", 1025, 1, 1025, 2, L"Msg already registered"},
                    THandlerCase{"RegisterOutside", 1025, 0, 1125, 2, L"Msg value out of bound"}),
    [](const testing::TestParamInfo<THandlerCase>& info) { return info.param.Name; });

TEST_F(NetWndControl, TheHandlersWindowLivesExactlyWhileANumberIsInUse) {
    TNetWndHandler handler(nullptr, 1025);
    TProbe owner;
    EXPECT_EQ(handler.Handle(), nullptr);
    UINT number = handler.AllocateMsgHandler(&owner);
    EXPECT_NE(handler.Handle(), nullptr);
    handler.RegisterMessage(1124, &owner);
    UINT last = 1124;
    handler.UnregisterMessage(number);
    EXPECT_EQ(number, 0u);
    EXPECT_NE(handler.Handle(), nullptr);
    handler.UnregisterMessage(last);
    EXPECT_EQ(handler.Handle(), nullptr);
    EXPECT_NO_THROW(handler.UnregisterMessage(number)); // 0: nothing
}

} // namespace
