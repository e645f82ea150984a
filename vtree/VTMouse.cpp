// The tree window's mouse: presses, releases and double clicks of the three buttons, hot
// tracking, the rubber band, and what focus loss, capture loss and cancel mode reset. The
// popup menus (VTPopup.cpp), the cursor (VTCursor.cpp) and dragging a row's height
// (VTNodeHeight.cpp) are reached from here.
//
// A press records what its release must finish as a pending tree state (tsClearPending: a
// click on a selected node clears the other selected nodes only on release, so that a drag can
// take the whole selection; tsToggleFocusedSelection; tsDrawSelPending, which becomes
// tsDrawSelecting once the mouse moves beyond the drag threshold; tsMouseCheckPending). A
// release that never comes (the capture was taken away, the focus went elsewhere, cancel mode)
// must not leave them behind: the next click would find a pending clearance next to a direct
// one. Modifiers come from the message's key flags; Alt from the thread's keyboard state.
#include "vtree/VTWindow.h"

#include <algorithm>
#include <cstdlib>

namespace {

TShiftState MouseShift(WPARAM Keys) {
    TShiftState shift;
    if (Keys & MK_SHIFT) shift.Include(ssShift);
    if (Keys & MK_CONTROL) shift.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
    return shift;
}

TPoint MessagePoint(const TMessage& Message) {
    const POINT point = PointFromLParam(Message.LParam);
    return {point.x, point.y};
}

TRect Normalised(TRect R) {
    if (R.left > R.right) std::swap(R.left, R.right);
    if (R.top > R.bottom) std::swap(R.top, R.bottom);
    return R;
}

constexpr TVirtualTreeStates PendingMouseStates{
    tsClearPending,   tsDrawSelPending, tsDrawSelecting, tsToggleFocusedSelection, tsEditPending,
    tsOLEDragPending, tsVCLDragPending, tsScrolling,     tsScrollPending};

} // namespace

// ---- routing ---------------------------------------------------------------------------------

bool TVirtualTreeWindow::DispatchInput(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN: WMButton(Message, tsLeftButtonDown, tsLeftDblClick); return true;
    case WM_LBUTTONDBLCLK: WMButton(Message, tsLeftButtonDown, tsLeftDblClick); return true;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: WMButton(Message, tsRightButtonDown, tsRightDblClick); return true;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: WMButton(Message, tsMiddleButtonDown, tsMiddleDblClick); return true;
    case WM_LBUTTONUP: WMButtonUp(Message, tsLeftButtonDown); return true;
    case WM_RBUTTONUP: WMButtonUp(Message, tsRightButtonDown); return true;
    case WM_MBUTTONUP: WMButtonUp(Message, tsMiddleButtonDown); return true;
    case WM_KILLFOCUS:
        TCustomControl::Dispatch(Message);
        WMKillFocus();
        return true;
    case WM_SETFOCUS:
        TCustomControl::Dispatch(Message);
        if (FTree->SelectedCount() > 0 || !HasPaint(toGhostedIfUnfocused)) Invalidate();
        return true;
    case WM_CAPTURECHANGED:
        // The library's drag from this window takes the capture on purpose.
        if (reinterpret_cast<HWND>(Message.LParam) != Handle() && !TCustomControl::Dragging())
            LeavePendingMouseStates();
        TCustomControl::Dispatch(Message);
        return true;
    case WM_CANCELMODE:
        WMCancelMode();
        TCustomControl::Dispatch(Message);
        return true;
    case WM_CONTEXTMENU: WMContextMenu(Message); return true;
    case WM_SETCURSOR: WMSetCursor(Message); return true;
    case CM_MOUSELEAVE:
        if (!FTree->TreeStates().Contains(tsWheelPanning) &&
            !FTree->TreeStates().Contains(tsWheelScrolling)) {
            FTree->StopTimer(ScrollTimer);
            FTree->DoStateChange({}, {tsScrolling, tsScrollPending});
        }
        SetHeaderHoverIndex(NoColumn);
        if (!HeaderInteracting()) FHeaderDownIndex = NoColumn;
        if (FTree->HotNode()) {
            DoHotChange(FTree->HotNode(), nullptr);
            if (HasPaint(toHotTrack) || HasMisc(toCheckSupport)) InvalidateNode(FTree->HotNode());
            FTree->SetHotNode(nullptr);
        }
        FTree->DoStateChange({}, {tsHint});
        TCustomControl::Dispatch(Message);
        return true;
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (WantTabs ? DLGC_WANTTAB : 0);
        return true;
    default: return false;
    }
}

