// The account dialogs' posts to the second service's account host: registration, top-up by a
// prepaid card and password change. One attempt each, no fall-back; a failed request reads as an
// unrecognised reply, so the dialog says the operation failed.
#include "client/AccountServerProtocol.h"

#include "client/AccountServerPost.h"
#include "framework/Conversions.h"

namespace {

UnicodeString PostToSecondService(const wchar_t* script, const THttpFields& fields) {
    THttpFields trimmed = fields;
    for (THttpField& field : trimmed) field.Value = Trim(field.Value);
    const UnicodeString url = AccountUrl(ServiceEndpoints().SecondService,
                                         UnicodeString(L"/sysadmin/useradmin/") + script);
    return accountpost::PostOrEmpty(url, trimmed, AccountTimeouts().Post);
}

} // namespace

TRegistrationVerdict PostRegistration(const TRegistrationForm& form) {
    const UnicodeString reply = PostToSecondService(L"user_self_new_saveDorrin162.php",
                                                    {{L"UserID", form.UserID},
                                                     {L"Upassword", form.Upassword},
                                                     {L"Upassword2", form.Upassword2},
                                                     {L"User_True", form.User_True},
                                                     {L"User_Mobile", form.User_Mobile},
                                                     {L"Email_Address", form.Email_Address},
                                                     {L"User_QQ", form.User_QQ},
                                                     {L"User_Address", form.User_Address}});
    if (reply == L"1") return TRegistrationVerdict::Closed;
    if (reply == L"2") return TRegistrationVerdict::NameTaken;
    if (reply == L"ok") return TRegistrationVerdict::Registered;
    return TRegistrationVerdict::Failed;
}

TTopUpVerdict PostTopUp(const TTopUpForm& form) {
    const UnicodeString reply =
        PostToSecondService(L"reckon_new_saveDorrin162.php", {{L"UserID", form.UserID},
                                                              {L"Upassword", form.Upassword},
                                                              {L"mycardid", form.mycardid},
                                                              {L"mycardpass", form.mycardpass}});
    if (reply == L"1") return TTopUpVerdict::WrongLogin;
    if (reply == L"2") return TTopUpVerdict::WrongCard;
    if (reply == L"3") return TTopUpVerdict::CardExpired;
    if (reply == L"ok") return TTopUpVerdict::ToppedUp;
    return TTopUpVerdict::Failed;
}

TPasswordChangeVerdict PostPasswordChange(const TPasswordChangeForm& form) {
    const UnicodeString reply =
        PostToSecondService(L"mypass_saveDorrin162.php", {{L"UserID", form.UserID},
                                                          {L"Upassword", form.Upassword},
                                                          {L"Upassword1", form.Upassword1},
                                                          {L"Upassword2", form.Upassword2}});
    if (reply == L"1") return TPasswordChangeVerdict::WrongLogin;
    if (reply == L"ok") return TPasswordChangeVerdict::Changed;
    return TPasswordChangeVerdict::Failed;
}
