// Comparisons in the user's default locale with string sort (punctuation compared like other
// characters), through the system's CompareString.
#include "data/engine/MemUtils.h"

#include <windows.h>

#include <algorithm>

namespace {
Integer Order(int result, const wchar_t* api) {
    if (result == 0) RaiseLastOSError(api);
    return result - CSTR_EQUAL; // CSTR_LESS_THAN 1, CSTR_EQUAL 2, CSTR_GREATER_THAN 3
}

Integer CompareWide(const UnicodeString& S1, const UnicodeString& S2, Integer count1,
                    Integer count2, DWORD flags) {
    Check(!IsWin9x, L"Unicode support on Win9x");
    return Order(CompareStringW(LOCALE_USER_DEFAULT, SORT_STRINGSORT | flags, S1.data(), count1,
                                S2.data(), count2),
                 L"CompareStringW");
}

Integer CompareAnsi(const char* S1, int length1, const char* S2, int length2, DWORD flags) {
    return Order(
        CompareStringA(LOCALE_USER_DEFAULT, SORT_STRINGSORT | flags, S1, length1, S2, length2),
        L"CompareStringA");
}
} // namespace

Integer WideCompareStrLocale(const UnicodeString& S1, const UnicodeString& S2) {
    return CompareWide(S1, S2, Integer(S1.size()), Integer(S2.size()), 0);
}

Integer WideCompareTextLocale(const UnicodeString& S1, const UnicodeString& S2) {
    return CompareWide(S1, S2, Integer(S1.size()), Integer(S2.size()), NORM_IGNORECASE);
}

Integer WideCompareStrLocaleN(const UnicodeString& S1, const UnicodeString& S2, Integer Count) {
    return CompareWide(S1, S2, std::min(Count, Integer(S1.size())),
                       std::min(Count, Integer(S2.size())), 0);
}

Integer WideCompareTextLocaleN(const UnicodeString& S1, const UnicodeString& S2, Integer Count) {
    return CompareWide(S1, S2, std::min(Count, Integer(S1.size())),
                       std::min(Count, Integer(S2.size())), NORM_IGNORECASE);
}

Integer AnsiCompareStrLocale(const AnsiString& S1, const AnsiString& S2) {
    return CompareAnsi(S1.data(), int(S1.size()), S2.data(), int(S2.size()), 0);
}

Integer AnsiCompareTextLocale(const AnsiString& S1, const AnsiString& S2) {
    return CompareAnsi(S1.data(), int(S1.size()), S2.data(), int(S2.size()), NORM_IGNORECASE);
}

Integer AnsiCompareStrLocaleZ(const char* S1, const char* S2) {
    return CompareAnsi(S1, -1, S2, -1, 0);
}

Integer AnsiCompareTextLocaleZ(const char* S1, const char* S2) {
    return CompareAnsi(S1, -1, S2, -1, NORM_IGNORECASE);
}
