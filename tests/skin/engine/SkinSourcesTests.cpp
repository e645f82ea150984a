// The three sources of a skin give the same tables; damaged archives fail cleanly; the skin
// directory, the skin lists and the extraction of internal skins.
#include "SkinEngineTesting.h"

#include "framework/Conversions.h"
#include "framework/Files.h"
#include "skin/engine/sGeneralUtils.h"
#include "support/ZLibStream/ZLibStream.h"

#include <zlib.h>

#include <vector>

namespace {

using SkinSources = SkinManagerTest;

// The skin's archive as the program's own resource, given as an internal skin.
void AddInternalSkin(TsSkinManager* Manager, const UnicodeString& Name,
                     const UnicodeString& Resource) {
    TsStoredSkin* stored = Manager->InternalSkins()->Add();
    stored->SetName(Name);
    stored->LoadDataFromResource(GetModuleHandleW(nullptr), Resource);
}

TEST_F(SkinSources, FolderArchiveAndInternalSkinFillTheSameTables) {
    const std::pair<const wchar_t*, const wchar_t*> skins[] = {
        {L"TestFlat", L"TESTFLAT"}, {L"TestFeatures", L"TESTFEATURES"}, {L"Calm", L"CALM"}};
    for (const auto& [name, resource] : skins) {
        SCOPED_TRACE(name);
        Load(FolderSkins(), name);
        ASSERT_TRUE(Manager->SkinActive());
        EXPECT_FALSE(Manager->SkinIsPacked);
        // The directory as given, a separator, the name: FolderSkins() ends in one already.
        EXPECT_EQ(Manager->SkinData.SkinPath, FolderSkins() + L"\\" + name + L"\\");
        const std::wstring folder = TableDump(*Manager);

        Load(PackedSkins(), name);
        ASSERT_TRUE(Manager->SkinActive());
        EXPECT_TRUE(Manager->SkinIsPacked);
        EXPECT_EQ(TableDump(*Manager), folder);

        AddInternalSkin(Manager, name, resource);
        Load(GeneratedSkins() + L"none", name);
        ASSERT_TRUE(Manager->SkinActive());
        EXPECT_TRUE(Manager->SkinIsPacked);
        EXPECT_EQ(Manager->SkinData.SkinPath, L"");
        EXPECT_EQ(TableDump(*Manager), folder);
    }
    // The comparison sees a difference: another skin dumps otherwise.
    Load(FolderSkins(), L"TestFlat");
    const std::wstring flat = TableDump(*Manager);
    Load(FolderSkins(), L"TestFeatures");
    EXPECT_NE(TableDump(*Manager), flat);
}

TEST_F(SkinSources, OptionsTextInEveryEncodingReadsAlike) {
    Load(FolderSkins(), L"TestFlat");
    const std::wstring ansi = TableDump(*Manager);
    EXPECT_NE(ansi.find(FlatAuthor), std::wstring::npos);
    Load(FolderSkins(), L"TestFlatUtf8");
    EXPECT_EQ(TableDump(*Manager), ansi);
    Load(FolderSkins(), L"TestFlatUtf16");
    EXPECT_EQ(TableDump(*Manager), ansi);
}

TEST_F(SkinSources, ArchiveEntriesOfNoBytesAndUpperCaseNames) {
    Load(FolderSkins(), L"TestFlat");
    const std::wstring flat = TableDump(*Manager);
    Load(PackedSkins(), L"TestZeroEntry"); // "OPTIONS.DAT", "MASTER.BMP" and an empty entry
    ASSERT_TRUE(Manager->SkinActive());
    EXPECT_EQ(TableDump(*Manager), flat);

    TacSkinConvertor* convertor = nullptr;
    LoadPackedSkinFile(PackedSkins() + L"TestZeroEntry.asz", convertor, true);
    ASSERT_NE(convertor, nullptr);
    EXPECT_EQ(convertor->ImageCount, 2);
    ASSERT_EQ(convertor->Files.size(), 2u);
    EXPECT_EQ(convertor->Files[1].FileName, L"EMPTY.BIN");
    EXPECT_EQ(convertor->Files[1].FileStream->Size(), 0);
    EXPECT_TRUE(convertor->Files[0].IsBitmap);
    EXPECT_FALSE(convertor->Files[1].IsBitmap);
    EXPECT_EQ(convertor->PackedData, nullptr);
    convertor->Free();
}

TEST_F(SkinSources, BigEntriesBackToBackAreReadWhole) {
    TacSkinConvertor* convertor = nullptr;
    LoadPackedSkinFile(PackedSkins() + L"TestFeatures.asz", convertor, false);
    ASSERT_NE(convertor, nullptr);
    TMemoryStream* first = convertor->FindFile(L"NOISE1.BMP"); // stored as "Noise1.bmp"
    TMemoryStream* second = convertor->FindFile(L"NOISE2.BMP");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->Size(), 54 + 256 * 192 * 3);
    EXPECT_EQ(second->Size(), 54 + 256 * 192 * 3);
    ASSERT_NE(convertor->Options, nullptr);                 // "options.DAT"
    EXPECT_EQ(convertor->FindFile(L"Noise1.bmp"), nullptr); // matched upper-cased, exactly
    // The whole archive was consumed: nothing after the last stream.
    EXPECT_EQ(convertor->PackedData->Position(), convertor->PackedData->Size());
    convertor->Free();
}

