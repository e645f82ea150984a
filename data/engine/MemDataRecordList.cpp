// The record list's chain of items: hidden records, navigation, inserts, updates and deletes
// with their renumbering, record numbers and bookmarks.
#include "data/engine/MemDataRecordList.h"

#include <cstdlib>
#include <cstring>

Integer RefreshIterationCounter = 1;

TMemData::TMemData() : FIndexFields(new TSortColumns), BlockMan(new TBlockManager) { InitData(); }

TMemData::~TMemData() {
    // TData's BeforeDestruction has closed the list and freed its items.
    FIndexFields->Free();
    BlockMan->Free();
}

void TMemData::InitData() {
    // Records added before the list was opened are freed rather than forgotten.
    if (FirstItem) return FreeData();
    TData::InitData();
    FirstItem = LastItem = CurrentItem = nullptr;
    FItemCount = 0;
    FChain.clear();
    FRecordNoCache.clear();
    if (!FApplying) Cache = LastCacheItem = nullptr;
    FRefreshIteration = ++RefreshIterationCounter;
}

void TMemData::FreeData() {
    bool needFree = false;
    for (int i = 0; i < FieldCount() && !needFree; ++i) {
        const Word type = FFields->Items(i)->DataType();
        const bool heap = type == dtExtString || type == dtExtWideString || type == dtExtVarBytes;
        needFree = IsComplexFieldType(type) && (!heap || StringHeap->SysGetMem());
    }
    if (needFree)
        for (PItemHeader item = FirstItem; item; item = item->Next) {
            FreeComplexFields(ItemRecord(item), true);
            if (item->Rollback) FreeComplexFields(ItemRecord(item->Rollback), true);
        }
    FreeCache();
    StringHeap->Clear();
    BlockMan->FreeAllBlock();
    FirstItem = nullptr;
    InitData();
}

void TMemData::InitFields() {
    TData::InitFields();
    BlockMan->RecordSize = FRecordSize;
    ParseIndexFields();
}

void TMemData::Reopen() {
    TData::Reopen();
    FRecordNoCache.clear();
    if (!FFilterText.empty()) FilterUpdated();
    if (FIndexFields->Count() > 0) SortItems();
}

// --- hidden records ---

bool TMemData::OmitRecord(PItemHeader Item) {
    if (!Item) return true;
    if (Item->FilterResult != fsNotChecked) return Item->FilterResult == fsOmitted;
    void* rec = ItemRecord(Item);
    bool visible;
    if (FCachedUpdates && !(FFilterItemTypes & ItemType(Item->Status))) {
        visible = false;
    } else if (CalcRecordSize() > 0 && IsFiltered()) {
        void* temp = std::malloc(std::size_t(RecordSize() + CalcRecordSize()));
        if (!temp) throw std::bad_alloc();
        struct TFree {
            void* P;
            ~TFree() { std::free(P); }
        } freeTemp{temp};
        std::memcpy(temp, rec, std::size_t(RecordSize()));
        if (OnGetCachedBuffer) OnGetCachedBuffer(temp, nullptr);
        visible = (!FilterFunc || FilterFunc(temp)) && (!FilterMDFunc || FilterMDFunc(temp)) &&
                  EvalFilter(temp);
    } else {
        visible = (!FilterFunc || FilterFunc(rec)) && (!FilterMDFunc || FilterMDFunc(rec)) &&
                  EvalFilter(rec);
    }
    Item->FilterResult = visible ? fsNotOmitted : fsOmitted;
    return !visible;
}

void TMemData::ClearItemsOmittedStatus() {
    FRecordNoCache.clear(); // it lists the records visible by the verdicts forgotten here
    for (PItemHeader item = FirstItem; item; item = item->Next) item->FilterResult = fsNotChecked;
}

void TMemData::FilterUpdated() {
    NumberAll({}, true);
    FEOF = FRecordCount == 0;
}

