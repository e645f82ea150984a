// The run-time binding of the IP Helper library: its handle and 26 entry points, each bound by
// name and nil while unbound or when the library lacks it. The product loads "IPHLPAPI.DLL";
// tests name a simulated library of their own before the first load.
//
// Loading and unloading happen on the GUI thread (the main window's creation and the module's
// end); the entry points are read afterwards.
#pragma once

#include "framework/ModuleInit.h"
#include "framework/System.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

// Not in the published headers: the old tables with owning process ids.
using TAllocateAndGetExTableFromStack = DWORD(WINAPI*)(PVOID* table, BOOL order, HANDLE heap,
                                                       DWORD flags, DWORD family);

struct TIpHelperApi {
    decltype(&::GetAdaptersInfo) GetAdaptersInfo = nullptr;
    decltype(&::GetNetworkParams) GetNetworkParams = nullptr;
    decltype(&::GetTcpTable) GetTcpTable = nullptr;
    decltype(&::GetTcpStatistics) GetTcpStatistics = nullptr;
    decltype(&::GetUdpTable) GetUdpTable = nullptr;
    decltype(&::GetUdpStatistics) GetUdpStatistics = nullptr;
    decltype(&::GetIpStatistics) GetIpStatistics = nullptr;
    decltype(&::GetIpNetTable) GetIpNetTable = nullptr;
    decltype(&::GetIpAddrTable) GetIpAddrTable = nullptr;
    decltype(&::GetIpForwardTable) GetIpForwardTable = nullptr;
    decltype(&::GetIcmpStatistics) GetIcmpStatistics = nullptr;
    decltype(&::GetRTTAndHopCount) GetRTTAndHopCount = nullptr;
    decltype(&::GetIfTable) GetIfTable = nullptr;
    decltype(&::GetIfEntry) GetIfEntry = nullptr;
    decltype(&::GetFriendlyIfIndex) GetFriendlyIfIndex = nullptr;
    decltype(&::GetPerAdapterInfo) GetPerAdapterInfo = nullptr;
    TAllocateAndGetExTableFromStack AllocateAndGetTcpExTableFromStack = nullptr;
    TAllocateAndGetExTableFromStack AllocateAndGetUdpExTableFromStack = nullptr;
    decltype(&::GetAdaptersAddresses) GetAdaptersAddresses = nullptr;
    decltype(&::GetExtendedTcpTable) GetExtendedTcpTable = nullptr;
    decltype(&::GetOwnerModuleFromTcpEntry) GetOwnerModuleFromTcpEntry = nullptr;
    decltype(&::GetExtendedUdpTable) GetExtendedUdpTable = nullptr;
    decltype(&::GetOwnerModuleFromUdpEntry) GetOwnerModuleFromUdpEntry = nullptr;
    decltype(&::CreateIpForwardEntry) CreateIpForwardEntry = nullptr;
    decltype(&::SetIpForwardEntry) SetIpForwardEntry = nullptr;
    decltype(&::DeleteIpForwardEntry) DeleteIpForwardEntry = nullptr;
};

// The bound entry points.
const TIpHelperApi& IpHelperApi() noexcept;
// The library handle; null until loaded.
HMODULE IpHelperLibrary() noexcept;

// True when the library is loaded (also when it already was); a failed load is tried again on
// the next call.
bool LoadIpHelperApi();
// Frees the library and clears the entry points.
void UnloadIpHelperApi() noexcept;
// The library to load: a name or a full path. Takes effect at the next load.
void SetIpHelperLibraryName(const UnicodeString& name);

// Frees the library at the program's end.
TModuleEntry IpHelperLoaderModule();
