// Transparency and constant-alpha blends of one bitmap onto another, and the two-bitmap mix into
// a 32-bit target. Each clips once per call and then walks rows of raw bytes.
#include "skin/engine/sAlphaGraph.h"

#include <algorithm>
#include <vector>

namespace {

Byte* At(TBitmap* Bmp, int X, int Y, int Bytes) {
    return static_cast<Byte*>(Bmp->ScanLine(Y)) + X * Bytes;
}

// The value a key is compared with: the colour bytes of a 24-bit pixel, the whole 32-bit one.
DWORD KeyValue(const Byte* P, int Bytes) {
    const DWORD colour = RGB(P[2], P[1], P[0]);
    return Bytes == 4 ? colour | DWORD(P[3]) << 24 : colour;
}

bool SameSize(TBitmap* A, TBitmap* B) {
    return A->Width() == B->Width() && A->Height() == B->Height();
}

template <int Bytes>
void BlendArea(TacFastSum<Bytes>& Blender, TBitmap* Dst, TBitmap* Src, int Alpha,
               const TRect& SrcRect, const TPoint& DstPoint) {
    if (!Blender.Attach(Src, Dst)) return;
    Blender.Alpha = static_cast<Byte>(ClampToByte(Alpha));
    Blender.DstX1 = DstPoint.x;
    Blender.DstY1 = DstPoint.y;
    Blender.DstX2 = DstPoint.x + SrcRect.right - SrcRect.left;
    Blender.DstY2 = DstPoint.y + SrcRect.bottom - SrcRect.top;
    Blender.SrcX1 = SrcRect.left;
    Blender.SrcY1 = SrcRect.top;
    Blender.SrcX2 = SrcRect.right;
    Blender.SrcY2 = SrcRect.bottom;
    Blender.BlendBitmapsRect();
}

} // namespace

void BlendTransparentRect(TBitmap* Dst, int X, int Y, TBitmap* Src, const TRect& SrcRect, double T,
                          TColor Key) {
    const int db = PixelBytes(Dst), sb = PixelBytes(Src);
    if (!db || !sb || (db == 4 && sb == 4)) return;
    // A negative top or left of the source rect shifts the destination with it, so the part
    // that lies inside the source lands where it would have with the whole rect.
    const int left = std::max<int>(SrcRect.left, 0), top = std::max<int>(SrcRect.top, 0);
    const int right = std::min<int>(SrcRect.right, Src->Width() - 1);
    const int bottom = std::min<int>(SrcRect.bottom, Src->Height() - 1);
    const int x0 = X + left - SrcRect.left, y0 = Y + top - SrcRect.top;
    const bool keyed = ((static_cast<DWORD>(Key) >> 24) & 0xFF) != 0xFF;
    // Over large areas every (s, d) pair's result is computed once and looked up.
    std::vector<Byte> table;
    if ((right - left + 1) * (bottom - top + 1) > 16384) {
        table.resize(256 * 256);
        for (int sv = 0; sv < 256; ++sv)
            for (int dv = 0; dv < 256; ++dv)
                table[sv * 256 + dv] = Byte(ClampToByte(int(RoundHalfEven(sv - T * (sv - dv)))));
    }
    for (int j = 0; j <= bottom - top; ++j) {
        const int dy = y0 + j;
        if (dy < 0) continue;
        if (dy >= Dst->Height()) return;
        const Byte* srcRow = At(Src, 0, top + j, sb);
        Byte* dstRow = At(Dst, 0, dy, db);
        for (int sx = left, dx = x0; sx <= right && dx < Dst->Width(); ++sx, ++dx) {
            if (dx < 0) continue;
            const Byte* s = srcRow + sx * sb;
            if (keyed && KeyValue(s, sb) == static_cast<DWORD>(Key)) continue;
            Byte* d = dstRow + dx * db;
            if (!table.empty())
                for (int i = 0; i < 3; ++i) d[i] = table[s[i] * 256 + d[i]];
            else
                for (int i = 0; i < 3; ++i)
                    d[i] = Byte(ClampToByte(int(RoundHalfEven(s[i] - T * (s[i] - d[i])))));
        }
    }
}

void BlendBmpArea(TBitmap* Dst, TBitmap* Src, int Alpha, TRect SrcRect, TPoint DstPoint) {
    if (!Dst || !Src) return;
    if (DstPoint.x < 0) SrcRect.left -= DstPoint.x, DstPoint.x = 0;
    if (DstPoint.y < 0) SrcRect.top -= DstPoint.y, DstPoint.y = 0;
    if (SrcRect.left < 0) DstPoint.x -= SrcRect.left, SrcRect.left = 0;
    if (SrcRect.top < 0) DstPoint.y -= SrcRect.top, SrcRect.top = 0;
    if (SrcRect.right <= SrcRect.left || SrcRect.bottom <= SrcRect.top) return;
    if (DstPoint.x >= Dst->Width() || DstPoint.y >= Dst->Height()) return;
    if (SrcRect.left >= Src->Width() || SrcRect.top >= Src->Height()) return;
    SrcRect.right =
        std::min<LONG>({SrcRect.right, Src->Width(), SrcRect.left + Dst->Width() - DstPoint.x});
    SrcRect.bottom =
        std::min<LONG>({SrcRect.bottom, Src->Height(), SrcRect.top + Dst->Height() - DstPoint.y});
    const int db = PixelBytes(Dst), sb = PixelBytes(Src);
    if (db != sb) return;
    if (db == 4) {
        TacFastSum32 blender;
        BlendArea(blender, Dst, Src, Alpha, SrcRect, DstPoint);
    } else if (db == 3) {
        BlendArea(FastBlend24, Dst, Src, Alpha, SrcRect, DstPoint);
    }
}

void BlendBmpsTo32(TBitmap* Target, TBitmap* A, TBitmap* B, TBitmap* Mask, int Alpha) {
    if (PixelBytes(Target) != 4 || PixelBytes(A) != 3 || PixelBytes(B) != 3) return;
    if (!SameSize(A, B) || !SameSize(A, Target)) return;
    if (Mask && (PixelBytes(Mask) != 3 || !SameSize(A, Mask))) return;
    const int k = ClampToByte(Alpha);
    for (int y = 0; y < A->Height(); ++y) {
        const Byte *a = At(A, 0, y, 3), *b = At(B, 0, y, 3),
                   *m = Mask ? At(Mask, 0, y, 3) : nullptr;
        Byte* t = At(Target, 0, y, 4);
        for (int x = 0; x < A->Width(); ++x, a += 3, b += 3, t += 4, m = m ? m + 3 : m)
            for (int i = 0; i < 3; ++i)
                t[i] = Byte(((m ? m[i] : k) * (a[i] - b[i]) + b[i] * 256) >> 8);
    }
}
