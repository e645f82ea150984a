// The ARP and route table dumps. Each table call is made twice: once for the size, once into
// a buffer of that size. The row count the system reports is trusted only as far as the
// buffer reaches.
#include "client/IPHelper.h"

#include "framework/Format.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

constexpr DWORD ArpTypeCount = 5;
constexpr DWORD RouteTypeCount = 5;
constexpr DWORD RouteProtoCount = 19;

// Rows of a table record in `buffer` (a count followed by rows), bounded by the buffer.
template <class Row> std::vector<Row> RowsOf(const std::vector<Byte>& buffer) {
    if (buffer.size() < sizeof(DWORD)) return {};
    DWORD count = 0;
    std::memcpy(&count, buffer.data(), sizeof(DWORD));
    constexpr std::size_t first = offsetof(MIB_IPFORWARDTABLE, table);
    static_assert(offsetof(MIB_IPNETTABLE, table) == first);
    const std::size_t fit = buffer.size() < first ? 0 : (buffer.size() - first) / sizeof(Row);
    std::vector<Row> rows(std::min<std::size_t>(count, fit));
    if (!rows.empty()) std::memcpy(rows.data(), buffer.data() + first, rows.size() * sizeof(Row));
    return rows;
}

UnicodeString ArpLine(const MIB_IPNETROW& row) {
    const DWORD type = row.dwType < ArpTypeCount ? row.dwType : 0;
    return Format(L"%8x | %12s | %16s| %10s",
                  {row.dwIndex, MacToText(row.bPhysAddr, row.dwPhysAddrLen), IpToText(row.dwAddr),
                   ArpTypeNames[type]});
}

UnicodeString RouteLine(const MIB_IPFORWARDROW& row) {
    const DWORD type = row.dwForwardType < RouteTypeCount ? row.dwForwardType : 0;
    const DWORD proto = row.dwForwardProto < RouteProtoCount ? row.dwForwardProto : 0;
    return Format(L"%15s|%15s|%15s|%8.8x|%7s|   %5.5d|    %7s|        %2.2d",
                  {IpToText(row.dwForwardDest), IpToText(row.dwForwardMask),
                   IpToText(row.dwForwardNextHop), row.dwForwardIfIndex, RouteTypeNames[type],
                   row.dwForwardNextHopAS, RouteProtoNames[proto], row.dwForwardMetric1});
}

} // namespace

TRouteTableRead ReadRouteTable() {
    TRouteTableRead read;
    const auto getTable = IpHelperApi().GetIpForwardTable;
    if (!getTable) return read;
    ULONG size = 0;
    if (getTable(nullptr, &size, TRUE) != ERROR_INSUFFICIENT_BUFFER) return read;
    read.Sized = true;
    std::vector<Byte> buffer(std::max<ULONG>(size, sizeof(MIB_IPFORWARDTABLE)));
    size = static_cast<ULONG>(buffer.size());
    read.Result = getTable(reinterpret_cast<MIB_IPFORWARDTABLE*>(buffer.data()), &size, TRUE);
    if (read.Result == NO_ERROR) read.Rows = RowsOf<MIB_IPFORWARDROW>(buffer);
    return read;
}

void DumpArpTable(TStrings* list) {
    if (!LoadIpHelperApi() || !list) return;
    list->Clear();
    const auto getTable = IpHelperApi().GetIpNetTable;
    if (!getTable) return;
    ULONG size = 0;
    DWORD result = getTable(nullptr, &size, FALSE);
    if (result == ERROR_NO_DATA) {
        list->Add(L" ARP-cache empty.");
        return;
    }
    std::vector<Byte> buffer(std::max<ULONG>(size, sizeof(MIB_IPNETTABLE)));
    size = static_cast<ULONG>(buffer.size());
    result = getTable(reinterpret_cast<MIB_IPNETTABLE*>(buffer.data()), &size, FALSE);
    if (result != NO_ERROR) {
        list->Add(SysErrorMessage(result));
        return;
    }
    const std::vector<MIB_IPNETROW> rows = RowsOf<MIB_IPNETROW>(buffer);
    if (rows.empty()) list->Add(L" ARP-cache empty.");
    for (const MIB_IPNETROW& row : rows) list->Add(ArpLine(row));
}

void DumpRouteTable(TStrings* list) {
    if (!LoadIpHelperApi() || !list) return;
    list->Clear();
    const TRouteTableRead read = ReadRouteTable();
    if (!read.Sized) return;
    if (read.Result != NO_ERROR) {
        list->Add(SysErrorMessage(read.Result));
        return;
    }
    if (read.Rows.empty()) list->Add(L"no entries.");
    for (const MIB_IPFORWARDROW& row : read.Rows) list->Add(RouteLine(row));
}
