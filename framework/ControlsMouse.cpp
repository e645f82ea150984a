// Mouse handling shared by every control: button and move messages become OnMouseDown/Move/Up,
// OnClick and OnDblClick with a shift state; capture; the wheel notification; the hover
// notifications. Windowed parents route mouse messages to their graphic children and report
// which control the mouse is over (ControlsWinMouse.cpp); here the control that is reported
// sends CM_MOUSELEAVE / CM_MOUSEENTER to itself with LParam = itself, and every control passes
// the notification on to its parent unchanged, so a parent learns which child the mouse entered
// or left.
#include "framework/Controls.h"

namespace controls_detail {

TControl*& MouseControl() noexcept {
    static TControl* control = nullptr;
    return control;
}

TControl*& CaptureControl() noexcept {
    static TControl* control = nullptr;
    return control;
}

void SetMouseControl(TControl* control) {
    TControl* previous = MouseControl();
    if (previous == control) return;
    MouseControl() = control;
    if (previous) previous->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(previous));
    if (control && MouseControl() == control)
        control->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(control));
}

} // namespace controls_detail

TShiftState MouseKeysToShiftState(WPARAM keys) {
    TShiftState shift;
    if (keys & MK_SHIFT) shift.Include(ssShift);
    if (keys & MK_CONTROL) shift.Include(ssCtrl);
    if (keys & MK_LBUTTON) shift.Include(ssLeft);
    if (keys & MK_RBUTTON) shift.Include(ssRight);
    if (keys & MK_MBUTTON) shift.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
    return shift;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
    if (keyData & (LPARAM{1} << 29)) shift.Include(ssAlt);
    return shift;
}

HCURSOR CursorHandle(TCursor cursor) {
    static const struct {
        TCursor Cursor;
        const wchar_t* Id;
    } table[] = {
        {crArrow, IDC_ARROW},
        {crCross, IDC_CROSS},
        {crIBeam, IDC_IBEAM},
        {crSizeNESW, IDC_SIZENESW},
        {crSizeNS, IDC_SIZENS},
        {crSizeNWSE, IDC_SIZENWSE},
        {crSizeWE, IDC_SIZEWE},
        {crUpArrow, IDC_UPARROW},
        {crHourGlass, IDC_WAIT},
        {crNo, IDC_NO},
        {crAppStart, IDC_APPSTARTING},
        {crHelp, IDC_HELP},
        {crHandPoint, IDC_HAND},
        {crSizeAll, IDC_SIZEALL},
        {crNoDrop, IDC_NO},
        {crHSplit, IDC_SIZEWE},
        {crVSplit, IDC_SIZENS},
    };
    for (const auto& entry : table)
        if (entry.Cursor == cursor) return LoadCursorW(nullptr, entry.Id);
    if (cursor == crDrag) {
        static const HCURSOR drag = controls_detail::MakeDragCursor(1);
        return drag;
    }
    if (cursor == crMultiDrag) {
        static const HCURSOR multiDrag = controls_detail::MakeDragCursor(3);
        return multiDrag;
    }
    return nullptr;
}

// ---- buttons and moves -------------------------------------------------------------------------

void TControl::WMMouseButton(TMessage& Message, TMouseButton Button, bool Down, bool DoubleClick) {
    const POINT point = PointFromLParam(Message.LParam);
    TShiftState shift = MouseKeysToShiftState(Message.WParam);
    DefaultHandler(Message);
    if (Down) {
        if (Button == mbLeft && FDragMode == dmAutomatic && !DoubleClick) {
            BeginDrag(false);
            return;
        }
        if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
        if (Button == mbLeft && FControlStyle.Contains(csClickEvents)) {
            FControlState.Include(csClicked);
            if (DoubleClick) DblClick();
        }
        if (Button == mbLeft) FControlState.Include(csLButtonDown);
        if (DoubleClick) shift.Include(ssDouble);
        MouseDown(Button, shift, point.x, point.y);
        return;
    }
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
    if (Button == mbLeft) {
        FControlState.Exclude(csLButtonDown);
        if (FControlState.Contains(csClicked)) {
            FControlState.Exclude(csClicked);
            if (ClientRect().Contains({point.x, point.y})) Click();
        }
    }
    MouseUp(Button, shift, point.x, point.y);
}

void TControl::WMMouseMove(TMessage& Message) {
    const POINT point = PointFromLParam(Message.LParam);
    DefaultHandler(Message);
    MouseMove(MouseKeysToShiftState(Message.WParam), point.x, point.y);
}

void TControl::DblClick() { OnDblClick(this); }

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) { OnMouseMove(this, Shift, X, Y); }

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    OnMouseUp(this, Button, Shift, X, Y);
}

// ---- capture -----------------------------------------------------------------------------------

bool TControl::MouseCapture() const {
    if (auto* windowed = dynamic_cast<const TWinControl*>(this))
        return windowed->HandleAllocated() && GetCapture() == windowed->FHandle;
    return controls_detail::CaptureControl() == this && FParent && GetCapture() == FParent->FHandle;
}

// A graphic control captures through its parent's window, which then routes every mouse
// message to it until the capture ends.
void TControl::SetMouseCapture(bool value) {
    if (value == MouseCapture()) return;
    auto* windowed = dynamic_cast<TWinControl*>(this);
    if (!value) {
        if (controls_detail::CaptureControl() == this) controls_detail::CaptureControl() = nullptr;
        ReleaseCapture();
        return;
    }
    if (windowed) {
        SetCapture(windowed->Handle());
    } else if (FParent) {
        controls_detail::CaptureControl() = this;
        SetCapture(FParent->Handle());
    }
}

// ---- notifications -----------------------------------------------------------------------------

void TControl::CMMouseEnterLeave(TMessage& Message) {
    if (FParent) FParent->Perform(Message.Msg, Message.WParam, Message.LParam);
}

void TControl::CMMouseWheel(TMessage& Message) {
    TShiftState shift = TShiftState::FromBits(LOWORD(Message.WParam));
    const int delta = static_cast<short>(HIWORD(Message.WParam));
    const POINT point = PointFromLParam(Message.LParam);
    Message.Result = DoMouseWheel(shift, delta, {point.x, point.y}) ? 1 : 0;
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    bool handled = false;
    OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    return handled;
}
