// Solid fills, frames and frame-ring copies on device contexts. Every object selected into a DC
// is selected out and deleted again, and the DC's saved state restored, on every path.
#include "skin/engine/sFramePrimitives.h"

#include <memory>

namespace {

// A GDI object selected into a DC for the object's lifetime, then selected out and deleted.
class TSelected {
public:
    TSelected(HDC DC, HGDIOBJ Object) : FDC(DC), FObject(Object), FOld(SelectObject(DC, Object)) {}
    ~TSelected() {
        SelectObject(FDC, FOld);
        DeleteObject(FObject);
    }
    TSelected(const TSelected&) = delete;
    TSelected& operator=(const TSelected&) = delete;
    HGDIOBJ Object() const noexcept { return FObject; }

private:
    HDC FDC;
    HGDIOBJ FObject, FOld;
};

void FillRects(HDC DC, std::initializer_list<TRect> Rects, TColor Color) {
    const TSavedDC saved(DC);
    const TSelected brush(DC, CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Color))));
    for (const TRect& r : Rects) FillRect(DC, &r, static_cast<HBRUSH>(brush.Object()));
}

} // namespace

void PaintSolidRect(HDC DC, const TRect& R, TColor Color) { FillRects(DC, {R}, Color); }

void PaintSolidFrame(HDC DC, const TRect& R, int WL, int WT, int WR, int WB, TColor Color) {
    FillRects(DC,
              {TRect(R.left, R.top, R.right, R.top + WT),
               TRect(R.left, R.top + WT, R.left + WL, R.bottom),
               TRect(R.left + WL, R.bottom - WB, R.right, R.bottom),
               TRect(R.right - WR, R.top + WT, R.right, R.bottom - WB)},
              Color);
}

void CopyFrameStrips(HDC DstDC, int X, int Y, int Width, int Height, HDC SrcDC, int SrcX, int SrcY,
                     int BorderWidth) {
    const int bw = BorderWidth;
    auto copy = [&](int x, int y, int w, int h) {
        if (w > 0 && h > 0) BitBlt(DstDC, x, y, w, h, SrcDC, SrcX + x - X, SrcY + y - Y, SRCCOPY);
    };
    copy(X, Y, bw, Height);
    copy(X + bw, Y, Width - bw, bw);
    copy(X + Width - bw, Y + bw, bw, Height - bw);
    copy(X + bw, Y + Height - bw, Width - 2 * bw, bw);
}

void PaintFrame3DDC(HDC DC, TRect& R, TColor TopLeftColor, TColor BottomRightColor, int& Width) {
    const TSelected topLeft(
        DC, CreatePen(PS_SOLID, 1, static_cast<COLORREF>(ColorToRGB(TopLeftColor))));
    const HGDIOBJ bottomRight =
        CreatePen(PS_SOLID, 1, static_cast<COLORREF>(ColorToRGB(BottomRightColor)));
    const HGDIOBJ oldBrush = SelectObject(DC, GetStockObject(NULL_BRUSH));
    --R.right, --R.bottom;
    while (Width > 0) {
        --Width;
        const POINT first[3] = {{R.left, R.bottom}, {R.left, R.top}, {R.right, R.top}};
        SelectObject(DC, topLeft.Object());
        Polyline(DC, first, 3);
        const POINT second[3] = {{R.right, R.top}, {R.right, R.bottom}, {R.left - 1, R.bottom}};
        SelectObject(DC, bottomRight);
        Polyline(DC, second, 3);
        InflateRect(&R, -1, -1);
    }
    ++R.right, ++R.bottom;
    SelectObject(DC, topLeft.Object()); // the guard selects the old pen back and deletes both
    DeleteObject(bottomRight);
    SelectObject(DC, oldBrush);
}

void PaintDottedFrame(TCanvas* Canvas, const TRect& R) {
    const int n = R.Width() / 3, m = R.Height() / 3;
    for (int i = 0; i <= n; ++i) {
        const int x = R.left + 3 * i;
        Canvas->SetPixels(x, R.top, 0);
        Canvas->SetPixels(x, R.bottom, 0);
        Canvas->SetPixels(x - 1, R.top - 1, 0xFFFFFF);
        Canvas->SetPixels(x - 1, R.bottom - 1, 0xFFFFFF);
    }
    for (int j = 0; j <= m; ++j) {
        const int y = R.top + 3 * j;
        Canvas->SetPixels(R.left, y, 0);
        Canvas->SetPixels(R.right, y, 0);
        Canvas->SetPixels(R.left - 1, y - 1, 0xFFFFFF);
        Canvas->SetPixels(R.right - 1, y - 1, 0xFFFFFF);
    }
}
