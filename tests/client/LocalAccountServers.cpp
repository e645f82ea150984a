// Talking to the local account servers from under Wine. The behaviour table is a file the
// server reads again when its modification stamp (time and size) changes; two rewrites within
// one clock tick could share a time, so each rewrite is made longer than the one before, and
// lands by an atomic rename so that the server never reads half of it. The recorded requests
// are read from the control endpoint as JSON; only the few string fields the tests look at are
// picked out, which holds for the ASCII bodies a form encoding produces.
#include "LocalAccountServers.h"

#include "framework/HttpClient.h"
#include "framework/TextEncoding.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

namespace {

UnicodeString ServersDirectory() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    UnicodeString program(path, length);
    return program.substr(0, program.rfind(L'\\') + 1) + L"account-servers\\";
}

std::map<UnicodeString, UnicodeString> ReadServers() {
    std::ifstream file((ServersDirectory() + L"servers.txt").c_str());
    if (!file)
        throw Exception(
            L"no local account servers: run the tests through ctest, which starts them");
    std::map<UnicodeString, UnicodeString> servers;
    std::string role, address;
    while (file >> role >> address)
        servers[UnicodeString(role.begin(), role.end())] =
            UnicodeString(address.begin(), address.end());
    return servers;
}

UnicodeString Url(const UnicodeString& role, const wchar_t* path) {
    return L"http://" + localservers::Address(role) + path;
}

// The JSON string that starts at `at` (just after its opening quote).
UnicodeString JsonString(const std::string& json, std::size_t at) {
    std::string value;
    for (; at < json.size() && json[at] != '"'; ++at) {
        if (json[at] != '\\') {
            value += json[at];
        } else if (json[++at] == 'u') {
            value += static_cast<char>(std::stoi(json.substr(at + 1, 4), nullptr, 16));
            at += 4;
        } else {
            value += json[at] == 'n' ? '\n' : json[at] == 'r' ? '\r' : json[at];
        }
    }
    return Utf8ToUnicode(value);
}

UnicodeString Field(const std::string& record, const std::string& opening) {
    const std::size_t at = record.find(opening);
    return at == std::string::npos ? UnicodeString() : JsonString(record, at + opening.size());
}

TRecordedRequest ReadRecord(const std::string& record) {
    return {Field(record, "\"method\": \""),  Field(record, "\"target\": \""),
            Field(record, "\"body\": \""),    Field(record, "[\"User-Agent\", \""),
            Field(record, "[\"Accept\", \""), Field(record, "[\"Content-Type\", \"")};
}

std::size_t FileSize(const UnicodeString& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return data.nFileSizeLow;
}

} // namespace

namespace localservers {

UnicodeString Address(const UnicodeString& role) {
    static const std::map<UnicodeString, UnicodeString> servers = ReadServers();
    const auto found = servers.find(role);
    if (found == servers.end()) throw Exception(L"no local account server \"" + role + L"\"");
    return found->second;
}

UnicodeString DeadAddress() {
    const UnicodeString primary = Address(L"primary");
    return L"127.0.0.5" + primary.substr(primary.rfind(L':'));
}

void SetBehaviour(const UnicodeString& role, const std::string& table) {
    static std::map<UnicodeString, std::size_t> lastSize;
    const UnicodeString path = ServersDirectory() + role + L".behaviour.json";
    const UnicodeString temporary = path + L".new";
    std::size_t& last = lastSize[role];
    if (last == 0) last = FileSize(path);
    const std::size_t size = std::max(table.size(), last + 1);
    {
        std::ofstream file(temporary.c_str(), std::ios::binary | std::ios::trunc);
        file << table << std::string(size - table.size(), ' ');
    }
    last = size;
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        throw Exception(L"MoveFileExW failed for " + path + L": " +
                        std::to_wstring(GetLastError()));
}

void ClearRequests(const UnicodeString& role) {
    THttpClient client;
    client.Post(Url(role, L"/__control/clear"), {});
}

std::vector<TRecordedRequest> Requests(const UnicodeString& role) {
    THttpClient client;
    const std::string json = client.GetBytes(Url(role, L"/__control/requests"));
    std::vector<TRecordedRequest> requests;
    const std::string start = "{\"time\": ";
    for (std::size_t at = json.find(start); at != std::string::npos;) {
        const std::size_t next = json.find(start, at + 1);
        requests.push_back(
            ReadRecord(json.substr(at, next == std::string::npos ? next : next - at)));
        at = next;
    }
    return requests;
}

} // namespace localservers
