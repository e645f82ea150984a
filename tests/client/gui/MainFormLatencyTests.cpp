// The batch latency test of the main window, in process: real echoes to loopback lines, the
// scripted ICMP library for what loopback never gives (losses, time-outs, long round trips),
// a whole paced pass, clearing the view while echoes are on their way, and stopping and
// starting again. Every address is on 127.0.0.0/8.
#include "LatencyTesting.h"

#include "FakeIcmp.h"

#include "framework/Conversions.h"
#include "support/KitThreadPool/KitThreadPool.h"

#include <ipexport.h>

#include <string>

namespace {

// Names never reach the system's resolver here: every name fails.
hostent* WSAAPI ResolveNothing(const char*) { return nullptr; }

struct TNoResolver {
    TNoResolver() : FSaved(IcmpBinder().GetHostByName) {
        IcmpBinder().GetHostByName = &ResolveNothing;
    }
    ~TNoResolver() { IcmpBinder().GetHostByName = FSaved; }
    decltype(TIcmpBinder::GetHostByName) FSaved;
};

bool IsDelay(const UnicodeString& text) {
    Integer value = 0;
    return TryStrToInt(text, value) && value >= 0;
}

class MainFormLatency : public LatencyFixture {
protected:
    void ClickBatch() { Form->btn_speed->OnClick(Form->btn_speed); }
    std::vector<UnicodeString> Delays() const {
        std::vector<UnicodeString> delays;
        for (const ps* row : Rows()) delays.push_back(row->delay);
        return delays;
    }
};

TEST_F(MainFormLatency, AnEmptyLineBoxStartsNothing) {
    const UnicodeString caption = Form->btn_speed->Caption();
    ClickBatch();
    EXPECT_FALSE(speed_running);
    EXPECT_EQ(Form->btn_speed->Caption(), caption);
    EXPECT_FALSE(Form->Timer1->Enabled());
}

TEST_F(MainFormLatency, LoopbackLinesAnswerAndTheLineThatDoesNotResolveStaysLast) {
    TNoResolver resolver;
    AddLines({{L"Nowhere", L"nowhere.invalid"},
              {L"One", L"127.0.0.1"},
              {L"Two", L"127.0.0.2"},
              {L"Three", L"127.0.0.3"}});
    ClickBatch();
    EXPECT_TRUE(speed_running);
    EXPECT_EQ(Form->btn_speed->Caption(), L"Pause Speed");
    EXPECT_TRUE(Form->Timer1->Enabled());
    ASSERT_TRUE(HandleUntil([&] {
        return Rows().back()->name == L"Nowhere" && IsDelay(Rows()[2]->delay);
    })) << Described();
    const std::vector<const ps*> rows = Rows();
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(IsDelay(rows[i]->delay)) << rows[i]->name;
        EXPECT_EQ(rows[i]->losttimes, 0) << rows[i]->name;
    }
    EXPECT_EQ(rows[3]->delay, L"NA");
    EXPECT_EQ(rows[3]->losttimes, 0);
    const UnicodeString counters = Form->lbl_info->Caption();
    EXPECT_NE(Pos(L"/", counters), 0) << counters;
    EXPECT_NE(counters, L"PNA/PNA");

    ClickBatch();
    EXPECT_FALSE(speed_running);
    EXPECT_EQ(Form->btn_speed->Caption(), L"Bat Speed");
    EXPECT_FALSE(Form->Timer1->Enabled());
    EXPECT_TRUE(HandleUntil([&] { return Form->lbl_info->Caption() == L"PNA/PNA"; }));
}

