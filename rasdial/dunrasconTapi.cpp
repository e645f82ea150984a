// Dialling locations, calling cards and address translation of the dialling component through
// the telephony interface (version 1.4). The variable-size records the interface fills are read
// through offsets and sizes that the tests' simulated library and the system both write; every
// text is taken only when it lies inside the buffer. Texts arrive 8-bit (system code page).
#include "rasdial/dunrascon.h"

#include "framework/ExceptionBoundary.h"
#include "framework/Registry.h"
#include "framework/TextEncoding.h"
#include "rasdial/dunrasconImpl.h"
#include "rasdial/dunrasstr.h"
#include "rasdial/dunsubs1.h"

#include <vector>

namespace {

constexpr DWORD TapiVersion = 0x10004;
constexpr DWORD TranslateCapsSize = 3504;
constexpr DWORD CountryListSize = 512;
constexpr DWORD TranslateOutputSize = 256;
constexpr char LocationsKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations";

// The published LINETRANSLATECAPS header, LINELOCATIONENTRY (68 bytes), LINECARDENTRY (44),
// LINECOUNTRYLIST, LINECOUNTRYENTRY and LINETRANSLATEOUTPUT.
struct TTranslateCaps {
    DWORD TotalSize, NeededSize, UsedSize, NumLocations, LocationListSize, LocationListOffset,
        CurrentLocationID, NumCards, CardListSize, CardListOffset, CurrentPreferredCardID;
};
struct TLocationEntry {
    DWORD PermanentLocationID, NameSize, NameOffset, CountryCode, CityCodeSize, CityCodeOffset,
        PreferredCardID, LocalAccessSize, LocalAccessOffset, LongDistanceSize, LongDistanceOffset,
        TollPrefixSize, TollPrefixOffset, CountryID, Options, CancelCallWaitingSize,
        CancelCallWaitingOffset;
};
struct TCardEntry {
    DWORD PermanentCardID, NameSize, NameOffset, CardNumberDigits, SameAreaSize, SameAreaOffset,
        LongDistanceSize, LongDistanceOffset, InternationalSize, InternationalOffset, Options;
};
struct TCountryList {
    DWORD TotalSize, NeededSize, UsedSize, NumCountries, CountryListSize, CountryListOffset;
};
struct TCountryEntry {
    DWORD CountryID, CountryCode, NextCountryID, NameSize, NameOffset, SameAreaSize, SameAreaOffset,
        LongDistanceSize, LongDistanceOffset, InternationalSize, InternationalOffset;
};
struct TTranslateOutput {
    DWORD TotalSize, NeededSize, UsedSize, DialableSize, DialableOffset, DisplayableSize,
        DisplayableOffset, CurrentCountry, DestCountry, TranslateResults;
};
static_assert(sizeof(TLocationEntry) == 68);
static_assert(sizeof(TCardEntry) == 44);

void CALLBACK IgnoreLineEvent(DWORD, DWORD, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR) noexcept {}

// A structure or text at `offset` of `size` bytes, only when it lies inside the buffer.
template <class T> const T* At(const std::vector<Byte>& buffer, DWORD offset) {
    return offset <= buffer.size() && buffer.size() - offset >= sizeof(T)
               ? reinterpret_cast<const T*>(buffer.data() + offset)
               : nullptr;
}

AnsiString RawText(const std::vector<Byte>& buffer, DWORD offset, DWORD size) {
    if (size == 0 || offset > buffer.size() || buffer.size() - offset < size) return {};
    const char* text = reinterpret_cast<const char*>(buffer.data() + offset);
    return AnsiString(text, strnlen(text, size));
}

UnicodeString Text(const std::vector<Byte>& buffer, DWORD offset, DWORD size) {
    return AnsiToUnicode(TrimAnsi(RawText(buffer, offset, size)));
}

void WriteDefaultLocation(DWORD countryId) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, LocationsKey, 0, KEY_READ | KEY_WRITE, &key) !=
        ERROR_SUCCESS)
        return;
    const TOwnedRegKey owner(key);
    DWORD next = 0;
    DWORD size = sizeof(next);
    const bool known = RegQueryValueExA(key, "NextID", nullptr, nullptr,
                                        reinterpret_cast<LPBYTE>(&next), &size) == ERROR_SUCCESS &&
                       next != 0;
    if (!known) {
        const DWORD current = 1, nextId = 2;
        RegSetValueExA(key, "CurrentID", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&current),
                       sizeof(current));
        RegSetValueExA(key, "NextID", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&nextId),
                       sizeof(nextId));
        HKEY location = nullptr;
        if (RegCreateKeyExA(key, "Location1", 0, nullptr, 0, KEY_WRITE, nullptr, &location,
                            nullptr) == ERROR_SUCCESS) {
            const TOwnedRegKey locationOwner(location);
            const DWORD flags = 3;
            RegSetValueExA(location, "Country", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&countryId), sizeof(countryId));
            RegSetValueExA(location, "Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&flags),
                           sizeof(flags));
            RegSetValueExA(location, "Name", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>("My Location"), 12);
            for (const char* name :
                 {"AreaCode", "DisableCallWaiting", "LongDistanceCarrierCode",
                  "InternationalCarrierCode", "LongDistanceAccess", "OutsideAccess"})
                RegSetValueExA(location, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
        }
    }
}

