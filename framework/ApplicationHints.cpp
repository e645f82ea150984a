// The application's hints. The message loop hands every mouse move to HintMouseMessage, which
// finds the control under the cursor (a graphic control through its parent's ControlAtPos) and
// its hint control (the nearest one, itself or a parent, with ShowHint); when that changes, a
// timer on the application window waits the pause (the control may change it through
// CM_HINTSHOWPAUSE) and then asks the control with CM_HINTSHOW and shows the hint window. Keys,
// clicks and leaving the cursor rectangle end the hint; so does the hide timer.
#include "framework/Application.h"

#include "framework/Forms.h"

namespace {

constexpr UINT_PTR ShowTimer = 1;
constexpr UINT_PTR HideTimer = 2;
constexpr UINT_PTR ReshowTimer = 3;

// The control (windowed or graphic) at a screen point of a library window.
TControl* ControlAtCursor(HWND wnd, TPoint screen) {
    TWinControl* windowed = TWinControl::FindControl(wnd);
    if (!windowed) return nullptr;
    TControl* child = windowed->ControlAtPos(windowed->ScreenToClient(screen), true);
    return child && !dynamic_cast<TWinControl*>(child) ? child : windowed;
}

TControl* HintControlOf(TControl* control) {
    while (control && !control->ShowHint()) control = control->Parent();
    return control;
}

} // namespace

void TApplication::SetShowHint(bool value) {
    if (value == FShowHint) return;
    FShowHint = value;
    if (!value) {
        CancelHint();
        if (FHintWindow) FreeAndNil(FHintWindow);
    }
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FHintControl) {
        FHintControl = nullptr;
        CancelHint();
    }
    if (AComponent == FHintWindow) FHintWindow = nullptr;
}

void TApplication::StartHintTimer(UINT_PTR id, int ms) {
    SetTimer(Handle(), id, static_cast<UINT>(ms > 0 ? ms : 1), nullptr);
}

void TApplication::StopHintTimer(UINT_PTR id) { KillTimer(Handle(), id); }

void TApplication::SetHintControl(TControl* control) {
    if (control == FHintControl) return;
    if (FHintControl) FHintControl->RemoveFreeNotification(this);
    FHintControl = control;
    if (control) control->FreeNotification(this);
}

void TApplication::HintMouseMessage(const MSG& msg) {
    if (!FShowHint) return;
    const TPoint cursor{msg.pt.x, msg.pt.y};
    if (FHintShowing && FHintCursorRect.Contains(cursor)) return;
    TControl* control = HintControlOf(ControlAtCursor(msg.hwnd, cursor));
    if (FHintShowing || control != FHintControl) {
        const bool recent = FHintShowing || GetTickCount() - FHintHiddenAt < 100;
        HideHint();
        SetHintControl(control);
        if (!control) return;
        int pause = recent ? HintShortPause : HintPause;
        control->Perform(CM_HINTSHOWPAUSE, recent ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
        StartHintTimer(ShowTimer, pause);
    }
}

void TApplication::HintTimerExpired(UINT_PTR id) {
    StopHintTimer(id);
    switch (id) {
    case ShowTimer:
    case ReshowTimer: {
        POINT cursor;
        if (FHintControl && GetCursorPos(&cursor)) ShowHintOf(FHintControl, {cursor.x, cursor.y});
        break;
    }
    case HideTimer: HideHint(); break;
    default: break;
    }
}

void TApplication::ActivateHint(TPoint CursorPos) {
    const HWND wnd = WindowFromPoint(CursorPos);
    TControl* control = HintControlOf(ControlAtCursor(wnd, CursorPos));
    SetHintControl(control);
    if (control) ShowHintOf(control, CursorPos);
}

void TApplication::ShowHintOf(TControl* control, TPoint cursor) {
    THintInfo info;
    info.HintControl = control;
    info.HintWindowClass = HintWindowClass ? HintWindowClass : THintWindow::StaticClass();
    info.HintPos = {cursor.x, cursor.y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4};
    info.HintMaxWidth = Screen ? Screen->Width() : 300;
    info.HintColor = HintColor;
    info.CursorRect = control->ClientRect();
    info.CursorPos = control->ScreenToClient(cursor);
    info.HideTimeout = HintHidePause;
    info.HintStr = GetShortHint(control->Hint());
    bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
    OnShowHint(info.HintStr, canShow, info);
    if (!canShow || info.HintStr.empty()) return;
    if (FHintWindow && FHintWindow->ClassType() != info.HintWindowClass) FreeAndNil(FHintWindow);
    if (!FHintWindow) {
        FHintWindow = dynamic_cast<THintWindow*>(CreateInstance(info.HintWindowClass, this));
        if (!FHintWindow) throw EInvalidOperation(L"The hint window class is no hint window");
    }
    FHintWindow->SetColor(info.HintColor);
    TRect rect = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
    rect = {info.HintPos.x, info.HintPos.y, info.HintPos.x + rect.Width(),
            info.HintPos.y + rect.Height()};
    FHintWindow->ActivateHintData(rect, info.HintStr, info.HintData);
    const TPoint origin = control->ClientToScreen({0, 0});
    FHintCursorRect = {info.CursorRect.left + origin.x, info.CursorRect.top + origin.y,
                       info.CursorRect.right + origin.x, info.CursorRect.bottom + origin.y};
    FHintShowing = true;
    if (info.HideTimeout > 0) StartHintTimer(HideTimer, info.HideTimeout);
    if (info.ReshowTimeout > 0) StartHintTimer(ReshowTimer, info.ReshowTimeout);
}

void TApplication::HideHint() {
    StopHintTimer(ShowTimer);
    StopHintTimer(HideTimer);
    StopHintTimer(ReshowTimer);
    if (!FHintShowing) return;
    FHintShowing = false;
    FHintHiddenAt = GetTickCount();
    if (FHintWindow) FHintWindow->ReleaseHandle();
}

void TApplication::CancelHint() {
    HideHint();
    SetHintControl(nullptr);
}
