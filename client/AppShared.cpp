// The process-wide state of the client and its module start-up. The variables start with the
// values the login expects; nothing here resets them, as the process ends from the main window.
#include "client/AppShared.h"

#include "framework/Registry.h"

#include <vector>

bool login_ok = false;
std::atomic<bool> speed_running{false};
bool is_connected = false;
bool own_account = true;
UnicodeString login_user;
UnicodeString login_pass;
TKitStreamIniFile* line_ini = nullptr;
NativeUInt ras_handle = 0;
UnicodeString app_dir;
UnicodeString cur_server;
UnicodeString bak_server;
UnicodeString peer_ip;
UnicodeString new_version;
UnicodeString route_ip;
UnicodeString user_info;
Integer auto_redial = 0;
Integer expire_tips = 0;
Integer update_tips = 0;
Integer lang_code = LangNone;
TDateTime conn_start = 0;
UnicodeString unique_id;
UnicodeString dial_entry;
UnicodeString line_ip;
UnicodeString dial_user;
UnicodeString dial_pass;
TDunRasCon* rascon = nullptr;
TDunRasPer* rasper = nullptr;
TDunRasEdt* rasedt = nullptr;
bool route_added = false;

UnicodeString ProgramDirectory() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) RaiseLastOSError(L"GetModuleFileNameW");
        if (length < buffer.size()) {
            const UnicodeString path(buffer.data(), length);
            return path.substr(0, path.find_last_of(L"\\/:") + 1);
        }
        buffer.resize(buffer.size() * 2);
    }
}

TModuleEntry AppSharedModule() {
    return {L"AppShared", {}, [] { app_dir = ProgramDirectory(); }, {}};
}

void EnableRasProhibitIpSec() {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    reg.OpenKey(L"\\SYSTEM\\CurrentControlSet\\Services\\RasMan\\Parameters", true);
    reg.WriteInteger(L"ProhibitIPSec", 1); // raises when the key could not be opened
    reg.CloseKey();
}
