// The document's slabs. A slab is one reservation of the system's, released in one call: under
// some systems a release costs far more than the memory it returns, so slabs are large. A block
// finds its slab through the header at the start of its unit (the allocation granularity, where
// any slab starts too); the first unit's header also holds the slab's count of live blocks.
// While the reader carves a slab, frees only count down (the count goes below zero, never to
// it); sealing adds what was carved, and whoever brings the count to zero then, the sealer or
// the last free, releases it. So carving takes no interlocked operation and a free takes one.
// A released slab is kept, still committed, for the next slab wanted, up to KeptSlabs of them:
// where every first touch of a page costs a fault, a document read again and again would
// otherwise fault in all of its memory each time.
#include "support/jsonobject/jsonobject.h"

#include <windows.h>

#include <cstdint>

namespace {

constexpr std::size_t UnitSize = 64 * 1024;

struct TUnitHeader {
    char* Slab;         // the slab the unit belongs to
    volatile LONG Live; // in the first unit only: blocks carved and not yet freed, less those
                        // carved since the slab was started until it is sealed
};
constexpr std::size_t HeaderSize = 16;
static_assert(sizeof(TUnitHeader) <= HeaderSize && HeaderSize % TJsonSlabs::Alignment == 0);
static_assert(TJsonSlabs::SlabSize % UnitSize == 0 &&
              TJsonSlabs::MaxBlock <= UnitSize - HeaderSize);

TUnitHeader* Header(char* at) noexcept { return reinterpret_cast<TUnitHeader*>(at); }

char* UnitOf(void* block) noexcept {
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    return reinterpret_cast<char*>(address & ~(std::uintptr_t{UnitSize} - 1));
}

constexpr std::size_t KeptSlabs = 64;

SRWLOCK KeptLock = SRWLOCK_INIT;
char* Kept[KeptSlabs]; // guarded by KeptLock
std::size_t KeptCount = 0;

void Release(char* slab) noexcept {
    AcquireSRWLockExclusive(&KeptLock);
    const bool kept = KeptCount < KeptSlabs;
    if (kept) Kept[KeptCount++] = slab;
    ReleaseSRWLockExclusive(&KeptLock);
    if (!kept) VirtualFree(slab, 0, MEM_RELEASE);
}

// A kept slab, or a new one; nil when the system has none.
void* NewSlab() noexcept {
    AcquireSRWLockExclusive(&KeptLock);
    char* slab = KeptCount ? Kept[--KeptCount] : nullptr;
    ReleaseSRWLockExclusive(&KeptLock);
    if (slab) return slab;
    return VirtualAlloc(nullptr, TJsonSlabs::SlabSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

} // namespace

void* TJsonSlabs::Allocate(std::size_t size) noexcept {
    size = (size + Alignment - 1) & ~(Alignment - 1);
    if (size > MaxBlock) return nullptr;
    if (static_cast<std::size_t>(FUnitEnd - FNext) < size) {
        if (FUnitEnd != FEnd)
            StartUnit(FUnitEnd);
        else if (!StartSlab())
            return nullptr;
    }
    void* block = FNext;
    FNext += size;
    ++FCarved;
    return block;
}

bool TJsonSlabs::StartSlab() noexcept {
    if (FHeapBlocks < HeapBlocks) {
        ++FHeapBlocks;
        return false;
    }
    Seal();
    void* slab = NewSlab();
    if (!slab) return false;
    if (UnitOf(slab) != slab) { // not where a block could find it: the heap it is
        VirtualFree(slab, 0, MEM_RELEASE);
        return false;
    }
    FSlab = static_cast<char*>(slab);
    FEnd = FSlab + SlabSize;
    Header(FSlab)->Live = 0;
    StartUnit(FSlab);
    return true;
}

// A unit's header is written when the first block is carved from it, so that the pages of a
// slab are touched only as far as it is used.
void TJsonSlabs::StartUnit(char* unit) noexcept {
    Header(unit)->Slab = FSlab;
    FNext = unit + HeaderSize;
    FUnitEnd = unit + UnitSize;
}

void TJsonSlabs::Free(void* block) noexcept {
    char* slab = Header(UnitOf(block))->Slab;
    if (InterlockedDecrement(&Header(slab)->Live) == 0) Release(slab);
}

void TJsonSlabs::Seal() noexcept {
    if (!FSlab) return;
    if (InterlockedExchangeAdd(&Header(FSlab)->Live, FCarved) + FCarved == 0) Release(FSlab);
    FSlab = FNext = FUnitEnd = FEnd = nullptr;
    FCarved = 0;
}
