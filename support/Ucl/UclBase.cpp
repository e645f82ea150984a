// The ANSI replacement character and the base unit's module entry. The character is written
// by the start-up on the main thread before any other thread exists, and only read afterwards.
#include "support/Ucl/UclBase.h"

#include "support/Ucl/UclUnitVersioning.h"

#include <windows.h>

namespace {

char ReplacementChar = '?';

} // namespace

char AnsiReplacementChar() noexcept { return ReplacementChar; }

void InitAnsiReplacementChar() {
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info))
        throw EUclInternalError(L"Failed to get ANSI replacement character");
    ReplacementChar = static_cast<char>(info.DefaultChar[0]);
}

TModuleEntry UclBaseModule() {
    return UnitVersionedModule(L"UclBase", InitAnsiReplacementChar, nullptr);
}
