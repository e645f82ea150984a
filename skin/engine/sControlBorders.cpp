// The control border over the parent's background, and the nine-piece border around a bitmap with
// the key-colour corner runs cut out of a window region.
#include "skin/engine/sControlBorders.h"

#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sCommonData.h"
#include "skin/engine/sFramePrimitives.h"

#include <algorithm>

namespace {

Byte* At(TBitmap* Bmp, int X, int Y, int Bytes) {
    return static_cast<Byte*>(Bmp->ScanLine(Y)) + X * Bytes;
}

bool IsKey(const Byte* P) { return P[0] == 0xFF && P[1] == 0 && P[2] == 0xFF; }

TBitmap* MaskImage(const TsMaskData& MaskData) {
    return MaskData.Bmp ? MaskData.Bmp.get() : MaskData.Manager->MasterBitmap.get();
}

// Cuts the row's key run [From, To) at row Y out of Rgn by Mode.
void CutRun(HRGN Rgn, int From, int To, int Y, int Mode) {
    const HRGN run = CreateRectRgn(From, Y, To, Y + 1);
    CombineRgn(Rgn, Rgn, run, Mode);
    DeleteObject(run);
}

// The ring of the extra border width that the mask's border does not cover, in R's cache.
void FillExtraRing(HDC DC, const TRect& R, const TRect& Inner, int BorderWidth,
                   const TsMaskData& Mask, TColor Color) {
    const int w = R.Width(), h = R.Height(), bw = BorderWidth;
    const int left = std::max(std::min(bw, w - Mask.WR) - Mask.WL, 0);
    const int top = std::max(std::min(bw, h - Mask.WB) - Mask.WT, 0);
    const int right = std::max(std::min(bw, w - Mask.WL) - Mask.WR, 0);
    const int bottom = std::max(std::min(bw, h - Mask.WT) - Mask.WB, 0);
    PaintSolidFrame(DC, Inner, left, top, right, bottom, Color);
}

// The border widths of one dimension shared out when they exceed Size: each loses half the
// excess, then the second is limited to what the first leaves.
void ShareOut(int& First, int& Second, int Size) {
    const int excess = First + Second - Size;
    if (excess > 0) {
        First -= excess / 2;
        Second -= excess / 2;
    }
    First = std::clamp(First, 0, Size);
    Second = std::clamp(Second, 0, Size - First);
}

} // namespace

void PaintControlBorder(HDC DC, const TRect& R, int BorderWidth, TsCommonData* CommonData,
                        int State, TRect& ClientRect) {
    const TColor bgColor = ControlBgColor(CommonData, State > 0, nullptr);
    TControl* owner = CommonData->FOwnerControl;
    TacBackgroundInfo info;
    if (owner && owner->Parent()) {
        AskControlBackground(info, owner->Parent(), false);
        info.Offset.x += owner->Left();
        info.Offset.y += owner->Top();
    }
    TsSkinManager* manager = CommonData->SkinManager();
    if (!manager || !manager->IsValidImgIndex(CommonData->BorderIndex)) {
        if (BorderWidth != 0)
            PaintSolidFrame(DC, R, BorderWidth, BorderWidth, BorderWidth, BorderWidth, bgColor);
        return;
    }
    const TsMaskData& mask = manager->ma[CommonData->BorderIndex];
    CommonData->PrepareCacheBmp();
    TBitmap* cache = CommonData->CacheBmp();
    const HDC cacheDC = cache->Canvas()->Handle();
    if (mask.MaskType == 1) {
        // The parent's pixels under R (the offset already holds the control's position).
        if (info.Kind == 2 && info.Bmp)
            BitBlt(cacheDC, R.left, R.top, R.Width(), R.Height(), info.Bmp->Canvas()->Handle(),
                   info.Offset.x + R.left, info.Offset.y + R.top, SRCCOPY);
        else
            PaintSolidFrame(cacheDC, R, mask.WL, mask.WT, mask.WR, mask.WB, bgColor);
    }
    TCacheInfo parent;
    BackgroundToCacheInfo(info, parent);
    PaintBorderMask(cache, R, false, parent, mask, State, true);
    ClientRect = TRect(R.left + mask.WL, R.top + mask.WT, R.right - mask.WR, R.bottom - mask.WB);
    if (BorderWidth == 0) return;
    FillExtraRing(cacheDC, R, ClientRect, BorderWidth, mask, bgColor);
    ClientRect = TRect(R.left + BorderWidth, R.top + BorderWidth, R.right - BorderWidth,
                       R.bottom - BorderWidth);
    ClientRect.right = std::max(ClientRect.right, ClientRect.left);
    ClientRect.bottom = std::max(ClientRect.bottom, ClientRect.top);
    if (cacheDC != DC)
        CopyFrameStrips(DC, R.left, R.top, R.Width(), R.Height(), cacheDC, R.left, R.top,
                        BorderWidth);
}

