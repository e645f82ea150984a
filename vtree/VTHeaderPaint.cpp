// The header's painting: the background, then every visible column's cell in position order
// (fixed cells first and unscrolled; the others moved by the horizontal offset and clipped so
// that they never paint over a fixed cell). A cell gets its face for its state (normal, hot
// under the mouse, pressed), then its glyph or check box, caption, sort arrow and the drop mark
// of a column drag. Composed in a 32-bit bitmap addressed in window coordinates and copied to
// the DC in one piece.
//
// Owner drawing: with hoOwnerDraw, either OnHeaderDraw paints whole the columns of style
// vsOwnerDraw, or (both advanced events assigned) the application names for the background
// and for each cell the parts it paints itself and is asked to paint exactly those. The hover
// column is the one the header's mouse handling records; the pressed, dragged and drop-target
// columns are the window's own header interaction state.
#include "vtree/VTPaintState.h"

#include "framework/Themes.h"

#include <algorithm>

struct TVirtualTreeWindow::THeaderCellPaint {
    TCanvas* Canvas = nullptr;
    THeaderPaintInfo Info;
    THeaderPaintElements Owned; // what the application paints itself in the current cell
    bool Advanced = false;
    bool Plain = false;
    bool ShowRightBorder = true;
    TColumnIndex LastColumn = NoColumn; // by position
};

namespace {

constexpr THeaderPaintElements ContentElements{hpeDropMark, hpeHeaderGlyph, hpeSortGlyph, hpeText};

UINT CaptionFormat(const TVirtualTreeColumn* Column) {
    UINT format = DT_NOPREFIX;
    if (Column->CaptionAlignment() == taRightJustify)
        format |= DT_RIGHT;
    else if (Column->CaptionAlignment() == taCenter)
        format |= DT_CENTER;
    if (Column->UseRightToLeftReading()) format |= DT_RTLREADING;
    return format;
}

struct TEdge {
    UINT Kind, Flags;
};

// The system edge of a cell by header style and state (right edge flags added by the caller).
TEdge EdgeFor(TVTHeaderStyle Style, bool Pressed, bool Hot) {
    switch (Style) {
    case hsThickButtons: return Pressed ? TEdge{EDGE_RAISED, 0x780F} : TEdge{EDGE_RAISED, 0x380B};
    case hsFlatButtons:
        return Pressed ? TEdge{BDR_SUNKENOUTER, 0x280F} : TEdge{BDR_RAISEDINNER, 0x280B};
    default:
        if (Pressed) return {BDR_SUNKENOUTER, 0x280F};
        return Hot ? TEdge{BDR_RAISEDINNER, 0x280B} : TEdge{BDR_RAISEDINNER, 0x380F};
    }
}

} // namespace

void TVirtualTreeWindow::PaintHeader(HDC DC, const TRect& R, int HOffset) {
    if (R.Width() <= 0 || R.Height() <= 0) return;
    TBitmap bitmap(std::max<int>(FHeaderRect.right, R.right),
                   std::max<int>(FHeaderRect.bottom, R.bottom), pf32bit);
    THeaderCellPaint paint;
    paint.Canvas = bitmap.Canvas();
    paint.Canvas->SetFont(FHeaderFont.get());
    const bool ownerDraw =
        Header()->Options().Contains(hoOwnerDraw) && !ComponentState().Contains(csDesigning);
    paint.Advanced = ownerDraw && OnAdvancedHeaderDraw && OnHeaderDrawQueryElements;
    paint.Plain = ownerDraw && !paint.Advanced && OnHeaderDraw;
    paint.ShowRightBorder = Header()->Style() == hsThickButtons ||
                            !Header()->Options().Contains(hoAutoResize) || BevelKind() == bkNone;
    TVirtualTreeColumns* columns = Header()->Columns();
    paint.LastColumn = columns->GetLastVisibleColumn();
    PaintHeaderBackground(paint, R);
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
        const TOwnedRegion region(CreateRectRgnIndirect(&clip));
        SelectClipRgn(paint.Canvas->Handle(), region.Get()); // selects a copy
        PaintHeaderCell(paint, item, cell);
        SelectClipRgn(paint.Canvas->Handle(), nullptr);
    }
    BitBlt(DC, R.left, R.top, R.Width(), R.Height(), paint.Canvas->Handle(), R.left, R.top,
           SRCCOPY);
}

bool TVirtualTreeWindow::UseHeaderTheme() const {
    if (!UseThemes()) return false;
    const TThemeData& theme = ThemeServices()->Theme(L"HEADER");
    return theme && IsThemePartDefined(theme.Handle(), HP_HEADERITEM, 0);
}

