// The in-memory record list (TMemData): every record lives in an item of a doubly linked chain
// allocated by a block manager. Navigation skips hidden (filtered) items; a record's number is
// its item's Order plus a list-wide offset, so an insert or delete renumbers only the shorter
// half of the chain; bookmarks hold the item itself and the contents' refresh iteration.
//
// Not built yet: index fields and sorting, and cached updates (turning CachedUpdates on is
// refused with "Cached updates are not supported by the record list").
//
// Assumptions: one thread uses a list at a time; the refresh counter is shared by all lists
// and changed only from the thread that opens them.
#pragma once

#include "data/engine/MemDataStorage.h"

#include <vector>

// The generation counter of record-list contents; the MemData module's start-up sets it to 1.
extern Integer RefreshIterationCounter;

class TMemData : public TData {
    CLASS_INFO(TMemData, TData)
public:
    TMemData();
    ~TMemData() override;

    void InitFields() override;
    void Reopen() override;

    void GetRecord(void* RecBuf) override;
    void GetNextRecord(void* RecBuf) override;
    void GetPriorRecord(void* RecBuf) override;
    void PutRecord(void* RecBuf) override;
    void AppendRecord(void* RecBuf) override;
    void InsertRecord(void* RecBuf) override;
    void UpdateRecord(void* RecBuf) override;
    void DeleteRecord() override;
    void GetOldRecord(void* RecBuf) override;

    void SetToBegin() override;
    void SetToEnd() override;
    void GetBookmark(TRecBookmark* Bookmark) override;
    void SetToBookmark(TRecBookmark* Bookmark) override;
    bool BookmarkValid(const TRecBookmark* Bookmark) override;
    Integer CompareBookmarks(const TRecBookmark* Bookmark1, const TRecBookmark* Bookmark2) override;

    void SetFilterItemTypes(TItemTypes Value) override;
    void FilterUpdated() override;
    void SetCachedUpdates(bool Value) override;

    // A descendant that fetches loads more records and appends them; the list has none.
    virtual bool FetchMore(bool FetchBack) { (void)FetchBack; return false; }

    bool OmitRecord(PItemHeader Item);
    void AddRecord(void* RecBuf);
    void RemoveRecord();
    void UpdateCachedBuffer(PItemHeader FItem, PItemHeader LItem);
    void PrepareRecNoCache();
    void ClearItemsOmittedStatus();
    Integer RefreshIteration() const { return FRefreshIteration; }

protected:
    void InitData() override;
    void FreeData() override;
    bool GetEOF() override { return FEOF && !CurrentItem; }
    bool GetBOF() override { return FBOF && !CurrentItem; }
    Integer GetRecordCount() override { return FRecordCount; }
    Integer GetRecordNo() override { return CurrentItem ? CurrentItem->Order + FRecordNoOffset : 0; }
    void SetRecordNo(Integer Value) override;

    enum TReorderMode { rmInsert, rmDelete, rmFull };
    void ReorderItems(PItemHeader Start, TReorderMode Mode);
    void UnlinkItem(PItemHeader Item);
    void* ItemRecord(PItemHeader Item) const { return TBlockManager::GetRecordPtr(Item); }

    Integer FRefreshIteration = 0;
    std::vector<PItemHeader> FRecordNoCache;
    PItemHeader FirstItem = nullptr;
    PItemHeader LastItem = nullptr;
    PItemHeader CurrentItem = nullptr;
    TBlockManager* BlockMan;
};
