// TsRadioButton: what the radio button does differently from the check box.
#include "skin/controls/sRadioButton.h"

#include "skin/controls/sSkinnedControl.h"

#include <windowsx.h>

void TsRadioButton::WndProc(TMessage& Message) {
    if (Message.Msg == CN_COMMAND && UserCheckMessage(Message) && !CanCheck()) return;
    TsCheckable<TRadioButton>::WndProc(Message);
}

const wchar_t* TsRadioButton::MeasuredGlyphName() {
    return Checked() ? L"RADIOCHECKED" : L"RADIOUNCHECKED";
}

// Only with the button's own section in the skin.
const wchar_t* TsRadioButton::SkinGlyphName() {
    if (!FCommonData->Skinned()) return nullptr;
    return MeasuredGlyphName();
}

// The window class redraws nothing by itself on a size change: the skin paints the button.
void TsRadioButton::SkinRepainting() {
    if (!HandleAllocated()) return;
    const ULONG_PTR style = GetClassLongPtrW(Handle(), GCL_STYLE);
    SetClassLongPtrW(Handle(), GCL_STYLE, style & ~ULONG_PTR(CS_VREDRAW | CS_HREDRAW));
}

void TsRadioButton::KeyReleased() {
    SetChecked(true);
    Repaint();
}

void TsRadioButton::MouseReleased(TMessage& Message) {
    if (!ReadOnly() && CanCheck() && FPressed) SetChecked(true);
    FPressed = false;
    Repaint();
    MouseUp(mbLeft, MouseKeysToShiftState(Message.WParam), GET_X_LPARAM(Message.LParam),
            GET_Y_LPARAM(Message.LParam));
}

// The window keeps its check (the class library sets it there), and the button fades to its
// new look; the push state is never the window's. Skin command 6 paints a button left waiting
// or half visible at once.
bool TsRadioButton::OwnSkinnedMessage(TMessage& Message) {
    switch (Message.Msg) {
    case BM_SETSTATE: return true;
    case BM_SETCHECK:
        TRadioButton::WndProc(Message);
        FCommonData->BGChanged = true;
        if (FadeTimer && FadeTimer->FadeLevel < FadeTimer->Iterations) {
            FadeTimer->SetEnabled(false);
            Repaint();
        }
        SetChecked(Message.WParam != 0);
        if (Designing())
            FCommonData->Invalidate();
        else
            FadeTo(aeMouseUp, true);
        return true;
    default: break;
    }
    if (SkinCommand(Message) == SKCMD_UPDATEDONE &&
        (FCommonData->Updating() || FCommonData->HalfVisible)) {
        FCommonData->SetUpdating(false);
        PaintNow(nullptr);
    }
    return false;
}
