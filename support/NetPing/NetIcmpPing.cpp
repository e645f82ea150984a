// TICMP.Ping: resolving the address (dotted text directly, a name through the binder's
// resolver), building the payload, and one blocking echo through the helper library.
//
// The reply buffer stays with the object until the next Ping, because the reply record's Data
// points into it. It is sized as the system asks (a reply record, the echoed bytes and room
// for an ICMP error message): a buffer of the payload plus 28 bytes, enough in the 32-bit
// layout only without the error room, makes the system answer "Buffer too small".
#include "support/NetPing/NetIcmp.h"

#include "framework/TextEncoding.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char SignOn[] = "Velmora ICMP echo: greetings from the client.";
static_assert(sizeof(SignOn) - 1 == 45);

constexpr Integer BadDestination = 11018; // IP_BAD_DESTINATION

UnicodeString DottedText(Cardinal address) {
    in_addr in{};
    in.s_addr = address;
    return AnsiToUnicode(inet_ntoa(in));
}

} // namespace

const char* TICMP::SignOnText() noexcept { return SignOn; }

void TICMP::ResolveAddress() {
    const AnsiString text = UnicodeToAnsi(FAddress);
    FIPAddress = inet_addr(text.c_str());
    if (FIPAddress != INADDR_NONE && !text.empty()) {
        FHostName = FAddress;
    } else {
        FIPAddress = INADDR_NONE;
        ResolveName(text);
        if (FIPAddress == INADDR_NONE) return;
    }
    FHostIP = DottedText(FIPAddress);
    FAddrResolved = true;
}

// An empty name is refused here: the system resolver would answer the local host's own
// address for it.
void TICMP::ResolveName(const AnsiString& name) {
    const hostent* host = name.empty() ? nullptr : IcmpBinder().GetHostByName(name.c_str());
    const bool usable = host && host->h_addrtype == AF_INET && host->h_length == 4 &&
                        host->h_addr_list && host->h_addr_list[0];
    if (!usable) {
        FLastError = name.empty() || host ? WSAHOST_NOT_FOUND : WSAGetLastError();
        OnDisplay(this, L"Unable to resolve " + FAddress);
        return;
    }
    std::memcpy(&FIPAddress, host->h_addr_list[0], sizeof(FIPAddress));
    FHostName = AnsiToUnicode(host->h_name ? host->h_name : "");
}

void TICMP::BuildPayload() {
    FPayload.assign(static_cast<std::size_t>(FSize), Byte(' '));
    const std::size_t signOn = std::min(FPayload.size(), sizeof(SignOn) - 1);
    std::memcpy(FPayload.data(), SignOn, signOn);
}

Integer TICMP::Ping() {
    FLastError = 0;
    if (!FAddrResolved) ResolveAddress();
    if (FIPAddress == INADDR_NONE) {
        FLastError = BadDestination;
        OnDisplay(this, L"Invalid host address");
        return 0;
    }
    BuildPayload();
    FReplyBuffer.assign(sizeof(TIcmpEchoReply) + FPayload.size() + ReplySlack, 0);
    FReply = TIcmpEchoReply{};
    OnEchoRequest(this);
    const Integer replies = SendEcho();
    OnEchoReply(this, replies);
    return replies;
}

// On success the status of the reply is the error code: the system leaves the thread's last
// error as it was, which may be the code of an earlier failure.
Integer TICMP::SendEcho() {
    TIPOptionInformation options{static_cast<Byte>(FTTL), 0, static_cast<Byte>(FFlags), 0, nullptr};
    SetLastError(0);
    const DWORD replies = IcmpSendEcho(
        hICMP.Get(), FIPAddress, FPayload.data(), static_cast<WORD>(FPayload.size()), &options,
        FReplyBuffer.data(), static_cast<DWORD>(FReplyBuffer.size()), static_cast<DWORD>(FTimeOut));
    const DWORD error = GetLastError();
    std::memcpy(&FReply, FReplyBuffer.data(), sizeof(FReply));
    FLastError = static_cast<Integer>(replies > 0 ? FReply.Status : error);
    return static_cast<Integer>(replies);
}
