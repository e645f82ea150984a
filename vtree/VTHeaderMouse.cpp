// The header's mouse: clicks on columns (OnHeaderClick, OnHeaderDblClick) and on their glyphs,
// where a check box glyph cycles the column's check state, dragging a column's
// border to change its width, a double click there to fit the column to its content, dragging
// the header's bottom edge to change its height (a double click there restores the default
// height), dragging a column to another position, the right button's menu and the header's
// cursors. The header lies in the non-client area above the client area: a press arrives as a
// non-client message in screen coordinates, and while the header holds the capture the
// following moves and the release arrive as client messages whose y is negative. Every point
// here is a client point. While the header has a state it sees every message first, so an
// interrupted interaction (Escape, focus or capture lost) is ended and leaves no state behind.
#include "vtree/VTWindow.h"

#include <cstdlib>

namespace {

constexpr THeaderStates InteractionStates{
    hsDragging,       hsDragPending,       hsColumnWidthTracking, hsColumnWidthTrackPending,
    hsHeightTracking, hsHeightTrackPending};

bool IsNonClient(UINT Msg) { return Msg >= WM_NCMOUSEMOVE && Msg <= WM_NCMBUTTONDBLCLK; }

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

bool TVirtualTreeWindow::HeaderInteracting() const {
    return !(HeaderStates() * InteractionStates).Empty();
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

// A column's border is its right edge, or its left edge in right-to-left layout, where the
// tolerances are mirrored too: 3 pixels into the column, 5 beyond it. Columns are tried from the
// last position down (the first position up right-to-left), so that of two borders within reach
// the one drawn on top wins.
bool TVirtualTreeWindow::DetermineSplitterIndex(TPoint P) {
    SetTrackIndex(NoColumn);
    if (!Header()->UseColumns()) return false;
    TVirtualTreeColumns* columns = Header()->Columns();
    const int fixedWidth = columns->GetVisibleFixedWidth();
    const bool rightToLeft = UseRightToLeftAlignment();
    const TIndexArray& order = columns->PositionToIndex();
    auto hits = [&](TColumnIndex Index) {
        TVirtualTreeColumn* column = columns->Items(Index);
        if (!column->Options().Contains(coVisible)) return false;
        const bool fixed = column->Options().Contains(coFixed);
        const int left = column->Left() - (fixed ? 0 : EffectiveOffsetX());
        const int right = left + column->Width();
        const bool onBorder =
            rightToLeft ? left - 5 < P.x && P.x < left + 3 : right - 3 < P.x && P.x < right + 5;
        if (!onBorder || (!fixed && P.x <= fixedWidth) || !CanResizeAtSplitter(P, Index))
            return false;
        SetTrackIndex(Index);
        FTrackPoint = {rightToLeft ? right : left, P.y};
        return true;
    };
    if (rightToLeft) {
        for (TColumnIndex index : order)
            if (hits(index)) return true;
    } else {
        for (auto it = order.rbegin(); it != order.rend(); ++it)
            if (hits(*it)) return true;
    }
    return false;
}

bool TVirtualTreeWindow::CanResizeAtSplitter(TPoint P, TColumnIndex Column) {
    const TVTColumnOptions options = Header()->Columns()->Items(Column)->Options();
    bool allowed = options.Contains(coResizable) && options.Contains(coVisible);
    if (allowed) OnCanSplitterResizeColumn(Header(), P, Column, allowed);
    return allowed;
}

void TVirtualTreeWindow::SetTrackIndex(TColumnIndex Column) {
    Header()->Columns()->FTrackIndex = Column;
}

// ---- routing -----------------------------------------------------------------------------------

bool TVirtualTreeWindow::HandleHeaderMessage(TMessage& Message) {
    const TPoint p = ClientPointOf(Message);
    switch (Message.Msg) {
    case WM_NCLBUTTONDOWN: {
        const POINT screen = PointFromLParam(Message.LParam);
        return HeaderButtonDown(p, {screen.x, screen.y});
    }
    case WM_LBUTTONDOWN: {
        // In the client area lie the band below the header's bottom edge and the border
        // between the fixed and the scrolling columns.
        const bool heightSplit =
            InHeaderSplitterArea(p) && Header()->Options().Contains(hoHeightResize);
        if (!heightSplit && !SplitterHit(p)) return false;
        return HeaderButtonDown(p, ToScreen(Handle(), p));
    }
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
        if (InHeader(p))
            OnHeaderMouseDown(Header(), Message.Msg == WM_NCRBUTTONDOWN ? mbRight : mbMiddle,
                              CurrentShiftState(), p.x, p.y);
        return false;
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP: return HeaderButtonUp(Message, p);
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDBLCLK:
    case WM_LBUTTONDBLCLK: return HeaderDblClick(Message, p);
    case WM_NCRBUTTONUP: return HeaderRightButtonUp(Message, p);
    case WM_NCMBUTTONUP:
        if (InHeader(p)) {
            HandleHeaderClick(p, mbMiddle, true, false);
            OnHeaderMouseUp(Header(), mbMiddle, CurrentShiftState(), p.x, p.y);
        }
        FHeaderDownIndex = NoColumn;
        return false;
    case WM_NCMOUSEMOVE: HeaderNCMouseMove(Message, p); return false;
    case WM_MOUSEMOVE: return HeaderMouseMove(p);
    case WM_TIMER:
        if (Message.WParam != HeaderTimer) return false;
        HeaderTimerExpired();
        return true;
    case WM_SETCURSOR: return HeaderSetCursor(Message);
    case WM_KEYDOWN:
        if (Message.WParam != VK_ESCAPE || (HeaderStates() * InteractionStates).Empty())
            return false;
        CancelHeaderInteraction();
        return true;
    case WM_KILLFOCUS: CancelHeaderInteraction(); return false;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(Message.LParam) != Handle()) CancelHeaderInteraction();
        return false;
    default: return false;
    }
}

bool TVirtualTreeWindow::HeaderSetCursor(TMessage& Message) {
    const TVirtualTreeStates states = FTree->TreeStates();
    if (reinterpret_cast<HWND>(Message.WParam) != Handle() || states.Contains(tsWheelPanning) ||
        states.Contains(tsWheelScrolling))
        return false;
    if (!(HeaderStates() * InteractionStates).Empty()) {
        Message.Result = 1;
        return true;
    }
    const TPoint p = CursorClientPoint();
    HCURSOR cursor = nullptr;
    if (Header()->Options().Contains(hoHeightResize) && InHeaderSplitterArea(p))
        cursor = vtree_resources::VertSplitCursor();
    else if (SplitterHit(p))
        cursor = vtree_resources::HeaderSplitCursor();
    DoGetHeaderCursor(cursor);
    if (!cursor) return false;
    ::SetCursor(cursor);
    Message.Result = 1;
    return true;
}

TPoint TVirtualTreeWindow::CursorClientPoint() const {
    POINT point{};
    GetCursorPos(&point);
    return ToClient(const_cast<TVirtualTreeWindow*>(this)->Handle(), {point.x, point.y});
}

void TVirtualTreeWindow::CancelHeaderInteraction() {
    const THeaderStates states = HeaderStates() * InteractionStates;
    if (states.Empty()) return;
    SetHeaderStates({}, InteractionStates);
    FHeaderDragImage->EndDrag();
    const TColumnIndex tracked = TrackIndex();
    SetTrackIndex(NoColumn);
    FHeaderDropTarget = FHeaderDownIndex = NoColumn;
    if (MouseCapture()) SetMouseCapture(false);
    if (states.Contains(hsColumnWidthTracking) || states.Contains(hsColumnWidthTrackPending))
        OnAfterColumnWidthTracking(Header(), tracked);
    if (states.Contains(hsHeightTracking) || states.Contains(hsHeightTrackPending))
        OnAfterHeaderHeightTracking(Header());
    Header()->Invalidate(NoColumn);
}

// ---- press, release, double click ------------------------------------------------------------

bool TVirtualTreeWindow::HeaderButtonDown(TPoint P, TPoint ScreenPoint) {
    CancelHint();
    FTree->StopTimer(ScrollTimer);
    FTree->StopTimer(EditTimer);
    FTree->DoStateChange({}, {tsScrolling, tsScrollPending, tsEditPending});
    FHeaderDragStart = ScreenPoint;
    const TShiftState shift = CurrentShiftState();
    const bool heightSplit =
        Header()->Options().Contains(hoHeightResize) && InHeaderSplitterArea(P);
    if (heightSplit || SplitterHit(P)) {
        FHeaderTrackStart = P;
        SetHeaderHoverIndex(NoColumn);
        if (heightSplit) {
            OnBeforeHeaderHeightTracking(Header(), shift);
            SetHeaderStates({hsHeightTrackPending}, {});
        } else {
            OnBeforeColumnWidthTracking(Header(), TrackIndex(), shift);
            SetHeaderStates({hsColumnWidthTrackPending}, {});
        }
        SetMouseCapture(true);
        return true;
    }
    if (!InHeader(P)) return false;
    const bool dragPending = PressColumnAt(P);
    OnHeaderMouseDown(Header(), mbLeft, shift, P.x, P.y);
    return dragPending;
}

// The pressed column becomes the down column; answers whether a column drag may start.
bool TVirtualTreeWindow::PressColumnAt(TPoint P) {
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
    if (states.Contains(hsDragging))
        DropColumn(ToScreen(Handle(), P));
    else if (Message.Msg == WM_NCLBUTTONUP || FHeaderDownIndex >= 0)
        HandleHeaderClick(P, mbLeft, false, false);
    if (Message.Msg == WM_NCLBUTTONUP || !states.Empty())
        OnHeaderMouseUp(Header(), mbLeft, CurrentShiftState(), P.x, P.y);
    if (const TColumnIndex tracked = TrackIndex(); tracked >= 0) {
        if (states.Contains(hsColumnWidthTracking)) OnAfterColumnWidthTracking(Header(), tracked);
        Header()->Invalidate(tracked);
    }
    if (FHeaderDownIndex >= 0) Header()->Invalidate(FHeaderDownIndex);
    if (states.Contains(hsHeightTracking)) OnAfterHeaderHeightTracking(Header());
    SetTrackIndex(NoColumn);
    FHeaderDownIndex = NoColumn;
    if (MouseCapture()) SetMouseCapture(false);
    return !states.Empty();
}

bool TVirtualTreeWindow::HeaderDblClick(TMessage& Message, TPoint P) {
    const TVTHeaderOptions options = Header()->Options();
    TShiftState shift = CurrentShiftState();
    if (options.Contains(hoHeightDblClickResize) && InHeaderSplitterArea(P) &&
        Header()->DefaultHeight() > 0) {
        if (DoHeaderHeightDblClickResize(P, shift)) Header()->SetHeight(Header()->DefaultHeight());
        return true;
    }
    if (!InHeader(P)) return false;
    const bool left = Message.Msg == WM_NCLBUTTONDBLCLK || Message.Msg == WM_LBUTTONDBLCLK;
    if (left && options.Contains(hoDblClickResize) && SplitterHit(P)) {
        const TColumnIndex border = TrackIndex();
        if (DoColumnWidthDblClickResize(border, P, shift)) {
            const TColumnIndex position = Header()->Columns()->Items(border)->Position();
            AutoFitColumns(true, position, position);
        }
        Message.Result = 0;
        return true;
    }
    if (!IsNonClient(Message.Msg)) return false;
    const TMouseButton button =
        left ? mbLeft : (Message.Msg == WM_NCRBUTTONDBLCLK ? mbRight : mbMiddle);
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
        info.HitPosition = HeaderGlyphHit(columns->Items(column), P);
    } else {
        info.Column = NoColumn;
        info.HitPosition = {hhiNoWhere};
    }
    FClickIndex = info.Column;
    if (DblClick)
        OnHeaderDblClick(Header(), info);
    else
        OnHeaderClick(Header(), info);
    if (info.Column >= 0) Header()->Invalidate(info.Column);
}

