// Trimming, case mapping and comparison. The ASCII forms are for protocol text and keys, where
// the locale must not matter; the Ansi forms ask the system (CharUpperBuffW, CompareStringW) and
// follow the user's locale. Texts may hold NUL characters: lengths are always passed explicitly.
#include "framework/Conversions.h"

#include <windows.h>

#include <algorithm>

namespace {

bool IsTrimmed(wchar_t c) { return c <= L' '; }

wchar_t AsciiUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; }
wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; }

int Sign(int difference) { return (difference > 0) - (difference < 0); }

// CompareStringW answers 1, 2 or 3 for less, equal and greater.
int LocaleCompare(const UnicodeString& a, const UnicodeString& b, DWORD flags) {
    const int result =
        CompareStringW(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()), b.data(),
                       static_cast<int>(b.size()));
    if (result == 0) RaiseLastOSError(L"CompareStringW");
    return result - CSTR_EQUAL;
}

} // namespace

UnicodeString Trim(const UnicodeString& text) { return TrimLeft(TrimRight(text)); }

UnicodeString TrimLeft(const UnicodeString& text) {
    const auto first = std::find_if_not(text.begin(), text.end(), IsTrimmed);
    return UnicodeString(first, text.end());
}

UnicodeString TrimRight(const UnicodeString& text) {
    const auto last = std::find_if_not(text.rbegin(), text.rend(), IsTrimmed);
    return UnicodeString(text.begin(), last.base());
}

UnicodeString UpperCase(const UnicodeString& text) {
    UnicodeString result(text);
    std::transform(result.begin(), result.end(), result.begin(), AsciiUpper);
    return result;
}

UnicodeString LowerCase(const UnicodeString& text) {
    UnicodeString result(text);
    std::transform(result.begin(), result.end(), result.begin(), AsciiLower);
    return result;
}

int CompareStr(const UnicodeString& a, const UnicodeString& b) { return Sign(a.compare(b)); }

int CompareText(const UnicodeString& a, const UnicodeString& b) {
    return CompareStr(UpperCase(a), UpperCase(b));
}

bool SameText(const UnicodeString& a, const UnicodeString& b) { return CompareText(a, b) == 0; }

UnicodeString AnsiUpperCase(const UnicodeString& text) {
    UnicodeString result(text);
    if (!result.empty()) CharUpperBuffW(result.data(), static_cast<DWORD>(result.size()));
    return result;
}

UnicodeString AnsiLowerCase(const UnicodeString& text) {
    UnicodeString result(text);
    if (!result.empty()) CharLowerBuffW(result.data(), static_cast<DWORD>(result.size()));
    return result;
}

int AnsiCompareStr(const UnicodeString& a, const UnicodeString& b) {
    return LocaleCompare(a, b, 0);
}

int AnsiCompareText(const UnicodeString& a, const UnicodeString& b) {
    return LocaleCompare(a, b, NORM_IGNORECASE);
}

bool AnsiSameText(const UnicodeString& a, const UnicodeString& b) {
    return AnsiCompareText(a, b) == 0;
}
