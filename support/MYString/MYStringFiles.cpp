// File names, files and module resources of the toolkit. File names are split at the last
// "\" or ":" as the platform does; text files are read with byte-order-mark detection (ACP
// without a mark) and written as ACP text with CR LF after every line.
#include "support/MYString/MYString.h"

namespace mystring {

namespace {

// Index of the last path delimiter, npos when there is none.
std::size_t LastDelimiter(const UnicodeString& path) { return path.find_last_of(L"\\:"); }

UnicodeString UncDrive(const UnicodeString& path) {
    // "\\server\share": the second backslash after the leading two ends the drive part.
    const std::size_t serverEnd = path.find(L'\\', 2);
    if (serverEnd == UnicodeString::npos || serverEnd == 2) return {};
    const std::size_t shareEnd = path.find(L'\\', serverEnd + 1);
    if (shareEnd == serverEnd + 1) return {};
    return path.substr(0, shareEnd);
}

} // namespace

UnicodeString FileName(const UnicodeString& path) {
    const std::size_t last = LastDelimiter(path);
    return last == UnicodeString::npos ? path : path.substr(last + 1);
}

UnicodeString FileExt(const UnicodeString& path) {
    const std::size_t dot = path.find_last_of(L"\\:.");
    return dot != UnicodeString::npos && path[dot] == L'.' ? path.substr(dot) : UnicodeString();
}

UnicodeString FilePath(const UnicodeString& path) {
    const std::size_t last = LastDelimiter(path);
    return last == UnicodeString::npos ? UnicodeString() : path.substr(0, last + 1);
}

UnicodeString FileDrive(const UnicodeString& path) {
    UnicodeString lowered = LowerCase(path);
    if (lowered.starts_with(L"file://")) lowered.erase(0, 7);
    if (lowered.size() >= 2 && lowered[1] == L':') return lowered.substr(0, 2);
    if (lowered.starts_with(L"\\\\")) return UncDrive(lowered);
    return {};
}

UnicodeString ShortPath(const UnicodeString& path) {
    const DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (length == 0) return {};
    std::vector<wchar_t> buffer(length);
    const DWORD written = GetShortPathNameW(path.c_str(), buffer.data(), length);
    return written > 0 && written < length ? UnicodeString(buffer.data(), written)
                                           : UnicodeString();
}

bool FileExists(const UnicodeString& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool LoadFile(const UnicodeString& fileName, UnicodeString& text) {
    if (!FileExists(fileName)) return false;
    TStringList lines;
    lines.LoadFromFile(fileName);
    text = Trim(lines.Text());
    return true;
}

void SaveFile(const UnicodeString& fileName, const UnicodeString& text) {
    TStringList lines;
    lines.SetText(text);
    lines.SaveToFile(fileName);
}

UnicodeString LoadResource(HMODULE module, const UnicodeString& name, const wchar_t* resourceType) {
    TResourceStream stream(module, name, resourceType);
    TStringList lines;
    lines.LoadFromStream(&stream);
    return lines.Text();
}

} // namespace mystring
