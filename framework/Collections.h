// Collections: `TCollection`, an ordered list of items of one item class that it creates,
// owns and frees, and `TCollectionItem`, the base of those items. Components keep their lists
// of sub-objects (title buttons, macros, parameters) in collections.
//
// Assumptions and rules:
// - The item class is a class reference (`TClass`) to a descendant of TCollectionItem that
//   declares CLASS_INFO and a constructor taking the collection; `Add` creates items through it.
//   Items can also be made with `Construct<TMyItem>(collection)`: an item joins its collection
//   in its constructor (so Index and ID are valid at once) and the collection is told (Notify
//   cnAdded, then Update) in AfterConstruction, once the item is whole. An item made with a
//   bare `new` joins without that notice.
// - An item leaves its collection when it is freed (Notify cnExtracting, then Update), so
//   `item->Free()` shrinks the collection; `Delete` first tells cnDeleting. Freeing the
//   collection frees its items.
// - Changes are reported through the virtual `Update(Item)`: with the item when one item
//   changed on its own, with null when the collection as a whole changed. Between BeginUpdate
//   and the outermost EndUpdate nothing is reported; that EndUpdate then reports null once,
//   whether or not anything changed, because callers also change items' fields directly
//   between the two and rely on that report.
// - IDs are unique within a collection and increase in the order items join it; moving an
//   item to another collection gives it a new ID there.
#pragma once

#include "framework/Objects.h"

#include <vector>

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
    CLASS_INFO(TCollectionItem, TPersistent)
public:
    using OwnerType = TCollection;

    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;

    TCollection* Collection() const noexcept { return FCollection; }
    // Moves the item to another collection (null: to none; the caller then owns the item).
    void SetCollection(TCollection* Value);
    // -1 while the item belongs to no collection.
    int Index() const;
    // Raises EListError when Value is not an index of the collection.
    void SetIndex(int Value);
    int ID() const noexcept { return FID; }
    // The item's name in lists and editors; the class name unless a descendant knows better.
    virtual UnicodeString DisplayName() const { return ClassName(); }

    // Reports a change of this item (AllItems: of the whole collection) unless the collection
    // is being updated.
    virtual void Changed(bool AllItems);

private:
    friend class TCollection;

    TCollection* FCollection = nullptr;
    int FID = 0;
};

class TCollection : public TPersistent {
    CLASS_INFO(TCollection, TPersistent)
public:
    // Raises EInvalidOperation when ItemClass is not a TCollectionItem class.
    explicit TCollection(TClass ItemClass, TPersistent* Owner = nullptr);
    ~TCollection() override;
    void BeforeDestruction() override;

    TClass ItemClass() const noexcept { return FItemClass; }
    virtual TPersistent* GetOwner() const { return FOwner; }

    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    // Raises EListError "List index out of bounds (<index>)" for a bad index.
    TCollectionItem* Items(int Index) const;
    TCollectionItem* Add();
    // Index may be Count, which appends.
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    // Null when no item has that ID.
    TCollectionItem* FindItemID(int ID) const;

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    // Reports a change of the whole collection unless it is being updated.
    void Changed();

    // Another collection's items replace this one's: each new item, of this collection's item
    // class, is assigned from the source item at its index.
    void Assign(TPersistent* Source) override;

protected:
    int UpdateCount() const noexcept { return FUpdateCount; }
    // Item is the item that changed, or null for the whole collection.
    virtual void Update(TCollectionItem* Item);
    virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);

private:
    friend class TCollectionItem;

    void CheckIndex(int Index, int Limit) const;
    void CheckItemClass(const TCollectionItem* Item) const;
    void AttachItem(TCollectionItem* Item);
    void DetachItem(TCollectionItem* Item);
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);
    void ItemConstructed(TCollectionItem* Item);
    void FreeItems() noexcept;

    TClass FItemClass;
    TPersistent* FOwner;
    std::vector<TCollectionItem*> FItems;
    int FNextID = 0;
    int FUpdateCount = 0;
};
