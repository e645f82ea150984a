// The service manager and the dial-up service restart against a simulated Service Control
// Manager, process list and waits (nothing real is ended or started), and the command line of
// a real child process and the debug privilege for real.
#include "client/ServiceManager.h"

#include "client/ProcessCommandLine.h"
#include "framework/Exceptions.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// A service manager that records every call and tracks which handles are open.
class TFakeServices {
public:
    std::vector<std::wstring> Log;
    std::set<SC_HANDLE> Open;
    std::map<SC_HANDLE, std::wstring> Names;
    DWORD State = SERVICE_RUNNING;
    ULONG_PTR Next = 0x100;

    TServiceControlApi Api() {
        TServiceControlApi api;
        api.OpenSCManagerW = [this](LPCWSTR, LPCWSTR, DWORD access) {
            Log.push_back(L"manager " + std::to_wstring(access));
            return NewHandle(L"manager");
        };
        api.OpenServiceW = [this](SC_HANDLE manager, LPCWSTR name, DWORD access) {
            EXPECT_TRUE(Open.count(manager));
            Log.push_back(L"open " + std::wstring(name) + L" " + std::to_wstring(access));
            return NewHandle(name);
        };
        api.StartServiceW = [this](SC_HANDLE service, DWORD, LPCWSTR*) {
            Log.push_back(L"start " + Names[service]);
            return TRUE;
        };
        api.ControlService = [this](SC_HANDLE service, DWORD control, SERVICE_STATUS*) {
            Log.push_back(L"control " + Names[service] + L" " + std::to_wstring(control));
            return TRUE;
        };
        api.QueryServiceStatus = [this](SC_HANDLE, SERVICE_STATUS* status) {
            status->dwCurrentState = State;
            return TRUE;
        };
        api.ChangeServiceStartType = [this](SC_HANDLE service, DWORD startType) {
            Log.push_back(L"config " + Names[service] + L" " + std::to_wstring(startType));
            return TRUE;
        };
        api.CloseServiceHandle = [this](SC_HANDLE handle) {
            EXPECT_EQ(Open.erase(handle), 1u) << "closed twice or never opened";
            return TRUE;
        };
        api.EnumServicesStatusW = [](SC_HANDLE, DWORD, DWORD, ENUM_SERVICE_STATUSW*, DWORD, DWORD*,
                                     DWORD* returned, DWORD*) {
            *returned = 0;
            return TRUE;
        };
        return api;
    }

private:
    SC_HANDLE NewHandle(const std::wstring& name) {
        const auto handle = reinterpret_cast<SC_HANDLE>(Next += 4);
        Open.insert(handle);
        Names[handle] = name;
        return handle;
    }
};

// A restart whose every step goes into one log.
struct TRestartRig {
    TFakeServices Services;
    std::vector<TProcessInfo> Processes;
    std::map<DWORD, std::wstring> CommandLines;
    bool SwitchFails = false;

    TRasServiceRestart Restart() {
        TRasServiceRestart restart;
        restart.EnableRasProhibitIpSec = [this] {
            if (SwitchFails) throw EOSError(ERROR_ACCESS_DENIED, L"RegSetValueEx");
            Services.Log.push_back(L"switch");
        };
        restart.Processes = [this] { return Processes; };
        restart.CommandLine = [this](DWORD id) { return CommandLines[id]; };
        restart.EndProcess = [this](DWORD id) {
            Services.Log.push_back(L"end " + std::to_wstring(id));
        };
        restart.Services = Services.Api();
        restart.WaitPumpingMessages = [this](Cardinal ms) {
            Services.Log.push_back(L"wait " + std::to_wstring(ms));
        };
        return restart;
    }
};

} // namespace

TEST(ServiceManager, RestartEndsTheNetworkHostAndStartsTheServicesInOrder) {
    TRestartRig rig;
    rig.Processes = {
        {4, L"System"}, {100, L"svchost.exe"}, {200, L"SVCHOST.EXE"}, {300, L"svchost.exe"}};
    rig.CommandLines = {{100, L"svchost.exe -k rpcss"},
                        {200, L"svchost.exe -k netsvcs"},
                        {300, L"svchost -k netsvc"}};
    ResetRasServices(rig.Restart());

    std::vector<std::wstring> expected{L"switch", L"end 200", L"manager 983103"};
    for (const wchar_t* name :
         {L"AudioSrv", L"CryptSvc", L"RasMan", L"Dhcp", L"lanmanworkstation", L"netman"}) {
        expected.push_back(L"open " + std::wstring(name) + L" 983551");
        expected.push_back(L"start " + std::wstring(name));
        expected.push_back(L"wait 1000");
        expected.push_back(L"start " + std::wstring(name));
    }
    expected.push_back(L"wait 10000");
    EXPECT_EQ(rig.Services.Log, expected);
    EXPECT_TRUE(rig.Services.Open.empty()) << "handles left open: " << rig.Services.Open.size();
}

