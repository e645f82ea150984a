// TSpeedButton's face: the frame for the state (the theme's tool-bar button for a flat button,
// its push button otherwise; classic frames without themes), then the glyph image for the state
// and the caption, both one pixel down-right while the button is pressed.
#include "framework/Buttons.h"
#include "framework/Themes.h"

namespace {

bool Pressed(TButtonState state) { return state == bsDown || state == bsExclusive; }

void FillColor(HDC dc, const TRect& rect, TColor color) {
    TOwnedBrush brush(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color))));
    FillRect(dc, &rect, brush.Get());
}

} // namespace

void buttons_detail::FillHalfTone(HDC dc, const TRect& rect) {
    static const WORD pattern[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    TOwnedBitmap bits(CreateBitmap(8, 8, 1, 1, pattern));
    TOwnedBrush brush(CreatePatternBrush(bits.Get()));
    const COLORREF text = SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(clBtnFace)));
    const COLORREF back = SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));
    FillRect(dc, &rect, brush.Get());
    SetTextColor(dc, text);
    SetBkColor(dc, back);
}

void TSpeedButton::Paint() {
    SyncEnabledState();
    PaintFace(Canvas()->Handle());
}

void TSpeedButton::PaintFace(HDC dc) {
    TRect rect = ClientRect();
    if (!PaintThemedFrame(dc, rect)) PaintClassicFrame(dc, rect);
    PaintContent(dc, rect);
}

bool TSpeedButton::PaintThemedFrame(HDC dc, TRect& rect) {
    TThemeServices* themes = ThemeServices();
    if (!themes->ThemesEnabled()) return false;
    if (!FTransparent) FillColor(dc, rect, Color());
    const bool hot = FMouseInControl && FState != bsDisabled;
    if (FFlat) {
        const int state = FState == bsDisabled    ? TS_DISABLED
                          : FState == bsDown      ? TS_PRESSED
                          : FState == bsExclusive ? (hot ? TS_HOTCHECKED : TS_CHECKED)
                          : hot                   ? TS_HOT
                                                  : TS_NORMAL;
        themes->DrawElement(dc, {L"TOOLBAR", TP_BUTTON, state}, rect);
    } else {
        const int state = FState == bsDisabled ? PBS_DISABLED
                          : Pressed(FState)    ? PBS_PRESSED
                          : hot                ? PBS_HOT
                                               : PBS_NORMAL;
        themes->DrawElement(dc, {L"BUTTON", BP_PUSHBUTTON, state}, rect);
    }
    InflateRect(&rect, -1, -1);
    return true;
}

void TSpeedButton::PaintClassicFrame(HDC dc, TRect& rect) {
    const bool pressed = Pressed(FState);
    if (!FFlat) {
        DrawFrameControl(dc, &rect, DFC_BUTTON,
                         DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (pressed ? DFCS_PUSHED : 0));
    } else {
        if (pressed || (FMouseInControl && FState != bsDisabled))
            DrawEdge(dc, &rect, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
                     BF_RECT | (FTransparent ? 0 : BF_MIDDLE));
        else if (!FTransparent)
            FillColor(dc, rect, Color());
        InflateRect(&rect, -1, -1);
    }
    if (FState == bsExclusive && !(FFlat && FMouseInControl))
        buttons_detail::FillHalfTone(dc, rect);
}

void TSpeedButton::PaintContent(HDC dc, const TRect& rect) {
    const TSize glyph = buttons_detail::GlyphSize(FGlyph.get(), FNumGlyphs);
    const UnicodeString caption = Caption();
    const TSize text = buttons_detail::CaptionSize(dc, Font(), caption);
    const TPoint offset = Pressed(FState) ? TPoint{1, 1} : TPoint{0, 0};
    const TButtonLayoutResult layout =
        ButtonLayout(rect, glyph, text, FLayout, FMargin, FSpacing, offset);
    const int index = buttons_detail::GlyphIndex(FState, FNumGlyphs);
    buttons_detail::DrawGlyph(dc, FGlyph.get(), FNumGlyphs, index, layout.GlyphPos.x,
                              layout.GlyphPos.y, index < 0);
    buttons_detail::DrawCaption(dc, Font(), caption, layout.TextBounds, FState != bsDisabled);
}
