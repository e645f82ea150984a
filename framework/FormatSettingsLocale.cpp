// Reading the user's locale into TFormatSettings. The locale's date and time patterns use the
// system's letters (M for month, H for the 24-hour clock, tt for AM/PM); they are translated
// into FormatDateTime's letters here, once, so that formatting and parsing know only one set.
#include "framework/FormatSettings.h"

#include "framework/Conversions.h"

#include <windows.h>

#include <algorithm>

namespace {

UnicodeString LocaleText(LCTYPE type, const UnicodeString& fallback) {
    wchar_t buffer[256];
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 256);
    return length > 1 ? UnicodeString(buffer, std::size_t(length - 1)) : fallback;
}

wchar_t LocaleChar(LCTYPE type, wchar_t fallback) {
    const UnicodeString text = LocaleText(type, {});
    return text.empty() ? fallback : text[0];
}

Byte LocaleNumber(LCTYPE type, Byte fallback) {
    return Byte(StrToIntDef(LocaleText(type, {}), fallback));
}

// The length of the run of equal characters that starts at `i`.
std::size_t RunLength(const UnicodeString& pattern, std::size_t i) {
    std::size_t n = 1;
    while (i + n < pattern.size() && pattern[i + n] == pattern[i]) ++n;
    return n;
}

// The system's pattern letters → FormatDateTime's; the separators become '/' and ':'.
UnicodeString TranslatePattern(const UnicodeString& pattern, wchar_t dateSeparator,
                               wchar_t timeSeparator) {
    UnicodeString result;
    for (std::size_t i = 0; i < pattern.size();) {
        const wchar_t c = pattern[i];
        const std::size_t n = RunLength(pattern, i);
        if (c == L'\'') {
            const std::size_t close = pattern.find(L'\'', i + 1);
            const std::size_t end = close == UnicodeString::npos ? pattern.size() : close + 1;
            result += pattern.substr(i, end - i);
            i = end;
            continue;
        }
        switch (c) {
        case L'M': result += UnicodeString(n, L'm'); break;
        case L'H':
        case L'h': result += UnicodeString(std::min<std::size_t>(n, 2), L'h'); break;
        case L'm': result += UnicodeString(std::min<std::size_t>(n, 2), L'n'); break;
        case L'y': result += n <= 2 ? L"yy" : L"yyyy"; break;
        case L't': result += L"ampm"; break;
        case L'g': break; // the era is not shown
        default:
            for (std::size_t k = 0; k < n; ++k)
                result += c == dateSeparator ? L'/' : c == timeSeparator ? L':' : c;
        }
        i += n;
    }
    return result;
}

} // namespace

TFormatSettings TFormatSettings::Create() {
    TFormatSettings s;
    s.DecimalSeparator = LocaleChar(LOCALE_SDECIMAL, s.DecimalSeparator);
    s.ThousandSeparator = LocaleChar(LOCALE_STHOUSAND, s.ThousandSeparator);
    s.DateSeparator = LocaleChar(LOCALE_SDATE, s.DateSeparator);
    s.TimeSeparator = LocaleChar(LOCALE_STIME, s.TimeSeparator);
    s.ListSeparator = LocaleChar(LOCALE_SLIST, s.ListSeparator);
    s.CurrencyString = LocaleText(LOCALE_SCURRENCY, s.CurrencyString);
    s.CurrencyFormat = LocaleNumber(LOCALE_ICURRENCY, s.CurrencyFormat);
    s.NegCurrFormat = LocaleNumber(LOCALE_INEGCURR, s.NegCurrFormat);
    s.CurrencyDecimals = LocaleNumber(LOCALE_ICURRDIGITS, s.CurrencyDecimals);
    const auto pattern = [&](LCTYPE type, const UnicodeString& fallback) {
        const UnicodeString text = LocaleText(type, {});
        return text.empty() ? fallback : TranslatePattern(text, s.DateSeparator, s.TimeSeparator);
    };
    s.ShortDateFormat = pattern(LOCALE_SSHORTDATE, s.ShortDateFormat);
    s.LongDateFormat = pattern(LOCALE_SLONGDATE, s.LongDateFormat);
    s.LongTimeFormat = pattern(LOCALE_STIMEFORMAT, s.LongTimeFormat);
    s.ShortTimeFormat = pattern(LOCALE_SSHORTTIME, s.ShortTimeFormat);
    s.TimeAMString = LocaleText(LOCALE_S1159, s.TimeAMString);
    s.TimePMString = LocaleText(LOCALE_S2359, s.TimePMString);
    for (int m = 0; m < 12; ++m) {
        s.ShortMonthNames[m] = LocaleText(LOCALE_SABBREVMONTHNAME1 + m, s.ShortMonthNames[m]);
        s.LongMonthNames[m] = LocaleText(LOCALE_SMONTHNAME1 + m, s.LongMonthNames[m]);
    }
    // The system counts days from Monday (1) to Sunday (7); the settings from Sunday.
    for (int d = 0; d < 7; ++d) {
        const LCTYPE offset = LCTYPE((d + 6) % 7);
        s.ShortDayNames[d] = LocaleText(LOCALE_SABBREVDAYNAME1 + offset, s.ShortDayNames[d]);
        s.LongDayNames[d] = LocaleText(LOCALE_SDAYNAME1 + offset, s.LongDayNames[d]);
    }
    return s;
}

const TFormatSettings& FormatSettings() {
    static const TFormatSettings settings = TFormatSettings::Create();
    return settings;
}
