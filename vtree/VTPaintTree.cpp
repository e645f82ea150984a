// PaintTree: any rectangle of the tree into any canvas. Every row is composed in one 32-bit
// bitmap one row high (addressed in tree x coordinates through the DC's window origin) and
// copied to the target with one BitBlt; the area below the last row is filled with the column
// colours (or the background picture) the same way. The window is never erased otherwise.
#include "vtree/VTPaintState.h"

#include <algorithm>
#include <cmath>

namespace {

TRect Ordered(TRect R) {
    if (R.left > R.right) std::swap(R.left, R.right);
    if (R.top > R.bottom) std::swap(R.top, R.bottom);
    return R;
}

// Round half to even, as the button's place inside its indent step is computed.
int RoundHalfEven(double Value) { return static_cast<int>(std::nearbyint(Value)); }

} // namespace

void TVirtualTreeWindow::PaintTree(TCanvas* TargetCanvas, TRect Window, TPoint Target,
                                   TVTInternalPaintOptions PaintOptions, TPixelFormat) {
    if (FTree->TreeStates().Contains(tsPainting)) return;
    if (Window.Width() <= 0 || Window.Height() <= 0) return;
    FTree->DoStateChange({tsPainting});
    TRowPaint row;
    try {
        OnBeforePaint(this, TargetCanvas);
        SyncViewport();
        row.Target = TargetCanvas;
        row.Window = Window;
        row.Bitmap->SetPixelFormat(pf32bit);
        row.Info.Canvas = row.Bitmap->Canvas();
        row.Info.Canvas->Lock();
        const TRect selection = Ordered(FNewSelRect);
        if (FTree->IsMouseSelecting() && !IsRectEmpty(&selection)) {
            row.DrawSelectionRect = true;
            row.SelectionRect = selection;
        }
        const int treeWidth = std::max(FTree->Viewport().ClientWidth, RangeX());
        row.R = {0, 0, treeWidth, 0};
        row.Bitmap->SetWidth(Window.Width());
        row.UseBackground = HasPaint(toShowBackground) && PaintOptions.Contains(poBackground) &&
                            dynamic_cast<TBitmap*>(FBackground->Graphic()) != nullptr;
        row.ShowImages = FImages != nullptr;
        row.ShowStateImages = FStateImages != nullptr;
        row.ShowCheckImages = CheckImages() != nullptr && HasMisc(toCheckSupport);
        row.UseColumns = Header()->UseColumns();
        row.Options = PaintOptions;
        if (HasPaint(toAlwaysHideSelection) || (!IsFocused() && HasPaint(toHideSelection)))
            row.Options -= TVTInternalPaintOptions{poDrawSelection};
        if (HasPaint(toHideFocusRect)) row.Options -= TVTInternalPaintOptions{poDrawFocusRect};
        row.BaseButtonX = RoundHalfEven((FTree->Indent - FPlusBM->Width()) / 2.0);
        Integer nodeTop = 0;
        PVirtualNode node = FTree->GetNodeAt(0, Window.top, false, nodeTop);
        if (!node) nodeTop = Window.top;
        OffsetRect(&row.SelectionRect, 0, -nodeTop);
        row.NodeTop = nodeTop;
        row.TargetRect = {Target.x, Target.y + nodeTop - Window.top, Target.x + Window.Width(),
                          Target.y + nodeTop - Window.top};
        row.MaximumRight = Target.x + Window.Width();
        row.MaximumBottom = Target.y + Window.Height();
        for (; node; node = FTree->GetNextVisible(node, true)) {
            row.Info.Node = node;
            PaintRow(row);
            OffsetRect(&row.SelectionRect, 0, -static_cast<int>(node->NodeHeight));
            row.NodeTop += node->NodeHeight;
            row.TargetRect.top += node->NodeHeight;
            if (row.TargetRect.top >= row.MaximumBottom) break;
        }
        if (row.TargetRect.top < row.MaximumBottom) PaintEmptyArea(row, TargetCanvas);
        row.Info.Canvas->Unlock();
        OnAfterPaint(this, TargetCanvas);
    } catch (...) {
        if (row.Info.Canvas && row.Info.Canvas->LockCount() > 0) row.Info.Canvas->Unlock();
        FTree->DoStateChange({}, {tsPainting});
        throw;
    }
    FTree->DoStateChange({}, {tsPainting});
}

