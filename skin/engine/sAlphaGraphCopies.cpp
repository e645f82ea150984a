// Opaque copies: a picture's pixels laid over a bitmap except those of the key colour, which
// leave what lies below visible.
#include "skin/engine/sAlphaGraph.h"

#include <algorithm>

void CopyOpaqueRect(TBitmap* Dst, TBitmap* Src, int X, int Y, TRect SrcRect, TColor Key) {
    const int db = PixelBytes(Dst), sb = PixelBytes(Src);
    if (!db || !sb) return;
    SrcRect.left = std::max<LONG>(SrcRect.left, 0);
    SrcRect.top = std::max<LONG>(SrcRect.top, 0);
    SrcRect.right = std::min<LONG>(SrcRect.right, Src->Width() - 1);
    SrcRect.bottom = std::min<LONG>(SrcRect.bottom, Src->Height() - 1);
    const auto key = static_cast<DWORD>(Key) & 0xFFFFFF;
    for (int sy = SrcRect.top, dy = Y; sy <= SrcRect.bottom; ++sy, ++dy) {
        if (dy < 0 || dy >= Dst->Height()) continue;
        const Byte* s = static_cast<Byte*>(Src->ScanLine(sy));
        Byte* d = static_cast<Byte*>(Dst->ScanLine(dy));
        for (int sx = SrcRect.left, dx = X; sx <= SrcRect.right; ++sx, ++dx) {
            if (dx < 0 || dx >= Dst->Width()) continue;
            const Byte* p = s + sx * sb;
            if (RGB(p[2], p[1], p[0]) == key) continue;
            Byte* q = d + dx * db;
            q[0] = p[0], q[1] = p[1], q[2] = p[2];
            if (db == 4) q[3] = 255;
        }
    }
}

void CopyOpaquePixels(TBitmap* Dst, TBitmap* Src, int X, int Y, TColor Key) {
    if (Src) CopyOpaqueRect(Dst, Src, X, Y, TRect(0, 0, Src->Width() - 1, Src->Height() - 1), Key);
}
