// TsSplitter's life cycle, drag and glyph. The hint suspension is the skinned buttons' one:
// a second press before the release keeps the value saved by the first.
#include "skin/controls/sSplitter.h"

#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sVclUtils.h"

TsSplitter::TsSplitter(TComponent* AOwner)
    : TSplitter(AOwner), FCommonData(new TsCommonData(this, false)), FGlyph(new TBitmap) {
    FCommonData->COC = 75;
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks});
    SetWidth(6);
}

TsSplitter::~TsSplitter() { RestoreHints(this); }

void TsSplitter::AfterConstruction() {
    TSplitter::AfterConstruction();
    FCommonData->Loaded();
}

void TsSplitter::Loaded() {
    TSplitter::Loaded();
    FCommonData->Loaded();
}

void TsSplitter::SetGlyph(TBitmap* value) {
    FGlyph->Assign(value);
    Repaint();
}

void TsSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    SuspendHints(this);
    if (AutoSnap && Parent()) SnapCollapsedSiblings();
    TSplitter::MouseDown(Button, Shift, X, Y);
    FSizing = true;
    if (ResizeStyle == rsUpdate) Repaint();
}

void TsSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TSplitter::MouseUp(Button, Shift, X, Y);
    FSizing = false;
    if (ResizeStyle == rsUpdate) Repaint();
    RestoreHints(this);
}

// A collapsed sibling (size 0) moves to the splitter, so that dragging brings it back there.
void TsSplitter::SnapCollapsedSiblings() {
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        TControl* sibling = Parent()->Controls(i);
        if (sibling == this) continue;
        if (Align() == alTop && sibling->Height() == 0)
            sibling->SetTop(Top());
        else if (Align() == alLeft && sibling->Width() == 0)
            sibling->SetLeft(Left());
    }
}

void TsSplitter::Paint() {
    TSplitter::Paint();
    DrawGlyph();
}

void TsSplitter::DrawGlyph() {
    if (FGlyph->Empty()) return;
    const int left = (Width() - FGlyph->Width()) / 2;
    const int top = (Height() - FGlyph->Height()) / 2;
    if (FGlyph->PixelFormat() != pf32bit) FGlyph->SetTransparent(true);
    Canvas()->Draw(left, top, FGlyph.get());
}

void TsSplitter::WndProc(TMessage& Message) {
    if (SkinCommandDone(Message)) return;
    const bool skinned = ControlReadyToPaint(this) && FCommonData->Skinned();
    if (Message.Msg == CM_MOUSEENTER && MouseMessageForSelf(Message, this)) OnMouseEnter(this);
    if (skinned) HandleSkinnedMessage(Message, FCommonData.get());
    TSplitter::WndProc(Message);
    if (Message.Msg == CM_MOUSELEAVE && MouseMessageForSelf(Message, this)) OnMouseLeave(this);
}

bool TsSplitter::SkinCommandDone(TMessage& Message) {
    if (AnswerAnyStateCommand(Message)) return true;
    const WORD command = SkinCommand(Message);
    if (command != SKCMD_SKINLOADED && command != SKCMD_SKINREMOVED && command != SKCMD_REPAINT)
        return false;
    if (!FromOwnManager(Message, FCommonData.get())) return false;
    HandleSkinnedMessage(Message, FCommonData.get());
    if (command != SKCMD_SKINLOADED) Repaint();
    return true;
}
