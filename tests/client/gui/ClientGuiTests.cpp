// The client program end to end: logging in against the local account servers (the backup
// when the primary is down; the refusals; the busy, empty credential reply), the remembered
// login and language (the password kept protected, forgotten when unticked), the areas and
// lines shown, switching areas, the remembered selection read
// at start and written at close, and the exit code. The screenshots of the login dialog and the
// main window in both languages are saved beside the program (ctest makes them PNGs).
#include "ClientDriver.h"
#include "LocalAccountServers.h"

#include "framework/Exceptions.h"

#include <gtest/gtest.h>

using namespace clientgui_test;

namespace {

const std::vector<UnicodeString> Areas{L"Route", L"East", L"北方"};

struct TLoginDialog {
    HWND Window, User, Password, Language;
};

TLoginDialog FindLoginDialog(TClientProcess& client, const UnicodeString& title) {
    HWND window = client.WaitForWindow(title, L"Tfrmlogin");
    Settle();
    const std::vector<HWND> edits = Children(window, L"TsEdit");
    const std::vector<HWND> combos = Children(window, L"TsComboBox");
    if (edits.size() != 2 || combos.size() != 1) throw Exception(L"unexpected login dialog");
    const bool firstIsPassword = GetWindowLongW(edits[0], GWL_STYLE) & ES_PASSWORD;
    return {window, edits[firstIsPassword ? 1 : 0], edits[firstIsPassword ? 0 : 1], combos[0]};
}

void TypeLogin(const TLoginDialog& dialog, const UnicodeString& user,
               const UnicodeString& password) {
    SetEditText(dialog.User, user);
    SetEditText(dialog.Password, password);
}

struct TMainWindow {
    HWND Window, Areas, Lines;
};

TMainWindow FindMainWindow(TClientProcess& client, const UnicodeString& title) {
    HWND window = client.WaitForWindow(title, L"Tfrmmain");
    Settle(1000);
    // The two visible boxes, area above line; the others lie outside the window.
    std::vector<HWND> combos = VisibleChildren(window, L"TsComboBox");
    if (combos.size() != 2) throw Exception(L"unexpected main window");
    if (Top(combos[0]) > Top(combos[1])) std::swap(combos[0], combos[1]);
    return {window, combos[0], combos[1]};
}

DWORD CloseMainWindow(TClientProcess& client, const TMainWindow& main) {
    PostMessageW(main.Window, WM_CLOSE, 0, 0);
    return client.WaitForExit();
}

TEST(ClientGui, LogsInThroughTheBackupWhenThePrimaryIsDown) {
    ForgetRememberedSettings();
    TClientProcess client(localservers::DeadAddress(), localservers::Address(L"backup"));
    const TLoginDialog dialog = FindLoginDialog(client, ChineseTitle);
    TypeLogin(dialog, L"demo", L"demo123");
    SaveScreenshot(dialog.Window, L"login_zh.bmp");
    Click(ChildWithText(dialog.Window, L"登  陆"));
    const TMainWindow main = FindMainWindow(client, ChineseTitle);
    SaveScreenshot(main.Window, L"main_zh.bmp");

    EXPECT_EQ(ComboItems(main.Areas), Areas);
    EXPECT_EQ(ComboSelection(main.Areas), 0);
    EXPECT_EQ(ComboItems(main.Lines), std::vector<UnicodeString>{L"Relay 1"});
    EXPECT_EQ(CloseMainWindow(client, main), 0u);
    EXPECT_EQ(RememberedSelection(L"AREACombobox2"), L"0");
    EXPECT_EQ(RememberedSelection(L"IPCombobox2"), L"0");
    ForgetRememberedSettings();
}

struct TRefusal {
    const wchar_t* User;
    const wchar_t* Password;
    const wchar_t* Message;
};

TEST(ClientGui, RefusedLoginsShowTheirReasonAndCancelEndsWithoutWritingTheSelection) {
    const TRefusal refusals[] = {
        {L"demo", L"wrong", L"用户名或密码错误"},
        {L"expired", L"exp123", L"此帐户已过期，请及时充值后才能使用此功能"},
        {L"usedup", L"use123", L"此帐户免费测试时间已经用完，请注册正式帐户"},
    };
    ForgetRememberedSettings();
    RememberSelection(L"2", L"1");
    TClientProcess client(localservers::Address(L"primary"), localservers::Address(L"backup"));
    const TLoginDialog dialog = FindLoginDialog(client, ChineseTitle);
    for (const TRefusal& refusal : refusals) {
        TypeLogin(dialog, refusal.User, refusal.Password);
        Click(ChildWithText(dialog.Window, L"登  陆"));
        EXPECT_EQ(client.AnswerMessageBox(), refusal.Message) << refusal.User;
    }
    Click(ChildWithText(dialog.Window, L"关  闭"));
    EXPECT_EQ(client.WaitForExit(), 0u);
    EXPECT_EQ(RememberedSelection(L"AREACombobox2"), L"2");
    EXPECT_EQ(RememberedSelection(L"IPCombobox2"), L"1");
    ForgetRememberedSettings();
}

TEST(ClientGui, BothServersDownIsReportedAsBusy) {
    ForgetRememberedSettings();
    TClientProcess client(localservers::DeadAddress(), localservers::DeadAddress());
    const TLoginDialog dialog = FindLoginDialog(client, ChineseTitle);
    TypeLogin(dialog, L"demo", L"demo123");
    Click(ChildWithText(dialog.Window, L"登  陆"));
    EXPECT_EQ(client.AnswerMessageBox(), L"服务器繁忙或此时网络质量差，请重新尝试连接或稍后再试");
    EXPECT_TRUE(client.Running());
}

TEST(ClientGui, AnEmptyCredentialReplyIsBusyAndTheDialogStaysForAnotherTry) {
    ForgetRememberedSettings();
    localservers::SetBehaviour(L"primary", R"({"usercheck09.php": {"mode": "empty"}})");
    TClientProcess client(localservers::Address(L"primary"), localservers::Address(L"backup"));
    const TLoginDialog dialog = FindLoginDialog(client, ChineseTitle);
    TypeLogin(dialog, L"demo", L"demo123");
    Click(ChildWithText(dialog.Window, L"登  陆"));
    const UnicodeString busy = client.AnswerMessageBox();
    localservers::SetBehaviour(L"primary", "{}");
    EXPECT_EQ(busy, L"服务器繁忙或此时网络质量差，请重新尝试连接或稍后再试");
    EXPECT_TRUE(client.Running());
    Click(ChildWithText(dialog.Window, L"登  陆"));
    const TMainWindow main = FindMainWindow(client, ChineseTitle);
    EXPECT_EQ(CloseMainWindow(client, main), 0u);
    ForgetRememberedSettings();
}

// Servers that answer the line list with nothing: the login still succeeds, the dialog closes
// and the main window shows empty lists, without a message.
TEST(ClientGui, AnEmptyLineListAtLoginClosesTheDialogAndLeavesTheListsEmpty) {
    ForgetRememberedSettings();
    for (const wchar_t* role : {L"primary", L"backup"})
        localservers::SetBehaviour(role, R"({"vpnlist09.php": {"mode": "empty"}})");
    TClientProcess client(localservers::Address(L"primary"), localservers::Address(L"backup"));
    const TLoginDialog dialog = FindLoginDialog(client, ChineseTitle);
    TypeLogin(dialog, L"demo", L"demo123");
    Click(ChildWithText(dialog.Window, L"登  陆"));
    const TMainWindow main = FindMainWindow(client, ChineseTitle);
    for (const wchar_t* role : {L"primary", L"backup"}) localservers::SetBehaviour(role, "{}");
    EXPECT_FALSE(IsWindow(dialog.Window) && IsWindowVisible(dialog.Window));
    EXPECT_THROW(client.WaitForWindow(L"", L"#32770", 1000), Exception);
    EXPECT_TRUE(ComboItems(main.Areas).empty());
    EXPECT_TRUE(ComboItems(main.Lines).empty());
    EXPECT_EQ(CloseMainWindow(client, main), 0u);
    ForgetRememberedSettings();
}

TEST(ClientGui, EmptyUserNameIsRefusedBeforeAnyExchange) {
    ForgetRememberedSettings();
    TClientProcess client(localservers::DeadAddress(), localservers::DeadAddress());
    const TLoginDialog dialog = FindLoginDialog(client, ChineseTitle);
    Click(ChildWithText(dialog.Window, L"登  陆"));
    EXPECT_EQ(client.AnswerMessageBox(), L"账号不能为空");
}

TEST(ClientGui, RemembersLoginLanguageAndSelectionAcrossRuns) {
    ForgetRememberedSettings();
    RememberLogin(L"demo", L"demo123", 1);
    RememberSelection(L"2", L"1");
    TClientProcess client(localservers::Address(L"primary"), localservers::Address(L"backup"));
    const TLoginDialog dialog = FindLoginDialog(client, EnglishTitle);
    EXPECT_EQ(WindowText(dialog.User), L"demo");
    EXPECT_EQ(WindowText(dialog.Password), L"demo123");
    EXPECT_EQ(ComboSelection(dialog.Language), 1);
    SaveScreenshot(dialog.Window, L"login_en.bmp");
    Click(ChildWithText(dialog.Window, L"Login"));
    const TMainWindow main = FindMainWindow(client, EnglishTitle);
    SaveScreenshot(main.Window, L"main_en.bmp");
    EXPECT_EQ(ComboSelection(main.Areas), 2);
    EXPECT_EQ(ComboItems(main.Lines), (std::vector<UnicodeString>{L"北京一号", L"天津二号"}));
    EXPECT_EQ(ComboSelection(main.Lines), 1);

    SelectComboEntry(main.Areas, 1);
    Settle();
    EXPECT_EQ(ComboItems(main.Lines),
              (std::vector<UnicodeString>{L"East 1", L"East 2", L"East 3"}));
    EXPECT_EQ(ComboSelection(main.Lines), 0);
    EXPECT_EQ(CloseMainWindow(client, main), 0u);
    EXPECT_EQ(RememberedSelection(L"AREACombobox2"), L"1");
    EXPECT_EQ(RememberedSelection(L"IPCombobox2"), L"0");
    ForgetRememberedSettings();
}

// The type of a value under the login key; REG_NONE when it is missing.
DWORD RememberedKind(const wchar_t* name) {
    DWORD type = REG_NONE;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\vurarer", name, RRF_RT_ANY, &type, nullptr,
                     nullptr))
        return REG_NONE;
    return type;
}

