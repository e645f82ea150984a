#include "support/KitThreadPool/KitIni.h"

#include "framework/StringLists.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

using Items = std::vector<UnicodeString>;

Items ItemsOf(const TStrings& strings) {
    Items items;
    for (int i = 0; i < strings.Count(); ++i) items.push_back(strings.Strings(i));
    return items;
}

UnicodeString TextOf(const TMemIniFile& document) {
    TStringList lines;
    document.GetStrings(&lines);
    return lines.Text();
}

Items SectionsOf(const TMemIniFile& document) {
    TStringList sections;
    document.ReadSections(&sections);
    return ItemsOf(sections);
}

std::string Contents(const TCustomMemoryStream& stream) {
    return std::string(static_cast<const char*>(stream.Memory()),
                       static_cast<std::size_t>(const_cast<TCustomMemoryStream&>(stream).Size()));
}

void Fill(TMemoryStream& stream, const std::string& bytes, Int64 position = 0) {
    stream.WriteBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
    stream.SetPosition(position);
}

// A file name in a fresh folder under the temporary folder; both are removed at the end.
class TTempFolder {
public:
    TTempFolder() {
        wchar_t folder[MAX_PATH], name[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"ini", 0, name);
        DeleteFileW(name);
        FFolder = name;
        CreateDirectoryW(FFolder.c_str(), nullptr);
    }
    ~TTempFolder() {
        for (const UnicodeString& file : Files()) DeleteFileW((FFolder + L"\\" + file).c_str());
        RemoveDirectoryW(FFolder.c_str());
    }
    UnicodeString File(const UnicodeString& name) const { return FFolder + L"\\" + name; }
    const UnicodeString& Folder() const { return FFolder; }
    Items Files() const {
        Items files;
        WIN32_FIND_DATAW data;
        const HANDLE find = FindFirstFileW((FFolder + L"\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return files;
        do {
            const UnicodeString name = data.cFileName;
            if (name != L"." && name != L"..") files.push_back(name);
        } while (FindNextFileW(find, &data));
        FindClose(find);
        return files;
    }

private:
    UnicodeString FFolder;
};

void WriteFile(const UnicodeString& fileName, const std::string& bytes) {
    TFileStream file(fileName, fmCreate);
    file.WriteBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
}

std::string ReadFile(const UnicodeString& fileName) {
    TMemoryStream stream;
    stream.LoadFromFile(fileName);
    return Contents(stream);
}

// A stream whose transfers fail, as a broken connection or a full disk makes them. It claims to
// hold 100 bytes so that a reader asks for them.
class TBrokenStream : public TStream {
public:
    NativeInt Read(void*, NativeInt) override { throw EReadError(L"Stream read error"); }
    NativeInt Write(const void*, NativeInt) override { return 0; }
    Int64 Seek(Int64, TSeekOrigin origin) override { return origin == soEnd ? 100 : 0; }
    void SetSize(Int64) override {}
};

// What the client reads for a name the server sent in GBK: the bytes decoded as ANSI text.
UnicodeString AsReceived(const UnicodeString& text) {
    return AnsiToUnicode(UnicodeToAnsi(text, CodePageGbk));
}

} // namespace

TEST(KitIni, LoadsTheServersGbkReplyAsAnsiText) {
    // Area and line names of the shape the server sends; the area names include those the
    // client treats specially.
    const UnicodeString reply = L"[华东地区]\r\n"
                                L"上海1 = EncodedA,98%,1\r\n"
                                L"杭州=EncodedB, 50% ,0\r\n"
                                L"[海外加速]\r\n"
                                L"香港=EncodedC,10%,1\r\n";
    TMemoryStream stream;
    Fill(stream, UnicodeToAnsi(reply, CodePageGbk));
    TKitStreamIniFile document(L"");
    ASSERT_TRUE(document.LoadFromStream(&stream));

    EXPECT_EQ(SectionsOf(document), (Items{AsReceived(L"华东地区"), AsReceived(L"海外加速")}));
    TStringList lines;
    document.ReadSection(AsReceived(L"华东地区"), &lines);
    EXPECT_EQ(ItemsOf(lines), (Items{AsReceived(L"上海1"), AsReceived(L"杭州")}));
    EXPECT_EQ(document.ReadString(AsReceived(L"华东地区"), AsReceived(L"杭州"), L""),
              L"EncodedB, 50% ,0");
    EXPECT_EQ(document.ReadString(AsReceived(L"海外加速"), AsReceived(L"香港"), L""),
              L"EncodedC,10%,1");
}

TEST(KitIni, ByteOrderMarksAndLineEndsAreHonoured) {
    const UnicodeString text = L"[区域]\r\n线路=a\n[b]\rk=v\r\n";
    const UnicodeString expected = L"[区域]\r\n线路=a\r\n\r\n[b]\r\nk=v\r\n\r\n";
    for (const TTextEncoding encoding :
         {TTextEncoding::Utf8, TTextEncoding::Utf16LE, TTextEncoding::Utf16BE}) {
        SCOPED_TRACE(static_cast<int>(encoding));
        TMemoryStream stream;
        Fill(stream, ByteOrderMark(encoding) + EncodeText(text, encoding));
        TKitStreamIniFile document(L"");
        EXPECT_TRUE(document.LoadFromStream(&stream));
        EXPECT_EQ(TextOf(document), expected);
    }
}

TEST(KitIni, LoadReadsFromThePositionAndReplacesTheDocument) {
    const std::string skipped = "[skipped]\r\nk=1\r\n";
    TMemoryStream stream;
    Fill(stream, skipped + "[kept]\r\nk=2\r\n", static_cast<Int64>(skipped.size()));
    TKitStreamIniFile document(L"");
    TMemoryStream first;
    Fill(first, "[old]\r\nk=0\r\n");
    ASSERT_TRUE(document.LoadFromStream(&first));

    EXPECT_TRUE(document.LoadFromStream(&stream));
    EXPECT_EQ(SectionsOf(document), (Items{L"kept"}));
    EXPECT_EQ(stream.Position(), stream.Size());

    TMemoryStream empty;
    EXPECT_TRUE(document.LoadFromStream(&empty));
    EXPECT_EQ(TextOf(document), L"");
}

TEST(KitIni, SavesAnsiTextAtThePosition) {
    TMemoryStream source;
    Fill(source, UnicodeToAnsi(L"[华东]\r\n 上海 = x, 1 \r\n[b]\r\nlone\r\n", CodePageGbk));
    TKitStreamIniFile document(L"");
    ASSERT_TRUE(document.LoadFromStream(&source));

    TMemoryStream target;
    Fill(target, "head", 4);
    ASSERT_TRUE(document.SaveToStream(&target));
    const UnicodeString stored = L"[" + AsReceived(L"华东") + L"]\r\n" + AsReceived(L"上海") +
                                 L"=x, 1\r\n\r\n[b]\r\nlone\r\n\r\n";
    EXPECT_EQ(Contents(target), "head" + UnicodeToAnsi(stored));
}

TEST(KitIni, RoundTripThroughAStreamKeepsTheDocument) {
    TMemoryStream source;
    Fill(source, UnicodeToAnsi(L"x=dropped\r\n[华东]\r\n上海=a=b, c\r\n上海=again\r\n"
                               L"[b]\r\n;comment\r\nlone\r\n[华东]\r\nk=\r\n",
                               CodePageGbk));
    TKitStreamIniFile original(L"");
    ASSERT_TRUE(original.LoadFromStream(&source));

    TMemoryStream saved;
    ASSERT_TRUE(original.SaveToStream(&saved));
    saved.SetPosition(0);
    TKitStreamIniFile copy(L"");
    ASSERT_TRUE(copy.LoadFromStream(&saved));
    EXPECT_EQ(TextOf(copy), TextOf(original));
    EXPECT_EQ(SectionsOf(copy).size(), 3u);
    EXPECT_EQ(copy.ReadString(AsReceived(L"华东"), L"k", L"default"), L"");
}

TEST(KitIni, FailuresAnswerFalseInsteadOfRaising) {
    TTempFolder folder;
    TKitStreamIniFile document(L"");
    TMemoryStream source;
    Fill(source, "[s]\r\nk=v\r\n");
    ASSERT_TRUE(document.LoadFromStream(&source));
    TBrokenStream broken;
    EXPECT_FALSE(document.SaveToStream(&broken));
    EXPECT_FALSE(document.LoadFromStream(&broken));
    EXPECT_FALSE(document.LoadFromFile(folder.File(L"missing.ini")));
    EXPECT_FALSE(document.SaveToFile(folder.File(L"missing\\file.ini")));

    const UnicodeString busy = folder.File(L"busy.ini");
    WriteFile(busy, "[s]\r\nk=v\r\n");
    {
        TFileStream writer(busy, fmOpenWrite | fmShareDenyNone);
        EXPECT_FALSE(document.LoadFromFile(busy)) << "loaded a file another has open for writing";
    }
    EXPECT_TRUE(document.LoadFromFile(busy));
    EXPECT_EQ(document.ReadString(L"s", L"k", L""), L"v");
}

TEST(KitIni, SavesAndLoadsFiles) {
    TTempFolder folder;
    const UnicodeString name = folder.File(L"lines.ini");
    WriteFile(name, "old contents that are longer than the document");
    TKitStreamIniFile document(L"");
    TMemoryStream source;
    Fill(source, "[a]\r\n k = v \r\n");
    ASSERT_TRUE(document.LoadFromStream(&source));
    ASSERT_TRUE(document.SaveToFile(name));
    EXPECT_EQ(ReadFile(name), "[a]\r\nk=v\r\n\r\n");

    TKitStreamIniFile loaded(L"");
    EXPECT_TRUE(loaded.LoadFromFile(name));
    EXPECT_EQ(loaded.ReadString(L"a", L"k", L""), L"v");
}

TEST(KitIni, ADocumentCreatedForAFileLoadsItAndWritesItBackWhenFreed) {
    TTempFolder folder;
    const UnicodeString name = folder.File(L"kept.ini");
    WriteFile(name, ";comment\r\n[a]\r\n  k = v  \r\n");
    {
        TKitStreamIniFile document(name);
        EXPECT_EQ(document.ReadString(L"a", L"k", L""), L"v");
        EXPECT_EQ(ReadFile(name), ";comment\r\n[a]\r\n  k = v  \r\n"); // not written yet
    }
    EXPECT_EQ(ReadFile(name), "[a]\r\nk=v\r\n\r\n");
}

TEST(KitIni, UpdateFileWritesOnlyAnExistingFileOfTheDocument) {
    TTempFolder folder;
    const UnicodeString name = folder.File(L"gone.ini");
    WriteFile(name, "[a]\r\nk=v\r\n");
    {
        TKitStreamIniFile document(name);
        DeleteFileW(name.c_str());
        document.UpdateFile();
    }
    EXPECT_EQ(folder.Files(), Items{}) << "a deleted file was created again";

    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(folder.Folder().c_str());
    {
        TKitStreamIniFile unnamed(L"");
        unnamed.UpdateFile();
    }
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(folder.Files(), Items{}) << "a document without a file wrote one";
}
