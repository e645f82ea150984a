// Where nodes and columns are on the window: a node's row or text rectangle, scrolling a node to
// the top or bottom of the view, the widest content of a column (for auto-fitting), and the
// invalidation of rows, columns and everything below a row. Rows are found by summing the
// heights of the visible nodes above them (from the position cache when it is valid).
#include "vtree/VTWindow.h"

#include "vtree/VTInternal.h"

#include <algorithm>

namespace {

bool InView(TBaseVirtualTree* Tree, PVirtualNode Node, bool MainColumn, int Indent,
            int& Indentation) {
    if (!Tree->IsEffectivelyVisible(Node)) return false;
    Indentation = 0;
    for (PVirtualNode run = Node->Parent; run != Tree->RootNode(); run = run->Parent) {
        if (!run->States.Contains(vsVisible) || !run->States.Contains(vsExpanded)) return false;
        if (MainColumn) Indentation += Indent;
    }
    return true;
}

// The row's top in tree coordinates.
Integer RowTop(TBaseVirtualTree* Tree, PVirtualNode Node) {
    Integer top = 0;
    for (PVirtualNode run = Tree->GetPreviousVisibleNoInit(Node, true); run;
         run = Tree->GetPreviousVisibleNoInit(run, true))
        top += run->NodeHeight;
    return top;
}

} // namespace

TRect TVirtualTreeWindow::GetDisplayRect(PVirtualNode Node, TColumnIndex Column, bool TextOnly,
                                         bool Unclipped, bool ApplyCellContentMargin) {
    vtree_errors::Assert(Node != nullptr, vtree_messages::NodeNil);
    vtree_errors::Assert(Node != FTree->RootNode(), vtree_messages::NodeIsRoot);
    if (!Node->States.Contains(vsInitialized)) FTree->InitNode(Node);
    TVirtualTreeColumns* columns = Header()->Columns();
    const bool mainColumn = Column == NoColumn || Column == Header()->MainColumn();
    int indentation = 0;
    if (!InView(FTree, Node, mainColumn, FTree->Indent, indentation)) return {};
    SyncViewport();
    const Integer top = RowTop(FTree, Node);
    TRect r{0, top, std::max(FTree->Viewport().ClientWidth, RangeX()),
            top + static_cast<Integer>(Node->NodeHeight)};
    if (Column < 0) {
        OffsetRect(&r, -EffectiveOffsetX(), OffsetY());
    } else {
        Integer left = 0, right = 0;
        columns->GetColumnBounds(Column, left, right);
        r.left = left;
        r.right = right - 1;
        OffsetRect(&r, 0, OffsetY());
    }
    if (!TextOnly) return r;
    int offset = FTree->Margin + indentation;
    if (mainColumn) {
        if (HasPaint(toShowRoot)) offset += FTree->Indent;
        if (HasMisc(toCheckSupport) && CheckImages() && Node->CheckType != ctNone)
            offset += CheckImages()->Width() + 2;
    }
    bool ghosted = false;
    Integer index = -1;
    DoGetImageIndex(Node, ikState, Column, ghosted, index);
    if (index >= 0 && FStateImages) offset += FStateImages->Width() + 2;
    index = -1;
    DoGetImageIndex(Node, Node->States.Contains(vsSelected) ? ikSelected : ikNormal, Column,
                    ghosted, index);
    if (index >= 0 && FImages) offset += FImages->Width() + 2;
    const bool columnValid = columns->IsValidColumn(Column);
    const bool rightToLeft =
        columnValid ? columns->Items(Column)->UseRightToLeftReading() : BiDiMode() != bdLeftToRight;
    TAlignment alignment = columnValid ? columns->Items(Column)->Alignment() : FAlignment;
    if (rightToLeft) {
        r.right -= offset;
        if (alignment != taCenter)
            alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
    } else {
        r.left += offset;
    }
    const int textWidth = GetNodeWidth(Node, Column);
    if (ApplyCellContentMargin) {
        TRect content = r;
        DoBeforeCellPaint(Canvas(), Node, Column, cpmGetContentMargin, r, content);
        r = content;
    }
    if (Unclipped) {
        if (r.Width() < textWidth - 1) alignment = rightToLeft ? taRightJustify : taLeftJustify;
        const int textHeight = std::min<int>(FTextHeight, Node->NodeHeight);
        const int excess = textHeight - r.Height();
        if (excess > 0) InflateRect(&r, 0, (excess + 1) / 2);
        if (alignment == taRightJustify)
            r.left = r.right - textWidth;
        else if (alignment == taLeftJustify)
            r.right = r.left + textWidth - 1;
        else {
            r.left = (r.left + r.right - textWidth) / 2;
            r.right = r.left + textWidth;
        }
    } else if (textWidth < r.Width()) {
        if (alignment == taRightJustify)
            r.left = r.right - textWidth;
        else if (alignment == taLeftJustify)
            r.right = r.left + textWidth;
        else {
            r.left = (r.left + r.right - textWidth) / 2;
            r.right = r.left + textWidth;
        }
    }
    return r;
}

