// The nine-piece border painter against a model of where each pixel of the rect comes from,
// with plain and masked masks of their own bitmaps.
#include "PixelTesting.h"
#include "SkinEngineTesting.h"
#include "skin/engine/sCommonData.h"

namespace {

class BorderMask : public SkinManagerTest {
protected:
    // A plain mask of States states Size x Size with borders Border, seeded pixels.
    TsMaskData PlainMask(int States, int Size, int Border) {
        TsMaskData mask;
        mask.Bmp = MakeBmp(States * Size, Size, 3, 17);
        mask.R = TRect(0, 0, States * Size, Size);
        mask.ImageCount = SmallInt(States);
        mask.WL = mask.WT = mask.WR = mask.WB = SmallInt(Border);
        mask.DrawMode = 4;
        mask.Manager = Manager;
        return mask;
    }
};

// Where pixel Position of a rect Size long comes from in a state Span long with borders 3: the
// corners as they are, the middle tiled from the first corner.
int Source(int Position, int Size, int Span) {
    if (Position < 3) return Position;
    if (Position >= Size - 3) return Span - (Size - Position);
    return 3 + (Position - 3) % (Span - 6);
}

int Mismatches(TBitmap* Dst, TBitmap* Src, int OriginX) {
    int wrong = 0;
    for (int y = 0; y < Dst->Height(); ++y)
        for (int x = 0; x < Dst->Width(); ++x) {
            const Byte* want =
                PixelOf(Src, OriginX + Source(x, Dst->Width(), 8), Source(y, Dst->Height(), 8));
            wrong += !std::equal(want, want + 3, PixelOf(Dst, x, y));
        }
    return wrong;
}

TEST_F(BorderMask, PlainMaskPiecesOfTheChosenState) {
    const TsMaskData mask = PlainMask(2, 8, 3);
    TBmpPtr dst = MakeBmp(19, 14, 3);
    PaintBorderMask(dst.get(), TRect(0, 0, 19, 14), true, TCacheInfo{}, mask, 5, false); // state 1
    EXPECT_EQ(Mismatches(dst.get(), mask.Bmp.get(), 8), 0);
    EXPECT_GT(Mismatches(dst.get(), mask.Bmp.get(), 0), 0) << "the other state's model is noticed";
}

TEST_F(BorderMask, NarrowRectsShareTheBorders) {
    TsMaskData mask = PlainMask(1, 12, 5);
    mask.DrawMode = 0;
    TBmpPtr dst = MakeBmp(7, 12, 3);
    PaintBorderMask(dst.get(), TRect(0, 0, 7, 12), true, TCacheInfo{}, mask, 0, false);
    // Left 4 wide (columns 0..3 from 0..3), right 3 wide (columns 4..6 from 9..11).
    for (int x = 0; x < 7; ++x) {
        const int from = x < 4 ? x : x + 5;
        EXPECT_TRUE(std::equal(PixelOf(mask.Bmp.get(), from, 0),
                               PixelOf(mask.Bmp.get(), from, 0) + 3, PixelOf(dst.get(), x, 0)))
            << x;
    }
}

TEST_F(BorderMask, NothingToPaint) {
    TsMaskData mask = PlainMask(1, 8, 3);
    mask.DrawMode = 2; // no border in the normal state
    TBmpPtr dst = MakeBmp(10, 10, 3);
    PaintBorderMask(dst.get(), TRect(0, 0, 10, 10), true, TCacheInfo{}, mask, 0, false);
    mask.DrawMode = 0;
    PaintBorderMask(dst.get(), TRect(0, 0, 1, 10), true, TCacheInfo{}, mask, 0, false);
    mask.Manager = nullptr;
    PaintBorderMask(dst.get(), TRect(0, 0, 10, 10), true, TCacheInfo{}, mask, 0, false);
    EXPECT_EQ(AllBytes(dst.get()), std::vector<Byte>(300, 0));
}

TEST_F(BorderMask, MaskedCornersMixAndShowTheParent) {
    // One state 8 x 8 over its mask rows; the top-left pixel is a hole.
    TsMaskData mask = PlainMask(1, 8, 3);
    mask.Bmp = MakeBmp(8, 16, 3, 23);
    mask.R = TRect(0, 0, 8, 16);
    mask.MaskType = 1;
    std::copy_n("\xFF\x00\xFF", 3, PixelOf(mask.Bmp.get(), 0, 0));
    TBmpPtr parent = MakeBmp(12, 12, 3, 29), dst = MakeBmp(10, 10, 3, 31);
    const std::vector<Byte> before = AllBytes(dst.get());
    PaintBorderMask(dst.get(), TRect(0, 0, 10, 10), false, TCacheInfo{parent.get(), 2, 1, 0, true},
                    mask, 0, true);
    EXPECT_EQ(PixelOf(dst.get(), 0, 0)[1], PixelOf(parent.get(), 2, 1)[1])
        << "the hole shows the parent";
    for (TPoint p : {TPoint(1, 0), TPoint(2, 2), TPoint(4, 0), TPoint(9, 9)}) {
        const int sx = Source(p.x, 10, 8), sy = Source(p.y, 10, 8);
        for (int i = 0; i < 3; ++i) {
            const int d = before[(p.y * 10 + p.x) * 3 + i], s = PixelOf(mask.Bmp.get(), sx, sy)[i],
                      m = PixelOf(mask.Bmp.get(), sx, sy + 8)[i];
            EXPECT_EQ(PixelOf(dst.get(), p.x, p.y)[i], ((d - s) * m + s * 256) >> 8)
                << p.x << "," << p.y;
        }
    }
}

} // namespace
