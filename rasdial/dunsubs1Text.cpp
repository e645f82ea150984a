// 8-bit text helpers of the dial-up library and its integer conversion. The texts are byte
// strings in the system code page; nothing here depends on the locale.
#include "rasdial/dunsubs1.h"

namespace {

bool IsBlank(char c) noexcept { return static_cast<unsigned char>(c) < 33; }

int DigitValue(wchar_t c) noexcept {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return 99;
}

// Reads digits of `base` from `pos` until an invalid one or one that would pass `limit`.
UInt64 ReadDigits(const UnicodeString& text, std::size_t pos, unsigned base, UInt64 limit) {
    UInt64 value = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = DigitValue(text[pos]);
        if (digit >= static_cast<int>(base)) break;
        const UInt64 next = value * base + static_cast<unsigned>(digit);
        if (next > limit) break;
        value = next;
    }
    return value;
}

}  // namespace

AnsiString TrimAnsi(const AnsiString& text) {
    std::size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) ++first;
    return TrimRightAnsi(text.substr(first));
}

AnsiString TrimRightAnsi(const AnsiString& text) {
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    return text.substr(0, end);
}

AnsiString LowerAnsi(const AnsiString& text) {
    AnsiString result = text;
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return result;
}

AnsiString IntToAnsi(Integer value) { return std::to_string(value); }

AnsiString FixedToAnsi(const void* buffer, std::size_t n) {
    return AnsiString(static_cast<const char*>(buffer), n);
}

void SplitDeviceName(const void* field, std::size_t n, AnsiString& name, AnsiString& port) {
    const AnsiString text = TrimRightAnsi(FixedToAnsi(field, n));
    const Integer p = PosByte('\0', text);
    if (p >= 2) {
        port = LowerAnsi(TrimAnsi(text.substr(p, 99)));
        name = TrimAnsi(text.substr(0, p - 1));
    } else {
        name = text;
        port.clear();
    }
}

Integer PosByte(char value, const AnsiString& text) noexcept {
    const std::size_t pos = text.find(value);
    return pos == AnsiString::npos ? 0 : static_cast<Integer>(pos + 1);
}

Integer TextToInt(const UnicodeString& text) noexcept {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == L' ' || text[pos] == L'\t')) ++pos;
    const bool negative = pos < text.size() && text[pos] == L'-';
    if (pos < text.size() && (text[pos] == L'-' || text[pos] == L'+')) ++pos;
    UInt64 magnitude = 0;
    if (pos < text.size() && text[pos] == L'$')
        magnitude = ReadDigits(text, pos + 1, 16, 0xFFFFFFFFu);
    else if (text.compare(pos, 2, L"0x") == 0 || text.compare(pos, 2, L"0X") == 0)
        magnitude = ReadDigits(text, pos + 2, 16, 0xFFFFFFFFu);
    else
        magnitude = ReadDigits(text, pos, 10, negative ? 2147483648u : 2147483647u);
    // Modular: hexadecimal fills all 32 bits, and -2147483648 fits exactly.
    const Cardinal bits = static_cast<Cardinal>(magnitude);
    return static_cast<Integer>(negative ? 0u - bits : bits);
}

Integer AnsiToInt(const AnsiString& text) noexcept {
    // Only ASCII characters can be digits, signs or prefixes, so a byte-wise widening suffices.
    UnicodeString wide(text.size(), L' ');
    for (std::size_t i = 0; i < text.size(); ++i) wide[i] = static_cast<unsigned char>(text[i]);
    return TextToInt(wide);
}