namespace {

void ExpandAncestors(TBaseVirtualTree* Tree, PVirtualNode Node) {
    for (PVirtualNode run = Node->Parent; run && run != Tree->RootNode(); run = run->Parent)
        if (!run->States.Contains(vsExpanded)) Tree->ToggleNode(run);
}

} // namespace

void TVirtualTreeWindow::SetTopNode(PVirtualNode Node) {
    if (!Node) return;
    ExpandAncestors(FTree, Node);
    const TRect r = GetDisplayRect(Node, Header()->MainColumn(), true);
    SetOffsetY(OffsetY() - r.top);
}

void TVirtualTreeWindow::SetBottomNode(PVirtualNode Node) {
    if (!Node) return;
    ExpandAncestors(FTree, Node);
    const TRect r = GetDisplayRect(Node, Header()->MainColumn(), true);
    SyncViewport();
    ApplyScrollOffset({OffsetX(), FTree->Viewport().ClientHeight + OffsetY() - r.top -
                                      static_cast<int>(Node->NodeHeight)},
                      DefaultScrollUpdateFlags);
}

// ---- column widths
// ---------------------------------------------------------------------------------

Integer TVirtualTreeWindow::GetMaxColumnWidth(TColumnIndex Column, bool UseSmartColumnWidth) {
    TVirtualTreeColumns* columns = Header()->Columns();
    if (FTree->OperationCanceled() && columns->IsValidColumn(Column))
        return columns->Items(Column)->Width();
    FTree->BeginOperation();
    Integer result = 0;
    try {
        TCustomImageList* checks = HasMisc(toCheckSupport) ? CheckImages() : nullptr;
        const int imageWidth = FImages ? FImages->Width() + 2 : 0;
        const int stateWidth = FStateImages ? FStateImages->Width() + 2 : 0;
        const bool main = Column == Header()->MainColumn();
        PVirtualNode run = UseSmartColumnWidth ? TopNode() : FTree->GetFirstVisible(nullptr, true);
        PVirtualNode stop = UseSmartColumnWidth && BottomNode()
                                ? FTree->GetNextVisible(BottomNode(), true)
                                : nullptr;
        for (; run && run != stop; run = FTree->GetNextVisible(run, true)) {
            int offset = FTree->Margin;
            if (main) {
                const int level =
                    static_cast<int>(FTree->GetNodeLevel(run)) + (HasPaint(toShowRoot) ? 1 : 0);
                offset += HasPaint(toFixedIndent) ? FTree->Indent : level * FTree->Indent;
                if (checks && run->CheckType != ctNone) offset += checks->Width() + 2;
            }
            bool ghosted = false;
            Integer index = -1;
            DoGetImageIndex(run, run->States.Contains(vsSelected) ? ikSelected : ikNormal, Column,
                            ghosted, index);
            if (index >= 0) offset += imageWidth;
            index = -1;
            DoGetImageIndex(run, ikState, Column, ghosted, index);
            if (index >= 0) offset += stateWidth;
            TRect cell{}, content{};
            DoBeforeCellPaint(Canvas(), run, Column, cpmGetContentMargin, cell, content);
            result = std::max<Integer>(result, offset + GetNodeWidth(run, Column) + content.left -
                                                   cell.left);
        }
        if (HasPaint(toShowVertGridLines)) ++result;
    } catch (...) {
        FTree->EndOperation();
        throw;
    }
    FTree->EndOperation();
    return result;
}

