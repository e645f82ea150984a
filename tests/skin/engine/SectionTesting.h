// Helpers of the section-painting tests: a manager holding a generated skin, pixels read as
// 0xRRGGBB numbers (the way the generator's constants are written), the blends the painters use
// computed independently, and a PNG of a bitmap for people to look at.
#pragma once

#include "PixelTesting.h"
#include "SkinEngineTesting.h"

#include <string>

// Pixel (X, Y) of a 24- or 32-bit bitmap as 0xRRGGBB.
unsigned RgbAt(TBitmap* Bmp, int X, int Y);
// The skin colour (0x00BBGGRR) of a 0xRRGGBB constant, and back.
TColor SkinColour(unsigned Rgb);
unsigned RgbOf(TColor Colour);
// The constant-alpha blend of two 0xRRGGBB colours, Alpha weighting Under: per channel
// (under x Alpha + over x (255 - Alpha) + 127) >> 8.
unsigned AlphaBlend(unsigned Under, unsigned Over, int Alpha);
// Percent of Pixel and the rest of Colour, per channel rounded to nearest, halves to even.
unsigned PercentMix(unsigned Pixel, int Percent, unsigned Colour);
// A bitmap of two greys in Cell-pixel squares.
TBmpPtr MakeChecker(int Width, int Height, int Bytes, int Cell);
// Writes the bitmap as a PNG file (8-bit RGB) named Name in the working folder.
void SavePng(TBitmap* Bmp, const std::string& Name);

// A manager that has read the generated skin Name from its folder.
class SectionTest : public SkinManagerTest {
protected:
    void LoadSkin(const wchar_t* Name) { Load(FolderSkins(), Name); }
};
