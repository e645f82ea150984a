// One cell of a row: its content rectangle, the check, state and normal images placed from the
// leading edge, the indent of the main column, the grid lines, the cell background with the
// selection and focus rectangle, then the tree lines, the expand button, the images and the
// content. Lines are one pixel wide and drawn through an 8 x 8 pattern brush (dotted or solid)
// whose pixels are the line colour where the pattern's bit is zero and the tree colour where it
// is one.
#include "vtree/VTPaintState.h"

#include <vssym32.h>

#include <algorithm>

// ---- the cell ----------------------------------------------------------------------------------

void TVirtualTreeWindow::PaintCell(TRowPaint& Row, TVTPaintInfo& Info, bool IsMainColumn) {
    PVirtualNode node = Info.Node;
    TVirtualTreeColumns* columns = Header()->Columns();
    const bool selected = node->States.Contains(vsSelected);
    Info.PaintOptions = Row.Options;
    if (!Row.UseColumns ||
        (selected && HasSelection(toFullRowSelect) && Row.Options.Contains(poDrawSelection)) ||
        columns->Items(Info.Column)->Options().Contains(coParentColor))
        Info.PaintOptions -= TVTInternalPaintOptions{poColumnColor};
    const bool rightToLeft = Info.BidiMode != bdLeftToRight;
    if (rightToLeft && Info.Alignment != taCenter)
        Info.Alignment = Info.Alignment == taLeftJustify ? taRightJustify : taLeftJustify;
    Info.NodeWidth = GetNodeWidth(node, Info.Column);
    Info.ContentRect = Info.CellRect;
    if (rightToLeft)
        Info.ContentRect.right -= FTree->Margin;
    else
        Info.ContentRect.left += FTree->Margin;
    for (TVTCellImage& image : Info.ImageInfo) image = TVTCellImage{};
    if (IsMainColumn && Row.ShowCheckImages) {
        Info.ImageInfo[2].Index = GetCheckImageIndex(node);
        Info.ImageInfo[2].Images = CheckImages();
        if (Info.ImageInfo[2].Index >= 0) PlaceImage(Info, 2, Row.VAlign);
    }
    if (Row.ShowStateImages) {
        QueryImageIndex(Info, ikState, 1, FStateImages);
        if (Info.ImageInfo[1].Index >= 0) PlaceImage(Info, 1, Row.VAlign);
    }
    if (Row.ShowImages) {
        QueryImageIndex(Info, selected ? ikSelected : ikNormal, 0, FImages);
        if (Info.ImageInfo[0].Index >= 0) PlaceImage(Info, 0, Row.VAlign);
    }
    const int indentSize = static_cast<int>(Row.LineImage.size());
    const int indentWidth = (HasPaint(toFixedIndent) ? 1 : indentSize) * FTree->Indent;
    if (IsMainColumn) ShiftContentByIndent(Info, indentWidth);
    TCanvas* canvas = Info.Canvas;
    if (Row.UseColumns) ClipToCell(canvas, Info.CellRect);
    if (Row.Options.Contains(poGridLines) && HasPaint(toShowHorzGridLines)) {
        int left = Info.CellRect.left, right = Info.CellRect.right;
        if (IsMainColumn && FLineMode == lmBands) {
            if (rightToLeft)
                right -= indentWidth + 1;
            else
                left += indentWidth;
        }
        DrawDottedHorzLine(Info, left, right - 1, Info.CellRect.bottom - 1,
                           FColors->GridLineColor());
        --Info.CellRect.bottom;
        --Info.ContentRect.bottom;
    }
    if (Row.UseColumns && Row.Options.Contains(poGridLines) && HasPaint(toShowVertGridLines) &&
        (!Header()->Options().Contains(hoAutoResize) ||
         static_cast<int>(Info.Position) < columns->Count() - 1)) {
        if (!rightToLeft || !FTree->DoGetCellIsEmpty(node, Info.Column))
            DrawDottedVertLine(Info, Info.CellRect.top, Info.CellRect.bottom - 1,
                               Info.CellRect.right - 1, FColors->GridLineColor());
        --Info.CellRect.right;
        --Info.ContentRect.right;
    }
    PrepareCellPaint(Info, Row.Window.left, Row.Bitmap->Width());
    if (IsMainColumn) {
        if (HasPaint(toShowTreeLines) && !(HasPaint(toHideTreeLinesIfThemed) && UseThemes()))
            DrawTreeLines(Info, Row.VAlign, indentSize, Row.LineImage);
        if (HasPaint(toShowButtons) && node->States.Contains(vsHasChildren) &&
            (!node->States.Contains(vsAllChildrenHidden) || !FTree->HasAuto(toAutoHideButtons)))
            DrawNodeButton(canvas, node, Info.CellRect, Row.ButtonX, Row.ButtonY, Info.BidiMode);
        if (Info.ImageInfo[2].Index >= 0) DrawCheckImage(Info);
    }
    if (Info.ImageInfo[1].Index >= 0) DrawNodeImage(Info, 1, false);
    if (Info.ImageInfo[0].Index >= 0) DrawNodeImage(Info, 0, true);
    DoPaintNode(Info);
    OnAfterCellPaint(this, canvas, node, Info.Column, Info.CellRect);
}

