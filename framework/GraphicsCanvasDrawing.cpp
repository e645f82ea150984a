// The drawing operations of TCanvas. Each one asks RequiredState for exactly the objects its
// GDI call uses and brackets the call with Changing/Changed, so that a bitmap's canvas reports
// every change of the picture to the bitmap.
#include "framework/Graphics.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr UINT TextFormatCodes[] = {
    DT_BOTTOM,
    DT_CALCRECT,
    DT_CENTER,
    DT_EDITCONTROL,
    DT_END_ELLIPSIS,
    DT_PATH_ELLIPSIS,
    DT_EXPANDTABS,
    DT_EXTERNALLEADING,
    DT_LEFT,
    DT_NOCLIP,
    DT_NOPREFIX,
    DT_RIGHT,
    DT_RTLREADING,
    DT_SINGLELINE,
    DT_TOP,
    DT_VCENTER,
    DT_WORDBREAK,
    DT_HIDEPREFIX,
    DT_NOFULLWIDTHCHARBREAK,
    DT_PREFIXONLY,
    DT_TABSTOP,
    DT_WORD_ELLIPSIS,
};
static_assert(std::size(TextFormatCodes) == tfWordEllipsis + 1, "one code per text format");

UINT DrawTextFlags(TTextFormat format) {
    UINT flags = 0;
    for (int option = 0; option <= tfWordEllipsis; ++option)
        if (format.Contains(static_cast<TTextFormats>(option))) flags |= TextFormatCodes[option];
    return flags;
}

int PointCount(const std::vector<TPoint>& points) { return static_cast<int>(points.size()); }

} // namespace

TPoint TCanvas::PenPos() {
    RequiredState({csHandleValid});
    TPoint position;
    ::GetCurrentPositionEx(FHandle, &position);
    return position;
}

TRect TCanvas::ClipRect() {
    RequiredState({csHandleValid});
    TRect rect;
    ::GetClipBox(FHandle, &rect);
    return rect;
}

void TCanvas::FillRect(const TRect& rect) {
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::FillRect(FHandle, &rect, FBrush->Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& rect) {
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::FrameRect(FHandle, &rect, FBrush->Handle());
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& rect) {
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::DrawFocusRect(FHandle, &rect);
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Rectangle(FHandle, x1, y1, x2, y2);
    Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Ellipse(FHandle, x1, y1, x2, y2);
    Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::RoundRect(FHandle, x1, y1, x2, y2, cornerWidth, cornerHeight);
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Polygon(FHandle, points.data(), PointCount(points));
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Polyline(FHandle, points.data(), PointCount(points));
    Changed();
}

void TCanvas::MoveTo(int x, int y) {
    RequiredState({csHandleValid});
    ::MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::LineTo(FHandle, x, y);
    Changed();
}

void TCanvas::TextOut(int x, int y, const UnicodeString& text) {
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    ::ExtTextOutW(FHandle, x, y, static_cast<UINT>(FTextFlags), nullptr, text.c_str(),
                  static_cast<UINT>(text.size()), nullptr);
    MoveTo(x + TextWidth(text), y);
    Changed();
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const UnicodeString& text) {
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    UINT options = ETO_CLIPPED | static_cast<UINT>(FTextFlags);
    if (FBrush->Style() != bsClear) options |= ETO_OPAQUE;
    ::ExtTextOutW(FHandle, x, y, options, &rect, text.c_str(), static_cast<UINT>(text.size()),
                  nullptr);
    Changed();
}

// Measuring (tfCalcRect) draws nothing, so it reports no change.
void TCanvas::TextRect(TRect& rect, const UnicodeString& text, TTextFormat format) {
    const bool draws = !format.Contains(tfCalcRect);
    if (draws) Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    ::DrawTextW(FHandle, text.c_str(), static_cast<int>(text.size()), &rect, DrawTextFlags(format));
    if (draws) Changed();
}

TSize TCanvas::TextExtent(const UnicodeString& text) {
    RequiredState({csHandleValid, csFontValid});
    TSize size;
    ::GetTextExtentPoint32W(FHandle, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

TColor TCanvas::Pixels(int x, int y) {
    RequiredState({csHandleValid});
    return static_cast<TColor>(::GetPixel(FHandle, x, y));
}

void TCanvas::SetPixels(int x, int y, TColor color) {
    Changing();
    RequiredState({csHandleValid, csPenValid});
    ::SetPixel(FHandle, x, y, static_cast<COLORREF>(ColorToRGB(color)));
    Changed();
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    StretchDraw(TRect(x, y, x + graphic->Width(), y + graphic->Height()), graphic);
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    Changing();
    RequiredState({csHandleValid});
    ::SetStretchBltMode(FHandle, COLORONCOLOR);
    graphic->Draw(this, rect);
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source) {
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    const HDC sourceDC = canvas->Handle();
    ::StretchBlt(FHandle, dest.left, dest.top, dest.Width(), dest.Height(), sourceDC, source.left,
                 source.top, source.Width(), source.Height(), static_cast<DWORD>(FCopyMode));
    Changed();
}
