#include "data/engine/CLRClasses.h"

#include "EngineModules.h"

#include <windows.h>

#include <thread>

namespace {

class CLRClassesTest : public EngineModulesTest {
protected:
    CLRClassesTest() : EngineModulesTest({CLRClassesModule()}) {}
};

TBytes Bytes(std::initializer_list<int> values) {
    TBytes bytes;
    for (int v : values) bytes.push_back(Byte(v));
    return bytes;
}

TEST(BitConverter, LittleEndianRoundTrips) {
    EXPECT_EQ(BitConverter::GetBytes(Word(0x1234)), Bytes({0x34, 0x12}));
    EXPECT_EQ(BitConverter::GetBytes(Cardinal(0x01020304)), Bytes({4, 3, 2, 1}));
    const TBytes bytes = BitConverter::GetBytes(Int64(-2));
    EXPECT_EQ(bytes.size(), 8u);
    EXPECT_EQ(BitConverter::ToInt64(bytes, 0), -2);
    EXPECT_EQ(BitConverter::ToInt32(bytes, 4), -1);
    EXPECT_EQ(BitConverter::ToInt16(Bytes({0, 0xFE, 0xFF}), 1), -2);
    EXPECT_EQ(BitConverter::ToUInt16(Bytes({0, 0xFE, 0xFF}), 1), 0xFFFE);
    EXPECT_EQ(BitConverter::ToUInt32(Bytes({0xFF, 0xFF, 0xFF, 0xFF}), 0), 0xFFFFFFFFu);
    EXPECT_EQ(BitConverter::ToDouble(BitConverter::GetBytes(1.5), 0), 1.5);
    EXPECT_EQ(BitConverter::ToSingle(BitConverter::GetBytes(0.25f), 0), 0.25f);
    EXPECT_EQ(BitConverter::Int64BitsToDouble(BitConverter::DoubleToInt64Bits(-3.75)), -3.75);
    EXPECT_EQ(BitConverter::DoubleToInt64Bits(1.0), Int64(0x3FF0000000000000));
}

TEST(Marshal, TypedReadsAndWritesAtOffsets) {
    Byte block[32] = {};
    Marshal::WriteInt32(block, 3, 0x11223344);
    Marshal::WriteInt16(block, 10, -5);
    Marshal::WriteInt64(block, 16, Int64(-7));
    Marshal::WriteByte(block, 0, 0xAB);
    Marshal::WriteIntPtr(block, 24, block);
    EXPECT_EQ(Marshal::ReadInt32(block, 3), 0x11223344);
    EXPECT_EQ(Marshal::ReadByte(block, 3), 0x44);
    EXPECT_EQ(Marshal::ReadInt16(block, 10), -5);
    EXPECT_EQ(Marshal::ReadInt64(block, 16), -7);
    EXPECT_EQ(Marshal::ReadByte(block), 0xAB);
    EXPECT_EQ(Marshal::ReadIntPtr(block, 24), block);
    Marshal::WriteInt64(block + 16, 2.0);
    EXPECT_EQ(BitConverter::ToDouble(block, 16), 2.0);
}

TEST(Marshal, StringViewsHonourLengthAndNul) {
    const char text[] = {'a', 'b', '\0', 'c', '\0'};
    EXPECT_EQ(Marshal::PtrToStringAnsi(text, 0), "ab");
    EXPECT_EQ(Marshal::PtrToStringAnsi(text, 3), AnsiString("ab\0", 3));
    const wchar_t wide[] = L"xy\0z";
    EXPECT_EQ(Marshal::PtrToStringUni(wide, -1), L"xy");
    EXPECT_EQ(Marshal::PtrToStringUni(wide, 4), UnicodeString(L"xy\0z", 4));
}

TEST(Marshal, StringToHGlobalGivesAnOwnedCopy) {
    char* ansi = Marshal::StringToHGlobalAnsi(AnsiString("temporary") + "text");
    wchar_t* wide = Marshal::StringToHGlobalUni(UnicodeString(L"temporary") + L"text");
    // The temporaries are gone: the copies stay readable until freed.
    EXPECT_STREQ(ansi, "temporarytext");
    EXPECT_STREQ(wide, L"temporarytext");
    Marshal::FreeHGlobal(ansi);
    Marshal::FreeHGlobal(wide);
}

TEST(Marshal, CopyBetweenArraysAndPointers) {
    TBytes source = Bytes({1, 2, 3, 4});
    Byte target[4] = {9, 9, 9, 9};
    Marshal::Copy(source, 1, target, 2);
    EXPECT_EQ(target[0], 2);
    EXPECT_EQ(target[1], 3);
    EXPECT_EQ(target[2], 9);
    TBytes back(4);
    Marshal::Copy(target, back, 2, 2);
    EXPECT_EQ(back, Bytes({0, 0, 2, 3}));
    Marshal::Copy(nullptr, back, 0, 0); // length 0 touches nothing
}

TEST_F(CLRClassesTest, GetEncodingReturnsSharedAndCachedObjects) {
    EXPECT_EQ(Encoding::GetEncoding(1200), Encoding::Unicode());
    EXPECT_EQ(Encoding::GetEncoding(65001), Encoding::UTF8());
    EXPECT_EQ(Encoding::GetEncoding(Integer(GetACP())), Encoding::Default());
    const Integer other = GetACP() == 936 ? 1252 : 936;
    Encoding* first = Encoding::GetEncoding(other);
    EXPECT_TRUE(first->InheritsFrom(CodePageEncoding::StaticClass()));
    EXPECT_EQ(Encoding::GetEncoding(other), first);
    EXPECT_NE(Encoding::GetEncoding(1201), first);
    EXPECT_EQ(Encoding::GetEncoding(1201)->GetMaxByteCount(3), 6);
}

TEST_F(CLRClassesTest, CodePageCacheHoldsOneObjectPerPageUnderConcurrentRequests) {
    std::vector<std::thread> threads;
    std::vector<Encoding*> seen(8);
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&seen, t] {
            for (int round = 0; round < 200; ++round)
                seen[t] = Encoding::GetEncoding(850 + round % 20);
        });
    for (std::thread& thread : threads) thread.join();
    for (Integer page = 850; page < 870; ++page) {
        Encoding* once = Encoding::GetEncoding(page);
        EXPECT_EQ(static_cast<CodePageEncoding*>(once)->CodePage(), page);
    }
    for (Encoding* e : seen) EXPECT_EQ(e, Encoding::GetEncoding(850 + 199 % 20));
}

