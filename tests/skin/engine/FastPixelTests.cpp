// Scan-line accessors, the constant-alpha blender, colour mixing into a bitmap and the copy of
// parent pixels into transparent places, each against a per-pixel model.
#include "PixelTesting.h"
#include "SkinEngineTesting.h"

#include <functional>

namespace {

using FastPixel = PixelTest;

TEST_F(FastPixel, AttachNeedsTwoByTwoOfItsOwnFormat) {
    struct Case {
        int Width, Height, Bytes;
        bool As24, As32;
    };
    const Case cases[] = {{1, 100, 3, false, false}, {100, 1, 3, false, false},
                          {2, 2, 3, true, false},    {2, 2, 4, false, true},
                          {1, 1, 4, false, false},   {5, 3, 4, false, true}};
    for (const Case& c : cases) {
        TBmpPtr bmp = MakeBmp(c.Width, c.Height, c.Bytes);
        TacFast24 fast24;
        TacFast32 fast32;
        EXPECT_EQ(fast24.Attach(bmp.get()), c.As24) << c.Width << "x" << c.Height << "/" << c.Bytes;
        EXPECT_EQ(fast32.Attach(bmp.get()), c.As32) << c.Width << "x" << c.Height << "/" << c.Bytes;
        EXPECT_EQ(fast32.Width(), c.As32 ? c.Width : 0);
    }
    TacFast32 none;
    EXPECT_FALSE(none.Attach(nullptr));
}

TEST_F(FastPixel, PixelLayouts) {
    TBmpPtr bmp24 = MakeBmp(3, 3, 3);
    Byte* p = PixelOf(bmp24.get(), 2, 1);
    p[0] = 0x01, p[1] = 0x02, p[2] = 0x03; // blue, green, red
    TacFast24 fast24;
    ASSERT_TRUE(fast24.Attach(bmp24.get()));
    EXPECT_EQ(fast24.ReadPixel(2, 1), 0x010203);

    TBmpPtr bmp32 = MakeBmp(3, 3, 4);
    TacFast32 fast32;
    ASSERT_TRUE(fast32.Attach(bmp32.get()));
    fast32.WritePixel(1, 2, 0x80112233u);
    const Byte* q = PixelOf(bmp32.get(), 1, 2);
    EXPECT_EQ(q[0], 0x11);
    EXPECT_EQ(q[1], 0x22);
    EXPECT_EQ(q[2], 0x33);
    EXPECT_EQ(q[3], 0x80);
    EXPECT_EQ(fast32.ReadPixel(1, 2), 0x80112233u);
    EXPECT_EQ(ColorToBGRA(0x123456), 0xFF563412u);
}

TEST_F(FastPixel, FillRect32ClipsToTheBitmap) {
    TBmpPtr bmp = MakeBmp(4, 3, 4);
    FillRect32(bmp.get(), TRect(2, -5, 40, 2), 0x0000FF); // red
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool inside = x >= 2 && y < 2;
            const Byte* p = PixelOf(bmp.get(), x, y);
            EXPECT_EQ(p[2], inside ? 255 : 0) << x << "," << y;
            EXPECT_EQ(p[3], inside ? 255 : 0) << x << "," << y;
            EXPECT_EQ(p[0], 0) << x << "," << y;
        }
    TBmpPtr bmp24 = MakeBmp(4, 3, 3);
    FillRect32(bmp24.get(), TRect(0, 0, 4, 3), 0xFFFFFF); // not 32-bit: left alone
    EXPECT_EQ(AllBytes(bmp24.get()), std::vector<Byte>(36, 0));
}

// The blender's result against a per-byte model; Round is the model's rounding term.
template <int Bytes> void CheckBlend(TacFastSum<Bytes>& Blender, int Round, bool ExpectMatch) {
    TBmpPtr src = MakeBmp(9, 7, Bytes, 11), dst = MakeBmp(8, 6, Bytes, 22);
    const std::vector<Byte> before = AllBytes(dst.get());
    ASSERT_TRUE(Blender.Attach(src.get(), dst.get()));
    Blender.Alpha = 77;
    Blender.DstX1 = -2, Blender.DstY1 = 1, Blender.DstX2 = 7, Blender.DstY2 = 9;
    Blender.SrcX1 = 3, Blender.SrcY1 = 0, Blender.SrcX2 = 12, Blender.SrcY2 = 6; // dy = -3
    Blender.BlendBitmapsRect();
    bool match = true;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const int sx = x + 5, sy = y - 3;
            const bool blended = x >= -2 && x < 7 && y >= 1 && y < 9 && sx < 9 && sy >= 0;
            for (int i = 0; i < Bytes; ++i) {
                const int d = before[(y * 8 + x) * Bytes + i];
                const int want =
                    blended ? (d * 77 + PixelOf(src.get(), sx, sy)[i] * 178 + Round) >> 8 : d;
                match = match && PixelOf(dst.get(), x, y)[i] == want;
            }
        }
    EXPECT_EQ(match, ExpectMatch) << Bytes << " bytes, rounding " << Round;
}

TEST_F(FastPixel, BlendBitmapsRectMatchesTheModel) {
    TacFastSum24 sum24;
    TacFastSum32 sum32;
    CheckBlend(sum24, 127, true);
    CheckBlend(sum32, 127, true);
    CheckBlend(sum24, 255, false); // a wrong rounding is noticed
}

