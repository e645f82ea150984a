#include "framework/DateTime.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

struct TDateCase {
    Word Year, Month, Day;
    double Expected;
};

struct TPatternCase {
    const wchar_t* Pattern;
    const wchar_t* Expected;
};

// 2026-03-04 (a Wednesday) 05:06:07.089
TDateTime Sample(Word msec = 89) { return EncodeDate(2026, 3, 4) + EncodeTime(5, 6, 7, msec); }

void ExpectDate(TDateTime value, Word year, Word month, Word day) {
    Word y = 0, m = 0, d = 0;
    DecodeDate(value, y, m, d);
    EXPECT_EQ(y, year);
    EXPECT_EQ(m, month);
    EXPECT_EQ(d, day);
}

void ExpectTime(TDateTime value, Word hour, Word min, Word sec, Word msec) {
    Word h = 0, n = 0, s = 0, z = 0;
    DecodeTime(value, h, n, s, z);
    EXPECT_EQ(h, hour);
    EXPECT_EQ(n, min);
    EXPECT_EQ(s, sec);
    EXPECT_EQ(z, msec);
}

// A calendar that steps one day at a time: slow, but plainly right.
struct TCalendarDay {
    int Year, Month, Day;

    void Advance() {
        static constexpr int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const bool leap = Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0);
        const int length = Month == 2 && leap ? 29 : Days[Month - 1];
        if (++Day <= length) return;
        Day = 1;
        if (++Month <= 12) return;
        Month = 1;
        ++Year;
    }
};

} // namespace

TEST(DateTime, EncodeDateCountsDaysFrom18991230) {
    const TDateCase cases[] = {
        {1899, 12, 30, 0},   {1900, 1, 1, 2},      {1970, 1, 1, 25569},
        {2000, 1, 1, 36526}, {2000, 2, 29, 36585}, {2000, 3, 1, 36586},
        {1899, 12, 29, -1},  {1, 1, 1, -693593},   {9999, 12, 31, 2958465},
    };
    for (const TDateCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Year << "-" << c.Month << "-" << c.Day);
        EXPECT_EQ(EncodeDate(c.Year, c.Month, c.Day), c.Expected);
    }
}

TEST(DateTime, InvalidDatesRaise) {
    const TDateCase cases[] = {
        {2001, 2, 29, 0}, {1900, 2, 29, 0}, {2100, 2, 29, 0}, {0, 1, 1, 0},     {10000, 1, 1, 0},
        {2000, 13, 1, 0}, {2000, 0, 1, 0},  {2000, 1, 0, 0},  {2000, 4, 31, 0}, {2000, 1, 32, 0},
    };
    for (const TDateCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Year << "-" << c.Month << "-" << c.Day);
        TDateTime value = 42;
        EXPECT_FALSE(TryEncodeDate(c.Year, c.Month, c.Day, value));
        EXPECT_EQ(value, 42);
        EXPECT_THROW(EncodeDate(c.Year, c.Month, c.Day), EConvertError);
    }
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2023));
}

TEST(DateTime, EveryDayAgreesWithACalendarModel) {
    TCalendarDay model{1, 1, 1};
    for (int day = -693593; day <= 2958465; ++day, model.Advance()) {
        Word year = 0, month = 0, dayOfMonth = 0;
        DecodeDate(day, year, month, dayOfMonth);
        ASSERT_EQ(year, model.Year) << "day " << day;
        ASSERT_EQ(month, model.Month) << "day " << day;
        ASSERT_EQ(dayOfMonth, model.Day) << "day " << day;
        TDateTime encoded = 0;
        ASSERT_TRUE(TryEncodeDate(model.Year, model.Month, model.Day, encoded)) << "day " << day;
        ASSERT_EQ(encoded, day);
    }
    EXPECT_EQ(model.Year, 10000); // the sweep covered every year
}

TEST(DateTime, EncodeAndDecodeTime) {
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
    ExpectTime(EncodeTime(23, 59, 59, 999), 23, 59, 59, 999);
    ExpectTime(EncodeTime(0, 0, 0, 1), 0, 0, 0, 1);
    const struct {
        Word Hour, Min, Sec, MSec;
    } cases[] = {{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Hour << ":" << c.Min << ":" << c.Sec << "." << c.MSec);
        TDateTime value = 42;
        EXPECT_FALSE(TryEncodeTime(c.Hour, c.Min, c.Sec, c.MSec, value));
        EXPECT_THROW(EncodeTime(c.Hour, c.Min, c.Sec, c.MSec), EConvertError);
    }
}

