// The scenario text of the simulated IP Helper library. One directive per line, words
// separated by blanks, "#" starts a comment; numbers in decimal or with "0x":
//   arp INDEX MAC ADDRESS TYPE        an ARP row; MAC as "00-1A-2B-3C-4D-5E" or "-" (none)
//   route DEST MASK NEXTHOP INDEX TYPE PROTO METRIC [AS]   a route row
//   arp-result CODE | route-result CODE | route-size-result CODE | create-result CODE
//   extra-count N                     the tables claim N rows more than they hold
#include "FakeIpHelper.h"

#include <cstdlib>
#include <sstream>

namespace fakeip {

namespace {

bool Number(const std::string& word, DWORD& value) {
    if (word.empty()) return false;
    char* end = nullptr;
    const unsigned long parsed = std::strtoul(word.c_str(), &end, 0);
    if (*end != '\0') return false;
    value = static_cast<DWORD>(parsed);
    return true;
}

bool Address(const std::string& word, DWORD& value) {
    std::istringstream parts(word);
    std::string part;
    value = 0;
    for (int i = 0; i < 4; ++i) {
        DWORD octet = 0;
        if (!std::getline(parts, part, '.') || !Number(part, octet) || octet > 255) return false;
        value |= octet << (8 * i);
    }
    return parts.peek() == EOF;
}

bool Mac(const std::string& word, MIB_IPNETROW& row) {
    row.dwPhysAddrLen = 0;
    if (word == "-") return true;
    std::istringstream parts(word);
    std::string part;
    while (std::getline(parts, part, '-')) {
        char* end = nullptr;
        const unsigned long byte = std::strtoul(part.c_str(), &end, 16);
        if (*end != '\0' || part.size() != 2 || row.dwPhysAddrLen == MAXLEN_PHYSADDR) return false;
        row.bPhysAddr[row.dwPhysAddrLen++] = static_cast<BYTE>(byte);
    }
    return row.dwPhysAddrLen > 0;
}

bool ArpLine(std::istringstream& words, State& state) {
    std::string index, mac, address, type;
    MIB_IPNETROW row{};
    DWORD value = 0;
    if (!(words >> index >> mac >> address >> type)) return false;
    if (!Number(index, row.dwIndex) || !Mac(mac, row) || !Address(address, row.dwAddr))
        return false;
    if (!Number(type, value)) return false;
    row.dwType = value;
    state.Arp.push_back(row);
    return true;
}

bool RouteLine(std::istringstream& words, State& state) {
    std::string dest, mask, hop, index, type, proto, metric, as;
    MIB_IPFORWARDROW row{};
    DWORD typeValue = 0, protoValue = 0;
    if (!(words >> dest >> mask >> hop >> index >> type >> proto >> metric)) return false;
    if (!Address(dest, row.dwForwardDest) || !Address(mask, row.dwForwardMask) ||
        !Address(hop, row.dwForwardNextHop) || !Number(index, row.dwForwardIfIndex) ||
        !Number(type, typeValue) || !Number(proto, protoValue) ||
        !Number(metric, row.dwForwardMetric1))
        return false;
    row.dwForwardType = typeValue;
    row.dwForwardProto = protoValue;
    if (words >> as && !Number(as, row.dwForwardNextHopAS)) return false;
    state.Routes.push_back(row);
    return true;
}

bool Line(const std::string& line, State& state) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string directive, value;
    if (!(words >> directive)) return true;
    if (directive == "arp") return ArpLine(words, state);
    if (directive == "route") return RouteLine(words, state);
    if (!(words >> value)) return false;
    if (directive == "arp-result") return Number(value, state.ArpResult);
    if (directive == "route-result") return Number(value, state.RouteResult);
    if (directive == "route-size-result") return Number(value, state.RouteSizeResult);
    if (directive == "create-result") return Number(value, state.CreateResult);
    if (directive == "extra-count") return Number(value, state.ExtraCount);
    return false;
}

} // namespace

int ReadScript(const std::string& text, State& state) {
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!Line(line, state)) return number;
    }
    return 0;
}

std::string AddressText(DWORD address) {
    return std::to_string(address & 0xFF) + "." + std::to_string(address >> 8 & 0xFF) + "." +
           std::to_string(address >> 16 & 0xFF) + "." + std::to_string(address >> 24);
}

} // namespace fakeip
