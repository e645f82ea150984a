// Reading the tree's stream. Streams come from files and from other programs (the clipboard),
// so nothing in them is trusted: every chunk's size must be non-negative and fit inside the
// chunk that encloses it, node chunks nest at most MaxStreamDepth deep (they are read
// recursively), a node record's check state and type must be known values, and only the
// persistent node states are taken over; the derived ones are recomputed.
//
// Counters: a node being read is linked under its parent as an empty node, and its children
// are appended (and counted in ChildCount) one by one as they are read, so the links and the
// child counts always agree. The totals, heights and visible count of the loaded subtree are
// brought up to date when the node chunk ends, also when reading failed; a node that failed is
// then deleted again, so a failure leaves a consistent tree holding the nodes read before it.
//
// LoadFromStream and AddFromStream check the stream's header and walk its chunk structure
// before they change the tree: a stream that is malformed in its structure leaves the old
// content in place.
#include "vtree/VTInternal.h"
#include "vtree/VTStreamFormat.h"

#include <algorithm>
#include <limits>

using namespace vtree_stream;
using vtree_errors::RaiseError;

namespace {

[[noreturn]] void RaiseCorrupt(const wchar_t* Reason) {
    throw EVirtualTreeError(UnicodeString(L"Stream data corrupt. ") + Reason,
                            vtree_errors::DataAfterEnd);
}

// A chunk header must fit before Limit, the end of the enclosing chunk (or of the stream).
TChunkHeader ReadChunkHeader(TStream* Stream, Int64 Limit) {
    if (Limit - Stream->Position() < static_cast<Int64>(sizeof(TChunkHeader)))
        RaiseCorrupt(L"A chunk header is cut short.");
    TChunkHeader header;
    Stream->ReadBuffer(&header, sizeof(header));
    return header;
}

// The end of a chunk whose body starts at the stream's position; it must lie within Limit.
Int64 ChunkEnd(TStream* Stream, Integer ChunkSize, Int64 Limit) {
    const Int64 end = Stream->Position() + ChunkSize;
    if (ChunkSize < 0 || end > Limit) RaiseCorrupt(L"A chunk's size does not fit its node.");
    return end;
}

// Reads and checks the 12-byte header; answers the version. Short reads raise the stream's
// own error unless Strict, which reports them as the tree's "not enough data".
Integer ReadStreamHeader(TStream* Stream, bool Strict) {
    Word units[6];
    if (Strict) {
        if (Stream->Size() - Stream->Position() < HeaderSize)
            RaiseError(vtree_errors::StreamTooShort);
    }
    Stream->ReadBuffer(units, sizeof(units));
    for (int unit : {0, 1, 2, 5})
        if (units[unit] != Signature[unit]) RaiseError(vtree_errors::StreamFormat);
    if (units[VersionUnit] > TBaseVirtualTree::StreamVersion)
        RaiseError(vtree_errors::StreamVersion);
    return units[VersionUnit];
}

// The number of top-level node chunks: stored from version 2 on, else until the stream ends.
Cardinal ReadNodeCount(TStream* Stream, Integer Version) {
    Cardinal count = std::numeric_limits<Cardinal>::max();
    if (Version >= 2) Stream->ReadBuffer(&count, sizeof(count));
    return count;
}

TVirtualNodeStates StoredStates(Integer Version, Word Stored) {
    if (Version >= 2) return TVirtualNodeStates::FromBits(Stored) * PersistentStates;
    // The older state byte: bit 0x80 also stood for "selected"; without it a node was visible.
    const Word states = (Stored & 0x80) ? (Stored | 0x100) : (Stored | 0x80);
    return TVirtualNodeStates::FromBits(states) * PersistentStates;
}

TBaseChunkBody ReadBaseBody(TStream* Stream, Integer Version, Integer ChunkSize) {
    TBaseChunkBody body{};
    if (Version >= 2) {
        if (ChunkSize < static_cast<Integer>(sizeof(TBaseChunkBody)))
            RaiseCorrupt(L"A node record is too short.");
        Stream->ReadBuffer(&body, sizeof(body));
    } else {
        TBaseChunkBodyV1 old;
        if (ChunkSize < static_cast<Integer>(sizeof(old)))
            RaiseCorrupt(L"A node record is too short.");
        Stream->ReadBuffer(&old, sizeof(old));
        body = {old.ChildCount, old.NodeHeight, old.States, old.Align,
                old.CheckState, old.CheckType,  {}};
    }
    if (body.CheckState > csMixedPressed || body.CheckType > ctButton)
        RaiseCorrupt(L"A node's check state or check type is unknown.");
    return body;
}

// Raises the nesting depth for the duration of one node chunk.
class TDepthGuard {
public:
    TDepthGuard(Cardinal& Depth, Cardinal Limit) : FDepth(Depth) {
        if (FDepth >= Limit) RaiseCorrupt(L"Nodes are nested too deeply.");
        ++FDepth;
    }
    ~TDepthGuard() { --FDepth; }
    TDepthGuard(const TDepthGuard&) = delete;
    TDepthGuard& operator=(const TDepthGuard&) = delete;

private:
    Cardinal& FDepth;
};

// ---- structure check --------------------------------------------------------------------------

// Walks node chunks as the reader would, without building nodes, so that LoadFromStream can
// refuse a malformed stream before it clears the tree. User data and captions are not looked
// at: their handlers may still fail while loading.
class TStructureCheck {
public:
    TStructureCheck(TStream* Stream, Integer Version, Cardinal Limit)
        : FStream(Stream), FVersion(Version), FLimit(Limit) {}

