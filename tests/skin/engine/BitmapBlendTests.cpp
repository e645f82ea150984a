// Off-screen bitmaps, colour arithmetic and the blends and copies between bitmaps, against the
// stated formulas evaluated per pixel.
#include "PixelTesting.h"

#include <cmath>

namespace {

using BitmapBlend = PixelTest;

int RoundEven(double Value) { return int(std::nearbyint(Value)); }

TEST_F(BitmapBlend, OffScreenBitmaps) {
    TBmpPtr a(CreateBmp24(5, 4)), b(CreateBmp32(3, 2)), c(CreateBmpLike(b.get()));
    EXPECT_EQ(a->PixelFormat(), pf24bit);
    EXPECT_EQ(a->Width(), 5);
    EXPECT_EQ(a->Height(), 4);
    EXPECT_EQ(c->PixelFormat(), pf32bit);
    EXPECT_EQ(c->Width(), 3);
    EXPECT_EQ(c->Height(), 2);
}

TEST_F(BitmapBlend, ColourArithmetic) {
    EXPECT_EQ(BlendColors(0x000000, 0xFFFFFF, 0.4), 0x999999);
    EXPECT_EQ(BlendColors(static_cast<TColor>(0x12000000), 0xFFFFFF, 0.4),
              static_cast<TColor>(0x12999999));
    EXPECT_EQ(BlendColors(0x000001, 0x000000, 0.5), 0); // 0.5 to the even 0
    EXPECT_EQ(ChangeColorSaturation(0x0000FF, 100), 0x555555);
    EXPECT_EQ(ChangeColorSaturation(0x123456, 0), 0x123456);
    EXPECT_EQ(ChangeColorSaturation(0x0080FF, -100), 0x0080FF); // limited to 0..255
    EXPECT_EQ(ChangeColorSaturation(0x404080, 50), 0x4B4B6B);
    struct HueCase {
        int Delta;
        TColor Color, Want;
    };
    const HueCase hues[] = {{120, 0x0000FF, 0x00FF00},  {240, 0x0000FF, 0xFF0000},
                            {-120, 0x0000FF, 0xFF0000}, {-480, 0x0000FF, 0xFF0000},
                            {360, 0x0000FF, 0x0000FF},  {0, 0x808080, 0x808080},
                            {90, 0x000000, 0x000000},   {60, 0x0000FF, 0x00FFFF}};
    for (const HueCase& h : hues)
        EXPECT_EQ(ShiftColorHue(h.Delta, h.Color), h.Want) << h.Delta << " " << h.Color;
}

TEST_F(BitmapBlend, GreyAndTint) {
    TBmpPtr bmp = MakeBmp(4, 3, 3, 7);
    std::copy_n("\x10\x20\x30", 3, PixelOf(bmp.get(), 1, 1));
    TBmpPtr kept = MakeBmp(4, 3, 3, 7);
    std::copy_n("\x10\x20\x30", 3, PixelOf(kept.get(), 1, 1));
    const std::vector<Byte> before = AllBytes(bmp.get());
    GrayBmp(bmp.get());
    GrayBmpExceptColor(kept.get(), 0x102030); // the bytes 10 20 30 are blue, green, red
    for (int i = 0; i < 12; ++i) {
        const int grey = (before[i * 3] + before[i * 3 + 1] + before[i * 3 + 2]) / 3;
        EXPECT_EQ(AllBytes(bmp.get())[i * 3 + 1], grey) << i;
        if (i != 5) {
            EXPECT_EQ(AllBytes(kept.get())[i * 3], grey) << i;
        }
    }
    EXPECT_EQ(PixelOf(kept.get(), 1, 1)[2], 0x30) << "the kept colour";

    TBmpPtr tint = MakeBmp(3, 2, 4);
    FillBytes(tint.get(), 100, 100, 100, 7);
    std::copy_n("\xFF\x00\xFF\x07", 4, PixelOf(tint.get(), 0, 0)); // the key as a whole pixel
    TintBmp(tint.get(), 0x000000, static_cast<TColor>(0x07FF00FF), 0.25);
    EXPECT_EQ(PixelOf(tint.get(), 0, 0)[0], 0xFF) << "key skipped";
    EXPECT_EQ(PixelOf(tint.get(), 1, 0)[0], 25);
    EXPECT_EQ(PixelOf(tint.get(), 1, 0)[3], 7);
}

// BlendTransparentRect against the per-pixel formula over a rect partly outside both bitmaps.
TEST_F(BitmapBlend, TransparentRectMatchesTheModel) {
    for (TColor key : {static_cast<TColor>(-1), TransparentKeyColor}) {
        TBmpPtr src = MakeBmp(6, 5, 3, 3), dst = MakeBmp(7, 6, 4, 4);
        std::copy_n("\xFF\x00\xFF", 3, PixelOf(src.get(), 2, 2));
        const std::vector<Byte> before = AllBytes(dst.get());
        BlendTransparentRect(dst.get(), 3, -1, src.get(), TRect(-2, 1, 9, 4), 0.3, key);
        // Source (sx, sy) lands on (sx + 5, sy - 2); source rows 1..4, columns 0..5.
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 7; ++x) {
                const int sx = x - 5, sy = y + 2;
                const bool keyHit = key == TransparentKeyColor && sx == 2 && sy == 2;
                const bool blended = sx >= 0 && sx < 6 && sy >= 1 && sy <= 4 && !keyHit;
                for (int i = 0; i < 4; ++i) {
                    const int d = before[(y * 7 + x) * 4 + i];
                    const int s = blended && i < 3 ? PixelOf(src.get(), sx, sy)[i] : 0;
                    const int want = blended && i < 3 ? RoundEven(s - 0.3 * (s - d)) : d;
                    EXPECT_EQ(PixelOf(dst.get(), x, y)[i], want)
                        << key << ": " << x << "," << y << "/" << i;
                }
            }
    }
    TBmpPtr a = MakeBmp(3, 3, 4, 1), b = MakeBmp(3, 3, 4, 2);
    const std::vector<Byte> before = AllBytes(a.get());
    BlendTransparentRect(a.get(), 0, 0, b.get(), TRect(0, 0, 2, 2), 0.5, -1);
    EXPECT_EQ(AllBytes(a.get()), before) << "32 onto 32 is not a supported pair";
}

