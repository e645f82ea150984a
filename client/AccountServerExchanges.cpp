// The account server's exchanges: the server check over the two built-in servers, the credential
// and validity checks with their fall-back, the line list, the line check and the status report.
// Each sends exactly the fields the server scripts read, in the order they were always sent.
#include "client/AccountServerProtocol.h"

#include "client/AccountServerPost.h"
#include "client/AddressText.h"
#include "client/AppShared.h"
#include "support/KitThreadPool/KitIni.h"
#include "support/MYString/MYString.h"

namespace {

// "peer-version-route": the client's public address, the newest version, the relay target.
void TakeServerCheckReply(const UnicodeString& reply) {
    TStringArray5 fields;
    mystring::SplitInto(fields, reply, L"-");
    peer_ip = fields[0];
    new_version = fields[1];
    route_ip = fields[2];
}

// Field 0 of a server check's reply is the client's address as the server saw it: four decimal
// numbers 0 to 255 joined by dots. A reply that does not start with one came from something else
// (a proxy's error page, a captive portal) and counts as no answer at all.
bool StartsWithDottedAddress(const UnicodeString& reply) {
    TStringArray5 fields;
    mystring::SplitInto(fields, reply, L"-");
    return IsDottedIPv4(fields[0]);
}

UnicodeString Decimal(Int64 value) { return UnicodeString(std::to_wstring(value)); }

} // namespace

bool ServerCheck() {
    const TServiceEndpoints& servers = ServiceEndpoints();
    // An empty reply is a server that is down (a failed GET gives nothing else), and so is one
    // that does not open with the client's address.
    UnicodeString reply = mystring::HttpGet(AccountUrl(servers.Primary, ServerCheckPath()));
    if (StartsWithDottedAddress(reply)) {
        cur_server = servers.Primary;
        bak_server = servers.Backup;
    } else {
        reply = mystring::HttpGet(AccountUrl(servers.Backup, ServerCheckPath()));
        if (!StartsWithDottedAddress(reply)) return false;
        cur_server = servers.Backup;
        bak_server = servers.Primary;
    }
    TakeServerCheckReply(reply);
    return true;
}

TCredentialReply CredentialCheck(const UnicodeString& user, const UnicodeString& password) {
    const THttpFields fields{{L"UserID", Trim(user)}, {L"Upassword", Trim(password)}};
    TCredentialReply result;
    // When both servers fail the reply stays empty, which reads as a busy server.
    accountpost::PostWithFallback(CredentialCheckPath(lang_code), fields, result.Reply);
    result.Verdict = ReadCredentialReply(result.Reply);
    return result;
}

UnicodeString FetchLineList(TLineListUse use) {
    return mystring::HttpGet(AccountUrl(cur_server, LineListPath(lang_code, use)));
}

TKitStreamIniFile* NewLineListDocument(const UnicodeString& reply) {
    // The reply came as ANSI text and goes back into the same bytes for the document's reader.
    TStringStream stream(reply, TTextEncoding::Ansi);
    stream.SetPosition(0);
    TKitStreamIniFile* document = Construct<TKitStreamIniFile>(UnicodeString());
    document->LoadFromStream(&stream); // reports failure as false, never raises
    return document;
}

TLineCheckReply LineCheck(const UnicodeString& lineAddress, const UnicodeString& loginUser,
                          const UnicodeString& loginPassword) {
    const THttpFields fields{
        {L"serverip", lineAddress}, {L"username", loginUser}, {L"Upassword", loginPassword}};
    const UnicodeString reply = accountpost::PostOrEmpty(AccountUrl(cur_server, LineCheckPath()),
                                                         fields, AccountTimeouts().LineCheck);
    return ReadLineCheckReply(reply, loginUser, loginPassword);
}

TStatusVerdict StatusReport(const TStatusReportFields& report) {
    const THttpFields fields{
        {L"serverip", report.ServerIp},
        {L"userpeerip", report.UserPeerIp},
        {L"clientip", report.ClientIp},
        {L"uniqueid", report.UniqueId},
        {L"username", report.UserName},
        {L"xmitdata", Decimal(report.SentBytes)},
        {L"recvdata", Decimal(report.ReceivedBytes)},
        {L"onlinetime", Decimal(report.OnlineMilliseconds)},
    };
    const UnicodeString reply = accountpost::PostOrEmpty(AccountUrl(cur_server, StatusReportPath()),
                                                         fields, AccountTimeouts().Post);
    return reply == AccountTokenC ? TStatusVerdict::TooManyComputers : TStatusVerdict::Ignored;
}

TValidityReply ValidityCheck(const UnicodeString& loginUser, const UnicodeString& loginPassword) {
    const THttpFields fields{{L"UserID", loginUser}, {L"Upassword", loginPassword}};
    UnicodeString reply;
    if (!accountpost::PostWithFallback(ValidityCheckPath(lang_code), fields, reply)) return {};
    return ReadValidityReply(reply);
}
