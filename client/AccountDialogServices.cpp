// The message box and the web browser of the account dialogs, and the seam that lets tests put
// recorders in their place so that no box waits for a click and no browser starts.
#include "client/AccountDialogs.h"

#include <shellapi.h>

namespace {

int ShowMessageBox(const UnicodeString& text, const UnicodeString& caption, UINT flags) {
    return Application->MessageBox(text, caption, flags);
}

void OpenInBrowser(const UnicodeString& url) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return;
    // Up to 32 the result is the shell's error code; the thread's last error says more when set.
    const DWORD error = GetLastError();
    RaiseOSError(error ? error : static_cast<DWORD>(result), L"ShellExecuteW " + url);
}

TAccountDialogServices& Services() {
    static TAccountDialogServices services = SystemAccountDialogServices();
    return services;
}

} // namespace

TAccountDialogServices SystemAccountDialogServices() { return {&ShowMessageBox, &OpenInBrowser}; }

const TAccountDialogServices& AccountDialogServices() { return Services(); }

TAccountDialogServices SetAccountDialogServices(const TAccountDialogServices& services) {
    const TAccountDialogServices system = SystemAccountDialogServices();
    TAccountDialogServices previous = Services();
    Services().MessageBox = services.MessageBox ? services.MessageBox : system.MessageBox;
    Services().OpenUrl = services.OpenUrl ? services.OpenUrl : system.OpenUrl;
    return previous;
}
