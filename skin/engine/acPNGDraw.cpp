// TPNGGraphic::Draw (see acPNG.h): a 32-bit picture is blended by its alpha over what the canvas
// already shows, through a 24-bit copy of that area; other pictures draw as bitmaps do.
#include "skin/engine/acPNG.h"

#include "skin/engine/sAlphaGraph.h"

#include <memory>

namespace {

using TTempBitmap = std::unique_ptr<TBitmap, graphics_detail::TFreeObject>;

void HalftoneStretch(TBitmap* Dst, TBitmap* Src) {
    HDC dc = Dst->Canvas()->Handle();
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr); // HALFTONE needs the brush origin set again
    StretchBlt(dc, 0, 0, Dst->Width(), Dst->Height(), Src->Canvas()->Handle(), 0, 0, Src->Width(),
               Src->Height(), SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

// The 32-bit Image stretched to Width x Height. The system's stretching does not carry alpha, so
// the alpha channel is stretched on its own as a grey picture and put back.
TTempBitmap Stretched(TBitmap* Image, int Width, int Height) {
    TTempBitmap colour(CreateBmp32(Width, Height));
    HalftoneStretch(colour.get(), Image);
    TTempBitmap alpha(CreateBmp24(Image->Width(), Image->Height()));
    for (int y = 0; y < Image->Height(); ++y) {
        const auto* source = static_cast<const Byte*>(Image->ScanLine(y));
        auto* grey = static_cast<Byte*>(alpha->ScanLine(y));
        for (int x = 0; x < Image->Width(); ++x)
            grey[3 * x] = grey[3 * x + 1] = grey[3 * x + 2] = source[4 * x + 3];
    }
    TTempBitmap alphaStretched(CreateBmp24(Width, Height));
    HalftoneStretch(alphaStretched.get(), alpha.get());
    for (int y = 0; y < Height; ++y) {
        auto* target = static_cast<Byte*>(colour->ScanLine(y));
        const auto* grey = static_cast<const Byte*>(alphaStretched->ScanLine(y));
        for (int x = 0; x < Width; ++x) target[4 * x + 3] = grey[3 * x];
    }
    return colour;
}

} // namespace

void TPNGGraphic::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (PixelFormat() != pf32bit) return TBitmap::Draw(ACanvas, Rect);
    const int w = RectSpanX(Rect), h = RectSpanY(Rect);
    if (w <= 0 || h <= 0 || Empty()) return; // a reversed or empty rectangle has no area
    TTempBitmap buffer(CreateBmp24(w, h + (Reflected ? h / 2 : 0)));
    HDC target = ACanvas->Handle();
    HDC copy = buffer->Canvas()->Handle();
    BitBlt(copy, 0, 0, buffer->Width(), buffer->Height(), target, Rect.left, Rect.top, SRCCOPY);
    const TRect whole(0, 0, w, h);
    if (w == Width() && h == Height()) {
        DrawAlphaImage(whole, whole, buffer.get(), this, EmptyCacheInfo, false, clNone, 0,
                       Reflected);
    } else {
        TTempBitmap image = Stretched(this, w, h);
        DrawAlphaImage(whole, whole, buffer.get(), image.get(), EmptyCacheInfo, false, clNone, 0,
                       false);
    }
    BitBlt(target, Rect.left, Rect.top, buffer->Width(), buffer->Height(), copy, 0, 0, SRCCOPY);
}
