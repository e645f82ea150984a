// The tray icon's popup menu: shown at the cursor with the owning form in the foreground, so
// that the menu closes when the user clicks elsewhere; the WM_NULL posted afterwards lets the
// next click on the icon reach the shell at once (a known need of notification-area menus).
#include "skin/controls/SysTray.h"

#include "framework/Forms.h"
#include "framework/Menus.h"

void TSysTrayIcon::ShowMenu() {
    if (!FPopupMenu) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    auto* form = dynamic_cast<TForm*>(Owner());
    if (form && form->HandleAllocated()) SetForegroundWindow(form->Handle());
    FMenuVisible = true;
    struct TClosed {
        bool& Visible;
        ~TClosed() { Visible = false; }
    } closed{FMenuVisible};
    FPopupMenu->Popup(cursor.x, cursor.y);
    PostMessageW(nullptr, WM_NULL, 0, 0);
}

void TSysTrayIcon::SetPopupMenu(TPopupMenu* Value) {
    if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
    FPopupMenu = Value;
    if (Value) Value->FreeNotification(this);
}

void TSysTrayIcon::PopupMenuRemoved(TComponent* AComponent) {
    if (AComponent == FPopupMenu) FPopupMenu = nullptr;
}
