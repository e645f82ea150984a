// A module's link to the shared registry, and the unit routines over this module's link.
//
// The shared block holds one pointer: the registry of the module that created it, or null.
// The block and the pointer in it are read and written only while the named mutex is held.
// This module's link is used from start-up and shut-down (main thread) only.
#include "support/Ucl/UclUnitVersioning.h"

#include "support/Ucl/UclSysUtils.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

// Holds the named mutex for a scope. A mutex abandoned by a thread that ended is held all the
// same; only a failed wait leaves it alone.
class TMutexHold {
public:
    explicit TMutexHold(TUclMutex& mutex) : FMutex(mutex) {
        const TUclWaitResult result = FMutex.WaitForever();
        FHeld = result == wrUclSignaled || result == wrUclAbandoned;
    }
    ~TMutexHold() {
        if (FHeld) FMutex.Release();
    }
    TMutexHold(const TMutexHold&) = delete;
    TMutexHold& operator=(const TMutexHold&) = delete;

private:
    TUclMutex& FMutex;
    bool FHeld;
};

} // namespace

TUnitVersioningLink::TUnitVersioningLink(UnicodeString suffix)
    : FSuffix(suffix.empty() ? std::to_wstring(GetCurrentProcessId()) : std::move(suffix)) {}

TUnitVersioning* TUnitVersioningLink::Acquire() {
    if (FShutDown) return nullptr;
    if (!FMutex)
        FMutex = std::make_unique<TUclMutex>(nullptr, L"MutexNPA_UnitVersioning_" + FSuffix, false);
    if (!FRegistry)
        AcquireFirst();
    else if (FBlock)
        Reread();
    return FRegistry;
}

TUnitVersioning* TUnitVersioningLink::CreateOwned() {
    FRegistry = new TUnitVersioning;
    FOwnsRegistry = true;
    return FRegistry;
}

void TUnitVersioningLink::AcquireFirst() {
    TMutexHold hold(*FMutex);
    if (!FBlock) {
        try {
            MapSharedBlock(FBlock, L"ShmNPA_UnitVersioning_" + FSuffix, sizeof(TUnitVersioning*),
                           FILE_MAP_ALL_ACCESS);
        } catch (const Exception&) {
            FBlock = nullptr; // a registry of our own, then
        }
    }
    if (!FBlock) {
        CreateOwned();
        return;
    }
    auto*& shared = *static_cast<TUnitVersioning**>(FBlock);
    FRegistry = shared ? shared : (shared = CreateOwned());
}

// Another module may have taken over, or the owner may have left: in the latter case this
// module takes over with a new registry.
void TUnitVersioningLink::Reread() {
    TMutexHold hold(*FMutex);
    auto*& shared = *static_cast<TUnitVersioning**>(FBlock);
    if (shared == FRegistry) return;
    if (FOwnsRegistry) delete FRegistry;
    FOwnsRegistry = false;
    FRegistry = shared ? shared : (shared = CreateOwned());
}

void TUnitVersioningLink::Shutdown() noexcept {
    if (FShutDown) return;
    FShutDown = true;
    try {
        if (FBlock && FMutex) {
            TMutexHold hold(*FMutex);
            auto*& shared = *static_cast<TUnitVersioning**>(FBlock);
            if (FOwnsRegistry && shared == FRegistry) shared = nullptr;
            UnmapSharedBlock(FBlock);
        }
    } catch (...) {
        // Shutting down: nothing left to report to.
    }
    if (FOwnsRegistry) delete FRegistry;
    FRegistry = nullptr;
    FOwnsRegistry = false;
    FMutex.reset();
}

TUnitVersioningLink& ModuleUnitVersioning() {
    static TUnitVersioningLink link;
    return link;
}

TUnitVersioning* AcquireUnitVersioning() { return ModuleUnitVersioning().Acquire(); }

void PublishUnitVersion(HINSTANCE instance, const TUnitVersionInfo* info) {
    if (TUnitVersioning* registry = AcquireUnitVersioning()) registry->RecordUnit(instance, info);
}

void WithdrawUnitVersions(HINSTANCE instance) {
    if (TUnitVersioning* registry = AcquireUnitVersioning()) registry->ForgetModule(instance);
}

void ShutdownUnitVersioning() noexcept { ModuleUnitVersioning().Shutdown(); }

HINSTANCE ThisModuleInstance() noexcept { return reinterpret_cast<HINSTANCE>(&__ImageBase); }
