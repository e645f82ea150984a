// Blending and greying of 24-bit bitmaps through their scan lines (three bytes a pixel, blue
// first, rows padded by the DIB layout, so each row is addressed through ScanLine).
#include "skin/engine/sAlphaGraph.h"

#include <cmath>
#include <cstdint>

bool RectContainsRect(const TRect& Outer, const TRect& Inner) {
    return Inner.left >= Outer.left && Inner.top >= Outer.top && Inner.right <= Outer.right &&
           Inner.bottom <= Outer.bottom;
}

namespace {

bool Blendable(TBitmap* Dst, TBitmap* Src) {
    return Dst && Src && Dst->Width() == Src->Width() && Dst->Height() == Src->Height() &&
           Dst->Width() >= 2 && Dst->Height() >= 2 && Dst->PixelFormat() == pf24bit &&
           Src->PixelFormat() == pf24bit;
}

} // namespace

void BlendEqualBmps(TBitmap* Dst, TBitmap* Src, int Alpha) {
    if (!Blendable(Dst, Src)) return;
    const int alpha = ClampToByte(Alpha);
    const int bytes = Dst->Width() * 3;
    for (int row = 0; row < Dst->Height(); ++row) {
        auto* d = static_cast<Byte*>(Dst->ScanLine(row));
        const auto* s = static_cast<const Byte*>(Src->ScanLine(row));
        for (int i = 0; i < bytes; ++i)
            d[i] = static_cast<Byte>((d[i] * alpha + s[i] * (255 - alpha) + 127) >> 8);
    }
}

void GrayBmpExceptColor(TBitmap* Bmp, TColor Colour) {
    if (!Bmp || Bmp->Empty() || Bmp->PixelFormat() != pf24bit) return;
    const COLORREF keep = static_cast<COLORREF>(ColorToRGB(Colour));
    for (int row = 0; row < Bmp->Height(); ++row) {
        auto* p = static_cast<Byte*>(Bmp->ScanLine(row));
        for (int x = 0; x < Bmp->Width(); ++x, p += 3) {
            if (RGB(p[2], p[1], p[0]) == keep) continue;
            p[0] = p[1] = p[2] = static_cast<Byte>((p[0] + p[1] + p[2]) / 3);
        }
    }
}

TColor BlendColors(TColor C1, TColor C2, double W) {
    const auto c1 = static_cast<std::uint32_t>(C1);
    const auto c2 = static_cast<std::uint32_t>(C2);
    std::uint32_t result = c1 & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const double a = (c1 >> shift) & 0xFF;
        const double b = (c2 >> shift) & 0xFF;
        result |= static_cast<std::uint32_t>(std::nearbyint(W * a + (1 - W) * b)) << shift;
    }
    return static_cast<TColor>(result);
}
