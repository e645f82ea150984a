// The tree window as the target of a drag: the drop target node and the drop mode follow the
// mouse (on the node's label or images, else above or below the middle of its row), the view
// scrolls when the mouse nears an edge, a collapsed target opens after AutoExpandDelay, the
// application accepts and chooses the effect in OnDragOver and takes the drop in OnDragDrop.
// Points arrive in screen coordinates; the application sees client coordinates.
#include "vtree/VTWindow.h"

#include "framework/ExceptionBoundary.h"

#include <algorithm>

namespace {

TPoint ClientPoint(HWND Window, POINTL Pt) {
    POINT point{Pt.x, Pt.y};
    if (Window) ScreenToClient(Window, &point);
    return {point.x, point.y};
}

TFormatArray OfferedFormats(IDataObject* DataObject) {
    TFormatArray formats;
    IEnumFORMATETC* enumerator = nullptr;
    if (!DataObject || FAILED(DataObject->EnumFormatEtc(DATADIR_GET, &enumerator)) || !enumerator)
        return formats;
    FORMATETC format;
    while (enumerator->Next(1, &format, nullptr) == S_OK) {
        formats.push_back(format.cfFormat);
        if (format.ptd) CoTaskMemFree(format.ptd);
    }
    enumerator->Release();
    return formats;
}

} // namespace

IVTDragManager* TVirtualTreeWindow::DragManager() {
    if (!FDragManager) {
        FDragManager = DoCreateDragManager();
        if (!FDragManager) FDragManager = TComPtr<IVTDragManager>(new TVTDragManager(this));
    }
    return FDragManager.Get();
}

TComPtr<IVTDragManager> TVirtualTreeWindow::DoCreateDragManager() {
    TComPtr<IVTDragManager> manager;
    OnCreateDragManager(this, manager);
    return manager;
}

TShiftState TVirtualTreeWindow::DragShift(DWORD KeyState) const {
    TShiftState shift;
    if (KeyState & MK_SHIFT) shift.Include(ssShift);
    if (KeyState & MK_CONTROL) shift.Include(ssCtrl);
    if (KeyState & MK_ALT) shift.Include(ssAlt);
    const TVirtualTreeStates states = FTree->TreeStates();
    if (states.Contains(tsLeftButtonDown)) shift.Include(ssLeft);
    if (states.Contains(tsRightButtonDown)) shift.Include(ssRight);
    if (states.Contains(tsMiddleButtonDown)) shift.Include(ssMiddle);
    return shift;
}

DWORD TVirtualTreeWindow::AllowedDropEffects() const {
    if (DragOperations.Empty()) return DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    DWORD effects = DROPEFFECT_NONE;
    if (DragOperations.Contains(doCopy)) effects |= DROPEFFECT_COPY;
    if (DragOperations.Contains(doMove)) effects |= DROPEFFECT_MOVE;
    if (DragOperations.Contains(doLink)) effects |= DROPEFFECT_LINK;
    return effects;
}

DWORD TVirtualTreeWindow::ChooseDropEffect(TObject* Source, TShiftState Shift,
                                           DWORD Allowed) const {
    DWORD fallback = Allowed;
    if (Source == this && (Allowed & DROPEFFECT_MOVE))
        fallback = DROPEFFECT_MOVE;
    else if (Source != this && (Allowed & DROPEFFECT_COPY))
        fallback = DROPEFFECT_COPY;
    const bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift),
               alt = Shift.Contains(ssAlt);
    DWORD wanted = DROPEFFECT_NONE;
    if (ctrl && shift)
        wanted = DROPEFFECT_LINK;
    else if (ctrl)
        wanted = DROPEFFECT_COPY;
    else if (shift)
        wanted = DROPEFFECT_MOVE;
    else if (alt)
        wanted = DROPEFFECT_LINK;
    return (wanted != DROPEFFECT_NONE && (Allowed & wanted)) ? wanted : fallback;
}

bool TVirtualTreeWindow::DoDragOver(TObject* Source, TShiftState Shift, TDragState State, TPoint Pt,
                                    TDropMode Mode, DWORD& Effect) {
    bool accept = false;
    OnDragOver(this, Source, Shift, State, Pt, Mode, Effect, accept);
    return accept;
}

