// The connect cycle of the main window inside this process: the window is built without its
// login, dials through the simulated RAS library against the local account servers, and its
// timer handlers are called by the tests (the timers themselves are given intervals too long to
// fire), so nothing waits for minutes. Message boxes are answered by a watcher thread that
// records their texts; balloons are recorded at the tray icon's shell seam.
#include "client/gui/DialPhase.h"
#include "client/gui/DialTexts.h"
#include "client/gui/MainForm.h"

#include "client/AccountServerProtocol.h"
#include "client/AppShared.h"

#include "FakeRasFixture.h"
#include "LocalAccountServers.h"

#include "framework/Exceptions.h"
#include "framework/ModuleInit.h"
#include "framework/Registry.h"
#include "framework/TextEncoding.h"
#include "rasdial/dunrascon.h"
#include "rasdial/dunrasedt.h"
#include "rasdial/dunrasper.h"
#include "support/KitThreadPool/KitIni.h"
#include "support/XtThread/XtThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

class TMainWithoutLogin : public Tfrmmain {
public:
    using Tfrmmain::Tfrmmain;

protected:
    void DoCreate() override {}
};

struct TBalloon {
    UnicodeString Title, Text;
};

// Every balloon the tray icon asked the shell for (a record with NIF_INFO and a text).
std::vector<TBalloon> Balloons;

BOOL WINAPI RecordTrayCall(DWORD, PNOTIFYICONDATAW data) {
    if ((data->uFlags & NIF_INFO) && data->szInfo[0])
        Balloons.push_back({data->szInfoTitle, data->szInfo});
    return TRUE;
}

int Shell6() { return 6; }

// Answers every message box of this process with Yes (or OK) and keeps its text.
class TBoxAnswerer {
public:
    TBoxAnswerer() : FThread([this] { Run(); }) {}
    ~TBoxAnswerer() {
        FStop = true;
        FThread.join();
    }
    std::vector<UnicodeString> Texts() {
        std::lock_guard<std::mutex> lock(FLock);
        return FTexts;
    }

private:
    static BOOL CALLBACK Answer(HWND window, LPARAM data) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (process != GetCurrentProcessId() || !IsWindowVisible(window) ||
            UnicodeString(name) != L"#32770")
            return TRUE;
        wchar_t text[1024] = {};
        GetDlgItemTextW(window, 0xFFFF, text, 1024);
        auto* self = reinterpret_cast<TBoxAnswerer*>(data);
        {
            std::lock_guard<std::mutex> lock(self->FLock);
            self->FTexts.push_back(text);
        }
        const int button = GetDlgItem(window, IDYES) ? IDYES : IDOK;
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
        return TRUE;
    }
    void Run() {
        while (!FStop) {
            EnumWindows(Answer, reinterpret_cast<LPARAM>(this));
            Sleep(50);
        }
    }

    std::mutex FLock;
    std::vector<UnicodeString> FTexts; // guarded by FLock
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

struct TRestartRecord {
    int SwitchWrites = 0;
    int ProcessListings = 0;
};

