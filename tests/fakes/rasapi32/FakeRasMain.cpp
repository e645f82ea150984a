// Library entry, shared state, error texts and the exports that only tests call: setting the
// scenario and reading back the last entry record written.
#include "FakeRas.h"
#include "FakeRasRecords.h"

#include <algorithm>
#include <cstring>

namespace fakeras {

State& Shared() {
    static State state;
    return state;
}

std::unique_lock<std::mutex> LockShared() {
    std::unique_lock<std::mutex> lock(Shared().Lock);
    EnsureScenario(Shared());
    return lock;
}

void ResetState(State& state, const Scenario& scenario) {
    for (const auto& connection : state.Active) SetEvent(connection->Stop);
    state.Active.clear();
    state.Phonebook.clear();
    state.Stored.clear();
    state.LastEntryBytes.clear();
    state.Script = scenario;
    for (const std::string& name : scenario.Entries) {
        Entry entry{name, std::vector<BYTE>(RasEntrySize), {}};
        *reinterpret_cast<DWORD*>(entry.Record.data()) = RasEntrySize;
        state.Phonebook[Lower(name)] = entry;
    }
}

std::string Lower(const std::string& text) {
    std::string result = text;
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return result;
}

std::string Field(const char* text, std::size_t size) {
    return std::string(text, strnlen(text, size));
}

void PutField(char* field, std::size_t size, const std::string& text) {
    const std::size_t n = std::min(size - 1, text.size());
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

std::shared_ptr<Connection> FindConnection(State& state, HANDLE handle) {
    for (const auto& connection : state.Active)
        if (connection->Handle == handle) return connection;
    return nullptr;
}

namespace {

struct ErrorText {
    DWORD Code;
    const char* Text;
};

// The simulated library's own wording; only the codes the tests and scenarios use.
constexpr ErrorText ErrorTexts[] = {
    {601, "The connection handle is not valid."},
    {603, "The buffer is too small."},
    {619, "The connection to the remote computer could not be made."},
    {623, "The phonebook entry was not found."},
    {632, "The record size is not valid."},
    {633, "The device is already in use or not set up for dialling out."},
    {691, "The user name or password was refused by the remote server."},
    {720, "No common control protocol could be negotiated."},
    {756, "This connection is already being dialled."},
    {800, "The tunnel to the remote server could not be set up."},
    {930, "The authentication server did not answer in time."},
};

} // namespace

} // namespace fakeras

using namespace fakeras;

extern "C" {

DWORD WINAPI RasGetErrorStringA(UINT code, LPSTR text, DWORD size) {
    return Guard([&]() -> DWORD {
        if (!text || size == 0) return ERROR_INVALID_PARAMETER;
        if (code < 600 || code > 999) return ERROR_INVALID_PARAMETER;
        std::string message = "Remote access error " + std::to_string(code) + ".";
        for (const ErrorText& row : ErrorTexts)
            if (row.Code == code) message = row.Text;
        if (message.size() >= size) return ERROR_INSUFFICIENT_BUFFER;
        PutField(text, size, message);
        return 0;
    });
}

// Replaces the scenario and starts from an empty phonebook; 0, or the number of a bad line.
int WINAPI FakeRasSetScript(const char* scriptText) {
    return static_cast<int>(Guard([&]() -> DWORD {
        Scenario scenario;
        const int badLine = ParseScenario(scriptText ? scriptText : "", scenario);
        if (badLine != 0) return static_cast<DWORD>(badLine);
        auto lock = LockShared();
        ResetState(Shared(), scenario);
        return 0;
    }));
}

// Copies the last entry record written (at most `size` bytes); answers its full length.
DWORD WINAPI FakeRasGetLastEntryBytes(void* buffer, DWORD size) {
    return Guard([&]() -> DWORD {
        auto lock = LockShared();
        const std::vector<BYTE>& bytes = Shared().LastEntryBytes;
        if (buffer) std::memcpy(buffer, bytes.data(), std::min<std::size_t>(size, bytes.size()));
        return static_cast<DWORD>(bytes.size());
    });
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH) {
        // Dial threads hold a reference to this library, so none runs here any more; a
        // terminating process has stopped them already. Nothing may wait under the loader lock.
        Guard([]() -> DWORD {
            for (const auto& connection : Shared().Active) SetEvent(connection->Stop);
            return 0;
        });
    }
    return TRUE;
}

} // extern "C"
