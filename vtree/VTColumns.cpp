// The column collection: display positions (a permutation of the indexes), left edges, the
// auto-size column, lookups from points and positions to columns, walking visible columns, and
// keeping the header's column references right when a column is deleted.
#include "vtree/VTInternal.h"

#include <algorithm>
#include <cmath>

TVirtualTreeColumns::TVirtualTreeColumns(TVTHeader* AOwner)
    : TCollection(TVirtualTreeColumn::StaticClass(), AOwner), FHeader(AOwner) {}

TVirtualTreeColumn* TVirtualTreeColumns::Items(TColumnIndex Index) const {
    return static_cast<TVirtualTreeColumn*>(TCollection::Items(Index));
}

TVirtualTreeColumn* TVirtualTreeColumns::Add() {
    return static_cast<TVirtualTreeColumn*>(TCollection::Add());
}

void TVirtualTreeColumns::Clear() {
    FClearing = true;
    try {
        FHoverIndex = FDownIndex = FTrackIndex = FClickIndex = -1;
        if (!FHeader->States().Contains(hsLoading)) {
            FHeader->FAutoSizeIndex = -1;
            FHeader->FMainColumn = -1;
            FHeader->FSortColumn = -1;
        }
        TCollection::Clear();
    } catch (...) {
        FClearing = false;
        throw;
    }
    FClearing = false;
}

void TVirtualTreeColumns::Assign(TPersistent* Source) {
    TCollection::Assign(Source);
    if (auto* source = dynamic_cast<TVirtualTreeColumns*>(Source)) {
        FPositionToIndex = source->FPositionToIndex;
        FNeedPositionsFix = false;
        UpdateColumnLefts(true);
    }
}

bool TVirtualTreeColumns::Equals(const TVirtualTreeColumns* Other) const {
    if (!Other || Other->Count() != Count() || Other->FPositionToIndex != FPositionToIndex)
        return false;
    for (int i = 0; i < Count(); ++i)
        if (!Items(i)->Equals(Other->Items(i))) return false;
    return true;
}

// ---- change notification -------------------------------------------------------------------

void TVirtualTreeColumns::Update(TCollectionItem* Item) {
    TBaseVirtualTree* tree = FHeader->Treeview();
    EnsurePositionArray();
    const bool loading = tree->ComponentState().Contains(csLoading);
    if (loading)
        FNeedPositionsFix = true;
    else
        UpdateColumnLefts(false);
    if (Count() > 0 && FHeader->FMainColumn < 0) {
        // Widths cached for the implicit column belong to no real column.
        FHeader->FMainColumn = 0;
        tree->HandleMainColumnChange();
    }
    if (loading || FHeader->States().Contains(hsLoading)) return;
    if (FHeader->Options().Contains(hoAutoResize)) FitAutoSizeColumn(false);
    if (Item) {
        tree->ViewSink().InvalidateHeader(Item->Index());
    } else {
        tree->ViewSink().UpdateHorizontalScrollBar(false);
        tree->ViewSink().InvalidateHeader(NoColumn);
        tree->ViewSink().InvalidateControl();
    }
}

void TVirtualTreeColumns::Notify(TCollectionItem* Item, TCollectionNotification Action) {
    if (Action == cnExtracting && !FClearing) ColumnDeleted(Item->Index());
}

void TVirtualTreeColumns::ColumnDeleted(TColumnIndex Index) {
    RemapPositionIndexes(Index, -1);
    auto adjust = [Index](TColumnIndex& value) {
        if (value == Index)
            value = -1;
        else if (value > Index)
            --value;
    };
    for (TColumnIndex* value : {&FHoverIndex, &FDownIndex, &FTrackIndex, &FClickIndex,
                                &FHeader->FAutoSizeIndex, &FHeader->FSortColumn})
        adjust(*value);
    if (FHeader->FMainColumn == Index)
        FHeader->FMainColumn = Count() > 1 ? 0 : -1;
    else if (FHeader->FMainColumn > Index)
        --FHeader->FMainColumn;
}

// ---- positions ------------------------------------------------------------------------------

void TVirtualTreeColumns::EnsurePositionArray() {
    const std::size_t count = static_cast<std::size_t>(Count());
    const std::size_t old = FPositionToIndex.size();
    FPositionToIndex.resize(count);
    for (std::size_t p = old; p < count; ++p) FPositionToIndex[p] = static_cast<TColumnIndex>(p);
    if (count >= old) return;
    for (bool changed = true; changed;) {
        changed = false;
        for (TColumnIndex& entry : FPositionToIndex)
            if (entry >= Count()) {
                --entry;
                changed = true;
            }
    }
}

