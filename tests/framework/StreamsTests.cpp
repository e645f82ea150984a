#include "framework/Streams.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

namespace {

// A file name under the temporary folder, removed when the test ends.
class TTempFile {
public:
    TTempFile() {
        wchar_t folder[MAX_PATH], name[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"stm", 0, name);
        FName = name;
    }
    ~TTempFile() { DeleteFileW(FName.c_str()); }
    const UnicodeString& Name() const { return FName; }

private:
    UnicodeString FName;
};

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

std::string Contents(TCustomMemoryStream& stream) {
    return std::string(static_cast<const char*>(stream.Memory()),
                       static_cast<std::size_t>(stream.Size()));
}

std::string FileContents(const UnicodeString& fileName) {
    TMemoryStream stream;
    stream.LoadFromFile(fileName);
    return Contents(stream);
}

void WriteText(TStream& stream, const std::string& bytes) {
    stream.WriteBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
}

// Remembers the largest single write, to show how CopyFrom cuts its pieces.
class TRecordingStream : public TMemoryStream {
public:
    NativeInt LargestWrite = 0;
    NativeInt Write(const void* buffer, NativeInt count) override {
        LargestWrite = std::max(LargestWrite, count);
        return TMemoryStream::Write(buffer, count);
    }
};

} // namespace

TEST(Streams, ShortReadAnswersCountAndReadBufferRaises) {
    TMemoryStream stream;
    WriteText(stream, "0123456789");
    stream.SetPosition(4);
    char buffer[20] = {};
    EXPECT_EQ(stream.Read(buffer, 20), 6);
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(stream.Read(buffer, 20), 0);

    stream.SetPosition(0);
    try {
        stream.ReadBuffer(buffer, 11);
        FAIL() << "ReadBuffer past the end did not raise";
    } catch (const EReadError& error) {
        EXPECT_EQ(error.Message(), L"Stream read error");
    }
}

TEST(Streams, MemoryStreamSeeksAndZeroFillsAGap) {
    TMemoryStream stream;
    WriteText(stream, "ab");
    EXPECT_EQ(stream.Seek(3, soCurrent), 5);
    WriteText(stream, "c");
    EXPECT_EQ(Contents(stream), std::string("ab\0\0\0c", 6));
    EXPECT_EQ(stream.Seek(-2, soEnd), 4);
    EXPECT_THROW(stream.Seek(-1, soBeginning), EStreamError);

    stream.SetSize(2);
    EXPECT_EQ(stream.Position(), 4); // kept although past the new end
    stream.SetSize(4);
    EXPECT_EQ(Contents(stream), std::string("ab\0\0", 4)); // regrown bytes are zero, not stale

    stream.Clear();
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Position(), 0);
}

TEST(Streams, CopyFromCopiesEveryByteInLimitedPieces) {
    constexpr NativeInt piece = TStream::CopyPieceSize;
    for (const NativeInt size : {NativeInt{2}, piece - 1, piece, piece + 1, 2 * piece + 7}) {
        SCOPED_TRACE(size);
        const std::string bytes = Pattern(static_cast<std::size_t>(size));
        TMemoryStream source;
        WriteText(source, bytes); // at the end: count 0 must rewind
        TTempFile temp;
        {
            TFileStream file(temp.Name(), fmCreate);
            EXPECT_EQ(file.CopyFrom(&source, 0), size);
        }
        EXPECT_EQ(FileContents(temp.Name()), bytes);

        TFileStream file(temp.Name(), fmOpenRead);
        file.SetPosition(1);
        TRecordingStream target;
        EXPECT_EQ(target.CopyFrom(&file, size - 1), size - 1);
        EXPECT_EQ(Contents(target), bytes.substr(1));
        EXPECT_LE(target.LargestWrite, piece);
    }
}

TEST(Streams, CopyFromShortSourceRaises) {
    TMemoryStream source;
    WriteText(source, Pattern(TStream::CopyPieceSize + 10));
    source.SetPosition(0);
    TMemoryStream target;
    EXPECT_THROW(target.CopyFrom(&source, TStream::CopyPieceSize + 11), EReadError);
    EXPECT_THROW(target.CopyFrom(&source, -1), EStreamError);
}

TEST(Streams, FileShareModesDecideASecondOpen) {
    struct Case {
        Word First;
        Word Second;
        bool SecondFails;
    };
    const Case cases[] = {
        {fmOpenRead | fmShareDenyWrite, fmOpenWrite | fmShareDenyNone, true},
        {fmOpenRead | fmShareDenyWrite, fmOpenRead | fmShareDenyNone, false},
        {fmOpenRead | fmShareExclusive, fmOpenRead | fmShareDenyNone, true},
        {fmOpenRead | fmShareDenyRead, fmOpenRead | fmShareDenyNone, true},
        {fmOpenReadWrite | fmShareDenyNone, fmOpenReadWrite | fmShareDenyNone, false},
        {fmOpenWrite | fmShareDenyNone, fmOpenRead | fmShareDenyWrite, true},
    };
    TTempFile temp;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.First) + " then " + std::to_string(c.Second));
        TFileStream first(temp.Name(), c.First);
        if (c.SecondFails)
            EXPECT_THROW(TFileStream(temp.Name(), c.Second), EFOpenError);
        else
            EXPECT_NO_THROW(TFileStream(temp.Name(), c.Second));
    }
    EXPECT_NO_THROW(TFileStream(temp.Name(), fmOpenWrite | fmShareExclusive)); // all closed again
}

