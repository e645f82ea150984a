// Hover tracking in the header and the dispatchers of the header's tracking events. The column
// under the mouse is the columns' hover index; it is set from the non-client mouse moves over
// the header, and timer 3 (restarted with every change, 50 ms) clears it once the mouse has
// left the header, since the non-client area reports no leaving of its own. Only the state is
// kept here and the cells invalidated; the painting shows it.
#include "vtree/VTWindow.h"

namespace {

constexpr UINT HoverTimeout = 50;

} // namespace

TShiftState TVirtualTreeWindow::CurrentShiftState() {
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
    if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
    if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
    return shift;
}

void TVirtualTreeWindow::SetHeaderHoverIndex(TColumnIndex Column) {
    Header()->Columns()->SetHoverIndex(Column);
}

void TVirtualTreeWindow::HeaderNCMouseMove(TMessage&, TPoint P) {
    OnHeaderMouseMove(Header(), CurrentShiftState(), P.x, P.y);
    if (!InHeader(P)) return;
    Integer left = 0, right = 0;
    const TColumnIndex column = Header()->UseColumns()
                                    ? Header()->Columns()->ColumnAndBoundsAt(P, left, right, true)
                                    : NoColumn;
    const TColumnIndex hover = column >= 0 ? column : NoColumn;
    const bool changed = hover != Header()->Columns()->HoverIndex();
    const bool pressedElsewhere = FHeaderDownIndex >= 0 && FHeaderDownIndex != hover;
    if (!changed && !pressedElsewhere) return;
    SetHeaderHoverIndex(hover);
    FTree->StopTimer(HeaderTimer);
    FTree->StartTimer(HeaderTimer, HoverTimeout);
}

void TVirtualTreeWindow::HeaderTimerExpired() {
    const TPoint p = CursorClientPoint();
    const TColumnIndex hover = Header()->Columns()->HoverIndex();
    if (InHeader(p) && (FHeaderDownIndex < 0 || FHeaderDownIndex == hover)) return;
    FTree->StopTimer(HeaderTimer);
    SetHeaderHoverIndex(NoColumn);
    FHeaderDownIndex = FClickIndex = NoColumn;
    Header()->Invalidate(NoColumn);
}

// ---- dispatchers -------------------------------------------------------------------------------

bool TVirtualTreeWindow::DoHeaderHeightTracking(TPoint& P, TShiftState Shift) {
    bool allowed = true;
    OnHeaderHeightTracking(Header(), P, Shift, allowed);
    return allowed;
}

bool TVirtualTreeWindow::DoHeaderHeightDblClickResize(TPoint& P, TShiftState Shift) {
    bool allowed = true;
    OnHeaderHeightDblClickResize(Header(), P, Shift, allowed);
    return allowed;
}

bool TVirtualTreeWindow::DoColumnWidthTracking(TColumnIndex Column, TShiftState Shift,
                                               TPoint& TrackPoint, TPoint P) {
    bool allowed = true;
    OnColumnWidthTracking(Header(), Column, Shift, TrackPoint, P, allowed);
    return allowed;
}

bool TVirtualTreeWindow::DoColumnWidthDblClickResize(TColumnIndex Column, TPoint P,
                                                     TShiftState Shift) {
    bool allowed = true;
    OnColumnWidthDblClickResize(Header(), Column, Shift, P, allowed);
    return allowed;
}

bool TVirtualTreeWindow::DoHeaderDragging(TColumnIndex Column) {
    bool allowed = true;
    OnHeaderDragging(Header(), Column, allowed);
    return allowed;
}