// The glyph rectangle is where the last header painting put it, in window coordinates; the
// header's left and bottom edges are the client area's origin. A hit on a check box glyph
// cycles the column's check state.
TVTHeaderHitPositions TVirtualTreeWindow::HeaderGlyphHit(TVirtualTreeColumn* Column, TPoint P) {
    TVTHeaderHitPositions hit{hhiOnColumn};
    const POINT inWindow{P.x + FHeaderRect.left, P.y + FHeaderRect.bottom};
    if (!Column->HasImage() || !PtInRect(&Column->ImageRect(), inWindow)) return hit;
    hit.Include(hhiOnIcon);
    if (Column->CheckBox()) {
        Column->SetCheckState(FTree->NextCheckState(Column->CheckType(), Column->CheckState()));
        hit.Include(hhiOnCheckbox);
    }
    return hit;
}

// ---- moves: border tracking and column dragging ----------------------------------------------

bool TVirtualTreeWindow::HeaderMouseMove(TPoint P) {
    const THeaderStates states = HeaderStates();
    if (states.Contains(hsColumnWidthTrackPending) || states.Contains(hsHeightTrackPending)) {
        FTree->StopTimer(HeaderTimer);
        const THeaderStates tracking = states.Contains(hsHeightTrackPending)
                                           ? THeaderStates{hsHeightTracking}
                                           : THeaderStates{hsColumnWidthTracking};
        SetHeaderStates(tracking, {hsColumnWidthTrackPending, hsHeightTrackPending});
    }
    const TShiftState shift = CurrentShiftState();
    if (HeaderStates().Contains(hsColumnWidthTracking)) {
        if (DoColumnWidthTracking(TrackIndex(), shift, FTrackPoint, P)) {
            const int width = UseRightToLeftAlignment() ? FTrackPoint.x - P.x : P.x - FTrackPoint.x;
            Header()->Columns()->Items(TrackIndex())->SetWidth(width);
        }
        return true;
    }
    if (HeaderStates().Contains(hsHeightTracking)) {
        TPoint p = P;
        if (DoHeaderHeightTracking(p, shift)) Header()->SetHeight(Header()->Height() + p.y);
        return true;
    }
    if (states.Contains(hsDragPending)) {
        const TPoint screen = ToScreen(Handle(), P);
        if (!Header()->Options().Contains(hoDrag) || !DoHeaderDragging(FHeaderDownIndex))
            return true;
        if (std::abs(screen.x - FHeaderDragStart.x) <= GetSystemMetrics(SM_CXDRAG) &&
            std::abs(screen.y - FHeaderDragStart.y) <= GetSystemMetrics(SM_CYDRAG))
            return true;
        FTree->StopTimer(HeaderTimer);
        Integer left = 0, right = 0;
        FHeaderDragIndex = Header()->Columns()->ColumnAndBoundsAt(
            ToClient(Handle(), FHeaderDragStart), left, right, true);
        if (FHeaderDownIndex >= 0) Header()->Invalidate(FHeaderDownIndex);
        FHeaderDownIndex = FHeaderDropTarget = NoColumn;
        SetHeaderHoverIndex(NoColumn);
        SetHeaderStates({hsDragging}, {hsDragPending});
        if (FHeaderDragIndex >= 0) StartColumnDragPicture(left);
    }
    if (!HeaderStates().Contains(hsDragging)) return false;
    DragColumnTo(P);
    return true;
}

