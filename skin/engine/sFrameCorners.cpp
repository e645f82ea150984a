// The key-colour runs of a border mask's corners, from which window regions are cut. Skin data
// decides the rows and columns scanned, so each is checked against the image before it is read:
// the scan ends at the first row or column outside it, keeping the runs found so far.
#include "skin/engine/sFramePrimitives.h"

#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sMaskData.h"
#include "skin/engine/sSkinManager.h"

#include <algorithm>

namespace {

struct TCornerScan {
    TBitmap* Image;
    int Bytes;
    std::vector<TRect>& Rects;

    bool IsKey(int X, int Y) const {
        const Byte* p = static_cast<Byte*>(Image->ScanLine(Y)) + X * Bytes;
        return p[0] == 0xFF && p[1] == 0x00 && p[2] == 0xFF;
    }
    // Columns First..First + Count - 1 of image row Y; runs land at Left + (column - First), row
    // Row. False when the row or a column lies outside the image.
    bool Row(int Y, int First, int Count, int Left, int Row) {
        if (Y < 0 || Y >= Image->Height() || First < 0 || First + Count > Image->Width())
            return false;
        int run = -1;
        for (int c = 0; c <= Count; ++c) {
            const bool key = c < Count && IsKey(First + c, Y);
            if (key && run < 0) run = c;
            if (!key && run >= 0)
                Rects.push_back(TRect(Left + run, Row, Left + c, Row + 1)), run = -1;
        }
        return true;
    }
};

} // namespace

void CollectMaskCornerRects(std::vector<TRect>& Rects, int TargetWidth, const TsMaskData& MaskData,
                            int YOffset, bool Bottom) {
    if (!MaskData.Manager) return;
    TBitmap* image = MaskData.Bmp ? MaskData.Bmp.get() : MaskData.Manager->MasterBitmap.get();
    const int bytes = PixelBytes(image);
    if (!bytes) return;
    const TRect& r = MaskData.R;
    const int rows = Bottom ? MaskData.WB : MaskData.WT;
    const int y0 =
        Bottom ? r.top + r.Height() / std::max(1, MaskData.MaskType + 1) - MaskData.WB : r.top;
    const int sw = r.Width() / std::max<int>(1, MaskData.ImageCount);
    TCornerScan scan{image, bytes, Rects};
    for (int row = 0; row < rows; ++row)
        if (!scan.Row(y0 + row, r.left, MaskData.WL, 0, row + YOffset)) return;
    for (int row = 0; row < rows; ++row)
        if (!scan.Row(y0 + row, r.left + sw - MaskData.WR, MaskData.WR, TargetWidth - MaskData.WR,
                      row + YOffset))
            return;
}
