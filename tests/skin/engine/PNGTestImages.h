// PNG files made in the tests, byte by byte: the samples, palette and extra chunks are chosen
// by the test, the rows are filtered with every filter type in turn (Adam7 passes included) and
// packed with zlib, so a decoder's output can be compared with the samples exactly.
#pragma once

#include "framework/Graphics.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

using TPngBytes = std::string;
using TRGBA = std::array<Byte, 4>;

struct TTestPng {
    int Width = 1;
    int Height = 1;
    Byte ColourType = 6;
    Byte BitDepth = 8;
    bool Interlaced = false;
    std::vector<Word> Samples;                // per pixel, the colour type's samples in order
    std::vector<std::array<Byte, 3>> Palette; // a PLTE chunk when not empty
    std::vector<std::pair<std::string, TPngBytes>> Extra; // chunks before the image data

    int SamplesPerPixel() const;
    // The picture as straight RGBA, from the samples (alpha 255 where the type has none).
    TRGBA Expected(int x, int y) const;
};

// A test picture with pseudo-random samples of the full range (indexes below the palette's
// size), the palette made for indexed pictures.
TTestPng MakeTestPng(int width, int height, Byte colourType, Byte bitDepth, bool interlaced);

TPngBytes BigEndian32(unsigned value);
TPngBytes PngChunk(const char* type, const TPngBytes& data);
TPngBytes PngHeader(unsigned width, unsigned height, Byte bitDepth, Byte colourType,
                    Byte compression = 0, Byte interlace = 0);
// The rows of the picture filtered and deflated: an IDAT chunk's data.
TPngBytes PngImageData(const TTestPng& png);
TPngBytes EncodePng(const TTestPng& png);
extern const TPngBytes PngSignature;

// A decoded bitmap's pixel as RGBA: indexed formats through their colour table, alpha 255
// unless the bitmap is 32-bit.
TRGBA DecodedPixel(TBitmap& bitmap, int x, int y);
