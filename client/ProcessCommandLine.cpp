// Another process's command line, read from its process environment block: the block's address
// comes from NtQueryInformationProcess (bound from ntdll by name), the parameters' address from
// the block, the command line's UNICODE_STRING from the parameters. The offsets are those of
// this build's pointer width: a 32-bit build reads 32-bit processes, a 64-bit build 64-bit ones.
#include "client/ProcessCommandLine.h"

#include "framework/SyncObjs.h"

#include <cstddef>
#include <cwchar>
#include <vector>

namespace {

#if defined(_WIN64)
constexpr std::size_t ParametersOffset = 0x20;  // PEB.ProcessParameters
constexpr std::size_t CommandLineOffset = 0x70; // RTL_USER_PROCESS_PARAMETERS.CommandLine
#else
constexpr std::size_t ParametersOffset = 0x10;
constexpr std::size_t CommandLineOffset = 0x40;
#endif

// PROCESS_BASIC_INFORMATION: 24 bytes on 32-bit, 48 on 64-bit.
struct TBasicInformation {
    LONG_PTR ExitStatus;
    PVOID PebBaseAddress;
    ULONG_PTR AffinityMask;
    LONG_PTR BasePriority;
    ULONG_PTR UniqueProcessId;
    ULONG_PTR InheritedFromUniqueProcessId;
};

struct TUnicodeString {
    USHORT Length;
    USHORT MaximumLength;
    PWSTR Buffer;
};

constexpr DWORD TokenAccess = 0xF00FF; // every token right but the default-DACL change

using TNtQueryInformationProcess = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

template <class T> bool ReadRemote(HANDLE process, const void* address, T& value) {
    SIZE_T read = 0;
    return ReadProcessMemory(process, address, &value, sizeof(T), &read) && read == sizeof(T);
}

UnicodeString ReadCommandLine(HANDLE process) {
    const auto query = reinterpret_cast<TNtQueryInformationProcess>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    TBasicInformation basic{};
    if (!query || query(process, 0, &basic, sizeof(basic), nullptr) != 0 || !basic.PebBaseAddress)
        return {};
    PVOID parameters = nullptr;
    if (!ReadRemote(process, static_cast<const Byte*>(basic.PebBaseAddress) + ParametersOffset,
                    parameters))
        return {};
    TUnicodeString commandLine{};
    if (!parameters ||
        !ReadRemote(process, static_cast<const Byte*>(parameters) + CommandLineOffset, commandLine))
        return {};
    UnicodeString text(commandLine.Length / 2, L'\0');
    SIZE_T read = 0;
    if (!text.empty() &&
        !(ReadProcessMemory(process, commandLine.Buffer, text.data(), text.size() * 2, &read) &&
          read == text.size() * 2))
        return {};
    // A process still starting up may show a line not yet filled in: only what precedes a NUL.
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

} // namespace

UnicodeString GetProcessCommandLine(DWORD processId) {
    TKernelHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    return process ? ReadCommandLine(process.Get()) : UnicodeString();
}

void EnableDebugPrivilege() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT) return;
#pragma GCC diagnostic pop
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TokenAccess, &token)) return;
    TKernelHandle owner(token);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
}

TModuleEntry ProcessCommandLineModule() {
    return {L"ProcessCommandLine", {}, EnableDebugPrivilege, {}};
}