TEST_F(FastPixel, BlendWithAlpha255LowersHighBytesByOne) {
    TBmpPtr dst = MakeBmp(16, 16, 3), src = MakeBmp(16, 16, 3);
    TacFastSum24 sum;
    ASSERT_TRUE(sum.Attach(src.get(), dst.get()));
    for (int v = 0; v < 256; ++v) PixelOf(dst.get(), v % 16, v / 16)[0] = Byte(v);
    sum.Alpha = 255;
    sum.DstX2 = sum.SrcX2 = sum.DstY2 = sum.SrcY2 = 16;
    sum.BlendBitmapsRect();
    for (int v = 0; v < 256; ++v)
        EXPECT_EQ(PixelOf(dst.get(), v % 16, v / 16)[0], v < 128 ? v : v - 1) << v;
}

TEST_F(FastPixel, BlendBmpWithColorRoundsHalvesToEven) {
    struct Case {
        Byte Pixel;
        TColor Color;
        int Percent;
        Byte Want;
    };
    const Case cases[] = {{1, 0, 50, 0},
                          {3, 0, 50, 2},
                          {5, 0, 50, 2},
                          {200, 0xFFFFFF, 0, 255},
                          {200, 0xFFFFFF, 100, 200},
                          {10, 0x151515, 30, 18}};
    for (const Case& c : cases) {
        TBmpPtr bmp = MakeBmp(3, 3, 4);
        FillBytes(bmp.get(), c.Pixel, c.Pixel, c.Pixel, 9);
        BlendBmpWithColor(bmp.get(), TRect(1, 1, 5, 5), c.Percent,
                          c.Color); // right, bottom inclusive
        const Byte* p = PixelOf(bmp.get(), 2, 2);
        EXPECT_EQ(p[0], c.Want) << int(c.Pixel) << " " << c.Percent;
        EXPECT_EQ(p[3], 9) << "alpha left";
        EXPECT_EQ(PixelOf(bmp.get(), 0, 0)[0], c.Pixel) << "outside R";
    }
}

class TransparentPixels : public SkinManagerTest {};

// Dst: key colour at every pixel whose x + y is even; Src: distinct bytes.
struct TCopyFixture {
    TBmpPtr Dst = MakeBmp(6, 5, 4), Src = MakeBmp(6, 5, 4, 5);
    TCopyFixture() {
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x)
                if ((x + y) % 2 == 0) std::copy_n("\xFF\x00\xFF\x10", 4, PixelOf(Dst.get(), x, y));
    }
};

TEST_F(TransparentPixels, KeyColouredPixelsTakeTheSource) {
    TCopyFixture f;
    const std::vector<Byte> before = AllBytes(f.Dst.get());
    // R reaches left of and above the bitmap: only its part inside is copied, offsets kept.
    CopyTransparentPixels(f.Dst.get(), f.Src.get(), TRect(-1, -1, 4, 3), 0, nullptr, -1,
                          TRect(1, 1, 6, 5));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool copied = (x + y) % 2 == 0 && x < 4 && y < 3;
            const Byte* want =
                copied ? PixelOf(f.Src.get(), x + 2, y + 2) : &before[(y * 6 + x) * 4];
            EXPECT_TRUE(std::equal(want, want + 4, PixelOf(f.Dst.get(), x, y))) << x << "," << y;
        }
}

TEST_F(TransparentPixels, TwentyFourBitBitmapsAreNotReadAsThirtyTwo) {
    TBmpPtr dst = MakeBmp(6, 5, 3), src = MakeBmp(6, 5, 4, 5);
    FillBytes(dst.get(), 0xFF, 0, 0xFF);
    const std::vector<Byte> before = AllBytes(dst.get());
    CopyTransparentPixels(dst.get(), src.get(), TRect(0, 0, 6, 5), 0, nullptr, -1,
                          TRect(0, 0, 6, 5));
    EXPECT_EQ(AllBytes(dst.get()), before);
}

TEST_F(TransparentPixels, AMaskDecidesAtItsCorner) {
    // A mask image of its own, one state 4 x 4 with right border 2 and bottom border 2: key
    // colour only in its bottom-right pixel.
    TsMaskData mask;
    mask.Bmp = MakeBmp(4, 4, 3, 1);
    std::copy_n("\xFF\x00\xFF", 3, PixelOf(mask.Bmp.get(), 3, 3));
    mask.R = TRect(0, 0, 4, 4);
    mask.ImageCount = 1;
    mask.WR = mask.WB = 2;
    mask.Manager = Manager;
    Manager->ma.push_back(std::move(mask));
    const int index = int(Manager->ma.size()) - 1;
    for (int corner : {13, 17}) {
        TCopyFixture f;
        const std::vector<Byte> before = AllBytes(f.Dst.get());
        CopyTransparentPixels(f.Dst.get(), f.Src.get(), TRect(0, 0, 2, 2), corner, Manager, index,
                              TRect(0, 0, 2, 2));
        // Corner 17 lays the mask from (2, 2): its key pixel meets R's (1, 1).
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x) {
                const bool copied = corner == 17 && x == 1 && y == 1;
                const Byte* want = copied ? PixelOf(f.Src.get(), 1, 1) : &before[(y * 6 + x) * 4];
                EXPECT_TRUE(std::equal(want, want + 4, PixelOf(f.Dst.get(), x, y)))
                    << corner << ": " << x << "," << y;
            }
    }
}

} // namespace
