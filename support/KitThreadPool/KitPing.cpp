// Start-up and shut-down of the kit's ICMP binding. The library's handle is owned here from the
// moment it is loaded; the table only borrows it, and is emptied before the library goes.
#include "support/KitThreadPool/KitPing.h"

#include <memory>
#include <type_traits>

namespace {

struct TLibraryFree {
    void operator()(HMODULE library) const noexcept { FreeLibrary(library); }
};
using TOwnedLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, TLibraryFree>;

// Main thread only (start-up and shut-down).
TOwnedLibrary Library;
TKitPingTable Table;

template <class Function>
void Bind(HMODULE library, Function& function, const char* name) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

void Load() {
    Table = {};
    Library.reset(LoadLibraryW(KitPingBinder().LibraryName.c_str()));
    if (!Library) {
        Table.LoadError = GetLastError();
        return;
    }
    Table.Library = Library.get();
    Bind(Table.Library, Table.IcmpCreateFile, "IcmpCreateFile");
    Bind(Table.Library, Table.IcmpCloseHandle, "IcmpCloseHandle");
    Bind(Table.Library, Table.IcmpSendEcho, "IcmpSendEcho");
}

void Unload() noexcept {
    Table = {};
    Library.reset();
}

} // namespace

const TKitPingTable& KitPingTable() { return Table; }

TKitPingBinder& KitPingBinder() {
    static TKitPingBinder binder;
    return binder;
}

TModuleEntry KitPingModule() { return {L"KitPing", {}, Load, Unload}; }
