// Dates and times of the class library.
//
// `TDateTime` is a double: the whole part counts days since 1899-12-30, the fraction is the time
// of day. Before that day the whole part is negative and the fraction still adds time
// (-1.25 is 1899-12-29 06:00). It is what the system stores (8 binary bytes) and subtracts to get
// durations. `TTimeStamp` is the exact form: milliseconds since midnight and days since
// 0001-01-01 plus one. Years run from 1 to 9999; an invalid date or time raises EConvertError.
//
// FormatDateTime patterns (letters in either case):
//   yy  two-digit year          yyyy (or yyy)  four-digit year
//   m   month                   mm  month, two digits       mmm/mmmm  locale month name
//   d   day                     dd  day, two digits         ddd/dddd  locale day name
//   h   hour                    hh  hour, two digits
//   n   minute                  nn  minute, two digits      (m/mm right after h/hh: minutes)
//   s   second                  ss  second, two digits
//   z   milliseconds            zz  at least two digits     zzz  three digits
//   '...' and "..."  written as they stand; any other character is written as it is.
// The locale's compound formats (c, t, ddddd, am/pm...) are not supported and raise
// EConvertError: the system formats dates with fixed patterns.
#pragma once

#include "framework/Exceptions.h"
#include "framework/System.h"

struct _SYSTEMTIME; // SYSTEMTIME, without windows.h

using TDateTime = double;

inline constexpr Integer HoursPerDay = 24;
inline constexpr Integer MinsPerHour = 60;
inline constexpr Integer SecsPerMin = 60;
inline constexpr Integer MSecsPerSec = 1000;
inline constexpr Integer SecsPerDay = HoursPerDay * MinsPerHour * SecsPerMin;
inline constexpr Integer MSecsPerDay = SecsPerDay * MSecsPerSec;
// TTimeStamp.Date of 1899-12-30, the day TDateTime counts from.
inline constexpr Integer DateDelta = 693594;

struct TTimeStamp {
    Integer Time = 0; // milliseconds since midnight
    Integer Date = 0; // days since 0001-01-01, plus one
};

// The local date and time, the date alone (time 00:00) and the time alone (date 0).
TDateTime Now();
TDateTime Date();
TDateTime Time();

bool IsLeapYear(Word year);
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& value);
// EConvertError "Invalid argument to date encode" for a day that does not exist.
TDateTime EncodeDate(Word year, Word month, Word day);
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& value);
// EConvertError "Invalid argument to time encode" unless hour < 24, min < 60, sec < 60 and
// msec < 1000.
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
// The parts of a value, to the nearest millisecond (23:59:59.9996 is the next day's midnight).
// A date before 0001-01-01 decodes as all zeros.
void DecodeDate(TDateTime value, Word& year, Word& month, Word& day);
void DecodeTime(TDateTime value, Word& hour, Word& min, Word& sec, Word& msec);

TTimeStamp DateTimeToTimeStamp(TDateTime value);
// EConvertError for a time outside one day or a date below 1.
TDateTime TimeStampToDateTime(const TTimeStamp& stamp);
void DateTimeToSystemTime(TDateTime value, _SYSTEMTIME& systemTime);
TDateTime SystemTimeToDateTime(const _SYSTEMTIME& systemTime);

TDateTime IncSecond(TDateTime value, Int64 seconds = 1);
// Whole seconds between the two, whichever comes first.
Int64 SecondsBetween(TDateTime a, TDateTime b);

UnicodeString FormatDateTime(const UnicodeString& pattern, TDateTime value);
// "yyyy-mm-dd hh:nn:ss", or "yyyy-mm-dd" when the time is exactly midnight.
UnicodeString DateTimeToStr(TDateTime value);
