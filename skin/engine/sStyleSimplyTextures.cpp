// The texture painters of section backgrounds: plain textures of the master bitmap laid out by
// their draw mode, masked textures (image row over mask row) tiled with the parent showing
// through their holes, and bitmaps or JPEG images tiled over a rect.
#include "skin/engine/sStyleSimply.h"

#include "framework/Jpeg.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sSkinManager.h"

#include <algorithm>

namespace {

// Copies a W x H tile of Src at (SrcX, SrcY) to every grid point of Area (from its top-left),
// the last column and row cut to Area. Whole rows only with WholeRows (the band below the last
// whole row is left). The picture repeats from
// Area's corner, so after the first tile the painted part is copied onto itself, doubling,
// instead of one copy per tile.
void TileArea(HDC Dst, const TRect& Area, HDC Src, int SrcX, int SrcY, int W, int H,
              bool WholeRows = false) {
    if (W < 1 || H < 1 || Area.Width() < 1 || Area.Height() < 1) return;
    const int width = Area.Width();
    const int height = WholeRows ? Area.Height() / H * H : Area.Height();
    if (height < 1) return;
    BitBlt(Dst, Area.left, Area.top, std::min(W, width), std::min(H, height), Src, SrcX, SrcY,
           SRCCOPY);
    for (int done = W; done < width; done *= 2)
        BitBlt(Dst, Area.left + done, Area.top, std::min(done, width - done), std::min(H, height),
               Dst, Area.left, Area.top, SRCCOPY);
    for (int done = H; done < height; done *= 2)
        BitBlt(Dst, Area.left, Area.top + done, width, std::min(done, height - done), Dst,
               Area.left, Area.top, SRCCOPY);
}

void StretchTile(HDC Dst, const TRect& Area, HDC Src, int SrcX, int SrcY, int W, int H) {
    if (W < 1 || H < 1 || Area.Width() < 1 || Area.Height() < 1) return;
    const int old = SetStretchBltMode(Dst, COLORONCOLOR);
    StretchBlt(Dst, Area.left, Area.top, Area.Width(), Area.Height(), Src, SrcX, SrcY, W, H,
               SRCCOPY);
    SetStretchBltMode(Dst, old);
}

// The parent's background into Area of Bmp: CI's pixels when ready, else its fill colour.
void ParentBand(TBitmap* Bmp, TRect Area, const TCacheInfo& CI) {
    Area.left = std::max<int>(Area.left, 0), Area.top = std::max<int>(Area.top, 0);
    Area.right = std::min<int>(Area.right, Bmp->Width());
    Area.bottom = std::min<int>(Area.bottom, Bmp->Height());
    const int bytes = PixelBytes(Bmp);
    for (int y = Area.top; y < Area.bottom; ++y) {
        Byte* row = static_cast<Byte*>(Bmp->ScanLine(y));
        for (int x = Area.left; x < Area.right; ++x) {
            Byte* d = row + x * bytes;
            if (CI.Ready) {
                if (ReadParentPixel(CI, x, y, d) == TParentPixel::EndRow) break;
            } else {
                d[0] = Byte(CI.FillColor >> 16), d[1] = Byte(CI.FillColor >> 8);
                d[2] = Byte(CI.FillColor);
            }
            if (bytes == 4) d[3] = 255;
        }
    }
}

} // namespace

void TileGraphic(TCanvas* Canvas, const TRect& R, TGraphic* Img) {
    if (!Img || Img->Empty() || Img->Width() < 1 || Img->Height() < 1) return;
    const int w = Img->Width(), h = Img->Height();
    if (auto* bitmap = dynamic_cast<TBitmap*>(Img)) {
        TileArea(Canvas->Handle(), R, bitmap->Canvas()->Handle(), 0, 0, w, h);
        return;
    }
    if (!dynamic_cast<TJPEGImage*>(Img)) return;
    const HDC dc = Canvas->Handle();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, R.left, R.top, R.right, R.bottom);
    for (int i = 0; i <= R.Width() / w; ++i)
        for (int j = 0; j <= R.Height() / h; ++j) Canvas->Draw(R.left + i * w, R.top + j * h, Img);
    RestoreDC(dc, saved);
}

