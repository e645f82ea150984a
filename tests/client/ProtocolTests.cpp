// The account-server exchanges against the local account servers (tools/account-server): a
// primary, a backup and the second service's host, started by ctest. Each test points the client
// at them, sets the servers' behaviours (empty replies, errors, delays, closed connections) and
// reads what the servers recorded. The GBK cases run in their own ctest entry under code page
// 936, as the servers' Chinese replies are GBK.
#include "client/AccountServerProtocol.h"

#include "LocalAccountServers.h"
#include "client/AppShared.h"
#include "client/ServerDecoders.h"
#include "support/KitThreadPool/KitIni.h"
#include "support/MYString/MYString.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace localservers;

const UnicodeString Primary = L"primary";
const UnicodeString Backup = L"backup";
const UnicodeString Second = L"second";

// Milliseconds the call took.
template <class Call> ULONGLONG Elapsed(Call&& call) {
    const ULONGLONG start = GetTickCount64();
    call();
    return GetTickCount64() - start;
}

// The targets of the recorded requests, oldest first.
std::vector<UnicodeString> Targets(const UnicodeString& role) {
    std::vector<UnicodeString> targets;
    for (const TRecordedRequest& request : Requests(role)) targets.push_back(request.Target);
    return targets;
}

// The one request the server recorded; a test failure when there is not exactly one.
TRecordedRequest OnlyRequest(const UnicodeString& role) {
    const std::vector<TRecordedRequest> requests = Requests(role);
    EXPECT_EQ(requests.size(), 1u) << "requests recorded by the " << role;
    return requests.empty() ? TRecordedRequest{} : requests.back();
}

// The exchanges' time-outs in these tests: a quarter of the real ones, so that a server that
// answers too late costs a test half a second rather than two; the ratio of the line check's to
// the others' stays the product's.
constexpr TAccountTimeouts TestTimeouts{AccountPostTimeout / 4, LineCheckPostTimeout / 4};

// Each test starts with the local servers in the table, answering normally with nothing
// recorded and with the test time-outs, and leaves the process-wide state as it found it.
class AccountProtocol : public testing::Test {
protected:
    void SetUp() override {
        FEndpoints = SetServiceEndpoints(
            {Address(Primary), Address(Backup), L"127.0.0.3:801", Address(Second)});
        FTimeouts = SetAccountTimeouts(TestTimeouts);
        for (const UnicodeString& role : {Primary, Backup, Second}) {
            SetBehaviour(role, "{}");
            ClearRequests(role);
        }
        cur_server = Address(Primary);
        bak_server = Address(Backup);
        lang_code = LangEnglish;
    }
    void TearDown() override {
        SetServiceEndpoints(FEndpoints);
        SetAccountTimeouts(FTimeouts);
        cur_server = FCur;
        bak_server = FBak;
        peer_ip = FPeer;
        new_version = FVersion;
        route_ip = FRoute;
        lang_code = FLanguage;
        FreeAndNil(line_ini); // the login test's document, even when it failed half-way
    }
    // A fresh primary/backup choice: the state the server check starts from.
    void ForgetServers() {
        cur_server.clear();
        bak_server.clear();
        peer_ip.clear();
    }
    void KillPrimary() {
        TServiceEndpoints endpoints = ServiceEndpoints();
        endpoints.Primary = DeadAddress();
        SetServiceEndpoints(endpoints);
    }

private:
    TServiceEndpoints FEndpoints;
    TAccountTimeouts FTimeouts;
    UnicodeString FCur = cur_server, FBak = bak_server, FPeer = peer_ip, FVersion = new_version,
                  FRoute = route_ip;
    Integer FLanguage = lang_code;
};

// The same, for the cases whose replies are GBK text: code page 936 only.
class AccountProtocolGbk : public AccountProtocol {
protected:
    void SetUp() override {
        if (GetACP() != 936) GTEST_SKIP() << "the system code page is " << GetACP() << ", not 936";
        AccountProtocol::SetUp();
    }
};

// ---- Endpoints, time-outs and pages -----------------------------------------------------------

// The tests below wait for scaled time-outs; what the program waits for is the table in force
// before any test replaces it.
TEST(AccountTimeoutTable, TheProgramWaitsTwoSecondsAndFourForTheLineCheck) {
    const TAccountTimeouts inForce = AccountTimeouts();
    EXPECT_EQ(inForce.Post, 2000u);
    EXPECT_EQ(inForce.LineCheck, 4000u);
    const TAccountTimeouts previous = SetAccountTimeouts({7, 9});
    EXPECT_EQ(previous.Post, 2000u);
    EXPECT_EQ(AccountTimeouts().LineCheck, 9u);
    SetAccountTimeouts(previous);
}

