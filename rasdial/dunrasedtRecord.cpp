// The phonebook-entry component's record: its properties packed into the RAS entry record of
// the running level (and back), the alternate numbers after the record, and the sub-entries.
//
// The alternate numbers are appended after the record inside the fixed buffer (4096 bytes for
// the entry, 491 for a sub-entry); numbers that do not fit are refused with 603 (buffer too
// small) before anything is written, rather than run past the buffer.
#include "rasdial/dunrasedt.h"

#include "framework/TextEncoding.h"
#include "rasdial/dunrascon.h"
#include "rasdial/dunrasconImpl.h"
#include "rasdial/dunsubs1.h"

#include <algorithm>
#include <utility>

namespace {

using TOption = std::pair<bool TDunRasEdt::*, DWORD>;

constexpr TOption Options[] = {
    {&TDunRasEdt::bUseCountryAndAreaCodes, 0x1},
    {&TDunRasEdt::bSpecificIPAddress, 0x2},
    {&TDunRasEdt::bSpecificNameServers, 0x4},
    {&TDunRasEdt::bHeaderCompression, 0x8},
    {&TDunRasEdt::bRemoteDefaultGateway, 0x10},
    {&TDunRasEdt::bDisableLCPExtensions, 0x20},
    {&TDunRasEdt::bTerminalBeforeDial, 0x40},
    {&TDunRasEdt::bTerminalAfterDial, 0x80},
    {&TDunRasEdt::bModemLights, 0x100},
    {&TDunRasEdt::bSoftwareCompression, 0x200},
    {&TDunRasEdt::bRequireEncryptedPassword, 0x400},
    {&TDunRasEdt::bRequireMSEncryptedPassword, 0x800},
    {&TDunRasEdt::bRequireDataEncryption, 0x1000},
    {&TDunRasEdt::bNetworkLogon, 0x2000},
    {&TDunRasEdt::bUseLogonCredentials, 0x4000},
    {&TDunRasEdt::bPromoteAlternates, 0x8000},
    {&TDunRasEdt::bSecureLocalFiles, 0x10000},
    {&TDunRasEdt::bRequireEAP, 0x20000},
    {&TDunRasEdt::bRequirePAP, 0x40000},
    {&TDunRasEdt::bRequireSPAP, 0x80000},
    {&TDunRasEdt::bCustom, 0x100000},
    {&TDunRasEdt::bPreviewPhoneNumber, 0x200000},
    {&TDunRasEdt::bSharedPhoneNumbers, 0x800000},
    {&TDunRasEdt::bPreviewUserPw, 0x1000000},
    {&TDunRasEdt::bPreviewDomain, 0x2000000},
    {&TDunRasEdt::bShowDialingProgress, 0x4000000},
    {&TDunRasEdt::bRequireCHAP, 0x8000000},
    {&TDunRasEdt::bRequireMsCHAP, 0x10000000},
    {&TDunRasEdt::bRequireMsCHAP2, 0x20000000},
    {&TDunRasEdt::bRequireW95MSCHAP, 0x40000000},
    {&TDunRasEdt::bCustomScript, 0x80000000},
};

constexpr TOption Options2[] = {
    {&TDunRasEdt::bSecureFileAndPrint, 0x1},     {&TDunRasEdt::bSecureClientForMSNet, 0x2},
    {&TDunRasEdt::bDontNegotiateMultilink, 0x4}, {&TDunRasEdt::bDontUseRasCredentials, 0x8},
    {&TDunRasEdt::bUsePreSharedKey, 0x10},       {&TDunRasEdt::bInternet, 0x20},
    {&TDunRasEdt::bDisableNbtOverIP, 0x40},      {&TDunRasEdt::bUseGlobalDeviceSettings, 0x80},
    {&TDunRasEdt::bReconnectIfDropped, 0x100},   {&TDunRasEdt::bSharePhoneNumbers, 0x200},
};

constexpr TOption Protocols[] = {
    {&TDunRasEdt::bNetBEUI, 0x1}, {&TDunRasEdt::bNetIPX, 0x2}, {&TDunRasEdt::bNetTCPIP, 0x4}};

constexpr Integer ErrorBufferTooSmall = 603;

template <std::size_t N> DWORD Pack(const TDunRasEdt& edt, const TOption (&table)[N]) {
    DWORD bits = 0;
    for (const auto& [option, bit] : table)
        if (edt.*option) bits |= bit;
    return bits;
}

template <std::size_t N> void Unpack(TDunRasEdt& edt, const TOption (&table)[N], DWORD bits) {
    for (const auto& [option, bit] : table) edt.*option = (bits & bit) != 0;
}

TRasEntryWXP& Entry(std::vector<Byte>& buffer) {
    return *reinterpret_cast<TRasEntryWXP*>(buffer.data());
}

TRasIPAddr ToAddr(Cardinal value) {
    TRasIPAddr address;
    std::memcpy(&address, &value, sizeof(address));
    return address;
}

Cardinal FromAddr(const TRasIPAddr& address) {
    Cardinal value = 0;
    std::memcpy(&value, &address, sizeof(value));
    return value;
}

#define TEXT_OF(record, field) FieldText((record).field, sizeof((record).field))
#define PUT_TEXT(record, field, text, limit)                                                       \
    PutFieldText((record).field, sizeof((record).field), (text), (limit))

// The NUL-separated numbers from `offset` up to `end`, trimmed, until an empty one.
void ReadAlternateList(const std::vector<Byte>& buffer, std::size_t offset, std::size_t end,
                       TStringList& list) {
    list.Clear();
    end = std::min(end, buffer.size());
    for (std::size_t pos = offset; offset != 0 && pos < end;) {
        const char* text = reinterpret_cast<const char*>(buffer.data() + pos);
        const std::size_t length = strnlen(text, end - pos);
        if (length == 0) break;
        list.Add(AnsiToUnicode(TrimAnsi(AnsiString(text, length))));
        pos += length + 1;
    }
}

// Appends the non-empty lines NUL-terminated plus a closing NUL at `offset`; answers the bytes
// written, or 0 with nothing written when they would not fit before `limit`.
std::size_t WriteAlternateList(const TStringList& list, std::vector<Byte>& buffer,
                               std::size_t offset, std::size_t limit) {
    AnsiString bytes;
    for (int i = 0; i < list.Count(); ++i) {
        const AnsiString line = UnicodeToAnsi(list.Strings(i));
        if (!line.empty()) bytes.append(line).push_back('\0');
    }
    bytes.push_back('\0');
    if (offset > limit || limit - offset < bytes.size()) return 0;
    std::copy(bytes.begin(), bytes.end(), buffer.begin() + static_cast<std::ptrdiff_t>(offset));
    return bytes.size();
}

bool HasLines(const TStringList& list) {
    for (int i = 0; i < list.Count(); ++i)
        if (!list.Strings(i).empty()) return true;
    return false;
}

} // namespace

