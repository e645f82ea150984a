// TSpeedButton's behaviour: the state machine of the face (FState) and the group.
//
//   bsUp        released; a press (MouseDown) goes to bsDown
//   bsDown      pressed while the mouse is on it; leaving it (dragging) shows bsUp again
//   bsExclusive Down: stuck down as the chosen button of a group (SetDown)
//   bsDisabled  while Enabled is false; enabling returns to bsExclusive (Down in a group) or bsUp
//
// A click (release over the button) toggles Down for a grouped button, then fires OnClick.
// Becoming Down tells the siblings of the group (CM_BUTTONPRESSED through the parent), which go
// up and take over the pressed button's AllowAllUp, so the group shares one setting.
#include "framework/Buttons.h"

#include "framework/Menus.h"
#include "framework/Themes.h"

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(new TBitmap) {
    SetControlStyle({csCaptureMouse, csDoubleClicks});
    SetColor(clBtnFace);
    SetBounds(0, 0, 23, 22);
    FGlyph->OnChange = TNotifyEvent(this, &TSpeedButton::GlyphChanged);
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::Click() { TGraphicControl::Click(); }

// ---- properties --------------------------------------------------------------------------------

void TSpeedButton::SetDown(bool value) {
    if (FGroupIndex == 0) value = false;
    if (value == FDown) return;
    if (FDown && !FAllowAllUp) return;
    FDown = value;
    FState = value ? bsExclusive : bsUp;
    Repaint();
    if (value) UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(int value) {
    if (value == FGroupIndex) return;
    FGroupIndex = value;
    UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool value) {
    if (value == FAllowAllUp) return;
    FAllowAllUp = value;
    UpdateExclusive();
}

void TSpeedButton::SetFlat(bool value) {
    if (value == FFlat) return;
    FFlat = value;
    Invalidate();
}

void TSpeedButton::SetTransparent(bool value) {
    if (value == FTransparent) return;
    FTransparent = value;
    const TControlStyle opaque{csOpaque};
    SetControlStyle(value ? ControlStyle() - opaque : ControlStyle() + opaque);
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(int value) {
    const int count = value < 1 || value > 4 ? 1 : value;
    if (count == FNumGlyphs) return;
    FNumGlyphs = count;
    Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout value) {
    if (value == FLayout) return;
    FLayout = value;
    Invalidate();
}

void TSpeedButton::SetMargin(int value) {
    if (value == FMargin || value < -1) return;
    FMargin = value;
    Invalidate();
}

void TSpeedButton::SetSpacing(int value) {
    if (value == FSpacing) return;
    FSpacing = value;
    Invalidate();
}

// A new glyph whose images are square says how many it holds.
void TSpeedButton::GlyphChanged(TObject*) {
    SetNumGlyphs(buttons_detail::ImagesIn(FGlyph.get()));
    Invalidate();
}

// ---- group -------------------------------------------------------------------------------------

void TSpeedButton::UpdateExclusive() {
    if (FGroupIndex == 0 || !Parent()) return;
    TMessage message{CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex),
                     reinterpret_cast<LPARAM>(this), 0};
    Parent()->Broadcast(message);
}

void TSpeedButton::CMButtonPressed(TMessage& Message) {
    auto* sender = reinterpret_cast<TSpeedButton*>(Message.LParam);
    if (static_cast<int>(Message.WParam) != FGroupIndex || sender == this) return;
    if (sender->FDown && FDown) {
        FDown = false;
        FState = bsUp;
        Invalidate();
    }
    FAllowAllUp = sender->FAllowAllUp;
}

// ---- mouse -------------------------------------------------------------------------------------

bool TSpeedButton::Inside(int X, int Y) { return ClientRect().Contains({X, Y}); }

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled()) return;
    if (!FDown) {
        FState = bsDown;
        Invalidate();
    }
    FDragging = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!FDragging) return;
    const TButtonState state = FDown ? bsExclusive : Inside(X, Y) ? bsDown : bsUp;
    if (state == FState) return;
    FState = state;
    Invalidate();
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!FDragging) return;
    FDragging = false;
    const bool click = Inside(X, Y);
    if (FGroupIndex == 0) {
        FState = bsUp;
        Invalidate();
    } else if (click) {
        SetDown(!FDown);
    } else {
        if (FDown) FState = bsExclusive;
        Invalidate();
    }
    if (click) Click();
}

// ---- notifications -----------------------------------------------------------------------------

void TSpeedButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_BUTTONPRESSED: CMButtonPressed(Message); break;
    case CM_MOUSEENTER:
        TGraphicControl::Dispatch(Message);
        CMMouseEnter(Message);
        break;
    case CM_MOUSELEAVE:
        TGraphicControl::Dispatch(Message);
        CMMouseLeave(Message);
        break;
    case CM_ENABLEDCHANGED:
        SyncEnabledState();
        TGraphicControl::Dispatch(Message);
        break;
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<wchar_t>(Message.WParam), Caption()) && Enabled() && Visible() &&
            Parent() && Parent()->Showing()) {
            Click();
            Message.Result = 1;
        }
        break;
    default: TGraphicControl::Dispatch(Message);
    }
}

// Flat buttons (and every button while themes are in use) light up under the mouse.
void TSpeedButton::CMMouseEnter(TMessage& Message) {
    if (Message.LParam != reinterpret_cast<LPARAM>(this) && Message.LParam != 0) return;
    if (FMouseInControl || !Enabled()) return;
    FMouseInControl = true;
    if (FFlat || ThemeServices()->ThemesEnabled()) Repaint();
}

void TSpeedButton::CMMouseLeave(TMessage& Message) {
    if (Message.LParam != reinterpret_cast<LPARAM>(this) && Message.LParam != 0) return;
    if (!FMouseInControl || FDragging) return;
    FMouseInControl = false;
    if (FFlat || ThemeServices()->ThemesEnabled()) Invalidate();
}

void TSpeedButton::SyncEnabledState() {
    if (!Enabled()) {
        FState = bsDisabled;
        FDragging = false;
        FMouseInControl = false;
    } else if (FState == bsDisabled) {
        FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
    }
}

void TSpeedButton::SetDropdownMenu(TPopupMenu* value) {
    if (value == FDropdownMenu) return;
    if (FDropdownMenu) FDropdownMenu->RemoveFreeNotification(this);
    FDropdownMenu = value;
    if (value) value->FreeNotification(this);
}

void TSpeedButton::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDropdownMenu) FDropdownMenu = nullptr;
}