    void CheckNodes(Cardinal Count) {
        const Int64 size = FStream->Size();
        while (Count > 0 && FStream->Position() < size) {
            --Count;
            CheckNode(size);
        }
    }

private:
    void CheckNode(Int64 Limit) {
        TDepthGuard guard(FDepth, FLimit);
        const TChunkHeader header = ReadChunkHeader(FStream, Limit);
        if (header.ChunkType != NodeChunk) RaiseError(vtree_errors::AnchorMissing);
        const Int64 end = ChunkEnd(FStream, header.ChunkSize, Limit);
        while (FStream->Position() < end) {
            const TChunkHeader chunk = ReadChunkHeader(FStream, end);
            const Int64 chunkEnd = ChunkEnd(FStream, chunk.ChunkSize, end);
            if (chunk.ChunkType == BaseChunk) CheckBase(chunk.ChunkSize, chunkEnd);
            FStream->SetPosition(chunkEnd);
        }
        if (FStream->Position() != end) RaiseError(vtree_errors::DataAfterEnd);
    }

    void CheckBase(Integer ChunkSize, Int64 End) {
        const TBaseChunkBody body = ReadBaseBody(FStream, FVersion, ChunkSize);
        for (Cardinal i = 0; i < body.ChildCount; ++i) {
            if (FStream->Position() >= End) RaiseCorrupt(L"A node's children are missing.");
            CheckNode(End);
        }
    }

    TStream* FStream;
    Integer FVersion;
    Cardinal FLimit;
    Cardinal FDepth = 0;
};

} // namespace

// ---- loading ---------------------------------------------------------------------------------

void TBaseVirtualTree::DoLoadNode(PVirtualNode Node, TStream* Stream) {
    OnLoadNode(this, Node == FRoot ? nullptr : Node, Stream);
}

void TBaseVirtualTree::LoadFromStream(TStream* Stream) {
    if (HasMisc(toReadOnly)) return;
    const Integer version = ReadStreamHeader(Stream, true);
    const Cardinal count = ReadNodeCount(Stream, version);
    const Int64 first = Stream->Position();
    TStructureCheck(Stream, version, MaxStreamDepth).CheckNodes(count);
    Stream->SetPosition(first);
    Clear();
    ReadNodes(Stream, version, FRoot, count);
    DoNodeCopied(nullptr);
}