class MainFormConnect : public ::testing::Test {
protected:
    void SetUp() override {
        SavedShell = SysTrayShell();
        SysTrayShell() = {&RecordTrayCall, &Shell6};
        Balloons.clear();
        InitializeModules({FrameworkModule(), XtThreadModule(), AppSharedModule()});
        ASSERT_TRUE(Fake.Loaded()) << "the simulated RAS library did not load";
        lang_code = LangSimplified;
        auto_redial = 0;
        cur_server = localservers::Address(L"primary");
        bak_server = localservers::Address(L"backup");
        Login(L"demo", L"demo123");
        Form = Construct<TMainWithoutLogin>(nullptr);
        Form->vt1->Tree()->SetNodeDataSize(sizeof(ps));
        Form->SysTrayIcon1->SetEnabled(true);
        Form->RasServiceRestart.EnableRasProhibitIpSec = [this] { ++Restarts.SwitchWrites; };
        Form->RasServiceRestart.Processes = [this] {
            ++Restarts.ProcessListings;
            return std::vector<TProcessInfo>{};
        };
        for (TTimer* timer : {Form->dialupstatus, Form->dialupcheck, Form->Timer2, Form->rast12,
                              Form->autodialstatus, Form->statuscheck, Form->datecheck})
            timer->SetInterval(3600000);
        rascon = new TDunRasCon(Form);
        rasper = new TDunRasPer(Form);
        rasedt = new TDunRasEdt(Form);
        line_ini = NewLineListDocument(FetchLineList(TLineListUse::Login));
        Form->LoadLineList();
        Form->AreaTxt2->SetItemIndex(Form->AreaTxt2->Items()->IndexOf(L"East"));
        Form->AreaTxt2Change(Form->AreaTxt2);
        Form->Show();
    }
    void TearDown() override {
        if (!Form) {
            SysTrayShell() = SavedShell;
            return;
        }
        Form->HangUpAndDeleteEntry();
        Form->Free();
        rascon = nullptr;
        rasper = nullptr;
        rasedt = nullptr;
        FreeAndNil(line_ini);
        if (Behaving) localservers::SetBehaviour(L"primary", "{}");
        lang_code = LangNone;
        dial_entry.clear();
        FinalizeModules();
        SysTrayShell() = SavedShell;
    }
    static void Login(const UnicodeString& user, const UnicodeString& password) {
        login_user = user;
        login_pass = password;
    }
    // The primary's behaviour table for this test (put back at its end).
    void Behave(const std::string& table) {
        Behaving = true;
        localservers::SetBehaviour(L"primary", table);
    }
    void Script(const char* text) { ASSERT_EQ(Fake.SetScript(text), 0) << text; }
    // Lets the window's messages and the dial's notifications through until `done` holds.
    template <class Done> bool PumpUntil(Done done) {
        const ULONGLONG until = GetTickCount64() + 10000;
        while (!done() && GetTickCount64() < until) {
            Application->ProcessMessages();
            Sleep(10);
        }
        return done();
    }
    bool WaitForState(Integer state) {
        return PumpUntil([state] { return rascon->ConnectState() == state; });
    }
    // Connects with the current script and login, and follows the dial until the tunnel is up.
    void ConnectUp() {
        Form->btn_connClick(Form->btn_conn);
        ASSERT_TRUE(WaitForState(RasConnected));
        Form->dialupstatusTimer(Form->dialupstatus);
        ASSERT_TRUE(is_connected);
    }
    bool EntryExists(const UnicodeString& name) {
        return rascon->ValidateName(UnicodeToAnsi(name)) != 0;
    }
    void ExpectIdle() {
        EXPECT_TRUE(Form->btn_conn->Enabled());
        EXPECT_FALSE(Form->btn_disconn->Enabled());
        EXPECT_TRUE(Form->IPAddrTxt->Enabled());
        EXPECT_TRUE(Form->rb_pptp->Enabled());
        EXPECT_FALSE(is_connected);
        EXPECT_FALSE(Form->dialupstatus->Enabled()) << "a late state could flip the attempt";
        EXPECT_FALSE(Form->Timer2->Enabled());
        EXPECT_FALSE(Form->rast12->Enabled());
        EXPECT_FALSE(Form->statuscheck->Enabled());
    }

    TFakeRasBinding Binding{FullFake()};
    TFakeRasControl Fake{FullFake()};
    TMainWithoutLogin* Form = nullptr;
    bool Behaving = false;
    TSysTrayShell SavedShell{};
    TRestartRecord Restarts;
};

