// TControl and its action: the link to it, taking over what the action shows, and a click that
// executes it. The action going away clears the links left on it; the control going away frees
// its link, which leaves the action's clients.
#include "framework/ActnList.h"
#include "framework/Controls.h"

TBasicAction* TControl::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TControl::SetAction(TBasicAction* value) {
    if (!value) {
        ReleaseAction();
        return;
    }
    if (!FActionLink) {
        FActionLink.reset(new TControlActionLink(this));
        FActionLink->OnChange = TNotifyEvent(this, &TControl::DoActionChange);
    }
    FActionLink->SetAction(value);
    SetControlStyle(ControlStyle() + TControlStyle{csActionClient});
    ActionChange(value, value->ComponentState().Contains(csLoading));
}

void TControl::ReleaseAction() {
    FActionLink.reset();
    SetControlStyle(ControlStyle() - TControlStyle{csActionClient});
}

// A change with no action left is the action going away.
void TControl::DoActionChange(TObject* Sender) {
    if (!Action())
        SetControlStyle(ControlStyle() - TControlStyle{csActionClient});
    else if (Sender == Action())
        ActionChange(Sender, false);
}

// Defaults: an empty caption or the control's name, enabled, no hint, visible.
void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
    auto* action = dynamic_cast<TCustomAction*>(Sender);
    if (!action) return;
    if (!CheckDefaults || Caption().empty() || Caption() == Name()) SetCaption(action->Caption());
    if (!CheckDefaults || Enabled()) SetEnabled(action->Enabled());
    if (!CheckDefaults || Hint().empty()) SetHint(action->Hint());
    if (!CheckDefaults || Visible()) SetVisible(action->Visible());
}

// A handler of its own in OnClick wins over the action; OnClick set to the action's own
// handler runs once, through the action.
void TControl::Click() {
    TBasicAction* action = Action();
    const bool ownHandler = action && OnClick && OnClick != action->OnExecute;
    if (action && !ownHandler && !ComponentState().Contains(csDesigning))
        FActionLink->Execute(this);
    else
        OnClick(this);
}
