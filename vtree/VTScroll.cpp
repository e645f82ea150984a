// Scrolling: the two offsets (zero or negative, kept in the model's viewport with the effective
// horizontal position the scroll bar shows), the ranges, the system scroll bars, bringing a node
// or a column into view, the scroll-bar messages, the mouse wheel and resizing. Offsets are
// always clamped to [client size - range, 0]. Without a window only the offsets are kept.
#include "vtree/VTWindow.h"

#include <algorithm>
#include <cmath>

void TVirtualTreeWindow::SetViewOffsets(int X, int Y) {
    TVTViewport view = FTree->Viewport();
    view.OffsetX = X;
    view.OffsetY = Y;
    view.EffectiveOffsetX = view.RightToLeft ? std::max(0, RangeX() + X - view.ClientWidth) : -X;
    FTree->SetViewport(view);
}

void TVirtualTreeWindow::SetOffsetX(int Value) {
    ApplyScrollOffset({Value, OffsetY()}, DefaultScrollUpdateFlags);
}

void TVirtualTreeWindow::SetOffsetY(int Value) {
    ApplyScrollOffset({OffsetX(), Value}, DefaultScrollUpdateFlags);
}

bool TVirtualTreeWindow::ApplyScrollOffset(TPoint Value, TScrollUpdateOptions Options,
                                           const TRect* ClipRect) {
    SyncViewport();
    const TVTViewport& view = FTree->Viewport();
    const int x = std::min(0, std::max<int>(Value.x, view.ClientWidth - RangeX()));
    const int y = std::min(0, std::max<int>(Value.y, view.ClientHeight - RangeY()));
    int deltaX = x - OffsetX();
    if (UseRightToLeftAlignment()) deltaX = -deltaX;
    const int deltaY = y - OffsetY();
    if (deltaX == 0 && deltaY == 0) return false;
    SetViewOffsets(x, y);
    if (FTree->UpdateCount() == 0 && HandleAllocated()) {
        const TVirtualTreeStates states = FTree->TreeStates();
        if (Options.Contains(soScrollClient) && !states.Contains(tsToggling)) {
            const int fixed = Header()->Columns()->GetVisibleFixedWidth();
            const bool background = HasPaint(toShowBackground) &&
                                    dynamic_cast<TBitmap*>(FBackground->Graphic()) != nullptr;
            if (background) {
                Invalidate();
            } else if (deltaX != 0 && fixed > 0) {
                TRect area = ClientRect();
                area.left = fixed;
                ScrollWindowEx(Handle(), deltaX, 0, &area, &area, nullptr, nullptr, SW_INVALIDATE);
                if (deltaY != 0)
                    ScrollWindowEx(Handle(), 0, deltaY, ClipRect, ClipRect, nullptr, nullptr,
                                   SW_INVALIDATE);
            } else {
                ScrollWindowEx(Handle(), deltaX, deltaY, ClipRect, ClipRect, nullptr, nullptr,
                               SW_INVALIDATE | SW_SCROLLCHILDREN);
            }
        }
        if (Options.Contains(soUpdateFrame)) {
            const bool repaint = Options.Contains(soRepaintScrollBars);
            if (deltaX != 0) {
                if (Options.Contains(soRepaintHeader)) Header()->Invalidate(NoColumn);
                if (!states.Contains(tsSizing) && FScrollBarOptions->Horizontal())
                    UpdateHorizontalScrollBar(repaint);
            }
            if (deltaY != 0 && !states.Contains(tsSizing) && !states.Contains(tsThumbTracking)) {
                UpdateVerticalScrollBar(repaint);
                if (!Header()->UseColumns() && !FTree->IsMouseSelecting())
                    UpdateHorizontalScrollBar(repaint);
            }
        }
    }
    OnScroll(this, deltaX, deltaY);
    return true;
}

// ---- scroll bars
// ---------------------------------------------------------------------------------

void TVirtualTreeWindow::ShowScrollBar(int Bar, bool Show) {
    if (HandleAllocated()) ::ShowScrollBar(Handle(), Bar, Show);
}

