// Floating-point text and rounding. FloatToStr takes the shortest digits that read back to the
// same double (std::to_chars) and lays them out in the general notation of the framework: fixed
// while at most 15 digits stand before the point and the value is not below 0.00001, otherwise
// "d.dddE<exponent>". StrToFloat checks the grammar itself and leaves the digits to
// std::from_chars, which rounds correctly; neither depends on the C locale.
#include "framework/Conversions.h"

#include "framework/TextEncoding.h"

#include <charconv>
#include <algorithm>
#include <cmath>

namespace {

constexpr int GeneralPrecision = 15; // digits before the point that fixed notation may show
constexpr int SmallestFixedExponent = -5;

// The shortest round-trip digits of a finite, non-zero |value| and its decimal exponent: the
// value is d.ddd × 10^exponent.
void ShortestDigits(double value, std::string& digits, int& exponent) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific);
    const std::string text(buffer, result.ptr);
    const size_t e = text.find('e');
    digits = text.substr(0, e);
    if (digits.size() > 1) digits.erase(1, 1); // the point after the first digit
    exponent = std::stoi(text.substr(e + 1));
}

std::string FixedLayout(const std::string& digits, int exponent) {
    if (exponent < 0) return std::string("0.").append(-exponent - 1, '0').append(digits);
    const size_t whole = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= whole) return digits + std::string(whole - digits.size(), '0');
    return digits.substr(0, whole).append(".").append(digits, whole);
}

std::string ScientificLayout(const std::string& digits, int exponent) {
    std::string text = digits.substr(0, 1);
    if (digits.size() > 1) text.append(".").append(digits, 1);
    return text.append("E").append(std::to_string(exponent));
}

[[noreturn]] void RaiseNotFloat(const UnicodeString& text) {
    throw EConvertError(L"'" + text + L"' is not a valid floating point value");
}

size_t SkipDigits(const std::string& text, size_t i) {
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i;
}

// Sign, digits with an optional point (at least one digit), optional exponent, nothing else.
bool IsDecimalNumber(const std::string& text) {
    const size_t start = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
    size_t end = SkipDigits(text, start);
    size_t digits = end - start;
    if (end < text.size() && text[end] == '.') {
        const size_t fraction = end + 1;
        end = SkipDigits(text, fraction);
        digits += end - fraction;
    }
    if (digits == 0) return false;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        size_t e = end + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        end = SkipDigits(text, e);
        if (end == e) return false;
    }
    return end == text.size();
}

// The exponent after 'e' at `e` (0 without one), held within a range that no double reaches
// but that cannot overflow an int either.
long ExponentOf(const std::string& number, size_t e) {
    if (e == std::string::npos) return 0;
    size_t i = e + 1;
    const bool negative = number[i] == '-';
    if (number[i] == '+' || number[i] == '-') ++i;
    long exponent = 0;
    for (; i < number.size(); ++i) exponent = std::min(exponent * 10 + (number[i] - '0'), 1000000L);
    return negative ? -exponent : exponent;
}

// The power of ten of the first non-zero digit of a valid, non-zero number text: negative for a
// value below 1, so that a value out of range can be told to be too small rather than too large.
long LeadingDigitPower(const std::string& number) {
    const size_t e = number.find_first_of("eE");
    const std::string mantissa = number.substr(0, e);
    const long point = static_cast<long>(std::min(mantissa.find('.'), mantissa.size()));
    const long first = static_cast<long>(mantissa.find_first_of("123456789"));
    return (first < point ? point - first - 1 : point - first) + ExponentOf(number, e);
}

bool ReadSpecial(const UnicodeString& upper, double& value) {
    if (upper == L"NAN")
        value = std::nan("");
    else if (upper == L"INF" || upper == L"+INF")
        value = HUGE_VAL;
    else if (upper == L"-INF")
        value = -HUGE_VAL;
    else
        return false;
    return true;
}

void CheckIntegral(double value) {
    // 2^63 is the first double beyond Int64; -2^63 itself still fits. NaN fails both tests.
    if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0))
        throw EInvalidOp(L"Invalid floating point operation");
}

} // namespace

UnicodeString FloatToStr(double value) {
    if (std::isnan(value)) return L"NAN";
    if (std::isinf(value)) return value < 0 ? L"-INF" : L"INF";
    if (value == 0) return L"0";
    std::string digits;
    int exponent = 0;
    ShortestDigits(value, digits, exponent);
    const bool fixed = exponent < GeneralPrecision && exponent >= SmallestFixedExponent;
    const std::string text =
        fixed ? FixedLayout(digits, exponent) : ScientificLayout(digits, exponent);
    const std::string signedText = (value < 0 ? "-" : "") + text;
    return UnicodeString(signedText.begin(), signedText.end());
}

bool TryStrToFloat(const UnicodeString& text, double& value) {
    const UnicodeString trimmed = Trim(text);
    if (ReadSpecial(UpperCase(trimmed), value)) return true;
    if (trimmed.find_first_not_of(L"0123456789+-.eE") != UnicodeString::npos) return false;
    std::string narrow = UnicodeToUtf8(trimmed);
    if (!IsDecimalNumber(narrow)) return false;
    if (narrow[0] == '+') narrow.erase(0, 1); // from_chars takes no plus sign
    double result = 0;
    const auto [end, error] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), result);
    if (error == std::errc::result_out_of_range && LeadingDigitPower(narrow) < 0) {
        result = narrow[0] == '-' ? -0.0 : 0.0; // too small for a double: zero, as the digits say
    } else if (error != std::errc() || end != narrow.data() + narrow.size()) {
        return false;
    }
    value = result;
    return true;
}

double StrToFloat(const UnicodeString& text) {
    double value = 0;
    if (!TryStrToFloat(text, value)) RaiseNotFloat(text);
    return value;
}

double StrToFloatDef(const UnicodeString& text, double defaultValue) {
    double value = 0;
    return TryStrToFloat(text, value) ? value : defaultValue;
}

Int64 Round(double value) {
    CheckIntegral(value);
    return static_cast<Int64>(std::nearbyint(value));
}

Int64 Trunc(double value) {
    CheckIntegral(value);
    return static_cast<Int64>(value);
}
