// The document's slabs. Each slab starts with its count of live blocks. While the reader carves
// it, frees only count down (the count goes below zero, never to it); sealing adds what was
// carved, and whoever brings the count to zero then, the sealer or the last free, releases it.
// So carving takes no interlocked operation and a free takes one.
#include "support/jsonobject/jsonobject.h"

#include <windows.h>

#include <cstdint>

namespace {

struct TSlabHeader {
    volatile LONG Live; // blocks carved and not yet freed, less those carved before sealing
};
constexpr std::size_t HeaderSize = 16;
static_assert(sizeof(TSlabHeader) <= HeaderSize && HeaderSize % TJsonSlabs::Alignment == 0);

TSlabHeader* SlabOf(void* block) noexcept {
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    return reinterpret_cast<TSlabHeader*>(address & ~(std::uintptr_t{TJsonSlabs::SlabSize} - 1));
}

void Release(TSlabHeader* slab) noexcept { VirtualFree(slab, 0, MEM_RELEASE); }

} // namespace

void* TJsonSlabs::Allocate(std::size_t size) noexcept {
    size = (size + Alignment - 1) & ~(Alignment - 1);
    if (size > MaxBlock) return nullptr;
    if (static_cast<std::size_t>(FEnd - FNext) < size) {
        if (FHeapBlocks < HeapBlocks) {
            ++FHeapBlocks;
            return nullptr;
        }
        Seal();
        void* slab = VirtualAlloc(nullptr, SlabSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (!slab) return nullptr;
        if (SlabOf(slab) != slab) { // not where a block could find it: the heap it is
            VirtualFree(slab, 0, MEM_RELEASE);
            return nullptr;
        }
        static_cast<TSlabHeader*>(slab)->Live = 0;
        FSlab = static_cast<char*>(slab);
        FNext = FSlab + HeaderSize;
        FEnd = FSlab + SlabSize;
    }
    void* block = FNext;
    FNext += size;
    ++FCarved;
    return block;
}

void TJsonSlabs::Free(void* block) noexcept {
    TSlabHeader* slab = SlabOf(block);
    if (InterlockedDecrement(&slab->Live) == 0) Release(slab);
}

void TJsonSlabs::Seal() noexcept {
    if (!FSlab) return;
    auto* slab = reinterpret_cast<TSlabHeader*>(FSlab);
    if (InterlockedExchangeAdd(&slab->Live, FCarved) + FCarved == 0) Release(slab);
    FSlab = FNext = FEnd = nullptr;
    FCarved = 0;
}
