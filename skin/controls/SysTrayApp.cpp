// The tray icon and the application: minimising into the tray and restoring from it, and the
// application events the component takes over. Minimise and restore started by the component
// itself also fire the application's events, which lead back here; the manual flags keep those
// from running the same work twice.
#include "skin/controls/SysTray.h"

#include "framework/Forms.h"

void TSysTrayIcon::TakeOverApplication() {
    if (!Application) return;
    const TNotifyEvent minimized(this, &TSysTrayIcon::ApplicationMinimized);
    const TNotifyEvent restored(this, &TSysTrayIcon::ApplicationRestored);
    if (!FHookedApplication) {
        FPreviousOnMinimize = Application->OnMinimize;
        FPreviousOnRestore = Application->OnRestore;
        FHookedApplication = true;
    }
    Application->OnMinimize = minimized;
    Application->OnRestore = restored;
}

void TSysTrayIcon::HandBackApplication() {
    if (!FHookedApplication || !Application) return;
    if (Application->OnMinimize == TNotifyEvent(this, &TSysTrayIcon::ApplicationMinimized))
        Application->OnMinimize = FPreviousOnMinimize;
    if (Application->OnRestore == TNotifyEvent(this, &TSysTrayIcon::ApplicationRestored))
        Application->OnRestore = FPreviousOnRestore;
    FHookedApplication = false;
}

void TSysTrayIcon::ApplicationMinimized(TObject*) {
    if (!FManualMinimize) MinimizeApp();
}

void TSysTrayIcon::ApplicationRestored(TObject*) {
    if (!FManualRestore) RestoreApp();
}

void TSysTrayIcon::MinimizeApp() {
    FManualMinimize = true;
    struct TReset {
        bool& Flag;
        ~TReset() { Flag = false; }
    } reset{FManualMinimize};
    Application->Minimize();
    if (FEnabled && HideOnMinimize) HideApp();
    DoMinimizeApp();
}

void TSysTrayIcon::RestoreApp() {
    if (FMenuVisible) return;
    FManualRestore = true;
    struct TReset {
        bool& Flag;
        ~TReset() { Flag = false; }
    } reset{FManualRestore};
    Application->Restore();
    if (FEnabled) ShowApp();
    DoRestoreApp();
}

HWND TSysTrayIcon::AppWindow() const {
    TCustomForm* main = Application->MainForm();
    if (Application->MainFormOnTaskBar() && main) return main->Handle();
    return Application->Handle();
}

void TSysTrayIcon::HideApp() { ShowWindow(AppWindow(), SW_HIDE); }

void TSysTrayIcon::ShowApp() {
    HWND wnd = AppWindow();
    ShowWindow(wnd, SW_RESTORE);
    SetForegroundWindow(wnd);
    if (Application->ShowMainForm()) return;
    Application->SetShowMainForm(true);
    if (TCustomForm* main = Application->MainForm()) main->SetVisible(true);
}
