// Wraps MultiByteToWideChar/WideCharToMultiByte; invalid input is replaced, never rejected, as
// the system does for the code page in question.
#include "framework/TextEncoding.h"

#include <windows.h>

namespace {

UnicodeString MultiByteToUnicode(const char* data, std::size_t size, unsigned codePage) {
    if (size == 0) return {};
    const int length = MultiByteToWideChar(codePage, 0, data, static_cast<int>(size), nullptr, 0);
    UnicodeString result(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, data, static_cast<int>(size), result.data(), length);
    return result;
}

std::string UnicodeToMultiByte(const wchar_t* data, std::size_t size, unsigned codePage) {
    if (size == 0) return {};
    const int length = WideCharToMultiByte(codePage, 0, data, static_cast<int>(size), nullptr, 0,
                                           nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, data, static_cast<int>(size), result.data(), length, nullptr,
                        nullptr);
    return result;
}

UnicodeString Utf16FromBytes(const unsigned char* bytes, std::size_t size, bool bigEndian) {
    UnicodeString result(size / 2, L'\0');
    for (std::size_t i = 0; i < result.size(); ++i) {
        const unsigned first = bytes[2 * i], second = bytes[2 * i + 1];
        result[i] = static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return result;
}

std::string Utf16ToBytes(const UnicodeString& text, bool bigEndian) {
    std::string result;
    result.reserve(text.size() * 2);
    for (const wchar_t ch : text) {
        const char high = static_cast<char>((ch >> 8) & 0xFF), low = static_cast<char>(ch & 0xFF);
        result.push_back(bigEndian ? high : low);
        result.push_back(bigEndian ? low : high);
    }
    return result;
}

} // namespace

UnicodeString AnsiToUnicode(const AnsiString& text, unsigned codePage) {
    return MultiByteToUnicode(text.data(), text.size(), codePage);
}

AnsiString UnicodeToAnsi(const UnicodeString& text, unsigned codePage) {
    return UnicodeToMultiByte(text.data(), text.size(), codePage);
}

UnicodeString Utf8ToUnicode(const std::string& text) { return AnsiToUnicode(text, CodePageUtf8); }

std::string UnicodeToUtf8(const UnicodeString& text) { return UnicodeToAnsi(text, CodePageUtf8); }

unsigned SystemCodePage() { return GetACP(); }

TTextEncoding DetectByteOrderMark(const void* data, std::size_t size, std::size_t& markLength) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        markLength = 3;
        return TTextEncoding::Utf8;
    }
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        markLength = 2;
        return TTextEncoding::Utf16LE;
    }
    if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        markLength = 2;
        return TTextEncoding::Utf16BE;
    }
    markLength = 0;
    return TTextEncoding::Ansi;
}

std::string ByteOrderMark(TTextEncoding encoding) {
    switch (encoding) {
    case TTextEncoding::Utf8: return "\xEF\xBB\xBF";
    case TTextEncoding::Utf16LE: return "\xFF\xFE";
    case TTextEncoding::Utf16BE: return "\xFE\xFF";
    case TTextEncoding::Ansi: break;
    }
    return {};
}

UnicodeString DecodeText(const void* data, std::size_t size, TTextEncoding encoding) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    switch (encoding) {
    case TTextEncoding::Utf8:
        return MultiByteToUnicode(static_cast<const char*>(data), size, CP_UTF8);
    case TTextEncoding::Utf16LE: return Utf16FromBytes(bytes, size, false);
    case TTextEncoding::Utf16BE: return Utf16FromBytes(bytes, size, true);
    case TTextEncoding::Ansi: break;
    }
    return MultiByteToUnicode(static_cast<const char*>(data), size, CP_ACP);
}

UnicodeString DecodeTextWithMark(const void* data, std::size_t size) {
    std::size_t markLength = 0;
    const TTextEncoding encoding = DetectByteOrderMark(data, size, markLength);
    return DecodeText(static_cast<const char*>(data) + markLength, size - markLength, encoding);
}

std::string EncodeText(const UnicodeString& text, TTextEncoding encoding) {
    switch (encoding) {
    case TTextEncoding::Utf8: return UnicodeToUtf8(text);
    case TTextEncoding::Utf16LE: return Utf16ToBytes(text, false);
    case TTextEncoding::Utf16BE: return Utf16ToBytes(text, true);
    case TTextEncoding::Ansi: break;
    }
    return UnicodeToAnsi(text);
}

UnicodeString BytesToChars(const std::string& bytes) {
    UnicodeString result(bytes.size(), L'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        result[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
    return result;
}

std::string CharsToBytes(const UnicodeString& text) {
    std::string result(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) result[i] = static_cast<char>(text[i] & 0xFF);
    return result;
}
