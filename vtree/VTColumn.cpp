// One header column: its properties with their defaults, the width limits (plain limits, or the
// fixed-area limits relative to the client width for a visible fixed column), positions that
// take over the neighbour's fixed state, assignment and comparison.
#include "vtree/VTInternal.h"

#include <algorithm>
#include <string>

TVirtualTreeColumn::TVirtualTreeColumn(TCollection* Collection) : TCollectionItem(Collection) {
    if (TVirtualTreeColumns* owner = Owner()) {
        FWidth = FLastWidth = owner->DefaultWidth;
        FPosition = static_cast<TColumnPosition>(owner->Count() - 1);
    } else {
        FWidth = FLastWidth = 50;
    }
}

void TVirtualTreeColumn::AfterConstruction() {
    ParentBiDiModeChanged();
    ParentColorChanged();
    TCollectionItem::AfterConstruction();
}

TVirtualTreeColumns* TVirtualTreeColumn::Owner() const {
    return dynamic_cast<TVirtualTreeColumns*>(Collection());
}

TVTHeader* TVirtualTreeColumn::Header() const {
    TVirtualTreeColumns* owner = Owner();
    return owner ? owner->Header() : nullptr;
}

TBaseVirtualTree* TVirtualTreeColumn::Tree() const {
    TVTHeader* header = Header();
    return header ? header->Treeview() : nullptr;
}

namespace {
bool TreeLoading(const TBaseVirtualTree* Tree) {
    return Tree && Tree->ComponentState().Contains(csLoading);
}
void InvalidateTree(TBaseVirtualTree* Tree) {
    if (Tree) Tree->ViewSink().InvalidateControl();
}
} // namespace

// ---- widths -----------------------------------------------------------------------------------

void TVirtualTreeColumn::LimitFixedWidth(Integer& Value) const {
    TVTHeader* header = Header();
    TVirtualTreeColumns* owner = Owner();
    const Integer client = Tree()->Viewport().ClientWidth;
    const Integer fixed = owner->GetVisibleFixedWidth();
    const Integer pmax = header->FixedAreaConstraints()->MaxWidthPercent();
    const Integer pmin = header->FixedAreaConstraints()->MinWidthPercent();
    Integer sumMin = 0, sumMax = 0;
    for (int i = 0; i < owner->Count(); ++i) {
        const TVTColumnOptions options = owner->Items(i)->FOptions;
        if (!options.Contains(coVisible) || !options.Contains(coFixed)) continue;
        sumMin += owner->Items(i)->FMinWidth;
        sumMax += owner->Items(i)->FMaxWidth;
    }
    if (pmax > 0) sumMin = std::min(sumMin, client * pmax / 100);
    if (pmin > 0) sumMax = std::max(sumMax, client * pmin / 100);
    const Integer upper = std::min(sumMax - fixed + FWidth, FMaxWidth);
    const Integer lower = std::max(sumMin - fixed + FWidth, FMinWidth);
    Value = std::min(std::max(Value, lower), upper);
    if (pmin > 0) Value = std::max(Value, client * pmin / 100 - fixed + FWidth);
    if (pmax > 0) Value = std::min(Value, client * pmax / 100 - fixed + FWidth);
}

void TVirtualTreeColumn::LimitWidth(Integer& Value) const {
    TVTHeader* header = Header();
    if (header && header->States().Contains(hsScaling)) return;
    if (header && FOptions.Contains(coVisible) && FOptions.Contains(coFixed))
        LimitFixedWidth(Value);
    else
        Value = std::min(std::max(Value, FMinWidth), FMaxWidth);
}

void TVirtualTreeColumn::SetWidth(Integer Value) {
    LimitWidth(Value);
    if (Value == FWidth) return;
    TVTHeader* header = Header();
    FLastWidth = FWidth;
    if (!header || !header->States().Contains(hsResizing)) FBonusPixel = false;
    FWidth = Value;
    if (!header) return;
    TVirtualTreeColumns* owner = Owner();
    const bool autoResize = header->Options().Contains(hoAutoResize);
    // The auto-size column's width only ever comes from FitAutoSizeColumn.
    if (!(autoResize && Index() == header->AutoSizeIndex())) owner->UpdateColumnLefts(false);
    if (TreeLoading(Tree()) || owner->InUpdate()) return;
    if (autoResize) owner->FitAutoSizeColumn(false);
    Tree()->DoColumnResize(Index());
}

