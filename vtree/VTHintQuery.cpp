// Where the tree's hints belong: header hints over the header, node hints over the rows
// (hmHint, hmHintAndDefault), tooltips over cells whose text is cut off or hidden (hmTooltip),
// and the tree's own Hint where there is no node (hmHintAndDefault). hmDefault leaves the
// tree's Hint to the framework's own hint window. A hint stays valid while the mouse stays in
// the rectangle it was shown for.
#include "vtree/VTDrawTree.h"

#include <algorithm>

namespace {

// The column under client x, or NoColumn.
TColumnIndex ColumnAtX(TVirtualTreeColumns* Columns, int X, Integer& Left, Integer& Right) {
    for (TColumnIndex column = Columns->GetFirstVisibleColumn(); column != InvalidColumn;
         column = Columns->GetNextVisibleColumn(column)) {
        Columns->GetColumnBounds(column, Left, Right);
        if (X >= Left && X < Right) return column;
    }
    return NoColumn;
}

bool ApplicationActive() {
    DWORD process = 0;
    HWND foreground = GetForegroundWindow();
    if (foreground) GetWindowThreadProcessId(foreground, &process);
    return process == GetCurrentProcessId();
}

} // namespace

THintAnimationType TVirtualTreeWindow::EffectiveHintAnimation() const {
    if (HintAnimation != hatSystemDefault) return HintAnimation;
    BOOL animation = FALSE, fade = FALSE;
    SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &animation, 0);
    if (!animation) return hatNone;
    SystemParametersInfoW(SPI_GETTOOLTIPFADE, 0, &fade, 0);
    return fade ? hatFade : hatSlide;
}

bool TVirtualTreeWindow::QueryHint(TPoint Point, TVTHintData& Data, TRect& CursorRect,
                                   TPoint& HintPos) {
    if (FLastHintRect.Contains(Point)) return false;
    const TVirtualTreeStates states = FTree->TreeStates();
    const bool canShow = IsFocused() || ApplicationActive();
    if (GetCapture() || !ShowHint() || FTree->IsMouseSelecting() || states.Contains(tsScrolling) ||
        !Header()->States().Empty() || !canShow)
        return false;
    Data = {};
    Data.Tree = this;
    HintPos = ClientToScreen(Point);
    TVirtualTreeColumns* columns = Header()->Columns();
    bool show = false;
    Integer left = 0, right = 0;
    // The draw tree sizes its node hints itself; an empty size means no hint.
    bool ownsHintSize = false;
    TRect ownHintSize{};
    if (Point.y < 0) {
        if (Header()->UseColumns() && Header()->Options().Contains(hoShowHint)) {
            const TColumnIndex column = ColumnAtX(columns, Point.x, left, right);
            CursorRect = {left, -Header()->Height(), right, 0};
            HintPos.y = std::max(HintPos.y, ClientToScreen({0, 0}).y);
            if (column != NoColumn && !(GetKeyState(VK_LBUTTON) & 0x8000)) {
                Data.DefaultHint = columns->Items(column)->Hint;
                show = !Data.DefaultHint.empty();
            }
        }
    } else if (HintMode != hmDefault) {
        PVirtualNode node = FTree->GetNodeAt(Point.x, Point.y);
        TColumnIndex column = NoColumn;
        left = 0;
        right = ClientWidth();
        if (Header()->UseColumns()) column = ColumnAtX(columns, Point.x, left, right);
        if (node && (column != NoColumn || !Header()->UseColumns())) {
            if (FTree->HasAuto(toAutoSpanColumns))
                for (TColumnIndex next = columns->GetNextVisibleColumn(column);
                     next != InvalidColumn && FTree->DoGetCellIsEmpty(node, next);
                     next = columns->GetNextVisibleColumn(next))
                    right += columns->Items(next)->Width();
            Data.Node = node;
            Data.Column = column;
            if (auto* drawTree = dynamic_cast<TCustomVirtualDrawTree*>(this)) {
                drawTree->DoGetHintSize(node, column, ownHintSize);
                ownsHintSize = true;
            }
            if (HintMode == hmTooltip) {
                const bool multiLine = node->States.Contains(vsMultiline);
                const TRect r = GetDisplayRect(node, column, true, !multiLine, !multiLine);
                show = r.Contains(Point) && Point.x >= left && Point.x < right;
                if (show && !multiLine)
                    show = std::min<int>(right - 1, ClientWidth()) < r.right ||
                           r.left < std::max<int>(left, 0) || ClientHeight() < r.bottom ||
                           r.top < 0;
                CursorRect = r;
                HintPos = ClientToScreen(r.TopLeft());
            } else {
                TRect row = GetDisplayRect(node, NoColumn, false);
                row.left = std::max<LONG>(row.left, left);
                row.right = std::min<LONG>(row.right, right);
                CursorRect = row;
                HintPos.y = 2 + std::max(HintPos.y, ClientToScreen({0, row.bottom}).y);
                show = true;
            }
        } else if (!node && HintMode == hmHintAndDefault) {
            Data.DefaultHint = Hint();
            CursorRect = ClientRect();
            show = !Data.DefaultHint.empty();
        }
    }
    if (ownsHintSize && (ownHintSize.Width() <= 0 || ownHintSize.Height() <= 0)) show = false;
    if (!show) {
        FLastHintRect = {};
        FTree->DoStateChange({}, {tsHint});
        return false;
    }
    Data.HintRect = ownsHintSize ? ownHintSize : CursorRect;
    FLastHintRect = CursorRect;
    FTree->DoStateChange({tsHint});
    return true;
}

