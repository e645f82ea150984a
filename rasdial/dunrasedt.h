// The phonebook-entry component `TDunRasEdt`: every property of one phonebook entry as a field,
// written to the phonebook as a RAS entry record (with its sub-entries and alternate numbers)
// and read back, the entry's credentials, address texts and the country list.
//
// The record written carries only the fields of the running system level (`RasOSLevel`); the
// rest of the buffer stays zero. The entry's name is an argument of each operation. GUI thread
// only. Every operation answers a RAS or system code (0 = success), keeps it in `LastError` and
// puts its text into `StatusStr` on failure; 1157 when the RAS library or an entry point is
// missing. 8-bit texts are in the system code page.
#pragma once

#include "framework/Components.h"
#include "framework/StringLists.h"
#include "rasdial/dunrasapi.h"

#include <array>
#include <memory>
#include <vector>

enum TFramingProtocol { framePPP = 1, frameSLIP = 2, frameNetbeui = 4 };
enum TDialMode { dialSingle = 0, dialAll = 1, dialAsNeeded = 2 };
enum TPType {
    typeUnknown = 0,
    typePhone = 1,
    typeVNP = 2,
    typeDirect = 3,
    typeInternet = 4,
    typeBroadband = 5
};
enum TEncryptionType { encryptNone = 0, encrypt40bit = 1, encrypt128bit = 2, encryptOptional = 3 };
enum TVpnStrategy {
    vpnDefault = 0,
    vpnPptpOnly = 1,
    vpnPptpFirst = 2,
    vpnL2tpOnly = 3,
    vpnL2tpFirst = 4
};

class TDunRasEdt : public TComponent {
    CLASS_INFO(TDunRasEdt, TComponent)
public:
    explicit TDunRasEdt(TComponent* AOwner);
    ~TDunRasEdt() override;

    Integer LastError = 0;
    UnicodeString StatusStr;

    bool DAXCtrl = false;
    UnicodeString Version;

    // Options (dwfOptions bits).
    bool bUseCountryAndAreaCodes = false, bSpecificIPAddress = false, bSpecificNameServers = false,
         bHeaderCompression = false, bRemoteDefaultGateway = false, bDisableLCPExtensions = false,
         bTerminalBeforeDial = false, bTerminalAfterDial = false, bModemLights = false,
         bSoftwareCompression = false, bRequireEncryptedPassword = false,
         bRequireMSEncryptedPassword = false, bRequireDataEncryption = false, bNetworkLogon = false,
         bUseLogonCredentials = false, bPromoteAlternates = false, bSecureLocalFiles = false,
         bRequireEAP = false, bRequirePAP = false, bRequireSPAP = false, bCustom = false,
         bPreviewPhoneNumber = false, bSharedPhoneNumbers = false, bPreviewUserPw = false,
         bPreviewDomain = false, bShowDialingProgress = false, bRequireCHAP = false,
         bRequireMsCHAP = false, bRequireMsCHAP2 = false, bRequireW95MSCHAP = false,
         bCustomScript = false;
    // Second options (dwfOptions2 bits, levels 3 and 4).
    bool bSecureFileAndPrint = false, bSecureClientForMSNet = false,
         bDontNegotiateMultilink = false, bDontUseRasCredentials = false, bUsePreSharedKey = false,
         bInternet = false, bDisableNbtOverIP = false, bUseGlobalDeviceSettings = false,
         bReconnectIfDropped = false, bSharePhoneNumbers = false;

    Integer CountryCode = 0, CountryID = 0;
    AnsiString AreaCode, LocalPhoneNumber, PhoneCanonical;
    AnsiString IPAddress, DNSAddress, DNSAddressAlt, WINSAddress, WINSAddressAlt;
    Integer FrameSize = 0;
    TFramingProtocol FramingProtocol = framePPP;
    bool bNetBEUI = false, bNetIPX = false, bNetTCPIP = false;
    AnsiString Script, AutoDialDLL, AutoDialFunc, DeviceType, DeviceName, DevicePort;
    AnsiString X25PadType, X25Address, X25Facilities, X25UserData;
    Integer ISDNChannels = 0;
    Integer SubEntries() const noexcept { return FSubEntries; }
    TDialMode DialMode = dialAll;
    Integer DialExtraPercent = 0, DialExtraSampleSeconds = 0, HangUpExtraPercent = 0,
            HangUpExtraSampleSeconds = 0;
    Cardinal IdleDisconnectSeconds = 0xFFFFFFFF;
    TPType PType = typePhone;
    TEncryptionType EncryptionType = encryptOptional;
    Integer CustomAuthKey = 0;
    GUID guidId{};
    AnsiString CustomDialDll;
    TVpnStrategy VpnStrategy = vpnDefault;
    AnsiString DnsSuffix;
    Cardinal TcpWindowSize = 0;
    AnsiString PrerequisitePbk, PrerequisiteEntry;
    Cardinal RedialCount = 0, RedialPause = 0;