void TVirtualTreeWindow::WMButton(TMessage& Message, TVirtualTreeState Down,
                                  TVirtualTreeState DblClick) {
    const bool dbl = Message.Msg == WM_LBUTTONDBLCLK || Message.Msg == WM_RBUTTONDBLCLK ||
                     Message.Msg == WM_MBUTTONDBLCLK;
    const bool selects = Down == tsLeftButtonDown ||
                         (Down == tsRightButtonDown && HasSelection(toRightClickSelect)) ||
                         (Down == tsMiddleButtonDown && HasSelection(toMiddleClickSelect));
    FTree->DoStateChange({dbl ? DblClick : Down});
    if (!dbl && Down != tsLeftButtonDown && HeaderInteracting()) return;
    TCustomControl::Dispatch(Message);
    if (Down == tsMiddleButtonDown && !dbl && MiddleButtonDown(Message)) return;
    if (selects) {
        THitInfo hit;
        const TPoint point = MessagePoint(Message);
        GetHitTestInfoAt(point.x, point.y, true, hit);
        if (dbl)
            HandleMouseDblClick(Message, hit);
        else
            HandleMouseDown(Message, hit);
    }
    if (dbl) FTree->DoStateChange({}, {DblClick});
}

void TVirtualTreeWindow::WMButtonUp(TMessage& Message, TVirtualTreeState Down) {
    TVirtualTreeStates leave{Down};
    if (Down == tsLeftButtonDown)
        leave = leave + TVirtualTreeStates{tsNodeHeightTracking, tsNodeHeightTrackPending};
    if (Down == tsRightButtonDown) leave.Include(tsPopupMenuShown);
    FTree->DoStateChange({}, leave);
    if (Down != tsLeftButtonDown && HeaderInteracting()) return;
    const bool selects = Down == tsLeftButtonDown ||
                         (Down == tsRightButtonDown && HasSelection(toRightClickSelect)) ||
                         (Down == tsMiddleButtonDown && HasSelection(toMiddleClickSelect));
    if (Down == tsRightButtonDown) return RightButtonUp(Message);
    const TVirtualTreeStates states = FTree->TreeStates();
    if (Down == tsMiddleButtonDown &&
        (states.Contains(tsWheelPanning) || states.Contains(tsWheelScrolling))) {
        MiddleButtonUp(Message);
        return TCustomControl::Dispatch(Message);
    }
    const bool editPending = FTree->TreeStates().Contains(tsEditPending);
    THitInfo hit;
    if (selects) {
        const TPoint point = MessagePoint(Message);
        GetHitTestInfoAt(point.x, point.y, true, hit);
        HandleMouseUp(Message, hit);
    }
    TCustomControl::Dispatch(Message);
    // After every capture change of the release, which ends what is pending.
    if (selects) EditOnRelease(hit, editPending);
}

// ---- focus, capture and cancel mode ----------------------------------------------------------

void TVirtualTreeWindow::StopInputTimers() {
    for (TVTTimerId id : {ExpandTimer, EditTimer, HeaderTimer, ScrollTimer, SearchTimer})
        FTree->StopTimer(id);
    FTree->FSearchBuffer.clear();
    FTree->FLastSearchNode = nullptr;
}

void TVirtualTreeWindow::LeavePendingMouseStates() {
    const bool selecting = FTree->IsMouseSelecting();
    FTree->DoStateChange({}, PendingMouseStates + TVirtualTreeStates{tsNodeHeightTrackPending,
                                                                     tsNodeHeightTracking});
    if (FTree->TreeStates().Contains(tsMouseCheckPending)) {
        FTree->DoStateChange({}, {tsMouseCheckPending});
        FTree->EndCheckPress(false);
    }
    if (selecting) Invalidate();
}