void PaintTexture(TCanvas* Canvas, TRect& R, TGraphic* Img, int Mode, const TsMaskData& MaskData) {
    if (Img && !Img->Empty()) {
        TileGraphic(Canvas, R, Img);
        R = NoRemainder;
        return;
    }
    TBitmap* master = MaskData.Manager ? MaskData.Manager->MasterBitmap.get() : nullptr;
    const int w = MaskData.R.Width(), h = MaskData.R.Height();
    if (!master || w < 1 || h < 1) return;
    const HDC dst = Canvas->Handle(), src = master->Canvas()->Handle();
    const int sx = MaskData.R.left, sy = MaskData.R.top;
    const TRect in = R;
    switch (Mode) {
    case 0:
        TileArea(dst, in, src, sx, sy, w, h);
        R = NoRemainder;
        return;
    case 1:
        StretchTile(dst, in, src, sx, sy, w, h);
        R = NoRemainder;
        return;
    case 2:
        TileArea(dst, TRect(in.left, in.top, in.right, std::min<int>(in.top + h, in.bottom)), src,
                 sx, sy, w, h);
        R = TRect(in.left, in.top + h, in.right, in.bottom);
        return;
    case 3:
        TileArea(dst, TRect(in.left, in.top, std::min<int>(in.left + w, in.right), in.bottom), src,
                 sx, sy, w, h);
        R = TRect(in.left + w, in.top, in.right, in.bottom);
        return;
    case 4:
        StretchTile(dst, TRect(in.left, in.top, in.right, std::min<int>(in.top + h, in.bottom)),
                    src, sx, sy, w, h);
        R = TRect(in.left, in.top + h, in.right, in.bottom);
        return;
    case 5:
        StretchTile(dst, TRect(in.left, in.top, std::min<int>(in.left + w, in.right), in.bottom),
                    src, sx, sy, w, h);
        R = TRect(in.left + w, in.top, in.right, in.bottom);
        return;
    case 6:
        TileArea(dst, TRect(in.left, std::max<int>(in.bottom - h, in.top), in.right, in.bottom),
                 src, sx, sy, w, h);
        R = TRect(in.left, in.top, in.right, in.bottom - h);
        return;
    case 7:
        TileArea(dst, in, src, sx, sy, w, h);
        R = TRect(in.left, in.top, in.right - w, in.bottom);
        return;
    case 10:
        TileArea(dst, in, src, sx, sy, w, h, true);
        R = NoRemainder;
        return;
    case 8:
    case 9:
    case 11:
    case 12:
    case 13:
    case 14:
        TileArea(dst, in, src, sx, sy, w, h);
        R = TRect(in.right - w, in.top, in.right, in.bottom);
        return;
    default: return;
    }
}

void PaintMaskedTexture(TBitmap* Bmp, TRect& R, const TCacheInfo& CI, int Mode,
                        const TsMaskData& MaskData) {
    if (!MaskData.Manager || (Mode != 0 && Mode != 10) || !PixelBytes(Bmp)) return;
    const TRect in = R;
    R = NoRemainder;
    if (MaskData.ImageCount < 1) return;
    const int w = MaskData.R.Width() / MaskData.ImageCount, h = MaskData.R.Height() / 2;
    if (w < 1 || h < 1) return;
    int bottom = in.top, right = in.left;
    for (int y = in.top; y + h <= in.bottom; y += h) {
        for (int x = in.left; x < in.right; x += w) {
            const int cw = std::min<int>(w, in.right - x);
            CopyMaskedTexture(Bmp, TRect(x, y, x + cw, y + h), MaskData, CI);
            if (cw == w) right = std::max(right, x + w);
        }
        bottom = y + h;
    }
    if (Mode != 10) return;
    // With no whole column there are no tiles: the whole rect shows the parent.
    if (right == in.left) bottom = in.top;
    ParentBand(Bmp, TRect(in.left, bottom, in.right, in.bottom), CI);
    ParentBand(Bmp, TRect(right, in.top, in.right, in.bottom), CI);
}
