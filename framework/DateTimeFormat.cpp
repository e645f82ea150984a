// FormatDateTime: reads a pattern token by token (a token is a run of the same letter) and
// writes each from the decoded value. Rules kept from the framework the system was written
// against: a run of m right after an h token means minutes; "zz" is the milliseconds with at
// least two digits (a run of z gives that many digits, at most three); letters that are no
// token are written as they stand but still count as the letter before an m. Names of months
// and days come from the user's locale.
#include "framework/DateTime.h"

#include <windows.h>

#include <algorithm>

namespace {

struct TDateParts {
    Word Year = 0, Month = 0, Day = 0, Hour = 0, Min = 0, Sec = 0, MSec = 0;
    Integer DayOfWeek = 0; // 0 = Sunday
};

TDateParts Decode(TDateTime value) {
    TDateParts parts;
    DecodeDate(value, parts.Year, parts.Month, parts.Day);
    DecodeTime(value, parts.Hour, parts.Min, parts.Sec, parts.MSec);
    parts.DayOfWeek = DateTimeToTimeStamp(value).Date % 7;
    return parts;
}

wchar_t AsciiUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; }
bool IsAsciiLetter(wchar_t c) { return AsciiUpper(c) >= L'A' && AsciiUpper(c) <= L'Z'; }

UnicodeString Number(int value, int minDigits) {
    UnicodeString text = std::to_wstring(value);
    if (static_cast<int>(text.size()) < minDigits) text.insert(0, minDigits - text.size(), L'0');
    return text;
}

UnicodeString LocaleText(LCTYPE item) {
    wchar_t buffer[128];
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, item, buffer, 128);
    if (length == 0) RaiseLastOSError(L"GetLocaleInfoW");
    return UnicodeString(buffer, length - 1);
}

UnicodeString MonthName(Word month, bool full) {
    return LocaleText((full ? LOCALE_SMONTHNAME1 : LOCALE_SABBREVMONTHNAME1) + month - 1);
}

// The locale numbers the days from Monday (1) to Sunday (7).
UnicodeString DayName(Integer dayOfWeek, bool full) {
    const Integer fromMonday = (dayOfWeek + 6) % 7;
    return LocaleText((full ? LOCALE_SDAYNAME1 : LOCALE_SABBREVDAYNAME1) + fromMonday);
}

[[noreturn]] void RaiseUnsupported(const UnicodeString& token, const UnicodeString& pattern) {
    throw EConvertError(L"The date-time format '" + token + L"' in '" + pattern +
                        L"' is not supported");
}

size_t RunLength(const UnicodeString& pattern, size_t i) {
    size_t end = i;
    while (end < pattern.size() && AsciiUpper(pattern[end]) == AsciiUpper(pattern[i])) ++end;
    return end - i;
}

bool IsAmPm(const UnicodeString& pattern, size_t i) {
    for (const wchar_t* marker : {L"AM/PM", L"A/P", L"AMPM"}) {
        const UnicodeString candidate = pattern.substr(i, wcslen(marker));
        if (std::equal(candidate.begin(), candidate.end(), marker, marker + wcslen(marker),
                       [](wchar_t a, wchar_t b) { return AsciiUpper(a) == b; }))
            return true;
    }
    return false;
}

UnicodeString DateToken(wchar_t token, int count, const TDateParts& parts) {
    switch (token) {
    case L'Y': return count <= 2 ? Number(parts.Year % 100, 2) : Number(parts.Year, 4);
    case L'M': return count <= 2 ? Number(parts.Month, count) : MonthName(parts.Month, count > 3);
    default: return count <= 2 ? Number(parts.Day, count) : DayName(parts.DayOfWeek, count > 3);
    }
}

UnicodeString TimeToken(wchar_t token, int count, const TDateParts& parts) {
    switch (token) {
    case L'H': return Number(parts.Hour, std::min(count, 2));
    case L'N': return Number(parts.Min, std::min(count, 2));
    case L'S': return Number(parts.Sec, std::min(count, 2));
    default: return Number(parts.MSec, std::min(count, 3));
    }
}

// The text of the token of `count` letters at `i`; `last` is the letter token before it.
UnicodeString TokenText(const UnicodeString& pattern, size_t i, int count, wchar_t& last,
                        const TDateParts& parts) {
    wchar_t token = AsciiUpper(pattern[i]);
    if (token == L'M' && last == L'H') token = L'N';
    last = token;
    const UnicodeString run = pattern.substr(i, count);
    const bool localeFormat = token == L'C' || token == L'T' || (token == L'D' && count > 4) ||
                              (token == L'A' && IsAmPm(pattern, i));
    if (localeFormat) RaiseUnsupported(run, pattern);
    if (token == L'Y' || token == L'M' || token == L'D') return DateToken(token, count, parts);
    if (token == L'H' || token == L'N' || token == L'S' || token == L'Z')
        return TimeToken(token, count, parts);
    return run;
}

} // namespace

UnicodeString FormatDateTime(const UnicodeString& pattern, TDateTime value) {
    const TDateParts parts = Decode(value);
    UnicodeString result;
    wchar_t last = 0;
    size_t i = 0;
    while (i < pattern.size()) {
        const wchar_t c = pattern[i];
        if (c == L'\'' || c == L'"') {
            // An unclosed quote runs to the end of the pattern.
            const size_t close = std::min(pattern.find(c, i + 1), pattern.size());
            result.append(pattern, i + 1, close - i - 1);
            i = close + 1;
        } else if (IsAsciiLetter(c)) {
            const size_t count = RunLength(pattern, i);
            result += TokenText(pattern, i, static_cast<int>(count), last, parts);
            i += count;
        } else {
            result += c;
            ++i;
        }
    }
    return result;
}

UnicodeString DateTimeToStr(TDateTime value) {
    const bool midnight = DateTimeToTimeStamp(value).Time == 0;
    return FormatDateTime(midnight ? L"yyyy-mm-dd" : L"yyyy-mm-dd hh:nn:ss", value);
}