void TMemData::NumberAll(std::vector<PItemHeader> Chain, bool ForgetVerdicts) {
    // Without a chain given, a kept one or a map that lists every item is the chain in order.
    const std::size_t items = std::size_t(FItemCount);
    if (Chain.empty() && items > 0 && FChain.size() == items) Chain.swap(FChain);
    if (Chain.empty() && items > 0 && FRecordNoCache.size() == items) Chain.swap(FRecordNoCache);
    FChain.clear();
    FRecordNoCache.clear();
    FRecordNoOffset = 0;
    Integer number = 0;
    auto visit = [&](PItemHeader item) {
        if (ForgetVerdicts) item->FilterResult = fsNotChecked;
        if (OmitRecord(item)) {
            item->Order = 0;
            return;
        }
        item->Order = ++number;
        FRecordNoCache.push_back(item);
    };
    if (Chain.empty()) {
        for (PItemHeader item = FirstItem; item; item = item->Next) visit(item);
    } else {
        // The items lie anywhere in memory once sorted: asking for those a few steps ahead
        // lets their loads overlap instead of waiting for each in turn.
        constexpr std::size_t ahead = 8;
        for (std::size_t i = 0; i < Chain.size(); ++i) {
            if (i + ahead < Chain.size()) {
                const Byte* next = reinterpret_cast<const Byte*>(Chain[i + ahead]);
                __builtin_prefetch(next, 1);
                __builtin_prefetch(next + 64, 0);
            }
            visit(Chain[i]);
        }
    }
    FRecordCount = number;
    // While the map leaves records out, the chain's order is kept for the next such walk.
    if (FRecordNoCache.size() != items) FChain.swap(Chain);
}

void TMemData::SetFilterItemTypes(TItemTypes Value) {
    if (Value == FFilterItemTypes) return;
    FFilterItemTypes = Value;
    FilterUpdated();
}

// --- navigation ---

void TMemData::SetToBegin() {
    CurrentItem = nullptr;
    FBOF = true;
    if (FirstItem) FEOF = false;
}

void TMemData::SetToEnd() {
    CurrentItem = nullptr;
    FEOF = true;
    if (FirstItem) FBOF = false;
}

void TMemData::GetNextRecord(void* RecBuf) {
    if (GetEOF()) return;
    PItemHeader item;
    if (GetBOF()) {
        FBOF = false;
        item = FirstItem;
    } else {
        item = CurrentItem ? CurrentItem->Next : FirstItem;
    }
    if (!MappedNeighbour(CurrentItem, true, item))
        while (item && OmitRecord(item)) item = item->Next;
    CurrentItem = item;
    if (!item) {
        FEOF = true;
        return;
    }
    FBOF = FEOF = false;
    if (RecBuf) BlockMan->GetRecord(item, RecBuf);
}

void TMemData::GetPriorRecord(void* RecBuf) {
    if (GetBOF()) return;
    PItemHeader item;
    if (GetEOF()) {
        FEOF = false;
        item = LastItem;
    } else {
        item = CurrentItem ? CurrentItem->Prev : LastItem;
    }
    if (!MappedNeighbour(CurrentItem, false, item))
        while (item && OmitRecord(item)) item = item->Prev;
    CurrentItem = item;
    if (!item) {
        FBOF = true;
        return;
    }
    FBOF = FEOF = false;
    if (RecBuf) BlockMan->GetRecord(item, RecBuf);
}

bool TMemData::MappedNeighbour(PItemHeader From, bool Forward, PItemHeader& Item) const {
    // A map that misses a visible record (one whose verdict was not known when it was made)
    // cannot answer.
    const std::size_t count = FRecordNoCache.size();
    if (count == 0 || Integer(count) != FRecordCount) return false;
    if (!From) {
        Item = Forward ? FRecordNoCache.front() : FRecordNoCache.back();
        return true;
    }
    const Integer number = From->Order + FRecordNoOffset;
    if (From->Order == 0 || number < 1 || number > Integer(count) ||
        FRecordNoCache[std::size_t(number - 1)] != From)
        return false;
    if (Forward)
        Item = number < Integer(count) ? FRecordNoCache[std::size_t(number)] : nullptr;
    else
        Item = number > 1 ? FRecordNoCache[std::size_t(number - 2)] : nullptr;
    return true;
}

void TMemData::GetRecord(void* RecBuf) {
    if (GetEOF() || GetBOF() || !CurrentItem) return;
    if (OmitRecord(CurrentItem))
        GetNextRecord(RecBuf);
    else
        BlockMan->GetRecord(CurrentItem, RecBuf);
}

void TMemData::GetOldRecord(void* RecBuf) {
    if (GetEOF() || GetBOF() || !CurrentItem) return;
    if (OmitRecord(CurrentItem)) {
        GetNextRecord(RecBuf);
        return;
    }
    BlockMan->GetRecord(CurrentItem->Rollback ? CurrentItem->Rollback : CurrentItem, RecBuf);
}

// --- changes ---

void TMemData::PutRecord(void* RecBuf) {
    if (!CurrentItem) throw EAssertionFailed(L"No current record");
    BlockMan->PutRecord(CurrentItem, RecBuf);
    CurrentItem->FilterResult = fsNotChecked;
    FRecordNoCache.clear();
}

