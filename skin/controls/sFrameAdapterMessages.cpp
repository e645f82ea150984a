// TsFrameAdapter's window procedure. First stage: the skin commands answered in any state.
// Second stage: unskinned (or destroying) the frame's own procedure runs, after the children
// were told to re-read their skin when the frame is shown; skinned, the adapter keeps the
// frame's background flags and answers the skin queries for it.
#include "skin/controls/sFrameAdapter.h"

#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sVclUtils.h"

void TsFrameAdapter::NewWndProc(TMessage& Message) {
    if (ComponentState().Contains(csDesigning)) return OldWndProc(Message);
    if (FirstStage(Message)) return;
    if (SkinnedNow())
        SkinnedStage(Message);
    else
        UnskinnedStage(Message);
}

bool TsFrameAdapter::SkinnedNow() const {
    if (ComponentState().Contains(csDestroying) || Frame->ComponentState().Contains(csDestroying))
        return false;
    return FCommonData->Skinned(true);
}

void TsFrameAdapter::PassToChildren(TMessage& Message) { PassMessageToChildren(Frame, Message); }

void TsFrameAdapter::PassSkinLoaded() {
    TMessage loaded{SM_ALPHACMD, SkinWParam(SKCMD_SKINLOADED, 1),
                    reinterpret_cast<LPARAM>(FCommonData->SkinManager()), 0};
    PassToChildren(loaded);
}

void TsFrameAdapter::RedrawFrame(UINT Flags) {
    if (Frame->HandleAllocated()) RedrawWindow(Frame->Handle(), nullptr, nullptr, Flags);
}

bool TsFrameAdapter::FirstStage(TMessage& Message) {
    if (AnswerAnyStateCommand(Message)) return true;
    const bool own = FromOwnManager(Message, FCommonData.get());
    switch (SkinCommand(Message)) {
    case SKCMD_SKINLOADED:
        if (!own) return false;
        PassToChildren(Message);
        HandleSkinnedMessage(Message, FCommonData.get());
        return true;
    case SKCMD_SKINREMOVED:
        if (!own) return false;
        ReleaseHandler(ListSW);
        HandleSkinnedMessage(Message, FCommonData.get());
        PassToChildren(Message);
        if (Frame->HandleAllocated())
            SetWindowPos(Frame->Handle(), nullptr, 0, 0, 0, 0,
                         SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
        RedrawFrame(RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        return true;
    case SKCMD_REPAINT:
        if (!own) return false;
        HandleSkinnedMessage(Message, FCommonData.get());
        FCommonData->UpdateIndexes();
        PassToChildren(Message);
        RedrawFrame(RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        AttachScrollWnd(FCommonData.get(), ListSW);
        return true;
    case SKCMD_STOPFADE: PassToChildren(Message); return false;
    case SKCMD_GETSKININDEX: Message.Result = FCommonData->SkinIndex + 1; return true;
    case SKCMD_SCROLLSTART:
    case SKCMD_SCROLLEND: ScrollNotice(SkinCommand(Message)); return false;
    default: return false;
    }
}

// A textured background cannot scroll by copying: redraw is held during the scroll.
void TsFrameAdapter::ScrollNotice(WORD Command) {
    if (!Frame->HandleAllocated()) return;
    if (!AskControl(Frame, SKCMD_QUERYTEXTURED) && !FCommonData->RepaintIfMoved()) return;
    if (Command == SKCMD_SCROLLSTART) {
        SendMessageW(Frame->Handle(), WM_SETREDRAW, FALSE, 0);
        return;
    }
    SendMessageW(Frame->Handle(), WM_SETREDRAW, TRUE, 0);
    RedrawFrame(RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
}

void TsFrameAdapter::UnskinnedStage(TMessage& Message) {
    if ((Message.Msg == CM_VISIBLECHANGED || Message.Msg == CM_SHOWINGCHANGED) &&
        Frame->HandleAllocated()) {
        FCommonData->UpdateIndexes();
        PassSkinLoaded();
    }
    OldWndProc(Message);
}
