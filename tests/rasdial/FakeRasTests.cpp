// Dialling through the bound entry points into the simulated RAS library: the scripted states
// reach the notifier in order on the library's thread, errors arrive as notifications, the
// connected line reports its status, address and growing statistics, and an entry record
// written is stored byte for byte. Every record passes the library's size check.
#include "rasdial/dunrasapi.h"

#include "FakeRasFixture.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

constexpr auto NotifyWait = std::chrono::seconds(10); // a guard against a hang, not a timing

struct TNotification {
    DWORD State, Error;
    HRasConn Conn;
    DWORD ThreadId;
};

// What the notifier saw; written on the library's thread, read by the test.
struct TNotifications {
    std::mutex Lock;
    std::condition_variable Changed;
    std::vector<TNotification> Seen; // guarded by Lock

    void Add(const TNotification& seen) {
        {
            std::lock_guard<std::mutex> guard(Lock);
            Seen.push_back(seen);
        }
        Changed.notify_all();
    }
    // Waits for a notification that ends the dial (connected, disconnected or an error).
    std::vector<TNotification> WaitForEnd() {
        std::unique_lock<std::mutex> guard(Lock);
        Changed.wait_for(guard, NotifyWait, [this] {
            return !Seen.empty() &&
                   (Seen.back().State >= RASCS_Connected || Seen.back().Error != 0);
        });
        return Seen;
    }
};

TNotifications* Current = nullptr;

DWORD WINAPI Notifier2(ULONG_PTR, DWORD, HRasConn conn, UINT, DWORD state, DWORD error, DWORD) {
    Current->Add({state, error, conn, GetCurrentThreadId()});
    return 1;
}

void WINAPI Notifier1(HRasConn conn, UINT, DWORD state, DWORD error, DWORD) {
    Current->Add({state, error, conn, GetCurrentThreadId()});
}

class FakeRas : public testing::Test {
protected:
    FakeRas() : FBinding(FullFake()), FControl(FullFake()) { Current = &FSeen; }
    ~FakeRas() override { Current = nullptr; }
    void SetUp() override {
        ASSERT_TRUE(FControl.Loaded()) << "the simulated RAS library did not load";
    }

    void Script(const char* text) { ASSERT_EQ(FControl.SetScript(text), 0) << text; }

    DWORD Dial(const char* entry, DWORD notifierType, HRasConn& conn) {
        TRasDialParamsNT4 params{};
        params.dwSize = RasRecordSize(TRasRecord::DialParams);
        std::strcpy(params.szEntryName, entry);
        std::strcpy(params.szUserName, "user");
        void* notifier = notifierType == 2 ? reinterpret_cast<void*>(Notifier2)
                                           : reinterpret_cast<void*>(Notifier1);
        return RasDialA(nullptr, nullptr, &params, notifierType, notifier, &conn);
    }

    TRasStats Statistics(HRasConn conn) {
        TRasStats stats{};
        stats.dwSize = RasRecordSize(TRasRecord::Stats);
        EXPECT_EQ(RasGetConnectionStatistics(conn, &stats), 0u);
        return stats;
    }

    TFakeRasBinding FBinding;
    TFakeRasControl FControl;
    TNotifications FSeen;
};

} // namespace

TEST_F(FakeRas, DialDeliversEveryScriptedStateInOrderUntilConnected) {
    ASSERT_TRUE(RasApiAvailable());
    Script("entry Office\ndelay 5\n");
    HRasConn conn = nullptr;
    ASSERT_EQ(Dial("Office", RasNotifierFunc2, conn), 0u);
    ASSERT_NE(conn, nullptr);
    const auto seen = FSeen.WaitForEnd();
    std::vector<DWORD> states;
    for (const TNotification& n : seen) {
        states.push_back(n.State);
        EXPECT_EQ(n.Error, 0u);
        EXPECT_EQ(n.Conn, conn);
        EXPECT_NE(n.ThreadId, GetCurrentThreadId());
    }
    const std::vector<DWORD> expected{0, 1, 2,  3,  4,  5,  6,  7,
                                      8, 9, 10, 11, 12, 13, 14, RASCS_Connected};
    EXPECT_EQ(states, expected);

    TRasConnStatusNT4 status{};
    status.dwSize = RasRecordSize(TRasRecord::ConnStatus);
    ASSERT_EQ(RasGetConnectStatusA(conn, &status), 0u);
    EXPECT_EQ(status.rasconnstate, RASCS_Connected);
    EXPECT_EQ(RasHangUpA(conn), 0u);
    EXPECT_EQ(RasGetConnectStatusA(conn, &status), 6u);
}

