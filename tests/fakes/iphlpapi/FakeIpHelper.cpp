// The exports of the simulated IP Helper library: the two table reads, route creation and
// deletion (which change only this library's own table and are recorded), and the two exports
// that only tests call. Nothing here reaches the system's routing table.
#include "FakeIpHelper.h"

#include <cstring>

namespace fakeip {

State& Shared() {
    static State state;
    return state;
}

namespace {

// Writes a table (count, then rows) into the caller's buffer, or answers the size needed.
template <class Table, class Row>
DWORD CopyTable(const std::vector<Row>& rows, DWORD extra, Table* table, PULONG size) {
    const ULONG needed = static_cast<ULONG>(offsetof(Table, table) + rows.size() * sizeof(Row));
    if (!size) return ERROR_INVALID_PARAMETER;
    if (!table || *size < needed) {
        *size = std::max<ULONG>(needed, sizeof(Table));
        return ERROR_INSUFFICIENT_BUFFER;
    }
    table->dwNumEntries = static_cast<DWORD>(rows.size()) + extra;
    if (!rows.empty()) std::memcpy(table->table, rows.data(), rows.size() * sizeof(Row));
    return NO_ERROR;
}

std::string RouteText(const MIB_IPFORWARDROW& row) {
    return AddressText(row.dwForwardDest) + " " + AddressText(row.dwForwardMask) + " " +
           AddressText(row.dwForwardNextHop) + " " + std::to_string(row.dwForwardIfIndex);
}

bool SameRoute(const MIB_IPFORWARDROW& a, const MIB_IPFORWARDROW& b) {
    return a.dwForwardDest == b.dwForwardDest && a.dwForwardMask == b.dwForwardMask &&
           a.dwForwardNextHop == b.dwForwardNextHop && a.dwForwardIfIndex == b.dwForwardIfIndex;
}

} // namespace

} // namespace fakeip

using namespace fakeip;

extern "C" {

DWORD WINAPI GetIpNetTable(PMIB_IPNETTABLE table, PULONG size, BOOL) {
    std::lock_guard<std::mutex> hold(Shared().Lock);
    if (Shared().Arp.empty() && Shared().ArpResult == NO_ERROR) return ERROR_NO_DATA;
    if (table && Shared().ArpResult != NO_ERROR) return Shared().ArpResult;
    return CopyTable(Shared().Arp, Shared().ExtraCount, table, size);
}

DWORD WINAPI GetIpForwardTable(PMIB_IPFORWARDTABLE table, PULONG size, BOOL) {
    std::lock_guard<std::mutex> hold(Shared().Lock);
    if (!table && Shared().RouteSizeResult != ERROR_INSUFFICIENT_BUFFER)
        return Shared().RouteSizeResult;
    if (table && Shared().RouteResult != NO_ERROR) return Shared().RouteResult;
    return CopyTable(Shared().Routes, Shared().ExtraCount, table, size);
}

DWORD WINAPI CreateIpForwardEntry(PMIB_IPFORWARDROW route) {
    std::lock_guard<std::mutex> hold(Shared().Lock);
    if (!route) return ERROR_INVALID_PARAMETER;
    Shared().Calls +=
        "create " + RouteText(*route) + " metric " + std::to_string(route->dwForwardMetric1) + "\n";
    if (Shared().CreateResult == NO_ERROR) Shared().Routes.push_back(*route);
    return Shared().CreateResult;
}

DWORD WINAPI DeleteIpForwardEntry(PMIB_IPFORWARDROW route) {
    std::lock_guard<std::mutex> hold(Shared().Lock);
    if (!route) return ERROR_INVALID_PARAMETER;
    Shared().Calls += "delete " + RouteText(*route) + "\n";
    auto& routes = Shared().Routes;
    for (auto it = routes.begin(); it != routes.end(); ++it) {
        if (!SameRoute(*it, *route)) continue;
        routes.erase(it);
        return NO_ERROR;
    }
    return ERROR_NOT_FOUND;
}

// Replaces the whole state with the scenario; 0 or the number of the first bad line (the
// state is then empty).
int WINAPI FakeIpHelperSetScript(const char* text) {
    std::lock_guard<std::mutex> hold(Shared().Lock);
    State& state = Shared();
    state.Arp.clear();
    state.Routes.clear();
    state.ArpResult = state.RouteResult = state.CreateResult = NO_ERROR;
    state.RouteSizeResult = ERROR_INSUFFICIENT_BUFFER;
    state.ExtraCount = 0;
    state.Calls.clear();
    const int bad = ReadScript(text ? text : "", state);
    if (bad != 0) state.Arp.clear(), state.Routes.clear();
    return bad;
}

// Copies the recorded calls (one line each) into `buffer` with a NUL; answers their length.
DWORD WINAPI FakeIpHelperCalls(char* buffer, DWORD size) {
    std::lock_guard<std::mutex> hold(Shared().Lock);
    const std::string& calls = Shared().Calls;
    if (buffer && size > 0) {
        const std::size_t n = std::min<std::size_t>(size - 1, calls.size());
        std::memcpy(buffer, calls.data(), n);
        buffer[n] = '\0';
    }
    return static_cast<DWORD>(calls.size());
}
}