TEST(ServiceManager, RestartWithoutANetworkHostOnlySetsTheSwitch) {
    TRestartRig rig;
    rig.Processes = {{100, L"svchost.exe"}, {200, L"other.exe"}};
    // The group name is compared with its case; only a service host's command line counts.
    rig.CommandLines = {{100, L"svchost.exe -K NETSVC"}, {200, L"other.exe -k netsvc"}};
    ResetRasServices(rig.Restart());
    EXPECT_EQ(rig.Services.Log, std::vector<std::wstring>{L"switch"});
}

TEST(ServiceManager, RestartStopsWhenTheSwitchCannotBeWritten) {
    TRestartRig rig;
    rig.SwitchFails = true;
    rig.Processes = {{200, L"svchost.exe"}};
    rig.CommandLines = {{200, L"svchost.exe -k netsvc"}};
    EXPECT_THROW(ResetRasServices(rig.Restart()), EOSError);
    EXPECT_TRUE(rig.Services.Log.empty());
}

TEST(ServiceManager, ControlsAndStartTypes) {
    TFakeServices fake;
    {
        TServiceManager manager(fake.Api());
        ASSERT_TRUE(manager.Connect());
        ASSERT_TRUE(manager.OpenServiceConnection(L"RasMan"));
        ASSERT_TRUE(manager.OpenServiceConnection(L"Dhcp")); // closes the RasMan handle
        EXPECT_EQ(fake.Open.size(), 2u);
        EXPECT_TRUE(manager.StopService());
        manager.PauseService();
        manager.ContinueService();
        manager.ShutdownService();
        manager.DisableService(L"A");
        manager.ManualService(L"B");
        manager.EnableService(L"C");
        EXPECT_EQ(fake.Open.size(), 2u); // the start-type changes closed their own handles
    }
    EXPECT_TRUE(fake.Open.empty());
    const std::vector<std::wstring> tail(fake.Log.begin() + 3, fake.Log.end());
    const std::vector<std::wstring> expected{
        L"control Dhcp 1", L"control Dhcp 2", L"control Dhcp 3", L"control Dhcp 5",
        L"manager 983103", L"open A 2",       L"config A 4",     L"manager 983103",
        L"open B 2",       L"config B 3",     L"manager 983103", L"open C 2",
        L"config C 2"};
    EXPECT_EQ(tail, expected);
}

TEST(ServiceManager, RunningAndStoppedStates) {
    TFakeServices fake;
    TServiceManager manager(fake.Api());
    for (DWORD state = 1; state <= 7; ++state) {
        fake.State = state;
        EXPECT_EQ(manager.ServiceRunning(), state == SERVICE_RUNNING) << state;
        EXPECT_EQ(manager.ServiceStopped(), state == SERVICE_STOPPED) << state;
    }
    EXPECT_FALSE(manager.GetSvcList()); // no manager connection
}

// The child is a 64-bit program: the tests run the x86_64 build (this machine cannot run 32-bit
// code), and a build reads processes of its own pointer width.
TEST(ProcessCommandLine, ReadsAChildProcessCommandLine) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = readEnd; // the child waits for input that never comes
    startup.hStdOutput = startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring commandLine = L"cmd.exe /q /k rem marker-7f3a";
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                               CREATE_NO_WINDOW, nullptr, nullptr, &startup, &child));
    UnicodeString seen;
    // A process that is still starting may not have its parameters in place yet: read until the
    // child is up (the deadline only guards against a hang).
    for (int i = 0; i < 500 && seen.find(L"marker-7f3a") == UnicodeString::npos; ++i, Sleep(10))
        seen = GetProcessCommandLine(child.dwProcessId);
    TerminateProcess(child.hProcess, 0);
    WaitForSingleObject(child.hProcess, 5000);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    CloseHandle(readEnd);
    CloseHandle(writeEnd);
    EXPECT_NE(seen.find(L"marker-7f3a"), UnicodeString::npos)
        << std::string(seen.begin(), seen.end());
    EXPECT_EQ(GetProcessCommandLine(0xFFFFFFF0), L""); // no such process
}

TEST(ProcessCommandLine, EnablesTheDebugPrivilege) {
    EnableDebugPrivilege();
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    LUID debug{};
    ASSERT_TRUE(LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &debug));
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<Byte> buffer(size);
    ASSERT_TRUE(GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size));
    CloseHandle(token);
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    bool enabled = false;
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i)
        if (privileges->Privileges[i].Luid.LowPart == debug.LowPart &&
            privileges->Privileges[i].Luid.HighPart == debug.HighPart)
            enabled = (privileges->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) != 0;
    EXPECT_TRUE(enabled);
}
