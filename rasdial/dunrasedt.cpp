// The phonebook-entry component's life, defaults, phonebook choice, credentials and country
// list. The record itself is read and written in dunrasedtRecord.cpp.
#include "rasdial/dunrasedt.h"

#include "framework/TextEncoding.h"
#include "rasdial/dunrascon.h"
#include "rasdial/dunrasconImpl.h"
#include "rasdial/dunrasstr.h"
#include "rasdial/dunsubs1.h"

namespace {

constexpr wchar_t Banner[] = L"TDunRasEdt release 5.50 (10 Dec 2026)";
constexpr std::size_t MaxCountries = 261;

} // namespace

TDunRasEdt::TDunRasEdt(TComponent* AOwner)
    : TComponent(AOwner), FAltPhoneNrList(std::make_unique<TStringList>()),
      FCountryList(std::make_unique<TStringList>()), FEntryBuffer(RasEntryBufferSize),
      FDeviceBuffer(256) {
    DefaultProps();
    Version = Banner;
    FDefCountryId = TextToInt(GetLocaleText(LOCALE_ICOUNTRY));
    if (!RasApiAvailable()) {
        LastError = RasErrorLibraryMissing;
        return;
    }
    CreatePhonebookFiles();
    SetupPhonebookPaths();
    SetPBLocation(RasOSLevel() < RasLevelVista ? 1 : 0);
}

TDunRasEdt::~TDunRasEdt() = default;

// A phonebook file that is missing is created holding one blank line, as RAS expects an
// existing file; failures are left for the dial to report.
void TDunRasEdt::CreatePhonebookFiles() {
    for (const AnsiString& path : PhonebookPaths) {
        if (path.size() < 2 || path.find(':') != 1) continue;
        const UnicodeString file = AnsiToUnicode(path);
        if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        try {
            TStringList lines;
            lines.Add(L" ");
            if (ForceDirs(file.substr(0, file.find_last_of(L'\\') + 1))) lines.SaveToFile(file);
        } catch (const std::exception&) {
        }
    }
}

Integer TDunRasEdt::Finish(Integer code) {
    LastError = code;
    if (code != 0) StatusStr = GetErrorString(code);
    return code;
}

UnicodeString TDunRasEdt::GetErrorString(Integer code) {
    return RasErrorString(code, false, LastError);
}

bool TDunRasEdt::TestRas() { return RasTestRas(LastError, StatusStr); }

LPCSTR TDunRasEdt::SelectedPhonebook() const noexcept {
    return FUseSelection ? FPhoneBookPath.c_str() : nullptr;
}

void TDunRasEdt::SetPBLocation(Integer value) {
    FUseSelection = false;
    if (RasOSLevel() < RasLevelW2K || (value != 0 && value != 1)) return;
    FPBLocation = value;
    FPhoneBookPath = PhonebookPaths[static_cast<std::size_t>(value)];
    FUseSelection = true;
}

void TDunRasEdt::SetPhoneBookPath(const AnsiString& value) {
    if (RasOSLevel() != RasLevelNT4) return;
    FPhoneBookPath = TrimAnsi(value);
    FUseSelection = !FPhoneBookPath.empty();
}

