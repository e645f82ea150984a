// The main window's components and their texts per language. Everything the window does is in
// the MainForm*.cpp files by subject.
#include "client/gui/MainForm.h"
#include "client/gui/ClientUi.h"
#include "client/gui/ColumnLabel.h"

#include "client/AppShared.h"
#include "client/RelayRoute.h"

Tfrmmain* frmmain = nullptr;

namespace {

TsLabel* PlaceLabel(TComponent* owner, TWinControl* parent, int left, int top, int width,
                    const UnicodeString& caption) {
    auto* label = Place<TsLabel>(owner, parent, left, top, width, 16);
    label->SetCaption(caption);
    return label;
}

TsButton* PlaceButton(TComponent* owner, TWinControl* parent, const TRect& bounds,
                      const UnicodeString& caption) {
    auto* button =
        Place<TsButton>(owner, parent, bounds.left, bounds.top, bounds.Width(), bounds.Height());
    button->SetCaption(caption);
    return button;
}

TsRadioButton* PlaceRadio(TComponent* owner, TWinControl* parent, int left, int width,
                          const UnicodeString& caption) {
    auto* radio = Place<TsRadioButton>(owner, parent, left, 74, width, 20);
    radio->SetCaption(caption);
    return radio;
}

TsComboBox* PlaceList(TComponent* owner, TWinControl* parent, int left, int top) {
    auto* box = Place<TsComboBox>(owner, parent, left, top, 140, 22);
    box->SetStyle(csDropDownList);
    return box;
}

// A status bar as the form places it: at a fixed place instead of the parent's bottom.
TsStatusBar* PlaceStatusBar(TComponent* owner, TWinControl* parent, int top) {
    auto* bar = Construct<TsStatusBar>(owner);
    bar->SetAlign(alNone);
    bar->SetParent(parent);
    bar->SetBounds(-800, top, 300, 20);
    return bar;
}

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const UnicodeString& caption,
                   const TNotifyEvent& onClick = {}) {
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    item->OnClick = onClick;
    parent->Add(item);
    return item;
}

} // namespace

Tfrmmain::Tfrmmain(TComponent* owner) : TForm(owner), relay(std::make_unique<TRelayRoute>()) {
    SetBorderStyle(bsSingle);
    SetBorderIcons({biSystemMenu, biMinimize});
    // A window of fixed size: nothing in it may make it scroll.
    SetAutoScroll(false);
    SetPosition(poScreenCenter);
    // The program's own icon (the class icon is the generic one) in the caption and task bar.
    SetIcon(Application->Icon());
    BuildMenus();
    SetClientSize(this, 693, 433, true);
    web1 = Place<TWebBrowser>(this, this, 3, 0, 687, 75);
    web2 = Place<TWebBrowser>(this, this, 3, 182, 302, 181);
    BuildLineGroup();
    BuildLineView();
    BuildStatusPanel();
    BuildTrayMenu();
    BuildHiddenParts();
    BuildLatencyTests();
    vercheck = new TTimer(this);
    vercheck->SetEnabled(false);
    vercheck->SetInterval(15000);
    vercheck->SetOnTimer(TNotifyEvent(this, &Tfrmmain::vercheckTimer));
    BuildConnectControls();
    OnCreate = TNotifyEvent(this, &Tfrmmain::FormCreate);
    OnShow = TNotifyEvent(this, &Tfrmmain::FormShow);
    OnCloseQuery = TCloseQueryEvent(this, &Tfrmmain::FormCloseQuery);
    OnClose = TCloseEvent(this, &Tfrmmain::FormClose);
}

Tfrmmain::~Tfrmmain() = default;

