// The glyph painter of buttons: one state cell of a glyph strip, its bottom-left pixel taken as
// the key colour, copied opaque, blended, or greyed when disabled.
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sFramePrimitives.h"

#include <algorithm>
#include <memory>

namespace {

struct TFreeBitmap {
    void operator()(TBitmap* Bmp) const noexcept { Bmp->Free(); }
};
using TBitmapPtr = std::unique_ptr<TBitmap, TFreeBitmap>;

TBitmapPtr Working24(TBitmap* Glyph) {
    TBitmapPtr copy(new TBitmap());
    copy->Assign(Glyph);
    copy->SetPixelFormat(pf24bit);
    return copy;
}

TColor KeyAt(TBitmap* Bmp, int X, int Y) {
    const Byte* p = static_cast<Byte*>(Bmp->ScanLine(Y)) + X * 3;
    return MakeColor(p[2], p[1], p[0]);
}

// The cell a state shows: State 1 is the hot cell, 2 the pressed (or, with Down, the next)
// one when the strip has it; a 4-bit strip falls back to cell 0.
int CellIndex(int NumGlyphs, bool Enabled, int State, bool Down, bool FourBit) {
    if (!Enabled || State == 0) return 0;
    const int fallback = FourBit ? 0 : 1;
    if (State == 1) return fallback;
    const int pressed = (Down ? 1 : 0) + 2;
    return std::min(NumGlyphs > pressed ? pressed : fallback, NumGlyphs - 1);
}

void DrawOneCell(TBitmap* Work, TBitmap* Dst, const TRect& R, bool Enabled, TsDisabledKind Kind,
                 int State, int Blend) {
    const TColor key = KeyAt(Work, 0, Work->Height() - 1);
    const TRect limited(0, 0, std::min<int>(Work->Width(), R.Width()) - 1,
                        std::min<int>(Work->Height(), R.Height()) - 1);
    if (!Enabled && Kind.Contains(dkGrayed)) GrayBmp(Work);
    if (!Enabled && Kind.Contains(dkBlended))
        BlendTransparentRect(Dst, R.left, R.top, Work, limited, 0.5, key);
    else if (Enabled && State == 0 && Blend > 0)
        BlendTransparentRect(Dst, R.left, R.top, Work, limited, Blend / 100.0, key);
    else
        CopyOpaquePixels(Dst, Work, R.left, R.top, key);
}

} // namespace

void DrawGlyphBmp(TBitmap* Glyph, TBitmap* Dst, const TRect& R, int NumGlyphs, bool Enabled,
                  TsDisabledKind DisabledKind, int State, int Blend, bool Down) {
    if (!Glyph || Glyph->Empty() || !Dst || NumGlyphs < 1) return;
    TBitmapPtr work = Working24(Glyph);
    if (NumGlyphs == 1) return DrawOneCell(work.get(), Dst, R, Enabled, DisabledKind, State, Blend);
    const int w = work->Width() / NumGlyphs, h = work->Height();
    if (w < 1) return;
    const int index = CellIndex(NumGlyphs, Enabled, State, Down, Glyph->PixelFormat() == pf4bit);
    const TRect cell(index * w, 0, (index + 1) * w - 1, h - 1);
    if (!Enabled && State == 0 && Blend > 0)
        BlendTransparentRect(Dst, R.left, R.top, work.get(), cell, Blend / 100.0,
                             KeyAt(work.get(), 0, h - 1));
    else
        CopyOpaqueRect(Dst, work.get(), R.left, R.top, cell, KeyAt(work.get(), index * w, h - 1));
}
