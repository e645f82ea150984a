#include "support/Ucl/UclStrings.h"

#include "support/Ucl/UclBase.h"
#include "support/Ucl/UclUnicode.h"

#include <gtest/gtest.h>

namespace {

// The tables are built once for the program, as the start-ups would.
class UclStrings : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        LoadAnsiCharTables();
        LoadWideCharTables();
    }
};

} // namespace

TEST_F(UclStrings, CharacterTypesAndCaseMaps) {
    EXPECT_TRUE(IsLowerChar('a'));
    EXPECT_FALSE(IsLowerChar('A'));
    EXPECT_TRUE(IsUpperChar('Z'));
    EXPECT_FALSE(IsUpperChar('1'));
    EXPECT_TRUE(IsLowerChar(L'\u00E9'));
    EXPECT_TRUE(IsUpperChar(L'\u0416'));
    for (char c : {'0', '9', 'a', 'F'}) EXPECT_TRUE(IsHexDigitChar(c)) << c;
    for (char c : {'g', 'G', ' ', '.'}) EXPECT_FALSE(IsHexDigitChar(c)) << c;
    const auto& ansi = AnsiCharTables();
    EXPECT_EQ(ansi.Maps[cmLower][static_cast<Byte>('Q')], 'q');
    EXPECT_EQ(ansi.Maps[cmUpper][static_cast<Byte>('q')], 'Q');
    EXPECT_EQ(ansi.Maps[cmReverse][static_cast<Byte>('q')], 'Q');
    EXPECT_EQ(ansi.Maps[cmReverse][static_cast<Byte>('Q')], 'q');
    EXPECT_EQ(ansi.Maps[cmReverse][static_cast<Byte>('5')], '5');
    const auto& wide = WideCharTables();
    ASSERT_EQ(wide.Types.size(), 65536u);
    EXPECT_EQ(wide.Maps[cmUpper][0x0436], L'\u0416');
    EXPECT_EQ(wide.Maps[cmReverse][0x0416], L'\u0436');
    EXPECT_EQ(wide.Maps[cmLower][0xD800], L'\xD800'); // a lone surrogate maps to itself
}

TEST_F(UclStrings, CaseMappingInPlace) {
    UnicodeString wide = L"Mixed \u0416\u0436 1";
    MapCaseInPlace(wide, cmReverse);
    EXPECT_EQ(wide, L"mIXED \u0436\u0416 1");
    EXPECT_EQ(UpperCopy(UnicodeString(L"abc\u00E9")), L"ABC\u00C9");
    AnsiString ansi = "Mixed 1";
    MapCaseInPlace(ansi, cmLower);
    EXPECT_EQ(ansi, "mixed 1");
    EXPECT_EQ(UpperCopy(AnsiString("abc")), "ABC");
}

TEST_F(UclStrings, SearchingAndCutting) {
    EXPECT_EQ(FindText(UnicodeString(L"LO w"), UnicodeString(L"hello world")), 4);
    EXPECT_EQ(FindText(AnsiString("xyz"), AnsiString("hello")), 0);
    EXPECT_EQ(FindTextFrom(UnicodeString(L"o"), UnicodeString(L"hello world"), 6), 8);
    EXPECT_EQ(FindTextFrom(UnicodeString(L""), UnicodeString(L"hello"), 1), 0);
    EXPECT_EQ(FindTextFrom(AnsiString("o"), AnsiString(""), 1), 0);
    EXPECT_EQ(TextBefore(UnicodeString(L"=="), UnicodeString(L"key==value")), L"key");
    EXPECT_EQ(TextBefore(AnsiString("X"), AnsiString("abc")), "abc");
    EXPECT_EQ(LeftPart(UnicodeString(L"abcdef"), 3), L"abc");
    EXPECT_EQ(MidPart(UnicodeString(L"abcdef"), 2, 3), L"bcd");
    EXPECT_EQ(MidPart(AnsiString("abc"), 9, 3), "");
    EXPECT_EQ(ReplaceCharCopy(UnicodeString(L"a-b-c"), L'-', L'+'), L"a+b+c");
    UnicodeString withNul(L"ab\0cd", 5);
    CutAtNul(withNul);
    EXPECT_EQ(withNul, L"ab");
    AnsiString plain = "abc";
    CutAtNul(plain);
    EXPECT_EQ(plain, "abc");
}

TEST_F(UclStrings, CharacterPositions) {
    struct Case {
        const wchar_t* Text;
        wchar_t C;
        int Start;
        int First;
        int Last;
    } cases[] = {
        {L"a,b,c", L',', 1, 2, 4}, {L"a,b,c", L',', 3, 4, 4},
        {L"a,b,c", L',', 5, 0, 0}, {L"a,b,c", L',', 0, 0, 0}, // start outside the text
        {L"a,b,c", L',', 6, 0, 0}, {L"abc", L',', 1, 0, 0},   // no such character
        {L"", L',', 1, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CharPosFrom(UnicodeString(c.Text), c.C, c.Start), c.First)
            << c.Text << " " << c.Start;
        EXPECT_EQ(LastCharPos(UnicodeString(c.Text), c.C, c.Start), c.Last)
            << c.Text << " " << c.Start;
        const AnsiString ansi(c.Text, c.Text + wcslen(c.Text));
        EXPECT_EQ(CharPosFrom(ansi, static_cast<char>(c.C), c.Start), c.First)
            << c.Text << " " << c.Start;
        EXPECT_EQ(LastCharPos(ansi, static_cast<char>(c.C), c.Start), c.Last)
            << c.Text << " " << c.Start;
    }
}

TEST(UclUnicode, LocaleCodePageAndComparisons) {
    EXPECT_EQ(LocaleAnsiCodePage(MAKELCID(0x0409, SORT_DEFAULT)), 1252u);
    EXPECT_EQ(LocaleAnsiCodePage(MAKELCID(0x0804, SORT_DEFAULT)), 936u);
    const LCID english = MAKELCID(0x0409, SORT_DEFAULT);
    for (auto compare : {CompareTextLocaleWide, CompareTextLocaleAnsi, CompareTextLocale}) {
        EXPECT_EQ(compare(english, L"Apple", L"aPPLE"), 0);
        EXPECT_EQ(compare(english, L"apple", L"Banana"), -1);
        EXPECT_EQ(compare(english, L"cherry", L"Banana"), 1);
    }
}

TEST(UclBase, AnsiReplacementCharIsTheCodePagesDefault) {
    InitAnsiReplacementChar();
    CPINFO info{};
    ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
    EXPECT_EQ(AnsiReplacementChar(), static_cast<char>(info.DefaultChar[0]));
}
