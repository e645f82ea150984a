// TXtForm: owner-window fixing, modal showing after pending timers, the focusable flag and
// showing without activation.
//
// The owner is fixed each time the form is shown, as the windows around it change: a
// stay-on-top form belongs to the application window (so it stays above every form of the
// program), another top-level form to the modal form active now, else the main form, else the
// application window. The main form keeps its own owner, so that it keeps its taskbar button.
// Showing without activation adds SWP_NOACTIVATE to the window's position changes while it
// shows, so that the framework's own showing path (placement, OnShow, state) stays the same.
#include "support/XtThread/XtThread.h"

namespace {

// The modal form the user works with now, other than `except`.
TCustomForm* ActiveModalForm(TCustomForm* except) {
    if (!Screen) return nullptr;
    TCustomForm* active = Screen->ActiveCustomForm();
    if (active && active != except && active->FormState().Contains(fsModal)) return active;
    for (int i = Screen->CustomFormCount() - 1; i >= 0; --i) {
        TCustomForm* form = Screen->CustomForms(i);
        if (form != except && form->FormState().Contains(fsModal)) return form;
    }
    return nullptr;
}

} // namespace

void TXtForm::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_VISIBLECHANGED:
        if (Visible() && !ComponentState().Contains(csLoading)) FixOwnerWindow();
        break;
    case WM_MOUSEACTIVATE:
        if (!FFocusable) {
            Message.Result = MA_NOACTIVATE;
            return;
        }
        break;
    case WM_WINDOWPOSCHANGING:
        if (FShowingNoActivate)
            reinterpret_cast<WINDOWPOS*>(Message.LParam)->flags |= SWP_NOACTIVATE;
        break;
    default: break;
    }
    TXtExForm::Dispatch(Message);
}

void TXtForm::FixOwnerWindow() {
    if (Parent() || ParentWindow() || FormStyle() == fsMDIChild || !Application) return;
    if (Application->MainForm() == this) return;
    HWND owner = Application->Handle();
    if (FormStyle() != fsStayOnTop) {
        TCustomForm* above = ActiveModalForm(this);
        if (!above && Application->MainForm() && Application->MainForm()->HandleAllocated())
            above = Application->MainForm();
        if (above) owner = above->Handle();
    }
    SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    if (FormStyle() == fsStayOnTop)
        SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// A timer message pending now would otherwise wait for the modal loop and run inside it.
TModalResult TXtForm::ShowModal() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) DispatchMessageW(&msg);
    return TXtExForm::ShowModal();
}

// The active control would take the focus, and the focus the activation: it is handed back
// once the form shows.
void TXtForm::ShowNoActivate(bool CallActivate) {
    if (CallActivate) Activate();
    TWinControl* active = ActiveControl();
    SetActiveControl(nullptr);
    FShowingNoActivate = true;
    try {
        SetVisible(true);
    } catch (...) {
        FShowingNoActivate = false;
        throw;
    }
    FShowingNoActivate = false;
    if (active && active->CanFocus()) SetActiveControl(active);
}

void TXtForm::LoadStoredDescription() {
    throw EResNotFound(L"Resource " + ClassName() + L" not found");
}