TEST_F(MainFormLatency, LossesTimeOutsAndLongRoundTripsFromTheScriptedLibrary) {
    lang_code = LangSimplified;
    TFakeIcmp fake;
    struct Case {
        const char* Address;
        DWORD Status;
        DWORD RoundTrip;
        DWORD Lost;
        const wchar_t* Delay;
    };
    const Case cases[] = {
        {"127.0.0.11", IP_SUCCESS, 100, 0, L"90"},
        {"127.0.0.12", IP_SUCCESS, 1, 0, L"0"},
        {"127.0.0.13", IP_SUCCESS, 7, 0, L"6"},
        {"127.0.0.14", IP_SUCCESS, 260, 0, L"234"},
        {"127.0.0.15", IP_SUCCESS, 400, 0, L"360"},
        {"127.0.0.16", IP_DEST_HOST_UNREACHABLE, 0, 0, L"禁ping"},
        {"127.0.0.17", IP_SUCCESS, 10, 1000, L"禁ping"}, // every echo lost: the time-out
    };
    std::vector<std::wstring> names, addresses;
    for (const Case& c : cases) {
        fake.Script(c.Address, c.Status, c.RoundTrip, c.Lost);
        addresses.push_back(std::wstring(c.Address, c.Address + strlen(c.Address)));
        names.push_back(L"L" + addresses.back());
    }
    std::vector<TTestLine> lines;
    for (std::size_t i = std::size(cases); i-- > 0;) // measured in the reverse of sorted order
        lines.push_back({names[i].c_str(), addresses[i].c_str()});
    AddLines(lines);
    ClickBatch();
    EXPECT_EQ(Form->btn_speed->Caption(), L"暂停测速");
    ASSERT_TRUE(HandleUntil([&] { return AllMeasured() && Rows().front()->delay == L"0"; }))
        << Described();
    ClickBatch();
    const std::vector<const ps*> rows = Rows();
    const wchar_t* sorted[] = {L"0", L"6", L"90", L"234", L"360"};
    for (std::size_t i = 0; i < std::size(sorted); ++i) {
        EXPECT_EQ(rows[i]->delay, sorted[i]) << i;
        EXPECT_EQ(rows[i]->losttimes, 0) << i;
    }
    for (std::size_t i = std::size(sorted); i < rows.size(); ++i) {
        EXPECT_EQ(rows[i]->delay, L"禁ping") << rows[i]->name;
        EXPECT_GE(rows[i]->losttimes, 1) << rows[i]->name;
    }
    EXPECT_EQ(Form->btn_speed->Caption(), L"批量测速");
}

TEST_F(MainFormLatency, APacedPassOverTwoHundredLinesMeasuresEveryLine) {
    TFakeIcmp fake;
    std::vector<std::wstring> names, addresses;
    for (int i = 0; i < 200; ++i) {
        const std::string address = "127.0.1." + std::to_string(i + 1);
        fake.Script(address.c_str(), IP_SUCCESS, static_cast<DWORD>((i * 37) % 500));
        addresses.push_back(std::wstring(address.begin(), address.end()));
        names.push_back(L"Line " + std::to_wstring(i));
    }
    std::vector<TTestLine> lines;
    for (std::size_t i = 0; i < names.size(); ++i)
        lines.push_back({names[i].c_str(), addresses[i].c_str()});
    AddLines(lines);
    ClickBatch();
    ASSERT_TRUE(HandleUntil([&] { return AllMeasured(); })) << Described();
    EXPECT_GE(Form->tp1->ThreadCount(), 10);
    EXPECT_LE(Form->tp1->ThreadCount(), 40);
    ClickBatch(); // the stop sorts
    const std::vector<const ps*> rows = Rows();
    for (std::size_t i = 1; i < rows.size(); ++i)
        EXPECT_LE(StrToInt(rows[i - 1]->delay), StrToInt(rows[i]->delay)) << i;
}