TEST(Streams, OpenAndCreateErrorsNameTheFileAndTheReason) {
    TTempFile temp;
    const UnicodeString missing = temp.Name() + L".missing";
    try {
        TFileStream stream(missing, fmOpenRead);
        FAIL() << "opening a missing file did not raise";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(error.Message(), L"Cannot open file \"" + missing + L"\". " +
                                       SysErrorMessage(ERROR_FILE_NOT_FOUND));
    }
    const UnicodeString inMissingFolder = missing + L"\\file.txt";
    try {
        TFileStream stream(inMissingFolder, fmCreate);
        FAIL() << "creating in a missing folder did not raise";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(error.Message(), L"Cannot create file \"" + inMissingFolder + L"\". " +
                                       SysErrorMessage(ERROR_PATH_NOT_FOUND));
    }
}

TEST(Streams, FileStreamCreatesTruncatesAndResizes) {
    TTempFile temp;
    {
        TFileStream file(temp.Name(), fmCreate);
        WriteText(file, "0123456789");
        file.SetSize(4);
        EXPECT_EQ(file.Size(), 4);
        EXPECT_EQ(file.Position(), 4); // clamped to the new end
        file.SetPosition(2);
        file.SetSize(6);
        EXPECT_EQ(file.Position(), 2);
    }
    EXPECT_EQ(FileContents(temp.Name()), std::string("0123\0\0", 6));
    {
        TFileStream reader(temp.Name(), fmOpenRead);
        EXPECT_THROW(WriteText(reader, "x"), EWriteError);
    }
    TFileStream again(temp.Name(), fmCreate);
    EXPECT_EQ(again.Size(), 0);
}

TEST(Streams, MemoryStreamSavesAndLoadsFiles) {
    TTempFile temp;
    TMemoryStream saved;
    WriteText(saved, Pattern(1000));
    saved.SaveToFile(temp.Name());
    TMemoryStream loaded;
    WriteText(loaded, "stale content that must go");
    loaded.LoadFromFile(temp.Name());
    EXPECT_EQ(Contents(loaded), Pattern(1000));
    EXPECT_EQ(loaded.Position(), 0);
}

TEST(Streams, StringStreamHoldsBytesInItsEncoding) {
    const UnicodeString text = L"h\u00e9llo \u4e2d";
    struct Case {
        TTextEncoding Encoding;
        std::string Bytes;
    };
    const Case cases[] = {
        {TTextEncoding::Utf8, "h\xC3\xA9llo \xE4\xB8\xAD"},
        {TTextEncoding::Utf16LE, std::string("h\0\xE9\0l\0l\0o\0 \0\x2D\x4E", 14)},
        {TTextEncoding::Utf16BE, std::string("\0h\0\xE9\0l\0l\0o\0 \x4E\x2D", 14)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Encoding));
        TStringStream stream(text, c.Encoding);
        EXPECT_EQ(Contents(stream), c.Bytes);
        EXPECT_EQ(stream.DataString(), text);
        TStringStream fromBytes(c.Bytes, c.Encoding);
        EXPECT_EQ(fromBytes.DataString(), text);
    }

    TStringStream stream(UnicodeString(L"abc"), TTextEncoding::Utf8);
    EXPECT_EQ(stream.ReadString(2), L"ab");
    EXPECT_EQ(stream.ReadString(10), L"c");
    stream.WriteString(L"\u00e9");
    EXPECT_EQ(stream.Size(), 5);
    EXPECT_EQ(stream.DataString(), L"abc\u00e9");
}

TEST(Streams, ResourceStreamReadsAResourceByName) {
    TResourceStream stream(GetModuleHandleW(nullptr), L"STREAMSTESTTEXT");
    std::string text(static_cast<std::size_t>(stream.Size()), '\0');
    stream.ReadBuffer(text.data(), static_cast<NativeInt>(text.size()));
    EXPECT_EQ(text, "resource text");
    EXPECT_THROW(WriteText(stream, "x"), EStreamError);
}

TEST(Streams, MissingResourceRaisesResNotFound) {
    try {
        TResourceStream stream(GetModuleHandleW(nullptr), L"NOSUCHRESOURCE");
        FAIL() << "a missing resource did not raise";
    } catch (const EResNotFound& error) {
        EXPECT_EQ(error.Message(), L"Resource NOSUCHRESOURCE not found");
    }
    EXPECT_THROW(TResourceStream(GetModuleHandleW(nullptr), L"STREAMSTESTTEXT", RT_STRING),
                 EResNotFound);
}
