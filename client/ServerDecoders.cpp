// The layered decoders of server data. Every layer is a segment swap followed by Base64; the
// depth and the swap widths of each kind of text are fixed by the server's encoders, so they are
// written out here rather than configured.
#include "client/ServerDecoders.h"

#include "framework/Conversions.h"

#include <climits>

namespace {

constexpr wchar_t Alphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The symbol's place in the alphabet, -1 (all bits set) outside it.
int SymbolValue(wchar_t c) {
    for (int i = 0; i < 64; ++i)
        if (Alphabet[i] == c) return i;
    return -1;
}

wchar_t FirstByte(int a, int b) {
    return static_cast<wchar_t>(((a << 2) & 0xFC) | ((b >> 4) & 0x03));
}
wchar_t SecondByte(int b, int c) {
    return static_cast<wchar_t>(((b << 4) & 0xF0) | ((c >> 2) & 0x0F));
}
// Unmasked on purpose: the server's data was made with this rule, -1 gives 0xFFFF.
wchar_t ThirdByte(int c, int d) { return static_cast<wchar_t>((((c << 6) & 0xC0) | d) & 0xFFFF); }

// Characters of the text that take part in decoding: at most two trailing "=" are not symbols.
std::size_t SymbolCount(const UnicodeString& text) {
    std::size_t n = text.size();
    if (n > 0 && text[n - 1] == L'=') --n;
    if (n > 0 && text[n - 1] == L'=') --n;
    return n;
}

UnicodeString Layer(const UnicodeString& text, int k) {
    return Base64DecodeText(SegmentSwap(text, k));
}

} // namespace

UnicodeString Base64DecodeText(const UnicodeString& text) {
    const std::size_t n = SymbolCount(text);
    UnicodeString result;
    result.reserve(n / 4 * 3 + 2);
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const int a = SymbolValue(text[i]), b = SymbolValue(text[i + 1]);
        const int c = SymbolValue(text[i + 2]), d = SymbolValue(text[i + 3]);
        result += FirstByte(a, b);
        result += SecondByte(b, c);
        result += ThirdByte(c, d);
    }
    const std::size_t left = n - i;
    if (left >= 2) result += FirstByte(SymbolValue(text[i]), SymbolValue(text[i + 1]));
    if (left == 3) result += SecondByte(SymbolValue(text[i + 1]), SymbolValue(text[i + 2]));
    return result;
}

UnicodeString SegmentSwap(const UnicodeString& text, int k) {
    return Copy(text, k + 1, k) + Copy(text, 1, k) + Copy(text, 2 * k + 1, INT_MAX);
}

UnicodeString DecodeLineAddress(const UnicodeString& text) {
    return Layer(Layer(Layer(text, 4), 7), 3);
}

UnicodeString DecodeDialPassword(const UnicodeString& text) {
    UnicodeString t = text;
    for (int i = 0; i < 4; ++i) t = Base64DecodeText(t);
    return Layer(Layer(Layer(Layer(t, 5), 5), 6), 4);
}

UnicodeString DecodeDialUser(const UnicodeString& text) {
    return Base64DecodeText(Base64DecodeText(text));
}
