#include "framework/Conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

struct TIntCase {
    const wchar_t* Text;
    bool Valid;
    Integer Value;
};

struct TInt64Case {
    const wchar_t* Text;
    bool Valid;
    Int64 Value;
};

struct TSubstringCase {
    const wchar_t* Text;
    int Index;
    int Count;
    const wchar_t* Expected;
};

} // namespace

TEST(Conversions, IntToStrCoversEveryIntegerWidth) {
    EXPECT_EQ(IntToStr(0), L"0");
    EXPECT_EQ(IntToStr(-2147483647 - 1), L"-2147483648");
    EXPECT_EQ(IntToStr(std::numeric_limits<Int64>::min()), L"-9223372036854775808");
    EXPECT_EQ(IntToStr(4294967295ul), L"4294967295");
    EXPECT_EQ(IntToStr(std::numeric_limits<UInt64>::max()), L"18446744073709551615");
}

TEST(Conversions, IntToHexPadsAndUsesTheTypesWidth) {
    EXPECT_EQ(IntToHex(255, 2), L"FF");
    EXPECT_EQ(IntToHex(255, 4), L"00FF");
    EXPECT_EQ(IntToHex(0, 0), L"0");
    EXPECT_EQ(IntToHex(-1, 2), L"FFFFFFFF");
    EXPECT_EQ(IntToHex(Int64{-1}, 1), L"FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(Word{0xABC}, 8), L"00000ABC");
}

TEST(Conversions, StrToIntAcceptsOnlyWholeNumbers) {
    const TIntCase cases[] = {
        {L"123", true, 123},
        {L"  42", true, 42},
        {L"-17", true, -17},
        {L"+5", true, 5},
        {L"$1F", true, 31},
        {L"0x1f", true, 31},
        {L"0X10", true, 16},
        {L"-$10", true, -16},
        {L"$FFFFFFFF", true, -1},
        {L"2147483647", true, 2147483647},
        {L"-2147483648", true, -2147483647 - 1},
        {L"2147483648", false, 0},
        {L"$100000000", false, 0},
        {L"", false, 0},
        {L"  ", false, 0},
        {L"12 ", false, 0},
        {L"1a", false, 0},
        {L"-", false, 0},
        {L"$", false, 0},
        {L"0x", false, 0},
        {L"1.5", false, 0},
        {L"\t7", false, 0},
        {L"abc", false, 0},
    };
    for (const TIntCase& c : cases) {
        SCOPED_TRACE(c.Text);
        Integer value = 12345;
        EXPECT_EQ(TryStrToInt(c.Text, value), c.Valid);
        EXPECT_EQ(value, c.Valid ? c.Value : 12345); // untouched on failure
        EXPECT_EQ(StrToIntDef(c.Text, -99), c.Valid ? c.Value : -99);
        if (c.Valid)
            EXPECT_EQ(StrToInt(c.Text), c.Value);
        else
            EXPECT_THROW(StrToInt(c.Text), EConvertError);
    }
}

TEST(Conversions, StrToIntNamesTheTextItRejects) {
    try {
        StrToInt(L"12a");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), L"'12a' is not a valid integer value");
    }
}

TEST(Conversions, StrToInt64UsesTheFullRange) {
    const TInt64Case cases[] = {
        {L"9223372036854775807", true, std::numeric_limits<Int64>::max()},
        {L"-9223372036854775808", true, std::numeric_limits<Int64>::min()},
        {L"4294967296", true, 4294967296},
        {L"$FFFFFFFFFFFFFFFF", true, -1},
        {L"0x7fffffffffffffff", true, std::numeric_limits<Int64>::max()},
        {L"9223372036854775808", false, 0},
        {L"$10000000000000000", false, 0},
        {L"1 2", false, 0},
    };
    for (const TInt64Case& c : cases) {
        SCOPED_TRACE(c.Text);
        Int64 value = 0;
        EXPECT_EQ(TryStrToInt64(c.Text, value), c.Valid);
        EXPECT_EQ(StrToInt64Def(c.Text, -99), c.Valid ? c.Value : -99);
        if (c.Valid)
            EXPECT_EQ(StrToInt64(c.Text), c.Value);
        else
            EXPECT_THROW(StrToInt64(c.Text), EConvertError);
    }
}