void TVirtualTreeColumn::SetMinWidth(Integer Value) {
    FMinWidth = std::min(std::max(Value, 0), FMaxWidth);
    SetWidth(FWidth);
}

void TVirtualTreeColumn::SetMaxWidth(Integer Value) {
    FMaxWidth = std::max(Value, FMinWidth);
    SetWidth(FWidth);
}

void TVirtualTreeColumn::RestoreLastWidth() {
    if (TVirtualTreeColumns* owner = Owner()) owner->AnimatedResize(Index(), FLastWidth);
}

// ---- options and position ------------------------------------------------------------------

void TVirtualTreeColumn::SetOptions(TVTColumnOptions Value) {
    if (Value == FOptions) return;
    const TVTColumnOptions toBeSet = Value - FOptions;
    const TVTColumnOptions changed = (Value - FOptions) + (FOptions - Value);
    FOptions = Value;
    if (toBeSet.Contains(coParentBidiMode)) ParentBiDiModeChanged();
    if (toBeSet.Contains(coParentColor)) ParentColorChanged();
    if (toBeSet.Contains(coAutoSpring)) FSpringRest = 0;
    TVTHeader* header = Header();
    if (header && changed.Contains(coFixed) && FOptions.Contains(coVisible))
        header->RescaleToConstraints();
    Changed(false);
    TBaseVirtualTree* tree = Tree();
    if (!tree || TreeLoading(tree)) return;
    const bool visibility = changed.Contains(coVisible);
    if ((visibility || toBeSet.Contains(coParentColor)) && tree->UpdateCount() == 0 &&
        tree->Viewport().HasWindow) {
        tree->ViewSink().InvalidateControl();
        if (visibility) tree->ViewSink().UpdateHorizontalScrollBar(false);
    }
}

void TVirtualTreeColumn::TakeNeighbourFixedState() {
    TVirtualTreeColumns* owner = Owner();
    const bool fixed = FOptions.Contains(coFixed);
    const Int64 neighbourPosition =
        fixed && FPosition > 0 ? Int64{FPosition} - 1 : Int64{FPosition} + 1;
    if (neighbourPosition >= owner->Count()) return;
    const TColumnIndex neighbour =
        owner->ColumnFromPosition(static_cast<TColumnPosition>(neighbourPosition));
    if (!owner->IsValidColumn(neighbour)) return;
    TVTColumnOptions options = FOptions;
    if (owner->Items(neighbour)->FOptions.Contains(coFixed))
        options.Include(coFixed);
    else
        options.Exclude(coFixed);
    SetOptions(options);
}

void TVirtualTreeColumn::SetPosition(TColumnPosition Value) {
    TVirtualTreeColumns* owner = Owner();
    if (!owner || TreeLoading(Tree())) {
        FPosition = Value;
        return;
    }
    const TColumnPosition last = static_cast<TColumnPosition>(owner->Count() - 1);
    if (Value > last) Value = last;
    if (Value == FPosition) return;
    owner->EnsurePositionArray();
    Tree()->ViewSink().CancelEditNode();
    owner->MovePositionEntry(Index(), Value);
    FPosition = Value;
    Changed(false);
    if (!owner->InUpdate() && Tree()->Viewport().HasWindow) {
        Tree()->ViewSink().InvalidateHeader(Index());
        Tree()->ViewSink().InvalidateControl();
    }
    TakeNeighbourFixedState();
}

// ---- plain properties -----------------------------------------------------------------------

void TVirtualTreeColumn::SetText(const UnicodeString& Value) { Store(FText, Value); }

void TVirtualTreeColumn::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    Changed(false);
    InvalidateTree(Tree());
}

TAlignment TVirtualTreeColumn::CaptionAlignment() const noexcept {
    return FOptions.Contains(coUseCaptionAlignment) ? FCaptionAlignment : FAlignment;
}

void TVirtualTreeColumn::SetCaptionAlignment(TAlignment Value) {
    if (FOptions.Contains(coUseCaptionAlignment) && FCaptionAlignment == Value) return;
    FCaptionAlignment = Value;
    FOptions.Include(coUseCaptionAlignment);
    if (TBaseVirtualTree* tree = Tree()) tree->ViewSink().InvalidateHeader(Index());
}

void TVirtualTreeColumn::SetBiDiMode(TBiDiMode Value) {
    if (Value == FBiDiMode) return;
    FBiDiMode = Value;
    FOptions.Exclude(coParentBidiMode);
    Changed(false);
    InvalidateTree(Tree());
}

