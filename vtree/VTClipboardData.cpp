// The tree's own clipboard format, "Virtual Tree Data": rendering the cut-copy set or the
// selection (descendants of listed nodes left out) as node records, and inserting such records
// into a tree (ProcessOLEData, used by paste and drop). Inside one process a cut or a drag from a
// live tree moves the nodes themselves instead.
//
// The data may come from any program. A global block starts with a byte count that is believed
// only as far as the block really reaches; the records are read by the tree's stream reader,
// which rejects malformed input and leaves no half-loaded node behind.
#include "vtree/VTWindow.h"

#include <algorithm>

namespace {

// Reads over memory it does not own; writing is refused.
class TOLEMemoryStream : public TCustomMemoryStream {
    CLASS_INFO(TOLEMemoryStream, TCustomMemoryStream)
public:
    TOLEMemoryStream(void* Memory, NativeInt Size) { SetPointer(Memory, Size); }
    NativeInt Write(const void*, NativeInt) override { RaiseReadOnly(); }
    void SetSize(Int64) override { RaiseReadOnly(); }

private:
    [[noreturn]] static void RaiseReadOnly() {
        throw EStreamError(L"Can't write to a read-only resource stream");
    }
};

// Reads an OLE stream from its current position.
class TOLEStreamReader : public TStream {
    CLASS_INFO(TOLEStreamReader, TStream)
public:
    explicit TOLEStreamReader(IStream* Stream) : FStream(Stream) {}
    NativeInt Read(void* Buffer, NativeInt Count) override {
        ULONG read = 0;
        if (FAILED(FStream->Read(Buffer, static_cast<ULONG>(Count), &read))) return 0;
        return static_cast<NativeInt>(read);
    }
    NativeInt Write(const void*, NativeInt) override {
        throw EStreamError(L"Can't write to a read-only resource stream");
    }
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override {
        LARGE_INTEGER move;
        move.QuadPart = Offset;
        ULARGE_INTEGER position{};
        const DWORD origin = Origin == soBeginning ? STREAM_SEEK_SET
                             : Origin == soCurrent ? STREAM_SEEK_CUR
                                                   : STREAM_SEEK_END;
        if (FAILED(FStream->Seek(move, origin, &position)))
            throw EStreamError(L"Stream seek failed");
        return static_cast<Int64>(position.QuadPart);
    }
    void SetSize(Int64) override {
        throw EStreamError(L"Can't write to a read-only resource stream");
    }

private:
    IStream* FStream;
};

// The nodes of a transfer, parents before children, descendants of listed nodes left out.
TNodeArray WithoutDescendants(TBaseVirtualTree& Tree, TNodeArray Nodes) {
    TNodeArray result;
    for (PVirtualNode node : Nodes) {
        const bool covered = std::any_of(result.begin(), result.end(), [&](PVirtualNode kept) {
            return Tree.HasAsParent(node, kept);
        });
        if (!covered) result.push_back(node);
    }
    return result;
}

HRESULT GlobalBlockMedium(TMemoryStream& Data, STGMEDIUM& Medium) {
    const NativeInt size = static_cast<NativeInt>(Data.Size());
    if (size == 0) return E_FAIL;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT,
                                static_cast<SIZE_T>(size) + sizeof(DWORD));
    if (!block) return E_OUTOFMEMORY;
    auto* bytes = static_cast<Byte*>(GlobalLock(block));
    const DWORD count = static_cast<DWORD>(size);
    std::copy_n(reinterpret_cast<const Byte*>(&count), sizeof(count), bytes);
    std::copy_n(static_cast<const Byte*>(Data.Memory()), size, bytes + sizeof(DWORD));
    GlobalUnlock(block);
    Medium.tymed = TYMED_HGLOBAL;
    Medium.hGlobal = block;
    return S_OK;
}

HRESULT StreamMedium(TMemoryStream& Data, STGMEDIUM& Medium) {
    IStream* stream = nullptr;
    const HRESULT made = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (FAILED(made)) return made;
    ULONG written = 0;
    const HRESULT wrote = stream->Write(Data.Memory(), static_cast<ULONG>(Data.Size()), &written);
    LARGE_INTEGER start{};
    if (FAILED(wrote) || FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) {
        stream->Release();
        return FAILED(wrote) ? wrote : E_FAIL;
    }
    Medium.tymed = TYMED_ISTREAM;
    Medium.pstm = stream;
    return S_OK;
}

} // namespace

HRESULT TVirtualTreeWindow::RenderTreeData(const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                                           bool ForClipboard) {
    Medium = STGMEDIUM{};
    const DWORD kinds = TYMED_HGLOBAL | TYMED_ISTREAM;
    if (FormatEtcIn.cfFormat != vtree_formats::TreeData() || !(FormatEtcIn.tymed & kinds))
        return DoRenderOLEData(FormatEtcIn, Medium, ForClipboard);
    TNodeArray nodes =
        ForClipboard ? FTree->GetSortedCutCopySet(true) : FTree->GetSortedSelection(true);
    TMemoryStream data;
    for (PVirtualNode node : WithoutDescendants(*FTree, std::move(nodes)))
        FTree->WriteNode(&data, node);
    // A block when the receiver takes one: a stream flushed into the clipboard would become a
    // block without the leading count that blocks of this format carry.
    if (FormatEtcIn.tymed & TYMED_HGLOBAL) return GlobalBlockMedium(data, Medium);
    return StreamMedium(data, Medium);
}

