// The faces and captions of header cells in their states. The XP-style face is drawn by hand
// (so that it looks the same with and without visual styles): a normal cell with its separator
// and three bottom lines shading towards the frame, a hot cell with the underline pictures of
// the utility list, a pressed cell darker with a three-line frame. Captions are shortened with
// "..." or drawn as wrapped; a hot caption takes the HeaderHotColor, a disabled one is
// embossed. Under visual styles the face is the theme's header item.
#include "vtree/VTWindow.h"

#include "framework/Themes.h"

#include <vector>

namespace {

void Line(HDC DC, TColor Color, std::initializer_list<POINT> Points) {
    TOwnedPen pen(CreatePen(PS_SOLID, 1, static_cast<COLORREF>(Color)));
    if (!pen) RaiseLastOSError(L"CreatePen");
    HGDIOBJ old = SelectObject(DC, pen.Get());
    const std::vector<POINT> points(Points);
    Polyline(DC, points.data(), static_cast<int>(points.size()));
    SelectObject(DC, old);
}

void Fill(HDC DC, const TRect& R, TColor Color) {
    TOwnedBrush brush(CreateSolidBrush(static_cast<COLORREF>(Color)));
    if (!brush) RaiseLastOSError(L"CreateSolidBrush");
    ::FillRect(DC, &R, brush.Get());
}

const TColor NormalFace = MakeColor(235, 234, 219);
const TColor HotFace = MakeColor(250, 248, 243);
const TColor PressedFace = MakeColor(222, 223, 216);

// The hot underline: the start, middle and end pictures of the utility list. Its pictures are
// 16 x 16 with the underline in their bottom three rows.
void DrawHotUnderline(HDC DC, const TRect& R) {
    TCustomImageList* utilities = vtree_resources::UtilityList();
    TCanvas canvas;
    canvas.SetHandle(DC);
    const int y = R.bottom - utilities->Height();
    try {
        if (R.Width() > 32) {
            utilities->Draw(&canvas, R.left, y, vtree_resources::HotUnderlineLeftImage);
            for (int x = R.left + 16; x + 16 < R.right; x += 16)
                utilities->Draw(&canvas, x, y, vtree_resources::HotUnderlineMiddleImage);
            utilities->Draw(&canvas, R.right - 16, y, vtree_resources::HotUnderlineRightImage);
        } else {
            utilities->Draw(&canvas, R.right - 16, y, vtree_resources::HotUnderlineRightImage);
            const int saved = SaveDC(DC);
            IntersectClipRect(DC, R.left, R.top, R.left + R.Width() / 2, R.bottom);
            utilities->Draw(&canvas, R.left, y, vtree_resources::HotUnderlineLeftImage);
            RestoreDC(DC, saved);
        }
    } catch (...) {
        canvas.SetHandle(nullptr);
        throw;
    }
    canvas.SetHandle(nullptr);
}

} // namespace

void TVirtualTreeWindow::PaintXPStyleButton(HDC DC, const TRect& R, bool Hover, bool Pressed,
                                            bool ShowSplitter) {
    Fill(DC, R, Pressed ? PressedFace : Hover ? HotFace : NormalFace);
    if (Pressed) {
        Line(DC, MakeColor(165, 165, 151),
             {{R.left, R.top},
              {R.left, R.bottom - 1},
              {R.right - 1, R.bottom - 1},
              {R.right - 1, R.top - 1}});
        Line(DC, MakeColor(193, 194, 184),
             {{R.left + 1, R.bottom - 2}, {R.left + 1, R.top}, {R.right - 1, R.top}});
        Line(DC, MakeColor(208, 209, 201),
             {{R.left + 2, R.bottom - 2}, {R.left + 2, R.top + 1}, {R.right - 1, R.top + 1}});
        return;
    }
    if (Hover) return DrawHotUnderline(DC, R);
    if (ShowSplitter) {
        Line(DC, MakeColor(199, 197, 178), {{R.right - 2, R.top + 3}, {R.right - 2, R.bottom - 5}});
        Line(DC, clWhite, {{R.right - 1, R.top + 3}, {R.right - 1, R.bottom - 5}});
    }
    Line(DC, MakeColor(224, 222, 207), {{R.left, R.bottom - 3}, {R.right, R.bottom - 3}});
    Line(DC, MakeColor(213, 210, 195), {{R.left, R.bottom - 2}, {R.right, R.bottom - 2}});
    Line(DC, MakeColor(203, 199, 184), {{R.left, R.bottom - 1}, {R.right, R.bottom - 1}});
}

void TVirtualTreeWindow::DrawCaptionText(HDC DC, const UnicodeString& Caption, bool WrapCaption,
                                         UINT DrawFormat, bool Hot, bool Enabled, TRect Bounds) {
    UnicodeString text = Caption;
    if (!WrapCaption) {
        SIZE size{};
        GetTextExtentPoint32W(DC, text.c_str(), static_cast<int>(text.size()), &size);
        if (size.cx > Bounds.Width())
            text = TVirtualStringTreeWindow::ShortenText(DC, text, Bounds.Width(), 0);
    }
    SetBkMode(DC, TRANSPARENT);
    const int length = static_cast<int>(text.size());
    if (Enabled) {
        const TColor color = Hot ? FColors->HeaderHotColor() : FHeaderFont->Color();
        SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(color)));
        DrawTextW(DC, text.c_str(), length, &Bounds, DrawFormat);
        return;
    }
    TRect raised = Bounds;
    OffsetRect(&raised, 1, 1);
    SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));
    DrawTextW(DC, text.c_str(), length, &raised, DrawFormat);
    SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
    DrawTextW(DC, text.c_str(), length, &Bounds, DrawFormat);
}

void TVirtualTreeWindow::DrawThemedHeaderFace(HDC DC, const TRect& R, bool Hover, bool Pressed) {
    const int state = Pressed ? HIS_PRESSED : Hover ? HIS_HOT : HIS_NORMAL;
    ThemeServices()->DrawElement(DC, {L"HEADER", HP_HEADERITEM, state}, R);
}
