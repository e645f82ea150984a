// The mouse on the skinned bars: hover, clicks on arrows and the track that repeat while held,
// thumb drags, and the scroll messages they send to the window.
#include "framework/Messages.h"
#include "skin/engine/sConst.h"
#include "skin/window/acSBUtils.h"

#include <algorithm>

TacScrollTracking ScrollTracking;

namespace {

TPoint ScreenPoint(HWND Wnd, LPARAM ClientPoint) {
    POINT p = PointFromLParam(ClientPoint);
    ClientToScreen(Wnd, &p);
    return TPoint(p.x, p.y);
}

TPoint LParamPoint(LPARAM ScreenPoint) {
    const POINT p = PointFromLParam(ScreenPoint);
    return TPoint(p.x, p.y);
}

} // namespace

void SendScrollMessage(HWND Wnd, UINT Msg, int Code, int Pos) {
    const LPARAM what = MAKELPARAM(Code, Msg);
    if (SendMessageW(Wnd, SM_ALPHACMD, SkinWParam(SKCMD_SCROLLSTART), what) == 1) {
        SendMessageW(Wnd, Msg, MAKEWPARAM(Code, LOWORD(Pos)), Pos);
    } else {
        if (Code == SB_THUMBTRACK) {
            SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS};
            info.nPos = Pos;
            SetScrollInfo(Wnd, Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, &info, FALSE);
        }
        SendMessageW(Wnd, Msg, MAKEWPARAM(Code, std::min(0xFFFF, Pos)), 0);
    }
    SendMessageW(Wnd, SM_ALPHACMD, SkinWParam(SKCMD_SCROLLEND), what);
}

void StopScrollTracking(HWND Wnd) {
    for (UINT_PTR id : {HoverTimerId, FirstRepeatTimerId, RepeatTimerId}) KillTimer(Wnd, id);
    TacScrollTracking& t = ScrollTracking;
    if (t.CurrentWnd != Wnd) return;
    const bool captured = t.TrackPortion != spNone && GetCapture() == Wnd;
    t = TacScrollTracking();
    if (captured) ReleaseCapture();
}

void TacScrollWnd::PaintBarNow(int Which, int ThumbPos, int ThumbState) {
    HDC dc = GetWindowDC(CtrlHandle);
    const TacScrollTracking& t = ScrollTracking;
    PaintScrollBar(*this, Which, dc, t.TrackBar == Which ? t.PressedPortion : spNone, ThumbPos,
                   ThumbState);
    ReleaseDC(CtrlHandle, dc);
}

void TacScrollWnd::NCMouseMove(TMessage& Message) {
    if (Message.WParam != HTHSCROLL && Message.WParam != HTVSCROLL) return;
    TacScrollTracking& t = ScrollTracking;
    const int bar = Message.WParam == HTHSCROLL ? SB_HORZ : SB_VERT;
    t.CurrentWnd = CtrlHandle;
    if (bar == t.HotBar) return;
    t.LastHotPortion = t.HotPortion = spNone;
    t.HoverRect = GetScrollRect(*this, bar);
    t.HotBar = bar;
    t.HoverTimer = SetTimer(CtrlHandle, HoverTimerId, 20, nullptr);
    PaintScrollBars(this, CtrlHandle);
}

