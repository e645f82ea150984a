// The tree's parts in the look of the active visual style, used while the window uses themes
// (tsUseThemes): expand buttons as the tree view theme's glyphs, check boxes, radio and push
// buttons of the system check images as the button theme's parts, and, with
// toUseExplorerTheme, selected, hot and focused cells as the tree view theme's items across the
// row. Every theme is opened for the call and closed after it; a part the theme does not know
// leaves the classic drawing.
#include "vtree/VTWindow.h"

#include "framework/Themes.h"

#include <algorithm>

bool TVirtualTreeWindow::ExplorerTheme() const {
    return UseThemes() && HasPaint(toUseExplorerTheme);
}

TRect TVirtualTreeWindow::ExplorerRowRect(const TVTPaintInfo& PaintInfo) const {
    TRect row{0, PaintInfo.CellRect.top, FTree->RangeX(), PaintInfo.CellRect.bottom};
    if (HasPaint(toShowVertGridLines)) --row.right;
    return row;
}

bool TVirtualTreeWindow::DrawThemedItem(TVTPaintInfo& PaintInfo, int State, const TRect& Inner) {
    const TThemeData theme(HandleAllocated() ? Handle() : nullptr, L"TREEVIEW");
    if (!theme || !IsThemePartDefined(theme.Handle(), TVP_TREEITEM, 0)) return false;
    HDC dc = PaintInfo.Canvas->Handle();
    if (HasMisc(toGridExtensions) || HasSelection(toFullRowSelect))
        theme.DrawElement(dc, TVP_TREEITEM, State, ExplorerRowRect(PaintInfo), &PaintInfo.CellRect);
    else
        theme.DrawElement(dc, TVP_TREEITEM, State, Inner);
    return true;
}

bool TVirtualTreeWindow::DrawThemedCheckImage(TVTPaintInfo& PaintInfo) {
    if (!UseThemes() || FCheckImageKind != ckSystemDefault) return false;
    const TThemeData theme(HandleAllocated() ? Handle() : nullptr, L"BUTTON");
    if (!theme) return false;
    const int index = PaintInfo.ImageInfo[2].Index;
    const int part = index <= 8 ? BP_RADIOBUTTON : index <= 20 ? BP_CHECKBOX : BP_PUSHBUTTON;
    if (index < 0 || index > 24 || !IsThemePartDefined(theme.Handle(), part, 0)) return false;
    const TVTCellImage& image = PaintInfo.ImageInfo[2];
    const TRect r{image.XPos - 1, image.YPos, image.XPos + 16, image.YPos + 16};
    // The check image indexes follow the button theme's states: radio 1-8, check box 9-20 as
    // states 1-12, push button 21-24 as states 1-4 (with the utility glyph on top).
    const int state = part == BP_RADIOBUTTON ? index : part == BP_CHECKBOX ? index - 8 : index - 20;
    theme.DrawElement(PaintInfo.Canvas->Handle(), part, state, r);
    if (part == BP_PUSHBUTTON)
        vtree_resources::UtilityList()->Draw(PaintInfo.Canvas, image.XPos - 1, image.YPos,
                                             vtree_resources::PushButtonGlyphImage);
    return true;
}

void TVirtualTreeWindow::PrepareThemedButtons() {
    const TThemeData theme(HandleAllocated() ? Handle() : nullptr, L"TREEVIEW");
    if (!theme || !IsThemePartDefined(theme.Handle(), TVP_GLYPH, 0)) return;
    TBitmap* normal[2] = {FPlusBM.get(), FMinusBM.get()};
    TBitmap* hot[2] = {FHotPlusBM.get(), FHotMinusBM.get()};
    const bool explorer = ExplorerTheme();
    TSize size{9, 9};
    if (explorer) {
        const TRect bounds{0, 0, 100, 100};
        size = theme.ElementSize(FPlusBM->Canvas()->Handle(), TVP_GLYPH, GLPS_OPENED, TS_TRUE,
                                 &bounds);
        const TColumnIndex main = Header()->MainColumn();
        TColor fill = FTree->Color;
        if (main >= 0 && !Header()->Columns()->Items(main)->Options().Contains(coParentColor))
            fill = Header()->Columns()->Items(main)->Color();
        for (TBitmap* bitmap : {normal[0], normal[1], hot[0], hot[1]}) {
            bitmap->SetSize(size.cx, size.cy);
            bitmap->Canvas()->Brush()->SetColor(fill);
            bitmap->Canvas()->FillRect(
                {0, 0, static_cast<int>(size.cx), static_cast<int>(size.cy)});
        }
    }
    const TRect r{0, 0, static_cast<int>(size.cx), static_cast<int>(size.cy)};
    const int states[2] = {GLPS_CLOSED, GLPS_OPENED};
    const int hotStates[2] = {HGLPS_CLOSED, HGLPS_OPENED};
    for (int i = 0; i < 2; ++i) {
        theme.DrawElement(normal[i]->Canvas()->Handle(), TVP_GLYPH, states[i], r);
        if (explorer && IsThemePartDefined(theme.Handle(), TVP_HOTGLYPH, 0))
            theme.DrawElement(hot[i]->Canvas()->Handle(), TVP_HOTGLYPH, hotStates[i], r);
        else
            hot[i]->Assign(normal[i]);
    }
}