TEST_F(FakeRas, FailedDialNotifiesTheErrorThroughTheFirstNotifierKind) {
    ASSERT_TRUE(RasApiAvailable());
    Script("entry Office\ndelay 1\nstates 0 1 2 5\nfail 691\n");
    HRasConn conn = nullptr;
    ASSERT_EQ(Dial("Office", RasNotifierFunc1, conn), 0u);
    const auto seen = FSeen.WaitForEnd();
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen.back().State, 5u);
    EXPECT_EQ(seen.back().Error, 691u);
    TRasConnStatusNT4 status{};
    status.dwSize = RasRecordSize(TRasRecord::ConnStatus);
    ASSERT_EQ(RasGetConnectStatusA(conn, &status), 0u);
    EXPECT_EQ(status.dwError, 691u);
    EXPECT_EQ(RasHangUpA(conn), 0u);
}

TEST_F(FakeRas, BadScenarioLinesAreNamed) {
    EXPECT_EQ(FControl.SetScript("delay 5\nstates 0 x\n"), 2);
    EXPECT_EQ(FControl.SetScript("# comment\n\nrate 10\n"), 3);
    EXPECT_EQ(FControl.SetScript("drop 10 sideways\n"), 1);
    EXPECT_EQ(FControl.SetScript("fail 691 extra\n"), 1);
    EXPECT_EQ(FControl.SetScript("teleport\n"), 1);
    EXPECT_EQ(FControl.SetScript("entry My Office  # comment\nlcp 0xC223\n"), 0);
}

TEST_F(FakeRas, DialRefusalsAnswerAtOnce) {
    ASSERT_TRUE(RasApiAvailable());
    Script("entry Office\ndial-result 633\n");
    HRasConn conn = nullptr;
    EXPECT_EQ(Dial("Office", RasNotifierFunc2, conn), 633u);
    Script("entry Office\n");
    EXPECT_EQ(Dial("Nowhere", RasNotifierFunc2, conn), 623u);
    TRasDialParamsNT4 params{};
    params.dwSize = sizeof(TRasDialParamsNT4) - 4; // a wrong record size is refused
    std::strcpy(params.szEntryName, "Office");
    EXPECT_EQ(RasDialA(nullptr, nullptr, &params, 2, reinterpret_cast<void*>(Notifier2), &conn),
              632u);
}

TEST_F(FakeRas, ConnectedLineReportsAddressesAndGrowingStatistics) {
    ASSERT_TRUE(RasApiAvailable());
    Script("entry Office\ndelay 1\nstates 0 14 8192\nrate 100000 200000\nclient-ip 10.9.8.7\n");
    HRasConn conn = nullptr;
    ASSERT_EQ(Dial("Office", RasNotifierFunc2, conn), 0u);
    ASSERT_EQ(FSeen.WaitForEnd().back().State, RASCS_Connected);

    TRasPPPIP ip{};
    ip.dwSize = RasRecordSize(TRasRecord::PppIp);
    DWORD size = sizeof(ip);
    ASSERT_EQ(RasGetProjectionInfoA(conn, RASP_PppIp, &ip, &size), 0u);
    EXPECT_STREQ(ip.szIpAddress, "10.9.8.7");
    TRasPPPLCP lcp{};
    lcp.dwSize = RasRecordSize(TRasRecord::PppLcp);
    size = sizeof(lcp);
    EXPECT_EQ(RasGetProjectionInfoA(conn, RASP_PppLcp, &lcp, &size), 720u); // no LCP scripted

    const TRasStats first = Statistics(conn);
    Sleep(100);
    const TRasStats later = Statistics(conn);
    EXPECT_GT(later.dwBytesXmited, first.dwBytesXmited);
    EXPECT_GT(later.dwBytesRcved, first.dwBytesRcved);
    EXPECT_GT(later.dwBytesRcved, later.dwBytesXmited); // received at twice the rate
    EXPECT_GT(later.dwConnectDuration, first.dwConnectDuration);
    ASSERT_EQ(RasClearConnectionStatistics(conn), 0u);
    EXPECT_LT(Statistics(conn).dwBytesRcved, later.dwBytesRcved);
    EXPECT_EQ(RasHangUpA(conn), 0u);
}

