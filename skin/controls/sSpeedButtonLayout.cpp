// TsSpeedButton's layout: where the glyph and the caption go for each Layout and Alignment.
// X0 and Y0 are the free space left and above, halved and less the margin; the tables are
// those of the button's look and keep its pixel positions.
#include "skin/controls/sSpeedButton.h"

#include "skin/controls/sSkinnedControl.h"

int TsSpeedButton::ArrowWidth() const { return FButtonStyle == tbsDropDown ? 16 : 0; }

int TsSpeedButton::MarginM() const { return Margin() < 0 ? 0 : Margin() + 3; }

int TsSpeedButton::GlyphWidth() {
    const int count = NumGlyphs() > 0 ? NumGlyphs() : 1;
    if (IsImageUsed()) return FImages->Width() / count;
    return Glyph()->Width() > 0 ? Glyph()->Width() / count : 0;
}

int TsSpeedButton::GlyphHeight() {
    if (IsImageUsed()) return FImages->Height();
    return Glyph()->Height() > 0 ? Glyph()->Height() : 0;
}

namespace {

int TextMaxWidth(TsSpeedButton* b, int arrow, int glyph) {
    if (!b->ShowCaption() || b->Caption().empty()) return 0;
    int width = b->Width() - 2 * b->Margin() - arrow;
    const bool beside = b->Layout() == blGlyphLeft || b->Layout() == blGlyphRight;
    if (beside && glyph != 0) width -= glyph + b->Spacing();
    return width;
}

} // namespace

void TsSpeedButton::TextRectSize(TSize& Size) {
    Size = TSize(0, 0);
    if (!FShowCaption || Caption().empty()) return;
    TRect r(0, 0, TextMaxWidth(this, ArrowWidth(), GlyphWidth()), 0);
    TCanvas* canvas = FCommonData->CacheBmp()->Canvas();
    canvas->SetFont(Font());
    CanvasDrawText(canvas, Caption(), r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    Size = TSize(r.Width(), r.Height());
}

TRect TsSpeedButton::ImgRect() {
    TSize text;
    TextRectSize(text);
    const int aw = ArrowWidth(), m = MarginM(), s = Spacing();
    const int gw = GlyphWidth(), gh = GlyphHeight();
    const bool t = FShowCaption && gw > 0 && !Caption().empty();
    const int ts = t ? s : 0;
    const int x0 = (Width() - (aw + gw + ts + text.cx)) / 2 - m;
    const int y0 = (Height() - (gh + ts + text.cy)) / 2 - m;
    const int yc = (Height() - gh) / 2;
    int left = 0, top = yc;
    switch (Layout()) {
    case blGlyphLeft:
        left =
            FAlignment == taLeftJustify ? m : (FAlignment == taRightJustify ? m + 2 * x0 : m + x0);
        break;
    case blGlyphRight:
        if (FAlignment == taLeftJustify)
            left = Width() - aw - m - 2 * x0 - ts - gw;
        else if (FAlignment == taRightJustify)
            left = Width() - aw - gw - m;
        else
            left = (Width() + ts + text.cx - aw - gw) / 2;
        break;
    case blGlyphTop:
        left = (Width() - aw - gw) / 2 + 1;
        top = y0 + m;
        break;
    case blGlyphBottom:
        left = (Width() - aw - gw) / 2 + 1;
        top = Height() - m - y0 - gh;
        break;
    }
    if (CurrentState() == 2) {
        ++left;
        ++top;
    }
    TRect r(left, top, left + gw, top + gh);
    if (FReflected) {
        r.top -= gh / 6;
        r.bottom -= gh / 6;
    }
    return r;
}

TRect TsSpeedButton::CaptionRect() {
    TSize text;
    TextRectSize(text);
    const int aw = ArrowWidth(), m = MarginM(), s = Spacing();
    const int gw = GlyphWidth(), gh = GlyphHeight();
    const bool h = gw >= 1 && !Caption().empty();
    const bool v = gh >= 1 && !Caption().empty();
    const int x0 = (Width() - (aw + gw) - (h ? s : 0) - text.cx) / 2 - m;
    const int yt = (Height() - text.cy) / 2;
    const int y0 = (Height() - (gh + (v ? s : 0) + text.cy)) / 2 - m;
    const int xc = (Width() - (text.cx + aw)) / 2;
    const int gs = gw > 0 ? s : 0;
    TRect r(0, yt, 0, Height() - yt);
    switch (Layout()) {
    case blGlyphLeft:
        if (FAlignment == taLeftJustify)
            r = TRect(gw + Margin() + gs, yt, Width() - aw - m - 2 * x0, Height() - yt);
        else if (FAlignment == taRightJustify)
            r = TRect(m + 2 * x0 + gw + gs, yt, Width() - aw - m, Height() - yt);
        else
            r = TRect(gw + m + x0 + gs, yt, Width() - aw - m - x0, Height() - yt);
        break;
    case blGlyphRight:
        if (FAlignment == taLeftJustify)
            r = TRect(m, yt, m + text.cx, Height() - yt);
        else if (FAlignment == taRightJustify)
            r = TRect(m + 2 * x0, yt, m + 2 * x0 + text.cx, Height() - yt);
        else
            r = TRect(m + x0, yt, m + x0 + text.cx, Height() - yt);
        break;
    case blGlyphTop:
        r = TRect(xc, gh + m + y0 + (v ? s : 0), Width() - xc - aw, Height() - y0 - m);
        break;
    case blGlyphBottom:
        r = TRect(xc, m + y0, Width() - (Width() - text.cx - aw) / 2 - aw,
                  Height() - y0 - m - gh - (v ? s : 0));
        break;
    }
    r = TRect(r.left + FOffset - 1, r.top, r.right + FOffset + 2, r.bottom);
    if (CurrentState() == 2) r = TRect(r.left + 1, r.top + 1, r.right + 1, r.bottom + 1);
    return r;
}
