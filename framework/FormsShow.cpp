// Showing, hiding and closing forms, and the modal loop. A form's window exists hidden until the
// form is shown; showing places it (Position) the first time, runs OnShow, shows it in its
// WindowState and hands the focus to ActiveControl. ShowModal disables the thread's other
// enabled top-level windows, runs the application's loop until ModalResult is set (or the
// application ends, which answers mrCancel), asks OnCloseQuery/OnClose, and enables the windows
// again before it returns, whatever happened.
#include "framework/Forms.h"

#include "framework/Application.h"

#include <algorithm>

void TCustomForm::Show() {
    SetVisible(true);
    BringToFront();
}

void TCustomForm::BringToFront() {
    if (!HandleAllocated() || !Visible()) return;
    if (FFormStyle == fsMDIChild)
        SendMessageW(GetParent(Handle()), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(Handle()), 0);
    else
        SetForegroundWindow(Handle());
}

// The form shows and hides its window itself: the first showing places it, OnShow comes before
// the window appears and OnHide before it goes.
void TCustomForm::CMVisibleChanged() {
    if (ComponentState().Contains(csLoading)) return;
    if (Visible()) {
        HandleNeeded();
        if (!FPositioned) ApplyPosition();
        FFormState.Include(fsShowing);
        try {
            DoShow();
        } catch (...) {
            FFormState.Exclude(fsShowing);
            throw;
        }
        FFormState.Exclude(fsShowing);
        ShowWindow(Handle(), ShowCommand());
        FFormState.Include(fsVisible);
        if (FActiveControl && FActiveControl->CanFocus() && FFormStyle != fsMDIChild)
            FActiveControl->SetFocus();
    } else if (HandleAllocated()) {
        DoHide();
        ShowWindow(Handle(), SW_HIDE);
        FFormState.Exclude(fsVisible);
    }
    Perform(CM_SHOWINGCHANGED, 0, 0);
}

int TCustomForm::ShowCommand() const {
    switch (FWindowState) {
    case wsMinimized: return SW_SHOWMINIMIZED;
    case wsMaximized: return SW_SHOWMAXIMIZED;
    default: return SW_SHOWNORMAL;
    }
}

void TCustomForm::SetWindowState(TWindowState value) {
    if (value == FWindowState) return;
    FWindowState = value;
    if (HandleAllocated() && Visible()) ShowWindow(Handle(), ShowCommand());
}

namespace {

TRect WorkAreaOf(HWND wnd) {
    HMONITOR monitor = MonitorFromWindow(wnd, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) RaiseLastOSError(L"GetMonitorInfo");
    return TRect(info.rcWork);
}

TRect DesktopRect() {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
            top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

} // namespace

void TCustomForm::ApplyPosition() {
    FPositioned = true;
    if (FFormStyle == fsMDIChild) return;
    TRect area;
    switch (FPosition) {
    case poScreenCenter: area = WorkAreaOf(Handle()); break;
    case poDesktopCenter: area = DesktopRect(); break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        TCustomForm* around =
            FPosition == poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : nullptr;
        if (!around && Application) around = Application->MainForm();
        if (!around || around == this)
            area = WorkAreaOf(Handle());
        else
            area = around->BoundsRect();
        break;
    }
    default: return;
    }
    LONG left = area.left + (area.Width() - Width()) / 2;
    LONG top = area.top + (area.Height() - Height()) / 2;
    // A form centred on another one stays on the screen.
    const TRect work = WorkAreaOf(Handle());
    left = std::max(work.left, std::min(left, work.right - Width()));
    top = std::max(work.top, std::min(top, work.bottom - Height()));
    SetBounds(left, top, Width(), Height());
}

// ---- modal showing
// -------------------------------------------------------------------------------

namespace {

struct TDisabledWindows {
    HWND Keep;
    std::vector<HWND> Windows;
};

BOOL CALLBACK DisableWindow(HWND wnd, LPARAM data) noexcept {
    auto* disabled = reinterpret_cast<TDisabledWindows*>(data);
    if (wnd != disabled->Keep && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
        disabled->Windows.push_back(wnd);
        EnableWindow(wnd, FALSE);
    }
    return TRUE;
}

} // namespace

