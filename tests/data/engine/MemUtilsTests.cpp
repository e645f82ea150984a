#include "data/engine/MemUtils.h"

#include "data/engine/CLRClasses.h"
#include "data/engine/DcParser.h"
#include "data/engine/MemData.h"

#include "EngineModules.h"

#include "support/ZLibStream/ZLibStream.h"

#include <windows.h>

#include <random>
#include <string>

namespace {

class MemUtilsTest : public EngineModulesTest {
protected:
    MemUtilsTest() : EngineModulesTest({MemUtilsModule()}) {}
};

TEST(MemUtils, TimeStamps) {
    EXPECT_EQ(TimeStampToDateTimeChecked({0, 1}), 1.0 - 693594);
    EXPECT_EQ(TimeStampToDateTimeChecked({43200000, 693594}), 0.5);
    EXPECT_EQ(TimeStampToDateTimeChecked({43200000, 693593}), -1.5); // before the base day
    struct Case {
        TTimeStamp Stamp;
        const wchar_t* Message;
    } bad[] = {{{0, 0}, L"'0.0' is not a valid timestamp"},
               {{-1, 5}, L"'5.-1' is not a valid timestamp"},
               {{10, -2}, L"'-2.10' is not a valid timestamp"}};
    for (const Case& c : bad) {
        try {
            CheckTimeStampValid(c.Stamp);
            ADD_FAILURE() << "accepted";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
    }
}

TEST(MemUtils, WideTextHelpers) {
    wchar_t buffer[8];
    std::wmemset(buffer, L'#', 8);
    CopyWideStrMax(buffer, L"abcde", 3);
    EXPECT_STREQ(buffer, L"abc");
    CopyWideStrMax(buffer, L"ab", 5);
    EXPECT_STREQ(buffer, L"ab");
    CopyWideStr(buffer, L"xyz");
    EXPECT_EQ(WideStrLength(buffer), 3);

    char narrow[] = "AB  ";
    TrimTrailingBlanks(narrow, -1);
    EXPECT_EQ(std::string(narrow, 4), std::string("AB\0\0", 4));
    char counted[] = {'A', ' ', '\0', ' ', 'x'};
    TrimTrailingBlanks(counted, 4);
    EXPECT_EQ(std::string(counted, 5), std::string("A\0\0\0x", 5));
    wchar_t wide[] = L"A B ";
    TrimTrailingBlanksW(wide, -1);
    EXPECT_STREQ(wide, L"A B");
}

TEST(MemUtils, QuoteAndDequote) {
    struct Case {
        const wchar_t* Text;
        const wchar_t* Quoted;
    } cases[] = {
        {L"O'Brien", L"'O''Brien'"}, {L"", L"''"}, {L"''", L"''''''"}, {L"plain", L"'plain'"}};
    for (const Case& c : cases) {
        EXPECT_EQ(QuoteString(c.Text, L'\''), c.Quoted);
        EXPECT_EQ(DequoteString(c.Quoted, L'\''), c.Text);
    }
    EXPECT_EQ(DequoteString(L"'a''b' rest", L'\''), L"a'b");
    EXPECT_EQ(DequoteString(L"unquoted", L'\''), L"unquoted");
    EXPECT_EQ(QuoteString(L"say \"hi\"", L'"'), L"\"say \"\"hi\"\"\"");
}

TEST(MemUtils, BytesAndObjects) {
    char text[] = "abcdef";
    MoveByteBlock(text, text + 2, 4); // overlapping
    EXPECT_STREQ(text, "ababcd");
    FillByteRun(text, 2, 'z');
    EXPECT_STREQ(text, "zzabcd");
    wchar_t wide[3] = {};
    MoveWideChars(L"hi", wide, 4);
    EXPECT_STREQ(wide, L"hi");
    MoveAnsiChars("q", text, 1);
    EXPECT_EQ(text[0], 'q');

    TPersistent persistent;
    EXPECT_TRUE(ObjectIsClass(&persistent, TObject::StaticClass()));
    EXPECT_FALSE(ObjectIsClass(nullptr, TObject::StaticClass()));
    EXPECT_EQ(PtrToObject(ObjectToHandle(&persistent)), &persistent);
}

// Letter cases only: Wine's sort tables differ from Windows' for punctuation.
TEST(MemUtils, LocaleComparisons) {
    EXPECT_EQ(WideCompareStrLocale(L"abc", L"abd"), -1);
    EXPECT_EQ(WideCompareStrLocale(L"b", L"a"), 1);
    EXPECT_EQ(WideCompareStrLocale(L"a", L"a"), 0);
    EXPECT_NE(WideCompareStrLocale(L"a", L"A"), 0);
    EXPECT_EQ(WideCompareTextLocale(L"a", L"A"), 0);
    EXPECT_EQ(WideCompareStrLocaleN(L"abcX", L"abcY", 3), 0);
    EXPECT_EQ(WideCompareTextLocaleN(L"ABcX", L"abcY", 3), 0);
    EXPECT_EQ(WideCompareTextLocaleN(L"ab", L"abc", 3), -1);
    EXPECT_EQ(AnsiCompareStrLocale("abc", "abd"), -1);
    EXPECT_EQ(AnsiCompareTextLocale("ABC", "abc"), 0);
    EXPECT_EQ(AnsiCompareStrLocale(std::string("a\0b", 3), std::string("a\0c", 3)), -1);
    EXPECT_EQ(AnsiCompareStrLocaleZ("b", "a"), 1);
    EXPECT_EQ(AnsiCompareTextLocaleZ("Zeta", "zETA"), 0);
    EXPECT_EQ(LocaleCompareText(L"apple", L"BANANA"), -1);
    EXPECT_TRUE(LocaleSameText(L"\u00c9t\u00e9", L"\u00e9T\u00c9"));
    EXPECT_EQ(LocaleUpperCase(L"\u00e9a"), L"\u00c9A");
    EXPECT_EQ(LocaleLowerCase(L"\u00c9A"), L"\u00e9a");
}

TEST_F(MemUtilsTest, StartUpInstallsTheZlibHooks) {
    EXPECT_FALSE(IsWin9x);
    EXPECT_EQ(CompressorHook, &DefaultCompressor);
    EXPECT_EQ(UncompressorHook, &DefaultUncompressor);
    EXPECT_NO_THROW(CheckCompressorLinked());
}

TEST_F(MemUtilsTest, CompressRoundTrips) {
    std::mt19937 random(7);
    std::string noise(3000, '\0');
    for (char& c : noise) c = char(random());
    for (const std::string& data :
         {std::string(1000, '\0'), std::string("x"), noise, std::string(200000, 'q') + noise}) {
        std::string packed(data.size() + data.size() / 5 + 64, '\0');
        Integer packedLen = Integer(packed.size());
        EXPECT_EQ(CompressBlock(packed.data(), packedLen, data.data(), Integer(data.size())), 1);
        std::string unpacked(data.size(), '\0');
        Integer unpackedLen = Integer(unpacked.size());
        EXPECT_EQ(UncompressBlock(unpacked.data(), unpackedLen, packed.data(), packedLen), 1);
        EXPECT_EQ(unpackedLen, Integer(data.size()));
        EXPECT_EQ(unpacked, data);
    }
    std::string zeros(1000, '\0'), room(1000, '\0');
    Integer roomLen = 1000;
    DefaultCompressor(room.data(), roomLen, zeros.data(), 1000);
    EXPECT_LT(roomLen, 50);
}

TEST_F(MemUtilsTest, CompressFailures) {
    std::mt19937 random(9);
    std::string noise(1000, '\0');
    for (char& c : noise) c = char(random());
    std::string small(100, '\0');
    Integer smallLen = 100;
    try {
        DefaultCompressor(small.data(), smallLen, noise.data(), 1000);
        FAIL() << "compressed into too little room";
    } catch (const EZCompressionError&) {
        FAIL() << "reported as a compression error";
    } catch (const EZLibError& e) {
        EXPECT_EQ(e.Message(), L"ZLib error: target buffer may be too small");
    }
    const std::string garbage = "this is not a zlib stream";
    std::string out(100, '\0');
    Integer outLen = 100;
    try {
        DefaultUncompressor(out.data(), outLen, garbage.data(), Integer(garbage.size()));
        FAIL() << "garbage expanded";
    } catch (const EZDecompressionError& e) {
        EXPECT_EQ(e.Message(), L"Error");
    }

    UncompressorHook = nullptr;
    try {
        CheckCompressorLinked();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Uncompressor function is not linked");
    }
    EXPECT_THROW(UncompressBlock(out.data(), outLen, garbage.data(), 1), EAssertionFailed);
    CompressorHook = nullptr;
    try {
        CheckCompressorLinked();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Compressor function is not linked");
    }
}

} // namespace

namespace {

Variant ByteArray(std::initializer_list<int> bytes) {
    Variant array = VarArrayCreate(0, int(bytes.size()) - 1, varByte);
    int i = 0;
    for (int b : bytes) VarArrayPut(array, Variant(Byte(b)), i++);
    return array;
}

TEST(MemUtils, VariantsEqualRules) {
    struct Case {
        Variant A, B;
        bool Equal;
    } cases[] = {
        {Null(), Null(), true},
        {Variant(L""), Null(), false},
        {Null(), Variant(L""), false},
        {Variant(L""), Variant(L""), true},
        {Variant(L""), Variant(AnsiString()), true},
        {Variant(L""), Unassigned(), false},
        {Unassigned(), Variant(L""), false},
        {Variant::FromOleStr(L"abc"), Variant(AnsiString("abc")), true},
        {Variant::FromOleStr(L"abc"), Variant::FromOleStr(L"ABC"), false},
        {Variant(Integer(1)), Variant(L"1"), true}, // the class library's equality converts
        {Variant(Integer(1)), Variant(L"x"), false},
        {Variant(2.5), Variant(2.5), true},
        {ByteArray({1, 2, 3}), ByteArray({1, 2, 3}), true},
        {ByteArray({1, 2, 3}), ByteArray({1, 2, 4}), false},
        {ByteArray({1, 2}), ByteArray({1, 2, 3}), false},
        {ByteArray({}), ByteArray({}), true},
        {ByteArray({1}), Variant(Integer(1)), false},
    };
    int row = 0;
    for (const Case& c : cases) {
        EXPECT_EQ(VariantsEqual(c.A, c.B), c.Equal) << "row " << row;
        ++row;
    }
    EXPECT_EQ(VariantToString(Null()), L"");
    EXPECT_EQ(VariantToString(Variant(Integer(42))), L"42");
}

} // namespace

namespace {

// The engine's modules in the order the client lists them: the order is accepted, every
// start-up runs, and shutdown leaves nothing behind for a second start.
TEST(EngineModules, StartInOrderAndStopCleanly) {
    const TModuleList modules{CLRClassesModule(), MemUtilsModule(), DcParserModule(),
                              MemDataModule()};
    for (int round = 0; round < 2; ++round) {
        InitializeModules(modules);
        EXPECT_NE(Encoding::Default(), nullptr);
        EXPECT_EQ(SQLKeywordLexems().Find(L"DISTINCT", 8)->Code, 107);
        EXPECT_EQ(CompressorHook, &DefaultCompressor);
        EXPECT_EQ(DefaultPieceSize, 65514u);
        FinalizeModules();
    }
}

} // namespace