void Tfrmmain::BuildLineGroup() {
    grpLine = Place<TsGroupBox>(this, this, 3, 78, 302, 100);
    lblArea = PlaceLabel(this, grpLine, 10, 20, 56, L"地区:");
    lblLine = PlaceLabel(this, grpLine, 10, 48, 56, L"线路:");
    lblMode = PlaceLabel(this, grpLine, 10, 76, 56, L"协议:");
    AreaTxt2 = PlaceList(this, grpLine, 66, 16);
    AreaTxt2->OnChange = TNotifyEvent(this, &Tfrmmain::AreaTxt2Change);
    IPAddrTxt = PlaceList(this, grpLine, 66, 44);
    rb_pptp = PlaceRadio(this, grpLine, 66, 60, L"PPTP");
    rb_pptp->SetChecked(true);
    rb_lp2p = PlaceRadio(this, grpLine, 130, 60, L"L2TP");
    rb_openvpn = PlaceRadio(this, grpLine, 194, 80, L"OPENVPN");
    rb_openvpn->SetVisible(false);
    rb_openvpn->SetEnabled(false);
    btn_speed = PlaceButton(this, grpLine, {212, 15, 294, 39}, L"批量测速");
    cesu = PlaceButton(this, grpLine, {212, 43, 294, 67}, L"单个测速");
}

// Everything here lies outside the client area: never seen.
void Tfrmmain::BuildHiddenParts() {
    sb = Construct<TsFrameBar>(this);
    sb->SetAlign(alNone);
    sb->SetParent(this);
    sb->SetBounds(-400, 0, 150, 300);
    // Nobody sees the bar: a layout in one step keeps its clicks from pumping messages.
    sb->SetAnimation(false);
    AreaTxt = PlaceList(this, this, -600, 0);
    AreaTxt->OnChange = TNotifyEvent(this, &Tfrmmain::AreaTxtChange);
    com_game = PlaceList(this, this, -600, 30);
    com_game->SetEnabled(false);
    StatusBar1 = PlaceStatusBar(this, this, 60);
    for (int width : {150, 150}) StatusBar1->Panels()->Add()->SetWidth(width);
    sb001 = PlaceStatusBar(this, this, 90);
    sb001->SetSimplePanel(true);
    pnlInfo = Place<TsPanel>(this, this, -600, 120, 180, 40);
    lbl_info = PlaceLabel(this, pnlInfo, 4, 4, 80, L"PNA/PNA");
    btn_zz = PlaceButton(this, pnlInfo, {90, 4, 176, 28}, L"启用中转(&Z)");
    Button1 = PlaceButton(this, this, {-600, 170, -520, 194}, L"Button1");
    Button1->OnClick = TNotifyEvent(this, &Tfrmmain::Button1Click);
}

void Tfrmmain::BuildStatusPanel() {
    btn_conn = PlaceButton(this, this, {3, 370, 151, 428}, L"连  接");
    btn_disconn = PlaceButton(this, this, {157, 370, 305, 428}, L"断  开");
    pnlStatus = Place<TsPanel>(this, this, 310, 366, 380, 64);
    pnlStatus->SetBevelOuter(bvLowered);
    // Three columns of two texts, each text in a box of two lines that it never leaves: the
    // state and the protocol, the line and the address, the traffic and the account.
    const auto column = [this](int left, int width, int row, const UnicodeString& caption) {
        auto* label = Place<TColumnLabel>(this, pnlStatus, left, row == 0 ? 3 : 33, width, 28);
        label->SetCaption(caption);
        return label;
    };
    statuslabel = column(5, 118, 0, L"未连接");
    protocollabel = column(5, 118, 1, L"连接方式: 自动");
    linelabel = column(127, 118, 0, L"");
    localiplabel = column(127, 118, 1, L"");
    datalabel = column(249, 126, 0, L"");
    userlabel = column(249, 126, 1, L"");
}

void Tfrmmain::BuildMenus() {
    mm1 = new TMainMenu(this);
    TMenuItem* root = mm1->Items();
    N2 = AddItem(this, root, L"帐户管理");
    N11 = AddItem(this, N2, L"帐户注册", TNotifyEvent(this, &Tfrmmain::N11Click));
    N3 = AddItem(this, N2, L"帐户充值", TNotifyEvent(this, &Tfrmmain::AccountRootClick));
    N4 = AddItem(this, N2, L"修改密码", TNotifyEvent(this, &Tfrmmain::AccountRootClick));
    N10 = AddItem(this, N2, L"登录查询", TNotifyEvent(this, &Tfrmmain::AccountRootClick));
    N10->SetVisible(false);
    H1 = AddItem(this, root, L"使用帮助");
    H1->SetVisible(false);
    const TNotifyEvent help(this, &Tfrmmain::HelpPageClick);
    V1 = AddItem(this, H1, L"使用教程", help);
    A1 = AddItem(this, H1, L"常见问题", help);
    N12 = AddItem(this, H1, L"用户须知", help);
    N13 = AddItem(this, H1, L"新闻公告", help);
    N1 = AddItem(this, H1, L"关于", TNotifyEvent(this, &Tfrmmain::N1Click));
    O1 = AddItem(this, root, L"刷新线路");
    N14 = AddItem(this, O1, L"刷新线路", TNotifyEvent(this, &Tfrmmain::N14Click));
    L2TPQ1 = AddItem(this, O1, L"L2TP强制生效", TNotifyEvent(this, &Tfrmmain::L2TPQ1Click));
    L2TPQ1->SetVisible(false);
    SetMenu(mm1);
}

