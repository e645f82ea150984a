// Text and number conversions of the class library, with the rules the rest of the system was
// written against:
//   - integers: IntToStr, IntToHex, StrToInt(Def), StrToInt64(Def), TryStrToInt, TextToInt;
//   - trimming and case: Trim*, UpperCase/LowerCase (ASCII only), Ansi* (the user's locale);
//   - 1-based substrings with clamping: Pos, Copy, Delete, StringReplace;
//   - floating point: FloatToStr (shortest text that reads back to the same double),
//     StrToFloat(Def), TryStrToFloat, Round (halves to even), Trunc.
// Decimal text always uses '.' as the decimal separator, whatever the locale: the numbers are
// exchanged with servers and stored, not shown in the user's format.
#pragma once

#include "framework/Exceptions.h"
#include "framework/Sets.h"
#include "framework/System.h"

#include <concepts>
#include <type_traits>

// A floating-point value that has no integer counterpart (NaN, infinity, out of range).
class EInvalidOp : public Exception {
public:
    using Exception::Exception;
};

// ---- Integers ---------------------------------------------------------------------------------

UnicodeString IntToStr(Int64 value);
UnicodeString UIntToStr(UInt64 value);
// Every other integer type (int, DWORD, size_t...) goes through the 64-bit form of its
// signedness, so that no call is ambiguous.
template <std::integral T>
requires(!std::same_as<T, Int64> && !std::same_as<T, bool>) UnicodeString IntToStr(T value) {
    if constexpr (std::is_signed_v<T>)
        return IntToStr(static_cast<Int64>(value));
    else
        return UIntToStr(static_cast<UInt64>(value));
}

// Upper-case hexadecimal, zero-padded to at least `digits`. A negative value is written in the
// two's complement of its own type's width: IntToHex(-1, 2) is "FFFFFFFF" for an int.
UnicodeString UIntToHex(UInt64 value, int digits);
template <std::integral T>
requires(!std::same_as<T, bool>) UnicodeString IntToHex(T value, int digits) {
    return UIntToHex(static_cast<UInt64>(static_cast<std::make_unsigned_t<T>>(value)), digits);
}

// The framework's integer reading: leading blanks, then an optional sign, then decimal digits,
// or hexadecimal digits after "$" or "0x". StrToInt accepts exactly that and nothing after it;
// it raises EConvertError "'<text>' is not a valid integer value" otherwise or on overflow.
Integer StrToInt(const UnicodeString& text);
Integer StrToIntDef(const UnicodeString& text, Integer defaultValue);
bool TryStrToInt(const UnicodeString& text, Integer& value);
Int64 StrToInt64(const UnicodeString& text);
Int64 StrToInt64Def(const UnicodeString& text, Int64 defaultValue);
bool TryStrToInt64(const UnicodeString& text, Int64& value);
// The same reading as StrToInt, lenient: it stops at the first character that does not fit
// (or would overflow) and answers the value of the digits read so far; 0 when there are none.
Integer TextToInt(const UnicodeString& text);

UnicodeString BoolToStr(bool value, bool useBoolStrs = false);

// ---- Trimming and case ------------------------------------------------------------------------

// Remove the characters up to the blank (code 32), control characters included.
UnicodeString Trim(const UnicodeString& text);
UnicodeString TrimLeft(const UnicodeString& text);
UnicodeString TrimRight(const UnicodeString& text);

// ASCII only: 'a'..'z' and 'A'..'Z' map to each other, every other character stays.
UnicodeString UpperCase(const UnicodeString& text);
UnicodeString LowerCase(const UnicodeString& text);
// Ordinal comparisons; negative, zero or positive as `a` sorts before, with or after `b`.
int CompareStr(const UnicodeString& a, const UnicodeString& b);
int CompareText(const UnicodeString& a, const UnicodeString& b);
bool SameText(const UnicodeString& a, const UnicodeString& b);

// The user's locale: every letter the system knows maps, comparisons sort as the locale sorts.
UnicodeString AnsiUpperCase(const UnicodeString& text);
UnicodeString AnsiLowerCase(const UnicodeString& text);
int AnsiCompareStr(const UnicodeString& a, const UnicodeString& b);
int AnsiCompareText(const UnicodeString& a, const UnicodeString& b);
bool AnsiSameText(const UnicodeString& a, const UnicodeString& b);

// ---- Substrings (positions are 1-based) -------------------------------------------------------

// The position of the first `sub` in `text` at or after `offset`; 0 when there is none, when
// `sub` is empty or when `offset` lies outside the text.
int Pos(const UnicodeString& sub, const UnicodeString& text, int offset = 1);
// `count` characters from `index`: an index below 1 counts as 1, the count is cut at the end of
// the text, an index past the end or a count below 1 gives the empty text.
UnicodeString Copy(const UnicodeString& text, int index, int count);
// Removes `count` characters from `index`, cut at the end of the text; an index outside the text
// or a count below 1 changes nothing.
void Delete(UnicodeString& text, int index, int count);

enum TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = TSet<TReplaceFlag>;
// Replaces the first (rfReplaceAll: every) occurrence of `oldPattern`; rfIgnoreCase compares as
// AnsiUpperCase does. An empty pattern changes nothing.
UnicodeString StringReplace(const UnicodeString& text, const UnicodeString& oldPattern,
                            const UnicodeString& newPattern, TReplaceFlags flags);

// ---- Floating point ---------------------------------------------------------------------------

// The shortest text that StrToFloat reads back to the same double: fixed notation, or
// "1.5E-7"/"1E20" when the value is below 0.00001 or has more than 15 digits before the point.
// NaN and the infinities are "NAN", "INF" and "-INF".
UnicodeString FloatToStr(double value);
// Blanks around the number are allowed; then an optional sign, digits with an optional '.',
// and an optional exponent ("E" or "e", optional sign, digits). "NAN", "INF" and "-INF" are read
// too; a value too small for a double reads as zero. Anything else, or a value too large for a
// double, raises EConvertError "'<text>' is not a valid floating point value".
double StrToFloat(const UnicodeString& text);
double StrToFloatDef(const UnicodeString& text, double defaultValue);
bool TryStrToFloat(const UnicodeString& text, double& value);

// The nearest integer, halves to the even neighbour (2.5 gives 2, 3.5 gives 4); EInvalidOp for
// NaN, the infinities and values beyond Int64.
Int64 Round(double value);
// The integer part, towards zero; EInvalidOp as Round.
Int64 Trunc(double value);
