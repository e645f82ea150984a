// Images with per-pixel alpha (glyphs and image-list items) drawn onto a 24-bit bitmap, and one
// byte channel moved between a 32-bit and an 8-bit bitmap. An alpha image may be tinted (turned
// grey, then coloured), faded by a percentage and mirrored below itself, fading out.
#include "skin/engine/sAlphaGraph.h"

#include "framework/Conversions.h"
#include "skin/engine/sCommonData.h"

#include <algorithm>

namespace {

Byte* At(TBitmap* Bmp, int X, int Y, int Bytes) {
    return static_cast<Byte*>(Bmp->ScanLine(Y)) + X * Bytes;
}

bool IsKey(const Byte* P) { return P[0] == 0xFF && P[1] == 0 && P[2] == 0xFF; }

void Tint(TBitmap* Src, TColor TintColor) {
    const auto c = static_cast<DWORD>(ColorToRGB(TintColor));
    const int tint[3] = {int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)};
    for (int y = 0; y < Src->Height(); ++y)
        for (int x = 0; x < Src->Width(); ++x) {
            Byte* p = At(Src, x, y, 4);
            if (IsKey(p)) continue;
            const int g = (p[0] + p[1] + p[2]) / 3;
            for (int i = 0; i < 3; ++i)
                p[i] = Byte(std::min<Int64>(255, Round(g * tint[i] / 255.0)));
        }
}

void Mix(Byte* D, const Byte* S, int K) {
    for (int i = 0; i < 3; ++i) D[i] = Byte(D[i] + (((S[i] - D[i]) * K) >> 8));
}

// The mirrored rows below the image: destination row Bottom + i takes source row
// SrcBottom - i - 1, fading by 255 div (height div 2) a row.
void Reflect(TBitmap* Dst, TBitmap* Src, const TRect& DstRect, const TRect& SrcRect, int Width,
             int Blend) {
    const int half = Src->Height() / 2;
    if (half < 1) return; // an image under 2 pixels high has nothing to mirror
    const int rows = std::min<int>(half, Dst->Height() - DstRect.bottom - 1);
    int fade = 255;
    for (int i = 1; i <= rows; ++i, fade -= 255 / half) {
        const int dy = DstRect.bottom + i, sy = SrcRect.bottom - i - 1;
        if (dy < 0 || sy < 0 || sy >= Src->Height()) continue;
        for (int x = 0; x < Width; ++x) {
            const Byte* s = At(Src, SrcRect.left + x, sy, 4);
            if (IsKey(s)) continue;
            const int k = Blend ? (100 - Blend) * s[3] / 300 * fade / 255 : fade * (s[3] / 3) / 255;
            Mix(At(Dst, DstRect.left + x, dy, 3), s, std::max(0, k));
        }
    }
}

} // namespace

void DrawAlphaImage(TRect DstRect, TRect SrcRect, TBitmap* Dst, TBitmap* Src, const TCacheInfo& CI,
                    bool UpdateTrans, TColor TintColor, int Blend, bool Reflected) {
    if (!Src || PixelBytes(Dst) != 3 || Src->Empty()) return;
    Src->SetPixelFormat(pf32bit);
    const TSize size = PieceSize(DstRect, SrcRect, Dst, Src);
    const int w = size.cx, h = size.cy;
    if (w <= 0 || h <= 0) return;
    if (TintColor != clNone) Tint(Src, TintColor);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const Byte* s = At(Src, SrcRect.left + i, SrcRect.top + j, 4);
            Byte* d = At(Dst, DstRect.left + i, DstRect.top + j, 3);
            if (CI.Ready && IsKey(s)) {
                if (UpdateTrans && ReadParentPixel(CI, DstRect.left + i, DstRect.top + j, d) ==
                                       TParentPixel::EndRow)
                    break;
                continue;
            }
            Mix(d, s, Blend ? (100 - Blend) * s[3] / 100 : s[3]);
        }
    if (Reflected) Reflect(Dst, Src, DstRect, SrcRect, w, Blend);
}

void CopyChannel(TBitmap* Bmp32, TBitmap* Bmp8, int ChannelIndex, bool Extract) {
    if (PixelBytes(Bmp32) != 4 || !Bmp8 || Bmp8->PixelFormat() != pf8bit) return;
    if (ChannelIndex < 0 || ChannelIndex > 3) return;
    const int w = std::min(Bmp32->Width(), Bmp8->Width()),
              h = std::min(Bmp32->Height(), Bmp8->Height());
    for (int y = 0; y < h; ++y) {
        Byte* wide = At(Bmp32, 0, y, 4) + ChannelIndex;
        Byte* narrow = At(Bmp8, 0, y, 1);
        for (int x = 0; x < w; ++x)
            Extract ? void(narrow[x] = wide[4 * x]) : void(wide[4 * x] = narrow[x]);
    }
}
