// TsButton's life cycle, properties, skin commands and mouse handling; its skinned window
// procedure is in sButtonMessages.cpp, its painting in sButtonPaint.cpp. Owner-draw is switched
// on only by a skin (CreateParams with an active manager, or command 1) and off by command 2.
#include "skin/controls/sButton.h"

#include "framework/ActnList.h"
#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/acGlow.h"
#include "skin/engine/sVclUtils.h"

TsButton::TsButton(TComponent* AOwner)
    : TButton(AOwner), FCommonData(new TsCommonData(this, true)) {
    SetControlStyle(ControlStyle() - TControlStyle{csOpaque, csDoubleClicks});
    FCommonData->COC = 93;
    SetWordWrap(true);
}

TsButton::~TsButton() {
    RestoreHints(this);
    StopFade(FadeTimer, FCommonData.get());
}

void TsButton::AfterConstruction() {
    TButton::AfterConstruction();
    FCommonData->CacheBmp()->Canvas()->SetFont(Font());
    FCommonData->Loaded();
}

void TsButton::Loaded() {
    TButton::Loaded();
    FCommonData->CacheBmp()->Canvas()->SetFont(Font());
    FCommonData->Loaded();
}

void TsButton::CreateParams(TCreateParams& Params) {
    TButton::CreateParams(Params);
    TsSkinManager* manager = FCommonData->SkinManager();
    if (manager && manager->Active() && !OwnerFrame(this))
        Params.Style = (Params.Style & ~0xFu) | BS_OWNERDRAW;
}

// Skinned, the button paints its default look itself; unskinned the system shows it.
void TsButton::SetButtonStyle(bool ADefault) {
    IsFocused = ADefault;
    if (FCommonData->Skinned())
        FCommonData->Invalidate();
    else
        TButton::SetButtonStyle(ADefault);
}

void TsButton::ActionChange(TObject* Sender, bool CheckDefaults) {
    TButton::ActionChange(Sender, CheckDefaults);
    if (auto* action = dynamic_cast<TCustomAction*>(Sender)) SetEnabled(action->Enabled());
}

void TsButton::SetDown(bool value) {
    FDown = value;
    RegionChanged = true;
    if (!ComponentState().Contains(csLoading)) FCommonData->Invalidate();
}

void TsButton::SetShowFocus(bool value) {
    FShowFocus = value;
    FCommonData->Invalidate();
}

void TsButton::SetDisabledKind(TsDisabledKind value) {
    if (value == FDisabledKind) return;
    FDisabledKind = value;
    if (!ComponentState().Contains(csLoading)) FCommonData->Invalidate();
}

