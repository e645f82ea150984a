// The skinned labels. The skin's colours come only from an active default manager; without one
// the labels keep their own font and the class library writes their text.
#include "skin/controls/sLabel.h"

#include "framework/Conversions.h"
#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sCommonData.h"
#include "skin/engine/sSkinManager.h"
#include "skin/engine/sStyleSimply.h"
#include "skin/engine/sVclUtils.h"

namespace {

// A label is changing its own font colour inside Paint (GUI thread).
bool AdjustingFont = false;

bool ActiveDefaultManager() {
    return DefaultSkinManager && DefaultSkinManager->SkinActive() &&
           !DefaultSkinManager->ComponentState().Contains(csDestroying);
}

} // namespace

TsCustomLabel::TsCustomLabel(TComponent* AOwner) : TCustomLabel(AOwner) { SetTransparent(true); }

void TsCustomLabel::SetSkinSection(const UnicodeString& value) {
    if (value == FSkinSection) return;
    FSkinSection = value;
    Repaint();
}

bool TsCustomLabel::TakesSkinColour() const { return ActiveDefaultManager(); }

// The font colours of the section the label shows through (its parent's, when that section
// gives its own font), else the skin's global font colour.
TFont* TsCustomLabel::GetCurrentFont() {
    if (!TakesSkinColour()) return Font();
    const int index = ParentFontSkinIndex(this, -1, DefaultSkinManager);
    const TColor colour = index < 0 ? DefaultSkinManager->GlobalFontColor()
                                    : DefaultSkinManager->gd[index].FontColor[0];
    if (colour != static_cast<TColor>(0xFF00FF) && colour != Font()->Color())
        Font()->SetColor(colour);
    return Font();
}

// The index of the label's own section in the active default manager, -1 without one.
int TsCustomLabel::OwnSectionIndex() const {
    if (FSkinSection.empty() || !ActiveDefaultManager()) return -1;
    return DefaultSkinManager->GetSkinIndex(UpperCase(FSkinSection));
}

void TsCustomLabel::Paint() {
    if (ComponentState().Contains(csDestroying)) return;
    const int section = OwnSectionIndex();
    if (!AdjustingFont) {
        AdjustingFont = true;
        struct TClear {
            ~TClear() { AdjustingFont = false; }
        } clear;
        GetCurrentFont();
        if (section >= 0 && Font()->Color() != DefaultSkinManager->gd[section].FontColor[0])
            Font()->SetColor(DefaultSkinManager->gd[section].FontColor[0]);
    }
    if (section > 0 && Parent()) PaintSectionBackground(section);
    TCustomLabel::Paint();
}

// The label's section over the parent's background, under the text.
void TsCustomLabel::PaintSectionBackground(int Section) {
    TacBackgroundInfo info;
    AskControlBackground(info, Parent(), false);
    TCacheInfo ci;
    BackgroundToCacheInfo(info, ci);
    PaintSkinItemDC(Section, UpperCase(FSkinSection), ci, true, 0, TRect(0, 0, Width(), Height()),
                    TPoint(Left(), Top()), Canvas()->Handle(), DefaultSkinManager);
}

// Disabled with a skin: the text in 40 % of its colour and 60 % of the parent's background.
void TsCustomLabel::DoDrawText(TRect& Rect, UINT Flags) {
    if (Enabled() || !ActiveDefaultManager()) {
        TCustomLabel::DoDrawText(Rect, Flags);
        return;
    }
    UnicodeString text = GetLabelText();
    if ((Flags & DT_CALCRECT) && (text.empty() || (ShowAccelChar() && text == L"&"))) text += L" ";
    if (!ShowAccelChar()) Flags |= DT_NOPREFIX;
    Flags = DrawTextBiDiModeFlags(Flags);
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    const TColor colour = BlendColors(ColorToRGB(Font()->Color()), ControlBackColor(Parent()), 0.4);
    const HDC dc = canvas->Handle();
    const int mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF previous = SetTextColor(dc, static_cast<COLORREF>(colour));
    ::DrawTextW(dc, text.c_str(), -1, &Rect, Flags);
    SetTextColor(dc, previous);
    SetBkMode(dc, mode);
}

void TsCustomLabel::WndProc(TMessage& Message) {
    const bool destroying = ComponentState().Contains(csDestroying);
    if (Message.Msg == CM_FONTCHANGED && !destroying) {
        if (AdjustingFont) return; // the label changed its own colour
        if (AutoSize()) AdjustBounds();
        Invalidate();
        return;
    }
    if (Message.Msg == CM_MOUSEENTER && MouseMessageForSelf(Message, this)) OnMouseEnter(this);
    TCustomLabel::WndProc(Message);
    if (SkinCommand(Message) == SKCMD_SKINREMOVED && !destroying && FromDefaultManager(Message) &&
        Font()->Color() != clWindowText)
        Font()->SetColor(clWindowText);
    if (SkinCommand(Message) == SKCMD_REPAINT && ComponentState().Contains(csDesigning))
        Invalidate();
    if (Message.Msg == CM_MOUSELEAVE && MouseMessageForSelf(Message, this)) OnMouseLeave(this);
}

bool TsCustomLabel::FromDefaultManager(const TMessage& Message) {
    return DefaultSkinManager && Message.LParam == reinterpret_cast<LPARAM>(DefaultSkinManager);
}

// Skin command 2 is the label's own: the plain colour comes back unless the label keeps its own.
void TsLabel::WndProc(TMessage& Message) {
    if (SkinCommand(Message) != SKCMD_SKINREMOVED) {
        TsCustomLabel::WndProc(Message);
        return;
    }
    if (ComponentState().Contains(csDestroying) || !FromDefaultManager(Message) || !FUseSkinColor ||
        OwnerFrame(this))
        return;
    if (Font()->Color() != clWindowText) Font()->SetColor(clWindowText);
}

TsLabel::TsLabel(TComponent* AOwner) : TsCustomLabel(AOwner) { FUseSkinColor = true; }

bool TsLabel::TakesSkinColour() const {
    return !ComponentState().Contains(csDestroying) && ActiveDefaultManager() && FUseSkinColor &&
           !OwnerFrame(const_cast<TsLabel*>(this));
}

TsEditLabel* TsEditLabel::InternalCreate(TComponent* AOwner, TsBoundLabel* BoundStruct) {
    auto* label = Construct<TsEditLabel>(AOwner);
    label->BoundLabel = BoundStruct;
    return label;
}

TsEditLabel::~TsEditLabel() {
    if (BoundLabel) BoundLabel->LabelGone();
}

TCustomLabel* MakeEditLabel(TComponent* Owner, TsBoundLabel* Bound) {
    return TsEditLabel::InternalCreate(Owner, Bound);
}
