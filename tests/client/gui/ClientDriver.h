// Drives the real client program from outside, as a user would: starts it under the test's
// Wine prefix against the local account servers, finds its windows by title, types into its
// edits, picks combo-box entries, clicks buttons, answers its message boxes, saves screenshots,
// and reads its exit code. Everything waits with a deadline, so a hung client fails a test
// instead of hanging it.
#pragma once

#include "framework/System.h"

#include <windows.h>

#include <string>
#include <vector>

namespace clientgui_test {

inline constexpr wchar_t ChineseTitle[] = L"Velmora网络加速器 v9.0";
inline constexpr wchar_t EnglishTitle[] = L"Velmora Client v9.0";

// The client's registry: both remembered keys removed, or seeded.
void ForgetRememberedSettings();
void RememberLogin(const UnicodeString& user, const UnicodeString& password, int language);
void RememberSelection(const UnicodeString& area, const UnicodeString& line);
// A value of HKLM "\SOFTWARE\dedirorer"; empty when missing.
UnicodeString RememberedSelection(const wchar_t* name);

class TClientProcess {
public:
    // Starts the client with the primary and backup given ("host:port").
    TClientProcess(const UnicodeString& primary, const UnicodeString& backup);
    // Starts the client with the servers as the client reads them from its environment.
    explicit TClientProcess(const UnicodeString& servers);
    ~TClientProcess();
    TClientProcess(const TClientProcess&) = delete;
    TClientProcess& operator=(const TClientProcess&) = delete;

    // The visible top-level window of the client with this title and window class (any class
    // when empty); raises after the deadline.
    HWND WaitForWindow(const UnicodeString& title, const UnicodeString& windowClass = L"",
                       DWORD timeoutMs = 20000);
    // The text of the next message box, which is then answered with `button` (IDOK, IDYES...).
    UnicodeString AnswerMessageBox(int button = IDOK, DWORD timeoutMs = 20000);
    // The exit code once the process ended; raises after the deadline.
    DWORD WaitForExit(DWORD timeoutMs = 20000);
    bool Running() const;

private:
    PROCESS_INFORMATION FProcess{};
};

// The window's children of a window class, in creation order.
std::vector<HWND> Children(HWND parent, const UnicodeString& windowClass);
// Those of them inside the parent's window rectangle.
std::vector<HWND> VisibleChildren(HWND parent, const UnicodeString& windowClass);
int Top(HWND window);
// The child with this caption; raises when there is none.
HWND ChildWithText(HWND parent, const UnicodeString& text);
UnicodeString WindowText(HWND window);
void SetEditText(HWND edit, const UnicodeString& text);
// Clicks a button without waiting for what the click does (it may open a modal box).
void Click(HWND button);
// Selects the entry of a drop-down list and tells its window, as the user's choice does.
void SelectComboEntry(HWND combo, int index);
int ComboSelection(HWND combo);
std::vector<UnicodeString> ComboItems(HWND combo);
// Lets the client's message loop catch up.
void Settle(DWORD ms = 600);
// Saves the window as it shows on the screen as a 24-bit BMP.
void SaveScreenshot(HWND window, const UnicodeString& fileName);

} // namespace clientgui_test
