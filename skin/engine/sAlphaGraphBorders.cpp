// The nine-piece border painter: a mask state's corners, sides and centre laid into a rect of a
// control's bitmap. Masked masks (image rows over mask rows) mix every piece by the mask; plain
// masks copy their sides and centre and let their corners' key-colour holes show the parent.
#include "skin/engine/sAlphaGraph.h"

#include "skin/engine/sCommonData.h"
#include "skin/engine/sMaskData.h"
#include "skin/engine/sSkinManager.h"

#include <algorithm>

namespace {

// Shares out two border widths that do not fit into Size: each loses half the excess, the
// second one pixel more for an odd excess.
void FitBorders(int& First, int& Second, int Size) {
    const int excess = First + Second - Size;
    if (excess <= 0) return;
    First = std::max(0, First - excess / 2);
    Second = std::max(0, Second - excess / 2 - excess % 2);
}

struct TBorderPainter {
    TBitmap* Bmp;
    TBitmap* Image;
    const TsMaskData& Mask;
    const TCacheInfo& CacheInfo;
    bool CornerMode;
    bool Stretch; // plain mask with DrawMode bit 1

    void Corner(int X, int Y, int W, int H, int SrcX, int SrcY) const {
        if (W < 1 || H < 1) return;
        if (Mask.MaskType > 0)
            CopyMaskedPiece(TRect(X, Y, X + W, Y + H), TRect(SrcX, SrcY, SrcX + W, SrcY + H), Bmp,
                            Image, CacheInfo, CornerMode, Mask);
        else
            CopyKeyedImage(Bmp, Image, X, Y, TRect(SrcX, SrcY, SrcX + W - 1, SrcY + H - 1),
                           TransparentKeyColor, CacheInfo, CornerMode);
    }
    void Piece(const TRect& To, int SrcX, int SrcY) const {
        if (Mask.MaskType > 0) {
            const TCacheInfo none{nullptr, -99, -99, 0, false};
            CopyMaskedPiece(To, TRect(SrcX, SrcY, SrcX + To.Width(), SrcY + To.Height()), Bmp,
                            Image, none, false, Mask);
        } else {
            BitBlt(Bmp->Canvas()->Handle(), To.left, To.top, To.Width(), To.Height(),
                   Image->Canvas()->Handle(), SrcX, SrcY, SRCCOPY);
        }
    }
    // Area filled with the PieceW x PieceH piece at (SrcX, SrcY): tiled from the top-left with
    // cut pieces last, or stretched once. A piece under 1 pixel fills nothing.
    void Fill(const TRect& Area, int SrcX, int SrcY, int PieceW, int PieceH) const {
        if (PieceW < 1 || PieceH < 1 || Area.Width() < 1 || Area.Height() < 1) return;
        if (Stretch) {
            const HDC dc = Bmp->Canvas()->Handle();
            const int old = SetStretchBltMode(dc, HALFTONE);
            SetBrushOrgEx(dc, 0, 0, nullptr);
            StretchBlt(dc, Area.left, Area.top, Area.Width(), Area.Height(),
                       Image->Canvas()->Handle(), SrcX, SrcY, PieceW, PieceH, SRCCOPY);
            SetStretchBltMode(dc, old);
            return;
        }
        for (int y = Area.top; y < Area.bottom; y += PieceH)
            for (int x = Area.left; x < Area.right; x += PieceW)
                Piece(TRect(x, y, std::min<int>(x + PieceW, Area.right),
                            std::min<int>(y + PieceH, Area.bottom)),
                      SrcX, SrcY);
    }
};

} // namespace

void PaintBorderMask(TBitmap* Bmp, const TRect& R, bool Filling, const TCacheInfo& CacheInfo,
                     const TsMaskData& Mask, int State, bool CornerMode) {
    if ((State == 0 && (Mask.DrawMode & 2)) || R.Width() < 2 || R.Height() < 2 || !Mask.Manager)
        return;
    if (Mask.ImageCount <= 0 || !PixelBytes(Bmp)) return;
    TBitmap* image = Mask.Bmp ? Mask.Bmp.get() : Mask.Manager->MasterBitmap.get();
    if (!PixelBytes(image)) return;
    int wl = Mask.WL, wr = Mask.WR, wt = Mask.WT, wb = Mask.WB;
    FitBorders(wl, wr, R.Width());
    FitBorders(wt, wb, R.Height());
    State = std::clamp(State, 0, Mask.ImageCount - 1);
    const int sw = MaskStateWidth(Mask), sh = MaskStateHeight(Mask);
    const int mw = std::max(0, sw - wl - wr), mh = std::max(0, sh - wt - wb);
    const int ox = Mask.R.left + State * sw, oy = Mask.R.top;
    const TBorderPainter p{Bmp,       image,      Mask,
                           CacheInfo, CornerMode, Mask.MaskType == 0 && (Mask.DrawMode & 1)};
    p.Corner(R.left, R.top, wl, wt, ox, oy);
    p.Fill(TRect(R.left, R.top + wt, R.left + wl, R.bottom - wb), ox, oy + wt, wl, mh);
    p.Fill(TRect(R.left + wl, R.top, R.right - wr, R.top + wt), ox + wl, oy, mw, wt);
    p.Corner(R.left, R.bottom - wb, wl, wb, ox, oy + sh - wb);
    p.Fill(TRect(R.left + wl, R.bottom - wb, R.right - wr, R.bottom), ox + wl, oy + sh - wb, mw,
           wb);
    p.Corner(R.right - wr, R.bottom - wb, wr, wb, ox + sw - wr, oy + sh - wb);
    p.Corner(R.right - wr, R.top, wr, wt, ox + sw - wr, oy);
    p.Fill(TRect(R.right - wr, R.top + wt, R.right, R.bottom - wb), ox + sw - wr, oy + wt, wr, mh);
    if (Filling && (Mask.DrawMode & 4))
        p.Fill(TRect(R.left + wl, R.top + wt, R.right - wr, R.bottom - wb), ox + wl, oy + wt, mw,
               mh);
}
