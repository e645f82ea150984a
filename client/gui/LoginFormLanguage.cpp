// The login dialog's language routine: the language box sets `lang_code`, and every text of
// this dialog, of the hidden `frmlogin` and of the main window is chosen again for it. The status
// line of the last attempt goes: its text was in the old language.
#include "client/gui/LoginForm.h"
#include "client/gui/MainForm.h"

#include "client/AppShared.h"

void Tfrmlogin::langChange(TObject*) {
    const int index = lang->ItemIndex();
    if (index < 0) return;
    lang_code = index == 1 ? LangEnglish : index == 2 ? LangTraditional : LangSimplified;
    // The status line tells how the last attempt went, in the language it was made in.
    Label3->SetVisible(false);
    ApplyLanguageTexts();
}

void Tfrmlogin::langDblClick(TObject* Sender) {
    lang->SetItemIndex(lang->ItemIndex() == 0 ? 1 : 0);
    langChange(Sender);
}

void Tfrmlogin::ApplyLanguageTexts() {
    const UnicodeString title = LangText(L"Velmora Client v9.0", L"Velmora网络加速器 v9.0");
    Application->SetTitle(title);
    SetCaption(title);
    if (frmlogin) frmlogin->SetCaption(title);
    sLabel1->SetCaption(LangText(L"UserName:", L"用户名:"));
    sLabel2->SetCaption(LangText(L"Password:", L"密  码:"));
    sLabel3->SetCaption(LangText(L"Language:", L"语  言:"));
    chkpass->SetCaption(LangText(L"save pass", L"记住密码"));
    chkstatus->SetCaption(LangText(L"auto redial", L"断线重拨"));
    sButton1->SetCaption(LangText(L"Register", L"帐户注册"));
    sButton2->SetCaption(LangText(L"Top Up", L"帐户充值"));
    sButton3->SetCaption(LangText(L"Get pass", L"找回密码"));
    if (lang_code != LangTraditional) sButton4->SetCaption(LangText(L"website", L"官方网站"));
    btn_login->SetCaption(LangText(L"Login", L"登  录"));
    btn_exit->SetCaption(LangText(L"Cancel", L"关  闭"));
    sGroupBox1->SetCaption(LangText(L"Login", L"登录"));
    if (frmmain) frmmain->ApplyLanguageTexts();
}