TEST(AccountEndpoints, BuiltInHostsCarryTheServicePorts) {
    const TServiceEndpoints builtIn = BuiltInServiceEndpoints();
    EXPECT_TRUE(mystring::EndsWith(builtIn.Primary, L":16001")) << builtIn.Primary;
    EXPECT_TRUE(mystring::EndsWith(builtIn.Backup, L":16001")) << builtIn.Backup;
    EXPECT_TRUE(mystring::EndsWith(builtIn.Content, L":801")) << builtIn.Content;
    EXPECT_EQ(builtIn.SecondService.find(L':'), UnicodeString::npos) << builtIn.SecondService;
    EXPECT_NE(builtIn.Primary, builtIn.Backup);
}

TEST(AccountEndpoints, PagesLiveOnTheirHosts) {
    const TServiceEndpoints saved =
        SetServiceEndpoints({L"a.test:16001", L"b.test:16001", L"c.test:801", L"d.test"});
    EXPECT_EQ(RegistrationPageUrl(), L"http://a.test:16001/webadmin/useradmin/user_self_new.php");
    EXPECT_EQ(AccountRootUrl(), L"http://a.test:16001/webadmin/useradmin/");
    EXPECT_EQ(ServiceHomeUrl(), L"http://a.test/");
    EXPECT_EQ(BannerPageUrl(TBannerPage::Login), L"http://c.test:801/velmoraclient09/top.htm");
    EXPECT_EQ(BannerPageUrl(TBannerPage::MainTop),
              L"http://c.test:801/velmoraclient09/maintop.htm");
    EXPECT_EQ(BannerPageUrl(TBannerPage::News), L"http://c.test:801/velmoraclient09/news.htm");
    EXPECT_EQ(HelpPageUrl(THelpPage::User), L"http://d.test/Dorrinclient162/user.htm");
    EXPECT_EQ(HelpPageUrl(THelpPage::Notice), L"http://d.test/Dorrinclient162/gg.htm");
    EXPECT_EQ(HelpPageUrl(THelpPage::Help), L"http://d.test/Dorrinclient162/help.htm");
    EXPECT_EQ(HelpPageUrl(THelpPage::Questions), L"http://d.test/Dorrinclient162/qa.htm");
    EXPECT_EQ(SecondServiceAccountRootUrl(), L"http://d.test/sysadmin/useradmin/");
    SetServiceEndpoints(saved);
}

TEST_F(AccountProtocol, PagesAreServedWhereTheUrlsPoint) {
    for (const UnicodeString& url : {RegistrationPageUrl(), AccountRootUrl(),
                                     HelpPageUrl(THelpPage::Help), SecondServiceAccountRootUrl()})
        EXPECT_NE(mystring::HttpGet(url), L"") << url;
}

TEST_F(AccountProtocol, EachLanguageAsksForItsScript) {
    struct Case {
        Integer language;
        const wchar_t* credential;
        const wchar_t* lineListAtLogin;
        const wchar_t* lineListAtRefresh;
        const wchar_t* validity;
    };
    const Case cases[] = {
        {0, L"usercheck09.php", L"vpnlist09.php", L"vpnlist09.php", L"datecheck09.php"},
        {1, L"usercheck09.php", L"vpnlist09.php", L"vpnlist09.php", L"datecheck09.php"},
        {2, L"usercheck09_en.php", L"vpnlist09_en.php", L"vpnlist09_en.php", L"datecheck09_en.php"},
        {3, L"usercheck09_tw.php", L"vpnlist09_tw.php", L"vpnlist09.php", L"datecheck09_tw.php"},
    };
    const UnicodeString root = L"/webadmin/useradmin/";
    const UnicodeString access = L"?viewstr=5a7c0e92d1f";
    for (const Case& c : cases) {
        ClearRequests(Primary);
        lang_code = c.language;
        CredentialCheck(L"demo", L"demo123");
        EXPECT_FALSE(FetchLineList(TLineListUse::Login).empty()) << c.language;
        EXPECT_FALSE(FetchLineList(TLineListUse::Refresh).empty()) << c.language;
        ValidityCheck(L"demo", L"demo123");
        const std::vector<UnicodeString> expected = {
            root + c.credential, root + c.lineListAtLogin + access,
            root + c.lineListAtRefresh + access, root + c.validity};
        EXPECT_EQ(Targets(Primary), expected) << "language " << c.language;
    }
}

// ---- Server check -----------------------------------------------------------------------------

TEST_F(AccountProtocol, ServerCheckTakesThePrimaryWhenItAnswers) {
    ForgetServers();
    ASSERT_TRUE(ServerCheck());
    EXPECT_EQ(cur_server, Address(Primary));
    EXPECT_EQ(bak_server, Address(Backup));
    EXPECT_EQ(peer_ip, L"127.0.0.77");
    EXPECT_EQ(new_version, L"9.1");
    EXPECT_EQ(route_ip, L"127.0.0.9");
    const TRecordedRequest request = OnlyRequest(Primary);
    EXPECT_EQ(request.Method, L"GET");
    EXPECT_EQ(request.Target, L"/webadmin/useradmin/netcheck09.php");
    EXPECT_EQ(request.UserAgent, L"iisuser_class");
    EXPECT_TRUE(Requests(Backup).empty());
}

