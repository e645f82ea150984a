// The disabled look of a control's image and the repair of its border corners after the parent's
// background changed under them.
#include "skin/engine/sAlphaGraph.h"

#include "skin/engine/sCommonData.h"
#include "skin/engine/sSkinManager.h"
#include "skin/engine/sVclUtils.h"

#include <algorithm>

namespace {

Byte* At(TBitmap* Bmp, int X, int Y, int Bytes) {
    return static_cast<Byte*>(Bmp->ScanLine(Y)) + X * Bytes;
}

bool IsKey(const Byte* P) { return P[0] == 0xFF && P[1] == 0 && P[2] == 0xFF; }

// The parent's pixel of cache pixel (X, Y) into Bgr; False when the parent gives none there.
bool ParentPixel(const TCacheInfo& CI, int X, int Y, Byte* Bgr) {
    if (CI.Ready) return ReadParentPixel(CI, X, Y, Bgr) == TParentPixel::Read;
    if (CI.FillColor == TransparentKeyColor) return false;
    Bgr[0] = Byte(CI.FillColor >> 16), Bgr[1] = Byte(CI.FillColor >> 8),
    Bgr[2] = Byte(CI.FillColor);
    return true;
}

// The border mask as corner repair reads it: a mask of its own bitmap without states counts
// as three masked states over the whole bitmap.
struct TCornerSource {
    TBitmap* Image = nullptr;
    TRect R;
    int Count = 0;
    bool Masked = false;
};

TCornerSource CornerSource(const TsMaskData& Mask) {
    TCornerSource s{Mask.Bmp ? Mask.Bmp.get() : Mask.Manager->MasterBitmap.get(), Mask.R,
                    Mask.ImageCount, Mask.MaskType > 0};
    if (s.Count == 0 && Mask.Bmp) {
        s.R = TRect(0, 0, Mask.Bmp->Width(), Mask.Bmp->Height());
        s.Count = 3;
        s.Masked = true;
    }
    return s;
}

// One corner piece W x H from (SrcX, SrcY) of the source over (X, Y) of the cache; Blend mixes
// the parent in through the mask part of a masked source, else only key pixels show it.
void RepairCorner(TBitmap* Cache, const TCornerSource& S, int SrcX, int SrcY, int X, int Y, int W,
                  int H, int MaskShift, const TCacheInfo& CI, bool Blend) {
    const bool blend = Blend && S.Masked;
    const int cb = PixelBytes(Cache), sb = PixelBytes(S.Image);
    for (int j = 0; j < H; ++j) {
        const int cy = Y + j, sy = SrcY + j;
        if (cy < 0 || cy >= Cache->Height() || sy < 0 || sy + MaskShift >= S.Image->Height())
            continue;
        for (int i = 0; i < W; ++i) {
            const int cx = X + i, sx = SrcX + i;
            if (cx < 0 || cx >= Cache->Width() || sx < 0 || sx >= S.Image->Width()) continue;
            const Byte* s = At(S.Image, sx, sy, sb);
            if (!blend && !IsKey(s)) continue;
            Byte parent[3];
            if (!ParentPixel(CI, cx, cy, parent)) continue;
            Byte* d = At(Cache, cx, cy, cb);
            if (blend && !IsKey(s)) {
                const Byte* m = At(S.Image, sx, sy + MaskShift, sb);
                for (int k = 0; k < 3; ++k)
                    d[k] = Byte(ClampToByte((m[k] * (parent[k] - s[k]) + s[k] * 256) >> 8));
            } else {
                std::copy(parent, parent + 3, d);
            }
        }
    }
}

} // namespace

void PaintDisabledEffect(TBitmap* Bmp, TsDisabledKind Kinds, TControl* Control,
                         const TCacheInfo& CacheInfo, TPoint Offset) {
    if (!PixelBytes(Bmp)) return;
    if (Kinds.Contains(dkGrayed)) GrayBmp(Bmp);
    if (!Kinds.Contains(dkBlended)) return;
    if (CacheInfo.Ready) {
        const int x = CacheInfo.X + Offset.x, y = CacheInfo.Y + Offset.y;
        BlendTransparentRect(Bmp, 0, 0, CacheInfo.Bmp,
                             TRect(x, y, x + Bmp->Width() - 1, y + Bmp->Height() - 1), 0.4,
                             static_cast<TColor>(0xFF000000));
        return;
    }
    TColor colour = static_cast<TColor>(CacheInfo.FillColor);
    if (colour == TransparentKeyColor && Control) colour = ControlBackColor(Control);
    BlendBmpWithColor(Bmp, TRect(0, 0, Bmp->Width() - 1, Bmp->Height() - 1), 50, colour);
}

void RepaintCorners(TsCommonData* Link, int State) { PaintCornersByFlags(Link, State, 15); }

void PaintCornersByFlags(TsCommonData* Link, int State, int Flags) {
    TsSkinManager* manager = Link->SkinManager();
    TControl* owner = Link->FOwnerControl;
    TBitmap* cache = Link->CacheBmp();
    if (!manager || !manager->IsValidImgIndex(Link->BorderIndex) || !PixelBytes(cache) || !owner ||
        owner->Width() < 2 || owner->Height() < 2 || !owner->Parent())
        return;
    const TsMaskData& mask = manager->ma[Link->BorderIndex];
    if (!mask.Manager) return;
    TacBackgroundInfo info;
    AskControlBackground(info, owner->Parent(), false);
    TCacheInfo ci;
    BackgroundToCacheInfo(info, ci);
    if (ci.Ready) ci.X += owner->Left(), ci.Y += owner->Top();
    LayBorderCorners(cache, mask, State, TSize(cache->Width(), cache->Height()), Flags, ci, true);
}

void LayBorderCorners(TBitmap* Cache, const TsMaskData& Mask, int State, TSize Size, int Flags,
                      const TCacheInfo& CI, bool Blend) {
    if (!Mask.Manager || !PixelBytes(Cache)) return;
    const TCornerSource source = CornerSource(Mask);
    if (!PixelBytes(source.Image) || source.Count < 1) return;
    const int sw = source.R.Width() / source.Count;
    const int sh = source.Masked ? source.R.Height() / 2 : source.R.Height();
    const int ox = source.R.left + std::clamp(State, 0, source.Count - 1) * sw, oy = source.R.top;
    const int shift = source.Masked ? sh : 0;
    const int w = Size.cx, h = Size.cy;
    const int wl = Mask.WL, wt = Mask.WT, wr = Mask.WR, wb = Mask.WB;
    const auto lay = [&](int SrcX, int SrcY, int X, int Y, int W, int H) {
        RepairCorner(Cache, source, SrcX, SrcY, X, Y, W, H, shift, CI, Blend);
    };
    if (Flags & 1) lay(ox, oy, 0, 0, wl, wt);
    if (Flags & 2) lay(ox, oy + sh - wb, 0, h - wb, wl, wb);
    if (Flags & 8) lay(ox + sw - wr, oy + sh - wb, w - wr, h - wb, wr, wb);
    if (Flags & 4) lay(ox + sw - wr, oy, w - wr, 0, wr, wt);
}
