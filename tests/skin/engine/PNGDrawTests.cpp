// Drawing a decoded PNG onto a canvas: 32-bit pictures blend by their alpha over what the canvas
// shows (at their size, stretched, mirrored below), other pictures draw opaque.
#include "PNGTestImages.h"
#include "skin/engine/acPNG.h"

#include "framework/Streams.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

void LoadBytes(TPNGGraphic& graphic, const TTestPng& png) {
    const TPngBytes bytes = EncodePng(png);
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
    stream.SetPosition(0);
    graphic.LoadFromStream(&stream);
}

// A 24-bit canvas of one colour (blue, green, red).
struct TTarget {
    TTarget(int width, int height, Byte b, Byte g, Byte r) : Bitmap(width, height, pf24bit) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) Set(x, y, b, g, r);
    }
    void Set(int x, int y, Byte b, Byte g, Byte r) {
        Byte* p = static_cast<Byte*>(Bitmap.ScanLine(y)) + 3 * x;
        p[0] = b, p[1] = g, p[2] = r;
    }
    std::array<int, 3> At(int x, int y) {
        const Byte* p = static_cast<Byte*>(Bitmap.ScanLine(y)) + 3 * x;
        return {p[0], p[1], p[2]};
    }
    TBitmap Bitmap;
};

// A picture of one RGBA colour.
TTestPng Uniform(int width, int height, Word r, Word g, Word b, Word a) {
    TTestPng png = MakeTestPng(width, height, 6, 8, false);
    png.Samples.clear();
    for (int i = 0; i < width * height; ++i) png.Samples.insert(png.Samples.end(), {r, g, b, a});
    return png;
}

TEST(PNGDraw, BlendsByAlphaAtItsOwnSize) {
    TTestPng png = MakeTestPng(2, 2, 6, 8, false);
    png.Samples = {200, 100, 40, 0, 200, 100, 40, 128, 200, 100, 40, 255, 200, 100, 40, 64};
    TPNGGraphic graphic;
    LoadBytes(graphic, png);
    TTarget target(4, 4, 0, 0, 0);
    target.Bitmap.Canvas()->Draw(1, 1, &graphic);
    // d + ((s - d) x alpha >> 8) per channel, over black.
    EXPECT_EQ(target.At(1, 1), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(target.At(2, 1), (std::array<int, 3>{20, 50, 100}));
    EXPECT_EQ(target.At(1, 2), (std::array<int, 3>{39, 99, 199}));
    EXPECT_EQ(target.At(2, 2), (std::array<int, 3>{10, 25, 50}));
    // Outside the picture's rectangle the canvas is untouched.
    for (const auto& [x, y] : {std::pair{0, 0}, {3, 1}, {1, 3}, {3, 3}})
        EXPECT_EQ(target.At(x, y), (std::array<int, 3>{0, 0, 0})) << x << "," << y;
}

TEST(PNGDraw, StretchedPicturesKeepTheirAlpha) {
    struct TCase {
        Word Alpha;
        std::array<int, 3> Expected; // over blue, green, red = 60, 60, 60
    } cases[] = {{255, {30, 20, 10}}, {0, {60, 60, 60}}};
    for (const TCase& c : cases) {
        TPNGGraphic graphic;
        LoadBytes(graphic, Uniform(3, 2, 10, 20, 30, c.Alpha));
        TTarget target(9, 7, 60, 60, 60);
        target.Bitmap.Canvas()->StretchDraw(TRect(1, 1, 8, 6), &graphic);
        for (int y = 1; y < 6; ++y)
            for (int x = 1; x < 8; ++x)
                ASSERT_EQ(target.At(x, y), c.Expected)
                    << "alpha " << c.Alpha << " at " << x << "," << y;
        EXPECT_EQ(target.At(0, 0), (std::array<int, 3>{60, 60, 60}));
        EXPECT_EQ(target.At(8, 6), (std::array<int, 3>{60, 60, 60}));
    }
}

TEST(PNGDraw, ReflectionFadesBelowThePicture) {
    TPNGGraphic graphic;
    LoadBytes(graphic, Uniform(2, 4, 240, 240, 240, 255));
    graphic.Reflected = true;
    TTarget target(2, 8, 0, 0, 0);
    target.Bitmap.Canvas()->Draw(0, 0, &graphic);
    EXPECT_EQ(target.At(0, 3), (std::array<int, 3>{239, 239, 239})); // 240 x 255 >> 8
    // A faint mirror image within half the picture's height below it; nothing further down.
    const int mirrored = std::max(target.At(0, 4)[0], target.At(0, 5)[0]);
    EXPECT_GT(mirrored, 0);
    EXPECT_LT(mirrored, 120);
    EXPECT_EQ(target.At(0, 6), (std::array<int, 3>{0, 0, 0}));
    // Drawn without the flag, nothing appears below.
    graphic.Reflected = false;
    TTarget plain(2, 8, 0, 0, 0);
    plain.Bitmap.Canvas()->Draw(0, 0, &graphic);
    EXPECT_EQ(plain.At(0, 4), (std::array<int, 3>{0, 0, 0}));
}

TEST(PNGDraw, PicturesWithoutAlphaDrawOpaque) {
    TTestPng png = MakeTestPng(2, 1, 2, 8, false);
    png.Samples = {200, 100, 40, 1, 2, 3};
    TPNGGraphic graphic;
    LoadBytes(graphic, png);
    ASSERT_EQ(graphic.PixelFormat(), pf24bit);
    TTarget target(2, 1, 9, 9, 9);
    target.Bitmap.Canvas()->Draw(0, 0, &graphic);
    EXPECT_EQ(target.At(0, 0), (std::array<int, 3>{40, 100, 200}));
    EXPECT_EQ(target.At(1, 0), (std::array<int, 3>{3, 2, 1}));
}

} // namespace
