// The options object: five sets with their defaults and the effects a change has at once on the
// owning tree. Window-only effects (re-creating the window, drop-target registration) belong to
// the window layer; the repaints asked for here go to the tree's view sink.
#include "vtree/VTInternal.h"

namespace {
bool TreeShowsChanges(const TBaseVirtualTree* Tree) {
    return Tree && !Tree->ComponentState().Contains(csLoading) && Tree->Viewport().HasWindow;
}
} // namespace

TCustomVirtualTreeOptions::TCustomVirtualTreeOptions(TBaseVirtualTree* AOwner) : FOwner(AOwner) {}

void TCustomVirtualTreeOptions::SetPaintOptions(TVTPaintOptions Value) {
    if (Value == FPaintOptions) return;
    const bool hiddenRuleChanged =
        Value.Contains(toShowHiddenNodes) != FPaintOptions.Contains(toShowHiddenNodes);
    FPaintOptions = Value;
    if (!FOwner) return;
    // Which nodes count as shown changed: heights and the visible count follow.
    if (hiddenRuleChanged) FOwner->RecalculateCounters();
    if (TreeShowsChanges(FOwner)) FOwner->ViewSink().InvalidateControl();
}

void TCustomVirtualTreeOptions::SetAnimationOptions(TVTAnimationOptions Value) {
    FAnimationOptions = Value;
}

void TCustomVirtualTreeOptions::SetAutoOptions(TVTAutoOptions Value) {
    if (Value == FAutoOptions) return;
    const bool spanChanged =
        Value.Contains(toAutoSpanColumns) != FAutoOptions.Contains(toAutoSpanColumns);
    FAutoOptions = Value;
    if (spanChanged && TreeShowsChanges(FOwner)) FOwner->ViewSink().InvalidateControl();
}

void TCustomVirtualTreeOptions::SetSelectionOptions(TVTSelectionOptions Value) {
    if (Value == FSelectionOptions) return;
    const TVTSelectionOptions switchedOn = Value - FSelectionOptions;
    const TVTSelectionOptions switchedOff = FSelectionOptions - Value;
    FSelectionOptions = Value;
    if (!FOwner) return;
    const bool multiChanged =
        switchedOn.Contains(toMultiSelect) || switchedOff.Contains(toMultiSelect);
    if (multiChanged || switchedOn.Contains(toLevelSelectConstraint) ||
        switchedOn.Contains(toSiblingSelectConstraint))
        FOwner->ClearSelection();
    const TColumnIndex main = FOwner->Header()->MainColumn();
    if (switchedOff.Contains(toExtendedFocus) && FOwner->FFocusedColumn > 0 &&
        FOwner->Viewport().HasWindow) {
        FOwner->FFocusedColumn = main;
        FOwner->ViewSink().InvalidateControl();
    }
    if (!Value.Contains(toExtendedFocus)) FOwner->FFocusedColumn = main;
}

void TCustomVirtualTreeOptions::SetMiscOptions(TVTMiscOptions Value) {
    if (Value == FMiscOptions) return;
    const bool checksChanged =
        Value.Contains(toCheckSupport) != FMiscOptions.Contains(toCheckSupport);
    const bool dropChanged =
        Value.Contains(toAcceptOLEDrop) != FMiscOptions.Contains(toAcceptOLEDrop);
    FMiscOptions = Value;
    if (checksChanged && TreeShowsChanges(FOwner)) FOwner->ViewSink().InvalidateControl();
    if (dropChanged && FOwner)
        FOwner->ViewSink().AcceptDropChanged(Value.Contains(toAcceptOLEDrop));
}

void TCustomVirtualTreeOptions::AssignTo(TPersistent* Dest) {
    auto* options = dynamic_cast<TCustomVirtualTreeOptions*>(Dest);
    if (!options) {
        TPersistent::AssignTo(Dest);
        return;
    }
    options->SetPaintOptions(FPaintOptions);
    options->SetAnimationOptions(FAnimationOptions);
    options->SetAutoOptions(FAutoOptions);
    options->SetSelectionOptions(FSelectionOptions);
    options->SetMiscOptions(FMiscOptions);
}

void TCustomStringTreeOptions::SetStringOptions(TVTStringOptions Value) {
    if (Value == FStringOptions) return;
    const bool staticChanged =
        Value.Contains(toShowStaticText) != FStringOptions.Contains(toShowStaticText);
    FStringOptions = Value;
    if (staticChanged && TreeShowsChanges(Owner())) Owner()->ViewSink().InvalidateControl();
}

void TCustomStringTreeOptions::AssignTo(TPersistent* Dest) {
    if (auto* options = dynamic_cast<TCustomStringTreeOptions*>(Dest))
        options->SetStringOptions(FStringOptions);
    TCustomVirtualTreeOptions::AssignTo(Dest);
}
