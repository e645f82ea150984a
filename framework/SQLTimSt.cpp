// TSQLTimeStamp conversions: every conversion goes through TDateTime (via the exact TTimeStamp),
// so a stamp and the date-time it came from agree to the millisecond.
#include "framework/SQLTimSt.h"

#include "framework/FormatSettings.h"

namespace {

bool IsZeroStamp(const TSQLTimeStamp& value) { return value == TSQLTimeStamp{}; }

} // namespace

TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime value) {
    // 0001-01-01 00:00 to the end of 9999-12-31.
    if (!(value > -693594.0 && value < 2958466.0)) throw EConvertError(L"Invalid SQL time stamp");
    Word year, month, day, hour, minute, second, msec;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, second, msec);
    return TSQLTimeStamp{std::int16_t(year), month, day, hour, minute, second, msec};
}

bool IsSQLTimeStampValid(const TSQLTimeStamp& value) {
    TDateTime date;
    return IsZeroStamp(value) ||
           (value.Year > 0 && TryEncodeDate(Word(value.Year), value.Month, value.Day, date) &&
            value.Hour < 24 && value.Minute < 60 && value.Second < 60 && value.Fractions < 1000);
}

TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& value) {
    if (IsZeroStamp(value)) return 0;
    if (!IsSQLTimeStampValid(value)) throw EConvertError(L"Invalid SQL time stamp");
    TTimeStamp stamp;
    stamp.Date = DateTimeToTimeStamp(EncodeDate(Word(value.Year), value.Month, value.Day)).Date;
    stamp.Time =
        ((value.Hour * MinsPerHour + value.Minute) * SecsPerMin + value.Second) * MSecsPerSec +
        Integer(value.Fractions);
    return TimeStampToDateTime(stamp);
}

int SQLTimeStampCompare(const TSQLTimeStamp& a, const TSQLTimeStamp& b) {
    const Int64 fieldsA[] = {a.Year, a.Month, a.Day, a.Hour, a.Minute, a.Second, a.Fractions};
    const Int64 fieldsB[] = {b.Year, b.Month, b.Day, b.Hour, b.Minute, b.Second, b.Fractions};
    for (int i = 0; i < 7; ++i)
        if (fieldsA[i] != fieldsB[i]) return fieldsA[i] < fieldsB[i] ? -1 : 1;
    return 0;
}

UnicodeString SQLTimeStampToStr(const UnicodeString& pattern, const TSQLTimeStamp& value,
                                const TFormatSettings& settings) {
    return FormatDateTime(pattern.empty() ? UnicodeString(L"c") : pattern,
                          SQLTimeStampToDateTime(value), settings);
}

TSQLTimeStamp StrToSQLTimeStamp(const UnicodeString& text, const TFormatSettings& settings) {
    return DateTimeToSQLTimeStamp(StrToDateTime(text, settings));
}