HRESULT TVirtualStringTreeWindow::RenderTreeData(const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                                                 bool ForClipboard) {
    const HRESULT result = TVirtualTreeWindow::RenderTreeData(FormatEtcIn, Medium, ForClipboard);
    if (SUCCEEDED(result)) return result;
    HGLOBAL block = nullptr;
    try {
        block =
            ContentToClipboard(FormatEtcIn.cfFormat, ForClipboard ? tstCutCopySet : tstSelected);
    } catch (...) {
        return E_FAIL;
    }
    if (!block) return result;
    Medium = STGMEDIUM{};
    Medium.tymed = TYMED_HGLOBAL;
    Medium.hGlobal = block;
    return S_OK;
}

// ---- inserting
// -----------------------------------------------------------------------------------

bool TVirtualTreeWindow::ProcessOLEData(TVirtualTreeWindow* Source, IDataObject* DataObject,
                                        PVirtualNode TargetNode, TVTNodeAttachMode Mode,
                                        bool Optimized) {
    if (!DataObject) return false;
    FORMATETC format =
        vtree_formats::FormatEtcFor(vtree_formats::TreeData(), TYMED_HGLOBAL | TYMED_ISTREAM);
    bool result = DataObject->QueryGetData(&format) == S_OK;
    if (!result || HasMisc(toReadOnly)) return result;
    FTree->BeginUpdate();
    try {
        if (!TargetNode) TargetNode = FTree->RootNode();
        if (TargetNode == FTree->RootNode()) {
            if (Mode == amInsertBefore) Mode = amAddChildFirst;
            if (Mode == amInsertAfter) Mode = amAddChildLast;
        }
        result = Optimized && Source ? MoveNodesFrom(*Source, TargetNode, Mode)
                                     : CopyNodesFrom(Source, DataObject, format, TargetNode, Mode);
    } catch (...) {
        FTree->EndUpdate();
        throw;
    }
    FTree->EndUpdate();
    return result;
}

// The nodes stay the same nodes: they move out of Source, keeping their order at the target.
bool TVirtualTreeWindow::MoveNodesFrom(TVirtualTreeWindow& Source, PVirtualNode TargetNode,
                                       TVTNodeAttachMode Mode) {
    TBaseVirtualTree& tree = *Source.Tree();
    TNodeArray nodes = tree.TreeStates().Contains(tsOLEDragging)
                           ? tree.DragSelection()
                           : WithoutDescendants(tree, tree.GetSortedCutCopySet(true));
    if (Mode != amInsertBefore && Mode != amAddChildLast) std::reverse(nodes.begin(), nodes.end());
    const bool sameTree = &tree == FTree;
    for (PVirtualNode node : nodes) {
        if (sameTree && (TargetNode == node || tree.HasAsParent(TargetNode, node))) continue;
        tree.MoveTo(node, TargetNode, Mode, false);
    }
    return true;
}

// New nodes from the records; OnNodeCopying may refuse each one.
bool TVirtualTreeWindow::CopyNodesFrom(TVirtualTreeWindow* Source, IDataObject* DataObject,
                                       FORMATETC& Format, PVirtualNode TargetNode,
                                       TVTNodeAttachMode Mode) {
    // A block first: a stream made from a block by the clipboard would carry the block's count.
    STGMEDIUM medium{};
    FORMATETC block = Format;
    block.tymed = TYMED_HGLOBAL;
    if (DataObject->GetData(&block, &medium) != S_OK &&
        DataObject->GetData(&Format, &medium) != S_OK)
        return false;
    const TChangeReason reason = Source == this ? crNodeCopied : crNodeAdded;
    bool read = false;
    try {
        if (medium.tymed == TYMED_ISTREAM && medium.pstm) {
            TOLEStreamReader stream(medium.pstm);
            InsertRecords(stream, TargetNode, Mode, reason);
            read = true;
        } else if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
            read = InsertGlobalBlock(medium.hGlobal, TargetNode, Mode, reason);
        }
    } catch (...) {
        ReleaseStgMedium(&medium);
        throw;
    }
    ReleaseStgMedium(&medium);
    return read;
}

bool TVirtualTreeWindow::InsertGlobalBlock(HGLOBAL Block, PVirtualNode TargetNode,
                                           TVTNodeAttachMode Mode, TChangeReason Reason) {
    const SIZE_T blockSize = GlobalSize(Block);
    if (blockSize < sizeof(DWORD)) return false;
    auto* bytes = static_cast<Byte*>(GlobalLock(Block));
    if (!bytes) return false;
    try {
        DWORD count = 0;
        std::copy_n(bytes, sizeof(count), reinterpret_cast<Byte*>(&count));
        const SIZE_T available = blockSize - sizeof(DWORD);
        TOLEMemoryStream stream(bytes + sizeof(DWORD),
                                static_cast<NativeInt>(std::min<SIZE_T>(count, available)));
        InsertRecords(stream, TargetNode, Mode, Reason);
    } catch (...) {
        GlobalUnlock(Block);
        throw;
    }
    GlobalUnlock(Block);
    return true;
}

void TVirtualTreeWindow::InsertRecords(TStream& Stream, PVirtualNode TargetNode,
                                       TVTNodeAttachMode Mode, TChangeReason Reason) {
    TBaseVirtualTree& tree = *FTree;
    while (Stream.Position() < Stream.Size()) {
        PVirtualNode node = tree.AllocateNode();
        tree.LinkNode(node, TargetNode, Mode);
        tree.LoadNodeFromStream(&Stream, TBaseVirtualTree::StreamVersion, node);
        if (!tree.DoNodeCopying(node, TargetNode)) {
            tree.DeleteNode(node, true);
            continue;
        }
        tree.DoNodeCopied(node);
        tree.NotifyStructureChange(node, Reason);
        if (Mode == amInsertAfter) TargetNode = node;
    }
}
