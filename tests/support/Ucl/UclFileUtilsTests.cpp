#include "support/Ucl/UclFileUtils.h"

#include "SecondModule.h"
#include "VersionBlockBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

UnicodeString ThisProgram() {
    wchar_t name[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, name, MAX_PATH);
    return name;
}

template <class F> UnicodeString MessageOf(F&& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return L"(nothing raised)";
}

std::unique_ptr<TUclFileVersionInfo> FromBlock(const std::vector<Byte>& block) {
    return std::make_unique<TUclFileVersionInfo>(block.data(), block.size());
}

TBlockNode Table(const std::wstring& key, std::vector<TBlockNode> strings) {
    TBlockNode table{key, 1, {}, 0, std::move(strings)};
    return table;
}

TBlockNode Translation(std::vector<Word> words) {
    std::vector<Byte> bytes;
    for (Word w : words)
        bytes.push_back(static_cast<Byte>(w & 0xFF)), bytes.push_back(static_cast<Byte>(w >> 8));
    TBlockNode var{L"VarFileInfo", 1, {}, 0, {BinaryNode(L"Translation", bytes)}};
    return var;
}

TBlockNode Strings(std::vector<TBlockNode> tables) {
    return {L"StringFileInfo", 1, {}, 0, std::move(tables)};
}

} // namespace

TEST(UclFileVersionInfo, ReadsTheResourceOfALibrary) {
    TUclFileVersionInfo info(SecondModulePath());
    EXPECT_EQ(info.LanguageCount(), 2);
    EXPECT_EQ(info.TranslationCount(), 2);
    EXPECT_EQ(info.CompanyName(), L"Second Module Works");
    EXPECT_EQ(info.GetStandardKeyValue(2), L"Second Module Works");
    EXPECT_EQ(info.FileDescription(), L"Second module for tests");
    EXPECT_EQ(info.SpecialBuild(), L"nightly");
    EXPECT_EQ(info.Comments(), L"");
    EXPECT_EQ(info.GetCustomFieldValue(L"Flavour"), L"plain");
    EXPECT_EQ(info.BinFileVersion(), L"2.5.0.17");
    EXPECT_EQ(info.BinProductVersion(), L"2.5.0.0");
    EXPECT_EQ(info.FileType(), DWORD{VFT_DLL});
    EXPECT_EQ(info.FileOS(), DWORD{VOS_NT_WINDOWS32});
    EXPECT_EQ(info.FileFlags(), (TFileFlags{ffDebug, ffPreRelease, ffSpecialBuild}));
    EXPECT_EQ(TUclFileVersionInfo::VersionLanguageId(info.Languages(0)), L"080404B0");
    EXPECT_EQ(info.Languages(0).LangId, 0x0804);
    EXPECT_EQ(info.Languages(0).CodePage, 0x04B0);
    EXPECT_EQ(info.Translations(1).Pair, 0x04B00409u);
    EXPECT_TRUE(info.TranslationMatchesLanguages(true));
}

TEST(UclFileVersionInfo, VersionPartsOfTheVersionTexts) {
    TUclFileVersionInfo info(SecondModulePath());
    EXPECT_EQ(info.FileVersionMajor(), L"1");
    EXPECT_EQ(info.FileVersionMinor(), L"2");
    EXPECT_EQ(info.FileVersionRelease(), L"3");
    EXPECT_EQ(info.FileVersionBuild(), L"4");
    EXPECT_EQ(info.ProductVersionMajor(), L"5");
    EXPECT_EQ(info.ProductVersionMinor(), L"");
    EXPECT_EQ(info.ProductVersionRelease(), L"");
    EXPECT_EQ(info.ProductVersionBuild(), L"1");
    struct Case {
        const wchar_t* Text;
        const wchar_t* Parts[4];
    } cases[] = {
        {L"7", {L"7", L"", L"", L"7"}},
        {L"1.2.3", {L"1", L"2", L"", L"3"}},
        {L" 1 , 2 ,3,\t4 ", {L"1", L"2", L"3", L"4"}},
        {L"1.2.3.4.5", {L"1", L"2", L"3", L"5"}},
        {L"", {L"", L"", L"", L""}},
    };
    for (const Case& c : cases)
        for (int part = 0; part < 4; ++part)
            EXPECT_EQ(TUclFileVersionInfo::VersionPart(c.Text, part), c.Parts[part])
                << c.Text << " " << part;
}

