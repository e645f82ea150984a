#include "framework/FormatSettings.h"

#include "framework/Conversions.h"
#include "framework/SQLTimSt.h"
#include "framework/TextEncoding.h"
#include "framework/Variants.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// The invariant settings with a German-like layout: comma decimals, dotted dates, 24-hour time.
TFormatSettings CommaSettings() {
    TFormatSettings s;
    s.DecimalSeparator = L',';
    s.ThousandSeparator = L'.';
    s.DateSeparator = L'.';
    s.ShortDateFormat = L"dd/mm/yyyy";
    s.LongTimeFormat = L"hh:nn:ss";
    s.ShortTimeFormat = L"hh:nn";
    return s;
}

struct TPatternCase {
    const wchar_t* Pattern;
    const wchar_t* Expected;
};

std::string U8(const UnicodeString& text) { return UnicodeToUtf8(text); }

} // namespace

TEST(FormatSettings, FormatDateTimeExpandsTheLocaleForms) {
    const TFormatSettings us; // invariant: mm/dd/yyyy, hh:nn:ss
    const TDateTime value = EncodeDate(2026, 3, 1) + EncodeTime(17, 5, 9, 42);
    const TPatternCase cases[] = {
        {L"c", L"03/01/2026 17:05:09"},
        {L"ddddd", L"03/01/2026"},
        {L"dddddd", L"Sunday, March 1, 2026"},
        {L"t", L"17:05"},
        {L"tt", L"17:05:09"},
        {L"h:nn am/pm", L"5:05 pm"},
        {L"hh:mm AM/PM", L"05:05 PM"},
        {L"h a/p", L"5 p"},
        {L"h ampm", L"5 PM"},
        {L"ddd d mmm yy", L"Sun 1 Mar 26"},
        {L"yyyy/mm/dd", L"2026/03/01"},
        {L"'at' hh:nn:ss.zzz", L"at 17:05:09.042"},
        {L"\"m\"m", L"m3"},
        {L"dd-mm-yyyy", L"01-03-2026"},
    };
    for (const TPatternCase& c : cases)
        EXPECT_EQ(U8(FormatDateTime(c.Pattern, value, us)), U8(c.Expected)) << U8(c.Pattern);
    EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 3, 1), us), L"03/01/2026"); // midnight: date only
    const TFormatSettings comma = CommaSettings();
    EXPECT_EQ(DateTimeToStr(value, comma), L"01.03.2026 17:05:09");
    EXPECT_EQ(DateToStr(value, comma), L"01.03.2026");
    EXPECT_EQ(TimeToStr(value, comma), L"17:05:09");
}

TEST(FormatSettings, DatesAreReadInTheLocalesOrder) {
    const TFormatSettings us;
    const TFormatSettings comma = CommaSettings();
    TFormatSettings ymd;
    ymd.ShortDateFormat = L"yyyy/mm/dd";
    ymd.DateSeparator = L'-';
    EXPECT_EQ(StrToDate(L"03/01/2026", us), EncodeDate(2026, 3, 1));
    EXPECT_EQ(StrToDate(L" 1.3.2026 ", comma), EncodeDate(2026, 3, 1));
    EXPECT_EQ(StrToDate(L"2026-3-1", ymd), EncodeDate(2026, 3, 1));
    EXPECT_THROW(StrToDate(L"1/3/2026", comma), EConvertError); // wrong separator
    EXPECT_THROW(StrToDate(L"31.02.2026", comma), EConvertError);
    EXPECT_THROW(StrToDate(L"1.3.2026x", comma), EConvertError);
    TDateTime value;
    EXPECT_FALSE(TryStrToDate(L"", value, us));
    // Two-digit years fall in the hundred years that start 50 years before this one.
    Word thisYear, year, month, day;
    DecodeDate(Date(), thisYear, month, day);
    DecodeDate(StrToDate(L"1/1/" + IntToStr((thisYear + 1) % 100), us), year, month, day);
    EXPECT_EQ(year, thisYear + 1);
    DecodeDate(StrToDate(L"1/1/" + IntToStr((thisYear - 49) % 100), us), year, month, day);
    EXPECT_EQ(year, thisYear - 49);
    DecodeDate(StrToDate(L"1/1/" + IntToStr((thisYear - 51) % 100), us), year, month, day);
    EXPECT_EQ(year, thisYear + 49);
    // Without a year: this year.
    DecodeDate(StrToDate(L"2.3", comma), year, month, day);
    EXPECT_EQ(year, thisYear);
    EXPECT_EQ(month, 3);
    EXPECT_EQ(day, 2);
}

