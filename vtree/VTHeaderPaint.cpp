// The header's painting: the background, then every visible column's cell in position order
// (fixed cells first and unscrolled; the others moved by the horizontal offset and clipped so
// that they never paint over a fixed cell), each with its face (classic edges, flat plates or
// the hand-drawn XP-style face), glyph, caption and sort arrow. Composed in a 32-bit bitmap and
// copied to the DC in one piece.
#include "vtree/VTWindow.h"

#include <algorithm>

namespace {

void Line(HDC DC, TColor Color, std::initializer_list<POINT> Points) {
    TOwnedPen pen(CreatePen(PS_SOLID, 1, static_cast<COLORREF>(Color)));
    HGDIOBJ old = SelectObject(DC, pen.Get());
    const std::vector<POINT> points(Points);
    Polyline(DC, points.data(), static_cast<int>(points.size()));
    SelectObject(DC, old);
}

UINT CaptionFormat(TAlignment Alignment, bool RightToLeft) {
    UINT format = DT_NOPREFIX | DT_SINGLELINE;
    if (Alignment == taRightJustify) format |= DT_RIGHT;
    else if (Alignment == taCenter) format |= DT_CENTER;
    if (RightToLeft) format |= DT_RTLREADING;
    return format;
}

} // namespace

void TVirtualTreeWindow::PaintXPStyleButton(TCanvas* Canvas, const TRect& R, bool ShowSplitter) {
    Canvas->Brush()->SetColor(MakeColor(235, 234, 219));
    Canvas->FillRect(R);
    HDC dc = Canvas->Handle();
    if (ShowSplitter) {
        Line(dc, MakeColor(199, 197, 178), {{R.right - 2, R.top + 3}, {R.right - 2, R.bottom - 5}});
        Line(dc, clWhite, {{R.right - 1, R.top + 3}, {R.right - 1, R.bottom - 5}});
    }
    Line(dc, MakeColor(208, 209, 201), {{R.left, R.bottom - 3}, {R.right, R.bottom - 3}});
    Line(dc, MakeColor(193, 194, 184), {{R.left, R.bottom - 2}, {R.right, R.bottom - 2}});
    Line(dc, MakeColor(165, 165, 151), {{R.left, R.bottom - 1}, {R.right, R.bottom - 1}});
}

void TVirtualTreeWindow::PaintHeader(HDC DC, const TRect& R, int HOffset) {
    if (R.Width() <= 0 || R.Height() <= 0) return;
    TBitmap bitmap(std::max<int>(FHeaderRect.right, R.right), std::max<int>(FHeaderRect.bottom, R.bottom),
                   pf32bit);
    TCanvas* canvas = bitmap.Canvas();
    canvas->SetFont(FHeaderFont.get());
    const TVTHeaderStyle style = Header()->Style();
    if (style == hsXPStyle) {
        PaintXPStyleButton(canvas, FHeaderRect, false);
    } else {
        canvas->Brush()->SetColor(Header()->Background());
        canvas->FillRect(R);
    }
    TVirtualTreeColumns* columns = Header()->Columns();
    int x = R.left + (UseRightToLeftAlignment() ? RightToLeftShift(true) : 0);
    int previousRight = R.left;
    bool offsetApplied = false;
    for (TColumnIndex column : columns->PositionToIndex()) {
        TVirtualTreeColumn* item = columns->Items(column);
        if (!item->Options().Contains(coVisible)) continue;
        if (!item->Options().Contains(coFixed) && !offsetApplied) {
            x += HOffset;
            offsetApplied = true;
        }
        const TRect cell{x, R.top, x + item->Width(), R.bottom};
        x += item->Width();
        if (cell.left > R.right) break;
        if (cell.right <= R.left || cell.right <= previousRight) continue;
        TRect clip{previousRight, R.top, std::max<LONG>(cell.right, previousRight), R.bottom};
        IntersectRect(&clip, &clip, &R);
        previousRight = clip.right;
        HRGN region = CreateRectRgnIndirect(&clip);
        SelectClipRgn(canvas->Handle(), region);
        DeleteObject(region);
        PaintHeaderCell(canvas, item, cell, style == hsXPStyle);
        SelectClipRgn(canvas->Handle(), nullptr);
    }
    BitBlt(DC, R.left, R.top, R.Width(), R.Height(), canvas->Handle(), R.left, R.top, SRCCOPY);
}

