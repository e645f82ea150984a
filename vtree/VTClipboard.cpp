// The tree window's clipboard: copy and cut put a data object of the tree on the OLE clipboard
// and mark the selected nodes; the marks go when the clipboard drops the object (it cancels the
// cut or copy), when the tree flushes the clipboard into plain data, or when a paste into
// another tree finishes a cut by deleting the marked nodes. WM_COPY, WM_CUT and WM_PASTE call
// the operations.
#include "vtree/VTWindow.h"

namespace {

// The node after Node's whole subtree in pre-order, without initialising anything.
PVirtualNode AfterSubtree(TBaseVirtualTree& Tree, PVirtualNode Node) {
    PVirtualNode root = Tree.RootNode();
    while (Node && Node != root) {
        if (Node->NextSibling) return Node->NextSibling;
        Node = Node->Parent;
    }
    return nullptr;
}

} // namespace

void TVirtualTreeWindow::HandleClipboardMessage(TMessage& Message) {
    switch (Message.Msg) {
    case WM_COPY: CopyToClipBoard(); break;
    case WM_CUT: CutToClipBoard(); break;
    case WM_PASTE: PasteFromClipboard(); break;
    default: break;
    }
}

void TVirtualTreeWindow::MarkSelectionForClipboard() {
    for (PVirtualNode node = FTree->GetFirstSelected(); node; node = FTree->GetNextSelected(node))
        if (!node->States.Contains(vsDisabled)) node->States.Include(vsCutOrCopy);
}

void TVirtualTreeWindow::CopyToClipBoard() {
    if (FTree->SelectedCount() == 0) return;
    TComPtr<IDataObject> data(new TVTDataObject(this, true));
    if (FAILED(OleSetClipboard(data.Get()))) return;
    MarkSelectionForClipboard();
    FTree->DoStateChange({tsCopyPending});
    if (HandleAllocated()) Invalidate();
}

void TVirtualTreeWindow::CutToClipBoard() {
    if (FTree->SelectedCount() == 0 || HasMisc(toReadOnly)) return;
    TComPtr<IDataObject> data(new TVTDataObject(this, true));
    if (FAILED(OleSetClipboard(data.Get()))) return;
    MarkSelectionForClipboard();
    FTree->DoStateChange({tsCutPending}, {tsCopyPending});
    if (HandleAllocated()) Invalidate();
}

void TVirtualTreeWindow::CancelCutOrCopy() {
    const TVirtualTreeStates states = FTree->TreeStates();
    if (states.Contains(tsCopyPending) || states.Contains(tsCutPending)) {
        for (PVirtualNode node = FTree->GetFirstNoInit(); node; node = FTree->GetNextNoInit(node))
            node->States.Exclude(vsCutOrCopy);
        if (HandleAllocated()) Invalidate();
    }
    FTree->DoStateChange({}, {tsCopyPending, tsCutPending});
}

void TVirtualTreeWindow::FinishCutOrCopy() {
    if (!FTree->TreeStates().Contains(tsCutPending)) return;
    PVirtualNode node = FTree->GetFirstNoInit();
    while (node) {
        if (!node->States.Contains(vsCutOrCopy)) {
            node = FTree->GetNextNoInit(node);
            continue;
        }
        PVirtualNode next = AfterSubtree(*FTree, node);
        FTree->DeleteNode(node, true);
        node = next;
    }
    FTree->DoStateChange({}, {tsCutPending});
}

void TVirtualTreeWindow::FlushClipboard() {
    const TVirtualTreeStates states = FTree->TreeStates();
    if (!states.Contains(tsCopyPending) && !states.Contains(tsCutPending)) return;
    FTree->DoStateChange({tsClipboardFlushing});
    try {
        OleFlushClipboard();
        CancelCutOrCopy();
    } catch (...) {
        FTree->DoStateChange({}, {tsClipboardFlushing});
        throw;
    }
    FTree->DoStateChange({}, {tsClipboardFlushing});
}

void TVirtualTreeWindow::WithdrawFromClipboard() {
    if (FTree) FlushClipboard();
    vtree_formats::UnregisterLiveTree(this);
    FOwnerRef->Window = nullptr;
}

void TVirtualTreeWindow::ReleaseClipboardData() {
    TComPtr<IDataObject> data;
    if (FAILED(OleGetClipboard(data.Put())) || FindSourceTree(data.Get()) != this) return;
    data.Reset();
    OleSetClipboard(nullptr);
}

bool TVirtualTreeWindow::PasteFromClipboard() {
    if (HasMisc(toReadOnly)) return false;
    TComPtr<IDataObject> data;
    if (FAILED(OleGetClipboard(data.Put())) || !data)
        vtree_errors::RaiseError(vtree_errors::Clipboard);
    TVirtualTreeWindow* source = FindSourceTree(data.Get());
    const bool optimized = source && source->Tree()->TreeStates().Contains(tsCutPending);
    const bool result =
        ProcessOLEData(source, data.Get(), FTree->FocusedNode(), DefaultPasteMode, optimized);
    if (source == this)
        FTree->DoStateChange({}, {tsCutPending});
    else if (source)
        source->FinishCutOrCopy();
    return result;
}

Cardinal TVirtualTreeWindow::CutCopyCount() {
    Cardinal count = 0;
    for (PVirtualNode node = FTree->GetFirstCutCopy(); node; node = FTree->GetNextCutCopy(node))
        ++count;
    return count;
}

// ---- formats and rendering --------------------------------------------------------------------

void TVirtualTreeWindow::GetNativeFormats(TFormatEtcArray& Formats) {
    TClipboardFormatList::Instance().EnumerateFormats(FTree->ClassType(), Formats,
                                                      FClipboardFormats.get());
    DoGetUserClipboardFormats(Formats);
}

void TVirtualTreeWindow::DoGetUserClipboardFormats(TFormatEtcArray& Formats) {
    OnGetUserClipboardFormats(this, Formats);
}

HRESULT TVirtualTreeWindow::DoRenderOLEData(const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                                            bool ForClipboard) {
    HRESULT result = E_FAIL;
    OnRenderOLEData(this, FormatEtcIn, Medium, ForClipboard, result);
    return result;
}

TComPtr<IDataObject> TVirtualTreeWindow::DoCreateDataObject() {
    TComPtr<IDataObject> data;
    OnCreateDataObject(this, data);
    return data;
}
