// `TServiceManager::GetSvcList`: every Win32 service with its state, start type, executable (or
// service library for shared hosts) and the company that published that file. One enumeration
// call into a fixed buffer, without continuation, as the list only informs.
#include "client/ServiceManager.h"

#include "rasdial/dunsubs1.h"

#include <algorithm>
#include <cwctype>
#include <vector>

namespace {

constexpr DWORD ListBufferSize = 147492;

UnicodeString StateText(DWORD state) {
    static const wchar_t* const texts[] = {L"stopped", L"start pending",    L"stop pending",
                                           L"running", L"continue pending", L"pause pending",
                                           L"paused"};
    return state >= 1 && state <= 7 ? texts[state - 1] : L"";
}

UnicodeString StartTypeText(DWORD startType) {
    switch (startType) {
    case SERVICE_AUTO_START: return L"auto";
    case SERVICE_DEMAND_START: return L"manual";
    case SERVICE_DISABLED: return L"disable";
    }
    return {};
}

bool ReadRegistryText(const UnicodeString& key, const wchar_t* name, UnicodeString& value) {
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, buffer,
                     &size) != ERROR_SUCCESS)
        return false;
    value = buffer;
    return true;
}

UnicodeString Lower(UnicodeString text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// The executable a service command line starts: the quoted path, or the text up to ".exe".
UnicodeString ExecutableOf(const UnicodeString& commandLine) {
    wchar_t expanded[MAX_PATH * 2] = {};
    ExpandEnvironmentStringsW(commandLine.c_str(), expanded, MAX_PATH * 2);
    UnicodeString text = expanded;
    if (!text.empty() && text[0] == L'"') return text.substr(1, text.find(L'"', 1) - 1);
    const std::size_t exe = Lower(text).find(L".exe");
    return exe == UnicodeString::npos ? text.substr(0, text.find(L' ')) : text.substr(0, exe + 4);
}

void DescribeFile(tSvrlist& service) {
    const UnicodeString key = L"SYSTEM\\CurrentControlSet\\Services\\" + service.svrname;
    DWORD start = 0;
    DWORD size = sizeof(start);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Start", RRF_RT_REG_DWORD, nullptr, &start,
                     &size) == ERROR_SUCCESS)
        service.svrtype = StartTypeText(start);
    UnicodeString imagePath;
    if (!ReadRegistryText(key, L"ImagePath", imagePath)) return;
    service.svrpath = Lower(ExecutableOf(imagePath));
    if (service.svrpath.ends_with(L"svchost.exe"))
        ReadRegistryText(key + L"\\Parameters", L"ServiceDll", service.svrpath);
    if (GetFileAttributesW(service.svrpath.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    service.publisher = GetFileVersionText(service.svrpath, L"CompanyName");
    service.ismicrosoft =
        Lower(service.publisher).find(L"microsoft corporation") != UnicodeString::npos;
}

} // namespace

bool TServiceManager::GetSvcList() {
    if (!FServiceControlManager) return false;
    std::vector<Byte> buffer(ListBufferSize);
    auto* services = reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data());
    DWORD needed = 0, returned = 0, resume = 0;
    FApi.EnumServicesStatusW(FServiceControlManager, SERVICE_WIN32, SERVICE_STATE_ALL, services,
                             ListBufferSize, &needed, &returned, &resume);
    returned = std::min<DWORD>(returned, ListBufferSize / sizeof(ENUM_SERVICE_STATUSW));
    for (DWORD i = 0; i < returned; ++i) {
        tSvrlist service;
        service.svrname = services[i].lpServiceName ? services[i].lpServiceName : L"";
        service.displayname = services[i].lpDisplayName ? services[i].lpDisplayName : L"";
        service.status = StateText(services[i].ServiceStatus.dwCurrentState);
        DescribeFile(service);
        FSvrList.push_back(std::move(service));
    }
    return true;
}
