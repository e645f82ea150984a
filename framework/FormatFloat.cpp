// Floating-point layouts for Format. The value is first written with 18 significant digits
// (std::to_chars, exact and locale-free), and those decimal digits are then rounded half away
// from zero to what the layout shows: the digits a reader sees decide the rounding, as a person
// rounding by hand would, rather than the binary value's exact tie-breaking.
#include "framework/Format.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr int MaxDigits = 18;
constexpr int SmallestFixedExponent = -5;

// value = ±d.ddd × 10^Exponent; Digits holds no sign and no point.
struct TDecimal {
    bool Negative = false;
    std::string Digits;
    int Exponent = 0;

    // The digit for 10^power (zero outside the digits held).
    char DigitAt(int power) const {
        const int index = Exponent - power;
        return index >= 0 && index < static_cast<int>(Digits.size()) ? Digits[index] : '0';
    }
    bool IsZero() const { return Digits.find_first_not_of('0') == std::string::npos; }
};

TDecimal ToDecimal(double value) {
    TDecimal decimal;
    decimal.Negative = std::signbit(value);
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                   std::chars_format::scientific, MaxDigits - 1)
                         .ptr;
    const std::string text(buffer, end);
    const size_t e = text.find('e');
    decimal.Digits = text.substr(0, 1) + text.substr(2, e - 2);
    decimal.Exponent = std::stoi(text.substr(e + 1));
    return decimal;
}

// Keeps `count` significant digits (none when count <= 0), rounding half away from zero; a
// carry out of the first digit raises the exponent.
void RoundDigits(TDecimal& decimal, int count) {
    if (count >= static_cast<int>(decimal.Digits.size())) return;
    const bool up = count >= 0 && decimal.Digits[count] >= '5';
    decimal.Digits.resize(std::max(count, 0));
    if (!up) return;
    int i = static_cast<int>(decimal.Digits.size()) - 1;
    for (; i >= 0 && decimal.Digits[i] == '9'; --i) decimal.Digits[i] = '0';
    if (i >= 0) {
        ++decimal.Digits[i];
    } else {
        decimal.Digits.insert(decimal.Digits.begin(), '1');
        ++decimal.Exponent;
    }
}

const wchar_t* SpecialText(double value) {
    if (std::isnan(value)) return L"NAN";
    if (std::isinf(value)) return value < 0 ? L"-INF" : L"INF";
    return nullptr;
}

UnicodeString WithSign(const TDecimal& decimal, UnicodeString text) {
    // A value that rounds to zero shows no sign.
    return decimal.Negative && !decimal.IsZero() ? L"-" + text : text;
}

UnicodeString IntegerPart(const TDecimal& decimal, bool grouped) {
    UnicodeString text;
    for (int power = std::max(decimal.Exponent, 0); power >= 0; --power) {
        text += static_cast<wchar_t>(decimal.DigitAt(power));
        if (grouped && power > 0 && power % 3 == 0) text += L',';
    }
    return text;
}

// `count` digits from the one for 10^from downwards.
UnicodeString DigitsFrom(const TDecimal& decimal, int from, int count) {
    UnicodeString text;
    for (int power = from; power > from - count; --power)
        text += static_cast<wchar_t>(decimal.DigitAt(power));
    return text;
}

UnicodeString ExponentText(int exponent, bool plusSign, int minDigits) {
    UnicodeString digits = std::to_wstring(std::abs(exponent));
    if (static_cast<int>(digits.size()) < minDigits)
        digits.insert(0, minDigits - digits.size(), L'0');
    const wchar_t* sign = exponent < 0 ? L"-" : plusSign ? L"+" : L"";
    return L"E" + UnicodeString(sign) + digits;
}

int ClampDigits(int digits) { return std::clamp(digits, 1, MaxDigits); }

} // namespace

UnicodeString FormatFixed(double value, int decimals, bool grouped) {
    if (const wchar_t* special = SpecialText(value)) return special;
    TDecimal decimal = ToDecimal(value);
    RoundDigits(decimal, decimal.Exponent + 1 + decimals);
    UnicodeString text = IntegerPart(decimal, grouped);
    if (decimals > 0) text += L"." + DigitsFrom(decimal, -1, decimals);
    return WithSign(decimal, text);
}

UnicodeString FormatScientific(double value, int digits) {
    if (const wchar_t* special = SpecialText(value)) return special;
    digits = ClampDigits(digits);
    TDecimal decimal = ToDecimal(value);
    RoundDigits(decimal, digits);
    const int exponent = decimal.IsZero() ? 0 : decimal.Exponent;
    UnicodeString text(1, static_cast<wchar_t>(decimal.DigitAt(decimal.Exponent)));
    if (digits > 1) text += L"." + DigitsFrom(decimal, decimal.Exponent - 1, digits - 1);
    return WithSign(decimal, text + ExponentText(exponent, true, 3));
}

UnicodeString FormatGeneral(double value, int digits) {
    if (const wchar_t* special = SpecialText(value)) return special;
    digits = ClampDigits(digits);
    TDecimal decimal = ToDecimal(value);
    RoundDigits(decimal, digits);
    if (decimal.IsZero()) return L"0";
    decimal.Digits.erase(decimal.Digits.find_last_not_of('0') + 1);
    const int shown = static_cast<int>(decimal.Digits.size());
    if (decimal.Exponent < digits && decimal.Exponent >= SmallestFixedExponent) {
        const int decimals = std::max(shown - 1 - decimal.Exponent, 0);
        UnicodeString text = IntegerPart(decimal, false);
        if (decimals > 0) text += L"." + DigitsFrom(decimal, -1, decimals);
        return WithSign(decimal, text);
    }
    UnicodeString text(1, static_cast<wchar_t>(decimal.Digits[0]));
    if (shown > 1) text += L"." + DigitsFrom(decimal, decimal.Exponent - 1, shown - 1);
    return WithSign(decimal, text + ExponentText(decimal.Exponent, false, 3));
}