void TVirtualTreeWindow::PaintHeaderCell(TCanvas* Canvas, TVirtualTreeColumn* Column, TRect Cell,
                                         bool XPStyle) {
    HDC dc = Canvas->Handle();
    if (XPStyle) {
        PaintXPStyleButton(Canvas, Cell, true);
    } else {
        RECT face = Cell;
        const UINT edge = Header()->Style() == hsThickButtons ? EDGE_RAISED : BDR_RAISEDINNER;
        DrawEdge(dc, &face, edge, BF_RECT | BF_MIDDLE);
    }
    InflateRect(&Cell, -2, -2);
    const int width = Cell.Width(), height = Cell.Height();
    const bool rightToLeft = Column->BiDiMode() != bdLeftToRight;
    TAlignment alignment = Column->CaptionAlignment();
    if (rightToLeft && alignment != taCenter)
        alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
    const int margin = Column->Margin(), spacing = Column->Spacing();
    const bool sorted = Column->Index() == Header()->SortColumn() &&
                        Header()->Options().Contains(hoShowSortGlyphs);
    const bool glyph = Header()->Options().Contains(hoShowImages) && FHeaderImages &&
                       Column->ImageIndex() >= 0;
    TCustomImageList* utilities = vtree_resources::UtilityList();
    const TSize glyphSize = glyph ? TSize{FHeaderImages->Width(), FHeaderImages->Height()} : TSize{};
    const TSize sortSize = sorted ? TSize{utilities->Width(), utilities->Height()} : TSize{};
    const UnicodeString& text = Column->Text();
    const TSize textSize = text.empty() ? TSize{} : Canvas->TextExtent(text);
    const int textWidth = text.empty() ? 0 : textSize.cx + 2;
    int glyphX = 0, textX = 0, sortX = 0;
    const int group = glyphSize.cx + (glyph && textWidth ? spacing : 0) + textWidth;
    if (alignment == taLeftJustify) {
        glyphX = margin;
        textX = glyphX + (glyph ? glyphSize.cx + spacing : 0);
        sortX = textX + textWidth + spacing;
    } else if (alignment == taRightJustify) {
        int right = width - margin;
        if (sorted) {
            sortX = right - sortSize.cx;
            right = sortX - spacing;
        }
        textX = right - textWidth;
        glyphX = textX - (glyph ? spacing + glyphSize.cx : 0);
    } else {
        glyphX = (width - group) / 2;
        textX = glyphX + (glyph ? glyphSize.cx + spacing : 0);
        sortX = textX + textWidth + spacing;
    }
    int rightLimit = width - margin;
    if (sorted) {
        sortX = std::max(margin, std::min(sortX, rightLimit - static_cast<int>(sortSize.cx)));
        rightLimit = sortX - spacing;
    }
    glyphX = std::max(margin, std::min(glyphX, rightLimit - static_cast<int>(glyphSize.cx)));
    textX = std::max(textX, margin);
    if (glyph) {
        FHeaderImages->Draw(Canvas, Cell.left + glyphX, Cell.top + (height - glyphSize.cy) / 2,
                            Column->ImageIndex(), Column->Options().Contains(coEnabled) && Enabled());
    }
    if (!text.empty()) {
        TRect bounds{Cell.left + textX, Cell.top + (height - textSize.cy) / 2,
                     Cell.left + std::min(textX + textWidth, rightLimit),
                     Cell.top + (height - textSize.cy) / 2 + textSize.cy};
        UnicodeString caption = text;
        if (textWidth > bounds.Width())
            caption = TVirtualStringTreeWindow::ShortenText(dc, text, bounds.Width(), 0);
        SetBkMode(dc, TRANSPARENT);
        const UINT format = CaptionFormat(alignment, rightToLeft);
        if (Column->Options().Contains(coEnabled) && Enabled()) {
            SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(FHeaderFont->Color())));
            DrawTextW(dc, caption.c_str(), -1, &bounds, format);
        } else {
            TRect raised = bounds;
            OffsetRect(&raised, 1, 1);
            SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));
            DrawTextW(dc, caption.c_str(), -1, &raised, format);
            SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
            DrawTextW(dc, caption.c_str(), -1, &bounds, format);
        }
    }
    if (sorted) {
        const int image = Header()->SortDirection() == sdAscending ? vtree_resources::SortAscendingImage
                                                                    : vtree_resources::SortDescendingImage;
        utilities->Draw(Canvas, Cell.left + sortX, Cell.top + (height - sortSize.cy) / 2, image);
    }
}