TEST(FormatSettings, TimesAndDateTimesAreRead) {
    const TFormatSettings us;
    const TFormatSettings comma = CommaSettings();
    EXPECT_EQ(StrToTime(L"17:05", us), EncodeTime(17, 5, 0, 0));
    EXPECT_EQ(StrToTime(L"5:05:09 pm", us), EncodeTime(17, 5, 9, 0));
    EXPECT_EQ(StrToTime(L"12:00 AM", us), EncodeTime(0, 0, 0, 0));
    EXPECT_EQ(StrToTime(L"17:05:09,5", comma), EncodeTime(17, 5, 9, 500));
    EXPECT_THROW(StrToTime(L"13:00 PM", us), EConvertError);
    EXPECT_THROW(StrToTime(L"24:00", us), EConvertError);
    EXPECT_THROW(StrToTime(L"17", us), EConvertError);
    EXPECT_EQ(StrToDateTime(L"01.03.2026 17:05:09", comma),
              EncodeDate(2026, 3, 1) + EncodeTime(17, 5, 9, 0));
    EXPECT_EQ(StrToDateTime(L"03/01/2026", us), EncodeDate(2026, 3, 1));
    EXPECT_EQ(StrToDateTime(L"10:30", us), EncodeTime(10, 30, 0, 0));
    EXPECT_THROW(StrToDateTime(L"03/01/2026 noon", us), EConvertError);
    // A stamp is read and written through the same texts.
    const TSQLTimeStamp stamp = StrToSQLTimeStamp(L"01.03.2026 17:05:09", comma);
    EXPECT_EQ(stamp, (TSQLTimeStamp{2026, 3, 1, 17, 5, 9, 0}));
    EXPECT_EQ(SQLTimeStampToStr(L"", stamp, comma), L"01.03.2026 17:05:09");
}

TEST(FormatSettings, NumbersAndMoneyUseTheDecimalSeparator) {
    const TFormatSettings comma = CommaSettings();
    EXPECT_EQ(FloatToStr(-1.25, comma), L"-1,25");
    EXPECT_EQ(StrToFloat(L"1,5", comma), 1.5);
    double value;
    EXPECT_FALSE(TryStrToFloat(L"1.5", value, comma));
    EXPECT_EQ(CurrToStr(Currency::FromScaled(-123450), comma), L"-12,345");
    EXPECT_EQ(CurrToStr(Currency::FromScaled(30000), TFormatSettings{}), L"3");
    EXPECT_EQ(StrToCurr(L"12,34567", comma).Value, 123457);
    EXPECT_EQ(StrToCurr(L"0.1", TFormatSettings{}).Value, 1000); // exact, no binary rounding
    EXPECT_THROW(StrToCurr(L"1e20", TFormatSettings{}), EConvertError);
    EXPECT_THROW(StrToCurr(L"x", TFormatSettings{}), EConvertError);
}

// Run by the framework_locale_* ctest entries, which start the program under a known locale
// and name it in LOCALE_TEST_EXPECT ("us" or "comma").
class LocaleTexts : public ::testing::Test {
protected:
    void SetUp() override {
        const char* expect = std::getenv("LOCALE_TEST_EXPECT");
        if (!expect) GTEST_SKIP() << "run by the framework_locale_* entries";
        Expect = expect;
    }
    std::string Expect;
};

TEST_F(LocaleTexts, SettingsComeFromTheUsersLocale) {
    const TFormatSettings& s = FormatSettings();
    const TDateTime value = EncodeDate(2026, 3, 1) + EncodeTime(17, 5, 9, 0);
    if (Expect == "us") {
        EXPECT_EQ(s.DecimalSeparator, L'.');
        EXPECT_EQ(s.DateSeparator, L'/');
        EXPECT_EQ(U8(s.ShortDateFormat), "m/d/yyyy");
        EXPECT_EQ(U8(s.LongTimeFormat), "h:nn:ss ampm");
        EXPECT_EQ(U8(DateTimeToStr(value, s)), "3/1/2026 5:05:09 PM");
        EXPECT_EQ(U8(s.LongMonthNames[2]), "March");
    } else {
        ASSERT_EQ(Expect, "comma");
        EXPECT_EQ(s.DecimalSeparator, L',');
        EXPECT_EQ(s.DateSeparator, L'.');
        // The day comes first; the hour is on the 24-hour clock.
        EXPECT_EQ(s.ShortDateFormat.find(L'd'), 0u);
        EXPECT_EQ(U8(FormatDateTime(L"tt", value, s)), "17:05:09");
        EXPECT_EQ(U8(s.LongMonthNames[2]), "M\xC3\xA4rz");
    }
    // Whatever the locale, its own texts read back.
    EXPECT_EQ(StrToDateTime(DateTimeToStr(value, s), s), value);
    EXPECT_EQ(StrToFloat(FloatToStr(-2.75, s), s), -2.75);
}

TEST_F(LocaleTexts, VariantTextConversionsFollowTheLocale) {
    const wchar_t* half = Expect == "us" ? L"1.5" : L"1,5";
    const wchar_t* other = Expect == "us" ? L"1,5" : L"1.5";
    EXPECT_EQ(Variant(half).AsDouble(), 1.5);
    EXPECT_EQ(Variant(1.5).AsString(), half);
    EXPECT_EQ(Variant(Currency::FromScaled(15000)).AsString(), half);
    EXPECT_EQ(Variant(StrToBcd(L"1.5")).AsString(), half);
    EXPECT_EQ(VarCompareValue(Variant(half), Variant(1.5)), vrEqual);
    EXPECT_THROW(Variant(other).AsDouble(), EVariantTypeCastError);
    const TDateTime value = EncodeDate(2026, 3, 1);
    EXPECT_EQ(Variant(DateToStr(value, FormatSettings())).AsDate(), value);
}
