// The login dialog `Tfrmlogin`: banner page, user name and password, the interface language,
// the two options, the account check against the account servers with the backup, the
// remembered settings under HKCU "Software\vurarer", and the hand-over of the login state to
// the main window. The main window makes one modally during its creation, skinned: it carries
// the skin manager with the product skin as its internal skin and a skin provider, so that its
// whole window, frame included, is painted from the skin. A second one (`frmlogin`) is made
// hidden and plain at start-up only to re-apply the remembered language.
#pragma once

#include "framework/Forms.h"
#include "framework/WebBrowser.h"
#include "skin/controls/sButton.h"
#include "skin/controls/sCheckBox.h"
#include "skin/controls/sComboBox.h"
#include "skin/controls/sEdit.h"
#include "skin/controls/sGroupBox.h"
#include "skin/controls/sLabel.h"
#include "skin/engine/sSkinManager.h"
#include "skin/window/sSkinProvider.h"

// How a login dialog looks: plain (the class library's), or painted from the product skin.
enum class TLoginLook { Plain, Skinned };

class Tfrmlogin : public TForm {
    CLASS_INFO(Tfrmlogin, TForm)
public:
    explicit Tfrmlogin(TComponent* owner, TLoginLook look = TLoginLook::Plain);

    TWebBrowser* wb1;
    TsGroupBox* sGroupBox1;
    TsLabel *sLabel1, *sLabel2, *sLabel3;
    TsEdit *edt_user, *edt_pass;
    TsComboBox* lang;
    TsCheckBox *chkpass, *chkstatus;
    TsButton *sButton1, *sButton2, *sButton3, *sButton4;
    TsButton *btn_login, *btn_exit;
    TsLabel* Label3;
    TsLabel *Label1, *Label2;
    TsButton* Button1;
    TsSkinManager* sSkinManager1 = nullptr; // skinned only
    TsSkinProvider* sSkinProvider1 = nullptr;

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
    void BuildSkin();
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

// The product skin: its name and the program's resource holding its packed archive.
inline constexpr wchar_t ProductSkinName[] = L"Calm";
inline constexpr wchar_t ProductSkinResource[] = L"CALM";

// The registry key of the remembered login settings, under HKEY_CURRENT_USER.
inline constexpr wchar_t LoginSettingsKey[] = L"Software\\vurarer";
