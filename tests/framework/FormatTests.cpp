#include "framework/Format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct TFormatCase {
    const wchar_t* Template;
    UnicodeString Actual;
    const wchar_t* Expected;
};

void ExpectCases(std::initializer_list<TFormatCase> cases) {
    for (const TFormatCase& c : cases)
        EXPECT_EQ(c.Actual, c.Expected)
            << "template " << testing::PrintToString(UnicodeString(c.Template));
}

UnicodeString ErrorOf(const UnicodeString& templateText, std::initializer_list<TFormatArg> args) {
    try {
        Format(templateText, args);
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return L"(no exception)";
}

} // namespace

TEST(Format, IntegersWithWidthAndPrecision) {
    ExpectCases({
        {L"%3d.", Format(L"%3d.", {10}), L" 10."},
        {L"%3d.", Format(L"%3d.", {1}), L"  1."},
        {L"%3d.", Format(L"%3d.", {1234}), L"1234."},
        {L"%-4d|", Format(L"%-4d|", {7}), L"7   |"},
        {L"%.2d", Format(L"%.2d", {5}), L"05"},
        {L"%.2d", Format(L"%.2d", {-5}), L"-05"},
        {L"%.2d", Format(L"%.2d", {123}), L"123"},
        {L"%5.5d", Format(L"   %5.5d", {42}), L"   00042"},
        {L"%6.3d", Format(L"%6.3d", {-7}), L"  -007"},
        {L"%d", Format(L"%d", {std::numeric_limits<Int64>::min()}), L"-9223372036854775808"},
        {L"%d", Format(L"%d", {4294967295u}), L"4294967295"},
        {L"%u", Format(L"%u", {-1}), L"4294967295"},
        {L"%u", Format(L"%u", {Int64{-1}}), L"18446744073709551615"},
        {L"Unknown State (%d)", Format(L"Unknown State (%d)", {42}), L"Unknown State (42)"},
    });
}

TEST(Format, HexadecimalIsUpperCase) {
    ExpectCases({
        {L"%.4x%.4x", Format(L"%.4x%.4x", {1033, 1252}), L"040904E4"},
        {L"%8.8x", Format(L"%8.8x", {255}), L"000000FF"},
        {L"%8x", Format(L"%8x", {255}), L"      FF"},
        {L"%x", Format(L"%x", {-1}), L"FFFFFFFF"},
        {L"%x", Format(L"%x", {Int64{-2}}), L"FFFFFFFFFFFFFFFE"},
        {L"ErrCode 0%x", Format(L"ErrCode 0%x", {0xC0000BB8ul}), L"ErrCode 0C0000BB8"},
        {L"$%X (%d)", Format(L"status $%X (%d)", {171, 171}), L"status $AB (171)"},
    });
}

TEST(Format, TextWithWidthAndPrecision) {
    const UnicodeString owned = L"10.0.0.1";
    ExpectCases({
        {L"%15s|", Format(L"%15s|", {owned}), L"       10.0.0.1|"},
        {L"%-15s|", Format(L"%-15s|", {owned}), L"10.0.0.1       |"},
        {L"%.2s", Format(L"%.2s", {L"abcd"}), L"ab"},
        {L"%5.2s|", Format(L"%5.2s|", {L"abcd"}), L"   ab|"},
        {L"%2s", Format(L"%2s", {L"abcd"}), L"abcd"},
        {L"%s", Format(L"%s", {L'x'}), L"x"},
        {L"%s", Format(L"[%s]", {static_cast<const wchar_t*>(nullptr)}), L"[]"},
        {L"%s:  time%s%d ms", Format(L"%s:  time%s%d ms", {L"Reply from 127.0.0.1", L"=", 12}),
         L"Reply from 127.0.0.1:  time=12 ms"},
        {L"%s=%s", Format(L"%s=%s", {UnicodeString(L"key"), L"value"}), L"key=value"},
    });
}

