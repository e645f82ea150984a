// Gradient painting into memory bitmaps against the band rules evaluated per row and column, and
// the triangle mesh as handed to the bound GradientFill (a test double records it).
#include "PixelTesting.h"
#include "skin/engine/sGradient.h"

#include <cmath>
#include <vector>

namespace {

using Gradient = PixelTest;

// The channel (0 blue, 1 green, 2 red) of step K of Steps from C1 to C2.
int Step(TColor C1, TColor C2, int Channel, int K, int Steps) {
    const int shift = 16 - 8 * Channel;
    const int a = (C1 >> shift) & 0xFF, b = (C2 >> shift) & 0xFF;
    return int(std::nearbyint(a + K * double(b - a) / Steps));
}

// Expects rows First..Last of column X to be steps 0.. of Steps from C1 to C2.
void ExpectBand(TBitmap* Bmp, int X, int First, int Last, int Steps, TColor C1, TColor C2) {
    for (int y = First; y <= Last; ++y)
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(PixelOf(Bmp, X, y)[i], Step(C1, C2, i, y - First, Steps))
                << "row " << y << " channel " << i;
}

TEST_F(Gradient, VerticalBandsShareTheirMeetingRow) {
    TBmpPtr bmp = MakeBmp(4, 100, 4);
    const TsGradArray bands = {{0xFFFFFF, 0xC0C0C0, 50, 0, 0}, {0xC0C0C0, 0x404040, 50, 0, 0}};
    PaintGradient(bmp.get(), TRect(1, 0, 3, 100), bands);
    ExpectBand(bmp.get(), 1, 50, 99, 49, 0xC0C0C0, 0x404040); // rows 50..99, row 50 painted again
    ExpectBand(bmp.get(), 2, 0, 49, 50, 0xFFFFFF, 0xC0C0C0);  // the first band's rows but its last
    EXPECT_EQ(PixelOf(bmp.get(), 1, 99)[3], 255) << "alpha of a 32-bit pixel";
    EXPECT_EQ(PixelOf(bmp.get(), 0, 10)[0], 0) << "left of R";
    EXPECT_EQ(PixelOf(bmp.get(), 3, 10)[0], 0) << "right of R";
}

TEST_F(Gradient, TheLastBandAlwaysReachesTheBottom) {
    TBmpPtr bmp = MakeBmp(3, 20, 3);
    PaintGradient(bmp.get(), TRect(0, 5, 3, 40),
                  {{0x000000, 0x0000FF, 0, 0, 0}}); // beyond the bitmap
    ExpectBand(bmp.get(), 0, 5, 19, 14, 0x000000, 0x0000FF);
    EXPECT_EQ(PixelOf(bmp.get(), 0, 4)[2], 0) << "above R";
    EXPECT_EQ(PixelOf(bmp.get(), 2, 19)[2], 255);
}

TEST_F(Gradient, HorizontalBandsInEveryRow) {
    TBmpPtr bmp = MakeBmp(12, 3, 3);
    const TsGradArray bands = {{0x000000, 0x00FF00, 25, 1, 0}, {0x00FF00, 0xFF0000, 75, 1, 0}};
    PaintGradient(bmp.get(), TRect(2, 0, 10, 2), bands); // 8 wide: columns 2..4, then 4..9
    for (int y = 0; y < 2; ++y)
        for (int x = 2; x < 10; ++x)
            for (int i = 0; i < 3; ++i) {
                const int want = x < 4 ? Step(0x000000, 0x00FF00, i, x - 2, 2)
                                       : Step(0x00FF00, 0xFF0000, i, x - 4, 5);
                EXPECT_EQ(PixelOf(bmp.get(), x, y)[i], want) << x << "," << y;
            }
    EXPECT_EQ(PixelOf(bmp.get(), 5, 2)[1], 0) << "below R";
    EXPECT_EQ(PixelOf(bmp.get(), 10, 0)[0], 0) << "right of R";
}

TEST_F(Gradient, NothingForEmptyBandsOrOtherModes) {
    for (const TsGradArray& bands : {TsGradArray{}, TsGradArray{{0xFFFFFF, 0xFFFFFF, 100, 3, 0}}}) {
        TBmpPtr bmp = MakeBmp(4, 4, 3);
        PaintGradient(bmp.get(), TRect(0, 0, 4, 4), bands);
        EXPECT_EQ(AllBytes(bmp.get()), std::vector<Byte>(48, 0));
    }
    PaintGradient(nullptr, TRect(0, 0, 4, 4), {{0xFFFFFF, 0xFFFFFF, 100, 0, 0}});
}

// The test double of GradientFill: records what it is handed.
std::vector<TRIVERTEX> Vertices;
std::vector<GRADIENT_TRIANGLE> Triangles;
ULONG FillMode = 0;

BOOL WINAPI RecordGradientFill(HDC, PTRIVERTEX V, ULONG NV, PVOID M, ULONG NM, ULONG Mode) {
    Vertices.assign(V, V + NV);
    const auto* t = static_cast<GRADIENT_TRIANGLE*>(M);
    Triangles.assign(t, t + NM);
    FillMode = Mode;
    return TRUE;
}

TEST_F(Gradient, TrianglesGoToTheBoundGradientFill) {
    TBmpPtr bmp = MakeBmp(20, 10, 3);
    Vertices.clear();
    PaintGradient(bmp.get(), TRect(0, 0, 20, 10), {{0x123456, 0, 0, 2, 0}});
    EXPECT_TRUE(Vertices.empty()) << "unbound: nothing";

    GradientFillProc = RecordGradientFill;
    PaintGradient(bmp.get(), TRect(2, 0, 30, 10), {{0x123456, 0, 0, 2, 0}, {0x0000FF, 0, 0, 2, 0}});
    GradientFillProc = nullptr;
    ASSERT_EQ(Vertices.size(), 5u);
    const LONG x[5] = {2, 11, 20, 20, 2}, y[5] = {0, 5, 0, 10, 10}; // R limited to the bitmap
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(Vertices[k].x, x[k]) << k;
        EXPECT_EQ(Vertices[k].y, y[k]) << k;
        EXPECT_EQ(Vertices[k].Red, k == 0 ? 0x5600 : 0xFF00) << k; // later vertices: the last band
        EXPECT_EQ(Vertices[k].Blue, k == 0 ? 0x1200 : 0) << k;
        EXPECT_EQ(Vertices[k].Alpha, 0) << k;
    }
    ASSERT_EQ(Triangles.size(), 4u);
    EXPECT_EQ(Triangles[3].Vertex1, 4u);
    EXPECT_EQ(Triangles[3].Vertex3, 3u);
    EXPECT_EQ(FillMode, ULONG(GRADIENT_FILL_TRIANGLE));
}

} // namespace
