// FormatDateTime with the locale settings: the pattern letters of framework/DateTime.h plus the
// locale's compound forms (c, ddddd, dddddd, t, tt), its separators (/ and :), its month and day
// names and the AM/PM forms. Compound forms expand to the settings' own patterns, which are
// formatted by the same routine (at most a few levels deep: a pattern never names itself).
#include "framework/FormatSettings.h"

#include "framework/Conversions.h"

#include <algorithm>
#include <cwctype>

namespace {

struct TParts {
    Word Year, Month, Day, Hour, Minute, Second, MSec;
    int DayOfWeek; // 0 Sunday
};

UnicodeString Padded(int value, std::size_t digits) {
    UnicodeString text = IntToStr(value);
    if (text.size() < digits) text.insert(0, digits - text.size(), L'0');
    return text;
}

bool StartsWithText(const UnicodeString& pattern, std::size_t i, const wchar_t* word) {
    for (std::size_t k = 0; word[k]; ++k)
        if (i + k >= pattern.size() || std::towlower(pattern[i + k]) != word[k]) return false;
    return true;
}

bool UsesTwelveHourClock(const UnicodeString& pattern) {
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (StartsWithText(pattern, i, L"am/pm") || StartsWithText(pattern, i, L"a/p") ||
            StartsWithText(pattern, i, L"ampm"))
            return true;
    return false;
}

class TDateFormatter {
public:
    TDateFormatter(TDateTime value, const TFormatSettings& settings)
        : FValue(value), FSettings(settings) {
        DecodeDate(value, FParts.Year, FParts.Month, FParts.Day);
        DecodeTime(value, FParts.Hour, FParts.Minute, FParts.Second, FParts.MSec);
        FParts.DayOfWeek = DateTimeToTimeStamp(value).Date % 7;
    }

    void Append(const UnicodeString& pattern, int depth) {
        if (depth > 4) throw EConvertError(L"Date format pattern nests too deeply");
        const bool twelveHour = UsesTwelveHourClock(pattern);
        bool afterHour = false;
        for (std::size_t i = 0; i < pattern.size();) {
            const wchar_t c = wchar_t(std::towlower(pattern[i]));
            std::size_t n = 1;
            while (i + n < pattern.size() && std::towlower(pattern[i + n]) == c) ++n;
            if (c == L'\'' || c == L'"') {
                const std::size_t close = pattern.find(pattern[i], i + 1);
                const std::size_t end = close == UnicodeString::npos ? pattern.size() : close;
                FText += pattern.substr(i + 1, end - i - 1);
                i = end + 1;
                continue;
            }
            if (c == L'a') {
                i += AppendAmPm(pattern, i);
                continue;
            }
            const bool wasAfterHour = afterHour;
            afterHour = c == L'h' || (afterHour && !std::iswalpha(c));
            const std::size_t used = std::min<std::size_t>(n, MaxRun(c));
            if (!AppendToken(c, used, twelveHour, wasAfterHour, depth))
                FText += pattern.substr(i, used);
            i += used;
        }
    }

    const UnicodeString& Text() const { return FText; }

private:
    // How many repeated letters one token takes; other characters stand alone.
    static std::size_t MaxRun(wchar_t c) {
        if (!std::iswalpha(c)) return 1;
        return c == L'd' ? 6 : c == L'm' || c == L'y' ? 4 : c == L'z' ? 3 : 2;
    }

    std::size_t AppendAmPm(const UnicodeString& pattern, std::size_t i) {
        const bool pm = FParts.Hour >= 12;
        if (StartsWithText(pattern, i, L"am/pm")) {
            const bool upper = pattern[i] == L'A';
            FText += pm ? (upper ? L"PM" : L"pm") : (upper ? L"AM" : L"am");
            return 5;
        }
        if (StartsWithText(pattern, i, L"a/p")) {
            const bool upper = pattern[i] == L'A';
            FText += pm ? (upper ? L'P' : L'p') : (upper ? L'A' : L'a');
            return 3;
        }
        if (StartsWithText(pattern, i, L"ampm")) {
            FText += pm ? FSettings.TimePMString : FSettings.TimeAMString;
            return 4;
        }
        FText += pattern[i];
        return 1;
    }

    // False when `c` is no pattern letter: the caller writes it as it stands.
    bool AppendToken(wchar_t c, std::size_t n, bool twelveHour, bool minutes, int depth) {
        switch (c) {
        case L'c':
            Append(FSettings.ShortDateFormat, depth + 1);
            if (FValue - Trunc(FValue) != 0) {
                FText += L' ';
                Append(FSettings.LongTimeFormat, depth + 1);
            }
            break;
        case L'd':
            if (n == 1 || n == 2)
                FText += Padded(FParts.Day, n);
            else if (n == 3)
                FText += FSettings.ShortDayNames[FParts.DayOfWeek];
            else if (n == 4)
                FText += FSettings.LongDayNames[FParts.DayOfWeek];
            else
                Append(n == 5 ? FSettings.ShortDateFormat : FSettings.LongDateFormat, depth + 1);
            break;
        case L'm':
            if (minutes && n <= 2)
                FText += Padded(FParts.Minute, n);
            else if (n <= 2)
                FText += Padded(FParts.Month, n);
            else if (n == 3)
                FText += FSettings.ShortMonthNames[FParts.Month - 1];
            else
                FText += FSettings.LongMonthNames[FParts.Month - 1];
            break;
        case L'y': FText += n <= 2 ? Padded(FParts.Year % 100, 2) : Padded(FParts.Year, 4); break;
        case L'h': {
            int hour = FParts.Hour;
            if (twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;
            FText += Padded(hour, std::min<std::size_t>(n, 2));
            break;
        }
        case L'n': FText += Padded(FParts.Minute, std::min<std::size_t>(n, 2)); break;
        case L's': FText += Padded(FParts.Second, std::min<std::size_t>(n, 2)); break;
        case L'z': FText += Padded(FParts.MSec, n >= 3 ? 3 : n); break;
        case L't':
            Append(n == 1 ? FSettings.ShortTimeFormat : FSettings.LongTimeFormat, depth + 1);
            break;
        case L'/': FText += FSettings.DateSeparator; break;
        case L':': FText += FSettings.TimeSeparator; break;
        default: return false;
        }
        return true;
    }

    TDateTime FValue;
    const TFormatSettings& FSettings;
    TParts FParts{};
    UnicodeString FText;
};

} // namespace

UnicodeString FormatDateTime(const UnicodeString& pattern, TDateTime value,
                             const TFormatSettings& settings) {
    TDateFormatter formatter(value, settings);
    formatter.Append(pattern.empty() ? UnicodeString(L"c") : pattern, 0);
    return formatter.Text();
}

UnicodeString DateToStr(TDateTime value, const TFormatSettings& settings) {
    return FormatDateTime(L"ddddd", value, settings);
}

UnicodeString TimeToStr(TDateTime value, const TFormatSettings& settings) {
    return FormatDateTime(L"tt", value, settings);
}

UnicodeString DateTimeToStr(TDateTime value, const TFormatSettings& settings) {
    return FormatDateTime(L"c", value, settings);
}
