// Stored credentials (the NT way, with a mask of what is stored) and dial parameters (the
// 95/98/ME way), both kept per entry name; an entry must exist before either is stored.
// The device and country lists are fixed.
#include "FakeRas.h"
#include "FakeRasRecords.h"

#include <cstring>

namespace fakeras {

namespace {

constexpr DWORD MaskUserName = 0x1;
constexpr DWORD MaskPassword = 0x2;
constexpr DWORD MaskDomain = 0x4;

struct Device {
    const char* Type;
    const char* Name;
};

constexpr Device Devices[] = {
    {"vpn", "WAN Miniport (PPTP)"},
    {"vpn", "WAN Miniport (L2TP)"},
    {"modem", "Standard 56000 bps Modem"},
};

struct Country {
    DWORD Id;
    DWORD Code;
    const char* Name;
};

constexpr Country Countries[] = {
    {1, 1, "United States of America"},
    {44, 44, "United Kingdom"},
    {86, 86, "China"},
};

bool Known(const char* name) { return name && Shared().Phonebook.count(Lower(name)) > 0; }

void StoreCredentials(const std::string& key, const RasCredentials& record) {
    Credentials& stored = Shared().Stored[key];
    if (record.dwMask & MaskUserName)
        stored.UserName = Field(record.szUserName, sizeof(record.szUserName));
    if (record.dwMask & MaskPassword)
        stored.Password = Field(record.szPassword, sizeof(record.szPassword));
    if (record.dwMask & MaskDomain) stored.Domain = Field(record.szDomain, sizeof(record.szDomain));
    stored.Mask |= record.dwMask & (MaskUserName | MaskPassword | MaskDomain);
}

void ReadCredentials(const Credentials& stored, RasCredentials& record) {
    record.dwMask &= stored.Mask;
    PutField(record.szUserName, sizeof(record.szUserName),
             (record.dwMask & MaskUserName) ? stored.UserName : "");
    PutField(record.szPassword, sizeof(record.szPassword),
             (record.dwMask & MaskPassword) ? stored.Password : "");
    PutField(record.szDomain, sizeof(record.szDomain),
             (record.dwMask & MaskDomain) ? stored.Domain : "");
}

DWORD CountryInfo(RasCtryInfo* info, LPDWORD size) {
    if (!info || !size) return ERROR_INVALID_PARAMETER;
    if (info->dwSize != sizeof(RasCtryInfo)) return ErrorInvalidSize;
    for (std::size_t i = 0; i < std::size(Countries); ++i) {
        const Country& country = Countries[i];
        if (country.Id != info->dwCountryID) continue;
        const DWORD needed =
            static_cast<DWORD>(sizeof(RasCtryInfo) + std::strlen(country.Name) + 1);
        if (*size < needed) {
            *size = needed;
            return ErrorBufferTooSmall;
        }
        info->dwCountryCode = country.Code;
        info->dwNextCountryID = i + 1 < std::size(Countries) ? Countries[i + 1].Id : 0;
        info->dwCountryNameOffset = sizeof(RasCtryInfo);
        std::memcpy(reinterpret_cast<char*>(info) + sizeof(RasCtryInfo), country.Name,
                    std::strlen(country.Name) + 1);
        *size = needed;
        return 0;
    }
    return ERROR_INVALID_PARAMETER;
}

} // namespace

} // namespace fakeras

using namespace fakeras;