void TBaseVirtualTree::LoadFromFile(const UnicodeString& FileName) {
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

void TBaseVirtualTree::AddFromStream(TStream* Stream, PVirtualNode TargetNode) {
    if (HasMisc(toReadOnly)) return;
    vtree_errors::Assert(TargetNode != nullptr, vtree_messages::NodeNil);
    const Integer version = ReadStreamHeader(Stream, false);
    const Cardinal count = ReadNodeCount(Stream, version);
    const Int64 first = Stream->Position();
    TStructureCheck(Stream, version, MaxStreamDepth).CheckNodes(count);
    Stream->SetPosition(first);
    ReadNodes(Stream, version, TargetNode, count);
    DoNodeCopied(TargetNode == FRoot ? nullptr : TargetNode);
}

void TBaseVirtualTree::ReadNodes(TStream* Stream, Integer Version, PVirtualNode Parent,
                                 Cardinal Count) {
    CancelValidation();
    BeginUpdate();
    try {
        const Int64 size = Stream->Size();
        while (Count > 0 && Stream->Position() < size) {
            --Count;
            PVirtualNode node = AllocateNode();
            LinkNode(node, Parent, amAddChildLast);
            LoadNodeFromStream(Stream, Version, node);
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TBaseVirtualTree::LoadNodeFromStream(TStream* Stream, Integer Version, PVirtualNode Node) {
    vtree_errors::Assert(Node != FRoot, L"The root node cannot be loaded from stream.");
    const Cardinal oldHeight = Node->TotalHeight;
    const bool wasShown = Node->Parent->States.Contains(vsExpanded) && IsEffectivelyVisible(Node);
    const bool wasCounted = Counted(Node);
    try {
        ReadNodeRecord(Stream, Version, Node);
    } catch (...) {
        FinishLoadedNode(Node, oldHeight, wasShown, wasCounted, false);
        DeleteNode(Node, true);
        throw;
    }
    FinishLoadedNode(Node, oldHeight, wasShown, wasCounted, true);
}

void TBaseVirtualTree::ReadNodeRecord(TStream* Stream, Integer Version, PVirtualNode Node) {
    TDepthGuard guard(FStreamDepth, MaxStreamDepth);
    const TChunkHeader header = ReadChunkHeader(Stream, Stream->Size());
    if (header.ChunkType != NodeChunk) RaiseError(vtree_errors::AnchorMissing);
    const Int64 end = ChunkEnd(Stream, header.ChunkSize, Stream->Size());
    while (Stream->Position() < end) {
        const TChunkHeader chunk = ReadChunkHeader(Stream, end);
        const Int64 chunkEnd = ChunkEnd(Stream, chunk.ChunkSize, end);
        ReadChunk(Stream, Version, Node, chunk.ChunkType, chunk.ChunkSize);
        if (Stream->Position() > chunkEnd) RaiseError(vtree_errors::DataAfterEnd);
        Stream->SetPosition(chunkEnd);
    }
    if (Stream->Position() != end) RaiseError(vtree_errors::DataAfterEnd);
}

bool TBaseVirtualTree::ReadChunk(TStream* Stream, Integer Version, PVirtualNode Node,
                                 Integer ChunkType, Integer ChunkSize) {
    const Int64 start = Stream->Position();
    if (ChunkSize < 0 || ChunkSize > Stream->Size() - start)
        RaiseCorrupt(L"A chunk's size does not fit its node.");
    switch (ChunkType) {
    case BaseChunk: ReadBaseChunk(Stream, Version, Node, start + ChunkSize, ChunkSize); return true;
    case UserChunk: return ReadUserChunk(Stream, Node, ChunkSize);
    default: Stream->SetPosition(start + ChunkSize); return false;
    }
}

void TBaseVirtualTree::ReadBaseChunk(TStream* Stream, Integer Version, PVirtualNode Node, Int64 End,
                                     Integer ChunkSize) {
    // A second record in one node chunk would relink children the first one brought.
    if (Node->FirstChild) RaiseCorrupt(L"A node has more than one record.");
    const TBaseChunkBody body = ReadBaseBody(Stream, Version, ChunkSize);
    Node->States = StoredStates(Version, body.States);
    Node->NodeHeight = static_cast<Word>(std::clamp<Cardinal>(body.NodeHeight, 1, 0xFFFF));
    Node->TotalHeight = Node->NodeHeight;
    Node->Align = body.Align;
    Node->CheckState = static_cast<TCheckState>(body.CheckState);
    Node->CheckType = static_cast<TCheckType>(body.CheckType);
    for (Cardinal i = 0; i < body.ChildCount; ++i) {
        if (Stream->Position() >= End) RaiseCorrupt(L"A node's children are missing.");
        PVirtualNode child = AllocateNode();
        child->Parent = Node;
        child->PrevSibling = Node->LastChild;
        child->Index = Node->LastChild ? Node->LastChild->Index + 1 : 0;
        if (Node->LastChild)
            Node->LastChild->NextSibling = child;
        else
            Node->FirstChild = child;
        Node->LastChild = child;
        ++Node->ChildCount;
        ReadNodeRecord(Stream, Version, child);
    }
    if (Node->FirstChild) Node->States.Include(vsHasChildren);
}

// The owner's handler reads from a copy of the chunk: it cannot read past it, and the stream
// continues behind the chunk however much it read.
bool TBaseVirtualTree::ReadUserChunk(TStream* Stream, PVirtualNode Node, Integer ChunkSize) {
    if (ChunkSize < 1) return false;
    TMemoryStream chunk;
    chunk.CopyFrom(Stream, ChunkSize);
    chunk.SetPosition(0);
    DoLoadNode(Node, &chunk);
    return chunk.Position() > 0;
}

// ---- counters after loading -------------------------------------------------------------------

namespace {

// Recomputes the totals of a loaded subtree bottom-up; answers the subtree's node count.
template <class TShown> Cardinal RecountLoaded(PVirtualNode Node, const TShown& Shown) {
    Cardinal total = 1;
    Cardinal height = Node->NodeHeight;
    const bool open = Node->States.Contains(vsExpanded);
    for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling) {
        total += RecountLoaded(child, Shown);
        if (open && Shown(child)) height += child->TotalHeight;
    }
    Node->TotalCount = total;
    Node->TotalHeight = height;
    return total;
}

} // namespace

void TBaseVirtualTree::FinishLoadedNode(PVirtualNode Node, Cardinal OldHeight, bool WasShown,
                                        bool WasCounted, bool Loaded) {
    PVirtualNode parent = Node->Parent;
    const Cardinal total =
        RecountLoaded(Node, [this](PVirtualNode N) { return IsEffectivelyVisible(N); });
    PropagateTotalCount(parent, static_cast<Integer>(total) - 1, true);
    const bool shown = parent->States.Contains(vsExpanded) && IsEffectivelyVisible(Node);
    const Integer before = WasShown ? static_cast<Integer>(OldHeight) : 0;
    const Integer after = shown ? static_cast<Integer>(Node->TotalHeight) : 0;
    PropagateTotalHeight(parent, after - before, true);
    if (WasCounted) FVisibleCount -= 1;
    if (Counted(Node)) FVisibleCount += 1 + CountVisibleDescendants(Node);
    TNodeArray selected;
    CollectLoaded(Node, selected);
    if (parent != FRoot) UpdateAllChildrenHiddenFlag(parent);
    if (!Loaded || !HasSelection(toMultiSelect)) return;
    // As stored: the saved tree obeyed the selection rules (and may hold selected nodes that
    // were disabled later).
    AddToSelection(selected, static_cast<Cardinal>(selected.size()), true);
}

// Recomputes the derived flags of a loaded subtree and takes the stored selection marks off,
// collecting the marked nodes (the selection is then made through the selection's own rules).
void TBaseVirtualTree::CollectLoaded(PVirtualNode Node, TNodeArray& Selected) {
    if (Node->States.Contains(vsSelected)) {
        Node->States.Exclude(vsSelected);
        Selected.push_back(Node);
    }
    for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling)
        CollectLoaded(child, Selected);
    UpdateAllChildrenHiddenFlag(Node);
}
