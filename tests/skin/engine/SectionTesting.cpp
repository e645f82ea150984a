#include "SectionTesting.h"

#include "PNGTestImages.h"

#include <cmath>
#include <fstream>

unsigned RgbAt(TBitmap* Bmp, int X, int Y) {
    const Byte* p = PixelOf(Bmp, X, Y);
    return unsigned(p[2]) << 16 | unsigned(p[1]) << 8 | p[0];
}

TColor SkinColour(unsigned Rgb) {
    return static_cast<TColor>((Rgb & 0xFF) << 16 | (Rgb & 0xFF00) | (Rgb >> 16 & 0xFF));
}

unsigned RgbOf(TColor Colour) { return static_cast<unsigned>(SkinColour(unsigned(Colour))); }

namespace {

template <class Mix> unsigned PerChannel(unsigned A, unsigned B, Mix mix) {
    unsigned result = 0;
    for (int shift = 0; shift < 24; shift += 8)
        result |= unsigned(mix(int(A >> shift & 0xFF), int(B >> shift & 0xFF))) << shift;
    return result;
}

} // namespace

unsigned AlphaBlend(unsigned Under, unsigned Over, int Alpha) {
    return PerChannel(Under, Over,
                      [&](int u, int o) { return (u * Alpha + o * (255 - Alpha) + 127) >> 8; });
}

unsigned PercentMix(unsigned Pixel, int Percent, unsigned Colour) {
    const double f = Percent / 100.0, g = 1 - f;
    return PerChannel(Pixel, Colour,
                      [&](int p, int c) { return int(std::nearbyint(p * f + g * c)); });
}

TBmpPtr MakeChecker(int Width, int Height, int Bytes, int Cell) {
    TBmpPtr bmp = MakeBmp(Width, Height, Bytes);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const Byte level = (x / Cell + y / Cell) % 2 ? 0xD4 : 0xFC;
            Byte* p = PixelOf(bmp.get(), x, y);
            p[0] = p[1] = p[2] = level;
            if (Bytes == 4) p[3] = 255;
        }
    return bmp;
}

void SavePng(TBitmap* Bmp, const std::string& Name) {
    TTestPng png;
    png.Width = Bmp->Width();
    png.Height = Bmp->Height();
    png.ColourType = 2;
    for (int y = 0; y < png.Height; ++y)
        for (int x = 0; x < png.Width; ++x) {
            const Byte* p = PixelOf(Bmp, x, y);
            png.Samples.insert(png.Samples.end(), {p[2], p[1], p[0]});
        }
    std::ofstream(Name, std::ios::binary) << EncodePng(png);
}
