// Masked and keyed copies of skin images into a control's bitmap. Key-colour pixels of an image
// are holes: they show the parent's background (read from the parent's bitmap), a fill colour,
// or what the bitmap held. Every position is clipped on all four sides before it is read, since
// skin data and control positions decide the rectangles.
#include "skin/engine/sAlphaGraph.h"

#include "skin/engine/sCommonData.h"
#include "skin/engine/sMaskData.h"

#include <algorithm>

namespace {

constexpr DWORD Key = 0xFF00FF;

Byte* At(TBitmap* Bmp, int X, int Y, int Bytes) {
    return static_cast<Byte*>(Bmp->ScanLine(Y)) + X * Bytes;
}

bool IsKey(const Byte* P) { return RGB(P[2], P[1], P[0]) == Key; }

void PutColour(Byte* D, TColor Color) {
    const auto c = static_cast<DWORD>(ColorToRGB(Color));
    D[0] = Byte(c >> 16), D[1] = Byte(c >> 8), D[2] = Byte(c);
}

} // namespace

TSize PieceSize(TRect& DstRect, TRect& SrcRect, TBitmap* Dst, TBitmap* Src) {
    const int dx = std::max<int>({0, -DstRect.left, -SrcRect.left});
    const int dy = std::max<int>({0, -DstRect.top, -SrcRect.top});
    DstRect.left += dx, SrcRect.left += dx, DstRect.top += dy, SrcRect.top += dy;
    const int w = std::min<int>({DstRect.Width(), SrcRect.Width(), Dst->Width() - DstRect.left,
                                 Src->Width() - SrcRect.left});
    const int h = std::min<int>({DstRect.Height(), SrcRect.Height(), Dst->Height() - DstRect.top,
                                 Src->Height() - SrcRect.top});
    return TSize(std::max(0, w), std::max(0, h));
}

TParentPixel ReadParentPixel(const TCacheInfo& CI, int X, int Y, Byte* Bgr) {
    const int bytes = PixelBytes(CI.Bmp), x = CI.X + X, y = CI.Y + Y;
    if (!bytes || y < 0 || x >= CI.Bmp->Width()) return TParentPixel::EndRow;
    if (y >= CI.Bmp->Height() || x < 0) return TParentPixel::Skip;
    std::copy_n(At(CI.Bmp, x, y, bytes), 3, Bgr);
    return TParentPixel::Read;
}

void CopyMaskedPiece(TRect DstRect, TRect SrcRect, TBitmap* Dst, TBitmap* Src, const TCacheInfo& CI,
                     bool UpdateTrans, const TsMaskData& MaskData) {
    const int db = PixelBytes(Dst), sb = PixelBytes(Src);
    if (!db || !sb) return;
    const TSize size = PieceSize(DstRect, SrcRect, Dst, Src);
    const int w = size.cx, h = size.cy;
    if (w <= 0 || h <= 0) return;
    const int maskTop = std::min<int>(SrcRect.top + MaskData.R.Height() / 2, Src->Height() - h);
    const bool parentAlpha = CI.Ready && UpdateTrans && db == 4 && PixelBytes(CI.Bmp) == 4;
    const TacRows src(Src), dst(Dst);
    for (int j = 0; j < h; ++j) {
        const int dy = DstRect.top + j;
        const Byte* srcRow = src.Row(SrcRect.top + j) + SrcRect.left * sb;
        const Byte* maskRow = src.Row(maskTop + j) + SrcRect.left * sb;
        Byte* dstRow = dst.Row(dy) + DstRect.left * db;
        for (int i = 0; i < w; ++i) {
            const int dx = DstRect.left + i;
            const Byte* s = srcRow + i * sb;
            const Byte* m = maskRow + i * sb;
            Byte* d = dstRow + i * db;
            if (parentAlpha) d[3] = 255;
            if (IsKey(s) && UpdateTrans) {
                if (!CI.Ready) {
                    PutColour(d, CI.FillColor);
                    continue;
                }
                const TParentPixel hit = ReadParentPixel(CI, dx, dy, d);
                if (hit == TParentPixel::EndRow) break;
                continue;
            }
            if (IsKey(s) && !CI.Ready) continue;
            for (int k = 0; k < 3; ++k) d[k] = Byte(((d[k] - s[k]) * m[k] + s[k] * 256) >> 8);
        }
    }
}