// The echoes of the first lines are answered while this thread hands nothing over; the view is
// then cleared and refilled, so the new rows may sit in the old rows' memory. The old answers
// (900) must never show in the new rows (18).
TEST_F(MainFormLatency, ClearingTheViewMidTestWritesNothingIntoTheFreedRows) {
    TFakeIcmp fake;
    fake.Script("127.0.0.21", IP_SUCCESS, 1000);
    fake.Script("127.0.0.22", IP_SUCCESS, 1000);
    fake.Script("127.0.0.23", IP_SUCCESS, 20);
    fake.Script("127.0.0.24", IP_SUCCESS, 20);
    AddLines({{L"Old 1", L"127.0.0.21"}, {L"Old 2", L"127.0.0.22"}});
    ClickBatch();
    while (fake.EchoCount("127.0.0.22") == 0) Sleep(5);
    Sleep(100); // the second answer reaches the hand-over queue
    Tree()->Clear();
    AddLines({{L"New 1", L"127.0.0.23"}, {L"New 2", L"127.0.0.24"}});
    ASSERT_TRUE(HandleUntil([&] { return AllMeasured(); })) << Described();
    for (const ps* row : Rows()) EXPECT_EQ(row->delay, L"18") << row->name;
    // The window goes with the test still running.
}

// Starting again before the feeder has seen the stop lets the old feeder go on; starting again
// after it has left starts a new one. Either way echoes go on being sent and written.
TEST_F(MainFormLatency, StoppingAndStartingAgainGoesOn) {
    TFakeIcmp fake;
    fake.Script("127.0.0.31", IP_SUCCESS, 50);
    AddLines({{L"Line", L"127.0.0.31"}});
    for (const bool waitForFeeder : {false, true}) {
        ClickBatch();
        ASSERT_TRUE(HandleUntil([&] { return AllMeasured(); })) << waitForFeeder;
        ClickBatch();
        if (waitForFeeder) {
            ASSERT_TRUE(HandleUntil([&] { return Form->lbl_info->Caption() == L"PNA/PNA"; }))
                << Described() << " running " << Form->pingthread->OneThreadIsRunning();
        }
        ClickBatch();
        EXPECT_TRUE(speed_running);
        const DWORD sent = fake.EchoCount("127.0.0.31");
        Tree()->GetNodeData<ps>(Tree()->GetFirst())->delay.clear();
        EXPECT_TRUE(HandleUntil([&] { return fake.EchoCount("127.0.0.31") > sent + 2; }))
            << waitForFeeder;
        EXPECT_TRUE(HandleUntil([&] { return Rows()[0]->delay == L"45"; })) << waitForFeeder;
        ClickBatch();
    }
}

// A stop at once after the start terminates a feeder that may not have begun: it either begins,
// sees the stop and leaves, or ends without beginning; either way a later start measures again.
TEST_F(MainFormLatency, AStopRightAfterTheStartLeavesNoFeederBehind) {
    TFakeIcmp fake;
    fake.Script("127.0.0.41", IP_SUCCESS, 30);
    AddLines({{L"Line", L"127.0.0.41"}});
    ClickBatch();
    ClickBatch();
    ASSERT_TRUE(HandleUntil([&] { return Form->pingthread->Count() == 0; })) << Described();
    ClickBatch();
    EXPECT_TRUE(HandleUntil([&] { return Rows()[0]->delay == L"27"; })) << Described();
}

// The same stop made deterministic: the feeder's run is held before it begins, so the stop's
// terminate ends it without entering its loop. The claim it held must not outlive it, and the
// counters the running test showed go back to idle all the same.
TEST_F(MainFormLatency, AFeederTerminatedBeforeItBeganDoesNotHoldTheNextStart) {
    TFakeIcmp fake;
    fake.Script("127.0.0.42", IP_SUCCESS, 40);
    AddLines({{L"Line", L"127.0.0.42"}});
    Form->pingthread->SetRunOnCreate(false);
    ClickBatch();
    Form->lbl_info->SetCaption(L"0/1"); // as the counters' timer shows them while running
    ClickBatch();
    ASSERT_TRUE(HandleUntil([&] { return Form->pingthread->Count() == 0; })) << Described();
    EXPECT_EQ(fake.EchoCount("127.0.0.42"), 0u) << "the held run never fed";
    EXPECT_TRUE(HandleUntil([&] { return Form->lbl_info->Caption() == L"PNA/PNA"; }));
    Form->pingthread->SetRunOnCreate(true);
    ClickBatch();
    EXPECT_TRUE(HandleUntil([&] { return Rows()[0]->delay == L"36"; })) << Described();
}

} // namespace
