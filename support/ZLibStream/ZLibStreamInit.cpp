// Inflate initialisation for callers that drive a zlib record themselves (the PNG reader) and
// for the decompression stream. Null allocators are replaced by ones over the C++ heap, so all
// of zlib's memory comes from the same place as the rest of the program's.
#include "support/ZLibStream/ZLibStream.h"

#include <cstdlib>
#include <limits>

namespace {

voidpf AllocateFromHeap(voidpf, uInt items, uInt size) {
    // The product is checked: a wrapped size would hand zlib a block shorter than it asked for.
    if (size != 0 && items > std::numeric_limits<std::size_t>::max() / size) return Z_NULL;
    return std::malloc(static_cast<std::size_t>(items) * size);
}

void ReleaseToHeap(voidpf, voidpf address) { std::free(address); }

void SupplyAllocators(TZStreamRec& stream) {
    if (!stream.zalloc) stream.zalloc = AllocateFromHeap;
    if (!stream.zfree) stream.zfree = ReleaseToHeap;
}

} // namespace

Integer InitInflateStream(TZStreamRec& stream) noexcept {
    SupplyAllocators(stream);
    return inflateInit_(&stream, ZLibInterfaceVersion, static_cast<int>(sizeof(TZStreamRec)));
}

Integer InitInflateStream(TZStreamRec& stream, Integer windowBits) noexcept {
    SupplyAllocators(stream);
    return inflateInit2_(&stream, windowBits, ZLibInterfaceVersion,
                         static_cast<int>(sizeof(TZStreamRec)));
}
