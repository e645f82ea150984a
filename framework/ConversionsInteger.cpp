// Integers to text and back. One scanner reads every integer text: blanks, a sign, then
// decimal digits or "$"/"0x" and hexadecimal digits. It stops at the first character that does
// not belong or would leave the target range, so that the strict readers (StrToInt...) and the
// lenient one (TextToInt) agree on what a number is. Hexadecimal text may use the whole unsigned
// width ("$FFFFFFFF" is -1 as an Integer), decimal text must fit the signed range.
#include "framework/Conversions.h"

namespace {

struct TIntegerScan {
    Int64 Value = 0;
    bool Complete = false; // the whole text was one valid number
};

int DigitValue(wchar_t c, int base) {
    int digit = -1;
    if (c >= L'0' && c <= L'9')
        digit = c - L'0';
    else if (c >= L'a' && c <= L'f')
        digit = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F')
        digit = c - L'A' + 10;
    return digit < base ? digit : -1;
}

// Reads the digits from `i` while the magnitude stays within `limit`; answers where it stopped.
size_t ScanDigits(const UnicodeString& text, size_t i, int base, UInt64 limit, UInt64& magnitude,
                  bool& any) {
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0 || magnitude > (limit - digit) / base) break;
        magnitude = magnitude * base + digit;
        any = true;
    }
    return i;
}

struct TNumberStart {
    size_t Index = 0;
    bool Negative = false;
    int Base = 10;
};

// Blanks, a sign and the hexadecimal marker in front of the digits.
TNumberStart ScanPrefix(const UnicodeString& text) {
    TNumberStart start;
    size_t& i = start.Index;
    while (i < text.size() && text[i] == L' ') ++i;
    start.Negative = i < text.size() && text[i] == L'-';
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) ++i;
    if (i < text.size() && text[i] == L'$') {
        start.Base = 16;
        i += 1;
    } else if (i + 1 < text.size() && text[i] == L'0' &&
               (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        start.Base = 16;
        i += 2;
    }
    return start;
}

// `bits` is 32 or 64: the width of the integer the text is read into.
TIntegerScan ScanInteger(const UnicodeString& text, int bits) {
    const TNumberStart start = ScanPrefix(text);
    const UInt64 unsignedMax = bits == 64 ? ~UInt64{0} : 0xFFFFFFFFu;
    // The largest magnitude decimal text may reach: one more below zero than above.
    const UInt64 signedLimit = (unsignedMax >> 1) + (start.Negative ? 1 : 0);
    UInt64 magnitude = 0;
    bool any = false;
    const size_t end = ScanDigits(text, start.Index, start.Base,
                                  start.Base == 16 ? unsignedMax : signedLimit, magnitude, any);
    TIntegerScan scan;
    // Hexadecimal text fills the unsigned width and is reinterpreted in the signed one.
    if (bits == 32 && magnitude > signedLimit)
        scan.Value = static_cast<Integer>(static_cast<Cardinal>(magnitude));
    else
        scan.Value = static_cast<Int64>(magnitude);
    if (start.Negative)
        scan.Value = static_cast<Int64>(UInt64{0} - static_cast<UInt64>(scan.Value));
    scan.Complete = any && end == text.size();
    return scan;
}

[[noreturn]] void RaiseNotInteger(const UnicodeString& text) {
    throw EConvertError(L"'" + text + L"' is not a valid integer value");
}

} // namespace

UnicodeString IntToStr(Int64 value) { return std::to_wstring(value); }

UnicodeString UIntToStr(UInt64 value) { return std::to_wstring(value); }

UnicodeString UIntToHex(UInt64 value, int digits) {
    static constexpr wchar_t HexDigits[] = L"0123456789ABCDEF";
    UnicodeString text;
    do {
        text.insert(text.begin(), HexDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(text.size()) < digits) text.insert(0, digits - text.size(), L'0');
    return text;
}

bool TryStrToInt(const UnicodeString& text, Integer& value) {
    const TIntegerScan scan = ScanInteger(text, 32);
    if (scan.Complete) value = static_cast<Integer>(scan.Value);
    return scan.Complete;
}

Integer StrToInt(const UnicodeString& text) {
    Integer value = 0;
    if (!TryStrToInt(text, value)) RaiseNotInteger(text);
    return value;
}

Integer StrToIntDef(const UnicodeString& text, Integer defaultValue) {
    Integer value = 0;
    return TryStrToInt(text, value) ? value : defaultValue;
}

bool TryStrToInt64(const UnicodeString& text, Int64& value) {
    const TIntegerScan scan = ScanInteger(text, 64);
    if (scan.Complete) value = scan.Value;
    return scan.Complete;
}

Int64 StrToInt64(const UnicodeString& text) {
    Int64 value = 0;
    if (!TryStrToInt64(text, value)) RaiseNotInteger(text);
    return value;
}

Int64 StrToInt64Def(const UnicodeString& text, Int64 defaultValue) {
    Int64 value = 0;
    return TryStrToInt64(text, value) ? value : defaultValue;
}

Integer TextToInt(const UnicodeString& text) {
    return static_cast<Integer>(ScanInteger(text, 32).Value);
}

UnicodeString BoolToStr(bool value, bool useBoolStrs) {
    if (useBoolStrs) return value ? L"True" : L"False";
    return value ? L"-1" : L"0";
}
