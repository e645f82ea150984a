// The dialling component against the simulated RAS library: a dial followed to connected with
// every state recorded on the RAS thread and posted to the GUI thread, a refused dial, hanging
// up with its wait, credentials, status texts, the connection list, projections, the ring of
// state records, the registration of the active component and the phonebook operations.
#include "rasdial/dunrascon.h"

#include "RasComponentFixture.h"
#include "framework/ExceptionBoundary.h"
#include "framework/Exceptions.h"
#include "framework/TextEncoding.h"
#include "rasdial/dunrasent.h"
#include "rasdial/dunrasstr.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// What the handlers saw. OnStateChanged runs on the RAS thread, OnStateEvent on ours.
class TStateRecorder : public TObject {
public:
    std::mutex Lock;
    std::vector<Integer> Changed;      // guarded by Lock
    std::vector<DWORD> ChangedThreads; // guarded by Lock
    std::vector<TRasStateRec> Posted;  // GUI thread only
    std::vector<DWORD> PostedThreads;  // GUI thread only

    void OnStateChanged(TObject* Sender) {
        const Integer state = static_cast<TDunRasCon*>(Sender)->ConnectState();
        std::lock_guard<std::mutex> guard(Lock);
        Changed.push_back(state);
        ChangedThreads.push_back(GetCurrentThreadId());
    }
    void OnStateEvent(TObject*, const TRasStateRec& rec) {
        Posted.push_back(rec);
        PostedThreads.push_back(GetCurrentThreadId());
    }
    std::vector<Integer> ChangedStates() {
        std::lock_guard<std::mutex> guard(Lock);
        return Changed;
    }
};

class dunrascon : public RasComponentTest {
protected:
    std::unique_ptr<TDunRasCon> NewCon() {
        auto con = std::make_unique<TDunRasCon>(nullptr);
        con->OnStateChanged = TNotifyEvent(&FRecorder, &TStateRecorder::OnStateChanged);
        con->OnStateEvent = TStateEvent(&FRecorder, &TStateRecorder::OnStateEvent);
        return con;
    }
    // Dials `entry` and pumps until the dial has ended (connected or an error).
    HRasConn DialToEnd(TDunRasCon& con, const char* entry) {
        con.EntryName = entry;
        HRasConn conn = nullptr;
        EXPECT_EQ(con.ConnectEx(conn), 0);
        EXPECT_NE(conn, nullptr);
        EXPECT_TRUE(PumpUntil(
            [&] { return con.ConnectState() == RASCS_Connected || con.ConnectState() > 600; }));
        return conn;
    }

    TStateRecorder FRecorder;
};

const std::vector<Integer> AllStates{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 8192};

} // namespace

TEST_F(dunrascon, DialToConnectedRecordsAndPostsEveryState) {
    Script("entry Office\ndelay 2\n");
    auto con = NewCon();
    const HRasConn conn = DialToEnd(*con, "Office");
    ASSERT_TRUE(PumpUntil([&] { return FRecorder.Posted.size() >= AllStates.size(); }));

    EXPECT_EQ(FRecorder.ChangedStates(), AllStates);
    for (DWORD thread : FRecorder.ChangedThreads) EXPECT_NE(thread, GetCurrentThreadId());
    std::vector<Integer> posted;
    for (const TRasStateRec& rec : FRecorder.Posted) {
        posted.push_back(rec.ConnectState);
        EXPECT_EQ(rec.StateRasConn, conn);
        EXPECT_EQ(rec.StateEventSource, SourceDial);
        EXPECT_EQ(rec.StatusStr,
                  RasMessText(rec.ConnectState, [](Integer) { return UnicodeString(); }));
    }
    EXPECT_EQ(posted, AllStates);
    for (DWORD thread : FRecorder.PostedThreads) EXPECT_EQ(thread, GetCurrentThreadId());
    EXPECT_EQ(con->StatusStr(), L"Connected/Online");
    EXPECT_EQ(con->LastError(), 0);
    EXPECT_EQ(con->StateRasConn(), conn);
    EXPECT_EQ(con->DisconnectEx(conn, 0, false, 3000), 0);
}

