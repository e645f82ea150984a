// The client windows' shared helpers. Message boxes are captioned with the application's title
// and owned by the window of ours the user is looking at, the topmost one that shows: a box
// owned by a window under the always-on-top login dialog (the main window while it is still
// being made, for one) would open behind that dialog, out of reach.
#include "client/gui/ClientUi.h"

#include <shellapi.h>

namespace {

bool IsShownFormOfOurs(HWND window) {
    if (!IsWindowVisible(window)) return false;
    for (int i = 0; i < Screen->CustomFormCount(); ++i) {
        TCustomForm* form = Screen->CustomForms(i);
        if (form->HandleAllocated() && form->Handle() == window) return true;
    }
    return false;
}

int ShowBox(const UnicodeString& text, UINT flags) {
    HWND owner = nullptr;
    for (HWND window = GetTopWindow(nullptr); window && !owner;
         window = GetWindow(window, GW_HWNDNEXT))
        if (IsShownFormOfOurs(window)) owner = window;
    if (!owner) return Application->MessageBox(text, L"", flags);
    Application->ModalStarted();
    const int answer = MessageBoxW(owner, text.c_str(), Application->Title().c_str(), flags);
    Application->ModalFinished();
    return answer;
}

} // namespace

void SetClientSize(TCustomForm* form, int width, int height, bool withMenu) {
    const int frameX = GetSystemMetrics(SM_CXFIXEDFRAME);
    const int frameY = GetSystemMetrics(SM_CYFIXEDFRAME);
    const int menu = withMenu ? GetSystemMetrics(SM_CYMENU) : 0;
    form->SetBounds(form->Left(), form->Top(), width + 2 * frameX,
                    height + GetSystemMetrics(SM_CYCAPTION) + 2 * frameY + menu);
}

void ShowPlainMessage(const UnicodeString& text) { ShowBox(text, MB_OK); }

void ShowWarning(const UnicodeString& text) { ShowBox(text, MB_OK | MB_ICONWARNING); }

void ShowNotice(const UnicodeString& text) { ShowBox(text, MB_OK | MB_ICONINFORMATION); }

bool AskYesNo(const UnicodeString& text) {
    return ShowBox(text, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void OpenPage(const UnicodeString& url) {
    ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
