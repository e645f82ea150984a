// The two allocators of the in-memory record storage:
//
//   TItemHeader, TBlockHeader  packed headers of a record item and of a block of items
//   TBlockManager              fixed-size items (header + record buffer), 10 to a block; a
//                              block goes back to the memory manager with its last item; an
//                              item may instead be retired: never handed out again, its block
//                              kept, until every block is freed at once
//   TStringHeap                by-reference text and byte values: buffers of up to 2000 bytes
//                              carved from 16 KB chunks and recycled by 8-byte size class,
//                              larger ones from the memory manager; every buffer carries a
//                              16-bit reference mark so that a record and its copies share it
//
// Workload: a record list holds every record and every rollback copy in an item, and each
// record's external strings in the heap, so both allocate far more often than they free
// individually; a whole storage is released by `Clear` and `FreeAllBlock`, not value by value.
//
// Layouts: the headers are packed; their 32-bit sizes (25 and 13 bytes) are what stored record
// lists assume and are checked in the 32-bit build. With 8-byte pointers they grow to 41 and 21.
// A heap buffer is [size: Int32][mark: UInt16][data...]; every buffer, large ones included,
// keeps its size header, so that disposing of one never has to guess its size.
#pragma once

#include "framework/SyncObjs.h"

#include <cstddef>

enum TItemStatus : Byte { isUnmodified, isUpdated, isAppended, isDeleted };
enum TUpdateRecAction : Byte { urFail, urAbort, urSkip, urRetry, urApplied, urNone, urSuspended };
enum TItemFilterState : Byte { fsNotChecked, fsNotOmitted, fsOmitted };

struct TBlockHeader;

#pragma pack(push, 1)
struct TItemHeader {
    TBlockHeader* Block;
    TItemHeader* Prev; // record chain when used, free list when free
    TItemHeader* Next;
    TItemHeader* Rollback;
    TItemStatus Status;
    TUpdateRecAction UpdateResult;
    Integer Order;
    Byte Flag; // ItemFree, ItemUsed or ItemRetired: guards against double frees and stray pointers
    TItemFilterState FilterResult;
    Byte AlignByte;
};

struct TBlockHeader {
    Word ItemCount;
    Word UsedItems;
    TBlockHeader* Prev;
    TBlockHeader* Next;
    Byte Test;
};
#pragma pack(pop)

using PItemHeader = TItemHeader*;
using PBlockHeader = TBlockHeader*;

#if defined(__i386__)
static_assert(sizeof(TItemHeader) == 25, "stored record lists rely on a 25-byte item header");
static_assert(sizeof(TBlockHeader) == 13, "stored record lists rely on a 13-byte block header");
#endif

class TBlockManager : public TObject {
public:
    static constexpr Byte ItemFree = 0xDD;
    static constexpr Byte ItemUsed = 0xEE;
    static constexpr Byte ItemRetired = 0xCC;

    TBlockManager() = default;
    ~TBlockManager() override { FreeAllBlock(); }

    // An item off the free list, initialised; Prev and Next are the caller's to link.
    void AllocItem(PItemHeader& Item);
    void FreeItem(PItemHeader Item);
    // Takes a used item out of use for good: it keeps its memory and its place in its block's
    // count, so that a pointer to it stays readable and tells it is gone, and it is never
    // handed out again; FreeAllBlock releases it.
    void RetireItem(PItemHeader Item);
    void AllocBlock(PBlockHeader& Block, Word ItemCount);
    void AddFreeBlock();
    void FreeBlock(PBlockHeader Block);
    void FreeAllBlock();
    void InitItem(PItemHeader Item);

    void PutRecord(PItemHeader Item, const void* Rec);
    void GetRecord(PItemHeader Item, void* Rec) const;
    static void* GetRecordPtr(PItemHeader Item) {
        return reinterpret_cast<Byte*>(Item) + sizeof(TItemHeader);
    }
    void CopyRecord(PItemHeader ItemSrc, PItemHeader ItemDest) const;

    // The item of a block at an index, in memory order.
    PItemHeader ItemOf(PBlockHeader Block, Integer Index) const;

    PItemHeader FirstFree = nullptr;
    PBlockHeader FirstBlock = nullptr;
    Integer RecordSize = 0;
    Word DefaultItemCount = 10;

private:
    void UnlinkFree(PItemHeader Item);
    void PushFree(PItemHeader Item);
};

class TStringHeap : public TObject {
public:
    static constexpr Integer SmallSize = 2000;  // larger buffers come from the memory manager
    static constexpr Integer SizeClasses = 250; // class c holds buffers of 8 * c bytes
    static constexpr Integer ChunkSize = 16384;
    static constexpr Integer ChunkRoom = ChunkSize - Integer(sizeof(void*));
    static constexpr Integer BufferHeader = 6; // Int32 size, UInt16 mark
    static constexpr Word MarkDisposed = 100;
    static constexpr Word MarkOneReference = 101;

    TStringHeap();
    ~TStringHeap() override;

    void Clear();
    // At least Size data bytes, one reference; nil when Size <= 0.
    void* NewBuf(Integer Size);
    // A heap copy of 8-bit text and a NUL; Len -1 is up to the NUL; Trim drops trailing blanks.
    void* AllocStr(const char* Str, bool Trim = false, Integer Len = -1);
    void* AllocWideStr(const wchar_t* Str, bool Trim = false, Integer Len = -1);
    void* ReAllocStr(void* Str, bool Trim = false);
    void* ReAllocWideStr(void* Str, bool Trim = false);
    void DisposeBuf(void* Buf);
    void AddRef(void* Buf);

    bool Empty() const { return FEmpty; }
    bool SysGetMem() const { return FSysGetMem; }
    bool ThreadSafety() const { return FThreadSafety; }
    void SetThreadSafety(bool Value);

    // The header fields of a buffer.
    static Integer BufSize(const void* Buf);
    static Word BufMark(const void* Buf);

private:
    struct TChunk;
    class TGuard;
    void* NewSmall(Integer sizeClass);
    void* Carve(Integer sizeClass);
    void NewChunk();
    void SalvageTail();
    void ClearUnlocked();

    // All fields below are guarded by FThreadSafetyCS while ThreadSafety is on.
    void* FSmallTab[SizeClasses + 1] = {}; // free-list heads by class; index 0 unused
    Integer FFree = ChunkRoom;             // bytes still free in the newest chunk
    TChunk* FRoot = nullptr;               // newest chunk
    bool FEmpty = true;
    bool FSysGetMem = false;
    bool FThreadSafety = false; // changed only while no other thread uses the heap
    TCriticalSection* FThreadSafetyCS = nullptr;
};
