// Binding the IP Helper library by name, through the class library's binder.
#include "client/IpHelperLoader.h"

#include "framework/LibraryBinder.h"

namespace {

// GUI thread only (see the header).
struct TIpHelperBinding {
    TIpHelperApi Api;
    TLibraryBinder Library{L"IPHLPAPI.DLL"}; // after Api: it clears Api when it goes
} Binding;

void BindAll(TLibraryBinder& library, TIpHelperApi& api) {
#define BIND(name) library.Bind(api.name, #name)
    BIND(GetAdaptersInfo);
    BIND(GetNetworkParams);
    BIND(GetTcpTable);
    BIND(GetTcpStatistics);
    BIND(GetUdpTable);
    BIND(GetUdpStatistics);
    BIND(GetIpStatistics);
    BIND(GetIpNetTable);
    BIND(GetIpAddrTable);
    BIND(GetIpForwardTable);
    BIND(GetIcmpStatistics);
    BIND(GetRTTAndHopCount);
    BIND(GetIfTable);
    BIND(GetIfEntry);
    BIND(GetFriendlyIfIndex);
    BIND(GetPerAdapterInfo);
    BIND(AllocateAndGetTcpExTableFromStack);
    BIND(AllocateAndGetUdpExTableFromStack);
    BIND(GetAdaptersAddresses);
    BIND(GetExtendedTcpTable);
    BIND(GetOwnerModuleFromTcpEntry);
    BIND(GetExtendedUdpTable);
    BIND(GetOwnerModuleFromUdpEntry);
    BIND(CreateIpForwardEntry);
    BIND(SetIpForwardEntry);
    BIND(DeleteIpForwardEntry);
#undef BIND
}

} // namespace

const TIpHelperApi& IpHelperApi() noexcept { return Binding.Api; }

HMODULE IpHelperLibrary() noexcept { return Binding.Library.Module(); }

bool LoadIpHelperApi() {
    if (Binding.Library.Loaded()) return true;
    if (!Binding.Library.Load()) return false;
    BindAll(Binding.Library, Binding.Api);
    return true;
}

void UnloadIpHelperApi() noexcept { Binding.Library.Unload(); }

void SetIpHelperLibraryName(const UnicodeString& name) { Binding.Library.SetLibraryName(name); }

TModuleEntry IpHelperLoaderModule() { return {L"IpHelperLoader", {}, nullptr, UnloadIpHelperApi}; }