TEST_F(BitmapBlend, ConstantAlphaBlends) {
    TBmpPtr dst = MakeBmp(4, 4, 3), src = MakeBmp(4, 4, 3);
    FillBytes(src.get(), 255, 255, 255);
    BlendEqualBmps(dst.get(), src.get(), 0);
    EXPECT_EQ(AllBytes(dst.get()), std::vector<Byte>(48, 254));
    TBmpPtr other = MakeBmp(5, 4, 3);
    BlendEqualBmps(other.get(), src.get(), 0);
    EXPECT_EQ(AllBytes(other.get()), std::vector<Byte>(60, 0)) << "sizes differ";

    // BlendBmpArea with a negative destination point: source column 5 goes to column 0.
    for (int bytes : {3, 4}) {
        TBmpPtr s = MakeBmp(10, 6, bytes, 9), d = MakeBmp(8, 5, bytes, 8);
        const std::vector<Byte> was = AllBytes(d.get());
        BlendBmpArea(d.get(), s.get(), 100, TRect(1, 2, 9, 6), TPoint(-4, 1));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 8; ++x) {
                const int sx = x + 5, sy = y + 1;
                const bool blended = sx < 9 && y >= 1 && sy < 6;
                for (int i = 0; i < bytes; ++i) {
                    const int dv = was[(y * 8 + x) * bytes + i];
                    const int want =
                        blended ? (dv * 100 + PixelOf(s.get(), sx, sy)[i] * 155 + 127) >> 8 : dv;
                    EXPECT_EQ(PixelOf(d.get(), x, y)[i], want) << bytes << ": " << x << "," << y;
                }
            }
    }
    TBmpPtr mixed = MakeBmp(4, 4, 4);
    BlendBmpArea(mixed.get(), src.get(), 0, TRect(0, 0, 4, 4), TPoint(0, 0));
    EXPECT_EQ(AllBytes(mixed.get()), std::vector<Byte>(64, 0)) << "mixed formats";
}

