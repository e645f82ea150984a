// The mark a drag leaves on the row it would drop at: above or below the drop target row a
// bar with bevelled ends in the DropMarkColor (a drop on the node itself shows as the drop
// target's selection colours instead, in the cell painting).
#include "vtree/VTWindow.h"

void TVirtualTreeWindow::DrawDropMark(TCanvas* Canvas, PVirtualNode, const TRect& R) {
    const TDropMode mode = FTree->LastDropMode;
    if (mode != dmAbove && mode != dmBelow) return;
    TPen* pen = Canvas->Pen();
    TBrush* brush = Canvas->Brush();
    const TPenStyle oldStyle = pen->Style();
    const TColor oldColor = brush->Color();
    pen->SetStyle(psClear);
    brush->SetColor(FColors->DropMarkColor());
    const int l = R.left, t = R.top, r = R.right, b = R.bottom;
    if (mode == dmAbove)
        Canvas->Polygon({{l + 2, t},
                         {r - 2, t},
                         {r - 2, t + 6},
                         {r - 6, t + 2},
                         {l + 6, t + 2},
                         {l + 2, t + 6}});
    else
        Canvas->Polygon({{l + 2, b - 1},
                         {r - 2, b - 1},
                         {r - 2, b - 8},
                         {r - 7, b - 3},
                         {l + 7, b - 3},
                         {l + 2, b - 8}});
    pen->SetStyle(oldStyle);
    brush->SetColor(oldColor);
}
