// Numbers as the writer writes them. A double is the C runtime's general format with 15
// significant digits; the runtime takes a good part of a microsecond for each, as much as
// writing the rest of a typical document, so the common case is done here to the same digits:
// a value whose rounding to 15 digits is certain and that the runtime writes without an
// exponent. Every other value still goes to the runtime.
#include "support/jsonobject/JsonTextOut.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>

namespace {

constexpr double ExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8, 1e9,
                                  1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
constexpr std::uint64_t Least15 = 100000000000000u; // the smallest number of 15 digits
constexpr std::uint64_t Most15 = 999999999999999u;

// The runtime's text, with the point added where it left it out: the runtime of Windows always
// writes it ("1." for one), some compatible runtimes leave it out of whole numbers, which would
// read back as an integer.
std::size_t RuntimeText(double value, wchar_t (&text)[64]) {
    char narrow[64]; // 15 digits, sign, point and exponent fit with room to spare
    _gcvt(value, 15, narrow);
    std::size_t length = 0;
    bool whole = true;
    for (const char* p = narrow; *p; ++p) {
        whole = whole && *p != '.' && *p != 'e' && *p != 'E';
        text[length++] = static_cast<wchar_t>(*p);
    }
    if (whole) text[length++] = L'.';
    return length;
}

// The decimal exponent of `magnitude` when the runtime writes it without an exponent (-4 to
// 14), or a number out of that range. The constants below one are not exact: a value next to
// one of them may get a neighbouring exponent, which the digit count then refuses or which
// gives the same text.
int FixedExponent(double magnitude) {
    if (magnitude < 1e-4) return -5;
    int exponent = -4;
    static constexpr double below[] = {1e-3, 1e-2, 1e-1};
    for (const double bound : below) {
        if (magnitude < bound) return exponent;
        ++exponent;
    }
    for (int i = 1; i <= 15; ++i)
        if (magnitude < ExactPowers[i]) return i - 1;
    return 15;
}

// The 15 significant digits of `magnitude` scaled by 10^(14 - exponent), when the rounding is
// certain: the product is rounded once and lies below 2^50, so it is within 1/16 of the exact
// product, and a fraction clear of one half by 1/8 rounds the same either way.
bool Digits(double magnitude, int exponent, std::uint64_t& digits) {
    const double scaled = magnitude * ExactPowers[14 - exponent];
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) <= 0.125) return false;
    digits = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
    return digits >= Least15 && digits <= Most15;
}

} // namespace

std::size_t IntegerText(Int64 value, wchar_t (&text)[64]) {
    // Two digits a step, from a table of the hundred pairs.
    static constexpr auto Pairs = [] {
        std::array<wchar_t, 200> pairs{};
        for (int i = 0; i < 100; ++i) {
            pairs[2 * i] = static_cast<wchar_t>(L'0' + i / 10);
            pairs[2 * i + 1] = static_cast<wchar_t>(L'0' + i % 10);
        }
        return pairs;
    }();
    wchar_t* end = text + std::size(text);
    wchar_t* p = end;
    UInt64 magnitude = value < 0 ? 0 - static_cast<UInt64>(value) : static_cast<UInt64>(value);
    while (magnitude >= 100) {
        const std::size_t pair = static_cast<std::size_t>(magnitude % 100) * 2;
        magnitude /= 100;
        *--p = Pairs[pair + 1];
        *--p = Pairs[pair];
    }
    if (magnitude >= 10) {
        *--p = Pairs[magnitude * 2 + 1];
        *--p = Pairs[magnitude * 2];
    } else {
        *--p = static_cast<wchar_t>(L'0' + magnitude);
    }
    if (value < 0) *--p = L'-';
    const std::size_t length = static_cast<std::size_t>(end - p);
    std::copy(p, end, text);
    return length;
}

std::size_t DoubleText(double value, wchar_t (&text)[64]) {
    const double magnitude = std::fabs(value);
    if (!(magnitude > 0) || !std::isfinite(value)) return RuntimeText(value, text);
    const int exponent = FixedExponent(magnitude);
    std::uint64_t digits = 0;
    if (exponent < -4 || exponent > 14 || !Digits(magnitude, exponent, digits))
        return RuntimeText(value, text);
    wchar_t figures[15];
    for (int i = 14; i >= 0; --i, digits /= 10)
        figures[i] = static_cast<wchar_t>(L'0' + digits % 10);
    int significant = 15; // trailing zeros of the fraction are not written
    while (significant > exponent + 1 && figures[significant - 1] == L'0') --significant;
    std::size_t length = 0;
    if (value < 0) text[length++] = L'-';
    if (exponent < 0) {
        text[length++] = L'0';
        text[length++] = L'.';
        for (int i = exponent + 1; i < 0; ++i) text[length++] = L'0';
        for (int i = 0; i < significant; ++i) text[length++] = figures[i];
        return length;
    }
    for (int i = 0; i <= exponent; ++i) text[length++] = figures[i];
    text[length++] = L'.';
    for (int i = exponent + 1; i < significant; ++i) text[length++] = figures[i];
    return length;
}
