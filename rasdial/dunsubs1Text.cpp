// 8-bit text helpers of the dial-up library. The texts are byte
// strings in the system code page; nothing here depends on the locale.
#include "rasdial/dunsubs1.h"

namespace {

bool IsBlank(char c) noexcept { return static_cast<unsigned char>(c) < 33; }

} // namespace

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

Integer AnsiToInt(const AnsiString& text) {
    // Only ASCII characters can be digits, signs or prefixes, so a byte-wise widening suffices.
    UnicodeString wide(text.size(), L' ');
    for (std::size_t i = 0; i < text.size(); ++i) wide[i] = static_cast<unsigned char>(text[i]);
    return TextToInt(wide);
}