void TVirtualTreeWindow::DoDragDrop(TObject* Source, IDataObject* DataObject,
                                    const TFormatArray& Formats, TShiftState Shift, TPoint Pt,
                                    DWORD& Effect, TDropMode Mode) {
    OnDragDrop(this, Source, DataObject, Formats, Shift, Pt, Effect, Mode);
}

// ---- the target node
// ------------------------------------------------------------------------------

void TVirtualTreeWindow::ChangeDropTarget(PVirtualNode Node, TDropMode Mode) {
    PVirtualNode old = FTree->DropTargetNode();
    FTree->LastDropMode = Mode;
    if (Node == old) {
        if (Node) InvalidateNode(Node);
        return;
    }
    FTree->StopTimer(ExpandTimer);
    FTree->SetDropTargetNode(Node);
    if (Node && FTree->FocusedColumn() < 0 && Header()->UseColumns())
        FTree->SetFocusedColumn(Header()->MainColumn());
    if (old) InvalidateNode(old);
    if (!Node) return;
    InvalidateNode(Node);
    if (FTree->HasAuto(toAutoDropExpand) && Node->States.Contains(vsHasChildren))
        FTree->StartTimer(ExpandTimer, FTree->AutoExpandDelay);
}

void TVirtualTreeWindow::ClearDropTarget() {
    if (PVirtualNode node = FTree->DropTargetNode()) InvalidateNode(node);
    FTree->SetDropTargetNode(nullptr);
}

// Scrolls one step towards the edges the point is near; answers whether the view moved.
bool TVirtualTreeWindow::AutoScrollForDrag(TPoint P) {
    if (!FTree->HasAuto(toAutoScroll) || !HandleAllocated()) return false;
    const TVTViewport& view = FTree->Viewport();
    const int margin = static_cast<int>(FTree->DefaultNodeHeight());
    const int dy = std::min(ScrollBarOptions()->VerticalIncrement, view.ClientHeight);
    const int dx = ScrollBarOptions()->HorizontalIncrement;
    TPoint offset{OffsetX(), OffsetY()};
    if (P.y < margin)
        offset.y += dy;
    else if (P.y > view.ClientHeight - margin)
        offset.y -= dy;
    if (P.x < margin)
        offset.x += dx;
    else if (P.x > view.ClientWidth - margin)
        offset.x -= dx;
    if (offset.x == OffsetX() && offset.y == OffsetY()) return false;
    return ApplyScrollOffset(offset, DefaultScrollUpdateFlags);
}

HRESULT TVirtualTreeWindow::HandleOLEDragEnter(DWORD KeyState, POINTL Pt, DWORD& Effect) {
    TVirtualTreeWindow* source = DragManager()->DragSourceTree();
    const TShiftState shift = DragShift(KeyState);
    const TPoint point = ClientPoint(HandleAllocated() ? Handle() : nullptr, Pt);
    Effect = ChooseDropEffect(source, shift, Effect);
    if (DoDragOver(source, shift, dsDragEnter, point, FTree->LastDropMode, Effect)) {
        THitInfo hit;
        GetHitTestInfoAt(point.x, point.y, true, hit);
        TDropMode mode = dmNowhere;
        if (hit.HitNode) {
            const TRect row = GetDisplayRect(hit.HitNode, Header()->MainColumn(), false);
            mode = hit.HitPositions.Contains(hiOnItemLabel) ? dmOnNode
                   : point.y < (row.top + row.bottom) / 2   ? dmAbove
                                                            : dmBelow;
        }
        ChangeDropTarget(hit.HitNode, mode);
    } else {
        Effect = DROPEFFECT_NONE;
    }
    if (source && !DragManager()->DropHelperAvailable()) source->DragImage()->ShowDragImage();
    return S_OK;
}

