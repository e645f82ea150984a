// The node pool: slabs of equally sized, zero-filled node blocks with a generation table in
// front of each slab's blocks. A tree's blocks all have one size at a time (changing the data
// sizes empties the tree first); older size classes keep their slabs until the pool is emptied.
// Slabs grow geometrically so that a small tree stays small and a large one needs few slabs;
// their blocks start on a cache line, so that a node record is split over as few lines as its
// size allows.
#include "vtree/VTInternal.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace vtree_detail {

namespace {
constexpr std::size_t LineSize = 64;
constexpr std::size_t FirstSlabBlocks = 32;
constexpr std::size_t MaxSlabBytes = 8 * 1024 * 1024;

std::size_t RoundUp(std::size_t Value, std::size_t Granule) {
    return (Value + Granule - 1) / Granule * Granule;
}
} // namespace

Byte* TNodePool::Carve(TSizeClass& Class, std::size_t BlockSize) {
    if (Class.Cursor == Class.End) {
        const std::size_t count = std::max(Class.NextSlabBlocks, FirstSlabBlocks);
        Class.NextSlabBlocks = std::max(count, std::min(count * 2, MaxSlabBytes / BlockSize));
        const std::size_t tableBytes = RoundUp(count * sizeof(Cardinal), LineSize);
        auto* memory = static_cast<Byte*>(
            ::operator new (tableBytes + count * BlockSize, std::align_val_t{LineSize}));
        TSlab slab{memory + tableBytes, BlockSize, count, reinterpret_cast<Cardinal*>(memory)};
        std::memset(slab.Generations, 0, count * sizeof(Cardinal));
        auto place =
            std::upper_bound(FSlabs.begin(), FSlabs.end(), slab.Blocks,
                             [](Byte* address, const TSlab& s) { return address < s.Blocks; });
        try {
            FSlabs.insert(place, slab);
        } catch (...) {
            ::operator delete (memory, std::align_val_t{LineSize});
            throw;
        }
        Class.Cursor = slab.Blocks;
        Class.End = slab.Blocks + count * BlockSize;
    }
    Byte* block = Class.Cursor;
    Class.Cursor += BlockSize;
    return block;
}

const TNodePool::TSlab* TNodePool::SlabOf(const void* Address) const noexcept {
    const auto* address = static_cast<const Byte*>(Address);
    auto after = std::upper_bound(FSlabs.begin(), FSlabs.end(), address,
                                  [](const Byte* a, const TSlab& s) { return a < s.Blocks; });
    if (after == FSlabs.begin()) return nullptr;
    const TSlab& slab = *(after - 1);
    const std::size_t offset = static_cast<std::size_t>(address - slab.Blocks);
    if (offset >= slab.Count * slab.BlockSize || offset % slab.BlockSize != 0) return nullptr;
    return &slab;
}

Cardinal* TNodePool::GenerationSlot(PVirtualNode Node) const noexcept {
    const TSlab* slab = SlabOf(Node);
    if (!slab) return nullptr;
    return slab->Generations +
           static_cast<std::size_t>(reinterpret_cast<Byte*>(Node) - slab->Blocks) / slab->BlockSize;
}

PVirtualNode TNodePool::Allocate(std::size_t Size) {
    const std::size_t blockSize = RoundUp(Size, alignof(TVirtualNode));
    TSizeClass& sizeClass = FClasses[blockSize];
    Byte* block;
    if (!sizeClass.Free.empty()) {
        block = sizeClass.Free.back();
        sizeClass.Free.pop_back();
    } else {
        block = Carve(sizeClass, blockSize);
    }
    std::memset(block, 0, blockSize);
    auto* node = reinterpret_cast<PVirtualNode>(block);
    if (++FGeneration == 0) ++FGeneration;
    *GenerationSlot(node) = FGeneration;
    ++FLive;
    return node;
}

void TNodePool::Release(PVirtualNode Node) noexcept {
    const TSlab* slab = SlabOf(Node);
    if (!slab) return;
    slab->Generations[static_cast<std::size_t>(reinterpret_cast<Byte*>(Node) - slab->Blocks) /
                      slab->BlockSize] = 0;
    --FLive;
    try {
        FClasses[slab->BlockSize].Free.push_back(reinterpret_cast<Byte*>(Node));
    } catch (...) {
        // Without room in the free list the block is simply not reused.
    }
}

void TNodePool::ReleaseAll() noexcept {
    for (const TSlab& slab : FSlabs)
        ::operator delete (reinterpret_cast<Byte*>(slab.Generations), std::align_val_t{LineSize});
    FSlabs = std::vector<TSlab>();
    FClasses.clear();
    FLive = 0;
}

Cardinal TNodePool::Generation(PVirtualNode Node) const noexcept {
    const Cardinal* slot = GenerationSlot(Node);
    return slot ? *slot : 0;
}

} // namespace vtree_detail