void TVirtualTreeColumns::UpdateColumnLefts(bool Force) {
    if (FNeedPositionsFix || (InUpdate() && !Force)) return;
    if (FPositionToIndex.size() != static_cast<std::size_t>(Count())) EnsurePositionArray();
    Integer left = 0;
    for (std::size_t p = 0; p < FPositionToIndex.size(); ++p) {
        TVirtualTreeColumn* column = Items(FPositionToIndex[p]);
        column->FPosition = static_cast<TColumnPosition>(p);
        column->FLeft = left;
        if (column->FOptions.Contains(coVisible)) left += column->FWidth;
    }
}

void TVirtualTreeColumns::MovePositionEntry(TColumnIndex Column, TColumnPosition Position) {
    auto found = std::find(FPositionToIndex.begin(), FPositionToIndex.end(), Column);
    if (found == FPositionToIndex.end() || Position >= FPositionToIndex.size()) return;
    const auto target = FPositionToIndex.begin() + Position;
    if (found < target)
        std::rotate(found, found + 1, target + 1);
    else
        std::rotate(target, found, found + 1);
}

void TVirtualTreeColumns::RemapPositionIndexes(TColumnIndex OldIndex, TColumnIndex NewIndex) {
    if (NewIndex == -1) {
        std::erase(FPositionToIndex, OldIndex);
        for (TColumnIndex& entry : FPositionToIndex)
            if (entry > OldIndex) --entry;
        return;
    }
    for (TColumnIndex& entry : FPositionToIndex) {
        if (entry == OldIndex)
            entry = NewIndex;
        else if (OldIndex < NewIndex && entry > OldIndex && entry <= NewIndex)
            --entry;
        else if (OldIndex > NewIndex && entry >= NewIndex && entry < OldIndex)
            ++entry;
    }
}

void TVirtualTreeColumns::ResetPositions(bool RightToLeft) {
    EnsurePositionArray();
    const TColumnIndex count = Count();
    for (TColumnIndex p = 0; p < count; ++p) FPositionToIndex[p] = RightToLeft ? count - 1 - p : p;
    UpdateColumnLefts(true);
}

void TVirtualTreeColumns::ApplyStoredPositions() {
    EnsurePositionArray();
    for (TColumnIndex i = 0; i < Count(); ++i)
        if (Items(i)->FPosition < FPositionToIndex.size())
            FPositionToIndex[Items(i)->FPosition] = i;
    FNeedPositionsFix = false;
    UpdateColumnLefts(true);
}

void TVirtualTreeColumns::FitAutoSizeColumn(bool Force) {
    if (Count() == 0) return;
    const TColumnIndex index =
        IsValidColumn(FHeader->FAutoSizeIndex) ? FHeader->FAutoSizeIndex : Count() - 1;
    TVirtualTreeColumn* column = Items(index);
    Integer width = FHeader->Treeview()->Viewport().ClientWidth;
    for (TColumnIndex i = 0; i < Count(); ++i)
        if (i != index && Items(i)->FOptions.Contains(coVisible)) width -= Items(i)->FWidth;
    width = std::max(std::min(width, column->FMaxWidth), column->FMinWidth);
    if (!Force && width == column->FWidth) return;
    column->FWidth = width;
    UpdateColumnLefts(false);
    FHeader->Treeview()->DoColumnResize(index);
}

// ---- lookups ----------------------------------------------------------------------------------

TColumnIndex TVirtualTreeColumns::ColumnAndBoundsAt(TPoint P, Integer& Left, Integer& Right,
                                                    bool Relative) const {
    const TVTViewport& view = FHeader->Treeview()->Viewport();
    Integer edge = Relative && P.x > GetVisibleFixedWidth() ? -view.EffectiveOffsetX : 0;
    if (view.RightToLeft) edge += view.RightToLeftShift;
    for (TColumnIndex index : FPositionToIndex) {
        const TVirtualTreeColumn* column = Items(index);
        if (!column->FOptions.Contains(coVisible)) continue;
        if (P.x < edge + column->FWidth) {
            Left = edge;
            Right = edge + column->FWidth;
            return index;
        }
        edge += column->FWidth;
    }
    return InvalidColumn;
}

TColumnIndex TVirtualTreeColumns::ColumnFromPosition(TPoint P, bool Relative) const {
    const TVTViewport& view = FHeader->Treeview()->Viewport();
    if (P.x < 0 || P.y < 0 || P.y > view.ClientHeight + FHeader->Height()) return InvalidColumn;
    Integer left, right;
    return ColumnAndBoundsAt(P, left, right, Relative);
}

TColumnIndex TVirtualTreeColumns::ColumnFromPosition(TColumnPosition PositionIndex) const {
    return PositionIndex < FPositionToIndex.size() ? FPositionToIndex[PositionIndex] : NoColumn;
}

