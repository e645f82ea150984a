// Answers the first message box a thread of the test process shows, keeping its text: the box
// is modal, so the test thread that shows it cannot answer it itself.
#pragma once

#include "framework/System.h"

#include <windows.h>

#include <atomic>
#include <thread>

namespace clientgui_test {

// Watches the thread that made it and answers with OK.
class TBoxAnswerer {
public:
    TBoxAnswerer() : FThreadId(GetCurrentThreadId()), FWorker([this] { Answer(); }) {}
    ~TBoxAnswerer() {
        FStop = true;
        if (FWorker.joinable()) FWorker.join();
    }
    TBoxAnswerer(const TBoxAnswerer&) = delete;
    TBoxAnswerer& operator=(const TBoxAnswerer&) = delete;
    // Once the box was answered (the call that showed it has returned).
    UnicodeString Text() {
        Finish();
        return FText;
    }
    // The box's owner window, once it was answered.
    HWND Owner() {
        Finish();
        return FOwner;
    }

private:
    void Finish() {
        FStop = true;
        if (FWorker.joinable()) FWorker.join();
    }
    static BOOL CALLBACK FindBox(HWND window, LPARAM found) {
        wchar_t name[16];
        if (GetClassNameW(window, name, 16) && UnicodeString(name) == L"#32770") {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }
    static UnicodeString TextOf(HWND window) {
        wchar_t text[1024] = {};
        GetWindowTextW(window, text, 1024);
        return text;
    }
    void Answer() {
        const DWORD until = GetTickCount() + 10000;
        HWND box = nullptr;
        while (!box && !FStop && GetTickCount() < until) {
            EnumThreadWindows(FThreadId, FindBox, reinterpret_cast<LPARAM>(&box));
            if (!box) Sleep(20);
        }
        if (!box) return;
        FOwner = GetWindow(box, GW_OWNER);
        Sleep(100);
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (GetDlgCtrlID(child) == 0xFFFF) FText = TextOf(child);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

    DWORD FThreadId;
    std::atomic<bool> FStop{false};
    UnicodeString FText;
    HWND FOwner = nullptr;
    std::thread FWorker;
};

} // namespace clientgui_test
