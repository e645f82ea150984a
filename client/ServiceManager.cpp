// `TServiceManager` over the Service Control Manager. Every handle it receives is closed by it:
// a service handle when the next service is opened or the manager is freed, the manager
// connection when it is freed, and the temporary connections of the start-type changes at once.
#include "client/ServiceManager.h"

namespace {

constexpr DWORD ServiceRunningState = SERVICE_RUNNING; // 4
constexpr DWORD ServiceStoppedState = SERVICE_STOPPED; // 1

} // namespace

TServiceControlApi SystemServiceControlApi() {
    TServiceControlApi api;
    api.OpenSCManagerW = [](LPCWSTR machine, LPCWSTR database, DWORD access) {
        return ::OpenSCManagerW(machine, database, access);
    };
    api.OpenServiceW = [](SC_HANDLE manager, LPCWSTR name, DWORD access) {
        return ::OpenServiceW(manager, name, access);
    };
    api.StartServiceW = [](SC_HANDLE service, DWORD argc, LPCWSTR* argv) {
        return ::StartServiceW(service, argc, argv);
    };
    api.ControlService = [](SC_HANDLE service, DWORD control, SERVICE_STATUS* status) {
        return ::ControlService(service, control, status);
    };
    api.QueryServiceStatus = [](SC_HANDLE service, SERVICE_STATUS* status) {
        return ::QueryServiceStatus(service, status);
    };
    api.ChangeServiceStartType = [](SC_HANDLE service, DWORD startType) {
        return ::ChangeServiceConfigW(service, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE,
                                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      nullptr);
    };
    api.CloseServiceHandle = [](SC_HANDLE handle) { return ::CloseServiceHandle(handle); };
    api.EnumServicesStatusW = [](SC_HANDLE manager, DWORD type, DWORD state,
                                 ENUM_SERVICE_STATUSW* buffer, DWORD size, DWORD* needed,
                                 DWORD* returned, DWORD* resume) {
        return ::EnumServicesStatusW(manager, type, state, buffer, size, needed, returned, resume);
    };
    return api;
}

TServiceManager::TServiceManager(TServiceControlApi api) : FApi(std::move(api)) {}

TServiceManager::~TServiceManager() {
    Close(FServiceHandle);
    Close(FServiceControlManager);
}

void TServiceManager::Close(SC_HANDLE& handle) noexcept {
    if (handle) FApi.CloseServiceHandle(handle);
    handle = nullptr;
}

bool TServiceManager::Connect(LPCWSTR machineName, LPCWSTR databaseName, DWORD) {
    Close(FServiceControlManager);
    FServiceControlManager = FApi.OpenSCManagerW(machineName, databaseName, SC_MANAGER_ALL_ACCESS);
    return FServiceControlManager != nullptr;
}

bool TServiceManager::OpenServiceConnection(const UnicodeString& serviceName) {
    Close(FServiceHandle);
    FServiceHandle =
        FApi.OpenServiceW(FServiceControlManager, serviceName.c_str(), SERVICE_ALL_ACCESS);
    return FServiceHandle != nullptr;
}

bool TServiceManager::StartService() { return StartService(0, nullptr); }

bool TServiceManager::StartService(DWORD argc, LPCWSTR* argv) {
    return FApi.StartServiceW(FServiceHandle, argc, argv) != FALSE;
}

bool TServiceManager::StopService() {
    SERVICE_STATUS status{};
    return FApi.ControlService(FServiceHandle, SERVICE_CONTROL_STOP, &status) != FALSE;
}

void TServiceManager::Control(DWORD control) {
    SERVICE_STATUS status{};
    FApi.ControlService(FServiceHandle, control, &status);
}

void TServiceManager::PauseService() { Control(SERVICE_CONTROL_PAUSE); }
void TServiceManager::ContinueService() { Control(SERVICE_CONTROL_CONTINUE); }
void TServiceManager::ShutdownService() { Control(SERVICE_CONTROL_SHUTDOWN); }

DWORD TServiceManager::GetStatus() {
    SERVICE_STATUS status{};
    FApi.QueryServiceStatus(FServiceHandle, &status);
    return status.dwCurrentState;
}

bool TServiceManager::ServiceRunning() { return GetStatus() == ServiceRunningState; }
bool TServiceManager::ServiceStopped() { return GetStatus() == ServiceStoppedState; }

void TServiceManager::SetStartType(const UnicodeString& serviceName, DWORD startType) {
    SC_HANDLE manager = FApi.OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return;
    SC_HANDLE service = FApi.OpenServiceW(manager, serviceName.c_str(), SERVICE_CHANGE_CONFIG);
    if (service) FApi.ChangeServiceStartType(service, startType);
    Close(service);
    Close(manager);
}

void TServiceManager::DisableService(const UnicodeString& serviceName) {
    SetStartType(serviceName, SERVICE_DISABLED);
}
void TServiceManager::ManualService(const UnicodeString& serviceName) {
    SetStartType(serviceName, SERVICE_DEMAND_START);
}
void TServiceManager::EnableService(const UnicodeString& serviceName) {
    SetStartType(serviceName, SERVICE_AUTO_START);
}