TEST_F(AccountProtocol, ServerCheckTakesTheBackupWhenThePrimaryIsEmptyOrDown) {
    struct Case {
        const char* primaryBehaviour; // null: nothing listens at the primary's address
        const char* what;
    };
    const Case cases[] = {
        {R"({"netcheck09.php": {"mode": "empty"}})", "empty body"},
        {R"({"netcheck09.php": {"mode": "status", "status": 404}})", "404"},
        {R"({"netcheck09.php": {"mode": "status", "status": 500}})", "500"},
        {R"({"netcheck09.php": {"mode": "close"}})", "closed connection"},
        {nullptr, "nothing listening"},
    };
    for (const Case& c : cases) {
        ForgetServers();
        if (c.primaryBehaviour)
            SetBehaviour(Primary, c.primaryBehaviour);
        else
            KillPrimary();
        EXPECT_TRUE(ServerCheck()) << c.what;
        EXPECT_EQ(cur_server, Address(Backup)) << c.what;
        EXPECT_EQ(bak_server, ServiceEndpoints().Primary) << c.what;
        EXPECT_EQ(peer_ip, L"127.0.0.77") << c.what;
        SetBehaviour(Primary, "{}");
    }
}

// A proxy's error page, a portal or plain noise answering 200 is no account server: a reply that
// does not open with a dotted address counts as no reply at all.
TEST_F(AccountProtocol, ServerCheckRepliesWithoutAnAddressCountAsEmpty) {
    const char* replies[] = {
        "<html><body>Proxy error</body></html>",
        "\\u8b80\\u25a1(\\u0007-9.0-127.0.0.9",
        "error",
        "127.0.0-9.0-127.0.0.9",
        "300.1.1.1-9.0-127.0.0.9",
        " 127.0.0.77-9.0-127.0.0.9",
    };
    for (const char* reply : replies) {
        ForgetServers();
        peer_ip.clear();
        const std::string text =
            std::string(R"({"netcheck09.php": {"mode": "text", "text": ")") + reply + "\"}}";
        SetBehaviour(Primary, text);
        EXPECT_TRUE(ServerCheck()) << reply;
        EXPECT_EQ(cur_server, Address(Backup)) << reply;
        EXPECT_EQ(peer_ip, L"127.0.0.77") << reply;
        SetBehaviour(Backup, text);
        peer_ip = L"kept-peer";
        EXPECT_FALSE(ServerCheck()) << reply;
        EXPECT_EQ(peer_ip, L"kept-peer") << reply;
        SetBehaviour(Primary, "{}");
        SetBehaviour(Backup, "{}");
    }
}

TEST_F(AccountProtocol, ServerCheckFailsWhenBothAreDownAndSetsNothing) {
    KillPrimary();
    SetBehaviour(Backup, R"({"netcheck09.php": {"mode": "empty"}})");
    cur_server = L"kept-cur";
    bak_server = L"kept-bak";
    peer_ip = L"kept-peer";
    EXPECT_FALSE(ServerCheck());
    EXPECT_EQ(cur_server, L"kept-cur");
    EXPECT_EQ(bak_server, L"kept-bak");
    EXPECT_EQ(peer_ip, L"kept-peer");
    EXPECT_EQ(Targets(Backup), std::vector<UnicodeString>{L"/webadmin/useradmin/netcheck09.php"});
}

// ---- Credential check -------------------------------------------------------------------------

TEST_F(AccountProtocol, CredentialRepliesAreReadWholeAndCaseSensitively) {
    struct Case {
        const wchar_t* user;
        const wchar_t* password;
        const char* behaviour;
        TCredentialVerdict verdict;
        const wchar_t* reply;
    };
    const Case cases[] = {
        {L"demo", L"demo123", "{}", TCredentialVerdict::Accepted, L"VIP user, 30 days left"},
        {L"demo", L"demo123", R"({"*": {"mode": "empty"}})", TCredentialVerdict::Busy, L""},
        {L"demo", L"wrong", "{}", TCredentialVerdict::WrongLogin, L"error"},
        {L"expired", L"exp123", "{}", TCredentialVerdict::Expired, L"expire"},
        {L"usedup", L"use123", "{}", TCredentialVerdict::UsedUp, L"useup"},
        {L"capital", L"cap123", "{}", TCredentialVerdict::Accepted, L"Error"},
        {L"faulty", L"bad123", R"({"*": {"mode": "trailing-crlf"}})", TCredentialVerdict::Accepted,
         L"error\r\n"},
    };
    for (const Case& c : cases) {
        SetBehaviour(Primary, c.behaviour);
        const TCredentialReply reply = CredentialCheck(c.user, c.password);
        EXPECT_EQ(reply.Verdict, c.verdict) << c.user << " " << c.behaviour;
        EXPECT_EQ(reply.Reply, c.reply) << c.user << " " << c.behaviour;
        EXPECT_EQ(cur_server, Address(Primary)) << "no fall-back after a reply";
    }
}

