// UTF-16 string helpers over the character tables. Before the tables are built every code
// unit counts as without type and maps to itself.
#include "support/Ucl/UclStrings.h"

#include <windows.h>

namespace {

Word TypeOf(wchar_t c) noexcept {
    const auto& types = WideCharTables().Types;
    return types.empty() ? 0 : types[static_cast<Word>(c)];
}

bool InText(const UnicodeString& text, int start) noexcept {
    return start >= 1 && start <= static_cast<int>(text.size());
}

} // namespace

bool IsLowerChar(wchar_t c) noexcept { return TypeOf(c) & C1_LOWER; }

bool IsUpperChar(wchar_t c) noexcept { return TypeOf(c) & C1_UPPER; }

bool IsHexDigitChar(wchar_t c) noexcept {
    return (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f') || (TypeOf(c) & C1_DIGIT);
}

void MapCaseInPlace(UnicodeString& text, TCaseMap map) noexcept {
    const auto& table = WideCharTables().Maps[map];
    if (table.empty()) return;
    for (wchar_t& c : text) c = table[static_cast<Word>(c)];
}

void UpperInPlace(UnicodeString& text) noexcept { MapCaseInPlace(text, cmUpper); }

UnicodeString UpperCopy(const UnicodeString& text) {
    UnicodeString copy = text;
    UpperInPlace(copy);
    return copy;
}

UnicodeString ReplaceCharCopy(const UnicodeString& text, wchar_t from, wchar_t to) {
    UnicodeString copy = text;
    for (wchar_t& c : copy)
        if (c == from) c = to;
    return copy;
}

void CutAtNul(UnicodeString& text) {
    const auto nul = text.find(L'\0');
    if (nul != UnicodeString::npos) text.resize(nul);
}

int FindText(const UnicodeString& part, const UnicodeString& text) {
    return FindTextFrom(part, text, 1);
}

int FindTextFrom(const UnicodeString& part, const UnicodeString& text, int start) {
    if (part.empty() || text.empty() || start < 1) return 0;
    const auto at = UpperCopy(text).find(UpperCopy(part), static_cast<std::size_t>(start - 1));
    return at == UnicodeString::npos ? 0 : static_cast<int>(at) + 1;
}

UnicodeString TextBefore(const UnicodeString& separator, const UnicodeString& text) {
    const int at = FindText(separator, text);
    return at == 0 ? text : text.substr(0, static_cast<std::size_t>(at - 1));
}

UnicodeString LeftPart(const UnicodeString& text, int count) {
    return count <= 0 ? UnicodeString() : text.substr(0, static_cast<std::size_t>(count));
}

UnicodeString MidPart(const UnicodeString& text, int start, int count) {
    if (!InText(text, start) || count <= 0) return {};
    return text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count));
}

int CharPosFrom(const UnicodeString& text, wchar_t c, int start) {
    if (!InText(text, start)) return 0;
    const auto at = text.find(c, static_cast<std::size_t>(start - 1));
    return at == UnicodeString::npos ? 0 : static_cast<int>(at) + 1;
}

int LastCharPos(const UnicodeString& text, wchar_t c, int start) {
    if (!InText(text, start)) return 0;
    const auto at = text.rfind(c);
    return at == UnicodeString::npos || static_cast<int>(at) + 1 < start ? 0
                                                                         : static_cast<int>(at) + 1;
}