TEST_F(dunrascon, RefusedPasswordLeavesTheErrorAndItsText) {
    Script("entry Office\ndelay 1\nstates 0 1 2 3 4 5\nfail 691\n");
    auto con = NewCon();
    const HRasConn conn = DialToEnd(*con, "Office");
    EXPECT_EQ(con->ConnectState(), 691);
    EXPECT_EQ(con->LastError(), 691);
    EXPECT_EQ(con->ConnectError(), 691);
    EXPECT_EQ(con->StatusStr(), L"The user name or password was refused by the remote server.");
    con->DisconnectEx(conn, 0, false, 0);
}

// Every write of the recorded state is checked against the table of allowed transitions: a
// whole cycle (states out of order and a code no table names, connected, a status query, a
// hang-up with its wait, a redial that fails) passes, on the RAS thread too, where a failed
// check would reach the boundary's sink.
TEST_F(dunrascon, EveryStateOfADialCycleIsAnAllowedTransition) {
    static std::atomic<int> reports{0};
    reports = 0;
    const TBoundaryExceptionSink previous =
        SetBoundaryExceptionSink([](std::exception_ptr) noexcept { ++reports; });
    auto con = NewCon();
    Script("entry Office\ndelay 1\nstates 0 1 5 3 77 2 8192\nhangup-delay 100\n");
    const HRasConn conn = DialToEnd(*con, "Office");
    EXPECT_EQ(con->ConnectState(), RASCS_Connected);
    EXPECT_NO_THROW(con->CurrentStatusEx(conn, 0));
    EXPECT_NO_THROW(con->DisconnectEx(conn, 0, true, 3000));
    Script("entry Office\ndelay 1\nstates 0 1 2\nfail 691\n");
    const HRasConn failed = DialToEnd(*con, "Office");
    EXPECT_EQ(con->ConnectState(), 691);
    EXPECT_NO_THROW(con->DisconnectEx(failed, 0, false, 0));
    SetBoundaryExceptionSink(previous);
    EXPECT_EQ(reports, 0);
    const std::vector<Integer> changed = FRecorder.ChangedStates();
    EXPECT_NE(std::find(changed.begin(), changed.end(), 77), changed.end()); // recorded as it came
}

// The table refuses what no writer does: the component's own writes are fixed, and an error
// never records the value of a dial's start.
TEST(dunrasconStates, TheTableRefusesTransitionsNoWriterMakes) {
    struct TCase {
        TRasStateWriter Writer;
        Word From, To;
        bool Allowed;
    };
    const TCase cases[] = {
        {TRasStateWriter::DialStart, 691, 0, true},
        {TRasStateWriter::HangUp, 8192, 0, true},
        {TRasStateWriter::StatusQuery, 5, 601, true},
        {TRasStateWriter::StatusReply, 601, 8193, true},
        {TRasStateWriter::Notified, 8192, 3, true},    // whatever the system reports
        {TRasStateWriter::Notified, 691, 60000, true}, // a value no table names
        {TRasStateWriter::NotifiedError, 8192, 691, true},
        {TRasStateWriter::HangUp, 8192, 8193, false}, // a hang-up records 0 itself
        {TRasStateWriter::DialStart, 0, 5, false},
        {TRasStateWriter::StatusQuery, 8192, 8192, false},
        {TRasStateWriter::NotifiedError, 5, 0, false}, // would read as a new dial
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.Writer)) + ": " + std::to_string(c.From) +
                     " -> " + std::to_string(c.To));
        if (c.Allowed)
            EXPECT_NO_THROW(CheckRasStateChange(c.Writer, c.From, c.To));
        else
            EXPECT_THROW(CheckRasStateChange(c.Writer, c.From, c.To), EAssertionFailed);
    }
}

TEST_F(dunrascon, DialWithoutTheLibraryAnswers1157) {
    TFakeRasBinding missing(MissingLibrary());
    auto con = NewCon();
    con->EntryName = "Office";
    HRasConn conn = reinterpret_cast<HRasConn>(1);
    EXPECT_EQ(con->ConnectEx(conn), 1157);
    EXPECT_EQ(conn, nullptr);
    EXPECT_EQ(con->LastError(), 1157);
}

TEST_F(dunrascon, RefusedDialKeepsTheCodeAndItsText) {
    Script("entry Office\ndial-result 633\n");
    auto con = NewCon();
    con->EntryName = "Office";
    HRasConn conn = nullptr;
    EXPECT_EQ(con->ConnectEx(conn), 633);
    EXPECT_EQ(con->LastError(), 633);
    EXPECT_EQ(con->StatusStr(), L"The device is already in use or not set up for dialling out.");
}