// PaintRow leaves no clipping region selected before a cell, so intersecting with the cell's
// rectangle (in logical coordinates) selects just that rectangle, with no region of our own.
void TVirtualTreeWindow::ClipToCell(TCanvas* Canvas, const TRect& R) {
    IntersectClipRect(Canvas->Handle(), R.left, R.top, R.right, R.bottom);
}

void TVirtualTreeWindow::PlaceImage(TVTPaintInfo& Info, int Index, int VAlign) {
    TVTCellImage& image = Info.ImageInfo[Index];
    if (!image.Images) return;
    const int width = image.Images->Width();
    if (Info.BidiMode == bdLeftToRight) {
        image.XPos = Info.ContentRect.left;
        Info.ContentRect.left += width + 2;
    } else {
        image.XPos = Info.ContentRect.right - width;
        Info.ContentRect.right -= width + 2;
    }
    image.YPos = Info.ContentRect.top + VAlign - image.Images->Height() / 2;
}

void TVirtualTreeWindow::ShiftContentByIndent(TVTPaintInfo& Info, int Amount) {
    const int shift = Info.BidiMode == bdLeftToRight ? Amount : -Amount;
    if (shift > 0)
        Info.ContentRect.left += shift;
    else
        Info.ContentRect.right += shift;
    for (int i = 0; i < 3; ++i) Info.ImageInfo[i].XPos += shift;
}

void TVirtualTreeWindow::QueryImageIndex(TVTPaintInfo& Info, TVTImageKind Kind, int InfoIndex,
                                         TCustomImageList* DefaultImages) {
    TVTCellImage& image = Info.ImageInfo[InfoIndex];
    image.Index = -1;
    image.Ghosted = false;
    DoGetImageIndex(Info.Node, Kind, Info.Column, image.Ghosted, image.Index);
    image.Images = DefaultImages;
}

// ---- background, selection and focus of a cell ------------------------------------------------

