// The header's model: height limits, options, the sort column and direction (which sort the
// tree under toAutoSort), the main column, ResizeColumns with its remainder pixels, restoring
// widths, the fixed-area constraints, spring columns and Assign.
#include "vtree/VTInternal.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

TVTHeader::TVTHeader(TBaseVirtualTree* AOwner) : FOwner(AOwner) {
    FColumns = Construct<TVirtualTreeColumns>(this);
    FFixedAreaConstraints = Construct<TVTFixedAreaConstraints>(this);
    FFixedAreaConstraints->OnChange = TNotifyEvent(this, &TVTHeader::FixedAreaConstraintsChanged);
}

TVTHeader::~TVTHeader() {
    FFixedAreaConstraints->Free();
    FColumns->Clear();
    FColumns->Free();
}

bool TVTHeader::TreeLoading() const { return FOwner->ComponentState().Contains(csLoading); }

void TVTHeader::Invalidate(TColumnIndex Column) {
    if (FOptions.Contains(hoVisible) && FOwner->Viewport().HasWindow)
        FOwner->ViewSink().InvalidateHeader(Column);
}

bool TVTHeader::AllowFocus(TColumnIndex Column) const {
    return FColumns->IsValidColumn(Column) &&
           FColumns->Items(Column)->Options().Contains(coAllowFocus);
}

// ---- height --------------------------------------------------------------------------------

Integer TVTHeader::LimitHeight(Integer Value) const {
    const Integer total = FOwner->Viewport().ClientHeight + FHeight;
    const Integer maxPercent = FFixedAreaConstraints->MaxHeightPercent();
    const Integer minPercent = FFixedAreaConstraints->MinHeightPercent();
    const Integer highest = total * maxPercent / 100, lowest = total * minPercent / 100;
    const Integer lower = maxPercent > 0 ? std::min(highest, FMinHeight) : FMinHeight;
    const Integer upper = minPercent > 0 ? std::max(lowest, FMaxHeight) : FMaxHeight;
    Value = std::min(std::max(Value, lower), upper);
    if (minPercent > 0) Value = std::max(Value, lowest);
    if (maxPercent > 0) Value = std::min(Value, highest);
    return Value;
}

void TVTHeader::SetHeight(Integer Value) {
    if (!FOwner->Viewport().HasWindow) {
        FHeight = Value;
        FStates.Include(hsNeedScaling);
        return;
    }
    Value = LimitHeight(Value);
    if (Value == FHeight) return;
    FHeight = Value;
    if (!TreeLoading() && !FStates.Contains(hsScaling)) FOwner->ViewSink().RecalculateHeader();
    FOwner->ViewSink().InvalidateControl();
}

void TVTHeader::SetDefaultHeight(Integer Value) {
    Value = std::min(std::max(Value, FMinHeight), FMaxHeight);
    if (FHeight == FDefaultHeight) SetHeight(Value);
    FDefaultHeight = Value;
}

void TVTHeader::SetMinHeight(Integer Value) {
    FMinHeight = std::min(std::max(Value, 0), FMaxHeight);
    SetHeight(FHeight);
}

void TVTHeader::SetMaxHeight(Integer Value) {
    FMaxHeight = std::max(Value, FMinHeight);
    SetHeight(FHeight);
}

// ---- options and simple properties ---------------------------------------------------------

void TVTHeader::SetOptions(TVTHeaderOptions Value) {
    const TVTHeaderOptions old = FOptions;
    FOptions = Value;
    const TVTHeaderOptions changed = (old - Value) + (Value - old);
    IVTViewSink& sink = FOwner->ViewSink();
    const bool window = FOwner->Viewport().HasWindow;
    if (changed.Contains(hoAutoResize) && UseColumns()) {
        FColumns->FitAutoSizeColumn(false);
        if (window) {
            sink.UpdateHorizontalScrollBar(false);
            if (Value.Contains(hoAutoResize)) sink.InvalidateControl();
        }
    }
    if (TreeLoading() || !window) return;
    if (changed.Contains(hoVisible)) sink.RecalculateHeader();
    sink.InvalidateHeader(NoColumn);
    sink.InvalidateControl();
}