TEST_F(dunrascon, DisconnectWaitsUntilTheLineIsGone) {
    struct TCase {
        const char* Script;
        Cardinal WaitMs;
        std::vector<Integer> Posted; // one record per state change seen while waiting
    };
    const TCase cases[] = {
        {"entry Office\ndelay 1\n", 3000, {601}},                          // status fails at once
        {"entry Office\ndelay 1\nhangup-delay 300\n", 3000, {8192, 8193}}, // disconnected state
        {"entry Office\ndelay 1\nhangup-delay 60000\n", 150, {8192}},      // the wait runs out
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Script);
        Script(c.Script);
        FRecorder.Posted.clear();
        auto con = NewCon();
        const HRasConn conn = DialToEnd(*con, "Office");
        PumpUntil([&] { return FRecorder.Posted.size() >= AllStates.size(); });
        FRecorder.Posted.clear();
        EXPECT_EQ(con->DisconnectEx(conn, 0, true, c.WaitMs), 0);
        PumpUntil([&] { return FRecorder.Posted.size() >= c.Posted.size(); });
        std::vector<Integer> posted;
        for (const TRasStateRec& rec : FRecorder.Posted) {
            posted.push_back(rec.ConnectState);
            EXPECT_EQ(rec.StateEventSource, SourceHangup);
        }
        EXPECT_EQ(posted, c.Posted);
        EXPECT_EQ(con->ConnectState(), c.Posted.back());
    }
}

TEST_F(dunrascon, DisconnectOfNoHandleAnswers6AtOnce) {
    auto con = NewCon();
    EXPECT_EQ(con->DisconnectEx(nullptr, 0, true, 3000), 6);
    EXPECT_EQ(con->ConnectState(), 0);
    EXPECT_EQ(con->LeaveOpen(), 6);
}

TEST_F(dunrascon, CredentialsRoundTrip) {
    Script("entry Office\n");
    auto con = NewCon();
    con->EntryName = "Office";
    con->UserName = "alice";
    con->Password = "secret";
    con->Domain = "CORP";
    ASSERT_EQ(con->SetDialParams(), 0);
    ASSERT_EQ(con->GetDialParams(), 0);
    EXPECT_EQ(con->UserName, "alice");
    EXPECT_EQ(con->Password, "secret");
    EXPECT_EQ(con->Domain, "CORP");
    EXPECT_EQ(con->PasswordFlag, 1);

    Script("entry Office\n"); // a fresh store: nothing but the user name goes in
    con->UserName = "bob";
    con->Password.clear();
    con->Domain.clear();
    con->PasswordFlag = 0;
    ASSERT_EQ(con->SetDialParams(), 0);
    ASSERT_EQ(con->GetDialParams(), 0);
    EXPECT_EQ(con->UserName, "bob");
    EXPECT_EQ(con->Password, "");
    EXPECT_EQ(con->PasswordFlag, 0);

    con->EntryName = "Missing";
    EXPECT_EQ(con->GetDialParams(), 623);
    EXPECT_EQ(con->StatusStr(), L"The phonebook entry was not found.");
}