void TVirtualTreeWindow::UpdateScrollBars(bool DoRepaint) {
    if (!HandleAllocated()) return;
    UpdateVerticalScrollBar(DoRepaint);
    UpdateHorizontalScrollBar(DoRepaint);
}

void TVirtualTreeWindow::UpdateHorizontalScrollBar(bool DoRepaint) {
    if (Header()->UseColumns())
        FTree->FRangeX = Header()->Columns()->TotalWidth();
    else if (!FContentWidthDeferred)
        FTree->FRangeX = VisibleContentWidth();
    if (FTree->TreeStates().Contains(tsUpdating) || !HandleAllocated()) return;
    SyncViewport();
    SetViewOffsets(OffsetX(), OffsetY());
    if (!FScrollBarOptions->Horizontal()) {
        ShowScrollBar(SB_HORZ, false);
        SetOffsetX(OffsetX());
        return;
    }
    const int client = FTree->Viewport().ClientWidth;
    SCROLLINFO info{sizeof(info)};
    info.fMask = SIF_ALL;
    if (client < RangeX() || FScrollBarOptions->AlwaysVisible()) {
        ShowScrollBar(SB_HORZ, true);
        info.nMax = RangeX();
        info.nPos = EffectiveOffsetX();
        info.nTrackPos = info.nPos;
        info.nPage = static_cast<UINT>(std::max(0, client + 1));
        if (FScrollBarOptions->AlwaysVisible()) info.fMask |= SIF_DISABLENOSCROLL;
        SetScrollInfo(Handle(), SB_HORZ, &info, DoRepaint);
    } else {
        SetScrollInfo(Handle(), SB_HORZ, &info, false);
        ShowScrollBar(SB_HORZ, false);
    }
    const int position = GetScrollPos(Handle(), SB_HORZ);
    SyncViewport();
    const int width = FTree->Viewport().ClientWidth;
    SetOffsetX(UseRightToLeftAlignment() ? width + position - RangeX() : -position);
}

void TVirtualTreeWindow::UpdateVerticalScrollBar(bool DoRepaint) {
    FTree->RecalculateRanges();
    if (FTree->TreeStates().Contains(tsUpdating) || !HandleAllocated()) return;
    SyncViewport();
    if (!FScrollBarOptions->Vertical()) {
        ShowScrollBar(SB_VERT, false);
        SetOffsetY(OffsetY());
        return;
    }
    const int client = FTree->Viewport().ClientHeight;
    SCROLLINFO info{sizeof(info)};
    info.fMask = SIF_ALL;
    if (client < RangeY() || FScrollBarOptions->AlwaysVisible()) {
        ShowScrollBar(SB_VERT, true);
        info.nMax = RangeY();
        info.nPos = -OffsetY();
        info.nTrackPos = info.nPos;
        info.nPage = static_cast<UINT>(std::max(0, client + 1));
        if (FScrollBarOptions->AlwaysVisible()) info.fMask |= SIF_DISABLENOSCROLL;
        SetScrollInfo(Handle(), SB_VERT, &info, DoRepaint);
    } else {
        SetScrollInfo(Handle(), SB_VERT, &info, false);
        ShowScrollBar(SB_VERT, false);
    }
    SetOffsetY(-GetScrollPos(Handle(), SB_VERT));
}

int TVirtualTreeWindow::RightToLeftShift(bool IncludeScrollBar) {
    const bool bar = FScrollBarOptions->Vertical() && ClientHeight() < RangeY();
    int shift = bar ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    const int headerWidth = FHeaderRect.Width();
    if (headerWidth >= shift + RangeX()) shift = headerWidth - RangeX();
    if (IncludeScrollBar && bar) shift -= GetSystemMetrics(SM_CXVSCROLL);
    return shift;
}