void TVirtualTreeWindow::WMKillFocus() {
    CancelHint();
    EndWheelPanning();
    StopInputTimers();
    LeavePendingMouseStates();
    FTree->DoStateChange(
        {}, {tsIncrementalSearching, tsLeftButtonDown, tsMiddleButtonDown, tsRightButtonDown});
    if (FTree->SelectedCount() > 0 || !HasPaint(toGhostedIfUnfocused))
        Invalidate();
    else if (FTree->FocusedNode())
        InvalidateNode(FTree->FocusedNode());
}

void TVirtualTreeWindow::WMCancelMode() {
    StopInputTimers();
    LeavePendingMouseStates();
    FTree->DoStateChange({}, {tsIncrementalSearching});
}

// ---- press -----------------------------------------------------------------------------------

void TVirtualTreeWindow::HandleMouseDown(TMessage& Message, const THitInfo& HitInfo) {
    TBaseVirtualTree& tree = *FTree;
    if (tree.TreeStates().Contains(tsWheelPanning) || tree.TreeStates().Contains(tsWheelScrolling))
        return EndWheelPanning();
    THitInfo hit = HitInfo;
    const TPoint point = MessagePoint(Message);
    if (tree.TreeStates().Contains(tsEditPending)) {
        tree.StopTimer(EditTimer);
        tree.DoStateChange({}, {tsEditPending});
    }
    if (IsEditing() && !EndEditNode()) return;
    if (!Focused() && CanFocus()) {
        SetFocus();
        GetHitTestInfoAt(point.x, point.y, true, hit);
    }
    FClickIndex = hit.HitColumn;
    bool columnChange = false;
    TColumnIndex newColumn = tree.FFocusedColumn;
    if (hit.HitPositions.Contains(hiOnItemLabel) || HasSelection(toFullRowSelect) ||
        HasMisc(toGridExtensions)) {
        columnChange = hit.HitColumn != tree.FFocusedColumn;
        newColumn = HasSelection(toExtendedFocus) ? hit.HitColumn : Header()->MainColumn();
        if (columnChange && !Header()->AllowFocus(newColumn)) {
            columnChange = false;
            newColumn = tree.FFocusedColumn;
        }
    }
    TShiftState shift = MouseShift(Message.WParam);
    const bool altPressed = shift.Contains(ssAlt);
    shift.Exclude(ssAlt);
    const bool shiftEmpty = shift.Empty();
    const bool isLabelHit =
        !altPressed && !HasSelection(toSimpleDrawSelection) &&
        (hit.HitPositions.Contains(hiOnItemLabel) || hit.HitPositions.Contains(hiOnNormalIcon));
    const bool isCellHit =
        !altPressed && !isLabelHit && hit.HitNode && !hit.HitPositions.Contains(hiOnItemButton) &&
        !hit.HitPositions.Contains(hiOnItemCheckbox) &&
        (HasSelection(toFullRowSelect) || (HasMisc(toGridExtensions) && hit.HitColumn >= 0));
    const bool isAnyHit = isLabelHit || isCellHit;
    const bool multiSelect = HasSelection(toMultiSelect);
    const bool nodeSelected = isAnyHit && hit.HitNode->States.Contains(vsSelected);
    const bool fullRowDrag = HasMisc(toFullRowDrag);
    const bool dragAllowed =
        hit.HitNode && DoDragAllowed(hit.HitNode, newColumn) && (!isCellHit || fullRowDrag);

    if (Message.Msg == WM_LBUTTONDOWN && StartNodeHeightTracking(hit)) return;
    if (hit.HitPositions.Contains(hiOnItemButton) && hit.HitNode &&
        hit.HitNode->States.Contains(vsHasChildren)) {
        tree.ToggleNode(hit.HitNode);
        return;
    }
    if (hit.HitPositions.Contains(hiOnItemCheckbox)) {
        if (tree.TreeStates().Contains(tsKeyCheckPending) ||
            tree.TreeStates().Contains(tsMouseCheckPending))
            return;
        tree.BeginCheckPress(hit.HitNode);
        if (tree.CheckNode()) tree.DoStateChange({tsMouseCheckPending});
        return;
    }
    if ((tree.RootNodeCount() > 0 && shiftEmpty) || tree.SelectedCount() == 0) {
        PVirtualNode levelNode = hit.HitNode ? hit.HitNode : tree.GetLastVisibleNoInit();
        tree.FLastSelectionLevel =
            levelNode ? static_cast<Integer>(tree.GetNodeLevel(levelNode)) : -1;
    }
    const bool locked = tree.SelectionLocked();
    if (multiSelect && shiftEmpty && isAnyHit && dragAllowed && nodeSelected && !locked)
        tree.DoStateChange({tsClearPending});
    const bool mayReset = !(dragAllowed || (tree.TreeStates().Contains(tsRightButtonDown) &&
                                            HasPopupMenu(hit.HitNode, hit.HitColumn, point)));
    if (!locked && ((!(isAnyHit || fullRowDrag) && multiSelect && shiftEmpty) ||
                    (isAnyHit && (!nodeSelected || mayReset) && (shiftEmpty || !multiSelect))))
        ResetSelectionForClick(hit, nodeSelected, altPressed);
    EditOnPress(hit, nodeSelected, columnChange, shiftEmpty);
    if (!HasSelection(toDisableDrawSelection) && !isLabelHit && !fullRowDrag && multiSelect) {
        StartDrawSelection(point.x, point.y, shift);
        if (!isCellHit) return;
    }
    FLastClickPos = point;
    if (isAnyHit &&
        tree.DoFocusChanging(tree.FFocusedNode, hit.HitNode, tree.FFocusedColumn, newColumn))
        FocusClickedNode(hit, newColumn, columnChange, shift, nodeSelected, dragAllowed);
    DragOnPress(dragAllowed, isAnyHit);
}

