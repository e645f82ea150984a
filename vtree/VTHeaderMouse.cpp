// The header's mouse: clicks on columns (OnHeaderClick, OnHeaderDblClick), dragging a column's
// right border to change its width, a double click there to fit the column to its content,
// and dragging a column to another position. The header lies in the non-client area above the
// client area: a press arrives as a non-client message in screen coordinates, and while the
// header holds the capture the following moves and the release arrive as client messages whose
// y is negative. Every point here is a client point. While the header has a state it sees
// every message first, so an interrupted interaction (Escape, focus or capture lost) is ended
// and leaves no state behind.
#include "vtree/VTWindow.h"

#include <cstdlib>

namespace {

constexpr THeaderStates InteractionStates{hsDragging, hsDragPending, hsColumnWidthTracking,
                                          hsColumnWidthTrackPending, hsHeightTracking,
                                          hsHeightTrackPending};

bool IsNonClient(UINT Msg) { return Msg >= WM_NCMOUSEMOVE && Msg <= WM_NCMBUTTONDBLCLK; }

TShiftState CurrentShiftState() {
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
    if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
    if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
    return shift;
}

// The OS conversions: they know the frame and the header above the client area.
TPoint ToScreen(HWND Window, TPoint P) {
    POINT point{P.x, P.y};
    ::ClientToScreen(Window, &point);
    return {point.x, point.y};
}

TPoint ToClient(HWND Window, TPoint P) {
    POINT point{P.x, P.y};
    ::ScreenToClient(Window, &point);
    return {point.x, point.y};
}

} // namespace

void TVirtualTreeWindow::SetHeaderStates(THeaderStates Enter, THeaderStates Leave) {
    Header()->SetStates(Header()->States() + Enter - Leave);
}

TPoint TVirtualTreeWindow::ClientPointOf(const TMessage& Message) const {
    const POINT point = PointFromLParam(Message.LParam);
    if (!IsNonClient(Message.Msg)) return {point.x, point.y};
    return ToClient(const_cast<TVirtualTreeWindow*>(this)->Handle(), {point.x, point.y});
}

bool TVirtualTreeWindow::InHeader(TPoint P) const {
    return Header()->Options().Contains(hoVisible) && P.y < 0 && P.y >= -FHeaderRect.Height() &&
           P.x >= 0 && P.x < FHeaderRect.Width();
}

TColumnIndex TVirtualTreeWindow::HeaderSplitterAt(TPoint P, TPoint& TrackPoint) const {
    if (!Header()->UseColumns()) return NoColumn;
    TVirtualTreeColumns* columns = Header()->Columns();
    const int fixedWidth = columns->GetVisibleFixedWidth();
    const TIndexArray& order = columns->PositionToIndex();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        TVirtualTreeColumn* column = columns->Items(*it);
        const TVTColumnOptions options = column->Options();
        if (!options.Contains(coVisible)) continue;
        const bool fixed = options.Contains(coFixed);
        const int right = column->Left() + column->Width() - (fixed ? 0 : EffectiveOffsetX());
        if (right - 3 < P.x && P.x < right + 5 && (fixed || P.x > fixedWidth) &&
            options.Contains(coResizable)) {
            TrackPoint = {right - column->Width(), P.y};
            return *it;
        }
    }
    return NoColumn;
}

// ---- routing -----------------------------------------------------------------------------------

bool TVirtualTreeWindow::HandleHeaderMessage(TMessage& Message) {
    const TPoint p = ClientPointOf(Message);
    switch (Message.Msg) {
    case WM_NCLBUTTONDOWN: {
        const POINT screen = PointFromLParam(Message.LParam);
        return HeaderButtonDown(p, {screen.x, screen.y});
    }
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP: return HeaderButtonUp(Message, p);
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDBLCLK:
    case WM_LBUTTONDBLCLK: return HeaderDblClick(Message, p);
    case WM_NCRBUTTONUP:
    case WM_NCMBUTTONUP:
        if (InHeader(p))
            HandleHeaderClick(p, Message.Msg == WM_NCRBUTTONUP ? mbRight : mbMiddle, true, false);
        FHeaderDownIndex = FHeaderTrackIndex = NoColumn;
        return false;
    case WM_MOUSEMOVE: return HeaderMouseMove(p);
    case WM_KEYDOWN:
        if (Message.WParam != VK_ESCAPE || (HeaderStates() * InteractionStates).Empty()) return false;
        CancelHeaderInteraction();
        return true;
    case WM_KILLFOCUS:
        CancelHeaderInteraction();
        return false;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(Message.LParam) != Handle()) CancelHeaderInteraction();
        return false;
    default: return false;
    }
}