// Every damaged archive raises; the manager keeps its skin and no load is left open.
TEST_F(SkinSources, HostileArchivesFailCleanly) {
    Load(FolderSkins(), L"TestFlat");
    const std::wstring before = TableDump(*Manager);
    const wchar_t* const names[] = {
        L"Empty",           L"ShortMagic",         L"BadMagic",  L"TruncatedHeader",
        L"TruncatedStream", L"TruncatedName",      L"HugeCount", L"NegativeCount",
        L"HugeNameLength",  L"NegativeNameLength", L"HugeSize",  L"NegativeSize",
        L"SizeBeyondData",  L"CorruptStream",      L"NoOptions"};
    for (const wchar_t* name : names) {
        SCOPED_TRACE(name);
        bool raised = false;
        try {
            Load(HostileSkins(), name);
        } catch (const Exception& error) {
            raised = true;
            EXPECT_FALSE(error.Message().empty());
        }
        EXPECT_TRUE(raised);
        EXPECT_FALSE(SkinLoading);
        EXPECT_EQ(SkinIni, nullptr);
        EXPECT_EQ(SkinConvertor, nullptr);
        EXPECT_EQ(Manager->SkinName(), L"TestFlat");
        EXPECT_TRUE(Manager->SkinActive());
        EXPECT_EQ(TableDump(*Manager), before);
    }
    // The wrong magic says so in the words users know.
    try {
        Load(HostileSkins(), L"BadMagic");
        FAIL();
    } catch (const EacSkinPackError& error) {
        EXPECT_EQ(error.Message(), NotPackedMessage);
    }
}

TEST_F(SkinSources, AFailedFirstLoadLeavesNoSkin) {
    EXPECT_THROW(Load(HostileSkins(), L"CorruptStream"), EZDecompressionError);
    EXPECT_FALSE(Manager->SkinActive());
    EXPECT_TRUE(Manager->gd.empty());
    EXPECT_TRUE(Manager->ma.empty());
    EXPECT_EQ(Manager->ConstData.IndexGLobalInfo, -1);
    EXPECT_FALSE(SkinLoading);
    Load(FolderSkins(), L"TestFlat"); // and the next load works
    EXPECT_TRUE(Manager->SkinActive());
}

