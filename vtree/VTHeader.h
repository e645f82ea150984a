// The model half of the tree's header: the columns with their display positions, left edges and
// width limits (including the fixed-area limits relative to the client width), the auto-size
// and spring columns, and the header's sort column, sort direction and main column. Painting,
// mouse handling, fonts, images and the binary streams belong to the window and persistence
// layers; every repaint asked for here goes to the tree's view sink, and every size comes from
// the tree's viewport.
//
// Classes here: TVirtualTreeColumn, TVirtualTreeColumns, TVTFixedAreaConstraints, TVTHeader.
#pragma once

#include "framework/Buttons.h"
#include "framework/Collections.h"
#include "framework/Events.h"
#include "framework/Graphics.h"
#include "framework/Streams.h"
#include "vtree/VTTypes.h"

#include <vector>

class TBaseVirtualTree;
class TVTHeader;
class TVirtualTreeColumns;

enum TVTColumnOption {
    coAllowClick,
    coDraggable,
    coEnabled,
    coParentBidiMode,
    coParentColor,
    coResizable,
    coShowDropMark,
    coVisible,
    coAutoSpring,
    coFixed,
    coSmartResize,
    coAllowFocus,
    coDisableAnimatedResize,
    coWrapCaption,
    coUseCaptionAlignment
};
using TVTColumnOptions = TSet<TVTColumnOption>;
constexpr TVTColumnOptions DefaultColumnOptions = TVTColumnOptions::FromBits(0x08FF);

enum TVirtualTreeColumnStyle { vsText, vsOwnerDraw };
// The buttons' layouts: the same names in the same order, which one scope can hold only once.
using TVTHeaderColumnLayout = TButtonLayout;
using TIndexArray = std::vector<TColumnIndex>;
using TColumnsArray = std::vector<class TVirtualTreeColumn*>;

class TVirtualTreeColumn : public TCollectionItem {
    CLASS_INFO(TVirtualTreeColumn, TCollectionItem)
public:
    explicit TVirtualTreeColumn(TCollection* Collection);
    void AfterConstruction() override;

    TVirtualTreeColumns* Owner() const;
    void Assign(TPersistent* Source) override;
    bool Equals(const TVirtualTreeColumn* Other) const;
    UnicodeString DisplayName() const override;

    const UnicodeString& Text() const noexcept { return FText; }
    void SetText(const UnicodeString& Value);
    UnicodeString Hint;
    Integer Tag = 0;

    Integer Width() const noexcept { return FWidth; }
    void SetWidth(Integer Value);
    Integer MinWidth() const noexcept { return FMinWidth; }
    void SetMinWidth(Integer Value);
    Integer MaxWidth() const noexcept { return FMaxWidth; }
    void SetMaxWidth(Integer Value);
    TColumnPosition Position() const noexcept { return FPosition; }
    void SetPosition(TColumnPosition Value);
    TVTColumnOptions Options() const noexcept { return FOptions; }
    void SetOptions(TVTColumnOptions Value);
    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TAlignment CaptionAlignment() const noexcept;
    void SetCaptionAlignment(TAlignment Value);
    TBiDiMode BiDiMode() const noexcept { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Value);
    TColor Color() const noexcept { return FColor; }
    void SetColor(TColor Value);
    Integer Margin() const noexcept { return FMargin; }
    void SetMargin(Integer Value);
    Integer Spacing() const noexcept { return FSpacing; }
    void SetSpacing(Integer Value);
    TVirtualTreeColumnStyle Style() const noexcept { return FStyle; }
    void SetStyle(TVirtualTreeColumnStyle Value);
    Integer ImageIndex() const noexcept { return FImageIndex; }
    void SetImageIndex(Integer Value);
    TVTHeaderColumnLayout Layout() const noexcept { return FLayout; }
    void SetLayout(TVTHeaderColumnLayout Value);
    bool CheckBox() const noexcept { return FCheckBox; }
    void SetCheckBox(bool Value);
    TCheckType CheckType() const noexcept { return FCheckType; }
    void SetCheckType(TCheckType Value);
    TCheckState CheckState() const noexcept { return FCheckState; }
    void SetCheckState(TCheckState Value);