Integer TDunRasEdt::ReadEntryRecord(const AnsiString& entryName) {
    return Finish(ReadRasEntryProperties(SelectedPhonebook(), entryName, FEntryBuffer,
                                         FDeviceBuffer, FEntrySize, FDeviceSize));
}

void TDunRasEdt::ReadFields() {
    const TRasEntryWXP& e = Entry(FEntryBuffer);
    const Byte level = RasOSLevel();
    Unpack(*this, Options, e.dwfOptions);
    CountryCode = static_cast<Integer>(e.dwCountryCode);
    CountryID = static_cast<Integer>(e.dwCountryID);
    AreaCode = TEXT_OF(e, szAreaCode);
    LocalPhoneNumber = TEXT_OF(e, szLocalPhoneNumber);
    PhoneCanonical = GetCanonical(bUseCountryAndAreaCodes, CountryCode, AreaCode, LocalPhoneNumber);
    IPAddress = IPToStr(FromAddr(e.ipaddr));
    DNSAddress = IPToStr(FromAddr(e.ipaddrDns));
    DNSAddressAlt = IPToStr(FromAddr(e.ipaddrDnsAlt));
    WINSAddress = IPToStr(FromAddr(e.ipaddrWins));
    WINSAddressAlt = IPToStr(FromAddr(e.ipaddrWinsAlt));
    FrameSize = static_cast<Integer>(e.dwFrameSize);
    FramingProtocol = static_cast<TFramingProtocol>(e.dwFramingProtocol);
    Unpack(*this, Protocols, e.dwfNetProtocols);
    Script = TEXT_OF(e, szScript);
    AutoDialDLL = TEXT_OF(e, szAutodialDll);
    AutoDialFunc = TEXT_OF(e, szAutodialFunc);
    DeviceType = LowerAnsi(TEXT_OF(e, szDeviceType));
    SplitDeviceName(e.szDeviceName, sizeof(e.szDeviceName), DeviceName, DevicePort);
    X25PadType = TEXT_OF(e, szX25PadType);
    X25Address = TEXT_OF(e, szX25Address);
    X25Facilities = TEXT_OF(e, szX25Facilities);
    X25UserData = TEXT_OF(e, szX25UserData);
    ISDNChannels = static_cast<Integer>(e.dwChannels);
    if (level >= RasLevelNT4) {
        FSubEntries = static_cast<Integer>(e.dwSubEntries);
        DialMode = static_cast<TDialMode>(e.dwDialMode);
        DialExtraPercent = static_cast<Integer>(e.dwDialExtraPercent);
        DialExtraSampleSeconds = static_cast<Integer>(e.dwDialExtraSampleSeconds);
        HangUpExtraPercent = static_cast<Integer>(e.dwHangUpExtraPercent);
        HangUpExtraSampleSeconds = static_cast<Integer>(e.dwHangUpExtraSampleSeconds);
        IdleDisconnectSeconds = e.dwIdleDisconnectSeconds;
        ReadAlternateList(FEntryBuffer, e.dwAlternateOffset, FEntrySize, *FAltPhoneNrList);
    }
    if (level >= RasLevelW2K) {
        PType = static_cast<TPType>(e.dwType);
        EncryptionType = static_cast<TEncryptionType>(e.dwEncryptionType);
        CustomAuthKey = static_cast<Integer>(e.dwCustomAuthKey);
        guidId = e.guidId;
        CustomDialDll = TEXT_OF(e, szCustomDialDll);
        VpnStrategy = static_cast<TVpnStrategy>(e.dwVpnStrategy);
    }
    Unpack(*this, Options2, level >= RasLevelXP ? e.dwfOptions2 : 0);
    if (level >= RasLevelXP) {
        DnsSuffix = TEXT_OF(e, szDnsSuffix);
        TcpWindowSize = e.dwTcpWindowSize;
        PrerequisitePbk = TEXT_OF(e, szPrerequisitePbk);
        PrerequisiteEntry = TEXT_OF(e, szPrerequisiteEntry);
        RedialCount = e.dwRedialCount;
        RedialPause = e.dwRedialPause;
    }
}

