// The tree window in the class library's own drag (DragType dtVCL): as its source, a press on a
// draggable node makes the drag pending and the library runs it; as its target (also of other
// controls' drags), the drop target node and mode follow the mouse as in an OLE drag and the
// application sees the same OnDragOver and OnDragDrop, without a data object.
#include "vtree/VTWindow.h"

void TVirtualTreeWindow::DoStartDrag(TDragObject*& DragObject) {
    TCustomControl::DoStartDrag(DragObject);
    if (DragObject) FTree->DoStateChange({tsUserDragObject});
}

void TVirtualTreeWindow::DoEndDrag(TObject* Target, int X, int Y) {
    TCustomControl::DoEndDrag(Target, X, Y);
    FinishDrag();
}

void TVirtualTreeWindow::FinishDrag() {
    const TVirtualTreeStates states = FTree->TreeStates();
    FTree->DoStateChange({}, {tsUserDragObject, tsVCLDragging, tsVCLDragPending});
    if (!HandleAllocated()) return;
    // The drag took the button's release: the mouse handling still waits for it.
    UINT release = WM_LBUTTONUP;
    if (states.Contains(tsRightButtonDown))
        release = WM_RBUTTONUP;
    else if (states.Contains(tsMiddleButtonDown))
        release = WM_MBUTTONUP;
    POINT cursor{};
    GetCursorPos(&cursor);
    ::ScreenToClient(Handle(), &cursor);
    Perform(release, 0, MAKELPARAM(cursor.x, cursor.y));
}

void TVirtualTreeWindow::CMDrag(TMessage& Message) {
    const auto kind = static_cast<TDragMessage>(Message.WParam);
    auto& rec = *reinterpret_cast<TDragRec*>(Message.LParam);
    if (kind == dmFindTarget) {
        TCustomControl::CMDrag(Message);
        if (FTree->TreeStates().Contains(tsVCLDragPending))
            FTree->DoStateChange({tsVCLDragging},
                                 {tsClearPending, tsEditPending, tsVCLDragPending});
        return;
    }
    if (kind == dmDragCancel) return;
    TObject* source = FTree->TreeStates().Contains(tsUserDragObject)
                          ? static_cast<TObject*>(rec.Source)
                          : rec.Source->Control;
    DWORD keys = 0;
    if (GetKeyState(VK_SHIFT) < 0) keys |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0) keys |= MK_CONTROL;
    if (kind == dmDragDrop) {
        if (PVirtualNode node = FTree->DropTargetNode()) InvalidateNode(node);
        FTree->SetDropTargetNode(FTree->LastVCLDragTarget);
        DWORD effect = FVCLDragEffect;
        DoDragDrop(source, nullptr, {}, DragShift(keys), rec.Pos, effect, FTree->LastDropMode);
        ClearDropTarget();
        // A drop is the drag's last word here: no leave follows it.
        FTree->DoStateChange({}, {tsVCLDragging});
        return;
    }
    TDragState state = dsDragMove;
    if (kind == dmDragEnter) {
        state = dsDragEnter;
        FTree->DoStateChange({tsVCLDragging});
    } else if (kind == dmDragLeave) {
        state = dsDragLeave;
        FTree->DoStateChange({}, {tsVCLDragging});
    } else if (AutoScrollAllowed()) {
        UpdateAutoScroll(rec.Pos.x, rec.Pos.y);
    }
    const TPoint screen = ClientToScreen(rec.Pos);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    HandleDragOver(source, keys, state, {screen.x, screen.y}, effect);
    effect &= ~DROPEFFECT_SCROLL; // a refusal stays one while the view scrolls
    Message.Result = static_cast<LRESULT>(effect);
    FTree->LastVCLDragTarget = FTree->DropTargetNode();
    FVCLDragEffect = effect;
    if (kind == dmDragLeave) ClearDropTarget();
}
