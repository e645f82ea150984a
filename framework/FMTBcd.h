// `TBcd`: the 34-byte packed decimal that databases exchange for exact numbers of up to 64
// digits, with its text, currency, integer and double conversions and an exact comparison.
//
// Layout (fixed, every byte defined):
//   Precision          the count of digits held, 1..64
//   SignSpecialPlaces  bit 7 the sign (set: negative), bit 6 "special" (always clear here),
//                      bits 0..5 the count of those digits that follow the decimal point
//   Fraction[32]       the digits, two per byte, high nibble first, from the first digit on;
//                      the nibbles after the last digit are zero
// So 12.5 is Precision 3, Places 1, Fraction 12 50 00 ... and -0.05 is Precision 2, Places 2,
// sign set, Fraction 05 00 ... The routines here produce the shortest form (no leading zeros
// before the point except a lone 0 digit when there is no fraction, no trailing zeros after
// it) but read any form whose digits fit its precision; negative zero compares equal to zero.
#pragma once

#include "framework/Currency.h"
#include "framework/Exceptions.h"
#include "framework/System.h"

struct TBcd {
    Byte Precision = 1;
    Byte SignSpecialPlaces = 0;
    Byte Fraction[32] = {};
};
static_assert(sizeof(TBcd) == 34);

inline constexpr int MaxFMTBcdFractionSize = 64;

// Blanks around the text, an optional sign, digits with an optional '.' (or `decimalSeparator`)
// and an optional exponent ("1.5E3"). More than 64 significant digits, or nothing that reads as
// a number, raises EConvertError "'<text>' is not a valid BCD value".
TBcd StrToBcd(const UnicodeString& text, wchar_t decimalSeparator = L'.');
bool TryStrToBcd(const UnicodeString& text, TBcd& value, wchar_t decimalSeparator = L'.');
// Plain decimal text: "-0.05", "12.5", "0".
UnicodeString BcdToStr(const TBcd& value, wchar_t decimalSeparator = L'.');

// Exact: negative when a < b, zero when equal (whatever their precisions), positive otherwise.
int BcdCompare(const TBcd& a, const TBcd& b);

TBcd IntegerToBcd(Int64 value);
// Rounded to an integer, halves away from zero; EConvertError when it does not fit an Int64.
Int64 BcdToInt64(const TBcd& value);
// Through the shortest text of the double; EConvertError for NaN and the infinities.
TBcd DoubleToBcd(double value);
double BcdToDouble(const TBcd& value);

// Currency → BCD with `decimals` places kept (0..4); digits beyond are dropped, as the value has
// at most four. Precision is the largest precision allowed (the result's is the shortest).
bool CurrToBCD(Currency value, TBcd& bcd, int precision = 32, int decimals = 4);
// BCD → Currency, rounded to four places, halves away from zero; false when out of range.
bool BCDToCurr(const TBcd& bcd, Currency& value);

// The digit count and the count after the point of the value's shortest form (0.05: 2 and 2).
int BcdPrecision(const TBcd& value);
int BcdScale(const TBcd& value);
bool BcdIsNegative(const TBcd& value);
