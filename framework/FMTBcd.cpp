// TBcd packing and unpacking, text and number conversions and the exact comparison. Every
// routine unpacks to a decimal digit string, works on the digits and packs the shortest form:
// the values are short (at most 64 digits), and decimal digits keep every step exact.
#include "framework/FMTBcd.h"

#include "framework/Conversions.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// A decimal number: the magnitude's digits before and after the point, without leading zeros
// before it and trailing zeros after it.
struct TDecimal {
    bool Negative = false;
    std::string Whole;
    std::string Fraction;

    bool IsZero() const { return Whole.empty() && Fraction.empty(); }
};

void Normalize(TDecimal& d) {
    d.Whole.erase(0, d.Whole.find_first_not_of('0') == std::string::npos
                         ? d.Whole.size()
                         : d.Whole.find_first_not_of('0'));
    const auto last = d.Fraction.find_last_not_of('0');
    d.Fraction.resize(last == std::string::npos ? 0 : last + 1);
    if (d.IsZero()) d.Negative = false;
}

bool Pack(TDecimal d, TBcd& bcd) {
    Normalize(d);
    std::string digits = d.Whole;
    digits.append(d.Fraction);
    if (digits.empty()) digits.push_back('0');
    if (digits.size() > MaxFMTBcdFractionSize || d.Fraction.size() > 63) return false;
    bcd = TBcd{};
    bcd.Precision = Byte(digits.size());
    bcd.SignSpecialPlaces = Byte(d.Fraction.size() | (d.Negative ? 0x80 : 0));
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const Byte nibble = Byte(digits[i] - '0');
        bcd.Fraction[i / 2] |= (i % 2 == 0) ? Byte(nibble << 4) : nibble;
    }
    return true;
}

[[noreturn]] void InvalidBcd() { throw EConvertError(L"Invalid BCD value"); }

TDecimal Unpack(const TBcd& bcd) {
    const int precision = bcd.Precision;
    const int places = bcd.SignSpecialPlaces & 0x3F;
    if (precision > MaxFMTBcdFractionSize) InvalidBcd();
    std::string digits;
    for (int i = 0; i < precision; ++i) {
        const Byte byte = bcd.Fraction[i / 2];
        const int nibble = (i % 2 == 0) ? byte >> 4 : byte & 0x0F;
        if (nibble > 9) InvalidBcd();
        digits += char('0' + nibble);
    }
    // Places beyond the digits held are leading zeros of the fraction.
    if (places > precision) digits.insert(0, std::size_t(places - precision), '0');
    TDecimal d;
    d.Negative = (bcd.SignSpecialPlaces & 0x80) != 0;
    d.Whole = digits.substr(0, digits.size() - std::size_t(places));
    d.Fraction = digits.substr(digits.size() - std::size_t(places));
    Normalize(d);
    return d;
}

bool ParseDecimal(const UnicodeString& text, wchar_t separator, TDecimal& d) {
    const UnicodeString t = Trim(text);
    std::size_t i = 0;
    d = TDecimal{};
    if (i < t.size() && (t[i] == L'-' || t[i] == L'+')) d.Negative = t[i++] == L'-';
    bool any = false;
    for (; i < t.size() && t[i] >= L'0' && t[i] <= L'9'; ++i, any = true) d.Whole += char(t[i]);
    if (i < t.size() && t[i] == separator)
        for (++i; i < t.size() && t[i] >= L'0' && t[i] <= L'9'; ++i, any = true)
            d.Fraction += char(t[i]);
    if (!any) return false;
    if (i < t.size() && (t[i] == L'E' || t[i] == L'e')) {
        Int64 exponent = 0;
        if (!TryStrToInt64(t.substr(i + 1), exponent) || exponent > 200 || exponent < -200)
            return false;
        i = t.size();
        for (; exponent > 0; --exponent) {
            d.Whole += d.Fraction.empty() ? '0' : d.Fraction[0];
            if (!d.Fraction.empty()) d.Fraction.erase(0, 1);
        }
        for (; exponent < 0; ++exponent) {
            d.Fraction.insert(0, 1, d.Whole.empty() ? '0' : d.Whole.back());
            if (!d.Whole.empty()) d.Whole.pop_back();
        }
    }
    if (i != t.size()) return false;
    Normalize(d);
    return true;
}

// Adds one unit in the last place of `digits` (a magnitude); answers the carry out.
bool Increment(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return false;
        }
        *it = '0';
    }
    return true;
}

// The magnitude rounded to `places` decimals, halves away from zero, as one digit string
// scaled by 10^places.
std::string RoundedScaled(const TDecimal& d, std::size_t places) {
    std::string fraction = d.Fraction;
    const bool up = fraction.size() > places && fraction[places] >= '5';
    fraction.resize(places, '0');
    std::string digits = d.Whole + fraction;
    if (up && Increment(digits)) digits.insert(0, 1, '1');
    return digits;
}

