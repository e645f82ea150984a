// The Base64 decoder. Input is filtered first, so that the group arithmetic below only ever
// sees alphabet characters and "=" and needs no error path: malformed text gives fewer or
// different bytes, never a failure.
#include "support/KitThreadPool/KitBase64.h"

#include "framework/Conversions.h"
#include "framework/TextEncoding.h"

namespace {

bool IsBase64Char(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/' || c == '=';
}

// The value of a filtered character; "=" is 0.
unsigned ValueOf(char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned>(c - 'A');
    if (c >= 'a' && c <= 'z') return static_cast<unsigned>(c - 'a' + 26);
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0' + 52);
    if (c == '+') return 62;
    if (c == '/') return 63;
    return 0;
}

void AppendGroup(const char* group, std::string& bytes) {
    const unsigned a = ValueOf(group[0]), b = ValueOf(group[1]);
    const unsigned c = ValueOf(group[2]), d = ValueOf(group[3]);
    bytes += static_cast<char>((a * 4 + b / 16) & 0xFF);
    bytes += static_cast<char>(((b * 16) % 256 + c / 4) & 0xFF);
    bytes += static_cast<char>(((c * 64) % 256 + d) & 0xFF);
}

} // namespace

AnsiString FilterBase64Input(const AnsiString& input) {
    AnsiString filtered;
    filtered.reserve(input.size());
    for (const char c : input)
        if (IsBase64Char(c)) filtered += c;
    return filtered;
}

Integer DecodeBase64(const AnsiString& input, AnsiString& output) {
    if (input.empty()) return 0;
    const AnsiString filtered = FilterBase64Input(input);
    std::string bytes;
    bytes.reserve(filtered.size() / 4 * 3);
    for (std::size_t i = 0; i + 4 <= filtered.size(); i += 4)
        AppendGroup(filtered.data() + i, bytes);
    output = UnicodeToAnsi(Trim(AnsiToUnicode(bytes)));
    return 0;
}