TEST_F(CLRClassesTest, UnicodeEncodingConversions) {
    Encoding* u = Encoding::Unicode();
    EXPECT_EQ(u->GetBytes(UnicodeString(L"Az")), Bytes({'A', 0, 'z', 0}));
    EXPECT_EQ(u->GetWideString(Bytes({'A', 0, 'z', 0, 'q'})), L"Az"); // 5 bytes: 2 units
    EXPECT_EQ(u->GetWideString(Bytes({'A', 0}), 0, 0), L"");
    TBytes target(6);
    EXPECT_EQ(u->GetBytes(UnicodeString(L"abc"), 1, 2, target, 2), 4);
    EXPECT_EQ(target, Bytes({0, 0, 'b', 0, 'c', 0}));
    EXPECT_EQ(u->GetString(Bytes({'h', 0, 'i', 0})), "hi");
    EXPECT_EQ(u->GetMaxByteCount(5), 10);
}

TEST_F(CLRClassesTest, Utf8EncodingConversions) {
    Encoding* u = Encoding::UTF8();
    EXPECT_EQ(u->GetBytes(UnicodeString(L"\u00e9")), Bytes({0xC3, 0xA9}));
    EXPECT_EQ(u->GetWideString(Bytes({'x', 0xE2, 0x82, 0xAC})), L"x\u20ac");
    EXPECT_EQ(u->GetWideString(Bytes({'x'}), 0, 0), L"");
    // A malformed sequence decodes to the replacement character rather than failing.
    EXPECT_EQ(u->GetWideString(Bytes({'a', 0xC3})), L"a\uFFFD");
    TBytes target(4);
    EXPECT_THROW(u->GetBytes(UnicodeString(L"a"), 0, 1, target, 0), Exception);
    EXPECT_THROW(u->GetBytes(AnsiString("a"), 0, 1, target, 0), Exception);
    EXPECT_EQ(u->GetMaxByteCount(4), 12);
}

TEST_F(CLRClassesTest, AnsiEncodingKeepsBytesAndAppliesIndexesAfterConversion) {
    Encoding* a = Encoding::Default();
    EXPECT_EQ(a->GetBytes(AnsiString("ab\x01")), Bytes({'a', 'b', 1}));
    TBytes target(3);
    EXPECT_EQ(a->GetBytes(UnicodeString(L"xyz"), 1, 2, target, 0), 2);
    EXPECT_EQ(target, Bytes({'y', 'z', 0}));
    EXPECT_EQ(a->GetString(Bytes({'q', 'r', 's'}), 1, 2), "rs");
    EXPECT_EQ(a->GetString(Bytes({'q'}), 0, 0), "");
    EXPECT_EQ(a->GetWideString(Bytes({'h', 'i'})), L"hi");
}

