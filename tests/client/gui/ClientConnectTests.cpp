// The client program connecting end to end: it dials through the simulated RAS library (named
// by VELMORA_RAS_LIBRARY, scripted by a scenario file) against the local account servers, with
// the account timers shortened by VELMORA_TIMER_INTERVALS. What the tests see is what a user
// and the account server see: the buttons, the message boxes, the requests and the exit code.
#include "ClientDriver.h"
#include "LocalAccountServers.h"

#include "framework/Exceptions.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace clientgui_test;

namespace {

UnicodeString ProgramFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    UnicodeString program(path, length);
    return program.substr(0, program.rfind(L'\\') + 1);
}

// The environment the next client starts with: the simulated dial-up and short timers.
void PrepareDialUp(const char* scenario, const wchar_t* intervals) {
    const UnicodeString file = ProgramFolder() + L"connect-scenario.txt";
    std::ofstream(file.c_str()) << scenario;
    SetEnvironmentVariableW(L"FAKE_RAS_SCENARIO", file.c_str());
    SetEnvironmentVariableW(L"VELMORA_RAS_LIBRARY",
                            (ProgramFolder() + L"" FAKE_RAS_LIBRARY).c_str());
    SetEnvironmentVariableW(L"VELMORA_TIMER_INTERVALS", intervals);
}

template <class Done> bool WaitUntil(Done done, DWORD timeoutMs = 20000) {
    const DWORD until = GetTickCount() + timeoutMs;
    while (!done() && GetTickCount() < until) Sleep(100);
    return done();
}

bool Reported(const UnicodeString& script) {
    for (const TRecordedRequest& request : localservers::Requests(L"primary"))
        if (request.Target == L"/webadmin/useradmin/" + script) return true;
    return false;
}

class ClientConnect : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetRememberedSettings();
        localservers::SetBehaviour(L"primary", "{}");
        localservers::ClearRequests(L"primary");
    }
    void TearDown() override {
        localservers::SetBehaviour(L"primary", "{}");
        ForgetRememberedSettings();
    }
    // Logs in and clicks connect on the first line.
    HWND LogInAndClickConnect(TClientProcess& client, const UnicodeString& user,
                              const UnicodeString& password) {
        HWND login = client.WaitForWindow(ChineseTitle, L"Tfrmlogin");
        Settle();
        std::vector<HWND> edits = Children(login, L"TsEdit");
        if (edits.size() != 2) throw Exception(L"unexpected login dialog");
        if (GetWindowLongW(edits[0], GWL_STYLE) & ES_PASSWORD) std::swap(edits[0], edits[1]);
        SetEditText(edits[0], user);
        SetEditText(edits[1], password);
        Click(ChildWithText(login, L"登  陆"));
        HWND main = client.WaitForWindow(ChineseTitle, L"Tfrmmain");
        Settle(1000);
        Connect = ChildWithText(main, L"连  接");
        Disconnect = ChildWithText(main, L"断  开");
        EXPECT_FALSE(IsWindowEnabled(Disconnect));
        Click(Connect);
        EXPECT_TRUE(WaitUntil([this] { return IsWindowEnabled(Disconnect); }));
        return main;
    }
    // Logs in and connects to the first line; answers once the tunnel is up.
    HWND LogInAndConnect(TClientProcess& client, const UnicodeString& user,
                         const UnicodeString& password) {
        HWND main = LogInAndClickConnect(client, user, password);
        EXPECT_TRUE(WaitUntil([] { return Reported(L"statuscheck09.php"); }))
            << "no status report: the tunnel did not come up";
        return main;
    }
    // The buttons' idle pair: connect enabled, disconnect disabled.
    bool Idle() const { return IsWindowEnabled(Connect) && !IsWindowEnabled(Disconnect); }
    HWND Connect = nullptr, Disconnect = nullptr;
};

