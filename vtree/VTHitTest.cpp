// Hit testing: where a point lies relative to the tree, its nodes and their parts (button, check
// box, images, label). Right-to-left columns are the mirror image of left-to-right ones: the
// offset is taken from the cell's right edge and the alignment flipped, so one routine serves
// both readings.
#include "vtree/VTWindow.h"

namespace {

TAlignment Flipped(TAlignment Alignment) {
    if (Alignment == taLeftJustify) return taRightJustify;
    if (Alignment == taRightJustify) return taLeftJustify;
    return Alignment;
}

} // namespace

void TVirtualTreeWindow::GetHitTestInfoAt(int X, int Y, bool Relative, THitInfo& HitInfo) {
    HitInfo = {};
    const TVTViewport& view = FTree->Viewport();
    if (X < 0)
        HitInfo.HitPositions.Include(hiToLeft);
    else if (X > std::max(view.ClientWidth, RangeX()))
        HitInfo.HitPositions.Include(hiToRight);
    if (Y < 0)
        HitInfo.HitPositions.Include(hiAbove);
    else if (Y > std::max(view.ClientHeight, RangeY()))
        HitInfo.HitPositions.Include(hiBelow);
    if (Relative) {
        if (X > Header()->Columns()->GetVisibleFixedWidth()) X += EffectiveOffsetX();
        Y -= OffsetY();
    }
    if (!HitInfo.HitPositions.Empty()) return;
    Integer top = 0;
    HitInfo.HitNode = FTree->GetNodeAt(X, Y, false, top);
    if (HitInfo.HitNode && !HitInfo.HitNode->States.Contains(vsInitialized))
        FTree->InitNode(HitInfo.HitNode);
    int right = std::max(view.ClientWidth, RangeX());
    if (HitInfo.HitNode && Header()->UseColumns()) {
        Integer left = 0, columnRight = 0;
        TVirtualTreeColumns* columns = Header()->Columns();
        HitInfo.HitColumn = columns->ColumnAndBoundsAt({X, Y}, left, columnRight, false);
        if (FTree->HasAuto(toAutoSpanColumns)) {
            for (TColumnIndex c = HitInfo.HitColumn;
                 c >= 0 && FTree->DoGetCellIsEmpty(HitInfo.HitNode, c);) {
                const TColumnIndex previous = columns->GetPreviousVisibleColumn(c);
                if (previous < 0) break;
                left -= columns->Items(previous)->Width();
                HitInfo.HitColumn = c = previous;
            }
            for (TColumnIndex c = columns->GetNextVisibleColumn(HitInfo.HitColumn);
                 c >= 0 && FTree->DoGetCellIsEmpty(HitInfo.HitNode, c);
                 c = columns->GetNextVisibleColumn(c))
                columnRight += columns->Items(c)->Width();
        }
        X -= left;
        right = columnRight - left;
    }
    if (!HitInfo.HitNode || HitInfo.HitColumn == InvalidColumn) {
        HitInfo.HitPositions.Include(hiNowhere);
        return;
    }
    HitInfo.HitPositions = {hiOnItem};
    if (HasMisc(toNodeHeightResize)) {
        const int height = static_cast<int>(FTree->NodeRowHeight(HitInfo.HitNode));
        if (Y <= top + 1)
            HitInfo.HitPositions.Include(hiUpperSplitter);
        else if (Y >= top + height - 3)
            HitInfo.HitPositions.Include(hiLowerSplitter);
    }
    TAlignment alignment = FAlignment;
    TBiDiMode bidi = FTree->BiDiMode;
    if (HitInfo.HitColumn >= 0) {
        alignment = Header()->Columns()->Items(HitInfo.HitColumn)->Alignment();
        bidi = Header()->Columns()->Items(HitInfo.HitColumn)->BiDiMode();
    }
    if (bidi == bdLeftToRight)
        DetermineHitPosition(HitInfo, X, right, alignment);
    else
        DetermineHitPosition(HitInfo, right - X, right, Flipped(alignment));
}

// Offset counts from the cell's reading start (the left edge in left-to-right layout).
void TVirtualTreeWindow::DetermineHitPosition(THitInfo& HitInfo, int Offset, int Right,
                                              TAlignment Alignment) {
    PVirtualNode node = HitInfo.HitNode;
    const bool mainHit = HitInfo.HitColumn == Header()->MainColumn();
    int indent = 0;
    if (mainHit) {
        if (HasPaint(toFixedIndent))
            indent = FTree->Indent;
        else
            indent = FTree->Indent *
                     static_cast<int>(FTree->GetNodeLevel(node) + (HasPaint(toShowRoot) ? 1 : 0));
    }
    if (Offset < indent) {
        if (HasPaint(toShowButtons) && node->States.Contains(vsHasChildren)) {
            if (Offset >= indent - FTree->Indent) HitInfo.HitPositions.Include(hiOnItemButton);
            if (Offset >= indent - FPlusBM->Width())
                HitInfo.HitPositions.Include(hiOnItemButtonExact);
        }
        return;
    }
    if (!mainHit && HasMisc(toReportMode)) return;
    int pos = indent + FTree->Margin;
    if (mainHit && HasMisc(toCheckSupport) && CheckImages() && node->CheckType != ctNone) {
        pos += CheckImages()->Width() + 2;
        if (Offset < pos) {
            HitInfo.HitPositions = {hiOnItem, hiOnItemCheckbox};
            return;
        }
    }
    auto hasImage = [&](TVTImageKind Kind) {
        bool ghosted = false;
        Integer index = -1;
        DoGetImageIndex(node, Kind, HitInfo.HitColumn, ghosted, index);
        return index >= 0;
    };
    if (FStateImages && hasImage(ikState)) {
        pos += FStateImages->Width() + 2;
        if (Offset < pos) return HitInfo.HitPositions.Include(hiOnStateIcon);
    }
    if (FImages && hasImage(ikNormal)) {
        pos += FImages->Width() + 2;
        if (Offset < pos) return HitInfo.HitPositions.Include(hiOnNormalIcon);
    }
    const int textWidth = FTree->GetNodeTextWidth(node, HitInfo.HitColumn);
    if (Right - pos < textWidth) return HitInfo.HitPositions.Include(hiOnItemLabel);
    switch (Alignment) {
    case taRightJustify:
        HitInfo.HitPositions.Include(Offset < Right - textWidth ? hiOnItemLeft : hiOnItemLabel);
        break;
    case taCenter: {
        const int start = (pos + Right - textWidth) / 2;
        if (Offset < start)
            HitInfo.HitPositions.Include(hiOnItemLeft);
        else if (Offset < start + textWidth)
            HitInfo.HitPositions.Include(hiOnItemLabel);
        else
            HitInfo.HitPositions.Include(hiOnItemRight);
        break;
    }
    default: HitInfo.HitPositions.Include(Offset < pos + textWidth ? hiOnItemLabel : hiOnItemRight);
    }
}
