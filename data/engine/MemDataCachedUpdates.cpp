// Cached updates of the record list: the change cache, rollback copies, and applying,
// committing, cancelling, reverting and restoring the cached changes.
//
// An apply handler may revert records, cancel updates or close the list. Entries unlinked while
// the apply loop runs are only marked Removed and freed when the loop ends; the loop follows
// the Next links of removed entries (kept as they were at removal) to the next live entry, and
// stops once the list is no longer active.
#include "data/engine/MemDataRecordList.h"

#include <cstring>

void TMemData::AddCacheItem(PItemHeader Item) {
    auto* entry = new TCacheItem;
    entry->Item = Item;
    if (LastCacheItem)
        LastCacheItem->Next = entry;
    else
        Cache = entry;
    LastCacheItem = entry;
}

TCacheItem* TMemData::FindCacheItem(PItemHeader Item, TCacheItem*& Previous) const {
    Previous = nullptr;
    for (TCacheItem* entry = Cache; entry; Previous = entry, entry = entry->Next)
        if (entry->Item == Item) return entry;
    return nullptr;
}

void TMemData::RemoveCacheItem(TCacheItem* Entry, TCacheItem* Previous) {
    if (Previous)
        Previous->Next = Entry->Next;
    else
        Cache = Entry->Next;
    if (LastCacheItem == Entry) LastCacheItem = Previous;
    if (FApplying) {
        Entry->Removed = true;
        FRemovedWhileApplying.push_back(Entry);
    } else {
        Entry->Free();
    }
}

void TMemData::FreeCache() {
    while (Cache) RemoveCacheItem(Cache, nullptr);
    LastCacheItem = nullptr;
}

void TMemData::FreeItemWithValues(PItemHeader Item) {
    if (HasComplexFields) FreeComplexFields(ItemRecord(Item), true);
    BlockMan->FreeItem(Item);
}

TItemStatus TMemData::GetUpdateStatus() { return CurrentItem ? CurrentItem->Status : isUnmodified; }
TUpdateRecAction TMemData::GetUpdateResult() {
    return CurrentItem ? CurrentItem->UpdateResult : urNone;
}

void TMemData::SetCacheRecBuf(void* NewBuf, void* OldBuf) {
    NewCacheRecBuf = NewBuf;
    OldCacheRecBuf = OldBuf;
}

bool TMemData::GetUpdatesPending() {
    for (TCacheItem* entry = Cache; entry; entry = entry->Next)
        if (entry->Item->UpdateResult != urApplied) return true;
    return false;
}

// --- restore and revert ---

void TMemData::RestoreItem(PItemHeader Item) {
    PItemHeader rollback = Item->Rollback;
    if (!rollback) return;
    void* rec = ItemRecord(Item);
    void* old = ItemRecord(rollback);
    for (int i = 0; i < FieldCount(); ++i) {
        TFieldDesc* field = FFields->Items(i);
        if (!IsBlobFieldType(field->DataType()) || field->HasParent()) continue;
        TBlob *current, *before;
        std::memcpy(&current, static_cast<Byte*>(rec) + field->Offset(), sizeof current);
        std::memcpy(&before, static_cast<Byte*>(old) + field->Offset(), sizeof before);
        if (!current || !before || current == before) continue;
        // The record's blob object stays (references to it remain valid) with the old content.
        current->AddRef();
        current->Assign(before);
        current->Commit();
        std::memcpy(static_cast<Byte*>(old) + field->Offset(), &current, sizeof current);
        before->Release();
    }
    const Integer direction = FIndexFields->Count() > 0 ? CompareRecords(old, rec) : 0;
    if (HasComplexFields) FreeComplexFields(rec, true);
    BlockMan->CopyRecord(rollback, Item);
    BlockMan->FreeItem(rollback);
    Item->Rollback = nullptr;
    Item->FilterResult = fsNotChecked;
    MoveSortedItem(Item, direction);
}

void TMemData::RevertItem(PItemHeader Item) {
    switch (Item->Status) {
    case isUpdated:
        RestoreItem(Item);
        Item->Status = isUnmodified;
        [[fallthrough]];
    case isUnmodified:
        Item->UpdateResult = urNone;
        Item->FilterResult = fsNotChecked;
        break;
    case isAppended: {
        const bool wasVisible = !OmitRecord(Item);
        DiscardItem(Item);
        if (wasVisible) --FRecordCount;
        break;
    }
    case isDeleted:
        Item->Status = isUnmodified;
        Item->UpdateResult = urNone;
        Item->FilterResult = fsNotChecked;
        ++FRecordCount;
        break;
    }
}

void TMemData::RevertRecord() {
    if (!CurrentItem) return;
    TCacheItem* previous = nullptr;
    TCacheItem* entry = FindCacheItem(CurrentItem, previous);
    if (!entry) return;
    PItemHeader item = entry->Item;
    RemoveCacheItem(entry, previous);
    RevertItem(item);
    ReorderItems(nullptr, rmFull);
}