TEST(UclFileVersionInfo, LanguageIndexSwitchesTheItems) {
    TUclFileVersionInfo info(SecondModulePath());
    EXPECT_EQ(info.Items()->Count(), 6);
    info.SetLanguageIndex(1);
    EXPECT_EQ(info.CompanyName(), L"Second Module Works (English)");
    EXPECT_EQ(info.Items()->Count(), 2);
    EXPECT_EQ(info.ItemLanguage(0).LangId, 0x0409);
    EXPECT_EQ(MessageOf([&] { info.SetLanguageIndex(2); }), L"Illegal language index");
    EXPECT_THROW(info.SetLanguageIndex(-1), EUclFileVersionInfoError);
    EXPECT_EQ(info.LanguageIndex(), 1);
}

TEST(UclFileVersionInfo, CustomFieldErrors) {
    TUclFileVersionInfo info(SecondModulePath());
    EXPECT_EQ(MessageOf([&] { info.GetCustomFieldValue(L""); }), L"No value was supplied");
    EXPECT_EQ(MessageOf([&] { info.GetCustomFieldValue(L"Colour"); }),
              L"The value Colour was not found.");
}

TEST(UclFileVersionInfo, ConstructorFailures) {
    EXPECT_EQ(MessageOf([] { TUclFileVersionInfo info(ThisProgram()); }),
              L"File contains no version information");
    EXPECT_EQ(MessageOf([] { TUclFileVersionInfo info(static_cast<HMODULE>(nullptr)); }),
              L"The Module with handle 0 is not valid");
    EXPECT_EQ(MessageOf([] { TUclFileVersionInfo info(static_cast<HWND>(nullptr)); }),
              L"The window with handle 0 is not valid");
}

