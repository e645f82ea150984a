// The second module's exports. Each runs the library's code linked into this DLL, against the
// registry that the process's modules share.
#include "framework/ExceptionBoundary.h"
#include "support/Ucl/UclModules.h"
#include "support/Ucl/UclUnitVersioning.h"

namespace {

const TUnitVersionInfo SecondModuleRecord{L"$URL: tests/fakes/uclmodule/UclSecondModule.cpp $",
                                          L"$Revision: 7 $",
                                          L"$Date: 2026-12-10 09:30:00 +0000 $",
                                          L"tests/fakes/uclmodule",
                                          L"",
                                          nullptr};

} // namespace

extern "C" {

// Publishes this module's record and answers the registry it went into.
__declspec(dllexport) void* SecondModulePublish() {
    void* registry = nullptr;
    GuardBoundary([&] {
        PublishUnitVersion(ThisModuleInstance(), &SecondModuleRecord);
        registry = AcquireUnitVersioning();
    });
    return registry;
}

// The registry as this module finds it now (null after its shut-down).
__declspec(dllexport) void* SecondModuleRegistry() {
    void* registry = nullptr;
    GuardBoundary([&] { registry = AcquireUnitVersioning(); });
    return registry;
}

// This module's shut-down: withdraws its records and lets go of the registry.
__declspec(dllexport) void SecondModuleShutdown() {
    GuardBoundary([] {
        WithdrawUnitVersions(ThisModuleInstance());
        ShutdownUnitVersioning();
    });
}

// Runs the library's start-ups in this module; answers whether they all ran.
__declspec(dllexport) BOOL SecondModuleStartUcl() {
    bool started = false;
    GuardBoundary([&] {
        InitializeModules(UclModules());
        started = true;
    });
    return started;
}

__declspec(dllexport) void SecondModuleStopUcl() {
    GuardBoundary([] { FinalizeModules(); });
}

__declspec(dllexport) HINSTANCE SecondModuleInstance() { return ThisModuleInstance(); }
}
