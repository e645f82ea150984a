// The rounded soft shadow: a grey mask of nested rounded rectangles, white at the edge and darker
// inward, mixes a colour into a copy of the pixels under the shadow, which then goes back.
#include "skin/engine/sAlphaGraph.h"

#include "framework/Conversions.h"

#include <algorithm>
#include <memory>

namespace {

struct TFreeBitmap {
    void operator()(TBitmap* Bmp) const noexcept { Bmp->Free(); }
};
using TBitmapPtr = std::unique_ptr<TBitmap, TFreeBitmap>;

// Copies Rows x Cols pixels (24-bit) between two bitmaps, clipped to both.
void CopyPixels(TBitmap* Dst, TPoint To, TBitmap* Src, TPoint From, TSize Size) {
    for (int j = 0; j < Size.cy; ++j) {
        const int sy = From.y + j, dy = To.y + j;
        if (sy < 0 || dy < 0 || sy >= Src->Height() || dy >= Dst->Height()) continue;
        const int left = std::max<int>({0, -From.x, -To.x});
        const int right = std::min<int>({Size.cx, Src->Width() - From.x, Dst->Width() - To.x});
        if (left >= right) continue;
        std::copy_n(static_cast<Byte*>(Src->ScanLine(sy)) + (From.x + left) * 3, (right - left) * 3,
                    static_cast<Byte*>(Dst->ScanLine(dy)) + (To.x + left) * 3);
    }
}

void PaintShadowMask(TBitmap* Mask, int Level, int Blur, int Radius) {
    const int w = Mask->Width(), h = Mask->Height(), l = Level * 255 / 100;
    const double step = (255 - l) / double(Blur + 1);
    TCanvas* canvas = Mask->Canvas();
    canvas->Pen()->SetStyle(psClear);
    canvas->Brush()->SetStyle(bsSolid);
    int grey = 255;
    for (int i = 0; i <= Blur; ++i) {
        canvas->Brush()->SetColor(MakeColor(Byte(grey), Byte(grey), Byte(grey)));
        canvas->RoundRect(i, i, w - i, h - i, Radius, Radius);
        grey = ClampToByte(l + int(Round((Blur - i) * step)));
    }
    canvas->Brush()->SetColor(MakeColor(Byte(grey), Byte(grey), Byte(grey)));
    canvas->FillRect(TRect(Blur, Blur, w - Blur, h - Blur));
}

} // namespace

void ApplyShadowMask(TBitmap* Bmp, TBitmap* Mask, TColor Color) {
    if (PixelBytes(Bmp) != 3 || PixelBytes(Mask) != 3) return;
    if (Bmp->Width() != Mask->Width() || Bmp->Height() != Mask->Height()) return;
    const auto c = static_cast<DWORD>(ColorToRGB(Color));
    const int channel[3] = {int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)};
    for (int y = 0; y < Bmp->Height(); ++y) {
        Byte* p = static_cast<Byte*>(Bmp->ScanLine(y));
        const Byte* m = static_cast<Byte*>(Mask->ScanLine(y));
        for (int i = 0; i < Bmp->Width() * 3; ++i)
            p[i] = Byte(((p[i] - channel[i % 3]) * m[i] + channel[i % 3] * 256) >> 8);
    }
}

void PaintRoundShadow(TBitmap* Bmp, const TRect& R, int Level, TColor Color, int Blur, int Radius) {
    const int w = R.right - R.left, h = R.bottom - R.top;
    if (PixelBytes(Bmp) != 3 || w <= 0 || h <= 0) return;
    const int limit = std::min(w / 2, h / 2);
    TBitmapPtr copy(CreateBmp24(w, h)), mask(CreateBmp24(w, h));
    CopyPixels(copy.get(), TPoint(0, 0), Bmp, TPoint(R.left, R.top), TSize(w, h));
    PaintShadowMask(mask.get(), Level, std::min(Blur, limit), std::min(Radius, limit));
    ApplyShadowMask(copy.get(), mask.get(), Color);
    CopyPixels(Bmp, TPoint(R.left, R.top), copy.get(), TPoint(0, 0), TSize(w, h));
}
