// Memory bitmaps for the pixel tests.
#include "PixelTesting.h"

TBmpPtr MakeBmp(int Width, int Height, int Bytes, std::uint32_t Seed) {
    TBmpPtr bmp(Bytes == 4 ? CreateBmp32(Width, Height) : CreateBmp24(Width, Height));
    std::uint32_t state = Seed;
    for (int y = 0; y < Height && Seed; ++y) {
        auto* row = static_cast<Byte*>(bmp->ScanLine(y));
        for (int i = 0; i < Width * Bytes; ++i) {
            state = state * 1664525u + 1013904223u;
            row[i] = static_cast<Byte>(state >> 24);
        }
    }
    return bmp;
}

Byte* PixelOf(TBitmap* Bmp, int X, int Y) {
    return static_cast<Byte*>(Bmp->ScanLine(Y)) + X * PixelBytes(Bmp);
}

std::vector<Byte> AllBytes(TBitmap* Bmp) {
    std::vector<Byte> bytes;
    const int width = Bmp->Width() * PixelBytes(Bmp);
    for (int y = 0; y < Bmp->Height(); ++y) {
        const auto* row = static_cast<const Byte*>(Bmp->ScanLine(y));
        bytes.insert(bytes.end(), row, row + width);
    }
    return bytes;
}

void FillBytes(TBitmap* Bmp, Byte B, Byte G, Byte R, Byte A) {
    const Byte pixel[4] = {B, G, R, A};
    for (int y = 0; y < Bmp->Height(); ++y)
        for (int x = 0; x < Bmp->Width(); ++x)
            std::copy_n(pixel, PixelBytes(Bmp), PixelOf(Bmp, x, y));
}
