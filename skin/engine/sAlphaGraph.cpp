// Whole-bitmap operations: making off-screen bitmaps, the constant-alpha blend of equal bitmaps,
// greying and tinting. Rows are addressed through ScanLine, as DIB rows are padded.
#include "skin/engine/sAlphaGraph.h"

#include "framework/Conversions.h"

TUpdateLayeredWindowProc UpdateLayeredWindowProc = nullptr;

bool LayeredWindowsAvailable() { return UpdateLayeredWindowProc != nullptr; }

namespace {

TBitmap* CreateBmp(int Width, int Height, TPixelFormat Format) {
    auto* bmp = new TBitmap();
    bmp->SetPixelFormat(Format);
    bmp->SetSize(Width, Height);
    return bmp;
}

// Calls Step(pixel) for every pixel of a 24- or 32-bit bitmap.
template <typename TStep> void ForEachPixel(TBitmap* Bmp, TStep Step) {
    const int bytes = PixelBytes(Bmp);
    if (!bytes) return;
    for (int row = 0; row < Bmp->Height(); ++row) {
        auto* p = static_cast<Byte*>(Bmp->ScanLine(row));
        for (int x = 0; x < Bmp->Width(); ++x, p += bytes) Step(p);
    }
}

void Gray(TBitmap* Bmp, bool Except, TColor Colour) {
    if (PixelBytes(Bmp) != 3) return;
    const auto keep = static_cast<COLORREF>(ColorToRGB(Colour));
    ForEachPixel(Bmp, [&](Byte* p) {
        if (Except && RGB(p[2], p[1], p[0]) == keep) return;
        p[0] = p[1] = p[2] = static_cast<Byte>((p[0] + p[1] + p[2]) / 3);
    });
}

} // namespace

TacRows::TacRows(TBitmap* Bmp)
    : FStart(static_cast<Byte*>(Bmp->ScanLine(0))),
      FDelta(Bmp->Height() > 1 ? static_cast<Byte*>(Bmp->ScanLine(1)) - FStart : 0) {}

bool RectContainsRect(const TRect& Outer, const TRect& Inner) {
    return Inner.left >= Outer.left && Inner.top >= Outer.top && Inner.right <= Outer.right &&
           Inner.bottom <= Outer.bottom;
}

TBitmap* CreateBmp24(int Width, int Height) { return CreateBmp(Width, Height, pf24bit); }

TBitmap* CreateBmp32(int Width, int Height) { return CreateBmp(Width, Height, pf32bit); }

TBitmap* CreateBmpLike(TBitmap* Model) {
    return CreateBmp(Model->Width(), Model->Height(), Model->PixelFormat());
}

void BlendEqualBmps(TBitmap* Dst, TBitmap* Src, int Alpha) {
    if (!Dst || !Src || Dst->Width() != Src->Width() || Dst->Height() != Src->Height()) return;
    if (!FastBlend24.Attach(Src, Dst)) return;
    FastBlend24.Alpha = static_cast<Byte>(ClampToByte(Alpha));
    FastBlend24.DstX1 = FastBlend24.SrcX1 = FastBlend24.DstY1 = FastBlend24.SrcY1 = 0;
    FastBlend24.DstX2 = FastBlend24.SrcX2 = Dst->Width();
    FastBlend24.DstY2 = FastBlend24.SrcY2 = Dst->Height();
    FastBlend24.BlendBitmapsRect();
}

void GrayBmp(TBitmap* Bmp) { Gray(Bmp, false, 0); }

void GrayBmpExceptColor(TBitmap* Bmp, TColor Colour) { Gray(Bmp, true, Colour); }

void TintBmp(TBitmap* Bmp, TColor Color, TColor Key, double T) {
    const auto c = static_cast<DWORD>(ColorToRGB(Color));
    const double channel[3] = {double((c >> 16) & 0xFF), double((c >> 8) & 0xFF), double(c & 0xFF)};
    const bool wide = PixelBytes(Bmp) == 4;
    const auto key = static_cast<DWORD>(Key);
    ForEachPixel(Bmp, [&](Byte* p) {
        const DWORD value =
            wide ? (p[0] << 16 | p[1] << 8 | p[2] | DWORD(p[3]) << 24) : RGB(p[2], p[1], p[0]);
        if (value == key) return;
        for (int i = 0; i < 3; ++i)
            p[i] = static_cast<Byte>(ClampToByte(int(Round(channel[i] + T * (p[i] - channel[i])))));
    });
}
