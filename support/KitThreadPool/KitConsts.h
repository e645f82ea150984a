// The kit's constant tables of Chinese numeral characters (financial digits, the units within a
// group of four digits, and the large units), and the application window's extended style as it
// was at start-up. They are kept for the kit's own completeness: nothing in the program reads
// them, and the module changes nothing.
//
//   KitChineseDigits, KitChineseUnits, KitChineseLargeUnits   the tables
//   KitStartupExStyle                                         the recorded extended style
//   KitConstsModule                                           start-up: records the style
#pragma once

#include "framework/ModuleInit.h"

#include <windows.h>

#include <array>

inline constexpr std::array<const wchar_t*, 10> KitChineseDigits = {
    L"\x96F6", L"\x58F9", L"\x8D30", L"\x53C1", L"\x8086",
    L"\x4F0D", L"\x9646", L"\x67D2", L"\x634C", L"\x7396"};
// Ones (no character), tens, hundreds, thousands.
inline constexpr std::array<const wchar_t*, 4> KitChineseUnits = {L"", L"\x62FE", L"\x4F70",
                                                                  L"\x4EDF"};
// Yuan, ten thousand, hundred million.
inline constexpr std::array<const wchar_t*, 3> KitChineseLargeUnits = {L"\x5143", L"\x4E07",
                                                                       L"\x4EBF"};

// The application window's extended window style when the module started; 0 before that, or when
// there was no application window.
LONG_PTR KitStartupExStyle();
TModuleEntry KitConstsModule();
