// TsScrollBox's window procedure in its three stages: the skin commands answered in any state
// (A), the class library's handling while not ready or not skinned (B), and the skinned handling
// (C). Commands 1, 2 and 3 from another manager only travel on to the children.
#include "skin/controls/sScrollBox.h"

#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sVclUtils.h"

namespace {
// The bar position at the last scroll start, shared by all scroll boxes (GUI thread).
int ScrollStartPosition = 0;
} // namespace

void TsScrollBox::WndProc(TMessage& Message) {
    if (Message.Msg == WM_NCHITTEST) {
        DefaultHandler(Message);
        return;
    }
    if (AnyStateCommand(Message)) return;
    FireMouseEvents(Message);
    if (!ControlReadyToPaint(this) || !FCommonData->Skinned()) {
        TScrollingWinControl::WndProc(Message);
        return;
    }
    SkinnedWndProc(Message);
}

void TsScrollBox::FireMouseEvents(const TMessage& Message) {
    if (!MouseMessageForSelf(Message, this)) return;
    if (Message.Msg == CM_MOUSEENTER)
        OnMouseEnter(this);
    else if (Message.Msg == CM_MOUSELEAVE)
        OnMouseLeave(this);
}

bool TsScrollBox::AnyStateCommand(TMessage& Message) {
    if (AnswerAnyStateCommand(Message)) return true;
    switch (SkinCommand(Message)) {
    case SKCMD_SKINLOADED:
    case SKCMD_SKINREMOVED:
    case SKCMD_REPAINT: return SkinLoadedOrRemoved(Message);
    case SKCMD_UPDATEDONE: UpdateDone(Message); return true;
    case SKCMD_REFRESHNOW: RedrawAll(RDW_ERASE | RDW_ALLCHILDREN); return false;
    case SKCMD_SCROLLSTART: ScrollStart(Message); return false;
    case SKCMD_SCROLLEND: ScrollEnd(Message); return false;
    default: return false;
    }
}

bool TsScrollBox::SkinLoadedOrRemoved(TMessage& Message) {
    if (!FromOwnManager(Message, FCommonData.get())) {
        PassMessageToChildren(this, Message);
        return false; // the inherited procedure sees it too
    }
    switch (SkinCommand(Message)) {
    case SKCMD_SKINLOADED: HandleSkinnedMessage(Message, FCommonData.get()); break;
    case SKCMD_SKINREMOVED:
        SkinRemoved();
        HandleSkinnedMessage(Message, FCommonData.get());
        break;
    default:
        HandleSkinnedMessage(Message, FCommonData.get());
        SkinRepaint();
        break;
    }
    PassMessageToChildren(this, Message);
    return true;
}

void TsScrollBox::SkinRemoved() {
    ReleaseHandler(ListSW);
    if (HandleAllocated()) InitializeFlatScrollBars(Handle());
    if (ComponentState().Contains(csDestroying)) return;
    FCommonData->BorderIndex = -1;
    FCommonData->SkinIndex = -1;
    SetControlStyle(ControlStyle() - TControlStyle{csOpaque});
    RedrawAll(RDW_ERASE | RDW_ALLCHILDREN);
}

void TsScrollBox::SkinRepaint() {
    const bool updating = FCommonData->Updating();
    RedrawAll(RDW_ERASE | (updating || FormAnimating ? 0 : RDW_UPDATENOW));
    AttachScrollWnd(FCommonData.get(), ListSW);
}

void TsScrollBox::UpdateDone(TMessage& Message) {
    if (!FCommonData->Updating()) {
        HandleSkinCommand(Message, FCommonData.get());
        return;
    }
    RedrawAll(0);
    FCommonData->SetUpdating(false);
}

void TsScrollBox::RedrawAll(UINT ExtraFlags) {
    if (HandleAllocated())
        RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | ExtraFlags);
}

TControlScrollBar* TsScrollBox::ScrolledBar(const TMessage& Message) const {
    return HIWORD(Message.LParam) == WM_HSCROLL ? HorzScrollBar() : VertScrollBar();
}

void TsScrollBox::ScrollStart(const TMessage& Message) {
    OnBeforeScroll(this);
    TControlScrollBar* bar = ScrolledBar(Message);
    ScrollStartPosition = bar->Position();
    if (BgNeedsCache(FCommonData.get()) && bar->Tracking() && HandleAllocated())
        SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TsScrollBox::ScrollEnd(const TMessage& Message) {
    TControlScrollBar* bar = ScrolledBar(Message);
    if (HandleAllocated()) {
        const UINT now = RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE;
        if (BgNeedsCache(FCommonData.get())) {
            if (bar->Tracking()) SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
            RedrawWindow(Handle(), nullptr, nullptr, now | (bar->Tracking() ? RDW_ALLCHILDREN : 0));
        } else if (bar->Tracking()) {
            const TRect strip =
                UncoveredScrollStrip(bar->Kind() == sbHorizontal,
                                     ScrollStartPosition - bar->Position(), Width(), Height());
            RedrawWindow(Handle(), &strip, nullptr, now | RDW_FRAME | RDW_ALLCHILDREN);
        }
    }
    OnAfterScroll(this);
}
