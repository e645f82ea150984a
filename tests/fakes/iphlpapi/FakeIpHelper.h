// The simulated IP Helper library's state: the scripted tables, the scripted answers and the
// record of route creations and deletions. One lock guards all of it.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <mutex>
#include <string>
#include <vector>

namespace fakeip {

struct State {
    std::mutex Lock;
    std::vector<MIB_IPNETROW> Arp;
    std::vector<MIB_IPFORWARDROW> Routes;
    DWORD ArpResult = NO_ERROR;                        // answer of the second GetIpNetTable call
    DWORD RouteSizeResult = ERROR_INSUFFICIENT_BUFFER; // answer of the size query
    DWORD RouteResult = NO_ERROR; // answer of the second GetIpForwardTable call
    DWORD CreateResult = NO_ERROR;
    DWORD ExtraCount = 0; // rows claimed beyond those written (a lying table)
    std::string Calls;    // one line per create or delete
};

State& Shared();
// Reads a scenario into `state`; 0 or the number of the first line it cannot read.
int ReadScript(const std::string& text, State& state);
std::string AddressText(DWORD address);

} // namespace fakeip
