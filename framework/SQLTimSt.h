// `TSQLTimeStamp`: the 16-byte date-time record that databases exchange (year, month, day,
// hour, minute, second as 16-bit fields, then milliseconds as a 32-bit field), with its
// conversions to and from `TDateTime` and text. A record that names no real date-time
// (month 13, 25 o'clock, 1000 ms or more) raises EConvertError "Invalid SQL time stamp"
// when converted; the all-zero record is the "no value" stamp and converts to 0
// (1899-12-30 00:00).
#pragma once

#include "framework/DateTime.h"
#include "framework/System.h"

struct TFormatSettings;

struct TSQLTimeStamp {
    std::int16_t Year = 0;
    Word Month = 0;
    Word Day = 0;
    Word Hour = 0;
    Word Minute = 0;
    Word Second = 0;
    LongWord Fractions = 0; // milliseconds
};
static_assert(sizeof(TSQLTimeStamp) == 16);

inline bool operator==(const TSQLTimeStamp& a, const TSQLTimeStamp& b) {
    return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day && a.Hour == b.Hour &&
           a.Minute == b.Minute && a.Second == b.Second && a.Fractions == b.Fractions;
}

TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime value);
TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& value);
bool IsSQLTimeStampValid(const TSQLTimeStamp& value);
// Ordering by the fields, year first; negative, zero or positive.
int SQLTimeStampCompare(const TSQLTimeStamp& a, const TSQLTimeStamp& b);

// The text of the stamp's date-time by a FormatDateTime pattern; an empty pattern writes the
// settings' short date and long time ("c").
UnicodeString SQLTimeStampToStr(const UnicodeString& pattern, const TSQLTimeStamp& value,
                                const TFormatSettings& settings);
// Reads a date-time text as StrToDateTime does.
TSQLTimeStamp StrToSQLTimeStamp(const UnicodeString& text, const TFormatSettings& settings);