void TDunRasEdt::DefaultProps() {
    for (bool* option : {&bUseCountryAndAreaCodes,
                         &bSpecificIPAddress,
                         &bSpecificNameServers,
                         &bHeaderCompression,
                         &bRemoteDefaultGateway,
                         &bDisableLCPExtensions,
                         &bTerminalBeforeDial,
                         &bTerminalAfterDial,
                         &bModemLights,
                         &bSoftwareCompression,
                         &bRequireEncryptedPassword,
                         &bRequireMSEncryptedPassword,
                         &bRequireDataEncryption,
                         &bNetworkLogon,
                         &bUseLogonCredentials,
                         &bPromoteAlternates,
                         &bSecureLocalFiles,
                         &bRequireEAP,
                         &bRequirePAP,
                         &bRequireSPAP,
                         &bCustom,
                         &bPreviewPhoneNumber,
                         &bSharedPhoneNumbers,
                         &bPreviewUserPw,
                         &bPreviewDomain,
                         &bShowDialingProgress,
                         &bRequireCHAP,
                         &bRequireMsCHAP,
                         &bRequireMsCHAP2,
                         &bRequireW95MSCHAP,
                         &bCustomScript,
                         &bSecureFileAndPrint,
                         &bSecureClientForMSNet,
                         &bDontNegotiateMultilink,
                         &bDontUseRasCredentials,
                         &bUsePreSharedKey,
                         &bInternet,
                         &bDisableNbtOverIP,
                         &bUseGlobalDeviceSettings,
                         &bReconnectIfDropped,
                         &bSharePhoneNumbers,
                         &bNetBEUI,
                         &bNetIPX,
                         &bNetTCPIP})
        *option = false;
    CountryCode = CountryID = 0;
    AreaCode.clear();
    LocalPhoneNumber.clear();
    PhoneCanonical.clear();
    for (AnsiString* address :
         {&IPAddress, &DNSAddress, &DNSAddressAlt, &WINSAddress, &WINSAddressAlt})
        *address = "0.0.0.0";
    FrameSize = 0;
    FramingProtocol = framePPP;
    for (AnsiString* text :
         {&Script, &AutoDialDLL, &AutoDialFunc, &DeviceName, &DevicePort, &DeviceType, &X25PadType,
          &X25Address, &X25Facilities, &X25UserData, &CustomDialDll, &DnsSuffix, &PrerequisitePbk,
          &PrerequisiteEntry, &UserName, &Password, &Domain, &CallbackNumber})
        text->clear();
    ISDNChannels = FSubEntries = 0;
    DialMode = dialAll;
    DialExtraPercent = DialExtraSampleSeconds = HangUpExtraPercent = HangUpExtraSampleSeconds = 0;
    IdleDisconnectSeconds = 0xFFFFFFFF;
    PType = typePhone;
    EncryptionType = encryptOptional;
    CustomAuthKey = 0;
    guidId = GUID{};
    VpnStrategy = vpnDefault;
    TcpWindowSize = RedialCount = RedialPause = 0;
    PasswordFlag = 0;
    FAltPhoneNrList->Clear();
    for (TSubEntryProps& sub : FSub) {
        sub.LocalPhoneNumber.clear();
        sub.PhoneCanonical.clear();
        sub.DeviceType.clear();
        sub.DeviceName.clear();
        sub.DevicePort.clear();
        sub.AltPhoneNrList->Clear();
    }
    SubCurTotal = 0;
}

void TDunRasEdt::PPPDefault() {
    DefaultProps();
    bNetTCPIP = bHeaderCompression = bRemoteDefaultGateway = true;
    CountryID = CountryCode = FDefCountryId;
    FPhoneBookPath.clear();
    SetPBLocation(RasOSLevel() < RasLevelVista ? 1 : 0);
}

AnsiString TDunRasEdt::GetCanonical(bool useCodes, Integer countryCode, const AnsiString& areaCode,
                                    const AnsiString& localNumber) {
    return ::GetCanonical(useCodes, countryCode, areaCode, localNumber);
}

void TDunRasEdt::SetCanonical(const AnsiString& text) {
    UnpackCanonical(text, bUseCountryAndAreaCodes, CountryCode, LocalPhoneNumber, AreaCode);
}

Integer TDunRasEdt::GetDialProps(const AnsiString& EntryName) {
    UserName.clear();
    Password.clear();
    CallbackNumber.clear();
    Domain.clear();
    PasswordFlag = 0;
    if (RasOSLevel() == RasLevelWin9x) {
        if (const Integer missing = RasNeeds(RasGetEntryDialParamsA)) return LastError = missing;
        TRasDialParamsNT4 params{};
        params.dwSize = RasRecordSize(TRasRecord::DialParams);
        PutFieldText(params.szEntryName, sizeof(params.szEntryName), EntryName, 256);
        BOOL stored = FALSE;
        const Integer result =
            static_cast<Integer>(RasGetEntryDialParamsA(nullptr, &params, &stored));
        PasswordFlag = stored ? 1 : 0;
        if (result != 0) return Finish(result);
        UserName = FieldText(params.szUserName, sizeof(params.szUserName));
        if (PasswordFlag) Password = FieldText(params.szPassword, sizeof(params.szPassword));
        CallbackNumber = FieldText(params.szCallbackNumber, sizeof(params.szCallbackNumber));
        Domain = FieldText(params.szDomain, sizeof(params.szDomain));
        return Finish(0);
    }
    if (const Integer missing = RasNeeds(RasGetCredentialsA)) return LastError = missing;
    TRasCredentials creds{};
    creds.dwSize = RasRecordSize(TRasRecord::Credentials);
    creds.dwMask = RASCM_UserName | RASCM_Password | RASCM_Domain;
    if (FPBLocation == 1 && bDefaultCreds) creds.dwMask |= RASCM_DefaultCreds;
    const Integer result =
        static_cast<Integer>(RasGetCredentialsA(SelectedPhonebook(), EntryName.c_str(), &creds));
    if (result != 0) return Finish(result);
    if (creds.dwMask & RASCM_UserName)
        UserName = FieldText(creds.szUserName, sizeof(creds.szUserName));
    if (creds.dwMask & RASCM_Password) {
        Password = FieldText(creds.szPassword, sizeof(creds.szPassword));
        PasswordFlag = 1;
    }
    if (creds.dwMask & RASCM_Domain) Domain = FieldText(creds.szDomain, sizeof(creds.szDomain));
    return Finish(0);
}

