// TButtonControl and TButton over the system's BUTTON class. The button reports a click to its
// parent (BN_CLICKED), which reflects it back as CN_COMMAND: that is the one place OnClick fires,
// so a click by mouse, by the space bar or by BM_CLICK is counted once. A click sets the form's
// ModalResult to the button's (mrNone leaves a modal form open). Enter and Esc reach the button
// as CM_DIALOGKEY, offered by the form to its controls.
#include "framework/StdCtrls.h"

#include "framework/Forms.h"

// ---- TButtonControl ----------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle({csSetCaption, csDoubleClicks});
}

void TButtonControl::SetWordWrap(bool value) {
    if (value == FWordWrap) return;
    FWordWrap = value;
    RecreateWnd();
}

void TButtonControl::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    if (FWordWrap) Params.Style |= BS_MULTILINE;
}

void TButtonControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: PressFocus(Message); break;
    default: TWinControl::Dispatch(Message);
    }
}

// A press on an unfocused button takes the focus first without counting as a check: the system
// reports a radio button that gets the focus as clicked.
void TButtonControl::PressFocus(TMessage& Message) {
    if (!Focused() && HandleAllocated()) {
        FClicksDisabled = true;
        ::SetFocus(Handle());
        FClicksDisabled = false;
        if (!Focused()) return;
    }
    TWinControl::Dispatch(Message);
}

// ---- TButton -----------------------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csOpaque});
    SetColor(clBtnFace);
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
}

void TButton::CreateParams(TCreateParams& Params) {
    TButtonControl::CreateParams(Params);
    CreateSubClass(Params, L"BUTTON");
    Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CreateWnd() {
    TButtonControl::CreateWnd();
    FActive = FDefault;
}

// The default button is shown again for the control that has the focus now (the form's
// active control).
void TButton::SetDefault(bool value) {
    FDefault = value;
    if (!HandleAllocated()) return;
    TCustomForm* form = GetParentForm(this);
    TWinControl* focused = form ? form->ActiveControl() : FindControl(GetFocus());
    TopParent()->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(focused));
}

// The form learns the result first, so that OnClick may still change it.
void TButton::Click() {
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
    TButtonControl::Click();
}

void TButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND:
        if (HIWORD(Message.WParam) == BN_CLICKED) Click();
        Message.Result = 0;
        break;
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_FOCUSCHANGED: CMFocusChanged(Message); break;
    default: TButtonControl::Dispatch(Message);
    }
}

void TButton::CMDialogKey(TMessage& Message) {
    const auto key = static_cast<Word>(Message.WParam);
    const bool mine = (key == VK_RETURN && FActive) || (key == VK_ESCAPE && FCancel);
    const TShiftState modifiers =
        KeyDataToShiftState(Message.LParam) * TShiftState{ssShift, ssAlt, ssCtrl};
    if (mine && modifiers == TShiftState{} && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
    }
    TButtonControl::Dispatch(Message);
}

// A focused button is the active one; while some other control has the focus the Default
// button is.
void TButton::CMFocusChanged(TMessage& Message) {
    auto* focused = reinterpret_cast<TControl*>(Message.LParam);
    auto* button = focused ? dynamic_cast<TButton*>(focused) : nullptr;
    FActive = button ? button == this : FDefault;
    SetButtonStyle(FActive);
    TButtonControl::Dispatch(Message);
}

void TButton::SetButtonStyle(bool ADefault) {
    if (!HandleAllocated()) return;
    const DWORD style = ADefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    const auto current = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE));
    if ((current & BS_TYPEMASK) == style) return;
    SendMessageW(Handle(), BM_SETSTYLE, style, TRUE);
}
