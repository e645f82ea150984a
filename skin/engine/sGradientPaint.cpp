// Painting gradient bands. A band is a run of rows (or columns) whose colour moves evenly from
// its first to its second colour; rows are written through scan lines, the colour of the k-th
// row of a band being c1 + k x (c2 - c1) / (rows - 1), rounded with halves to the even
// neighbour. A horizontal gradient is the same in every row, so one row is built and copied.
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sGradient.h"

#include "framework/Conversions.h"

#include <algorithm>
#include <cstring>
#include <vector>

TGradientFillProc GradientFillProc = nullptr;

namespace {

// The pixel bytes (B, G, R and alpha 255) of step K of Steps from C1 to C2.
void StepColour(Byte* Pixel, TColor C1, TColor C2, int K, int Steps) {
    for (int i = 0; i < 3; ++i) {
        const int shift = 16 - 8 * i; // blue first
        const int a = (static_cast<DWORD>(C1) >> shift) & 0xFF,
                  b = (static_cast<DWORD>(C2) >> shift) & 0xFF;
        Pixel[i] = Byte(ClampToByte(int(Round(a + K * (double(b - a) / Steps)))));
    }
    Pixel[3] = 255;
}

// One pixel, then the filled part copied onto the rest, doubling: a few block copies a row.
void FillRow(Byte* Row, int Left, int Right, int Bytes, const Byte* Pixel) {
    if (Right <= Left) return;
    Byte* start = Row + Left * Bytes;
    const size_t size = size_t(Right - Left) * Bytes;
    std::memcpy(start, Pixel, Bytes);
    for (size_t done = Bytes; done < size; done *= 2)
        std::memcpy(start + done, start, std::min(done, size - done));
}

void PaintRows(TBitmap* Bmp, const TRect& R, const TsGradArray& Arr, int Offset, int Bytes) {
    const int last = std::min<int>(R.bottom, Bmp->Height()) - 1;
    const int right = std::min<int>(R.right, Bmp->Width());
    int y = R.top + Offset;
    for (size_t i = 0; i < Arr.size(); ++i) {
        const int start = y;
        y = (R.bottom - R.top + Offset) * Arr[i].Percent / 100 + start;
        y = i + 1 == Arr.size() ? last : std::min(y, last);
        if (y - start <= 0) continue;
        Byte pixel[4];
        for (int row = std::max(start, 0); row <= y; ++row) {
            StepColour(pixel, Arr[i].Color1, Arr[i].Color2, row - start, y - start);
            FillRow(static_cast<Byte*>(Bmp->ScanLine(row)), R.left, right, Bytes, pixel);
        }
    }
}

void PaintColumns(TBitmap* Bmp, const TRect& R, const TsGradArray& Arr, int Bytes) {
    const int last = std::min<int>(R.right, Bmp->Width()) - 1;
    if (last < R.left || R.bottom <= R.top) return;
    std::vector<Byte> line(size_t(Bmp->Width()) * Bytes);
    int x = R.left;
    for (size_t i = 0; i < Arr.size(); ++i) {
        const int start = x;
        x = int(Round(Arr[i].Percent * ((R.right - R.left) / 100.0) + start));
        x = i + 1 == Arr.size() ? last : std::min(x, last);
        Byte pixel[4];
        for (int column = start; column <= x && x - start > 0; ++column) {
            StepColour(pixel, Arr[i].Color1, Arr[i].Color2, column - start, x - start);
            std::memcpy(&line[size_t(column) * Bytes], pixel, Bytes);
        }
    }
    const size_t from = size_t(R.left) * Bytes, count = size_t(last + 1 - R.left) * Bytes;
    for (int row = R.top; row < R.bottom; ++row)
        std::memcpy(static_cast<Byte*>(Bmp->ScanLine(row)) + from, &line[from], count);
}

TRIVERTEX Vertex(LONG X, LONG Y, TColor Color) {
    const auto c = static_cast<DWORD>(Color);
    return TRIVERTEX{
        X, Y, COLOR16((c & 0xFF) << 8), COLOR16(c & 0xFF00), COLOR16((c >> 8) & 0xFF00), 0};
}

void PaintTriangles(TBitmap* Bmp, const TRect& R, const TsGradArray& Arr) {
    if (!GradientFillProc) return;
    auto colour = [&](size_t k) { return Arr[std::min(k, Arr.size() - 1)].Color1; };
    TRIVERTEX vertices[5] = {
        Vertex(R.left, R.top, colour(0)),
        Vertex(R.left + (R.right - R.left) / 2, R.top + (R.bottom - R.top) / 2, colour(1)),
        Vertex(R.right, R.top, colour(2)), Vertex(R.right, R.bottom, colour(3)),
        Vertex(R.left, R.bottom, colour(4))};
    GRADIENT_TRIANGLE triangles[4] = {{0, 1, 2}, {1, 2, 3}, {0, 1, 4}, {4, 1, 3}};
    GradientFillProc(Bmp->Canvas()->Handle(), vertices, 5, triangles, 4, GRADIENT_FILL_TRIANGLE);
}

} // namespace

void PaintGradient(TBitmap* Bmp, TRect R, const TsGradArray& Arr, int Offset) {
    const int bytes = PixelBytes(Bmp);
    if (!bytes || Arr.empty()) return;
    R.right = std::min<LONG>(R.right, Bmp->Width());
    R.bottom = std::min<LONG>(R.bottom, Bmp->Height());
    R.left = std::max<LONG>(R.left, 0);
    R.top = std::max<LONG>(R.top, 0);
    switch (Arr.front().Mode1) {
    case 0: PaintRows(Bmp, R, Arr, Offset, bytes); break;
    case 1: PaintColumns(Bmp, R, Arr, bytes); break;
    case 2: PaintTriangles(Bmp, R, Arr); break;
    default: break;
    }
}
