// The in-memory phonebook: entries are kept as the raw records their writers passed, and the
// last record written is kept byte for byte for the tests. Names compare without case, as the
// system's phonebook does; all phonebook files share one list.
#include "FakeRas.h"
#include "FakeRasRecords.h"

#include <cstring>

namespace fakeras {

namespace {

constexpr DWORD RenUser = 0;

// The entry record of NT 4, Windows 2000 and XP: each a prefix of the next.
bool KnownEntrySize(DWORD size) { return size == 1796 || size == 2088 || size == RasEntrySize; }

bool ValidName(const std::string& name) {
    if (name.empty() || name.size() > 256 || name[0] == '.') return false;
    return name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

Entry* FindEntry(const char* name) {
    if (!name) return nullptr;
    auto found = Shared().Phonebook.find(Lower(name));
    return found == Shared().Phonebook.end() ? nullptr : &found->second;
}

DWORD CopyOut(const std::vector<BYTE>& data, LPBYTE buffer, LPDWORD size) {
    if (!size) return 0;
    const bool fits = buffer && *size >= data.size();
    if (fits && !data.empty()) std::memcpy(buffer, data.data(), data.size());
    const DWORD needed = static_cast<DWORD>(data.size());
    const bool asked = *size < needed || !buffer;
    *size = needed;
    return asked && needed > 0 ? ErrorBufferTooSmall : 0;
}

DWORD GetEntry(LPCSTR name, BYTE* record, LPDWORD size, LPBYTE device, LPDWORD deviceSize) {
    if (!size) return ERROR_INVALID_PARAMETER;
    if (record && *size >= sizeof(DWORD) &&
        !KnownEntrySize(reinterpret_cast<RasEntryHead*>(record)->dwSize))
        return ErrorInvalidSize;
    const Entry* entry = FindEntry(name);
    if (!entry) return ErrorEntryNotFound;
    // Like the system, the record counts the sub-entries stored for it.
    std::vector<BYTE> stored = entry->Record;
    if (stored.size() >= RasEntrySubEntriesOffset + sizeof(DWORD)) {
        const auto count = static_cast<DWORD>(entry->SubEntries.size());
        std::memcpy(stored.data() + RasEntrySubEntriesOffset, &count, sizeof(count));
    }
    const DWORD recordResult = CopyOut(stored, record, size);
    const DWORD deviceResult = CopyOut(entry->Device, device, deviceSize);
    return recordResult ? recordResult : deviceResult;
}

DWORD SetEntry(LPCSTR name, const BYTE* record, DWORD size, const BYTE* device, DWORD deviceSize) {
    if (!name || !record || size < sizeof(RasEntryHead)) return ERROR_INVALID_PARAMETER;
    const DWORD recordSize = reinterpret_cast<const RasEntryHead*>(record)->dwSize;
    if (!KnownEntrySize(recordSize)) return ErrorInvalidSize;
    if (size < recordSize) return ERROR_INVALID_PARAMETER;
    if (!ValidName(name)) return ERROR_INVALID_NAME;
    Entry entry{name, std::vector<BYTE>(record, record + size), {}, {}};
    if (const Entry* before = FindEntry(name)) entry.SubEntries = before->SubEntries;
    if (device && deviceSize > 0) entry.Device.assign(device, device + deviceSize);
    Shared().LastEntryBytes = entry.Record;
    Shared().Phonebook[Lower(name)] = std::move(entry);
    return 0;
}

DWORD EnumEntries(LPCSTR phonebook, RasEntryName* names, LPDWORD size, LPDWORD count) {
    if (!names || !size || !count) return ERROR_INVALID_PARAMETER;
    if (names->dwSize != sizeof(RasEntryName)) return ErrorInvalidSize;
    const auto& book = Shared().Phonebook;
    const DWORD needed = static_cast<DWORD>(book.size() * sizeof(RasEntryName));
    *count = static_cast<DWORD>(book.size());
    if (*size < needed) {
        *size = needed;
        return ErrorBufferTooSmall;
    }
    *size = needed;
    std::size_t i = 0;
    for (const auto& [key, entry] : book) {
        RasEntryName& item = names[i++];
        item = RasEntryName{};
        item.dwSize = sizeof(RasEntryName);
        item.dwFlags = RenUser;
        PutField(item.szEntryName, sizeof(item.szEntryName), entry.Name);
        PutField(item.szPhonebookPath, sizeof(item.szPhonebookPath),
                 phonebook ? phonebook : "C:\\fake\\rasphone.pbk");
    }
    return 0;
}

} // namespace

} // namespace fakeras

using namespace fakeras;

extern "C" {

DWORD WINAPI RasGetEntryPropertiesA(LPCSTR, LPCSTR name, BYTE* record, LPDWORD size, LPBYTE device,
                                    LPDWORD deviceSize) {
    return Guard([&]() -> DWORD {
        auto lock = LockShared();
        return GetEntry(name, record, size, device, deviceSize);
    });
}

DWORD WINAPI RasSetEntryPropertiesA(LPCSTR, LPCSTR name, const BYTE* record, DWORD size,
                                    const BYTE* device, DWORD deviceSize) {
    return Guard([&]() -> DWORD {
        auto lock = LockShared();
        return SetEntry(name, record, size, device, deviceSize);
    });
}

DWORD WINAPI RasValidateEntryNameA(LPCSTR, LPCSTR name) {
    return Guard([&]() -> DWORD {
        auto lock = LockShared();
        if (!name || !ValidName(name)) return ERROR_INVALID_NAME;
        return FindEntry(name) ? ERROR_ALREADY_EXISTS : 0;
    });
}

DWORD WINAPI RasDeleteEntryA(LPCSTR, LPCSTR name) {
    return Guard([&]() -> DWORD {
        auto lock = LockShared();
        if (!FindEntry(name)) return ErrorEntryNotFound;
        Shared().Phonebook.erase(Lower(name));
        Shared().Stored.erase(Lower(name));
        return 0;
    });
}

DWORD WINAPI RasRenameEntryA(LPCSTR, LPCSTR oldName, LPCSTR newName) {
    return Guard([&]() -> DWORD {
        auto lock = LockShared();
        Entry* entry = FindEntry(oldName);
        if (!entry) return ErrorEntryNotFound;
        if (!newName || !ValidName(newName)) return ERROR_INVALID_NAME;
        if (FindEntry(newName) && Lower(newName) != Lower(oldName)) return ERROR_ALREADY_EXISTS;
        Entry moved = std::move(*entry);
        moved.Name = newName;
        Shared().Phonebook.erase(Lower(oldName));
        Shared().Phonebook[Lower(newName)] = std::move(moved);
        return 0;
    });
}

DWORD WINAPI RasEnumEntriesA(LPCSTR, LPCSTR phonebook, RasEntryName* names, LPDWORD size,
                             LPDWORD count) {
    return Guard([&]() -> DWORD {
        auto lock = LockShared();
        return EnumEntries(phonebook, names, size, count);
    });
}

DWORD WINAPI RasDeleteSubEntryA(LPCSTR, LPCSTR name, DWORD number) {
    return Guard([&]() -> DWORD {
        auto lock = LockShared();
        Entry* entry = FindEntry(name);
        if (!entry) return ErrorEntryNotFound;
        entry->SubEntries.erase(number);
        return 0;
    });
}

DWORD WINAPI RasSetSubEntryPropertiesA(LPCSTR, LPCSTR name, DWORD number, const BYTE* record,
                                       DWORD size, const BYTE*, DWORD) {
    return Guard([&]() -> DWORD {
        if (!record || size < RasSubEntrySize || number < 1 || number > 4)
            return ERROR_INVALID_PARAMETER;
        if (*reinterpret_cast<const DWORD*>(record) != RasSubEntrySize) return ErrorInvalidSize;
        auto lock = LockShared();
        Entry* entry = FindEntry(name);
        if (!entry) return ErrorEntryNotFound;
        entry->SubEntries[number].assign(record, record + size);
        return 0;
    });
}

DWORD WINAPI RasGetSubEntryPropertiesA(LPCSTR, LPCSTR name, DWORD number, BYTE* record,
                                       LPDWORD size, LPBYTE, LPDWORD deviceSize) {
    return Guard([&]() -> DWORD {
        if (!size) return ERROR_INVALID_PARAMETER;
        if (record && *size >= sizeof(DWORD) &&
            *reinterpret_cast<const DWORD*>(record) != RasSubEntrySize)
            return ErrorInvalidSize;
        auto lock = LockShared();
        const Entry* entry = FindEntry(name);
        if (!entry) return ErrorEntryNotFound;
        const auto found = entry->SubEntries.find(number);
        if (found == entry->SubEntries.end()) return ErrorSubEntryNotFound;
        if (deviceSize) *deviceSize = 0;
        return CopyOut(found->second, record, size);
    });
}

} // extern "C"
