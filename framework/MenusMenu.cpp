// TMenu: a tree of items under a root item, with the image list and owner-draw switch that
// every item's look depends on, and the lookups by command, handle and shortcut. The root item
// belongs to the menu alone (no component owner), so it goes exactly when the menu goes; the
// items under it are freed with it unless freed before.
#include "framework/Menus.h"

namespace {

bool Matches(TMenuItem* item, UINT_PTR value, TFindItemKind kind) {
    switch (kind) {
    case fkCommand: return item->Command() == value;
    case fkHandle:
        return item->HandleAllocated() && reinterpret_cast<UINT_PTR>(item->Handle()) == value;
    case fkShortCut: return value != scNone && item->ShortCut() == value;
    }
    return false;
}

TMenuItem* FindIn(TMenuItem* item, UINT_PTR value, TFindItemKind kind) {
    if (Matches(item, value, kind)) return item;
    for (int i = 0; i < item->Count(); ++i)
        if (TMenuItem* found = FindIn(item->Items(i), value, kind)) return found;
    return nullptr;
}

} // namespace

TMenu::TMenu(TComponent* AOwner)
    : TComponent(AOwner), FItems(Construct<TMenuItem>(nullptr)),
      FImageChangeLink(Construct<TChangeLink>()) {
    FItems->FMenu = this;
    FImageChangeLink->OnChange = TNotifyEvent(this, &TMenu::ImageListChange);
}

TMenu::~TMenu() {
    // Deleted without Free: the root still has to go.
    TMenu::BeforeDestruction();
}

void TMenu::BeforeDestruction() {
    if (FItems) {
        FItems->FMenu = nullptr;
        FreeAndNil(FItems);
    }
    SetImages(nullptr);
    TComponent::BeforeDestruction();
}

void TMenu::SetImages(TCustomImageList* value) {
    if (value == FImages) return;
    if (FImages) {
        FImages->UnRegisterChanges(FImageChangeLink.get());
        FImages->RemoveFreeNotification(this);
    }
    FImages = value;
    if (FImages) {
        FImages->RegisterChanges(FImageChangeLink.get());
        FImages->FreeNotification(this);
    }
    ImageListChange(FImages);
}

void TMenu::SetOwnerDraw(bool value) {
    if (value == FOwnerDraw) return;
    FOwnerDraw = value;
    RebuildAll();
    MenuChanged(this, nullptr, false);
}

void TMenu::ImageListChange(TObject*) {
    if (!FItems) return; // the images went while the menu is being freed
    RebuildAll();
    MenuChanged(this, nullptr, false);
}

void TMenu::RebuildAll() { FItems->RebuildTree(); }

std::vector<TMenuItem*> TMenu::RootEntries() const {
    std::vector<TMenuItem*> entries;
    for (TMenuItem* item : FItems->FItems)
        if (item->Visible()) entries.push_back(item);
    return entries;
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

void TMenu::MenuChanged(TObject*, TMenuItem* Source, bool Rebuild) {
    OnChange(this, Source, Rebuild);
}

TMenuItem* TMenu::FindItem(UINT_PTR Value, TFindItemKind Kind) const {
    return FItems ? FindIn(FItems, Value, Kind) : nullptr;
}

bool TMenu::DispatchCommand(Word ACommand) {
    TMenuItem* item = FindItem(ACommand, fkCommand);
    if (!item) return false;
    item->Click();
    return true;
}

bool TMenu::DispatchPopup(HMENU AHandle) {
    TMenuItem* item = FindItem(reinterpret_cast<UINT_PTR>(AHandle), fkHandle);
    if (!item) return false;
    item->Click();
    return true;
}

// The submenus above the item get their pre-popup clicks first, top down, as if the user had
// opened them: their handlers may enable or fill what the shortcut reaches.
bool TMenu::IsShortCut(const TMessage& Message) {
    if (Message.Msg != WM_KEYDOWN && Message.Msg != WM_SYSKEYDOWN) return false;
    const TShortCut shortCut =
        ::ShortCut(static_cast<Word>(Message.WParam), KeyDataToShiftState(Message.LParam));
    TMenuItem* item = FindItem(shortCut, fkShortCut);
    if (!item) return false;
    std::vector<TMenuItem*> above;
    for (TMenuItem* parent = item->Parent(); parent && parent != FItems; parent = parent->Parent())
        above.insert(above.begin(), parent);
    for (TMenuItem* parent : above) parent->Click();
    if (!item->Enabled()) return false;
    item->Click();
    return true;
}
