// A stand-in for the system's ICMP helper library, for tests: it sends nothing. Each IPv4
// address may be given a script (status, round-trip time, a number of echoes to lose); echoes
// to addresses without a script answer "Destination host unreachable". A lost echo, or one
// whose scripted round-trip time exceeds the request's time-out, waits the time-out and
// answers "Request timed out", as the system does. The library also records what it was
// asked, so that tests can check the request the component built.
#include <windows.h>

#include <ipexport.h>

#include <cstring>
#include <map>
#include <vector>

namespace {

struct TScript {
    DWORD Status = IP_DEST_HOST_UNREACHABLE;
    DWORD RoundTrip = 0;
    DWORD Lost = 0;
    DWORD Echoes = 0;
};

struct TFakeState {
    CRITICAL_SECTION Lock;
    std::map<ULONG, TScript> Scripts; // guarded by Lock
    std::vector<BYTE> LastRequest;    // guarded by Lock
    BYTE LastTtl = 0;                 // guarded by Lock
    LONG OpenHandles = 0;             // guarded by Lock
    BOOL FailCreate = FALSE;          // guarded by Lock
};

TFakeState* State = nullptr; // created when the library is loaded, freed when unloaded

class TLocked {
public:
    TLocked() { EnterCriticalSection(&State->Lock); }
    ~TLocked() { LeaveCriticalSection(&State->Lock); }
};

// Any non-null value other than INVALID_HANDLE_VALUE serves as a handle.
HANDLE const FakeHandle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x1C3F));

// What an echo to `address` does; takes the echo from the loss count.
TScript TakeEcho(ULONG address, const void* data, WORD size, const IP_OPTION_INFORMATION* options) {
    TLocked lock;
    State->LastRequest.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    State->LastTtl = options ? options->Ttl : 0;
    TScript& script = State->Scripts[address];
    TScript taken = script;
    ++script.Echoes;
    if (script.Lost > 0) --script.Lost;
    return taken;
}

DWORD Fail(ICMP_ECHO_REPLY* reply, ULONG address, DWORD status) {
    reply->Address = address;
    reply->Status = status;
    SetLastError(status);
    return 0;
}

DWORD Answer(ICMP_ECHO_REPLY* reply, ULONG address, DWORD roundTrip, const void* data, WORD size,
             const IP_OPTION_INFORMATION* options) {
    BYTE* echoed = reinterpret_cast<BYTE*>(reply + 1);
    if (size) std::memcpy(echoed, data, size);
    reply->Address = address;
    reply->Status = IP_SUCCESS;
    reply->RoundTripTime = roundTrip;
    reply->DataSize = size;
    reply->Data = echoed;
    reply->Options.Ttl = options ? options->Ttl : 128;
    return 1;
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        State = new TFakeState;
        InitializeCriticalSection(&State->Lock);
    } else if (reason == DLL_PROCESS_DETACH) {
        DeleteCriticalSection(&State->Lock);
        delete State;
        State = nullptr;
    }
    return TRUE;
}

HANDLE WINAPI IcmpCreateFile() {
    TLocked lock;
    if (State->FailCreate) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    ++State->OpenHandles;
    return FakeHandle;
}

BOOL WINAPI IcmpCloseHandle(HANDLE handle) {
    if (handle != FakeHandle) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    TLocked lock;
    --State->OpenHandles;
    return TRUE;
}

DWORD WINAPI IcmpSendEcho(HANDLE handle, ULONG address, LPVOID data, WORD size,
                          PIP_OPTION_INFORMATION options, LPVOID replyBuffer, DWORD replySize,
                          DWORD timeout) {
    if (handle != FakeHandle || !replyBuffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto* reply = static_cast<ICMP_ECHO_REPLY*>(replyBuffer);
    if (replySize < sizeof(ICMP_ECHO_REPLY) + size + 8) {
        SetLastError(IP_BUF_TOO_SMALL);
        return 0;
    }
    const TScript script = TakeEcho(address, data, size, options);
    if (script.Lost > 0 || (script.Status == IP_SUCCESS && script.RoundTrip > timeout)) {
        Sleep(timeout);
        return Fail(reply, address, IP_REQ_TIMED_OUT);
    }
    if (script.Status != IP_SUCCESS) return Fail(reply, address, script.Status);
    return Answer(reply, address, script.RoundTrip, data, size, options);
}

// Scripts the echoes to `address` (network order): the first `lost` go unanswered, the rest
// answer `status` (IP_SUCCESS: a reply after `roundTrip` ms). Resets the echo count.
void WINAPI FakeIcmpScript(ULONG address, DWORD status, DWORD roundTrip, DWORD lost) {
    TLocked lock;
    State->Scripts[address] = TScript{status, roundTrip, lost, 0};
}

// Forgets every script and recorded request.
void WINAPI FakeIcmpReset() {
    TLocked lock;
    State->Scripts.clear();
    State->LastRequest.clear();
    State->LastTtl = 0;
    State->FailCreate = FALSE;
}

DWORD WINAPI FakeIcmpEchoCount(ULONG address) {
    TLocked lock;
    const auto found = State->Scripts.find(address);
    return found == State->Scripts.end() ? 0 : found->second.Echoes;
}

// Copies up to `capacity` bytes of the last request's payload; answers its full size.
DWORD WINAPI FakeIcmpLastRequest(BYTE* buffer, DWORD capacity, BYTE* ttl) {
    TLocked lock;
    const DWORD size = static_cast<DWORD>(State->LastRequest.size());
    if (buffer && size) std::memcpy(buffer, State->LastRequest.data(), size < capacity ? size : capacity);
    if (ttl) *ttl = State->LastTtl;
    return size;
}

LONG WINAPI FakeIcmpOpenHandles() {
    TLocked lock;
    return State->OpenHandles;
}

// While set, IcmpCreateFile fails.
void WINAPI FakeIcmpFailCreate(BOOL fail) {
    TLocked lock;
    State->FailCreate = fail;
}

} // extern "C"
