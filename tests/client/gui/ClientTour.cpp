// Not a test: the run script's tour of the client on a virtual display. It logs in with the
// demo account against the servers in VELMORA_ACCOUNT_SERVERS and saves a screenshot of each
// window into VELMORA_TOUR_DIR, then closes the client. Disabled, so ctest never runs it.
#include "ClientDriver.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace clientgui_test;

TEST(ClientTour, DISABLED_ScreenshotsOfEachWindow) {
    const wchar_t* servers = _wgetenv(L"VELMORA_ACCOUNT_SERVERS");
    const wchar_t* folder = _wgetenv(L"VELMORA_TOUR_DIR");
    ASSERT_NE(servers, nullptr);
    ASSERT_NE(folder, nullptr);
    const UnicodeString into = UnicodeString(folder) + L"\\";
    TClientProcess client(servers);
    HWND login = client.WaitForWindow(L"", L"Tfrmlogin");
    Settle();
    for (HWND edit : Children(login, L"TsEdit"))
        SetEditText(edit, GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD ? L"demo123" : L"demo");
    SaveScreenshot(login, into + L"login.bmp");
    for (HWND button : Children(login, L"TsButton"))
        if (GetWindowLongW(button, GWL_STYLE) & BS_DEFPUSHBUTTON) Click(button);
    HWND main = client.WaitForWindow(L"", L"Tfrmmain");
    Settle(1000);
    SaveScreenshot(main, into + L"main.bmp");
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(client.WaitForExit(), 0u);
}