TEST(Conversions, TextToIntKeepsTheDigitsReadSoFar) {
    const TIntCase cases[] = {
        {L"12abc", true, 12},
        {L"  -7x", true, -7},
        {L"$1Fz", true, 31},
        {L"0x10g", true, 16},
        {L"", true, 0},
        {L"abc", true, 0},
        {L"  +", true, 0},
        {L"42", true, 42},
        {L"3.9", true, 3},
        // The digit that would overflow is not taken.
        {L"99999999999", true, 999999999},
        {L"-2147483649", true, -214748364},
        {L"-2147483648", true, -2147483647 - 1},
    };
    for (const TIntCase& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(TextToInt(c.Text), c.Value);
    }
}

TEST(Conversions, BoolToStr) {
    EXPECT_EQ(BoolToStr(true), L"-1");
    EXPECT_EQ(BoolToStr(false), L"0");
    EXPECT_EQ(BoolToStr(true, true), L"True");
    EXPECT_EQ(BoolToStr(false, true), L"False");
}

TEST(Conversions, TrimRemovesBlanksAndControlCharacters) {
    const UnicodeString padded(L"\0 \t a b\r\n \x1F", 11);
    EXPECT_EQ(Trim(padded), L"a b");
    EXPECT_EQ(TrimLeft(padded), UnicodeString(L"a b\r\n \x1F"));
    EXPECT_EQ(TrimRight(padded), UnicodeString(L"\0 \t a b", 7));
    EXPECT_EQ(Trim(L" \t\r\n"), L"");
    EXPECT_EQ(Trim(L""), L"");
    EXPECT_EQ(Trim(L"\u00A0x\u00A0"), L"\u00A0x\u00A0"); // above 32: kept
}

TEST(Conversions, AsciiCaseMappingLeavesOtherLettersAlone) {
    EXPECT_EQ(UpperCase(L"abz\u00E4@[`{"), L"ABZ\u00E4@[`{");
    EXPECT_EQ(LowerCase(L"ABZ\u00C4@[`{"), L"abz\u00C4@[`{");
    EXPECT_TRUE(SameText(L"Hello", L"hELLO"));
    EXPECT_FALSE(SameText(L"\u00E4", L"\u00C4"));
    EXPECT_FALSE(SameText(L"abc", L"abcd"));
    EXPECT_LT(CompareText(L"abc", L"ABD"), 0);
    EXPECT_GT(CompareText(L"b", L"A"), 0);
    EXPECT_EQ(CompareText(L"MiXeD", L"mixed"), 0);
    EXPECT_GT(CompareStr(L"a", L"B"), 0); // ordinal: 'a' follows 'B'
    EXPECT_LT(CompareStr(L"ab", L"abc"), 0);
    EXPECT_EQ(CompareStr(L"same", L"same"), 0);
}

TEST(Conversions, LocaleCaseMappingCoversEveryLetter) {
    EXPECT_EQ(AnsiUpperCase(L"\u00E4b\u0444"), L"\u00C4B\u0424");
    EXPECT_EQ(AnsiLowerCase(L"\u00C4B\u0424"), L"\u00E4b\u0444");
    EXPECT_TRUE(AnsiSameText(L"\u00E4X", L"\u00C4x"));
    EXPECT_FALSE(AnsiSameText(L"a", L"b"));
    EXPECT_EQ(AnsiCompareText(L"\u00E4", L"\u00C4"), 0);
    EXPECT_LT(AnsiCompareStr(L"a", L"B"), 0); // the locale sorts letters, not code points
    EXPECT_GT(AnsiCompareText(L"b", L"A"), 0);
    EXPECT_NE(AnsiCompareStr(L"a", L"A"), 0);
}

