// Reading dates and times typed in the user's locale: the order of day, month and year comes
// from ShortDateFormat, the separators and AM/PM texts from the settings. Reading is strict:
// every character must belong to the date or time, so that a wrong separator is an error and
// not a silently different date.
#include "framework/FormatSettings.h"

#include "framework/Conversions.h"

#include <cwctype>
#include <vector>

namespace {

enum TDateOrder { doMDY, doDMY, doYMD };

TDateOrder DateOrder(const UnicodeString& shortDateFormat) {
    for (const wchar_t c : shortDateFormat) {
        const wchar_t l = wchar_t(std::towlower(c));
        if (l == L'd') return doDMY;
        if (l == L'm') return doMDY;
        if (l == L'y') return doYMD;
    }
    return doMDY;
}

// Splits "12.3.2026" at the separator into numbers; false for anything but digits between.
bool SplitNumbers(const UnicodeString& text, wchar_t separator, std::vector<int>& numbers,
                  std::vector<std::size_t>& widths) {
    UnicodeString digits;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            if (digits.empty() || digits.size() > 4) return false;
            numbers.push_back(StrToInt(digits));
            widths.push_back(digits.size());
            digits.clear();
        } else if (text[i] >= L'0' && text[i] <= L'9') {
            digits += text[i];
        } else {
            return false;
        }
    }
    return true;
}

Word CurrentYear() {
    Word year, month, day;
    DecodeDate(Date(), year, month, day);
    return year;
}

int ExpandYear(int year, std::size_t width, const TFormatSettings& settings) {
    if (width > 2) return year;
    const int current = CurrentYear();
    if (settings.TwoDigitYearCenturyWindow == 0) return current / 100 * 100 + year;
    const int start = current - settings.TwoDigitYearCenturyWindow;
    int candidate = start / 100 * 100 + year;
    if (candidate < start) candidate += 100;
    return candidate;
}

bool ReadDate(const UnicodeString& text, TDateTime& value, const TFormatSettings& settings) {
    std::vector<int> n;
    std::vector<std::size_t> w;
    if (!SplitNumbers(text, settings.DateSeparator, n, w) || n.size() < 2 || n.size() > 3)
        return false;
    const TDateOrder order = DateOrder(settings.ShortDateFormat);
    int year = CurrentYear(), month, day;
    if (n.size() == 2) {
        month = order == doDMY ? n[1] : n[0];
        day = order == doDMY ? n[0] : n[1];
    } else if (order == doYMD) {
        year = ExpandYear(n[0], w[0], settings), month = n[1], day = n[2];
    } else {
        year = ExpandYear(n[2], w[2], settings);
        month = order == doDMY ? n[1] : n[0];
        day = order == doDMY ? n[0] : n[1];
    }
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           TryEncodeDate(Word(year), Word(month), Word(day), value);
}

enum TMeridiem { mdNone, mdAM, mdPM };

// Removes a trailing AM/PM text (the settings' or the English one, any case) and answers which.

TMeridiem TakeMeridiem(UnicodeString& text, const TFormatSettings& settings) {
    const std::pair<UnicodeString, TMeridiem> texts[] = {
        {settings.TimeAMString, mdAM}, {settings.TimePMString, mdPM}, {L"AM", mdAM}, {L"PM", mdPM}};
    for (const auto& [word, meridiem] : texts) {
        if (word.empty() || text.size() < word.size()) continue;
        if (AnsiSameText(text.substr(text.size() - word.size()), word)) {
            text = TrimRight(text.substr(0, text.size() - word.size()));
            return meridiem;
        }
    }
    return mdNone;
}

bool ReadTime(UnicodeString text, TDateTime& value, const TFormatSettings& settings) {
    const TMeridiem meridiem = TakeMeridiem(text, settings);
    int msec = 0;
    const std::size_t point = text.find(settings.DecimalSeparator);
    if (point != UnicodeString::npos && settings.DecimalSeparator != settings.TimeSeparator) {
        const UnicodeString ms = text.substr(point + 1);
        if (ms.empty() || ms.size() > 3 || !TryStrToInt(ms, msec) || ms[0] == L'-') return false;
        for (std::size_t k = ms.size(); k < 3; ++k) msec *= 10;
        text.resize(point);
    }
    std::vector<int> n;
    std::vector<std::size_t> w;
    if (!SplitNumbers(text, settings.TimeSeparator, n, w) || n.size() < 2 || n.size() > 3)
        return false;
    int hour = n[0];
    if (meridiem != mdNone) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + (meridiem == mdPM ? 12 : 0);
    }
    return hour < 24 &&
           TryEncodeTime(Word(hour), Word(n[1]), Word(n.size() > 2 ? n[2] : 0), Word(msec), value);
}

} // namespace

bool TryStrToDate(const UnicodeString& text, TDateTime& value, const TFormatSettings& settings) {
    return ReadDate(Trim(text), value, settings);
}

bool TryStrToTime(const UnicodeString& text, TDateTime& value, const TFormatSettings& settings) {
    return ReadTime(Trim(text), value, settings);
}

bool TryStrToDateTime(const UnicodeString& text, TDateTime& value,
                      const TFormatSettings& settings) {
    const UnicodeString t = Trim(text);
    const std::size_t blank = t.find(L' ');
    if (blank == UnicodeString::npos)
        return ReadDate(t, value, settings) || ReadTime(t, value, settings);
    TDateTime date, time;
    if (!ReadDate(t.substr(0, blank), date, settings) ||
        !ReadTime(TrimLeft(t.substr(blank)), time, settings))
        return false;
    value = date < 0 ? date - time : date + time;
    return true;
}

TDateTime StrToDate(const UnicodeString& text, const TFormatSettings& settings) {
    TDateTime value;
    if (!TryStrToDate(text, value, settings))
        throw EConvertError(L"'" + text + L"' is not a valid date");
    return value;
}

TDateTime StrToTime(const UnicodeString& text, const TFormatSettings& settings) {
    TDateTime value;
    if (!TryStrToTime(text, value, settings))
        throw EConvertError(L"'" + text + L"' is not a valid time");
    return value;
}

TDateTime StrToDateTime(const UnicodeString& text, const TFormatSettings& settings) {
    TDateTime value;
    if (!TryStrToDateTime(text, value, settings))
        throw EConvertError(L"'" + text + L"' is not a valid date and time");
    return value;
}
