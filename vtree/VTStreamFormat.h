// The layout of the tree's stream, shared by its writer and its reader: the 12-byte stream
// header, the 8-byte chunk header and the node record of the base chunk. All integers are
// little-endian, which is what both targets store natively.
#pragma once

#include "vtree/VTTypes.h"

namespace vtree_stream {

constexpr Integer NodeChunk = 1;
constexpr Integer BaseChunk = 2;
constexpr Integer UserChunk = 4;

// Units 0, 1, 2 and 5 are the signature; unit 3 the version; unit 4 is not checked.
constexpr Word Signature[6] = {0x2045, 0x0056, 0x0054, 0, 0x0020, 0x2046};
constexpr int VersionUnit = 3;
constexpr NativeInt HeaderSize = 12;

struct TChunkHeader {
    Integer ChunkType;
    Integer ChunkSize;
};
static_assert(sizeof(TChunkHeader) == 8);

#pragma pack(push, 1)
struct TBaseChunkBody {
    Cardinal ChildCount;
    Cardinal NodeHeight;
    Word States;
    Byte Align;
    Byte CheckState;
    Byte CheckType;
    Byte Reserved[4];
};
// The older layout (version 1): one byte of an older state set.
struct TBaseChunkBodyV1 {
    Cardinal ChildCount;
    Cardinal NodeHeight;
    Byte States;
    Byte Align;
    Byte CheckState;
    Byte CheckType;
};
#pragma pack(pop)
static_assert(sizeof(TBaseChunkBody) == 17);
static_assert(sizeof(TBaseChunkBodyV1) == 12);

// The node states a stream carries. Transient states (checking, cut or copy, deleting,
// clearing, toggling, a measured height, initial user data) and the derived "all children
// hidden" are neither written nor accepted: a node loaded in such a state could never leave it.
constexpr TVirtualNodeStates PersistentStates{vsInitialized, vsDisabled, vsExpanded,  vsHasChildren,
                                              vsVisible,     vsSelected, vsMultiline, vsHidden};

} // namespace vtree_stream