void TVirtualTreeWindow::PrepareCellPaint(TVTPaintInfo& Info, int WindowOrgX, int MaxWidth) {
    TCanvas* canvas = Info.Canvas;
    PVirtualNode node = Info.Node;
    if (Info.PaintOptions.Contains(poColumnColor)) {
        canvas->Brush()->SetColor(Header()->Columns()->Items(Info.Column)->Color());
        canvas->FillRect(Info.CellRect);
    }
    DoBeforeCellPaint(canvas, node, Info.Column, cpmPaint, Info.CellRect, Info.ContentRect);
    TRect inner = Info.ContentRect;
    if (!HasMisc(toGridExtensions)) {
        const int width = Info.NodeWidth;
        if (Info.Alignment == taLeftJustify) {
            if (inner.left + width < inner.right) inner.right = inner.left + width;
        } else if (Info.Alignment == taRightJustify) {
            if (width < inner.Width()) inner.left = inner.right - width;
        } else if (width < inner.Width()) {
            inner.left = (inner.left + inner.right - width) / 2;
            inner.right = inner.left + width;
        }
    }
    const bool inFocusColumn =
        Info.Column == FTree->FocusedColumn() || HasSelection(toFullRowSelect);
    const bool focused = IsFocused() || HasPaint(toPopupMode);
    const bool selected = node->States.Contains(vsSelected);
    const bool explorer = ExplorerTheme();
    const bool hotCell = HasPaint(toHotTrack) && node == FTree->HotNode() &&
                         (Info.Column == FCurrentHotColumn || HasSelection(toFullRowSelect));
    const bool wide = HasMisc(toGridExtensions) || HasSelection(toFullRowSelect);
    if (inFocusColumn && Info.PaintOptions.Contains(poDrawSelection)) {
        if (node == FTree->DropTargetNode()) {
            if (FTree->LastDropMode == dmOnNode || selected) {
                canvas->Brush()->SetColor(FColors->DropTargetColor());
                canvas->Pen()->SetColor(FColors->DropTargetBorderColor());
                if (wide) inner = Info.CellRect;
                if (!IsRectEmpty(&inner)) DrawSelectionShape(Info, inner, WindowOrgX, MaxWidth);
            }
        } else if (selected) {
            canvas->Brush()->SetColor(focused ? FColors->FocusedSelectionColor()
                                              : FColors->UnfocusedSelectionColor());
            canvas->Pen()->SetColor(focused ? FColors->FocusedSelectionBorderColor()
                                            : FColors->UnfocusedSelectionBorderColor());
            if (wide) inner = Info.CellRect;
            if (!IsRectEmpty(&inner)) {
                const int state = focused ? TREIS_SELECTED : TREIS_SELECTEDNOTFOCUS;
                if (!explorer || (!hotCell && !DrawThemedItem(Info, state, inner)))
                    DrawSelectionShape(Info, inner, WindowOrgX, MaxWidth);
            }
        }
    }
    if (explorer && hotCell)
        DrawThemedItem(Info,
                       selected && !HasPaint(toAlwaysHideSelection) ? TREIS_HOTSELECTED : TREIS_HOT,
                       inner);
    const bool themedRow =
        explorer && !HasSelection(toExtendedFocus) && HasSelection(toFullRowSelect);
    if (inFocusColumn && Info.PaintOptions.Contains(poDrawFocusRect) && focused &&
        node == FTree->FocusedNode() && (Info.Column == FTree->FocusedColumn() || themedRow)) {
        HDC dc = canvas->Handle();
        const COLORREF text = SetTextColor(dc, 0xFFFFFF), back = SetBkColor(dc, 0);
        TRect focus = themedRow                   ? ExplorerRowRect(Info)
                      : HasMisc(toGridExtensions) ? Info.CellRect
                                                  : inner;
        if (explorer) InflateRect(&focus, -1, -1);
        DrawFocusRect(dc, &focus);
        SetTextColor(dc, text);
        SetBkColor(dc, back);
    }
}

void TVirtualTreeWindow::DrawSelectionShape(TVTPaintInfo& Info, const TRect& Inner, int WindowOrgX,
                                            int MaxWidth) {
    TCanvas* canvas = Info.Canvas;
    if (HasPaint(toUseBlendedSelection)) {
        TRect blend = Inner;
        OffsetRect(&blend, -WindowOrgX, 0);
        blend.left = std::max<LONG>(blend.left, 0);
        blend.right = std::min<LONG>(blend.right, MaxWidth);
        AlphaBlendRect(nullptr, canvas->Handle(), blend, {}, blendMasterAndColor,
                       FSelectionBlendFactor,
                       static_cast<int>(ColorToRGB(canvas->Brush()->Color())));
        return;
    }
    const int radius = static_cast<int>(FSelectionCurveRadius);
    canvas->RoundRect(Inner.left, Inner.top, Inner.right, Inner.bottom, radius, radius);
}

void TVirtualTreeWindow::DrawSelectionRectangle(TCanvas* Target, int WindowOrgX,
                                                const TRect& SelectionRect, TRect TargetRect) {
    HDC dc = Target->Handle();
    if (FDrawSelectionMode == smBlendedRectangle || UseThemes()) {
        OffsetRect(&TargetRect, WindowOrgX, 0);
        TRect area;
        if (!IntersectRect(&area, &SelectionRect, &TargetRect)) return;
        OffsetRect(&area, -WindowOrgX, 0);
        AlphaBlendRect(nullptr, dc, area, {}, blendMasterAndColor, FSelectionBlendFactor,
                       static_cast<int>(ColorToRGB(FColors->SelectionRectangleBlendColor())));
        Target->Brush()->SetColor(FColors->SelectionRectangleBorderColor());
        Target->FrameRect(SelectionRect);
        return;
    }
    const COLORREF text = SetTextColor(dc, 0xFFFFFF), back = SetBkColor(dc, 0);
    DrawFocusRect(dc, &SelectionRect);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
}

