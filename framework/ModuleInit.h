// Module start-up and shut-down in an order the program states: the entry point lists its
// modules, each after the modules it uses, and runs `InitializeModules` before anything else
// and `FinalizeModules` at the end (also after a failed start-up). No module relies on C++
// static initialisation to set itself up, whose order between files is unspecified.
//
// The list is checked before any initialiser runs: every module's uses must appear earlier in
// the list, and names must be unique. Initialisers run in list order; finalisers run in reverse
// order for exactly the modules whose initialiser completed. Both run on the main thread.
// A test runs one module's initialiser alone by calling its entry's Initialize directly.
#pragma once

#include "framework/Exceptions.h"

#include <functional>
#include <vector>

struct TModuleEntry {
    UnicodeString Name;
    // Names of the modules this one uses; each must come earlier in the list.
    std::vector<UnicodeString> Uses;
    // Either may be empty.
    std::function<void()> Initialize;
    std::function<void()> Finalize;
};
using TModuleList = std::vector<TModuleEntry>;

// A module list in the wrong order, with a name twice or using a module that is not listed.
class EModuleOrderError : public Exception {
public:
    using Exception::Exception;
};

// Checks the order (EModuleOrderError naming the offender, nothing run), then runs the
// initialisers. When one raises, the modules initialised so far stay recorded for
// FinalizeModules and the exception propagates. Raises EInvalidOperation while modules are
// initialised already.
void InitializeModules(const TModuleList& modules);
// Runs the finalisers of the initialised modules, last first, and forgets them. Every finaliser
// runs even when one raises; the first exception is raised again at the end.
void FinalizeModules();

// The class library's own module: creates the global Application and frees it.
TModuleEntry FrameworkModule();