    // Left edge in client coordinates (fixed visible columns do not scroll).
    Integer Left() const;
    void GetUnscrolledBounds(Integer& Left, Integer& Right) const;
    bool UseRightToLeftReading() const noexcept { return FBiDiMode != bdLeftToRight; }
    void ParentBiDiModeChanged();
    void ParentColorChanged();
    void RestoreLastWidth();
    // What the last header paint left: the caption as drawn (wrapped with coWrapCaption) and,
    // when a glyph or check box was drawn, its rectangle in window coordinates.
    const UnicodeString& CaptionText() const noexcept { return FCaptionText; }
    bool HasImage() const noexcept { return FHasImage; }
    const TRect& ImageRect() const noexcept { return FImageRect; }

    // ---- binary streams (VTHeaderStream.cpp) ----------------------------------------------------
    // The column record in the current layout; reading applies it through the setters.
    void SaveToStream(TStream* Stream);
    void LoadFromStream(TStream* Stream, Integer Version);

private:
    friend class TVirtualTreeColumns;
    friend class TVTHeader;
    friend class TVirtualTreeWindow; // header painting records caption and image

    TVTHeader* Header() const;
    TBaseVirtualTree* Tree() const;
    void LimitWidth(Integer& Value) const;
    void LimitFixedWidth(Integer& Value) const;
    void TakeNeighbourFixedState();
    // Stores a changed value and signals the item change.
    template <class T> void Store(T& Field, const T& Value) {
        if (Field == Value) return;
        Field = Value;
        Changed(false);
    }

    UnicodeString FText;
    Integer FLeft = 0;
    Integer FWidth = 0;
    TColumnPosition FPosition = 0;
    Integer FMinWidth = 10;
    Integer FMaxWidth = 10000;
    TVirtualTreeColumnStyle FStyle = vsText;
    Integer FImageIndex = -1;
    TBiDiMode FBiDiMode = bdLeftToRight;
    TVTHeaderColumnLayout FLayout = blGlyphLeft;
    Integer FMargin = 4;
    Integer FSpacing = 4;
    TVTColumnOptions FOptions = DefaultColumnOptions;
    TAlignment FAlignment = taLeftJustify;
    TAlignment FCaptionAlignment = taLeftJustify;
    Integer FLastWidth = 0;
    TColor FColor = clWindow;
    bool FBonusPixel = false;
    float FSpringRest = 0;
    bool FCheckBox = false;
    TCheckType FCheckType = ctCheckBox;
    TCheckState FCheckState = csUncheckedNormal;
    UnicodeString FCaptionText;
    bool FHasImage = false;
    TRect FImageRect;
};

class TVirtualTreeColumns : public TCollection {
    CLASS_INFO(TVirtualTreeColumns, TCollection)
public:
    explicit TVirtualTreeColumns(TVTHeader* AOwner);

    TVTHeader* Header() const noexcept { return FHeader; }
    TVirtualTreeColumn* Items(TColumnIndex Index) const;
    TVirtualTreeColumn* Add();
    void Clear();
    void Assign(TPersistent* Source) override;
    bool Equals(const TVirtualTreeColumns* Other) const;
    bool IsValidColumn(TColumnIndex Column) const noexcept {
        return Column >= 0 && Column < Count();
    }

    Integer DefaultWidth = 50;
    TColumnIndex ClickIndex() const noexcept { return FClickIndex; }
    TColumnIndex TrackIndex() const noexcept { return FTrackIndex; }
    // The column under the mouse in the header (-1: none), kept by the window's mouse and
    // painted hot with hoHotTrack; a change repaints both cells.
    TColumnIndex HoverIndex() const noexcept { return FHoverIndex; }
    void SetHoverIndex(TColumnIndex Value);
    const TIndexArray& PositionToIndex() const noexcept { return FPositionToIndex; }

    // P in client coordinates with the header's rows counted from the top of the header.
    TColumnIndex ColumnFromPosition(TPoint P, bool Relative = true) const;
    TColumnIndex ColumnFromPosition(TColumnPosition PositionIndex) const;
    TColumnIndex ColumnAndBoundsAt(TPoint P, Integer& Left, Integer& Right,
                                   bool Relative = true) const;
    void GetColumnBounds(TColumnIndex Column, Integer& Left, Integer& Right) const;
    TColumnIndex GetFirstVisibleColumn(bool ConsiderAllowFocus = false) const;
    TColumnIndex GetLastVisibleColumn(bool ConsiderAllowFocus = false) const;
    TColumnIndex GetNextColumn(TColumnIndex Column) const;
    TColumnIndex GetNextVisibleColumn(TColumnIndex Column, bool ConsiderAllowFocus = false) const;
    TColumnIndex GetPreviousColumn(TColumnIndex Column) const;
    TColumnIndex GetPreviousVisibleColumn(TColumnIndex Column,
                                          bool ConsiderAllowFocus = false) const;
    TColumnsArray GetVisibleColumns() const;
    Integer GetVisibleFixedWidth() const;
    Integer GetScrollWidth() const;
    Integer TotalWidth() const;
    // Without a window there is nothing to animate: the limited width is applied at once.
    void AnimatedResize(TColumnIndex Column, Integer NewWidth);