// The digits as an unsigned value; false when they exceed `limit`.
bool DigitsToUInt64(const std::string& digits, UInt64 limit, UInt64& value) {
    value = 0;
    for (const char c : digits) {
        const UInt64 digit = UInt64(c - '0');
        if (value > (limit - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return true;
}

constexpr UInt64 Int64Magnitude(bool negative) {
    return negative ? UInt64(1) << 63 : (UInt64(1) << 63) - 1;
}

} // namespace

bool TryStrToBcd(const UnicodeString& text, TBcd& value, wchar_t decimalSeparator) {
    TDecimal d;
    return ParseDecimal(text, decimalSeparator, d) && Pack(d, value);
}

TBcd StrToBcd(const UnicodeString& text, wchar_t decimalSeparator) {
    TBcd value;
    if (!TryStrToBcd(text, value, decimalSeparator))
        throw EConvertError(L"'" + text + L"' is not a valid BCD value");
    return value;
}

UnicodeString BcdToStr(const TBcd& value, wchar_t decimalSeparator) {
    const TDecimal d = Unpack(value);
    UnicodeString result = d.Negative ? L"-" : L"";
    for (const char c : d.Whole.empty() ? std::string("0") : d.Whole) result += wchar_t(c);
    if (!d.Fraction.empty()) {
        result += decimalSeparator;
        for (const char c : d.Fraction) result += wchar_t(c);
    }
    return result;
}

int BcdCompare(const TBcd& a, const TBcd& b) {
    const TDecimal x = Unpack(a), y = Unpack(b);
    if (x.Negative != y.Negative) return x.Negative ? -1 : 1;
    int magnitude = 0;
    if (x.Whole.size() != y.Whole.size())
        magnitude = x.Whole.size() < y.Whole.size() ? -1 : 1;
    else if (const int c = x.Whole.compare(y.Whole))
        magnitude = c < 0 ? -1 : 1;
    else if (const int f = x.Fraction.compare(y.Fraction))
        magnitude = f < 0 ? -1 : 1;
    return x.Negative ? -magnitude : magnitude;
}

TBcd IntegerToBcd(Int64 value) { return StrToBcd(IntToStr(value)); }

Int64 BcdToInt64(const TBcd& value) {
    const TDecimal d = Unpack(value);
    UInt64 magnitude = 0;
    if (!DigitsToUInt64(RoundedScaled(d, 0), Int64Magnitude(d.Negative), magnitude))
        throw EConvertError(L"BCD value " + BcdToStr(value) + L" out of Int64 range");
    return d.Negative ? Int64(0 - magnitude) : Int64(magnitude);
}

TBcd DoubleToBcd(double value) {
    if (!std::isfinite(value)) throw EConvertError(L"Invalid BCD value");
    return StrToBcd(FloatToStr(value));
}

double BcdToDouble(const TBcd& value) { return StrToFloat(BcdToStr(value)); }

bool CurrToBCD(Currency value, TBcd& bcd, int precision, int decimals) {
    if (decimals < 0 || decimals > 4 || precision < 1 || precision > MaxFMTBcdFractionSize)
        return false;
    TDecimal d;
    d.Negative = value.Value < 0;
    const UInt64 magnitude = d.Negative ? 0 - UInt64(value.Value) : UInt64(value.Value);
    d.Whole = std::to_string(magnitude / UInt64(Currency::Scale));
    std::string fraction = std::to_string(magnitude % UInt64(Currency::Scale));
    d.Fraction = std::string(4 - fraction.size(), '0') + fraction;
    d.Fraction.resize(std::size_t(decimals));
    TBcd result;
    if (!Pack(d, result) || result.Precision > precision) return false;
    bcd = result;
    return true;
}

bool BCDToCurr(const TBcd& bcd, Currency& value) {
    const TDecimal d = Unpack(bcd);
    UInt64 magnitude = 0;
    if (!DigitsToUInt64(RoundedScaled(d, 4), Int64Magnitude(d.Negative), magnitude)) return false;
    value = Currency::FromScaled(d.Negative ? Int64(0 - magnitude) : Int64(magnitude));
    return true;
}

int BcdPrecision(const TBcd& value) {
    const TDecimal d = Unpack(value);
    return std::max<int>(1, int(d.Whole.size() + d.Fraction.size()));
}

int BcdScale(const TBcd& value) { return int(Unpack(value).Fraction.size()); }

bool BcdIsNegative(const TBcd& value) { return Unpack(value).Negative; }
