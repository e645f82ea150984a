// The kit's binding of the system's ICMP helper library: at start-up the module loads the
// library and binds its three echo functions into a table; at shut-down it unloads the library
// and empties the table. Nothing in the program calls through the table: the kit keeps it for
// its own completeness, and the ping component binds the library on its own.
//
// A library that does not load leaves the table empty and the program starts all the same; a
// function the library lacks stays null. The table is written only by the module's start-up and
// shut-down, on the main thread.
//
//   TKitPingTable, KitPingTable()      the bound library and functions
//   TKitPingBinder, KitPingBinder()    the library name the start-up loads
//   KitPingModule()                    start-up and shut-down
#pragma once

#include "framework/ModuleInit.h"
#include "framework/System.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

struct TKitPingTable {
    HMODULE Library = nullptr; // null while not loaded
    // What LoadLibraryW reported when the library did not load; 0 otherwise.
    DWORD LoadError = 0;
    decltype(&::IcmpCreateFile) IcmpCreateFile = nullptr;
    decltype(&::IcmpCloseHandle) IcmpCloseHandle = nullptr;
    decltype(&::IcmpSendEcho) IcmpSendEcho = nullptr;
};
const TKitPingTable& KitPingTable();

// The product keeps the default name; tests name a library of their own. Set before start-up.
struct TKitPingBinder {
    UnicodeString LibraryName = L"icmp.dll";
};
TKitPingBinder& KitPingBinder();

TModuleEntry KitPingModule();