    void UpdateColumnLefts(bool Force);
    void EnsurePositionArray();
    void MovePositionEntry(TColumnIndex Column, TColumnPosition Position);
    void RemapPositionIndexes(TColumnIndex OldIndex, TColumnIndex NewIndex);
    void ResetPositions(bool RightToLeft);
    void ApplyStoredPositions();
    void FitAutoSizeColumn(bool Force);

    // ---- binary streams (VTHeaderStream.cpp) ----------------------------------------------------
    // Count, the columns, the position array and DefaultWidth. Reading replaces the columns; a
    // position array that is no permutation of the columns is replaced by the natural order.
    void SaveToStream(TStream* Stream);
    void LoadFromStream(TStream* Stream, Integer Version);

protected:
    void Update(TCollectionItem* Item) override;
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

private:
    friend class TVirtualTreeColumn;
    friend class TVirtualTreeWindow; // the header mouse keeps the track column
    friend class TVTHeader;

    bool InUpdate() const noexcept { return UpdateCount() > 0; }
    TColumnIndex StepVisible(TColumnIndex Column, int Direction, bool ConsiderAllowFocus) const;
    bool Qualifies(TColumnIndex Column, bool ConsiderAllowFocus) const;
    void ColumnDeleted(TColumnIndex Index);

    TVTHeader* FHeader;
    TColumnIndex FHoverIndex = -1;
    TColumnIndex FDownIndex = -1;
    TColumnIndex FTrackIndex = -1;
    TColumnIndex FClickIndex = -1;
    TIndexArray FPositionToIndex;
    bool FNeedPositionsFix = false;
    bool FClearing = false;
    TColumnIndex FDragIndex = -1;
    TColumnIndex FDropTarget = -1;
    bool FDropBefore = false;
};

using TVTConstraintPercent = Byte;

class TVTFixedAreaConstraints : public TPersistent {
    CLASS_INFO(TVTFixedAreaConstraints, TPersistent)
public:
    explicit TVTFixedAreaConstraints(TVTHeader* AOwner) : FHeader(AOwner) {}
    void Assign(TPersistent* Source) override;

    TVTConstraintPercent MaxHeightPercent() const noexcept { return FMaxHeightPercent; }
    TVTConstraintPercent MaxWidthPercent() const noexcept { return FMaxWidthPercent; }
    TVTConstraintPercent MinHeightPercent() const noexcept { return FMinHeightPercent; }
    TVTConstraintPercent MinWidthPercent() const noexcept { return FMinWidthPercent; }
    void SetMaxHeightPercent(TVTConstraintPercent Value);
    void SetMaxWidthPercent(TVTConstraintPercent Value);
    void SetMinHeightPercent(TVTConstraintPercent Value);
    void SetMinWidthPercent(TVTConstraintPercent Value);

    TNotifyEvent OnChange;

private:
    void Changed();

    TVTHeader* FHeader;
    TVTConstraintPercent FMaxHeightPercent = 0;
    TVTConstraintPercent FMaxWidthPercent = 0;
    TVTConstraintPercent FMinHeightPercent = 0;
    TVTConstraintPercent FMinWidthPercent = 0;
};

enum TVTHeaderOption {
    hoAutoResize,
    hoColumnResize,
    hoDblClickResize,
    hoDrag,
    hoHotTrack,
    hoOwnerDraw,
    hoRestrictDrag,
    hoShowHint,
    hoShowImages,
    hoShowSortGlyphs,
    hoVisible,
    hoAutoSpring,
    hoFullRepaintOnResize,
    hoDisableAnimatedResize,
    hoHeightResize,
    hoHeightDblClickResize
};
using TVTHeaderOptions = TSet<TVTHeaderOption>;
constexpr TVTHeaderOptions DefaultHeaderOptions = TVTHeaderOptions::FromBits(0x020A);

enum THeaderState {
    hsAutoSizing,
    hsDragging,
    hsDragPending,
    hsLoading,
    hsColumnWidthTracking,
    hsColumnWidthTrackPending,
    hsHeightTracking,
    hsHeightTrackPending,
    hsResizing,
    hsScaling,
    hsNeedScaling
};
using THeaderStates = TSet<THeaderState>;

