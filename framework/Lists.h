// Pointer lists: `TList`, a growable list of untyped pointers that descendants specialise
// (typed accessors, owned items freed in `Notify` or `Clear`), and `TThreadList`, a `TList`
// behind a lock for lists that several threads share.
//
// Assumptions: lists are small to medium (up to some thousands of items) and mostly appended
// to, so a contiguous array with linear searches is enough. Indexes are 0-based `int`s; a bad
// index raises EListError "List index out of bounds (<index>)". A list frees nothing it holds:
// a descendant that owns its items frees them in its `Notify` override (lnDeleted) or its
// `Clear` override, and is freed with `Free` so that those overrides still run for the items
// left at the end.
#pragma once

#include "framework/Duplicates.h"
#include "framework/Objects.h"

#include <memory>
#include <vector>

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// Answers < 0 when Item1 sorts before Item2, 0 when they are equal, > 0 when after.
using TListSortCompare = int (*)(void* Item1, void* Item2);

class TList : public TObject {
    CLASS_INFO(TList, TObject)
public:
    // The largest count and capacity a list accepts.
    static constexpr int MaxListSize = 0x7FFFFFF;

    TList() = default;
    void BeforeDestruction() override;

    int Add(void* Item);
    // Index may be Count, which appends.
    void Insert(int Index, void* Item);
    void Delete(int Index);
    // Deletes the first occurrence; answers its former index, or -1 when absent.
    int Remove(void* Item);
    // Takes the first occurrence out without deleting it (lnExtracted); null when absent.
    void* Extract(void* Item);
    int IndexOf(void* Item) const;

    void* Items(int Index) const;
    void SetItems(int Index, void* Item);
    void* First() const;
    void* Last() const;

    int Count() const noexcept { return static_cast<int>(FList.size()); }
    // Growing appends nulls; shrinking deletes the items past the new end.
    void SetCount(int NewCount);
    int Capacity() const noexcept { return FCapacity; }
    void SetCapacity(int NewCapacity);

    virtual void Clear();
    void Exchange(int Index1, int Index2);
    // Moves an item so that it ends up at NewIndex; no notifications, it stays in the list.
    void Move(int CurIndex, int NewIndex);
    // Stable; when Compare raises, the list is left as it was.
    void Sort(TListSortCompare Compare);
    // Removes the null items.
    void Pack();

protected:
    // Told after an item entered the list and after it left it (never for null items).
    virtual void Notify(void* Ptr, TListNotification Action);

private:
    void CheckIndex(int Index, int Limit) const;
    void Grow();

    std::vector<void*> FList;
    int FCapacity = 0;
};

// A list shared between threads. Every operation takes the list's lock; `LockList` hands out
// the list itself and keeps the lock until `UnlockList`, for a caller that needs several steps
// (walking the list, a look-up followed by a change) to be seen as one. The lock is reentrant
// on one thread, so a thread that holds the list may still call Add or Remove.
class TThreadList : public TObject {
    CLASS_INFO(TThreadList, TObject)
public:
    TThreadList();
    ~TThreadList() override;

    // dupIgnore (the default) leaves the list unchanged when the item is already in it,
    // dupError raises EListError, dupAccept adds it again.
    void Add(void* Item);
    void Remove(void* Item);
    void Clear();

    TList* LockList();
    void UnlockList();

    TDuplicates Duplicates() const;
    void SetDuplicates(TDuplicates Value);

private:
    class TLock;
    class THold;

    std::unique_ptr<TLock> FLock;
    TList* FList;                        // guarded by FLock
    TDuplicates FDuplicates = dupIgnore; // guarded by FLock
};