extern "C" {

DWORD WINAPI RasSetCredentialsA(LPCSTR, LPCSTR name, RasCredentials* record, BOOL clear) {
    return Guard([&]() -> DWORD {
        if (!record) return ERROR_INVALID_PARAMETER;
        if (record->dwSize != sizeof(RasCredentials)) return ErrorInvalidSize;
        auto lock = LockShared();
        if (!Known(name)) return ErrorEntryNotFound;
        if (clear)
            Shared().Stored.erase(Lower(name));
        else
            StoreCredentials(Lower(name), *record);
        return 0;
    });
}

DWORD WINAPI RasGetCredentialsA(LPCSTR, LPCSTR name, RasCredentials* record) {
    return Guard([&]() -> DWORD {
        if (!record) return ERROR_INVALID_PARAMETER;
        if (record->dwSize != sizeof(RasCredentials)) return ErrorInvalidSize;
        auto lock = LockShared();
        if (!Known(name)) return ErrorEntryNotFound;
        ReadCredentials(Shared().Stored[Lower(name)], *record);
        return 0;
    });
}

DWORD WINAPI RasSetEntryDialParamsA(LPCSTR, RasDialParams* params, BOOL removePassword) {
    return Guard([&]() -> DWORD {
        if (!params) return ERROR_INVALID_PARAMETER;
        if (params->dwSize != sizeof(RasDialParams) && params->dwSize != RasDialParams9xSize)
            return ErrorInvalidSize;
        auto lock = LockShared();
        const std::string name = Field(params->szEntryName, sizeof(params->szEntryName));
        if (!Known(name.c_str())) return ErrorEntryNotFound;
        Credentials& stored = Shared().Stored[Lower(name)];
        stored.UserName = Field(params->szUserName, sizeof(params->szUserName));
        stored.Domain = Field(params->szDomain, sizeof(params->szDomain));
        stored.CallbackNumber = Field(params->szCallbackNumber, sizeof(params->szCallbackNumber));
        stored.Password =
            removePassword ? "" : Field(params->szPassword, sizeof(params->szPassword));
        stored.Mask = MaskUserName | MaskDomain | (removePassword ? 0 : MaskPassword);
        return 0;
    });
}

DWORD WINAPI RasGetEntryDialParamsA(LPCSTR, RasDialParams* params, LPBOOL passwordStored) {
    return Guard([&]() -> DWORD {
        if (!params || !passwordStored) return ERROR_INVALID_PARAMETER;
        if (params->dwSize != sizeof(RasDialParams) && params->dwSize != RasDialParams9xSize)
            return ErrorInvalidSize;
        auto lock = LockShared();
        const std::string name = Field(params->szEntryName, sizeof(params->szEntryName));
        if (!Known(name.c_str())) return ErrorEntryNotFound;
        const Credentials& stored = Shared().Stored[Lower(name)];
        PutField(params->szUserName, sizeof(params->szUserName), stored.UserName);
        PutField(params->szPassword, sizeof(params->szPassword), stored.Password);
        PutField(params->szDomain, sizeof(params->szDomain), stored.Domain);
        PutField(params->szCallbackNumber, sizeof(params->szCallbackNumber), stored.CallbackNumber);
        *passwordStored = (stored.Mask & MaskPassword) ? TRUE : FALSE;
        return 0;
    });
}

DWORD WINAPI RasEnumDevicesA(RasDevInfo* devices, LPDWORD size, LPDWORD count) {
    return Guard([&]() -> DWORD {
        if (!size || !count) return ERROR_INVALID_PARAMETER;
        const DWORD needed = static_cast<DWORD>(std::size(Devices) * sizeof(RasDevInfo));
        *count = static_cast<DWORD>(std::size(Devices));
        if (!devices || *size < needed) {
            *size = needed;
            return ErrorBufferTooSmall;
        }
        if (devices->dwSize != sizeof(RasDevInfo)) return ErrorInvalidSize;
        for (std::size_t i = 0; i < std::size(Devices); ++i) {
            devices[i] = RasDevInfo{};
            devices[i].dwSize = sizeof(RasDevInfo);
            PutField(devices[i].szDeviceType, sizeof(devices[i].szDeviceType), Devices[i].Type);
            PutField(devices[i].szDeviceName, sizeof(devices[i].szDeviceName), Devices[i].Name);
        }
        *size = needed;
        return 0;
    });
}

DWORD WINAPI RasGetCountryInfoA(RasCtryInfo* info, LPDWORD size) {
    return Guard([&]() -> DWORD { return CountryInfo(info, size); });
}

} // extern "C"