bool TacScrollWnd::NCLButtonDown(TMessage& Message) {
    if (Message.WParam != HTHSCROLL && Message.WParam != HTVSCROLL) return false;
    TacScrollTracking& t = ScrollTracking;
    const bool horizontal = Message.WParam == HTHSCROLL;
    t.CurrentWnd = CtrlHandle;
    t.ScrollMsg = horizontal ? WM_HSCROLL : WM_VSCROLL;
    t.TrackBar = horizontal ? SB_HORZ : SB_VERT;
    TacScrollBar& bar = Bar(t.TrackBar);
    GetScrollInfo(CtrlHandle, bar.nBarType, &bar.ScrollInfo);
    const TRect r = GetScrollRect(*this, t.TrackBar);
    const TPoint p = LParamPoint(Message.LParam);
    t.TrackPortion = ScrollHitTest(bar, r, p);
    if ((t.TrackPortion == spFirstArrow && (bar.fScrollFlags & sfFirstArrowDisabled)) ||
        (t.TrackPortion == spSecondArrow && (bar.fScrollFlags & sfSecondArrowDisabled))) {
        t.TrackPortion = spNone;
        Message.Result = 0;
        return true;
    }
    switch (t.TrackPortion) {
    case spFirstArrow:
    case spSecondArrow:
    case spPageBefore:
    case spPageAfter:
        if (IsScrollbarActive(bar)) {
            t.PressedPortion = t.TrackPortion;
            SendScrollMessage(CtrlHandle, t.ScrollMsg, t.TrackPortion, 0);
            // Painted after the message: the window's own scroll update may have had the system
            // draw over the bar.
            PaintBarNow(t.TrackBar);
            t.ScrollTimer = SetTimer(CtrlHandle, FirstRepeatTimerId, 300, nullptr);
        }
        break;
    case spThumb:
        if (IsScrollbarActive(bar)) {
            t.ThumbBounds = r;
            const TacThumb thumb = GetThumbPosSize(bar, r);
            t.ThumbSize = thumb.Size;
            t.DragThumbPos = thumb.Pos;
            fThumbTracking = true;
            bar.ScrollInfo.nTrackPos = bar.ScrollInfo.nPos;
            t.ThumbMouseOffset = (horizontal ? p.x : p.y) - t.DragThumbPos;
            t.LastPos = bar.ScrollInfo.nPos;
        }
        break;
    default: return false;
    }
    SetCapture(CtrlHandle);
    Message.Result = 0;
    return true;
}

void TacScrollWnd::MouseMove(TMessage& Message) {
    if (fThumbTracking) {
        DragStep(ScreenPoint(CtrlHandle, Message.LParam));
    } else if (!Tracking()) {
        PassOn(Message);
        return;
    } else {
        TrackPressed(ScreenPoint(CtrlHandle, Message.LParam));
    }
    Message.Result = 0;
}

// The part under Position is drawn pressed while it is the part clicked.
void TacScrollWnd::TrackPressed(TPoint Position) {
    TacScrollTracking& t = ScrollTracking;
    const int portion = ScrollHitTest(Bar(t.TrackBar), GetScrollRect(*this, t.TrackBar), Position);
    t.PressedPortion = portion == t.TrackPortion ? portion : spNone;
    PaintBarNow(t.TrackBar);
}

void TacScrollWnd::DragStep(TPoint Position) {
    TacScrollTracking& t = ScrollTracking;
    TacScrollBar& bar = Bar(t.TrackBar);
    const bool vertical = t.TrackBar == SB_VERT;
    const int arrow = GetScrollMetric(bar, false, false);
    const int first = (vertical ? t.ThumbBounds.top : t.ThumbBounds.left) + arrow;
    const int last = (vertical ? t.ThumbBounds.bottom : t.ThumbBounds.right) - arrow;
    const int at =
        std::max(first, std::min<int>((vertical ? Position.y : Position.x) - t.ThumbMouseOffset,
                                      last - t.ThumbSize));
    const SCROLLINFO& info = bar.ScrollInfo;
    const int range = info.nMax - info.nMin;
    // Positions count from nMin, so that the far end gives the last position of any range.
    const int position =
        range < 1 ? at - first
                  : info.nMin + MulDiv(at - first, range - static_cast<int>(info.nPage) + 1,
                                       last - first - t.ThumbSize);
    if (position != t.LastPos) {
        bar.ScrollInfo.nTrackPos = position;
        DontRepaint = true;
        SendScrollMessage(CtrlHandle, t.ScrollMsg, SB_THUMBTRACK, position);
        DontRepaint = false;
    }
    t.LastPos = position;
    // Painted after the message, as a click is.
    if (!Destroyed)
        PaintBarNow(t.TrackBar, at - (vertical ? t.ThumbBounds.top : t.ThumbBounds.left), 2);
}

void TacScrollWnd::LButtonUp(TMessage& Message) {
    if (!Tracking()) {
        PassOn(Message);
        return;
    }
    const bool raw = !SkinData->FOwnerControl;
    EndTracking(!(raw && ClosedDropDownList() && Tag != -1));
    Message.Result = 0;
    if (raw && !ClosedDropDownList()) PassOn(Message);
}