    const AnsiString& PhoneBookPath() const noexcept { return FPhoneBookPath; }
    void SetPhoneBookPath(const AnsiString& value);
    Integer PBLocation() const noexcept { return FPBLocation; }
    void SetPBLocation(Integer value);
    bool bDefaultCreds = false;
    Integer DefCountryId() const noexcept { return FDefCountryId; }

    AnsiString UserName, Password, Domain, CallbackNumber;
    Integer PasswordFlag = 0; // a 32-bit Boolean

    TStringList* AltPhoneNrList() const noexcept { return FAltPhoneNrList.get(); }
    Integer SubCurTotal = 0;
    TStringList* CountryList() const noexcept { return FCountryList.get(); }
    // The country id and code of `CountryList` line i.
    Integer CountryIdOf(int i) const;
    Integer CountryCodeOf(int i) const;

    // Sub-entry 1..4 as read or to be written.
    struct TSubEntryProps {
        AnsiString LocalPhoneNumber, PhoneCanonical, DeviceType, DeviceName, DevicePort;
        std::unique_ptr<TStringList> AltPhoneNrList = std::make_unique<TStringList>();
    };
    TSubEntryProps& SubEntry(int i) { return FSub.at(static_cast<std::size_t>(i - 1)); }

    void DefaultProps();
    void PPPDefault();
    Integer GetAllEntryProps(const AnsiString& EntryName);
    Integer PutAllEntryProps(const AnsiString& EntryName);
    Integer GetSubEntryProps(const AnsiString& EntryName, Integer SubEntryNr);
    Integer PutSubEntryProps(const AnsiString& EntryName, Integer SubEntryNr);
    Integer GetDialProps(const AnsiString& EntryName);
    Integer PutDialProps(const AnsiString& EntryName);
    static AnsiString GetCanonical(bool useCodes, Integer countryCode, const AnsiString& areaCode,
                                   const AnsiString& localNumber);
    void SetCanonical(const AnsiString& text);
    static AnsiString IPToStr(Cardinal address);
    static Cardinal StrToIP(const AnsiString& text);
    static bool IsIPStr(const AnsiString& text);
    static bool IsFmtIPStr(AnsiString& text);
    static bool Str2IP(const AnsiString& text, TRasIPAddr& address);
    Integer GetAllCountryInfo();
    UnicodeString GetErrorString(Integer code);
    bool TestRas();

private:
    Integer Finish(Integer code);
    LPCSTR SelectedPhonebook() const noexcept;
    void CreatePhonebookFiles();
    Integer ReadEntryRecord(const AnsiString& entryName);
    void ReadFields();
    void WriteFields();
    Integer AppendAlternates();
    Integer WriteRecord(const AnsiString& entryName);
    Integer ReadSubEntryRecord(const AnsiString& entryName, Integer nr, std::vector<Byte>& buffer,
                               DWORD& size);

    AnsiString FPhoneBookPath;
    Integer FPBLocation = 0;
    bool FUseSelection = false;
    Integer FDefCountryId = 0;
    Integer FSubEntries = 0;
    Integer SubInitTotal = 0;
    std::unique_ptr<TStringList> FAltPhoneNrList, FCountryList;
    std::array<TSubEntryProps, 4> FSub;
    std::vector<Integer> FCountryIds, FCountryCodes;
    // The entry record and the device information; kept between a read and a write.
    std::vector<Byte> FEntryBuffer;
    std::vector<Byte> FDeviceBuffer;
    DWORD FEntrySize = 0;
    DWORD FDeviceSize = 0;
};
