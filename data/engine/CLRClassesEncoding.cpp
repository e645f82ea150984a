// The ANSI encoding (the base class), UTF-16 and UTF-8. 8-bit text is in the system code page;
// conversions go through the class library's text routines.
#include "data/engine/CLRClasses.h"

#include "framework/TextEncoding.h"

namespace {
TBytes ToBytes(const void* data, std::size_t size) {
    const Byte* b = static_cast<const Byte*>(data);
    return TBytes(b, b + size);
}
} // namespace

// --- Encoding: the system ANSI code page ---

TBytes Encoding::GetBytes(const AnsiString& chars) { return ToBytes(chars.data(), chars.size()); }

Integer Encoding::GetBytes(const AnsiString& chars, Integer charIndex, Integer charCount,
                           TBytes& bytes, Integer byteIndex) {
    if (charCount > 0) std::memcpy(bytes.data() + byteIndex, chars.data() + charIndex, charCount);
    return charCount;
}

TBytes Encoding::GetBytes(const UnicodeString& chars) {
    return Encoding::GetBytes(UnicodeToAnsi(chars));
}

Integer Encoding::GetBytes(const UnicodeString& chars, Integer charIndex, Integer charCount,
                           TBytes& bytes, Integer byteIndex) {
    return Encoding::GetBytes(UnicodeToAnsi(chars), charIndex, charCount, bytes, byteIndex);
}

AnsiString Encoding::GetString(const TBytes& bytes, Integer index, Integer count) {
    if (count <= 0) return {};
    return AnsiString(reinterpret_cast<const char*>(bytes.data()) + index, count);
}

UnicodeString Encoding::GetWideString(const TBytes& bytes, Integer index, Integer count) {
    return AnsiToUnicode(Encoding::GetString(bytes, index, count));
}

// --- UnicodeEncoding: UTF-16LE ---

TBytes UnicodeEncoding::GetBytes(const AnsiString& chars) {
    return UnicodeEncoding::GetBytes(AnsiToUnicode(chars));
}

Integer UnicodeEncoding::GetBytes(const AnsiString& chars, Integer charIndex, Integer charCount,
                                  TBytes& bytes, Integer byteIndex) {
    return UnicodeEncoding::GetBytes(AnsiToUnicode(chars), charIndex, charCount, bytes, byteIndex);
}

TBytes UnicodeEncoding::GetBytes(const UnicodeString& chars) {
    return ToBytes(chars.data(), chars.size() * sizeof(wchar_t));
}

Integer UnicodeEncoding::GetBytes(const UnicodeString& chars, Integer charIndex, Integer charCount,
                                  TBytes& bytes, Integer byteIndex) {
    if (charCount > 0)
        std::memcpy(bytes.data() + byteIndex, chars.data() + charIndex,
                    charCount * sizeof(wchar_t));
    return 2 * charCount;
}

AnsiString UnicodeEncoding::GetString(const TBytes& bytes, Integer index, Integer count) {
    return UnicodeToAnsi(UnicodeEncoding::GetWideString(bytes, index, count));
}

UnicodeString UnicodeEncoding::GetWideString(const TBytes& bytes, Integer index, Integer count) {
    if (count <= 0) return {};
    UnicodeString text(count / 2, L'\0');
    std::memcpy(text.data(), bytes.data() + index, text.size() * sizeof(wchar_t));
    return text;
}

// --- UTF8Encoding ---

TBytes UTF8Encoding::GetBytes(const AnsiString& chars) {
    return UTF8Encoding::GetBytes(AnsiToUnicode(chars));
}

Integer UTF8Encoding::GetBytes(const AnsiString&, Integer, Integer, TBytes&, Integer) {
    throw Exception(L"not implemented");
}

TBytes UTF8Encoding::GetBytes(const UnicodeString& chars) {
    const std::string utf8 = UnicodeToUtf8(chars);
    return ToBytes(utf8.data(), utf8.size());
}

Integer UTF8Encoding::GetBytes(const UnicodeString&, Integer, Integer, TBytes&, Integer) {
    throw Exception(L"not implemented");
}

AnsiString UTF8Encoding::GetString(const TBytes& bytes, Integer index, Integer count) {
    return UnicodeToAnsi(UTF8Encoding::GetWideString(bytes, index, count));
}

UnicodeString UTF8Encoding::GetWideString(const TBytes& bytes, Integer index, Integer count) {
    if (count <= 0) return {};
    return Utf8ToUnicode(std::string(reinterpret_cast<const char*>(bytes.data()) + index, count));
}

// --- Convert ---

TBytes Encoding::Convert(Encoding* srcEncoding, Encoding* dstEncoding, const TBytes& bytes) {
    return Convert(srcEncoding, dstEncoding, bytes, 0, Integer(bytes.size()));
}

TBytes Encoding::Convert(Encoding* srcEncoding, Encoding* dstEncoding, const TBytes& bytes,
                         Integer index, Integer count) {
    if (srcEncoding == dstEncoding)
        return count > 0 ? TBytes(bytes.begin() + index, bytes.begin() + index + count) : TBytes();
    return dstEncoding->GetBytes(srcEncoding->GetWideString(bytes, index, count));
}
