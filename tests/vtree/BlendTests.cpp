#include "vtree/VirtualTrees.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

namespace {

using TPixel = std::array<Byte, 4>; // blue, green, red, alpha

struct TKernelCase {
    const char* Name;
    std::function<void(const Byte*, Byte*)> Kernel;
    TPixel Source, Destination, Expected;
};

TEST(VTBlend, KernelsAreByteExact) {
    using namespace vtree_blend;
    const TKernelCase cases[] = {
        {"constant alpha 0 keeps the destination",
         [](const Byte* s, Byte* d) { BlendRowConstant(s, d, 1, 0, 0); },
         {255, 255, 255, 255},
         {10, 20, 30, 40},
         {10, 20, 30, 40}},
        {"constant alpha 255, white over black gives 254",
         [](const Byte* s, Byte* d) { BlendRowConstant(s, d, 1, 255, 0); },
         {255, 255, 255, 255},
         {0, 0, 0, 0},
         {254, 254, 254, 254}},
        {"constant alpha 128 with bias +10",
         [](const Byte* s, Byte* d) { BlendRowConstant(s, d, 1, 128, 10); },
         {200, 0, 100, 0},
         {0, 200, 100, 0},
         {110, 110, 110, 10}},
        {"the header drag's bias -50 saturates at 0",
         [](const Byte* s, Byte* d) { BlendRowConstant(s, d, 1, 128, -50); },
         {20, 100, 255, 0},
         {20, 100, 255, 0},
         {0, 50, 205, 0}},
        {"per-pixel alpha comes from the source's alpha byte",
         [](const Byte* s, Byte* d) { BlendRowPerPixel(s, d, 1, 0); },
         {200, 200, 200, 64},
         {100, 0, 255, 255},
         {125, 50, 241, 207}},
        {"master alpha scales the source alpha",
         [](const Byte* s, Byte* d) { BlendRowMaster(s, d, 1, 128, 0); },
         {255, 255, 255, 128},
         {0, 0, 0, 0},
         {63, 63, 63, 32}},
        {"colour red at 128 over white halves the alpha byte",
         [](const Byte*, Byte* d) { BlendRowColor(d, 1, 128, RGB(255, 0, 0)); },
         {0, 0, 0, 0},
         {255, 255, 255, 255},
         {127, 127, 255, 127}},
    };
    for (const TKernelCase& test : cases) {
        TPixel destination = test.Destination;
        test.Kernel(test.Source.data(), destination.data());
        for (int channel = 0; channel < 4; ++channel)
            EXPECT_EQ(destination[channel], test.Expected[channel])
                << test.Name << ", channel " << channel;
    }
}

TBitmap* Filled(TBitmap* Bitmap, TColor Color) {
    Bitmap->Canvas()->Brush()->SetColor(Color);
    Bitmap->Canvas()->FillRect({0, 0, Bitmap->Width(), Bitmap->Height()});
    return Bitmap;
}

TColor Pixel(TBitmap& Bitmap, int X, int Y) {
    const Byte* pixel = static_cast<const Byte*>(Bitmap.ScanLine(Y)) + X * 4;
    return MakeColor(pixel[2], pixel[1], pixel[0]);
}

TEST(VTBlend, AlphaBlendRectClipsRectangleAndTargetToBothBitmaps) {
    TBitmap source(4, 4, pf32bit), target(4, 4, pf32bit);
    Filled(&source, clWhite);
    Filled(&target, clBlack);
    // Reaches past every edge of both bitmaps: only source (0, 0) onto target (3, 3) remains.
    AlphaBlendRect(source.Canvas()->Handle(), target.Canvas()->Handle(), {-2, -2, 6, 6}, {1, 1},
                   blendConstant, 255, 0);
    EXPECT_EQ(Pixel(target, 3, 3), MakeColor(254, 254, 254));
    EXPECT_EQ(Pixel(target, 2, 2), clBlack);
    EXPECT_EQ(Pixel(target, 3, 0), clBlack);
    EXPECT_EQ(Pixel(target, 0, 3), clBlack);
}

TEST(VTBlend, ColourModeAddressesTheTopRowOfABottomUpBitmap) {
    TBitmap target(3, 3, pf32bit);
    Filled(&target, clWhite);
    AlphaBlendRect(nullptr, target.Canvas()->Handle(), {0, 0, 10, 1}, {}, blendMasterAndColor, 128,
                   static_cast<int>(RGB(255, 0, 0)));
    EXPECT_EQ(Pixel(target, 0, 0), MakeColor(255, 127, 127));
    EXPECT_EQ(Pixel(target, 2, 0), MakeColor(255, 127, 127));
    EXPECT_EQ(Pixel(target, 0, 1), clWhite);
}

TEST(VTBlend, BitmapsThatAreNot32BitAreRefused) {
    TBitmap target(3, 3, pf24bit);
    Filled(&target, clWhite);
    try {
        AlphaBlendRect(nullptr, target.Canvas()->Handle(), {0, 0, 1, 1}, {}, blendMasterAndColor,
                       128, 0);
        FAIL() << "no exception";
    } catch (const EAssertionFailed& error) {
        EXPECT_EQ(error.Message(), L"Alpha blending error: bitmap must use 32 bpp. (VirtualTrees)");
    }
}

} // namespace
