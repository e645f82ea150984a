// The main window's life: the login inside its creation, the first area clicked each time it
// is shown, the question while connected, and the close that saves the selection and ends the
// process with exit code 0. The remembered selection is written only after a successful login,
// so an abandoned login never erases it. The menus open the account and help pages; the version
// timer announces a newer client twice at most; the relay route's two handlers are bound to no
// control.
#include "client/gui/ClientUi.h"
#include "client/gui/LoginForm.h"
#include "client/gui/MainForm.h"

#include "client/AccountServerProtocol.h"
#include "client/AppShared.h"
#include "client/IpHelperLoader.h"
#include "client/RelayRoute.h"

#include <random>

void Tfrmmain::FormCreate(TObject*) {
    LoadIpHelperApi();
    SetCaption(Application->Title());
    RunLogin();
    CreateDialComponents();
    if (!login_ok) {
        Close();
        return;
    }
    web1->Navigate(BannerPageUrl(TBannerPage::MainTop));
    web2->Navigate(BannerPageUrl(TBannerPage::News));
    SysTrayIcon1->SetEnabled(true);
    SysTrayIcon1->SetHint(Caption());
    vt1->Tree()->SetNodeDataSize(sizeof(ps));
    try {
        LoadLineList();
    } catch (const Exception&) {
        try {
            AreaTxt2->SetItemIndex(0);
            AreaTxt2Change(AreaTxt2);
        } catch (const Exception&) {
        }
    }
}

void Tfrmmain::RunLogin() {
    Tfrmlogin* dialog = CreateForm<Tfrmlogin>(this, TLoginLook::Skinned);
    dialog->ShowModal();
    dialog->Free();
}

void Tfrmmain::FormShow(TObject*) {
    try {
        if (_zz) _zz->TitleButton->Click();
    } catch (const Exception&) {
    }
}

void Tfrmmain::FormCloseQuery(TObject*, bool& CanClose) {
    if (!is_connected) return;
    CanClose = AskYesNo(LangText(L"Network is connected, are you sure you want to close it?",
                                 L"VPN正在连接,关闭将断开VPN连接,您确定要关闭吗"));
    if (!CanClose) Application->Minimize();
}

void Tfrmmain::FormClose(TObject*, TCloseAction&) {
    if (login_ok) SaveSelection();
    speed_running = false;
    if (rascon) HangUpAndDeleteEntry();
    SysTrayIcon1->SetEnabled(false);
    relay->CleanUpAtClose(app_dir);
    FreeDialComponents();
    ExitProcess(0);
}

void Tfrmmain::N11Click(TObject*) { OpenPage(RegistrationPageUrl()); }
void Tfrmmain::AccountRootClick(TObject*) { OpenPage(AccountRootUrl()); }

void Tfrmmain::HelpPageClick(TObject* Sender) {
    const THelpPage page = Sender == V1    ? THelpPage::Help
                           : Sender == A1  ? THelpPage::Questions
                           : Sender == N12 ? THelpPage::User
                                           : THelpPage::Notice;
    OpenPage(HelpPageUrl(page));
}

void Tfrmmain::N1Click(TObject*) { ShowNotice(Application->Title()); }

void Tfrmmain::N7Click(TObject*) {
    if (is_connected) btn_disconnClick(this);
    Close();
}

void Tfrmmain::N9Click(TObject*) { SysTrayIcon1->RestoreApp(); }

void Tfrmmain::Button1Click(TObject*) {
    std::random_device device;
    std::uniform_int_distribution<int> digit(0, 9);
    UnicodeString digits;
    for (int i = 0; i < 16; ++i) digits += static_cast<wchar_t>(L'0' + digit(device));
    ShowPlainMessage(digits);
}

void Tfrmmain::vercheckTimer(TObject*) {
    if (update_tips > 1) {
        vercheck->SetEnabled(false);
        return;
    }
    if (new_version == L"9.1")
        SysTrayIcon1->ShowBalloonHint(
            LangText(L"Update Info", L"更新提示"),
            LangText(L"There have been updated version, the old version may not be available, we "
                     L"strongly recommend that you download the latest version",
                     L"已经有更新版本，强烈建议您下载最新版本"),
            bhiInfo, 10);
    ++update_tips;
}

void Tfrmmain::btn1Click(TObject*) { relay->DeleteRelayRoutes(); }

void Tfrmmain::btn2Click(TObject*) {
    if (relay->PrepareRelayRoute(route_ip)) relay->AddRelayRoute();
    route_added = relay->RouteAdded();
}
