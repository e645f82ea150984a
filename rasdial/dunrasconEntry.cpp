// The phonebook-entry operations of the dialling component: names (validate, delete, rename,
// copy), the system's entry dialogs, reading and writing the entry record, the device and
// country lists and the list of entries. The entry record read last stays in the component's
// buffer until it is written back; every text taken from it stops at its field's end.
#include "rasdial/dunrascon.h"

#include "framework/TextEncoding.h"
#include "rasdial/dunrasconImpl.h"
#include "rasdial/dunrasent.h"
#include "rasdial/dunrasstr.h"
#include "rasdial/dunsubs1.h"

#include <algorithm>

namespace {

constexpr DWORD RASEO_UseCountryAndAreaCodes = 0x1;
constexpr DWORD RASEO_PromoteAlternates = 0x8000;
constexpr DWORD RASEDFLAG_NewEntry = 0x2;
constexpr DWORD RASEDFLAG_NoRename = 0x8;
constexpr DWORD RASEDFLAG_NewPhoneEntry = 0x10;
constexpr DWORD ModemConfigSignature = DefaultModemConfigSize;

bool MultiLinkProfile(const AnsiString& entryName) {
    const AnsiString key = "RemoteAccess\\Profile\\" + entryName;
    DWORD value = 0;
    DWORD size = sizeof(value);
    return RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "MultiLink", RRF_RT_REG_DWORD, nullptr,
                        &value, &size) == ERROR_SUCCESS &&
           value == 1;
}

TRasEntryWXP& EntryRecordOf(std::vector<Byte>& buffer) {
    return *reinterpret_cast<TRasEntryWXP*>(buffer.data());
}

} // namespace

Integer TDunRasCon::ValidateName(const AnsiString& NewName) {
    if (const Integer missing = RasNeeds(RasValidateEntryNameA)) return KeepCode(missing);
    return Finish(
        static_cast<Integer>(RasValidateEntryNameA(SelectedPhonebook(), NewName.c_str())));
}

Integer TDunRasCon::DeletePhonebook() {
    if (const Integer missing = RasNeeds(RasDeleteEntryA)) return KeepCode(missing);
    const Integer result =
        static_cast<Integer>(RasDeleteEntryA(SelectedPhonebook(), EntryName.c_str()));
    if (result == 0) EntryName.clear();
    return Finish(result);
}

Integer TDunRasCon::RenamePhonebook(const AnsiString& NewName) {
    if (const Integer missing = RasNeeds(RasRenameEntryA)) return KeepCode(missing);
    if (ValidateName(NewName) != 0) return LastError();
    const Integer result = static_cast<Integer>(
        RasRenameEntryA(SelectedPhonebook(), EntryName.c_str(), NewName.c_str()));
    if (result == 0) EntryName = NewName;
    return Finish(result);
}

Integer TDunRasCon::CopyPhonebook(const AnsiString& NewName) {
    if (const Integer missing = RasNeeds(RasValidateEntryNameA)) return KeepCode(missing);
    const Integer result = static_cast<Integer>(RasValidateEntryNameA(nullptr, NewName.c_str()));
    if (result != 0) return Finish(result);
    EntryName = NewName;
    return PutEntryProperties();
}

Integer TDunRasCon::EditPhonebook(HWND Owner) {
    if (!RasApiAvailable()) return KeepCode(RasErrorLibraryMissing);
    if (RasOSLevel() >= RasLevelNT4 && RasEntryDlgA) {
        TRasEntryDlg dialog{};
        dialog.dwSize = RasRecordSize(TRasRecord::EntryDlg);
        dialog.hwndOwner = Owner;
        dialog.dwFlags = RASEDFLAG_NoRename;
        AnsiString phonebook = SelectedPhonebook() ? FPhoneBookPath : AnsiString();
        AnsiString entry = EntryName;
        const BOOL done =
            RasEntryDlgA(SelectedPhonebook() ? phonebook.data() : nullptr, entry.data(), &dialog);
        return Finish(done ? 0 : static_cast<Integer>(dialog.dwError));
    }
    if (!RasEditPhonebookEntryA) return KeepCode(RasErrorLibraryMissing);
    return Finish(static_cast<Integer>(
        RasEditPhonebookEntryA(Owner, SelectedPhonebook(), EntryName.c_str())));
}