TEST_F(MainFormConnect, TokenADialsWithTheLoginThroughAFreshPptpEntry) {
    Script("delay 300\n");
    Form->btn_connClick(Form->btn_conn);
    EXPECT_EQ(Form->statuslabel->Caption(), L"正在建立连接");
    EXPECT_EQ(Form->linelabel->Caption(), L"连接线路：East 1");
    EXPECT_FALSE(Form->btn_conn->Enabled());
    EXPECT_TRUE(Form->btn_disconn->Enabled());
    EXPECT_FALSE(Form->vt1->Enabled());
    EXPECT_TRUE(Form->dialupcheck->Enabled());
    EXPECT_TRUE(own_account);
    EXPECT_NE(ras_handle, 0u);
    EXPECT_EQ(dial_entry.substr(0, 4), FormatDateTime(L"mmdd", Now())) << dial_entry;
    EXPECT_EQ(unique_id.substr(0, 8), FormatDateTime(L"yyyymmdd", Now()));

    const AnsiString entry = UnicodeToAnsi(dial_entry);
    ASSERT_EQ(rasedt->GetAllEntryProps(entry), 0);
    EXPECT_EQ(AnsiToUnicode(rasedt->DeviceName), L"WAN 微型端口 (PPTP)");
    EXPECT_EQ(rasedt->VpnStrategy, vpnPptpFirst);
    EXPECT_EQ(rasedt->DeviceType, "vpn");
    EXPECT_EQ(rasedt->LocalPhoneNumber, "127.0.1.1");
    EXPECT_EQ(rasedt->PType, typeVNP);
    EXPECT_TRUE(rasedt->bRequireMsCHAP2);
    EXPECT_FALSE(rasedt->bRequireDataEncryption);
    ASSERT_EQ(rasedt->GetDialProps(entry), 0);
    EXPECT_EQ(rasedt->UserName, "demo");
    EXPECT_EQ(rasedt->Password, "demo123");

    ASSERT_TRUE(WaitForState(RasConnected));
    Form->dialupstatusTimer(Form->dialupstatus);
    EXPECT_TRUE(is_connected);
    EXPECT_EQ(Form->statuslabel->Caption(), L"连接成功");
    EXPECT_FALSE(EntryExists(dial_entry)) << "the entry goes once the tunnel is up";
    EXPECT_TRUE(Form->autodialstatus->Enabled());
    EXPECT_FALSE(Form->statuscheck->Enabled()) << "the login's own account reports nothing";
    EXPECT_FALSE(Form->datecheck->Enabled());
    EXPECT_FALSE(Form->dialupstatus->Enabled());

    Form->Timer2Timer(Form->Timer2);
    ASSERT_EQ(Balloons.size(), 1u);
    EXPECT_EQ(Balloons[0].Title, Form->Caption());
    EXPECT_EQ(Balloons[0].Text.substr(0, 11), L"用户名:demo\r\n");
    EXPECT_FALSE(Form->Timer2->Enabled());
}

TEST_F(MainFormConnect, IssuedCredentialsDialL2tpAndStartTheAccountTimers) {
    Login(L"issued", L"iss123");
    Form->rb_lp2p->SetChecked(true);
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(
        registry.OpenKey(L"\\SYSTEM\\CurrentControlSet\\Services\\RasMan\\Parameters", true));
    registry.WriteInteger(L"ProhibitIpSec", 1);
    TBoxAnswerer boxes;
    Script("delay 300\n");
    Form->btn_connClick(Form->btn_conn);
    EXPECT_TRUE(boxes.Texts().empty()) << "the switch was already set";
    EXPECT_EQ(Restarts.SwitchWrites, 0);
    const AnsiString entry = UnicodeToAnsi(dial_entry);
    ASSERT_EQ(rasedt->GetAllEntryProps(entry), 0);
    EXPECT_EQ(AnsiToUnicode(rasedt->DeviceName), L"WAN 微型端口 (L2TP)");
    EXPECT_EQ(rasedt->VpnStrategy, vpnL2tpOnly);
    ASSERT_EQ(rasedt->GetDialProps(entry), 0);
    EXPECT_EQ(rasedt->UserName, "vpn8001");
    EXPECT_EQ(rasedt->Password, "Kx7#pQ2z");
    EXPECT_FALSE(own_account);
    ASSERT_TRUE(WaitForState(RasConnected));
    Form->dialupstatusTimer(Form->dialupstatus);
    EXPECT_TRUE(Form->statuscheck->Enabled());
    EXPECT_TRUE(Form->datecheck->Enabled());
}

