// TsFrameAdapter's skinned stage: the frame's updating and background flags and its answers to
// the skin queries. Reached only while the frame's section is skinned by an active manager.
#include "skin/controls/sFrameAdapter.h"

#include "skin/controls/sSkinnedControl.h"
#include "skin/controls/sSpeedButton.h"
#include "skin/engine/sVclUtils.h"

LRESULT TsFrameAdapter::BackgroundColour() {
    if (BgNeedsCache(FCommonData.get())) return 0xFF00FF; // no single colour
    return static_cast<LRESULT>(ColorToRGB(Frame->Color()));
}

// The mouse entered the frame or one of its controls: a skinned speed button that still looks
// hot (it missed its leave notice) is told the mouse left it.
void TsFrameAdapter::LeaveHotSpeedButtons(TControl* Entered) {
    for (int i = 0; i < Frame->ControlCount(); ++i) {
        auto* button = dynamic_cast<TsSpeedButton*>(Frame->Controls(i));
        if (button && button != Entered && button->SkinData()->FMouseAbove)
            button->Perform(CM_MOUSELEAVE, 0, 0);
    }
}

void TsFrameAdapter::SkinnedStage(TMessage& Message) {
    switch (SkinCommand(Message)) {
    case 0: break;
    case SKCMD_UPDATEDONE:
        if (FCommonData->Updating() && !Frame->ControlState().Contains(csAligning)) {
            FCommonData->SetUpdating(false);
            RedrawFrame(RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        }
        return;
    case SKCMD_SETUPDATING:
        FCommonData->SetUpdating(SkinParameterOf(Message.WParam) == 1);
        for (int i = 0; i < Frame->ControlCount(); ++i)
            Frame->Controls(i)->Perform(Message.Msg, Message.WParam, Message.LParam);
        return;
    case SKCMD_QUERYUPDATING:
        Message.Result = BgNeedsCache(FCommonData.get()) && FCommonData->Updating();
        return;
    case SKCMD_QUERYTEXTURED: Message.Result = FCommonData->RepaintIfMoved(); return;
    case SKCMD_GETBGCOLOR: Message.Result = BackgroundColour(); return;
    default: HandleSkinnedMessage(Message, FCommonData.get()); return;
    }
    switch (Message.Msg) {
    case WM_MOVE:
    case WM_SIZE:
        FCommonData->BGChanged =
            FCommonData->BGChanged || Message.Msg == WM_SIZE || FCommonData->RepaintIfMoved();
        if (Message.Msg == WM_SIZE) Frame->Invalidate();
        break;
    case CM_VISIBLECHANGED:
        FCommonData->BGChanged = true;
        OldWndProc(Message);
        PerformSkinCommand(Frame, SKCMD_REPAINT,
                           reinterpret_cast<LPARAM>(FCommonData->SkinManager()));
        return;
    case CM_SHOWINGCHANGED:
        OldWndProc(Message);
        AttachScrollWnd(FCommonData.get(), ListSW);
        return;
    case CM_MOUSEENTER:
        OldWndProc(Message);
        LeaveHotSpeedButtons(reinterpret_cast<TControl*>(Message.LParam));
        return;
    default: break;
    }
    OldWndProc(Message);
}