TEST_F(FakeRas, ScriptedDropsShowInTheStatus) {
    ASSERT_TRUE(RasApiAvailable());
    struct TRow {
        const char* Script;
        DWORD StatusResult, State;
    };
    const TRow rows[] = {
        {"entry Office\ndelay 1\nstates 0 8192\ndrop 20 error 6\n", 6, 0},
        {"entry Office\ndelay 1\nstates 0 8192\ndrop 20 state\n", 0, RASCS_Disconnected},
    };
    for (const TRow& row : rows) {
        Script(row.Script);
        FSeen.Seen.clear();
        HRasConn conn = nullptr;
        ASSERT_EQ(Dial("Office", RasNotifierFunc2, conn), 0u);
        FSeen.WaitForEnd();
        TRasConnStatusNT4 status{};
        status.dwSize = RasRecordSize(TRasRecord::ConnStatus);
        DWORD result = 0;
        for (int i = 0; i < 200 && (result = RasGetConnectStatusA(conn, &status)) == 0 &&
                        status.rasconnstate == RASCS_Connected;
             ++i)
            Sleep(10);
        EXPECT_EQ(result, row.StatusResult) << row.Script;
        if (result == 0) {
            EXPECT_EQ(status.rasconnstate, row.State) << row.Script;
        }
        RasHangUpA(conn);
    }
}

TEST_F(FakeRas, ActiveConnectionsAreListed) {
    ASSERT_TRUE(RasApiAvailable());
    Script("entry Office\ndelay 1\nstates 0 8192\n");
    HRasConn conn = nullptr;
    ASSERT_EQ(Dial("Office", RasNotifierFunc2, conn), 0u);
    FSeen.WaitForEnd();
    std::vector<TRasConnWXP> conns(8);
    conns[0].dwSize = RasRecordSize(TRasRecord::Conn);
    DWORD size = static_cast<DWORD>(conns.size() * sizeof(TRasConnWXP)), count = 0;
    ASSERT_EQ(RasEnumConnectionsA(conns.data(), &size, &count), 0u);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(conns[0].rasConn, conn);
    EXPECT_STREQ(conns[0].szEntryName, "Office");
    EXPECT_EQ(RasHangUpA(conn), 0u);
    count = 5;
    ASSERT_EQ(RasEnumConnectionsA(conns.data(), &size, &count), 0u);
    EXPECT_EQ(count, 0u);
}

TEST_F(FakeRas, EntryPropertiesRoundTripByteForByte) {
    ASSERT_TRUE(RasApiAvailable());
    Script("");
    std::vector<Byte> buffer(RasEntryBufferSize);
    auto* entry = reinterpret_cast<TRasEntryWXP*>(buffer.data());
    entry->dwSize = RasRecordSize(TRasRecord::Entry);
    entry->dwfOptions = 0x18;
    entry->dwCountryCode = 86;
    std::strcpy(entry->szLocalPhoneNumber, "vpn.example.test");
    std::strcpy(entry->szDeviceType, "vpn");
    std::strcpy(entry->szDeviceName, "WAN Miniport (PPTP)");
    entry->dwType = 2;
    entry->dwVpnStrategy = 1;
    entry->dwRedialCount = 3;
    const DWORD written = sizeof(TRasEntryWXP);
    ASSERT_EQ(RasSetEntryPropertiesA(nullptr, "Office", entry, written, nullptr, 0), 0u);

    const std::string recorded = FControl.LastEntryBytes();
    ASSERT_EQ(recorded.size(), written);
    EXPECT_EQ(std::memcmp(recorded.data(), buffer.data(), written), 0);
    EXPECT_EQ(
        *reinterpret_cast<const DWORD*>(recorded.data() + offsetof(TRasEntryWXP, dwVpnStrategy)),
        1u);
    EXPECT_EQ(
        *reinterpret_cast<const DWORD*>(recorded.data() + offsetof(TRasEntryWXP, dwRedialCount)),
        3u);

    std::vector<Byte> back(RasEntryBufferSize);
    reinterpret_cast<TRasEntryWXP*>(back.data())->dwSize = RasRecordSize(TRasRecord::Entry);
    DWORD size = 0, deviceSize = 0;
    EXPECT_EQ(RasGetEntryPropertiesA(nullptr, "office", nullptr, &size, nullptr, &deviceSize),
              603u);
    EXPECT_EQ(size, written);
    ASSERT_EQ(RasGetEntryPropertiesA(nullptr, "office",
                                     reinterpret_cast<TRasEntryWXP*>(back.data()), &size, nullptr,
                                     &deviceSize),
              0u);
    EXPECT_EQ(std::memcmp(back.data(), buffer.data(), written), 0);
    EXPECT_EQ(RasValidateEntryNameA(nullptr, "Office"), 183u);
    EXPECT_EQ(RasValidateEntryNameA(nullptr, "Home"), 0u);
}

