// `TICMP`: one ICMP echo request at a time through the system's ICMP helper library, bound at
// run time, with the last reply kept. Also the reply record `TIcmpEchoReply`, the error class
// `TICMPException` and `IcmpBinder`, the library name and host resolver the component uses.
//
// Each object starts the socket library, loads the helper library and opens an ICMP handle of
// its own, and gives them back when freed. `Ping` blocks the calling thread for up to TimeOut
// milliseconds (plus a host-name resolution when the address is a name). An object is used by
// one thread at a time.
#pragma once

#include "framework/Events.h"
#include "framework/Handles.h"
#include "framework/Objects.h"

#include <winsock2.h>
#include <windows.h>

#include <vector>

class TICMPException : public Exception {
public:
    using Exception::Exception;
};

struct TIPOptionInformation {
    Byte TTL;
    Byte TOS;
    Byte Flags;
    Byte OptionsSize;
    Byte* OptionsData;
};

// The system's echo reply layout (28 bytes in the 32-bit build).
struct TIcmpEchoReply {
    Cardinal Address; // network order
    Cardinal Status;
    Cardinal RTT; // milliseconds
    Word DataSize;
    Word Reserved;
    void* Data; // the echoed bytes, valid until the next Ping of the same object
    TIPOptionInformation Options;
};

// What the component binds at run time. The product keeps the defaults; tests point the
// library at a scripted stand-in and the resolver at a table, so that nothing leaves the
// machine. Set before creating components; not guarded.
struct TIcmpBinder {
    UnicodeString LibraryName = L"icmp.dll";
    hostent*(WSAAPI* GetHostByName)(const char* name) = &gethostbyname;
};
TIcmpBinder& IcmpBinder();

using TIcmpDisplay = TMethodEvent<void(TObject* Sender, const UnicodeString& Msg)>;
using TIcmpEchoRequest = TMethodEvent<void(TObject* Sender)>;
using TIcmpEchoReplyEvent = TMethodEvent<void(TObject* Sender, int Status)>;

class TICMP : public TObject {
    CLASS_INFO(TICMP, TObject)
public:
    static constexpr int MaxSize = 65500;
    // Bytes the reply buffer holds beyond the reply record and the echoed data: room for an
    // ICMP error message, which the system writes there.
    static constexpr int ReplySlack = 8;

    // Raises TICMPException when the socket library, the helper library, one of its functions
    // or the ICMP handle is not available.
    TICMP();
    ~TICMP() override;

    const UnicodeString& Address() const noexcept { return FAddress; }
    void SetAddress(const UnicodeString& Value);
    Integer Size() const noexcept { return FSize; }
    // Raises TICMPException outside 0..MaxSize.
    void SetSize(Integer Value);
    Integer TimeOut() const noexcept { return FTimeOut; }
    // Raises TICMPException for a negative time-out.
    void SetTimeOut(Integer Value);
    Integer TTL() const noexcept { return FTTL; }
    // Raises TICMPException outside 0..255.
    void SetTTL(Integer Value);
    Integer Flags() const noexcept { return FFlags; }
    // Raises TICMPException outside 0..255.
    void SetFlags(Integer Value);

    const TIcmpEchoReply& Reply() const noexcept { return FReply; }
    Integer LastError() const noexcept { return FLastError; }
    UnicodeString GetErrorString() const { return IcmpErrorString(FLastError); }
    const UnicodeString& HostName() const noexcept { return FHostName; }
    const UnicodeString& HostIP() const noexcept { return FHostIP; }
    HMODULE ICMPDLLHandle() const noexcept { return hICMPdll.Get(); }

    // Sends one echo request and waits for the answer: the number of replies, 0 on failure
    // (LastError then tells why). Never raises for network conditions.
    Integer Ping();

    // The status text for an ICMP status code ("ICMP error #<code>" for unknown codes).
    static UnicodeString IcmpErrorString(Integer Code);
    // The fixed text that opens every request's payload.
    static const char* SignOnText() noexcept;

    TIcmpDisplay OnDisplay;
    TIcmpEchoRequest OnEchoRequest;
    TIcmpEchoReplyEvent OnEchoReply;

private:
    using TIcmpCreateFile = HANDLE(WINAPI*)();
    using TIcmpCloseHandle = BOOL(WINAPI*)(HANDLE);
    // The ICMP handle is closed by the IcmpCloseHandle bound from the library that made it.
    struct TIcmpHandleTraits : TKernelHandleTraits {
        TIcmpCloseHandle CloseFunction = nullptr;
        void Close(HANDLE handle) const noexcept { CloseFunction(handle); }
    };
    using TIcmpSendEcho = DWORD(WINAPI*)(HANDLE, ULONG, void*, WORD, void*, void*, DWORD, DWORD);

    void StartWinsock();
    void LoadLibraryFunctions();
    void OpenIcmpHandle();
    void Close() noexcept;
    void ResolveAddress();
    void ResolveName(const AnsiString& name);
    void BuildPayload();
    Integer SendEcho();

    bool FWinsockStarted = false;
    // The helper library and its functions; loaded by the constructor, released by Close.
    // Declared before the handle, which must be closed while the library is loaded.
    TOwnedLibrary hICMPdll;
    TIcmpCreateFile IcmpCreateFile = nullptr;
    TIcmpCloseHandle IcmpCloseHandle = nullptr;
    TIcmpSendEcho IcmpSendEcho = nullptr;
    TOwnedHandle<TIcmpHandleTraits> hICMP;

    UnicodeString FAddress;
    Cardinal FIPAddress = INADDR_NONE;
    UnicodeString FHostName;
    UnicodeString FHostIP;
    bool FAddrResolved = false;
    Integer FSize = 56;
    Integer FTimeOut = 4000;
    Integer FTTL = 64;
    Integer FFlags = 0;
    TIcmpEchoReply FReply{};
    Integer FLastError = 0;
    std::vector<Byte> FPayload;
    // Holds the last reply and the data its Data field points at until the next Ping.
    std::vector<Byte> FReplyBuffer;
};
