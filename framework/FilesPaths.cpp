// Existence tests, folder creation and path splitting.
#include "framework/Files.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Index just after the last separator or drive colon; 0 when there is none.
std::size_t NameStart(const UnicodeString& fileName) {
    const std::size_t last = fileName.find_last_of(L"\\/:");
    return last == UnicodeString::npos ? 0 : last + 1;
}

} // namespace

bool FileExists(const UnicodeString& fileName) {
    if (fileName.empty()) return false;
    const DWORD attributes = GetFileAttributesW(fileName.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const UnicodeString& directory) {
    if (directory.empty()) return false;
    const DWORD attributes = GetFileAttributesW(directory.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const UnicodeString& directory) {
    UnicodeString path = directory;
    while (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
    if (path.empty()) return false;
    if (DirectoryExists(path)) return true;
    // A bare drive ("C:") or a root that does not exist cannot be created.
    if (path.size() == 2 && path[1] == L':') return false;
    const UnicodeString parent = ExtractFilePath(path);
    if (!parent.empty() && parent != path && !ForceDirectories(parent)) return false;
    return CreateDirectoryW(path.c_str(), nullptr) || DirectoryExists(path);
}

UnicodeString ExtractFilePath(const UnicodeString& fileName) {
    return fileName.substr(0, NameStart(fileName));
}

UnicodeString ExtractFileName(const UnicodeString& fileName) {
    return fileName.substr(NameStart(fileName));
}
