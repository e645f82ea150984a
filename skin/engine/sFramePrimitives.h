// Small painting primitives shared by the section painters, borders, glows and the window layer:
// the nine-piece copy of a frame image, the multi-state glyph painter, solid fills and frames on
// a device context, the copy of a frame ring between device contexts, the dotted focus frame and
// the scan of a mask's corners for the key-colour runs that window regions are cut from.
//
// Border-width records are TRects whose four fields hold the left, top, right and bottom widths.
// Device-context routines restore every object and state they change before they return.
#pragma once

#include "framework/Graphics.h"
#include "skin/engine/sConst.h"

#include <vector>

struct TsMaskData;

// The DC's state saved for a scope and restored when it ends, on every path.
class TSavedDC {
public:
    explicit TSavedDC(HDC DC) : FDC(DC), FSaved(SaveDC(DC)) {}
    ~TSavedDC() { RestoreDC(FDC, FSaved); }
    TSavedDC(const TSavedDC&) = delete;
    TSavedDC& operator=(const TSavedDC&) = delete;

private:
    HDC FDC;
    int FSaved;
};

// How each side of a frame is filled: 0 tiled, 1 stretched, other values not at all.
struct TacSideModes {
    Byte Left = 0;
    Byte Top = 0;
    Byte Right = 0;
    Byte Bottom = 0;
};

// Copies SrcRect of Src into DstRect of Dst in nine pieces: corners of Borders widths (limited
// by Limits), sides by SideModes, the centre by CenterMode (0 tiled, 1 stretched) when
// FillCenter. A side or centre whose source piece is under 1 pixel is not tiled.
void TileBmpFrame(TBitmap* Dst, TBitmap* Src, const TRect& DstRect, const TRect& SrcRect,
                  const TRect& Borders, const TRect& Limits, const TacSideModes& SideModes,
                  Byte CenterMode, bool FillCenter);
// Draws one state cell of Glyph (NumGlyphs cells side by side) at R.Left, R.Top of Dst; the key
// colour is the cell's bottom-left pixel.
void DrawGlyphBmp(TBitmap* Glyph, TBitmap* Dst, const TRect& R, int NumGlyphs, bool Enabled,
                  TsDisabledKind DisabledKind, int State, int Blend, bool Down);
void PaintSolidRect(HDC DC, const TRect& R, TColor Color);
// Fills the four border strips of R, WL, WT, WR and WB wide.
void PaintSolidFrame(HDC DC, const TRect& R, int WL, int WT, int WR, int WB, TColor Color);
// Copies the ring BorderWidth wide of (X, Y, Width, Height) from (SrcX, SrcY) of SrcDC.
void CopyFrameStrips(HDC DstDC, int X, int Y, int Width, int Height, HDC SrcDC, int SrcX, int SrcY,
                     int BorderWidth);
// Width nested one-pixel frames; R ends deflated by the width, Width ends 0.
void PaintFrame3DDC(HDC DC, TRect& R, TColor TopLeftColor, TColor BottomRightColor, int& Width);
void PaintDottedFrame(TCanvas* Canvas, const TRect& R);
// Appends one rect per run of key-colour pixels in the top (or Bottom) corner rows of a mask's
// first state: left corners at their columns, right corners at the right edge of a target
// TargetWidth wide, rows moved by YOffset. Rows or columns outside the image end the scan.
void CollectMaskCornerRects(std::vector<TRect>& Rects, int TargetWidth, const TsMaskData& MaskData,
                            int YOffset, bool Bottom);
