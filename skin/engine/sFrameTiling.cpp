// The nine-piece copy of a frame image: corners once, sides and centre tiled or stretched. All
// copies are blits between the two bitmaps' own device contexts.
#include "skin/engine/sFramePrimitives.h"

#include <algorithm>

namespace {

struct TBlitter {
    HDC Dst, Src;
    void Copy(int X, int Y, int W, int H, int SrcX, int SrcY) const {
        if (W > 0 && H > 0) BitBlt(Dst, X, Y, W, H, Src, SrcX, SrcY, SRCCOPY);
    }
    // Area filled by Mode from the source piece at (SrcX, SrcY), PieceW x PieceH: tiled from the
    // top-left with cut pieces at the right and bottom, or stretched. A piece under 1 pixel
    // cannot be tiled and fills nothing.
    void Fill(int Mode, const TRect& Area, int SrcX, int SrcY, int PieceW, int PieceH) const {
        if (PieceW < 1 || PieceH < 1 || Area.right <= Area.left || Area.bottom <= Area.top) return;
        if (Mode == 1) {
            StretchBlt(Dst, Area.left, Area.top, Area.Width(), Area.Height(), Src, SrcX, SrcY,
                       PieceW, PieceH, SRCCOPY);
        } else if (Mode == 0) {
            for (int x = Area.left; x < Area.right; x += PieceW)
                for (int y = Area.top; y < Area.bottom; y += PieceH)
                    Copy(x, y, std::min<int>(PieceW, Area.right - x),
                         std::min<int>(PieceH, Area.bottom - y), SrcX, SrcY);
        }
    }
};

} // namespace

void TileBmpFrame(TBitmap* Dst, TBitmap* Src, const TRect& DstRect, const TRect& SrcRect,
                  const TRect& Borders, const TRect& Limits, const TacSideModes& SideModes,
                  Byte CenterMode, bool FillCenter) {
    if (!Dst || !Src || Dst->Empty() || Src->Empty()) return;
    const int mL = std::min(Borders.left, Limits.left), mT = std::min(Borders.top, Limits.top);
    const int mR = std::min(Borders.right, Limits.right),
              mB = std::min(Borders.bottom, Limits.bottom);
    const int bL = Borders.left, bT = Borders.top, bR = Borders.right, bB = Borders.bottom;
    const TRect& d = DstRect;
    const TRect& s = SrcRect;
    SetStretchBltMode(Dst->Canvas()->Handle(), BLACKONWHITE);
    const TBlitter b{Dst->Canvas()->Handle(), Src->Canvas()->Handle()};
    b.Copy(d.left, d.top, bL, mT, s.left, s.top);
    if (bT != mT) b.Copy(d.left, d.top + mT, mL, bT - mT, s.left, s.top + mT);
    b.Copy(d.left, d.bottom - mB, bL, mB, s.left, s.bottom - mB);
    if (bB != mB) b.Copy(d.left, d.bottom - bB, mL, bB - mB, s.left, s.bottom - bB);
    b.Copy(d.right - bR, d.top, bR, mT, s.right - bR, s.top);
    if (bT != mT) b.Copy(d.right - mR, d.top + mT, mR, bT - mT, s.right - mR, s.top + mT);
    b.Copy(d.right - bR, d.bottom - mB, bR, mB, s.right - bR, s.bottom - mB);
    if (bB != mB) b.Copy(d.right - mR, d.bottom - bB, mR, bB - mB, s.right - mR, s.bottom - bB);
    const int cw = s.Width() - bL - bR, ch = s.Height() - bT - bB;
    b.Fill(SideModes.Left, TRect(d.left, d.top + bT, d.left + mL, d.bottom - bB), s.left,
           s.top + bT, mL, ch);
    b.Fill(SideModes.Top, TRect(d.left + bL, d.top, d.right - bR, d.top + mT), s.left + bL, s.top,
           cw, mT);
    b.Fill(SideModes.Right, TRect(d.right - mR, d.top + bT, d.right, d.bottom - bB), s.right - mR,
           s.top + bT, mR, ch);
    b.Fill(SideModes.Bottom, TRect(d.left + bL, d.bottom - mB, d.right - bR, d.bottom), s.left + bL,
           s.bottom - mB, cw, mB);
    if (FillCenter)
        b.Fill(CenterMode, TRect(d.left + bL, d.top + bT, d.right - bR, d.bottom - bB), s.left + bL,
               s.top + bT, cw, ch);
}
