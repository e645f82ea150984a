// Locale code pages and comparisons. The comparison is chosen by the start-up on the main
// thread and only read afterwards.
#include "support/Ucl/UclUnicode.h"

#include "framework/TextEncoding.h"
#include "support/Ucl/UclSysInfo.h"
#include "support/Ucl/UclUnitVersioning.h"

namespace {

using TCompare = int (*)(LCID, const UnicodeString&, const UnicodeString&);
TCompare Compare = CompareTextLocaleWide;

int Sign(int result) { return result == 0 ? -2 : result - CSTR_EQUAL; }

} // namespace

UINT LocaleAnsiCodePage(LCID locale) {
    wchar_t text[8] = {};
    if (GetLocaleInfoW(locale, LOCALE_IDEFAULTANSICODEPAGE, text, 8) == 0) return GetACP();
    const UINT codePage = static_cast<UINT>(wcstoul(text, nullptr, 10));
    return codePage == 0 ? GetACP() : codePage;
}

int CompareTextLocaleWide(LCID locale, const UnicodeString& a, const UnicodeString& b) {
    return Sign(CompareStringW(locale, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                               b.c_str(), static_cast<int>(b.size())));
}

int CompareTextLocaleAnsi(LCID locale, const UnicodeString& a, const UnicodeString& b) {
    const UINT codePage = LocaleAnsiCodePage(locale);
    const AnsiString a8 = UnicodeToAnsi(a, codePage), b8 = UnicodeToAnsi(b, codePage);
    return Sign(CompareStringA(locale, NORM_IGNORECASE, a8.c_str(), static_cast<int>(a8.size()),
                               b8.c_str(), static_cast<int>(b8.size())));
}

int CompareTextLocale(LCID locale, const UnicodeString& a, const UnicodeString& b) {
    return Compare(locale, a, b);
}

TModuleEntry UclUnicodeModule() {
    return UnitVersionedModule(
        L"UclUnicode",
        [] {
            const bool nt = ReadRunningVersionFacts().PlatformId == VER_PLATFORM_WIN32_NT;
            Compare = nt ? CompareTextLocaleWide : CompareTextLocaleAnsi;
        },
        nullptr);
}
