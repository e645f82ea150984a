// The writer's doubles against the C runtime's general format with 15 significant digits (the
// point always written), over values chosen where formatting goes wrong: the edges of the fixed
// notation, roundings that carry, halves, short decimals, and a broad random sweep.
#include "support/jsonobject/jsonobject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

// The runtime's text, as the writer always gave it: a whole number keeps a point.
UnicodeString RuntimeText(double value) {
    char text[64];
    _gcvt(value, 15, text);
    const bool whole = !std::strpbrk(text, ".eE");
    UnicodeString wide(text, text + std::strlen(text));
    return whole ? wide + L"." : wide;
}

UnicodeString WrittenText(double value) { return TJsonObject::Create(value)->AsJSon(); }

std::vector<double> EdgeValues() {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  0.1,
                                  0.5,
                                  1.5e-3,
                                  -0.25,
                                  123456789012345.0,
                                  99999999999999.95,
                                  999999999999999.4,
                                  999999999999999.5,
                                  1e15,
                                  0.30000000000000004,
                                  1.0 / 3,
                                  2.0 / 3,
                                  5e-324,
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::min()};
    for (int e = -8; e <= 18; ++e) {
        const double power = std::pow(10.0, e);
        for (double v : {power, std::nextafter(power, 0.0), std::nextafter(power, 1e300),
                         power * 0.99999999999999995, power * 9.999999999999995})
            values.push_back(v);
        // Halves at the fifteenth digit: ties that only look like ties in binary.
        values.push_back((123456789012345.0 + 0.5) * std::pow(10.0, e - 14));
    }
    return values;
}

} // namespace

TEST(JsonNumberText, DoublesAreWrittenAsTheRuntimeFormatsThem) {
    std::vector<double> values = EdgeValues();
    std::mt19937_64 random(20261211);
    for (int i = 0; i < 40000; ++i) {
        // Any finite bit pattern, and short decimals of every magnitude the fixed form covers.
        double bits;
        const std::uint64_t pattern = random();
        std::memcpy(&bits, &pattern, sizeof bits);
        if (std::isfinite(bits)) values.push_back(bits);
        const double decimal = static_cast<double>(random() % 1000000000000000u) /
                               std::pow(10.0, static_cast<int>(random() % 24));
        values.push_back(random() % 2 ? decimal : -decimal);
        values.push_back(std::ldexp(static_cast<double>(random() % 100000), -3) + 0.125);
    }
    int differing = 0;
    for (const double v : values) {
        for (const double value : {v, -v}) {
            const UnicodeString expected = RuntimeText(value), written = WrittenText(value);
            if (expected != written && ++differing <= 10)
                ADD_FAILURE() << "value " << value << " written " << written << " runtime "
                              << expected;
        }
    }
    EXPECT_EQ(differing, 0);
    // The comparison sees a difference in the last of the fifteen digits.
    EXPECT_NE(WrittenText(0.123456789012346), RuntimeText(0.123456789012345));
}

TEST(JsonNumberText, IntegersAreWrittenInDecimal) {
    std::vector<Int64> values = {0, 7, 9, 10, 99, 100, 101, 999, 1000, INT64_MAX, INT64_MIN};
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i)
        values.push_back(static_cast<Int64>(random() >> (random() % 64)));
    for (const Int64 v : values) {
        for (const Int64 value : {v, v == INT64_MIN ? v : -v})
            ASSERT_EQ(TJsonObject::Create(value)->AsJSon(), std::to_wstring(value));
    }
}
