// The system facts recorded at start-up and GetNativeSystemInfo looked up at run time (older
// systems lack it).
#include "support/Ucl/UclSysInfo.h"

#include "support/Ucl/UclUnitVersioning.h"

namespace {

TSystemFacts Facts;

} // namespace

bool ReadNativeSystemInfo(SYSTEM_INFO& info) noexcept {
    using TGetNativeSystemInfo = void(WINAPI*)(LPSYSTEM_INFO);
    const auto native = reinterpret_cast<TGetNativeSystemInfo>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo")));
    if (native) {
        native(&info);
        return true;
    }
    GetSystemInfo(&info);
    return false;
}

const TSystemFacts& SystemFacts() noexcept { return Facts; }

void InitSystemFacts() {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    TSystemFacts facts;
    facts.ProcessorCount = info.dwNumberOfProcessors;
    facts.AllocationGranularity = info.dwAllocationGranularity;
    facts.PageSize = info.dwPageSize;
    const TWindowsVersionFacts version = CurrentVersionFacts();
    facts.IsWinNT = version.PlatformId == VER_PLATFORM_WIN32_NT;
    facts.Kernel32ProductMs = version.Kernel32ProductMs;
    facts.Release = DetectWindowsRelease(version);
    facts.IsWinNT3 = facts.Release >= wrNT31 && facts.Release <= wrNT351;
    facts.IsWinNT35 = facts.Release == wrNT35 || facts.Release == wrNT351;
    Facts = facts;
}

TModuleEntry UclSysInfoModule() {
    return UnitVersionedModule(L"UclSysInfo", InitSystemFacts, nullptr);
}
