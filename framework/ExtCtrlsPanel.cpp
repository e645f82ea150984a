// TCustomPanel and the Frame3D routine its bevels are drawn with. The panel paints everything
// itself (csOpaque) on the library's memory bitmap: outer bevel, inner bevel, background, then
// the caption. Its window class is registered without CS_HREDRAW/CS_VREDRAW so that FullRepaint
// decides whether a resize repaints the whole panel.
#include "framework/ExtCtrls.h"

#include "framework/Themes.h"

void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width) {
    TPen* pen = canvas->Pen();
    pen->SetWidth(1);
    pen->SetStyle(psSolid);
    for (int line = 0; line < width; ++line) {
        const LONG right = rect.right - 1;
        const LONG bottom = rect.bottom - 1;
        pen->SetColor(topColor);
        canvas->Polyline({{rect.left, bottom}, {rect.left, rect.top}, {right, rect.top}});
        pen->SetColor(bottomColor);
        canvas->Polyline({{right, rect.top}, {right, bottom}, {rect.left - 1, bottom}});
        rect = TRect(rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1);
    }
}

namespace {

TColor BevelTopColor(TBevelCut cut) { return cut == bvLowered ? clBtnShadow : clBtnHighlight; }
TColor BevelBottomColor(TBevelCut cut) { return cut == bvLowered ? clBtnHighlight : clBtnShadow; }

TTextFormats AlignmentFormat(TAlignment alignment) {
    switch (alignment) {
    case taLeftJustify: return tfLeft;
    case taRightJustify: return tfRight;
    default: return tfCenter;
    }
}

TTextFormats VerticalFormat(TVerticalAlignment alignment) {
    switch (alignment) {
    case taAlignTop: return tfTop;
    case taAlignBottom: return tfBottom;
    default: return tfVerticalCenter;
    }
}

} // namespace

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                     csDoubleClicks, csReplicatable, csParentBackground});
    TWinControl::SetBevelOuter(bvRaised);
    TWinControl::SetBevelInner(bvNone);
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomPanel::Changed() {
    Invalidate();
    Realign();
}

void TCustomPanel::SetBevelInner(TBevelCut value) {
    TWinControl::SetBevelInner(value);
    Changed();
}

void TCustomPanel::SetBevelOuter(TBevelCut value) {
    TWinControl::SetBevelOuter(value);
    Changed();
}

void TCustomPanel::SetBevelWidth(int value) {
    TWinControl::SetBevelWidth(value);
    Changed();
}

void TCustomPanel::SetAlignment(TAlignment value) {
    if (value == FAlignment) return;
    FAlignment = value;
    Invalidate();
}

void TCustomPanel::SetVerticalAlignment(TVerticalAlignment value) {
    if (value == FVerticalAlignment) return;
    FVerticalAlignment = value;
    Invalidate();
}

void TCustomPanel::SetShowCaption(bool value) {
    if (value == FShowCaption) return;
    FShowCaption = value;
    Invalidate();
}

bool TCustomPanel::ParentBackground() const noexcept {
    return ControlStyle().Contains(csParentBackground);
}

void TCustomPanel::SetParentBackground(bool value) {
    if (value == ParentBackground()) return;
    TControlStyle style = ControlStyle();
    if (value)
        style.Include(csParentBackground);
    else
        style.Exclude(csParentBackground);
    SetControlStyle(style);
    Invalidate();
}

// The caption changes what is painted; the base's handling sets the window text.
void TCustomPanel::Dispatch(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    if (Message.Msg == CM_TEXTCHANGED) Invalidate();
}

int TCustomPanel::BevelSize() const {
    int size = 0;
    if (BevelOuter() != bvNone) size += BevelWidth();
    if (BevelInner() != bvNone) size += BevelWidth();
    return size;
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
    TCustomControl::AdjustClientRect(Rect);
    const int size = BevelSize();
    Rect = TRect(Rect.left + size, Rect.top + size, Rect.right - size, Rect.bottom - size);
}

void TCustomPanel::Resize() {
    if (FullRepaint) Invalidate();
    TCustomControl::Resize();
}

void TCustomPanel::Paint() {
    TRect rect = ClientRect();
    if (BevelOuter() != bvNone)
        Frame3D(Canvas(), rect, BevelTopColor(BevelOuter()), BevelBottomColor(BevelOuter()),
                BevelWidth());
    if (BevelInner() != bvNone)
        Frame3D(Canvas(), rect, BevelTopColor(BevelInner()), BevelBottomColor(BevelInner()),
                BevelWidth());
    PaintBackground(rect);
    if (FShowCaption) PaintCaption(rect);
}

// Inside the bevels: the parent's background where the theme draws it, Color otherwise.
void TCustomPanel::PaintBackground(TRect& rect) {
    if (ParentBackground() && ThemeServices()->ThemesEnabled()) {
        const HDC dc = Canvas()->Handle();
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
        ThemeServices()->DrawParentBackground(Handle(), dc, &rect);
        RestoreDC(dc, saved);
        return;
    }
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(rect);
}

void TCustomPanel::PaintCaption(const TRect& rect) {
    const UnicodeString caption = Caption();
    if (caption.empty()) return;
    Canvas()->SetFont(Font());
    Canvas()->Brush()->SetStyle(bsClear);
    TTextFormat format{tfSingleLine, tfExpandTabs, AlignmentFormat(FAlignment),
                       VerticalFormat(FVerticalAlignment)};
    if (UseRightToLeftReading()) format.Include(tfRtlReading);
    TRect area = rect;
    Canvas()->TextRect(area, caption, format);
}
