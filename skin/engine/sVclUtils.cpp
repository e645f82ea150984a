// The skin message senders and the control walks of the skin engine. They rely on the class
// library's Perform for window-less controls and on SendMessage for windows, so that a control's
// own WindowProc chain (hooks included) sees the message either way.
#include "skin/engine/sVclUtils.h"

#include "skin/engine/sSkinManager.h"

#include <vector>

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

TacFormProviderLink* FormProviderOf(TCustomForm* Form) {
    return reinterpret_cast<TacFormProviderLink*>(PerformSkinCommand(Form, SKCMD_GETPROVIDER));
}

bool AskControl(TControl* Control, WORD Cmd) { return PerformSkinCommand(Control, Cmd) == 1; }

bool AskWindow(HWND Wnd, WORD Cmd) { return SendSkinCommand(Wnd, Cmd) == 1; }

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
    for (int i = 0; i < Control->ControlCount(); ++i) {
        TWinControl* child = AsWindowed(Control->Controls(i));
        if (!child || Destroying(child)) continue;
        if (child->HandleAllocated() && child->Showing())
            SendSkinCommand(child->Handle(), SKCMD_UPDATEDONE);
        else if (!child->HandleAllocated())
            PerformSkinCommand(child, SKCMD_UPDATEDONE);
    }
}

namespace {

struct TChildWindowWalk {
    HWND Parent;
    const TMessage* Message;
};

BOOL CALLBACK SendToChild(HWND Child, LPARAM Data) {
    const auto* walk = reinterpret_cast<const TChildWindowWalk*>(Data);
    if (GetParent(Child) == walk->Parent)
        SendMessageW(Child, walk->Message->Msg, walk->Message->WParam, walk->Message->LParam);
    return TRUE;
}

} // namespace

void RefreshChildWindows(HWND Wnd) {
    for (HWND child = GetWindow(Wnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetWindowLongW(child, GWL_STYLE) & WS_CHILD) SendSkinCommand(child, SKCMD_UPDATEDONE);
}

void SendToChildWindows(HWND Wnd, const TMessage& Message) {
    TChildWindowWalk walk{Wnd, &Message};
    EnumChildWindows(Wnd, &SendToChild, reinterpret_cast<LPARAM>(&walk));
}

void NotifyParentForm(TControl* Control) {
    const TComponentState state = Control->ComponentState();
    if (state.Contains(csDesigning) || state.Contains(csLoading)) return;
    TCustomForm* form = GetParentForm(Control, false);
    if (form && form->HandleAllocated())
        SendSkinCommand(form->Handle(), SKCMD_CONTROLPLACED, reinterpret_cast<LPARAM>(Control));
}

TColor ControlBackColor(TControl* Control) {
    if (!Control) return static_cast<TColor>(0xFF00FF);
    if (AskControl(Control, SKCMD_ISSKINNED))
        return ColorToRGB(
            static_cast<TColor>(PerformSkinCommand(Control, SKCMD_GETBGCOLOR, 0xFF00FF)));
    return ColorToRGB(Control->Color());
}

TColor WindowBackColor(HWND Wnd) {
    if (!Wnd) return static_cast<TColor>(0xFF00FF);
    return ColorToRGB(static_cast<TColor>(SendSkinCommand(Wnd, SKCMD_GETBGCOLOR, 0xFF00FF)));
}

int AlignedChildrenSize(TWinControl* Control, TAlign Align, bool IncludeGraphic) {
    int size = 0;
    for (int i = 0; i < Control->ControlCount(); ++i) {
        TControl* child = Control->Controls(i);
        if (!child->Visible() || child->Align() != Align) continue;
        if (!IncludeGraphic && !AsWindowed(child)) continue;
        switch (Align) {
        case alTop:
        case alBottom: size += child->Height(); break;
        case alLeft:
        case alRight: size += child->Width(); break;
        default: break;
        }
    }
    return size;
}

void OrderAfterControl(TControl* Control, TControl* Target) {
    TWinControl* parent = Control->Parent();
    if (!parent || Target->Parent() != parent || Control == Target) return;
    // Control goes to the end, then what followed Target goes after it, in its order.
    std::vector<TControl*> following;
    bool past = false;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* child = parent->Controls(i);
        if (past && child != Control) following.push_back(child);
        past = past || child == Target;
    }
    Control->BringToFront();
    for (TControl* child : following) child->BringToFront();
}

HWND TopLevelWindowOf(HWND Wnd) {
    for (HWND parent = GetParent(Wnd); parent; parent = GetParent(Wnd)) Wnd = parent;
    return Wnd;
}

void ClientRectInWindow(HWND Wnd, TRect& R) {
    RECT window;
    GetWindowRect(Wnd, &window);
    GetClientRect(Wnd, &R);
    POINT origin{0, 0};
    ClientToScreen(Wnd, &origin);
    OffsetRect(&R, origin.x - window.left, origin.y - window.top);
}

void CursorPoint(TPoint& P) { GetCursorPos(&P); }

UINT TextAlignFlags(TControl* Control, TAlignment Alignment) {
    static const UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    return Control->DrawTextBiDiModeFlags(alignments[Alignment] | DT_EXPANDTABS | DT_VCENTER);
}
