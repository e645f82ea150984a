// The window following a change of scale and of its reading order. Scaling (asked for by the
// form that scales its controls, toAutoChangeScale) multiplies by M / D what the tree measures
// in pixels: the default node height, the indent, the header's height and font and the columns'
// widths; while a form loads only a tree that already has a pending scale (tsNeedScale)
// follows. A bidi-mode change makes the tree and its parent-bidi columns take the new mode,
// recomputes the effective horizontal offset (measured from the other side in right-to-left
// layout), reorders the columns with toAutoBidiColumnOrdering and repaints the header.
#include "vtree/VTWindow.h"

void TVirtualTreeWindow::ChangeScale(int M, int D) {
    if (M == D || D == 0 || !FTree->HasAuto(toAutoChangeScale)) return;
    if (ComponentState().Contains(csLoading) && !FTree->TreeStates().Contains(tsNeedScale)) return;
    auto scaled = [M, D](int Value) { return MulDiv(Value, M, D); };
    FTree->SetDefaultNodeHeight(static_cast<Cardinal>(scaled(static_cast<int>(FTree->DefaultNodeHeight()))));
    SetIndent(scaled(FTree->Indent));
    FHeaderFont->SetHeight(scaled(FHeaderFont->Height()));
    TVTHeader* header = Header();
    header->SetDefaultHeight(scaled(header->DefaultHeight()));
    header->SetHeight(scaled(header->Height()));
    TVirtualTreeColumns* columns = header->Columns();
    columns->BeginUpdate();
    try {
        for (TColumnIndex i = 0; i < columns->Count(); ++i) {
            TVirtualTreeColumn* column = columns->Items(i);
            column->SetMinWidth(scaled(column->MinWidth()));
            column->SetWidth(scaled(column->Width()));
        }
    } catch (...) {
        columns->EndUpdate();
        throw;
    }
    columns->EndUpdate();
}

void TVirtualTreeWindow::CMBiDiModeChanged() {
    FTree->BiDiMode = BiDiMode();
    TVirtualTreeColumns* columns = Header()->Columns();
    for (TColumnIndex i = 0; i < columns->Count(); ++i) columns->Items(i)->ParentBiDiModeChanged();
    SyncViewport();
    SetViewOffsets(OffsetX(), OffsetY());
    if (FTree->HasAuto(toAutoBidiColumnOrdering)) columns->ResetPositions(UseRightToLeftAlignment());
    Header()->Invalidate(NoColumn);
}
