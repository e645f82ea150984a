// TsSpeedButton's window procedure (skin commands in any state, the unskinned stage with the
// mouse enter and leave events, the skinned stage with its fades) and its mouse handling,
// including the drop-down menu.
#include "skin/controls/sSpeedButton.h"

#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/acGlow.h"
#include "skin/engine/sVclUtils.h"

namespace {

// A drop-down menu of some speed button is being opened (GUI thread).
bool MenuOpening = false;

} // namespace

void TsSpeedButton::WndProc(TMessage& Message) {
    if (AnyStateCommand(Message)) return;
    if (!ControlReadyToPaint(this) || !FCommonData->Skinned()) {
        UnskinnedStage(Message);
        return;
    }
    if (SkinnedStage(Message)) return;
    HandleSkinnedMessage(Message, FCommonData.get());
    TSpeedButton::WndProc(Message);
    AfterInherited(Message);
}

bool TsSpeedButton::AnyStateCommand(TMessage& Message) {
    if (AnswerAnyStateCommand(Message)) return true;
    const bool own = FromOwnManager(Message, FCommonData.get());
    switch (SkinCommand(Message)) {
    case SKCMD_SKINLOADED:
        if (!own) return false;
        HandleSkinnedMessage(Message, FCommonData.get());
        if (FCommonData->Skinned()) SetControlStyle(ControlStyle() + TControlStyle{csOpaque});
        return true;
    case SKCMD_SKINREMOVED:
        if (!own || ComponentState().Contains(csDestroying)) return false;
        HandleSkinnedMessage(Message, FCommonData.get());
        SetControlStyle(ControlStyle() - TControlStyle{csOpaque});
        if (Visible()) Repaint();
        return false;
    case SKCMD_REPAINT:
        if (!own) return false;
        HandleSkinnedMessage(Message, FCommonData.get());
        if (Visible()) Repaint();
        return true;
    case SKCMD_UPDATEDONE:
        if (!FCommonData->Updating()) return false;
        FCommonData->SetUpdating(false);
        GraphRepaint();
        return true;
    case SKCMD_REFRESHNOW:
        FCommonData->SetUpdating(false);
        FCommonData->BGChanged = true;
        GraphRepaint();
        return false;
    default: return false;
    }
}

void TsSpeedButton::UnskinnedStage(TMessage& Message) {
    const bool self = MouseMessageForSelf(Message, this) && MouseEventsAllowed(this);
    if (self && Message.Msg == CM_MOUSEENTER) {
        OnMouseEnter(this);
        FCommonData->FMouseAbove = true;
    } else if (self && Message.Msg == CM_MOUSELEAVE) {
        OnMouseLeave(this);
        FCommonData->FMouseAbove = false;
        if (FState == bsDown) FState = bsUp;
    }
    TSpeedButton::WndProc(Message);
}

bool TsSpeedButton::SkinnedStage(TMessage& Message) {
    switch (SkinCommand(Message)) {
    case SKCMD_QUERYUPDATING: Message.Result = FCommonData->Updating(); return true;
    case SKCMD_SECTIONCHANGED: GraphRepaint(); return true;
    case SKCMD_STOPFADE: StopFading(); return true;
    default: break;
    }
    switch (Message.Msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
        if (Visible()) FCommonData->BGChanged = true;
        return false;
    case WM_ERASEBKGND: return true;
    case WM_LBUTTONUP:
        if (!ComponentState().Contains(csDesigning) && FadeTimer && FadeTimer->Enabled() &&
            FadeTimer->TmpBmp()->Width() == Width()) {
            StopFading();
            PrepareCache();
            GraphRepaint();
        }
        return false;
    case CM_TEXTCHANGED:
        if (FShowCaption) {
            FCommonData->BGChanged = true;
            GraphRepaint();
        }
        return true;
    case CM_MOUSEENTER: MouseEnterAction(Message); return false;
    case CM_MOUSELEAVE: MouseLeaveAction(Message); return false;
    default: return false;
    }
}

void TsSpeedButton::AfterInherited(const TMessage& Message) {
    const bool designing = ComponentState().Contains(csDesigning);
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!designing) StateChanged(true, AnimationAllowed(aeMouseDown, FAnimatEvents));
        break;
    case WM_LBUTTONUP:
        if (!designing) StateChanged(true, AnimationAllowed(aeMouseUp, FAnimatEvents));
        break;
    case CM_VISIBLECHANGED: FCommonData->FMouseAbove = false; break;
    case CM_ENABLEDCHANGED:
    case CM_BUTTONPRESSED:
        FCommonData->BGChanged = true;
        if (!ComponentState().Contains(csLoading)) GraphRepaint();
        break;
    default: break;
    }
}

