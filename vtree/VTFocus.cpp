// Focus: the focused node and column with their events, and the recorded selection change
// (Change/DoChange) that every selection operation ends in, delivered at once, at the end of an
// update, or after ChangeDelay through the timer service.
#include "vtree/VTInternal.h"

bool TBaseVirtualTree::DoFocusChanging(PVirtualNode OldNode, PVirtualNode NewNode,
                                       TColumnIndex OldColumn, TColumnIndex NewColumn) {
    bool allowed = NewColumn == OldColumn || FHeader->AllowFocus(NewColumn);
    OnFocusChanging(this, OldNode, NewNode, OldColumn, NewColumn, allowed);
    return allowed;
}

void TBaseVirtualTree::DoFocusChanged(PVirtualNode Node, TColumnIndex Column) {
    OnFocusChanged(this, Node, Column);
}

void TBaseVirtualTree::CollapseForFocusChange(PVirtualNode OldNode, PVirtualNode NewNode) {
    if (HasAuto(toAutoExpand) && NewNode && OldNode->Parent == NewNode->Parent &&
        OldNode->States.Contains(vsExpanded))
        ToggleNode(OldNode);
    else
        InvalidateNode(OldNode);
}

void TBaseVirtualTree::DoFocusNode(PVirtualNode Node, bool Ask) {
    if (FStates.Contains(tsEditing) && !FViewSink->EndEditNode()) return;
    if (Node == FRoot) Node = nullptr;
    if (Node != FFocusedNode &&
        (!Ask || DoFocusChanging(FFocusedNode, Node, FFocusedColumn, FFocusedColumn))) {
        if (FFocusedNode) CollapseForFocusChange(FFocusedNode, Node);
        FFocusedNode = Node;
    }
    if (FFocusedNode) {
        if (FHeader->UseColumns() && !FHeader->Columns()->IsValidColumn(FFocusedColumn))
            FFocusedColumn = FHeader->MainColumn();
        if (HasAuto(toAutoExpand) && !FFocusedNode->States.Contains(vsExpanded))
            ToggleNode(FFocusedNode);
        InvalidateNode(FFocusedNode);
        const bool buttonDown = FStates.Contains(tsLeftButtonDown) ||
                                FStates.Contains(tsMiddleButtonDown) ||
                                FStates.Contains(tsRightButtonDown);
        if (FUpdateCount == 0 && !HasAuto(toDisableAutoscrollOnFocus) && !buttonDown)
            FViewSink->ScrollIntoView(FFocusedNode, HasSelection(toCenterScrollIntoView), true);
    }
    if (FSelectionCount == 0) ResetRangeAnchor();
}

void TBaseVirtualTree::SetFocusedNode(PVirtualNode Value) {
    if (Value == FRoot) Value = nullptr;
    PVirtualNode old = FFocusedNode;
    DoFocusNode(Value, true);
    if (Value != old && FFocusedNode == Value) DoFocusChanged(FFocusedNode, FFocusedColumn);
}

void TBaseVirtualTree::SetFocusedColumn(TColumnIndex Value) {
    if (Value == FFocusedColumn ||
        !DoFocusChanging(FFocusedNode, FFocusedNode, FFocusedColumn, Value))
        return;
    FViewSink->CancelEditNode();
    FViewSink->InvalidateColumn(FFocusedColumn);
    FViewSink->InvalidateColumn(Value);
    FFocusedColumn = Value;
    if (FFocusedNode && !HasAuto(toDisableAutoscrollOnFocus) &&
        FViewSink->ScrollIntoView(FFocusedNode, HasSelection(toCenterScrollIntoView), true))
        InvalidateNode(FFocusedNode);
    if (FDropTargetNode) InvalidateNode(FDropTargetNode);
    DoFocusChanged(FFocusedNode, FFocusedColumn);
}

void TBaseVirtualTree::SetFocusedNodeAndColumn(PVirtualNode Node, TColumnIndex Column) {
    if (!FHeader->AllowFocus(Column)) Column = FFocusedColumn;
    const bool changed = Node != FFocusedNode || Column != FFocusedColumn;
    const TColumnIndex oldColumn = FFocusedColumn;
    FFocusedColumn = Column;
    DoFocusNode(Node, true);
    if (Node != FFocusedNode) {
        FFocusedColumn = oldColumn;
        return;
    }
    FViewSink->CancelEditNode();
    if (changed) DoFocusChanged(FFocusedNode, FFocusedColumn);
}

// ---- change notification --------------------------------------------------------------------

void TBaseVirtualTree::Change(PVirtualNode Node) {
    if (FStates.Contains(tsChangePending))
        StopTimer(ChangeTimer);
    else
        DoStateChange({tsChangePending});
    FLastChangedNode = Node;
    if (FUpdateCount > 0) return;
    if (FChangeDelay == 0 || FStates.Contains(tsSynchMode) || !FTimers)
        DoChange(Node);
    else
        StartTimer(ChangeTimer, FChangeDelay);
}

void TBaseVirtualTree::DoChange(PVirtualNode Node) {
    StopTimer(ChangeTimer);
    auto forget = [this] {
        DoStateChange({}, {tsChangePending});
        FLastChangedNode = nullptr;
    };
    try {
        OnChange(this, Node);
    } catch (...) {
        forget();
        throw;
    }
    forget();
}
