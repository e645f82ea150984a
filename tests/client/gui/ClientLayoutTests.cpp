// What a user must be able to read and reach, in process: every text of the main window's status
// panel stays inside its own box in every language (cut with "…" when it must be), the login
// dialog's status line spans the dialog and goes with a language change, a message box opens
// above the window the user is looking at, and the program carries its own icon and a version
// record that says what its title says.
#include "BoxAnswerer.h"
#include "ClientDriver.h"

#include "client/gui/ClientUi.h"
#include "client/gui/ColumnLabel.h"
#include "client/gui/DialTexts.h"
#include "client/gui/FittedText.h"
#include "client/gui/LoginForm.h"
#include "client/gui/MainForm.h"
#include "client/gui/TrafficCounter.h"

#include "client/AppShared.h"

#include "framework/ModuleInit.h"
#include "support/XtThread/XtThread.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class TMainWithoutLogin : public Tfrmmain {
public:
    using Tfrmmain::Tfrmmain;

protected:
    void DoCreate() override {}
};

BOOL WINAPI IgnoreTrayCall(DWORD, PNOTIFYICONDATAW) { return TRUE; }
int Shell6() { return 6; }

class ClientLayout : public ::testing::Test {
protected:
    void SetUp() override {
        SavedShell = SysTrayShell();
        SysTrayShell() = {&IgnoreTrayCall, &Shell6};
        InitializeModules({FrameworkModule(), XtThreadModule(), AppSharedModule()});
    }
    void TearDown() override {
        lang_code = LangNone;
        FinalizeModules();
        SysTrayShell() = SavedShell;
    }
    TSysTrayShell SavedShell{};
};

int Width(HDC dc, const UnicodeString& text) { return TextWidth(dc, text); }

// The label's lines fit its box: no more than it holds, none wider than it, and a text that
// did not fit whole ends with "…".
void ExpectFits(TColumnLabel* label, const UnicodeString& text) {
    label->SetCaption(text);
    const std::vector<UnicodeString> lines = label->FittedLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_LE(static_cast<int>(lines.size()), label->LineCapacity()) << text.size();
    TScreenDC screen;
    HGDIOBJ previous = SelectObject(screen.Get(), label->Font()->Handle());
    UnicodeString shown;
    for (const UnicodeString& line : lines) {
        EXPECT_LE(Width(screen.Get(), line), label->Width()) << text.size();
        shown += line;
    }
    SelectObject(screen.Get(), previous);
    UnicodeString compact;
    for (wchar_t c : text)
        if (c != L' ') compact += c;
    UnicodeString shownCompact;
    for (wchar_t c : shown)
        if (c != L' ') shownCompact += c;
    if (shownCompact != compact) {
        ASSERT_FALSE(shownCompact.empty());
        EXPECT_EQ(shownCompact.back(), L'\x2026') << "a cut text ends with the ellipsis";
        EXPECT_EQ(
            compact.compare(0, shownCompact.size() - 1, shownCompact, 0, shownCompact.size() - 1),
            0)
            << "the lines show the text's beginning";
    }
}

// Every text the status panel is given, in the language set now.
std::vector<std::pair<TColumnLabel*, UnicodeString>> PanelTexts(Tfrmmain* form) {
    std::vector<std::pair<TColumnLabel*, UnicodeString>> texts;
    for (const wchar_t* english :
         {L"Disconnected", L"Connecting...", L"Connected", L"disconnecting....", L"Disconected",
          L"Unable to connect, please replace the other line retry",
          L"Setting L2TP parameters, please wait for 10 seconds...",
          L"network quality is poor, please try connecting again or try again later"})
        texts.push_back({form->statuslabel, english});
    for (const wchar_t* chinese :
         {L"未连接", L"正在建立连接", L"连接成功", L"已断开连接", L"已经断开", L"正在断开",
          L"连接已经断开", L"不能连接，请更换其它线路再试",
          L"正在进行L2TP设置，请稍等10秒左右......",
          L"服务器繁忙或此时网络质量差，请更换线路或稍后再试", L"错误代码623-找不到电话簿项目"})
        texts.push_back({form->statuslabel, chinese});
    for (Integer code : {930, 691, 619, 800, 756, 633, 720})
        texts.push_back({form->statuslabel, DialErrorText(code)});
    for (const wchar_t* mode : {L"连接方式: 自动", L"连接方式:L2TP", L"Mode: auto", L"Mode: L2TP"})
        texts.push_back({form->protocollabel, mode});
    for (const wchar_t* line :
         {L"连接线路：上海电信一号", L"连接线路：石家庄网通一号", L"Line:Shanghai Telecom 1",
          L"连接线路：美国洛杉矶超长线路名称加速专线"})
        texts.push_back({form->linelabel, line});
    for (const wchar_t* address : {L"本地IP为：255.255.255.255", L"Local IP：255.255.255.255"})
        texts.push_back({form->localiplabel, address});
    const Int64 giga = 1024LL * 1024 * 1024;
    for (Int64 bytes : {Int64(944000), Int64(3774000), 40 * giga})
        texts.push_back(
            {form->datalabel, TrafficText(bytes, bytes * 4, 23 * 3600000ULL + 59 * 60000)});
    for (const wchar_t* account :
         {L"用户名：demo  正式用户 剩余30天", L"UserName：demo  VIP user, 30 days left",
          L"用户名：averyveryverylongusername  正式用户 剩余365天 VIP会员 "
          L"自动续费已开通 欢迎使用本加速器"})
        texts.push_back({form->userlabel, account});
    return texts;
}