TEST_F(dunrascon, StateRingIsOverwrittenInOrder) {
    auto con = NewCon();
    for (Integer i = 1; i <= RasStateRingSize + 1; ++i) con->CurrentStatusEx(nullptr, i);
    EXPECT_EQ(con->StateRecNext(), 2);
    EXPECT_EQ(con->StateRec(1).StateSubEntry, 17);
    EXPECT_EQ(con->StateRec(2).StateSubEntry, 2);
    ASSERT_TRUE(PumpUntil([&] { return FRecorder.Posted.size() >= 17u; }));
    std::vector<Integer> seen;
    for (const TRasStateRec& rec : FRecorder.Posted) seen.push_back(rec.StateSubEntry);
    const std::vector<Integer> expected{17, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
    EXPECT_EQ(seen, expected); // the first message finds its slot rewritten by the seventeenth push
}

TEST_F(dunrascon, StatusTexts) {
    Script("entry Office\ndelay 1\n");
    auto con = NewCon();
    EXPECT_EQ(con->CurrentStatusEx(nullptr, 0), L"The connection handle is not valid.");
    EXPECT_EQ(con->ConnectState(), 601);
    const HRasConn conn = DialToEnd(*con, "Office");
    EXPECT_EQ(con->CurrentStatusEx(conn, 0), L"Connected/Online");
    EXPECT_EQ(con->ConnectState(), 8192);
    EXPECT_EQ(con->CurDevName(), "WAN Miniport (PPTP)");
    EXPECT_EQ(con->StateEventSource(), SourceStatus);
    con->IntDisconnectEx(conn);
    EXPECT_EQ(con->CurrentStatusEx(conn, 0), L"Disconnected"); // the handle is gone: code 6
    EXPECT_EQ(con->ConnectState(), 601);
}

TEST_F(dunrascon, ConnectionListFollowsTheActiveLines) {
    Script("entry Office\ndelay 1\n");
    auto con = NewCon();
    EXPECT_EQ(con->GetConnection(), "");
    EXPECT_EQ(con->NumConns, 0u);
    EXPECT_EQ(con->LastError(), 0);

    const HRasConn conn = DialToEnd(*con, "Office");
    EXPECT_EQ(con->GetConnection(), "Office");
    EXPECT_EQ(con->CurRasConn, conn);
    EXPECT_EQ(con->CurDevType(), "vpn");
    EXPECT_EQ(con->GetConnections(), 0);
    EXPECT_TRUE(con->ConnChangedFlag);
    EXPECT_EQ(con->GetConnections(), 0);
    EXPECT_FALSE(con->ConnChangedFlag);
    ASSERT_EQ(con->Connections()->Count(), 1);
    EXPECT_EQ(con->Connections()->RasConn(0), conn);
    EXPECT_EQ(con->Connections()->EntryName(0), "Office");
    EXPECT_EQ(con->Connections()->DeviceType(0), "vpn");
    EXPECT_EQ(con->Connections()->RasConn(1), nullptr);
    EXPECT_EQ(con->Connections()->EntryName(-1), "");

    con->IntDisconnectEx(conn);
    EXPECT_EQ(con->GetConnections(), 0);
    EXPECT_TRUE(con->ConnChangedFlag);
    EXPECT_EQ(con->Connections()->Count(), 0);
}

TEST_F(dunrascon, ProjectionReportsAddressesAndProtocol) {
    struct TCase {
        const char* Script;
        Integer Result;
        const char* Protocol;
        const char* ClientIP;
    };
    const TCase cases[] = {
        {"entry Office\ndelay 1\nclient-ip 10.9.8.7\n", 0, "PPP ",
         "10.9.8.7"}, // no LCP: the IP code
        {"entry Office\ndelay 1\nlcp 0xC223\n", 0, "PPP CHAP ", "10.64.0.2"},
        {"entry Office\ndelay 1\nlcp 0xC223\nip-error 720\n", 720, "CHAP ",
         ""}, // no address: its error
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Script);
        Script(c.Script);
        auto con = NewCon();
        const HRasConn conn = DialToEnd(*con, "Office");
        EXPECT_EQ(con->GetProtocolEx(conn), c.Result);
        EXPECT_EQ(con->LastError(), c.Result);
        EXPECT_EQ(con->ConnProtocol, c.Protocol);
        EXPECT_EQ(con->ClientIP, c.ClientIP);
        con->IntDisconnectEx(conn);
    }
}

TEST_F(dunrascon, FreedComponentNoLongerReceivesNotifications) {
    Script("entry Office\ndelay 20\n");
    auto first = NewCon();
    auto second = NewCon();
    EXPECT_EQ(ActiveRasCon(), second.get());
    second.reset();
    EXPECT_EQ(ActiveRasCon(), nullptr);

    first->EntryName = "Office";
    HRasConn conn = nullptr;
    ASSERT_EQ(first->ConnectEx(conn), 0);
    Sleep(100); // several notifications are due by now; none may reach anything
    EXPECT_EQ(first->ConnectState(), 0);
    EXPECT_TRUE(FRecorder.ChangedStates().empty());
    first->IntDisconnectEx(conn);
}

TEST_F(dunrascon, ComponentFreedInTheMiddleOfADial) {
    Script("entry Office\ndelay 5\n");
    auto con = NewCon();
    con->EntryName = "Office";
    ASSERT_EQ(con->Connect(), 0);
    ASSERT_TRUE(PumpUntil([&] { return !FRecorder.ChangedStates().empty(); }));
    con.reset(); // hangs up IntRasConn; the RAS thread is stopped before the component goes
    EXPECT_EQ(ActiveRasCon(), nullptr);
}