// ---- lines -------------------------------------------------------------------------------------

Integer TVirtualTreeWindow::BuildLineImage(PVirtualNode Node, TLineImage& LineImage) {
    PVirtualNode root = FTree->RootNode();
    const bool showRoot = HasPaint(toShowRoot);
    int count = showRoot ? 1 : 0;
    Integer selected = 0;
    for (PVirtualNode run = Node->Parent; run != root; run = run->Parent) {
        ++count;
        if (run->States.Contains(vsSelected)) ++selected;
    }
    LineImage.assign(count, ltNone);
    if (!HasPaint(toShowTreeLines) || (HasPaint(toHideTreeLinesIfThemed) && UseThemes()))
        return selected;
    auto next = [&](PVirtualNode N) { return FTree->GetNextVisibleSiblingNoInit(N) != nullptr; };
    auto previous = [&](PVirtualNode N) {
        return FTree->GetPreviousVisibleSiblingNoInit(N) != nullptr;
    };
    const bool realParent = Node->Parent != root;
    if (HasPaint(toChildrenAbove)) {
        if (count == 0) return selected;
        const bool below = realParent || next(Node);
        LineImage[count - 1] = previous(Node) ? (below ? ltTopDownRight : ltTopRight)
                                              : (below ? ltBottomRight : ltRight);
        int index = count - 2;
        for (PVirtualNode run = Node->Parent; run != root && index >= 0; run = run->Parent, --index)
            LineImage[index] = previous(run) ? ltTopDown : ltNone;
        return selected;
    }
    if (realParent) {
        int index = count - 1;
        LineImage[index] = next(Node) ? ltTopDownRight : ltTopRight;
        for (PVirtualNode run = Node->Parent; run->Parent != root && index > 0; run = run->Parent)
            LineImage[--index] = next(run) ? ltTopDown : ltNone;
    }
    if (showRoot) {
        if (!realParent) {
            const bool first = !previous(Node), last = !next(Node);
            LineImage[0] = first && last ? ltRight
                           : first       ? ltBottomRight
                           : last        ? ltTopRight
                                         : ltTopDownRight;
        } else {
            PVirtualNode top = Node;
            while (top->Parent != root) top = top->Parent;
            LineImage[0] = next(top) ? ltTopDown : ltNone;
        }
    }
    return selected;
}

void TVirtualTreeWindow::DrawTreeLines(TVTPaintInfo& Info, int VAlignment, int IndentSize,
                                       const TLineImage& LineImage) {
    const bool reverse = Info.BidiMode != bdLeftToRight;
    int x = reverse ? Info.CellRect.right - FTree->Indent : Info.CellRect.left;
    const int step = reverse ? -FTree->Indent : FTree->Indent;
    const int height = Info.Node->NodeHeight;
    if (FLineMode == lmNormal) {
        for (int i = 0; i < IndentSize; ++i, x += step)
            DrawLineStep(Info, x, Info.CellRect.top, height, VAlignment, LineImage[i], reverse,
                         FColors->TreeLineColor());
        return;
    }
    if (!Info.PaintOptions.Contains(poGridLines)) return;
    TLineImage bands(LineImage.size(), ltNone);
    const bool open =
        Info.Node->States.Contains(vsExpanded) && !Info.Node->States.Contains(vsAllChildrenHidden);
    for (int i = IndentSize - 1; i >= 0; --i) {
        if (i == IndentSize - 1 && open) {
            bands[i] = ltLeft;
            continue;
        }
        switch (LineImage[i]) {
        case ltBottomRight:
        case ltTopDownRight:
        case ltRight:
        case ltTopRight: bands[i] = ltLeftBottom; break;
        case ltNone:
        case ltTopDown:
            if (i + 1 < IndentSize)
                bands[i] = LineImage[i + 1] == ltNone || LineImage[i + 1] == ltTopRight
                               ? bands[i + 1]
                               : ltLeft;
            break;
        default: break;
        }
    }
    for (int i = 0; i < IndentSize; ++i, x += step)
        DrawLineStep(Info, x, Info.CellRect.top, height - 1, VAlignment, bands[i], reverse,
                     FColors->GridLineColor());
}

