// The in-memory record list (TMemData): every record lives in an item of a doubly linked chain
// allocated by a block manager. Navigation skips hidden (filtered) items; a record's number is
// its item's Order plus a list-wide offset, so an insert or delete renumbers only the shorter
// half of the chain; bookmarks hold the item itself and the contents' refresh iteration. The
// record-number map (the visible items in order) is made on demand, by sorting and by a filter
// change, and dropped by any change; while it holds, moving to a number or to the next or prior
// visible record needs no walk past hidden ones. A full numbering also keeps the chain's order
// while some records are hidden, so that the next one looks ahead instead of following links
// across memory one by one.
//
// A bookmark may outlive its record. The item of a record removed from the chain is therefore
// retired rather than freed: it stays allocated, marked, and is never reused until the list's
// contents are released (close or reload, which starts a new refresh iteration). So a bookmark
// of the current contents can always be checked by reading its item, and one to a deleted
// record is told apart from a live record; the price is that a deleted record's item (header
// and fixed-size record, not its strings or blobs) stays allocated until then.
//
// With index fields the chain is kept in their order: a stable merge sort orders it, and a
// changed record moves to its place by swaps with its neighbours.
//
// Cached updates keep one change-cache entry per changed record. While ApplyUpdates runs, an
// entry the apply handler removes (by reverting, cancelling or closing) is unlinked but freed
// only when the loop ends, so the loop never touches freed memory.
//
// Assumptions: one thread uses a list at a time; the refresh counter is shared by all lists
// and changed only from the thread that opens them.
#pragma once

#include "data/engine/MemDataSort.h"
#include "data/engine/MemDataStorage.h"

#include <vector>

class TCacheItem : public TObject {
    CLASS_INFO(TCacheItem, TObject)
public:
    PItemHeader Item = nullptr;
    TCacheItem* Next = nullptr;
    bool Removed = false; // unlinked during an apply loop, freed when it ends
};

// The generation counter of record-list contents; the MemData module's start-up sets it to 1.
extern Integer RefreshIterationCounter;

class TMemData : public TData {
    CLASS_INFO(TMemData, TData)
public:
    TMemData();
    ~TMemData() override;

    void InitFields() override;
    void ClearFields() override;
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

    TItemStatus GetUpdateStatus() override;
    TUpdateRecAction GetUpdateResult() override;
    void SetCacheRecBuf(void* NewBuf, void* OldBuf) override;
    void ApplyUpdates() override;
    void CommitUpdates() override;
    void CancelUpdates() override;
    void RestoreUpdates() override;
    void RevertRecord() override;

    // A descendant that fetches loads more records and appends them; the list has none.
    virtual bool FetchMore(bool FetchBack) {
        (void)FetchBack;
        return false;
    }

    virtual void InitSortColumn(TSortColumn* Column);
    virtual Integer CompareAnsiBuf(const char* S1, const char* S2, TCompareOptions Options);
    virtual Integer CompareAnsiStr(const AnsiString& S1, const AnsiString& S2,
                                   TCompareOptions Options);
    virtual Integer CompareWideStrN(const UnicodeString& S1, const UnicodeString& S2,
                                    TCompareOptions Options);
    virtual Integer CompareWideStr(const UnicodeString& S1, const UnicodeString& S2,
                                   TCompareOptions Options);
    virtual Integer CompareAnsiStrEx(const AnsiString& S1, const AnsiString& S2,
                                     TCompareOptions Options);
    virtual Integer CompareWideStrEx(const UnicodeString& S1, const UnicodeString& S2,
                                     TCompareOptions Options);
    virtual Integer CompareFieldValue(const void* ValuePtr, Integer ValueType,
                                      TFieldDesc* FieldDesc, void* RecBuf, TCompareOptions Options);
    virtual Integer CompareFields(void* RecBuf1, void* RecBuf2, TSortColumn* SortColumn);
    virtual Integer CompareFields(void* RecBuf1, void* RecBuf2, TFieldDesc* FieldDesc,
                                  TCompareOptions Options);
    virtual void SetIndexFieldNames(const UnicodeString& Value);
    virtual void SortItems();
    const UnicodeString& IndexFieldNames() const { return FIndexFieldNames; }
    TSortColumns* IndexFields() const { return FIndexFields; }
    // The sign of (Rec1 - Rec2) by the sort columns.
    Integer CompareRecords(void* RecBuf1, void* RecBuf2);

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
    bool GetUpdatesPending() override;
    bool GetEOF() override { return FEOF && !CurrentItem; }
    bool GetBOF() override { return FBOF && !CurrentItem; }
    Integer GetRecordCount() override { return FRecordCount; }
    Integer GetRecordNo() override {
        return CurrentItem ? CurrentItem->Order + FRecordNoOffset : 0;
    }
    void SetRecordNo(Integer Value) override;

    enum TReorderMode { rmInsert, rmDelete, rmFull };
    void ReorderItems(PItemHeader Start, TReorderMode Mode);
    void UnlinkItem(PItemHeader Item);
    // Numbers every record from the first (the verdicts forgotten first when asked) and makes
    // the record-number map; Chain, when not empty, is every item in chain order.
    void NumberAll(std::vector<PItemHeader> Chain, bool ForgetVerdicts);
    // The visible record after (Forward) or before the given one, or the first or last one
    // when it is nil, by the record-number map; false when the map cannot tell.
    bool MappedNeighbour(PItemHeader From, bool Forward, PItemHeader& Item) const;
    // Frees a chain item's values, unlinks it and retires it.
    void DiscardItem(PItemHeader Item);
    // The bookmark is of the current contents and its record still exists.
    bool IsLiveBookmark(const TRecBookmark* Bookmark) const;
    void* ItemRecord(PItemHeader Item) const { return TBlockManager::GetRecordPtr(Item); }

    void AddCacheItem(PItemHeader Item);
    // Unlinks an entry; frees it now, or at the end of a running apply loop.
    void RemoveCacheItem(TCacheItem* Entry, TCacheItem* Previous);
    TCacheItem* FindCacheItem(PItemHeader Item, TCacheItem*& Previous) const;
    void FreeCache();
    void RestoreItem(PItemHeader Item);
    void RevertItem(PItemHeader Item);
    void FreeItemWithValues(PItemHeader Item);
    void ParseIndexFields();
    // Moves the item by swaps with its neighbours towards its sort position.
    void MoveSortedItem(PItemHeader Item, Integer Direction);
    void SwapWithNext(PItemHeader Item);
    Integer TextCompare(const void* ValuePtr, bool WideValue, TFieldDesc* FieldDesc, void* RecBuf,
                        TCompareOptions Options);

    TCacheItem* Cache = nullptr;
    TCacheItem* LastCacheItem = nullptr;
    bool FApplying = false;
    std::vector<TCacheItem*> FRemovedWhileApplying;

    Integer FRefreshIteration = 0;
    UnicodeString FIndexFieldNames;
    TSortColumns* FIndexFields;
    std::vector<PItemHeader> FRecordNoCache;
    // Every item in chain order, kept from the last full numbering while the map leaves hidden
    // records out; dropped by any change of the chain.
    std::vector<PItemHeader> FChain;
    Integer FItemCount = 0; // items in the chain, hidden ones included
    PItemHeader FirstItem = nullptr;
    PItemHeader LastItem = nullptr;
    PItemHeader CurrentItem = nullptr;
    TBlockManager* BlockMan;
};