TEST_F(FakeRas, CredentialsKeepWhatTheMaskNames) {
    ASSERT_TRUE(RasApiAvailable());
    Script("entry Office\n");
    TRasCredentials stored{};
    stored.dwSize = RasRecordSize(TRasRecord::Credentials);
    stored.dwMask = RASCM_UserName | RASCM_Domain;
    std::strcpy(stored.szUserName, "alice");
    std::strcpy(stored.szPassword, "not stored");
    std::strcpy(stored.szDomain, "home");
    ASSERT_EQ(RasSetCredentialsA(nullptr, "Office", &stored, FALSE), 0u);
    TRasCredentials read{};
    read.dwSize = RasRecordSize(TRasRecord::Credentials);
    read.dwMask = RASCM_UserName | RASCM_Password | RASCM_Domain;
    ASSERT_EQ(RasGetCredentialsA(nullptr, "Office", &read), 0u);
    EXPECT_EQ(read.dwMask, RASCM_UserName | RASCM_Domain);
    EXPECT_STREQ(read.szUserName, "alice");
    EXPECT_STREQ(read.szPassword, "");
    EXPECT_STREQ(read.szDomain, "home");
    EXPECT_EQ(RasGetCredentialsA(nullptr, "Elsewhere", &read), 623u);
}

TEST_F(FakeRas, EveryRecordSizeOfTheLibraryIsAccepted) {
    ASSERT_TRUE(RasApiAvailable());
    Script("entry Office\n");
    TRasDevInfo devices[4] = {};
    devices[0].dwSize = RasRecordSize(TRasRecord::DevInfo);
    DWORD size = sizeof(devices), count = 0;
    EXPECT_EQ(RasEnumDevicesA(devices, &size, &count), 0u);
    EXPECT_EQ(count, 3u);
    std::vector<TRasEntryNameW2K> names(2);
    names[0].dwSize = RasRecordSize(TRasRecord::EntryName);
    size = static_cast<DWORD>(names.size() * sizeof(TRasEntryNameW2K));
    EXPECT_EQ(RasEnumEntriesA(nullptr, nullptr, names.data(), &size, &count), 0u);
    EXPECT_EQ(count, 1u);
    std::vector<Byte> country(RasCtryInfoBufferSize);
    auto* info = reinterpret_cast<TRasCtryInfo*>(country.data());
    info->dwSize = RasRecordSize(TRasRecord::CtryInfo);
    info->dwCountryID = 86;
    size = static_cast<DWORD>(country.size());
    ASSERT_EQ(RasGetCountryInfoA(info, &size), 0u);
    EXPECT_EQ(info->dwCountryCode, 86u);
    EXPECT_STREQ(reinterpret_cast<const char*>(country.data() + info->dwCountryNameOffset),
                 "China");
    TRasDialParamsNT4 params{};
    params.dwSize = RasRecordSize(TRasRecord::DialParams);
    std::strcpy(params.szEntryName, "Office");
    BOOL password = TRUE;
    EXPECT_EQ(RasGetEntryDialParamsA(nullptr, &params, &password), 0u);
    EXPECT_FALSE(password);
}

namespace {

// Names a scenario file in the environment while the simulated library is not loaded, so that
// its next load reads it.
class TScenarioFile {
public:
    explicit TScenarioFile(const std::string& text) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        FPath =
            UnicodeString(temp) + L"fake-ras-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
        HANDLE file =
            CreateFileW(FPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
        SetEnvironmentVariableW(L"FAKE_RAS_SCENARIO", FPath.c_str());
    }
    TScenarioFile(const TScenarioFile&) = delete;
    TScenarioFile& operator=(const TScenarioFile&) = delete;
    ~TScenarioFile() {
        SetEnvironmentVariableW(L"FAKE_RAS_SCENARIO", nullptr);
        DeleteFileW(FPath.c_str());
    }

private:
    UnicodeString FPath;
};

DWORD DialWithoutNotifier(const char* entry) {
    TRasDialParamsNT4 params{};
    params.dwSize = RasRecordSize(TRasRecord::DialParams);
    std::strcpy(params.szEntryName, entry);
    HRasConn conn = nullptr;
    const DWORD result = RasDialA(nullptr, nullptr, &params, 0, nullptr, &conn);
    if (conn) RasHangUpA(conn);
    return result;
}

} // namespace

TEST(FakeRasScenario, ProgramsNameTheirScenarioInTheEnvironment) {
    struct TRow {
        const char* Text;
        DWORD DialResult;
    };
    const TRow rows[] = {
        {"entry Branch Office\ndelay 1\nstates 0 8192\n", 0},
        {"entry Branch Office\ndelay 1\nstates 0 5\nfail 930\n", 930},
        {"entry Branch Office\ndial-result 756\n", 756},
        {"entry Branch Office\nspeed 9600\n", ERROR_INVALID_DATA}, // a bad line fails every dial
    };
    for (const TRow& row : rows) {
        TScenarioFile scenario(row.Text);
        TFakeRasBinding binding(FullFake());
        ASSERT_TRUE(RasApiAvailable());
        EXPECT_EQ(DialWithoutNotifier("Branch Office"), row.DialResult) << row.Text;
    }
}
