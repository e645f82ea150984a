// One registered version record and the units of one module. The keyword lines are unwrapped
// on every read: the record belongs to its unit, which may not change it, but nothing here
// copies it.
#include "support/Ucl/UclUnitVersioning.h"

#include "framework/Conversions.h"

namespace {

bool StartsWith(const UnicodeString& text, const UnicodeString& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The text between a keyword prefix and the closing " $".
UnicodeString Unwrap(const UnicodeString& text, const UnicodeString& prefix) {
    if (text.size() < prefix.size() + 2) return {};
    return text.substr(prefix.size(), text.size() - prefix.size() - 2);
}

UnicodeString CutAtLast(const UnicodeString& text, wchar_t c) {
    const auto at = text.rfind(c);
    return at == UnicodeString::npos ? text : text.substr(0, at);
}

UnicodeString AfterLast(const UnicodeString& text, wchar_t c) {
    const auto at = text.rfind(c);
    return at == UnicodeString::npos ? text : text.substr(at + 1);
}

// Number at 1-based `start`, `count` characters; -1 when it is not a number.
int Part(const UnicodeString& text, int start, int count) {
    return StrToIntDef(Copy(text, start, count), -1);
}

TDateTime DatePart(const UnicodeString& text) {
    int year = -1, month = -1, day = -1;
    const bool dashed = Pos(L"/", text) > 0 || Pos(L"-", text) > 0;
    if (dashed && text.size() >= 5 && (text[4] == L'/' || text[4] == L'-')) {
        year = Part(text, 1, 4), month = Part(text, 6, 2), day = Part(text, 9, 2);
    } else if (dashed) {
        month = Part(text, 1, 2), day = Part(text, 4, 2), year = Part(text, 7, 4);
    } else if (Pos(L".", text) > 0) {
        day = Part(text, 1, 2), month = Part(text, 4, 2), year = Part(text, 7, 4);
    }
    TDateTime value = 0;
    if (year < 1 || month < 1 || day < 1) return 0;
    return TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day),
                         value)
               ? value
               : 0;
}

TDateTime TimePart(const UnicodeString& text) {
    const auto space = text.find(L' ');
    if (space == UnicodeString::npos) return 0;
    const UnicodeString time = Trim(text.substr(space + 1));
    const wchar_t separator = time.find(L':') != UnicodeString::npos ? L':' : L'/';
    const auto first = time.find(separator);
    if (first == UnicodeString::npos) return 0;
    const auto second = time.find(separator, first + 1);
    const int hour = TextToInt(time.substr(0, first));
    const int minute = TextToInt(time.substr(first + 1, second - first - 1));
    const int secondValue = second == UnicodeString::npos ? 0 : TextToInt(time.substr(second + 1));
    TDateTime value = 0;
    return TryEncodeTime(static_cast<Word>(hour), static_cast<Word>(minute),
                         static_cast<Word>(secondValue), 0, value)
               ? value
               : 0;
}

} // namespace

UnicodeString TUnitVersion::RCSfile() const {
    UnicodeString text = Trim(FInfo->RCSfile);
    if (StartsWith(text, L"$RCSfile: ")) text = CutAtLast(Unwrap(text, L"$RCSfile: "), L',');
    if (StartsWith(text, L"$URL: ")) text = AfterLast(Unwrap(text, L"$URL: "), L'/');
    return text;
}

UnicodeString TUnitVersion::Revision() const {
    const UnicodeString text = Trim(FInfo->Revision);
    return StartsWith(text, L"$Revision: ") ? Unwrap(text, L"$Revision: ") : text;
}

UnicodeString TUnitVersion::Date() const {
    const UnicodeString text = Trim(FInfo->Date);
    return StartsWith(text, L"$Date: ") ? Unwrap(text, L"$Date: ") : text;
}

UnicodeString TUnitVersion::LogPath() const { return Trim(FInfo->LogPath); }

UnicodeString TUnitVersion::Extra() const { return Trim(FInfo->Extra); }

TDateTime TUnitVersion::DateTime() const {
    const UnicodeString text = Date();
    const TDateTime date = DatePart(text);
    return date == 0 ? 0 : date + TimePart(text);
}

void TUnitVersioningModule::AddInfo(const TUnitVersionInfo* info) {
    FItems.push_back(std::make_unique<TUnitVersion>(info));
}

int TUnitVersioningModule::PositionOfInfo(const TUnitVersionInfo* info) const noexcept {
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i]->Info() == info) return static_cast<int>(i);
    return -1;
}

int TUnitVersioningModule::IndexOf(const UnicodeString& rcsFile,
                                   const UnicodeString& logPath) const {
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        const TUnitVersion& unit = *FItems[i];
        if (!SameText(unit.RCSfile(), rcsFile)) continue;
        if (logPath == L"*" || SameText(unit.LogPath(), logPath)) return static_cast<int>(i);
    }
    return -1;
}

TUnitVersion* TUnitVersioningModule::FindUnit(const UnicodeString& rcsFile,
                                              const UnicodeString& logPath) const {
    const int index = IndexOf(rcsFile, logPath);
    return index < 0 ? nullptr : UnitAt(index);
}
