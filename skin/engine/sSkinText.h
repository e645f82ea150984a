// Text on skinned surfaces: drawn in the font colours of a skin section (a main colour and up to
// four outline colours, each drawn one pixel to the left, above, to the right and below before
// the main pass; separate hot colours; a faded colour for disabled text), the caption layout of
// glyph buttons, and the small text measures the window layer and the skinned controls use.
//
// The writers change the canvas's font colour, font style and brush style (clear) and leave them
// changed; the device context's own state (clip, selected objects) is restored. An invalid
// section, a missing manager or an empty text draws nothing, or only the plain main pass.
// GUI thread only.
#pragma once

#include "framework/Controls.h"

class TsSkinManager;
class TsCommonData;

// Text (Length characters) in the colours of section SkinIndex of SkinManager (null: the default
// manager) into R with the DrawText flags Format.
void WriteSkinTextBuf(TCanvas* Canvas, const wchar_t* Text, int Length, bool Enabled,
                      const TRect& R, UINT Format, int SkinIndex, bool Hot,
                      TsSkinManager* SkinManager);
void WriteSkinText(TCanvas* Canvas, const UnicodeString& Text, bool Enabled, const TRect& R,
                   UINT Format, int SkinIndex, bool Hot, TsSkinManager* SkinManager);
// Text in the colours of a control's link, clipped to R, in the owner control's font. A check
// box, radio button, group box or graphic control with ParentFont takes the colours of the
// parent section it shows through when its own section is transparent.
void WriteControlTextBuf(TCanvas* Canvas, const wchar_t* Text, int Length, bool Enabled,
                         const TRect& R, UINT Format, TsCommonData* CommonData, bool Hot);
void WriteControlText(TCanvas* Canvas, const UnicodeString& Text, bool Enabled, const TRect& R,
                      UINT Format, TsCommonData* CommonData, bool Hot);

// The platform's DrawText over the whole string; its result (the text height).
int DrawTextDC(HDC DC, const UnicodeString& Text, TRect& R, UINT Format);
int TextWidthOf(TCanvas* Canvas, const UnicodeString& Text);
void TextSizeOf(TCanvas* Canvas, const UnicodeString& Text, TSize& Size);
// The canvas's text-out at (X, Y) clipped to R.
void CanvasTextRect(TCanvas* Canvas, const TRect& R, int X, int Y, const UnicodeString& Text);
// Text shortened with "..." to fit MaxWidth pixels of the canvas's font: empty for MaxWidth 0 or
// less, and empty (no ellipsis) when not even one character and the ellipsis fit.
UnicodeString FitTextToWidth(TCanvas* Canvas, const UnicodeString& Text, int MaxWidth);
// The extent of Text in Font on the screen; (0, 0) when it cannot be measured.
void FontTextSize(HFONT Font, const UnicodeString& Text, TSize& Size);

// Where a glyph and a caption go inside Client. Layout: 0 glyph left, 1 glyph right, 2 glyph
// top, 3 glyph bottom; Alignment: 0 left, 1 right, 2 centre; Margin -1 and Spacing -1 share the
// free space out; BiDiFlags holding DT_RIGHT swap layouts 0 and 1. Halves and thirds truncate
// toward zero.
void CalcGlyphLayout(const TRect& Client, TPoint GlyphSize, TPoint TextSize, int Layout,
                     int Alignment, int Margin, int Spacing, TPoint& GlyphPos, TRect& TextBounds,
                     UINT BiDiFlags);
