// TICMP's life: the socket library, the ICMP helper library bound through IcmpBinder, and the
// ICMP handle, taken in that order by the constructor and given back in reverse by Close (also
// when the constructor fails half-way), plus the checked setters.
#include "support/NetPing/NetIcmp.h"

#include <ipexport.h>

#include <cstddef>

// The record must keep the system's layout: the reply buffer is read through it.
static_assert(sizeof(TIcmpEchoReply) == sizeof(ICMP_ECHO_REPLY));
static_assert(offsetof(TIcmpEchoReply, Data) == offsetof(ICMP_ECHO_REPLY, Data));
static_assert(offsetof(TIcmpEchoReply, Options) == offsetof(ICMP_ECHO_REPLY, Options));
static_assert(sizeof(TIPOptionInformation) == sizeof(IP_OPTION_INFORMATION));
#if !defined(_WIN64)
static_assert(sizeof(TIcmpEchoReply) == 28);
#endif

TIcmpBinder& IcmpBinder() {
    static TIcmpBinder binder;
    return binder;
}

TICMP::TICMP() {
    try {
        StartWinsock();
        LoadLibraryFunctions();
        OpenIcmpHandle();
    } catch (...) {
        Close();
        throw;
    }
}

TICMP::~TICMP() { Close(); }

void TICMP::StartWinsock() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) throw TICMPException(L"Error initialising Winsock");
    FWinsockStarted = true;
}

template <class Function> static bool Bind(HMODULE library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return function != nullptr;
}

void TICMP::LoadLibraryFunctions() {
    hICMPdll.Reset(LoadLibraryW(IcmpBinder().LibraryName.c_str()));
    if (!hICMPdll) throw TICMPException(L"Unable to register icmp.dll");
    const bool bound = Bind(hICMPdll.Get(), "IcmpCreateFile", IcmpCreateFile) &&
                       Bind(hICMPdll.Get(), "IcmpCloseHandle", IcmpCloseHandle) &&
                       Bind(hICMPdll.Get(), "IcmpSendEcho", IcmpSendEcho);
    if (!bound) throw TICMPException(L"Error loading dll functions");
}

void TICMP::OpenIcmpHandle() {
    TIcmpHandleTraits traits;
    traits.CloseFunction = IcmpCloseHandle;
    hICMP.Reset(IcmpCreateFile(), traits);
    if (!hICMP) throw TICMPException(L"Unable to get ping handle");
}

void TICMP::Close() noexcept {
    hICMP.Reset();
    hICMPdll.Reset();
    if (FWinsockStarted) WSACleanup();
    FWinsockStarted = false;
}

void TICMP::SetAddress(const UnicodeString& Value) {
    if (Value == FAddress) return;
    FAddress = Value;
    FAddrResolved = false;
}

static void CheckRange(Integer value, Integer low, Integer high, const wchar_t* what) {
    if (value >= low && value <= high) return;
    throw TICMPException(UnicodeString(L"Invalid ") + what + L" " + std::to_wstring(value) +
                         L" (allowed " + std::to_wstring(low) + L" to " + std::to_wstring(high) +
                         L")");
}

void TICMP::SetSize(Integer Value) {
    CheckRange(Value, 0, MaxSize, L"echo size");
    FSize = Value;
}

void TICMP::SetTimeOut(Integer Value) {
    CheckRange(Value, 0, INT32_MAX, L"time-out");
    FTimeOut = Value;
}

void TICMP::SetTTL(Integer Value) {
    CheckRange(Value, 0, 255, L"TTL");
    FTTL = Value;
}

void TICMP::SetFlags(Integer Value) {
    CheckRange(Value, 0, 255, L"flags");
    FFlags = Value;
}
