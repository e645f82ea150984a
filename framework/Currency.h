// `Currency`: the exact money type, a 64-bit integer holding the value times 10 000 (four
// decimal places). Sums and differences are exact; conversions from double round to the
// nearest ten-thousandth, halves to even, and raise EConvertError outside the range
// ±922 337 203 685 477.5807 (or for NaN and the infinities). Text conversions live with the
// locale settings (framework/FormatSettings.h).
#pragma once

#include "framework/System.h"

#include <compare>

struct Currency {
    static constexpr Int64 Scale = 10000;

    // The stored integer: the value times 10 000.
    Int64 Value = 0;

    constexpr Currency() = default;
    // EConvertError outside the range or for NaN and the infinities.
    static Currency FromDouble(double value);
    // EConvertError when value × 10 000 does not fit.
    static Currency FromInt64(Int64 value);
    static constexpr Currency FromScaled(Int64 scaled) {
        Currency c;
        c.Value = scaled;
        return c;
    }

    double ToDouble() const noexcept { return double(Value) / double(Scale); }

    friend constexpr bool operator==(Currency a, Currency b) = default;
    friend constexpr auto operator<=>(Currency a, Currency b) = default;
    // EConvertError on overflow.
    friend Currency operator+(Currency a, Currency b);
    friend Currency operator-(Currency a, Currency b);
    friend constexpr Currency operator-(Currency a) { return FromScaled(-a.Value); }
};

static_assert(sizeof(Currency) == 8);