enum TVTHeaderStyle { hsThickButtons, hsFlatButtons, hsPlates, hsXPStyle };

class TVTHeader : public TPersistent {
    CLASS_INFO(TVTHeader, TPersistent)
public:
    explicit TVTHeader(TBaseVirtualTree* AOwner);
    ~TVTHeader() override;
    void Assign(TPersistent* Source) override;

    TBaseVirtualTree* Treeview() const noexcept { return FOwner; }
    TVirtualTreeColumns* Columns() const noexcept { return FColumns; }
    void SetColumns(TVirtualTreeColumns* Value) { FColumns->Assign(Value); }
    TVTFixedAreaConstraints* FixedAreaConstraints() const noexcept { return FFixedAreaConstraints; }
    bool UseColumns() const { return FColumns->Count() > 0; }
    THeaderStates States() const noexcept { return FStates; }
    void SetStates(THeaderStates Value) noexcept { FStates = Value; }

    Integer Height() const noexcept { return FHeight; }
    void SetHeight(Integer Value);
    Integer DefaultHeight() const noexcept { return FDefaultHeight; }
    void SetDefaultHeight(Integer Value);
    Integer MinHeight() const noexcept { return FMinHeight; }
    void SetMinHeight(Integer Value);
    Integer MaxHeight() const noexcept { return FMaxHeight; }
    void SetMaxHeight(Integer Value);
    TVTHeaderOptions Options() const noexcept { return FOptions; }
    void SetOptions(TVTHeaderOptions Value);
    TVTHeaderStyle Style() const noexcept { return FStyle; }
    void SetStyle(TVTHeaderStyle Value);
    TColor Background() const noexcept { return FBackground; }
    void SetBackground(TColor Value);
    TColumnIndex AutoSizeIndex() const noexcept { return FAutoSizeIndex; }
    void SetAutoSizeIndex(TColumnIndex Value);
    TColumnIndex MainColumn() const noexcept { return UseColumns() ? FMainColumn : -1; }
    void SetMainColumn(TColumnIndex Value);
    void ClampMainColumn();
    TColumnIndex SortColumn() const noexcept { return FSortColumn; }
    void SetSortColumn(TColumnIndex Value);
    TSortDirection SortDirection() const noexcept { return FSortDirection; }
    void SetSortDirection(TSortDirection Value);

    bool AllowFocus(TColumnIndex Column) const;
    void Invalidate(TColumnIndex Column);
    Integer ResizeColumns(Integer ChangeBy, TColumnIndex RangeStartCol, TColumnIndex RangeEndCol,
                          TVTColumnOptions Options = {coVisible});
    void RestoreColumns();
    void RescaleToConstraints();
    void AdjustSpringColumns();

    // ---- binary streams (VTHeaderStream.cpp) ----------------------------------------------------
    // The header's own stream (version 6): a -1 marker, the version, the columns, the header's
    // settings and Font, the header font, which the window keeps. Streams come from files and
    // are not trusted: lengths and counts must fit the bytes left, enumerations must be known
    // values, and every value passes its setter's limits.
    static constexpr Integer StreamVersion = 6;
    void SaveToStream(TStream* Stream, TFont* Font);
    void LoadFromStream(TStream* Stream, TFont* Font);

private:
    void ReadStream(TStream* Stream, TFont* Font, TVTHeaderOptions SavedOptions);

protected:
    virtual void SetSortColumnChecked(TColumnIndex Value);

private:
    friend class TVirtualTreeColumn;
    friend class TVirtualTreeColumns;

    bool TreeLoading() const;
    void FixedAreaConstraintsChanged(TObject* Sender);
    void SortTreeIfAutomatic();
    Integer LimitHeight(Integer Value) const;

    TBaseVirtualTree* FOwner;
    TVirtualTreeColumns* FColumns = nullptr;
    Integer FHeight = 17;
    TVTHeaderOptions FOptions = DefaultHeaderOptions;
    THeaderStates FStates;
    TVTHeaderStyle FStyle = hsThickButtons;
    TColor FBackground = clBtnFace;
    TColumnIndex FAutoSizeIndex = 0;
    TColumnIndex FMainColumn = -1;
    Integer FMaxHeight = 10000;
    Integer FMinHeight = 10;
    Integer FDefaultHeight = 17;
    TVTFixedAreaConstraints* FFixedAreaConstraints = nullptr;
    TColumnIndex FSortColumn = -1;
    TSortDirection FSortDirection = sdAscending;
    Integer FLastWidth = 0;
};