TEST(Conversions, PosIsOneBasedAndClampsTheOffset) {
    EXPECT_EQ(Pos(L"b", L"abc"), 2);
    EXPECT_EQ(Pos(L"abc", L"abc"), 1);
    EXPECT_EQ(Pos(L"x", L"abc"), 0);
    EXPECT_EQ(Pos(L"", L"abc"), 0);
    EXPECT_EQ(Pos(L"abcd", L"abc"), 0);
    EXPECT_EQ(Pos(L"c", L"abcabc", 4), 6);
    EXPECT_EQ(Pos(L"bc", L"abcbc", 3), 4);
    EXPECT_EQ(Pos(L"a", L"abc", 0), 0);
    EXPECT_EQ(Pos(L"c", L"abc", 3), 3);
    EXPECT_EQ(Pos(L"c", L"abc", 4), 0);
}

TEST(Conversions, CopyClampsIndexAndCount) {
    const TSubstringCase cases[] = {
        {L"hello", 1, 2, L"he"},   {L"hello", 0, 2, L"he"},
        {L"hello", -5, 3, L"hel"}, {L"hello", 4, 10, L"lo"},
        {L"hello", 5, 1, L"o"},    {L"hello", 6, 1, L""},
        {L"hello", 2, 0, L""},     {L"hello", 2, -1, L""},
        {L"", 1, 1, L""},          {L"hello", 1, 2147483647, L"hello"},
    };
    for (const TSubstringCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "Copy at " << c.Index << " count " << c.Count);
        EXPECT_EQ(Copy(c.Text, c.Index, c.Count), c.Expected);
    }
}

TEST(Conversions, DeleteIgnoresPositionsOutsideTheText) {
    const TSubstringCase cases[] = {
        {L"hello", 1, 2, L"llo"},    {L"hello", 5, 1, L"hell"},  {L"hello", 4, 10, L"hel"},
        {L"hello", 0, 2, L"hello"},  {L"hello", 6, 1, L"hello"}, {L"hello", 2, 0, L"hello"},
        {L"hello", 2, -3, L"hello"}, {L"", 1, 1, L""},
    };
    for (const TSubstringCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "Delete at " << c.Index << " count " << c.Count);
        UnicodeString text = c.Text;
        Delete(text, c.Index, c.Count);
        EXPECT_EQ(text, c.Expected);
    }
}

TEST(Conversions, StringReplaceFlags) {
    EXPECT_EQ(StringReplace(L"a-b-c", L"-", L"+", {}), L"a+b-c");
    EXPECT_EQ(StringReplace(L"a-b-c", L"-", L"+", {rfReplaceAll}), L"a+b+c");
    EXPECT_EQ(StringReplace(L"Abab", L"AB", L"x", {}), L"Abab");
    EXPECT_EQ(StringReplace(L"Abab", L"AB", L"x", {rfIgnoreCase}), L"xab");
    EXPECT_EQ(StringReplace(L"Abab", L"AB", L"x", {rfReplaceAll, rfIgnoreCase}), L"xx");
    EXPECT_EQ(StringReplace(L"\u00C4a\u00E4", L"\u00E4", L"-", {rfReplaceAll, rfIgnoreCase}),
              L"-a-");
    EXPECT_EQ(StringReplace(L"aa", L"a", L"aa", {rfReplaceAll}), L"aaaa"); // no re-scan of output
    EXPECT_EQ(StringReplace(L"abc", L"", L"x", {rfReplaceAll}), L"abc");
    EXPECT_EQ(StringReplace(L"abc", L"abc", L"", {}), L"");
}

TEST(Conversions, FloatToStrLayout) {
    const struct {
        double Value;
        const wchar_t* Expected;
    } cases[] = {
        {0.0, L"0"},
        {0.1, L"0.1"},
        {-2.5, L"-2.5"},
        {100.0, L"100"},
        {123456789.125, L"123456789.125"},
        {1e-300, L"1E-300"},
        {1.5e-7, L"1.5E-7"},
        {0.00001, L"0.00001"},
        {1e15, L"1E15"},
        {123456789012345.0, L"123456789012345"},
        {1.0 / 3, L"0.3333333333333333"},
        {-1e21, L"-1E21"},
        {std::numeric_limits<double>::infinity(), L"INF"},
        {-std::numeric_limits<double>::infinity(), L"-INF"},
        {std::nan(""), L"NAN"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Expected);
        EXPECT_EQ(FloatToStr(c.Value), c.Expected);
    }
}

