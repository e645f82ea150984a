// The scan-line accessors and the constant-alpha blender. Fades blend whole bitmaps many times
// a second, so a blend works row by row on raw bytes after clipping once per call.
#include "skin/engine/sAlphaGraph.h"

#include <emmintrin.h>

#include <algorithm>

TacFast24 FastAccess24;
TacFast24 FastAccess24b;
TacFastSum24 FastBlend24;
TacFast32 FastAccess32;

namespace {

constexpr TPixelFormat FormatOf(int BytesPerPixel) {
    return BytesPerPixel == 4 ? pf32bit : pf24bit;
}

} // namespace

int PixelBytes(TBitmap* Bmp) {
    if (!Bmp || Bmp->Empty()) return 0;
    if (Bmp->PixelFormat() == pf24bit) return 3;
    return Bmp->PixelFormat() == pf32bit ? 4 : 0;
}

template <int BytesPerPixel> bool TacFastBase<BytesPerPixel>::Attach(TBitmap* Bmp) {
    FWidth = 0;
    if (!Bmp || Bmp->Width() < 2 || Bmp->Height() < 2 ||
        Bmp->PixelFormat() != FormatOf(BytesPerPixel))
        return false;
    FBitmap = Bmp;
    FStart = static_cast<Byte*>(Bmp->ScanLine(0));
    FDelta = static_cast<Byte*>(Bmp->ScanLine(1)) - FStart;
    FWidth = Bmp->Width();
    FHeight = Bmp->Height();
    return true;
}

template class TacFastBase<3>;
template class TacFastBase<4>;

TColor TacFast24::ReadPixel(int X, int Y) const noexcept {
    const Byte* p = Pixel(X, Y);
    return static_cast<TColor>(p[2] | (p[1] << 8) | (p[0] << 16));
}

DWORD TacFast32::ReadPixel(int X, int Y) const noexcept {
    const Byte* p = Pixel(X, Y);
    return p[2] | (p[1] << 8) | (p[0] << 16) | (static_cast<DWORD>(p[3]) << 24);
}

void TacFast32::WritePixel(int X, int Y, DWORD Color) noexcept {
    Byte* p = Pixel(X, Y);
    p[0] = static_cast<Byte>(Color >> 16);
    p[1] = static_cast<Byte>(Color >> 8);
    p[2] = static_cast<Byte>(Color);
    p[3] = static_cast<Byte>(Color >> 24);
}

void TacFast32::FillRect(const TRect& R, DWORD Pixel) noexcept {
    const int left = std::max<int>(R.left, 0), right = std::min<int>(R.right, FWidth);
    const int top = std::max<int>(R.top, 0), bottom = std::min<int>(R.bottom, FHeight);
    if (left >= right) return;
    for (int y = top; y < bottom; ++y)
        std::fill_n(reinterpret_cast<DWORD*>(this->Pixel(left, y)), right - left, Pixel);
}

template <int BytesPerPixel> bool TacFastSum<BytesPerPixel>::Attach(TBitmap* Src, TBitmap* Dst) {
    return FSrc.Attach(Src) && FDst.Attach(Dst);
}

namespace {

struct TBlendWeights {
    __m128i Dst, Src;
};

// (d x a + s x (255 - a) + 127) >> 8 in each 16-bit lane.
__m128i Blend16(__m128i D, __m128i S, const TBlendWeights& W) {
    const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(D, W.Dst), _mm_mullo_epi16(S, W.Src));
    return _mm_srli_epi16(_mm_add_epi16(sum, _mm_set1_epi16(127)), 8);
}

} // namespace

template <int BytesPerPixel> void TacFastSum<BytesPerPixel>::BlendBitmapsRect() noexcept {
    const int dx = SrcX1 - DstX1, dy = SrcY2 - DstY2;
    const int left = std::max({DstX1, 0, -dx}),
              right = std::min({DstX2, FDst.Width(), FSrc.Width() - dx});
    const int top = std::max({DstY1, 0, -dy}),
              bottom = std::min({DstY2, FDst.Height(), FSrc.Height() - dy});
    if (left >= right) return;
    const int a = Alpha, na = 255 - Alpha, bytes = (right - left) * BytesPerPixel;
    const TBlendWeights weights{_mm_set1_epi16(short(a)), _mm_set1_epi16(short(na))};
    const __m128i zero = _mm_setzero_si128();
    for (int y = top; y < bottom; ++y) {
        Byte* d = FDst.Pixel(left, y);
        const Byte* s = FSrc.Pixel(left + dx, y + dy);
        // Sixteen bytes at a time in 16-bit lanes: a lane holds at most 255 x 255 + 127.
        int i = 0;
        for (; i + 16 <= bytes; i += 16) {
            const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
            const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            const __m128i low =
                Blend16(_mm_unpacklo_epi8(dv, zero), _mm_unpacklo_epi8(sv, zero), weights);
            const __m128i high =
                Blend16(_mm_unpackhi_epi8(dv, zero), _mm_unpackhi_epi8(sv, zero), weights);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(low, high));
        }
        for (; i < bytes; ++i) d[i] = static_cast<Byte>((d[i] * a + s[i] * na + 127) >> 8);
    }
}

template class TacFastSum<3>;
template class TacFastSum<4>;

DWORD ColorToBGRA(TColor Color) {
    const DWORD c = static_cast<DWORD>(Color);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF) | 0xFF000000u;
}

void FillRect32(TBitmap* Bmp, const TRect& R, TColor Color) {
    TacFast32 fast;
    if (fast.Attach(Bmp)) fast.FillRect(R, ColorToBGRA(Color));
}
