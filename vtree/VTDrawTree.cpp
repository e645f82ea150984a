// The draw tree's events. Its model is a plain tree (no texts) that asks the window for the
// content width of a cell, so that hit testing and the other model-side measures see the
// same width the application reports for painting.
#include "vtree/VTDrawTree.h"

namespace {

class TDrawTreeModel : public TBaseVirtualTree {
public:
    explicit TDrawTreeModel(TCustomVirtualDrawTree& Window)
        : TBaseVirtualTree(nullptr), FWindow(Window) {}
    Integer GetNodeTextWidth(PVirtualNode Node, TColumnIndex Column) override {
        return FWindow.GetNodeTextWidth(Node, Column);
    }

private:
    TCustomVirtualDrawTree& FWindow;
};

} // namespace

TBaseVirtualTree* TCustomVirtualDrawTree::CreateTree() { return Construct<TDrawTreeModel>(*this); }

void TCustomVirtualDrawTree::DoPaintNode(TVTPaintInfo& PaintInfo) { OnDrawNode(this, PaintInfo); }

Integer TCustomVirtualDrawTree::GetNodeWidth(PVirtualNode Node, TColumnIndex Column) {
    return GetNodeTextWidth(Node, Column);
}

Integer TCustomVirtualDrawTree::GetNodeTextWidth(PVirtualNode Node, TColumnIndex Column,
                                                 TCanvas* Canvas) {
    Integer width = 2 * Tree()->TextMargin;
    OnGetNodeWidth(this, Canvas ? Canvas : this->Canvas(), Node, Column, width);
    return width;
}

TPoint TCustomVirtualDrawTree::DoGetCellContentMargin(PVirtualNode Node, TColumnIndex Column,
                                                      TVTCellContentMarginType Kind,
                                                      TCanvas* Canvas) {
    TPoint margin{0, 0};
    OnGetCellContentMargin(this, Canvas ? Canvas : this->Canvas(), Node, Column, Kind, margin);
    return margin;
}

void TCustomVirtualDrawTree::DoGetHintSize(PVirtualNode Node, TColumnIndex Column, TRect& R) {
    OnGetHintSize(this, Node, Column, R);
}

void TCustomVirtualDrawTree::DoBeforeCellPaint(TCanvas* Canvas, PVirtualNode Node,
                                               TColumnIndex Column, TVTCellPaintMode Mode,
                                               const TRect& CellRect, TRect& ContentRect) {
    TVirtualTreeWindow::DoBeforeCellPaint(Canvas, Node, Column, Mode, CellRect, ContentRect);
    if (Mode != cpmGetContentMargin || !OnGetCellContentMargin) return;
    const TPoint topLeft = DoGetCellContentMargin(Node, Column, ccmtTopLeftOnly, Canvas);
    const TPoint bottomRight = DoGetCellContentMargin(Node, Column, ccmtBottomRightOnly, Canvas);
    ContentRect.left += topLeft.x;
    ContentRect.top += topLeft.y;
    ContentRect.right -= bottomRight.x;
    ContentRect.bottom -= bottomRight.y;
}
