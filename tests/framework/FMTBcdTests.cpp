#include "framework/FMTBcd.h"

#include "framework/Currency.h"
#include "framework/SQLTimSt.h"
#include "framework/TextEncoding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

struct TBcdTextCase {
    const wchar_t* Text;
    const wchar_t* Shortest; // nullptr: not a BCD value
    int Precision;
    int Scale;
};

} // namespace

TEST(FMTBcd, TextRoundTripsToTheShortestForm) {
    const TBcdTextCase cases[] = {
        {L"0", L"0", 1, 0},
        {L"-0", L"0", 1, 0},
        {L"12.50", L"12.5", 3, 1},
        {L"-0.05", L"-0.05", 2, 2},
        {L"007", L"7", 1, 0},
        {L" +1.0 ", L"1", 1, 0},
        {L".5", L"0.5", 1, 1},
        {L"5.", L"5", 1, 0},
        {L"1.5E3", L"1500", 4, 0},
        {L"-25e-3", L"-0.025", 3, 3},
        {L"1", L"1", 1, 0},
        {L"", nullptr, 0, 0},
        {L"-", nullptr, 0, 0},
        {L"1.2.3", nullptr, 0, 0},
        {L"1,5", nullptr, 0, 0},
        {L"abc", nullptr, 0, 0},
        {L"1E", nullptr, 0, 0},
        {L"1234567890123456789012345678901234567890123456789012345678901234", // 64 digits
         L"1234567890123456789012345678901234567890123456789012345678901234", 64, 0},
        {L"12345678901234567890123456789012345678901234567890123456789012345", nullptr, 0, 0},
    };
    for (const TBcdTextCase& c : cases) {
        SCOPED_TRACE(UnicodeToUtf8(c.Text));
        TBcd value;
        ASSERT_EQ(TryStrToBcd(c.Text, value), c.Shortest != nullptr);
        if (!c.Shortest) continue;
        EXPECT_EQ(BcdToStr(value), c.Shortest);
        EXPECT_EQ(BcdPrecision(value), c.Precision);
        EXPECT_EQ(BcdScale(value), c.Scale);
    }
    EXPECT_THROW(StrToBcd(L"x"), EConvertError);
    EXPECT_EQ(BcdToStr(StrToBcd(L"1,25", L','), L','), L"1,25");
}

TEST(FMTBcd, PacksDigitsHighNibbleFirst) {
    const TBcd value = StrToBcd(L"-12.5");
    EXPECT_EQ(value.Precision, 3);
    EXPECT_EQ(value.SignSpecialPlaces, 0x80 | 1);
    EXPECT_EQ(value.Fraction[0], 0x12);
    EXPECT_EQ(value.Fraction[1], 0x50);
    for (int i = 2; i < 32; ++i) EXPECT_EQ(value.Fraction[i], 0) << i;
    // Any form whose digits fit is read: 0012.500 with precision 7 and 3 places.
    TBcd padded{};
    padded.Precision = 7;
    padded.SignSpecialPlaces = 3;
    const Byte digits[] = {0x00, 0x12, 0x50, 0x00};
    std::memcpy(padded.Fraction, digits, sizeof digits);
    EXPECT_EQ(BcdToStr(padded), L"12.5");
    EXPECT_EQ(BcdCompare(padded, StrToBcd(L"12.5")), 0);
    TBcd broken = padded;
    broken.Fraction[0] = 0xA0;
    EXPECT_THROW(BcdToStr(broken), EConvertError);
}

TEST(FMTBcd, CompareIsExactAroundZero) {
    // Sorted ascending; every pair is compared both ways.
    const wchar_t* const sorted[] = {L"-1",
                                     L"-0.99999999999999999999",
                                     L"-0.5",
                                     L"-0.0500001",
                                     L"-0.05",
                                     L"0",
                                     L"0.00000000000000000001",
                                     L"0.1",
                                     L"0.10000000000000000001",
                                     L"0.5",
                                     L"0.99999999999999999999",
                                     L"1",
                                     L"1.00000000000000000001"};
    const int n = int(std::size(sorted));
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            SCOPED_TRACE(UnicodeToUtf8(UnicodeString(sorted[i]) + L" vs " + sorted[j]));
            const int c = BcdCompare(StrToBcd(sorted[i]), StrToBcd(sorted[j]));
            EXPECT_EQ(c < 0, i < j);
            EXPECT_EQ(c == 0, i == j);
        }
    EXPECT_EQ(BcdCompare(StrToBcd(L"-0"), StrToBcd(L"0")), 0);
    EXPECT_EQ(BcdCompare(StrToBcd(L"0.50"), StrToBcd(L"0.5")), 0);
}

