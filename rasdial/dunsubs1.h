// Helper routines shared by the dial-up library's components, and the system level byte that
// every RAS operation consults to pick record sizes and entry points.
//
// 8-bit texts are in the system code page; "blank" below means any character below 33 (the
// control characters and the space). The system level is computed once from the OS version;
// tests may replace it through `SetRasOSLevel`, since the test host reports one fixed version.
#pragma once

#include "framework/Conversions.h"
#include "framework/Handles.h"
#include "framework/System.h"

#include <windows.h>

// RasOSLevel values.
constexpr Byte RasLevelWin9x = 0; // not an NT platform (95/98/ME)
constexpr Byte RasLevelNT4 = 1;
constexpr Byte RasLevelW2K = 2;
constexpr Byte RasLevelXP = 3;    // NT 5.1 and 5.2
constexpr Byte RasLevelVista = 4; // NT 6 and later

// The level of the running system, computed on first use and then fixed.
Byte RasOSLevel() noexcept;
// The minor version that came with the level (level 0 binds more entry points from 10 on).
Cardinal RasOSMinorVersion() noexcept;
// Replaces the level and minor version: the seam through which tests reach levels 0 to 3.
void SetRasOSLevel(Byte level, Cardinal minorVersion) noexcept;
// The level rule itself, for a platform id and version numbers.
Byte RasLevelOf(DWORD platformId, DWORD majorVersion, DWORD minorVersion) noexcept;

AnsiString TrimAnsi(const AnsiString& text);
AnsiString TrimRightAnsi(const AnsiString& text);
AnsiString LowerAnsi(const AnsiString& text);
AnsiString IntToAnsi(Integer value);
AnsiString FixedToAnsi(const void* buffer, std::size_t n);
void SplitDeviceName(const void* field, std::size_t n, AnsiString& name, AnsiString& port);
// Position (1-based) of the first byte equal to `value`; 0 when there is none.
Integer PosByte(char value, const AnsiString& text) noexcept;

// TextToInt (framework/Conversions.h) over 8-bit text.
Integer AnsiToInt(const AnsiString& text);

UnicodeString GetWindowsDir();
UnicodeString GetSpecialFolder(int csidl);
UnicodeString GetFileVersionText(const UnicodeString& fileName, const UnicodeString& key);
bool IsDirectory(const UnicodeString& path);
UnicodeString StripTrailingDelimiter(const UnicodeString& path);
bool ForceDirs(const UnicodeString& path);
UnicodeString GetLocaleText(LCTYPE item);

// The extended OS version record that `LoadOSVersionInfo` fills (GUI thread only).
extern OSVERSIONINFOEXW OSVersionInfoEx;
void LoadOSVersionInfo() noexcept;
