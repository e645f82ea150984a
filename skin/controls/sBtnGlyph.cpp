// The button glyph painter: the speed button's glyph in its state, from its Glyph bitmap or from
// its image list, on the cache canvas or on another canvas.
//
// Blend acts in two senses. For a 32-bit single-state glyph it is the opacity of the normal
// state: every alpha is scaled to Blend percent (0 leaves the glyph as it is), hot and pressed
// glyphs keep their alpha. For image-list pictures and multi-state glyphs it is the share of the
// background shown through, which only the skin's blending applies. Image-list pictures are
// drawn through a 24-bit copy keyed with the list's background colour (magenta for clNone), so
// the key colour never reaches the canvas; a disabled picture is greyed first when the button's
// DisabledGlyphKind asks for it. The skinned drawing of multi-state glyphs and of the skin's
// alpha image lists comes with the skin engine.
#include "skin/controls/sSpeedButton.h"

#include "skin/controls/sGlyphUtils.h"
#include "skin/engine/sAlphaGraph.h"

namespace {

constexpr TColor KeyColour = static_cast<TColor>(0xFF00FF);

void DrawAlphaGlyph(TsSpeedButton* Button, TCanvas* Canvas, const TRect& R) {
    TBitmap glyph;
    glyph.Assign(Button->Glyph());
    glyph.SetAlphaFormat(afDefined);
    if (Button->CurrentState() == 0 && Button->Blend() != 0)
        for (int y = 0; y < glyph.Height(); ++y) {
            auto* pixel = static_cast<Byte*>(glyph.ScanLine(y));
            for (int x = 0; x < glyph.Width(); ++x, pixel += 4)
                pixel[3] = static_cast<Byte>(pixel[3] * Button->Blend() / 100);
        }
    Canvas->Draw(R.left, R.top, &glyph);
}

void DrawStateGlyph(TsSpeedButton* Button, TCanvas* Canvas, const TRect& R) {
    const int count = Button->NumGlyphs() > 0 ? Button->NumGlyphs() & 0x7F : 1;
    const int state = !Button->Enabled() ? 1 : (Button->CurrentState() == 2 ? 2 : 0);
    const int index = state < count ? state : 0;
    buttons_detail::DrawGlyph(Canvas->Handle(), Button->Glyph(), count, index, R.left, R.top,
                              !Button->Enabled() && index == 0);
}

void DrawListImage(TsSpeedButton* Button, TCanvas* Canvas, const TRect& R) {
    TCustomImageList* list = Button->Images();
    const TColor key = list->BkColor() == clNone ? KeyColour : list->BkColor();
    TBitmap picture(list->Width(), list->Height(), pf24bit);
    picture.Canvas()->Brush()->SetColor(key);
    picture.Canvas()->FillRect(TRect(0, 0, list->Width(), list->Height()));
    ImageList_Draw(list->Handle(), Button->ImageIndex(), picture.Canvas()->Handle(), 0, 0,
                   ILD_NORMAL);
    if (!Button->Enabled() && Button->DisabledGlyphKind().Contains(dgGrayed))
        GrayBmpExceptColor(&picture, picture.Canvas()->Pixels(0, 0));
    GdiTransparentBlt(Canvas->Handle(), R.left, R.top, list->Width(), list->Height(),
                      picture.Canvas()->Handle(), 0, 0, list->Width(), list->Height(),
                      static_cast<UINT>(ColorToRGB(key)));
}

} // namespace

void DrawBtnGlyph(TsSpeedButton* Button, TCanvas* Canvas) {
    if (!Canvas) Canvas = Button->SkinData()->CacheBmp()->Canvas();
    const TRect r = Button->ImgRect();
    TBitmap* glyph = Button->Glyph();
    if (!glyph->Empty()) {
        if (glyph->PixelFormat() == pfDevice) glyph->SetPixelFormat(pf24bit);
        if ((Button->NumGlyphs() & 0x7F) <= 1 && glyph->PixelFormat() == pf32bit)
            DrawAlphaGlyph(Button, Canvas, r);
        else
            DrawStateGlyph(Button, Canvas, r);
        return;
    }
    const int index = Button->ImageIndex();
    if (Button->Images() && index >= 0 && index < ImageListCount(Button->Images()))
        DrawListImage(Button, Canvas, r);
}