HRESULT TVirtualTreeWindow::HandleDragOver(TObject* Source, DWORD KeyState, TDragState State,
                                           POINTL Pt, DWORD& Effect) {
    // A tree as the source moves its own drag image, unless the system's helper draws it.
    TVirtualTreeWindow* imageSource =
        DragManager()->DropHelperAvailable() ? nullptr : dynamic_cast<TVirtualTreeWindow*>(Source);
    const TPoint point = ClientPoint(HandleAllocated() ? Handle() : nullptr, Pt);
    const bool scrolled = AutoScrollForDrag(point);
    const TShiftState shift = DragShift(KeyState);
    THitInfo hit;
    GetHitTestInfoAt(point.x, point.y, true, hit);
    if (HasMisc(toReportMode) && hit.HitNode &&
        !(hit.HitColumn == Header()->MainColumn() &&
          (hit.HitPositions.Contains(hiOnItemLabel) || hit.HitPositions.Contains(hiOnNormalIcon) ||
           hit.HitPositions.Contains(hiOnStateIcon))))
        hit.HitNode = nullptr;
    TDropMode mode = dmNowhere;
    if (hit.HitNode) {
        const bool onNode = hit.HitPositions.Contains(hiOnItemLabel) ||
                            hit.HitPositions.Contains(hiOnNormalIcon) ||
                            hit.HitPositions.Contains(hiOnStateIcon) || !HasPaint(toShowDropmark);
        const TRect row = GetDisplayRect(hit.HitNode, NoColumn, false);
        mode = onNode ? dmOnNode : point.y < (row.top + row.bottom) / 2 ? dmAbove : dmBelow;
    }
    if (hit.HitNode != FTree->DropTargetNode() || mode != FTree->LastDropMode) {
        if (imageSource) imageSource->DragImage()->HideDragImage();
        ChangeDropTarget(hit.HitNode, mode);
    }
    if (HandleAllocated()) UpdateWindow(Handle());
    if (imageSource) {
        imageSource->DragImage()->ShowDragImage();
        imageSource->DragImage()->DragTo({Pt.x, Pt.y}, scrolled);
    }
    Effect = ChooseDropEffect(Source, shift, Effect);
    if (!DoDragOver(Source, shift, State, point, FTree->LastDropMode, Effect))
        Effect = DROPEFFECT_NONE;
    if (scrolled) Effect |= DROPEFFECT_SCROLL;
    return S_OK;
}

void TVirtualTreeWindow::ExpandDropTarget() {
    FTree->StopTimer(ExpandTimer);
    PVirtualNode node = FTree->DropTargetNode();
    if (!node || !node->States.Contains(vsHasChildren) || node->States.Contains(vsExpanded)) return;
    TVirtualTreeWindow* source =
        DragManager()->DropHelperAvailable() ? nullptr : DragManager()->DragSourceTree();
    if (source) source->DragImage()->HideDragImage();
    FTree->ToggleNode(node);
    if (source) source->DragImage()->ShowDragImage();
}

void TVirtualTreeWindow::HandleOLEDragLeave() {
    FTree->StopTimer(ExpandTimer);
    if (!DragManager()->DropHelperAvailable())
        if (TVirtualTreeWindow* source = DragManager()->DragSourceTree())
            source->DragImage()->HideDragImage();
    ClearDropTarget();
    if (HandleAllocated()) UpdateWindow(Handle());
    DWORD effect = DROPEFFECT_NONE;
    DoDragOver(nullptr, {}, dsDragLeave, {0, 0}, FTree->LastDropMode, effect);
}

HRESULT TVirtualTreeWindow::HandleOLEDrop(IDataObject* DataObject, DWORD KeyState, POINTL Pt,
                                          DWORD& Effect) {
    FTree->StopTimer(ExpandTimer);
    FTree->StopTimer(ScrollTimer);
    FTree->DoStateChange({}, {tsScrolling, tsScrollPending});
    TVirtualTreeWindow* source = DragManager()->DragSourceTree();
    HRESULT result = S_OK;
    try {
        if (FAILED(HandleDragOver(source, KeyState, dsDragMove, Pt, Effect))) {
            result = E_FAIL;
        } else if ((Effect & ~DROPEFFECT_SCROLL) == DROPEFFECT_NONE) {
            result = E_FAIL;
        } else {
            Effect &= ~DROPEFFECT_SCROLL;
            const TPoint point = ClientPoint(HandleAllocated() ? Handle() : nullptr, Pt);
            DoDragDrop(source, DataObject, OfferedFormats(DataObject), DragShift(KeyState), point,
                       Effect, FTree->LastDropMode);
        }
    } catch (...) {
        ReportBoundaryException();
        result = E_UNEXPECTED;
    }
    ClearDropTarget();
    return result;
}
