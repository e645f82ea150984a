// The node pool: slabs of equally sized, zero-filled node blocks. A tree's blocks all have one
// size at a time (changing the data sizes empties the tree first), so one size class is busy;
// older classes keep their slabs until the pool dies so that stale references stay readable.
#include "vtree/VTInternal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace vtree_detail {

namespace {
constexpr std::size_t SlabBytes = 256 * 1024;
constexpr std::size_t MinBlocksPerSlab = 16;
} // namespace

TNodePool::~TNodePool() {
    for (Byte* slab : FSlabs) std::free(slab);
}

Byte* TNodePool::Carve(TSizeClass& Class, std::size_t BlockSize) {
    if (Class.Cursor == Class.End) {
        const std::size_t blocks = std::max(MinBlocksPerSlab, SlabBytes / BlockSize);
        auto* slab = static_cast<Byte*>(std::malloc(blocks * BlockSize));
        if (!slab) throw std::bad_alloc();
        FSlabs.push_back(slab);
        Class.Cursor = slab;
        Class.End = slab + blocks * BlockSize;
    }
    Byte* block = Class.Cursor;
    Class.Cursor += BlockSize;
    return block;
}

PVirtualNode TNodePool::Allocate(std::size_t Size) {
    const std::size_t blockSize =
        (HeaderSize + Size + alignof(TVirtualNode) - 1) / alignof(TVirtualNode) * alignof(TVirtualNode);
    TSizeClass& sizeClass = FClasses[blockSize];
    Byte* block;
    if (!sizeClass.Free.empty()) {
        block = sizeClass.Free.back();
        sizeClass.Free.pop_back();
    } else {
        block = Carve(sizeClass, blockSize);
    }
    std::memset(block, 0, blockSize);
    auto* header = reinterpret_cast<TBlockHeader*>(block);
    if (++FGeneration == 0) ++FGeneration;
    header->Generation = FGeneration;
    return reinterpret_cast<PVirtualNode>(block + HeaderSize);
}

void TNodePool::Release(PVirtualNode Node, std::size_t Size) noexcept {
    const std::size_t blockSize =
        (HeaderSize + Size + alignof(TVirtualNode) - 1) / alignof(TVirtualNode) * alignof(TVirtualNode);
    TBlockHeader* header = HeaderOf(Node);
    header->Generation = 0;
    try {
        FClasses[blockSize].Free.push_back(reinterpret_cast<Byte*>(header));
    } catch (...) {
        // Without room in the free list the block is simply not reused.
    }
}

} // namespace vtree_detail
