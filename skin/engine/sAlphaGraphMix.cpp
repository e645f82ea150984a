// Mixing a colour into a bitmap and filling the transparent places of a control image with its
// parent's pixels: both prepare a control's cache bitmap before it is shown.
#include "skin/engine/sAlphaGraph.h"

#include "framework/Conversions.h"
#include "skin/engine/sGeneralUtils.h"
#include "skin/engine/sSkinManager.h"

#include <algorithm>

namespace {

constexpr DWORD ColourBytes = 0xFFFFFF;

// The key-colour test of one pixel of a mask image laid with its top-left corner at Origin.
struct TMaskTest {
    TBitmap* Image = nullptr;
    int Bytes = 0;
    TPoint Origin;

    bool Transparent(int X, int Y) const {
        const int x = Origin.x + X, y = Origin.y + Y;
        if (x < 0 || y < 0 || x >= Image->Width() || y >= Image->Height()) return false;
        const Byte* p = static_cast<Byte*>(Image->ScanLine(y)) + x * Bytes;
        return RGB(p[2], p[1], p[0]) == static_cast<DWORD>(TransparentKeyColor);
    }
};

bool MaskTest(TsSkinManager* Manager, int MaskIndex, int Corner, TMaskTest& Test) {
    if (!Manager || !Manager->IsValidImgIndex(MaskIndex)) return false;
    const TsMaskData& mask = Manager->ma[MaskIndex];
    Test.Image = mask.Bmp ? mask.Bmp.get() : Manager->MasterBitmap.get();
    Test.Bytes = PixelBytes(Test.Image);
    const bool right = Corner == 14 || Corner == 17, bottom = Corner == 16 || Corner == 17;
    Test.Origin = TPoint(mask.R.left + (right ? MaskStateWidth(mask) - mask.WR : 0),
                         mask.R.top + (bottom ? MaskStateHeight(mask) - mask.WB : 0));
    return Test.Bytes != 0;
}

} // namespace

void BlendBmpWithColor(TBitmap* Bmp, const TRect& R, int Percent, TColor Color) {
    const int bytes = PixelBytes(Bmp);
    if (!bytes) return;
    const int left = std::max<int>(R.left, 0), right = std::min<int>(R.right, Bmp->Width() - 1);
    const int top = std::max<int>(R.top, 0), bottom = std::min<int>(R.bottom, Bmp->Height() - 1);
    if (left > right || top > bottom) return;
    const double f = Percent / 100.0, g = 1 - f;
    const auto c = static_cast<DWORD>(ColorToRGB(Color));
    const double mix[3] = {g * ((c >> 16) & 0xFF), g * ((c >> 8) & 0xFF), g * (c & 0xFF)};
    // Every result is one of 256 per channel: computed once, looked up per pixel.
    Byte table[3][256];
    for (int i = 0; i < 3; ++i)
        for (int v = 0; v < 256; ++v) table[i][v] = Byte(ClampToByte(int(Round(v * f + mix[i]))));
    for (int y = top; y <= bottom; ++y) {
        Byte* p = static_cast<Byte*>(Bmp->ScanLine(y)) + left * bytes;
        for (int x = left; x <= right; ++x, p += bytes) {
            p[0] = table[0][p[0]];
            p[1] = table[1][p[1]];
            p[2] = table[2][p[2]];
        }
    }
}

void CopyTransparentPixels(TBitmap* Dst, TBitmap* Src, const TRect& R, int Corner,
                           TsSkinManager* Manager, int MaskIndex, const TRect& SrcR) {
    TacFast32 dst, src;
    if (!dst.Attach(Dst) || !src.Attach(Src)) return;
    TMaskTest mask;
    if (MaskIndex != -1 && !MaskTest(Manager, MaskIndex, Corner, mask)) return;
    const int width = RectSpanX(R, true), height = RectSpanY(R, true);
    for (int j = 0; j < height; ++j) {
        const int dy = R.top + j, sy = SrcR.top + j;
        if (dy < 0 || sy < 0 || dy >= dst.Height() || sy >= src.Height()) continue;
        for (int i = 0; i < width; ++i) {
            const int dx = R.left + i, sx = SrcR.left + i;
            if (dx < 0 || sx < 0 || dx >= dst.Width() || sx >= src.Width()) continue;
            const bool hole = mask.Image ? mask.Transparent(i, j)
                                         : (dst.ReadPixel(dx, dy) & ColourBytes) ==
                                               static_cast<DWORD>(TransparentKeyColor);
            if (hole) dst.WritePixel(dx, dy, src.ReadPixel(sx, sy));
        }
    }
}