int TsButton::CurrentState() {
    const bool pushed =
        HandleAllocated() && (SendMessageW(Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED);
    if ((FDown || pushed || PressedPaint) &&
        (FCommonData->FMouseAbove || !ControlState().Contains(csLButtonDown)))
        return 2;
    const bool defaultStyle =
        HandleAllocated() && (GetWindowLongW(Handle(), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON;
    if (IsFocused || defaultStyle || IsHotState(FCommonData.get()) ||
        (ComponentState().Contains(csDesigning) && Default()))
        return 1;
    return 0;
}

void TsButton::SetOwnerDraw(bool On) {
    if (!HandleAllocated()) return;
    const LONG style = GetWindowLongW(Handle(), GWL_STYLE);
    const WPARAM next = On ? (style | BS_OWNERDRAW) : (style & ~static_cast<LONG>(BS_OWNERDRAW));
    SendMessageW(Handle(), BM_SETSTYLE, next, TRUE);
}

bool TsButton::AnyStateCommand(TMessage& Message) {
    if (AnswerAnyStateCommand(Message)) return true;
    const bool own = FromOwnManager(Message, FCommonData.get());
    switch (SkinCommand(Message)) {
    case SKCMD_SKINLOADED:
        if (!own) return false;
        RegionChanged = true;
        if (!OwnerFrame(this) || !ComponentState().Contains(csDesigning)) SetOwnerDraw(true);
        StopFade(FadeTimer, FCommonData.get());
        HandleSkinnedMessage(Message, FCommonData.get());
        return true;
    case SKCMD_SKINREMOVED:
        if (!own || ComponentState().Contains(csDestroying)) return false;
        SkinRemoved();
        HandleSkinnedMessage(Message, FCommonData.get());
        return true;
    case SKCMD_REPAINT:
        if (!own) return false;
        StopFade(FadeTimer, FCommonData.get());
        RegionChanged = true;
        HandleSkinnedMessage(Message, FCommonData.get());
        if (!AnimationDC) Repaint();
        return true;
    case SKCMD_STOPFADE: StopFade(FadeTimer, FCommonData.get()); return true;
    case SKCMD_PREPARECACHE:
        if (FCommonData->Skinned()) PrepareCache();
        return true;
    case SKCMD_PAINTFADEFRAME: Message.Result = 0; return true; // the timer draws the frame
    default: return false;
    }
}

void TsButton::SkinRemoved() {
    StopFade(FadeTimer, FCommonData.get());
    SetOwnerDraw(false);
    FRegion.Reset();
    FRegionApplied = false;
    LastRect = TRect();
    if (HandleAllocated()) SetWindowRgn(Handle(), nullptr, TRUE);
    Repaint();
}

void TsButton::WndProc(TMessage& Message) {
    if (Message.Msg == WM_KILLFOCUS && ComponentState().Contains(csDestroying)) return;
    if (AnyStateCommand(Message)) return;
    if (!ControlReadyToPaint(this) || !FCommonData->Skinned(true))
        UnskinnedStage(Message);
    else
        SkinnedStage(Message);
}

void TsButton::UnskinnedStage(TMessage& Message) {
    const bool self = MouseMessageForSelf(Message, this) && MouseEventsAllowed(this);
    if (self && Message.Msg == CM_MOUSEENTER) OnMouseEnter(this);
    if (self && Message.Msg == CM_MOUSELEAVE) OnMouseLeave(this);
    TButton::WndProc(Message);
}

void TsButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const bool skinned =
        FCommonData->Skinned() && Enabled() && !ComponentState().Contains(csDesigning);
    if (!skinned) return TButton::MouseDown(Button, Shift, X, Y);
    FCommonData->SetUpdating(false);
    if (Button == mbLeft) SuspendHints(this);
    FMouseClicked = true;
    if (Button == mbLeft && !FDown) {
        RegionChanged = true;
        FCommonData->BGChanged = false;
        FadeOrRepaint(FadeTimer, FCommonData.get(), true,
                      AnimationAllowed(aeMouseDown, FAnimatEvents), fdUp);
    }
    RestoreHints(this); // the suspension covers the fade start only
    TButton::MouseDown(Button, Shift, X, Y);
}

void TsButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const bool skinned =
        FCommonData->Skinned() && Enabled() && !ComponentState().Contains(csDesigning);
    if (!skinned) return TButton::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft) RestoreHints(this);
    if (!FMouseClicked || ComponentState().Contains(csDestroying)) return;
    FMouseClicked = false;
    if (Button == mbLeft) {
        if (FadeTimer && FadeTimer->FadeLevel < FadeTimer->Iterations) ShowPressedNow();
        FCommonData->SetUpdating(false);
        RegionChanged = true;
        FCommonData->BGChanged = false;
        FadeOrRepaint(FadeTimer, FCommonData.get(), true,
                      AnimationAllowed(aeMouseUp, FAnimatEvents), fdUp);
    }
    TButton::MouseUp(Button, Shift, X, Y);
}

// A release while the press still fades in: the pressed look is shown whole for a moment before
// the release fades back.
void TsButton::ShowPressedNow() {
    FadeTimer->SetEnabled(false);
    FCommonData->BGChanged = true;
    PressedPaint = true;
    struct TClear {
        ~TClear() { PressedPaint = false; }
    } clear;
    if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Sleep(30);
}
