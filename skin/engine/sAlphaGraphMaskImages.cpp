// State images and textures of skin masks laid onto a control's bitmap: glyph-like images
// (check marks, arrows) at a position, and masked textures filling a rect.
#include "skin/engine/sAlphaGraph.h"

#include "skin/engine/sCommonData.h"
#include "skin/engine/sMaskData.h"
#include "skin/engine/sSkinManager.h"

#include <algorithm>

namespace {

Byte* At(TBitmap* Bmp, int X, int Y, int Bytes) {
    return static_cast<Byte*>(Bmp->ScanLine(Y)) + X * Bytes;
}

bool IsKey(const Byte* P) { return P[0] == 0xFF && P[1] == 0 && P[2] == 0xFF; }

TBitmap* MaskImage(const TsMaskData& Mask) {
    if (Mask.Bmp) return Mask.Bmp.get();
    return Mask.Manager ? Mask.Manager->MasterBitmap.get() : nullptr;
}

// Copies Size pixels from (Src, From) to (Dst, To), the mask row MaskShift below each image row;
// MaskBoost is added to every mask byte (at most 255). Key-colour image pixels are left.
void MixByMask(TBitmap* Dst, TPoint To, TBitmap* Src, TPoint From, TSize Size, int MaskShift,
               int MaskBoost) {
    const int db = PixelBytes(Dst), sb = PixelBytes(Src);
    for (int j = 0; j < Size.cy; ++j)
        for (int i = 0; i < Size.cx; ++i) {
            const Byte* s = At(Src, From.x + i, From.y + j, sb);
            if (IsKey(s)) continue;
            const Byte* m = At(Src, From.x + i, From.y + j + MaskShift, sb);
            Byte* d = At(Dst, To.x + i, To.y + j, db);
            for (int k = 0; k < 3; ++k)
                d[k] = Byte(ClampToByte(
                    ((d[k] - s[k]) * std::min(255, m[k] + MaskBoost) + s[k] * 256) >> 8));
            if (db == 4) d[3] = 255;
        }
}

} // namespace

void PaintMaskImage(TBitmap* Bmp, TPoint Position, int State, const TsMaskData& Mask,
                    const TCacheInfo& CacheInfo, int Mode) {
    TBitmap* image = MaskImage(Mask);
    if (!PixelBytes(Bmp) || !PixelBytes(image) || Mask.ImageCount <= 0) return;
    State = std::clamp(State, 0, Mask.ImageCount - 1);
    const int sw = MaskStateWidth(Mask), sh = MaskStateHeight(Mask);
    TRect src(Mask.R.left + State * sw, Mask.R.top, Mask.R.left + (State + 1) * sw,
              Mask.R.top + sh);
    TRect dst(Position.x, Position.y, Position.x + sw, Position.y + sh);
    const TSize size = PieceSize(dst, src, Bmp, image);
    if (size.cx <= 0 || size.cy <= 0 ||
        src.top + size.cy + (Mask.MaskType > 0 ? sh : 0) > image->Height())
        return;
    const TPoint to(dst.left, dst.top), from(src.left, src.top);
    const TRect inclusive(src.left, src.top, src.left + size.cx - 1, src.top + size.cy - 1);
    if (Mask.MaskType > 0)
        MixByMask(Bmp, to, image, from, size, sh, Mode == 1 ? 0 : 100);
    else if (Mask.Bmp)
        CopyOpaqueRect(Bmp, image, to.x, to.y, inclusive, TransparentKeyColor);
    else if (Mode == 1)
        CopyKeyedImage(Bmp, image, to.x, to.y, inclusive, TransparentKeyColor, CacheInfo, true);
    else
        BlendTransparentRect(Bmp, to.x, to.y, image, inclusive, 0.5, TransparentKeyColor);
}

void CopyMaskedTexture(TBitmap* Bmp, const TRect& R, const TsMaskData& Mask,
                       const TCacheInfo& CacheInfo) {
    TBitmap* image = MaskImage(Mask);
    const int db = PixelBytes(Bmp), sb = PixelBytes(image);
    if (!db || !sb) return;
    const int half = Mask.R.Height() / 2;
    TRect dst = R, src(Mask.R.left, Mask.R.top, Mask.R.right, Mask.R.top + half);
    const TSize size = PieceSize(dst, src, Bmp, image);
    if (src.top + size.cy + half > image->Height()) return;
    const TacRows images(image), targets(Bmp);
    for (int j = 0; j < size.cy; ++j) {
        const Byte* srcRow = images.Row(src.top + j) + src.left * sb;
        const Byte* maskRow = images.Row(src.top + j + half) + src.left * sb;
        Byte* dstRow = targets.Row(dst.top + j) + dst.left * db;
        for (int i = 0; i < size.cx; ++i) {
            const Byte* s = srcRow + i * sb;
            Byte* d = dstRow + i * db;
            if (!IsKey(s)) {
                const Byte* m = maskRow + i * sb;
                // d x m + s x (256 - m) over 256 never leaves 0..255: no clamping.
                const int s0 = s[0], s1 = s[1], s2 = s[2];
                d[0] = Byte(((d[0] - s0) * m[0] + s0 * 256) >> 8);
                d[1] = Byte(((d[1] - s1) * m[1] + s1 * 256) >> 8);
                d[2] = Byte(((d[2] - s2) * m[2] + s2 * 256) >> 8);
            } else if (CacheInfo.Ready) {
                if (ReadParentPixel(CacheInfo, dst.left + i, dst.top + j, d) ==
                    TParentPixel::EndRow)
                    break;
            } else if (CacheInfo.FillColor != TransparentKeyColor) {
                const auto c = static_cast<DWORD>(ColorToRGB(CacheInfo.FillColor));
                d[0] = Byte(c >> 16), d[1] = Byte(c >> 8), d[2] = Byte(c);
            }
        }
    }
}