TEST_F(AccountProtocol, CredentialCheckPostsTrimmedFieldsWithTheProgramsHeaders) {
    CredentialCheck(L"  demo\t", L" demo123  ");
    const TRecordedRequest request = OnlyRequest(Primary);
    EXPECT_EQ(request.Method, L"POST");
    EXPECT_EQ(request.Target, L"/webadmin/useradmin/usercheck09_en.php");
    EXPECT_EQ(request.Body, L"UserID=demo&Upassword=demo123");
    EXPECT_EQ(request.UserAgent, AccountPostUserAgent);
    EXPECT_EQ(request.Accept, L"text/html, */*");
    EXPECT_EQ(request.ContentType, L"application/x-www-form-urlencoded");
}

TEST_F(AccountProtocol, FieldsGoOutAsAnsiBytesPercentEncoded) {
    if (GetACP() != 1252) GTEST_SKIP() << "written for code page 1252, not " << GetACP();
    CredentialCheck(L"Jos\x00E9 & Co=1", L"p\x00E4ss+word");
    EXPECT_EQ(OnlyRequest(Primary).Body, L"UserID=Jos%E9+%26+Co%3D1&Upassword=p%E4ss%2Bword");
}

TEST_F(AccountProtocolGbk, ChineseFieldsGoOutAsGbkBytesPercentEncoded) {
    CredentialCheck(L"\x4E2D\x6587", L"\x5BC6\x7801 1");
    EXPECT_EQ(OnlyRequest(Primary).Body, L"UserID=%D6%D0%CE%C4&Upassword=%C3%DC%C2%EB+1");
}

TEST_F(AccountProtocol, CredentialCheckFallsBackAndThenBothServersNameTheBackup) {
    struct Case {
        const char* primaryBehaviour; // null: nothing listens at the current server
        const char* what;
    };
    const Case cases[] = {
        {R"({"*": {"mode": "status", "status": 500}})", "500"},
        {R"({"*": {"mode": "redirect"}})", "302, which a POST does not follow"},
        {R"({"*": {"mode": "close"}})", "closed connection"},
        {nullptr, "nothing listening"},
    };
    for (const Case& c : cases) {
        cur_server = c.primaryBehaviour ? Address(Primary) : DeadAddress();
        bak_server = Address(Backup);
        if (c.primaryBehaviour) SetBehaviour(Primary, c.primaryBehaviour);
        const TCredentialReply reply = CredentialCheck(L"demo", L"demo123");
        EXPECT_EQ(reply.Verdict, TCredentialVerdict::Accepted) << c.what;
        EXPECT_EQ(reply.Reply, L"VIP user, 30 days left") << c.what;
        EXPECT_EQ(cur_server, Address(Backup)) << c.what;
        EXPECT_EQ(bak_server, Address(Backup)) << c.what;
    }
}

TEST_F(AccountProtocol, CredentialCheckGivesUpOnTheFirstServerAfterItsTimeOut) {
    SetBehaviour(Primary, R"({"usercheck09_en.php": {"delay_ms": 2500}})");
    TCredentialReply reply;
    const ULONGLONG elapsed = Elapsed([&] { reply = CredentialCheck(L"demo", L"demo123"); });
    EXPECT_EQ(reply.Verdict, TCredentialVerdict::Accepted);
    EXPECT_EQ(cur_server, Address(Backup));
    EXPECT_GE(elapsed, TestTimeouts.Post - 50);
    EXPECT_LT(elapsed, 2400u) << "the delayed reply must not have been awaited";
}

TEST_F(AccountProtocol, CredentialCheckFailingTwiceIsBusyAndKeepsTheServers) {
    cur_server = DeadAddress();
    SetBehaviour(Backup, R"({"*": {"mode": "status", "status": 500}})");
    const TCredentialReply reply = CredentialCheck(L"demo", L"demo123");
    EXPECT_EQ(reply.Verdict, TCredentialVerdict::Busy);
    EXPECT_EQ(reply.Reply, L"");
    EXPECT_EQ(cur_server, DeadAddress());
    EXPECT_EQ(bak_server, Address(Backup));
}

// ---- Line list --------------------------------------------------------------------------------

struct TFree {
    void operator()(TObject* object) const { object->Free(); }
};
using TDocument = std::unique_ptr<TKitStreamIniFile, TFree>;

// The decoded address of each line of the document, area by area.
std::vector<UnicodeString> LineAddresses(TKitStreamIniFile& document) {
    std::vector<UnicodeString> addresses;
    TStringList sections, lines;
    document.ReadSections(&sections);
    for (int i = 0; i < sections.Count(); ++i) {
        document.ReadSectionValues(sections.Strings(i), &lines);
        for (int j = 0; j < lines.Count(); ++j) {
            TStringArray5 fields;
            mystring::SplitInto(fields, lines.ValueFromIndex(j), L",");
            addresses.push_back(DecodeLineAddress(fields[0]));
        }
    }
    return addresses;
}