TEST(DateTime, DecodingRoundsToTheMillisecond) {
    const TDateTime lastMoment = EncodeDate(2026, 12, 31) + EncodeTime(23, 59, 59, 999);
    ExpectTime(lastMoment + 0.4 / MSecsPerDay, 23, 59, 59, 999);
    ExpectDate(lastMoment + 0.6 / MSecsPerDay, 2027, 1, 1);
    ExpectTime(lastMoment + 0.6 / MSecsPerDay, 0, 0, 0, 0);
}

TEST(DateTime, NegativeValuesKeepTheTimeMovingForward) {
    ExpectDate(-1.25, 1899, 12, 29);
    ExpectTime(-1.25, 6, 0, 0, 0);
    const TTimeStamp stamp = DateTimeToTimeStamp(-1.25);
    EXPECT_EQ(stamp.Date, DateDelta - 1);
    EXPECT_EQ(stamp.Time, 6 * 3600 * 1000);
    EXPECT_EQ(TimeStampToDateTime(stamp), -1.25);
}

TEST(DateTime, TimeStamps) {
    const TTimeStamp origin = DateTimeToTimeStamp(0);
    EXPECT_EQ(origin.Date, 693594);
    EXPECT_EQ(origin.Time, 0);
    EXPECT_EQ(DateTimeToTimeStamp(EncodeDate(1, 1, 1)).Date, 1);
    const TTimeStamp sample = DateTimeToTimeStamp(Sample());
    EXPECT_EQ(sample.Time, ((5 * 60 + 6) * 60 + 7) * 1000 + 89);
    EXPECT_EQ(TimeStampToDateTime(sample), Sample());
    for (const TTimeStamp& bad :
         {TTimeStamp{-1, 1}, TTimeStamp{MSecsPerDay, 1}, TTimeStamp{0, 0}}) {
        SCOPED_TRACE(testing::Message() << bad.Date << "." << bad.Time);
        EXPECT_THROW(TimeStampToDateTime(bad), EConvertError);
    }
}

TEST(DateTime, SystemTimeBothWays) {
    SYSTEMTIME st{};
    DateTimeToSystemTime(Sample(), st);
    EXPECT_EQ(st.wYear, 2026);
    EXPECT_EQ(st.wMonth, 3);
    EXPECT_EQ(st.wDay, 4);
    EXPECT_EQ(st.wDayOfWeek, 3); // Wednesday
    EXPECT_EQ(st.wHour, 5);
    EXPECT_EQ(st.wMinute, 6);
    EXPECT_EQ(st.wSecond, 7);
    EXPECT_EQ(st.wMilliseconds, 89);
    EXPECT_EQ(SystemTimeToDateTime(st), Sample());
    DateTimeToSystemTime(0, st);
    EXPECT_EQ(st.wDayOfWeek, 6); // 1899-12-30 was a Saturday
}

TEST(DateTime, NowLiesBetweenTwoReadingsOfTheClock) {
    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    const TDateTime now = Now();
    const TDateTime date = Date();
    const TDateTime time = Time();
    GetLocalTime(&after);
    EXPECT_LE(SystemTimeToDateTime(before), now);
    EXPECT_GE(SystemTimeToDateTime(after), now);
    EXPECT_EQ(date, static_cast<double>(static_cast<Int64>(date)));
    EXPECT_GE(time, 0.0);
    EXPECT_LT(time, 1.0);
}

// A time converted twice is the same number whether it was kept in a register or stored: with
// 80-bit x87 registers in the 32-bit build it was not, and a time read back from the clock
// compared unequal to itself.
TEST(DateTime, AConversionGivesTheSameNumberFreshOrStored) {
    SYSTEMTIME t{2026, 12, 5, 11, 6, 30, 0, 0};
    int differing = 0;
    for (WORD ms = 0; ms < 1000; ++ms) {
        t.wMilliseconds = ms;
        t.wSecond = static_cast<WORD>(ms % 60);
        volatile double stored = SystemTimeToDateTime(t);
        if (SystemTimeToDateTime(t) != stored) ++differing;
    }
    EXPECT_EQ(differing, 0);
}