void TVirtualTreeColumns::GetColumnBounds(TColumnIndex Column, Integer& Left,
                                          Integer& Right) const {
    const TVTViewport& view = FHeader->Treeview()->Viewport();
    if (Column < 0) {
        Left = 0;
        Right = view.ClientWidth;
        return;
    }
    Left = Items(Column)->Left();
    Right = Left + Items(Column)->FWidth;
    if (view.RightToLeft) {
        Left += view.RightToLeftShift;
        Right += view.RightToLeftShift;
    }
}

bool TVirtualTreeColumns::Qualifies(TColumnIndex Column, bool ConsiderAllowFocus) const {
    const TVTColumnOptions options = Items(Column)->FOptions;
    return options.Contains(coVisible) && (!ConsiderAllowFocus || options.Contains(coAllowFocus));
}

TColumnIndex TVirtualTreeColumns::GetNextColumn(TColumnIndex Column) const {
    if (!IsValidColumn(Column)) return InvalidColumn;
    const TColumnPosition position = Items(Column)->FPosition + 1;
    return position < FPositionToIndex.size() ? FPositionToIndex[position] : InvalidColumn;
}

TColumnIndex TVirtualTreeColumns::GetPreviousColumn(TColumnIndex Column) const {
    if (!IsValidColumn(Column) || Items(Column)->FPosition == 0) return InvalidColumn;
    return FPositionToIndex[Items(Column)->FPosition - 1];
}

TColumnIndex TVirtualTreeColumns::StepVisible(TColumnIndex Column, int Direction,
                                              bool ConsiderAllowFocus) const {
    do Column = Direction > 0 ? GetNextColumn(Column) : GetPreviousColumn(Column);
    while (Column != InvalidColumn && !Qualifies(Column, ConsiderAllowFocus));
    return Column;
}

TColumnIndex TVirtualTreeColumns::GetNextVisibleColumn(TColumnIndex Column,
                                                       bool ConsiderAllowFocus) const {
    return StepVisible(Column, 1, ConsiderAllowFocus);
}

TColumnIndex TVirtualTreeColumns::GetPreviousVisibleColumn(TColumnIndex Column,
                                                           bool ConsiderAllowFocus) const {
    return StepVisible(Column, -1, ConsiderAllowFocus);
}

TColumnIndex TVirtualTreeColumns::GetFirstVisibleColumn(bool ConsiderAllowFocus) const {
    for (TColumnIndex index : FPositionToIndex)
        if (Qualifies(index, ConsiderAllowFocus)) return index;
    return InvalidColumn;
}

TColumnIndex TVirtualTreeColumns::GetLastVisibleColumn(bool ConsiderAllowFocus) const {
    for (auto run = FPositionToIndex.rbegin(); run != FPositionToIndex.rend(); ++run)
        if (Qualifies(*run, ConsiderAllowFocus)) return *run;
    return InvalidColumn;
}

TColumnsArray TVirtualTreeColumns::GetVisibleColumns() const {
    TColumnsArray result;
    for (TColumnIndex index : FPositionToIndex)
        if (Items(index)->FOptions.Contains(coVisible)) result.push_back(Items(index));
    return result;
}

Integer TVirtualTreeColumns::GetVisibleFixedWidth() const {
    Integer width = 0;
    for (TColumnIndex i = 0; i < Count(); ++i) {
        const TVTColumnOptions options = Items(i)->FOptions;
        if (options.Contains(coVisible) && options.Contains(coFixed)) width += Items(i)->FWidth;
    }
    return width;
}

Integer TVirtualTreeColumns::TotalWidth() const {
    const TColumnIndex last = GetLastVisibleColumn();
    if (last == InvalidColumn) return 0;
    return Items(last)->FLeft + Items(last)->FWidth;
}

Integer TVirtualTreeColumns::GetScrollWidth() const {
    Integer sum = 0, count = 0;
    for (TColumnIndex i = 0; i < Count(); ++i) {
        const TVTColumnOptions options = Items(i)->FOptions;
        if (!options.Contains(coVisible) || options.Contains(coFixed)) continue;
        sum += Items(i)->FWidth;
        ++count;
    }
    if (count == 0) return FHeader->Treeview()->Indent;
    return static_cast<Integer>(std::nearbyint(static_cast<double>(sum) / count));
}

void TVirtualTreeColumns::AnimatedResize(TColumnIndex Column, Integer NewWidth) {
    if (!IsValidColumn(Column)) return;
    TVirtualTreeColumn* column = Items(Column);
    NewWidth = std::min(std::max(NewWidth, column->FMinWidth), column->FMaxWidth);
    if (NewWidth != column->FWidth) column->SetWidth(NewWidth);
}
