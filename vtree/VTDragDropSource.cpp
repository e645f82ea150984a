// The tree window as the source of a drag, and the insertion of what was dropped. A press on a
// draggable node makes a drag pending; once the mouse moves DragThreshold pixels the modal OLE
// drag runs with the window's drag manager as drop source and a data object of the selection.
// The picture is the system's when its drag-image helper takes it, else the tree's own.
//
// During the modal drag anything may happen to the tree: nodes freed meanwhile leave the drag
// selection (the model drops them), so the nodes deleted after a move are only live ones.
#include "vtree/VTWindow.h"

#include <cstdlib>

namespace {

constexpr CLSID DragDropHelper = GUIDFromText("{4657278A-411B-11D2-839A-00C04FD918D0}");
constexpr IID DragSourceHelperId = GUIDFromText("{DE5BF786-477A-11D2-839D-00C04FD918D0}");

// Hands a copy of the prepared picture to the system's drag-image helper; answers whether the
// helper took it (then the system draws the picture).
bool UseSystemDragImage(TVTDragImage& Image, IDataObject* DataObject) {
    TBitmap* picture = Image.Picture();
    if (!picture || !DataObject || picture->Width() <= 0 || picture->Height() <= 0) return false;
    void* found = nullptr;
    if (FAILED(CoCreateInstance(DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, DragSourceHelperId,
                                &found)))
        return false;
    TComPtr<IDragSourceHelper> helper;
    helper.Attach(static_cast<IDragSourceHelper*>(found));
    TBitmap copy(picture->Width(), picture->Height(), pf32bit);
    copy.Canvas()->Draw(0, 0, picture);
    SHDRAGIMAGE image{};
    image.sizeDragImage = {picture->Width(), picture->Height()};
    image.ptOffset = {picture->Width() / 2, picture->Height() / 2};
    TOwnedBitmap bitmap(copy.ReleaseHandle());
    image.hbmpDragImage = bitmap.Get();
    image.crColorKey = ColorToRGB(Image.ColorKey);
    if (FAILED(helper->InitializeFromBitmap(&image, DataObject))) return false;
    bitmap.Release(); // the helper owns it now
    return true;
}

} // namespace

void TVirtualTreeWindow::BeginDrag(bool Immediate, int Threshold) {
    if (DragType == dtVCL) {
        FTree->DoStateChange({tsVCLDragPending});
        TCustomControl::BeginDrag(Immediate, Threshold);
        return;
    }
    const TVirtualTreeStates states = FTree->TreeStates();
    if (states.Contains(tsOLEDragPending) || states.Contains(tsOLEDragging)) return;
    FDragThreshold = Threshold < 0 ? GetSystemMetrics(SM_CXDRAG) : Threshold;
    if (Immediate)
        RunOLEDrag(FLastClickPos);
    else
        FTree->DoStateChange({tsOLEDragPending});
}

bool TVirtualTreeWindow::Dragging() const {
    const TVirtualTreeStates states = FTree->TreeStates();
    return states.Contains(tsOLEDragPending) || states.Contains(tsOLEDragging) ||
           TCustomControl::Dragging();
}

void TVirtualTreeWindow::DragOnPress(bool DragAllowed, bool IsAnyHit) {
    const TVirtualTreeStates states = FTree->TreeStates();
    const bool buttonDown = states.Contains(tsLeftButtonDown) ||
                            states.Contains(tsRightButtonDown) ||
                            states.Contains(tsMiddleButtonDown);
    if (DragAllowed && IsAnyHit && buttonDown) BeginDrag(false);
}

bool TVirtualTreeWindow::DragOnMove(int X, int Y) {
    if (!FTree->TreeStates().Contains(tsOLEDragPending)) return false;
    if (std::abs(X - FLastClickPos.x) < FDragThreshold &&
        std::abs(Y - FLastClickPos.y) < FDragThreshold)
        return false;
    RunOLEDrag(FLastClickPos);
    return true;
}

void TVirtualTreeWindow::RunOLEDrag(TPoint HotSpot) {
    CancelEditNode();
    if (PVirtualNode hot = FTree->HotNode()) {
        FTree->SetHotNode(nullptr);
        InvalidateNode(hot);
    }
    PVirtualNode focused = FTree->FocusedNode();
    if (focused && !focused->States.Contains(vsSelected)) {
        FTree->AddToSelection(focused);
        InvalidateNode(focused);
    }
    if (HandleAllocated()) UpdateWindow(Handle());
    FTree->SetDragSelection(FTree->GetSortedSelection(true));
    FTree->DoStateChange({tsOLEDragging}, {tsClearPending, tsOLEDragPending});
    DWORD effect = DROPEFFECT_NONE;
    try {
        TDragObject* object = nullptr;
        DoStartDrag(object);
        if (object) {
            // OLE carries its own data object: the application's has nothing to do.
            delete object;
            FTree->DoStateChange({}, {tsUserDragObject});
        }
        TComPtr<IDataObject> data = DragManager()->DragDataObject();
        PrepareDragImage(HotSpot);
        if (UseSystemDragImage(*DragImage(), data.Get())) DragImage()->EndDrag();
        FTree->LastDropMode = dmOnNode;
        TComPtr<IDropSource> source;
        Supports(DragManager(), source);
        ::DoDragDrop(data.Get(), source.Get(), AllowedDropEffects(), &effect);
        DragManager()->ForceDragLeave();
        POINT cursor{};
        GetCursorPos(&cursor);
        if (HandleAllocated()) ::ScreenToClient(Handle(), &cursor);
        DoEndDrag(nullptr, cursor.x, cursor.y);
        DragImage()->EndDrag();
        if (effect == DROPEFFECT_MOVE && FTree->HasAuto(toAutoDeleteMovedNodes))
            DeleteDraggedNodes();
    } catch (...) {
        DragImage()->EndDrag();
        FTree->SetDragSelection({});
        FTree->DoStateChange({}, {tsOLEDragging});
        throw;
    }
    FTree->SetDragSelection({});
    FTree->DoStateChange({}, {tsOLEDragging});
}

void TVirtualTreeWindow::DeleteDraggedNodes() {
    FTree->BeginUpdate();
    try {
        // Each deletion takes the node (and any listed descendant) out of the drag selection.
        while (!FTree->DragSelection().empty())
            FTree->DeleteNode(FTree->DragSelection().back(), true);
    } catch (...) {
        FTree->EndUpdate();
        throw;
    }
    FTree->EndUpdate();
}

bool TVirtualTreeWindow::ProcessDrop(IDataObject* DataObject, PVirtualNode TargetNode,
                                     DWORD& Effect, TVTNodeAttachMode Mode) {
    if (Mode == amNoWhere) {
        Effect = DROPEFFECT_NONE;
        return false;
    }
    TVirtualTreeWindow* source = FindSourceTree(DataObject);
    bool result = false;
    FTree->BeginUpdate();
    if (source) source->Tree()->BeginUpdate();
    try {
        if ((Effect & DROPEFFECT_MOVE) && source) {
            result =
                ProcessOLEData(source, DataObject, TargetNode, Mode, !(Effect & DROPEFFECT_COPY));
            Effect = DROPEFFECT_NONE;
        } else if (Effect & (DROPEFFECT_COPY | DROPEFFECT_MOVE)) {
            result = ProcessOLEData(source, DataObject, TargetNode, Mode, false);
        }
    } catch (...) {
        Effect = DROPEFFECT_NONE;
        result = false;
    }
    if (source) source->Tree()->EndUpdate();
    FTree->EndUpdate();
    return result;
}