Integer TDunRasCon::CreatePhonebook(HWND Owner) {
    if (!RasApiAvailable()) return KeepCode(RasErrorLibraryMissing);
    if (RasOSLevel() >= RasLevelNT4 && RasEntryDlgA) {
        TRasEntryDlg dialog{};
        dialog.dwSize = RasRecordSize(TRasRecord::EntryDlg);
        dialog.hwndOwner = Owner;
        dialog.dwFlags = RASEDFLAG_NewEntry | RASEDFLAG_NewPhoneEntry;
        AnsiString phonebook = SelectedPhonebook() ? FPhoneBookPath : AnsiString();
        const BOOL done =
            RasEntryDlgA(SelectedPhonebook() ? phonebook.data() : nullptr, nullptr, &dialog);
        return Finish(done ? 0 : static_cast<Integer>(dialog.dwError));
    }
    if (!RasCreatePhonebookEntryA) return KeepCode(RasErrorLibraryMissing);
    return Finish(static_cast<Integer>(RasCreatePhonebookEntryA(Owner, nullptr)));
}

// Reads the entry record of `EntryName` into the component's buffers.
Integer TDunRasCon::ReadEntryRecord() {
    FSub.fill({});
    SubCurTotal = 0;
    return Finish(ReadRasEntryProperties(SelectedPhonebook(), EntryName, FEntryBuffer,
                                         FDeviceBuffer, FEntrySize, FDeviceSize));
}

void TDunRasCon::ReadAlternates(const Byte* base, std::size_t offset, std::size_t end,
                                TStringList* list) {
    list->Clear();
    if (offset == 0) return;
    for (std::size_t pos = offset; pos < end;) {
        const char* text = reinterpret_cast<const char*>(base + pos);
        const std::size_t length = strnlen(text, end - pos);
        if (length == 0) break;
        list->Add(AnsiToUnicode(TrimAnsi(AnsiString(text, length))));
        pos += length + 1;
    }
}

void TDunRasCon::ReadEntryFields() {
    const TRasEntryWXP& e = EntryRecordOf(FEntryBuffer);
    EntryOptions = e.dwfOptions;
    FUseCountryAndAreaCodes = (e.dwfOptions & RASEO_UseCountryAndAreaCodes) != 0;
    FPromoteAlternates = (e.dwfOptions & RASEO_PromoteAlternates) != 0;
    CountryCode = static_cast<Integer>(e.dwCountryCode);
    CountryID = static_cast<Integer>(e.dwCountryID);
    AreaCode = TrimAnsi(FieldText(e.szAreaCode, sizeof(e.szAreaCode)));
    SetLocalPhoneNumber(TrimAnsi(FieldText(e.szLocalPhoneNumber, sizeof(e.szLocalPhoneNumber))));
    PhoneCanonical =
        GetCanonical(FUseCountryAndAreaCodes, CountryCode, AreaCode, LocalPhoneNumber());
    SplitDeviceName(e.szDeviceName, sizeof(e.szDeviceName), DeviceName, DevicePort);
    DeviceType = LowerAnsi(FieldText(e.szDeviceType, sizeof(e.szDeviceType)));
    AutoDialDLL = AnsiToUnicode(FieldText(e.szAutodialDll, sizeof(e.szAutodialDll)));
    AutoDialFunc = AnsiToUnicode(FieldText(e.szAutodialFunc, sizeof(e.szAutodialFunc)));
    const bool nt = RasOSLevel() >= RasLevelNT4;
    TotSubEntries = nt ? static_cast<Integer>(e.dwSubEntries) : 0;
    DialMode = nt ? static_cast<Integer>(e.dwDialMode) : 0;
    ReadAlternates(FEntryBuffer.data(), e.dwAlternateOffset, FEntrySize, FAltPhoneNrList.get());
}

Integer TDunRasCon::GetEntryProps(bool WithSubEntries) {
    if (const Integer missing = RasNeeds(RasGetEntryPropertiesA)) return KeepCode(missing);
    const Integer result = ReadEntryRecord();
    if (result != 0) return result;
    ReadEntryFields();
    Integer code = result;
    if (WithSubEntries && TotSubEntries > 0) {
        for (int i = 1; i <= std::min(TotSubEntries, RasMaxSubEntries); ++i) {
            code = GetSubEntryProps(i);
            if (code != 0) break;
            ++SubCurTotal;
        }
    }
    if (RasOSLevel() == RasLevelWin9x && MultiLinkProfile(EntryName)) TotSubEntries = 2;
    return code;
}

Integer TDunRasCon::GetEntryProperties() { return GetEntryProps(true); }