void TVirtualTreeWindow::DrawLineStep(TVTPaintInfo& Info, int X, int Y, int H, int VAlign,
                                      TVTLineType Style, bool Reverse, TColor Color) {
    const int c = X + FTree->Indent / 2, e = Reverse ? X : X + FTree->Indent;
    const int left = Reverse ? X + FTree->Indent : X;
    switch (Style) {
    case ltBottomRight:
        DrawDottedVertLine(Info, Y + VAlign, Y + H, c, Color);
        DrawDottedHorzLine(Info, c, e, Y + VAlign, Color);
        break;
    case ltTopDown: DrawDottedVertLine(Info, Y, Y + H, c, Color); break;
    case ltTopDownRight:
        DrawDottedVertLine(Info, Y, Y + H, c, Color);
        DrawDottedHorzLine(Info, c, e, Y + VAlign, Color);
        break;
    case ltRight: DrawDottedHorzLine(Info, c, e, Y + VAlign, Color); break;
    case ltTopRight:
        DrawDottedVertLine(Info, Y, Y + VAlign, c, Color);
        DrawDottedHorzLine(Info, c, e, Y + VAlign, Color);
        break;
    case ltLeft: DrawDottedVertLine(Info, Y, Y + H, left, Color); break;
    case ltLeftBottom:
        DrawDottedVertLine(Info, Y, Y + H, left, Color);
        DrawDottedHorzLine(Info, X, X + FTree->Indent, Y + H, Color);
        break;
    case ltNone: break;
    }
}

void TVirtualTreeWindow::DrawDottedHorzLine(TVTPaintInfo& Info, int Left, int Right, int Top,
                                            TColor Color) {
    const TRect r{std::min(Left, Right), Top, std::max(Left, Right) + 1, Top + 1};
    ::FillRect(Info.Canvas->Handle(), &r, LineBrush(Color, FTree->Color));
}

void TVirtualTreeWindow::DrawDottedVertLine(TVTPaintInfo& Info, int Top, int Bottom, int Left,
                                            TColor Color) {
    const TRect r{Left, std::min(Top, Bottom), Left + 1, std::max(Top, Bottom) + 1};
    ::FillRect(Info.Canvas->Handle(), &r, LineBrush(Color, FTree->Color));
}