TEST(Format, PercentSignsAndLeftoverArguments) {
    ExpectCases({
        {L"100%%", Format(L"100%%", {}), L"100%"},
        {L"%%d", Format(L"%%d", {}), L"%d"},
        {L"%d%%", Format(L"%d%%", {50}), L"50%"},
        {L"%d %d", Format(L"%d %d", {1, 2, 3}), L"1 2"},
        {L"plain", Format(L"plain", {1}), L"plain"},
        {L"", Format(L"", {}), L""},
    });
}

TEST(Format, FloatingPointLayouts) {
    ExpectCases({
        {L"%f", Format(L"%f", {1.5}), L"1.50"},
        {L"%.0f", Format(L"%.0f", {2.5}), L"3"},
        {L"%.2f", Format(L"%.2f", {0.125}), L"0.13"},
        {L"%.2f", Format(L"%.2f", {2.675}), L"2.67"}, // the double is just below 2.675
        {L"%.1f", Format(L"%.1f", {-0.04}), L"0.0"},
        {L"%.1f", Format(L"%.1f", {-0.05}), L"-0.1"},
        {L"%.3f", Format(L"%.3f", {0.0006}), L"0.001"},
        {L"%8.2f|", Format(L"%8.2f|", {-3.14159}), L"   -3.14|"},
        {L"%n", Format(L"%n", {1234567.891}), L"1,234,567.89"},
        {L"%.0n", Format(L"%.0n", {999.5}), L"1,000"},
        {L"%e", Format(L"%e", {1234.5}), L"1.23450000000000E+003"},
        {L"%.3e", Format(L"%.3e", {-0.00012345}), L"-1.23E-004"},
        {L"%.2e", Format(L"%.2e", {9.96}), L"1.0E+001"},
        {L"%g", Format(L"%g", {0.5}), L"0.5"},
        {L"%g", Format(L"%g", {123.456}), L"123.456"},
        {L"%g", Format(L"%g", {100.0}), L"100"},
        {L"%g", Format(L"%g", {0.0}), L"0"},
        {L"%g", Format(L"%g", {1e20}), L"1E020"},
        {L"%g", Format(L"%g", {1.5e-7}), L"1.5E-007"},
        {L"%.3g", Format(L"%.3g", {1234.5}), L"1.23E003"},
        {L"%f", Format(L"%f", {std::nan("")}), L"NAN"},
        {L"%e", Format(L"%e", {-HUGE_VAL}), L"-INF"},
    });
}

TEST(Format, MismatchedOrMissingArgumentsRaise) {
    const struct {
        const wchar_t* Template;
        UnicodeString Message;
        const wchar_t* Expected;
    } cases[] = {
        {L"%d text", ErrorOf(L"%d", {L"text"}),
         L"Format '%d' invalid or incompatible with argument"},
        {L"%s int", ErrorOf(L"a %s b", {5}), L"Format '%s' invalid or incompatible with argument"},
        {L"%d float", ErrorOf(L"%5d", {1.5}),
         L"Format '%5d' invalid or incompatible with argument"},
        {L"%f int", ErrorOf(L"%.2f", {1}), L"Format '%.2f' invalid or incompatible with argument"},
        {L"%x text", ErrorOf(L"%x", {L"a"}), L"Format '%x' invalid or incompatible with argument"},
        // %n is a number here, never a store through a pointer.
        {L"%n int", ErrorOf(L"%n", {1}), L"Format '%n' invalid or incompatible with argument"},
        {L"%q", ErrorOf(L"%q", {1}), L"Format '%q' invalid or incompatible with argument"},
        {L"%p", ErrorOf(L"%p", {1}), L"Format '%p' invalid or incompatible with argument"},
        {L"%5", ErrorOf(L"%5", {1}), L"Format '%5' invalid or incompatible with argument"},
        {L"trailing %", ErrorOf(L"50%", {1}), L"Format '%' invalid or incompatible with argument"},
        {L"%d none", ErrorOf(L"%d", {}), L"No argument for format '%d'"},
        {L"second %s", ErrorOf(L"%d %-3s", {1}), L"No argument for format '%-3s'"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.Message, c.Expected)
            << "case " << testing::PrintToString(UnicodeString(c.Template));
}

TEST(Format, HugeWidthIsRejectedInsteadOfAllocated) {
    EXPECT_THROW(Format(L"%999999999d", {1}), EConvertError);
}