TEST_F(CLRClassesTest, CodePageEncodingUsesThePlatformConverters) {
    Encoding* gbk = Encoding::GetEncoding(GetACP() == 936 ? 20936 : 936);
    Encoding* page = Encoding::GetEncoding(1252);
    if (GetACP() == 1252) page = Encoding::GetEncoding(850);
    EXPECT_TRUE(page->GetBytes(UnicodeString()).empty());
    TBytes target(2, 7);
    EXPECT_EQ(page->GetBytes(UnicodeString(L"ab"), 0, 0, target, 0), 0);
    EXPECT_EQ(target, Bytes({7, 7}));
    EXPECT_EQ(page->GetWideString(page->GetBytes(UnicodeString(L"Hello"))), L"Hello");
    EXPECT_EQ(page->GetWideString(Bytes({'a'}), 0, 0), L"");
    const UnicodeString chinese = L"\u4e2d\u6587";
    if (GetACP() != 936) {
        const TBytes encoded = gbk->GetBytes(chinese);
        EXPECT_EQ(encoded, Bytes({0xD6, 0xD0, 0xCE, 0xC4}));
        EXPECT_EQ(gbk->GetWideString(encoded), chinese);
    }
    // An invalid code page fails with the operating-system error.
    EXPECT_THROW(Encoding::GetEncoding(12345)->GetBytes(UnicodeString(L"x")), EOSError);
}

TEST_F(CLRClassesTest, ConvertCopiesWithOneEncodingAndTranscodesOtherwise) {
    const TBytes utf16 = Bytes({'a', 0, 0xAC, 0x20});
    EXPECT_EQ(Encoding::Convert(Encoding::Unicode(), Encoding::Unicode(), utf16, 1, 2),
              Bytes({0, 0xAC}));
    EXPECT_EQ(Encoding::Convert(Encoding::Unicode(), Encoding::UTF8(), utf16),
              Bytes({'a', 0xE2, 0x82, 0xAC}));
}

// Builder growth and replacement: text before, operation, text after, capacity after.
TEST(WideStringBuilder, GrowthFollowsTheAddingRules) {
    WideStringBuilder builder(L"abc", 4);
    builder.Append(UnicodeString(L"de"));
    EXPECT_EQ(builder.Capacity(), 7); // 2 + 3 + 4 div 2
    EXPECT_EQ(builder.ToString(), L"abcde");

    WideStringBuilder full(L"abcd", 4);
    full.Append(L'e');
    EXPECT_EQ(full.Capacity(), 7); // 4 + 4 div 2 + 1
    full.Append(UnicodeString());
    full.Append(static_cast<const WideStringBuilder*>(nullptr));
    EXPECT_EQ(full.Capacity(), 7);
    full.Append(L'x', 3);
    full.Append(UnicodeString(L"0123456"), 2, 3);
    full.Append(&builder);
    EXPECT_EQ(full.ToString(), L"abcdexxx234abcde");
    full.Insert(1, L"__");
    EXPECT_EQ(full.ToString(), L"a__bcdexxx234abcde");
    full.SetLength(3);
    EXPECT_EQ(full.ToString(), L"a__");
    full.SetLength(5); // growing again shows the units kept beyond the old length
    EXPECT_EQ(full.ToString(), L"a__bc");
}

TEST(WideStringBuilder, ReplaceCases) {
    struct Case {
        const wchar_t* Text;
        const wchar_t* Old;
        const wchar_t* New;
        const wchar_t* Expected;
    } cases[] = {
        {L"aba", L"a", L"aa", L"aabaa"}, // the inserted text is not searched again
        {L"abab", L"ab", L"x", L"xx"},       {L"abab", L"ab", L"cd", L"cdcd"},
        {L"aaa", L"aa", L"b", L"ba"},        {L"xyz", L"q", L"r", L"xyz"},
        {L"abc", L"", L"r", L"abc"}, // an empty old value changes nothing and ends
        {L"abc", L"c", L"", L"ab"},          {L"", L"a", L"b", L""},
        {L"a.b.c", L".", L"::", L"a::b::c"},
    };
    for (const Case& c : cases) {
        WideStringBuilder builder(c.Text, 1);
        builder.Replace(c.Old, c.New);
        EXPECT_EQ(builder.ToString(), c.Expected) << c.Text << " " << c.Old << "->" << c.New;
    }
}

} // namespace
