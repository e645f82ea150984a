// Currency arithmetic and the conversions from double and integers, with the range checks that
// keep the scaled 64-bit value exact.
#include "framework/Currency.h"

#include "framework/Conversions.h"

#include <cmath>
#include <limits>

namespace {

[[noreturn]] void CurrencyOverflow() { throw EConvertError(L"Currency value out of range"); }

} // namespace

Currency Currency::FromDouble(double value) {
    const double scaled = value * double(Scale);
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (!std::isfinite(scaled) || scaled >= 9223372036854775808.0 ||
        scaled < -9223372036854775808.0)
        CurrencyOverflow();
    return FromScaled(Round(scaled));
}

Currency Currency::FromInt64(Int64 value) {
    constexpr Int64 limit = std::numeric_limits<Int64>::max() / Scale;
    if (value > limit || value < -limit) CurrencyOverflow();
    return FromScaled(value * Scale);
}

Currency operator+(Currency a, Currency b) {
    Int64 sum;
    if (__builtin_add_overflow(a.Value, b.Value, &sum)) CurrencyOverflow();
    return Currency::FromScaled(sum);
}

Currency operator-(Currency a, Currency b) {
    Int64 difference;
    if (__builtin_sub_overflow(a.Value, b.Value, &difference)) CurrencyOverflow();
    return Currency::FromScaled(difference);
}