void TDunRasEdt::WriteFields() {
    TRasEntryWXP& e = Entry(FEntryBuffer);
    const Byte level = RasOSLevel();
    e.dwfOptions = Pack(*this, Options);
    e.dwCountryCode = static_cast<DWORD>(CountryCode);
    e.dwCountryID = static_cast<DWORD>(CountryID);
    PUT_TEXT(e, szAreaCode, AreaCode, 10);
    PUT_TEXT(e, szLocalPhoneNumber, LocalPhoneNumber, 128);
    e.ipaddr = ToAddr(StrToIP(IPAddress));
    e.ipaddrDns = ToAddr(StrToIP(DNSAddress));
    e.ipaddrDnsAlt = ToAddr(StrToIP(DNSAddressAlt));
    e.ipaddrWins = ToAddr(StrToIP(WINSAddress));
    e.ipaddrWinsAlt = ToAddr(StrToIP(WINSAddressAlt));
    e.dwFrameSize = FramingProtocol == frameSLIP ? static_cast<DWORD>(FrameSize) : 0;
    e.dwFramingProtocol = static_cast<DWORD>(FramingProtocol);
    e.dwfNetProtocols = Pack(*this, Protocols);
    PUT_TEXT(e, szScript, Script, 259);
    PUT_TEXT(e, szAutodialDll, AutoDialDLL, 259);
    PUT_TEXT(e, szAutodialFunc, AutoDialFunc, 259);
    PUT_TEXT(e, szDeviceType, DeviceType, 16);
    PUT_TEXT(e, szDeviceName, DeviceName, 128);
    PUT_TEXT(e, szX25PadType, X25PadType, 32);
    PUT_TEXT(e, szX25Address, X25Address, 200);
    PUT_TEXT(e, szX25Facilities, X25Facilities, 200);
    PUT_TEXT(e, szX25UserData, X25UserData, 200);
    if (level >= RasLevelNT4) {
        e.dwSubEntries = 0;
        e.dwDialMode = static_cast<DWORD>(DialMode);
        e.dwDialExtraPercent = static_cast<DWORD>(DialExtraPercent);
        e.dwDialExtraSampleSeconds = static_cast<DWORD>(DialExtraSampleSeconds);
        e.dwHangUpExtraPercent = static_cast<DWORD>(HangUpExtraPercent);
        e.dwHangUpExtraSampleSeconds = static_cast<DWORD>(HangUpExtraSampleSeconds);
        e.dwIdleDisconnectSeconds = IdleDisconnectSeconds;
    }
    if (level >= RasLevelW2K) {
        e.dwType = static_cast<DWORD>(PType);
        e.dwEncryptionType = static_cast<DWORD>(EncryptionType);
        e.dwCustomAuthKey = static_cast<DWORD>(CustomAuthKey);
        PUT_TEXT(e, szCustomDialDll, CustomDialDll, 259);
        e.dwVpnStrategy = static_cast<DWORD>(VpnStrategy);
    }
    if (level >= RasLevelXP) {
        e.dwfOptions2 = Pack(*this, Options2);
        PUT_TEXT(e, szDnsSuffix, DnsSuffix, 255);
        e.dwTcpWindowSize = TcpWindowSize;
        PUT_TEXT(e, szPrerequisitePbk, PrerequisitePbk, 259);
        PUT_TEXT(e, szPrerequisiteEntry, PrerequisiteEntry, 256);
        e.dwRedialCount = RedialCount;
        e.dwRedialPause = RedialPause;
    }
}