TEST_F(dunrascon, PhonebookSelectionReachesTheDial) {
    Script("entry Office\ndelay 1\n");
    auto con = NewCon();
    EXPECT_EQ(con->PBLocation(), 1);
    EXPECT_EQ(con->PhoneBookPath(), PhonebookPaths[1]);
    HRasConn conn = DialToEnd(*con, "Office");
    con->GetConnection();
    EXPECT_EQ(con->CurPhonebook, PhonebookPaths[1]);
    con->IntDisconnectEx(conn);

    con->SetPBLocation(2); // not a location: the system default, the rest unchanged
    EXPECT_EQ(con->PBLocation(), 1);
    EXPECT_EQ(con->PhoneBookPath(), PhonebookPaths[1]);
    conn = DialToEnd(*con, "Office");
    con->GetConnection();
    EXPECT_EQ(con->CurPhonebook, "");
    con->IntDisconnectEx(conn);
}

TEST_F(dunrascon, EntryNameOperations) {
    Script("entry Office\nentry home\nentry Backup\n");
    auto con = NewCon();
    EXPECT_EQ(con->ValidateName("Office"), 183);
    EXPECT_EQ(con->ValidateName("Fresh"), 0);
    con->EntryName = "Office";
    EXPECT_EQ(con->RenamePhonebook("Backup"), 183);
    EXPECT_EQ(con->EntryName, "Office");
    EXPECT_EQ(con->RenamePhonebook("Work"), 0);
    EXPECT_EQ(con->EntryName, "Work");
    ASSERT_EQ(con->GetPhoneBookEntries(), 0);
    EXPECT_EQ(con->PhoneBookEntries()->Text(), L"Backup\r\nhome\r\nWork\r\n");
    EXPECT_EQ(RasEntryCount, 3);
    EXPECT_EQ(RasEntryList[1].EntryName, "home");

    con->EntryName = "Nothing";
    EXPECT_EQ(con->DeletePhonebook(), 623);
    EXPECT_EQ(con->EntryName, "Nothing");
    con->EntryName = "Work";
    EXPECT_EQ(con->DeletePhonebook(), 0);
    EXPECT_EQ(con->EntryName, "");
}

TEST_F(dunrascon, DevicesAndCountries) {
    auto con = NewCon();
    ASSERT_EQ(con->GetDeviceList(), 0);
    EXPECT_EQ(con->DeviceNameList()->Text(),
              L"WAN Miniport (PPTP)\r\nWAN Miniport (L2TP)\r\nStandard 56000 bps Modem\r\n");
    EXPECT_EQ(con->DeviceTypeList()->Strings(2), L"modem");
    Integer code = 0;
    AnsiString name;
    EXPECT_EQ(con->GetOneCountryInfo(86, code, name), 0);
    EXPECT_EQ(code, 86);
    EXPECT_EQ(name, "China");
}

TEST_F(dunrascon, EntryReadAndUpdatedFromACanonicalNumber) {
    Script("entry Office\n");
    auto con = NewCon();
    con->EntryName = "Office";
    EXPECT_EQ(con->PutEntryProperties(), 603);
    EXPECT_EQ(con->StatusStr(), L"Must Read Entry Properties First");
    ASSERT_EQ(con->GetEntryProperties(), 0);
    con->PhoneCanonical.clear();
    EXPECT_EQ(con->UpdatePhonebook(), 603);
    EXPECT_EQ(con->StatusStr(), L"Must Specify Canonical Number");

    con->PhoneCanonical = "+86 (10) 12345678";
    ASSERT_EQ(con->UpdatePhonebook(), 0);
    const std::string bytes = FControl.LastEntryBytes();
    ASSERT_GE(bytes.size(), sizeof(TRasEntryWXP));
    TRasEntryWXP written{};
    std::memcpy(&written, bytes.data(), sizeof(written));
    EXPECT_EQ(written.dwfOptions & 1u, 1u);
    EXPECT_EQ(written.dwCountryCode, 86u);
    EXPECT_EQ(written.dwCountryID, 86u);
    EXPECT_STREQ(written.szAreaCode, "10");
    EXPECT_STREQ(written.szLocalPhoneNumber, "12345678");

    ASSERT_EQ(con->GetEntryProperties(), 0);
    EXPECT_TRUE(con->UseCountryAndAreaCodes());
    EXPECT_EQ(con->PhoneCanonical, "+86 (10) 12345678");
    EXPECT_EQ(con->LocalPhoneNumber(), "12345678");
}