TEST(DateTime, SecondsArithmetic) {
    const TDateTime lastSecond = EncodeDate(2026, 12, 31) + EncodeTime(23, 59, 59, 0);
    EXPECT_EQ(IncSecond(lastSecond), EncodeDate(2027, 1, 1));
    EXPECT_EQ(IncSecond(EncodeDate(2027, 1, 1), -1), lastSecond);
    EXPECT_EQ(IncSecond(EncodeDate(2000, 1, 1), 86400 * 2), EncodeDate(2000, 1, 3));
    EXPECT_EQ(SecondsBetween(lastSecond, EncodeDate(2027, 1, 1)), 1);
    EXPECT_EQ(SecondsBetween(EncodeDate(2027, 1, 1), lastSecond), 1);
    EXPECT_EQ(SecondsBetween(0, EncodeTime(0, 0, 1, 999)), 1); // whole seconds only
    EXPECT_EQ(SecondsBetween(EncodeDate(2000, 1, 1), EncodeDate(2000, 1, 2)), 86400);
}

TEST(DateTime, FormatDateTimePatterns) {
    const TPatternCase cases[] = {
        {L"mmddhnszz", L"030456789"},
        {L"yyyymmddhnszz", L"20260304567"
                           L"89"},
        {L"hh:nn:ss", L"05:06:07"},
        {L"yyyy-mm-dd hh:nn:ss", L"2026-03-04 05:06:07"},
        {L"YYYY-MM-DD HH:NN:SS", L"2026-03-04 05:06:07"},
        {L"yy/m/d", L"26/3/4"},
        {L"y", L"26"},
        {L"h:m", L"5:6"}, // m after h: minutes
        {L"hh:mm:ss", L"05:06:07"},
        {L"hxm", L"5x3"}, // a letter between: month again
        {L"h 'at' mm", L"5 at 06"},
        {L"z|zz|zzz|zzzz", L"89|89|089|089"},
        {L"'mm' \"dd\" mm", L"mm dd 03"},
        {L"'unclosed", L"unclosed"},
        {L"yyyy\u5E74m\u6708d\u65E5", L"2026\u5E743\u67084\u65E5"},
        {L"", L""},
    };
    for (const TPatternCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(UnicodeString(c.Pattern)));
        EXPECT_EQ(FormatDateTime(c.Pattern, Sample()), c.Expected);
    }
}

TEST(DateTime, MillisecondRunsPadToTheirLength) {
    EXPECT_EQ(FormatDateTime(L"mmddhnszz", Sample(9)), L"030456709");
    EXPECT_EQ(FormatDateTime(L"z zzz", Sample(9)), L"9 009");
    EXPECT_EQ(FormatDateTime(L"hnszz", EncodeTime(13, 45, 10, 123)), L"134510123");
}

TEST(DateTime, FormatDateTimeWrapsDurationsAfterADay) {
    EXPECT_EQ(FormatDateTime(L"hh:nn:ss", 1 + EncodeTime(1, 2, 3, 0)), L"01:02:03");
}

TEST(DateTime, MonthAndDayNamesComeFromTheLocale) {
    wchar_t month[64], day[64], shortDay[64];
    ASSERT_NE(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SMONTHNAME3, month, 64), 0);
    ASSERT_NE(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDAYNAME3, day, 64), 0); // Wednesday
    ASSERT_NE(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVDAYNAME3, shortDay, 64), 0);
    EXPECT_EQ(FormatDateTime(L"mmmm", Sample()), month);
    EXPECT_EQ(FormatDateTime(L"dddd", Sample()), day);
    EXPECT_EQ(FormatDateTime(L"ddd", Sample()), shortDay);
    const TDateTime sunday = EncodeDate(2026, 3, 8);
    EXPECT_EQ(FormatDateTime(L"dddd", sunday), FormatDateTime(L"dddd", EncodeDate(2026, 3, 1)));
    EXPECT_NE(FormatDateTime(L"dddd", sunday), day);
}

TEST(DateTime, LocaleCompoundFormatsRaise) {
    for (const wchar_t* pattern : {L"c", L"t", L"ddddd", L"hh am/pm", L"h a/p", L"ampm"}) {
        SCOPED_TRACE(testing::PrintToString(UnicodeString(pattern)));
        EXPECT_THROW(FormatDateTime(pattern, Sample()), EConvertError);
    }
    EXPECT_EQ(FormatDateTime(L"a", Sample()), L"a");
}

TEST(DateTime, DateTimeToStrOmitsMidnight) {
    EXPECT_EQ(DateTimeToStr(Sample()), L"2026-03-04 05:06:07");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 3, 4)), L"2026-03-04");
}
