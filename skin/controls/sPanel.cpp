// TsPanel's life cycle and window procedure. Skin changes always reach the children, whether
// they come from the panel's own manager or from another.
#include "skin/controls/sPanel.h"

#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sVclUtils.h"

TsPanel::TsPanel(TComponent* AOwner) : TPanel(AOwner), FCommonData(new TsCommonData(this, true)) {
    FCommonData->COC = 51;
}

TsPanel::~TsPanel() = default;

void TsPanel::AfterConstruction() {
    TPanel::AfterConstruction();
    FCommonData->Loaded();
}

void TsPanel::Loaded() {
    TPanel::Loaded();
    FCommonData->Loaded();
}

void TsPanel::Paint() {
    if (Showing() && OnPaint)
        OnPaint(this, Canvas());
    else
        TPanel::Paint();
}

void TsPanel::WndProc(TMessage& Message) {
    if (SkinCommandDone(Message)) return;
    if (Message.Msg == CM_MOUSEENTER && MouseMessageForSelf(Message, this)) OnMouseEnter(this);
    if (Message.Msg == CM_MOUSELEAVE && MouseMessageForSelf(Message, this)) OnMouseLeave(this);
    if (ControlReadyToPaint(this) && FCommonData->Skinned())
        SkinnedWndProc(Message);
    else
        TPanel::WndProc(Message);
}

bool TsPanel::SkinCommandDone(TMessage& Message) {
    if (AnswerAnyStateCommand(Message)) return true;
    const bool own = FromOwnManager(Message, FCommonData.get());
    switch (SkinCommand(Message)) {
    case SKCMD_SKINLOADED:
        SetControlStyle(ControlStyle() - TControlStyle{csOpaque});
        PassMessageToChildren(this, Message);
        if (own) HandleSkinnedMessage(Message, FCommonData.get());
        return true;
    case SKCMD_SKINREMOVED:
        SetControlStyle(ControlStyle() - TControlStyle{csOpaque});
        if (own) {
            HandleSkinnedMessage(Message, FCommonData.get());
            Invalidate();
        }
        PassMessageToChildren(this, Message);
        return true;
    case SKCMD_REPAINT:
        if (own) {
            HandleSkinnedMessage(Message, FCommonData.get());
            if (HandleAllocated() && !ComponentState().Contains(csLoading))
                RedrawWindow(Handle(), nullptr, nullptr,
                             RDW_FRAME | RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
        }
        PassMessageToChildren(this, Message);
        return true;
    default: return false;
    }
}

// Skinned: the skin's queries are answered here and never reach the class library.
void TsPanel::SkinnedWndProc(TMessage& Message) {
    if (Message.Msg == SM_ALPHACMD) {
        if (SkinCommand(Message) == SKCMD_QUERYUPDATING)
            Message.Result = FCommonData->Updating();
        else
            HandleSkinCommand(Message, FCommonData.get());
        return;
    }
    switch (Message.Msg) {
    case WM_SIZE: FCommonData->BGChanged = true; break;
    case CM_VISIBLECHANGED:
        FCommonData->BGChanged = true;
        FCommonData->SetUpdating(false);
        TPanel::WndProc(Message);
        return;
    case CM_COLORCHANGED:
        if (FCommonData->CustomColor()) FCommonData->BGChanged = true;
        break;
    default: break;
    }
    HandleSkinnedMessage(Message, FCommonData.get());
    TPanel::WndProc(Message);
}