void TVTHeader::SetStyle(TVTHeaderStyle Value) {
    FStyle = Value;
    if (!TreeLoading()) Invalidate(NoColumn);
}

void TVTHeader::SetBackground(TColor Value) {
    if (Value == FBackground) return;
    FBackground = Value;
    Invalidate(NoColumn);
}

void TVTHeader::SetAutoSizeIndex(TColumnIndex Value) {
    if (Value == FAutoSizeIndex) return;
    FAutoSizeIndex = Value;
    if (FOptions.Contains(hoAutoResize)) FColumns->FitAutoSizeColumn(false);
}

// ---- sort and main columns ---------------------------------------------------------------------

void TVTHeader::SortTreeIfAutomatic() {
    if (FOwner->HasAuto(toAutoSort) && FOwner->UpdateCount() == 0)
        FOwner->SortTree(FSortColumn, FSortDirection, true);
}

void TVTHeader::SetSortColumn(TColumnIndex Value) {
    if (TreeLoading())
        FSortColumn = Value;
    else
        SetSortColumnChecked(Value);
}

void TVTHeader::SetSortColumnChecked(TColumnIndex Value) {
    Value = std::min(std::max(Value, NoColumn), FColumns->Count() - 1);
    if (Value == FSortColumn) return;
    if (FSortColumn >= 0) Invalidate(FSortColumn);
    FSortColumn = Value;
    if (FSortColumn >= 0) Invalidate(FSortColumn);
    SortTreeIfAutomatic();
}

void TVTHeader::SetSortDirection(TSortDirection Value) {
    if (Value == FSortDirection) return;
    FSortDirection = Value;
    Invalidate(NoColumn);
    SortTreeIfAutomatic();
}

void TVTHeader::SetMainColumn(TColumnIndex Value) {
    if (TreeLoading()) {
        FMainColumn = Value;
        return;
    }
    Value = std::min(std::max(Value, 0), FColumns->Count() - 1);
    if (Value == FMainColumn) return;
    FMainColumn = Value;
    FOwner->HandleMainColumnChange();
    if (!FOwner->HasSelection(toExtendedFocus)) FOwner->SetFocusedColumn(Value);
    FOwner->ViewSink().InvalidateControl();
}

void TVTHeader::ClampMainColumn() {
    FMainColumn = std::min(std::max(FMainColumn, 0), FColumns->Count() - 1);
}

// ---- resizing
// ------------------------------------------------------------------------------------

namespace {

struct TWorkingColumn {
    TVirtualTreeColumn* Column;
    Integer Width;
    Integer Limit;
};

Integer Room(const TWorkingColumn& c, bool Growing) {
    return Growing ? c.Limit - c.Width : c.Width - c.Limit;
}

} // namespace

