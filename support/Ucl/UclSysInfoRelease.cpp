// The Windows release rule and the reader of the running system's version facts.
#include "support/Ucl/UclSysInfo.h"

#include "framework/Conversions.h"
#include "support/Ucl/UclFileUtils.h"

namespace {

TVersionFactsReader& Reader() {
    static TVersionFactsReader reader;
    return reader;
}

int Win9xRelease(const TWindowsVersionFacts& f) noexcept {
    const bool spBC = f.ServicePack == L"B" || f.ServicePack == L"C";
    const bool spAB = f.ServicePack == L"A" || f.ServicePack == L"B";
    if (f.Minor < 10) return spBC ? wrWin95OSR2 : wrWin95;
    if (f.Minor < 90) {
        if (f.Kernel32ProductMs == 0x0004005A) return wrWinME;
        return spAB ? wrWin98SE : wrWin98;
    }
    return f.Minor == 90 ? wrWinME : wrUnknown;
}

int NT5Release(const TWindowsVersionFacts& f) noexcept {
    switch (f.Minor) {
    case 0: return wrWin2000;
    case 1: return wrWinXP;
    case 2:
        if (f.ServerR2) return wrWin2003R2;
        return !f.NativeX86 && f.Workstation ? wrWinXP64 : wrWin2003;
    default: return wrUnknown;
    }
}

int NT6Release(const TWindowsVersionFacts& f) noexcept {
    if (f.Minor == 0) return f.Workstation ? wrWinVista : wrWin2008;
    if (f.Minor == 1) return f.Workstation ? wrWin7 : wrWin2008R2;
    return wrUnknown;
}

int NTRelease(const TWindowsVersionFacts& f) noexcept {
    switch (f.Major) {
    case 3:
        return f.Minor == 1 ? wrNT31 : f.Minor == 5 ? wrNT35 : f.Minor == 51 ? wrNT351 : wrUnknown;
    case 4: return wrNT4;
    case 5: return NT5Release(f);
    case 6: return NT6Release(f);
    default: return wrUnknown;
    }
}

} // namespace

DWORD Kernel32ProductMs() {
    VS_FIXEDFILEINFO info{};
    if (!ReadFixedFileInfo(ModuleFileName(GetModuleHandleW(L"kernel32.dll")), info)) return 0;
    return info.dwProductVersionMS;
}

int DetectWindowsRelease(const TWindowsVersionFacts& facts) noexcept {
    if (facts.PlatformId == VER_PLATFORM_WIN32_WINDOWS) return Win9xRelease(facts);
    if (facts.PlatformId == VER_PLATFORM_WIN32_NT) return NTRelease(facts);
    return wrUnknown;
}

TWindowsVersionFacts CurrentVersionFacts() {
    return Reader() ? Reader()() : ReadRunningVersionFacts();
}

int DetectWindowsRelease() { return DetectWindowsRelease(CurrentVersionFacts()); }

void SetVersionFactsReader(TVersionFactsReader reader) { Reader() = std::move(reader); }

TWindowsVersionFacts ReadRunningVersionFacts() {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    TWindowsVersionFacts facts;
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return facts;
    facts.PlatformId = info.dwPlatformId;
    facts.Major = info.dwMajorVersion;
    facts.Minor = info.dwMinorVersion;
    facts.ServicePack = Trim(info.szCSDVersion);
    facts.Workstation = info.wProductType == VER_NT_WORKSTATION;
    facts.ServerR2 = GetSystemMetrics(SM_SERVERR2) != 0;
    SYSTEM_INFO system{};
    ReadNativeSystemInfo(system);
    facts.NativeX86 = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL;
    if (facts.PlatformId != VER_PLATFORM_WIN32_NT) facts.Kernel32ProductMs = Kernel32ProductMs();
    return facts;
}
