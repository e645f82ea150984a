// The dial-up service restart: after the L2TP IPsec switch is set, the shared service host that
// runs the network services is ended and the RAS services are started again, so that the switch
// takes effect. The waits keep the window's messages flowing (the caller's wait routine).
#include "client/ServiceManager.h"

#include "client/ProcessCommandLine.h"
#include "framework/SyncObjs.h"

#include <tlhelp32.h>

#include <cwctype>

const wchar_t* const RasRestartServices[6] = {L"AudioSrv", L"CryptSvc",          L"RasMan",
                                              L"Dhcp",     L"lanmanworkstation", L"netman"};

namespace {

constexpr wchar_t ServiceHost[] = L"svchost.exe";
constexpr wchar_t NetworkGroup[] = L"-k netsvc";
constexpr Cardinal BetweenStartsMs = 1000;
constexpr Cardinal AfterRestartMs = 10000;
constexpr UINT EndedHostExitCode = 1;

bool IsServiceHost(UnicodeString exeFile) {
    for (wchar_t& c : exeFile) c = static_cast<wchar_t>(std::towlower(c));
    return exeFile == ServiceHost;
}

std::vector<TProcessInfo> SnapshotProcesses() {
    std::vector<TProcessInfo> processes;
    TKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return processes;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry))
        processes.push_back({entry.th32ProcessID, entry.szExeFile});
    return processes;
}

void EndProcessById(DWORD processId) {
    TKernelHandle process(OpenProcess(PROCESS_ALL_ACCESS, TRUE, processId));
    if (process) TerminateProcess(process.Get(), EndedHostExitCode);
}

} // namespace

TRasServiceRestart SystemRasServiceRestart(std::function<void()> enableRasProhibitIpSec,
                                           std::function<void(Cardinal ms)> waitPumpingMessages) {
    return {std::move(enableRasProhibitIpSec),
            SnapshotProcesses,
            GetProcessCommandLine,
            EndProcessById,
            SystemServiceControlApi(),
            std::move(waitPumpingMessages)};
}

void ResetRasServices(const TRasServiceRestart& services) {
    services.EnableRasProhibitIpSec();
    DWORD host = 0;
    for (const TProcessInfo& process : services.Processes()) {
        if (!IsServiceHost(process.ExeFile)) continue;
        if (services.CommandLine(process.ProcessId).find(NetworkGroup) != UnicodeString::npos) {
            host = process.ProcessId;
            break;
        }
    }
    if (host == 0) return;
    services.EndProcess(host);
    {
        TServiceManager manager(services.Services);
        manager.Connect();
        for (const wchar_t* name : RasRestartServices) {
            manager.OpenServiceConnection(name);
            manager.StartService();
            services.WaitPumpingMessages(BetweenStartsMs);
            manager.StartService();
        }
    }
    services.WaitPumpingMessages(AfterRestartMs);
}