void Tfrmmain::BuildTrayMenu() {
    taskmenu1 = new TPopupMenu(this);
    TMenuItem* root = taskmenu1->Items();
    N9 = AddItem(this, root, L"显示主界面", TNotifyEvent(this, &Tfrmmain::N9Click));
    N7 = AddItem(this, root, L"退出", TNotifyEvent(this, &Tfrmmain::N7Click));
    N8 = AddItem(this, root, L"关于", TNotifyEvent(this, &Tfrmmain::N1Click));
    N5 = AddItem(this, root, L"连接");
    N5->SetVisible(false);
    N6 = AddItem(this, root, L"断开");
    N6->SetVisible(false);
    SysTrayIcon1 = Construct<TSysTrayIcon>(this);
    // Off until the login succeeds; a window built in code is still loading here, so the shell
    // never sees the icon before that.
    SysTrayIcon1->SetEnabled(false);
    SysTrayIcon1->SetAnimate(true);
    SysTrayIcon1->SetPopupMenu(taskmenu1);
    SysTrayIcon1->RestoreOn = ticLeftClick;
    SysTrayIcon1->PopupMenuOn = ticRightClick;
}

void Tfrmmain::ApplyLanguageTexts() {
    SetCaption(LangText(L"Velmora Client v9.0", L"Velmora网络加速器 v9.0"));
    lblArea->SetCaption(LangText(L"Area:", L"地区:"));
    lblLine->SetCaption(LangText(L"Line:", L"线路:"));
    lblMode->SetCaption(LangText(L"Mode:", L"协议:"));
    btn_speed->SetCaption(LangText(L"Bat Speed", L"批量测速"));
    cesu->SetCaption(LangText(L"Speed test", L"单个测速"));
    statuslabel->SetCaption(LangText(L"Disconnected", L"未连接"));
    protocollabel->SetCaption(LangText(L"Mode: auto", L"连接方式: 自动"));
    const wchar_t* english[] = {L"Line name", L"Delay(ms)", L"Online rate", L"L2TP"};
    const wchar_t* chinese[] = {L"线路名称", L"延时(ms)", L"在线率", L"L2TP"};
    for (int i = 0; i < 4; ++i)
        vt1->Header()->Columns()->Items(i)->SetText(LangText(english[i], chinese[i]));
    N2->SetCaption(LangText(L"User Management", L"用户管理"));
    N11->SetCaption(LangText(L"Register", L"用户注册"));
    N3->SetCaption(LangText(L"Top Up", L"用户充值"));
    N4->SetCaption(LangText(L"Update Password", L"修改密码"));
    H1->SetCaption(LangText(L"Help", L"使用帮助"));
    V1->SetCaption(LangText(L"Tutorial", L"使用教程"));
    A1->SetCaption(LangText(L"FAQ", L"常见问题"));
    N12->SetCaption(LangText(L"Readme", L"用户须知"));
    N13->SetCaption(LangText(L"News", L"新闻公告"));
    N1->SetCaption(LangText(L"About", L"关于"));
    O1->SetCaption(LangText(L"Refresh line", L"刷新线路"));
    N14->SetCaption(LangText(L"Refresh line", L"刷新线路"));
    N9->SetCaption(LangText(L"Show Main Window", L"显示主界面"));
    N7->SetCaption(LangText(L"Exit", L"退出"));
    N8->SetCaption(LangText(L"About", L"关于"));
    btn_conn->SetCaption(LangText(L"Connect", L"连  接"));
    btn_disconn->SetCaption(LangText(L"Disconnect", L"断  开"));
}
