// `TFormatSettings`: the separators, date and time patterns and names with which numbers,
// money and dates are shown to the user and read back from the user, and the conversions that
// take them. The rest of the library writes numbers with '.' whatever the locale
// (framework/Conversions.h); these routines are for what the user sees and types, and for the
// variant conversions, which follow the user's locale.
//
// `TFormatSettings::Create()` reads the user's locale (GetLocaleInfoW, LOCALE_USER_DEFAULT);
// `FormatSettings()` is that set, read once on first use. A default-constructed set is the
// invariant one: '.' decimals, ',' thousands, "MM/dd/yyyy"-like patterns with '/' and ':' and
// English names; callers that need "an empty set with only the named separators" start from it
// and set those.
//
// Patterns are FormatDateTime's (framework/DateTime.h) plus the locale forms:
//   c        ShortDateFormat, then LongTimeFormat unless the time is midnight
//   ddddd    ShortDateFormat          dddddd  LongDateFormat
//   t        ShortTimeFormat          tt      LongTimeFormat
//   /        DateSeparator            :       TimeSeparator
//   am/pm    "am" or "pm", 12-hour clock (AM/PM upper case; a/p and A/P one letter)
//   ampm     TimeAMString or TimePMString, 12-hour clock
// The locale's own patterns ("dd.MM.yyyy", "H:mm:ss", "h:mm tt") are translated into these on
// reading (M → m, H → h, m after an hour → n, tt → ampm; the locale's separators become / and :).
#pragma once

#include "framework/Currency.h"
#include "framework/DateTime.h"
#include "framework/System.h"

struct TFormatSettings {
    wchar_t DecimalSeparator = L'.';
    wchar_t ThousandSeparator = L',';
    wchar_t DateSeparator = L'/';
    wchar_t TimeSeparator = L':';
    wchar_t ListSeparator = L',';
    UnicodeString CurrencyString = L"$";
    Byte CurrencyFormat = 0; // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    Byte NegCurrFormat = 0;  // the locale's negative money order (kept, not interpreted)
    Byte CurrencyDecimals = 2;
    UnicodeString ShortDateFormat = L"mm/dd/yyyy";
    UnicodeString LongDateFormat = L"dddd, mmmm d, yyyy";
    UnicodeString ShortTimeFormat = L"hh:nn";
    UnicodeString LongTimeFormat = L"hh:nn:ss";
    UnicodeString TimeAMString = L"AM";
    UnicodeString TimePMString = L"PM";
    UnicodeString ShortMonthNames[12] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                         L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
    UnicodeString LongMonthNames[12] = {L"January",   L"February", L"March",    L"April",
                                        L"May",       L"June",     L"July",     L"August",
                                        L"September", L"October",  L"November", L"December"};
    UnicodeString ShortDayNames[7] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
    UnicodeString LongDayNames[7] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                     L"Thursday", L"Friday", L"Saturday"};
    // A two-digit year reads as the year in the hundred years that start this many years
    // before the current one (0: the current century).
    Word TwoDigitYearCenturyWindow = 50;

    // The user's locale, read now.
    static TFormatSettings Create();
};

// The user's locale, read once, on first use.
const TFormatSettings& FormatSettings();

// ---- Numbers and money -------------------------------------------------------------------------

// The shortest text that reads back to the same double, with the settings' decimal separator.
UnicodeString FloatToStr(double value, const TFormatSettings& settings);
// As StrToFloat (framework/Conversions.h) with the settings' decimal separator in place of '.'.
double StrToFloat(const UnicodeString& text, const TFormatSettings& settings);
bool TryStrToFloat(const UnicodeString& text, double& value, const TFormatSettings& settings);

// "12.5", "-0.0001", "3": the shortest exact text, with the settings' decimal separator.
UnicodeString CurrToStr(Currency value, const TFormatSettings& settings);
// Exact decimal reading (no binary rounding): more than four places round halves away from
// zero. EConvertError "'<text>' is not a valid currency value" otherwise or out of range.
Currency StrToCurr(const UnicodeString& text, const TFormatSettings& settings);
bool TryStrToCurr(const UnicodeString& text, Currency& value, const TFormatSettings& settings);

// ---- Dates and times ---------------------------------------------------------------------------

UnicodeString FormatDateTime(const UnicodeString& pattern, TDateTime value,
                             const TFormatSettings& settings);
// ShortDateFormat; LongTimeFormat; "c".
UnicodeString DateToStr(TDateTime value, const TFormatSettings& settings);
UnicodeString TimeToStr(TDateTime value, const TFormatSettings& settings);
UnicodeString DateTimeToStr(TDateTime value, const TFormatSettings& settings);

// Dates are read in the order of ShortDateFormat's day, month and year with DateSeparator
// between them; the year may be left out (this year) or have two digits (within the century
// window). Times are hour, minute, optional second and optional millisecond with TimeSeparator
// (and the decimal separator before the milliseconds), then an optional AM/PM text. A date-time
// is a date, blanks, then a time. EConvertError "'<text>' is not a valid date" / "... time" /
// "... date and time" otherwise.
TDateTime StrToDate(const UnicodeString& text, const TFormatSettings& settings);
TDateTime StrToTime(const UnicodeString& text, const TFormatSettings& settings);
TDateTime StrToDateTime(const UnicodeString& text, const TFormatSettings& settings);
bool TryStrToDate(const UnicodeString& text, TDateTime& value, const TFormatSettings& settings);
bool TryStrToTime(const UnicodeString& text, TDateTime& value, const TFormatSettings& settings);
bool TryStrToDateTime(const UnicodeString& text, TDateTime& value, const TFormatSettings& settings);
