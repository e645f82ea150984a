// zlib failures as exceptions. The messages are zlib's own meanings of its codes, in English,
// as callers and logs expect fixed texts.
#include "support/ZLibStream/ZLibStream.h"

#include <array>

namespace {

// Indexed by 2 - code: zlib's codes run from 2 (need dictionary) down to -6.
constexpr std::array<const wchar_t*, 9> CodeMessages{
    L"need dictionary",     L"stream end",   L"ok",
    L"file error",          L"stream error", L"data error",
    L"insufficient memory", L"buffer error", L"incompatible version"};

UnicodeString CodeMessage(Integer errorCode) {
    const Integer index = 2 - errorCode;
    if (index < 0 || index >= static_cast<Integer>(CodeMessages.size()))
        return L"zlib error " + std::to_wstring(errorCode);
    return CodeMessages[static_cast<std::size_t>(index)];
}

} // namespace

EZLibError::EZLibError(Integer errorCode)
    : Exception(CodeMessage(errorCode)), FErrorCode(errorCode) {}

EZLibError::EZLibError(TZError error) : EZLibError(-1 - static_cast<Integer>(error)) {}

EZLibError::EZLibError(const UnicodeString& message) : Exception(message), FErrorCode(0) {}
