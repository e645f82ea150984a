// Shared by the tree's implementation files only: the node block header, the node pool and the
// assertion messages that several operations raise.
#pragma once

#include "vtree/VTBaseTree.h"

#include <cstddef>
#include <map>
#include <vector>

namespace vtree_detail {

// Sits in front of the hidden root's record only: the root's block is allocated on its own and
// names its tree.
struct TBlockHeader {
    TBaseVirtualTree* Owner;
};
constexpr std::size_t HeaderSize = (sizeof(TBlockHeader) + alignof(TVirtualNode) - 1) /
                                   alignof(TVirtualNode) * alignof(TVirtualNode);

inline TBlockHeader* HeaderOf(PVirtualNode Root) noexcept {
    return reinterpret_cast<TBlockHeader*>(reinterpret_cast<Byte*>(Root) - HeaderSize);
}

// Asks for a node's record and the start of its data areas ahead of use (DataOffset bytes from
// the record). A hint only: harmless for nil and for any stale address.
inline void PrefetchNode(const TVirtualNode* Node, std::size_t DataOffset) noexcept {
    if (!Node) return;
    __builtin_prefetch(Node);
    __builtin_prefetch(reinterpret_cast<const Byte*>(Node) + DataOffset);
}

// Zero-filled node blocks carved from slabs. A block carries nothing but the node: its
// generation number (0 while free, a fresh number each time it is handed out) lives in a table
// at the front of its slab, so a stale pointer is judged by looking its slab up, never by
// reading the freed block. Single releases go to a free list for reuse; ReleaseAll gives every
// slab back at once when the tree is emptied, after which no earlier pointer is alive.
class TNodePool {
public:
    TNodePool() = default;
    TNodePool(const TNodePool&) = delete;
    TNodePool& operator=(const TNodePool&) = delete;
    ~TNodePool() { ReleaseAll(); }

    // Size counts the record and its data areas.
    PVirtualNode Allocate(std::size_t Size);
    void Release(PVirtualNode Node) noexcept;
    void ReleaseAll() noexcept;
    // The block's current generation; 0 for a free block or an address that is no block.
    Cardinal Generation(PVirtualNode Node) const noexcept;
    std::size_t LiveCount() const noexcept { return FLive; }

private:
    struct TSlab {
        Byte* Blocks; // 64-byte aligned, Count blocks of BlockSize bytes
        std::size_t BlockSize;
        std::size_t Count;
        Cardinal* Generations; // one per block, in front of the blocks
    };
    struct TSizeClass {
        std::vector<Byte*> Free;
        Byte* Cursor = nullptr;
        Byte* End = nullptr;
        std::size_t NextSlabBlocks = 0;
    };
    Byte* Carve(TSizeClass& Class, std::size_t BlockSize);
    const TSlab* SlabOf(const void* Address) const noexcept;
    Cardinal* GenerationSlot(PVirtualNode Node) const noexcept;

    std::map<std::size_t, TSizeClass> FClasses;
    std::vector<TSlab> FSlabs; // sorted by address
    Cardinal FGeneration = 0;
    std::size_t FLive = 0;
};

} // namespace vtree_detail

namespace vtree_messages {
constexpr const wchar_t* NodeNil = L"Node must not be nil.";
constexpr const wchar_t* NodeIsRoot = L"Node must not be the hidden root node.";
constexpr const wchar_t* InvalidParameter = L"Invalid parameter.";
constexpr const wchar_t* DeleteWhileIterating =
    L"Deleting nodes during tree iteration leads to invalid pointers.";
constexpr const wchar_t* NeitherNilNorRoot = L"Node must neither be nil nor the root node.";
constexpr const wchar_t* NodeNilBang = L"Node must not be nil!";
constexpr const wchar_t* EndNodeNil = L"EndNode must not be nil!";
} // namespace vtree_messages
