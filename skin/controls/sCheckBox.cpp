// TsCheckBox: what the check box does differently from the radio button.
#include "skin/controls/sCheckBox.h"

#include "skin/controls/sSkinnedControl.h"

#include <windowsx.h>

void TsCheckBox::SetChecked(bool value) {
    if (ComponentState().Contains(csLoading)) return;
    if (value != Checked()) FCommonData->BGChanged = true;
    TCustomCheckBox::SetChecked(value);
    if (FCommonData->BGChanged && SkinActive()) Repaint();
}

void TsCheckBox::Toggle() {
    TCustomCheckBox::Toggle();
    Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this));
}

const wchar_t* TsCheckBox::SkinGlyphName() {
    switch (State()) {
    case cbChecked: return L"BOXCHECKED";
    case cbGrayed: return L"BOXGRAYED";
    default: return L"BOXUNCHECKED";
    }
}

void TsCheckBox::MouseReleased(TMessage& Message) {
    if (ReadOnly()) return;
    if (FPressed) {
        FPressed = false;
        Toggle();
    }
    MouseUp(mbLeft, MouseKeysToShiftState(Message.WParam), GET_X_LPARAM(Message.LParam),
            GET_Y_LPARAM(Message.LParam));
}

// A change of the check fades from the old look (or repaints); skin command 6 repaints a box
// left waiting or half visible.
bool TsCheckBox::OwnSkinnedMessage(TMessage& Message) {
    if (Message.Msg == CM_CHANGED) {
        if (Designing())
            FCommonData->Invalidate();
        else
            FadeTo(aeMouseUp, true);
        return false;
    }
    if (SkinCommand(Message) == SKCMD_UPDATEDONE &&
        (FCommonData->Updating() || FCommonData->HalfVisible)) {
        FCommonData->SetUpdating(false);
        if (!Designing()) Repaint();
    }
    return false;
}

// ---- pictures of an image list -------------------------------------------------------------

bool TsCheckBox::ListUsable() const { return FImages && FImgChecked >= 0 && FImgUnchecked >= 0; }

TSize TsCheckBox::ListGlyphSize() {
    return ListUsable() ? TSize(FImages->Width(), FImages->Height()) : TSize();
}

// The list's picture of the check, the same in every state (a list holds one picture per
// image, not the three states of a user glyph).
bool TsCheckBox::DrawListGlyph(const TRect& R) {
    if (!ListUsable()) return false;
    FImages->Draw(FCommonData->CacheBmp()->Canvas(), R.left, R.top,
                  Checked() ? FImgChecked : FImgUnchecked, Enabled());
    return true;
}

void TsCheckBox::SetImages(TCustomImageList* value) {
    if (value == FImages) return;
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = value;
    if (FImages) FImages->FreeNotification(this);
    AdjustSize();
    FCommonData->Invalidate();
}

void TsCheckBox::SetImgChecked(int value) {
    if (value == FImgChecked) return;
    FImgChecked = value;
    AdjustSize();
    if (Checked()) FCommonData->Invalidate();
}

void TsCheckBox::SetImgUnchecked(int value) {
    if (value == FImgUnchecked) return;
    FImgUnchecked = value;
    AdjustSize();
    if (!Checked()) FCommonData->Invalidate();
}

void TsCheckBox::Notification(TComponent* AComponent, TOperation Operation) {
    TsCheckable<TCustomCheckBox>::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}
