// The client windows' shared helpers. Message boxes go through the application so that they
// are captioned with its title and owned by the active window.
#include "client/gui/ClientUi.h"

#include <shellapi.h>

void SetClientSize(TCustomForm* form, int width, int height, bool withMenu) {
    const int frameX = GetSystemMetrics(SM_CXFIXEDFRAME);
    const int frameY = GetSystemMetrics(SM_CYFIXEDFRAME);
    const int menu = withMenu ? GetSystemMetrics(SM_CYMENU) : 0;
    form->SetBounds(form->Left(), form->Top(), width + 2 * frameX,
                    height + GetSystemMetrics(SM_CYCAPTION) + 2 * frameY + menu);
}

void ShowPlainMessage(const UnicodeString& text) { Application->MessageBox(text, L"", MB_OK); }

void ShowWarning(const UnicodeString& text) {
    Application->MessageBox(text, L"", MB_OK | MB_ICONWARNING);
}

void ShowNotice(const UnicodeString& text) {
    Application->MessageBox(text, L"", MB_OK | MB_ICONINFORMATION);
}

bool AskYesNo(const UnicodeString& text) {
    return Application->MessageBox(text, L"", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void OpenPage(const UnicodeString& url) {
    ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
