// UTF-16 character tables and their string helpers. The tables (65536 entries each) are built
// by the unit's start-up the way the 8-bit ones are, from the user's default locale and the
// system's case conversion of each code unit; written on the main thread, read afterwards.
// Positions count from 1.
#pragma once

#include "support/Ucl/UclAnsiStrings.h"

#include <vector>

struct TWideCharTables {
    std::vector<Word> Types;      // CT_CTYPE1 bits, 65536 entries
    std::vector<wchar_t> Maps[3]; // by TCaseMap, 65536 entries each
};

const TWideCharTables& WideCharTables() noexcept;
void LoadWideCharTables();

bool IsLowerChar(wchar_t c) noexcept;
bool IsUpperChar(wchar_t c) noexcept;
bool IsHexDigitChar(wchar_t c) noexcept;
void MapCaseInPlace(UnicodeString& text, TCaseMap map) noexcept;
void UpperInPlace(UnicodeString& text) noexcept;
UnicodeString UpperCopy(const UnicodeString& text);
UnicodeString ReplaceCharCopy(const UnicodeString& text, wchar_t from, wchar_t to);
void CutAtNul(UnicodeString& text);
int FindText(const UnicodeString& part, const UnicodeString& text);
int FindTextFrom(const UnicodeString& part, const UnicodeString& text, int start);
UnicodeString TextBefore(const UnicodeString& separator, const UnicodeString& text);
UnicodeString LeftPart(const UnicodeString& text, int count);
UnicodeString MidPart(const UnicodeString& text, int start, int count);
int CharPosFrom(const UnicodeString& text, wchar_t c, int start);
int LastCharPos(const UnicodeString& text, wchar_t c, int start);

TModuleEntry UclStringsModule();