HBRUSH TVirtualTreeWindow::LineBrush(TColor Line, TColor Back) {
    if (!FLinesPrepared) PrepareButtonsAndLines();
    const auto line = static_cast<COLORREF>(ColorToRGB(Line));
    const auto back = static_cast<COLORREF>(ColorToRGB(Back));
    for (const TLineBrush& brush : FLineBrushes)
        if (brush.Line == line && brush.Back == back) return brush.Brush.Get();
    // A few pairs are in use at a time (grid and tree lines on the tree colour); colours that
    // change again and again must not pile up brushes.
    constexpr std::size_t MaxLineBrushes = 8;
    if (FLineBrushes.size() == MaxLineBrushes) FLineBrushes.clear();
    // Eight rows of eight pixels, the first pixel in the high bit; a one bit is the background.
    static const BYTE dotted[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    static const BYTE solid[8] = {};
    const BYTE* rows = FLineStyle == lsSolid ? solid : dotted;
    auto pixel = [](COLORREF Color) -> DWORD {
        return (DWORD{GetRValue(Color)} << 16) | (DWORD{GetGValue(Color)} << 8) | GetBValue(Color);
    };
    struct {
        BITMAPINFOHEADER Header;
        DWORD Pixels[64];
    } pattern{};
    pattern.Header.biSize = sizeof(BITMAPINFOHEADER);
    pattern.Header.biWidth = 8;
    pattern.Header.biHeight = -8; // top-down, as the rows above
    pattern.Header.biPlanes = 1;
    pattern.Header.biBitCount = 32;
    pattern.Header.biCompression = BI_RGB;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pattern.Pixels[y * 8 + x] = pixel((rows[y] >> (7 - x)) & 1 ? back : line);
    TOwnedBrush brush(CreateDIBPatternBrushPt(&pattern, DIB_RGB_COLORS));
    if (!brush) RaiseLastOSError(L"CreateDIBPatternBrushPt");
    FLineBrushes.push_back({line, back, std::move(brush)});
    return FLineBrushes.back().Brush.Get();
}

// ---- buttons and vertical placement -----------------------------------------------------------

void TVirtualTreeWindow::PrepareButtonsAndLines() {
    const int size = 9;
    for (auto* bitmap : {FPlusBM.get(), FMinusBM.get()}) {
        bitmap->SetPixelFormat(pf24bit);
        bitmap->SetSize(size, size);
        bitmap->SetTransparentColor(clFuchsia);
        bitmap->SetTransparent(true);
        bitmap->Canvas()->Brush()->SetColor(clFuchsia);
        bitmap->Canvas()->FillRect({0, 0, size, size});
    }
    if (FButtonStyle == bsTriangle) {
        for (auto* bitmap : {FPlusBM.get(), FMinusBM.get()}) {
            bitmap->Canvas()->Brush()->SetColor(clBlack);
            bitmap->Canvas()->Pen()->SetColor(clBlack);
        }
        FMinusBM->Canvas()->Polygon({{0, 2}, {8, 2}, {4, 6}});
        FPlusBM->Canvas()->Polygon({{2, 0}, {6, 4}, {2, 8}});
    } else if (FButtonFillMode == fmShaded) {
        vtree_resources::DrawPicture(L"VT_XPBUTTONMINUS", FMinusBM.get());
        vtree_resources::DrawPicture(L"VT_XPBUTTONPLUS", FPlusBM.get());
    } else {
        for (auto* bitmap : {FPlusBM.get(), FMinusBM.get()}) {
            TCanvas* canvas = bitmap->Canvas();
            if (FButtonFillMode == fmTreeColor)
                canvas->Brush()->SetColor(FTree->Color);
            else if (FButtonFillMode == fmWindowColor)
                canvas->Brush()->SetColor(clWindow);
            else
                canvas->Brush()->SetStyle(bsClear);
            canvas->Pen()->SetColor(FColors->TreeLineColor());
            canvas->Rectangle(0, 0, size, size);
            canvas->Pen()->SetColor(Font()->Color());
            canvas->MoveTo(2, size / 2);
            canvas->LineTo(size - 2, size / 2);
        }
        FPlusBM->Canvas()->MoveTo(size / 2, 2);
        FPlusBM->Canvas()->LineTo(size / 2, size - 2);
    }
    FHotPlusBM->Assign(FPlusBM.get());
    FHotMinusBM->Assign(FMinusBM.get());
    if (UseThemes()) PrepareThemedButtons();
    FLineBrushes.clear(); // the line style or colours may have changed
    FLinesPrepared = true;
}

void TVirtualTreeWindow::DrawNodeButton(TCanvas* Canvas, PVirtualNode Node, const TRect& R,
                                        int ButtonX, int ButtonY, TBiDiMode BidiMode) {
    const bool hot = HasPaint(toHotTrack) && Node == FTree->HotNode() && FHotNodeButtonHit;
    const bool expanded = Node->States.Contains(vsExpanded);
    TBitmap* bitmap = hot ? (expanded ? FHotMinusBM.get() : FHotPlusBM.get())
                          : (expanded ? FMinusBM.get() : FPlusBM.get());
    const int x =
        BidiMode != bdLeftToRight ? R.right - ButtonX - bitmap->Width() : R.left + ButtonX;
    GdiTransparentBlt(Canvas->Handle(), x, R.top + ButtonY, bitmap->Width(), bitmap->Height(),
                      bitmap->Canvas()->Handle(), 0, 0, bitmap->Width(), bitmap->Height(),
                      static_cast<UINT>(ColorToRGB(clFuchsia)));
}

void TVirtualTreeWindow::ComputeVerticalAlignments(PVirtualNode Node, bool ShowImages,
                                                   bool ShowStateImages, int& VAlign,
                                                   int& ButtonTop) {
    const int height = Node->NodeHeight;
    if (FNodeAlignment == naFromBottom) {
        VAlign = height - Node->Align;
    } else if (FNodeAlignment == naFromTop) {
        VAlign = Node->Align;
    } else {
        int imageHeight = -1;
        if (ShowImages && FImages)
            imageHeight = FImages->Height();
        else if (ShowStateImages && FStateImages)
            imageHeight = FStateImages->Height();
        else if (HasPaint(toShowButtons))
            imageHeight = FPlusBM->Height();
        VAlign = imageHeight >= 0 ? MulDiv(height - imageHeight, Node->Align, 100) + imageHeight / 2
                                  : MulDiv(height, Node->Align, 100);
    }
    ButtonTop = VAlign - FPlusBM->Height() / 2;
}

// ---- check and node images --------------------------------------------------------------------

Integer TVirtualTreeWindow::CheckImageIndexFor(TCheckType Type, TCheckState State, bool Enabled,
                                               bool Hot) {
    const bool checked = State == csCheckedNormal || State == csCheckedPressed;
    const bool mixed = State == csMixedNormal || State == csMixedPressed;
    const bool pressed =
        State == csUncheckedPressed || State == csCheckedPressed || State == csMixedPressed;
    int first = 0;
    switch (Type) {
    case ctRadioButton: first = checked ? 5 : 1; break;
    case ctButton: first = 21; break;
    default: first = checked ? 13 : mixed ? 17 : 9; break;
    }
    const bool down = pressed || (Type == ctButton && checked);
    return first + (!Enabled ? 3 : down ? 2 : Hot ? 1 : 0);
}

Integer TVirtualTreeWindow::GetCheckImageIndex(PVirtualNode Node) const {
    if (Node->CheckType == ctNone) return -1;
    const bool enabled = !Node->States.Contains(vsDisabled) && Enabled();
    return CheckImageIndexFor(Node->CheckType, Node->CheckState, enabled, Node == FTree->HotNode());
}

void TVirtualTreeWindow::DrawCheckImage(TVTPaintInfo& Info) {
    if (DrawThemedCheckImage(Info)) return;
    const TVTCellImage& image = Info.ImageInfo[2];
    if (image.Images) image.Images->Draw(Info.Canvas, image.XPos, image.YPos, image.Index);
}

void TVirtualTreeWindow::DrawNodeImage(TVTPaintInfo& Info, int InfoIndex, bool DoOverlay) {
    const TVTCellImage& image = Info.ImageInfo[InfoIndex];
    if (!image.Images) return;
    PVirtualNode node = Info.Node;
    const bool cut =
        node->States.Contains(vsCutOrCopy) && FTree->TreeStates().Contains(tsCutPending);
    const bool paintFocused = IsFocused() || HasPaint(toGhostedIfUnfocused);
    const bool selected = node->States.Contains(vsSelected);
    const bool enabled = !node->States.Contains(vsDisabled) && Enabled();
    if (DoOverlay)
        QueryImageIndex(Info, ikOverlay, 3, FImages);
    else
        Info.ImageInfo[3].Index = -1;
    const bool blend = paintFocused && HasPaint(toUseBlendedImages) &&
                       (image.Ghosted || cut ||
                        (selected && !HasSelection(toFullRowSelect) && !HasMisc(toGridExtensions)));
    const TColor oldBlend = image.Images->BlendColor();
    if (blend) {
        const bool focused = IsFocused() || HasPaint(toPopupMode);
        image.Images->SetBlendColor(!selected || cut || image.Ghosted ? FTree->Color
                                    : focused ? FColors->FocusedSelectionColor()
                                              : FColors->UnfocusedSelectionColor());
    }
    const TDrawingStyle style = blend ? dsSelected : dsTransparent;
    image.Images->Draw(Info.Canvas, image.XPos, image.YPos, image.Index, style, itImage, enabled);
    const TVTCellImage& overlay = Info.ImageInfo[3];
    if (overlay.Index >= 0 && overlay.Images)
        overlay.Images->Draw(Info.Canvas, image.XPos, image.YPos, overlay.Index, style, itImage,
                             enabled);
    if (blend) image.Images->SetBlendColor(oldBlend);
}