TEST(UclFileVersionInfo, FromAModuleAndFromAWindowsProcess) {
    TSecondModule second;
    ASSERT_TRUE(second.Handle());
    EXPECT_EQ(TUclFileVersionInfo(second.Handle()).CompanyName(), L"Second Module Works");
    // This program has no version resource: reaching that verdict means the window's process
    // and its main module were found.
    HWND window = CreateWindowW(L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(MessageOf([&] { TUclFileVersionInfo info(window); }),
              L"File contains no version information");
    DestroyWindow(window);
}

TEST(UclFileVersionInfo, SyntheticBlocksInBothForms) {
    for (bool wide : {true, false}) {
        SCOPED_TRACE(wide ? "32-bit form" : "16-bit form");
        const TBlockNode root =
            VersionRoot({Strings({Table(L"0x080404b0", {TextNode(L"CompanyName", L"Acme", wide),
                                                        TextNode(L"FileVersion", L"5.1", wide),
                                                        TextNode(L"Empty", L"", wide)})}),
                         Translation({0x0804, 0x04B0})},
                        VS_FF_PATCHED | VS_FF_PRIVATEBUILD | 0x100 /* outside the mask */);
        auto info = FromBlock(BuildBlock(root, wide));
        EXPECT_EQ(info->CompanyName(), L"Acme");
        EXPECT_EQ(info->FileVersionMajor(), L"5");
        EXPECT_EQ(info->FileVersionBuild(), L"1");
        EXPECT_EQ(info->Items()->Strings(2), L"Empty=");
        EXPECT_EQ(info->Languages(0).LangId, 0x0804);
        EXPECT_EQ(info->BinFileVersion(), L"3.2.1.0");
        EXPECT_EQ(info->BinProductVersion(), L"7.0.0.9");
        EXPECT_EQ(info->FileFlags(), (TFileFlags{ffPatched, ffPrivateBuild}));
        EXPECT_EQ(info->TranslationCount(), 1);
        EXPECT_TRUE(info->TranslationMatchesLanguages());
    }
}

TEST(UclFileVersionInfo, BinaryValuesInTheStringTable) {
    TBlockNode wideText = BinaryNode(L"Long", {'a', 0, 'b', 0, 'c', 0, 0, 0});
    const TBlockNode root = VersionRoot(
        {Strings({Table(L"040904E4", {BinaryNode(L"One", {0x0A}), BinaryNode(L"Two", {0x34, 0x12}),
                                      BinaryNode(L"Four", {0x78, 0x56, 0x34, 0x12}), wideText})})});
    auto info = FromBlock(BuildBlock(root, true));
    EXPECT_EQ(info->GetCustomFieldValue(L"One"), L"$0A");
    EXPECT_EQ(info->GetCustomFieldValue(L"Two"), L"$1234");
    EXPECT_EQ(info->GetCustomFieldValue(L"Four"), L"$12345678");
    EXPECT_EQ(info->GetCustomFieldValue(L"Long"), L"abc");
}

TEST(UclFileVersionInfo, TranslationsAgainstLanguages) {
    struct Case {
        std::vector<Word> Translation;
        bool Exact;
        bool Expected;
    } cases[] = {
        {{0x0409, 0x04E4}, true, true},
        {{0x0409, 0x04B0}, true, false},                 // not among the languages
        {{0x0409, 0x04E4, 0x0804, 0x04B0}, true, false}, // counts differ
        {{0x0409, 0x04E4}, false, true},
        {{}, false, false},
    };
    for (const Case& c : cases) {
        const TBlockNode root =
            VersionRoot({Strings({Table(L"040904E4", {TextNode(L"A", L"b", true)})}),
                         Translation(c.Translation)});
        EXPECT_EQ(FromBlock(BuildBlock(root, true))->TranslationMatchesLanguages(c.Exact),
                  c.Expected)
            << c.Translation.size() << " " << c.Exact;
    }
}

TEST(UclFileVersionInfo, MalformedBlocksHaveNoVersionInformation) {
    const TBlockNode good =
        VersionRoot({Strings({Table(L"040904E4", {TextNode(L"A", L"b", true)})})});
    const std::vector<Byte> block = BuildBlock(good, true);

    std::vector<std::pair<const char*, std::vector<Byte>>> cases;
    TBlockNode badRoot = good;
    badRoot.Key = L"VS_SOMETHING";
    cases.push_back({"root key", BuildBlock(badRoot, true)});
    std::vector<Byte> badSignature = block;
    badSignature[40] ^= 0xFF; // first byte of the fixed record (6 + 32 key bytes + 2 padding)
    cases.push_back({"signature", badSignature});
    cases.push_back({"truncated", std::vector<Byte>(block.begin(), block.begin() + 70)});
    std::vector<Byte> lying = block;
    PutWord(lying, 0, 0xFFF0); // longer than the block
    cases.push_back({"root length", lying});
    TBlockNode shortKey = VersionRoot({Strings({Table(L"0409", {})})});
    cases.push_back({"table key", BuildBlock(shortKey, true)});
    TBlockNode badType = VersionRoot({Strings({Table(L"040904E4", {BinaryNode(L"A", {1})})})});
    badType.Children[0].Children[0].Children[0].Type = 2;
    cases.push_back({"value type", BuildBlock(badType, true)});
    cases.push_back({"empty", {}});
    TBlockNode wideDigit = VersionRoot({Strings({Table(L"04\xFF42"
                                                       L"004B0",
                                                       {})})});
    cases.push_back({"full-width digit in the table key", BuildBlock(wideDigit, true)});
    for (const auto& [name, bytes] : cases)
        EXPECT_EQ(MessageOf([&] { FromBlock(bytes); }), L"File contains no version information")
            << name;
}

TEST(UclFileVersionInfo, AnUnknownChildEndsTheWalkQuietly) {
    TBlockNode other{L"Other", 1, {}, 0, {}};
    const TBlockNode root =
        VersionRoot({Strings({Table(L"040904E4", {TextNode(L"A", L"b", true)})}), other,
                     Translation({0x0409, 0x04E4})});
    auto info = FromBlock(BuildBlock(root, true));
    EXPECT_EQ(info->LanguageCount(), 1);
    EXPECT_EQ(info->TranslationCount(), 0);
}

// A "Translation" entry whose length ends inside the key's padding has its value start past
// its end: it holds no pairs, however long its value length says the value is.
TEST(UclFileVersionInfo, ATranslationValuePastItsEntryHoldsNoPairs) {
    std::vector<Byte> block = BuildBlock(VersionRoot({Translation({})}), true);
    const std::wstring key = L"Translation";
    const auto found =
        std::search(block.begin(), block.end(), reinterpret_cast<const Byte*>(key.data()),
                    reinterpret_cast<const Byte*>(key.data() + key.size()));
    ASSERT_NE(found, block.end());
    const std::size_t entry = static_cast<std::size_t>(found - block.begin()) - 6;
    PutWord(block, entry, 6 + 24);     // header and key with its NUL, without the padding
    PutWord(block, entry + 2, 0xFFFF); // a value longer than the whole block
    auto info = FromBlock(block);
    EXPECT_EQ(info->TranslationCount(), 0);
}

TEST(UclFileUtils, FixedRecordAndModuleFileName) {
    VS_FIXEDFILEINFO fixed{};
    ASSERT_TRUE(ReadFixedFileInfo(SecondModulePath(), fixed));
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00020005u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0x00000011u);
    EXPECT_FALSE(ReadFixedFileInfo(ThisProgram(), fixed));
    EXPECT_EQ(ModuleFileName(nullptr), ThisProgram());
    EXPECT_FALSE(TUclFileVersionInfo::VersionLanguageName(0x0409).empty());
}