void TMemData::CancelUpdates() {
    while (Cache) {
        PItemHeader item = Cache->Item;
        RemoveCacheItem(Cache, nullptr);
        RevertItem(item);
    }
    LastCacheItem = nullptr;
    ReorderItems(nullptr, rmFull);
}

void TMemData::RestoreUpdates() {
    if (!FCachedUpdates) return;
    for (TCacheItem* entry = Cache; entry; entry = entry->Next) entry->Item->UpdateResult = urNone;
}

// --- commit and apply ---

void TMemData::CommitUpdates() {
    if (GetUpdatesPending()) ApplyUpdates();
    TCacheItem* previous = nullptr;
    for (TCacheItem* entry = Cache; entry;) {
        TCacheItem* next = entry->Next;
        PItemHeader item = entry->Item;
        if (item->UpdateResult != urApplied) {
            previous = entry;
            entry = next;
            continue;
        }
        if (item->Rollback) {
            FreeItemWithValues(item->Rollback);
            item->Rollback = nullptr;
        }
        RemoveCacheItem(entry, previous);
        if (item->Status == isDeleted) {
            DiscardItem(item);
        } else {
            item->Status = isUnmodified;
            item->UpdateResult = urNone;
            item->FilterResult = fsNotChecked;
        }
        entry = next;
    }
    ReorderItems(nullptr, rmFull);
}

void TMemData::ApplyUpdates() {
    // A handler that commits or applies again inside the loop leaves the applying to this loop.
    if (!FCachedUpdates || !Cache || FApplying) return;
    struct TApplyScope {
        TMemData* Self;
        PItemHeader Remembered;
        bool Failed = false;
        ~TApplyScope() {
            Self->FApplying = false;
            for (TCacheItem* entry : Self->FRemovedWhileApplying) entry->Free();
            Self->FRemovedWhileApplying.clear();
            // The handler may have freed the remembered record: it is looked up in the chain
            // rather than read, and a closed list has no items left to point at.
            if (Failed || !Self->Active) return;
            for (PItemHeader item = Self->FirstItem; item; item = item->Next)
                if (item == Remembered) {
                    Self->CurrentItem = Remembered;
                    return;
                }
        }
    } scope{this, CurrentItem};
    FApplying = true;
    auto live = [](TCacheItem* entry) {
        while (entry && entry->Removed) entry = entry->Next;
        return entry;
    };
    bool renumber = false;
    TCacheItem* batch = nullptr;
    for (TCacheItem* entry = Cache; entry && Active;) {
        PItemHeader item = entry->Item;
        if (item->UpdateResult == urApplied) {
            entry = live(entry->Next);
            continue;
        }
        CurrentItem = item;
        TUpdateRecAction action = urFail;
        const bool last = live(entry->Next) == nullptr;
        TUpdateRecKind kind;
        switch (item->Status) {
        case isUpdated: kind = ukUpdate; break;
        case isAppended: kind = ukInsert; break;
        case isDeleted: kind = ukDelete; break;
        default: throw EAssertionFailed(L"An unchanged record in the change cache");
        }
        if (NewCacheRecBuf) BlockMan->GetRecord(item, NewCacheRecBuf);
        if (OldCacheRecBuf)
            BlockMan->GetRecord(kind == ukUpdate && item->Rollback ? item->Rollback : item,
                                OldCacheRecBuf);
        try {
            ApplyRecord(kind, action, last);
        } catch (...) {
            scope.Failed = true;
            if (Active && !entry->Removed) {
                for (TCacheItem* e = batch ? live(batch) : entry; e && e != entry;
                     e = live(e->Next))
                    e->Item->UpdateResult = action;
                item->UpdateResult = action;
            }
            throw;
        }
        if (!Active) break;
        if (entry->Removed) {
            entry = live(entry->Next);
            continue;
        }
        if (kind != ukDelete && NewCacheRecBuf) {
            const Integer direction =
                FIndexFields->Count() > 0 ? CompareRecords(NewCacheRecBuf, ItemRecord(item)) : 0;
            BlockMan->PutRecord(item, NewCacheRecBuf);
            item->FilterResult = fsNotChecked;
            if (direction != 0) {
                MoveSortedItem(item, direction);
                renumber = true;
            }
        }
        if (action != urSuspended)
            for (TCacheItem* e = batch ? live(batch) : entry; e && e != entry; e = live(e->Next))
                e->Item->UpdateResult = action;
        item->UpdateResult = action;
        if (action == urRetry) {
            entry = batch ? live(batch) : entry;
            continue;
        }
        if (action == urSuspended) {
            if (!batch) batch = entry;
        } else {
            batch = nullptr;
        }
        entry = live(entry->Next);
    }
    if (renumber && Active) ReorderItems(nullptr, rmFull);
}
