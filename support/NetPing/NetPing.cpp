// TPing: the component around TICMP. Its second message number receives the end of an
// asynchronous host lookup; the ICMP object's events are passed on with both objects.
//
// A pending lookup writes into the component's buffer, so it is cancelled before the
// component goes; the cancellation is reported like any other end of a lookup.
#include "support/NetPing/NetPing.h"

#include "framework/TextEncoding.h"

#include <cstring>

TPing::TPing(TComponent* AOwner) : TNetWndControl(AOwner) {
    ThreadAttach();
    try {
        FIcmp = Construct<TICMP>();
    } catch (...) {
        Dispose(); // the constructor's own numbers must not outlive it
        throw;
    }
    FIcmp->OnDisplay = TIcmpDisplay(this, &TPing::IcmpDisplay);
    FIcmp->OnEchoRequest = TIcmpEchoRequest(this, &TPing::IcmpEchoRequest);
    FIcmp->OnEchoReply = TIcmpEchoReplyEvent(this, &TPing::IcmpEchoReply);
}

TPing::~TPing() { FinishDestruction(); }

void TPing::BeforeDestruction() {
    FinishDestruction();
    TNetWndControl::BeforeDestruction();
}

void TPing::FinishDestruction() noexcept {
    try {
        CancelDnsLookup();
    } catch (...) {
        FDnsLookupHandle = nullptr; // cannot be cancelled: its message is still routed nowhere
    }
    FreeAndNil(FIcmp);
    Dispose();
}

void TPing::AllocateMsgHandlers() {
    TNetWndControl::AllocateMsgHandlers();
    FMsg_WM_ASYNCGETHOSTBYNAME = FWndHandler->AllocateMsgHandler(this);
}

void TPing::FreeMsgHandlers() {
    FWndHandler->UnregisterMessage(FMsg_WM_ASYNCGETHOSTBYNAME);
    TNetWndControl::FreeMsgHandlers();
}

void TPing::SetAddress(const UnicodeString& Value) {
    if (FIcmp) FIcmp->SetAddress(Value);
}
void TPing::SetSize(Integer Value) {
    if (FIcmp) FIcmp->SetSize(Value);
}
void TPing::SetTimeout(Integer Value) {
    if (FIcmp) FIcmp->SetTimeOut(Value);
}
void TPing::SetTTL(Integer Value) {
    if (FIcmp) FIcmp->SetTTL(Value);
}
void TPing::SetFlags(Integer Value) {
    if (FIcmp) FIcmp->SetFlags(Value);
}

Integer TPing::Ping() { return FIcmp ? FIcmp->Ping() : 0; }

void TPing::IcmpDisplay(TObject*, const UnicodeString& Msg) { OnDisplay(this, FIcmp, Msg); }
void TPing::IcmpEchoRequest(TObject*) { OnEchoRequest(this, FIcmp); }
void TPing::IcmpEchoReply(TObject*, int Status) { OnEchoReply(this, FIcmp, Status); }

void TPing::DnsLookup(const UnicodeString& HostName) {
    if (FDnsLookupHandle) {
        try {
            CancelDnsLookup();
        } catch (const Exception&) {
        }
    }
    FDnsResult.clear();
    const AnsiString name = UnicodeToAnsi(HostName);
    const unsigned long address = inet_addr(name.c_str());
    if (address != INADDR_NONE && !name.empty()) {
        in_addr in{};
        in.s_addr = address;
        FDnsResult = AnsiToUnicode(inet_ntoa(in));
        OnDnsLookupDone(this, 0);
        return;
    }
    FDnsLookupHandle = WSAAsyncGetHostByName(Handle(), FMsg_WM_ASYNCGETHOSTBYNAME, name.c_str(),
                                             FDnsLookupBuffer, sizeof(FDnsLookupBuffer));
    if (!FDnsLookupHandle)
        throw Exception(HostName + L": can't start DNS lookup, error #" +
                        std::to_wstring(WSAGetLastError()));
}

void TPing::CancelDnsLookup() {
    if (!FDnsLookupHandle) return;
    if (WSACancelAsyncRequest(FDnsLookupHandle) != 0)
        throw Exception(L"WSACancelAsyncRequest failed, error #" +
                        std::to_wstring(WSAGetLastError()));
    FDnsLookupHandle = nullptr;
    OnDnsLookupDone(this, LookupCancelled);
}

void TPing::WndProc(TMessage& Msg) {
    if (Msg.Msg == FMsg_WM_ASYNCGETHOSTBYNAME && FMsg_WM_ASYNCGETHOSTBYNAME != 0)
        WMAsyncGetHostByName(Msg);
    else
        TNetWndControl::WndProc(Msg);
}

// Answers of other (cancelled or earlier) lookups are ignored.
void TPing::WMAsyncGetHostByName(TMessage& Msg) {
    if (!FDnsLookupHandle || reinterpret_cast<HANDLE>(Msg.WParam) != FDnsLookupHandle) return;
    FDnsLookupHandle = nullptr;
    const Word error = WSAGETASYNCERROR(Msg.LParam);
    if (error == 0) {
        const auto* host = reinterpret_cast<const hostent*>(FDnsLookupBuffer);
        if (host->h_addrtype == AF_INET && host->h_addr_list && host->h_addr_list[0]) {
            in_addr in{};
            std::memcpy(&in, host->h_addr_list[0], sizeof(in));
            FDnsResult = AnsiToUnicode(inet_ntoa(in));
        }
    }
    OnDnsLookupDone(this, error);
}
