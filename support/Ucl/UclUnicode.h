// Locale services: a locale's ANSI code page and a case-insensitive text comparison chosen
// at start-up for the platform (UTF-16 on NT; the locale's ANSI code page elsewhere).
#pragma once

#include "framework/ModuleInit.h"
#include "framework/System.h"

#include <windows.h>

// The locale's default ANSI code page; the system's when the locale does not say.
UINT LocaleAnsiCodePage(LCID locale);
// -1, 0 or 1 as `a` sorts before, with or after `b` in the locale, ignoring case; -2 when the
// platform comparison fails. Until the start-up has chosen, the NT comparison is used.
int CompareTextLocale(LCID locale, const UnicodeString& a, const UnicodeString& b);
// The two comparisons, for tests that check both on one platform.
int CompareTextLocaleWide(LCID locale, const UnicodeString& a, const UnicodeString& b);
int CompareTextLocaleAnsi(LCID locale, const UnicodeString& a, const UnicodeString& b);

TModuleEntry UclUnicodeModule();