// A bounded mutation run over a good archive: every mutant unpacks or raises a library error,
// and never reads or allocates past what it holds.
TEST(SkinArchiveMutations, EveryMutantUnpacksOrRaises) {
    TMemoryStream original;
    original.LoadFromFile(PackedSkins() + L"TestFlat.asz");
    const auto* bytes = static_cast<const Byte*>(original.Memory());
    const int size = static_cast<int>(original.Size());
    std::uint32_t state = 12345;
    auto next = [&] { return state = state * 1103515245u + 12345u; };
    int unpacked = 0, refused = 0;
    for (int round = 0; round < 600; ++round) {
        std::vector<Byte> data(bytes, bytes + size);
        switch (round % 4) {
        case 0: // flip a byte
            data[next() % data.size()] ^= static_cast<Byte>(1 + next() % 255);
            break;
        case 1: // cut the tail
            data.resize(next() % data.size());
            break;
        case 2: { // overwrite a 32-bit field in the first 64 bytes with an extreme value
            const Integer extremes[] = {0,   -1, 1, 0x7FFFFFFF, static_cast<Integer>(0x80000000),
                                        4096};
            const std::size_t at = next() % 60;
            const Integer value = extremes[next() % 6];
            std::memcpy(&data[at], &value, 4);
            break;
        }
        default: // several flips
            for (int i = 0; i < 8; ++i) data[next() % data.size()] = static_cast<Byte>(next());
        }
        TacSkinConvertor convertor;
        convertor.PackedData = new TMemoryStream();
        convertor.PackedData->Write(data.data(), static_cast<NativeInt>(data.size()));
        try {
            convertor.Unpack();
            ++unpacked;
        } catch (const Exception&) {
            ++refused;
            EXPECT_TRUE(convertor.Files.empty());
            EXPECT_EQ(convertor.Options, nullptr);
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(unpacked, 0); // flips inside a name or an image's bytes still unpack
}

// The archive entry of `Name` with its bytes; the next entries follow unchanged.
std::vector<Byte> Entry(const AnsiString& Name, const std::vector<Byte>& Data) {
    uLongf packed = compressBound(static_cast<uLong>(Data.size()));
    std::vector<Byte> stream(packed);
    compress2(stream.data(), &packed, Data.data(), static_cast<uLong>(Data.size()), 9);
    const Integer length = static_cast<Integer>(Name.size());
    const Integer size = static_cast<Integer>(Data.size());
    std::vector<Byte> out(8 + Name.size() + packed);
    std::memcpy(out.data(), &length, 4);
    std::memcpy(out.data() + 4, Name.data(), Name.size());
    std::memcpy(out.data() + 4 + Name.size(), &size, 4);
    std::memcpy(out.data() + 8 + Name.size(), stream.data(), packed);
    return out;
}

// A bounded mutation run over the skin text: damaged Options.dat texts (with the images intact)
// load or raise a library error, and a failure leaves the skin that was there.
TEST_F(SkinSources, MutatedSkinTextsLoadOrFailCleanly) {
    TMemoryStream options, master;
    options.LoadFromFile(FolderSkins() + L"TestFeatures\\Options.dat");
    master.LoadFromFile(FolderSkins() + L"TestFeatures\\MASTER.BMP");
    const auto* text = static_cast<const Byte*>(options.Memory());
    const auto* image = static_cast<const Byte*>(master.Memory());
    const std::vector<Byte> masterBytes(image, image + master.Size());
    const UnicodeString folder = GeneratedSkins() + L"mutants";
    ForceDirectories(folder);
    Load(FolderSkins(), L"TestFlat");
    const std::wstring before = TableDump(*Manager);
    std::uint32_t state = 777;
    auto next = [&] { return state = state * 1103515245u + 12345u; };
    const Byte interesting[] = {'@', '^', '~', '!', '#', '(', ')',  ',',  '-', '0', '9',
                                '$', '=', '[', ']', ';', ' ', '\r', '\n', 'x', 0,   0xFF};
    int loaded = 0, refused = 0;
    for (int round = 0; round < 40; ++round) {
        std::vector<Byte> mutated(text, text + options.Size());
        for (int i = 0, n = 1 + round % 6; i < n; ++i)
            mutated[next() % mutated.size()] = interesting[next() % sizeof(interesting)];
        if (round % 10 == 9) mutated.resize(next() % mutated.size());
        {
            TFileStream file(folder + L"\\Mutant.asz", fmCreate);
            const char header[8] = {'A', 'S', 'z', 'f', 2, 0, 0, 0};
            file.WriteBuffer(header, 8);
            for (const auto& part :
                 {Entry("Options.dat", mutated), Entry("MASTER.BMP", masterBytes)})
                file.WriteBuffer(part.data(), static_cast<NativeInt>(part.size()));
        }
        try {
            Load(folder, L"Mutant");
            ++loaded;
            Load(FolderSkins(), L"TestFlat");
        } catch (const Exception&) {
            ++refused;
            EXPECT_FALSE(SkinLoading);
            EXPECT_EQ(Manager->SkinName(), L"TestFlat");
            EXPECT_EQ(TableDump(*Manager), before);
        }
    }
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused, 0);
}

TEST(SkinDirectory, ResolvedAgainstTheProgramFolder) {
    struct TCase {
        const wchar_t* App;
        const wchar_t* Directory;
        const wchar_t* Full;
    };
    const TCase cases[] = {
        {L"C:\\App\\Bin\\", L"..\\Skins", L"C:\\App\\Skins"},
        {L"C:\\App\\Bin\\", L".\\Skins", L"C:\\App\\Bin\\Skins"},
        {L"C:\\App\\Bin\\", L"./Skins", L"C:\\App\\Bin\\Skins"},
        {L"C:\\App\\Bin\\", L"Skins", L"C:\\App\\Bin\\Skins"},
        {L"C:\\App\\Bin\\", L"D:\\Skins", L"D:\\Skins"},
        {L"C:\\App\\Bin\\", L"\\\\server\\share\\Skins", L"\\\\server\\share\\Skins"},
        // At a drive root there is no parent folder: the root stands for it.
        {L"C:\\", L"..\\Skins", L"C:\\Skins"},
        {L"C:\\", L"..", L"C:\\"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ResolveSkinDirectory(c.Directory, c.App), c.Full) << c.App << L" " << c.Directory;
}

TEST_F(SkinSources, NoSkinOfTheNameTakesTheFirstInternalSkinOrNone) {
    Load(GeneratedSkins() + L"none", L"Nothing");
    EXPECT_FALSE(Manager->Active()); // no source and no internal skin
    EXPECT_FALSE(Manager->SkinActive());

    AddInternalSkin(Manager, L"Flat (internal)", L"TESTFLAT");
    AddInternalSkin(Manager, L"Calm (internal)", L"CALM");
    Manager->WriteActive(true); // reads "Nothing" again: the first internal skin
    EXPECT_TRUE(Manager->SkinActive());
    EXPECT_EQ(Manager->SkinName(), L"Flat (internal)");
    Manager->WriteSkinName(L"Calm (internal)");
    EXPECT_EQ(Manager->SkinName(), L"Calm (internal)");
    EXPECT_EQ(Manager->SkinData.Description, L"Calm: light surfaces, one blue accent");
}

TEST_F(SkinSources, SkinNamesOfEachKind) {
    AddInternalSkin(Manager, L"Zeta (internal)", L"TESTFLAT");
    // A folder of our own: a skin folder, an archive with a lower-case and one with an
    // upper-case extension, a folder without Options.dat and a hidden name.
    const UnicodeString root = GeneratedSkins() + L"names\\";
    ForceDirectories(root + L"Folder");
    ForceDirectories(root + L"Empty");
    for (const wchar_t* file :
         {L"Folder\\Options.dat", L"Packed.v2.asz", L"Upper.ASZ", L".hidden.asz"}) {
        TFileStream f(root + file, fmCreate);
    }
    Manager->WriteSkinDirectory(root);
    TStringList list;
    EXPECT_EQ(Manager->GetSkinNames(&list, stAllSkins), L"Zeta (internal)");
    EXPECT_EQ(list.Text(), L"Folder\r\nPacked\r\nZeta (internal)\r\n");
    Manager->GetSkinNames(&list, stPacked);
    EXPECT_EQ(list.Text(), L"Packed\r\nZeta (internal)\r\n");
    Manager->GetExternalSkinNames(&list, stUnpacked);
    EXPECT_EQ(list.Text(), L"Folder\r\n");
    const UnicodeString random = Manager->GetRandomSkin();
    EXPECT_TRUE(random == L"Folder" || random == L"Packed" || random == L"Zeta (internal)");
}

std::vector<UnicodeString>* Messages = nullptr;
void RecordMessage(const UnicodeString& Text) { Messages->push_back(Text); }

TEST_F(SkinSources, ExtractionWritesTheStoredBytesOrSaysWhyNot) {
    std::vector<UnicodeString> messages;
    Messages = &messages;
    const TErrorMessageBox saved = ErrorMessageBox;
    ErrorMessageBox = &RecordMessage;
    AddInternalSkin(Manager, L"Calm", L"CALM");
    const UnicodeString target = GeneratedSkins() + L"extracted";
    ForceDirectories(target);
    Manager->ExtractInternalSkin(L"Calm", target);
    TMemoryStream written, original;
    written.LoadFromFile(target + L"\\Calm extracted.asz");
    original.LoadFromFile(PackedSkins() + L"Calm.asz");
    EXPECT_EQ(written.Size(), original.Size());
    EXPECT_EQ(std::memcmp(written.Memory(), original.Memory(), original.Size()), 0);

    Manager->ExtractInternalSkin(L"Nothing", target);
    Manager->ExtractInternalSkin(L"Calm", target + L"\\missing");
    // A folder below a file cannot be made.
    Manager->ExtractByIndex(0, target + L"\\Calm extracted.asz\\sub");
    ErrorMessageBox = saved;
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], L"Skin does not exists.");
    EXPECT_EQ(messages[1], L"Directory does not exists.");
    EXPECT_EQ(messages[2], L"Directory " + target + L"\\Calm extracted.asz\\sub\\ creation error.");
}

} // namespace