TVirtualTreeHintWindow* TVirtualTreeWindow::HintWindow() {
    if (!FHintWindow) FHintWindow = Construct<TVirtualTreeHintWindow>(this);
    return FHintWindow;
}

bool TVirtualTreeWindow::ShowHintAt(TPoint Point) {
    TVTHintData data;
    TRect cursor;
    TPoint position;
    if (!QueryHint(Point, data, cursor, position)) return false;
    TRect r = HintWindow()->CalcHintRect(GetSystemMetrics(SM_CXSCREEN), data);
    if (r.Width() <= 0 || r.Height() <= 0) {
        CancelHint();
        return false;
    }
    OffsetRect(&r, position.x, position.y);
    HintWindow()->ActivateHint(r);
    return true;
}

// The tree's hints travel through the library's hint machinery in the tree's own window class;
// hmDefault leaves the plain Hint to the library (over the rows).
void TVirtualTreeWindow::CMHintShow(TMessage& Message) {
    auto& info = *reinterpret_cast<THintInfo*>(Message.LParam);
    TRect cursor;
    TPoint position;
    if (QueryHint(info.CursorPos, FLibraryHintData, cursor, position)) {
        info.HintWindowClass = TVirtualTreeHintWindow::StaticClass();
        info.HintData = &FLibraryHintData;
        info.HintStr = L" "; // the text travels in the hint data
        info.CursorRect = cursor;
        info.HintPos = position;
        Message.Result = 0;
        return;
    }
    Message.Result = HintMode == hmDefault && info.CursorPos.y >= 0 ? 0 : 1;
}

// A header hint follows the previous one at once (WParam: a hint was showing a moment ago),
// so that moving along the columns reads their hints without waiting again.
void TVirtualTreeWindow::CMHintShowPause(TMessage& Message) {
    int& pause = *reinterpret_cast<int*>(Message.LParam);
    if (HintMode == hmTooltip) {
        pause = 0;
        return;
    }
    const bool headerHints = Header()->UseColumns() && Header()->Options().Contains(hoShowHint);
    if (Message.WParam != 0 && headerHints && InHeader(CursorClientPoint())) pause = 0;
}

void TVirtualTreeWindow::CancelHint() {
    if (FHintWindow) FHintWindow->ReleaseHint();
    FLastHintRect = {};
    if (FTree && FTree->TreeStates().Contains(tsHint)) FTree->DoStateChange({}, {tsHint});
}

UnicodeString TVirtualTreeWindow::DoGetNodeHintText(PVirtualNode, TColumnIndex,
                                                    TVTTooltipLineBreakStyle& LineBreakStyle) {
    LineBreakStyle = hlbDefault;
    return Hint();
}

UnicodeString TVirtualTreeWindow::DoGetNodeTooltipText(PVirtualNode Node, TColumnIndex Column,
                                                       TVTTooltipLineBreakStyle& LineBreakStyle) {
    return DoGetNodeHintText(Node, Column, LineBreakStyle);
}

void TVirtualTreeWindow::DoPaintHintText(PVirtualNode, TCanvas*, TColumnIndex) {}

// ---- the string tree's hint texts ---------------------------------------------------------------

UnicodeString
TVirtualStringTreeWindow::DoGetNodeHintText(PVirtualNode Node, TColumnIndex Column,
                                            TVTTooltipLineBreakStyle& LineBreakStyle) {
    UnicodeString text = TVirtualTreeWindow::DoGetNodeHintText(Node, Column, LineBreakStyle);
    OnGetHint(this, Node, Column, LineBreakStyle, text);
    return text;
}

UnicodeString
TVirtualStringTreeWindow::DoGetNodeTooltipText(PVirtualNode Node, TColumnIndex Column,
                                               TVTTooltipLineBreakStyle& LineBreakStyle) {
    if (OnGetHint) return DoGetNodeHintText(Node, Column, LineBreakStyle);
    return StringTree()->CellText(Node, Column);
}

void TVirtualStringTreeWindow::DoPaintHintText(PVirtualNode Node, TCanvas* Canvas,
                                               TColumnIndex Column) {
    DoPaintText(Node, Canvas, Column, ttNormal);
}