TEST(FMTBcd, CurrencyRoundTrips) {
    const Int64 scaled[] = {0,
                            1,
                            -1,
                            5000,
                            -5000,
                            9999,
                            -9999,
                            10000,
                            123456,
                            -123456,
                            std::numeric_limits<Int64>::max(),
                            std::numeric_limits<Int64>::min()};
    for (const Int64 s : scaled) {
        SCOPED_TRACE(s);
        TBcd bcd;
        ASSERT_TRUE(CurrToBCD(Currency::FromScaled(s), bcd));
        Currency back;
        ASSERT_TRUE(BCDToCurr(bcd, back));
        EXPECT_EQ(back.Value, s);
    }
    TBcd bcd;
    ASSERT_TRUE(CurrToBCD(Currency::FromScaled(-5000), bcd));
    EXPECT_EQ(BcdToStr(bcd), L"-0.5");
    ASSERT_TRUE(CurrToBCD(Currency::FromScaled(123456), bcd, 32, 2));
    EXPECT_EQ(BcdToStr(bcd), L"12.34");
    EXPECT_FALSE(CurrToBCD(Currency::FromScaled(123456), bcd, 3, 4));
    Currency value;
    ASSERT_TRUE(BCDToCurr(StrToBcd(L"0.00005"), value)); // halves away from zero
    EXPECT_EQ(value.Value, 1);
    ASSERT_TRUE(BCDToCurr(StrToBcd(L"-0.00005"), value));
    EXPECT_EQ(value.Value, -1);
    ASSERT_TRUE(BCDToCurr(StrToBcd(L"0.00004999"), value));
    EXPECT_EQ(value.Value, 0);
    EXPECT_FALSE(BCDToCurr(StrToBcd(L"922337203685477.5808"), value));
    EXPECT_TRUE(BCDToCurr(StrToBcd(L"-922337203685477.5808"), value));
}

TEST(FMTBcd, IntegerAndDoubleConversions) {
    EXPECT_EQ(BcdToStr(IntegerToBcd(std::numeric_limits<Int64>::min())), L"-9223372036854775808");
    EXPECT_EQ(BcdToInt64(StrToBcd(L"-9223372036854775808")), std::numeric_limits<Int64>::min());
    EXPECT_THROW(BcdToInt64(StrToBcd(L"9223372036854775808")), EConvertError);
    EXPECT_EQ(BcdToInt64(StrToBcd(L"-2.5")), -3);
    EXPECT_EQ(BcdToInt64(StrToBcd(L"2.4999")), 2);
    EXPECT_EQ(BcdToStr(DoubleToBcd(0.1)), L"0.1");
    EXPECT_EQ(BcdToStr(DoubleToBcd(-1.5e-7)), L"-0.00000015");
    EXPECT_EQ(BcdToDouble(StrToBcd(L"0.1")), 0.1);
    EXPECT_THROW(DoubleToBcd(std::numeric_limits<double>::infinity()), EConvertError);
}

TEST(Currency, DoubleAndIntegerConversionsCheckTheRange) {
    EXPECT_EQ(Currency::FromDouble(1.23456).Value, 12346);
    EXPECT_EQ(Currency::FromDouble(-1.23456).Value, -12346);
    EXPECT_EQ(Currency::FromInt64(-3).Value, -30000);
    EXPECT_THROW(Currency::FromDouble(1e15), EConvertError);
    EXPECT_THROW(Currency::FromDouble(std::numeric_limits<double>::quiet_NaN()), EConvertError);
    EXPECT_THROW(Currency::FromInt64(922337203685478), EConvertError);
    const Currency max = Currency::FromScaled(std::numeric_limits<Int64>::max());
    EXPECT_THROW(max + Currency::FromScaled(1), EConvertError);
    EXPECT_EQ((Currency::FromScaled(5) - Currency::FromScaled(7)).Value, -2);
    EXPECT_LT(Currency::FromScaled(-1), Currency{});
}

TEST(SQLTimeStamp, ConvertsToAndFromDateTime) {
    const TSQLTimeStamp stamp{2026, 12, 11, 10, 30, 15, 250};
    const TDateTime value = SQLTimeStampToDateTime(stamp);
    EXPECT_EQ(DateTimeToSQLTimeStamp(value), stamp);
    EXPECT_EQ(SQLTimeStampToDateTime(TSQLTimeStamp{}), 0);
    const TSQLTimeStamp early{1899, 12, 29, 6, 0, 0, 0};
    EXPECT_EQ(SQLTimeStampToDateTime(early), -1.25);
    EXPECT_EQ(DateTimeToSQLTimeStamp(-1.25), early);
    EXPECT_THROW(SQLTimeStampToDateTime(TSQLTimeStamp{2026, 2, 29, 0, 0, 0, 0}), EConvertError);
    EXPECT_THROW(SQLTimeStampToDateTime(TSQLTimeStamp{2026, 1, 1, 0, 0, 0, 1000}), EConvertError);
    EXPECT_THROW(DateTimeToSQLTimeStamp(1e9), EConvertError);
    EXPECT_LT(SQLTimeStampCompare(TSQLTimeStamp{2026, 1, 1, 0, 0, 0, 1}, stamp), 0);
    EXPECT_EQ(SQLTimeStampCompare(stamp, stamp), 0);
}
