// Frame, glyph and device-context primitives on memory bitmaps: nine-piece copies against a
// model of where each destination pixel comes from, glyph cells, fills, frames and corner runs.
#include "PixelTesting.h"
#include "SkinEngineTesting.h"
#include "skin/engine/sFramePrimitives.h"

#include <functional>

namespace {

using FramePrimitives = PixelTest;

using TSourceOf = std::function<int(int Position, int Size)>; // -1: not painted

// Counts the pixels of Dst whose bytes differ from the model's source pixel.
int Mismatches(TBitmap* Dst, TBitmap* Src, const TSourceOf& SourceX, const TSourceOf& SourceY) {
    int wrong = 0;
    for (int y = 0; y < Dst->Height(); ++y)
        for (int x = 0; x < Dst->Width(); ++x) {
            const int sx = SourceX(x, Dst->Width()), sy = SourceY(y, Dst->Height());
            const Byte zero[3] = {0, 0, 0};
            const Byte* want = sx < 0 || sy < 0 ? zero : PixelOf(Src, sx, sy);
            wrong += !std::equal(want, want + 3, PixelOf(Dst, x, y));
        }
    return wrong;
}

// Nine pieces of a 9 x 9 source with borders 3: corners as they are, the middle tiled.
int Tiled(int Position, int Size) {
    if (Position < 3) return Position;
    if (Position >= Size - 3) return 9 - (Size - Position);
    return 3 + (Position - 3) % 3;
}

TEST_F(FramePrimitives, NinePiecesTiled) {
    TBmpPtr src = MakeBmp(9, 9, 3, 41), dst = MakeBmp(17, 13, 3);
    TileBmpFrame(dst.get(), src.get(), TRect(0, 0, 17, 13), TRect(0, 0, 9, 9), TRect(3, 3, 3, 3),
                 TRect(9, 9, 9, 9), TacSideModes{}, 0, true);
    EXPECT_EQ(Mismatches(dst.get(), src.get(), Tiled, Tiled), 0);
    const TSourceOf shifted = [](int p, int s) { return Tiled(p + 1, s + 1); };
    EXPECT_GT(Mismatches(dst.get(), src.get(), shifted, Tiled), 0) << "a wrong model is noticed";
}

TEST_F(FramePrimitives, LimitsNarrowTheCornersBelowTheirFirstRows) {
    TBmpPtr src = MakeBmp(9, 9, 3, 41), dst = MakeBmp(12, 12, 3);
    TileBmpFrame(dst.get(), src.get(), TRect(0, 0, 12, 12), TRect(0, 0, 9, 9), TRect(3, 3, 3, 3),
                 TRect(1, 1, 1, 1), TacSideModes{}, 0, false);
    EXPECT_TRUE(std::equal(PixelOf(src.get(), 2, 0), PixelOf(src.get(), 2, 0) + 3,
                           PixelOf(dst.get(), 2, 0)))
        << "row 0: full width";
    EXPECT_TRUE(std::equal(PixelOf(src.get(), 0, 2), PixelOf(src.get(), 0, 2) + 3,
                           PixelOf(dst.get(), 0, 2)))
        << "rows below: limited width";
    EXPECT_EQ(
        PixelOf(dst.get(), 1, 1)[0] | PixelOf(dst.get(), 1, 1)[1] | PixelOf(dst.get(), 1, 1)[2], 0)
        << "beyond the limits: not painted";
    EXPECT_EQ(PixelOf(dst.get(), 6, 6)[0] | PixelOf(dst.get(), 6, 6)[1], 0) << "no centre";
}

TEST_F(FramePrimitives, AnEmptySourceCentreIsNotTiled) {
    TBmpPtr src = MakeBmp(6, 6, 3, 5), dst = MakeBmp(20, 20, 3);
    TileBmpFrame(dst.get(), src.get(), TRect(0, 0, 20, 20), TRect(0, 0, 6, 6), TRect(3, 3, 3, 3),
                 TRect(9, 9, 9, 9), TacSideModes{}, 0, true); // returns: nothing loops forever
    EXPECT_TRUE(std::equal(PixelOf(src.get(), 5, 5), PixelOf(src.get(), 5, 5) + 3,
                           PixelOf(dst.get(), 19, 19)));
    EXPECT_EQ(PixelOf(dst.get(), 10, 10)[0] | PixelOf(dst.get(), 10, 10)[1], 0);
}

// A glyph strip of Cells cells 2 x 2, cell k filled with blue byte 10 k + 10 but its bottom-left
// pixel, the key, of blue byte 1.
TBmpPtr GlyphStrip(int Cells) {
    TBmpPtr glyph = MakeBmp(2 * Cells, 2, 3);
    for (int k = 0; k < Cells; ++k)
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                PixelOf(glyph.get(), 2 * k + x, y)[0] = Byte(x == 0 && y == 1 ? 1 : 10 * k + 10);
    return glyph;
}

TEST_F(FramePrimitives, GlyphCellsByState) {
    struct Case {
        int Cells, State;
        bool Enabled, Down;
        int Cell;
    };
    const Case cases[] = {{3, 0, true, false, 0}, {3, 1, true, false, 1}, {3, 2, true, false, 2},
                          {3, 2, true, true, 1},  {4, 2, true, true, 3},  {3, 2, false, false, 0},
                          {2, 2, true, false, 1}};
    for (const Case& c : cases) {
        TBmpPtr glyph = GlyphStrip(c.Cells), dst = MakeBmp(4, 4, 3);
        DrawGlyphBmp(glyph.get(), dst.get(), TRect(1, 1, 3, 3), c.Cells, c.Enabled, {}, c.State, 0,
                     c.Down);
        EXPECT_EQ(PixelOf(dst.get(), 2, 1)[0], 10 * c.Cell + 10)
            << c.Cells << " cells, state " << c.State;
        EXPECT_EQ(PixelOf(dst.get(), 1, 2)[0], 0) << "key pixel skipped";
    }
    // One cell, disabled and greyed: the grey of (10, 0, 0) is 3.
    TBmpPtr glyph = GlyphStrip(1), dst = MakeBmp(4, 4, 3);
    TsDisabledKind greyed;
    greyed.Include(dkGrayed);
    DrawGlyphBmp(glyph.get(), dst.get(), TRect(0, 0, 2, 2), 1, false, greyed, 0, 0, false);
    EXPECT_EQ(PixelOf(dst.get(), 1, 0)[2], 3);
    EXPECT_EQ(PixelOf(dst.get(), 0, 1)[2], 0) << "key pixel skipped";
}

TEST_F(FramePrimitives, FillsFramesAndRings) {
    TBmpPtr bmp = MakeBmp(10, 10, 3);
    HDC dc = bmp->Canvas()->Handle();
    PaintSolidFrame(dc, TRect(1, 1, 9, 9), 1, 2, 3, 1, 0x0000FF);
    for (TPoint p : {TPoint(1, 1), TPoint(8, 2), TPoint(1, 8), TPoint(6, 5), TPoint(5, 8)})
        EXPECT_EQ(PixelOf(bmp.get(), p.x, p.y)[2], 255) << p.x << "," << p.y;
    for (TPoint p : {TPoint(0, 0), TPoint(2, 3), TPoint(5, 7), TPoint(9, 9)})
        EXPECT_EQ(PixelOf(bmp.get(), p.x, p.y)[2], 0) << p.x << "," << p.y;
    PaintSolidRect(dc, TRect(3, 3, 5, 5), 0xFF0000);
    EXPECT_EQ(PixelOf(bmp.get(), 4, 4)[0], 255);

    TBmpPtr src = MakeBmp(10, 10, 3, 3);
    for (int bw : {0, 2}) {
        TBmpPtr dst = MakeBmp(12, 12, 3);
        CopyFrameStrips(dst->Canvas()->Handle(), 1, 1, 8, 8, src->Canvas()->Handle(), 0, 0, bw);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x) {
                const bool ring = x >= 1 && y >= 1 && x < 9 && y < 9 &&
                                  (x < 1 + bw || y < 1 + bw || x >= 9 - bw || y >= 9 - bw);
                const Byte* got = PixelOf(dst.get(), x, y);
                const Byte zero[3] = {0, 0, 0};
                const Byte* want = ring ? PixelOf(src.get(), x - 1, y - 1) : zero;
                EXPECT_TRUE(std::equal(want, want + 3, got)) << bw << ": " << x << "," << y;
            }
    }
}