TEST_F(dunrascon, DunInfoDescribesTheLibraryVersion) {
    auto con = NewCon();
    EXPECT_EQ(con->DUNVersion, L"5.1.2600.2180");
    EXPECT_EQ(con->DUNInfo, UnicodeString(L"DUN WinXP ") + OSVersionInfoEx.szCSDVersion);
}

TEST(dunrasconCanonical, PackAndUnpack) {
    struct TCase {
        const char* Text;
        bool UseCodes;
        Integer Country;
        const char* Area;
        const char* Local;
    };
    const TCase cases[] = {
        {"+86 (10) 12345678", true, 86, "10", "12345678"},
        {"12345678", false, 0, "", "12345678"},
        {"+86 12345678", true, 86, " ", "12345678"},
        {" 5", false, 0, "", ""}, // one character after trimming: nothing
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        bool useCodes = !c.UseCodes;
        Integer country = -1;
        AnsiString local, area;
        UnpackCanonical(c.Text, useCodes, country, local, area);
        EXPECT_EQ(useCodes, c.UseCodes);
        EXPECT_EQ(country, c.Country);
        EXPECT_EQ(area, c.Area);
        EXPECT_EQ(local, c.Local);
    }
    EXPECT_EQ(GetCanonical(true, 44, "", "5551234"), "+44 5551234");
    EXPECT_EQ(GetCanonical(true, 86, "10", "12345678"), "+86 (10) 12345678");
    EXPECT_EQ(GetCanonical(false, 86, "10", "12345678"), "12345678");
}

TEST(dunrasconModem, DefaultConfigurationLayout) {
    const auto config = DefaultModemConfig();
    auto dword = [&](std::size_t at) {
        DWORD v;
        std::memcpy(&v, config.data() + at, 4);
        return v;
    };
    EXPECT_EQ(dword(0), 108u);
    EXPECT_EQ(dword(4), 0x00010003u);
    EXPECT_EQ(dword(12), 96u);     // COMMCONFIG size
    EXPECT_EQ(dword(20), 28u);     // DCB length
    EXPECT_EQ(dword(24), 115200u); // baud
    EXPECT_EQ(dword(28), 0x2015u);
    EXPECT_EQ(config[38], 8); // data bits
    EXPECT_EQ(config[41], 0x11);
    EXPECT_EQ(config[42], 0x13);
    EXPECT_EQ(dword(48), 6u);  // modem subtype
    EXPECT_EQ(dword(60), 48u); // modem settings size
    EXPECT_EQ(dword(76), 60u); // call set-up fail timer
    EXPECT_EQ(dword(88), 1u);  // speaker mode
    EXPECT_EQ(dword(92), 0x1D3u);
}

// Dialling locations through a simulated telephony library.
class dunrasconTapi : public RasComponentTest {
protected:
    dunrasconTapi() {
        TapiApiUnload();
        FPath = FakeRasPath(L"" FAKE_TAPI_DIR, L"faketapi.dll");
        SetTapiLibraryName(FPath.c_str());
        FTapi = LoadLibraryW(FPath.c_str());
    }
    ~dunrasconTapi() override {
        Setup(2, 0);
        TapiApiUnload();
        SetTapiLibraryName(L"TAPI32.DLL");
        if (FTapi) FreeLibrary(FTapi);
    }
    void Setup(DWORD devices, LONG initResult) {
        using TSetup = void(WINAPI*)(DWORD, LONG);
        const auto setup = reinterpret_cast<TSetup>(
            reinterpret_cast<void*>(GetProcAddress(FTapi, "FakeTapiSetup")));
        if (setup) setup(devices, initResult);
    }
    UnicodeString FPath;
    HMODULE FTapi = nullptr;
};