TEST_F(MainFormConnect, L2tpWithTheSwitchMissingSetsItAndRestartsTheServices) {
    Form->rb_lp2p->SetChecked(true);
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(
        registry.OpenKey(L"\\SYSTEM\\CurrentControlSet\\Services\\RasMan\\Parameters", true));
    registry.DeleteValue(L"ProhibitIpSec");
    TBoxAnswerer boxes;
    Form->btn_connClick(Form->btn_conn);
    const std::vector<UnicodeString> texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 1u);
    const UnicodeString first = L"1、此台电脑是第一次使用L2TP模式，点击确定后";
    EXPECT_EQ(texts[0].substr(0, first.size()), first);
    EXPECT_EQ(registry.ReadInteger(L"ProhibitIpSec"), 1);
    EXPECT_EQ(Restarts.SwitchWrites, 1);
    EXPECT_EQ(Restarts.ProcessListings, 1);
    EXPECT_TRUE(Form->dialupcheck->Enabled()) << "the dial goes on after the restart";
}

TEST_F(MainFormConnect, AnEmptyLineCheckEndsTheAttemptWithThePoorNetworkText) {
    Behave(R"({"ipcheck09.php": {"mode": "empty"}})");
    Form->btn_connClick(Form->btn_conn);
    EXPECT_EQ(Form->statuslabel->Caption(), L"服务器繁忙或此时网络质量差，请更换线路或稍后再试");
    ExpectIdle();
    EXPECT_EQ(ras_handle, 0u);
}

UnicodeString Traditional(const UnicodeString& text) { return L"T" + text; }

TEST_F(MainFormConnect, DialErrorsShowTheirTextsAndEndTheAttempt) {
    struct TCase {
        Integer Language;
        Integer Code;
        const wchar_t* Text;
    };
    const TCase cases[] = {
        {LangEnglish, 691, L"Error:691 Username or password cannot be verified"},
        {LangSimplified, 691, L"错误：691 用户名和密码无法验证"},
        {LangTraditional, 691, L"T错误：691 用户名和密码无法验证"},
        {LangEnglish, 800, L"Error:800 May your network to limit or the line fault"},
        {LangSimplified, 800, L"错误：800 可能您的网络有限制或此线路存在故障"},
        {LangEnglish, 619, L"Error:619 May your network to limit or the line fault"},
        {LangSimplified, 619, L"错误：619 可能您的网络有限制或此线路存在故障"},
    };
    const TChineseConverter system = SetTraditionalConverter(Traditional);
    for (const TCase& c : cases) {
        lang_code = c.Language;
        Script(("states 0 1 2\nfail " + std::to_string(c.Code) + "\n").c_str());
        Form->btn_connClick(Form->btn_conn);
        ASSERT_TRUE(WaitForState(c.Code)) << c.Code;
        Form->dialupstatusTimer(Form->dialupstatus);
        EXPECT_EQ(Form->statuslabel->Caption(), c.Text);
        ExpectIdle();
        EXPECT_EQ(ras_handle, 0u) << c.Code;
        EXPECT_FALSE(EntryExists(dial_entry)) << c.Code;
    }
    SetTraditionalConverter(system);
}

TEST_F(MainFormConnect, TheTimeOutHangsUpADialThatNeverConnects) {
    Script("delay 100\nstates 0 1 2 3 4 5 6 7 8 9\n");
    Form->btn_connClick(Form->btn_conn);
    const UnicodeString entry = dial_entry;
    ASSERT_TRUE(EntryExists(entry));
    Form->dialupcheckTimer(Form->dialupcheck);
    EXPECT_EQ(Form->statuslabel->Caption(), L"不能连接，请更换其它线路再试");
    ExpectIdle();
    EXPECT_FALSE(Form->dialupcheck->Enabled());
    EXPECT_FALSE(EntryExists(entry));
    EXPECT_EQ(ras_handle, 0u);
}

TEST_F(MainFormConnect, ConnectingAgainClearsWhatTheLastAttemptLeft) {
    Script("delay 100\nstates 0 1 2 3 4 5 6 7 8 9\n");
    Form->btn_connClick(Form->btn_conn);
    const UnicodeString first = dial_entry;
    Sleep(20); // the next entry name differs by its milliseconds
    Form->btn_disconnClick(Form->btn_disconn);
    EXPECT_FALSE(EntryExists(first));
    Form->btn_connClick(Form->btn_conn);
    EXPECT_NE(dial_entry, first);
    EXPECT_TRUE(EntryExists(dial_entry));
}

