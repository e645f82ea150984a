// TCustomCheckBox and TRadioButton over the BUTTON class in its manual styles (BS_3STATE,
// BS_RADIOBUTTON): the system never changes the check by itself, the control does it on
// BN_CLICKED, so State and Checked are always the control's fields and the window only shows
// them (BM_SETCHECK).
#include "framework/StdCtrls.h"

namespace {

constexpr DWORD TextSide(TAlignment alignment) {
    return alignment == taLeftJustify ? BS_LEFTTEXT : 0;
}

} // namespace

// ---- TCustomCheckBox ---------------------------------------------------------------------------

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
    SetTabStop(true);
    SetBounds(0, 0, 97, 17);
}

void TCustomCheckBox::CreateParams(TCreateParams& Params) {
    TButtonControl::CreateParams(Params);
    CreateSubClass(Params, L"BUTTON");
    Params.Style |= BS_3STATE | TextSide(FAlignment);
}

void TCustomCheckBox::CreateWnd() {
    TButtonControl::CreateWnd();
    SendMessageW(Handle(), BM_SETCHECK, static_cast<WPARAM>(FState), 0);
}

void TCustomCheckBox::SetState(TCheckBoxState value) {
    if (value == FState) return;
    FState = value;
    if (HandleAllocated()) SendMessageW(Handle(), BM_SETCHECK, static_cast<WPARAM>(FState), 0);
    if (!ClicksDisabled()) Click();
}

void TCustomCheckBox::SetAlignment(TAlignment value) {
    if (value == FAlignment) return;
    FAlignment = value;
    RecreateWnd();
}

void TCustomCheckBox::Toggle() {
    switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
    }
}

void TCustomCheckBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND:
        if (HIWORD(Message.WParam) == BN_CLICKED) Toggle();
        Message.Result = 0;
        break;
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<wchar_t>(Message.WParam), Caption()) && CanFocus()) {
            SetFocus();
            if (Focused()) Toggle();
            Message.Result = 1;
            break;
        }
        TButtonControl::Dispatch(Message);
        break;
    default: TButtonControl::Dispatch(Message);
    }
}

// ---- TRadioButton ------------------------------------------------------------------------------

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
    SetBounds(0, 0, 113, 17);
}

void TRadioButton::CreateParams(TCreateParams& Params) {
    TButtonControl::CreateParams(Params);
    CreateSubClass(Params, L"BUTTON");
    Params.Style |= BS_RADIOBUTTON | TextSide(FAlignment);
}

void TRadioButton::CreateWnd() {
    TButtonControl::CreateWnd();
    SendMessageW(Handle(), BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The checked button of a group is its tab stop.
void TRadioButton::SetChecked(bool value) {
    if (value == FChecked) return;
    FChecked = value;
    SetTabStop(value);
    if (HandleAllocated())
        SendMessageW(Handle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!value) return;
    TurnSiblingsOff();
    if (!ClicksDisabled()) Click();
}

void TRadioButton::TurnSiblingsOff() {
    if (!Parent()) return;
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        auto* sibling = dynamic_cast<TRadioButton*>(Parent()->Controls(i));
        if (sibling && sibling != this) sibling->SetChecked(false);
    }
}

void TRadioButton::SetAlignment(TAlignment value) {
    if (value == FAlignment) return;
    FAlignment = value;
    RecreateWnd();
}

void TRadioButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND:
        if (HIWORD(Message.WParam) == BN_CLICKED || HIWORD(Message.WParam) == BN_DOUBLECLICKED)
            SetChecked(true);
        Message.Result = 0;
        break;
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<wchar_t>(Message.WParam), Caption()) && CanFocus()) {
            SetFocus();
            if (Focused()) SetChecked(true);
            Message.Result = 1;
            break;
        }
        TButtonControl::Dispatch(Message);
        break;
    default: TButtonControl::Dispatch(Message);
    }
}
