// The ordered list of the library's units. Units that only publish a version record here have
// no entry of their own elsewhere.
#include "support/Ucl/UclModules.h"

#include "support/Ucl/UclAnsiStrings.h"
#include "support/Ucl/UclBase.h"
#include "support/Ucl/UclFileUtils.h"
#include "support/Ucl/UclRTTI.h"
#include "support/Ucl/UclStrings.h"
#include "support/Ucl/UclSynch.h"
#include "support/Ucl/UclSysInfo.h"
#include "support/Ucl/UclSysUtils.h"
#include "support/Ucl/UclUnicode.h"
#include "support/Ucl/UclUnitVersioning.h"
#include "support/Ucl/UclWin32.h"

namespace {

TModuleEntry VersionOnly(const wchar_t* unit) {
    return UnitVersionedModule(unit, nullptr, nullptr);
}

} // namespace

TModuleList UclModules() {
    return {VersionOnly(L"UclResources"),
            UclWin32Module(),
            VersionOnly(L"UclStringConversions"),
            VersionOnly(L"UclLogic"),
            VersionOnly(L"Ucl8087"),
            VersionOnly(L"UclMath"),
            VersionOnly(L"UclDateTime"),
            VersionOnly(L"UclRegistry"),
            VersionOnly(L"UclSecurity"),
            VersionOnly(L"UclShell"),
            VersionOnly(L"UclConsole"),
            UclSysUtilsModule(),
            VersionOnly(L"UclCharsets"),
            VersionOnly(L"UclStreams"),
            UclAnsiStringsModule(),
            VersionOnly(L"UclIniFiles"),
            UclSysInfoModule(),
            UclUnicodeModule(),
            VersionOnly(L"UclWideStrings"),
            UclStringsModule(),
            UclSynchModule(),
            UclUnitVersioningModule(),
            UclBaseModule(),
            UclFileUtilsModule(),
            VersionOnly(L"UclMime"),
            UclRTTIModule()};
}