Integer TVTHeader::ResizeColumns(Integer ChangeBy, TColumnIndex RangeStartCol,
                                 TColumnIndex RangeEndCol, TVTColumnOptions Options) {
    if (ChangeBy == 0 || !UseColumns()) return 0;
    const bool growing = ChangeBy > 0;
    RangeStartCol = std::max(RangeStartCol, 0);
    if (RangeEndCol < 0 || RangeEndCol >= FColumns->Count()) RangeEndCol = FColumns->Count() - 1;
    std::vector<TWorkingColumn> working;
    for (TColumnIndex i = RangeStartCol; i <= RangeEndCol; ++i) {
        TVirtualTreeColumn* column = FColumns->Items(i);
        if ((column->Options() * Options) != Options) continue;
        working.push_back(
            {column, column->Width(), growing ? column->MaxWidth() : column->MinWidth()});
    }
    Integer remaining = std::abs(ChangeBy), placed = 0;
    const Integer step = growing ? 1 : -1;
    while (remaining > 0 && !working.empty()) {
        Integer space = 0, changeable = 0;
        for (const TWorkingColumn& c : working)
            if (Room(c, growing) > 0) {
                space += Room(c, growing);
                ++changeable;
            }
        if (!growing && FStates.Contains(hsScaling) && space < remaining) {
            auto widest = std::max_element(working.begin(), working.end(),
                                           [](auto& a, auto& b) { return a.Width < b.Width; });
            if (widest->Limit > 10) {
                widest->Limit -= widest->Limit / 10;
                continue;
            }
        }
        if (changeable == 0) break;
        Integer amount = std::min(remaining, space);
        const Integer share = amount / changeable;
        Integer rest = amount % changeable;
        Integer passPlaced = 0;
        for (TWorkingColumn& c : working) {
            const Integer d = std::min(share, std::max(Room(c, growing), 0));
            c.Width += step * d;
            passPlaced += d;
        }
        // Remainder pixels go to columns whose bonus marker differs from the direction.
        for (int walks = 0; rest > 0 && walks < 2; ++walks) {
            bool gave = false;
            for (std::size_t k = 0; k < working.size() && rest > 0; ++k) {
                TWorkingColumn& c = working[growing ? k : working.size() - 1 - k];
                if (Room(c, growing) <= 0 || c.Column->FBonusPixel == growing) continue;
                c.Column->FBonusPixel = growing;
                c.Width += step;
                --rest;
                ++passPlaced;
                gave = true;
            }
            if (rest > 0)
                for (TWorkingColumn& c : working) c.Column->FBonusPixel = !c.Column->FBonusPixel;
            if (gave) walks = -1;
        }
        remaining -= passPlaced;
        placed += passPlaced;
        if (passPlaced == 0) break;
    }
    FStates.Include(hsResizing);
    for (TWorkingColumn& c : working) c.Column->SetWidth(c.Width);
    FStates.Exclude(hsResizing);
    return step * placed;
}

void TVTHeader::RestoreColumns() {
    const TIndexArray positions = FColumns->PositionToIndex();
    for (auto run = positions.rbegin(); run != positions.rend(); ++run) {
        TVirtualTreeColumn* column = FColumns->Items(*run);
        if (column->Options().Contains(coResizable) && column->Options().Contains(coVisible))
            column->RestoreLastWidth();
    }
}

void TVTHeader::RescaleToConstraints() {
    const TComponentState state = FOwner->ComponentState();
    if (state.Contains(csLoading) || state.Contains(csReading) || state.Contains(csWriting) ||
        state.Contains(csDestroying) || FStates.Contains(hsLoading) ||
        !FOwner->Viewport().HasWindow)
        return;
    FStates.Include(hsScaling);
    SetHeight(FHeight);
    const TVTFixedAreaConstraints& limits = *FFixedAreaConstraints;
    if (limits.MinHeightPercent() > 0 || limits.MaxHeightPercent() > 0) {
        for (TColumnIndex i = 0; i < FColumns->Count(); ++i) {
            TVirtualTreeColumn* column = FColumns->Items(i);
            const TVTColumnOptions options = column->Options();
            if (options.Contains(coVisible) && options.Contains(coFixed) &&
                column->FWidth < column->FMinWidth)
                column->FWidth = column->FMinWidth;
        }
        const Integer fixed = FColumns->GetVisibleFixedWidth();
        const Integer client = FOwner->Viewport().ClientWidth;
        const Integer highest = client * limits.MaxWidthPercent() / 100;
        const Integer lowest = client * limits.MinWidthPercent() / 100;
        const TVTColumnOptions fixedVisible{coVisible, coFixed};
        if (limits.MaxWidthPercent() > 0 && fixed > highest)
            ResizeColumns(highest - fixed, 0, FColumns->Count() - 1, fixedVisible);
        else if (limits.MinWidthPercent() > 0 && fixed < lowest)
            ResizeColumns(lowest - fixed, 0, FColumns->Count() - 1, fixedVisible);
        FColumns->UpdateColumnLefts(false);
    }
    FStates -= THeaderStates{hsScaling, hsNeedScaling};
}