void TsSpeedButton::MouseEnterAction(const TMessage& Message) {
    if (!MouseMessageForSelf(Message, this) || !MouseEventsAllowed(this)) return;
    OnMouseEnter(this);
    if (FCommonData->FMouseAbove) return;
    FCommonData->FMouseAbove = true;
    StateChanged(false, AnimationAllowed(aeMouseEnter, FAnimatEvents));
}

void TsSpeedButton::MouseLeaveAction(const TMessage& Message) {
    if (!MouseMessageForSelf(Message, this) || !Enabled() || !FCommonData->FMouseAbove) return;
    OnMouseLeave(this);
    FCommonData->FMouseAbove = false;
    if (FState == bsDown) FState = bsUp;
    if (Visible()) StateChanged(false, AnimationAllowed(aeMouseLeave, FAnimatEvents));
}

int TsSpeedButton::CurrentState() {
    if (FState == bsDown || FState == bsExclusive) return 2;
    return IsHotState(FCommonData.get()) ? 1 : 0;
}

void TsSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    SuspendHints(this);
    const bool dropDown = Button == mbLeft && Enabled() && FButtonStyle == tbsDropDown &&
                          DropdownMenu() && (X > Width() - 16 || !OnClick);
    if (dropDown)
        DropDown();
    else
        TSpeedButton::MouseDown(Button, Shift, X, Y);
}

void TsSpeedButton::DropDown() {
    DroppedDownButton = this;
    StopFading();
    if (MenuOpening) return;
    struct TRestore {
        TsSpeedButton* Button;
        ~TRestore() { Button->AfterDropDown(); }
    } restore{this};
    MenuOpening = true;
    DroppedDown = true;
    FCommonData->BGChanged = true;
    if (!OnClick) FState = bsDown;
    GraphRepaint();
    DropdownMenu()->SetPopupComponent(this);
    const TPoint at = ClientToScreen(TPoint(0, Height() + 1));
    DropdownMenu()->Popup(at.x, at.y);
}

// The menu closed (or its handler raised): the drop-down state goes back in every case.
void TsSpeedButton::AfterDropDown() {
    DroppedDown = false;
    MenuOpening = false;
    DroppedDownButton = nullptr;
    POINT cursor{};
    GetCursorPos(&cursor);
    const TPoint origin = ClientToScreen(TPoint(0, 0));
    const TRect screen(origin.x, origin.y, origin.x + Width(), origin.y + Height());
    if (!screen.Contains(TPoint(cursor.x, cursor.y)))
        Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(this));
    if (!OnClick) FState = bsUp;
}

void TsSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    RestoreHints(this);
    if (Button == mbLeft && Enabled() && FButtonStyle == tbsDropDown) {
        DroppedDown = false;
        if (DroppedDownButton == this) DroppedDownButton = nullptr;
    }
    TSpeedButton::MouseUp(Button, Shift, X, Y);
}

void TsSpeedButton::StateChanged(bool Half, bool Allowed) {
    const bool fade = Allowed && !SkinLoading && FCommonData->Skinned() &&
                      SectionFadingEnabled(FCommonData.get()) && !FadingSuspended &&
                      !FCommonData->BGChanged;
    FCommonData->BGChanged = true;
    if (fade) {
        StartFading(Half);
    } else {
        StopFading();
        GraphRepaint();
    }
    RefreshControlGlow(FCommonData.get(), Half);
}

void TsSpeedButton::StartFading(bool Half) {
    if (ComponentState().Contains(csDesigning)) return;
    int level = 1;
    if (FadeTimer) {
        level = FadeTimer->Iterations - FadeTimer->FadeLevel;
        FreeAndNil(FadeTimer);
    }
    if (!SectionFadingEnabled(FCommonData.get()) || FadingSuspended) return;
    FadeTimer = new TsAnimTimer(nullptr);
    FadeTimer->SetOwnerData(FCommonData.get());
    if (Half) FadeTimer->Iterations /= 2;
    FadeTimer->FadeLevel = level;
    PaintOverlappedControls(FCommonData->CacheBmp()->Canvas());
    FadeTimer->BmpFrom()->Assign(FCommonData->CacheBmp());
    PrepareCache();
    PaintOverlappedControls(FCommonData->CacheBmp()->Canvas());
    FadeTimer->SetEnabled(true);
    FadeTimer->DoFade();
}

void TsSpeedButton::StopFading() {
    if (!FadeTimer) return;
    const TComponentState state = ComponentState();
    if (!state.Contains(csDestroying) && !state.Contains(csDesigning) &&
        !FadeTimer->ComponentState().Contains(csDestroying)) {
        FadeTimer->SetEnabled(false);
        if (FadeTimer->FadeLevel != 0) {
            FCommonData->BGChanged = true;
            GraphRepaint();
        }
    }
    FreeAndNil(FadeTimer);
}
