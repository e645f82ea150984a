// TPopupMenu and the popup-list window. A popup is tracked without TPM_RETURNCMD, owned by one
// hidden window of the GUI thread: the system posts the chosen WM_COMMAND to that window, so
// the item's OnClick runs from the message loop once Popup has returned (the caller's own state,
// such as a "menu is open" flag, is back to normal by then). The window also receives the
// owner-draw and initialisation messages of every popup and hands them to
// DispatchMenuMessage. It lives while at least one popup menu does; popup menus belong to the
// GUI thread, the thread that made the window.
#include "framework/Menus.h"

#include <algorithm>

namespace {

struct TPopupList {
    std::vector<TPopupMenu*> Menus;
    std::unique_ptr<THiddenWindow> Window;
};

TPopupList& PopupList() {
    static TPopupList list;
    return list;
}

void PopupListProc(TMessage& Message) {
    if (!DispatchMenuMessage(Message)) DefaultHandler(Message, PopupListWindow());
}

HWND PopupWindowNeeded() {
    TPopupList& list = PopupList();
    if (!list.Window) list.Window = std::make_unique<THiddenWindow>(TWndMethod(&PopupListProc));
    return list.Window->Handle();
}

UINT AlignmentFlags(TPopupAlignment alignment) {
    switch (alignment) {
    case paLeft: return TPM_LEFTALIGN;
    case paRight: return TPM_RIGHTALIGN;
    case paCenter: return TPM_CENTERALIGN;
    }
    return TPM_LEFTALIGN;
}

} // namespace

HWND PopupListWindow() noexcept {
    const TPopupList& list = PopupList();
    return list.Window ? list.Window->Handle() : nullptr;
}

namespace menus_detail {

void AddPopup(TPopupMenu* Menu) { PopupList().Menus.push_back(Menu); }

void RemovePopup(TPopupMenu* Menu) noexcept {
    TPopupList& list = PopupList();
    std::erase(list.Menus, Menu);
    if (list.Menus.empty()) list.Window.reset();
}

} // namespace menus_detail

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) { menus_detail::AddPopup(this); }

void TPopupMenu::BeforeDestruction() {
    menus_detail::RemovePopup(this);
    SetPopupComponent(nullptr);
    TMenu::BeforeDestruction();
}

void TPopupMenu::SetPopupComponent(TComponent* value) {
    if (value == FPopupComponent) return;
    if (FPopupComponent) FPopupComponent->RemoveFreeNotification(this);
    FPopupComponent = value;
    if (FPopupComponent) FPopupComponent->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::DoPopup(TObject* Sender) { OnPopup(Sender); }

void TPopupMenu::Popup(int X, int Y) {
    DoPopup(this);
    const HMENU menu = Handle();
    if (GetMenuItemCount(menu) <= 0) return; // nothing visible to show
    const UINT flags = AlignmentFlags(Alignment) | TPM_RIGHTBUTTON;
    if (!TrackPopupMenuEx(menu, flags, X, Y, PopupWindowNeeded(), nullptr))
        RaiseLastOSError(L"TrackPopupMenuEx");
}