TEST_F(BitmapBlend, OpaqueCopiesSkipTheKey) {
    TBmpPtr src = MakeBmp(3, 3, 3, 6);
    std::copy_n("\xFF\x00\xFF", 3, PixelOf(src.get(), 1, 1));
    for (TPoint at : {TPoint(-1, -2), TPoint(2, 1)}) {
        TBmpPtr dst = MakeBmp(4, 4, 4);
        CopyOpaquePixels(dst.get(), src.get(), at.x, at.y, TransparentKeyColor);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                const int sx = x - at.x, sy = y - at.y;
                const bool copied = sx >= 0 && sx < 3 && sy >= 0 && sy < 3 && !(sx == 1 && sy == 1);
                const Byte* d = PixelOf(dst.get(), x, y);
                for (int i = 0; i < 3; ++i)
                    EXPECT_EQ(d[i], copied ? PixelOf(src.get(), sx, sy)[i] : 0) << x << "," << y;
                EXPECT_EQ(d[3], copied ? 255 : 0) << x << "," << y;
            }
    }
    TBmpPtr dst = MakeBmp(4, 4, 3);
    CopyOpaqueRect(dst.get(), src.get(), 0, 0, TRect(-3, 2, 9, 9), TransparentKeyColor);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(PixelOf(dst.get(), x, 0)[0], x < 3 ? PixelOf(src.get(), x, 2)[0] : 0) << x;
    EXPECT_EQ(PixelOf(dst.get(), 0, 1)[0], 0) << "one source row only";
}

TEST_F(BitmapBlend, TwoBitmapsIntoThirtyTwo) {
    TBmpPtr a = MakeBmp(4, 3, 3, 1), b = MakeBmp(4, 3, 3, 2), m = MakeBmp(4, 3, 3, 3);
    for (TBitmap* mask : {static_cast<TBitmap*>(nullptr), m.get()}) {
        TBmpPtr t = MakeBmp(4, 3, 4);
        FillBytes(t.get(), 0, 0, 0, 42);
        BlendBmpsTo32(t.get(), a.get(), b.get(), mask, 200);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                for (int i = 0; i < 3; ++i) {
                    const int k = mask ? PixelOf(mask, x, y)[i] : 200,
                              av = PixelOf(a.get(), x, y)[i], bv = PixelOf(b.get(), x, y)[i];
                    EXPECT_EQ(PixelOf(t.get(), x, y)[i], (k * (av - bv) + bv * 256) >> 8)
                        << x << "," << y;
                    EXPECT_EQ(PixelOf(t.get(), x, y)[3], 42);
                }
    }
}

TEST_F(BitmapBlend, ShadowMaskAndRoundShadow) {
    TBmpPtr bmp = MakeBmp(2, 2, 3), mask = MakeBmp(2, 2, 3);
    FillBytes(bmp.get(), 200, 100, 50);
    std::copy_n("\xFF\xFF\xFF", 3, PixelOf(mask.get(), 0, 0));
    ApplyShadowMask(bmp.get(), mask.get(), 0x0A141E); // B 0x0A, G 0x14, R 0x1E
    EXPECT_EQ(PixelOf(bmp.get(), 0, 0)[0], ((200 - 10) * 255 + 10 * 256) >> 8)
        << "white keeps (nearly)";
    EXPECT_EQ(PixelOf(bmp.get(), 1, 1)[0], 10) << "black gives the colour";
    EXPECT_EQ(PixelOf(bmp.get(), 1, 1)[2], 30);

    // Level 40 with 2 blur rings over R: the centre gets the mask's inner grey 102.
    TBmpPtr canvas = MakeBmp(30, 20, 3);
    FillBytes(canvas.get(), 200, 200, 200);
    PaintRoundShadow(canvas.get(), TRect(5, 4, 25, 16), 40, 0x000000, 2, 3);
    EXPECT_EQ(PixelOf(canvas.get(), 15, 10)[0], (200 * 102) >> 8);
    EXPECT_EQ(PixelOf(canvas.get(), 2, 2)[0], 200) << "outside R";
    EXPECT_EQ(PixelOf(canvas.get(), 26, 10)[1], 200) << "outside R";
}

} // namespace
