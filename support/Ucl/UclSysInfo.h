// Windows release detection and the process-wide system facts.
//
// `DetectWindowsRelease` applies the release rule to a `TWindowsVersionFacts` record; the
// running system's record is read through a replaceable reader (the seam tests use, since the
// test host always reports one version). The facts are written by `InitSystemFacts` during the
// start-up, on the main thread, and only read afterwards.
#pragma once

#include "framework/ModuleInit.h"
#include "framework/System.h"

#include <windows.h>

#include <functional>

// Release codes, in the order the rule below produces them.
enum TWindowsRelease : int {
    wrUnknown = 0,
    wrWin95,
    wrWin95OSR2,
    wrWin98,
    wrWin98SE,
    wrWinME,
    wrNT31,
    wrNT35,
    wrNT351,
    wrNT4,
    wrWin2000,
    wrWinXP,
    wrWin2003,
    wrWinXP64,
    wrWin2003R2,
    wrWinVista,
    wrWin2008,
    wrWin7,
    wrWin2008R2
};

// What the rule looks at.
struct TWindowsVersionFacts {
    DWORD PlatformId = 0;
    DWORD Major = 0;
    DWORD Minor = 0;
    UnicodeString ServicePack;   // trimmed
    bool Workstation = false;    // the extended version record's product type
    bool ServerR2 = false;       // GetSystemMetrics(SM_SERVERR2) nonzero
    bool NativeX86 = true;       // the native processor architecture is x86
    DWORD Kernel32ProductMs = 0; // kernel32's product version word on 9x platforms, else 0
};

int DetectWindowsRelease(const TWindowsVersionFacts& facts) noexcept;
// The release of the running system (through the reader below).
int DetectWindowsRelease();

using TVersionFactsReader = std::function<TWindowsVersionFacts()>;
TWindowsVersionFacts ReadRunningVersionFacts();
// The reader's facts: the running system's unless a test replaced the reader.
TWindowsVersionFacts CurrentVersionFacts();
// Replaces the reader; an empty function restores the system's. Main thread, tests only.
void SetVersionFactsReader(TVersionFactsReader reader);

// The product version word (most significant) of kernel32.dll; 0 when it cannot be read.
DWORD Kernel32ProductMs();

// Calls GetNativeSystemInfo when kernel32 exports it (true), else GetSystemInfo (false).
bool ReadNativeSystemInfo(SYSTEM_INFO& info) noexcept;

struct TSystemFacts {
    DWORD ProcessorCount = 0;
    DWORD AllocationGranularity = 0;
    DWORD PageSize = 0;
    bool IsWinNT = false;
    DWORD Kernel32ProductMs = 0; // 0 on NT
    int Release = wrUnknown;     // the one release flag that is set
    bool IsWinNT3 = false;       // any NT 3.x
    bool IsWinNT35 = false;      // NT 3.5, and NT 3.51 too
};

const TSystemFacts& SystemFacts() noexcept;
void InitSystemFacts();

TModuleEntry UclSysInfoModule();