// Places the alternate numbers after the record; 603 when they do not fit into the buffer.
Integer TDunRasEdt::AppendAlternates() {
    TRasEntryWXP& e = Entry(FEntryBuffer);
    e.dwAlternateOffset = 0;
    if (RasOSLevel() < RasLevelNT4 || !HasLines(*FAltPhoneNrList)) return 0;
    const std::size_t written =
        WriteAlternateList(*FAltPhoneNrList, FEntryBuffer, FEntrySize, FEntryBuffer.size());
    if (written == 0) return ErrorBufferTooSmall;
    e.dwAlternateOffset = FEntrySize;
    FEntrySize += static_cast<DWORD>(written);
    return 0;
}

Integer TDunRasEdt::WriteRecord(const AnsiString& entryName) {
    return Finish(static_cast<Integer>(RasSetEntryPropertiesA(
        SelectedPhonebook(), entryName.c_str(), &Entry(FEntryBuffer), FEntrySize,
        FDeviceSize ? FDeviceBuffer.data() : nullptr, FDeviceSize)));
}

Integer TDunRasEdt::GetAllEntryProps(const AnsiString& EntryName) {
    if (const Integer missing = RasNeeds(RasGetEntryPropertiesA)) return LastError = missing;
    DefaultProps();
    SubInitTotal = 0;
    const Integer result = ReadEntryRecord(EntryName);
    if (result != 0) return result;
    ReadFields();
    SubCurTotal = 0;
    Integer code = result;
    for (Integer i = 1; i <= std::min(FSubEntries, 4); ++i) {
        code = GetSubEntryProps(EntryName, i);
        if (code != 0) break;
        ++SubCurTotal;
    }
    SubInitTotal = SubCurTotal;
    return code;
}

Integer TDunRasEdt::PutAllEntryProps(const AnsiString& EntryName) {
    if (const Integer missing = RasNeeds(RasSetEntryPropertiesA)) return LastError = missing;
    const bool level0 = RasOSLevel() == RasLevelWin9x;
    const bool keepModem =
        level0 && FDeviceSize >= sizeof(DWORD) &&
        *reinterpret_cast<const DWORD*>(FDeviceBuffer.data()) == DefaultModemConfigSize;
    std::fill(FEntryBuffer.begin(), FEntryBuffer.end(), Byte{0});
    Entry(FEntryBuffer).dwSize = FEntrySize = RasRecordSize(TRasRecord::Entry);
    if (!level0) {
        FDeviceSize = 0;
    } else if (FDeviceSize != 0 && !keepModem) {
        const auto config = DefaultModemConfig();
        std::copy(config.begin(), config.end(), FDeviceBuffer.begin());
        FDeviceSize = DefaultModemConfigSize;
    }
    WriteFields();
    if (const Integer tooLong = AppendAlternates()) return Finish(tooLong);
    if (RasOSLevel() >= RasLevelXP && SubCurTotal != 0 && SubCurTotal < SubInitTotal &&
        RasDeleteSubEntryA) {
        RasDeleteSubEntryA(SelectedPhonebook(), EntryName.c_str(),
                           static_cast<DWORD>(SubInitTotal));
        --SubInitTotal;
    }
    Integer result = WriteRecord(EntryName);
    if (result != 0 || level0 || SubCurTotal == 0) return result;
    for (Integer i = 1; i <= std::min(SubCurTotal, 4); ++i)
        if (const Integer failed = PutSubEntryProps(EntryName, i)) return failed;
    return WriteRecord(EntryName);
}