void TacScrollWnd::CaptureChanged(TMessage& Message) {
    // The mouse went to another window: no button release will come here to end the click.
    if (Tracking() && reinterpret_cast<HWND>(Message.LParam) != CtrlHandle) EndTracking(false);
}

bool TacScrollWnd::Tracking() const {
    return ScrollTracking.TrackPortion != spNone && ScrollTracking.CurrentWnd == CtrlHandle;
}

void TacScrollWnd::EndTracking(bool ReleaseMouse) {
    TacScrollTracking& t = ScrollTracking;
    const int portion = t.TrackPortion, which = t.TrackBar, last = t.LastPos;
    const UINT msg = t.ScrollMsg;
    const UINT_PTR timer = t.ScrollTimer;
    const bool dragged = fThumbTracking;
    // Forgotten first, so that the capture's change on its release finds nothing to end.
    t.TrackPortion = t.PressedPortion = spNone;
    t.ScrollTimer = 0;
    t.ScrollMsg = 0;
    t.TrackBar = -1;
    fThumbTracking = false;
    if (ReleaseMouse) ReleaseCapture();
    if (portion == spThumb) {
        // A window that scrolls only when the thumb is let go learns where it was let go.
        if (dragged) SendScrollMessage(CtrlHandle, msg, SB_THUMBPOSITION, last);
        SendScrollMessage(CtrlHandle, msg, SB_ENDSCROLL, last);
    } else {
        if (timer) KillTimer(CtrlHandle, timer);
        SendScrollMessage(CtrlHandle, msg, SB_ENDSCROLL, 0);
    }
    DontRepaint = false;
    if (!Destroyed) PaintBarNow(which);
}

void TacScrollWnd::Timer(TMessage& Message) {
    const UINT_PTR id = Message.WParam;
    const bool own = id == HoverTimerId || id == FirstRepeatTimerId || id == RepeatTimerId;
    const TacScrollTracking& t = ScrollTracking;
    if (!own) {
        const bool running = t.HoverTimer || t.ScrollTimer;
        PassOn(Message);
        if (!running) return;
    } else {
        POINT p{};
        if (id == HoverTimerId)
            GetCursorPos(&p);
        else
            p = PointFromLParam(static_cast<LPARAM>(GetMessagePos()));
        TimerTick(id, TPoint(p.x, p.y));
        Message.Result = 0;
    }
    if (!Destroyed && !DontRepaint && !fThumbTracking) RefreshScrollBars(this, true);
}

void TacScrollWnd::TimerTick(UINT_PTR Id, TPoint Position) {
    TacScrollTracking& t = ScrollTracking;
    switch (Id) {
    case HoverTimerId: HoverPoll(Position); break;
    case FirstRepeatTimerId:
        KillTimer(CtrlHandle, FirstRepeatTimerId);
        t.ScrollTimer = Tracking() ? SetTimer(CtrlHandle, RepeatTimerId, 55, nullptr) : 0;
        break;
    case RepeatTimerId: RepeatStep(Position); break;
    default: break;
    }
}

void TacScrollWnd::HoverPoll(TPoint Cursor) {
    if (fThumbTracking) return;
    TacScrollTracking& t = ScrollTracking;
    if (t.HotBar != -1 && t.CurrentWnd == CtrlHandle && t.HoverRect.Contains(Cursor)) {
        t.HotPortion = ScrollHitTest(Bar(t.HotBar), GetScrollRect(*this, t.HotBar), Cursor);
        if (t.HotPortion != t.LastHotPortion) PaintBarNow(t.HotBar);
        t.LastHotPortion = t.HotPortion;
        return;
    }
    KillTimer(CtrlHandle, HoverTimerId);
    t.HoverTimer = 0;
    t.HotBar = t.LastHotPortion = t.HotPortion = spNone;
    PaintScrollBars(this, CtrlHandle);
}

void TacScrollWnd::RepeatStep(TPoint Position) {
    TacScrollTracking& t = ScrollTracking;
    // A repeat left over from a click that has ended.
    if (!Tracking()) {
        KillTimer(CtrlHandle, RepeatTimerId);
        return;
    }
    TrackPressed(Position);
    if (t.PressedPortion == spNone) return;
    DontRepaint = true;
    SendScrollMessage(CtrlHandle, t.ScrollMsg, t.PressedPortion, 0);
    DontRepaint = false;
}