void TVirtualTreeWindow::PaintHeaderBackground(THeaderCellPaint& Paint, const TRect& R) {
    THeaderPaintInfo& info = Paint.Info;
    info = THeaderPaintInfo{};
    info.TargetCanvas = Paint.Canvas;
    info.PaintRectangle = R;
    if (Paint.Advanced) {
        THeaderPaintElements elements;
        DoHeaderDrawQueryElements(info, elements);
        if (elements.Contains(hpeBackground)) return DoAdvancedHeaderDraw(info, {hpeBackground});
    }
    HDC dc = Paint.Canvas->Handle();
    if (UseHeaderTheme()) {
        ThemeServices()->DrawElement(dc, {L"HEADER", HP_HEADERITEMRIGHT, HIRS_NORMAL}, R);
    } else if (Header()->Style() == hsXPStyle) {
        PaintXPStyleButton(dc, FHeaderRect, false, false, false);
    } else {
        Paint.Canvas->Brush()->SetColor(Header()->Background());
        Paint.Canvas->FillRect(R);
    }
}

void TVirtualTreeWindow::PaintHeaderCell(THeaderCellPaint& Paint, TVirtualTreeColumn* Column,
                                         const TRect& Cell) {
    THeaderPaintInfo& info = Paint.Info;
    info = THeaderPaintInfo{};
    info.TargetCanvas = Paint.Canvas;
    info.Column = Column;
    info.PaintRectangle = Cell;
    const TVTColumnOptions options = Column->Options();
    const TVTHeaderOptions headerOptions = Header()->Options();
    const TColumnIndex index = Column->Index();
    info.IsHoverIndex = index == Header()->Columns()->HoverIndex() &&
                        headerOptions.Contains(hoHotTrack) && options.Contains(coEnabled);
    info.IsDownIndex = index == FHeaderDownIndex;
    if (options.Contains(coShowDropMark) && index == FHeaderDropTarget && index != FHeaderDragIndex)
        info.DropMark = FHeaderDropBefore ? dmmLeft : dmmRight;
    info.IsEnabled = options.Contains(coEnabled) && Enabled();
    info.ShowHeaderGlyph = headerOptions.Contains(hoShowImages) &&
                           (Column->CheckBox() || (FHeaderImages && Column->ImageIndex() >= 0));
    info.ShowSortGlyph =
        index == Header()->SortColumn() && headerOptions.Contains(hoShowSortGlyphs);
    info.ShowRightBorder = Paint.ShowRightBorder;
    Paint.Owned = {};
    if (Paint.Plain && Column->Style() == vsOwnerDraw)
        return DoHeaderDraw(Paint.Canvas, Column, Cell, info.IsHoverIndex, info.IsDownIndex,
                            info.DropMark);
    if (Paint.Advanced) DoHeaderDrawQueryElements(info, Paint.Owned);
    if (Paint.Owned.Contains(hpeBackground))
        DoAdvancedHeaderDraw(info, {hpeBackground});
    else
        PaintHeaderFace(Paint, Cell);
    PaintHeaderContent(Paint, Cell);
}

void TVirtualTreeWindow::PaintHeaderFace(THeaderCellPaint& Paint, const TRect& Cell) {
    const THeaderPaintInfo& info = Paint.Info;
    HDC dc = Paint.Canvas->Handle();
    const bool rightEdge = info.ShowRightBorder || info.Column->Index() != Paint.LastColumn;
    if (UseHeaderTheme())
        return DrawThemedHeaderFace(dc, Cell, info.IsHoverIndex, info.IsDownIndex);
    const TVTHeaderStyle style = Header()->Style();
    if (style == hsXPStyle)
        return PaintXPStyleButton(dc, Cell, info.IsHoverIndex, info.IsDownIndex, rightEdge);
    const TVTColumnOptions options = info.Column->Options();
    const bool hot = info.IsHoverIndex && style == hsPlates && options.Contains(coAllowClick) &&
                     options.Contains(coEnabled);
    TEdge edge = EdgeFor(style, info.IsDownIndex, hot);
    if (!info.IsDownIndex && rightEdge) edge.Flags |= BF_RIGHT;
    RECT face = Cell;
    DrawEdge(dc, &face, edge.Kind, edge.Flags);
}

