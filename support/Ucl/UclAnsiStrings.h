// 8-bit character tables and string helpers. The tables are built by the unit's start-up from
// the user's default locale (character types) and the system's case conversion of each
// character, on the main thread, and only read afterwards. Positions count from 1.
#pragma once

#include "framework/ModuleInit.h"
#include "framework/System.h"

#include <array>

enum TCaseMap { cmLower, cmUpper, cmReverse };

struct TAnsiCharTables {
    std::array<Word, 256> Types{};               // CT_CTYPE1 bits
    std::array<std::array<char, 256>, 3> Maps{}; // by TCaseMap
};

const TAnsiCharTables& AnsiCharTables() noexcept;
void LoadAnsiCharTables();

bool IsLowerChar(char c) noexcept;
bool IsUpperChar(char c) noexcept;
bool IsHexDigitChar(char c) noexcept;
void MapCaseInPlace(AnsiString& text, TCaseMap map) noexcept;
void UpperInPlace(AnsiString& text) noexcept;
AnsiString UpperCopy(const AnsiString& text);
AnsiString ReplaceCharCopy(const AnsiString& text, char from, char to);
void CutAtNul(AnsiString& text);
// Position of `part` in `text` ignoring case (both through the upper map); 0 when absent.
int FindText(const AnsiString& part, const AnsiString& text);
// The same from `start`; 0 for an empty part or text.
int FindTextFrom(const AnsiString& part, const AnsiString& text, int start);
AnsiString TextBefore(const AnsiString& separator, const AnsiString& text);
AnsiString LeftPart(const AnsiString& text, int count);
AnsiString MidPart(const AnsiString& text, int start, int count);
// The first position >= start holding `c`; 0 when none or when start lies outside the text.
int CharPosFrom(const AnsiString& text, char c, int start);
// The last position >= start holding `c`; 0 when none or when start lies outside the text.
int LastCharPos(const AnsiString& text, char c, int start);

TModuleEntry UclAnsiStringsModule();
