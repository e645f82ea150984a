// Dialling, hanging up and the status of a connection. RasDialA answers at once; a thread of
// the library then walks the scenario's states, one notification per state after the
// scenario's delay, and afterwards waits for the scripted drop. A hang-up stops the thread
// and waits for it, so no notification arrives after RasHangUpA returns.
#include "FakeRas.h"
#include "FakeRasRecords.h"

namespace fakeras {

namespace {

constexpr UINT DialEventMessage = 0xCCCD;
constexpr DWORD HangUpWaitMs = 3000;

using DialFunc1 = void(WINAPI*)(HANDLE, UINT, DWORD, DWORD, DWORD);
using DialFunc2 = DWORD(WINAPI*)(ULONG_PTR, DWORD, HANDLE, UINT, DWORD, DWORD, DWORD);

struct DialJob {
    std::shared_ptr<Connection> Line;
    Scenario Script;
    DWORD NotifierType = 0;
    LPVOID Notifier = nullptr;
    ULONG_PTR CallbackId = 0;
    DWORD SubEntry = 1;
};

bool Stopped(const DialJob& job, DWORD waitMs) {
    return WaitForSingleObject(job.Line->Stop, waitMs) == WAIT_OBJECT_0;
}

void Record(const DialJob& job, DWORD state, DWORD error) {
    auto lock = LockShared();
    job.Line->State = state;
    job.Line->Error = error;
    if (state == StateConnected && error == 0)
        job.Line->ConnectedAt = job.Line->StatsBase = GetTickCount64();
}

// Answers whether the notifier wants further notifications.
bool Notify(const DialJob& job, DWORD state, DWORD error) {
    if (!job.Notifier) return true;
    if (job.NotifierType == 1) {
        reinterpret_cast<DialFunc1>(job.Notifier)(job.Line->Handle, DialEventMessage, state, error,
                                                  0);
        return true;
    }
    return reinterpret_cast<DialFunc2>(job.Notifier)(job.CallbackId, job.SubEntry, job.Line->Handle,
                                                     DialEventMessage, state, error, 0) != 0;
}

void WaitForDrop(const DialJob& job) {
    if (job.Script.DropAfterMs == 0 || Stopped(job, job.Script.DropAfterMs)) return;
    {
        auto lock = LockShared();
        job.Line->Dropped = true;
        if (job.Script.DropAsState) job.Line->State = StateDisconnected;
    }
    if (job.Script.DropAsState) Notify(job, StateDisconnected, 0);
}

// Walks the scenario; answers the dial's final error (0 when it connected).
DWORD RunDial(const DialJob& job) {
    DWORD last = 0;
    for (DWORD state : job.Script.States) {
        if (Stopped(job, job.Script.DelayMs)) return ERROR_CANCELLED;
        Record(job, state, 0);
        last = state;
        if (!Notify(job, state, 0)) return 0;
    }
    if (job.Script.FailCode != 0) {
        if (Stopped(job, job.Script.DelayMs)) return ERROR_CANCELLED;
        Record(job, last, job.Script.FailCode);
        Notify(job, last, job.Script.FailCode);
        return job.Script.FailCode;
    }
    if (last == StateConnected) WaitForDrop(job);
    return 0;
}

DWORD WINAPI DialThread(LPVOID parameter) {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&DialThread), &self);
    Guard([&]() -> DWORD {
        std::unique_ptr<DialJob> job(static_cast<DialJob*>(parameter));
        return RunDial(*job);
    });
    // Drops the reference the dial took for this thread, together with the thread.
    FreeLibraryAndExitThread(self, 0);
}

// Starts the thread with its own reference to this library, so that an unload waits for it.
DWORD StartDialThread(std::unique_ptr<DialJob> job) {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&DialThread), &self))
        return GetLastError();
    Connection& line = *job->Line;
    line.Thread = CreateThread(nullptr, 0, DialThread, job.get(), 0, &line.ThreadId);
    if (!line.Thread) {
        const DWORD error = GetLastError();
        FreeLibrary(self);
        return error;
    }
    job.release();
    return 0;
}

DWORD CheckDialRecords(const RasDialExtensions* extensions, const RasDialParams* params,
                       DWORD notifierType, LPVOID notifier, HANDLE* handle) {
    if (!params || !handle) return ERROR_INVALID_PARAMETER;
    if (params->dwSize != sizeof(RasDialParams) && params->dwSize != RasDialParams9xSize)
        return ErrorInvalidSize;
    if (extensions && extensions->dwSize != sizeof(RasDialExtensions)) return ErrorInvalidSize;
    if (notifier && notifierType != 1 && notifierType != 2) return ERROR_INVALID_PARAMETER;
    return 0;
}

} // namespace

} // namespace fakeras

using namespace fakeras;

