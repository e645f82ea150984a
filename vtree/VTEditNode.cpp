// The tree window's side of editing: whether a cell may be edited, starting an edit (creating,
// preparing, placing and beginning the link), accepting and cancelling it, and the ways the
// mouse, the edit timer and F2 lead into it.
//
// The window holds its link only while tsEditing is set; every way out of an edit (accept,
// cancel, a failed prepare or begin) drops it, also while the window is being destroyed, so no
// link outlives the tree it points at.
#include "vtree/VTWindow.h"

namespace {

// What an edit leaves behind of other interactions.
constexpr TVirtualTreeStates StatesAnEditEnds{
    tsToggleFocusedSelection, tsClearPending,      tsDrawSelPending,
    tsDrawSelecting,          tsMouseCheckPending, tsOLEDragging,
    tsOLEDragPending,         tsScrolling,         tsScrollPending};

} // namespace

bool TVirtualTreeWindow::CanEdit(PVirtualNode Node, TColumnIndex Column) {
    const bool allowed = HasMisc(toEditable) && Enabled() && !HasMisc(toReadOnly);
    return DoEditing(Node, Column, allowed);
}

bool TVirtualTreeWindow::DoEditing(PVirtualNode Node, TColumnIndex Column, bool Allowed) {
    OnEditing(this, Node, Column, Allowed);
    return Allowed;
}

bool TVirtualTreeWindow::EditNode(PVirtualNode Node, TColumnIndex Column) {
    vtree_errors::Assert(Node != nullptr, L"Node must not be nil.");
    vtree_errors::Assert(Column >= NoColumn && Column < Header()->Columns()->Count(),
                         L"Column must be a valid column index (-1 if no header is shown).");
    if (IsEditing() || HasMisc(toReadOnly)) return IsEditing();
    FTree->SetFocusedNode(Node);
    PVirtualNode focused = FTree->FocusedNode();
    if (focused != Node || !CanEdit(focused, Column)) return false;
    FEditColumn = Column;
    if (!Node->States.Contains(vsInitialized)) FTree->InitNode(Node);
    StartEditing();
    return IsEditing();
}

TComPtr<IVTEditLink> TVirtualTreeWindow::DoCreateEditor(PVirtualNode Node, TColumnIndex Column) {
    TComPtr<IVTEditLink> link;
    if (!OnCreateEditor) return link;
    OnCreateEditor(this, Node, Column, link);
    if (!link) vtree_errors::RaiseError(vtree_errors::EditLink);
    return link;
}

void TVirtualTreeWindow::StartEditing() {
    CancelHint();
    FTree->StopTimer(ScrollTimer);
    FTree->StopTimer(EditTimer);
    FTree->DoStateChange({}, {tsEditPending});
    PVirtualNode node = FTree->FocusedNode();
    if (!node || node->States.Contains(vsDisabled) || HasMisc(toReadOnly) || FEditLink) return;
    FEditLink = DoCreateEditor(node, FEditColumn);
    if (!FEditLink) return;
    FTree->DoStateChange({tsEditing}, StatesAnEditEnds);
    FTree->SetEditNode(node);
    try {
        ScrollIntoView(node, HasSelection(toCenterScrollIntoView),
                       !FTree->HasAuto(toDisableAutoscrollOnEdit));
        if (FEditLink->PrepareEdit(this, node, FEditColumn)) {
            PlaceEditor();
            InvalidateNode(node);
            if (!FEditLink->BeginEdit()) FTree->DoStateChange({}, {tsEditing});
        } else {
            FTree->DoStateChange({}, {tsEditing});
        }
    } catch (...) {
        FTree->DoStateChange({}, {tsEditing});
        FEditLink.Reset();
        throw;
    }
    if (!IsEditing()) FEditLink.Reset();
}

void TVirtualTreeWindow::PlaceEditor() {
    PVirtualNode node = FTree->FocusedNode();
    if (!IsEditing() || !FEditLink || !node) return;
    const bool multiLine = node->States.Contains(vsMultiline);
    TRect r = GetDisplayRect(node, FEditColumn, true, !multiLine);
    if (HasMisc(toGridExtensions)) {
        TVirtualTreeColumns* columns = Header()->Columns();
        const bool column = columns->IsValidColumn(FEditColumn);
        TAlignment alignment = column ? columns->Items(FEditColumn)->Alignment() : Alignment();
        const bool rightToLeft = column ? columns->Items(FEditColumn)->UseRightToLeftReading()
                                        : BiDiMode() != bdLeftToRight;
        if (rightToLeft && alignment != taCenter)
            alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
        Integer left = 0, right = ClientRect().Width();
        if (column) columns->GetColumnBounds(FEditColumn, left, right);
        if (alignment == taLeftJustify)
            r.right = right;
        else
            r.left = left;
    }
    if (HasPaint(toShowHorzGridLines)) --r.bottom;
    FEditLink->SetBounds(r);
}