bool TVirtualTreeWindow::DoDragAllowed(PVirtualNode Node, TColumnIndex Column) {
    bool allowed = false;
    OnDragAllowed(this, Node, Column, allowed);
    return allowed;
}

void TVirtualTreeWindow::ResetSelectionForClick(const THitInfo& HitInfo, bool NodeSelected,
                                                bool AltPressed) {
    TBaseVirtualTree& tree = *FTree;
    vtree_errors::Assert(!tree.TreeStates().Contains(tsClearPending),
                         L"Pending and direct clearance are mutual exclusive!");
    const bool keepHit = NodeSelected || (AltPressed && HitInfo.HitNode &&
                                          HitInfo.HitColumn == Header()->MainColumn());
    if (!keepHit) return tree.ClearSelection();
    const Cardinal before = tree.SelectedCount();
    tree.InternalClearSelection();
    tree.AddNodesInternal({HitInfo.HitNode}, true);
    if (before > 1) {
        Invalidate();
        tree.Change(nullptr);
    }
}

void TVirtualTreeWindow::FocusClickedNode(const THitInfo& HitInfo, TColumnIndex NewColumn,
                                          bool ColumnChange, TShiftState Shift, bool NodeSelected,
                                          bool DragAllowed) {
    TBaseVirtualTree& tree = *FTree;
    PVirtualNode node = HitInfo.HitNode;
    if (ColumnChange) {
        InvalidateColumn(tree.FFocusedColumn);
        InvalidateColumn(NewColumn);
        tree.FFocusedColumn = NewColumn;
    }
    PVirtualNode lastFocused = tree.FFocusedNode;
    const bool nodeChange = node != lastFocused;
    if (nodeChange) tree.DoFocusNode(node, false);
    if (!HasSelection(toMultiSelect) || Shift.Empty()) {
        if (Shift.Empty()) tree.FRangeAnchor = node;
        if (!NodeSelected) tree.AddToSelection(node);
    } else {
        tree.HandleClickSelection(lastFocused, node, Shift.Contains(ssShift),
                                  Shift.Contains(ssCtrl), DragAllowed);
    }
    if (!nodeChange && !ColumnChange) return;
    ScrollIntoView(tree.FFocusedNode, HasSelection(toCenterScrollIntoView),
                   !FTree->HasAuto(toDisableAutoscrollOnFocus));
    tree.DoFocusChanged(tree.FFocusedNode, tree.FFocusedColumn);
}