void TVirtualTreeWindow::PaintRow(TRowPaint& Row) {
    PVirtualNode node = Row.Info.Node;
    Integer selectLevel = BuildLineImage(node, Row.LineImage);
    const int indentSize = static_cast<int>(Row.LineImage.size());
    Row.ButtonX =
        Row.BaseButtonX + (HasPaint(toFixedIndent) ? 0 : (indentSize - 1) * FTree->Indent);
    if (!node->States.Contains(vsInitialized)) FTree->InitNode(node);
    if (node->States.Contains(vsSelected) && !HasPaint(toChildrenAbove)) ++selectLevel;
    FTree->MeasureItemHeight(Row.Bitmap->Canvas(), node);
    const int height = node->NodeHeight;
    Row.TargetRect.bottom = Row.TargetRect.top + height;
    if (selectLevel == 0 && Row.Options.Contains(poSelectedOnly)) return;
    TCanvas* canvas = Row.Bitmap->Canvas();
    if (Row.Bitmap->Height() != height) {
        Row.Bitmap->SetHeight(0);
        Row.Bitmap->SetSize(Row.Window.Width(), height);
        Row.Info.Canvas = canvas = Row.Bitmap->Canvas();
        Row.R.bottom = height;
    }
    HDC dc = canvas->Handle();
    SetWindowOrgEx(dc, Row.Window.left, 0, nullptr);
    Row.Info.BrushOrigin = {Row.Window.left & 1, Row.NodeTop & 1};
    SetBrushOrgEx(dc, Row.Info.BrushOrigin.x, Row.Info.BrushOrigin.y, nullptr);
    ComputeVerticalAlignments(node, Row.ShowImages, Row.ShowStateImages, Row.VAlign, Row.ButtonY);
    if (!DoBeforeItemPaint(canvas, node, Row.R)) {
        EraseNodeBackground(
            Row.Info, Row.UseBackground,
            {Row.Window.left, Row.TargetRect.top, Row.Window.right, Row.TargetRect.bottom});
        TVirtualTreeColumns* columns = Header()->Columns();
        // Each cell is clipped to itself (ClipToCell), starting from no clipping at all.
        if (Row.UseColumns) SelectClipRgn(canvas->Handle(), nullptr);
        Row.Info.CellRect = Row.R;
        TColumnIndex column = NoColumn;
        if (Row.UseColumns) {
            column = columns->GetFirstVisibleColumn();
            Row.Info.Position = 0;
            if (column != InvalidColumn) {
                Row.Info.CellRect.right = Row.Info.CellRect.left + columns->Items(column)->Width();
                Row.Info.Position = columns->Items(column)->Position();
            }
        }
        while ((column > InvalidColumn || !Row.UseColumns) &&
               Row.Info.CellRect.left < Row.Window.right) {
            TColumnIndex next = InvalidColumn;
            if (Row.UseColumns) {
                column = columns->PositionToIndex()[Row.Info.Position];
                if (Row.FirstColumn == InvalidColumn) Row.FirstColumn = column;
                Row.Info.BidiMode = columns->Items(column)->BiDiMode();
                Row.Info.Alignment = columns->Items(column)->Alignment();
            } else {
                column = NoColumn;
                Row.Info.BidiMode = BiDiMode();
                Row.Info.Alignment = FAlignment;
            }
            Row.Info.Column = column;
            const bool isMain = column == Header()->MainColumn();
            const bool hidden =
                Row.UseColumns && !columns->Items(column)->Options().Contains(coVisible);
            if (hidden || (Row.Options.Contains(poMainOnly) && !isMain)) {
                next = columns->GetNextVisibleColumn(column);
            } else {
                auto* strings = dynamic_cast<TCustomVirtualStringTree*>(FTree);
                next = strings ? strings->AdjustCellSpan(node, column, Row.Info.CellRect)
                               : columns->GetNextVisibleColumn(column);
                if (Row.Info.CellRect.right > Row.Window.left) PaintCell(Row, Row.Info, isMain);
            }
            if (!Row.UseColumns) break;
            SelectClipRgn(canvas->Handle(), nullptr);
            column = next;
            if (column == InvalidColumn) break;
            Row.Info.Position = columns->Items(column)->Position();
            if (columns->Items(column)->Options().Contains(coVisible)) {
                Integer left = 0, right = 0;
                columns->Items(column)->GetUnscrolledBounds(left, right);
                Row.Info.CellRect = {left, 0, right, height};
                Row.Info.ContentRect.bottom = height;
            }
        }
    }
    OnAfterItemPaint(this, canvas, node, Row.R);
    if (node == FTree->DropTargetNode() && HasPaint(toShowDropmark) &&
        Row.Options.Contains(poDrawDropMark))
        DrawDropMark(canvas, node, Row.R);
    if (Row.DrawSelectionRect)
        DrawSelectionRectangle(canvas, Row.Window.left, Row.SelectionRect,
                               {0, 0, Row.Bitmap->Width(), Row.Bitmap->Height()});
    BitBlt(Row.Target->Handle(), Row.TargetRect.left, Row.TargetRect.top, Row.Bitmap->Width(),
           height, canvas->Handle(), Row.Window.left, 0, SRCCOPY);
}

