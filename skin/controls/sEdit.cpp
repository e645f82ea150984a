// TsEdit's life cycle and window procedure; its painting is in sEditPaint.cpp.
#include "skin/controls/sEdit.h"

#include "skin/controls/sLabel.h"
#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sVclUtils.h"

TsEdit::TsEdit(TComponent* AOwner)
    : TsSkinned<TEdit>(AOwner, 3, true),
      FBoundLabel(new TsBoundLabel(this, SkinData(), &MakeEditLabel)) {}

void TsEdit::SetDisabledKind(TsDisabledKind value) {
    if (value == FDisabledKind) return;
    FDisabledKind = value;
    FCommonData->Invalidate();
}

int TsEdit::EditBorderWidth() const { return BorderStyle() == bsNone ? 0 : (Ctl3D() ? 2 : 1); }

void TsEdit::WndProc(TMessage& Message) {
    TsSkinned<TEdit>::WndProc(Message);
    BoundLabelMessage(Message);
}

// Commands 1 and 2 from the own manager are the common handling alone; 3 also repaints the
// frame; the edit's background moves with nothing (19) and is its Color while unskinned (21).
bool TsEdit::SkinCommandDone(TMessage& Message) {
    const bool own = FromOwnManager(Message, FCommonData.get());
    switch (SkinCommand(Message)) {
    case SKCMD_SKINLOADED:
    case SKCMD_SKINREMOVED:
        if (!own) return false;
        HandleSkinnedMessage(Message, FCommonData.get());
        return true;
    case SKCMD_REPAINT:
        if (!own) return false;
        HandleSkinnedMessage(Message, FCommonData.get());
        if (!FormAnimating && HandleAllocated())
            RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
        return true;
    case SKCMD_QUERYTEXTURED: Message.Result = 0; return true;
    case SKCMD_GETBGCOLOR:
        if (FCommonData->Skinned()) return false;
        Message.Result = static_cast<LRESULT>(ColorToRGB(Color()));
        return true;
    default: return false;
    }
}

void TsEdit::SkinnedWndProc(TMessage& Message) {
    if (PaintMessage(Message)) return;
    if (Message.Msg == CM_COLORCHANGED && FCommonData->CustomColor()) FCommonData->BGChanged = true;
    if (HandleSkinnedMessage(Message, FCommonData.get())) return;
    TEdit::WndProc(Message);
    AfterInherited(Message);
}

void TsEdit::AfterInherited(const TMessage& Message) {
    const bool quiet = ComponentState().Contains(csLoading) || FormAnimating;
    switch (Message.Msg) {
    case WM_SIZE: SendMessageW(Handle(), WM_NCPAINT, 1, 0); break;
    case WM_KILLFOCUS:
    case CM_EXIT:
        FCommonData->FFocused = false;
        FCommonData->FMouseAbove = false;
        FCommonData->BGChanged = true;
        if (Visible()) Repaint();
        break;
    case WM_SETTEXT:
    case WM_SETFONT:
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
        if (quiet) break;
        FCommonData->Invalidate();
        SendMessageW(Handle(), WM_NCPAINT, 1, 0);
        break;
    case SM_ALPHACMD:
        if (SkinCommand(Message) != SKCMD_UPDATEDONE || !FCommonData->Updating()) break;
        FCommonData->SetUpdating(false);
        Repaint();
        SendMessageW(Handle(), WM_NCPAINT, 1, 0);
        break;
    default: break;
    }
}

// The caption label follows the edit's place, visibility, enabling and reading order.
void TsEdit::BoundLabelMessage(const TMessage& Message) {
    TCustomLabel* label = FBoundLabel ? FBoundLabel->TheLabel() : nullptr;
    if (!label) return;
    switch (Message.Msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED: break;
    case CM_VISIBLECHANGED: label->SetVisible(Visible()); break;
    case CM_ENABLEDCHANGED:
        label->SetEnabled(Enabled() || !FDisabledKind.Contains(dkBlended));
        break;
    case CM_BIDIMODECHANGED: label->SetBiDiMode(BiDiMode()); break;
    default: return;
    }
    FBoundLabel->AlignLabel();
}