TEST_F(MainFormConnect, DisconnectRestoresTheControlsAndHangsUp) {
    Script("rate 1000 2000\n");
    ConnectUp();
    Form->btn_disconnClick(Form->btn_disconn);
    EXPECT_EQ(Form->statuslabel->Caption(), L"连接已经断开");
    EXPECT_EQ(Form->StatusBar1->Panels()->Items(0)->Text(), L"连接已断开");
    ExpectIdle();
    EXPECT_FALSE(Form->autodialstatus->Enabled());
    EXPECT_EQ(ras_handle, 0u);
    EXPECT_EQ(rascon->GetConnections(), 0);
    EXPECT_EQ(rascon->Connections()->Count(), 0);
}

TEST_F(MainFormConnect, TrafficAndOnlineTimeAdvanceWhileConnected) {
    Script("rate 100000 300000\n");
    lang_code = LangEnglish;
    ConnectUp();
    Sleep(1100);
    Form->rast12Timer(Form->rast12);
    const UnicodeString text = Form->datalabel->Caption();
    ASSERT_EQ(text.substr(0, 5), L"Data:") << text;
    const Int64 sent = StrToInt64(text.substr(5, text.find(L"KB") - 5));
    EXPECT_GE(sent, 100) << text;
    EXPECT_NE(text.find(L"  Time:00:00:0"), UnicodeString::npos) << text;
    EXPECT_EQ(Form->StatusBar1->Panels()->Items(1)->Text(), text);
    EXPECT_EQ(Form->statuslabel->Caption(), L"Connected");
    EXPECT_EQ(Form->datalabel->Font()->Color(), clRed);
    Sleep(1100);
    Form->rast12Timer(Form->rast12);
    const UnicodeString later = Form->datalabel->Caption();
    EXPECT_GT(StrToInt64(later.substr(5, later.find(L"KB") - 5)), sent) << later;
    EXPECT_NE(later, text);
}

TEST_F(MainFormConnect, TheStatusReportSendsTheConnectionInOrderAndTokenCDisconnects) {
    Login(L"crowded", L"crowd123");
    Script("rate 4000 8000\nclient-ip 10.64.0.7\n");
    ConnectUp();
    Sleep(600);
    localservers::ClearRequests(L"primary");
    TBoxAnswerer boxes;
    Form->statuscheckTimer(Form->statuscheck);
    const std::vector<TRecordedRequest> requests = localservers::Requests(L"primary");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Target, L"/webadmin/useradmin/statuscheck09.php");
    const UnicodeString prefix = L"serverip=127.0.1.1&userpeerip=" + peer_ip +
                                 L"&clientip=10.64.0.7&uniqueid=" + unique_id +
                                 L"&username=crowded&xmitdata=";
    EXPECT_EQ(requests[0].Body.substr(0, prefix.size()), prefix);
    const std::size_t online = requests[0].Body.find(L"&onlinetime=");
    ASSERT_NE(online, UnicodeString::npos);
    EXPECT_GT(StrToInt64(requests[0].Body.substr(online + 12)), 500);
    EXPECT_NE(requests[0].Body.find(L"&recvdata="), UnicodeString::npos);
    EXPECT_EQ(boxes.Texts(), std::vector<UnicodeString>{
                                 L"您的帐户已经超出在线电脑连接数，请检查以前的连接是否断开"});
    EXPECT_EQ(Form->statuslabel->Caption(), L"已经断开");
    ExpectIdle();
}

TEST_F(MainFormConnect, ValidityStopWordsDisconnectAndFewDaysShowAtMostTwoBalloons) {
    Login(L"issued", L"iss123");
    ConnectUp();
    Behave(R"({"datecheck09.php": {"mode": "text", "text": "剩余天数:2"}})");
    for (int i = 0; i < 3; ++i) Form->datecheckTimer(Form->datecheck);
    ASSERT_EQ(Balloons.size(), 2u);
    EXPECT_EQ(Balloons[0].Title, L"过期提醒");
    EXPECT_EQ(Balloons[0].Text, L"您的帐户剩余天数为2天，请及时充值");
    EXPECT_TRUE(is_connected);

    Behave(R"({"datecheck09.php": {"mode": "text", "text": "剩余天数:two"}})");
    expire_tips = 0;
    EXPECT_NO_THROW(Form->datecheckTimer(Form->datecheck));
    EXPECT_EQ(Balloons.size(), 2u) << "a day count that is not a number shows nothing";

    Behave(R"({"datecheck09.php": {"mode": "text", "text": "expire"}})");
    TBoxAnswerer boxes;
    Form->datecheckTimer(Form->datecheck);
    EXPECT_EQ(boxes.Texts(),
              std::vector<UnicodeString>{L"此帐户已过期，请及时充值后才能使用此功能"});
    EXPECT_EQ(Form->statuslabel->Caption(), L"已经断开");
    ExpectIdle();
}

