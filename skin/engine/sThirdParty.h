// How far skinning reaches and how skin changes animate: the skinning rules, the 18 lists of
// class-library control classes that window-subclass handlers skin (one per handler kind), and
// the animation options.
#pragma once

#include "framework/Objects.h"
#include "framework/Sets.h"
#include "skin/engine/sConst.h"

#include <array>

class TsSkinManager;

enum TacSkinningRule { srStdForms, srStdDialogs, srThirdParty };
using TacSkinningRules = TSet<TacSkinningRule>;

inline constexpr int ThirdKindCount = 18;

// Kind indexes of the lists (the handler each selects).
enum TacThirdKind {
    ikEdit = 0,
    ikButton = 1,
    ikBitBtn = 2,
    ikCheckBox = 3,
    ikComboBox = 4,
    ikGrid = 5,
    ikGroupBox = 6,
    ikListView = 7,
    ikPanel = 8,
    ikTreeView = 9,
    ikwwEdit = 10,
    ikGridEh = 11,
    ikVirtualTree = 12,
    ikPageControl = 13,
    ikTabControl = 14,
    ikToolBar = 15,
    ikStatusBar = 16,
    ikSpeedButton = 17
};

// The kind's caption and its default classes (lines separated by CR LF; three kinds default to
// a single blank, which no class name matches).
const wchar_t* ThirdKindCaption(int Index);
const wchar_t* ThirdKindDefault(int Index);

// The 18 class-name texts, one per kind index; stored with the form whatever their value.
// The published properties ThirdEdits, ThirdButtons, ThirdBitBtns, ThirdCheckBoxes,
// ThirdGroupBoxes, ThirdListViews, ThirdPanels, ThirdGrids, ThirdTreeViews, ThirdComboBoxes,
// ThirdWWEdits, ThirdVirtualTrees, ThirdGridEh, ThirdPageControl, ThirdTabControl, ThirdToolBar,
// ThirdStatusBar and ThirdSpeedButton (in that order) share this getter and setter.
class ThirdPartyList : public TPersistent {
    CLASS_INFO(ThirdPartyList, TPersistent)
public:
    UnicodeString ReadByIndex(int Index) const { return FTexts.at(Index); }
    void WriteByIndex(int Index, const UnicodeString& Value) { FTexts.at(Index) = Value; }

private:
    std::array<UnicodeString, ThirdKindCount> FTexts;
};

// The mouse events on which the library's buttons animate.
class TacBtnEffects : public TPersistent {
    CLASS_INFO(TacBtnEffects, TPersistent)
public:
    TacBtnEvents Events{beMouseEnter, beMouseLeave, beMouseDown, beMouseUp};
    TsSkinManager* Manager = nullptr;
};

class TacFormAnimation : public TPersistent {
    CLASS_INFO(TacFormAnimation, TPersistent)
public:
    explicit TacFormAnimation(Word time = 0) : Time(time) {}
    bool Active = true;
    Word Time; // milliseconds
};

class TacFormShow : public TacFormAnimation {
    CLASS_INFO(TacFormShow, TacFormAnimation)
public:
    TacFormShow() : TacFormAnimation(0) {}
};
class TacPageChange : public TacFormAnimation {
    CLASS_INFO(TacPageChange, TacFormAnimation)
public:
    TacPageChange() : TacFormAnimation(0) {}
};
class TacDialogShow : public TacFormAnimation {
    CLASS_INFO(TacDialogShow, TacFormAnimation)
public:
    TacDialogShow() : TacFormAnimation(0) {}
};
class TacSkinChanging : public TacFormAnimation {
    CLASS_INFO(TacSkinChanging, TacFormAnimation)
public:
    TacSkinChanging() : TacFormAnimation(100) {}
};

// The animation options of a skin manager; it owns the five option objects.
class TacAnimEffects : public TPersistent {
    CLASS_INFO(TacAnimEffects, TPersistent)
public:
    explicit TacAnimEffects(TsSkinManager* AManager);
    ~TacAnimEffects() override;

    TacBtnEffects* Buttons() const noexcept { return FButtons; }
    TacDialogShow* DialogShow() const noexcept { return FDialogShow; }
    TacFormShow* FormShow() const noexcept { return FFormShow; }
    TacPageChange* PageChange() const noexcept { return FPageChange; }
    TacSkinChanging* SkinChanging() const noexcept { return FSkinChanging; }

    TsSkinManager* Manager;

private:
    TacBtnEffects* FButtons;
    TacDialogShow* FDialogShow;
    TacFormShow* FFormShow;
    TacSkinChanging* FSkinChanging;
    TacPageChange* FPageChange;
};