TEST(Conversions, FloatTextReadsBackToTheSameDouble) {
    const double values[] = {0.1,
                             -0.1,
                             1e-300,
                             123456789.125,
                             -123456789.125,
                             1.0 / 3,
                             2.0 / 3,
                             0.1 + 0.2,
                             5e-324,
                             2.2250738585072014e-308,
                             1.7976931348623157e308,
                             9007199254740993.0,
                             1e15,
                             1e16,
                             999999999999999.9,
                             0.00001,
                             0.000009999999999999999,
                             -7.0};
    for (double value : values) {
        SCOPED_TRACE(testing::Message() << FloatToStr(value).size() << " chars for " << value);
        const double back = StrToFloat(FloatToStr(value));
        EXPECT_EQ(std::memcmp(&back, &value, sizeof value), 0) << "read back " << back;
    }
}

TEST(Conversions, StrToFloatGrammar) {
    const struct {
        const wchar_t* Text;
        bool Valid;
        double Value;
    } cases[] = {
        {L"1.5", true, 1.5},
        {L" -2.25 ", true, -2.25},
        {L"+3", true, 3},
        {L".5", true, 0.5},
        {L"5.", true, 5},
        {L"1e3", true, 1000},
        {L"1E-3", true, 0.001},
        {L"-1.5e+2", true, -150},
        {L"inf", true, HUGE_VAL},
        {L"", false, 0},
        {L"abc", false, 0},
        {L"1,5", false, 0},
        {L"1.2.3", false, 0},
        {L"e5", false, 0},
        {L"1e", false, 0},
        {L"1e-400", true, 0},
        {L"-0.001e-99999999999", true, 0},
        {L"1e-320", true, 1e-320},
        {L"000.0001e4", true, 1},
        {L"--1", false, 0},
        {L"1e400", false, 0},
        {L"0x10", false, 0},
        {L"1e99999999999", false, 0},
        {L"0.1e310", false, 0},
        {L".", false, 0},
        {L"1 2", false, 0},
        {L"+-1", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        double value = 42;
        EXPECT_EQ(TryStrToFloat(c.Text, value), c.Valid);
        EXPECT_EQ(value, c.Valid ? c.Value : 42);
        EXPECT_EQ(StrToFloatDef(c.Text, -1), c.Valid ? c.Value : -1);
        if (!c.Valid) {
            EXPECT_THROW(StrToFloat(c.Text), EConvertError);
        }
    }
    EXPECT_TRUE(std::isnan(StrToFloat(L"NAN")));
}

TEST(Conversions, StrToFloatNamesTheTextItRejects) {
    try {
        StrToFloat(L"1,5");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), L"'1,5' is not a valid floating point value");
    }
}

TEST(Conversions, RoundTakesHalvesToEven) {
    const struct {
        double Value;
        Int64 Expected;
    } cases[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {3.5, 4},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {2.4999, 2},
        {2.5001, 3},
        {-2.5001, -3},
        {1e15 + 0.5, 1000000000000000},
        {-9223372036854775808.0, std::numeric_limits<Int64>::min()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Value);
        EXPECT_EQ(Round(c.Value), c.Expected);
    }
}

TEST(Conversions, TruncGoesTowardsZero) {
    EXPECT_EQ(Trunc(2.7), 2);
    EXPECT_EQ(Trunc(-2.7), -2);
    EXPECT_EQ(Trunc(1e18), 1000000000000000000);
}

TEST(Conversions, RoundAndTruncRejectValuesWithoutAnInteger) {
    const double values[] = {std::nan(""), HUGE_VAL, -HUGE_VAL, 9223372036854775808.0, -1e19};
    for (double value : values) {
        SCOPED_TRACE(value);
        EXPECT_THROW(Round(value), EInvalidOp);
        EXPECT_THROW(Trunc(value), EInvalidOp);
    }
}
