// Ending a connection and the L2TP switch. The disconnect button returns the window to idle,
// hangs the attempt's connection up and deletes its phonebook entry; closing the window and
// every failed attempt use the same hang-up. The L2TP switch sets ProhibitIpSec under the RasMan
// parameters and restarts the dial-up services through `RasServiceRestart`, which tests replace
// so that no service of the machine is touched.
#include "client/gui/ClientUi.h"
#include "client/gui/MainForm.h"

#include "client/AppShared.h"

#include "framework/Registry.h"
#include "framework/TextEncoding.h"
#include "rasdial/dunrascon.h"
#include "rasdial/dunrasper.h"

namespace {

const wchar_t RasManParametersKey[] = L"\\SYSTEM\\CurrentControlSet\\Services\\RasMan\\Parameters";
constexpr Cardinal HangUpWaitMs = 3000;

bool ProhibitIpSecIsSet(const TRegistry& registry) {
    return registry.ValueExists(L"ProhibitIpSec") &&
           registry.GetDataType(L"ProhibitIpSec") == rdInteger &&
           registry.ReadInteger(L"ProhibitIpSec") == 1;
}

} // namespace

void Tfrmmain::btn_disconnClick(TObject*) {
    statuslabel->SetCaption(LangText(L"disconnecting....", L"正在断开"));
    SetIdleState();
    com_game->SetEnabled(true);
    btn_zz->SetEnabled(true);
    SetStatusPanel(0, LangText(L"Disconnected", L"连接已断开"));
    statuslabel->SetCaption(LangText(L"Disconected", L"连接已经断开"));
    linelabel->Font()->SetColor(clWindowText);
    datalabel->Font()->SetColor(clWindowText);
    SetIdleState();
    rasper->ResetPerfStats();
    dialupcheck->SetEnabled(false);
    autodialstatus->SetEnabled(false);
    HangUpAndDeleteEntry();
}

void Tfrmmain::HangUpAndDeleteEntry() {
    if (ras_handle != 0 &&
        rascon->DisconnectEx(reinterpret_cast<HRasConn>(ras_handle), 0, true, HangUpWaitMs) == 0)
        ras_handle = 0;
    const AnsiString entry = UnicodeToAnsi(dial_entry);
    if (rascon->ValidateName(entry) == 0) return;
    rascon->GetConnection();
    // No active connection leaves the name empty, which must not match an empty entry name.
    if (rascon->CurRasConn && rascon->CurConnName == entry)
        rascon->DisconnectEx(rascon->CurRasConn, 0, false, HangUpWaitMs);
    rascon->EntryName = entry;
    rascon->DeletePhonebook();
    rascon->DeletePhonebook();
}

void Tfrmmain::ras1Disconnect(TObject*, Integer, const UnicodeString& ErrorString) {
    ShowWarning(ErrorString);
    is_connected = false;
    statuscheck->SetEnabled(false);
    datecheck->SetEnabled(false);
    btn_disconnClick(this);
}

// Step 7 of a connect with L2TP chosen: false when the attempt ended.
bool Tfrmmain::ApplyL2tpSwitch() {
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKey(RasManParametersKey, false)) {
        ShowWarning(LangText(L"The L2TP settings of this computer cannot be read",
                             L"无法读取此台电脑的L2TP设置"));
        btn_disconnClick(this);
        return false;
    }
    if (!ProhibitIpSecIsSet(registry)) {
        registry.WriteInteger(L"ProhibitIpSec", 1);
        ShowNotice(
            LangText(L"1、Setting L2TP parameters, please wait for 10 seconds\r\n\r\n2、If "
                     L"there is a special problem, please restart your computer",
                     L"1、此台电脑是第一次使用L2TP模式，点击确定后将自动进行必要的参数设置，"
                     L"请稍等10秒左右\r\n\r\n2、如果导致您的网络断线或无法成功连接，请重新启动"
                     L"电脑再试"));
        statuslabel->SetCaption(LangText(L"Setting L2TP parameters, please wait for 10 seconds...",
                                         L"正在进行L2TP设置，请稍等10秒左右......"));
        ResetRasServices();
    }
    registry.CloseKey();
    return true;
}

void Tfrmmain::L2TPQ1Click(TObject*) {
    if (!AskYesNo(LangText(L"Will force L2TP settings ?", L"确定要强制生效L2TP的设置吗？"))) return;
    ResetRasServices();
    if (lang_code == LangEnglish)
        ShowNotice(L"Have finished setting!\r\n\r\nTry to connect");
    else if (lang_code == LangTraditional)
        ShowNotice(ToTraditionalChinese(L"强制生效完成,尝试继续连接"));
    else
        ShowNotice(L"强制生效OK!\r\n\r\n尝试继续连接");
}

void Tfrmmain::ResetRasServices() { ::ResetRasServices(RasServiceRestart); }

void Tfrmmain::WaitPumpingMessages(Cardinal ms) {
    const ULONGLONG start = GetTickCount64();
    for (ULONGLONG passed = 0; passed < ms && !Application->Terminated();
         passed = GetTickCount64() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms - passed), QS_ALLINPUT);
        Application->ProcessMessages();
    }
}
