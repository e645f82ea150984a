// `TPing`: the ICMP echo component. It owns a TICMP (one echo request at a time, blocking)
// and adds events that carry both objects and an asynchronous host-name lookup whose answer
// arrives as a message on the component's hidden window.
//
// The component attaches its window when created, on the creating thread; that thread must
// handle messages for DnsLookup to complete, and is the one that frees the component.
#pragma once

#include "support/NetPing/NetIcmp.h"
#include "support/NetPing/NetWndControl.h"

class TPing;

using TPingDisplay = TMethodEvent<void(TObject* Sender, TObject* Icmp, const UnicodeString& Msg)>;
using TPingRequest = TMethodEvent<void(TObject* Sender, TObject* Icmp)>;
using TPingReply = TMethodEvent<void(TObject* Sender, TObject* Icmp, int Status)>;
using TDnsLookupDone = TMethodEvent<void(TObject* Sender, Word Error)>;

class TPing : public TNetWndControl {
    CLASS_INFO(TPing, TNetWndControl)
public:
    // The buffer the system fills with the host record of an asynchronous lookup.
    static constexpr int DnsLookupBufferSize = 2050;
    // The error OnDnsLookupDone reports for a cancelled lookup (WSAEINTR).
    static constexpr Word LookupCancelled = 10004;

    // Raises ENetException when the window cannot be attached and TICMPException when the
    // ICMP library is not available.
    explicit TPing(TComponent* AOwner);
    ~TPing() override;
    void BeforeDestruction() override;

    UnicodeString Address() const { return FIcmp ? FIcmp->Address() : UnicodeString(); }
    void SetAddress(const UnicodeString& Value);
    Integer Size() const noexcept { return FIcmp ? FIcmp->Size() : 0; }
    void SetSize(Integer Value);
    Integer Timeout() const noexcept { return FIcmp ? FIcmp->TimeOut() : 0; }
    void SetTimeout(Integer Value);
    Integer TTL() const noexcept { return FIcmp ? FIcmp->TTL() : 0; }
    void SetTTL(Integer Value);
    Integer Flags() const noexcept { return FIcmp ? FIcmp->Flags() : 0; }
    void SetFlags(Integer Value);

    TIcmpEchoReply Reply() const noexcept { return FIcmp ? FIcmp->Reply() : TIcmpEchoReply{}; }
    Integer ErrorCode() const noexcept { return FIcmp ? FIcmp->LastError() : -1; }
    UnicodeString ErrorString() const { return TICMP::IcmpErrorString(ErrorCode()); }
    UnicodeString HostName() const { return FIcmp ? FIcmp->HostName() : UnicodeString(); }
    UnicodeString HostIP() const { return FIcmp ? FIcmp->HostIP() : UnicodeString(); }
    const UnicodeString& DnsResult() const noexcept { return FDnsResult; }
    HMODULE ICMPDLLHandle() const noexcept { return FIcmp ? FIcmp->ICMPDLLHandle() : nullptr; }
    bool DnsLookupPending() const noexcept { return FDnsLookupHandle != nullptr; }

    // One echo request: the number of replies (1 when the host answered), 0 on failure.
    virtual Integer Ping();
    // Starts resolving `HostName`; OnDnsLookupDone reports the end (at once for dotted text).
    // Raises Exception when the lookup cannot start.
    virtual void DnsLookup(const UnicodeString& HostName);
    // Cancels a pending lookup (OnDnsLookupDone then reports LookupCancelled).
    void CancelDnsLookup();

    TPingDisplay OnDisplay;
    TPingRequest OnEchoRequest;
    TPingReply OnEchoReply;
    TDnsLookupDone OnDnsLookupDone;

protected:
    void WndProc(TMessage& Msg) override;
    int MsgHandlersCount() override { return 1 + TNetWndControl::MsgHandlersCount(); }
    void AllocateMsgHandlers() override;
    void FreeMsgHandlers() override;
    virtual void WMAsyncGetHostByName(TMessage& Msg);

private:
    void IcmpDisplay(TObject* Sender, const UnicodeString& Msg);
    void IcmpEchoRequest(TObject* Sender);
    void IcmpEchoReply(TObject* Sender, int Status);
    void FinishDestruction() noexcept;

    TICMP* FIcmp = nullptr;
    UINT FMsg_WM_ASYNCGETHOSTBYNAME = 0;
    HANDLE FDnsLookupHandle = nullptr;
    // Written by the system while a lookup is pending; must stay put until its message.
    alignas(8) char FDnsLookupBuffer[DnsLookupBufferSize] = {};
    UnicodeString FDnsResult;
};