TEST_F(FramePrimitives, Frame3DAndDottedFrame) {
    TBmpPtr bmp = MakeBmp(12, 12, 3);
    TRect r(0, 0, 10, 10);
    int width = 2;
    PaintFrame3DDC(bmp->Canvas()->Handle(), r, 0x0000FF, 0xFF0000, width);
    EXPECT_EQ(r, TRect(2, 2, 8, 8));
    EXPECT_EQ(width, 0);
    struct Expect {
        int X, Y, Channel; // 2 red (top-left pen), 0 blue (bottom-right pen), -1 untouched
    };
    for (const Expect e : {Expect{0, 0, 2}, Expect{5, 0, 2}, Expect{0, 5, 2}, Expect{9, 0, 0},
                           Expect{9, 9, 0}, Expect{0, 9, 0}, Expect{1, 1, 2}, Expect{8, 8, 0},
                           Expect{2, 2, -1}, Expect{10, 10, -1}}) {
        const Byte* p = PixelOf(bmp.get(), e.X, e.Y);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(p[i], i == e.Channel ? 255 : 0) << e.X << "," << e.Y << "/" << i;
    }
    TBmpPtr dots = MakeBmp(10, 10, 3);
    FillBytes(dots.get(), 100, 100, 100);
    PaintDottedFrame(dots->Canvas(), TRect(2, 2, 8, 8));
    EXPECT_EQ(PixelOf(dots.get(), 5, 2)[0], 0);
    EXPECT_EQ(PixelOf(dots.get(), 4, 1)[0], 255);
    EXPECT_EQ(PixelOf(dots.get(), 8, 5)[0], 0);
    EXPECT_EQ(PixelOf(dots.get(), 3, 2)[0], 100);
}

