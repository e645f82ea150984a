// What a connected line reports: the PPP projections (the client's and the server's address,
// the server's authentication protocol) and traffic statistics that grow at the scenario's rate
// from the moment the line connected or the statistics were last cleared.
#include "FakeRas.h"
#include "FakeRasRecords.h"

namespace fakeras {

namespace {

constexpr DWORD RaspPppIp = 0x8021;
constexpr DWORD RaspPppLcp = 0xC021;
constexpr DWORD FrameBytes = 1500;

// The live line of `handle`, or the error a caller gets for it.
DWORD FindLive(HANDLE handle, std::shared_ptr<Connection>& line) {
    line = FindConnection(Shared(), handle);
    if (!line) return ERROR_INVALID_HANDLE;
    if (line->Dropped)
        return Shared().Script.DropAsState ? ERROR_INVALID_HANDLE : Shared().Script.DropCode;
    return 0;
}

template <class Record> DWORD CheckRecord(LPVOID info, LPDWORD size, Record*& record) {
    if (!info || !size) return ERROR_INVALID_PARAMETER;
    if (*size < sizeof(Record)) {
        *size = sizeof(Record);
        return ErrorBufferTooSmall;
    }
    record = static_cast<Record*>(info);
    return record->dwSize == sizeof(Record) ? 0 : ErrorInvalidSize;
}

DWORD IpProjection(LPVOID info, LPDWORD size) {
    if (Shared().Script.IpError != 0) return Shared().Script.IpError;
    RasPppIp* record = nullptr;
    if (DWORD error = CheckRecord(info, size, record)) return error;
    record->dwError = 0;
    PutField(record->szIpAddress, sizeof(record->szIpAddress), Shared().Script.ClientIp);
    PutField(record->szServerIpAddress, sizeof(record->szServerIpAddress),
             Shared().Script.ServerIp);
    return 0;
}

DWORD LcpProjection(LPVOID info, LPDWORD size) {
    if (Shared().Script.LcpProtocol == 0) return ErrorProtocolNotConfigured;
    RasPppLcp* record = nullptr;
    if (DWORD error = CheckRecord(info, size, record)) return error;
    *record = RasPppLcp{};
    record->dwSize = sizeof(RasPppLcp);
    record->dwServerAuthenticationProtocol = Shared().Script.LcpProtocol;
    PutField(record->szReplyMessage, sizeof(record->szReplyMessage), "Welcome");
    return 0;
}

DWORD FillStatistics(HANDLE handle, RasStats* stats) {
    if (!stats) return ERROR_INVALID_PARAMETER;
    if (stats->dwSize != sizeof(RasStats)) return ErrorInvalidSize;
    std::shared_ptr<Connection> line;
    if (DWORD error = FindLive(handle, line)) return error;
    *stats = RasStats{};
    stats->dwSize = sizeof(RasStats);
    if (line->ConnectedAt == 0) return 0;
    const ULONGLONG now = GetTickCount64();
    const ULONGLONG counted = now - line->StatsBase;
    stats->dwBytesXmited = static_cast<DWORD>(Shared().Script.SentPerSecond * counted / 1000);
    stats->dwBytesRcved = static_cast<DWORD>(Shared().Script.ReceivedPerSecond * counted / 1000);
    stats->dwFramesXmited = stats->dwBytesXmited / FrameBytes;
    stats->dwFramesRcved = stats->dwBytesRcved / FrameBytes;
    stats->dwCompressionRatioIn = stats->dwCompressionRatioOut = 100;
    stats->dwBps = 115200;
    stats->dwConnectDuration = static_cast<DWORD>(now - line->ConnectedAt);
    return 0;
}

DWORD ClearStatistics(HANDLE handle) {
    std::shared_ptr<Connection> line;
    if (DWORD error = FindLive(handle, line)) return error;
    line->StatsBase = GetTickCount64();
    return 0;
}

} // namespace

} // namespace fakeras

using namespace fakeras;

extern "C" {

DWORD WINAPI RasGetProjectionInfoA(HANDLE handle, DWORD projection, LPVOID info, LPDWORD size) {
    return Guard([&]() -> DWORD {
        auto lock = LockShared();
        std::shared_ptr<Connection> line;
        if (DWORD error = FindLive(handle, line)) return error;
        if (line->State != StateConnected || line->Error != 0) return ErrorProjectionNotComplete;
        if (projection == RaspPppIp) return IpProjection(info, size);
        if (projection == RaspPppLcp) return LcpProjection(info, size);
        return ERROR_INVALID_PARAMETER;
    });
}

DWORD WINAPI RasGetConnectionStatistics(HANDLE handle, RasStats* stats) {
    return Guard([&]() -> DWORD {
        auto lock = LockShared();
        return FillStatistics(handle, stats);
    });
}

DWORD WINAPI RasClearConnectionStatistics(HANDLE handle) {
    return Guard([&]() -> DWORD {
        auto lock = LockShared();
        return ClearStatistics(handle);
    });
}

DWORD WINAPI RasGetLinkStatistics(HANDLE handle, DWORD subEntry, RasStats* stats) {
    return Guard([&]() -> DWORD {
        auto lock = LockShared();
        return subEntry == 1 ? FillStatistics(handle, stats) : ERROR_INVALID_PARAMETER;
    });
}

DWORD WINAPI RasClearLinkStatistics(HANDLE handle, DWORD subEntry) {
    return Guard([&]() -> DWORD {
        auto lock = LockShared();
        return subEntry == 1 ? ClearStatistics(handle) : ERROR_INVALID_PARAMETER;
    });
}

} // extern "C"
