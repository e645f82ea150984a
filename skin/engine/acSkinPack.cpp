// The archive reader. Limits come from what the remaining bytes can hold: an entry needs at
// least its two integers and a minimal zlib stream, a name cannot be longer than the bytes
// left, and deflate cannot expand data more than about 1032 times; beyond that an unpacked
// size is a lie that would only make us allocate.
#include "skin/engine/acSkinPack.h"

#include "framework/Conversions.h"
#include "framework/Files.h"
#include "framework/TextEncoding.h"
#include "support/ZLibStream/ZLibStream.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr Int64 MinimalEntrySize = 4 + 4 + 8; // L, S and the smallest zlib stream
constexpr Int64 MaxExpansion = 1032;
constexpr Int64 MaxEntrySize = 256 * 1024 * 1024;

Integer ReadInteger(TStream* stream) {
    Integer value = 0;
    stream->ReadBuffer(&value, sizeof(value));
    return value;
}

Int64 Remaining(TStream* stream) { return stream->Size() - stream->Position(); }

[[noreturn]] void Refuse(const UnicodeString& what) {
    throw EacSkinPackError(L"Damaged skin archive: " + what);
}

UnicodeString ExtensionOf(const UnicodeString& name) {
    const std::size_t dot = name.find_last_of(L'.');
    return dot == UnicodeString::npos ? UnicodeString() : name.substr(dot);
}

} // namespace

TacSkinConvertor::~TacSkinConvertor() { Clear(); }

void TacSkinConvertor::Clear() {
    for (auto it = Files.rbegin(); it != Files.rend(); ++it) FreeAndNil(it->FileStream);
    Files.clear();
    FreeAndNil(Options);
    if (PackedDataBorrowed)
        PackedData = nullptr;
    else
        FreeAndNil(PackedData);
    PackedDataBorrowed = false;
    ImageCount = -1;
}

void TacSkinConvertor::Unpack() {
    TStream* data = PackedData;
    try {
        if (!data) Refuse(L"no data");
        data->SetPosition(0);
        char magic[4] = {};
        if (data->Read(magic, 4) != 4 || std::memcmp(magic, "ASzf", 4) != 0)
            throw EacSkinPackError(NotPackedMessage);
        const Integer count = ReadInteger(data);
        if (count < 0 || count > Remaining(data) / MinimalEntrySize) Refuse(L"entry count");
        ImageCount = count - 1;
        for (Integer i = 0; i < count; ++i) {
            const Integer length = ReadInteger(data);
            if (length < 0 || length > Remaining(data) - 4) Refuse(L"name length");
            AnsiString name(static_cast<std::size_t>(length), '\0');
            data->ReadBuffer(name.data(), length);
            const Integer size = ReadInteger(data);
            if (size < 0 || size > MaxEntrySize || size > Remaining(data) * MaxExpansion)
                Refuse(L"entry size");
            auto* content = new TMemoryStream();
            try {
                if (size > 0) {
                    TZDecompressionStream inflater(data);
                    content->CopyFrom(&inflater, size);
                } else {
                    // An empty entry still carries its (empty) zlib stream; step over it.
                    TZDecompressionStream inflater(data);
                    char probe;
                    inflater.Read(&probe, 1);
                }
            } catch (...) {
                content->Free();
                throw;
            }
            content->SetPosition(0);
            const UnicodeString fileName = AnsiToUnicode(name);
            if (AnsiUpperCase(fileName) == L"OPTIONS.DAT") {
                FreeAndNil(Options);
                Options = content;
            } else {
                Files.push_back(
                    {fileName, AnsiUpperCase(ExtensionOf(fileName)) == L".BMP", content});
            }
        }
    } catch (...) {
        Clear();
        throw;
    }
}

TMemoryStream* TacSkinConvertor::FindFile(const UnicodeString& Name) const {
    for (const TacImageItem& item : Files)
        if (AnsiUpperCase(item.FileName) == Name) return item.FileStream;
    return nullptr;
}

void LoadPackedSkinFile(const UnicodeString& FileName, TacSkinConvertor*& Convertor,
                        bool FreePacked) {
    if (!FileExists(FileName)) return;
    if (Convertor)
        Convertor->Clear();
    else
        Convertor = new TacSkinConvertor();
    Convertor->PackedData = new TMemoryStream();
    Convertor->PackedData->LoadFromFile(FileName);
    Convertor->Unpack();
    if (FreePacked) FreeAndNil(Convertor->PackedData);
}