TEST_F(ClientConnect, ConnectsReportsTheConnectionAndClosesAfterTheQuestion) {
    PrepareDialUp("rate 2000 5000\nclient-ip 10.64.0.9\n", L"statuscheck=1500");
    TClientProcess client(localservers::Address(L"primary"), localservers::Address(L"backup"));
    HWND main = LogInAndConnect(client, L"issued", L"iss123");
    EXPECT_FALSE(IsWindowEnabled(Connect));
    EXPECT_TRUE(IsWindowEnabled(Disconnect));
    std::vector<UnicodeString> lineChecks, reports;
    for (const TRecordedRequest& request : localservers::Requests(L"primary")) {
        if (request.Target == L"/webadmin/useradmin/ipcheck09.php")
            lineChecks.push_back(request.Body);
        if (request.Target == L"/webadmin/useradmin/statuscheck09.php")
            reports.push_back(request.Body);
    }
    EXPECT_EQ(lineChecks,
              std::vector<UnicodeString>{L"serverip=127.0.3.1&username=issued&Upassword=iss123"});
    ASSERT_FALSE(reports.empty());
    const UnicodeString fields =
        L"serverip=127.0.3.1&userpeerip=127.0.0.77&clientip=10.64.0.9&uniqueid=";
    EXPECT_EQ(reports[0].substr(0, fields.size()), fields);
    EXPECT_NE(reports[0].find(L"&username=issued&xmitdata="), UnicodeString::npos) << reports[0];

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(client.AnswerMessageBox(IDYES), L"VPN正在连接,关闭将断开VPN连接,您确定要关闭吗");
    EXPECT_EQ(client.WaitForExit(), 0u);
}

TEST_F(ClientConnect, ARefusedOrTimedOutDialReturnsTheButtonsToIdle) {
    const std::pair<const char*, const wchar_t*> dials[] = {
        {"fail 691\n", L"statuscheck=1000"},
        {"delay 200\nstates 0 1 2 3 4 5 6 7 8 9\n", L"statuscheck=1000,dialupcheck=2500"},
    };
    for (const auto& [scenario, intervals] : dials) {
        SCOPED_TRACE(scenario);
        ForgetRememberedSettings();
        PrepareDialUp(scenario, intervals);
        TClientProcess client(localservers::Address(L"primary"), localservers::Address(L"backup"));
        HWND main = LogInAndClickConnect(client, L"issued", L"iss123");
        EXPECT_TRUE(WaitUntil([this] { return Idle(); }));
        Settle(1500);
        EXPECT_FALSE(Reported(L"statuscheck09.php")) << scenario;
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(client.WaitForExit(), 0u) << "not connected: no question";
    }
}

TEST_F(ClientConnect, TooManyComputersDisconnectsWithItsMessage) {
    PrepareDialUp("", L"statuscheck=1500");
    TClientProcess client(localservers::Address(L"primary"), localservers::Address(L"backup"));
    HWND main = LogInAndConnect(client, L"crowded", L"crowd123");
    EXPECT_EQ(client.AnswerMessageBox(),
              L"您的帐户已经超出在线电脑连接数，请检查以前的连接是否断开");
    EXPECT_TRUE(WaitUntil([this] { return Idle(); }));
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(client.WaitForExit(), 0u) << "not connected: no question";
}

TEST_F(ClientConnect, AnExpiredAccountIsDisconnectedByTheValidityCheck) {
    PrepareDialUp("", L"statuscheck=1000,datecheck=2500");
    localservers::SetBehaviour(L"primary",
                               R"({"datecheck09.php": {"mode": "text", "text": "expire"}})");
    TClientProcess client(localservers::Address(L"primary"), localservers::Address(L"backup"));
    HWND main = LogInAndConnect(client, L"issued", L"iss123");
    EXPECT_EQ(client.AnswerMessageBox(), L"此帐户已过期，请及时充值后才能使用此功能");
    EXPECT_TRUE(WaitUntil([this] { return Idle(); }));
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(client.WaitForExit(), 0u);
}

} // namespace
