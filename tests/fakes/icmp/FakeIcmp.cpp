// A stand-in for the system's ICMP helper library, for tests: it sends nothing. Each IPv4
// address may be given a script (status, round-trip time, a number of echoes to lose); echoes
// to addresses without a script answer "Destination host unreachable". A lost echo, or one
// whose scripted round-trip time exceeds the request's time-out, waits the time-out and
// answers "Request timed out", as the system does. The library also records what it was
// asked, so that tests can check the request the component built.
//
// Tests script it through FakeIcmpScript. A program that is not a test (the run script's demo
// of the client) names a scenario file in FAKE_ICMP_SCENARIO instead, read when the first handle
// is opened; one address a line, "#" starts a comment:
//
//     127.0.1.1 35            answers after 35 ms
//     127.0.1.2 240 every 4   answers after 240 ms, but every fourth echo is lost
//     127.0.1.3 silent        never answers
#include <windows.h>

#include <ipexport.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TScript {
    DWORD Status = IP_DEST_HOST_UNREACHABLE;
    DWORD RoundTrip = 0;
    DWORD Lost = 0;
    DWORD Echoes = 0;
    DWORD LoseEvery = 0; // each echo whose number is a multiple of it is lost; 0: none
};

struct TFakeState {
    CRITICAL_SECTION Lock;
    std::map<ULONG, TScript> Scripts; // guarded by Lock
    std::vector<BYTE> LastRequest;    // guarded by Lock
    BYTE LastTtl = 0;                 // guarded by Lock
    LONG OpenHandles = 0;             // guarded by Lock
    BOOL FailCreate = FALSE;          // guarded by Lock
    bool ScenarioRead = false;        // guarded by Lock
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
    State->LastRequest.assign(static_cast<const BYTE*>(data),
                              static_cast<const BYTE*>(data) + size);
    State->LastTtl = options ? options->Ttl : 0;
    TScript& script = State->Scripts[address];
    TScript taken = script;
    ++script.Echoes;
    if (script.Lost > 0) --script.Lost;
    if (script.LoseEvery && script.Echoes % script.LoseEvery == 0) taken.Lost = 1;
    return taken;
}

// One line of the scenario file; false when it cannot be read.
bool ReadScenarioLine(const std::string& line) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string address, what;
    if (!(words >> address)) return true;
    unsigned parts[4];
    char end;
    if (std::sscanf(address.c_str(), "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &parts[3],
                    &end) != 4 ||
        parts[0] > 255 || parts[1] > 255 || parts[2] > 255 || parts[3] > 255 || !(words >> what))
        return false;
    // Network order: the first part in the lowest byte.
    const ULONG key =
        parts[0] | parts[1] << 8 | parts[2] << 16 | static_cast<ULONG>(parts[3]) << 24;
    TScript script;
    if (what == "silent") {
        script.Status = IP_SUCCESS;
        script.Lost = MAXDWORD;
    } else {
        script.Status = IP_SUCCESS;
        script.RoundTrip = std::strtoul(what.c_str(), nullptr, 10);
        std::string every;
        if (words >> every) {
            if (every != "every" || !(words >> script.LoseEvery) || script.LoseEvery == 0)
                return false;
        }
    }
    State->Scripts[key] = script;
    return true;
}

// Reads FAKE_ICMP_SCENARIO once, when set; a bad line is reported to the debugger and skipped.
void ReadScenarioOnce() {
    if (State->ScenarioRead) return;
    State->ScenarioRead = true;
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("FAKE_ICMP_SCENARIO", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    std::ifstream file(path);
    std::string line;
    for (int number = 1; std::getline(file, line); ++number)
        if (!ReadScenarioLine(line)) {
            char message[64];
            std::snprintf(message, sizeof message, "fake icmp: scenario line %d skipped\n", number);
            OutputDebugStringA(message);
        }
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
    ReadScenarioOnce();
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
    State->Scripts[address] = TScript{status, roundTrip, lost, 0, 0};
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
    if (buffer && size)
        std::memcpy(buffer, State->LastRequest.data(), size < capacity ? size : capacity);
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
