// Writing the tree's stream: the header, a count of top-level node chunks, and one node chunk
// per node, which encloses its base chunk (the node record followed by the children's node
// chunks), its user chunk and whatever a descendant tree class adds. Chunk sizes are written as
// placeholders and patched once the chunk is complete, so the stream must be seekable (every
// TStream is). The writer trusts the tree it writes; the reader (VTStreamRead.cpp) trusts
// nothing.
#include "vtree/VTBaseTree.h"
#include "vtree/VTStreamFormat.h"

#include <algorithm>
#include <iterator>
#include <limits>

using namespace vtree_stream;

namespace {

void WriteChunkHeader(TStream* Stream, Integer ChunkType, Integer ChunkSize) {
    const TChunkHeader header{ChunkType, ChunkSize};
    Stream->WriteBuffer(&header, sizeof(header));
}

// The chunk that starts at StartPos ends at EndPos: its size field gets the bytes after its
// header, and the stream is left at EndPos.
void PatchChunkSize(TStream* Stream, Int64 StartPos, Int64 EndPos) {
    const Int64 size = EndPos - StartPos - static_cast<Int64>(sizeof(TChunkHeader));
    if (size > std::numeric_limits<Integer>::max())
        throw EVirtualTreeError(L"A node's subtree is too large for the tree stream.");
    Stream->SetPosition(StartPos + 4);
    const Integer value = static_cast<Integer>(size);
    Stream->WriteBuffer(&value, sizeof(value));
    Stream->SetPosition(EndPos);
}

void WriteStreamHeader(TStream* Stream) {
    Word units[6];
    std::copy(std::begin(Signature), std::end(Signature), units);
    units[VersionUnit] = TBaseVirtualTree::StreamVersion;
    Stream->WriteBuffer(units, sizeof(units));
}

} // namespace

void TBaseVirtualTree::DoSaveNode(PVirtualNode Node, TStream* Stream) {
    OnSaveNode(this, Node == FRoot ? nullptr : Node, Stream);
}

void TBaseVirtualTree::SaveToStream(TStream* Stream, PVirtualNode Node) {
    WriteStreamHeader(Stream);
    // The count is patched after the nodes: initialising them on the way may change it.
    const Int64 countPos = Stream->Position();
    Cardinal count = 0;
    Stream->WriteBuffer(&count, sizeof(count));
    if (Node && Node != FRoot) {
        WriteNode(Stream, Node);
        count = 1;
    } else {
        for (PVirtualNode run = FRoot->FirstChild; run; run = run->NextSibling, ++count)
            WriteNode(Stream, run);
    }
    const Int64 endPos = Stream->Position();
    Stream->SetPosition(countPos);
    Stream->WriteBuffer(&count, sizeof(count));
    Stream->SetPosition(endPos);
}

void TBaseVirtualTree::SaveToFile(const UnicodeString& FileName) {
    TFileStream file(FileName, fmCreate);
    SaveToStream(&file);
}

void TBaseVirtualTree::WriteNode(TStream* Stream, PVirtualNode Node) {
    if (HasMisc(toInitOnSave)) {
        if (!Node->States.Contains(vsInitialized)) InitNode(Node);
        if (Node->States.Contains(vsHasChildren) && !Node->FirstChild) InitChildren(Node);
    }
    const Int64 start = Stream->Position();
    WriteChunkHeader(Stream, NodeChunk, 0);
    WriteChunks(Stream, Node);
    PatchChunkSize(Stream, start, Stream->Position());
}

// Base chunk, then the user chunk. Only an initialised node's children are written, and its
// stored child count says how many follow: an uninitialised node is stored without children.
void TBaseVirtualTree::WriteChunks(TStream* Stream, PVirtualNode Node) {
    const bool withChildren = Node->States.Contains(vsInitialized);
    const Int64 basePos = Stream->Position();
    WriteChunkHeader(Stream, BaseChunk, 0);
    TBaseChunkBody body{};
    body.ChildCount = withChildren ? Node->ChildCount : 0;
    body.NodeHeight = Node->NodeHeight;
    body.States = (Node->States * PersistentStates).Bits();
    body.Align = Node->Align;
    body.CheckState = Node->CheckState;
    body.CheckType = Node->CheckType;
    Stream->WriteBuffer(&body, sizeof(body));
    if (withChildren)
        for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling)
            WriteNode(Stream, child);
    PatchChunkSize(Stream, basePos, Stream->Position());

    const Int64 userPos = Stream->Position();
    WriteChunkHeader(Stream, UserChunk, 0);
    DoSaveNode(Node, Stream);
    const Int64 userEnd = Stream->Position();
    if (userEnd != userPos + static_cast<Int64>(sizeof(TChunkHeader))) {
        PatchChunkSize(Stream, userPos, userEnd);
    } else if (Stream->Size() == userEnd) {
        // Nothing was written and nothing follows: the empty header goes again. Inside older
        // content it stays, an empty user chunk that readers pass over.
        Stream->SetPosition(userPos);
        Stream->SetSize(userPos);
    }
}
