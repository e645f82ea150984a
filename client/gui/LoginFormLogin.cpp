// The login button: input checks, the server check, the credential check with the backup, and
// on success the hand-over to the main window (its labels, the login state, the line list).
// Every network failure ends in one of the texts below; none raises to the user.
#include "client/gui/ClientUi.h"
#include "client/gui/LoginForm.h"
#include "client/gui/MainForm.h"

#include "client/AccountServerProtocol.h"
#include "client/AppShared.h"

#include "support/KitThreadPool/KitIni.h"

namespace {

UnicodeString BusyText() {
    return LangText(L"network quality is poor, please try connecting again or try again later",
                    L"服务器繁忙或此时网络质量差，请重新尝试连接或稍后再试");
}

// The Chinese prefix converted in language 3, the server's text left as it came.
UnicodeString Prefixed(const UnicodeString& english, const UnicodeString& chinese,
                       const UnicodeString& rest) {
    return LangText(english, chinese) + rest;
}

} // namespace

void Tfrmlogin::btn_loginClick(TObject*) {
    if (InputMissing()) return;
    ShowProgress();
    if (!CheckServers()) return;
    if (!CredentialsAccepted()) return;
    Close();
}

bool Tfrmlogin::InputMissing() {
    if (edt_user->Text().empty()) {
        ShowWarning(LangText(L"The user name cannot be empty", L"账号不能为空"));
        edt_user->SetFocus();
        return true;
    }
    if (edt_pass->Text().empty()) {
        ShowWarning(LangText(L"Password cannot be empty", L"密码必须输入"));
        edt_pass->SetFocus();
        return true;
    }
    return false;
}

void Tfrmlogin::ShowProgress() {
    Label3->Font()->SetColor(clRed);
    Label3->SetCaption(LangText(L"Connecting to server, please wait......",
                                L"请稍候，正在向主节点获取连接信息......"));
    Label3->SetVisible(true);
    Application->ProcessMessages();
}

bool Tfrmlogin::CheckServers() {
    if (!ServerCheck()) {
        ShowPlainMessage(BusyText());
        Application->ProcessMessages();
        Label3->SetVisible(false);
        return false;
    }
    if (new_version == L"9.1") {
        update_tips = 0;
        if (frmmain) frmmain->vercheck->SetEnabled(true);
        ShowPlainMessage(LangText(
            L"There have been updated version, the old version may not be available, we strongly "
            L"recommend that you download the latest version",
            L"已经有更新版本，旧版本可能无法使用，强烈建议您下载最新版本"));
    }
    return true;
}

bool Tfrmlogin::CredentialsAccepted() {
    const TCredentialReply reply = CredentialCheck(edt_user->Text(), edt_pass->Text());
    switch (reply.Verdict) {
    case TCredentialVerdict::Busy:
        ShowPlainMessage(BusyText());
        Label3->SetVisible(false);
        edt_user->SetFocus();
        return false;
    case TCredentialVerdict::WrongLogin:
        Refuse(LangText(L"The user name or password is incorrect", L"用户名或密码错误"));
        return false;
    case TCredentialVerdict::Expired:
        Refuse(LangText(L"This account has expired, please recharge in time to use",
                        L"此帐户已过期，请及时充值后才能使用此功能"));
        return false;
    case TCredentialVerdict::UsedUp:
        Refuse(LangText(L"This account free test time has run out, please register normal account",
                        L"此帐户免费测试时间已经用完，请注册正式帐户"));
        return false;
    case TCredentialVerdict::Accepted: break;
    }
    AcceptLogin(reply.Reply);
    return true;
}

void Tfrmlogin::Refuse(const UnicodeString& text) {
    ShowPlainMessage(text);
    Label3->SetCaption(text);
    edt_user->SetFocus();
}

void Tfrmlogin::AcceptLogin(const UnicodeString& reply) {
    login_ok = true;
    login_user = edt_user->Text();
    login_pass = edt_pass->Text();
    user_info = reply;
    if (frmmain) {
        frmmain->userlabel->SetCaption(
            Prefixed(L"UserName：", L"用户名：", login_user + L"  " + reply));
        frmmain->statuslabel->SetCaption(LangText(L"Disconnected", L"未连接"));
        frmmain->localiplabel->SetCaption(Prefixed(L"Local IP：", L"本地IP为：", peer_ip));
    }
    RememberSettings();
    TKitStreamIniFile* document = NewLineListDocument(FetchLineList(TLineListUse::Login));
    FreeAndNil(line_ini);
    line_ini = document;
    if (chkstatus->Checked()) auto_redial = 2;
}