Integer TDunRasCon::GetSubEntryProps(Integer SubEntryNr) {
    if (RasOSLevel() == RasLevelWin9x || SubEntryNr < 1 || SubEntryNr > RasMaxSubEntries)
        return RasErrorNotOnLevel;
    if (const Integer missing = RasNeeds(RasGetSubEntryPropertiesA)) return KeepCode(missing);
    std::vector<Byte> buffer(RasSubEntryBufferSize);
    DWORD size = 0;
    DWORD deviceSize = 0;
    const DWORD nr = static_cast<DWORD>(SubEntryNr);
    Integer result = static_cast<Integer>(RasGetSubEntryPropertiesA(
        SelectedPhonebook(), EntryName.c_str(), nr, nullptr, &size, nullptr, &deviceSize));
    if (result != 0 && result != RasErrorBufferTooSmall) return Finish(result);
    size = std::min<DWORD>(size, RasSubEntryBufferSize);
    auto& sub = *reinterpret_cast<TRasSubEntry*>(buffer.data());
    sub.dwSize = RasRecordSize(TRasRecord::SubEntry);
    deviceSize = 0;
    result = static_cast<Integer>(RasGetSubEntryPropertiesA(SelectedPhonebook(), EntryName.c_str(),
                                                            nr, &sub, &size, nullptr, &deviceSize));
    if (result != 0) return Finish(result);
    TRasSubEntryInfo& info = FSub[static_cast<std::size_t>(SubEntryNr - 1)];
    info.DeviceType = LowerAnsi(FieldText(sub.szDeviceType, sizeof(sub.szDeviceType)));
    SplitDeviceName(sub.szDeviceName, sizeof(sub.szDeviceName), info.DeviceName, info.DevicePort);
    info.LocalPhoneNumber = FieldText(sub.szLocalPhoneNumber, sizeof(sub.szLocalPhoneNumber));
    info.PhoneCanonical =
        GetCanonical(FUseCountryAndAreaCodes, CountryCode, AreaCode, info.LocalPhoneNumber);
    return Finish(0);
}

Integer TDunRasCon::PutEntryProperties() {
    if (const Integer missing = RasNeeds(RasGetEntryPropertiesA)) return KeepCode(missing);
    if (const Integer missing = RasNeeds(RasSetEntryPropertiesA)) return KeepCode(missing);
    if (FEntrySize == 0 || EntryRecordOf(FEntryBuffer).dwSize == 0) {
        SetLastError(RasErrorBufferTooSmall);
        SetStatusStr(SRasReadEntryFirst);
        return RasErrorBufferTooSmall;
    }
    LPBYTE device = FDeviceSize ? FDeviceBuffer.data() : nullptr;
    DWORD deviceSize = FDeviceSize;
    const bool hasModemConfig =
        FDeviceSize >= sizeof(DWORD) &&
        *reinterpret_cast<const DWORD*>(FDeviceBuffer.data()) == ModemConfigSignature;
    const TRasEntryWXP& e = EntryRecordOf(FEntryBuffer);
    if (RasOSLevel() == RasLevelWin9x && !hasModemConfig &&
        LowerAnsi(FieldText(e.szDeviceType, sizeof(e.szDeviceType))) == "modem") {
        const auto config = DefaultModemConfig();
        std::copy(config.begin(), config.end(), FDeviceBuffer.begin());
        device = FDeviceBuffer.data();
        deviceSize = DefaultModemConfigSize;
    }
    return Finish(static_cast<Integer>(
        RasSetEntryPropertiesA(SelectedPhonebook(), EntryName.c_str(), &EntryRecordOf(FEntryBuffer),
                               FEntrySize, device, deviceSize)));
}

Integer TDunRasCon::PutPhonebook() {
    TRasEntryWXP& e = EntryRecordOf(FEntryBuffer);
    e.dwfOptions = FUseCountryAndAreaCodes ? (EntryOptions | RASEO_UseCountryAndAreaCodes)
                                           : (EntryOptions & ~RASEO_UseCountryAndAreaCodes);
    e.dwCountryCode = static_cast<DWORD>(CountryCode);
    e.dwCountryID = static_cast<DWORD>(CountryID);
    PutFieldText(e.szAreaCode, sizeof(e.szAreaCode), AreaCode, 10);
    PutFieldText(e.szLocalPhoneNumber, sizeof(e.szLocalPhoneNumber), LocalPhoneNumber(), 128);
    PutFieldText(e.szAutodialDll, sizeof(e.szAutodialDll), UnicodeToAnsi(AutoDialDLL), 259);
    PutFieldText(e.szAutodialFunc, sizeof(e.szAutodialFunc), UnicodeToAnsi(AutoDialFunc), 259);
    if (RasOSLevel() >= RasLevelNT4) e.dwSubEntries = 0;
    return PutEntryProperties();
}

