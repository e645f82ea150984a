// The skinned check box's and radio button's window procedure: the skin commands in any state,
// focus and hover with their fades, and, while skinned, their own painting, mouse and keyboard
// handling; unskinned, the class library's button with the read-only mode.
#include "skin/controls/sCheckable.h"

#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sSkinLibrary.h"
#include "skin/engine/sVclUtils.h"

#include "framework/Themes.h"

#include <windowsx.h>

template <class Base> bool TsCheckable<Base>::UserCheckMessage(const TMessage& Message) const {
    const WORD code = HIWORD(Message.WParam);
    return (Message.Msg == CN_COMMAND && (code == BN_CLICKED || code == BN_DOUBLECLICKED)) ||
           Message.Msg == CM_DIALOGCHAR;
}

template <class Base> bool TsCheckable<Base>::ReadOnlySwallows(const TMessage& Message) const {
    return UserCheckMessage(Message) || Message.Msg == WM_LBUTTONDBLCLK ||
           (Message.Msg == BM_SETSTATE && FPressed);
}

template <class Base> void TsCheckable<Base>::TrackPressed(UINT Msg) {
    if (Msg == WM_KEYDOWN || Msg == WM_LBUTTONDOWN) FPressed = true;
    if (Msg == WM_KEYUP || Msg == WM_LBUTTONUP || Msg == CM_MOUSELEAVE) FPressed = false;
}

template <class Base> void TsCheckable<Base>::FadeTo(TacAnimatEvent Event, bool Half) {
    FadeOrRepaint(FadeTimer, this->FCommonData.get(), Half, AnimationAllowed(Event, FAnimatEvents),
                  fdUp);
}

template <class Base> void TsCheckable<Base>::WndProc(TMessage& Message) {
    if (AnswerAnyStateCommand(Message) || CommandDone(Message)) return;
    const bool skinned = SkinActive();
    if (ReadOnly() && (skinned ? Message.Msg == CM_DIALOGCHAR : ReadOnlySwallows(Message))) return;
    if (!skinned) TrackPressed(Message.Msg);
    // A new caption sizes the button even before it has a window (the language may change
    // before the window is shown).
    if (skinned && Message.Msg == CM_TEXTCHANGED) AdjustSize();
    const bool self = MouseMessageForSelf(Message, this) && MouseEventsAllowed(this);
    if (self && Message.Msg == CM_MOUSEENTER) this->OnMouseEnter(this);
    if (skinned &&
        (FocusOrHoverDone(Message) || (ControlReadyToPaint(this) && SkinnedDone(Message))))
        return;
    Base::WndProc(Message);
    if (self && Message.Msg == CM_MOUSELEAVE) this->OnMouseLeave(this);
}

// Commands 1, 2 and 3 from the own manager, 16 always; 23 rebuilds the image and goes on.
template <class Base> bool TsCheckable<Base>::CommandDone(TMessage& Message) {
    TsCommonData* data = this->FCommonData.get();
    const bool own = FromOwnManager(Message, data);
    switch (SkinCommand(Message)) {
    case SKCMD_SKINLOADED:
        if (!own) return false;
        StopFade(FadeTimer, data);
        HandleSkinnedMessage(Message, data);
        return true;
    case SKCMD_SKINREMOVED:
        if (!own) return false;
        StopFade(FadeTimer, data);
        HandleSkinnedMessage(Message, data);
        if (this->HandleAllocated()) SendMessageW(this->Handle(), BM_SETCHECK, CheckState(), 0);
        if (!Designing() && SetWindowThemeProc && this->HandleAllocated())
            SetWindowThemeProc(this->Handle(), nullptr, nullptr);
        this->Repaint();
        return true;
    case SKCMD_REPAINT:
        if (!own) return false;
        SkinRepainting();
        StopFade(FadeTimer, data);
        HandleSkinnedMessage(Message, data);
        AdjustSize();
        this->Repaint();
        return true;
    case SKCMD_STOPFADE: StopFade(FadeTimer, data); return true;
    case SKCMD_PREPARECACHE:
        if (data->Skinned()) PrepareCache();
        return false;
    default: return false;
    }
}

