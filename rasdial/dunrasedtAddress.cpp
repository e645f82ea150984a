// Dotted address texts of the phonebook-entry component. The first octet is the lowest byte of
// the 32-bit value, as the RAS records store it.
#include "rasdial/dunrasedt.h"

#include "rasdial/dunsubs1.h"

#include <cstring>

namespace {

constexpr std::size_t ShortestAddressText = 7; // "0.0.0.0"
constexpr Integer OctetLimit = 256;

} // namespace

AnsiString TDunRasEdt::IPToStr(Cardinal address) {
    AnsiString text;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) text += '.';
        text += IntToAnsi(static_cast<Integer>((address >> (8 * i)) & 0xFF));
    }
    return text;
}

bool TDunRasEdt::Str2IP(const AnsiString& text, TRasIPAddr& address) {
    address = {0, 0, 0, 0};
    if (text.size() < ShortestAddressText) return false;
    Byte parts[4] = {};
    bool anyAboveZero = false;
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        std::size_t end = text.size();
        if (i < 3) {
            end = text.find('.', start);
            if (end == AnsiString::npos) return false;
        }
        const Integer value = AnsiToInt(text.substr(start, end - start));
        if (value >= OctetLimit || value < 0) return false;
        parts[i] = static_cast<Byte>(value);
        anyAboveZero = anyAboveZero || value > 0;
        start = end + 1;
    }
    if (parts[0] == 0 && anyAboveZero) return false;
    address = {parts[0], parts[1], parts[2], parts[3]};
    return true;
}

Cardinal TDunRasEdt::StrToIP(const AnsiString& text) {
    TRasIPAddr address{};
    if (!Str2IP(text, address)) return 0;
    Cardinal value = 0;
    std::memcpy(&value, &address, sizeof(value));
    return value;
}

bool TDunRasEdt::IsIPStr(const AnsiString& text) {
    TRasIPAddr address{};
    return Str2IP(text, address);
}

bool TDunRasEdt::IsFmtIPStr(AnsiString& text) {
    if (!IsIPStr(text)) return false;
    text = IPToStr(StrToIP(text));
    return true;
}