void TVirtualTreeWindow::CancelHeaderInteraction() {
    if ((HeaderStates() * InteractionStates).Empty()) return;
    SetHeaderStates({}, InteractionStates);
    FHeaderDropTarget = FHeaderDownIndex = FHeaderTrackIndex = NoColumn;
    if (MouseCapture()) SetMouseCapture(false);
    Header()->Invalidate(NoColumn);
}

// ---- press, release, double click ------------------------------------------------------------

bool TVirtualTreeWindow::HeaderButtonDown(TPoint P, TPoint ScreenPoint) {
    CancelHint();
    FTree->StopTimer(ScrollTimer);
    FTree->StopTimer(EditTimer);
    FTree->DoStateChange({}, {tsScrolling, tsScrollPending, tsEditPending});
    if (!InHeader(P)) return false;
    FHeaderDragStart = ScreenPoint;
    TPoint track;
    const TColumnIndex border =
        Header()->Options().Contains(hoColumnResize) ? HeaderSplitterAt(P, track) : NoColumn;
    if (border >= 0) {
        FHeaderTrackIndex = border;
        FHeaderTrackPoint = track;
        SetHeaderStates({hsColumnWidthTrackPending}, {});
        SetMouseCapture(true);
        return true;
    }
    Integer left = 0, right = 0;
    TVirtualTreeColumns* columns = Header()->Columns();
    const TColumnIndex column =
        Header()->UseColumns() ? columns->ColumnAndBoundsAt(P, left, right, true) : NoColumn;
    if (column < 0) return false;
    const TVTColumnOptions options = columns->Items(column)->Options();
    if (options.Contains(coAllowClick) && options.Contains(coEnabled)) {
        FHeaderDownIndex = column;
        Header()->Invalidate(column);
    }
    if (!Header()->Options().Contains(hoDrag) || !options.Contains(coDraggable)) return false;
    SetHeaderStates({hsDragPending}, {});
    SetMouseCapture(true);
    return true;
}

bool TVirtualTreeWindow::HeaderButtonUp(TMessage& Message, TPoint P) {
    const THeaderStates states = HeaderStates() * InteractionStates;
    if (states.Empty() && Message.Msg == WM_LBUTTONUP) return false;
    CancelHint();
    // The states go before the capture, so that our own release is no lost interaction.
    SetHeaderStates({}, InteractionStates);
    if (states.Contains(hsDragging)) DropColumn(ToScreen(Handle(), P));
    else if (Message.Msg == WM_NCLBUTTONUP || FHeaderDownIndex >= 0)
        HandleHeaderClick(P, mbLeft, false, false);
    if (FHeaderTrackIndex >= 0) Header()->Invalidate(FHeaderTrackIndex);
    if (FHeaderDownIndex >= 0) Header()->Invalidate(FHeaderDownIndex);
    FHeaderTrackIndex = FHeaderDownIndex = NoColumn;
    if (MouseCapture()) SetMouseCapture(false);
    return !states.Empty();
}

bool TVirtualTreeWindow::HeaderDblClick(TMessage& Message, TPoint P) {
    if (!InHeader(P)) return false;
    const bool left = Message.Msg == WM_NCLBUTTONDBLCLK || Message.Msg == WM_LBUTTONDBLCLK;
    TPoint track;
    const TVTHeaderOptions options = Header()->Options();
    const TColumnIndex border =
        options.Contains(hoColumnResize) ? HeaderSplitterAt(P, track) : NoColumn;
    if (left && border >= 0 && options.Contains(hoDblClickResize)) {
        const TColumnIndex position = Header()->Columns()->Items(border)->Position();
        AutoFitColumns(true, position, position);
        Message.Result = 0;
        return true;
    }
    if (!IsNonClient(Message.Msg)) return false;
    const TMouseButton button = left ? mbLeft
                                     : (Message.Msg == WM_NCRBUTTONDBLCLK ? mbRight : mbMiddle);
    HandleHeaderClick(P, button, true, true);
    return false;
}