void TVirtualTreeWindow::EraseNodeBackground(TVTPaintInfo& PaintInfo, bool UseBackground, TRect R) {
    TColor color = FTree->Color;
    TItemEraseAction action = eaDefault;
    const TPoint offset{-EffectiveOffsetX(), R.top};
    OffsetRect(&R, 0, -R.top);
    TCanvas* canvas = PaintInfo.Canvas;
    OnBeforeItemErase(this, canvas, PaintInfo.Node, R, color, action);
    if (action == eaColor) {
        canvas->Brush()->SetColor(color);
        canvas->FillRect(R);
    } else if (action == eaDefault) {
        const bool selected = PaintInfo.Node->States.Contains(vsSelected);
        const bool explorer = UseThemes() && HasPaint(toUseExplorerTheme);
        if (UseBackground) {
            FillWithBackground(canvas, R, offset);
        } else if (PaintInfo.PaintOptions.Contains(poDrawSelection) &&
                   HasSelection(toFullRowSelect) && selected && !HasPaint(toUseBlendedSelection) &&
                   !explorer) {
            if (HasPaint(toShowHorzGridLines)) --R.bottom;
            const bool focused = IsFocused() || HasPaint(toPopupMode);
            canvas->Brush()->SetColor(focused ? FColors->FocusedSelectionColor()
                                              : FColors->UnfocusedSelectionColor());
            canvas->Pen()->SetColor(focused ? FColors->FocusedSelectionBorderColor()
                                            : FColors->UnfocusedSelectionBorderColor());
            const int radius = static_cast<int>(FSelectionCurveRadius);
            canvas->RoundRect(R.left, R.top, R.right, R.bottom, radius, radius);
        } else {
            canvas->Brush()->SetColor(FTree->Color);
            canvas->FillRect(R);
        }
    }
    OnAfterItemErase(this, canvas, PaintInfo.Node, R);
}

// Tiles the background picture; canvas point (x, y) shows picture pixel
// ((x + O.x + BackgroundOffsetX) mod width, (y + O.y + BackgroundOffsetY) mod height).
void TVirtualTreeWindow::FillWithBackground(TCanvas* Canvas, const TRect& R, TPoint Offset) {
    auto* picture = dynamic_cast<TBitmap*>(FBackground->Graphic());
    const int width = picture ? picture->Width() : 0, height = picture ? picture->Height() : 0;
    Canvas->Brush()->SetColor(FTree->Color);
    Canvas->FillRect(R);
    if (width <= 0 || height <= 0) return; // an empty picture is no background
    if (HasPaint(toStaticBackground)) {
        TRect image{FBackgroundOffsetX, FBackgroundOffsetY, FBackgroundOffsetX + width,
                    FBackgroundOffsetY + height};
        TRect area = R;
        OffsetRect(&area, Offset.x, Offset.y);
        TRect visible;
        if (!IntersectRect(&visible, &image, &area)) return;
        TRect source = visible;
        OffsetRect(&source, -image.left, -image.top);
        OffsetRect(&visible, -Offset.x, -Offset.y);
        Canvas->CopyRect(visible, picture->Canvas(), source);
        return;
    }
    auto modulo = [](int Value, int Size) { return ((Value % Size) + Size) % Size; };
    for (int y = R.top; y < R.bottom;) {
        const int sourceY = modulo(y + Offset.y + FBackgroundOffsetY, height);
        const int bandHeight = std::min<int>(height - sourceY, R.bottom - y);
        for (int x = R.left; x < R.right;) {
            const int sourceX = modulo(x + Offset.x + FBackgroundOffsetX, width);
            const int tileWidth = std::min<int>(width - sourceX, R.right - x);
            BitBlt(Canvas->Handle(), x, y, tileWidth, bandHeight, picture->Canvas()->Handle(),
                   sourceX, sourceY, SRCCOPY);
            x += tileWidth;
        }
        y += bandHeight;
    }
}

