// The tree's mouse cursor (WM_SETCURSOR): over the header the split cursors of a column border
// and of the header's bottom edge, over the rows the split cursor of a node's height splitter
// (toNodeHeightResize, fixed columns only), the hot cursor over the hot node, else the
// control's Cursor. OnGetHeaderCursor and OnGetCursor have the last word. While a panning
// state is set the panning cursor stays, and a cursor the application forces on the whole
// screen wins everywhere.
#include "vtree/VTWindow.h"

#include "framework/Forms.h"

namespace {

bool Panning(TVirtualTreeStates States) {
    return States.Contains(tsWheelPanning) || States.Contains(tsWheelScrolling);
}

} // namespace

bool TVirtualTreeWindow::InHeaderSplitterArea(TPoint P) const {
    return Header()->Options().Contains(hoVisible) && P.y >= -2 && P.y <= 2 && P.x >= 0 &&
           P.x < FHeaderRect.Width();
}

// A column border can be grabbed inside the header, and the border between the fixed and the
// scrolling columns also anywhere along the rows.
bool TVirtualTreeWindow::SplitterHit(TPoint P) {
    if (!Header()->Options().Contains(hoColumnResize) || !DetermineSplitterIndex(P)) return false;
    if (InHeader(P)) return true;
    const TColumnIndex column = TrackIndex();
    TVirtualTreeColumns* columns = Header()->Columns();
    const TColumnIndex next = columns->GetNextVisibleColumn(column);
    return columns->Items(column)->Options().Contains(coFixed) && next >= 0 &&
           !columns->Items(next)->Options().Contains(coFixed) && P.y >= 0 && P.y <= RangeY();
}

TCursor TVirtualTreeWindow::CursorAt(TPoint P) {
    if (HasMisc(toNodeHeightResize)) {
        THitInfo hit;
        GetHitTestInfoAt(P.x, P.y, true, hit);
        if (HeightSplitterNode(hit)) return crVertSplit;
    }
    if (HasPaint(toHotTrack) && FTree->HotNode() && HotCursor != crDefault) return HotCursor;
    return Cursor();
}

void TVirtualTreeWindow::WMSetCursor(TMessage& Message) {
    const bool own = reinterpret_cast<HWND>(Message.WParam) == Handle();
    if (!own || Panning(FTree->TreeStates()) || (Screen && Screen->Cursor() != crDefault))
        return TCustomControl::Dispatch(Message);
    TCursor cursor = CursorAt(CursorClientPoint());
    DoGetCursor(cursor);
    HCURSOR handle = nullptr;
    if (cursor == crVertSplit)
        handle = vtree_resources::VertSplitCursor();
    else if (cursor == crDefault)
        handle = LoadCursorW(nullptr, IDC_ARROW);
    else
        handle = CursorHandle(cursor);
    ::SetCursor(handle);
    Message.Result = 1;
}
