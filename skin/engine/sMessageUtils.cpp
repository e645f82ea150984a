// The skin message senders and the control walks of the skin engine. They rely on the class
// library's Perform for window-less controls and on SendMessage for windows, so that a control's
// own WindowProc chain (hooks included) sees the message either way.
#include "skin/engine/sMessageUtils.h"

#include "skin/engine/sSkinManager.h"

namespace {

bool Destroying(const TComponent* Component) {
    return Component->ComponentState().Contains(csDestroying);
}

TWinControl* AsWindowed(TControl* Control) { return dynamic_cast<TWinControl*>(Control); }

} // namespace

LRESULT SendSkinCommand(HWND Wnd, WORD Cmd, LPARAM LParam) {
    return SendMessageW(Wnd, SM_ALPHACMD, SkinWParam(Cmd), LParam);
}

LRESULT PerformSkinCommand(TControl* Control, WORD Cmd, LPARAM LParam) {
    if (!Control || Destroying(Control)) return 0;
    TWinControl* windowed = AsWindowed(Control);
    if (windowed && windowed->HandleAllocated())
        return SendSkinCommand(windowed->Handle(), Cmd, LParam);
    return Control->Perform(SM_ALPHACMD, SkinWParam(Cmd), LParam);
}

bool AskControl(TControl* Control, WORD Cmd) { return PerformSkinCommand(Control, Cmd) == 1; }

bool ControlReadyToPaint(TControl* Control) {
    if (!Control || !Control->Parent()) return false;
    TWinControl* windowed = AsWindowed(Control);
    if (windowed && !windowed->HandleAllocated()) return false;
    if (Control->ControlState().Contains(csCreating) ||
        Control->ControlState().Contains(csReadingState))
        return false;
    const TComponentState state = Control->ComponentState();
    return !state.Contains(csLoading) && !state.Contains(csDestroying);
}

TCustomFrame* OwnerFrame(TComponent* Component) {
    for (TComponent* owner = Component ? Component->Owner() : nullptr; owner;
         owner = owner->Owner())
        if (auto* frame = dynamic_cast<TCustomFrame*>(owner)) return frame;
    return nullptr;
}

TCustomForm* OwnerForm(TComponent* Component) {
    for (TComponent* owner = Component ? Component->Owner() : nullptr; owner;
         owner = owner->Owner())
        if (auto* form = dynamic_cast<TCustomForm*>(owner)) return form;
    return nullptr;
}

void PassMessageToChildren(TWinControl* Control, TMessage& Message) {
    for (int i = 0; i < Control->ControlCount(); ++i) {
        TControl* child = Control->Controls(i);
        if (Destroying(child)) return;
        TWinControl* windowed = AsWindowed(child);
        if (!windowed || !windowed->HandleAllocated())
            child->Perform(Message.Msg, Message.WParam, Message.LParam);
        else if (AskControl(windowed, SKCMD_ISSKINNED))
            SendMessageW(windowed->Handle(), Message.Msg, Message.WParam, Message.LParam);
        else
            PassMessageToChildren(windowed, Message);
    }
}

void RefreshChildControls(TWinControl* Control) {
    if (FormAnimating) return;
    for (int i = 0; i < Control->ControlCount(); ++i)
        if (TWinControl* child = AsWindowed(Control->Controls(i)))
            PerformSkinCommand(child, SKCMD_UPDATEDONE);
}

void NotifyParentForm(TControl* Control) {
    const TComponentState state = Control->ComponentState();
    if (state.Contains(csDesigning) || state.Contains(csLoading)) return;
    TCustomForm* form = GetParentForm(Control, false);
    if (form && form->HandleAllocated())
        SendSkinCommand(form->Handle(), SKCMD_CONTROLPLACED, reinterpret_cast<LPARAM>(Control));
}
