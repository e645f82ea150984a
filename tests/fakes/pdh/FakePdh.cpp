// A simulated Performance Data Helper for the traffic counters: one query at a time with the
// "RAS Total" byte counters, whose raw values grow by a set step on every collection. Tests set
// the steps, the answer of adding a counter and the counter status through FakePdhSetup.
#include <windows.h>

#include <cstring>
#include <mutex>

namespace {

constexpr LONG PdhInvalidHandle = static_cast<LONG>(0xC0000BBC);
constexpr LONG PdhCounterNotFound = static_cast<LONG>(0xC0000BB9);

struct RawCounter {
    DWORD CStatus;
    FILETIME TimeStamp;
    LONGLONG FirstValue;
    LONGLONG SecondValue;
    DWORD MultiCount;
};

struct PdhState {
    std::mutex Lock;
    bool QueryOpen = false;       // guarded by Lock
    LONGLONG Transmitted = 0;     // guarded by Lock
    LONGLONG Received = 0;        // guarded by Lock
    LONGLONG TransmitStep = 1000; // guarded by Lock
    LONGLONG ReceiveStep = 2000;  // guarded by Lock
    LONG AddCounterResult = 0;    // guarded by Lock
    DWORD CounterStatus = 0;      // guarded by Lock
};

PdhState& State() {
    static PdhState state;
    return state;
}

const auto QueryHandle = reinterpret_cast<HANDLE>(0x7001);
const auto TransmitCounter = reinterpret_cast<HANDLE>(0x7002);
const auto ReceiveCounter = reinterpret_cast<HANDLE>(0x7003);

} // namespace

extern "C" {

LONG WINAPI PdhOpenQuery(LPCVOID, DWORD_PTR, HANDLE* query) {
    std::lock_guard<std::mutex> guard(State().Lock);
    if (!query) return PdhInvalidHandle;
    State().QueryOpen = true;
    State().Transmitted = State().Received = 0;
    *query = QueryHandle;
    return 0;
}

LONG WINAPI PdhAddCounterA(HANDLE query, LPCSTR path, DWORD_PTR, HANDLE* counter) {
    std::lock_guard<std::mutex> guard(State().Lock);
    if (query != QueryHandle || !State().QueryOpen || !path || !counter) return PdhInvalidHandle;
    if (State().AddCounterResult != 0) return State().AddCounterResult;
    if (std::strcmp(path, "\\RAS Total\\Bytes Transmitted") == 0)
        *counter = TransmitCounter;
    else if (std::strcmp(path, "\\RAS Total\\Bytes Received") == 0)
        *counter = ReceiveCounter;
    else
        return PdhCounterNotFound;
    return 0;
}

LONG WINAPI PdhCollectQueryData(HANDLE query) {
    std::lock_guard<std::mutex> guard(State().Lock);
    if (query != QueryHandle || !State().QueryOpen) return PdhInvalidHandle;
    State().Transmitted += State().TransmitStep;
    State().Received += State().ReceiveStep;
    return 0;
}

LONG WINAPI PdhGetRawCounterValue(HANDLE counter, LPDWORD type, RawCounter* value) {
    std::lock_guard<std::mutex> guard(State().Lock);
    if (!value || (counter != TransmitCounter && counter != ReceiveCounter))
        return PdhInvalidHandle;
    if (type) *type = 0x00010500; // a raw count
    *value = RawCounter{};
    value->CStatus = State().CounterStatus;
    value->FirstValue = counter == TransmitCounter ? State().Transmitted : State().Received;
    return 0;
}

LONG WINAPI PdhCloseQuery(HANDLE query) {
    std::lock_guard<std::mutex> guard(State().Lock);
    if (query != QueryHandle || !State().QueryOpen) return PdhInvalidHandle;
    State().QueryOpen = false;
    return 0;
}

// Steps per collection, the answer of PdhAddCounterA and the counters' status.
void WINAPI FakePdhSetup(LONGLONG transmitStep, LONGLONG receiveStep, LONG addCounterResult,
                         DWORD counterStatus) {
    std::lock_guard<std::mutex> guard(State().Lock);
    State().TransmitStep = transmitStep;
    State().ReceiveStep = receiveStep;
    State().AddCounterResult = addCounterResult;
    State().CounterStatus = counterStatus;
}

} // extern "C"