void TMemData::AddRecord(void* RecBuf) {
    // The record the new one goes in front of (none at the end) decides which way it moves.
    const PItemHeader following = (GetEOF() || !FirstItem)     ? nullptr
                                  : (GetBOF() || !CurrentItem) ? FirstItem
                                                               : CurrentItem;
    PItemHeader item;
    BlockMan->AllocItem(item);
    if (GetEOF() || !FirstItem) {
        item->Prev = LastItem;
        item->Next = nullptr;
        item->Order = LastItem ? LastItem->Order + 1 : 1;
        if (LastItem)
            LastItem->Next = item;
        else
            FirstItem = item;
        LastItem = item;
    } else {
        PItemHeader before = (GetBOF() || !CurrentItem) ? FirstItem : CurrentItem;
        item->Prev = before->Prev;
        item->Next = before;
        if (before->Prev)
            before->Prev->Next = item;
        else
            FirstItem = item;
        before->Prev = item;
    }
    ++FItemCount;
    FChain.clear();
    CurrentItem = item;
    FBOF = FEOF = false;
    PutRecord(RecBuf);
    for (int i = 0; i < FieldCount(); ++i) {
        TFieldDesc* field = FFields->Items(i);
        if (!IsBlobFieldType(field->DataType()) || field->HasParent()) continue;
        TBlob* blob;
        std::memcpy(&blob, static_cast<Byte*>(RecBuf) + field->Offset(), sizeof blob);
        if (blob) blob->Commit();
    }
    if (FIndexFields->Count() > 0)
        MoveSortedItem(item, following ? CompareRecords(RecBuf, ItemRecord(following)) : -1);
    // A record the filter hides changes no number (the sound reading of the insert rule).
    if (OmitRecord(item)) {
        item->Order = 0;
        return;
    }
    ++FRecordCount;
    ReorderItems(item, rmInsert);
}

void TMemData::InsertRecord(void* RecBuf) {
    if (!FCachedUpdates) NotifyAppend();
    AddRecord(RecBuf);
    if (!FCachedUpdates) return;
    const bool wasHidden = OmitRecord(CurrentItem);
    AddCacheItem(CurrentItem);
    CurrentItem->Status = isAppended;
    CurrentItem->UpdateResult = urNone;
    CurrentItem->FilterResult = fsNotChecked;
    if (OmitRecord(CurrentItem) != wasHidden) ReorderItems(nullptr, rmFull);
}

void TMemData::AppendRecord(void* RecBuf) {
    SetToEnd();
    InsertRecord(RecBuf);
}

void TMemData::UpdateRecord(void* RecBuf) {
    if (!CurrentItem) throw EAssertionFailed(L"No current record");
    PItemHeader item = CurrentItem;
    if (FCachedUpdates) {
        if (item->Status == isUnmodified) AddCacheItem(item);
        if (item->Status != isAppended || item->UpdateResult == urApplied) {
            item->Status = isUpdated;
            if (!item->Rollback) {
                PItemHeader rollback;
                BlockMan->AllocItem(rollback);
                rollback->Prev = rollback->Next = nullptr;
                BlockMan->CopyRecord(item, rollback);
                AddRefComplexFields(ItemRecord(rollback));
                item->Rollback = rollback;
            }
            for (int i = 0; i < FieldCount(); ++i) {
                TFieldDesc* field = FFields->Items(i);
                if (!IsBlobFieldType(field->DataType()) || field->HasParent()) continue;
                Byte* slot = static_cast<Byte*>(ItemRecord(item->Rollback)) + field->Offset();
                TBlob *kept, *stored;
                std::memcpy(&kept, slot, sizeof kept);
                std::memcpy(&stored, static_cast<Byte*>(ItemRecord(item)) + field->Offset(),
                            sizeof stored);
                if (!kept || kept != stored || !kept->CanRollback()) continue;
                // The rollback copy gets a blob of its own holding the values before the edit.
                auto* before = Construct<TBlob>(kept->IsUnicode());
                kept->SetUseRollback(true);
                before->Assign(kept);
                kept->SetUseRollback(false);
                kept->Commit();
                kept->Release();
                std::memcpy(slot, &before, sizeof before);
            }
        }
        item->UpdateResult = urNone;
    } else {
        NotifyUpdate();
    }
    const bool wasHidden = OmitRecord(CurrentItem);
    const Integer direction =
        FIndexFields->Count() > 0 ? CompareRecords(RecBuf, ItemRecord(CurrentItem)) : 0;
    PutRecord(RecBuf);
    MoveSortedItem(CurrentItem, direction);
    // A move or a change of visibility renumbers the whole list, so that later numbers stay right.
    if (direction != 0 || OmitRecord(CurrentItem) != wasHidden) ReorderItems(nullptr, rmFull);
}

