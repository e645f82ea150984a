// Helpers of the pixel tests: memory bitmaps filled with known bytes, their bytes read back, and
// the framework started around each test (bitmaps need its graphics).
#pragma once

#include "framework/ModuleInit.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sMaskData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using TBmpPtr = TSkinBitmapPtr;

// A Width x Height bitmap of Bytes (3 or 4) bytes a pixel, every byte drawn from Seed (0: black).
TBmpPtr MakeBmp(int Width, int Height, int Bytes, std::uint32_t Seed = 0);
// The bytes of pixel (X, Y).
Byte* PixelOf(TBitmap* Bmp, int X, int Y);
// Every pixel byte, top row first, without row padding.
std::vector<Byte> AllBytes(TBitmap* Bmp);
// Sets every pixel of a bitmap to the bytes B, G, R (and A).
void FillBytes(TBitmap* Bmp, Byte B, Byte G, Byte R, Byte A = 0);

class PixelTest : public testing::Test {
protected:
    void SetUp() override { FFramework.Initialize(); }
    void TearDown() override { FFramework.Finalize(); }

private:
    TModuleEntry FFramework = FrameworkModule();
};