TEST_F(AccountProtocol, LineListLoadsIntoTheDocument) {
    const TDocument document(NewLineListDocument(FetchLineList(TLineListUse::Login)));
    TStringList sections;
    document->ReadSections(&sections);
    EXPECT_EQ(sections.Count(), 6);
    EXPECT_EQ(sections.IndexOf(L"Route"), 2);
    const std::vector<UnicodeString> expected = {L"127.0.1.1", L"127.0.1.2", L"127.0.2.1",
                                                 L"127.0.2.2", L"127.0.3.1", L"127.0.4.1",
                                                 L"127.0.4.2", L"127.0.5.1", L"127.0.6.1"};
    EXPECT_EQ(LineAddresses(*document), expected);
}

TEST_F(AccountProtocol, AnEmptyLineListGivesAnEmptyDocument) {
    SetBehaviour(Primary, R"({"vpnlist09_en.php": {"mode": "status", "status": 500}})");
    const UnicodeString reply = FetchLineList(TLineListUse::Login);
    EXPECT_EQ(reply, L"");
    const TDocument document(NewLineListDocument(reply));
    TStringList sections;
    document->ReadSections(&sections);
    EXPECT_EQ(sections.Count(), 0);
}

TEST_F(AccountProtocolGbk, LineListKeepsChineseAreaAndLineNames) {
    lang_code = LangSimplified;
    const TDocument document(NewLineListDocument(FetchLineList(TLineListUse::Login)));
    TStringList sections;
    document->ReadSections(&sections);
    EXPECT_EQ(sections.IndexOf(L"\x6D77\x5916\x52A0\x901F"), 3); // overseas
    EXPECT_EQ(sections.IndexOf(L"\x7535\x4FE1\x52A0\x901F"), 4); // telecom
    EXPECT_EQ(sections.IndexOf(L"\x7F51\x901A\x52A0\x901F"), 5); // netcom
    const UnicodeString value =
        document->ReadString(L"\x6D77\x5916\x52A0\x901F", L"\x9999\x6E2F\x4E00\x53F7", L"none");
    TStringArray5 fields;
    mystring::SplitInto(fields, value, L",");
    EXPECT_EQ(DecodeLineAddress(fields[0]), L"127.0.4.1");
    EXPECT_EQ(fields[1], L"91%");
    EXPECT_EQ(fields[2], L"1");
}

// ---- Line check -------------------------------------------------------------------------------

TEST_F(AccountProtocol, LineCheckRepliesGiveTheDialCredentials) {
    struct Case {
        const wchar_t* user;
        const wchar_t* password;
        TLineCheckVerdict verdict;
        const wchar_t* dialUser;
        const wchar_t* dialPassword;
    };
    const Case cases[] = {
        {L"ownline", L"own123", TLineCheckVerdict::LoginAccount, L"ownline", L"own123"},
        {L"demo", L"demo123", TLineCheckVerdict::Issued, L"vpn8001", L"Kx7#pQ2z"},
        {L"demo", L"wrong", TLineCheckVerdict::Busy, L"", L""},
    };
    for (const Case& c : cases) {
        const TLineCheckReply reply = LineCheck(L"127.0.1.1", c.user, c.password);
        EXPECT_EQ(reply.Verdict, c.verdict) << c.user;
        EXPECT_EQ(reply.DialUser, c.dialUser) << c.user;
        EXPECT_EQ(reply.DialPassword, c.dialPassword) << c.user;
    }
}

TEST_F(AccountProtocol, TokenAWithATrailingLineBreakIsNotTokenA) {
    SetBehaviour(Primary, R"({"ipcheck09.php": {"mode": "trailing-crlf"}})");
    const TLineCheckReply reply = LineCheck(L"127.0.1.1", L"ownline", L"own123");
    EXPECT_EQ(reply.Reply, UnicodeString(AccountTokenA) + L"\r\n");
    EXPECT_NE(reply.Verdict, TLineCheckVerdict::LoginAccount);
    EXPECT_NE(reply.DialUser, L"ownline");
}

TEST_F(AccountProtocol, LineCheckPostsTheAddressAndTheLoginAsTyped) {
    LineCheck(L"127.0.1.1", L" demo", L"demo 123 ");
    const TRecordedRequest request = OnlyRequest(Primary);
    EXPECT_EQ(request.Target, L"/webadmin/useradmin/ipcheck09.php");
    EXPECT_EQ(request.Body, L"serverip=127.0.1.1&username=+demo&Upassword=demo+123+");
}