// The picture is the column's cell as the header paints it, at the cell's place on the screen;
// with hoRestrictDrag it moves only sideways.
void TVirtualTreeWindow::StartColumnDragPicture(Integer ColumnLeft) {
    TVirtualTreeColumn* column = Header()->Columns()->Items(FHeaderDragIndex);
    const int height = FHeaderRect.Height();
    if (column->Width() <= 0 || height <= 0) return;
    TBitmap picture(column->Width(), height, pf32bit);
    picture.Canvas()->Brush()->SetColor(clBtnFace);
    picture.Canvas()->FillRect({0, 0, column->Width(), height});
    HDC dc = picture.Canvas()->Handle();
    POINT oldOrigin;
    SetWindowOrgEx(dc, column->Left(), 0, &oldOrigin);
    PaintHeader(dc, {0, 0, Header()->Columns()->TotalWidth(), height}, 0);
    SetWindowOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    RECT window;
    GetWindowRect(Handle(), &window);
    const TPoint position{ToScreen(Handle(), {ColumnLeft, 0}).x, window.top + FHeaderRect.top};
    FHeaderDragImage->MoveRestriction =
        Header()->Options().Contains(hoRestrictDrag) ? dmrHorizontalOnly : dmrNone;
    FHeaderDragImage->PrepareDrag(&picture, position, FHeaderDragStart);
    FHeaderDragImage->ShowDragImage();
}