// ---- release and double click ----------------------------------------------------------------

void TVirtualTreeWindow::HandleMouseUp(TMessage& Message, const THitInfo& HitInfo) {
    TBaseVirtualTree& tree = *FTree;
    if (tree.TreeStates().Contains(tsVCLDragPending)) {
        // The library's drag has the release; its end sends one again.
        if (GetCapture() == Handle()) ReleaseCapture();
        return;
    }
    if (tree.IsMouseSelecting()) {
        tree.DoStateChange({}, {tsDrawSelecting, tsDrawSelPending, tsToggleFocusedSelection});
        Invalidate();
    }
    PVirtualNode focused = tree.FocusedNode();
    if (tree.TreeStates().Contains(tsClearPending)) {
        const bool reselect = focused && focused->States.Contains(vsSelected);
        tree.ClearSelection();
        if (reselect) tree.AddToSelection(focused);
    }
    if (tree.TreeStates().Contains(tsToggleFocusedSelection) && HitInfo.HitNode == focused &&
        focused) {
        if (focused->States.Contains(vsSelected))
            tree.RemoveFromSelection(focused);
        else
            tree.AddToSelection(focused);
        InvalidateNode(focused);
    }
    tree.DoStateChange({}, {tsOLEDragPending, tsOLEDragging, tsClearPending, tsDrawSelPending,
                            tsToggleFocusedSelection, tsScrolling, tsScrollPending});
    tree.StopTimer(ScrollTimer);
    if (tree.TreeStates().Contains(tsMouseCheckPending)) {
        tree.DoStateChange({}, {tsMouseCheckPending});
        tree.EndCheckPress(HitInfo.HitNode == tree.CheckNode() &&
                           HitInfo.HitPositions.Contains(hiOnItem));
    }
    if (FClickIndex >= 0 && FClickIndex == HitInfo.HitColumn)
        DoColumnClick(HitInfo.HitColumn, MouseShift(Message.WParam));
    // Last, so that the capture change of our own release finds nothing pending.
    if (GetCapture() == Handle()) ReleaseCapture();
}

void TVirtualTreeWindow::HandleMouseDblClick(TMessage& Message, const THitInfo& HitInfo) {
    TBaseVirtualTree& tree = *FTree;
    if (tree.TreeStates().Contains(tsEditPending)) {
        tree.StopTimer(EditTimer);
        tree.DoStateChange({}, {tsEditPending});
    }
    if (IsEditing() && !EndEditNode()) return;
    if (HitInfo.HitColumn == FClickIndex && FClickIndex >= 0)
        DoColumnDblClick(HitInfo.HitColumn, MouseShift(Message.WParam));
    if (NodeHeightDblClick(Message, HitInfo)) return;
    const THitPositions& at = HitInfo.HitPositions;
    if (at.Contains(hiOnItemCheckbox)) {
        if (tree.TreeStates().Contains(tsKeyCheckPending) ||
            tree.TreeStates().Contains(tsMouseCheckPending))
            return;
        tree.BeginCheckPress(HitInfo.HitNode);
        if (tree.CheckNode()) tree.DoStateChange({tsMouseCheckPending});
        return;
    }
    const bool toggles = at.Contains(hiOnItemButton) ||
                         (HasMisc(toToggleOnDblClick) &&
                          (at.Contains(hiOnItemLabel) || at.Contains(hiOnNormalIcon) ||
                           at.Contains(hiOnStateIcon))) ||
                         (HasSelection(toFullRowSelect) && HitInfo.HitNode);
    if (toggles && HitInfo.HitNode) tree.ToggleNode(HitInfo.HitNode);
    EditOnDblClick(HitInfo, !(toggles && HitInfo.HitNode));
}