int TVirtualTreeWindow::VisibleContentWidth() {
    const int imagesWidth =
        (FStateImages ? FStateImages->Width() + 2 : 0) + (FImages ? FImages->Width() + 2 : 0);
    TCustomImageList* checks = HasMisc(toCheckSupport) ? CheckImages() : nullptr;
    const int checkWidth = checks ? checks->Width() + 2 : 0;
    const int levelBonus = HasPaint(toShowRoot) ? 1 : 0;
    int top = 0, widest = 0;
    PVirtualNode run = TopNode();
    if (run) FTree->GetNodeAt(0, 0, true, top);
    for (; run && top < Height(); run = FTree->GetNextVisible(run, true)) {
        const int level = static_cast<int>(FTree->GetNodeLevel(run)) + levelBonus;
        int left = level * FTree->Indent + imagesWidth;
        if (run->CheckType != ctNone) left += checkWidth;
        widest = std::max(widest, left + GetNodeWidth(run, NoColumn));
        top += static_cast<int>(run->NodeHeight);
    }
    return widest + FTree->Margin;
}

// ---- bringing things into view ------------------------------------------------------------------

bool TVirtualTreeWindow::ScrollIntoView(PVirtualNode Node, bool Center, bool Horizontally) {
    if (!Node || Node == FTree->RootNode()) return false;
    // Expanding an ancestor may already scroll (toAutoScrollOnExpand); that counts as well.
    const int startY = OffsetY();
    for (PVirtualNode parent = Node->Parent; parent != FTree->RootNode(); parent = parent->Parent)
        if (!parent->States.Contains(vsExpanded)) FTree->ToggleNode(parent);
    SyncViewport();
    const TColumnIndex focused = FTree->FocusedColumn();
    const bool useColumn = Header()->UseColumns() && Header()->Columns()->IsValidColumn(focused);
    const TRect r = GetDisplayRect(Node, useColumn ? focused : NoColumn, false, false,
                                   !HasMisc(toGridExtensions));
    const int client = FTree->Viewport().ClientHeight;
    bool scrolled = false;
    if (r.top < 0) {
        SetOffsetY(OffsetY() - r.top + (Center ? client / 2 : 0));
        scrolled = true;
    } else if (r.bottom > client || Center) {
        int target = OffsetY() + (Center ? client / 2 : client) - r.bottom;
        const bool barShown = (GetWindowLongW(Handle(), GWL_STYLE) & WS_HSCROLL) != 0;
        if (!Header()->UseColumns() && !barShown && ClientWidth() < RangeX())
            target -= GetSystemMetrics(SM_CYHSCROLL);
        SetOffsetY(target);
        scrolled = true;
    }
    if (Horizontally && ScrollIntoView(focused, Center)) scrolled = true;
    return scrolled || OffsetY() != startY;
}

bool TVirtualTreeWindow::ScrollIntoView(TColumnIndex Column, bool Center) {
    TVirtualTreeColumns* columns = Header()->Columns();
    if (!Header()->UseColumns() || !columns->IsValidColumn(Column)) return false;
    const int left = columns->Items(Column)->Left(), width = columns->Items(Column)->Width();
    const int fixed = columns->GetVisibleFixedWidth();
    const int client = ClientWidth();
    int target;
    if (Center) {
        target = left + EffectiveOffsetX() + width / 2 - fixed / 2 - client / 2;
        if (target == EffectiveOffsetX()) return true;
    } else if (left + width > client) {
        target = left + width + EffectiveOffsetX() - client;
    } else if (left < fixed) {
        target = EffectiveOffsetX() + left - fixed;
    } else {
        return true;
    }
    SetOffsetX(UseRightToLeftAlignment() ? target + client - RangeX() : -target);
    return true;
}

// ---- messages ----------------------------------------------------------------------------------

void TVirtualTreeWindow::WMSize(TMessage&) {
    UpdateHeaderRect();
    SyncViewport();
    const TVirtualTreeStates states = FTree->TreeStates();
    if (!HandleAllocated() || states.Contains(tsSizing) || states.Contains(tsWindowCreating) ||
        ClientHeight() < 1)
        return;
    FTree->DoStateChange({tsSizing});
    try {
        Header()->RescaleToConstraints();
        Header()->AdjustSpringColumns();
        UpdateScrollBars(true);
    } catch (...) {
        FTree->DoStateChange({}, {tsSizing});
        throw;
    }
    FTree->DoStateChange({}, {tsSizing});
}

