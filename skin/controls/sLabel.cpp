// The skinned labels. The skin's colours come only from an active default manager; without one
// the labels keep their own font and the class library writes their text.
#include "skin/controls/sLabel.h"

#include "framework/Conversions.h"
#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sBoundLabel.h"
#include "skin/engine/sSkinManager.h"
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

TFont* TsCustomLabel::GetCurrentFont() {
    if (!TakesSkinColour()) return Font();
    const TColor colour = DefaultSkinManager->GlobalFontColor();
    if (colour != static_cast<TColor>(0xFF00FF) && colour != Font()->Color())
        Font()->SetColor(colour);
    return Font();
}

void TsCustomLabel::Paint() {
    if (ComponentState().Contains(csDestroying)) return;
    if (!AdjustingFont) {
        AdjustingFont = true;
        struct TClear {
            ~TClear() { AdjustingFont = false; }
        } clear;
        GetCurrentFont();
    }
    TCustomLabel::Paint();
}

void TsCustomLabel::DoDrawText(TRect& Rect, UINT Flags) {
    if (Enabled() || !ActiveDefaultManager()) {
        TCustomLabel::DoDrawText(Rect, Flags);
        return;
    }
    UnicodeString text = GetLabelText();
    if ((Flags & DT_CALCRECT) && (text.empty() || (ShowAccelChar() && text == L"&"))) text += L" ";
    if (!ShowAccelChar()) Flags |= DT_NOPREFIX;
    Flags = DrawTextBiDiModeFlags(Flags);
    Canvas()->SetFont(Font());
    ::DrawTextW(Canvas()->Handle(), text.c_str(), -1, &Rect, Flags);
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
    if (SkinCommand(Message) == SKCMD_SKINREMOVED && !destroying &&
        Message.LParam == reinterpret_cast<LPARAM>(DefaultSkinManager) && DefaultSkinManager &&
        Font()->Color() != clWindowText)
        Font()->SetColor(clWindowText);
    if (Message.Msg == CM_MOUSELEAVE && MouseMessageForSelf(Message, this)) OnMouseLeave(this);
}

TsLabel::TsLabel(TComponent* AOwner) : TsCustomLabel(AOwner) { FUseSkinColor = true; }

bool TsLabel::TakesSkinColour() const {
    return !ComponentState().Contains(csDestroying) && ActiveDefaultManager() && FUseSkinColor &&
           !OwnerFrame(const_cast<TsLabel*>(this));
}

TsEditLabel* TsEditLabel::InternalCreate(TComponent* AOwner, TObject* BoundStruct) {
    auto* label = Construct<TsEditLabel>(AOwner);
    label->BoundLabel = BoundStruct;
    return label;
}

TsEditLabel::~TsEditLabel() {
    if (auto* bound = dynamic_cast<TsBoundLabel*>(BoundLabel)) bound->FActive = false;
}
