// Adding and deleting the relay route through the bound IP Helper entry points.
#include "client/RelayRoute.h"

#include "framework/Conversions.h"

namespace {

// The text split at "|", at most `limit` parts (the last keeps any further separators).
std::vector<UnicodeString> SplitBar(UnicodeString text, std::size_t limit) {
    std::vector<UnicodeString> parts;
    while (parts.size() + 1 < limit) {
        const auto at = text.find(L'|');
        if (at == UnicodeString::npos) break;
        parts.push_back(text.substr(0, at));
        text.erase(0, at + 1);
    }
    parts.push_back(text);
    return parts;
}

UnicodeString WithoutBlanks(const UnicodeString& text) {
    return StringReplace(text, L" ", L"", {rfReplaceAll});
}

} // namespace

bool TRelayRoute::PrepareRelayRoute(const UnicodeString& routeTarget) {
    TStringList dump;
    DumpRouteTable(&dump);
    if (dump.Count() == 0) return false;
    const std::vector<UnicodeString> parts = SplitBar(dump.Strings(0), 10);
    // An error text or "no entries." has no next-hop field.
    if (parts.size() < 3) return false;
    routerlist[0] = {routeTarget, L"255.255.255.255", WithoutBlanks(parts[2])};
    return true;
}

DWORD TRelayRoute::GatewayInterface() const {
    TStringList dump;
    DumpArpTable(&dump);
    DWORD index = DefaultInterface;
    for (int i = 0; i < dump.Count(); ++i) {
        const std::vector<UnicodeString> parts = SplitBar(dump.Strings(i), 5);
        if (parts.size() < 3 || parts[2].empty()) continue;
        Integer value = 0;
        index = TryStrToInt(L"$" + Trim(parts[0]), value) ? static_cast<DWORD>(value)
                                                          : DefaultInterface;
        if (WithoutBlanks(parts[2]) == routerlist[0].gateway) break;
    }
    return index;
}

DWORD TRelayRoute::AddRelayRoute() {
    if (!LoadIpHelperApi() || !IpHelperApi().CreateIpForwardEntry) return ERROR_INVALID_FUNCTION;
    const TRouteTableRead read = ReadRouteTable();
    if (!read.Sized) return ERROR_INVALID_FUNCTION;
    MIB_IPFORWARDROW route =
        read.Result == NO_ERROR && !read.Rows.empty() ? read.Rows[0] : MIB_IPFORWARDROW{};
    const Tmyrouter& relay = routerlist[0];
    if (relay.destionation.empty()) return ERROR_INVALID_FUNCTION;
    route.dwForwardDest = TextToIp(relay.destionation);
    route.dwForwardMask = TextToIp(relay.mask);
    route.dwForwardNextHop = TextToIp(relay.gateway);
    // A target or gateway that is not an address would become a route to or through 0.0.0.0.
    if (route.dwForwardDest == 0 || route.dwForwardNextHop == 0) return ERROR_INVALID_PARAMETER;
    route.dwForwardIfIndex = GatewayInterface();
    route.dwForwardMetric1 = 10;
    const DWORD result = IpHelperApi().CreateIpForwardEntry(&route);
    if (result == NO_ERROR) FRouteAdded = true;
    return result;
}

int TRelayRoute::DeleteRelayRoutes() {
    if (!LoadIpHelperApi() || !IpHelperApi().DeleteIpForwardEntry) return 0;
    const TRouteTableRead read = ReadRouteTable();
    if (!read.Sized || read.Result != NO_ERROR) return 0;
    int deleted = 0;
    for (MIB_IPFORWARDROW row : read.Rows) {
        if (row.dwForwardType > 4) row.dwForwardType = 0;
        if (row.dwForwardProto > 18) row.dwForwardProto = 0;
        for (const Tmyrouter& relay : routerlist) {
            if (relay.destionation.empty() || TextToIp(relay.destionation) != row.dwForwardDest)
                continue;
            if (IpHelperApi().DeleteIpForwardEntry(&row) == NO_ERROR) ++deleted;
        }
    }
    return deleted;
}

void TRelayRoute::CleanUpAtClose(const UnicodeString& programDir) {
    if (FRouteAdded) DeleteRelayRoutes();
    DeleteFileW((programDir + L"\\delroute.bat").c_str());
    DeleteFileW((programDir + L"\\route.bat").c_str());
}
