// Update counting, the structure-change notification with its optional delay, tree-state
// changes, node heights and long cancellable operations. Heights are clamped to 1..65535 before
// they are stored, and only the stored value propagates. Delayed notifications use the timer
// service; a tree without one delivers them at once.
#include "vtree/VTInternal.h"

#include <algorithm>

namespace {
constexpr Cardinal MaxRowHeight = 65535;

Cardinal ClampHeight(Int64 Value) {
    return static_cast<Cardinal>(std::clamp<Int64>(Value, 1, MaxRowHeight));
}
} // namespace

// ---- updates ----------------------------------------------------------------------------------

void TBaseVirtualTree::SetUpdateState(bool Updating) {
    if (FUpdateCount == 0) FViewSink->SetRedraw(!Updating);
}

void TBaseVirtualTree::BeginUpdate() {
    if (!Destroying()) {
        if (FUpdateCount > 0) {
            DoUpdating(usUpdate);
        } else {
            DoUpdating(usBegin);
            SetUpdateState(true);
        }
    }
    ++FUpdateCount;
    DoStateChange({tsUpdating});
}

void TBaseVirtualTree::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    if (Destroying()) return;
    if (FUpdateCount == 0 && FStates.Contains(tsUpdating)) {
        if (FStates.Contains(tsUpdateHiddenChildrenNeeded)) {
            UpdateAllChildrenHiddenFlags();
            DoStateChange({}, {tsUpdateHiddenChildrenNeeded});
        }
        CheckInvariantsAfterChange();
        DoStateChange({}, {tsUpdating});
        PackSelection();
        InvalidatePositionCache();
        RequestCacheValidation();
        FViewSink->UpdateScrollBars(false);
        if (FStates.Contains(tsStructureChangePending))
            DoStructureChange(FLastStructureChangeNode, FLastStructureChangeReason);
        // The final sort and the repaint also follow a failing OnChange handler.
        auto finish = [this] {
            if (HasAuto(toAutoSort))
                SortTree(FHeader->SortColumn(), FHeader->SortDirection(), true);
            SetUpdateState(false);
            FViewSink->InvalidateControl();
        };
        try {
            if (FStates.Contains(tsChangePending)) DoChange(FLastChangedNode);
        } catch (...) {
            finish();
            throw;
        }
        finish();
    }
    DoUpdating(FUpdateCount == 0 ? usEnd : usUpdate);
}

void TBaseVirtualTree::DoUpdating(TVTUpdateState State) { OnUpdating(this, State); }

void TBaseVirtualTree::DoStateChange(TVirtualTreeStates Enter, TVirtualTreeStates Leave) {
    const bool changes = !(Enter - FStates).Empty() || !(Leave * FStates).Empty();
    if (changes && OnStateChange) OnStateChange(this, Enter, Leave);
    FStates = FStates + Enter - Leave;
}

// ---- structure changes and timers -------------------------------------------------------------

void TBaseVirtualTree::NotifyStructureChange(PVirtualNode Node, TChangeReason Reason) {
    if (FStates.Contains(tsStructureChangePending))
        StopTimer(StructureChangeTimer);
    else
        DoStateChange({tsStructureChangePending});
    FLastStructureChangeNode = Node;
    if (FLastStructureChangeReason == crIgnore)
        FLastStructureChangeReason = Reason;
    else if (Reason != crIgnore)
        FLastStructureChangeReason = crAccumulated;
    if (FUpdateCount > 0) return;
    if (FChangeDelay == 0 || FStates.Contains(tsSynchMode) || !FTimers)
        DoStructureChange(Node, Reason);
    else
        StartTimer(StructureChangeTimer, FChangeDelay);
}

void TBaseVirtualTree::DoStructureChange(PVirtualNode Node, TChangeReason Reason) {
    StopTimer(StructureChangeTimer);
    auto forget = [this] {
        DoStateChange({}, {tsStructureChangePending});
        FLastStructureChangeNode = nullptr;
        FLastStructureChangeReason = crIgnore;
    };
    try {
        OnStructureChange(this, Node, Reason);
    } catch (...) {
        forget();
        throw;
    }
    forget();
}

void TBaseVirtualTree::StartTimer(TVTTimerId Id, Cardinal Milliseconds) {
    if (FTimers) FTimers->StartTimer(Id, Milliseconds);
}