TEST_F(AccountProtocol, LineCheckWaitsItsLongerTimeOutAndNoLonger) {
    // Later than the other exchanges' time-out, well within the line check's.
    SetBehaviour(Primary, R"({"ipcheck09.php": {"delay_ms": 600}})");
    EXPECT_EQ(LineCheck(L"127.0.1.1", L"demo", L"demo123").Verdict, TLineCheckVerdict::Issued)
        << "a reply later than the others' time-out is still awaited";
    SetBehaviour(Primary, R"({"ipcheck09.php": {"delay_ms": 3000}})");
    TLineCheckReply reply;
    const ULONGLONG elapsed =
        Elapsed([&] { reply = LineCheck(L"127.0.1.1", L"demo", L"demo123"); });
    EXPECT_EQ(reply.Verdict, TLineCheckVerdict::Busy);
    EXPECT_GE(elapsed, TestTimeouts.LineCheck - 50);
    EXPECT_LT(elapsed, 2900u);
}

TEST_F(AccountProtocol, LineCheckHasNoSecondServer) {
    cur_server = DeadAddress();
    EXPECT_EQ(LineCheck(L"127.0.1.1", L"demo", L"demo123").Verdict, TLineCheckVerdict::Busy);
    EXPECT_EQ(cur_server, DeadAddress());
    EXPECT_TRUE(Requests(Backup).empty());
}

// ---- Status report ----------------------------------------------------------------------------

TStatusReportFields ReportOf(const wchar_t* user) {
    return {L"127.0.1.1", L"127.0.0.77", L"", L"{0A1B}", user, 123456, 789, 60000};
}

TEST_F(AccountProtocol, OnlyTokenCMeansTooManyComputers) {
    struct Case {
        const wchar_t* user;
        const char* behaviour;
        bool deadServer;
        TStatusVerdict verdict;
    };
    const Case cases[] = {
        {L"crowded", "{}", false, TStatusVerdict::TooManyComputers},
        {L"demo", "{}", false, TStatusVerdict::Ignored},
        {L"crowded", R"({"*": {"mode": "trailing-crlf"}})", false, TStatusVerdict::Ignored},
        {L"crowded", R"({"*": {"mode": "status", "status": 500}})", false, TStatusVerdict::Ignored},
        {L"crowded", "{}", true, TStatusVerdict::Ignored},
    };
    for (const Case& c : cases) {
        SetBehaviour(Primary, c.behaviour);
        cur_server = c.deadServer ? DeadAddress() : Address(Primary);
        EXPECT_EQ(StatusReport(ReportOf(c.user)), c.verdict) << c.user << " " << c.behaviour;
        EXPECT_EQ(bak_server, Address(Backup));
    }
    EXPECT_TRUE(Requests(Backup).empty()) << "no second server";
}

TEST_F(AccountProtocol, StatusReportPostsItsEightFieldsInOrder) {
    StatusReport(ReportOf(L"demo"));
    const TRecordedRequest request = OnlyRequest(Primary);
    EXPECT_EQ(request.Target, L"/webadmin/useradmin/statuscheck09.php");
    EXPECT_EQ(request.Body,
              L"serverip=127.0.1.1&userpeerip=127.0.0.77&clientip=&uniqueid=%7B0A1B%7D"
              L"&username=demo&xmitdata=123456&recvdata=789&onlinetime=60000");
}

// ---- Validity check ---------------------------------------------------------------------------

TEST_F(AccountProtocol, ValidityRepliesAndRemainingDays) {
    struct Case {
        const wchar_t* user;
        const wchar_t* password;
        TValidityVerdict verdict;
        bool hasDays;
        Integer days;
    };
    const Case cases[] = {
        {L"demo", L"demo123", TValidityVerdict::Other, true, 30},
        {L"expired", L"exp123", TValidityVerdict::Expired, false, 0},
        {L"usedup", L"use123", TValidityVerdict::UsedUp, false, 0},
        {L"faulty", L"bad123", TValidityVerdict::AccountError, false, 0},
        {L"demo", L"wrong", TValidityVerdict::AccountError, false, 0},
    };
    for (const Case& c : cases) {
        const TValidityReply reply = ValidityCheck(c.user, c.password);
        EXPECT_EQ(reply.Verdict, c.verdict) << c.user;
        EXPECT_EQ(reply.HasRemainingDays, c.hasDays) << c.user;
        EXPECT_EQ(reply.RemainingDays, c.days) << c.user;
    }
    EXPECT_EQ(ValidityCheck(L"demo", L"demo123").Reply, L"remaind day:30");
}

TEST_F(AccountProtocol, ValidityCheckFallsBackLikeTheCredentialCheck) {
    cur_server = DeadAddress();
    const TValidityReply reply = ValidityCheck(L"demo", L"demo123");
    EXPECT_EQ(reply.Verdict, TValidityVerdict::Other);
    EXPECT_EQ(reply.RemainingDays, 30);
    EXPECT_EQ(cur_server, Address(Backup));
    EXPECT_EQ(bak_server, Address(Backup));

    // After such a fall-back the other server is the same one: a second failure ends the check.
    SetBehaviour(Backup, R"({"*": {"mode": "close"}})");
    EXPECT_EQ(ValidityCheck(L"demo", L"demo123").Verdict, TValidityVerdict::NoAnswer);
    EXPECT_EQ(Targets(Backup).size(), 3u) << "one answered, then two attempts at the same server";
}

