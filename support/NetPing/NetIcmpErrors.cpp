// The texts of the ICMP status codes (the system's IP_* values, 11000 and up) that TICMP
// reports through GetErrorString.
#include "support/NetPing/NetIcmp.h"

namespace {

struct TStatusText {
    Integer Code;
    const wchar_t* Text;
};

constexpr TStatusText StatusTexts[] = {
    {0, L"No error"},
    {11001, L"Buffer too small"},
    {11002, L"Destination network unreachable"},
    {11003, L"Destination host unreachable"},
    {11004, L"Destination protocol unreachable"},
    {11005, L"Destination port unreachable"},
    {11006, L"No resources"},
    {11007, L"Bad option"},
    {11008, L"Hardware error"},
    {11009, L"Packet too big"},
    {11010, L"Request timed out"},
    {11011, L"Bad request"},
    {11012, L"Bad route"},
    {11013, L"TTL expired in transit"},
    {11014, L"TTL expired in reassembly"},
    {11015, L"Parameter problem"},
    {11016, L"Source quench"},
    {11017, L"Option too big"},
    {11018, L"Bad Destination"},
    {11019, L"Address deleted"},
    {11020, L"Spec MTU change"},
    {11021, L"MTU change"},
    {11050, L"General failure"},
    {11255, L"Pending"},
};

} // namespace

UnicodeString TICMP::IcmpErrorString(Integer Code) {
    for (const TStatusText& entry : StatusTexts)
        if (entry.Code == Code) return entry.Text;
    return L"ICMP error #" + std::to_wstring(Code);
}
