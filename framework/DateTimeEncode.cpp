// Encoding and decoding of TDateTime: calendar arithmetic on the proleptic Gregorian calendar
// (years 1 to 9999), the exact TTimeStamp form, SYSTEMTIME and the clock. Every conversion to
// parts goes through DateTimeToTimeStamp, so that all of them round to the same millisecond.
#include "framework/DateTime.h"

#include "framework/Conversions.h"

#include <windows.h>

#include <cstdlib>

namespace {

constexpr int DaysPer400Years = 146097;
constexpr int DaysPer100Years = 36524;
constexpr int DaysPer4Years = 1461;
constexpr int DaysPerYear = 365;

int DaysInMonth(Word year, Word month) {
    static constexpr int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

// Day number of a valid date, 0001-01-01 being day 1.
int DayNumber(Word year, Word month, Word day) {
    int days = day;
    for (Word m = 1; m < month; ++m) days += DaysInMonth(year, m);
    const int y = year - 1;
    return y * DaysPerYear + y / 4 - y / 100 + y / 400 + days;
}

// Takes whole periods off the days of a 400-year cycle. The last period of its kind in a cycle
// is one day longer (it ends on a leap day), which `cap` keeps from counting as a further period.
int TakePeriods(int& days, int periodLength, int cap) {
    int periods = days / periodLength;
    if (periods > cap) periods = cap;
    days -= periods * periodLength;
    return periods;
}

void DayNumberToDate(int dayNumber, Word& year, Word& month, Word& day) {
    int days = (dayNumber - 1) % DaysPer400Years;
    int y = 1 + 400 * ((dayNumber - 1) / DaysPer400Years);
    y += 100 * TakePeriods(days, DaysPer100Years, 3);
    y += 4 * TakePeriods(days, DaysPer4Years, 24);
    y += TakePeriods(days, DaysPerYear, 3);
    year = static_cast<Word>(y);
    month = 1;
    while (days >= DaysInMonth(year, month)) days -= DaysInMonth(year, month++);
    day = static_cast<Word>(days + 1);
}

Int64 DateTimeToMilliseconds(TDateTime value) {
    const TTimeStamp stamp = DateTimeToTimeStamp(value);
    return static_cast<Int64>(stamp.Date) * MSecsPerDay + stamp.Time;
}

TDateTime MillisecondsToDateTime(Int64 milliseconds) {
    TTimeStamp stamp;
    stamp.Date = static_cast<Integer>(milliseconds / MSecsPerDay);
    stamp.Time = static_cast<Integer>(milliseconds % MSecsPerDay);
    return TimeStampToDateTime(stamp);
}

} // namespace

bool IsLeapYear(Word year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& value) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month))
        return false;
    value = DayNumber(year, month, day) - DateDelta;
    return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
    TDateTime value = 0;
    if (!TryEncodeDate(year, month, day, value))
        throw EConvertError(L"Invalid argument to date encode");
    return value;
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& value) {
    if (hour >= HoursPerDay || min >= MinsPerHour || sec >= SecsPerMin || msec >= MSecsPerSec)
        return false;
    const Integer milliseconds =
        ((hour * MinsPerHour + min) * SecsPerMin + sec) * MSecsPerSec + msec;
    value = static_cast<double>(milliseconds) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
    TDateTime value = 0;
    if (!TryEncodeTime(hour, min, sec, msec, value))
        throw EConvertError(L"Invalid argument to time encode");
    return value;
}

void DecodeDate(TDateTime value, Word& year, Word& month, Word& day) {
    const Integer date = DateTimeToTimeStamp(value).Date;
    if (date <= 0) {
        year = month = day = 0;
        return;
    }
    DayNumberToDate(date, year, month, day);
}

void DecodeTime(TDateTime value, Word& hour, Word& min, Word& sec, Word& msec) {
    Integer time = DateTimeToTimeStamp(value).Time;
    msec = static_cast<Word>(time % MSecsPerSec);
    time /= MSecsPerSec;
    sec = static_cast<Word>(time % SecsPerMin);
    time /= SecsPerMin;
    min = static_cast<Word>(time % MinsPerHour);
    hour = static_cast<Word>(time / MinsPerHour);
}

TTimeStamp DateTimeToTimeStamp(TDateTime value) {
    const Int64 milliseconds = Round(value * MSecsPerDay);
    TTimeStamp stamp;
    stamp.Date = DateDelta + static_cast<Integer>(milliseconds / MSecsPerDay);
    stamp.Time = static_cast<Integer>(std::llabs(milliseconds) % MSecsPerDay);
    return stamp;
}

TDateTime TimeStampToDateTime(const TTimeStamp& stamp) {
    if (stamp.Time < 0 || stamp.Time >= MSecsPerDay || stamp.Date <= 0)
        throw EConvertError(L"'" + IntToStr(stamp.Date) + L"." + IntToStr(stamp.Time) +
                            L"' is not a valid timestamp");
    const double days = stamp.Date - DateDelta;
    const double time = static_cast<double>(stamp.Time) / MSecsPerDay;
    // Before 1899-12-30 the whole part is negative and the time still moves forward.
    return days < 0 ? days - time : days + time;
}

void DateTimeToSystemTime(TDateTime value, SYSTEMTIME& systemTime) {
    DecodeDate(value, systemTime.wYear, systemTime.wMonth, systemTime.wDay);
    DecodeTime(value, systemTime.wHour, systemTime.wMinute, systemTime.wSecond,
               systemTime.wMilliseconds);
    // Day 1 (0001-01-01) was a Monday; SYSTEMTIME counts from Sunday = 0.
    systemTime.wDayOfWeek = static_cast<Word>(DateTimeToTimeStamp(value).Date % 7);
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& systemTime) {
    return EncodeDate(systemTime.wYear, systemTime.wMonth, systemTime.wDay) +
           EncodeTime(systemTime.wHour, systemTime.wMinute, systemTime.wSecond,
                      systemTime.wMilliseconds);
}

TDateTime Now() {
    SYSTEMTIME systemTime;
    GetLocalTime(&systemTime);
    return SystemTimeToDateTime(systemTime);
}

TDateTime Date() { return static_cast<double>(Trunc(Now())); }

TDateTime Time() {
    const TDateTime now = Now();
    return now - static_cast<double>(Trunc(now));
}

TDateTime IncSecond(TDateTime value, Int64 seconds) {
    return MillisecondsToDateTime(DateTimeToMilliseconds(value) + seconds * MSecsPerSec);
}

Int64 SecondsBetween(TDateTime a, TDateTime b) {
    return std::llabs(DateTimeToMilliseconds(a) - DateTimeToMilliseconds(b)) / MSecsPerSec;
}