namespace {

int TrackPosition(HWND Window, int Bar) {
    SCROLLINFO info{sizeof(info)};
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(Window, Bar, &info);
    return info.nTrackPos;
}

} // namespace

void TVirtualTreeWindow::WMHScroll(TMessage& Message) {
    const int d = UseRightToLeftAlignment() ? -1 : 1;
    const int page = ClientWidth() - Header()->Columns()->GetVisibleFixedWidth();
    const int step = FScrollBarOptions->HorizontalIncrement;
    Message.Result = 0;
    switch (LOWORD(Message.WParam)) {
    case SB_LINELEFT: SetOffsetX(OffsetX() + d * step); break;
    case SB_LINERIGHT: SetOffsetX(OffsetX() - d * step); break;
    case SB_PAGELEFT: SetOffsetX(OffsetX() + d * page); break;
    case SB_PAGERIGHT: SetOffsetX(OffsetX() - d * page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        FTree->DoStateChange({tsThumbTracking});
        const int track = TrackPosition(Handle(), SB_HORZ);
        SetOffsetX(UseRightToLeftAlignment() ? ClientWidth() + track - RangeX() : -track);
        break;
    }
    case SB_LEFT: SetOffsetX(0); break;
    case SB_RIGHT: SetOffsetX(-RangeX()); break;
    case SB_ENDSCROLL:
        FTree->DoStateChange({}, {tsThumbTracking});
        UpdateHorizontalScrollBar(false);
        break;
    default: break;
    }
}

void TVirtualTreeWindow::WMVScroll(TMessage& Message) {
    Message.Result = 0;
    const int step = FScrollBarOptions->VerticalIncrement;
    switch (LOWORD(Message.WParam)) {
    case SB_LINEUP: SetOffsetY(OffsetY() + step); break;
    case SB_LINEDOWN: SetOffsetY(OffsetY() - step); break;
    case SB_PAGEUP: SetOffsetY(OffsetY() + ClientHeight()); break;
    case SB_PAGEDOWN: SetOffsetY(OffsetY() - ClientHeight()); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        FTree->DoStateChange({tsThumbTracking});
        SetOffsetY(-TrackPosition(Handle(), SB_VERT));
        break;
    case SB_TOP: SetOffsetY(0); break;
    case SB_BOTTOM: SetOffsetY(-static_cast<int>(FTree->RootNode()->TotalHeight)); break;
    case SB_ENDSCROLL:
        FTree->DoStateChange({}, {tsThumbTracking});
        UpdateScrollBars(true);
        RedrawWindow(Handle(), nullptr, nullptr,
                     RDW_FRAME | RDW_NOCHILDREN | RDW_NOERASE | RDW_INVALIDATE);
        break;
    default: break;
    }
}

void TVirtualTreeWindow::CMMouseWheel(TMessage& Message) {
    EndWheelPanning();
    TCustomControl::Dispatch(Message);
    if (Message.Result != 0) return;
    Message.Result = 1;
    const TShiftState shift = TShiftState::FromBits(LOWORD(Message.WParam));
    const double notches = static_cast<short>(HIWORD(Message.WParam)) / 120.0;
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const bool pages = shift.Contains(ssCtrl) || lines == WHEEL_PAGESCROLL;
    if (ClientHeight() < RangeY() && !shift.Contains(ssShift)) {
        const double step =
            pages ? ClientHeight() * notches : lines * notches * FTree->DefaultNodeHeight();
        SetOffsetY(OffsetY() + static_cast<int>(std::trunc(step)));
        return;
    }
    const int d = UseRightToLeftAlignment() ? -1 : 1;
    const double step =
        pages ? (ClientWidth() - Header()->Columns()->GetVisibleFixedWidth()) * notches
              : Header()->Columns()->GetScrollWidth() * static_cast<double>(lines) * notches;
    SetOffsetX(OffsetX() + d * static_cast<int>(std::trunc(step)));
}
