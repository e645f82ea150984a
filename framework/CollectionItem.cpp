// TCollectionItem: membership in a collection (joining, moving, leaving when freed), position
// and change reports. The collection keeps the list; the item only asks it to change.
#include "framework/Collections.h"

#include <algorithm>

TCollectionItem::TCollectionItem(TCollection* Collection) {
    // Joined quietly: the collection hears of the item only once it is whole.
    if (Collection) Collection->AttachItem(this);
}

TCollectionItem::~TCollectionItem() {
    // Only when the item was deleted rather than freed, or a notification failed while it left:
    // no one is told, as the item is no longer whole.
    if (FCollection) FCollection->DetachItem(this);
}

void TCollectionItem::AfterConstruction() {
    TPersistent::AfterConstruction();
    if (FCollection) FCollection->ItemConstructed(this);
}

void TCollectionItem::BeforeDestruction() {
    TPersistent::BeforeDestruction();
    SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection* Value) {
    if (Value == FCollection) return;
    if (Value) Value->CheckItemClass(this);
    if (FCollection) FCollection->RemoveItem(this);
    if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
    if (!FCollection) return -1;
    const auto& items = FCollection->FItems;
    return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int Value) {
    if (!FCollection) return;
    FCollection->CheckIndex(Value, FCollection->Count());
    const int current = Index();
    if (current == Value) return;
    auto& items = FCollection->FItems;
    const auto from = items.begin() + current;
    const auto to = items.begin() + Value;
    if (current < Value)
        std::rotate(from, from + 1, to + 1);
    else
        std::rotate(to, from, from + 1);
    Changed(true);
}

void TCollectionItem::Changed(bool AllItems) {
    if (FCollection && FCollection->FUpdateCount == 0)
        FCollection->Update(AllItems ? nullptr : this);
}
