// The running program and the system it runs on: the command line's parameters and the
// Windows version, read once when first asked.
#pragma once

#include "framework/System.h"

// The number of parameters after the program's name.
Integer ParamCount();
// Parameter `index`: 0 is the program's full file name (whatever the command line says), 1 to
// ParamCount the parameters with their quotes removed; empty outside that range.
UnicodeString ParamStr(Integer index);

// VER_PLATFORM_WIN32_NT (2) on every Windows this runs on.
Integer Win32Platform();
Integer Win32MajorVersion();
Integer Win32MinorVersion();
Integer Win32BuildNumber();
