// The connect roads of the main window. `btn_connClick` asks the account server for the line's
// dial credentials; `btn_conn2Click` dials again with those of the last connect. Both clear what
// an earlier attempt left, write a fresh phonebook entry in the all-users phonebook under a new
// name and start an asynchronous dial, which the progress and time-out timers follow
// (MainFormDialStatus.cpp). Every road that stops before the dial has started leaves the window
// either busy (a missing line value, which the disconnect button clears) or idle.
#include "client/gui/ClientUi.h"
#include "client/gui/DialTexts.h"
#include "client/gui/MainForm.h"

#include "client/AccountServerProtocol.h"
#include "client/AppShared.h"
#include "client/ServerDecoders.h"

#include "framework/Conversions.h"
#include "framework/TextEncoding.h"
#include "rasdial/dunrascon.h"
#include "rasdial/dunrasedt.h"
#include "support/KitThreadPool/KitIni.h"

namespace {

const wchar_t EntryFailureEnglish[] =
    L"Unable to establish a connection, please try one or more of the following operation:"
    L"\r\n\r\n1、Your computer is the first use of L2TP protocol to login, please reboot your "
    L"computer.\r\n\r\n2、The window7 system, the need to close the client, then right click the "
    L"client file select run as Administrator\r\n\r\n3、Open computer control panel -> open "
    L"administrative tools -> Open Service -> Telephony and server is set to automatic and "
    L"start\r\n\r\n4、To reopen the client software";
const wchar_t EntryFailureChinese[] =
    L"无法建立连接，请您尝试以下其中一种或多种操作:\r\n\r\n1、您的电脑是第一次使用L2TP协议登录，"
    L"请您重新启动电脑即可\r\n\r\n2、window7系统，需关闭客户端，再以右键单击客户端文件选择以管理员"
    L"身份运行\r\n\r\n3、打开电脑控制面板-->打开管理工具--->打开服务--->把Telephony及server设为"
    L"自动并启动\r\n\r\n4、关闭客户端后重新打开";

void SetDialCredentials(const UnicodeString& user, const UnicodeString& password) {
    rasedt->UserName = UnicodeToAnsi(user);
    rasedt->Password = UnicodeToAnsi(password);
    dial_user = user;
    dial_pass = password;
}

} // namespace

void Tfrmmain::btn_connClick(TObject*) {
    UnicodeString address;
    if (!StartAttempt(address)) return;
    if (!AskLineCheck(address)) return;
    Dial(false);
}

void Tfrmmain::btn_conn2Click(TObject*) {
    UnicodeString address;
    if (!StartAttempt(address)) return;
    SetDialCredentials(dial_user, dial_pass);
    Dial(true);
}

// Steps shared by both roads up to the device: false when the attempt ended on the way.
bool Tfrmmain::StartAttempt(UnicodeString& address) {
    if (Trim(IPAddrTxt->Text()).empty()) {
        IPAddrTxt->SetFocus();
        return false;
    }
    SetBusyState();
    HangUpAndDeleteEntry();
    const UnicodeString value =
        line_ini ? line_ini->ReadString(AreaTxt2->Text(), IPAddrTxt->Text(), L"") : L"";
    if (value.empty()) {
        ShowWarning(LangText(L"Error occurred, please close the program to run",
                             L"发生错误，请关闭程序再重新运行"));
        return false;
    }
    address = DecodeLineAddress(value.substr(0, value.find(L',')));
    SetStatusPanel(0, LangText(L"Connecting....", L"正在建立连接"));
    statuslabel->SetCaption(LangText(L"Connecting...", L"正在建立连接"));
    FDialLine = IPAddrTxt->Text();
    linelabel->SetCaption(LangText(L"Line:", L"连接线路：") + FDialLine);
    rasedt->PPPDefault();
    rasedt->SetPBLocation(1);
    if (rb_lp2p->Checked() && !ApplyL2tpSwitch()) return false;
    SetEntryDevice(address);
    return true;
}