TModalResult TCustomForm::ShowModal() {
    if (Visible() || !Enabled() || FFormState.Contains(fsModal) || FFormStyle == fsMDIChild)
        throw EInvalidOperation(L"Cannot make a visible window modal");
    if (GetCapture()) SendMessageW(GetCapture(), WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    HandleNeeded();
    const HWND previousActive = GetActiveWindow();
    TDisabledWindows disabled{Handle(), {}};
    EnumThreadWindows(GetCurrentThreadId(), &DisableWindow, reinterpret_cast<LPARAM>(&disabled));
    FFormState.Include(fsModal);
    if (Application) Application->ModalStarted();
    FModalResult = mrNone;
    try {
        Show();
        RunModalLoop();
    } catch (...) {
        EndModal(disabled.Windows, previousActive);
        throw;
    }
    EndModal(disabled.Windows, previousActive);
    return FModalResult;
}

void TCustomForm::RunModalLoop() {
    do {
        Application->HandleMessage();
        if (Application->Terminated())
            FModalResult = mrCancel;
        else if (FModalResult != mrNone)
            CloseModal();
    } while (FModalResult == mrNone);
}

// OnCloseQuery and OnClose may keep the form open: then the loop goes on.
void TCustomForm::CloseModal() {
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    if (action == caNone)
        FModalResult = mrNone;
    else if (action == caFree)
        Release();
}

void TCustomForm::EndModal(const std::vector<HWND>& disabled, HWND previousActive) {
    for (HWND wnd : disabled)
        if (IsWindow(wnd)) EnableWindow(wnd, TRUE);
    if (HandleAllocated() && Visible()) {
        if (previousActive && IsWindow(previousActive)) SetActiveWindow(previousActive);
        Hide();
    }
    FFormState.Exclude(fsModal);
    if (Application) Application->ModalFinished();
}

// ---- closing ------------------------------------------------------------------------------------

bool TCustomForm::CloseQuery() {
    if (FFormStyle == fsMDIForm)
        for (int i = 0; i < MDIChildCount(); ++i)
            if (!MDIChildren(i)->CloseQuery()) return false;
    bool canClose = true;
    OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close() {
    if (FFormState.Contains(fsModal)) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    if (FFormStyle == fsMDIChild) action = FBorderIcons.Contains(biMinimize) ? caMinimize : caNone;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
    }
}

// The message goes with the window if the form is freed before it arrives.
void TCustomForm::Release() { PostMessageW(Handle(), CM_RELEASE, 0, 0); }

// ---- MDI
// ------------------------------------------------------------------------------------------

namespace {

std::vector<TCustomForm*> ChildFormsOf(HWND client) {
    std::vector<TCustomForm*> children;
    if (!client) return children;
    for (HWND wnd = GetWindow(client, GW_CHILD); wnd; wnd = GetWindow(wnd, GW_HWNDNEXT))
        if (auto* form = dynamic_cast<TCustomForm*>(TWinControl::FindControl(wnd)))
            if (form->FormStyle() == fsMDIChild) children.push_back(form);
    return children;
}

} // namespace

int TCustomForm::MDIChildCount() { return static_cast<int>(ChildFormsOf(FClientHandle).size()); }

TCustomForm* TCustomForm::MDIChildren(int index) {
    const auto children = ChildFormsOf(FClientHandle);
    if (index < 0 || index >= static_cast<int>(children.size()))
        throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
    return children[static_cast<std::size_t>(index)];
}

TCustomForm* TCustomForm::ActiveMDIChild() {
    if (!FClientHandle) return nullptr;
    auto wnd = reinterpret_cast<HWND>(SendMessageW(FClientHandle, WM_MDIGETACTIVE, 0, 0));
    return dynamic_cast<TCustomForm*>(TWinControl::FindControl(wnd));
}
