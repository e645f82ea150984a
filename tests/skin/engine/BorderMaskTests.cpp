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

TEST_F(BorderMask, StateImagesByMode) {
    // Two states 3 x 3 over their mask rows; state 1's top-left pixel is a hole.
    TsMaskData mask = PlainMask(2, 3, 0);
    mask.Bmp = MakeBmp(6, 6, 3, 37);
    mask.R = TRect(0, 0, 6, 6);
    mask.MaskType = 1;
    std::copy_n("\xFF\x00\xFF", 3, PixelOf(mask.Bmp.get(), 3, 0));
    for (int mode : {0, 1}) {
        TBmpPtr dst = MakeBmp(4, 4, 4, 41);
        const std::vector<Byte> before = AllBytes(dst.get());
        PaintMaskImage(dst.get(), TPoint(-1, 2), 7, mask, TCacheInfo{},
                       mode); // state 1, cut left and below
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                const int sx = x + 1, sy = y - 2; // within the state
                const bool drawn = sx < 3 && sy >= 0 && sy < 2 && !(sx == 0 && sy == 0);
                for (int i = 0; i < 3; ++i) {
                    const int d = before[(y * 4 + x) * 4 + i],
                              s = drawn ? PixelOf(mask.Bmp.get(), 3 + sx, sy)[i] : 0,
                              m = drawn ? PixelOf(mask.Bmp.get(), 3 + sx, sy + 3)[i] +
                                              (mode == 1 ? 0 : 100)
                                        : 0;
                    const int want =
                        drawn ? ClampToByte(((d - s) * std::min(255, m) + s * 256) >> 8) : d;
                    EXPECT_EQ(PixelOf(dst.get(), x, y)[i], want) << mode << ": " << x << "," << y;
                }
                EXPECT_EQ(PixelOf(dst.get(), x, y)[3], drawn ? 255 : before[(y * 4 + x) * 4 + 3]);
            }
    }
}

TEST_F(BorderMask, MaskedTextureHoles) {
    TsMaskData mask = PlainMask(1, 2, 0);
    mask.Bmp = MakeBmp(2, 4, 3, 43);
    mask.R = TRect(0, 0, 2, 4);
    mask.MaskType = 1;
    std::copy_n("\xFF\x00\xFF", 3, PixelOf(mask.Bmp.get(), 0, 0));
    TBmpPtr parent = MakeBmp(5, 5, 3, 47);
    struct Case {
        TCacheInfo CI;
        int Want; // blue byte at the hole; -1: as before
    };
    const Case cases[] = {{TCacheInfo{parent.get(), 1, 1, 0, true}, PixelOf(parent.get(), 2, 2)[0]},
                          {TCacheInfo{nullptr, 0, 0, 0x4400FF, false}, 0x44},
                          {TCacheInfo{nullptr, 0, 0, TransparentKeyColor, false}, -1}};
    for (const Case& c : cases) {
        TBmpPtr dst = MakeBmp(4, 4, 3, 53);
        const std::vector<Byte> before = AllBytes(dst.get());
        CopyMaskedTexture(dst.get(), TRect(1, 1, 4, 4), mask, c.CI);
        EXPECT_EQ(PixelOf(dst.get(), 1, 1)[0], c.Want < 0 ? before[(1 * 4 + 1) * 3] : c.Want);
        const int d = before[(2 * 4 + 2) * 3], s = PixelOf(mask.Bmp.get(), 1, 1)[0],
                  m = PixelOf(mask.Bmp.get(), 1, 3)[0];
        EXPECT_EQ(PixelOf(dst.get(), 2, 2)[0], ((d - s) * m + s * 256) >> 8);
        EXPECT_EQ(PixelOf(dst.get(), 3, 3)[0], before[(3 * 4 + 3) * 3]) << "beyond the texture";
    }
}

} // namespace
