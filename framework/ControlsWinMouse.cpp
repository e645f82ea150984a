// What a windowed control does with the mouse for its graphic children: it routes mouse
// messages to the topmost enabled graphic child under the point (or to the child that has the
// mouse captured), in the child's coordinates, and it reports the control the mouse is over so
// that CM_MOUSEENTER/CM_MOUSELEAVE are sent when that changes. Leaving the window is learnt
// from WM_MOUSELEAVE, asked for with TrackMouseEvent whenever the mouse comes over one of this
// window's controls.
#include "framework/Controls.h"

namespace {

bool IsRoutedMouseMessage(UINT msg) {
    return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL &&
           msg != WM_MOUSEHWHEEL;
}

} // namespace

void TWinControl::WndProc(TMessage& Message) {
    // Keys go to the focused control, not to the window holding the drag's capture.
    if (Message.Msg == WM_KEYDOWN && Message.WParam == VK_ESCAPE && controls_detail::CancelDrag())
        return;
    if (IsRoutedMouseMessage(Message.Msg)) {
        if (Message.Msg == WM_MOUSEMOVE) TrackMouse(Message);
        if (RouteToGraphicChild(Message)) return;
    }
    TControl::WndProc(Message);
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled) {
    for (auto child = FControls.rbegin(); child != FControls.rend(); ++child) {
        TControl* control = *child;
        if (!control->Visible() || (!AllowDisabled && !control->Enabled())) continue;
        if (control->BoundsRect().Contains(Pos)) return control;
    }
    return nullptr;
}

namespace {

// A graphic child of `parent` that has the mouse captured; null when none.
TControl* CapturingChild(TWinControl* parent, HWND wnd) {
    TControl* capture = controls_detail::CaptureControl();
    if (capture && capture->Parent() == parent && GetCapture() == wnd) return capture;
    return nullptr;
}

} // namespace

bool TWinControl::RouteToGraphicChild(TMessage& Message) {
    const POINT point = PointFromLParam(Message.LParam);
    TControl* target = CapturingChild(this, FHandle);
    if (!target) {
        target = ControlAtPos({point.x, point.y}, false);
        if (dynamic_cast<TWinControl*>(target)) target = nullptr;
    }
    if (!target) return false;
    const POINT local{point.x - target->Left(), point.y - target->Top()};
    Message.Result = target->Perform(Message.Msg, Message.WParam, PointToLParam(local));
    return true;
}

void TWinControl::TrackMouse(TMessage& Message) {
    const POINT point = PointFromLParam(Message.LParam);
    TControl* target = CapturingChild(this, FHandle);
    if (!target) {
        target = ControlAtPos({point.x, point.y}, true);
        if (!target || dynamic_cast<TWinControl*>(target)) target = this;
    }
    if (controls_detail::MouseControl() == target) return;
    if (FHandle) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, FHandle, 0};
        TrackMouseEvent(&track);
    }
    controls_detail::SetMouseControl(target);
}

// The cursor of the control under the mouse, when it names one.
void TWinControl::WMSetCursor(TMessage& Message) {
    if (reinterpret_cast<HWND>(Message.WParam) == FHandle && LOWORD(Message.LParam) == HTCLIENT) {
        POINT point;
        GetCursorPos(&point);
        ::ScreenToClient(FHandle, &point);
        TControl* over = ControlAtPos({point.x, point.y}, false);
        const TCursor cursor =
            over && !dynamic_cast<TWinControl*>(over) ? over->Cursor() : Cursor();
        if (cursor != crDefault) {
            ::SetCursor(CursorHandle(cursor));
            Message.Result = 1;
            return;
        }
    }
    DefaultHandler(Message);
}
