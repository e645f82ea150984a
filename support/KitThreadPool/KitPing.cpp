// Start-up and shut-down of the kit's ICMP binding. The library's handle is owned here from the
// moment it is loaded; the table only borrows it, and is emptied before the library goes.
#include "support/KitThreadPool/KitPing.h"

#include "framework/LibraryBinder.h"

namespace {

// Main thread only (start-up and shut-down).
TKitPingTable Table;
TLibraryBinder Library(L""); // after Table: it clears the table's functions when it goes

void Load() {
    Table = {};
    Library.SetLibraryName(KitPingBinder().LibraryName);
    if (!Library.Load()) {
        Table.LoadError = Library.LoadError();
        return;
    }
    Table.Library = Library.Module();
    Library.Bind(Table.IcmpCreateFile, "IcmpCreateFile");
    Library.Bind(Table.IcmpCloseHandle, "IcmpCloseHandle");
    Library.Bind(Table.IcmpSendEcho, "IcmpSendEcho");
}

void Unload() noexcept {
    Library.Unload();
    Table = {};
}

} // namespace

const TKitPingTable& KitPingTable() { return Table; }

TKitPingBinder& KitPingBinder() {
    static TKitPingBinder binder;
    return binder;
}

TModuleEntry KitPingModule() { return {L"KitPing", {}, Load, Unload}; }
