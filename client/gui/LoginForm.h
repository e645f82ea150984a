// The login dialog `Tfrmlogin`: banner page, user name and password, the interface language,
// the two options, the account check against the account servers with the backup, the
// remembered settings under HKCU "Software\vurarer", and the hand-over of the login state to
// the main window. The main window makes one modally during its creation; a second one
// (`frmlogin`) is made hidden at start-up only to re-apply the remembered language.
#pragma once

#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "framework/WebBrowser.h"

class Tfrmlogin : public TForm {
    CLASS_INFO(Tfrmlogin, TForm)
public:
    explicit Tfrmlogin(TComponent* owner);

    TWebBrowser* wb1;
    TGroupBox* sGroupBox1;
    TLabel *sLabel1, *sLabel2, *sLabel3;
    TEdit *edt_user, *edt_pass;
    TComboBox* lang;
    TCheckBox *chkpass, *chkstatus;
    TButton *sButton1, *sButton2, *sButton3, *sButton4;
    TButton *btn_login, *btn_exit;
    TLabel* Label3;
    TLabel *Label1, *Label2;
    TButton* Button1;

    void FormCreate(TObject* Sender);
    void langChange(TObject* Sender);
    void langDblClick(TObject* Sender);
    void btn_loginClick(TObject* Sender);
    void btn_exitClick(TObject* Sender);
    void OpenRegistrationClick(TObject* Sender); // sButton1, Label1
    void OpenAccountRootClick(TObject* Sender);  // sButton2, sButton3, Label2
    void sButton4Click(TObject* Sender);
    void Button1Click(TObject* Sender);

private:
    void BuildInputs();
    void BuildButtons();
    void ApplyLanguageTexts();
    void ReadRememberedSettings();
    void RememberSettings();
    bool InputMissing();
    bool CheckServers();
    bool CredentialsAccepted();
    void AcceptLogin(const UnicodeString& reply);
    void ShowProgress();
    void Refuse(const UnicodeString& text);
};

extern Tfrmlogin* frmlogin;

// The registry key of the remembered login settings, under HKEY_CURRENT_USER.
inline constexpr wchar_t LoginSettingsKey[] = L"Software\\vurarer";
