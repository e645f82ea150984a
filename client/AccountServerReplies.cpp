// What the account server's replies mean. Replies are compared whole and case-sensitively, with
// no trimming: "Error" is an account text, and a token followed by a line break is not the token.
// Only the remaining-days label is matched loosely (a substring, ignoring case), as the server
// words it differently from version to version.
#include "client/AccountServerProtocol.h"

#include "client/AppShared.h"
#include "client/ServerDecoders.h"
#include "support/MYString/MYString.h"

TCredentialVerdict ReadCredentialReply(const UnicodeString& reply) {
    if (reply.empty()) return TCredentialVerdict::Busy;
    if (reply == L"error") return TCredentialVerdict::WrongLogin;
    if (reply == L"expire") return TCredentialVerdict::Expired;
    if (reply == L"useup") return TCredentialVerdict::UsedUp;
    return TCredentialVerdict::Accepted;
}

TLineCheckReply ReadLineCheckReply(const UnicodeString& reply, const UnicodeString& loginUser,
                                   const UnicodeString& loginPassword) {
    TLineCheckReply result{TLineCheckVerdict::Busy, reply, {}, {}};
    if (reply.empty()) return result;
    if (reply == AccountTokenA) {
        result.Verdict = TLineCheckVerdict::LoginAccount;
        result.DialUser = loginUser;
        result.DialPassword = loginPassword;
        return result;
    }
    TStringArray5 parts;
    mystring::SplitInto(parts, reply, AccountTokenB);
    result.DialUser = DecodeDialUser(parts[0]);
    result.DialPassword = DecodeDialPassword(parts[1]);
    result.Verdict =
        result.DialUser.empty() ? TLineCheckVerdict::NoCredentials : TLineCheckVerdict::Issued;
    return result;
}

namespace {

TValidityVerdict ValidityVerdictOf(const UnicodeString& reply) {
    if (reply == L"expire") return TValidityVerdict::Expired;
    if (reply == L"useup") return TValidityVerdict::UsedUp;
    if (reply == L"error") return TValidityVerdict::AccountError;
    return TValidityVerdict::Other;
}

bool ContainsIgnoringCase(const UnicodeString& text, const UnicodeString& part) {
    return Pos(AnsiUpperCase(part), AnsiUpperCase(text)) > 0;
}

} // namespace

TValidityReply ReadValidityReply(const UnicodeString& reply) {
    TValidityReply result{ValidityVerdictOf(reply), reply, false, 0};
    TStringArray5 parts;
    mystring::SplitInto(parts, reply, L":");
    // The label of the interface language; in traditional Chinese converted like every text.
    const UnicodeString label = LangText(L"remaind day", L"\x5269\x4F59\x5929\x6570");
    if (ContainsIgnoringCase(parts[0], label))
        result.HasRemainingDays = TryStrToInt(parts[1], result.RemainingDays);
    if (!result.HasRemainingDays) result.RemainingDays = 0;
    return result;
}
