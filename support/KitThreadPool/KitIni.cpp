// The INI document over streams and files. The text layer is the string list's: it detects a
// byte-order mark, reads ANSI text without one, and splits lines at CR, LF or CR LF; the
// document's grammar does the rest.
#include "support/KitThreadPool/KitIni.h"

#include "framework/StringLists.h"

#include <windows.h>

namespace {

bool FileExists(const UnicodeString& fileName) {
    const DWORD attributes = GetFileAttributesW(fileName.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

TKitStreamIniFile::TKitStreamIniFile(const UnicodeString& fileName) : FFileName(fileName) {
    if (!FFileName.empty() && FileExists(FFileName)) LoadFromFile(FFileName);
}

TKitStreamIniFile::~TKitStreamIniFile() { TKitStreamIniFile::UpdateFile(); }

void TKitStreamIniFile::UpdateFile() {
    if (!FFileName.empty() && FileExists(FFileName)) SaveToFile(FFileName);
}

bool TKitStreamIniFile::LoadFromStream(TStream* stream) {
    try {
        TStringList lines;
        lines.LoadFromStream(stream);
        SetStrings(&lines);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TKitStreamIniFile::SaveToStream(TStream* stream) {
    try {
        TStringList lines;
        GetStrings(&lines);
        lines.SaveToStream(stream, TTextEncoding::Ansi);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TKitStreamIniFile::LoadFromFile(const UnicodeString& fileName) {
    try {
        TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
        return LoadFromStream(&file);
    } catch (const std::exception&) {
        return false;
    }
}

bool TKitStreamIniFile::SaveToFile(const UnicodeString& fileName) {
    try {
        TFileStream file(fileName, fmCreate);
        return SaveToStream(&file);
    } catch (const std::exception&) {
        return false;
    }
}