void TVTHeader::AdjustSpringColumns() {
    const Integer width = FOwner->Viewport().ClientWidth;
    if (FOptions.Contains(hoAutoSpring) && FLastWidth != 0) {
        float change = static_cast<float>(width - FLastWidth);
        if (change != 0) {
            const int sign = change >= 0 ? 1 : -1;
            change = std::fabs(change);
            int springs = 0;
            for (TColumnIndex i = 0; i < FColumns->Count(); ++i) {
                const TVTColumnOptions options = FColumns->Items(i)->Options();
                if (options.Contains(coVisible) && options.Contains(coAutoSpring)) ++springs;
            }
            const float part = springs > 0 ? change / static_cast<float>(springs) : 0;
            for (TColumnIndex i = 0; springs > 0 && i < FColumns->Count(); ++i) {
                TVirtualTreeColumn* column = FColumns->Items(i);
                const TVTColumnOptions options = column->Options();
                if (!options.Contains(coVisible) || !options.Contains(coAutoSpring)) continue;
                const float d = column->FSpringRest + part;
                if (d >= 1) column->SetWidth(column->FWidth + sign * static_cast<Integer>(d));
                column->FSpringRest = d - std::trunc(d);
                change -= part;
                if (change < 0) break;
            }
        }
    }
    FLastWidth = width;
}

void TVTHeader::FixedAreaConstraintsChanged(TObject*) {
    FStates.Include(hsNeedScaling);
    RescaleToConstraints();
}

void TVTHeader::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TVTHeader*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    SetAutoSizeIndex(source->FAutoSizeIndex);
    SetBackground(source->FBackground);
    FColumns->Assign(source->FColumns);
    FFixedAreaConstraints->Assign(source->FFixedAreaConstraints);
    SetHeight(source->FHeight);
    SetMainColumn(source->FMainColumn);
    SetOptions(source->FOptions);
    SetSortColumn(source->FSortColumn);
    SetSortDirection(source->FSortDirection);
    SetStyle(source->FStyle);
    RescaleToConstraints();
}

// ---- fixed-area constraints ----------------------------------------------------------------

void TVTFixedAreaConstraints::Changed() { OnChange(this); }

void TVTFixedAreaConstraints::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TVTFixedAreaConstraints*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    FMaxHeightPercent = source->FMaxHeightPercent;
    FMaxWidthPercent = source->FMaxWidthPercent;
    FMinHeightPercent = source->FMinHeightPercent;
    FMinWidthPercent = source->FMinWidthPercent;
    Changed();
}

void TVTFixedAreaConstraints::SetMaxHeightPercent(TVTConstraintPercent Value) {
    if (Value == FMaxHeightPercent) return;
    FMaxHeightPercent = Value;
    if (Value > 0 && Value < FMinHeightPercent) FMinHeightPercent = Value;
    Changed();
}

void TVTFixedAreaConstraints::SetMaxWidthPercent(TVTConstraintPercent Value) {
    if (Value == FMaxWidthPercent) return;
    FMaxWidthPercent = Value;
    if (Value > 0 && Value < FMinWidthPercent) FMinWidthPercent = Value;
    Changed();
}

void TVTFixedAreaConstraints::SetMinHeightPercent(TVTConstraintPercent Value) {
    if (Value == FMinHeightPercent) return;
    FMinHeightPercent = Value;
    if (FMaxHeightPercent > 0 && FMaxHeightPercent < Value) FMaxHeightPercent = Value;
    Changed();
}

void TVTFixedAreaConstraints::SetMinWidthPercent(TVTConstraintPercent Value) {
    if (Value == FMinWidthPercent) return;
    FMinWidthPercent = Value;
    if (FMaxWidthPercent > 0 && FMaxWidthPercent < Value) FMaxWidthPercent = Value;
    Changed();
}