Integer TDunRasEdt::PutDialProps(const AnsiString& EntryName) {
    if (!RasApiAvailable()) return LastError = RasErrorLibraryMissing;
    if (RasOSLevel() == RasLevelWin9x) {
        if (const Integer missing = RasNeeds(RasSetEntryDialParamsA)) return LastError = missing;
        TRasDialParamsNT4 params{};
        params.dwSize = RasRecordSize(TRasRecord::DialParams);
        PutFieldText(params.szEntryName, sizeof(params.szEntryName), EntryName, 256);
        PutFieldText(params.szCallbackNumber, sizeof(params.szCallbackNumber), CallbackNumber, 128);
        PutFieldText(params.szUserName, sizeof(params.szUserName), UserName, 256);
        PutFieldText(params.szPassword, sizeof(params.szPassword), Password, 256);
        PutFieldText(params.szDomain, sizeof(params.szDomain), Domain, 15);
        const BOOL removePassword = Password.empty() && !PasswordFlag;
        return Finish(static_cast<Integer>(
            RasSetEntryDialParamsA(SelectedPhonebook(), &params, removePassword)));
    }
    if (const Integer missing = RasNeeds(RasSetCredentialsA)) return LastError = missing;
    TRasCredentials creds{};
    creds.dwSize = RasRecordSize(TRasRecord::Credentials);
    creds.dwMask = RASCM_UserName;
    if (!Password.empty() || PasswordFlag) creds.dwMask |= RASCM_Password;
    if (!Domain.empty()) creds.dwMask |= RASCM_Domain;
    if (FPBLocation == 1 && bDefaultCreds) creds.dwMask |= RASCM_DefaultCreds;
    PutFieldText(creds.szUserName, sizeof(creds.szUserName), UserName, 256);
    PutFieldText(creds.szPassword, sizeof(creds.szPassword), Password, 256);
    PutFieldText(creds.szDomain, sizeof(creds.szDomain), Domain, 15);
    return Finish(static_cast<Integer>(
        RasSetCredentialsA(SelectedPhonebook(), EntryName.c_str(), &creds, FALSE)));
}

Integer TDunRasEdt::GetAllCountryInfo() {
    if (const Integer missing = RasNeeds(RasGetCountryInfoA)) return LastError = missing;
    FCountryList->Clear();
    FCountryIds.clear();
    FCountryCodes.clear();
    DWORD id = 1;
    Integer result = 0;
    while (id != 0 && FCountryIds.size() < MaxCountries) {
        std::vector<Byte> buffer(RasCtryInfoBufferSize);
        auto& info = *reinterpret_cast<TRasCtryInfo*>(buffer.data());
        info.dwSize = RasRecordSize(TRasRecord::CtryInfo);
        info.dwCountryID = id;
        DWORD size = static_cast<DWORD>(buffer.size());
        result = static_cast<Integer>(RasGetCountryInfoA(&info, &size));
        LastError = result;
        if (result != 0) break;
        AnsiString name;
        if (info.dwCountryNameOffset < buffer.size()) {
            const char* text =
                reinterpret_cast<const char*>(buffer.data() + info.dwCountryNameOffset);
            name =
                TrimAnsi(AnsiString(text, strnlen(text, buffer.size() - info.dwCountryNameOffset)));
        }
        FCountryList->Add(
            AnsiToUnicode(name + " (" + IntToAnsi(static_cast<Integer>(info.dwCountryCode)) + ")"));
        FCountryIds.push_back(static_cast<Integer>(id));
        FCountryCodes.push_back(static_cast<Integer>(info.dwCountryCode));
        id = info.dwNextCountryID;
    }
    return result;
}

Integer TDunRasEdt::CountryIdOf(int i) const {
    return i >= 0 && static_cast<std::size_t>(i) < FCountryIds.size()
               ? FCountryIds[static_cast<std::size_t>(i)]
               : 0;
}

Integer TDunRasEdt::CountryCodeOf(int i) const {
    return i >= 0 && static_cast<std::size_t>(i) < FCountryCodes.size()
               ? FCountryCodes[static_cast<std::size_t>(i)]
               : 0;
}
