// File, folder, version and locale helpers of the dial-up library. Each answers an empty text
// or False on failure: the callers treat a missing value as "not known" and go on.
#include "rasdial/dunsubs1.h"

#include <shlobj.h>

#include <cstdio>
#include <vector>

OSVERSIONINFOEXW OSVersionInfoEx{};

namespace {

constexpr std::size_t PathChars = 261;

bool IsDelimiter(wchar_t c) noexcept { return c == L'\\' || c == L'/'; }

// Frees a shell item list once the path has been read from it.
struct TItemListOwner {
    LPITEMIDLIST List = nullptr;
    TItemListOwner() = default;
    TItemListOwner(const TItemListOwner&) = delete;
    TItemListOwner& operator=(const TItemListOwner&) = delete;
    ~TItemListOwner() { CoTaskMemFree(List); }
};

UnicodeString QueryVersionText(const std::vector<Byte>& block, const UnicodeString& path) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value || length == 0)
        return {};
    return UnicodeString(static_cast<const wchar_t*>(value));
}

UnicodeString VersionTranslation(const std::vector<Byte>& block) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) || !value ||
        length < 4)
        return L"040904E4";
    const auto* pair = static_cast<const WORD*>(value);
    wchar_t text[16];
    std::swprintf(text, 16, L"%.4x%.4x", pair[0] ? pair[0] : 1033u, pair[1] ? pair[1] : 1252u);
    return text;
}

} // namespace

UnicodeString GetWindowsDir() {
    wchar_t buffer[PathChars] = {};
    GetWindowsDirectoryW(buffer, PathChars);
    return buffer;
}

UnicodeString GetSpecialFolder(int csidl) {
    TItemListOwner items;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items.List))) return {};
    wchar_t buffer[PathChars] = {};
    if (!SHGetPathFromIDListW(items.List, buffer)) return {};
    return buffer;
}

UnicodeString GetFileVersionText(const UnicodeString& fileName, const UnicodeString& key) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(fileName.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<Byte> block(size);
    if (!GetFileVersionInfoW(fileName.c_str(), 0, size, block.data())) return {};
    return QueryVersionText(block, L"\\StringFileInfo\\" + VersionTranslation(block) + L"\\" + key);
}

bool IsDirectory(const UnicodeString& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

UnicodeString StripTrailingDelimiter(const UnicodeString& path) {
    if (!path.empty() && IsDelimiter(path.back())) return path.substr(0, path.size() - 1);
    return path;
}

bool ForceDirs(const UnicodeString& path) {
    if (path.empty()) return false;
    const UnicodeString dir = StripTrailingDelimiter(path);
    const std::size_t last = dir.find_last_of(L"\\/");
    const UnicodeString parent =
        last == UnicodeString::npos ? UnicodeString() : dir.substr(0, last + 1);
    if (dir.size() <= 2 || IsDirectory(dir) || parent == dir) return true;
    return ForceDirs(parent) && CreateDirectoryW(dir.c_str(), nullptr);
}

UnicodeString GetLocaleText(LCTYPE item) {
    wchar_t buffer[254] = {};
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, item, buffer, 254) == 0) return {};
    return buffer;
}

void LoadOSVersionInfo() noexcept {
    OSVersionInfoEx = {};
    OSVersionInfoEx.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&OSVersionInfoEx))) return;
    OSVersionInfoEx.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&OSVersionInfoEx));
}

static_assert(sizeof(OSVERSIONINFOEXW) == 284, "the extended OS version record");