void CopyBorderPiece(const TRect& DstRect, const TRect& SrcRect, bool IsCorner,
                     const TsMaskData& MaskData, HRGN Rgn, TBitmap* Bmp) {
    if (DstRect.left < 0 || DstRect.top < 0 || DstRect.right < 0 || DstRect.bottom < 0 ||
        SrcRect.left < 0 || SrcRect.top < 0 || SrcRect.right < 0 || SrcRect.bottom < 0)
        return;
    if (!Bmp || Bmp->Width() < 2 || Bmp->Height() < 2 || !MaskData.Manager) return;
    TBitmap* src = MaskImage(MaskData);
    const int db = PixelBytes(Bmp), sb = PixelBytes(src);
    if (!db || !sb) return;
    const bool masked = MaskData.MaskType == 1;
    const int maskShift = MaskData.R.Height() / 2;
    // The image rows a masked mask may be read from end where its mask rows begin.
    const int srcBottom = masked
                              ? std::min<int>(src->Height() - maskShift, MaskData.R.top + maskShift)
                              : src->Height();
    const int w = std::min<int>({DstRect.right - DstRect.left + 1, SrcRect.right - SrcRect.left + 1,
                                 Bmp->Width() - DstRect.left, src->Width() - SrcRect.left});
    const int h = std::min<int>({DstRect.bottom - DstRect.top + 1, SrcRect.bottom - SrcRect.top + 1,
                                 Bmp->Height() - DstRect.top, srcBottom - SrcRect.top});
    for (int j = 0; j < h; ++j) {
        const int y = DstRect.top + j;
        int runStart = -1;
        for (int i = 0; i < w; ++i) {
            const Byte* s = At(src, SrcRect.left + i, SrcRect.top + j, sb);
            const int x = DstRect.left + i;
            if (IsCorner && IsKey(s)) {
                if (runStart < 0) runStart = x;
                continue;
            }
            if (runStart >= 0) {
                if (Rgn) CutRun(Rgn, runStart, x, y, RGN_XOR);
                runStart = -1;
            }
            Byte* d = At(Bmp, x, y, db);
            if (!masked) {
                std::copy_n(s, 3, d);
                continue;
            }
            const Byte* m = At(src, SrcRect.left + i, SrcRect.top + j + maskShift, sb);
            for (int k = 0; k < 3; ++k)
                d[k] = static_cast<Byte>(ClampToByte(((d[k] - s[k]) * m[k] + s[k] * 256) >> 8));
        }
        if (runStart >= 0 && Rgn) CutRun(Rgn, runStart, DstRect.left + w, y, RGN_DIFF);
    }
}

void PaintBmpBorder(TBitmap* Bmp, HRGN Rgn, int State, const TsMaskData& MaskData) {
    if (!Bmp || Bmp->Width() < 2 || Bmp->Height() < 2 || !MaskData.Manager) return;
    if (!MaskData.Bmp && !MaskData.Manager->MasterBitmap) return;
    const int width = Bmp->Width(), height = Bmp->Height();
    int l = MaskData.WL, t = MaskData.WT, r = MaskData.WR, b = MaskData.WB;
    ShareOut(l, r, width);
    ShareOut(t, b, height);
    int count = MaskData.ImageCount;
    TRect image = MaskData.R;
    if (count < 1) {
        count = 1;
        if (MaskData.Bmp) image = TRect(0, 0, MaskData.Bmp->Width(), MaskData.Bmp->Height());
    }
    State = std::clamp(State, 0, count - 1);
    const int sw = image.Width() / count, sh = image.Height() / (MaskData.MaskType + 1);
    const int cw = std::max(sw - l - r, 0), ch = std::max(sh - t - b, 0);
    const int sx = State * sw + image.left, sy = image.top;
    // Source and destination rects here are right and bottom inclusive.
    auto piece = [&](int dx, int dy, int w, int h, int srcX, int srcY, bool corner) {
        if (w > 0 && h > 0)
            CopyBorderPiece(TRect(dx, dy, dx + w - 1, dy + h - 1),
                            TRect(srcX, srcY, srcX + w - 1, srcY + h - 1), corner, MaskData, Rgn,
                            Bmp);
    };
    piece(0, 0, l, t, sx, sy, true);
    piece(width - r, 0, r, t, sx + sw - r, sy, true);
    piece(0, height - b, l, b, sx, sy + sh - b, true);
    piece(width - r, height - b, r, b, sx + sw - r, sy + sh - b, true);
    if ((MaskData.DrawMode & 1) && MaskData.MaskType != 1) {
        const HDC dst = Bmp->Canvas()->Handle(), src = MaskImage(MaskData)->Canvas()->Handle();
        const int oldMode = SetStretchBltMode(dst, HALFTONE);
        auto stretch = [&](int dx, int dy, int dw, int dh, int srcX, int srcY, int srcW, int srcH) {
            if (dw > 0 && dh > 0 && srcW > 0 && srcH > 0)
                StretchBlt(dst, dx, dy, dw, dh, src, srcX, srcY, srcW, srcH, SRCCOPY);
        };
        stretch(l, 0, width - l - r, t, sx + l, sy, cw, t);
        stretch(l, height - b, width - l - r, b, sx + l, sy + sh - b, cw, b);
        stretch(0, t, l, height - t - b, sx, sy + t, l, ch);
        stretch(width - r, t, r, height - t - b, sx + sw - r, sy + t, r, ch);
        SetStretchBltMode(dst, oldMode);
        return;
    }
    // Tiled sides: pieces of the source centre's size from the corners on, a shorter last one;
    // a source centre under one pixel tiles nothing.
    if (cw > 0)
        for (int x = l; x < width - r; x += cw) {
            const int w = std::min(cw, width - r - x);
            piece(x, 0, w, t, sx + l, sy, false);
            piece(x, height - b, w, b, sx + l, sy + sh - b, false);
        }
    if (ch > 0)
        for (int y = t; y < height - b; y += ch) {
            const int h = std::min(ch, height - b - y);
            piece(0, y, l, h, sx, sy + t, false);
            piece(width - r, y, r, h, sx + sw - r, sy + t, false);
        }
}