template <class Base> bool TsCheckable<Base>::FocusOrHoverDone(TMessage& Message) {
    TsCommonData* data = this->FCommonData.get();
    const bool live = this->Enabled() && !Designing();
    switch (Message.Msg) {
    case WM_SETFOCUS:
    case CM_ENTER:
        if (Designing()) return false;
        if (!this->Enabled()) return true;
        Base::WndProc(Message);
        data->BGChanged = true;
        if (FadeTimer)
            FadeTimer->Change();
        else
            this->Repaint();
        return true;
    case WM_KILLFOCUS:
    case CM_EXIT: {
        if (!live) return false;
        StopFade(FadeTimer, data);
        WithoutRedraw(this->Handle(), [&] { Base::WndProc(Message); });
        data->FFocused = data->FMouseAbove = false;
        data->Invalidate();
        return true;
    }
    case CM_MOUSEENTER:
        if (live && !data->FMouseAbove) {
            data->FMouseAbove = true;
            FadeTo(aeMouseEnter, false);
        }
        return false;
    case CM_MOUSELEAVE:
        if (!live) return false;
        data->FMouseAbove = false;
        FPressed = false;
        FadeTo(aeMouseLeave, false);
        return false;
    default: return false;
    }
}

template <class Base> bool TsCheckable<Base>::SkinnedDone(TMessage& Message) {
    if (HandleSkinnedMessage(Message, this->FCommonData.get()) && Message.Msg == SM_ALPHACMD)
        return true;
    if (OwnSkinnedMessage(Message) || PressDone(Message)) return true;
    switch (Message.Msg) {
    case WM_ENABLE:
    case WM_NCPAINT:
    case BM_SETSTATE: return true;
    case WM_PAINT: PaintNow(reinterpret_cast<HDC>(Message.WParam)); return !Designing();
    case WM_PRINT:
        this->FCommonData->SetUpdating(false);
        PaintNow(reinterpret_cast<HDC>(Message.WParam));
        return true; // the system's own look is not printed over it
    case WM_ERASEBKGND: Message.Result = 1; return true;
    case BM_SETCHECK:
        if (FadeTimer && FadeTimer->FadeLevel < FadeTimer->Iterations)
            StopFade(FadeTimer, this->FCommonData.get());
        return true;
    case BM_GETCHECK: Message.Result = static_cast<LRESULT>(CheckState()); return true;
    case WM_UPDATEUISTATE:
        if (!Designing() && SetWindowThemeProc && ThemeServices()->ThemesEnabled())
            SetWindowThemeProc(this->Handle(), L" ", L" ");
        return true;
    case CM_ENABLEDCHANGED:
        Base::WndProc(Message);
        this->Repaint();
        return true;
    case CM_TEXTCHANGED: this->Repaint(); return true; // sized above
    default: return false;
    }
}

// The space key and the left button: the press shows the pressed look and takes the focus
// (without a click); the release after a press changes the check.
template <class Base> bool TsCheckable<Base>::PressDone(TMessage& Message) {
    if (!this->Enabled() || Designing()) return false;
    const auto takeFocus = [this] {
        this->SetClicksDisabled(true);
        ::SetFocus(this->Handle());
        this->SetClicksDisabled(false);
    };
    switch (Message.Msg) {
    case WM_KEYDOWN: {
        if (Message.WParam != VK_SPACE) return false;
        if (ReadOnly()) return true;
        FPressed = true;
        takeFocus();
        this->Repaint();
        Word key = VK_SPACE;
        this->KeyDown(key, KeyDataToShiftState(Message.LParam));
        return true;
    }
    case WM_KEYUP: {
        if (ReadOnly()) return true;
        if (FPressed) {
            FPressed = false;
            KeyReleased();
        }
        Word key = static_cast<Word>(Message.WParam);
        this->KeyUp(key, KeyDataToShiftState(Message.LParam));
        return true;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (this->DragMode() != dmManual) return false;
        if (ReadOnly()) return true;
        FPressed = true;
        FadeTo(aeMouseDown, true);
        takeFocus();
        if (Message.Msg == WM_LBUTTONDBLCLK)
            this->DblClick();
        else
            this->MouseDown(mbLeft, MouseKeysToShiftState(Message.WParam),
                            GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
        return true;
    case WM_LBUTTONUP: MouseReleased(Message); return true;
    default: return false;
    }
}

template class TsCheckable<TCustomCheckBox>;
template class TsCheckable<TRadioButton>;