// With UpdateTrans and a ready parent bitmap, key pixels show the parent (or, when the parent
// bitmap is the destination itself, are left as they are). Otherwise a 24-bit source leaves key
// pixels over a ready parent and gives them FillColor without one; a 32-bit source compares
// whole pixels with Key and copies the others whole, alpha included.
void CopyKeyedImage(TBitmap* Dst, TBitmap* Src, int X, int Y, TRect SrcRect, TColor Key,
                    const TCacheInfo& CI, bool UpdateTrans) {
    const int db = PixelBytes(Dst), sb = PixelBytes(Src);
    if (!db || !sb) return;
    SrcRect.left = std::max<LONG>(SrcRect.left, 0), SrcRect.top = std::max<LONG>(SrcRect.top, 0);
    SrcRect.right = std::min<LONG>(SrcRect.right, Src->Width() - 1);
    SrcRect.bottom = std::min<LONG>(SrcRect.bottom, Src->Height() - 1);
    const bool parent = UpdateTrans && CI.Ready && CI.Bmp, self = parent && CI.Bmp == Dst;
    const bool whole = !parent && sb == 4;
    const auto key = static_cast<DWORD>(Key);
    for (int sy = SrcRect.top, dy = Y; sy <= SrcRect.bottom; ++sy, ++dy) {
        if (dy < 0 || dy >= Dst->Height()) continue;
        for (int sx = SrcRect.left, dx = X; sx <= SrcRect.right; ++sx, ++dx) {
            if (dx < 0 || dx >= Dst->Width()) continue;
            const Byte* s = At(Src, sx, sy, sb);
            Byte* d = At(Dst, dx, dy, db);
            const DWORD value = RGB(s[2], s[1], s[0]) | (whole ? DWORD(s[3]) << 24 : 0);
            if (value != (whole ? key : key & 0xFFFFFF)) {
                std::copy_n(s, whole && db == 4 ? 4 : 3, d);
                if (db == 4 && !whole) d[3] = 255;
                continue;
            }
            if (self || (!parent && CI.Ready)) continue;
            if (!parent) {
                PutColour(d, CI.FillColor);
                if (db == 4) d[3] = 255;
                continue;
            }
            const TParentPixel hit = ReadParentPixel(CI, dx, dy, d);
            if (hit == TParentPixel::EndRow) break;
            if (hit == TParentPixel::Read && db == 4) d[3] = 255;
        }
    }
}

void CopyMaskedImage(TRect DstRect, TRect SrcRect, TBitmap* Dst, TBitmap* Src, const TCacheInfo& CI,
                     bool UpdateTrans) {
    const int db = PixelBytes(Dst), sb = PixelBytes(Src);
    if (!db || !sb) return;
    const TSize size = PieceSize(DstRect, SrcRect, Dst, Src);
    const int maskShift = Src->Height() / 2;
    for (int j = 0; j < size.cy; ++j) {
        const int dy = DstRect.top + j, sy = SrcRect.top + j;
        if (sb == 3 && sy + maskShift >= Src->Height()) return; // no mask row below
        for (int i = 0; i < size.cx; ++i) {
            const int dx = DstRect.left + i;
            const Byte* s = At(Src, SrcRect.left + i, sy, sb);
            Byte* d = At(Dst, dx, dy, db);
            if (CI.Ready && IsKey(s)) {
                if (!UpdateTrans) continue;
                const TParentPixel hit = ReadParentPixel(CI, dx, dy, d);
                if (hit == TParentPixel::EndRow) break;
                if (hit == TParentPixel::Read && db == 4) d[3] = 255;
                continue;
            }
            if (sb == 3) {
                const Byte* m = At(Src, SrcRect.left + i, sy + maskShift, 3);
                for (int k = 0; k < 3; ++k) d[k] = Byte(((d[k] - s[k]) * m[k] + s[k] * 256) >> 8);
            } else {
                for (int k = 0; k < 3; ++k) d[k] = Byte(((s[k] - d[k]) * s[3] + d[k] * 256) >> 8);
                if (db == 4) d[3] = 255;
            }
        }
    }
}
