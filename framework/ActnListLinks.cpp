// The links a client holds to its action. A control's link passes a property on only while the
// control still shows the action's present value. (The control's answer to the Change that
// follows, ActionChange, then takes every property over anyway; a client that answers Change
// with less relies on the link alone.)
#include "framework/ActnList.h"

#include "framework/Controls.h"

// ---- TBasicActionLink --------------------------------------------------------------------------

TBasicActionLink::~TBasicActionLink() {
    if (FAction) FAction->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* value) {
    if (value == FAction) return;
    if (FAction) FAction->UnRegisterChanges(this);
    if (value) value->RegisterChanges(this);
}

// The action may be freed by its own handler; it then clears FAction on its way out.
bool TBasicActionLink::Execute(TComponent* AComponent) {
    if (!FAction) return false;
    FAction->SetActionComponent(AComponent);
    bool handled = false;
    try {
        handled = FAction->Execute();
    } catch (...) {
        if (FAction) FAction->SetActionComponent(nullptr);
        throw;
    }
    if (FAction) FAction->SetActionComponent(nullptr);
    return handled;
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }

// ---- TActionLink -------------------------------------------------------------------------------

TCustomAction* TActionLink::CustomAction() const { return dynamic_cast<TCustomAction*>(Action()); }

// ---- TControlActionLink ------------------------------------------------------------------------

bool TControlActionLink::IsCaptionLinked() {
    return TActionLink::IsCaptionLinked() && FClient->Caption() == CustomAction()->Caption();
}

bool TControlActionLink::IsEnabledLinked() {
    return TActionLink::IsEnabledLinked() && FClient->Enabled() == CustomAction()->Enabled();
}

bool TControlActionLink::IsHintLinked() {
    return TActionLink::IsHintLinked() && FClient->Hint() == CustomAction()->Hint();
}

bool TControlActionLink::IsVisibleLinked() {
    return TActionLink::IsVisibleLinked() && FClient->Visible() == CustomAction()->Visible();
}

void TControlActionLink::SetCaption(const UnicodeString& Value) {
    if (IsCaptionLinked()) FClient->SetCaption(Value);
}

void TControlActionLink::SetEnabled(bool Value) {
    if (IsEnabledLinked()) FClient->SetEnabled(Value);
}

void TControlActionLink::SetHint(const UnicodeString& Value) {
    if (IsHintLinked()) FClient->SetHint(Value);
}

void TControlActionLink::SetVisible(bool Value) {
    if (IsVisibleLinked()) FClient->SetVisible(Value);
}
