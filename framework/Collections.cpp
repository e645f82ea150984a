// TCollection: the ordered item list, item creation through the item class, update brackets
// and assignment. Items are kept in a plain array: collections hold tens of items, and index
// moves and look-ups by ID are linear.
#include "framework/Collections.h"

#include <algorithm>

TCollection::TCollection(TClass ItemClass, TPersistent* Owner)
    : FItemClass(ItemClass), FOwner(Owner) {
    if (!ItemClass || !ClassInheritsFrom(ItemClass, TCollectionItem::StaticClass()))
        throw EInvalidOperation(UnicodeString(ItemClass ? ItemClass->Name : L"A nil class") +
                                L" is not a collection item class");
}

TCollection::~TCollection() {
    // Items left only when the collection was deleted rather than freed.
    FUpdateCount = 1;
    FreeItems();
}

void TCollection::BeforeDestruction() {
    TPersistent::BeforeDestruction();
    // Nothing is reported while the collection goes away.
    FUpdateCount = 1;
    FreeItems();
}

void TCollection::FreeItems() noexcept {
    // Each item leaves the list as it is freed (its destructor makes sure of it).
    while (!FItems.empty()) FItems.back()->Free();
}

void TCollection::CheckIndex(int Index, int Limit) const {
    if (Index < 0 || Index >= Limit)
        throw EListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
}

void TCollection::CheckItemClass(const TCollectionItem* Item) const {
    if (!Item->InheritsFrom(FItemClass))
        throw EInvalidOperation(L"A " + Item->ClassName() +
                                L" cannot be an item of a collection of " + FItemClass->Name);
}

TCollectionItem* TCollection::Items(int Index) const {
    CheckIndex(Index, Count());
    return FItems[static_cast<std::size_t>(Index)];
}

TCollectionItem* TCollection::Add() {
    // The constructor verified that the item class descends from TCollectionItem.
    return static_cast<TCollectionItem*>(CreateInstance(FItemClass, this));
}

TCollectionItem* TCollection::Insert(int Index) {
    CheckIndex(Index, Count() + 1);
    TCollectionItem* item = Add();
    item->SetIndex(Index);
    return item;
}

void TCollection::Delete(int Index) {
    TCollectionItem* item = Items(Index);
    Notify(item, cnDeleting);
    item->Free();
}

void TCollection::Clear() {
    if (FItems.empty()) return;
    BeginUpdate();
    FreeItems();
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int ID) const {
    const auto found = std::find_if(FItems.begin(), FItems.end(),
                                    [ID](const TCollectionItem* item) { return item->FID == ID; });
    return found == FItems.end() ? nullptr : *found;
}

void TCollection::EndUpdate() {
    // An EndUpdate without its BeginUpdate is ignored rather than disabling later reports.
    if (FUpdateCount > 0 && --FUpdateCount == 0) Update(nullptr);
}

void TCollection::Changed() {
    if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TCollection*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this) return;
    BeginUpdate();
    try {
        Clear();
        for (TCollectionItem* item : source->FItems) Add()->Assign(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::AttachItem(TCollectionItem* Item) {
    FItems.push_back(Item);
    Item->FCollection = this;
    Item->FID = FNextID++;
}

void TCollection::DetachItem(TCollectionItem* Item) {
    const auto found = std::find(FItems.begin(), FItems.end(), Item);
    if (found != FItems.end()) FItems.erase(found);
    Item->FCollection = nullptr;
}

void TCollection::InsertItem(TCollectionItem* Item) {
    AttachItem(Item);
    Notify(Item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
    Notify(Item, cnExtracting);
    DetachItem(Item);
    Changed();
}

void TCollection::ItemConstructed(TCollectionItem* Item) {
    if (!Item->InheritsFrom(FItemClass)) {
        DetachItem(Item);
        CheckItemClass(Item);
    }
    Notify(Item, cnAdded);
    Changed();
}
