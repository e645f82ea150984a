// The window following a change of scale and of its reading order. Scaling (asked for by the
// form that scales its controls, toAutoChangeScale) multiplies the default node height and the
// header font's size by M / D; while a form loads only a tree that already has a pending scale
// (tsNeedScale) follows. A bidi-mode change makes the tree and its parent-bidi columns take the new
// mode, recomputes the effective horizontal offset (measured from the other side in right-to-left
// layout), reorders the columns with toAutoBidiColumnOrdering and repaints the header.
#include "vtree/VTWindow.h"

void TVirtualTreeWindow::ChangeScale(int M, int D) {
    if (M == D || D == 0 || !FTree->HasAuto(toAutoChangeScale)) return;
    if (ComponentState().Contains(csLoading) && !FTree->TreeStates().Contains(tsNeedScale)) return;
    FTree->SetDefaultNodeHeight(
        static_cast<Cardinal>(MulDiv(static_cast<int>(FTree->DefaultNodeHeight()), M, D)));
    // Column widths and the header height stay: the form's own scaling and the header's
    // auto-size take care of them, and stored layouts keep their pixel widths.
    FHeaderFont->SetSize(MulDiv(FHeaderFont->Size(), M, D));
}

void TVirtualTreeWindow::CMBiDiModeChanged() {
    FTree->BiDiMode = BiDiMode();
    TVirtualTreeColumns* columns = Header()->Columns();
    for (TColumnIndex i = 0; i < columns->Count(); ++i) columns->Items(i)->ParentBiDiModeChanged();
    SyncViewport();
    SetViewOffsets(OffsetX(), OffsetY());
    if (FTree->HasAuto(toAutoBidiColumnOrdering))
        columns->ResetPositions(UseRightToLeftAlignment());
    Header()->Invalidate(NoColumn);
}