Integer TDunRasCon::UpdatePhonebook() {
    if (PhoneCanonical.empty()) {
        SetLastError(RasErrorBufferTooSmall);
        SetStatusStr(SRasSpecifyCanonical);
        return RasErrorBufferTooSmall;
    }
    const Integer oldCountry = CountryCode;
    AnsiString local;
    UnpackCanonical(PhoneCanonical, FUseCountryAndAreaCodes, CountryCode, local, AreaCode);
    SetLocalPhoneNumber(local);
    if (CountryCode != oldCountry || CountryID == 0) CountryID = CountryCode;
    return PutPhonebook();
}

Integer TDunRasCon::GetDeviceList() {
    if (const Integer missing = RasNeeds(RasEnumDevicesA)) return KeepCode(missing);
    FDeviceTypeList->Clear();
    FDeviceNameList->Clear();
    DWORD size = 0;
    DWORD count = 0;
    Integer result = static_cast<Integer>(RasEnumDevicesA(nullptr, &size, &count));
    if ((result != 0 && result != RasErrorBufferTooSmall) || count == 0) return Finish(result);
    std::vector<TRasDevInfo> devices(
        std::max<std::size_t>(1, (size + sizeof(TRasDevInfo) - 1) / sizeof(TRasDevInfo)));
    size = static_cast<DWORD>(devices.size() * sizeof(TRasDevInfo));
    devices[0].dwSize = RasRecordSize(TRasRecord::DevInfo);
    result = static_cast<Integer>(RasEnumDevicesA(devices.data(), &size, &count));
    if (result != 0) return Finish(result);
    for (DWORD i = 0; i < std::min<std::size_t>(count, devices.size()); ++i) {
        const AnsiString name = FieldText(devices[i].szDeviceName, sizeof(devices[i].szDeviceName));
        if (name.empty()) continue;
        FDeviceNameList->Add(AnsiToUnicode(name));
        FDeviceTypeList->Add(AnsiToUnicode(
            LowerAnsi(FieldText(devices[i].szDeviceType, sizeof(devices[i].szDeviceType)))));
    }
    return Finish(0);
}

Integer TDunRasCon::GetOneCountryInfo(Integer CountryId, Integer& CountryCodeOut,
                                      AnsiString& CountryName) {
    CountryCodeOut = 0;
    CountryName.clear();
    if (const Integer missing = RasNeeds(RasGetCountryInfoA)) return KeepCode(missing);
    std::vector<Byte> buffer(RasCtryInfoBufferSize);
    auto& info = *reinterpret_cast<TRasCtryInfo*>(buffer.data());
    info.dwSize = RasRecordSize(TRasRecord::CtryInfo);
    info.dwCountryID = static_cast<DWORD>(CountryId);
    DWORD size = static_cast<DWORD>(buffer.size());
    const Integer result = static_cast<Integer>(RasGetCountryInfoA(&info, &size));
    if (result != 0) return Finish(result);
    CountryCodeOut = static_cast<Integer>(info.dwCountryCode);
    if (info.dwCountryNameOffset < buffer.size()) {
        const char* name = reinterpret_cast<const char*>(buffer.data() + info.dwCountryNameOffset);
        CountryName =
            TrimAnsi(AnsiString(name, strnlen(name, buffer.size() - info.dwCountryNameOffset)));
    }
    return Finish(0);
}

Integer TDunRasCon::GetPhoneBookEntries() {
    FPhoneBookEntries->Clear();
    const Integer result = GetRasEntries(FPhoneBookPath);
    SetLastError(result);
    if (result == 0)
        for (const TEntryRec& entry : RasEntryList)
            FPhoneBookEntries->Add(AnsiToUnicode(entry.EntryName));
    return result;
}

AnsiString TDunRasCon::GetSubLocalPhoneNumber(int i) const {
    return i >= 1 && i <= RasMaxSubEntries ? FSub[static_cast<std::size_t>(i - 1)].LocalPhoneNumber
                                           : AnsiString();
}
AnsiString TDunRasCon::GetSubPhoneCanonical(int i) const {
    return i >= 1 && i <= RasMaxSubEntries ? FSub[static_cast<std::size_t>(i - 1)].PhoneCanonical
                                           : AnsiString();
}
AnsiString TDunRasCon::GetSubDeviceType(int i) const {
    return i >= 1 && i <= RasMaxSubEntries ? FSub[static_cast<std::size_t>(i - 1)].DeviceType
                                           : AnsiString();
}
AnsiString TDunRasCon::GetSubDeviceName(int i) const {
    return i >= 1 && i <= RasMaxSubEntries ? FSub[static_cast<std::size_t>(i - 1)].DeviceName
                                           : AnsiString();
}
AnsiString TDunRasCon::GetSubDevicePort(int i) const {
    return i >= 1 && i <= RasMaxSubEntries ? FSub[static_cast<std::size_t>(i - 1)].DevicePort
                                           : AnsiString();
}
