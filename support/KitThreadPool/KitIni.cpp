// The INI document over streams and files. The text is decoded as the string list decodes it
// (a byte-order mark is honoured, text without one is ANSI) and handed over to the document
// whole, which splits it into lines at CR, LF or CR LF and stores them in the decoded text
// itself: nothing is allocated per line.
#include "support/KitThreadPool/KitIni.h"

#include "framework/StringLists.h"

#include <windows.h>

#include <string>

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
        const Int64 position = stream->Position();
        const Int64 size = stream->Size() - position;
        // Text already in memory is decoded where it lies, without a copy of its bytes.
        if (const auto* memory = dynamic_cast<TCustomMemoryStream*>(stream)) {
            const auto* bytes = static_cast<const char*>(memory->Memory());
            SetText(DecodeTextWithMark(bytes + (size > 0 ? position : 0),
                                       static_cast<std::size_t>(size > 0 ? size : 0)));
            stream->Seek(0, soEnd);
            return true;
        }
        std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
        stream->ReadBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
        SetText(DecodeTextWithMark(bytes.data(), bytes.size()));
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
