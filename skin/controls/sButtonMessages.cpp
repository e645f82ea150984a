// TsButton's skinned window procedure: the button paints itself on WM_PAINT and WM_PRINT (the
// system's owner-draw requests are answered without drawing), keeps its region and image marked
// stale as it moves, sizes and changes focus, and fades or repaints as the mouse comes and goes.
#include "skin/controls/sButton.h"

#include "framework/ActnList.h"
#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/acGlow.h"
#include "skin/engine/sVclUtils.h"

namespace {

// Set while the button passes a focus change on with redrawing switched off (GUI thread).
bool Focusing = false;

} // namespace

void TsButton::SkinnedStage(TMessage& Message) {
    // An entry while the frame bar rearranges is not one: the button is not marked as under the
    // mouse, so that its leaving and its next real entry come in pairs.
    if (Message.Msg == CM_MOUSEENTER && MouseEnterSuspended) {
        TButton::WndProc(Message);
        return;
    }
    MouseOverMessage(Message);
    if (FocusMessage(Message) || PaintMessage(Message)) return;
    switch (Message.Msg) {
    case SM_ALPHACMD:
        if (SkinCommand(Message) == SKCMD_UPDATEDONE && FCommonData->Updating()) {
            FCommonData->SetUpdating(false);
            Repaint();
            return;
        }
        if (SkinCommand(Message) == SKCMD_SETURGENT && FCommonData->UrgentPainting) PrepareCache();
        break;
    case WM_ENABLE: return;
    case WM_MOVE: {
        const TsGeneralData& section = FCommonData->SkinManager()->gd[FCommonData->SkinIndex];
        if (section.Transparency > 0 ||
            (section.HotTransparency > 0 && IsHotState(FCommonData.get()))) {
            FCommonData->BGChanged = true;
            Repaint();
        }
        break;
    }
    case WM_SIZE:
        RegionChanged = true;
        ClearGlowEffects();
        break;
    case WM_WINDOWPOSCHANGING: RegionChanged = true; break;
    case WM_WINDOWPOSCHANGED:
        RegionChanged = true;
        FCommonData->BGChanged = true;
        break;
    case CM_DIALOGCHAR:
        if (Message.WParam == L' ' && Enabled() && Focused()) {
            StopFade(FadeTimer, FCommonData.get());
            RegionChanged = true;
            FCommonData->BGChanged = true;
            HideGlowEffect(FCommonData->GlowID);
            FCommonData->GlowID = -1;
            Repaint();
        }
        break;
    case CM_TEXTCHANGED:
        if (!ComponentState().Contains(csDestroying)) Invalidate();
        return;
    case CM_UIACTIVATE: FCommonData->SetUpdating(false); break;
    case CN_DRAWITEM: Message.Result = 1; return; // painted on WM_PAINT
    case CN_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
        item->itemWidth = static_cast<UINT>(Width());
        item->itemHeight = static_cast<UINT>(Height());
        return;
    }
    default: break;
    }
    HandleSkinnedMessage(Message, FCommonData.get());
    TButton::WndProc(Message);
    AfterInherited(Message);
}

// The mouse entering or leaving fades to the new look (or repaints it) and shows or hides the
// glow; nothing while the frame bar rearranges.
void TsButton::MouseOverMessage(const TMessage& Message) {
    const bool self = MouseMessageForSelf(Message, this) && MouseEventsAllowed(this);
    if (!self) return;
    const bool enter = Message.Msg == CM_MOUSEENTER;
    if (enter && (FCommonData->FMouseAbove || MouseEnterSuspended)) return;
    if (!enter && Message.Msg != CM_MOUSELEAVE) return;
    if (enter)
        OnMouseEnter(this);
    else
        OnMouseLeave(this);
    FCommonData->FMouseAbove = enter;
    FCommonData->BGChanged = false;
    FadeOrRepaint(FadeTimer, FCommonData.get(), false,
                  AnimationAllowed(enter ? aeMouseEnter : aeMouseLeave, FAnimatEvents), fdUp);
}

// Focus arriving or leaving is passed on with redrawing off (the system would draw its own
// focus look), then the button shows its new look.
bool TsButton::FocusMessage(TMessage& Message) {
    const bool designing = ComponentState().Contains(csDesigning);
    const bool live = Enabled() && !ComponentState().Contains(csDestroying);
    switch (Message.Msg) {
    case WM_SETFOCUS:
    case CM_ENTER:
        if (!Visible() || designing) return false;
        if (!live || Focusing) {
            TButton::WndProc(Message);
            return true;
        }
        Focusing = true;
        WithoutRedraw(Handle(), [&] { TButton::WndProc(Message); });
        Focusing = false;
        if (FadeTimer)
            FadeTimer->Change();
        else
            FCommonData->Invalidate();
        return true;
    case WM_KILLFOCUS:
    case CM_EXIT:
        if (!Visible() || designing) return false;
        if (!live) {
            TButton::WndProc(Message);
            return true;
        }
        StopFade(FadeTimer, FCommonData.get());
        WithoutRedraw(Handle(), [&] { TButton::WndProc(Message); });
        if (FCommonData->Skinned()) {
            FCommonData->FFocused = false;
            RegionChanged = true;
            Invalidate();
        }
        return true;
    case CM_FOCUSCHANGED:
        if (!Visible() || Focusing) return false;
        WithoutRedraw(Handle(), [&] { TButton::WndProc(Message); });
        HandleSkinnedMessage(Message, FCommonData.get());
        return true;
    default: return false;
    }
}

bool TsButton::PaintMessage(TMessage& Message) {
    const bool designing = ComponentState().Contains(csDesigning);
    const bool shown = Visible() || designing;
    switch (Message.Msg) {
    case WM_PAINT:
        if (!shown || !Parent()) return false;
        OurPaint(reinterpret_cast<HDC>(Message.WParam));
        return !designing;
    case WM_PRINT:
        RegionChanged = true;
        FCommonData->SetUpdating(false);
        OurPaint(reinterpret_cast<HDC>(Message.WParam), true);
        return true;
    case WM_ERASEBKGND:
    case WM_UPDATEUISTATE:
        if (!shown) return false;
        Message.Result = 1;
        return true;
    case WM_KEYUP:
        TButton::WndProc(Message);
        if (Message.WParam == VK_SPACE) {
            RegionChanged = true;
            FCommonData->BGChanged = true;
            Repaint();
        }
        return true;
    default: return false;
    }
}

// CM_ACTIONUPDATE carries the action being updated in LParam.
void TsButton::AfterInherited(const TMessage& Message) {
    const bool shown = Visible() || ComponentState().Contains(csDesigning);
    switch (Message.Msg) {
    case CM_ACTIONUPDATE:
        if (auto* action = dynamic_cast<TCustomAction*>(reinterpret_cast<TObject*>(Message.LParam)))
            SetEnabled(action->Enabled());
        break;
    case CM_VISIBLECHANGED:
        if (ComponentState().Contains(csDestroying)) break;
        FCommonData->BGChanged = true;
        FCommonData->SetUpdating(false);
        if (shown) Repaint();
        break;
    case CM_ENABLEDCHANGED:
        if (!shown || ComponentState().Contains(csDestroying)) break;
        FCommonData->SetUpdating(false);
        Invalidate();
        break;
    case WM_SETFONT:
        if (!shown) break;
        FCommonData->SetUpdating(false);
        Invalidate();
        break;
    default: break;
    }
}
