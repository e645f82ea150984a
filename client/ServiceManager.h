// The Service Control Manager wrapper `TServiceManager` (with its service list record
// `tSvrlist`) and the dial-up service restart `ResetRasServices`.
//
// Every system call goes through `TServiceControlApi`, so that tests drive the manager and the
// restart against a simulated manager; the system one is `SystemServiceControlApi()`. The
// manager owns every handle it opens and closes it: the previous service handle when another
// service is opened, the temporary connections of the start-type changes, and both handles
// when it is freed.
#pragma once

#include "framework/Objects.h"

#include <windows.h>

#include <functional>
#include <vector>

struct TServiceControlApi {
    std::function<SC_HANDLE(LPCWSTR machine, LPCWSTR database, DWORD access)> OpenSCManagerW;
    std::function<SC_HANDLE(SC_HANDLE manager, LPCWSTR name, DWORD access)> OpenServiceW;
    std::function<BOOL(SC_HANDLE service, DWORD argc, LPCWSTR* argv)> StartServiceW;
    std::function<BOOL(SC_HANDLE service, DWORD control, SERVICE_STATUS* status)> ControlService;
    std::function<BOOL(SC_HANDLE service, SERVICE_STATUS* status)> QueryServiceStatus;
    std::function<BOOL(SC_HANDLE service, DWORD startType)> ChangeServiceStartType;
    std::function<BOOL(SC_HANDLE handle)> CloseServiceHandle;
    std::function<BOOL(SC_HANDLE manager, DWORD type, DWORD state, ENUM_SERVICE_STATUSW* buffer,
                       DWORD size, DWORD* needed, DWORD* returned, DWORD* resume)>
        EnumServicesStatusW;
};

TServiceControlApi SystemServiceControlApi();

// One service of `GetSvcList`.
struct tSvrlist {
    UnicodeString svrname, displayname, publisher, svrpath;
    bool ismicrosoft = false;
    UnicodeString svrtype, status;
};

class TServiceManager : public TObject {
public:
    explicit TServiceManager(TServiceControlApi api = SystemServiceControlApi());
    ~TServiceManager() override;
    TServiceManager(const TServiceManager&) = delete;
    TServiceManager& operator=(const TServiceManager&) = delete;

    SC_HANDLE ServiceControlManager() const noexcept { return FServiceControlManager; }
    SC_HANDLE ServiceHandle() const noexcept { return FServiceHandle; }
    const std::vector<tSvrlist>& f_svrlist() const noexcept { return FSvrList; }

    // The access argument is kept for callers; the connection always asks for all access.
    bool Connect(LPCWSTR machineName = nullptr, LPCWSTR databaseName = nullptr, DWORD access = 0);
    bool OpenServiceConnection(const UnicodeString& serviceName);
    bool StartService();
    bool StartService(DWORD argc, LPCWSTR* argv);
    bool StopService();
    void PauseService();
    void ContinueService();
    void ShutdownService();
    DWORD GetStatus();
    bool ServiceRunning();
    bool ServiceStopped();
    void DisableService(const UnicodeString& serviceName);
    void ManualService(const UnicodeString& serviceName);
    void EnableService(const UnicodeString& serviceName);
    bool GetSvcList();

private:
    void Control(DWORD control);
    void SetStartType(const UnicodeString& serviceName, DWORD startType);
    void Close(SC_HANDLE& handle) noexcept;

    TServiceControlApi FApi;
    SC_HANDLE FServiceControlManager = nullptr; // owned
    SC_HANDLE FServiceHandle = nullptr;         // owned
    std::vector<tSvrlist> FSvrList;
};

// One process of the system's process list.
struct TProcessInfo {
    DWORD ProcessId = 0;
    UnicodeString ExeFile;
};

// What the restart uses; tests replace each.
struct TRasServiceRestart {
    std::function<void()> EnableRasProhibitIpSec; // raises when the switch cannot be written
    std::function<std::vector<TProcessInfo>()> Processes;
    std::function<UnicodeString(DWORD processId)> CommandLine;
    std::function<void(DWORD processId)> EndProcess;
    TServiceControlApi Services;
    std::function<void(Cardinal ms)> WaitPumpingMessages;
};

// The system's process list, command lines, process ending and service manager, with the
// given switch writer and wait.
TRasServiceRestart SystemRasServiceRestart(std::function<void()> enableRasProhibitIpSec,
                                           std::function<void(Cardinal ms)> waitPumpingMessages);

// The services restarted, in order.
extern const wchar_t* const RasRestartServices[6];

// Sets the switch, ends the shared service host of the network services ("svchost.exe" with
// "-k netsvc" on its command line) and starts the RAS services again, waiting between them.
// Without such a host it returns after setting the switch.
void ResetRasServices(const TRasServiceRestart& services);
