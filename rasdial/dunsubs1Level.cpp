// The system level byte. It is computed from the OS version on first use; the seam replaces it
// for tests, which run on a host that always reports the same version.
#include "rasdial/dunsubs1.h"

namespace {

struct TLevelState {
    Byte Level;
    Cardinal Minor;
};

TLevelState ComputeLevel() noexcept {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExW(&info)) return {RasLevelVista, 0}; // only newer systems refuse
    return {RasLevelOf(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion),
            info.dwMinorVersion};
}

TLevelState& LevelState() noexcept {
    static TLevelState state = ComputeLevel();
    return state;
}

} // namespace

Byte RasLevelOf(DWORD platformId, DWORD majorVersion, DWORD minorVersion) noexcept {
    if (platformId != VER_PLATFORM_WIN32_NT) return RasLevelWin9x;
    if (majorVersion == 5) return minorVersion > 0 ? RasLevelXP : RasLevelW2K;
    if (majorVersion >= 6) return RasLevelVista;
    return RasLevelNT4;
}

Byte RasOSLevel() noexcept { return LevelState().Level; }

Cardinal RasOSMinorVersion() noexcept { return LevelState().Minor; }

void SetRasOSLevel(Byte level, Cardinal minorVersion) noexcept {
    LevelState() = {level, minorVersion};
}