TEST_F(dunrasconTapi, CurrentLocationCardAndCountry) {
    ASSERT_NE(FTapi, nullptr);
    TDunRasCon con(nullptr);
    TDialProps props;
    TDialLocation location;
    TDialCountry country;
    TDialCard card;
    ASSERT_EQ(con.GetTransCaps(props, location, country, card), 0);
    EXPECT_EQ(props.NumLocations, 2);
    EXPECT_EQ(props.CurrentLocationId, 2u);
    EXPECT_EQ(props.NumCards, 2);
    EXPECT_EQ(location.PermLocationID, 2u);
    EXPECT_EQ(location.LocationName, L"Office"); // trimmed
    EXPECT_EQ(location.CityCode, L"21");
    EXPECT_EQ(location.CountryID, 86u);
    EXPECT_EQ(card.PermCardId, 2u);
    EXPECT_EQ(card.CardName, L"Calling Card");
    EXPECT_EQ(card.InternationalRule, L"011EFG");
    EXPECT_EQ(country.CountryCode, 86u);
    EXPECT_EQ(country.CountryName, L"China");
    EXPECT_EQ(country.LongDistanceRule, L"0EFG");
}

TEST_F(dunrasconTapi, TranslatedAddresses) {
    ASSERT_NE(FTapi, nullptr);
    TDunRasCon con(nullptr);
    struct TCase {
        const char* Input;
        const char* Displayable;
        const char* Dialable;
    };
    const TCase cases[] = {
        {"0 123456", "0123456", "0123456"}, // a trunk zero and its blank
        {"0 12", "0 12", "012"},            // four characters keep the blank
        {"+86 10 5551234", "+86 10 5551234", "+86105551234"},
    };
    for (const TCase& c : cases) {
        AnsiString dialable, displayable;
        EXPECT_EQ(con.TranslateAddr(0, c.Input, dialable, displayable), 1) << c.Input;
        EXPECT_EQ(displayable, c.Displayable);
        EXPECT_EQ(dialable, c.Dialable);
    }
    AnsiString dialable, displayable;
    EXPECT_EQ(con.TranslateAddr(0, "", dialable, displayable), 0);
}

TEST_F(dunrasconTapi, InitialisationFailures) {
    ASSERT_NE(FTapi, nullptr);
    Setup(0, 0);
    TDunRasCon noDevices(nullptr);
    EXPECT_FALSE(noDevices.InitTAPI());
    Setup(2, static_cast<LONG>(0x80000048));
    TDunRasCon refused(nullptr);
    EXPECT_FALSE(refused.InitTAPI());
    EXPECT_EQ(refused.StatusStr(), L"TAPI Error");
    Setup(2, 0);
    EXPECT_TRUE(refused.InitTAPI());
    refused.StopTAPI();

    TapiApiUnload();
    SetTapiLibraryName(MissingLibrary().c_str());
    TDunRasCon missing(nullptr);
    TDialProps props;
    TDialLocation location;
    TDialCountry country;
    TDialCard card;
    EXPECT_EQ(missing.GetTransCaps(props, location, country, card), -1);
    EXPECT_EQ(location.PermLocationID, 0xFFFFFFFFu);
    AnsiString dialable, displayable;
    EXPECT_EQ(missing.TranslateAddr(0, "123", dialable, displayable), 0);
}

// On level 0 the first notifier kind also fires the per-state events, on the RAS thread.
class dunrasconLevel0 : public RasComponentTest {
protected:
    dunrasconLevel0() : RasComponentTest(RasLevelWin9x) {}
};

namespace {

struct TEventRecorder : TObject {
    std::mutex Lock;
    std::vector<std::string> Fired; // guarded by Lock
    Integer DisconnectError = 0;    // guarded by Lock
    UnicodeString DisconnectText;   // guarded by Lock

    void Add(const char* name) {
        std::lock_guard<std::mutex> guard(Lock);
        Fired.push_back(name);
    }
    void DevConnected(TObject*) { Add("dev"); }
    void AllDevsConnected(TObject*) { Add("all"); }
    void Connected(TObject*) { Add("connect"); }
    void Disconnected(TObject*, Integer error, const UnicodeString& text) {
        std::lock_guard<std::mutex> guard(Lock);
        Fired.push_back("disconnect");
        DisconnectError = error;
        DisconnectText = text;
    }
    std::vector<std::string> Seen() {
        std::lock_guard<std::mutex> guard(Lock);
        return Fired;
    }
};

} // namespace

