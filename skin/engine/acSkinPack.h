// Packed skins: the "ASzf" archive that a ".asz" file and an internal skin's "Data" hold.
//
// All integers are 32-bit signed little-endian: the magic "ASzf", the entry count N, then N
// entries back to back, each the name length L, the name (L bytes, system code page), the
// unpacked size S and one complete zlib stream inflating to S bytes. There is no packed size:
// an entry begins right after the previous stream's end. The entry named "Options.dat" (any
// case) is the skin's INI text; every other entry is an image file.
//
// The reader trusts nothing: N, L and S are checked against what the data can hold before
// anything is allocated, and every failure raises (EacSkinPackError, the stream's read error or
// the inflating stream's error) with the convertor left empty.
#pragma once

#include "framework/Exceptions.h"
#include "framework/Streams.h"

#include <vector>

class EacSkinPackError : public Exception {
public:
    using Exception::Exception;
};

// The message of a wrong magic, as callers and users know it.
inline constexpr const wchar_t* NotPackedMessage = L"Loaded data is not packed Glazel file";

struct TacImageItem {
    UnicodeString FileName;
    bool IsBitmap = false;               // the extension is ".BMP" in any case
    TMemoryStream* FileStream = nullptr; // the unpacked bytes; owned by the convertor
};
using TacImageItems = std::vector<TacImageItem>;

class TacSkinConvertor : public TPersistent {
    CLASS_INFO(TacSkinConvertor, TPersistent)
public:
    ~TacSkinConvertor() override;

    Integer ImageCount = -1; // entry count - 1
    TacImageItems Files;
    TMemoryStream* Options = nullptr; // the unpacked Options.dat; null when the archive has none
    // The archive bytes; owned unless borrowed (see PackedDataBorrowed).
    TMemoryStream* PackedData = nullptr;
    bool PackedDataBorrowed = false;

    // Frees every file stream (last first), Options and, unless borrowed, PackedData.
    void Clear();
    // Reads PackedData from its start. On failure the convertor is cleared and the error
    // raised; a wrong magic raises EacSkinPackError with NotPackedMessage.
    void Unpack();
    // The entry whose upper-cased name equals Name exactly; null when none.
    TMemoryStream* FindFile(const UnicodeString& Name) const;
};

// Reads the archive file into Convertor (made when null) and unpacks it; nothing when the file
// does not exist. FreePacked: the archive bytes are freed afterwards.
void LoadPackedSkinFile(const UnicodeString& FileName, TacSkinConvertor*& Convertor,
                        bool FreePacked);
