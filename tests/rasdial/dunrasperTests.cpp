// The traffic counters: on level 3 from the simulated RAS library's statistics of the watched
// connections (slot 1 and the totals in slot 0, a connection that has gone, resets), on level 1
// from a simulated Performance Data Helper, and the level-0 adapter search on a system without
// the dynamic registry.
#include "rasdial/dunrasper.h"

#include "RasComponentFixture.h"
#include "rasdial/dunrascon.h"
#include "rasdial/dunrasstr.h"

#include <memory>

namespace {

class dunrasper : public RasComponentTest {
protected:
    // A connected line of the scenario; hung up by the test.
    HRasConn Dial(const char* script) {
        Script(script);
        FCon = std::make_unique<TDunRasCon>(nullptr);
        FCon->EntryName = "Office";
        HRasConn conn = nullptr;
        EXPECT_EQ(FCon->ConnectEx(conn), 0);
        EXPECT_TRUE(PumpUntil([&] { return FCon->ConnectState() == RASCS_Connected; }));
        return conn;
    }
    std::unique_ptr<TDunRasCon> FCon;
};

// The simulated pdh.dll bound on level 1 for one test.
class dunrasperPdh : public RasComponentTest {
protected:
    dunrasperPdh() : RasComponentTest(RasLevelNT4) {
        PdhApiUnload();
        FPdhPath = FakeRasPath(L"" FAKE_PDH_DIR, L"fakepdh.dll");
        SetPdhLibraryName(FPdhPath.c_str());
        FPdh = LoadLibraryW(FPdhPath.c_str());
    }
    ~dunrasperPdh() override {
        PdhApiUnload();
        SetPdhLibraryName(L"pdh.dll");
        if (FPdh) FreeLibrary(FPdh);
    }
    void Setup(LONGLONG xmitStep, LONGLONG recvStep, LONG addResult, DWORD status) {
        using TSetup = void(WINAPI*)(LONGLONG, LONGLONG, LONG, DWORD);
        const auto setup =
            reinterpret_cast<TSetup>(reinterpret_cast<void*>(GetProcAddress(FPdh, "FakePdhSetup")));
        ASSERT_NE(setup, nullptr);
        setup(xmitStep, recvStep, addResult, status);
    }
    UnicodeString FPdhPath;
    HMODULE FPdh = nullptr;
};

} // namespace

TEST_F(dunrasper, SlotsZeroAndOneFollowTheConnection) {
    const HRasConn conn = Dial("entry Office\ndelay 1\nrate 100000 200000\n");
    TDunRasPer per(nullptr);
    per.ResetPerfStats();
    per.SetPerfRasConn(1, conn);
    Sleep(50);
    ASSERT_TRUE(per.GetPerfStats());
    EXPECT_EQ(per.LastError, 0);
    EXPECT_GT(per.GetPerfXmitCur(1), 0u);
    EXPECT_GT(per.GetPerfRecvCur(1), per.GetPerfXmitCur(1));
    EXPECT_EQ(per.StatsXmit(), per.GetPerfXmitCur(1));
    EXPECT_EQ(per.StatsRecv(), per.GetPerfRecvCur(1));
    EXPECT_EQ(per.GetPerfConnSpd(1), 115200u);
    EXPECT_EQ(per.StatsConn(), 115200u);
    EXPECT_EQ(per.GetPerfPortNam(0), "all");
    EXPECT_EQ(per.GetPerfPortNam(1), "x1");
    EXPECT_EQ(per.TotPorts(), 1);

    // The line goes: the read still answers, the totals drop to 0, slot 1 keeps its values.
    const Cardinal lastSent = per.GetPerfXmitCur(1);
    FCon->IntDisconnectEx(conn);
    EXPECT_TRUE(per.GetPerfStats());
    EXPECT_EQ(per.ErrInfo, per.GetErrorString(6));
    EXPECT_FALSE(per.ErrInfo.empty());
    EXPECT_EQ(per.StatsXmit(), 0u);
    EXPECT_EQ(per.GetPerfXmitCur(1), lastSent);
    EXPECT_EQ(per.TotPorts(), 1);
}

