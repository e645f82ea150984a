// The HMENU of a menu item's sub-items and the owner-draw entry points. A handle is made when
// first asked for, registered so that WM_INITMENUPOPUP and WM_MENUCHAR find its item, and from
// then on its entries are rebuilt whenever an item of it changes: menus hold a few dozen entries,
// so rebuilding them all is cheaper to get right than patching single entries, and it keeps an
// open submenu correct when a pre-popup OnClick changes it.
#include "framework/Menus.h"

namespace {

UINT EntryType(const TMenuItem* item) {
    UINT type = item->IsLine() ? MFT_SEPARATOR : MFT_STRING;
    if (item->IsOwnerDraw()) type |= MFT_OWNERDRAW;
    if (item->RadioItem()) type |= MFT_RADIOCHECK;
    if (item->Break() == mbBreak) type |= MFT_MENUBREAK;
    if (item->Break() == mbBarBreak) type |= MFT_MENUBARBREAK;
    return type;
}

UINT EntryState(const TMenuItem* item) {
    UINT state = 0;
    if (item->Checked()) state |= MFS_CHECKED;
    if (!item->Enabled()) state |= MFS_GRAYED;
    if (item->Default()) state |= MFS_DEFAULT;
    return state;
}

// What the system draws for an entry it draws itself: the caption, a tab, the shortcut.
UnicodeString EntryText(const TMenuItem* item) {
    const UnicodeString shortCut = ShortCutToText(item->ShortCut());
    return shortCut.empty() ? item->Caption() : item->Caption() + L"\t" + shortCut;
}

} // namespace

HMENU TMenuItem::Handle() {
    if (!FHandle) {
        menus_detail::TOwnedMenu handle(CreateHandle());
        menus_detail::RegisterHandle(handle.Get(), this);
        FHandle = std::move(handle);
        RebuildEntries();
    }
    return FHandle.Get();
}

HMENU TMenuItem::CreateHandle() const {
    const bool bar = FMenu && FMenu->IsMenuBar();
    HMENU menu = bar ? CreateMenu() : CreatePopupMenu();
    if (!menu) RaiseLastOSError(bar ? L"CreateMenu" : L"CreatePopupMenu");
    return menu;
}

std::vector<TMenuItem*> TMenuItem::EntriesToBuild() const {
    if (FMenu) return FMenu->RootEntries();
    std::vector<TMenuItem*> entries;
    for (TMenuItem* item : FItems)
        if (item->FVisible) entries.push_back(item);
    return entries;
}

void TMenuItem::RebuildEntries() {
    if (!FHandle) return;
    const HMENU menu = FHandle.Get();
    for (int n = GetMenuItemCount(menu); n > 0; --n) RemoveMenu(menu, 0, MF_BYPOSITION);
    FEntries = EntriesToBuild();
    for (std::size_t i = 0; i < FEntries.size(); ++i) InsertEntry(static_cast<int>(i), FEntries[i]);
}

void TMenuItem::RebuildTree() {
    for (TMenuItem* item : FItems) item->RebuildTree();
    RebuildEntries();
}

void TMenuItem::InsertEntry(int Position, TMenuItem* Item) {
    UnicodeString text = EntryText(Item);
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU;
    info.fType = EntryType(Item);
    info.fState = EntryState(Item);
    info.wID = Item->FCommand;
    info.dwItemData = Item->FCommand; // owner-draw messages name the item by its id
    info.hSubMenu = Item->Count() > 0 ? Item->Handle() : nullptr;
    if (!(info.fType & (MFT_SEPARATOR | MFT_OWNERDRAW))) {
        info.fMask |= MIIM_STRING;
        info.dwTypeData = text.data();
    }
    if (!InsertMenuItemW(FHandle.Get(), static_cast<UINT>(Position), TRUE, &info))
        RaiseLastOSError(L"InsertMenuItem");
}

bool TMenuItem::IsOwnerDraw() const {
    const TMenu* menu = GetParentMenu();
    if (menu && menu->OwnerDraw()) return true;
    if (OnMeasureItem || OnAdvancedDrawItem || OnDrawItem || HasBitmap()) return true;
    return FImageIndex >= 0 && menu && menu->Images();
}

void TMenuItem::MeasureItem(TCanvas* ACanvas, int& Width, int& Height) {
    menus_detail::MeasureDefault(this, ACanvas, Width, Height);
    OnMeasureItem(this, ACanvas, Width, Height);
}

void TMenuItem::AdvancedDrawItem(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State) {
    if (OnAdvancedDrawItem)
        OnAdvancedDrawItem(this, ACanvas, ARect, State);
    else if (OnDrawItem)
        OnDrawItem(this, ACanvas, ARect, State.Contains(odSelected));
    else
        menus_detail::DrawDefault(this, ACanvas, ARect, State);
}