extern "C" {

DWORD WINAPI RasDialA(RasDialExtensions* extensions, LPCSTR phonebook, RasDialParams* params,
                      DWORD notifierType, LPVOID notifier, HANDLE* handle) {
    return Guard([&]() -> DWORD {
        if (DWORD error = CheckDialRecords(extensions, params, notifierType, notifier, handle))
            return error;
        auto lock = LockShared();
        State& state = Shared();
        const std::string name = Field(params->szEntryName, sizeof(params->szEntryName));
        if (state.Script.DialResult != 0) return state.Script.DialResult;
        if (!state.Phonebook.count(Lower(name))) return ErrorEntryNotFound;
        auto job = std::make_unique<DialJob>(
            DialJob{std::make_shared<Connection>(), state.Script, notifierType, notifier,
                    params->dwSize == sizeof(RasDialParams) ? params->dwCallbackId : 0, 1});
        Connection& line = *job->Line;
        line.Handle = reinterpret_cast<HANDLE>(state.NextHandle);
        state.NextHandle += 4;
        line.EntryName = name;
        line.Phonebook = phonebook ? phonebook : "";
        line.PhoneNumber = Field(params->szPhoneNumber, sizeof(params->szPhoneNumber));
        line.Stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        state.Active.push_back(job->Line);
        *handle = line.Handle;
        if (notifier) {
            const DWORD error = StartDialThread(std::move(job));
            if (error != 0) std::erase(state.Active, state.Active.back());
            return error;
        }
        lock.unlock();
        return RunDial(*job);
    });
}

DWORD WINAPI RasHangUpA(HANDLE handle) {
    return Guard([&]() -> DWORD {
        std::shared_ptr<Connection> line;
        {
            auto lock = LockShared();
            State& state = Shared();
            line = FindConnection(state, handle);
            if (!line) return ERROR_INVALID_HANDLE;
            if (line->HungUpAt != 0) return 0;
            // A lingering line stays known to the status query until its delay has passed.
            if (state.Script.HangUpDelayMs > 0)
                line->HungUpAt = GetTickCount64();
            else
                std::erase(state.Active, line);
            SetEvent(line->Stop);
        }
        if (line->Thread && line->ThreadId != GetCurrentThreadId())
            WaitForSingleObject(line->Thread, HangUpWaitMs);
        return 0;
    });
}

DWORD WINAPI RasGetConnectStatusA(HANDLE handle, RasConnStatus* status) {
    return Guard([&]() -> DWORD {
        if (!status) return ERROR_INVALID_PARAMETER;
        const bool old = status->dwSize == RasConnStatus9xSize;
        if (status->dwSize != sizeof(RasConnStatus) && !old) return ErrorInvalidSize;
        auto lock = LockShared();
        const auto line = FindConnection(Shared(), handle);
        if (!line) return ERROR_INVALID_HANDLE;
        if (line->Dropped && !Shared().Script.DropAsState) return Shared().Script.DropCode;
        const bool gone = line->HungUpAt != 0 &&
                          GetTickCount64() - line->HungUpAt >= Shared().Script.HangUpDelayMs;
        status->rasconnstate = gone ? StateDisconnected : line->State;
        status->dwError = line->Error;
        PutField(status->szDeviceType, sizeof(status->szDeviceType), "vpn");
        PutField(status->szDeviceName, sizeof(status->szDeviceName), "WAN Miniport (PPTP)");
        if (!old) PutField(status->szPhoneNumber, sizeof(status->szPhoneNumber), line->PhoneNumber);
        return 0;
    });
}

DWORD WINAPI RasEnumConnectionsA(RasConn* connections, LPDWORD size, LPDWORD count) {
    return Guard([&]() -> DWORD {
        if (!connections || !size || !count) return ERROR_INVALID_PARAMETER;
        if (connections->dwSize != sizeof(RasConn)) return ErrorInvalidSize;
        auto lock = LockShared();
        std::vector<std::shared_ptr<Connection>> listed;
        for (const auto& line : Shared().Active)
            if (!line->Dropped && line->HungUpAt == 0) listed.push_back(line);
        const DWORD needed = static_cast<DWORD>(listed.size() * sizeof(RasConn));
        *count = static_cast<DWORD>(listed.size());
        if (*size < needed) {
            *size = needed;
            return ErrorBufferTooSmall;
        }
        *size = needed;
        for (std::size_t i = 0; i < listed.size(); ++i) {
            RasConn& item = connections[i];
            item = RasConn{};
            item.dwSize = sizeof(RasConn);
            item.hrasconn = listed[i]->Handle;
            item.dwSubEntry = 1;
            PutField(item.szEntryName, sizeof(item.szEntryName), listed[i]->EntryName);
            PutField(item.szDeviceType, sizeof(item.szDeviceType), "VPN");
            PutField(item.szDeviceName, sizeof(item.szDeviceName), "WAN Miniport (PPTP)");
            PutField(item.szPhonebook, sizeof(item.szPhonebook), listed[i]->Phonebook);
        }
        return 0;
    });
}

DWORD WINAPI RasConnectionNotificationA(HANDLE, HANDLE event, DWORD) {
    return event ? 0 : ERROR_INVALID_PARAMETER;
}

DWORD WINAPI RasGetSubEntryHandleA(HANDLE handle, DWORD subEntry, HANDLE* subHandle) {
    return Guard([&]() -> DWORD {
        if (!subHandle) return ERROR_INVALID_PARAMETER;
        auto lock = LockShared();
        if (!FindConnection(Shared(), handle)) return ERROR_INVALID_HANDLE;
        if (subEntry != 1) return ERROR_INVALID_PARAMETER;
        *subHandle = handle;
        return 0;
    });
}

} // extern "C"
