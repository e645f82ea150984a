// What the pool asks of the system: the 9x test, the clock of its timings, the try-enter that
// the 9x family lacks, and the names of the worker states.
//
// The 9x test is made once while the module initialises, from the platform identifier of the
// version query (1 is the 9x family); the program cannot run there, so it answers false in
// practice and the 9x branches only keep the documented behaviour.
#include "support/KitThreadPool/KitThreadPool.h"

namespace {

bool DetectWin9x() noexcept {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    return GetVersionExW(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

const bool IsWin9x = DetectWin9x();

Cardinal SystemTicks() noexcept { return GetTickCount(); }

std::atomic<TKitTickSource> TickSource{&SystemTicks};

constexpr const wchar_t* StateNames[] = {L"ctsInitializing", L"ctsWaiting",   L"ctsGetting",
                                         L"ctsProcessing",   L"ctsProcessed", L"ctsTerminating",
                                         L"ctsForReduce"};

} // namespace

bool OSIsWin9x() noexcept { return IsWin9x; }

TKitTickSource SetKitTickSource(TKitTickSource source) noexcept {
    return TickSource.exchange(source ? source : &SystemTicks);
}

Cardinal KitTickCount() noexcept { return TickSource.load()(); }

const wchar_t* KitThreadStateName(TKitThreadState state) noexcept {
    const auto index = static_cast<std::size_t>(state);
    return index < std::size(StateNames) ? StateNames[index] : L"";
}

bool TKitCriticalSection::TryEnterEx() noexcept {
    if (!OSIsWin9x()) return TryEnter();
    Enter();
    return true;
}