TEST_F(MainFormConnect, ADropWithoutAutoRedialEndsTheConnectionAndStopsWatching) {
    Script("drop 200 state\n");
    ConnectUp();
    ASSERT_TRUE(WaitForState(8193));
    Form->autodialstatusTimer(Form->autodialstatus);
    EXPECT_EQ(Form->statuslabel->Caption(), L"已断开连接");
    ExpectIdle();
    EXPECT_FALSE(Form->autodialstatus->Enabled());
    EXPECT_EQ(ras_handle, 0u);
}

TEST_F(MainFormConnect, ADropWithAutoRedialDialsAgainAndLeavesThatDialAlone) {
    auto_redial = 2;
    Script("drop 200 state\n");
    ConnectUp();
    const UnicodeString first = dial_entry;
    ASSERT_TRUE(WaitForState(8193));
    Script("delay 300\n");
    Sleep(20);
    Form->autodialstatusTimer(Form->autodialstatus);
    EXPECT_NE(dial_entry, first);
    EXPECT_TRUE(Form->dialupcheck->Enabled());
    EXPECT_TRUE(Form->autodialstatus->Enabled());
    const NativeUInt redial = ras_handle;
    ASSERT_NE(redial, 0u);
    Form->autodialstatusTimer(Form->autodialstatus);
    EXPECT_EQ(ras_handle, redial) << "the redial in progress is not hung up";
    EXPECT_TRUE(Form->dialupstatus->Enabled());
    ASSERT_TRUE(WaitForState(RasConnected));
    Form->dialupstatusTimer(Form->dialupstatus);
    EXPECT_TRUE(is_connected);
}

// The traffic timer queries the state every few seconds: a tunnel it finds gone is handled at
// once, not left showing "connected" with frozen counters until the drop watch's next tick.
TEST_F(MainFormConnect, TheTrafficTimerHandlesADropAtOnce) {
    for (Integer redial : {0, 2}) {
        auto_redial = redial;
        Script("rate 1000 2000\ndrop 200 state\n");
        ConnectUp();
        Form->rast12Timer(Form->rast12);
        EXPECT_EQ(Form->statuslabel->Caption(), L"连接成功") << redial;
        const UnicodeString first = dial_entry;
        ASSERT_TRUE(WaitForState(8193)) << redial;
        if (redial == 2) Script("delay 300\n"); // the redial connects slowly
        Sleep(20);
        Form->rast12Timer(Form->rast12);
        EXPECT_FALSE(is_connected) << redial;
        if (redial == 2) {
            EXPECT_NE(dial_entry, first) << "redialled";
            EXPECT_TRUE(Form->dialupcheck->Enabled());
            EXPECT_NE(ras_handle, 0u);
            EXPECT_EQ(Form->statuslabel->Caption(), L"正在建立连接");
        } else {
            EXPECT_EQ(Form->statuslabel->Caption(), L"已断开连接");
            ExpectIdle();
            EXPECT_EQ(ras_handle, 0u);
        }
        Form->btn_disconnClick(Form->btn_disconn);
    }
}

// A refresh of the line list while connected rebuilds the line box; the status keeps naming
// the line the tunnel runs on.
TEST_F(MainFormConnect, TheStatusNamesTheDialledLineAfterARefresh) {
    Script("rate 1000 2000\n");
    Form->IPAddrTxt->SetItemIndex(1);
    const UnicodeString dialled = Form->IPAddrTxt->Text();
    ConnectUp();
    Form->N14Click(Form->N14);
    ASSERT_NE(Form->IPAddrTxt->Text(), dialled);
    Form->rast12Timer(Form->rast12);
    EXPECT_EQ(Form->linelabel->Caption(), L"连接线路：" + dialled);
    EXPECT_TRUE(is_connected);
}