void TVirtualTreeWindow::PaintHeaderContent(THeaderCellPaint& Paint, TRect Cell) {
    THeaderPaintInfo& info = Paint.Info;
    TVirtualTreeColumn* column = info.Column;
    // An owner-drawn background may have changed the canvas; the DC is used directly below.
    UseFont(Paint.Canvas, FHeaderFont.get());
    Paint.Canvas->TextExtent(UnicodeString());
    HDC dc = Paint.Canvas->Handle();
    InflateRect(&Cell, -2, -2);
    const UINT format = CaptionFormat(column);
    TRect text;
    TPoint sortPos, glyphPos;
    ComputeHeaderLayout(column, dc, Cell, format, text, sortPos, glyphPos, info.ShowSortGlyph,
                        info.ShowHeaderGlyph);
    if (info.IsDownIndex) {
        OffsetRect(&text, 1, 1);
        sortPos = {sortPos.x + 1, sortPos.y + 1};
        glyphPos = {glyphPos.x + 1, glyphPos.y + 1};
    }
    info.TextRectangle = text;
    info.GlyphPos = glyphPos;
    info.SortGlyphPos = sortPos;
    column->FHasImage = false;
    column->FImageRect = TRect{};
    const THeaderPaintElements& owned = Paint.Owned;
    if (info.ShowHeaderGlyph && !owned.Contains(hpeHeaderGlyph)) {
        TCustomImageList* glyphs = column->CheckBox() ? CheckImages() : FHeaderImages;
        const int glyphWidth = glyphs ? glyphs->Width() : 0;
        if (!info.ShowSortGlyph || column->UseRightToLeftReading() ||
            sortPos.x >= glyphPos.x + glyphWidth)
            DrawHeaderGlyph(Paint, glyphPos);
    }
    if (!column->Text().empty() && !owned.Contains(hpeText)) {
        const bool wrap = column->Options().Contains(coWrapCaption);
        DrawCaptionText(dc, wrap ? column->CaptionText() : column->Text(), wrap, format,
                        info.IsHoverIndex && !UseHeaderTheme(), info.IsEnabled, text);
    }
    TCustomImageList* utilities = vtree_resources::UtilityList();
    if (info.ShowSortGlyph && !owned.Contains(hpeSortGlyph)) {
        const int image = Header()->SortDirection() == sdAscending
                              ? vtree_resources::SortAscendingImage
                              : vtree_resources::SortDescendingImage;
        utilities->Draw(Paint.Canvas, sortPos.x, sortPos.y, image);
    }
    if (info.DropMark != dmmNone && !owned.Contains(hpeDropMark)) {
        const TRect& full = info.PaintRectangle;
        const int y = (full.top + full.bottom - utilities->Height()) / 2;
        if (info.DropMark == dmmLeft)
            utilities->Draw(Paint.Canvas, full.left, y, vtree_resources::DropMarkLeftImage);
        else
            utilities->Draw(Paint.Canvas, full.right - 16, y, vtree_resources::DropMarkRightImage);
    }
    const THeaderPaintElements content = owned * ContentElements;
    if (content.Empty()) return;
    const int saved = SaveDC(dc);
    try {
        DoAdvancedHeaderDraw(info, content);
    } catch (...) {
        RestoreDC(dc, saved);
        throw;
    }
    RestoreDC(dc, saved);
}

void TVirtualTreeWindow::DrawHeaderGlyph(THeaderCellPaint& Paint, TPoint Position) {
    const THeaderPaintInfo& info = Paint.Info;
    TVirtualTreeColumn* column = info.Column;
    TCustomImageList* list = column->CheckBox() ? CheckImages() : FHeaderImages;
    if (!list) return;
    if (column->CheckBox()) {
        const int index =
            CheckImageIndexFor(column->CheckType(), column->CheckState(), info.IsEnabled, false);
        list->Draw(Paint.Canvas, Position.x, Position.y, index);
    } else {
        list->Draw(Paint.Canvas, Position.x, Position.y, column->ImageIndex(), info.IsEnabled);
    }
    column->FHasImage = true;
    column->FImageRect = {Position.x, Position.y, Position.x + list->Width(),
                          Position.y + list->Height()};
}

void TVirtualTreeWindow::DoHeaderDraw(TCanvas* Canvas, TVirtualTreeColumn* Column, const TRect& R,
                                      bool Hover, bool Pressed, TVTDropMarkMode DropMark) {
    OnHeaderDraw(Header(), Canvas, Column, R, Hover, Pressed, DropMark);
}

void TVirtualTreeWindow::DoHeaderDrawQueryElements(THeaderPaintInfo& PaintInfo,
                                                   THeaderPaintElements& Elements) {
    OnHeaderDrawQueryElements(Header(), PaintInfo, Elements);
}

void TVirtualTreeWindow::DoAdvancedHeaderDraw(THeaderPaintInfo& PaintInfo,
                                              THeaderPaintElements Elements) {
    OnAdvancedHeaderDraw(Header(), PaintInfo, Elements);
}

void TVirtualTreeColumns::SetHoverIndex(TColumnIndex Value) {
    if (Value == FHoverIndex) return;
    const TColumnIndex old = FHoverIndex;
    FHoverIndex = Value;
    if (old >= 0) FHeader->Invalidate(old);
    if (Value >= 0) FHeader->Invalidate(Value);
}
