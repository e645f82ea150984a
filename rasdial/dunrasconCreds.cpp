// The stored dial credentials of the dialling component: on NT levels the RAS credentials of
// the entry (as the all-users default when asked), on level 0 the entry's dial parameters.
#include "rasdial/dunrascon.h"

#include "rasdial/dunrasconImpl.h"
#include "rasdial/dunsubs1.h"

namespace {

bool DefaultCredentials(Integer pbLocation, bool defaultCreds) {
    return pbLocation == 1 && defaultCreds;
}

} // namespace

Integer TDunRasCon::ReadCredentials() {
    if (!RasGetCredentialsA) return KeepCode(RasErrorLibraryMissing);
    TRasCredentials creds{};
    creds.dwSize = RasRecordSize(TRasRecord::Credentials);
    creds.dwMask = RASCM_UserName | RASCM_Password | RASCM_Domain;
    if (DefaultCredentials(FPBLocation, bDefaultCreds)) creds.dwMask |= RASCM_DefaultCreds;
    const Integer result =
        static_cast<Integer>(RasGetCredentialsA(SelectedPhonebook(), EntryName.c_str(), &creds));
    if (result != 0) return Finish(result);
    if (creds.dwMask & RASCM_UserName) UserName = FieldText(creds.szUserName, 257);
    if (creds.dwMask & RASCM_Password) {
        Password = FieldText(creds.szPassword, 257);
        PasswordFlag = 1;
    }
    if (creds.dwMask & RASCM_Domain) Domain = FieldText(creds.szDomain, 16);
    return Finish(0);
}

Integer TDunRasCon::ReadDialParamsLevel0() {
    if (!RasGetEntryDialParamsA) return KeepCode(RasErrorLibraryMissing);
    RasDialParamsNT4 = TRasDialParamsNT4{};
    RasDialParamsNT4.dwSize = RasRecordSize(TRasRecord::DialParams);
    PutFieldText(RasDialParamsNT4.szEntryName, sizeof(RasDialParamsNT4.szEntryName), EntryName,
                 256);
    BOOL stored = FALSE;
    const Integer result =
        static_cast<Integer>(RasGetEntryDialParamsA(nullptr, &RasDialParamsNT4, &stored));
    PasswordFlag = stored ? 1 : 0;
    if (result != 0) return Finish(result);
    const TRasDialParamsNT4& p = RasDialParamsNT4;
    UserName = FieldText(p.szUserName, sizeof(p.szUserName));
    if (PasswordFlag) Password = FieldText(p.szPassword, sizeof(p.szPassword));
    CallbackNumber = FieldText(p.szCallbackNumber, sizeof(p.szCallbackNumber));
    Domain = FieldText(p.szDomain, sizeof(p.szDomain));
    return Finish(0);
}

Integer TDunRasCon::GetDialParams() {
    UserName.clear();
    Password.clear();
    CallbackNumber.clear();
    Domain.clear();
    PasswordFlag = 0;
    if (!RasApiAvailable()) return KeepCode(RasErrorLibraryMissing);
    return RasOSLevel() == RasLevelWin9x ? ReadDialParamsLevel0() : ReadCredentials();
}

Integer TDunRasCon::SetDialParams() {
    if (!RasApiAvailable()) return KeepCode(RasErrorLibraryMissing);
    if (RasOSLevel() == RasLevelWin9x) {
        if (!RasSetEntryDialParamsA) return KeepCode(RasErrorLibraryMissing);
        BuildDialParams();
        const BOOL removePassword = Password.empty() && !PasswordFlag;
        return Finish(static_cast<Integer>(
            RasSetEntryDialParamsA(nullptr, &RasDialParamsNT4, removePassword)));
    }
    if (!RasSetCredentialsA) return KeepCode(RasErrorLibraryMissing);
    TRasCredentials creds{};
    creds.dwSize = RasRecordSize(TRasRecord::Credentials);
    creds.dwMask = RASCM_UserName;
    if (!Password.empty() || PasswordFlag) creds.dwMask |= RASCM_Password;
    if (!Domain.empty()) creds.dwMask |= RASCM_Domain;
    if (DefaultCredentials(FPBLocation, bDefaultCreds)) creds.dwMask |= RASCM_DefaultCreds;
    PutFieldText(creds.szUserName, sizeof(creds.szUserName), UserName, 256);
    PutFieldText(creds.szPassword, sizeof(creds.szPassword), Password, 256);
    PutFieldText(creds.szDomain, sizeof(creds.szDomain), Domain, 15);
    return Finish(static_cast<Integer>(
        RasSetCredentialsA(SelectedPhonebook(), EntryName.c_str(), &creds, FALSE)));
}
