// 8-bit string helpers over the character tables.
#include "support/Ucl/UclAnsiStrings.h"

#include <windows.h>

namespace {

Byte Index(char c) noexcept { return static_cast<Byte>(c); }

bool InText(const AnsiString& text, int start) noexcept {
    return start >= 1 && start <= static_cast<int>(text.size());
}

} // namespace

bool IsLowerChar(char c) noexcept { return AnsiCharTables().Types[Index(c)] & C1_LOWER; }

bool IsUpperChar(char c) noexcept { return AnsiCharTables().Types[Index(c)] & C1_UPPER; }

bool IsHexDigitChar(char c) noexcept {
    return (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f') ||
           (AnsiCharTables().Types[Index(c)] & C1_DIGIT);
}

void MapCaseInPlace(AnsiString& text, TCaseMap map) noexcept {
    for (char& c : text) c = AnsiCharTables().Maps[map][Index(c)];
}

void UpperInPlace(AnsiString& text) noexcept { MapCaseInPlace(text, cmUpper); }

AnsiString UpperCopy(const AnsiString& text) {
    AnsiString copy = text;
    UpperInPlace(copy);
    return copy;
}

AnsiString ReplaceCharCopy(const AnsiString& text, char from, char to) {
    AnsiString copy = text;
    for (char& c : copy)
        if (c == from) c = to;
    return copy;
}

void CutAtNul(AnsiString& text) {
    const auto nul = text.find('\0');
    if (nul != AnsiString::npos) text.resize(nul);
}

int FindText(const AnsiString& part, const AnsiString& text) { return FindTextFrom(part, text, 1); }

int FindTextFrom(const AnsiString& part, const AnsiString& text, int start) {
    if (part.empty() || text.empty() || start < 1) return 0;
    const auto at = UpperCopy(text).find(UpperCopy(part), static_cast<std::size_t>(start - 1));
    return at == AnsiString::npos ? 0 : static_cast<int>(at) + 1;
}

AnsiString TextBefore(const AnsiString& separator, const AnsiString& text) {
    const int at = FindText(separator, text);
    return at == 0 ? text : text.substr(0, static_cast<std::size_t>(at - 1));
}

AnsiString LeftPart(const AnsiString& text, int count) {
    return count <= 0 ? AnsiString() : text.substr(0, static_cast<std::size_t>(count));
}

AnsiString MidPart(const AnsiString& text, int start, int count) {
    if (!InText(text, start) || count <= 0) return {};
    return text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count));
}

int CharPosFrom(const AnsiString& text, char c, int start) {
    if (!InText(text, start)) return 0;
    const auto at = text.find(c, static_cast<std::size_t>(start - 1));
    return at == AnsiString::npos ? 0 : static_cast<int>(at) + 1;
}

int LastCharPos(const AnsiString& text, char c, int start) {
    if (!InText(text, start)) return 0;
    const auto at = text.rfind(c);
    return at == AnsiString::npos || static_cast<int>(at) + 1 < start ? 0
                                                                      : static_cast<int>(at) + 1;
}
