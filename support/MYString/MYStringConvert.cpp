// Conversions of the toolkit between its text and other forms: dates, raw 8-bit and 16-bit
// buffers, class identifiers and Base64. Buffers come from callers as raw pointers; a null
// pointer reads as an empty buffer rather than a crash.
#include "support/MYString/MYString.h"

#include "support/KitThreadPool/KitBase64.h"

#include <oleauto.h>

namespace mystring {

namespace {

// What `as_date` answers for a text that is no date: 1970-01-01 00:00, the day its fixed
// default text was meant to name.
constexpr TDateTime NoDate = 25569.0;

} // namespace

UnicodeString NowText(const UnicodeString& format) { return FormatDateTime(format, Now()); }

TDateTime AsDate(const UnicodeString& text) {
    // The platform's date reading in the user's locale; DATE counts days as TDateTime does.
    // (MinGW declares the text parameter non-const; the call does not write to it.)
    DATE value = 0;
    UnicodeString copy = text;
    if (copy.empty() || FAILED(VarDateFromStr(copy.data(), LOCALE_USER_DEFAULT, 0, &value)))
        return NoDate;
    return value;
}

UnicodeString FromAnsi(const char* buffer) {
    UnicodeString result;
    if (!buffer) return result;
    for (const char* p = buffer; *p; ++p)
        result += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return result;
}

UnicodeString FromByteDigits(const wchar_t* buffer) {
    UnicodeString result;
    if (!buffer) return result;
    std::size_t units = 0;
    while (buffer[units]) ++units;
    // The count is in 16-bit units but the walk goes byte by byte from the start: each of the
    // first `units` bytes gives the first digit of its decimal value.
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
    for (std::size_t i = 0; i < units; ++i) result += IntToStr(bytes[i]).front();
    return result;
}

bool IsGuid(const UnicodeString& text) {
    CLSID clsid;
    return SUCCEEDED(CLSIDFromString(text.c_str(), &clsid));
}

UnicodeString Base64Decode(const UnicodeString& text) {
    AnsiString decoded;
    DecodeBase64(UnicodeToAnsi(text), decoded);
    return AnsiToUnicode(decoded);
}

} // namespace mystring