// A password left in clear by an earlier version is shown, then kept protected; a login with
// the box unticked forgets the remembered user name and password. (The remembered language
// applies the Chinese texts, whose login button reads "登  录".)
TEST(ClientGui, TheRememberedPasswordIsProtectedAndForgottenWhenUnticked) {
    ForgetRememberedSettings();
    RememberLogin(L"demo", L"demo123", 0);
    {
        TClientProcess client(localservers::Address(L"primary"), localservers::Address(L"backup"));
        const TLoginDialog dialog = FindLoginDialog(client, ChineseTitle);
        EXPECT_EQ(WindowText(dialog.Password), L"demo123");
        EXPECT_EQ(RememberedKind(L"password"), static_cast<DWORD>(REG_BINARY));
        Click(ChildWithText(dialog.Window, L"登  录"));
        EXPECT_EQ(CloseMainWindow(client, FindMainWindow(client, ChineseTitle)), 0u);
    }
    EXPECT_EQ(RememberedKind(L"password"), static_cast<DWORD>(REG_BINARY));
    {
        TClientProcess client(localservers::Address(L"primary"), localservers::Address(L"backup"));
        const TLoginDialog dialog = FindLoginDialog(client, ChineseTitle);
        EXPECT_EQ(WindowText(dialog.User), L"demo");
        EXPECT_EQ(WindowText(dialog.Password), L"demo123");
        const HWND remember = ChildWithText(dialog.Window, L"记住密码");
        Click(remember);
        Settle();
        EXPECT_EQ(SendMessageW(remember, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        Click(ChildWithText(dialog.Window, L"登  录"));
        EXPECT_EQ(CloseMainWindow(client, FindMainWindow(client, ChineseTitle)), 0u);
    }
    EXPECT_EQ(RememberedKind(L"username"), static_cast<DWORD>(REG_NONE));
    EXPECT_EQ(RememberedKind(L"password"), static_cast<DWORD>(REG_NONE));
    EXPECT_EQ(RememberedKind(L"savepassword"), static_cast<DWORD>(REG_DWORD));
    ForgetRememberedSettings();
}

} // namespace