void TVirtualTreeWindow::HandleHeaderClick(TPoint P, TMouseButton Button, bool Force,
                                           bool DblClick) {
    TVTHeaderHitInfo info;
    info.X = P.x;
    info.Y = P.y;
    info.Button = Button;
    info.Shift = CurrentShiftState();
    if (DblClick) info.Shift.Include(ssDouble);
    Integer left = 0, right = 0;
    TVirtualTreeColumns* columns = Header()->Columns();
    const TColumnIndex column = InHeader(P) && Header()->UseColumns()
                                    ? columns->ColumnAndBoundsAt(P, left, right, true)
                                    : InvalidColumn;
    if (column >= 0 && columns->Items(column)->Options().Contains(coAllowClick) &&
        (Force || column == FHeaderDownIndex)) {
        info.Column = column;
        info.HitPosition = {hhiOnColumn};
    } else {
        info.Column = NoColumn;
        info.HitPosition = {hhiNoWhere};
    }
    FClickIndex = info.Column;
    if (DblClick) OnHeaderDblClick(Header(), info);
    else OnHeaderClick(Header(), info);
    if (info.Column >= 0) Header()->Invalidate(info.Column);
}

// ---- moves: border tracking and column dragging ----------------------------------------------

bool TVirtualTreeWindow::HeaderMouseMove(TPoint P) {
    const THeaderStates states = HeaderStates();
    if (states.Contains(hsColumnWidthTrackPending)) {
        FTree->StopTimer(HeaderTimer);
        SetHeaderStates({hsColumnWidthTracking}, {hsColumnWidthTrackPending});
    }
    if (HeaderStates().Contains(hsColumnWidthTracking)) {
        Header()->Columns()->Items(FHeaderTrackIndex)->SetWidth(P.x - FHeaderTrackPoint.x);
        return true;
    }
    if (states.Contains(hsDragPending)) {
        const TPoint screen = ToScreen(Handle(), P);
        if (std::abs(screen.x - FHeaderDragStart.x) <= GetSystemMetrics(SM_CXDRAG) &&
            std::abs(screen.y - FHeaderDragStart.y) <= GetSystemMetrics(SM_CYDRAG))
            return true;
        FTree->StopTimer(HeaderTimer);
        Integer left = 0, right = 0;
        FHeaderDragIndex = Header()->Columns()->ColumnAndBoundsAt(ToClient(Handle(), FHeaderDragStart),
                                                                  left, right, true);
        if (FHeaderDownIndex >= 0) Header()->Invalidate(FHeaderDownIndex);
        FHeaderDownIndex = FHeaderDropTarget = NoColumn;
        SetHeaderStates({hsDragging}, {hsDragPending});
    }
    if (!HeaderStates().Contains(hsDragging)) return false;
    DragColumnTo(P);
    return true;
}

void TVirtualTreeWindow::DragColumnTo(TPoint P) {
    Integer left = 0, right = 0;
    const TColumnIndex column = Header()->Columns()->ColumnAndBoundsAt(P, left, right, true);
    if (column < 0) return;
    const bool before = P.x < (left + right) / 2;
    if (column == FHeaderDropTarget && before == FHeaderDropBefore) return;
    if (FHeaderDropTarget >= 0) Header()->Invalidate(FHeaderDropTarget);
    FHeaderDropTarget = column;
    FHeaderDropBefore = before;
    Header()->Invalidate(column);
}

void TVirtualTreeWindow::DropColumn(TPoint ScreenPoint) {
    RECT window;
    GetWindowRect(Handle(), &window);
    const bool overWindow = PtInRect(&window, POINT{ScreenPoint.x, ScreenPoint.y}) != 0;
    TVirtualTreeColumns* columns = Header()->Columns();
    if (overWindow && FHeaderDropTarget >= 0 && FHeaderDragIndex >= 0 &&
        FHeaderDropTarget != FHeaderDragIndex) {
        TVirtualTreeColumn* dragged = columns->Items(FHeaderDragIndex);
        const TColumnPosition old = dragged->Position();
        const TColumnPosition target = columns->Items(FHeaderDropTarget)->Position();
        const bool fromLeft = old < target;
        TColumnPosition position;
        if (FHeaderDropBefore) position = fromLeft ? (target > 0 ? target - 1 : 0) : target;
        else position = fromLeft ? target : target + 1;
        dragged->SetPosition(position);
        OnHeaderDragged(Header(), FHeaderDragIndex, old);
    } else if (FHeaderDragIndex >= 0) {
        OnHeaderDraggedOut(Header(), FHeaderDragIndex, ScreenPoint);
    }
    FHeaderDropTarget = NoColumn;
    Header()->Invalidate(NoColumn);
}
