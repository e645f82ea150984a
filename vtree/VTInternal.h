// Shared by the tree's implementation files only: the node block header, the node pool and the
// assertion messages that several operations raise.
#pragma once

#include "vtree/VTBaseTree.h"

#include <cstddef>
#include <map>
#include <vector>

namespace vtree_detail {

// Sits in front of every node record. Owner is set for the hidden root only; Generation is 0
// once the block was freed and a fresh number each time it is handed out.
struct TBlockHeader {
    TBaseVirtualTree* Owner;
    Cardinal Generation;
};
constexpr std::size_t HeaderSize =
    (sizeof(TBlockHeader) + alignof(TVirtualNode) - 1) / alignof(TVirtualNode) *
    alignof(TVirtualNode);

inline TBlockHeader* HeaderOf(PVirtualNode Node) noexcept {
    return reinterpret_cast<TBlockHeader*>(reinterpret_cast<Byte*>(Node) - HeaderSize);
}

// Zero-filled node blocks of one size at a time, carved from slabs. Freed blocks go to a free
// list and their memory stays mapped until the pool dies, which is what makes the generation
// test of a stale reference safe.
class TNodePool {
public:
    TNodePool() = default;
    TNodePool(const TNodePool&) = delete;
    TNodePool& operator=(const TNodePool&) = delete;
    ~TNodePool();

    // Size counts the record and its data areas; the header comes on top.
    PVirtualNode Allocate(std::size_t Size);
    void Release(PVirtualNode Node, std::size_t Size) noexcept;

private:
    struct TSizeClass {
        std::vector<Byte*> Free;
        Byte* Cursor = nullptr;
        Byte* End = nullptr;
    };
    Byte* Carve(TSizeClass& Class, std::size_t BlockSize);

    std::map<std::size_t, TSizeClass> FClasses;
    std::vector<Byte*> FSlabs;
    Cardinal FGeneration = 0;
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
