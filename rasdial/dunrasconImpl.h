// Internal to the dialling component's files: the registration that the RAS notifiers report
// to, and the small record helpers the status and entry operations share.
#pragma once

#include "rasdial/dunrascon.h"

#include <algorithm>
#include <cstring>

// Registers `component` as `ActiveRasCon`; unregisters it only when it is still the one
// registered, after any notification running in it has finished.
void RegisterRasCon(TDunRasCon* component);
void UnregisterRasCon(TDunRasCon* component) noexcept;

// 0 when the RAS library is bound and so is `entryPoint` (read after binding), else 1157.
template <class Function> Integer RasNeeds(Function* const& entryPoint) {
    return RasApiAvailable() && entryPoint ? 0 : RasErrorLibraryMissing;
}

// The text of a fixed field up to its first NUL.
inline AnsiString FieldText(const char* field, std::size_t size) {
    return AnsiString(field, strnlen(field, size));
}

// Copies at most `maxChars` characters of `text` into a fixed field, NUL-terminated.
inline void PutFieldText(char* field, std::size_t size, const AnsiString& text,
                         std::size_t maxChars) {
    const std::size_t n = std::min(std::min(text.size(), maxChars), size - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}