class MaskCorners : public SkinManagerTest {};

TEST_F(MaskCorners, KeyRunsOfTheCornerRows) {
    // One state 8 x 4, borders 3; rows: key key opaque ... and a right corner whose last pixel
    // is the key.
    TsMaskData mask;
    mask.Bmp = MakeBmp(8, 4, 3, 9);
    const Byte key[3] = {0xFF, 0x00, 0xFF};
    for (TPoint p : {TPoint(0, 0), TPoint(1, 0), TPoint(7, 0), TPoint(0, 3), TPoint(2, 3)})
        std::copy_n(key, 3, PixelOf(mask.Bmp.get(), p.x, p.y));
    mask.R = TRect(0, 0, 8, 4);
    mask.ImageCount = 1;
    mask.WL = mask.WT = mask.WR = mask.WB = 3;
    mask.Manager = Manager;
    std::vector<TRect> rects;
    CollectMaskCornerRects(rects, 20, mask, 5, false);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], TRect(0, 5, 2, 6));
    EXPECT_EQ(rects[1], TRect(19, 5, 20, 6));
    rects.clear();
    mask.WB = 1;
    CollectMaskCornerRects(rects, 20, mask, 0, true);
    ASSERT_EQ(rects.size(), 2u) << "a run ends at an opaque pixel and at the corner's edge";
    EXPECT_EQ(rects[0], TRect(0, 0, 1, 1));
    EXPECT_EQ(rects[1], TRect(2, 0, 3, 1));

    // Borders reaching past the image end the scan, keeping what was found.
    mask.WT = 6;
    rects.clear();
    CollectMaskCornerRects(rects, 20, mask, 0, false);
    EXPECT_EQ(rects.size(), 3u) << "rows 0 to 3 of the left corner";
    mask.WL = 20;
    rects.clear();
    CollectMaskCornerRects(rects, 20, mask, 0, false);
    EXPECT_TRUE(rects.empty());
    mask.Manager = nullptr;
    CollectMaskCornerRects(rects, 20, mask, 0, false);
    EXPECT_TRUE(rects.empty());
}

} // namespace