void TVirtualTreeWindow::DragColumnTo(TPoint P) {
    Integer left = 0, right = 0;
    const TColumnIndex column = Header()->Columns()->ColumnAndBoundsAt(P, left, right, true);
    const bool before = P.x < (left + right) / 2;
    const bool changed =
        column >= 0 && (column != FHeaderDropTarget || before != FHeaderDropBefore);
    if (changed) {
        if (FHeaderDropTarget >= 0) Header()->Invalidate(FHeaderDropTarget);
        FHeaderDropTarget = column;
        FHeaderDropBefore = before;
        Header()->Invalidate(column);
    }
    FHeaderDragImage->DragTo(ToScreen(Handle(), P), changed);
}

void TVirtualTreeWindow::DropColumn(TPoint ScreenPoint) {
    FHeaderDragImage->EndDrag();
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
        if (FHeaderDropBefore)
            position = fromLeft ? (target > 0 ? target - 1 : 0) : target;
        else
            position = fromLeft ? target : target + 1;
        dragged->SetPosition(position);
        OnHeaderDragged(Header(), FHeaderDragIndex, old);
    } else if (FHeaderDragIndex >= 0) {
        OnHeaderDraggedOut(Header(), FHeaderDragIndex, ScreenPoint);
    }
    FHeaderDropTarget = NoColumn;
    Header()->Invalidate(NoColumn);
}