TEST_F(dunrasper, ResetsForgetHandlesAndRestartTheSystemCounters) {
    const HRasConn conn = Dial("entry Office\ndelay 1\nrate 1000000 1000000\n");
    TDunRasPer per(nullptr);
    per.SetPerfRasConn(1, conn);
    per.SetPerfRasConn(1, conn);
    EXPECT_EQ(per.GetPerfRasConn(1), conn);
    Sleep(100);
    ASSERT_TRUE(per.GetPerfStats());
    const Cardinal before = per.GetPerfXmitCur(1);
    ASSERT_GT(before, 0u);

    per.ResetPerfStat(31); // not a slot: nothing changes
    EXPECT_EQ(per.GetPerfXmitCur(1), before);
    per.ResetPerfStat(0); // slot 0 watches no handle: no system counters are cleared
    EXPECT_EQ(per.LastError, 1157);
    per.ResetPerfStat(1);
    EXPECT_EQ(per.LastError, 0);
    EXPECT_EQ(per.GetPerfXmitCur(1), 0u);
    ASSERT_TRUE(per.GetPerfStats());
    EXPECT_LT(per.GetPerfXmitCur(1), before); // counted again from the reset

    per.ResetPerfStats();
    EXPECT_EQ(per.GetPerfRasConn(1), nullptr);
    EXPECT_EQ(per.StatsXmit(), 0u);
    EXPECT_EQ(per.LastError, 1157); // no slot watches a connection
    FCon->IntDisconnectEx(conn);
}

TEST_F(dunrasperPdh, CountersFromThePerformanceDataHelper) {
    ASSERT_NE(FPdh, nullptr);
    Setup(1000, 2000, 0, 0);
    TDunRasPer per(nullptr);
    per.SetUsePDH(true);
    ASSERT_TRUE(per.EnablePerfStats(true, false))
        << std::string(per.ErrInfo.begin(), per.ErrInfo.end());
    const Cardinal sent = per.StatsXmit();
    const Cardinal received = per.StatsRecv();
    EXPECT_GT(sent, 0u);
    ASSERT_TRUE(per.GetPerfStats());
    EXPECT_EQ(per.StatsXmit(), sent + 1000);
    EXPECT_EQ(per.StatsRecv(), received + 2000);

    Setup(1000, 2000, 0, 2); // a counter status other than 0 or 1 ends the read
    ASSERT_TRUE(per.GetPerfStats());
    EXPECT_EQ(per.StatsXmit(), sent + 1000);
    per.SetUsePDH(false);
}

TEST_F(dunrasperPdh, CounterThatCannotBeAddedIsReported) {
    ASSERT_NE(FPdh, nullptr);
    Setup(1000, 2000, static_cast<LONG>(0xC0000BB9), 0);
    TDunRasPer per(nullptr);
    per.SetUsePDH(true);
    EXPECT_FALSE(per.EnablePerfStats(true, false));
    EXPECT_EQ(per.ErrInfo,
              L"Unable to Initialise Performance Data Helper Library (PDH.DLL), ErrCode 0c0000bb9");
    Setup(1000, 2000, 0, 0);
}

TEST_F(dunrasperPdh, MissingHelperLibrary) {
    PdhApiUnload();
    SetPdhLibraryName(MissingLibrary().c_str());
    TDunRasPer per(nullptr);
    per.SetUsePDH(true);
    EXPECT_FALSE(per.EnablePerfStats(true, false));
    EXPECT_EQ(per.ErrInfo, L"Unable to Find Performance Data Helper Library (PDH.DLL)");
    EXPECT_EQ(per.LastError, 1157);
}

TEST(dunrasperLevel0, NoDialUpAdapterOnThisSystem) {
    TFakeRasBinding binding(FullFake(), RasLevelWin9x);
    TDunRasPer per(nullptr);
    EXPECT_FALSE(per.EnablePerfStats(true, true));
    EXPECT_EQ(per.ErrInfo, L"Unable to Locate Win9x Dial-Up Adapter");
    EXPECT_EQ(per.TotAdaptors(), 0);
}