void TVirtualTreeWindow::PaintEmptyArea(TRowPaint& Row, TCanvas* TargetCanvas) {
    const TPoint target = Row.TargetRect.TopLeft();
    const TRect area{0, 0, Row.MaximumRight - target.x, Row.MaximumBottom - target.y};
    TBitmap bitmap(area.Width(), area.Height(), pf32bit);
    TCanvas* canvas = bitmap.Canvas();
    bool handled = false;
    OnPaintBackground(this, canvas, area, handled);
    if (!handled) {
        if (Row.UseBackground) {
            FillWithBackground(canvas, area, target);
        } else if (Row.UseColumns) {
            SetWindowOrgEx(canvas->Handle(), target.x, 0, nullptr);
            TVirtualTreeColumns* columns = Header()->Columns();
            TColumnIndex column = Row.FirstColumn;
            if (column == InvalidColumn) {
                for (column = columns->GetFirstVisibleColumn(); column != InvalidColumn;
                     column = columns->GetNextVisibleColumn(column))
                    if (columns->Items(column)->Left() + columns->Items(column)->Width() > 0) break;
            }
            const bool fullGrid = Row.Options.Contains(poGridLines) &&
                                  HasPaint(toFullVertGridLines) && HasPaint(toShowVertGridLines);
            const bool autoResize = Header()->Options().Contains(hoAutoResize);
            TRect r{target.x, 0, target.x, area.bottom};
            for (; column != InvalidColumn && r.left < Row.MaximumRight;
                 column = columns->GetNextVisibleColumn(column)) {
                TVirtualTreeColumn* item = columns->Items(column);
                r.left = item->Left();
                r.right = r.left + item->Width();
                if (fullGrid && (!autoResize || column < columns->Count() - 1)) {
                    canvas->Brush()->SetColor(FColors->GridLineColor());
                    canvas->FillRect({r.right - 1, r.top, r.right, r.bottom});
                    --r.right;
                }
                canvas->Brush()->SetColor(item->Options().Contains(coParentColor) ? FTree->Color
                                                                                  : item->Color());
                canvas->FillRect(r);
            }
            if (r.right < Row.MaximumRight) {
                const int start = r.right + (fullGrid && !autoResize ? 1 : 0);
                canvas->Brush()->SetColor(FTree->Color);
                canvas->FillRect({start, 0, Row.MaximumRight, area.bottom});
            }
            SetWindowOrgEx(canvas->Handle(), 0, 0, nullptr);
        } else {
            canvas->Brush()->SetColor(FTree->Color);
            canvas->FillRect(area);
        }
    }
    if (Row.DrawSelectionRect) {
        TRect selection = Row.SelectionRect;
        OffsetRect(&selection, -Row.Window.left, 0);
        DrawSelectionRectangle(canvas, 0, selection, area);
    }
    BitBlt(TargetCanvas->Handle(), target.x, target.y, area.Width(), area.Height(),
           canvas->Handle(), 0, 0, SRCCOPY);
}

bool TVirtualTreeWindow::DoBeforeItemPaint(TCanvas* Canvas, PVirtualNode Node,
                                           const TRect& ItemRect) {
    bool customDraw = false;
    OnBeforeItemPaint(this, Canvas, Node, ItemRect, customDraw);
    return customDraw;
}

void TVirtualTreeWindow::DoBeforeCellPaint(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column,
                                           TVTCellPaintMode Mode, const TRect& CellRect,
                                           TRect& ContentRect) {
    OnBeforeCellPaint(this, Canvas, Node, Column, Mode, CellRect, ContentRect);
}

void TVirtualTreeWindow::DoGetImageIndex(PVirtualNode Node, TVTImageKind Kind, TColumnIndex Column,
                                         bool& Ghosted, Integer& Index) {
    OnGetImageIndex(this, Node, Kind, Column, Ghosted, Index);
}

void TVirtualTreeWindow::DoPaintNode(TVTPaintInfo&) {}

Integer TVirtualTreeWindow::GetNodeWidth(PVirtualNode Node, TColumnIndex Column) {
    return FTree->GetNodeTextWidth(Node, Column);
}
