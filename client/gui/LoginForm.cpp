// The login dialog's window: its components, the page buttons and the language test. The
// login itself is in LoginFormLogin.cpp, the language routine in LoginFormLanguage.cpp, the
// remembered settings in LoginFormSettings.cpp.
#include "client/gui/LoginForm.h"

#include "client/AccountServerProtocol.h"
#include "client/AppShared.h"

#include "client/gui/ClientUi.h"

Tfrmlogin* frmlogin = nullptr;

namespace {

TsLabel* PlaceLabel(TForm* form, TWinControl* parent, int left, int top,
                    const UnicodeString& caption) {
    auto* label = Place<TsLabel>(form, parent, left, top, 76, 16);
    label->SetCaption(caption);
    return label;
}

TsButton* PlaceButton(TForm* form, int left, int top, const UnicodeString& caption,
                      const TNotifyEvent& onClick) {
    auto* button = Place<TsButton>(form, form, left, top, 82, 26);
    button->SetCaption(caption);
    button->OnClick = onClick;
    return button;
}

} // namespace

Tfrmlogin::Tfrmlogin(TComponent* owner, TLoginLook look) : TForm(owner) {
    if (look == TLoginLook::Skinned) BuildSkin();
    SetBorderStyle(bsDialog);
    SetBorderIcons({});
    SetFormStyle(fsStayOnTop);
    SetAutoScroll(false);
    SetPosition(poScreenCenter);
    // The program's own icon (the class icon is the generic one) in the caption and task bar.
    SetIcon(Application->Icon());
    SetClientSize(this, 360, 328, false);
    wb1 = Place<TWebBrowser>(this, this, 4, 4, 352, 102);
    BuildInputs();
    BuildButtons();
    OnCreate = TNotifyEvent(this, &Tfrmlogin::FormCreate);
}

// The manager first, its properties in streaming order (the skin is read now and applied when
// the dialog has loaded), then the provider that paints the frame.
void Tfrmlogin::BuildSkin() {
    sSkinManager1 = Construct<TsSkinManager>(this);
    TsStoredSkin* internal = sSkinManager1->InternalSkins()->Add();
    internal->SetName(ProductSkinName);
    internal->LoadDataFromResource(GetModuleHandleW(nullptr), ProductSkinResource);
    sSkinManager1->WriteSkinName(ProductSkinName);
    sSkinProvider1 = Construct<TsSkinProvider>(this);
}

void Tfrmlogin::BuildInputs() {
    sGroupBox1 = Place<TsGroupBox>(this, this, 4, 110, 352, 146);
    sGroupBox1->SetCaption(L"登陆");
    sLabel1 = PlaceLabel(this, sGroupBox1, 16, 26, L"用户名:");
    sLabel2 = PlaceLabel(this, sGroupBox1, 16, 56, L"密  码:");
    sLabel3 = PlaceLabel(this, sGroupBox1, 16, 86, L"语  言:");
    edt_user = Place<TsEdit>(this, sGroupBox1, 96, 22, 200, 22);
    edt_pass = Place<TsEdit>(this, sGroupBox1, 96, 52, 200, 22);
    edt_pass->SetPasswordChar(L'*');
    lang = Place<TsComboBox>(this, sGroupBox1, 96, 82, 200, 22);
    lang->SetStyle(csDropDownList);
    for (const wchar_t* item : {L"简体中文", L"English", L"繁体中文"}) lang->Items()->Add(item);
    lang->SetItemIndex(0);
    lang->OnChange = TNotifyEvent(this, &Tfrmlogin::langChange);
    lang->OnDblClick = TNotifyEvent(this, &Tfrmlogin::langDblClick);
    chkpass = Place<TsCheckBox>(this, sGroupBox1, 96, 114, 100, 20);
    chkpass->SetCaption(L"记住密码");
    chkstatus = Place<TsCheckBox>(this, sGroupBox1, 200, 114, 110, 20);
    chkstatus->SetCaption(L"断线重拨");
}

void Tfrmlogin::BuildButtons() {
    const TNotifyEvent registration(this, &Tfrmlogin::OpenRegistrationClick);
    const TNotifyEvent accountRoot(this, &Tfrmlogin::OpenAccountRootClick);
    sButton1 = PlaceButton(this, 4, 264, L"帐户注册", registration);
    sButton2 = PlaceButton(this, 94, 264, L"帐户充值", accountRoot);
    sButton3 = PlaceButton(this, 4, 264, L"找回密码", accountRoot);
    sButton3->SetVisible(false);
    sButton4 =
        PlaceButton(this, 94, 264, L"官方网站", TNotifyEvent(this, &Tfrmlogin::sButton4Click));
    sButton4->SetVisible(false);
    btn_login =
        PlaceButton(this, 184, 264, L"登  陆", TNotifyEvent(this, &Tfrmlogin::btn_loginClick));
    btn_login->SetDefault(true);
    btn_exit =
        PlaceButton(this, 274, 264, L"关  闭", TNotifyEvent(this, &Tfrmlogin::btn_exitClick));
    btn_exit->SetCancel(true);
    // Two lines across the dialog's width, whatever the text: a label that sized itself to its
    // text would shrink to its first word and wrap every later text inside that.
    Label3 = Place<TsLabel>(this, this, 4, 296, 352, 30);
    Label3->SetAutoSize(false);
    Label3->SetWordWrap(true);
    Label3->Font()->SetColor(clRed);
    Label3->SetVisible(false);
    // The two link labels lie outside the window: they are never seen.
    Label1 = Place<TsLabel>(this, this, -400, 10, 80, 16);
    Label1->SetCaption(L"注册帐户");
    Label1->OnClick = registration;
    Label2 = Place<TsLabel>(this, this, -400, 30, 80, 16);
    Label2->SetCaption(L"登录充值");
    Label2->OnClick = accountRoot;
    Button1 =
        PlaceButton(this, -400, 50, L"判断语言", TNotifyEvent(this, &Tfrmlogin::Button1Click));
    Button1->SetVisible(false);
}

void Tfrmlogin::FormCreate(TObject*) {
    wb1->Navigate(BannerPageUrl(TBannerPage::Login));
    Application->ProcessMessages();
    SetCaption(Application->Title());
    ReadRememberedSettings();
}

void Tfrmlogin::btn_exitClick(TObject*) { Close(); }

void Tfrmlogin::OpenRegistrationClick(TObject*) { OpenPage(RegistrationPageUrl()); }
void Tfrmlogin::OpenAccountRootClick(TObject*) { OpenPage(AccountRootUrl()); }
void Tfrmlogin::sButton4Click(TObject*) { OpenPage(ServiceHomeUrl()); }

void Tfrmlogin::Button1Click(TObject*) {
    if (DetectSystemLanguage() != 1) {
        ShowPlainMessage(L"其它");
        return;
    }
    ShowPlainMessage(L"是简体");
    ShowPlainMessage(ToTraditionalChinese(L"汉字繁简转换"));
    ShowPlainMessage(ToSimplifiedChinese(L"漢字繁簡轉換"));
}
