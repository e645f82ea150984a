// The tree's five option sets held in one options object, with their defaults and the
// immediate effects of changing a set. The string tree's options add a sixth set. Options whose
// effect is only painting are stored here and read by the painting layer.
//
// Classes here: TCustomVirtualTreeOptions, TCustomStringTreeOptions, TStringTreeOptions.
#pragma once

#include "framework/Objects.h"
#include "framework/Sets.h"
#include "vtree/VTTypes.h"

class TBaseVirtualTree;

enum TVTPaintOption {
    toHideFocusRect,
    toHideSelection,
    toHotTrack,
    toPopupMode,
    toShowBackground,
    toShowButtons,
    toShowDropmark,
    toShowHorzGridLines,
    toShowRoot,
    toShowTreeLines,
    toShowVertGridLines,
    toThemeAware,
    toUseBlendedImages,
    toGhostedIfUnfocused,
    toFullVertGridLines,
    toAlwaysHideSelection,
    toUseBlendedSelection,
    toStaticBackground,
    toChildrenAbove,
    toFixedIndent,
    toUseExplorerTheme,
    toHideTreeLinesIfThemed,
    toShowHiddenNodes
};
using TVTPaintOptions = TSet<TVTPaintOption>;

enum TVTAnimationOption { toAnimatedToggle, toAdvancedAnimatedToggle };
using TVTAnimationOptions = TSet<TVTAnimationOption>;

enum TVTAutoOption {
    toAutoDropExpand,
    toAutoExpand,
    toAutoScroll,
    toAutoScrollOnExpand,
    toAutoSort,
    toAutoSpanColumns,
    toAutoTristateTracking,
    toAutoHideButtons,
    toAutoDeleteMovedNodes,
    toDisableAutoscrollOnFocus,
    toAutoChangeScale,
    toAutoFreeOnCollapse,
    toDisableAutoscrollOnEdit,
    toAutoBidiColumnOrdering
};
using TVTAutoOptions = TSet<TVTAutoOption>;

enum TVTSelectionOption {
    toDisableDrawSelection,
    toExtendedFocus,
    toFullRowSelect,
    toLevelSelectConstraint,
    toMiddleClickSelect,
    toMultiSelect,
    toRightClickSelect,
    toSiblingSelectConstraint,
    toCenterScrollIntoView,
    toSimpleDrawSelection
};
using TVTSelectionOptions = TSet<TVTSelectionOption>;

enum TVTMiscOption {
    toAcceptOLEDrop,
    toCheckSupport,
    toEditable,
    toFullRepaintOnResize,
    toGridExtensions,
    toInitOnSave,
    toReportMode,
    toToggleOnDblClick,
    toWheelPanning,
    toReadOnly,
    toVariableNodeHeight,
    toFullRowDrag,
    toNodeHeightResize,
    toNodeHeightDblClickResize,
    toEditOnClick,
    toEditOnDblClick
};
using TVTMiscOptions = TSet<TVTMiscOption>;

enum TVTStringOption { toSaveCaptions, toShowStaticText, toAutoAcceptEditChange };
using TVTStringOptions = TSet<TVTStringOption>;

constexpr TVTPaintOptions DefaultPaintOptions = TVTPaintOptions::FromBits(0x1B60);
constexpr TVTAnimationOptions DefaultAnimationOptions{};
constexpr TVTAutoOptions DefaultAutoOptions = TVTAutoOptions::FromBits(0x149);
constexpr TVTSelectionOptions DefaultSelectionOptions{};
constexpr TVTMiscOptions DefaultMiscOptions = TVTMiscOptions::FromBits(0x41A9);
constexpr TVTStringOptions DefaultStringOptions = TVTStringOptions::FromBits(5);

class TCustomVirtualTreeOptions : public TPersistent {
    CLASS_INFO(TCustomVirtualTreeOptions, TPersistent)
public:
    explicit TCustomVirtualTreeOptions(TBaseVirtualTree* AOwner);

    TBaseVirtualTree* Owner() const noexcept { return FOwner; }

    TVTPaintOptions PaintOptions() const noexcept { return FPaintOptions; }
    TVTAnimationOptions AnimationOptions() const noexcept { return FAnimationOptions; }
    TVTAutoOptions AutoOptions() const noexcept { return FAutoOptions; }
    TVTSelectionOptions SelectionOptions() const noexcept { return FSelectionOptions; }
    TVTMiscOptions MiscOptions() const noexcept { return FMiscOptions; }
    void SetPaintOptions(TVTPaintOptions Value);
    void SetAnimationOptions(TVTAnimationOptions Value);
    void SetAutoOptions(TVTAutoOptions Value);
    void SetSelectionOptions(TVTSelectionOptions Value);
    void SetMiscOptions(TVTMiscOptions Value);

    TVTExportMode ExportMode = emAll;

protected:
    void AssignTo(TPersistent* Dest) override;

private:
    TBaseVirtualTree* FOwner;
    TVTPaintOptions FPaintOptions = DefaultPaintOptions;
    TVTAnimationOptions FAnimationOptions = DefaultAnimationOptions;
    TVTAutoOptions FAutoOptions = DefaultAutoOptions;
    TVTSelectionOptions FSelectionOptions = DefaultSelectionOptions;
    TVTMiscOptions FMiscOptions = DefaultMiscOptions;
};

class TCustomStringTreeOptions : public TCustomVirtualTreeOptions {
    CLASS_INFO(TCustomStringTreeOptions, TCustomVirtualTreeOptions)
public:
    using TCustomVirtualTreeOptions::TCustomVirtualTreeOptions;
    TVTStringOptions StringOptions() const noexcept { return FStringOptions; }
    void SetStringOptions(TVTStringOptions Value);

protected:
    void AssignTo(TPersistent* Dest) override;

private:
    TVTStringOptions FStringOptions = DefaultStringOptions;
};

class TStringTreeOptions : public TCustomStringTreeOptions {
    CLASS_INFO(TStringTreeOptions, TCustomStringTreeOptions)
public:
    using TCustomStringTreeOptions::TCustomStringTreeOptions;
};