void TVirtualTreeColumn::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    FOptions.Exclude(coParentColor);
    Changed(false);
    InvalidateTree(Tree());
}

void TVirtualTreeColumn::SetMargin(Integer Value) {
    if (Value < 0) Value = 4;
    if (Value == FMargin) return;
    FMargin = Value;
    Changed(false);
}

void TVirtualTreeColumn::SetSpacing(Integer Value) { Store(FSpacing, Value); }
void TVirtualTreeColumn::SetStyle(TVirtualTreeColumnStyle Value) { Store(FStyle, Value); }
void TVirtualTreeColumn::SetImageIndex(Integer Value) { Store(FImageIndex, Value); }
void TVirtualTreeColumn::SetLayout(TVTHeaderColumnLayout Value) { Store(FLayout, Value); }
void TVirtualTreeColumn::SetCheckBox(bool Value) { Store(FCheckBox, Value); }
void TVirtualTreeColumn::SetCheckType(TCheckType Value) { Store(FCheckType, Value); }
void TVirtualTreeColumn::SetCheckState(TCheckState Value) { Store(FCheckState, Value); }

void TVirtualTreeColumn::ParentBiDiModeChanged() {
    TBaseVirtualTree* tree = Tree();
    if (!FOptions.Contains(coParentBidiMode) || !tree || tree->BiDiMode == FBiDiMode) return;
    FBiDiMode = tree->BiDiMode;
    Changed(false);
}

void TVirtualTreeColumn::ParentColorChanged() {
    TBaseVirtualTree* tree = Tree();
    if (!FOptions.Contains(coParentColor) || !tree || tree->Color == FColor) return;
    FColor = tree->Color;
    Changed(false);
}

// ---- geometry ---------------------------------------------------------------------------------

Integer TVirtualTreeColumn::Left() const {
    TBaseVirtualTree* tree = Tree();
    if (!tree || (FOptions.Contains(coVisible) && FOptions.Contains(coFixed))) return FLeft;
    return FLeft - tree->Viewport().EffectiveOffsetX;
}

void TVirtualTreeColumn::GetUnscrolledBounds(Integer& Left, Integer& Right) const {
    Left = FLeft;
    Right = FLeft + FWidth;
}

// ---- assignment ---------------------------------------------------------------------------------

void TVirtualTreeColumn::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TVirtualTreeColumn*>(Source);
    if (!source) {
        TCollectionItem::Assign(Source);
        return;
    }
    const TVTColumnOptions saved = FOptions;
    FOptions = {};
    SetBiDiMode(source->FBiDiMode);
    SetImageIndex(source->FImageIndex);
    SetLayout(source->FLayout);
    SetMargin(source->FMargin);
    SetMaxWidth(source->FMaxWidth);
    SetMinWidth(source->FMinWidth);
    SetPosition(source->FPosition);
    SetSpacing(source->FSpacing);
    SetStyle(source->FStyle);
    SetText(source->FText);
    Hint = source->Hint;
    Tag = source->Tag;
    SetWidth(source->FWidth);
    SetAlignment(source->FAlignment);
    SetCaptionAlignment(source->CaptionAlignment());
    SetColor(source->FColor);
    FOptions = saved;
    SetOptions(source->FOptions);
    Changed(false);
}

bool TVirtualTreeColumn::Equals(const TVirtualTreeColumn* Other) const {
    return Other && Other->ClassType() == ClassType() && Other->FBiDiMode == FBiDiMode &&
           Other->FImageIndex == FImageIndex && Other->FLayout == FLayout &&
           Other->FMargin == FMargin && Other->FMaxWidth == FMaxWidth &&
           Other->FMinWidth == FMinWidth && Other->FPosition == FPosition &&
           Other->FSpacing == FSpacing && Other->FStyle == FStyle && Other->FText == FText &&
           Other->Hint == Hint && Other->FWidth == FWidth && Other->FAlignment == FAlignment &&
           Other->CaptionAlignment() == CaptionAlignment() && Other->FColor == FColor &&
           Other->Tag == Tag && Other->FOptions == FOptions;
}

UnicodeString TVirtualTreeColumn::DisplayName() const {
    const bool latin = std::all_of(FText.begin(), FText.end(), [](wchar_t c) { return c < 0x100; });
    if (latin) return FText;
    return L"Column " + std::to_wstring(Index());
}
