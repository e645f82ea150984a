// The client's exchanges with the service's account servers and with the second service's
// account host: which server is asked, the paths, the form fields in their order, the read
// time-outs, and what each reply means. The windows that run an exchange decide what to do with
// its answer; here an answer is only read.
//
//   TServiceEndpoints       the built-in hosts (build configuration) and the test seam
//   AccountToken...         the fixed tokens compared with replies
//   ...Path, ...Url         the scripts and pages, by language where they have variants
//   ServerCheck             GET on the primary, then the backup; sets the servers and peer data
//   CredentialCheck         POST with fall-back to the other server
//   FetchLineList, NewLineListDocument
//                           the line list as text, and as the document `line_ini` holds
//   LineCheck               POST; token A or the encoded dial credentials
//   StatusReport            POST; token C means too many computers
//   ValidityCheck           POST with fall-back; a stop word or the remaining days
//   PostRegistration, PostTopUp, PostPasswordChange
//                           the account dialogs' posts to the second service
//
// Every exchange runs synchronously on the calling thread (the GUI thread in the program) and
// uses `cur_server`, `bak_server` and `lang_code` of AppShared. A GET goes through the text
// toolkit's `http_get` (30 s per read, redirects followed) and never raises: a failure is an
// empty reply. A POST uses a fresh HTTP client with the exchange's read time-out and does not
// follow redirects; its failures are caught here as each exchange states, so none reaches the
// caller. Replies are compared whole and case-sensitively, untrimmed, as the servers are known
// to answer. A window that posts lets its message loop handle the pending messages once after
// the exchange returns; the exchanges themselves never pump messages.
#pragma once

#include "framework/HttpClient.h"

class TKitStreamIniFile;

// ---- Where the servers are --------------------------------------------------------------------

// Each entry is "host" or "host:port", as joined into "http://" + entry + path.
struct TServiceEndpoints {
    UnicodeString Primary;       // primary account server, port 16001
    UnicodeString Backup;        // backup account server, port 16001
    UnicodeString Content;       // content host of the banner and news panes, port 801
    UnicodeString SecondService; // second service's account and content host, default port
};
// The hosts the program was built for (the build's configuration), with their fixed ports.
TServiceEndpoints BuiltInServiceEndpoints();
// The table the exchanges use: the built-in one unless a test replaced it.
const TServiceEndpoints& ServiceEndpoints();
// Replaces the table (a test's local servers); answers the one in force before. Call it on the
// thread that runs the exchanges, between exchanges.
TServiceEndpoints SetServiceEndpoints(const TServiceEndpoints& endpoints);

// ---- Fixed texts ------------------------------------------------------------------------------

inline constexpr wchar_t AccountAccessValue[] = L"5a7c0e92d1f";
// Line-check reply: dial with the login account.
inline constexpr wchar_t AccountTokenA[] = L"6b1d8e04c9f27a35e0d4b6c81f93a270";
// Separator between the two encoded dial credentials of a line-check reply.
inline constexpr wchar_t AccountTokenB[] = L"e83a5f1c0b6d92e47a1c3f08d5b2964e";
// Status-report reply: the account has too many computers online.
inline constexpr wchar_t AccountTokenC[] = L"0f9e3c71a2b84d6e5c07f1a93b2e6d48";

inline constexpr Cardinal AccountPostTimeout = 2000;   // credential, status, validity, dialogs
inline constexpr Cardinal LineCheckPostTimeout = 4000; // ms per read

// The read time-outs the exchanges use, in milliseconds: the two above unless a test scaled
// them down, so that a server that never answers in time costs it a fraction of a second.
struct TAccountTimeouts {
    Cardinal Post = AccountPostTimeout;
    Cardinal LineCheck = LineCheckPostTimeout;
};
TAccountTimeouts AccountTimeouts();
// Replaces the table (any thread; each exchange reads it once); answers the one in force before.
TAccountTimeouts SetAccountTimeouts(const TAccountTimeouts& timeouts);

// Sent as the User-Agent of every POST: the program's own identification.
inline constexpr wchar_t AccountPostUserAgent[] = L"Mozilla/3.0 (compatible; Velmora Client)";

// ---- Scripts and pages ------------------------------------------------------------------------

// Where a line list is asked for: the login picks the variant by language, the menu's refresh
// asks for the English one in language 2 and the plain one otherwise.
enum class TLineListUse { Login, Refresh };

UnicodeString ServerCheckPath();
UnicodeString CredentialCheckPath(Integer language);
UnicodeString LineListPath(Integer language, TLineListUse use);
UnicodeString LineCheckPath();
UnicodeString StatusReportPath();
UnicodeString ValidityCheckPath(Integer language);
// "http://" + server + path.
UnicodeString AccountUrl(const UnicodeString& server, const UnicodeString& path);

enum class TBannerPage { Login, MainTop, News };
enum class THelpPage { User, Notice, Help, Questions };
UnicodeString RegistrationPageUrl(); // on the primary account server
UnicodeString AccountRootUrl();      // on the primary account server
UnicodeString ServiceHomeUrl();      // the primary's host on the default port
UnicodeString BannerPageUrl(TBannerPage page);
UnicodeString HelpPageUrl(THelpPage page);
UnicodeString SecondServiceAccountRootUrl();