TEST_F(dunrasconLevel0, PerStateEventsEachWithItsOwnHandler) {
    Script("entry Office\ndelay 1\nstates 0 3 4 8192\ndrop 50 state\n");
    TEventRecorder events;
    TDunRasCon con(nullptr);
    con.OnDevConnected = TNotifyEvent(&events, &TEventRecorder::DevConnected);
    con.OnAllDevsConnected = TNotifyEvent(&events, &TEventRecorder::AllDevsConnected);
    con.OnConnect = TNotifyEvent(&events, &TEventRecorder::Connected);
    con.OnDisconnect = TRasConStateEvent(&events, &TEventRecorder::Disconnected);
    con.EntryName = "Office";
    ASSERT_EQ(con.Connect(), 0);
    ASSERT_TRUE(PumpUntil([&] { return events.Seen().size() >= 4; }));
    const std::vector<std::string> expected{"dev", "all", "connect", "disconnect"};
    EXPECT_EQ(events.Seen(), expected);
    EXPECT_EQ(con.ConnectState(), RASCS_Disconnected);
    std::lock_guard<std::mutex> guard(events.Lock);
    EXPECT_EQ(events.DisconnectError, 0); // the line still answers its status: no error
}

TEST(dunrasconInfo, DescriptionOfTheLibraryVersion) {
    struct TCase {
        const wchar_t* Version;
        bool Server;
        const wchar_t* Info;
    };
    const TCase cases[] = {
        {L"5.1", false, L"Unknown DUN Version"},
        {L"4.10.2222", false, L"DUN 1.3/Win98SE"},
        {L"4.90.3000", false, L"DUN 1.3/WinME"},
        {L"4.00", false, L"DUN NT4 SP6"},
        {L"5.0.2195", false, L"DUN W2K SP6"},
        {L"5.1.2600.5512 (xpsp.080413-2105)", false, L"DUN WinXP SP6"},
        {L"5.2.3790", true, L"DUN Win2003 SP6"},
        {L"6.0.6002", false, L"DUN Vista SP6"},
        {L"6.0.6002", true, L"DUN Win2008 SP6"},
        {L"6.1.7601", true, L"DUN Win2008 R2 SP6"},
        {L"6.1.7601", false, L"DUN Windows 7 SP6"},
        {L"6.2.9200", false, L"Unknown Windows 6/7 version SP6"},
        {L"10.0.19041", false, L"DUN SP6"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(DunInfoText(c.Version, L"SP6", c.Server), c.Info) << std::wstring(c.Version);
}

TEST_F(dunrascon, ReopenSubHandlesAndDialExtensions) {
    Script("entry Office\ndelay 1\n");
    auto con = NewCon();
    con->EntryName = "Office";
    con->UserName = "alice";
    ASSERT_EQ(con->SetDialParams(), 0);
    HRasConn conn = nullptr;
    ASSERT_EQ(con->AutoConnectEx(conn), 0); // dials with the stored user name
    ASSERT_TRUE(PumpUntil([&] { return con->ConnectState() == RASCS_Connected; }));
    EXPECT_EQ(con->UserName, "alice");

    EXPECT_EQ(con->ReOpen(0), 6); // nothing read yet to reopen
    con->GetConnections();
    EXPECT_EQ(con->ReOpen(0), 0);
    EXPECT_EQ(con->IntRasConn(), conn);

    std::array<HRasConn, 9> subs{};
    EXPECT_NE(con->GetSubHandles(conn, 2, subs), 0); // the line has one sub-entry only
    EXPECT_EQ(reinterpret_cast<NativeUInt>(subs[0]), 1u);
    EXPECT_EQ(subs[1], conn);
    EXPECT_EQ(subs[2], nullptr);

    HRasConn second = nullptr;
    EXPECT_EQ(con->ConnectNT(second, true, SpeakerOn), 0); // the extension record is accepted
    EXPECT_NE(second, nullptr);
    con->DisconnectEx(second, 0, false, 0);
    EXPECT_EQ(con->Disconnect(), 0); // hangs up the reopened line
    EXPECT_EQ(con->IntRasConn(), nullptr);
}

TEST_F(dunrasconLevel0, DialExtensionsDoNotExistOnLevel0) {
    TDunRasCon con(nullptr);
    HRasConn conn = nullptr;
    EXPECT_EQ(con.ConnectNT(conn, false, SpeakerDefault), -1);
    EXPECT_EQ(con.LastError(), -1);
}