void TMemData::UnlinkItem(PItemHeader Item) {
    if (Item->Prev)
        Item->Prev->Next = Item->Next;
    else
        FirstItem = Item->Next;
    if (Item->Next)
        Item->Next->Prev = Item->Prev;
    else
        LastItem = Item->Prev;
    --FItemCount;
    FChain.clear();
    if (CurrentItem == Item) CurrentItem = Item->Next ? Item->Next : Item->Prev;
    if (!FirstItem) {
        FBOF = FEOF = true;
        CurrentItem = nullptr;
    }
    FRecordNoCache.clear();
}

void TMemData::DiscardItem(PItemHeader Item) {
    if (HasComplexFields) FreeComplexFields(ItemRecord(Item), true);
    UnlinkItem(Item);
    BlockMan->RetireItem(Item);
}

void TMemData::RemoveRecord() {
    PItemHeader item = CurrentItem;
    if (!item) throw EAssertionFailed(L"No current record");
    if (FCachedUpdates) {
        const bool appended = item->Status == isAppended;
        RevertRecord();
        if (appended) {
            ReorderItems(CurrentItem, rmDelete);
            return;
        }
    }
    const bool wasVisible = !OmitRecord(item);
    DiscardItem(item);
    if (!wasVisible) return;
    --FRecordCount;
    ReorderItems(CurrentItem, rmDelete);
}

void TMemData::DeleteRecord() {
    if (CurrentItem && CurrentItem == LastItem) FetchMore(false);
    if (!FCachedUpdates) {
        NotifyDelete();
        RemoveRecord();
        return;
    }
    PItemHeader item = CurrentItem;
    if (!item) throw EAssertionFailed(L"No current record");
    const bool wasVisible = !OmitRecord(item);
    PItemHeader following = nullptr;
    const bool restored = item->Status == isUpdated;
    switch (item->Status) {
    case isUnmodified:
        AddCacheItem(item);
        item->Status = isDeleted;
        item->UpdateResult = urNone;
        break;
    case isUpdated:
        following = item->Next;
        RestoreItem(item);
        item->Status = isDeleted;
        item->UpdateResult = urNone;
        break;
    case isAppended: {
        TCacheItem* previous = nullptr;
        if (TCacheItem* entry = FindCacheItem(item, previous)) RemoveCacheItem(entry, previous);
        DiscardItem(item);
        break;
    }
    case isDeleted: return;
    }
    if (CurrentItem) CurrentItem->FilterResult = fsNotChecked;
    if (CurrentItem == item) item->FilterResult = fsNotChecked;
    // Restoring may have moved the record to another sort position: then all numbers are redone.
    if (restored)
        ReorderItems(nullptr, rmFull);
    else if (wasVisible) {
        --FRecordCount;
        ReorderItems(CurrentItem, rmDelete);
    }
    if (following) CurrentItem = following->Prev ? following->Prev : FirstItem;
}

// --- numbering ---

void TMemData::ReorderItems(PItemHeader Start, TReorderMode Mode) {
    FRecordNoCache.clear();
    Integer reference = 0;
    if (Mode == rmFull) {
        if (!FirstItem) {
            FRecordCount = 0;
            FRecordNoOffset = 0;
            return;
        }
        Start = FirstItem;
    } else {
        if (!Start) return;
        if (Start->Next)
            reference = Start->Next->Order;
        else if (Start->Prev)
            reference = Start->Prev->Order;
        else {
            Start->Order = OmitRecord(Start) ? 0 : 1;
            FRecordNoOffset = 0;
            return;
        }
    }
    if (Mode == rmFull || (FRecordCount + FRecordNoOffset) / 2 < reference) {
        PItemHeader before = Start->Prev;
        while (before && OmitRecord(before)) before = before->Prev;
        Integer number;
        if (before) {
            number = before->Order + 1;
        } else {
            number = 1;
            FRecordNoOffset = 0;
        }
        Integer visible = 0;
        for (PItemHeader item = Start; item; item = item->Next) {
            if (OmitRecord(item)) {
                item->Order = 0;
            } else {
                item->Order = number++;
                ++visible;
            }
        }
        if (Mode == rmFull) FRecordCount = visible;
        return;
    }
    PItemHeader after = Start->Next;
    while (after && OmitRecord(after)) after = after->Next;
    Integer number;
    if (after) {
        number = after->Order - 1;
        FRecordNoOffset += Mode == rmInsert ? 1 : -1;
    } else {
        number = FRecordCount;
        FRecordNoOffset = 0;
    }
    for (PItemHeader item = Start; item; item = item->Prev) {
        if (OmitRecord(item))
            item->Order = 0;
        else
            item->Order = number--;
    }
}

