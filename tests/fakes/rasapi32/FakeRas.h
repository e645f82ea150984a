// Shared state of the simulated RAS library: the scenario that drives dials, the phonebook,
// the stored credentials and the connections. One lock guards all of it; the dial threads take
// it only to update their connection and never call a notifier while holding it.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace fakeras {

constexpr DWORD ErrorInvalidSize = 632;
constexpr DWORD ErrorBufferTooSmall = 603;
constexpr DWORD ErrorEntryNotFound = 623;
constexpr DWORD ErrorSubEntryNotFound = 761;
constexpr DWORD ErrorProjectionNotComplete = 731;
constexpr DWORD ErrorProtocolNotConfigured = 720;
constexpr DWORD StateConnected = 0x2000;
constexpr DWORD StateDisconnected = 0x2001;

// What a dial does (see tests/fakes/README.md for the text format).
struct Scenario {
    DWORD DelayMs = 10;
    std::vector<DWORD> States{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, StateConnected};
    DWORD FailCode = 0;   // notified after the states instead of going on
    DWORD DialResult = 0; // RasDialA's own answer
    std::string ClientIp = "10.64.0.2";
    std::string ServerIp = "10.64.0.1";
    DWORD SentPerSecond = 0;
    DWORD ReceivedPerSecond = 0;
    DWORD DropAfterMs = 0;    // 0: never
    bool DropAsState = false; // state 8193 when true, else status error DropCode
    DWORD DropCode = 6;
    DWORD LcpProtocol = 0; // 0: no LCP projection
    DWORD IpError = 0;
    DWORD HangUpDelayMs = 0; // a hung-up line reports its last state this long, then 8193      //
                             // the PPP IP projection's answer when not 0
    std::vector<std::string> Entries;
};

// Parses a scenario; answers 0, or the 1-based number of the first line it cannot read.
int ParseScenario(const std::string& text, Scenario& scenario);

struct Entry {
    std::string Name;
    std::vector<BYTE> Record; // the raw entry record as written, alternates included
    std::vector<BYTE> Device;
    std::map<DWORD, std::vector<BYTE>> SubEntries; // raw sub-entry records by number (1 to 4)
};

struct Credentials {
    DWORD Mask = 0;
    std::string UserName, Password, Domain, CallbackNumber;
};

struct Connection {
    HANDLE Handle = nullptr;
    std::string EntryName;
    std::string Phonebook;
    std::string PhoneNumber;
    DWORD State = 0;
    DWORD Error = 0;
    ULONGLONG ConnectedAt = 0; // tick count when it reached 8192; 0 before
    ULONGLONG StatsBase = 0;   // tick count the statistics were last cleared at
    bool Dropped = false;
    ULONGLONG HungUpAt = 0; // tick count of a hang-up that lingers; 0 when none
    HANDLE Stop = nullptr;  // set by a hang-up or the library's unload
    HANDLE Thread = nullptr;
    DWORD ThreadId = 0;

    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() {
        if (Stop) CloseHandle(Stop);
        if (Thread) CloseHandle(Thread);
    }
};

struct State {
    std::mutex Lock;
    bool Loaded = false;                       // the scenario was set or read from the environment
    Scenario Script;                           // guarded by Lock
    std::map<std::string, Entry> Phonebook;    // by lower-case name; guarded by Lock
    std::map<std::string, Credentials> Stored; // by lower-case name; guarded by Lock
    std::vector<std::shared_ptr<Connection>> Active; // guarded by Lock
    std::vector<BYTE> LastEntryBytes;                // guarded by Lock
    ULONG_PTR NextHandle = 0x5100;                   // guarded by Lock
};

// The library's state, with the scenario loaded on first use. Call with the lock held.
State& Shared();
std::unique_lock<std::mutex> LockShared();
void EnsureScenario(State& state);
void ResetState(State& state, const Scenario& scenario);

std::string Lower(const std::string& text);
std::string Field(const char* text, std::size_t size);
void PutField(char* field, std::size_t size, const std::string& text);
std::shared_ptr<Connection> FindConnection(State& state, HANDLE handle);

// Runs `body` and stops every exception at this boundary of the library.
template <class Body> DWORD Guard(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return ERROR_INTERNAL_ERROR;
    }
}

} // namespace fakeras
