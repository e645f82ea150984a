// The ICMP echo client: sends one echo request to an IPv4 host and reports the reply.
//
//   TIcmpReplyStatus  how an echo ended
//   TIcmpReply        one echo's outcome, as the reply event and Ping() hand it over
//   EIcmpError        the echo could not be sent (no host, a name that does not resolve, a
//                     failed system call)
//   TIcmpClient       the component: Host, ReceiveTimeout, PacketSize, Ping(), OnReply
//   SetIcmpSendEcho   replaces the system's echo call, for tests
//
// A component because forms own it. Ping() blocks the calling thread for at most about the
// receive time-out (plus the name lookup for a host name), so a GUI caller processes pending
// messages between echoes. It goes through the system's ICMP helper (IcmpSendEcho), which needs
// no raw-socket privilege.
#pragma once

#include "framework/Components.h"
#include "framework/Events.h"

enum class TIcmpReplyStatus {
    Echo,     // the host answered
    TimedOut, // no answer within the receive time-out
    Error     // an ICMP error came back instead (unreachable, TTL expired...): see IpStatus
};

struct TIcmpReply {
    TIcmpReplyStatus Status = TIcmpReplyStatus::Error;
    // Milliseconds; the receive time-out itself when the echo timed out, 0 for an error.
    Cardinal RoundTripTime = 0;
    // The dotted IPv4 address that answered (the echo, or the ICMP error's sender); empty when
    // nothing did.
    UnicodeString FromAddress;
    // Bytes of echoed payload; 0 unless the host answered.
    Integer BytesReceived = 0;
    // The system's IP status code (0 for success, 11010 for a time-out...).
    Cardinal IpStatus = 0;
};

using TIcmpReplyEvent = TMethodEvent<void(TObject* Sender, const TIcmpReply& Reply)>;

class EIcmpError : public Exception {
public:
    using Exception::Exception;
};

// The system's echo call, replaceable so that tests can produce what loopback never gives
// (time-outs, ICMP errors, failures to send). Parameters and result are IcmpSendEcho's; a
// replacement reports a failure through SetLastError as the system's call does.
using TIcmpSendEcho = unsigned long (*)(void* icmpHandle, unsigned long destination,
                                        void* requestData, Word requestSize, void* requestOptions,
                                        void* replyBuffer, unsigned long replySize,
                                        unsigned long timeout);
// Installs `call` for every client (null restores the system's) and returns the previous one.
TIcmpSendEcho SetIcmpSendEcho(TIcmpSendEcho call) noexcept;

class TIcmpClient : public TComponent {
    CLASS_INFO(TIcmpClient, TComponent)
public:
    static constexpr Cardinal DefaultReceiveTimeout = 5000;
    static constexpr Word DefaultPacketSize = 32;

    explicit TIcmpClient(TComponent* AOwner) : TComponent(AOwner) {}

    // A dotted IPv4 address or a host name (resolved to its first IPv4 address on each Ping).
    const UnicodeString& Host() const noexcept { return FHost; }
    void SetHost(const UnicodeString& value) { FHost = value; }
    // Milliseconds, at least 1; raises EInvalidOperation for 0.
    Cardinal ReceiveTimeout() const noexcept { return FReceiveTimeout; }
    void SetReceiveTimeout(Cardinal milliseconds);
    // Bytes of payload in each echo request.
    Word PacketSize() const noexcept { return FPacketSize; }
    void SetPacketSize(Word bytes) { FPacketSize = bytes; }

    // Raised once per echo, answered or not, before Ping returns.
    TIcmpReplyEvent OnReply;

    // Sends one echo and waits for its reply or the time-out. Raises EIcmpError when the echo
    // cannot be sent; a time-out or an ICMP error is a reply, not an exception.
    TIcmpReply Ping();

private:
    UnicodeString FHost;
    Cardinal FReceiveTimeout = DefaultReceiveTimeout;
    Word FPacketSize = DefaultPacketSize;
};