TEST_F(AccountProtocol, RemainingDaysLabelIsMatchedLooselyAndDaysStrictly) {
    struct Case {
        Integer language;
        const wchar_t* reply;
        bool hasDays;
        Integer days;
    };
    const Case cases[] = {
        {2, L"Remaind Day:2", true, 2},
        {2, L"your remaind days:4", true, 4},
        {2, L"remaind day:many", false, 0},
        {2, L"days left:5", false, 0},
        {2, L"\x5269\x4F59\x5929\x6570:5", false, 0},
        {1, L"\x5269\x4F59\x5929\x6570:5", true, 5},
        {0, L"\x5269\x4F59\x5929\x6570:6", true, 6},
        {1, L"remaind day:5", false, 0},
    };
    for (const Case& c : cases) {
        lang_code = c.language;
        const TValidityReply reply = ReadValidityReply(c.reply);
        EXPECT_EQ(reply.HasRemainingDays, c.hasDays) << c.reply;
        EXPECT_EQ(reply.RemainingDays, c.days) << c.reply;
    }
}

// Stands in for the system's traditional-character mapping, which Wine does not perform.
UnicodeString ToTraditionalForTest(const UnicodeString& text) {
    UnicodeString converted = text;
    for (wchar_t& c : converted) {
        if (c == L'\x4F59') c = L'\x9918';
        if (c == L'\x6570') c = L'\x6578';
    }
    return converted;
}

TEST_F(AccountProtocolGbk, ChineseValidityRepliesGiveTheRemainingDays) {
    lang_code = LangSimplified;
    TValidityReply reply = ValidityCheck(L"demo", L"demo123");
    EXPECT_EQ(reply.Reply, L"\x5269\x4F59\x5929\x6570:30");
    EXPECT_TRUE(reply.HasRemainingDays);
    EXPECT_EQ(reply.RemainingDays, 30);

    const TChineseConverter saved = SetTraditionalConverter(&ToTraditionalForTest);
    lang_code = LangTraditional;
    reply = ValidityCheck(L"demo", L"demo123");
    SetTraditionalConverter(saved);
    EXPECT_EQ(reply.Reply, L"\x5269\x9918\x5929\x6578:30");
    EXPECT_TRUE(reply.HasRemainingDays);
    EXPECT_EQ(reply.RemainingDays, 30);
}

// ---- The second service's account dialogs ----------------------------------------------------

TEST_F(AccountProtocol, RegistrationRepliesAndFieldOrder) {
    const UnicodeString user = L"new" + std::to_wstring(GetTickCount64());
    TRegistrationForm form{L" " + user + L" ", L"pw1", L"pw1",   L" Li ", L"130",
                           L"a@b.test",        L"42",  L"Road 1"};
    EXPECT_EQ(PostRegistration(form), TRegistrationVerdict::Registered);
    const TRecordedRequest request = OnlyRequest(Second);
    EXPECT_EQ(request.Target, L"/sysadmin/useradmin/user_self_new_saveDorrin162.php");
    EXPECT_EQ(request.Body, L"UserID=" + user +
                                L"&Upassword=pw1&Upassword2=pw1&User_True=Li&User_Mobile=130"
                                L"&Email_Address=a%40b.test&User_QQ=42&User_Address=Road+1");
    EXPECT_EQ(PostRegistration(form), TRegistrationVerdict::NameTaken);
    form.UserID += L"x";
    form.Upassword2 = L"other";
    EXPECT_EQ(PostRegistration(form), TRegistrationVerdict::Failed);
}

TEST_F(AccountProtocol, TopUpReplies) {
    EXPECT_EQ(PostTopUp({L"topper", L"wrong", L"100000000000000001", L"200000000001"}),
              TTopUpVerdict::WrongLogin);
    EXPECT_EQ(PostTopUp({L"topper", L"top123", L"100000000000000002", L"200000000002"}),
              TTopUpVerdict::CardExpired);
    EXPECT_EQ(PostTopUp({L"topper", L"top123", L"100000000000000001", L"bad"}),
              TTopUpVerdict::WrongCard);
    EXPECT_EQ(PostTopUp({L" topper", L"top123 ", L" 100000000000000001", L"200000000001 "}),
              TTopUpVerdict::ToppedUp);
    EXPECT_EQ(
        Requests(Second).back().Body,
        L"UserID=topper&Upassword=top123&mycardid=100000000000000001&mycardpass=200000000001");
}

