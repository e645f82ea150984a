// The base tree's cell hooks that derived trees refine: main-column changes, column resizes,
// the empty-cell test and node text widths (the base tree has no text).
#include "vtree/VTInternal.h"

void TBaseVirtualTree::HandleMainColumnChange() {
    FViewSink->CancelEditNode();
    FViewSink->MainColumnChanged();
}

void TBaseVirtualTree::DoColumnResize(TColumnIndex Column) { OnColumnResize(FHeader, Column); }

bool TBaseVirtualTree::DoGetCellIsEmpty(PVirtualNode Node, TColumnIndex Column) {
    bool isEmpty = true;
    OnGetCellIsEmpty(this, Node, Column, isEmpty);
    return isEmpty;
}

Integer TBaseVirtualTree::GetNodeTextWidth(PVirtualNode, TColumnIndex) { return 0; }
