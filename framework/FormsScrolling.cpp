// The scrolling container: TControlScrollBar, TScrollingWinControl, TScrollBox, TCustomFrame.
// The window's own scroll bars show the part of the children's area in view. Scrolling moves
// the children (their bounds change, so hit testing and painting need no offset) and repaints
// the window; aligned children are laid out in the scrolled area, shifted by the positions.
#include "framework/Forms.h"

#include <algorithm>

TControlScrollBar::TControlScrollBar(TScrollingWinControl* AControl, TScrollBarKind AKind)
    : FControl(AControl), FKind(AKind) {}

void TControlScrollBar::Assign(TPersistent* source) {
    auto* other = dynamic_cast<TControlScrollBar*>(source);
    if (!other) return TPersistent::Assign(source);
    FIncrement = other->FIncrement;
    FTracking = other->FTracking;
    FVisible = other->FVisible;
    SetRange(other->FRange);
    SetPosition(other->FPosition);
}

int TControlScrollBar::ClientExtent() {
    const TRect client = FControl->ClientRect();
    return FKind == sbHorizontal ? client.Width() : client.Height();
}

int TControlScrollBar::MaxPosition() { return std::max(0, FRange - ClientExtent()); }

bool TControlScrollBar::IsScrollBarVisible() { return FVisible && FRange > ClientExtent(); }

void TControlScrollBar::SetRange(int value) {
    FRange = std::max(0, value);
    FControl->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool value) {
    FVisible = value;
    FControl->UpdateScrollBars();
}

void TControlScrollBar::SetPosition(int value) {
    const int position = std::clamp(value, 0, MaxPosition());
    if (position != FPosition) {
        const int delta = FPosition - position;
        FPosition = position;
        if (FKind == sbHorizontal)
            FControl->ScrollBy(delta, 0);
        else
            FControl->ScrollBy(0, delta);
    }
    Update();
}

// Puts range, page and position on the window's scroll bar.
void TControlScrollBar::Update() {
    if (!FControl->HandleAllocated()) return;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    const bool shown = IsScrollBarVisible();
    info.nMax = shown ? FRange - 1 : 0;
    info.nPage = shown ? static_cast<UINT>(ClientExtent()) : 0;
    info.nPos = FPosition;
    if (!shown) info.fMask &= ~SIF_DISABLENOSCROLL;
    const int bar = FKind == sbHorizontal ? SB_HORZ : SB_VERT;
    SetScrollInfo(FControl->Handle(), bar, &info, TRUE);
    ShowScrollBar(FControl->Handle(), bar, shown);
}

void TControlScrollBar::ScrollMessage(TMessage& Message) {
    const int page = std::max(1, ClientExtent() * 9 / 10);
    int position = FPosition;
    switch (LOWORD(Message.WParam)) {
    case SB_LINEUP: position -= FIncrement; break;
    case SB_LINEDOWN: position += FIncrement; break;
    case SB_PAGEUP: position -= page; break;
    case SB_PAGEDOWN: position += page; break;
    case SB_TOP: position = 0; break;
    case SB_BOTTOM: position = MaxPosition(); break;
    case SB_THUMBTRACK:
        if (!FTracking) return;
        [[fallthrough]];
    case SB_THUMBPOSITION: {
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(FControl->Handle(), FKind == sbHorizontal ? SB_HORZ : SB_VERT, &info);
        position = info.nTrackPos;
        break;
    }
    default: return;
    }
    SetPosition(position);
    Message.Result = 0;
}

// ---- TScrollingWinControl
// ------------------------------------------------------------------------

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TWinControl(AOwner), FHorzScrollBar(new TControlScrollBar(this, sbHorizontal)),
      FVertScrollBar(new TControlScrollBar(this, sbVertical)) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::SetAutoScroll(bool value) {
    FAutoScroll = value;
    if (value)
        CalcAutoRange();
    else
        UpdateScrollBars();
}

void TScrollingWinControl::CreateWnd() {
    TWinControl::CreateWnd();
    UpdateScrollBars();
}

