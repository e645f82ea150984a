// The ARP table and the IPv4 route table as text lines, and IPv4 addresses between dotted text
// and 32-bit values (first octet in the lowest byte, as the published table rows hold them).
//
// Line formats (the class library's Format):
//   ARP:   "%8x | %12s | %16s| %10s"  interface, physical address, address, type name;
//          an empty table is the one line " ARP-cache empty."
//   route: "%15s|%15s|%15s|%8.8x|%7s|   %5.5d|    %7s|        %2.2d"  destination, mask,
//          next hop, interface, type name, next-hop AS, protocol name, metric 1;
//          an empty table is the one line "no entries."
// A table call that fails after the size query gives the system's text for the code as the
// only line.
#pragma once

#include "client/IpHelperLoader.h"
#include "framework/StringLists.h"

#include <vector>

extern const wchar_t* const ArpTypeNames[5];
extern const wchar_t* const RouteTypeNames[5];
extern const wchar_t* const RouteProtoNames[19];

// Cuts the text before the first `separator` off `source` into `token` (the separator goes
// too); without a separator the whole source becomes the token.
void CutToken(UnicodeString& source, wchar_t separator, UnicodeString& token);
// "XX-XX-..." of the first `length` bytes (at most 8); "00-00-00-00-00-00" for length 0.
UnicodeString MacToText(const Byte* address, DWORD length);
// Each octet right-aligned in 3 characters: " 10.  0.  0.  1".
UnicodeString IpToText(DWORD address);
// Four dot-separated octets; a part that is not a number from 0 to 255 zeroes what was read so
// far (the later parts still shift in), so a text with fewer than four parts gives 0.
DWORD TextToIp(UnicodeString text);

// Both load the library first; without it, or without the table call, they add nothing.
void DumpArpTable(TStrings* list);
void DumpRouteTable(TStrings* list);

// One read of a table: Sized is false when the size query did not answer "buffer too small"
// (ERROR_INSUFFICIENT_BUFFER); otherwise Result is the second call's answer and the rows are
// those the buffer really holds.
struct TRouteTableRead {
    bool Sized = false;
    DWORD Result = 0;
    std::vector<MIB_IPFORWARDROW> Rows;
};
// The route table, sorted. The library must be loaded.
TRouteTableRead ReadRouteTable();
