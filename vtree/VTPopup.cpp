// The tree's popup menus: the menu of a node (asked of the node and then of its parents), shown
// at a right release over the rows when the control has no PopupMenu of its own, at the
// Applications key in the middle of the focused node's text, and the header's menu at a right
// release over the header.
//
// A right release makes the system send WM_CONTEXTMENU as well; tsPopupMenuShown, entered when
// the tree's own menu was shown, keeps that message from showing a second menu.
#include "vtree/VTWindow.h"

#include "framework/Menus.h"

#include <algorithm>

TPopupMenu* TVirtualTreeWindow::DoGetPopupMenu(PVirtualNode Node, TColumnIndex Column,
                                               TPoint Position) {
    TPopupMenu* menu = nullptr;
    if (!OnGetPopupMenu) return nullptr;
    bool askParent = true;
    if (!Node) {
        OnGetPopupMenu(this, nullptr, NoColumn, Position, askParent, menu);
        return menu;
    }
    for (PVirtualNode run = Node; run != FTree->RootNode() && !menu && askParent; run = run->Parent)
        OnGetPopupMenu(this, run, Column, Position, askParent, menu);
    return menu;
}

bool TVirtualTreeWindow::HasPopupMenu(PVirtualNode Node, TColumnIndex Column, TPoint Position) {
    return PopupMenu() || DoGetPopupMenu(Node, Column, Position);
}

void TVirtualTreeWindow::DoPopupMenu(PVirtualNode Node, TColumnIndex Column, TPoint Position) {
    TPopupMenu* menu = DoGetPopupMenu(Node, Column, Position);
    if (!menu) return;
    FTree->DoStateChange({tsPopupMenuShown});
    FTree->StopTimer(EditTimer);
    menu->SetPopupComponent(this);
    const TPoint screen = ClientToScreen(Position);
    menu->Popup(screen.x, screen.y);
}

void TVirtualTreeWindow::WMContextMenu(TMessage& Message) {
    const bool shown = FTree->TreeStates().Contains(tsPopupMenuShown);
    FTree->DoStateChange(
        {}, {tsClearPending, tsEditPending, tsOLEDragPending, tsVCLDragPending, tsPopupMenuShown});
    if (shown) return;
    TCustomControl::Dispatch(Message);
}

// The default handling of the release sends WM_CONTEXTMENU, which shows the control's
// PopupMenu; the tree's own menu follows only without one.
void TVirtualTreeWindow::RightButtonUp(TMessage& Message) {
    CancelHint();
    if (FTree->IsMouseSelecting() && PopupMenu()) {
        FTree->DoStateChange({}, {tsDrawSelPending, tsDrawSelecting});
        Invalidate();
    }
    TCustomControl::Dispatch(Message);
    const POINT point = PointFromLParam(Message.LParam);
    THitInfo hit;
    GetHitTestInfoAt(point.x, point.y, true, hit);
    if (HasSelection(toRightClickSelect)) HandleMouseUp(Message, hit);
    if (!PopupMenu()) DoPopupMenu(hit.HitNode, hit.HitColumn, {point.x, point.y});
}

void TVirtualTreeWindow::PopupForKeyboard() {
    PVirtualNode focused = FTree->FocusedNode();
    if (!focused) return;
    const TColumnIndex column = FTree->FocusedColumn();
    const TRect text = GetDisplayRect(focused, column, true);
    const bool isColumn = Header()->Columns()->IsValidColumn(column);
    const int limit = isColumn ? Header()->Columns()->Items(column)->Width() : ClientWidth();
    const int width = std::min<int>(FTree->GetNodeTextWidth(focused, column), limit);
    DoPopupMenu(focused, column, {text.left + width / 2, (text.top + text.bottom) / 2});
}

bool TVirtualTreeWindow::HeaderRightButtonUp(TMessage& Message, TPoint P) {
    if (!InHeader(P)) return false;
    HandleHeaderClick(P, mbRight, true, false);
    OnHeaderMouseUp(Header(), mbRight, MouseKeysToShiftState(Message.WParam), P.x, P.y);
    FHeaderDownIndex = NoColumn;
    SetTrackIndex(NoColumn);
    TPopupMenu* menu = HeaderPopupMenu;
    if (!menu && OnGetPopupMenu) {
        Integer left = 0, right = 0;
        const TColumnIndex column =
            Header()->UseColumns() ? Header()->Columns()->ColumnAndBoundsAt(P, left, right, true)
                                   : NoColumn;
        bool askParent = true;
        OnGetPopupMenu(this, nullptr, column, P, askParent, menu);
    }
    if (!menu) return false;
    FTree->StopTimer(ScrollTimer);
    FTree->StopTimer(HeaderTimer);
    SetHeaderHoverIndex(NoColumn);
    FTree->DoStateChange({}, {tsScrolling, tsScrollPending});
    menu->SetPopupComponent(this);
    const POINT screen = PointFromLParam(Message.LParam);
    menu->Popup(screen.x, screen.y);
    return true;
}