Integer TDunRasEdt::ReadSubEntryRecord(const AnsiString& entryName, Integer nr,
                                       std::vector<Byte>& buffer, DWORD& size) {
    DWORD deviceSize = 0;
    size = 0;
    Integer result = static_cast<Integer>(
        RasGetSubEntryPropertiesA(SelectedPhonebook(), entryName.c_str(), static_cast<DWORD>(nr),
                                  nullptr, &size, nullptr, &deviceSize));
    if (result != 0 && result != ErrorBufferTooSmall) return Finish(result);
    size = std::min<DWORD>(size, RasSubEntryBufferSize);
    reinterpret_cast<TRasSubEntry*>(buffer.data())->dwSize = RasRecordSize(TRasRecord::SubEntry);
    deviceSize = 0;
    result = static_cast<Integer>(RasGetSubEntryPropertiesA(
        SelectedPhonebook(), entryName.c_str(), static_cast<DWORD>(nr),
        reinterpret_cast<TRasSubEntry*>(buffer.data()), &size, nullptr, &deviceSize));
    size = std::min<DWORD>(size, RasSubEntryBufferSize);
    return Finish(result);
}

Integer TDunRasEdt::GetSubEntryProps(const AnsiString& EntryName, Integer SubEntryNr) {
    if (RasOSLevel() == RasLevelWin9x || SubEntryNr < 1 || SubEntryNr > 4)
        return RasErrorNotOnLevel;
    if (const Integer missing = RasNeeds(RasGetSubEntryPropertiesA)) return LastError = missing;
    std::vector<Byte> buffer(RasSubEntryBufferSize);
    DWORD size = 0;
    const Integer result = ReadSubEntryRecord(EntryName, SubEntryNr, buffer, size);
    if (result != 0) return result;
    const auto& sub = *reinterpret_cast<const TRasSubEntry*>(buffer.data());
    TSubEntryProps& props = SubEntry(SubEntryNr);
    props.DeviceType = LowerAnsi(TEXT_OF(sub, szDeviceType));
    SplitDeviceName(sub.szDeviceName, sizeof(sub.szDeviceName), props.DeviceName, props.DevicePort);
    props.LocalPhoneNumber = TEXT_OF(sub, szLocalPhoneNumber);
    props.PhoneCanonical =
        GetCanonical(bUseCountryAndAreaCodes, CountryCode, AreaCode, props.LocalPhoneNumber);
    ReadAlternateList(buffer, sub.dwAlternateOffset, size, *props.AltPhoneNrList);
    return 0;
}

Integer TDunRasEdt::PutSubEntryProps(const AnsiString& EntryName, Integer SubEntryNr) {
    if (RasOSLevel() == RasLevelWin9x || SubEntryNr < 1 || SubEntryNr > 4)
        return RasErrorNotOnLevel;
    if (const Integer missing = RasNeeds(RasSetSubEntryPropertiesA)) return LastError = missing;
    std::vector<Byte> buffer(RasSubEntryBufferSize);
    auto& sub = *reinterpret_cast<TRasSubEntry*>(buffer.data());
    const TSubEntryProps& props = SubEntry(SubEntryNr);
    DWORD size = sub.dwSize = RasRecordSize(TRasRecord::SubEntry);
    PUT_TEXT(sub, szDeviceType, props.DeviceType, 16);
    PUT_TEXT(sub, szDeviceName, props.DeviceName, 128);
    PUT_TEXT(sub, szLocalPhoneNumber, props.LocalPhoneNumber, 128);
    if (HasLines(*props.AltPhoneNrList)) {
        const std::size_t written =
            WriteAlternateList(*props.AltPhoneNrList, buffer, size, buffer.size());
        if (written == 0) return Finish(ErrorBufferTooSmall);
        sub.dwAlternateOffset = size;
        size += static_cast<DWORD>(written);
    }
    return Finish(static_cast<Integer>(
        RasSetSubEntryPropertiesA(SelectedPhonebook(), EntryName.c_str(),
                                  static_cast<DWORD>(SubEntryNr), &sub, size, nullptr, 0)));
}