void TVirtualTreeWindow::AutoFitColumns(bool Animated, TColumnIndex RangeStartCol,
                                        TColumnIndex RangeEndCol) {
    TVirtualTreeColumns* columns = Header()->Columns();
    const TColumnIndex last = columns->Count() - 1;
    const TColumnIndex start = std::max(RangeStartCol, 0);
    const TColumnIndex end = RangeEndCol < 0 ? last : std::min(RangeEndCol, last);
    if (end < start) return;
    FTree->BeginOperation();
    try {
        for (TColumnIndex position = start; position <= end && !FTree->OperationCanceled();
             ++position) {
            const TColumnIndex column =
                columns->ColumnFromPosition(static_cast<TColumnPosition>(position));
            if (!columns->IsValidColumn(column)) continue;
            TVirtualTreeColumn* item = columns->Items(column);
            if (!item->Options().Contains(coResizable) || !item->Options().Contains(coVisible))
                continue;
            const Integer width =
                GetMaxColumnWidth(column, item->Options().Contains(coSmartResize));
            if (Animated)
                columns->AnimatedResize(column, width);
            else
                item->SetWidth(width);
        }
    } catch (...) {
        FTree->EndOperation();
        throw;
    }
    FTree->EndOperation();
}

// ---- invalidation
// ----------------------------------------------------------------------------------

TRect TVirtualTreeWindow::InvalidateNode(PVirtualNode Node) {
    if (!Node || Node == FTree->RootNode() || !HandleAllocated() || FTree->UpdateCount() > 0 ||
        Node->States.Contains(vsDeleting))
        return {};
    int indentation = 0;
    if (!InView(FTree, Node, false, 0, indentation)) return {};
    const Integer top = RowTop(FTree, Node) + OffsetY();
    const TRect r{0, top, std::max(ClientWidth(), RangeX()),
                  top + static_cast<Integer>(Node->NodeHeight)};
    InvalidateRect(Handle(), &r, FALSE);
    return r;
}

void TVirtualTreeWindow::InvalidateColumn(TColumnIndex Column) {
    if (!HandleAllocated() || FTree->UpdateCount() > 0 ||
        !Header()->Columns()->IsValidColumn(Column))
        return;
    Integer left = 0, right = 0;
    Header()->Columns()->GetColumnBounds(Column, left, right);
    const TRect r{left, 0, right, ClientHeight()};
    InvalidateRect(Handle(), &r, FALSE);
}

void TVirtualTreeWindow::InvalidateToBottom(PVirtualNode Node) {
    if (!HandleAllocated() || FTree->UpdateCount() > 0) return;
    if (!Node || Node == FTree->RootNode() || Node->States.Contains(vsDeleting))
        return Invalidate();
    int indentation = 0;
    if (!Node->States.Contains(vsInitialized) || !InView(FTree, Node, false, 0, indentation))
        return;
    Integer top = RowTop(FTree, Node) + OffsetY();
    if (HasPaint(toChildrenAbove) && Node->States.Contains(vsExpanded))
        top -= static_cast<Integer>(Node->TotalHeight) + Node->NodeHeight;
    const TRect client = ClientRect();
    if (top >= client.bottom) return;
    const TRect r{client.left, top, client.right, client.bottom};
    InvalidateRect(Handle(), &r, FALSE);
}

void TVirtualTreeWindow::RepaintNode(PVirtualNode Node) {
    if (!Node || Node == FTree->RootNode() || !HandleAllocated()) return;
    int indentation = 0;
    if (!InView(FTree, Node, false, 0, indentation)) return;
    const Integer top = RowTop(FTree, Node) + OffsetY();
    const TRect r{0, top, std::max(ClientWidth(), RangeX()),
                  top + static_cast<Integer>(Node->NodeHeight)};
    RedrawWindow(Handle(), &r, nullptr,
                 RDW_INVALIDATE | RDW_VALIDATE | RDW_NOERASE | RDW_NOCHILDREN | RDW_UPDATENOW);
}