void TScrollingWinControl::UpdateScrollBars() {
    if (FUpdatingScrollBars || !HandleAllocated()) return;
    FUpdatingScrollBars = true;
    // Showing one bar narrows the client area, which may bring the other one in.
    for (int pass = 0; pass < 2; ++pass) {
        FHorzScrollBar->Update();
        FVertScrollBar->Update();
    }
    // A position beyond the new maximum scrolls back.
    FHorzScrollBar->SetPosition(FHorzScrollBar->Position());
    FVertScrollBar->SetPosition(FVertScrollBar->Position());
    FUpdatingScrollBars = false;
}

// The range covers every visible child that is not aligned to the area it scrolls.
void TScrollingWinControl::CalcAutoRange() {
    if (!FAutoScroll) return;
    int right = 0;
    int bottom = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* control = Controls(i);
        if (!control->Visible()) continue;
        const TAlign align = control->Align();
        if (align != alClient && align != alRight && align != alTop && align != alBottom)
            right =
                std::max(right, control->Left() + control->Width() + FHorzScrollBar->Position());
        if (align != alClient && align != alBottom && align != alLeft && align != alRight)
            bottom =
                std::max(bottom, control->Top() + control->Height() + FVertScrollBar->Position());
    }
    FHorzScrollBar->FRange = right;
    FVertScrollBar->FRange = bottom;
    UpdateScrollBars();
}

void TScrollingWinControl::ScrollBy(int DeltaX, int DeltaY) {
    if (DeltaX == 0 && DeltaY == 0) return;
    DisableAlign();
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* control = Controls(i);
        control->SetBounds(control->Left() + DeltaX, control->Top() + DeltaY, control->Width(),
                           control->Height());
    }
    EnableAlign();
    Invalidate();
}

void TScrollingWinControl::ScrollInView(TControl* AControl) {
    if (!AControl || !ContainsControl(AControl)) return;
    TRect rect = AControl->BoundsRect();
    const TRect client = ClientRect();
    if (rect.left < 0)
        FHorzScrollBar->SetPosition(FHorzScrollBar->Position() + rect.left);
    else if (rect.right > client.right && rect.Width() <= client.Width())
        FHorzScrollBar->SetPosition(FHorzScrollBar->Position() + rect.right - client.right);
    if (rect.top < 0)
        FVertScrollBar->SetPosition(FVertScrollBar->Position() + rect.top);
    else if (rect.bottom > client.bottom && rect.Height() <= client.Height())
        FVertScrollBar->SetPosition(FVertScrollBar->Position() + rect.bottom - client.bottom);
}

void TScrollingWinControl::AdjustClientRect(TRect& Rect) {
    TWinControl::AdjustClientRect(Rect);
    Rect.left -= FHorzScrollBar->Position();
    Rect.right -= FHorzScrollBar->Position();
    Rect.top -= FVertScrollBar->Position();
    Rect.bottom -= FVertScrollBar->Position();
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect) {
    TWinControl::AlignControls(AControl, Rect);
    CalcAutoRange();
}

void TScrollingWinControl::Dispatch(TMessage& Message) {
    if ((Message.Msg == WM_HSCROLL || Message.Msg == WM_VSCROLL) && Message.LParam == 0) {
        (Message.Msg == WM_HSCROLL ? FHorzScrollBar : FVertScrollBar)->ScrollMessage(Message);
        return;
    }
    TWinControl::Dispatch(Message);
    if (Message.Msg == WM_SIZE) UpdateScrollBars();
}

// ---- scroll box and frames
// -----------------------------------------------------------------------

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
    SetBounds(0, 0, 185, 41);
    SetBorderStyle(bsSingle);
    SetTabStop(false);
}

TCustomFrame::TCustomFrame(TComponent* AOwner) : TScrollingWinControl(AOwner) {
    SetBounds(0, 0, 320, 240);
    SetControlStyle(ControlStyle() + TControlStyle{csSetCaption});
}
