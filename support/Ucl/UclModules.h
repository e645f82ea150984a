// The library units of this family in the order their start-ups run: each publishes its
// version record for this module; the system helpers among them also build their tables and
// facts. Shut-down runs in reverse order. The program puts these after the class library's
// own module in its module list.
#pragma once

#include "framework/ModuleInit.h"

TModuleList UclModules();
