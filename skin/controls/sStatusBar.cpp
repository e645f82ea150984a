// TsStatusBar's life cycle and skin commands. The canvas's background mode follows the skin:
// transparent over a skinned face, opaque over the system's.
#include "skin/controls/sStatusBar.h"

#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sVclUtils.h"

TsStatusBar::TsStatusBar(TComponent* AOwner)
    : TStatusBar(AOwner), FCommonData(new TsCommonData(this, true)) {
    FCommonData->COC = 151;
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls, csOpaque});
}

TsStatusBar::~TsStatusBar() = default;

void TsStatusBar::AfterConstruction() {
    TStatusBar::AfterConstruction();
    FCommonData->Loaded();
}

void TsStatusBar::Loaded() {
    TStatusBar::Loaded();
    FCommonData->Loaded();
}

void TsStatusBar::WndProc(TMessage& Message) {
    if (SkinCommandDone(Message)) return;
    if (ControlReadyToPaint(this) && FCommonData->Skinned()) {
        HandleSkinnedMessage(Message, FCommonData.get());
        TStatusBar::WndProc(Message);
        if (Message.Msg == SB_SETTEXTW || Message.Msg == SB_SIMPLE || Message.Msg == SB_GETRECT)
            FCommonData->BGChanged = true;
        return;
    }
    TStatusBar::WndProc(Message);
}

bool TsStatusBar::SkinCommandDone(TMessage& Message) {
    if (AnswerAnyStateCommand(Message)) return true;
    const bool own = FromOwnManager(Message, FCommonData.get());
    switch (SkinCommand(Message)) {
    case SKCMD_SKINLOADED:
    case SKCMD_REPAINT:
        if (!own) return false;
        if (Canvas()->HandleAllocated()) SetBkMode(Canvas()->Handle(), TRANSPARENT);
        PassMessageToChildren(this, Message);
        HandleSkinnedMessage(Message, FCommonData.get());
        if (SkinCommand(Message) == SKCMD_REPAINT) {
            Repaint();
            if (HandleAllocated()) SendMessageW(Handle(), WM_NCPAINT, 1, 0);
        }
        return true;
    case SKCMD_SKINREMOVED:
        if (!own) return false;
        if (Canvas()->HandleAllocated()) SetBkMode(Canvas()->Handle(), OPAQUE);
        HandleSkinnedMessage(Message, FCommonData.get());
        if (HandleAllocated()) RecreateWnd();
        PassMessageToChildren(this, Message);
        return true;
    case SKCMD_UPDATEDONE:
        if (!FCommonData->Updating()) return false;
        FCommonData->SetUpdating(false);
        Repaint();
        if (HandleAllocated()) SendMessageW(Handle(), WM_NCPAINT, 1, 0);
        return true;
    default: return false;
    }
}
