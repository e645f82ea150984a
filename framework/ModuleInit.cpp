// The ordered module list: checking it, and running the initialisers and finalisers. The
// record of initialised modules is process-wide and touched by the main thread only.
#include "framework/ModuleInit.h"

#include <algorithm>

namespace {

// Modules whose initialiser completed, in the order they ran.
TModuleList Initialized;

bool Listed(const TModuleList& modules, std::size_t count, const UnicodeString& name) {
    return std::any_of(modules.begin(), modules.begin() + static_cast<std::ptrdiff_t>(count),
                       [&](const TModuleEntry& entry) { return entry.Name == name; });
}

void CheckUses(const TModuleList& modules, std::size_t index) {
    const TModuleEntry& entry = modules[index];
    for (const UnicodeString& used : entry.Uses) {
        if (Listed(modules, index, used)) continue;
        if (Listed(modules, modules.size(), used))
            throw EModuleOrderError(L"Module " + entry.Name + L" must come after " + used +
                                    L", which it uses");
        throw EModuleOrderError(L"Module " + entry.Name + L" uses " + used +
                                L", which is not in the module list");
    }
}

void CheckOrder(const TModuleList& modules) {
    for (std::size_t index = 0; index < modules.size(); ++index) {
        if (Listed(modules, index, modules[index].Name))
            throw EModuleOrderError(L"Module " + modules[index].Name + L" is listed twice");
        CheckUses(modules, index);
    }
}

} // namespace

void InitializeModules(const TModuleList& modules) {
    if (!Initialized.empty())
        throw EInvalidOperation(L"Modules are initialised already; finalise them first");
    CheckOrder(modules);
    Initialized.reserve(modules.size()); // recording a completed module must not fail
    for (const TModuleEntry& entry : modules) {
        if (entry.Initialize) entry.Initialize();
        Initialized.push_back(entry);
    }
}

void FinalizeModules() {
    TModuleList finalizing;
    finalizing.swap(Initialized);
    std::exception_ptr first;
    for (auto entry = finalizing.rbegin(); entry != finalizing.rend(); ++entry) {
        try {
            if (entry->Finalize) entry->Finalize();
        } catch (...) {
            if (!first) first = std::current_exception();
        }
    }
    if (first) std::rethrow_exception(first);
}
