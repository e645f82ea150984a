// The rubber band: the rectangle the mouse draws from the press point to the pointer, in tree
// coordinates, and the selection it sweeps. Nodes enter or leave the selection only where the
// new rectangle differs from the last one, so a band drawn with Ctrl toggles what it passes
// over and toggles it back when it shrinks again. Text boxes follow the main column's alignment
// in left-to-right layout; with toSimpleDrawSelection whole rows count.
#include "vtree/VTWindow.h"

#include <algorithm>

namespace {

TRect Normalised(TRect R) {
    if (R.left > R.right) std::swap(R.left, R.right);
    if (R.top > R.bottom) std::swap(R.top, R.bottom);
    return R;
}

// Touching edges count as an intersection.
bool Touches(const TRect& A, const TRect& B) {
    return A.left <= B.right && B.left <= A.right && A.top <= B.bottom && B.top <= A.bottom;
}

} // namespace

void TVirtualTreeWindow::StartDrawSelection(int X, int Y, TShiftState Shift) {
    SetMouseCapture(true);
    FTree->DoStateChange({tsDrawSelPending});
    FDrawSelShiftState = Shift;
    const int x = X + EffectiveOffsetX(), y = Y - OffsetY();
    FNewSelRect = {x, y, x, y};
    FLastSelRect = {};
}

bool TVirtualTreeWindow::CalculateSelectionRect(int X, int Y) {
    if (FTree->TreeStates().Contains(tsDrawSelecting)) FLastSelRect = FNewSelRect;
    const TVTViewport& view = FTree->Viewport();
    const int right = std::clamp(X + EffectiveOffsetX(), 0, std::max(view.ClientWidth, RangeX()));
    const int bottom = std::clamp(Y - OffsetY(), 0, std::max(view.ClientHeight, RangeY()));
    const bool changed = right != FNewSelRect.right || bottom != FNewSelRect.bottom;
    FNewSelRect.right = right;
    FNewSelRect.bottom = bottom;
    return changed;
}

bool TVirtualTreeWindow::HandleDrawSelection() {
    TBaseVirtualTree& tree = *FTree;
    if (tree.TotalCount() <= 1 || !tree.TreeStates().Contains(tsDrawSelecting)) return false;
    const TRect oldRect = Normalised(FLastSelRect), newRect = Normalised(FNewSelRect);
    tree.FTempNodeCache.clear();
    int nodeLeft = 0, nodeRight = ClientWidth();
    TAlignment alignment = FAlignment;
    const TColumnIndex main = Header()->MainColumn();
    if (main >= 0) {
        TVirtualTreeColumn* column = Header()->Columns()->Items(main);
        nodeLeft = column->Left() + EffectiveOffsetX();
        nodeRight = nodeLeft + column->Width();
        alignment = column->Alignment();
    }
    const bool toggle = FDrawSelShiftState.Contains(ssCtrl);
    const int minY = std::min(oldRect.top, newRect.top),
              maxY = std::max(oldRect.bottom, newRect.bottom);
    Integer top = 0;
    PVirtualNode node = tree.GetNodeAt(0, minY, false, top);
    bool changed = false;
    const bool hasOld =
        oldRect.right != 0 || oldRect.bottom != 0 || oldRect.left != 0 || oldRect.top != 0;
    for (; node && top <= maxY; node = tree.GetNextVisibleNoInit(node, true)) {
        const int level =
            static_cast<int>(tree.GetNodeLevel(node)) + (HasPaint(toShowRoot) ? 1 : 0);
        int textLeft = nodeLeft + tree.Margin + level * tree.Indent;
        if (HasMisc(toCheckSupport) && CheckImages() && node->CheckType != ctNone)
            textLeft += CheckImages()->Width() + 2;
        const int nextTop = top + static_cast<int>(tree.NodeRowHeight(node));
        bool inOld, inNew;
        if (HasSelection(toSimpleDrawSelection)) {
            inOld = oldRect.top < nextTop && top < oldRect.bottom;
            inNew = newRect.top < nextTop && top < newRect.bottom;
        } else {
            const int width = tree.GetNodeTextWidth(node, main);
            TRect box{textLeft, top, nodeRight, nextTop};
            if (width < nodeRight - textLeft) {
                if (alignment == taLeftJustify)
                    box.right = textLeft + width;
                else if (alignment == taRightJustify)
                    box.left = nodeRight - width;
                else {
                    box.left = (nodeRight + textLeft - width) / 2;
                    box.right = box.left + width;
                }
            }
            inOld = hasOld && Touches(box, oldRect);
            inNew = Touches(box, newRect);
        }
        if (inOld != inNew) {
            changed = true;
            const bool add = toggle ? !node->States.Contains(vsSelected) : inNew;
            if (add)
                tree.FTempNodeCache.push_back(node);
            else if (node->States.Contains(vsSelected))
                tree.InternalRemoveFromSelection(node);
        }
        top = nextTop;
    }
    if (!changed) return false;
    tree.PackSelection();
    if (!tree.FTempNodeCache.empty()) {
        tree.AddToSelection(tree.FTempNodeCache, static_cast<Cardinal>(tree.FTempNodeCache.size()),
                            false);
        tree.FTempNodeCache.clear();
    }
    tree.Change(nullptr);
    return true;
}