void ReadLocations(const std::vector<Byte>& buffer, const TTranslateCaps& caps,
                   TDialLocation& location) {
    for (DWORD i = 0; i < caps.NumLocations; ++i) {
        const auto* e =
            At<TLocationEntry>(buffer, caps.LocationListOffset + i * sizeof(TLocationEntry));
        if (!e) break;
        location = {e->PermanentLocationID,
                    Text(buffer, e->NameOffset, e->NameSize),
                    e->CountryCode,
                    Text(buffer, e->CityCodeOffset, e->CityCodeSize),
                    e->PreferredCardID,
                    Text(buffer, e->LocalAccessOffset, e->LocalAccessSize),
                    Text(buffer, e->LongDistanceOffset, e->LongDistanceSize),
                    Text(buffer, e->TollPrefixOffset, e->TollPrefixSize),
                    e->CountryID,
                    e->Options,
                    Text(buffer, e->CancelCallWaitingOffset, e->CancelCallWaitingSize)};
        if (e->PermanentLocationID == caps.CurrentLocationID) break;
    }
}

void ReadCards(const std::vector<Byte>& buffer, const TTranslateCaps& caps, TDialCard& card) {
    for (DWORD i = 0; i < caps.NumCards; ++i) {
        const auto* e = At<TCardEntry>(buffer, caps.CardListOffset + i * sizeof(TCardEntry));
        if (!e) break;
        card = {e->PermanentCardID,
                Text(buffer, e->NameOffset, e->NameSize),
                static_cast<Integer>(e->CardNumberDigits),
                Text(buffer, e->SameAreaOffset, e->SameAreaSize),
                Text(buffer, e->LongDistanceOffset, e->LongDistanceSize),
                Text(buffer, e->InternationalOffset, e->InternationalSize),
                e->Options};
        if (e->PermanentCardID == caps.CurrentPreferredCardID) break;
    }
}

LONG ReadCountry(DWORD countryId, TDialCountry& country) {
    std::vector<Byte> buffer(CountryListSize);
    reinterpret_cast<TCountryList*>(buffer.data())->TotalSize = CountryListSize;
    const LONG result = lineGetCountry ? lineGetCountry(countryId, TapiVersion, buffer.data()) : -1;
    const auto& list = *reinterpret_cast<const TCountryList*>(buffer.data());
    const auto* e = At<TCountryEntry>(buffer, list.CountryListOffset);
    if (result != 0 || list.NumCountries == 0 || !e) return result;
    country = {e->CountryID,
               e->CountryCode,
               e->NextCountryID,
               Text(buffer, e->NameOffset, e->NameSize),
               Text(buffer, e->SameAreaOffset, e->SameAreaSize),
               Text(buffer, e->LongDistanceOffset, e->LongDistanceSize),
               Text(buffer, e->InternationalOffset, e->InternationalSize)};
    return result;
}

} // namespace

bool TDunRasCon::InitTAPI() {
    if (FTapiRunning) return true;
    if (!TapiApiAvailable() || !lineInitialize) return false;
    if (!FLineApp) {
        const LONG result = lineInitialize(&FLineApp, GetModuleHandleW(nullptr), &IgnoreLineEvent,
                                           nullptr, &FLineDevices);
        if (result != 0) {
            SetStatusStr(SRasTapiError);
            FLineApp = nullptr;
            return false;
        }
        if (FLineDevices == 0) {
            if (lineShutdown) lineShutdown(FLineApp);
            FLineApp = nullptr;
            return false;
        }
    }
    FTapiRunning = true;
    return true;
}