bool TVirtualTreeWindow::DoEdited() {
    FTree->StopTimer(EditTimer);
    bool result = false;
    try {
        TComPtr<IVTEditLink> link = FEditLink; // the link may drop its last other reference
        result = IsEditing() && link && link->EndEdit();
        if (result) {
            FTree->DoStateChange({}, {tsEditing});
            FTree->SetEditNode(nullptr);
            FEditLink.Reset();
            OnEdited(this, FTree->FocusedNode(), FEditColumn);
        }
    } catch (...) {
        FTree->DoStateChange({}, {tsEditPending});
        throw;
    }
    FTree->DoStateChange({}, {tsEditPending});
    return result;
}

bool TVirtualTreeWindow::DoEditCancelled() {
    FTree->StopTimer(EditTimer);
    FTree->DoStateChange({}, {tsEditPending});
    TComPtr<IVTEditLink> link = FEditLink;
    const bool result = IsEditing() && link && link->CancelEdit();
    if (!result) return false;
    FTree->DoStateChange({}, {tsEditing});
    FTree->SetEditNode(nullptr);
    FEditLink.Reset();
    if (!ComponentState().Contains(csDestroying)) OnEditCancelled(this, FEditColumn);
    return true;
}

bool TVirtualTreeWindow::EndEditNode() {
    const TVirtualTreeStates states = FTree->TreeStates();
    if (states.Contains(tsEditing) || states.Contains(tsEditPending)) return DoEdited();
    return true;
}

bool TVirtualTreeWindow::CancelEditNode() {
    const TVirtualTreeStates states = FTree->TreeStates();
    if (HandleAllocated() && (states.Contains(tsEditing) || states.Contains(tsEditPending)))
        return DoEditCancelled();
    return true;
}

// ---- the input layer's entries ----------------------------------------------------------------

void TVirtualTreeWindow::EditOnPress(const THitInfo& HitInfo, bool NodeSelected, bool ColumnChange,
                                     bool ShiftEmpty) {
    const bool onText = HitInfo.HitPositions.Contains(hiOnItemLabel) ||
                        (HasMisc(toGridExtensions) && HitInfo.HitPositions.Contains(hiOnItem));
    if (IsFocused() && onText && NodeSelected && !ColumnChange && ShiftEmpty)
        FTree->DoStateChange({tsEditPending});
}

void TVirtualTreeWindow::EditOnRelease(const THitInfo& HitInfo, bool Pending) {
    if (!Pending) return;
    PVirtualNode focused = FTree->FocusedNode();
    if (focused && HitInfo.HitNode == focused && HitInfo.HitPositions.Contains(hiOnItem) &&
        HasMisc(toEditOnClick) && CanEdit(focused, HitInfo.HitColumn)) {
        FEditColumn = FTree->FocusedColumn();
        FTree->DoStateChange({tsEditPending});
        FTree->StartTimer(EditTimer, EditDelay);
    } else {
        FTree->DoStateChange({}, {tsEditPending});
    }
}

void TVirtualTreeWindow::EditOnDblClick(const THitInfo& HitInfo, bool MayEdit) {
    PVirtualNode focused = FTree->FocusedNode();
    if (!MayEdit || !HasMisc(toEditOnDblClick) || IsEditing() || !focused ||
        focused != HitInfo.HitNode || HitInfo.HitColumn != FTree->FocusedColumn() ||
        !CanEdit(focused, HitInfo.HitColumn))
        return;
    FTree->DoStateChange({tsEditPending});
    FEditColumn = FTree->FocusedColumn();
    FTree->StartTimer(EditTimer, EditDelay);
}

bool TVirtualTreeWindow::EditOnKey() {
    PVirtualNode focused = FTree->FocusedNode();
    if (!focused || !CanEdit(focused, FTree->FocusedColumn())) return false;
    FEditColumn = FTree->FocusedColumn();
    StartEditing();
    return true;
}
