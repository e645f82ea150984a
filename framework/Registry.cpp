// TRegistry's keys: the root, the one open key and its path, opening, creating, testing and
// deleting keys, and listing a key's subkeys and values. Key handles are owned by
// TOwnedRegKey from the moment the system returns them. Keys are never written to here, so
// failures answer False; only a listing that breaks off midway raises, as a partial list
// would pass for a whole one.
#include "framework/Registry.h"

namespace {

// Names of keys are at most 255 characters, names of values at most 16383.
constexpr DWORD MaxNameLength = 16384;

TOwnedRegKey OpenRegKey(HKEY base, const UnicodeString& path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(base, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return {};
    return TOwnedRegKey(key);
}

TOwnedRegKey CreateRegKey(HKEY base, const UnicodeString& path, REGSAM access) {
    HKEY key = nullptr;
    const LONG error = RegCreateKeyExW(base, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       access, nullptr, &key, nullptr);
    if (error != ERROR_SUCCESS) return {};
    return TOwnedRegKey(key);
}

[[noreturn]] void RaiseListingFailed(const UnicodeString& path, const wchar_t* api, LONG error) {
    throw ERegistryException(L"Failed to list the key '" + path + L"': " + api + L": " +
                             SysErrorMessage(error) + L" (" + std::to_wstring(error) + L")");
}

// Calls `enumerate(index, buffer, length)` for index 0, 1, ... until the key has no more
// names. `length` is the buffer's size in characters and comes back as the name's length.
template <class Enumerate>
std::vector<UnicodeString> EnumNames(Enumerate enumerate, const UnicodeString& path,
                                     const wchar_t* api) {
    std::vector<UnicodeString> names;
    UnicodeString buffer(MaxNameLength, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD length = MaxNameLength;
        const LONG error = enumerate(index, buffer.data(), &length);
        if (error == ERROR_NO_MORE_ITEMS) return names;
        if (error != ERROR_SUCCESS) RaiseListingFailed(path, api, error);
        names.emplace_back(buffer.data(), length);
    }
}

} // namespace

// `Sub` is the path below `BaseKey(Rooted)`; `Full` the same key's path below the root key.
struct TRegistry::TKeyPath {
    bool Rooted;
    UnicodeString Sub;
    UnicodeString Full;
};

TRegistry::TRegistry(REGSAM access) : FAccess(access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY rootKey) {
    CloseKey();
    FRootKey = rootKey;
}

void TRegistry::CloseKey() noexcept {
    if (FCurrentKey && !FLazyWrite) RegFlushKey(FCurrentKey.Get());
    FCurrentKey.Reset();
    FCurrentPath.clear();
}

TRegistry::TKeyPath TRegistry::ParseKeyPath(const UnicodeString& path) const {
    TKeyPath parsed{!path.empty() && path.front() == L'\\', path, {}};
    if (parsed.Rooted) parsed.Sub.erase(0, 1);
    while (!parsed.Sub.empty() && parsed.Sub.back() == L'\\') parsed.Sub.pop_back();
    const bool belowOpenKey = !parsed.Rooted && FCurrentKey && !FCurrentPath.empty();
    if (!belowOpenKey)
        parsed.Full = parsed.Sub;
    else if (parsed.Sub.empty())
        parsed.Full = FCurrentPath;
    else
        parsed.Full = FCurrentPath + L"\\" + parsed.Sub;
    return parsed;
}

HKEY TRegistry::BaseKey(bool rooted) const noexcept {
    return rooted || !FCurrentKey ? FRootKey : FCurrentKey.Get();
}

REGSAM TRegistry::ViewFlags() const noexcept {
    return FAccess & (KEY_WOW64_32KEY | KEY_WOW64_64KEY);
}

bool TRegistry::OpenCurrent(const UnicodeString& path, REGSAM access, bool canCreate) {
    const TKeyPath target = ParseKeyPath(path);
    HKEY base = BaseKey(target.Rooted);
    TOwnedRegKey key =
        canCreate ? CreateRegKey(base, target.Sub, access) : OpenRegKey(base, target.Sub, access);
    if (!key) return false;
    CloseKey();
    FCurrentKey = std::move(key);
    FCurrentPath = target.Full;
    return true;
}

bool TRegistry::OpenKey(const UnicodeString& path, bool canCreate) {
    return OpenCurrent(path, FAccess, canCreate);
}

bool TRegistry::OpenKeyReadOnly(const UnicodeString& path) {
    return OpenCurrent(path, KEY_READ | ViewFlags(), false);
}

bool TRegistry::CreateKey(const UnicodeString& path) {
    const TKeyPath target = ParseKeyPath(path);
    return static_cast<bool>(CreateRegKey(BaseKey(target.Rooted), target.Sub, FAccess));
}

bool TRegistry::KeyExists(const UnicodeString& path) const {
    const TKeyPath target = ParseKeyPath(path);
    HKEY key = nullptr;
    const LONG error = RegOpenKeyExW(BaseKey(target.Rooted), target.Sub.c_str(), 0,
                                     KEY_QUERY_VALUE | ViewFlags(), &key);
    TOwnedRegKey owner(error == ERROR_SUCCESS ? key : nullptr);
    // A key we may not read still exists.
    return error == ERROR_SUCCESS || error == ERROR_ACCESS_DENIED;
}

bool TRegistry::DeleteKey(const UnicodeString& path) {
    const TKeyPath target = ParseKeyPath(path);
    if (target.Sub.empty()) return false;
    return RegDeleteTreeW(BaseKey(target.Rooted), target.Sub.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::HasSubKeys() const {
    DWORD subKeys = 0;
    if (!FCurrentKey) return false;
    const LONG error =
        RegQueryInfoKeyW(FCurrentKey.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr);
    return error == ERROR_SUCCESS && subKeys > 0;
}

void TRegistry::GetKeyNames(std::vector<UnicodeString>& names) const {
    names.clear();
    if (!FCurrentKey) return;
    HKEY key = FCurrentKey.Get();
    names = EnumNames(
        [key](DWORD index, wchar_t* buffer, DWORD* length) {
            return RegEnumKeyExW(key, index, buffer, length, nullptr, nullptr, nullptr, nullptr);
        },
        FCurrentPath, L"RegEnumKeyExW");
}

void TRegistry::GetValueNames(std::vector<UnicodeString>& names) const {
    names.clear();
    if (!FCurrentKey) return;
    HKEY key = FCurrentKey.Get();
    names = EnumNames(
        [key](DWORD index, wchar_t* buffer, DWORD* length) {
            return RegEnumValueW(key, index, buffer, length, nullptr, nullptr, nullptr, nullptr);
        },
        FCurrentPath, L"RegEnumValueW");
}
