// Reading another process's command line, and the debug privilege that lets this process open
// the service host. The command line is read from the target's process parameters, in the
// layout of this build's pointer width (a 32-bit product reads 32-bit processes).
#pragma once

#include "framework/ModuleInit.h"
#include "framework/System.h"

#include <windows.h>

// The command line of process `processId`; empty on any failure.
UnicodeString GetProcessCommandLine(DWORD processId);
// Enables SeDebugPrivilege in this process's token (NT platforms); failures are ignored.
void EnableDebugPrivilege();
// The module whose start enables the debug privilege.
TModuleEntry ProcessCommandLineModule();
