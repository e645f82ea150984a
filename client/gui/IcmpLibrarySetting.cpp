// The ICMP helper library chosen from the environment. Kept apart from the program's entry,
// whose declarations would otherwise meet the socket headers the ping component brings.
#include "client/gui/IcmpLibrarySetting.h"

#include "support/NetPing/NetIcmp.h"

#include <cstdlib>

void ApplyIcmpLibrarySetting() {
    const wchar_t* path = _wgetenv(L"VELMORA_ICMP_LIBRARY");
    if (path && *path) IcmpBinder().LibraryName = path;
}
