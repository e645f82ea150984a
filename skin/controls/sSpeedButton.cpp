// TsSpeedButton's life cycle and properties. A change of look marks the cache stale and
// repaints from it (GraphRepaint) while the button is visible or designed.
#include "skin/controls/sSpeedButton.h"

#include "framework/ActnList.h"
#include "skin/controls/sSkinnedControl.h"

#include <algorithm>

TsSpeedButton* DroppedDownButton = nullptr;

TsSpeedButton::TsSpeedButton(TComponent* AOwner)
    : TSpeedButton(AOwner), FCommonData(new TsCommonData(this, true)) {
    FCommonData->COC = 92;
    OldOnChange = Glyph()->OnChange;
    Glyph()->OnChange = TNotifyEvent(this, &TsSpeedButton::GlyphChanged);
}

TsSpeedButton::~TsSpeedButton() {
    if (DroppedDownButton == this) DroppedDownButton = nullptr;
    RestoreHints(this);
    StopFading();
    Glyph()->OnChange = OldOnChange;
}

void TsSpeedButton::AfterConstruction() {
    TSpeedButton::AfterConstruction();
    FCommonData->Loaded();
    if (FCommonData->Skinned()) SetControlStyle(ControlStyle() + TControlStyle{csOpaque});
}

void TsSpeedButton::Loaded() {
    TSpeedButton::Loaded();
    FCommonData->Loaded();
    if (FCommonData->Skinned()) SetControlStyle(ControlStyle() + TControlStyle{csOpaque});
    if (IsImageUsed()) Glyph()->Assign(nullptr);
}

void TsSpeedButton::Notification(TComponent* AComponent, TOperation Operation) {
    TSpeedButton::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FImages) FImages = nullptr;
    if (AComponent == DropdownMenu()) SetDropdownMenu(nullptr);
}

bool TsSpeedButton::IsImageUsed() const {
    return FImages && FImages->Count() > 0 && FImageIndex >= 0 && FImageIndex < FImages->Count();
}

void TsSpeedButton::LookChanged() {
    if (!Visible() && !ComponentState().Contains(csDesigning)) return;
    FCommonData->BGChanged = true;
    GraphRepaint();
}

void TsSpeedButton::GlyphChanged(TObject* Sender) {
    OldOnChange(Sender);
    const TComponentState state = ComponentState();
    if (!state.Contains(csLoading) && !state.Contains(csDestroying) &&
        !ControlState().Contains(csCreating))
        FCommonData->Invalidate();
}

void TsSpeedButton::UpdateCaption() {
    if (!Caption().empty()) OldCaption = Caption();
    SetCaption(FShowCaption ? OldCaption : UnicodeString());
}

void TsSpeedButton::SetDisabledKind(TsDisabledKind value) {
    if (value == FDisabledKind) return;
    FDisabledKind = value;
    LookChanged();
}

void TsSpeedButton::SetDisabledGlyphKind(TsDisabledGlyphKind value) {
    if (value == FDisabledGlyphKind) return;
    FDisabledGlyphKind = value;
    LookChanged();
}

void TsSpeedButton::SetGrayed(bool value) {
    if (value == FGrayed) return;
    FGrayed = value;
    LookChanged();
}

void TsSpeedButton::SetBlend(int value) {
    value = std::clamp(value, 0, 100);
    if (value == FBlend) return;
    FBlend = value;
    LookChanged();
}

void TsSpeedButton::SetTextOffset(int value) {
    if (value == FOffset) return;
    FOffset = value;
    LookChanged();
}

void TsSpeedButton::SetImageIndex(int value) {
    if (value == FImageIndex) return;
    FImageIndex = value;
    LookChanged();
}

void TsSpeedButton::SetImages(TCustomImageList* value) {
    if (value == FImages) return;
    HoldImages(value);
    LookChanged();
}

void TsSpeedButton::HoldImages(TCustomImageList* value) {
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = value;
    if (value) value->FreeNotification(this);
}

// The cache is rebuilt once, after everything is taken over; a button being loaded or freed
// is not painted.
void TsSpeedButton::ActionChange(TObject* Sender, bool CheckDefaults) {
    TSpeedButton::ActionChange(Sender, CheckDefaults);
    auto* action = dynamic_cast<TCustomAction*>(Sender);
    if (!action) return;
    if (action->ActionList() && action->ActionList()->Images() != FImages)
        HoldImages(action->ActionList()->Images());
    FImageIndex = action->ImageIndex();
    UpdateCaption();
    FCommonData->BGChanged = true;
    const TComponentState state = ComponentState();
    if (!state.Contains(csDestroying) && !state.Contains(csLoading)) Repaint();
}

void TsSpeedButton::SetShowCaption(bool value) {
    if (value == FShowCaption) return;
    FShowCaption = value;
    UpdateCaption();
    LookChanged();
}

void TsSpeedButton::SetAlignment(TAlignment value) {
    if (value == FAlignment) return;
    FAlignment = value;
    LookChanged();
}

void TsSpeedButton::SetButtonStyle(TToolButtonStyle value) {
    if (value == FButtonStyle) return;
    if (!ComponentState().Contains(csLoading)) {
        if (value == tbsDropDown)
            SetWidth(Width() + 16);
        else if (FButtonStyle == tbsDropDown)
            SetWidth(Width() - 16);
    }
    FButtonStyle = value;
    LookChanged();
}

void TsSpeedButton::SetDrawOverBorder(bool value) {
    if (value == FDrawOverBorder) return;
    FDrawOverBorder = value;
    LookChanged();
}

void TsSpeedButton::SetTextAlignment(TAlignment value) {
    if (value == FTextAlignment) return;
    FTextAlignment = value;
    Repaint();
}

void TsSpeedButton::SetReflected(bool value) {
    FReflected = value;
    FCommonData->BGChanged = true;
    GraphRepaint();
}