// ---- moves -------------------------------------------------------------------------------------

void TVirtualTreeWindow::MouseMove(TShiftState Shift, int X, int Y) {
    TBaseVirtualTree& tree = *FTree;
    FLastMousePos = {X, Y};
    if (tree.TreeStates().Contains(tsNodeHeightTrackPending)) {
        CancelHint();
        EndWheelPanning();
        StopInputTimers();
        tree.DoStateChange({tsNodeHeightTracking},
                           {tsEditPending, tsNodeHeightTrackPending, tsIncrementalSearching,
                            tsOLEDragPending, tsScrolling, tsScrollPending, tsVCLDragPending});
    }
    if (tree.TreeStates().Contains(tsDrawSelPending)) {
        if (CalculateSelectionRect(X, Y)) Invalidate();
        const TRect band = Normalised(FNewSelRect);
        const int threshold = GetSystemMetrics(SM_CXDRAG);
        if (band.Width() <= threshold && band.Height() <= threshold) return;
        if (tree.TreeStates().Contains(tsClearPending)) {
            tree.DoStateChange({}, {tsClearPending});
            tree.ClearSelection();
        }
        tree.DoStateChange({tsDrawSelecting}, {tsDrawSelPending});
        if (Header()->MainColumn() != tree.FocusedColumn())
            tree.SetFocusedColumn(Header()->MainColumn());
        if (HandleDrawSelection()) Invalidate();
        return;
    }
    if (tree.TreeStates().Contains(tsNodeHeightTracking)) {
        TrackNodeHeight(X, Y);
        Update();
        return;
    }
    const TVirtualTreeStates states = tree.TreeStates();
    if (states.Contains(tsWheelPanning) && states.Contains(tsWheelScrolling) &&
        (std::abs(X - FLastClickPos.x) >= GetSystemMetrics(SM_CXDRAG) ||
         std::abs(Y - FLastClickPos.y) >= GetSystemMetrics(SM_CYDRAG)))
        tree.DoStateChange({}, {tsWheelScrolling});
    if (DragOnMove(X, Y)) return;
    if (AutoScrollAllowed()) UpdateAutoScroll(X, Y);
    if (states.Contains(tsWheelPanning) || states.Contains(tsWheelScrolling))
        UpdatePanningCursor(X, Y);
    if (!tree.IsMouseSelecting()) {
        HandleHotTrack(X, Y);
        TCustomControl::MouseMove(Shift, X, Y);
        return;
    }
    if (tree.TreeStates().Contains(tsScrolling) || !CalculateSelectionRect(X, Y)) return;
    HandleDrawSelection();
    Invalidate();
}

void TVirtualTreeWindow::HandleHotTrack(int X, int Y) {
    THitInfo hit;
    GetHitTestInfoAt(X, Y, true, hit);
    if (!hit.HitPositions.Contains(hiOnItemLabel) && !hit.HitPositions.Contains(hiOnItemCheckbox) &&
        !HasSelection(toFullRowSelect))
        hit.HitNode = nullptr;
    PVirtualNode old = FTree->HotNode();
    const bool repaint = HasPaint(toHotTrack) || HasMisc(toCheckSupport);
    if (hit.HitNode != old || hit.HitColumn != FCurrentHotColumn) {
        DoHotChange(old, hit.HitNode);
        if (old && repaint) InvalidateNode(old);
        FTree->SetHotNode(hit.HitNode);
        FCurrentHotColumn = hit.HitColumn;
    }
    const bool buttonHit = hit.HitPositions.Contains(hiOnItemButtonExact) && HasPaint(toHotTrack);
    if (!hit.HitNode) {
        FHotNodeButtonHit = false;
        return;
    }
    if (FHotNodeButtonHit != buttonHit || repaint) {
        FHotNodeButtonHit = buttonHit;
        InvalidateNode(hit.HitNode);
    }
}