TEST_F(ClientLayout, EveryStatusTextStaysInsideItsOwnBox) {
    Tfrmmain* form = CreateForm<TMainWithoutLogin>(nullptr);
    std::vector<TColumnLabel*> labels{form->statuslabel,  form->protocollabel, form->linelabel,
                                      form->localiplabel, form->datalabel,     form->userlabel};
    std::vector<TRect> placed;
    for (TColumnLabel* label : labels) placed.push_back(label->BoundsRect());
    for (Integer language : {LangSimplified, LangEnglish, LangTraditional}) {
        lang_code = language;
        for (const auto& [label, text] : PanelTexts(form)) ExpectFits(label, text);
    }
    // The boxes kept their places, lie inside the panel and do not meet.
    const TRect panel = form->pnlStatus->ClientRect();
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const TRect box = labels[i]->BoundsRect();
        EXPECT_EQ(box, placed[i]) << i;
        EXPECT_GE(box.left, panel.left) << i;
        EXPECT_GE(box.top, panel.top) << i;
        EXPECT_LE(box.right, panel.right) << i;
        EXPECT_LE(box.bottom, panel.bottom) << i;
        EXPECT_GE(labels[i]->LineCapacity(), 2) << i;
        for (std::size_t j = i + 1; j < labels.size(); ++j) {
            const TRect other = labels[j]->BoundsRect();
            TRect common;
            EXPECT_FALSE(IntersectRect(&common, &box, &other)) << i << " " << j;
        }
    }
    EXPECT_FALSE(form->AutoScroll());
    form->Free();
}

TEST(FittedText, BreaksAtBlanksAndBetweenWideCharactersAndCutsWithAnEllipsis) {
    TScreenDC screen;
    HDC dc = screen.Get();
    const int wide = TextWidth(dc, L"已加速:944KB/3774KB");
    EXPECT_EQ(FitTextLines(dc, L"已加速:944KB/3774KB  在线时间:00:01:23", wide, 2),
              (std::vector<UnicodeString>{L"已加速:944KB/3774KB", L"在线时间:00:01:23"}));
    // A blank takes the break while the rest still fits; otherwise every opportunity is used.
    const int more = TextWidth(dc, L"已加速:63KB/253KB  在线时");
    EXPECT_EQ(FitTextLines(dc, L"已加速:63KB/253KB  在线时间:00:00:08", more, 2),
              (std::vector<UnicodeString>{L"已加速:63KB/253KB", L"在线时间:00:00:08"}));
    const int error = TextWidth(dc, L"错误：691 用户名和");
    EXPECT_EQ(FitTextLines(dc, L"错误：691 用户名和密码无法验证", error, 2),
              (std::vector<UnicodeString>{L"错误：691 用户名和", L"密码无法验证"}));
    const int four = TextWidth(dc, L"用户名和");
    EXPECT_EQ(FitTextLines(dc, L"用户名和密码无法验证", four, 3),
              (std::vector<UnicodeString>{L"用户名和", L"密码无法", L"验证"}));
    const std::vector<UnicodeString> cut = FitTextLines(dc, L"用户名和密码无法验证", four, 2);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0], L"用户名和");
    EXPECT_EQ(cut[1].back(), L'\x2026');
    EXPECT_LE(TextWidth(dc, cut[1]), four);
    EXPECT_EQ(FitTextLines(dc, L"one\r\ntwo", 1000, 2),
              (std::vector<UnicodeString>{L"one", L"two"}));
    EXPECT_EQ(FitTextLines(dc, L"", 100, 2), std::vector<UnicodeString>{L""});
    // A word longer than the line is broken where it must be.
    const std::vector<UnicodeString> word =
        FitTextLines(dc, L"abcdefghijklmnop", TextWidth(dc, L"abcdef"), 5);
    EXPECT_GT(word.size(), 1u);
    UnicodeString joined;
    for (const UnicodeString& line : word) joined += line;
    EXPECT_EQ(joined, L"abcdefghijklmnop");
}