void TBaseVirtualTree::StopTimer(TVTTimerId Id) {
    if (FTimers) FTimers->StopTimer(Id);
}

void TBaseVirtualTree::HandleTimer(TVTTimerId Id) {
    switch (Id) {
    case ChangeTimer: DoChange(FLastChangedNode); break;
    case StructureChangeTimer:
        DoStructureChange(FLastStructureChangeNode, FLastStructureChangeReason);
        break;
    case SearchTimer: EndIncrementalSearch(); break;
    default: break; // the window layer's timers
    }
}

// ---- heights ------------------------------------------------------------------------------------

void TBaseVirtualTree::SetDefaultNodeHeight(Cardinal Value) {
    if (Value == 0) Value = 18;
    Value = ClampHeight(Value);
    if (Value == FDefaultNodeHeight) return;
    DoStateChange({tsNeedScale});
    const Integer difference =
        static_cast<Integer>(Value) - static_cast<Integer>(FDefaultNodeHeight);
    FRoot->TotalHeight =
        static_cast<Cardinal>(static_cast<Integer>(FRoot->TotalHeight) + difference);
    FRoot->NodeHeight = static_cast<Word>(Value);
    FDefaultNodeHeight = Value;
    InvalidatePositionCache();
    if (FUpdateCount > 0 || Loading()) return;
    RequestCacheValidation();
    FViewSink->UpdateScrollBars(true);
    if (FFocusedNode)
        FViewSink->ScrollIntoView(FFocusedNode, HasSelection(toCenterScrollIntoView), false);
    FViewSink->InvalidateControl();
}

Cardinal TBaseVirtualTree::NodeRowHeight(PVirtualNode Node) {
    if (!Node || Node == FRoot) return 0;
    if (HasMisc(toVariableNodeHeight)) {
        if (!Node->States.Contains(vsInitialized)) InitNode(Node);
        MeasureItemHeight(FMeasuring->Canvas(), Node);
    }
    return Node->NodeHeight;
}

void TBaseVirtualTree::ApplyNodeHeight(PVirtualNode Node, Cardinal Value) {
    if (!Node || Node == FRoot || HasMisc(toReadOnly)) return;
    Value = ClampHeight(Value);
    if (Value == Node->NodeHeight) return;
    // The worker reads heights without a lock: it must have let the tree go before one
    // changes, and what it was building is out of date then.
    const bool validating = FStates.Contains(tsValidating);
    if (validating) CancelValidation();
    const Integer difference = static_cast<Integer>(Value) - Node->NodeHeight;
    Node->NodeHeight = static_cast<Word>(Value);
    PropagateTotalHeight(Node, difference, true);
    CheckInvariantsAfterChange();
    if (!FullyVisible(Node) || IsEffectivelyHidden(Node)) {
        if (validating && FUpdateCount == 0) RequestCacheValidation();
        return;
    }
    InvalidatePositionCache();
    if (FUpdateCount > 0) return;
    RequestCacheValidation();
    FViewSink->InvalidateToBottom(Node);
    FViewSink->UpdateScrollBars(true);
}

void TBaseVirtualTree::DoMeasureItem(TCanvas* Canvas, PVirtualNode Node, Integer& NodeHeight) {
    OnMeasureItem(this, Canvas, Node, NodeHeight);
}

void TBaseVirtualTree::MeasureItemHeight(TCanvas* Canvas, PVirtualNode Node) {
    if (Node->States.Contains(vsHeightMeasured)) return;
    Node->States.Include(vsHeightMeasured);
    Integer height = Node->NodeHeight;
    DoMeasureItem(Canvas, Node, height);
    if (height != Node->NodeHeight) ApplyNodeHeight(Node, ClampHeight(height));
}

// ---- long operations ------------------------------------------------------------------------

void TBaseVirtualTree::BeginOperation() {
    if (FOperationCount++ == 0) FOperationCanceled = false;
}

void TBaseVirtualTree::EndOperation() {
    vtree_errors::Assert(FOperationCount > 0,
                         L"EndOperation must not be called when no operation in progress.");
    --FOperationCount;
}

void TBaseVirtualTree::CancelOperation() {
    if (FOperationCount > 0) FOperationCanceled = true;
}
