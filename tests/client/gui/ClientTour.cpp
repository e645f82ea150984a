// Not a test: the run script's tour of the client on a virtual display. Against the servers in
// VELMORA_ACCOUNT_SERVERS it logs in with the demo account, runs the batch latency test,
// connects, brings the window back from the tray and closes it; then it starts the client again
// with a dial that the server refuses. It saves a screenshot of each stage into
// VELMORA_TOUR_DIR: login, main (idle), batch (during the batch test), connected and
// dial_failed. Disabled, so ctest never runs it.
#include "ClientDriver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

using namespace clientgui_test;

namespace {

// Logs in with the demo account; the login dialog's screenshot when `shot` is given.
HWND LogIn(TClientProcess& client, const UnicodeString& shot = L"") {
    HWND login = client.WaitForWindow(L"", L"Tfrmlogin");
    Settle();
    for (HWND edit : Children(login, L"TsEdit"))
        SetEditText(edit, GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD ? L"demo123" : L"demo");
    if (!shot.empty()) SaveScreenshot(login, shot);
    for (HWND button : Children(login, L"TsButton"))
        if (GetWindowLongW(button, GWL_STYLE) & BS_DEFPUSHBUTTON) Click(button);
    HWND main = client.WaitForWindow(L"", L"Tfrmmain");
    Settle(1000);
    return main;
}

// The main window back from the tray, as the tray icon's click shows it.
void Restore(HWND main) {
    ShowWindow(main, SW_RESTORE);
    SetForegroundWindow(main);
    Settle(1000);
}

} // namespace

TEST(ClientTour, DISABLED_ScreenshotsOfEachWindow) {
    const wchar_t* servers = _wgetenv(L"VELMORA_ACCOUNT_SERVERS");
    const wchar_t* folder = _wgetenv(L"VELMORA_TOUR_DIR");
    ASSERT_NE(servers, nullptr);
    ASSERT_NE(folder, nullptr);
    const UnicodeString into = UnicodeString(folder) + L"\\";
    {
        TClientProcess client(servers);
        HWND main = LogIn(client, into + L"login.bmp");
        SaveScreenshot(main, into + L"main.bmp");
        // A few passes: the losses and the silent line's time-outs show by then.
        HWND batch = ChildWithText(main, L"批量测速");
        Click(batch);
        Settle(9000);
        SaveScreenshot(main, into + L"batch.bmp");
        Click(batch);
        Settle(500);
        // Connected: the window goes to the tray once the tunnel is up; the traffic timer
        // writes the status panel every few seconds.
        Click(ChildWithText(main, L"连  接"));
        Settle(10000);
        Restore(main);
        SaveScreenshot(main, into + L"connected.bmp");
        PostMessageW(main, WM_CLOSE, 0, 0);
        client.AnswerMessageBox(IDYES);
        EXPECT_EQ(client.WaitForExit(), 0u);
    }
    const UnicodeString refused = into + L"ras-refused.txt";
    std::ofstream(refused.c_str()) << "delay 200\nstates 0 1 2 3\nfail 691\n";
    SetEnvironmentVariableW(L"FAKE_RAS_SCENARIO", refused.c_str());
    TClientProcess client(servers);
    HWND main = LogIn(client);
    Click(ChildWithText(main, L"连  接"));
    Settle(4000);
    SaveScreenshot(main, into + L"dial_failed.bmp");
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(client.WaitForExit(), 0u);
}