// ---- Account-server exchanges -----------------------------------------------------------------

// GET on the primary, then on the backup when the primary's reply is empty. The first non-empty
// reply sets `cur_server` to that server and `bak_server` to the other, and `peer_ip`,
// `new_version` and `route_ip` from its "-"-separated fields. False when both are empty: nothing
// is set.
bool ServerCheck();

enum class TCredentialVerdict {
    Busy,       // empty reply, or both servers failed
    WrongLogin, // "error"
    Expired,    // "expire"
    UsedUp,     // "useup": the free test time
    Accepted,   // anything else: the reply is the account text
};
struct TCredentialReply {
    TCredentialVerdict Verdict = TCredentialVerdict::Busy;
    UnicodeString Reply;
};
TCredentialVerdict ReadCredentialReply(const UnicodeString& reply);
// Posts the trimmed user name and password to `cur_server`; when that raises, to `bak_server`,
// which becomes `cur_server` once it answers (both then name it).
TCredentialReply CredentialCheck(const UnicodeString& user, const UnicodeString& password);

// The line list from `cur_server` as INI text; empty when it was not fetched.
UnicodeString FetchLineList(TLineListUse use);
// A new document (the caller owns it) holding the reply, empty or not, read as the server's
// ANSI text: what `line_ini` is replaced with.
TKitStreamIniFile* NewLineListDocument(const UnicodeString& reply);

enum class TLineCheckVerdict {
    Busy,          // empty reply or failed request
    LoginAccount,  // token A: dial with the login's user name and password
    Issued,        // dial credentials decoded from the reply
    NoCredentials, // the decoded dial user name is empty
};
struct TLineCheckReply {
    TLineCheckVerdict Verdict = TLineCheckVerdict::Busy;
    UnicodeString Reply;
    UnicodeString DialUser;
    UnicodeString DialPassword;
};
// Reads a line-check reply; the login's credentials are the dial credentials for token A.
TLineCheckReply ReadLineCheckReply(const UnicodeString& reply, const UnicodeString& loginUser,
                                   const UnicodeString& loginPassword);
// Posts the line's decoded address and the login as typed to `cur_server` (4 s, no fall-back).
TLineCheckReply LineCheck(const UnicodeString& lineAddress, const UnicodeString& loginUser,
                          const UnicodeString& loginPassword);

// The connection as the status report describes it, in the order the fields are posted.
struct TStatusReportFields {
    UnicodeString ServerIp;   // line_ip
    UnicodeString UserPeerIp; // peer_ip
    UnicodeString ClientIp;   // the tunnel's client address; empty when unknown
    UnicodeString UniqueId;   // unique_id
    UnicodeString UserName;   // login_user
    Int64 SentBytes = 0;
    Int64 ReceivedBytes = 0;
    Int64 OnlineMilliseconds = 0; // from conn_start to now
};
enum class TStatusVerdict { Ignored, TooManyComputers };
// Posts to `cur_server` (no fall-back); a failure or any reply but token C is Ignored.
TStatusVerdict StatusReport(const TStatusReportFields& fields);

enum class TValidityVerdict {
    NoAnswer,     // both servers failed: nothing more is read
    Expired,      // "expire"
    UsedUp,       // "useup"
    AccountError, // "error"
    Other,        // anything else, empty included
};
struct TValidityReply {
    TValidityVerdict Verdict = TValidityVerdict::NoAnswer;
    UnicodeString Reply;
    // The reply read as "label:days": the label holds the remaining-days label of the language
    // (ignoring case) and the days are a decimal integer. A label with other days (not a number)
    // has no remaining days rather than an error.
    bool HasRemainingDays = false;
    Integer RemainingDays = 0;
};
// Reads a validity reply that came back, with the label of the language `lang_code`.
TValidityReply ReadValidityReply(const UnicodeString& reply);
// Posts the login as typed to `cur_server`, falling back to `bak_server` like the credential
// check does.
TValidityReply ValidityCheck(const UnicodeString& loginUser, const UnicodeString& loginPassword);

// ---- The second service's account dialogs -----------------------------------------------------

// Each posts once to the second service's host (2 s, failures read as an empty reply) with every
// field trimmed, in the order of the struct.
struct TRegistrationForm {
    UnicodeString UserID, Upassword, Upassword2, User_True, User_Mobile, Email_Address, User_QQ,
        User_Address;
};
enum class TRegistrationVerdict { Closed, NameTaken, Registered, Failed };
TRegistrationVerdict PostRegistration(const TRegistrationForm& form);

struct TTopUpForm {
    UnicodeString UserID, Upassword, mycardid, mycardpass;
};
enum class TTopUpVerdict { WrongLogin, WrongCard, CardExpired, ToppedUp, Failed };
TTopUpVerdict PostTopUp(const TTopUpForm& form);

struct TPasswordChangeForm {
    UnicodeString UserID, Upassword, Upassword1, Upassword2;
};
enum class TPasswordChangeVerdict { WrongLogin, Changed, Failed };
TPasswordChangeVerdict PostPasswordChange(const TPasswordChangeForm& form);
