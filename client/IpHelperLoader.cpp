// Binding the IP Helper library by name.
#include "client/IpHelperLoader.h"

#include <memory>
#include <type_traits>

namespace {

struct TLibraryFree {
    void operator()(HMODULE library) const noexcept { FreeLibrary(library); }
};
using TOwnedLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, TLibraryFree>;

// GUI thread only (see the header).
struct TIpHelperBinding {
    UnicodeString LibraryName = L"IPHLPAPI.DLL";
    TOwnedLibrary Library;
    TIpHelperApi Api;
} Binding;

template <class Function>
void Bind(HMODULE library, Function& entry, const char* name) {
    entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

void BindAll(HMODULE library, TIpHelperApi& api) {
#define BIND(name) Bind(library, api.name, #name);
    BIND(GetAdaptersInfo) BIND(GetNetworkParams) BIND(GetTcpTable) BIND(GetTcpStatistics)
    BIND(GetUdpTable) BIND(GetUdpStatistics) BIND(GetIpStatistics) BIND(GetIpNetTable)
    BIND(GetIpAddrTable) BIND(GetIpForwardTable) BIND(GetIcmpStatistics) BIND(GetRTTAndHopCount)
    BIND(GetIfTable) BIND(GetIfEntry) BIND(GetFriendlyIfIndex) BIND(GetPerAdapterInfo)
    BIND(AllocateAndGetTcpExTableFromStack) BIND(AllocateAndGetUdpExTableFromStack)
    BIND(GetAdaptersAddresses) BIND(GetExtendedTcpTable) BIND(GetOwnerModuleFromTcpEntry)
    BIND(GetExtendedUdpTable) BIND(GetOwnerModuleFromUdpEntry) BIND(CreateIpForwardEntry)
    BIND(SetIpForwardEntry) BIND(DeleteIpForwardEntry)
#undef BIND
}

}  // namespace

const TIpHelperApi& IpHelperApi() noexcept { return Binding.Api; }

HMODULE IpHelperLibrary() noexcept { return Binding.Library.get(); }

bool LoadIpHelperApi() {
    if (Binding.Library) return true;
    Binding.Library.reset(LoadLibraryW(Binding.LibraryName.c_str()));
    if (!Binding.Library) return false;
    BindAll(Binding.Library.get(), Binding.Api);
    return true;
}

void UnloadIpHelperApi() noexcept {
    Binding.Api = {};
    Binding.Library.reset();
}

void SetIpHelperLibraryName(const UnicodeString& name) { Binding.LibraryName = name; }

TModuleEntry IpHelperLoaderModule() { return {L"IpHelperLoader", {}, nullptr, UnloadIpHelperApi}; }
