// The popup-menu border requests posted to the application window and their answers. What
// arrives is checked against the live menus and windows: a menu destroyed, an item removed or a
// window gone (or reused by another kind of window) since the message was posted is ignored.
#include "skin/engine/sSkinMenus.h"

#include "framework/Application.h"

namespace {

// Menu is a live menu with a direct item of that command id.
bool MenuHasItem(HMENU Menu, UINT ItemId) {
    if (!Menu || !IsMenu(Menu)) return false;
    const int count = GetMenuItemCount(Menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID;
        if (GetMenuItemInfoW(Menu, static_cast<UINT>(i), TRUE, &info) && info.wID == ItemId)
            return true;
    }
    return false;
}

bool IsPopupMenuWindow(HWND Wnd) {
    wchar_t name[16] = {};
    return Wnd && IsWindow(Wnd) && GetClassNameW(Wnd, name, 16) && wcscmp(name, L"#32768") == 0;
}

} // namespace

void PostMenuBorderRequest(TMenuItem* Item) {
    TMenuItem* parent = Item ? Item->Parent() : nullptr;
    if (!parent || !Application || !Application->Handle()) return;
    MSG pending;
    if (PeekMessageW(&pending, Application->Handle(), SM_MENUITEMBORDER, SM_MENUWINDOWBORDER,
                     PM_NOREMOVE))
        return;
    PostMessageW(Application->Handle(), SM_MENUITEMBORDER,
                 reinterpret_cast<WPARAM>(parent->Handle()), Item->Command());
}

void TsSkinableMenus::ItemBorderRequested(HMENU Menu, UINT ItemId) {
    if (!MenuHasItem(Menu, ItemId)) return;
    RECT first;
    if (!GetMenuItemRect(nullptr, Menu, 0, &first) &&
        !GetMenuItemRect(PopupListWindow(), Menu, 0, &first))
        return;
    const HWND wnd =
        WindowFromPoint(POINT{(first.left + first.right) / 2, (first.top + first.bottom) / 2});
    if (wnd && BorderPainter) BorderPainter(wnd, Menu, ItemId);
}

void TsSkinableMenus::WindowBorderRequested(HWND Wnd) {
    if (IsPopupMenuWindow(Wnd) && BorderPainter) BorderPainter(Wnd, nullptr, 0);
}