void TDunRasCon::StopTAPI() {
    if (!FLineApp) return;
    if (lineShutdown) lineShutdown(FLineApp);
    FLineApp = nullptr;
    FTapiRunning = false;
}

bool TDunRasCon::TranslateDialog(HWND Owner, DWORD DeviceId, const AnsiString& Address) {
    if (!InitTAPI() || !lineTranslateDialog) return false;
    return lineTranslateDialog(FLineApp, DeviceId, TapiVersion, Owner, Address.c_str()) == 0;
}

bool TDunRasCon::ConfigDialog(HWND Owner, DWORD DeviceId) {
    return lineConfigDialog && lineConfigDialog(DeviceId, Owner, nullptr) == 0;
}

Integer TDunRasCon::GetTransCaps(TDialProps& Props, TDialLocation& Location, TDialCountry& Country,
                                 TDialCard& Card) {
    Props.NumLocations = 0;
    Props.NumCards = 0;
    Location.PermLocationID = 0xFFFFFFFF;
    Location.LocationName.clear();
    Location.CountryID = 0;
    Card.PermCardId = 0xFFFFFFFF;
    Card.CardName.clear();
    Country.CountryId = Country.CountryCode = 0;
    Country.CountryName.clear();
    if (!InitTAPI() || !lineGetTranslateCaps) return -1;
    LONG result = -1;
    GuardBoundary([&] {
        if (RasOSLevel() >= RasLevelNT4) WriteDefaultLocation(static_cast<DWORD>(DefCountryId));
        std::vector<Byte> buffer(TranslateCapsSize);
        reinterpret_cast<TTranslateCaps*>(buffer.data())->TotalSize = TranslateCapsSize;
        result = lineGetTranslateCaps(FLineApp, TapiVersion, buffer.data());
        if (result != 0) return;
        const TTranslateCaps caps = *reinterpret_cast<const TTranslateCaps*>(buffer.data());
        Props = {static_cast<Integer>(caps.NumLocations), caps.CurrentLocationID,
                 static_cast<Integer>(caps.NumCards), caps.CurrentPreferredCardID};
        if (caps.NumLocations > 0 && caps.LocationListOffset != 0)
            ReadLocations(buffer, caps, Location);
        if (caps.NumCards > 0 && caps.CardListOffset != 0) ReadCards(buffer, caps, Card);
        if (Location.CountryID != 0) result = ReadCountry(Location.CountryID, Country);
    });
    return result;
}

Integer TDunRasCon::TransAddr(DWORD DeviceId, const AnsiString& Input, AnsiString& Dialable,
                              AnsiString& Displayable, DWORD TranslateFlags, DWORD CardId) {
    if (!InitTAPI()) return 0;
    Dialable.clear();
    Displayable.clear();
    if (Input.empty() || !lineTranslateAddress) return 0;
    std::vector<Byte> buffer(TranslateOutputSize);
    reinterpret_cast<TTranslateOutput*>(buffer.data())->TotalSize = TranslateOutputSize;
    if (lineTranslateAddress(FLineApp, DeviceId, TapiVersion, Input.c_str(), CardId, TranslateFlags,
                             buffer.data()) != 0)
        return 0;
    const auto& out = *reinterpret_cast<const TTranslateOutput*>(buffer.data());
    Displayable = TrimAnsi(RawText(buffer, out.DisplayableOffset, out.DisplayableSize));
    // "0 123456" shows as a trunk prefix and a number; the blank is not part of the number.
    if (Displayable.size() > 4 && Displayable.starts_with("0 ")) Displayable.erase(1, 1);
    Dialable = TrimAnsi(RawText(buffer, out.DialableOffset, out.DialableSize));
    return 1;
}

Integer TDunRasCon::TranslateAddr(DWORD DeviceId, const AnsiString& Input, AnsiString& Dialable,
                                  AnsiString& Displayable) {
    return TransAddr(DeviceId, Input, Dialable, Displayable, 0, 0);
}
