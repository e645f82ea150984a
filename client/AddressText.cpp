// The address texts' grammar, checked by hand: the system's parsers accept forms (octal, fewer
// than four parts, trailing garbage) that the service never sends.
#include "client/AddressText.h"

#include <algorithm>
#include <vector>

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool IsLabelCharacter(wchar_t c) {
    return IsDigit(c) || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'-';
}

// The text's pieces between dots (an empty piece for a leading, trailing or doubled dot).
std::vector<UnicodeString> DotPieces(const UnicodeString& text) {
    std::vector<UnicodeString> pieces;
    std::size_t start = 0;
    for (std::size_t dot; (dot = text.find(L'.', start)) != UnicodeString::npos; start = dot + 1)
        pieces.push_back(text.substr(start, dot - start));
    pieces.push_back(text.substr(start));
    return pieces;
}

bool IsOctet(const UnicodeString& piece) {
    if (piece.empty() || piece.size() > 3) return false;
    int value = 0;
    for (wchar_t c : piece) {
        if (!IsDigit(c)) return false;
        value = value * 10 + (c - L'0');
    }
    return value <= 255;
}

bool IsHostLabel(const UnicodeString& label) {
    if (label.empty() || label.size() > 63 || label.front() == L'-' || label.back() == L'-')
        return false;
    for (wchar_t c : label)
        if (!IsLabelCharacter(c)) return false;
    return true;
}

} // namespace

bool IsDottedIPv4(const UnicodeString& text) {
    const std::vector<UnicodeString> pieces = DotPieces(text);
    if (pieces.size() != 4) return false;
    for (const UnicodeString& piece : pieces)
        if (!IsOctet(piece)) return false;
    return true;
}

bool IsLineAddress(const UnicodeString& text) {
    if (text.empty() || text.size() > 253) return false;
    const std::vector<UnicodeString> labels = DotPieces(text);
    for (const UnicodeString& label : labels)
        if (!IsHostLabel(label)) return false;
    // Digits only in every label is no host name: it must then be a valid address.
    const bool numeric = std::all_of(labels.begin(), labels.end(), [](const UnicodeString& label) {
        return std::all_of(label.begin(), label.end(), IsDigit);
    });
    return !numeric || IsDottedIPv4(text);
}