TEST_F(MainFormConnect, TheVersionBalloonShowsAtMostTwice) {
    new_version = L"9.1";
    update_tips = 0;
    Form->vercheck->SetEnabled(true);
    for (int i = 0; i < 3; ++i) Form->vercheckTimer(Form->vercheck);
    ASSERT_EQ(Balloons.size(), 2u);
    EXPECT_EQ(Balloons[1].Title, L"更新提示");
    EXPECT_FALSE(Form->vercheck->Enabled());
    new_version.clear();
}

TEST_F(MainFormConnect, TheButtonRepairEnablesTheButtonThatFitsTheState) {
    struct TCase {
        bool Connect, Disconnect, Connected, ConnectAfter, DisconnectAfter;
    };
    const TCase cases[] = {
        {false, false, false, true, false},
        {false, false, true, false, true},
        {true, false, true, true, false},
    };
    for (const TCase& c : cases) {
        Form->btn_conn->SetEnabled(c.Connect);
        Form->btn_disconn->SetEnabled(c.Disconnect);
        is_connected = c.Connected;
        Form->zombiecheck->SetEnabled(true);
        Form->zombiecheckTimer(Form->zombiecheck);
        EXPECT_EQ(Form->btn_conn->Enabled(), c.ConnectAfter);
        EXPECT_EQ(Form->btn_disconn->Enabled(), c.DisconnectAfter);
        EXPECT_FALSE(Form->zombiecheck->Enabled());
    }
    is_connected = false;
}

// Every test here moves the window through its phases with the check on. A connected window
// that is told it connected again (the spare progress check, which the running client never
// starts, finding the tunnel still up) fails at that change; disconnecting is still allowed.
TEST_F(MainFormConnect, ConnectingAConnectedWindowAgainIsCaught) {
    ConnectUp();
    EXPECT_THROW(Form->zombiecheck2Timer(Form->zombiecheck2), EAssertionFailed);
    Form->btn_disconnClick(Form->btn_disconn);
    ExpectIdle();
}

// The table against a walk of the cycle: every road the window takes is a row, and the changes
// no road makes are refused.
TEST(DialPhase, TheTableAllowsTheCycleAndRefusesTheRest) {
    using P = TDialPhase;
    const std::vector<P> cycle{P::Idle,      P::Idle,      P::Preparing, P::Idle,
                               P::Preparing, P::Dialling,  P::Idle,      P::Preparing,
                               P::Dialling,  P::Connected, P::Idle};
    for (std::size_t i = 1; i < cycle.size(); ++i)
        EXPECT_NO_THROW(CheckDialPhaseChange(cycle[i - 1], cycle[i])) << "step " << i;
    const TDialPhaseChange refused[] = {{P::Idle, P::Dialling},       {P::Idle, P::Connected},
                                        {P::Preparing, P::Connected}, {P::Dialling, P::Preparing},
                                        {P::Connected, P::Connected}, {P::Connected, P::Dialling}};
    for (const TDialPhaseChange& change : refused)
        EXPECT_THROW(CheckDialPhaseChange(change.From, change.To), EAssertionFailed)
            << static_cast<int>(change.From) << " -> " << static_cast<int>(change.To);
}

TEST_F(MainFormConnect, TheSecondRoadDialsWithTheLastCredentialsWithoutAskingTheServer) {
    dial_user = L"vpn8001";
    dial_pass = L"Kx7#pQ2z";
    localservers::ClearRequests(L"primary");
    Script("delay 300\n");
    Form->btn_conn2Click(Form->btn_conn2);
    EXPECT_TRUE(localservers::Requests(L"primary").empty());
    ASSERT_EQ(rasedt->GetDialProps(UnicodeToAnsi(dial_entry)), 0);
    EXPECT_EQ(rasedt->UserName, "vpn8001");
    EXPECT_TRUE(Form->dialupcheck->Enabled());
}

} // namespace
