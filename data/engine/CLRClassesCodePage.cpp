// CodePageEncoding: any Windows code page through the platform's converters, which report a
// failed conversion as a zero result (raised here as the operating-system error).
#include "data/engine/CLRClasses.h"

#include "framework/TextEncoding.h"

#include <windows.h>

TBytes CodePageEncoding::GetBytes(const AnsiString& chars) {
    return CodePageEncoding::GetBytes(AnsiToUnicode(chars));
}

Integer CodePageEncoding::GetBytes(const AnsiString& chars, Integer charIndex, Integer charCount,
                                   TBytes& bytes, Integer byteIndex) {
    return CodePageEncoding::GetBytes(AnsiToUnicode(chars), charIndex, charCount, bytes, byteIndex);
}

TBytes CodePageEncoding::GetBytes(const UnicodeString& chars) {
    if (chars.empty()) return {};
    const int size = WideCharToMultiByte(FCodePage, 0, chars.data(), int(chars.size()), nullptr, 0,
                                         nullptr, nullptr);
    if (size == 0) RaiseLastOSError(L"WideCharToMultiByte");
    TBytes bytes(size);
    CodePageEncoding::GetBytes(chars, 0, Integer(chars.size()), bytes, 0);
    return bytes;
}

Integer CodePageEncoding::GetBytes(const UnicodeString& chars, Integer charIndex, Integer charCount,
                                   TBytes& bytes, Integer byteIndex) {
    if (charCount <= 0) return 0;
    const int written = WideCharToMultiByte(FCodePage, 0, chars.data() + charIndex, charCount,
                                            reinterpret_cast<char*>(bytes.data()) + byteIndex,
                                            int(bytes.size()) - byteIndex, nullptr, nullptr);
    if (written == 0) RaiseLastOSError(L"WideCharToMultiByte");
    return written;
}

AnsiString CodePageEncoding::GetString(const TBytes& bytes, Integer index, Integer count) {
    return UnicodeToAnsi(CodePageEncoding::GetWideString(bytes, index, count));
}

UnicodeString CodePageEncoding::GetWideString(const TBytes& bytes, Integer index, Integer count) {
    if (count <= 0) return {};
    const char* source = reinterpret_cast<const char*>(bytes.data()) + index;
    const int size = MultiByteToWideChar(FCodePage, 0, source, count, nullptr, 0);
    if (size == 0) RaiseLastOSError(L"MultiByteToWideChar");
    UnicodeString text(size, L'\0');
    if (MultiByteToWideChar(FCodePage, 0, source, count, text.data(), size) == 0)
        RaiseLastOSError(L"MultiByteToWideChar");
    return text;
}