// The login dialog's status line keeps the dialog's width for every text, so no text wraps
// inside a shrunken label, and a language change takes the last attempt's text away.
TEST_F(ClientLayout, TheLoginStatusLineSpansTheDialogAndGoesWithALanguageChange) {
    Tfrmlogin* dialog = CreateForm<Tfrmlogin>(nullptr);
    TsLabel* status = dialog->Label3;
    const TRect placed = status->BoundsRect();
    EXPECT_GE(placed.Width(), 340);
    const wchar_t* texts[] = {
        L"The user name or password is incorrect",
        L"This account free test time has run out, please register normal account",
        L"Connecting to server, please wait......", L"请稍候，正在向主节点获取连接信息......",
        L"此帐户免费测试时间已经用完，请注册正式帐户"};
    TScreenDC screen;
    HGDIOBJ previous = SelectObject(screen.Get(), status->Font()->Handle());
    for (const wchar_t* text : texts) {
        status->SetCaption(text);
        EXPECT_EQ(status->BoundsRect(), placed) << UnicodeString(text).size();
        RECT needed{0, 0, placed.Width(), 0};
        DrawTextW(screen.Get(), text, -1, &needed, DT_CALCRECT | DT_WORDBREAK);
        EXPECT_LE(needed.bottom, placed.Height()) << UnicodeString(text).size();
    }
    SelectObject(screen.Get(), previous);
    status->SetVisible(true);
    dialog->lang->SetItemIndex(1);
    dialog->langChange(dialog->lang);
    EXPECT_FALSE(status->Visible());
    EXPECT_FALSE(dialog->AutoScroll());
    dialog->Free();
}

TEST_F(ClientLayout, AMessageBoxOpensAboveTheWindowTheUserIsLookingAt) {
    // The main window while the login runs inside its creation: made, not shown; the
    // always-on-top login dialog shows. The box must open above the dialog, not behind it.
    Tfrmmain* main = CreateForm<TMainWithoutLogin>(nullptr);
    main->HandleNeeded();
    Tfrmlogin* dialog = CreateForm<Tfrmlogin>(main);
    dialog->Show();
    {
        clientgui_test::TBoxAnswerer watch;
        ShowPlainMessage(L"服务器繁忙或此时网络质量差，请重新尝试连接或稍后再试");
        EXPECT_EQ(watch.Owner(), dialog->Handle());
    }
    // The main window shows and is the active form; the dialog shows above it without having
    // been activated: the box still goes above the dialog, where the user sees it.
    main->Show();
    SetActiveWindow(main->Handle());
    ShowWindow(dialog->Handle(), SW_HIDE);
    ShowWindow(dialog->Handle(), SW_SHOWNOACTIVATE);
    ASSERT_EQ(Screen->ActiveCustomForm(), main);
    {
        clientgui_test::TBoxAnswerer watch;
        ShowPlainMessage(L"服务器繁忙或此时网络质量差，请重新尝试连接或稍后再试");
        EXPECT_EQ(watch.Owner(), dialog->Handle());
    }
    dialog->Free();
    {
        clientgui_test::TBoxAnswerer watch;
        ShowNotice(L"请先关闭测速");
        EXPECT_EQ(watch.Owner(), main->Handle());
    }
    main->Free();
}

// The program's resources, read from its file: the icon drawn for it at every size a shell asks
// for, and the version the title shows.
TEST(ClientProgram, CarriesItsOwnIconAndItsVersion) {
    UnicodeString path = L"Z:" VELMORA_CLIENT_EXE;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    HMODULE program = LoadLibraryExW(path.c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr) << GetLastError();
    HRSRC group = FindResourceW(program, L"MAINICON", MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(program, group)));
    const WORD count = *reinterpret_cast<const WORD*>(directory + 4);
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = directory + 6 + 14 * i;
        sizes.push_back(entry[0] == 0 ? 256 : entry[0]);
        EXPECT_EQ(*reinterpret_cast<const WORD*>(entry + 6), 32) << "bits per pixel";
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 256}));
    // The 32-pixel picture is opaque in its middle and transparent in its corner.
    HICON icon = static_cast<HICON>(LoadImageW(program, L"MAINICON", IMAGE_ICON, 32, 32, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAPINFOHEADER header{sizeof(header), 32, -32, 1, 32, BI_RGB};
    std::vector<DWORD> pixels(32 * 32);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, info.hbmColor, 0, 32, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
              DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(pixels[16 * 32 + 20] >> 24, 0xFFu);
    EXPECT_EQ(pixels[0] >> 24, 0u);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    FreeLibrary(program);

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> version(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, version.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00090000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00090000u);
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\StringFileInfo\\040904B0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    // The title says "v9.0".
    EXPECT_NE(UnicodeString(clientgui_test::EnglishTitle).find(L"v" + UnicodeString(text)),
              UnicodeString::npos)
        << UnicodeString(text);
}

} // namespace
