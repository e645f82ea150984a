// TIcmpClient over the system's ICMP helper (IcmpCreateFile/IcmpSendEcho of iphlpapi). IPv4
// only: the hosts it pings are IPv4 addresses or names with IPv4 addresses. A dotted address is
// taken as it is; a name is looked up with getaddrinfo on every Ping, so a changed address is
// seen at once (the callers ping a handful of times, so nothing is cached).
#include "framework/IcmpClient.h"

#include "framework/Handles.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <atomic>
#include <memory>
#include <vector>

namespace {

unsigned long SystemSendEcho(void* icmpHandle, unsigned long destination, void* requestData,
                             Word requestSize, void* requestOptions, void* replyBuffer,
                             unsigned long replySize, unsigned long timeout) {
    return IcmpSendEcho(icmpHandle, destination, requestData, requestSize,
                        static_cast<PIP_OPTION_INFORMATION>(requestOptions), replyBuffer, replySize,
                        timeout);
}

// Atomic: clients on any thread read it while a test may replace it.
std::atomic<TIcmpSendEcho> GSendEcho{&SystemSendEcho};

[[noreturn]] void RaiseIcmpError(const UnicodeString& what, DWORD code) {
    throw EIcmpError(what + L": " + SysErrorMessage(code) + L" (" + std::to_wstring(code) + L")");
}

// Owns the handle of IcmpCreateFile.
using TOwnedIcmpHandle = TOwnedBy<HANDLE, &::IcmpCloseHandle>;

TOwnedIcmpHandle OpenIcmpHandle() {
    const HANDLE handle = IcmpCreateFile();
    if (handle == INVALID_HANDLE_VALUE) RaiseIcmpError(L"IcmpCreateFile", GetLastError());
    return TOwnedIcmpHandle(handle);
}

// Keeps Winsock started while a name is looked up.
class TWinsockUse {
public:
    TWinsockUse() {
        WSADATA data;
        if (const int error = WSAStartup(MAKEWORD(2, 2), &data))
            RaiseIcmpError(L"WSAStartup", error);
    }
    TWinsockUse(const TWinsockUse&) = delete;
    TWinsockUse& operator=(const TWinsockUse&) = delete;
    ~TWinsockUse() { WSACleanup(); }
};

struct TAddressListFree {
    void operator()(ADDRINFOW* list) const noexcept { FreeAddrInfoW(list); }
};
using TAddressList = std::unique_ptr<ADDRINFOW, TAddressListFree>;

// The host's first IPv4 address, in network order.
IPAddr ResolveHost(const UnicodeString& host) {
    if (host.empty()) throw EIcmpError(L"No host to ping");
    const TWinsockUse winsock;
    ADDRINFOW hints{};
    hints.ai_family = AF_INET;
    ADDRINFOW* found = nullptr;
    if (const int error = GetAddrInfoW(host.c_str(), nullptr, &hints, &found))
        RaiseIcmpError(L"Cannot resolve \"" + host + L"\"", error);
    const TAddressList list(found);
    return reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr.s_addr;
}

UnicodeString DottedAddress(IPAddr address) {
    const auto* bytes = reinterpret_cast<const Byte*>(&address); // network order: first byte first
    return std::to_wstring(bytes[0]) + L"." + std::to_wstring(bytes[1]) + L"." +
           std::to_wstring(bytes[2]) + L"." + std::to_wstring(bytes[3]);
}

// Room for the reply record, the echoed payload, an ICMP error message (8 bytes) and the
// IO_STATUS_BLOCK the system may place there, as IcmpSendEcho requires.
std::vector<Byte> ReplyBuffer(Word payloadSize) {
    return std::vector<Byte>(sizeof(ICMP_ECHO_REPLY) + payloadSize + 8 + 2 * sizeof(void*));
}

TIcmpReply ReplyWithStatus(Cardinal ipStatus, Cardinal timeout) {
    TIcmpReply reply;
    reply.IpStatus = ipStatus;
    if (ipStatus == IP_REQ_TIMED_OUT) {
        reply.Status = TIcmpReplyStatus::TimedOut;
        reply.RoundTripTime = timeout;
    }
    return reply;
}

// An ICMP error names the router or host that sent it; an echo also carries the payload back.
TIcmpReply ReplyFrom(const ICMP_ECHO_REPLY& echo, Cardinal timeout) {
    TIcmpReply reply = ReplyWithStatus(echo.Status, timeout);
    if (reply.Status == TIcmpReplyStatus::TimedOut) return reply;
    reply.FromAddress = DottedAddress(echo.Address);
    if (echo.Status != IP_SUCCESS) return reply;
    reply.Status = TIcmpReplyStatus::Echo;
    reply.RoundTripTime = echo.RoundTripTime;
    reply.BytesReceived = echo.DataSize;
    return reply;
}

// IcmpSendEcho reports an echo that ended without a reply through the last error: an IP status
// code is an outcome, anything else a failure to send.
TIcmpReply ReplyFromFailure(DWORD error, Cardinal timeout, const UnicodeString& host) {
    if (error >= IP_STATUS_BASE && error <= IP_PENDING) return ReplyWithStatus(error, timeout);
    RaiseIcmpError(L"IcmpSendEcho to \"" + host + L"\"", error);
}

TIcmpReply SendEcho(IPAddr address, Word payloadSize, Cardinal timeout, const UnicodeString& host) {
    const TOwnedIcmpHandle icmp = OpenIcmpHandle();
    // Never empty, so that an echo without payload still passes a valid buffer.
    std::vector<Byte> payload(payloadSize + 1u, 'E');
    std::vector<Byte> buffer = ReplyBuffer(payloadSize);
    const DWORD count = GSendEcho.load()(icmp.Get(), address, payload.data(), payloadSize, nullptr,
                                         buffer.data(), static_cast<DWORD>(buffer.size()), timeout);
    if (count == 0) return ReplyFromFailure(GetLastError(), timeout, host);
    return ReplyFrom(*reinterpret_cast<const ICMP_ECHO_REPLY*>(buffer.data()), timeout);
}

} // namespace

TIcmpSendEcho SetIcmpSendEcho(TIcmpSendEcho call) noexcept {
    return GSendEcho.exchange(call ? call : &SystemSendEcho);
}

void TIcmpClient::SetReceiveTimeout(Cardinal milliseconds) {
    if (milliseconds == 0)
        throw EInvalidOperation(L"The ICMP receive time-out must be at least 1 ms");
    FReceiveTimeout = milliseconds;
}

TIcmpReply TIcmpClient::Ping() {
    const TIcmpReply reply = SendEcho(ResolveHost(FHost), FPacketSize, FReceiveTimeout, FHost);
    OnReply(this, reply);
    return reply;
}
