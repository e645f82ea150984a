// TMenuItem as a tree node: its properties, the list of sub-items it owns and the way a change
// reaches the handles and the menu. An item's entry lives in its parent's HMENU, so a change of
// the item rebuilds the parent's entries; a change of its sub-items also rebuilds its own.
// Freeing an item takes it out of its parent and the command registry before anything else
// goes, so no message can reach it afterwards.
#include "framework/Menus.h"

#include <algorithm>
#include <cwctype>

namespace {

bool SameCaption(const UnicodeString& a, const UnicodeString& b) {
    const UnicodeString x = StripHotkey(a);
    const UnicodeString y = StripHotkey(b);
    return x.size() == y.size() &&
           std::equal(x.begin(), x.end(), y.begin(),
                      [](wchar_t p, wchar_t q) { return std::towupper(p) == std::towupper(q); });
}

template <class T> bool Store(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    return true;
}

} // namespace

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {
    FCommand = menus_detail::AllocateCommand(this);
}

TMenuItem::~TMenuItem() {
    // Deleted without Free: tear down here as well; the second call finds nothing to do.
    TMenuItem::BeforeDestruction();
}

void TMenuItem::BeforeDestruction() {
    if (FCommand) menus_detail::ReleaseCommand(FCommand);
    FCommand = 0;
    if (FParent) FParent->Remove(this);
    FHandle.Reset();
    FEntries.clear();
    while (!FItems.empty()) {
        TMenuItem* item = FItems.back();
        FItems.pop_back();
        item->FParent = nullptr;
        item->Free();
    }
    TComponent::BeforeDestruction();
}

// ---- properties ---------------------------------------------------------------------------------

void TMenuItem::SetCaption(const UnicodeString& value) {
    if (Store(FCaption, value)) MenuChanged(false);
}

void TMenuItem::SetShortCut(TShortCut value) {
    if (Store(FShortCut, value)) MenuChanged(false);
}

void TMenuItem::SetChecked(bool value) {
    if (!Store(FChecked, value)) return;
    if (value && FRadioItem) TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::SetRadioItem(bool value) {
    if (!Store(FRadioItem, value)) return;
    if (value && FChecked) TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::SetDefault(bool value) {
    if (Store(FDefault, value)) MenuChanged(false);
}

void TMenuItem::SetEnabled(bool value) {
    if (Store(FEnabled, value)) MenuChanged(false);
}

void TMenuItem::SetVisible(bool value) {
    if (Store(FVisible, value)) MenuChanged(true);
}

void TMenuItem::SetBreak(TMenuBreak value) {
    if (Store(FBreak, value)) MenuChanged(false);
}

void TMenuItem::SetGroupIndex(Byte value) {
    if (!Store(FGroupIndex, value)) return;
    if (FRadioItem && FChecked) TurnSiblingsOff();
    MenuChanged(true);
}

void TMenuItem::SetImageIndex(int value) {
    if (Store(FImageIndex, value)) MenuChanged(false);
}

TBitmap* TMenuItem::Bitmap() {
    if (!FBitmap) {
        FBitmap.reset(Construct<TBitmap>());
        FBitmap->OnChange = TNotifyEvent(this, &TMenuItem::BitmapChanged);
    }
    return FBitmap.get();
}

void TMenuItem::SetBitmap(TBitmap* value) {
    if (value)
        Bitmap()->Assign(value);
    else if (FBitmap)
        FBitmap->SetSize(0, 0);
    MenuChanged(false);
}

bool TMenuItem::HasBitmap() const { return FBitmap && !FBitmap->Empty(); }

void TMenuItem::BitmapChanged(TObject*) { MenuChanged(false); }

// Only radio items of the same group under the same parent exclude each other.
void TMenuItem::TurnSiblingsOff() {
    if (!FParent) return;
    for (TMenuItem* sibling : FParent->FItems)
        if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex)
            sibling->FChecked = false;
}

// ---- the tree -----------------------------------------------------------------------------------

TMenuItem* TMenuItem::Items(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EMenuError(L"Menu index out of range (" + std::to_wstring(Index) + L")");
    return FItems[static_cast<std::size_t>(Index)];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::ValidateInsert(const TMenuItem* Item) const {
    if (!Item) throw EMenuError(L"Cannot insert a null menu item");
    if (Item->FParent) throw EMenuError(L"Menu item inserted twice");
    if (Item->FMenu) throw EMenuError(L"A menu's root item cannot be a sub-item");
    for (const TMenuItem* above = this; above; above = above->FParent)
        if (above == Item) throw EMenuError(L"A menu item cannot contain itself");
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    ValidateInsert(Item);
    if (Index < 0 || Index > Count())
        throw EMenuError(L"Menu index out of range (" + std::to_wstring(Index) + L")");
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
    MenuChanged(true);
}

void TMenuItem::Delete(int Index) {
    TMenuItem* item = Items(Index);
    FItems.erase(FItems.begin() + Index);
    item->FParent = nullptr;
    MenuChanged(true);
}

void TMenuItem::Remove(TMenuItem* Item) {
    const int index = IndexOf(Item);
    if (index < 0) throw EMenuError(L"Menu item not found");
    Delete(index);
}

void TMenuItem::Clear() {
    while (!FItems.empty()) FItems.back()->Free();
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
    auto found = std::find(FItems.begin(), FItems.end(), Item);
    return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

int TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(int value) {
    if (!FParent) return;
    auto& siblings = FParent->FItems;
    const int target = std::clamp(value, 0, FParent->Count() - 1);
    siblings.erase(siblings.begin() + MenuIndex());
    siblings.insert(siblings.begin() + target, this);
    FParent->MenuChanged(true);
}

TMenuItem* TMenuItem::Find(const UnicodeString& ACaption) const {
    for (TMenuItem* item : FItems)
        if (SameCaption(item->FCaption, ACaption)) return item;
    return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* root = this;
    while (root->FParent) root = root->FParent;
    return root->FMenu;
}

// ---- behaviour ----------------------------------------------------------------------------------

void TMenuItem::Click() {
    if (FEnabled) OnClick(this);
}

void TMenuItem::MenuChanged(bool Rebuild) {
    if (Rebuild) RebuildEntries();
    if (FParent) FParent->RebuildEntries();
    if (TMenu* menu = GetParentMenu()) menu->MenuChanged(menu, this, Rebuild);
}
