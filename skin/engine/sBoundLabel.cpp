// The bound caption label: activation, placement and the properties passed to its label.
#include "skin/engine/sBoundLabel.h"

#include <algorithm>

TsBoundLabel::TsBoundLabel(TControl* AOwner, TsCommonData* SkinData, TBoundLabelMaker Maker)
    : FOwner(AOwner), FCommonData(SkinData), FMaker(Maker), FFont(new TFont) {
    FFont->OnChange = TNotifyEvent(this, &TsBoundLabel::KeptFontChanged);
}

TsBoundLabel::~TsBoundLabel() { SetActive(false); }

void TsBoundLabel::SetActive(bool Value) {
    if (Value == FActive) return;
    if (!Value) {
        TCustomLabel* label = FTheLabel;
        FActive = false;
        FTheLabel = nullptr;
        if (label && !label->ParentFont()) FFont->Assign(label->Font());
        if (label) label->Free();
        return;
    }
    if (!FMaker || !FOwner) return;
    FActive = true;
    CreateLabel();
}

void TsBoundLabel::CreateLabel() {
    FTheLabel = FMaker(FOwner, this);
    FTheLabel->SetVisible(false);
    FTheLabel->SetParent(FOwner->Parent());
    if (FFontGiven) {
        FTheLabel->Font()->Assign(FFont.get());
        FTheLabel->SetParentFont(false);
    }
    FTheLabel->SetFocusControl(dynamic_cast<TWinControl*>(FOwner));
    SetLabelAlignment();
    FTheLabel->SetName(FOwner->Name() + L"Label");
    if (FText.empty()) FText = FOwner->Name();
    FTheLabel->SetCaption(FText);
    FTheLabel->SetVisible(FOwner->Visible() || FTheLabel->ComponentState().Contains(csDesigning));
    FTheLabel->SetEnabled(FOwner->Enabled());
    AlignLabel();
}

void TsBoundLabel::LabelGone() noexcept {
    FActive = false;
    FTheLabel = nullptr;
}

void TsBoundLabel::SetLabelAlignment() {
    if (!FActive) return;
    static constexpr TAlignment alignments[] = {taRightJustify, taLeftJustify, taCenter,
                                                taRightJustify};
    FTheLabel->SetAlignment(alignments[FLayout]);
}

void TsBoundLabel::AlignLabel() {
    TCustomLabel* label = TheLabel();
    if (!label || !label->Visible()) return;
    label->SetAutoSize(true);
    const TRect c = FOwner->BoundsRect();
    const int lw = label->Width(), lh = label->Height();
    int left = c.left, top = c.top - lh - FIndent;
    switch (FLayout) {
    case sclLeft:
        left = c.left - lw - FIndent - 4;
        top = c.top + (c.Height() - lh) / 2 - 1;
        break;
    case sclTopLeft: break;
    case sclTopCenter: left = c.left + (c.Width() - lw) / 2; break;
    case sclTopRight: left = c.left + c.Width() - lw; break;
    }
    label->SetBounds(left, top, lw, lh);
    if (FMaxWidth <= 0) return;
    label->SetAutoSize(false);
    label->SetWidth(FMaxWidth);
    label->SetWordWrap(true);
    label->SetHeight(std::max(label->Height(), FOwner->Height()));
}

void TsBoundLabel::SetCaption(const UnicodeString& Value) {
    if (Value == FText) return;
    FText = Value;
    if (!FActive) return;
    FTheLabel->SetCaption(FText);
    AlignLabel();
}

void TsBoundLabel::SetIndent(int Value) {
    if (Value == FIndent) return;
    FIndent = Value;
    AlignLabel();
}

void TsBoundLabel::SetMaxWidth(int Value) {
    if (Value == FMaxWidth) return;
    FMaxWidth = Value;
    AlignLabel();
}

void TsBoundLabel::SetLayout(TsCaptionLayout Value) {
    if (Value == FLayout) return;
    FLayout = Value;
    SetLabelAlignment();
    AlignLabel();
}

TFont* TsBoundLabel::Font() const { return FActive ? FTheLabel->Font() : FFont.get(); }

void TsBoundLabel::SetFont(TFont* Value) {
    if (!FActive) {
        FFont->Assign(Value);
        return;
    }
    FTheLabel->Font()->Assign(Value);
    FTheLabel->SetParentFont(false);
    AlignLabel();
}

bool TsBoundLabel::UseSkinColor() const {
    auto* choice = dynamic_cast<TacSkinColorChoice*>(TheLabel());
    return choice ? choice->UseSkinColor() : true;
}

void TsBoundLabel::SetUseSkinColor(bool Value) {
    if (auto* choice = dynamic_cast<TacSkinColorChoice*>(TheLabel()))
        choice->SetUseSkinColor(Value);
}