TEST_F(AccountProtocol, PasswordChangeReplies) {
    // The new password is the old one, so the account stays as the data file has it.
    EXPECT_EQ(PostPasswordChange({L"changer", L"old123", L"old123", L"old123"}),
              TPasswordChangeVerdict::Changed);
    EXPECT_EQ(Requests(Second).back().Body,
              L"UserID=changer&Upassword=old123&Upassword1=old123&Upassword2=old123");
    EXPECT_EQ(PostPasswordChange({L"changer", L"wrong", L"n1", L"n1"}),
              TPasswordChangeVerdict::WrongLogin);
    EXPECT_EQ(PostPasswordChange({L"changer", L"old123", L"n1", L"n2"}),
              TPasswordChangeVerdict::Failed);
    SetBehaviour(Second, R"({"*": {"delay_ms": 2500}})");
    EXPECT_EQ(PostPasswordChange({L"changer", L"old123", L"old123", L"old123"}),
              TPasswordChangeVerdict::Failed)
        << "a reply later than the time-out is a failure";
}

// ---- The toolkit's GET against a real server --------------------------------------------------

TEST_F(AccountProtocol, HttpGetTurnsEveryFailureIntoAnEmptyText) {
    const UnicodeString url = AccountUrl(Address(Primary), ServerCheckPath());
    EXPECT_EQ(mystring::HttpGet(url), L"127.0.0.77-9.1-127.0.0.9");
    EXPECT_EQ(mystring::HttpGet(AccountUrl(Address(Primary), L"/no/such/page.htm")), L"") << "404";
    const char* failures[] = {
        R"({"*": {"mode": "status", "status": 500}})",
        R"({"*": {"mode": "close"}})",
    };
    for (const char* behaviour : failures) {
        SetBehaviour(Primary, behaviour);
        EXPECT_EQ(mystring::HttpGet(url), L"") << behaviour;
    }
    SetBehaviour(Primary, R"({"*": {"mode": "redirect"}})");
    EXPECT_EQ(mystring::HttpGet(url), L"127.0.0.77-9.1-127.0.0.9") << "a GET follows redirects";
    EXPECT_EQ(mystring::HttpGet(AccountUrl(DeadAddress(), ServerCheckPath())), L"");
}

// The toolkit's GET with its time-out divided by 20 on the way to the class library's client.
THttpGetFunction ClassLibraryGet = nullptr;
Integer RequestedTimeout = 0;
RawByteString GetWithScaledTimeout(const THttpGetRequest& request) {
    RequestedTimeout = request.ReadTimeout;
    THttpGetRequest scaled = request;
    scaled.ReadTimeout = request.ReadTimeout / 20;
    return ClassLibraryGet(scaled);
}

TEST_F(AccountProtocol, HttpGetGivesUpAfterItsTimeOut) {
    ClassLibraryGet = SetHttpGetFunction(&GetWithScaledTimeout);
    SetBehaviour(Primary, R"({"*": {"delay_ms": 4000}})");
    UnicodeString reply = L"not yet";
    const ULONGLONG elapsed = Elapsed(
        [&] { reply = mystring::HttpGet(AccountUrl(Address(Primary), ServerCheckPath())); });
    SetHttpGetFunction(ClassLibraryGet);
    EXPECT_EQ(RequestedTimeout, 30000) << "the toolkit's own time-out, before the scaling";
    EXPECT_EQ(reply, L"");
    EXPECT_GE(elapsed, 1450u);
    EXPECT_LT(elapsed, 3900u);
}

// ---- The whole login --------------------------------------------------------------------------

TEST_F(AccountProtocol, LoginFallsBackFromADeadPrimary) {
    ForgetServers();
    SetBehaviour(Primary, R"({"*": {"mode": "close"}})");
    ASSERT_TRUE(ServerCheck());
    EXPECT_EQ(cur_server, Address(Backup));
    EXPECT_EQ(bak_server, Address(Primary));

    const TCredentialReply credential = CredentialCheck(L"demo", L"demo123");
    ASSERT_EQ(credential.Verdict, TCredentialVerdict::Accepted);
    EXPECT_EQ(cur_server, Address(Backup));

    line_ini = NewLineListDocument(FetchLineList(TLineListUse::Login));
    TStringList sections;
    line_ini->ReadSections(&sections);
    EXPECT_EQ(sections.Count(), 6);
    EXPECT_EQ(LineAddresses(*line_ini).size(), 9u);
    FreeAndNil(line_ini);

    EXPECT_EQ(Targets(Primary), std::vector<UnicodeString>{L"/webadmin/useradmin/netcheck09.php"});
    const std::vector<UnicodeString> atBackup = {
        L"/webadmin/useradmin/netcheck09.php", L"/webadmin/useradmin/usercheck09_en.php",
        L"/webadmin/useradmin/vpnlist09_en.php?viewstr=5a7c0e92d1f"};
    EXPECT_EQ(Targets(Backup), atBackup);
}

} // namespace