void Tfrmmain::SetEntryDevice(const UnicodeString& address) {
    const bool l2tp = rb_lp2p->Checked();
    rasedt->DeviceName = UnicodeToAnsi(VpnDeviceName(l2tp));
    rasedt->VpnStrategy = l2tp ? vpnL2tpOnly : vpnPptpFirst;
    rasedt->DeviceType = "vpn";
    rasedt->bPreviewUserPw = true;
    rasedt->bPreviewPhoneNumber = true;
    rasedt->LocalPhoneNumber = UnicodeToAnsi(address);
    line_ip = address;
}

// The line check: false (and the attempt ended) when it gave no credentials to dial with.
bool Tfrmmain::AskLineCheck(const UnicodeString& address) {
    const TLineCheckReply reply = LineCheck(address, login_user, login_pass);
    Application->ProcessMessages();
    switch (reply.Verdict) {
    case TLineCheckVerdict::Busy:
        btn_disconnClick(this);
        statuslabel->SetCaption(
            LangText(L"network quality is poor, please try connecting again or try again later",
                     L"服务器繁忙或此时网络质量差，请更换线路或稍后再试"));
        return false;
    case TLineCheckVerdict::NoCredentials:
        ShowWarning(LangText(L"Unable to query the server line information, please try "
                             L"connecting again or try again later.",
                             L"无法向服务器查询线路信息，请重新尝试连接或稍后再试."));
        btn_disconnClick(this);
        return false;
    case TLineCheckVerdict::LoginAccount:
    case TLineCheckVerdict::Issued: break;
    }
    own_account = reply.Verdict == TLineCheckVerdict::LoginAccount;
    SetDialCredentials(reply.DialUser, reply.DialPassword);
    return true;
}

void Tfrmmain::Dial(bool secondRoad) {
    const TDateTime now = Now();
    dial_entry = DialEntryName(now);
    unique_id = NewUniqueId(now);
    if (!WriteEntry()) return;
    rascon->EntryName = UnicodeToAnsi(dial_entry);
    rascon->SetPBLocation(1);
    ras_handle = 0;
    HRasConn handle = nullptr;
    Integer result = rascon->GetDialParams();
    if (result == 0) result = rascon->ConnectEx(handle);
    ras_handle = reinterpret_cast<NativeUInt>(handle);
    if (result != 0) {
        const UnicodeString prefix =
            secondRoad ? LangText(L"Error:", L"错误代码：") : LangText(L"Error cole:", L"错误代码");
        statuslabel->SetCaption(prefix + IntToStr(result) + L"-" + rascon->StatusStr());
        SetIdleState();
        HangUpAndDeleteEntry();
        return;
    }
    SetDialPhase(TDialPhase::Dialling);
    FSent.Reset();
    FReceived.Reset();
    FDialTick = GetTickCount64();
    for (TTimer* timer : {dialupstatus, Timer2, rast12, dialupcheck}) timer->SetEnabled(true);
    btn_conn->SetEnabled(false);
    datalabel->SetCaption(L"");
    conn_start = Now();
}

// The entry's remaining properties, written with its dial properties: false (and the attempt
// ended) when the phonebook refused them.
bool Tfrmmain::WriteEntry() {
    rasedt->bRequireDataEncryption = false;
    rasedt->EncryptionType = encryptOptional;
    rasedt->bPromoteAlternates = rasedt->bHeaderCompression = false;
    rasedt->bRequireEncryptedPassword = rasedt->bSoftwareCompression = false;
    rasedt->bRequirePAP = rasedt->bRequireCHAP = rasedt->bRequireMsCHAP = true;
    rasedt->bRequireMsCHAP2 = rasedt->bCustom = true;
    rasedt->PType = typeVNP;
    const AnsiString entry = UnicodeToAnsi(dial_entry);
    if (rasedt->PutAllEntryProps(entry) == 0 && rasedt->PutDialProps(entry) == 0) return true;
    ShowWarning(LangText(EntryFailureEnglish, EntryFailureChinese));
    btn_disconnClick(this);
    return false;
}