void TMemData::SetRecordNo(Integer Value) {
    if (!FirstItem || Value <= 0) return;
    if (!FRecordNoCache.empty() && Value <= Integer(FRecordNoCache.size())) {
        CurrentItem = FRecordNoCache[std::size_t(Value - 1)];
        FBOF = FEOF = false;
        return;
    }
    // Hidden items may keep a stale Order, so the walk's ends are visible items.
    PItemHeader last = LastItem;
    while (last && OmitRecord(last)) last = last->Prev;
    if (!last) return;
    // A hidden item's Order means nothing: the walk starts from the nearest visible one.
    PItemHeader current = CurrentItem ? CurrentItem : FirstItem;
    PItemHeader nearest = current;
    while (nearest && OmitRecord(nearest)) nearest = nearest->Next;
    if (!nearest)
        for (nearest = current; nearest && OmitRecord(nearest);) nearest = nearest->Prev;
    if (!nearest) return;
    current = nearest;
    auto distance = [&](PItemHeader item) {
        return std::abs(item->Order + FRecordNoOffset - Value);
    };
    const Integer dL = distance(last), dS = distance(current);
    PItemHeader item;
    bool forward;
    if (Value < dL && Value < dS) {
        item = FirstItem;
        forward = true;
    } else {
        item = dL < dS ? last : current;
        forward = item->Order + FRecordNoOffset < Value;
    }
    while (item) {
        if (!OmitRecord(item) && item->Order + FRecordNoOffset == Value) {
            CurrentItem = item;
            FBOF = FEOF = false;
            return;
        }
        if (forward && !item->Next) FetchMore(false);
        item = forward ? item->Next : item->Prev;
    }
}

void TMemData::PrepareRecNoCache() {
    if (!FRecordNoCache.empty()) return;
    FRecordNoCache.reserve(std::size_t(GetRecordCount()));
    for (PItemHeader item = FirstItem; item; item = item->Next)
        if (item->FilterResult == fsNotOmitted) FRecordNoCache.push_back(item);
}

void TMemData::UpdateCachedBuffer(PItemHeader FItem, PItemHeader LItem) {
    if (!OnGetCachedBuffer || CalcDataSize > 0) return;
    for (PItemHeader item = FItem ? FItem : FirstItem; item; item = item->Next) {
        OnGetCachedBuffer(ItemRecord(item), nullptr);
        if (item == (LItem ? LItem : LastItem)) break;
    }
}

// --- bookmarks ---

void TMemData::GetBookmark(TRecBookmark* Bookmark) {
    Bookmark->RefreshIteration = FRefreshIteration;
    Bookmark->Item = CurrentItem;
    Bookmark->Order = CurrentItem ? GetRecordNo() : -1;
}

bool TMemData::IsLiveBookmark(const TRecBookmark* Bookmark) const {
    // Only a bookmark of this load may be followed to its item; within a load a deleted record's
    // item is retired, not freed or reused, so its flag can be read and tells it is gone.
    return Bookmark->RefreshIteration == FRefreshIteration && Bookmark->Item &&
           Bookmark->Item->Flag == TBlockManager::ItemUsed;
}

void TMemData::SetToBookmark(TRecBookmark* Bookmark) {
    if (IsLiveBookmark(Bookmark)) {
        CurrentItem = Bookmark->Item;
        FBOF = FEOF = false;
        return;
    }
    TData::SetToBookmark(Bookmark);
}

bool TMemData::BookmarkValid(const TRecBookmark* Bookmark) {
    if (!Bookmark || (Bookmark->Order == -1 && !Bookmark->Item)) return false;
    if (Bookmark->RefreshIteration != FRefreshIteration || !Bookmark->Item) return true;
    if (!IsLiveBookmark(Bookmark)) return false; // its record was deleted
    return !IsFiltered() || !OmitRecord(Bookmark->Item);
}

Integer TMemData::CompareBookmarks(const TRecBookmark* Bookmark1, const TRecBookmark* Bookmark2) {
    if (Bookmark1 && Bookmark2 && Bookmark1->RefreshIteration == Bookmark2->RefreshIteration &&
        Bookmark1->Item == Bookmark2->Item)
        return 0;
    if (Bookmark1 && Bookmark2 && IsLiveBookmark(Bookmark1) && IsLiveBookmark(Bookmark2)) {
        const Integer a = Bookmark1->Item->Order, b = Bookmark2->Item->Order;
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    return TData::CompareBookmarks(Bookmark1, Bookmark2);
}
