// The vocabulary of the virtual tree's model: the node record and its state sets, the tree
// states, the enumerations of the tree's operations, the error class, and the three services
// through which the model reaches the outside world without a window: the view sink (every
// repaint, scroll-bar update, edit or hint cancellation a structural change asks for), the
// measuring service (text widths, and the canvas handed to `OnMeasureItem`) and the timer
// service (delayed notifications). A windowless tree uses no-op stand-ins for all three.
//
// Classes here: TPackedSet, TVirtualNode, EVirtualTreeError, IVTViewSink, IVTMeasuringService,
// IVTTimerService, TVTViewport.
#pragma once

#include "framework/Exceptions.h"
#include "framework/Graphics.h"
#include "framework/Sets.h"
#include "vtree/VTControlTypes.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

// A set stored in exactly as many bits as the record it lives in gives it (node states are a
// 16-bit field of the node record). Same operations as TSet.
template <class E, class Storage> class TPackedSet {
public:
    constexpr TPackedSet() = default;
    constexpr TPackedSet(std::initializer_list<E> values) {
        for (E value : values) FBits = static_cast<Storage>(FBits | Bit(value));
    }
    static constexpr TPackedSet FromBits(Storage bits) {
        TPackedSet set;
        set.FBits = bits;
        return set;
    }
    constexpr bool Contains(E value) const { return (FBits & Bit(value)) != 0; }
    constexpr void Include(E value) { FBits = static_cast<Storage>(FBits | Bit(value)); }
    constexpr void Exclude(E value) { FBits = static_cast<Storage>(FBits & ~Bit(value)); }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr Storage Bits() const { return FBits; }
    constexpr TPackedSet operator+(TPackedSet o) const { return FromBits(FBits | o.FBits); }
    constexpr TPackedSet operator-(TPackedSet o) const { return FromBits(FBits & ~o.FBits); }
    constexpr TPackedSet operator*(TPackedSet o) const { return FromBits(FBits & o.FBits); }
    constexpr TPackedSet& operator+=(TPackedSet o) { return *this = *this + o; }
    constexpr TPackedSet& operator-=(TPackedSet o) { return *this = *this - o; }
    constexpr bool operator==(const TPackedSet&) const = default;

private:
    static constexpr Storage Bit(E value) {
        return static_cast<Storage>(Storage{1} << static_cast<unsigned>(value));
    }
    Storage FBits = 0;
};

// ---- node record -------------------------------------------------------------------------

enum TVirtualNodeState {
    vsInitialized,
    vsChecking,
    vsCutOrCopy,
    vsDisabled,
    vsDeleting,
    vsExpanded,
    vsHasChildren,
    vsVisible,
    vsSelected,
    vsInitialUserData,
    vsAllChildrenHidden,
    vsClearing,
    vsMultiline,
    vsHeightMeasured,
    vsToggling,
    vsHidden
};
using TVirtualNodeStates = TPackedSet<TVirtualNodeState, std::uint16_t>;

enum TVirtualNodeInitState { ivsDisabled, ivsExpanded, ivsHasChildren, ivsMultiline, ivsSelected };
using TVirtualNodeInitStates = TPackedSet<TVirtualNodeInitState, std::uint8_t>;

enum TCheckType : Byte { ctNone, ctTriStateCheckBox, ctCheckBox, ctRadioButton, ctButton };
enum TCheckState : Byte {
    csUncheckedNormal,
    csUncheckedPressed,
    csCheckedNormal,
    csCheckedPressed,
    csMixedNormal,
    csMixedPressed
};

// One node; its internal and user data areas follow the record directly in the same block.
struct TVirtualNode {
    Cardinal Index;
    Cardinal ChildCount;
    Word NodeHeight;
    TVirtualNodeStates States;
    Byte Align;
    TCheckState CheckState;
    TCheckType CheckType;
    Byte Dummy;
    Cardinal TotalCount;
    Cardinal TotalHeight;
    TVirtualNode* Parent;
    TVirtualNode* PrevSibling;
    TVirtualNode* NextSibling;
    TVirtualNode* FirstChild;
    TVirtualNode* LastChild;

    Byte* Data() noexcept { return reinterpret_cast<Byte*>(this + 1); }
};
using PVirtualNode = TVirtualNode*;
using TNodeArray = std::vector<PVirtualNode>;

// ---- tree states and enumerations ----------------------------------------------------------

enum TVirtualTreeState {
    tsCancelHintAnimation,
    tsChangePending,
    tsCheckPropagation,
    tsCollapsing,
    tsToggleFocusedSelection,
    tsClearPending,
    tsClipboardFlushing,
    tsCopyPending,
    tsCutPending,
    tsDrawSelPending,
    tsDrawSelecting,
    tsEditing,
    tsEditPending,
    tsExpanding,
    tsNodeHeightTracking,
    tsNodeHeightTrackPending,
    tsHint,
    tsInAnimation,
    tsIncrementalSearching,
    tsIncrementalSearchPending,
    tsIterating,
    tsKeyCheckPending,
    tsLeftButtonDown,
    tsLeftDblClick,
    tsMouseCheckPending,
    tsMiddleButtonDown,
    tsMiddleDblClick,
    tsNeedRootCountUpdate,
    tsNeedScale,
    tsOLEDragging,
    tsOLEDragPending,
    tsPainting,
    tsRightButtonDown,
    tsRightDblClick,
    tsPopupMenuShown,
    tsScrolling,
    tsScrollPending,
    tsSizing,
    tsStopValidation,
    tsStructureChangePending,
    tsSynchMode,
    tsThumbTracking,
    tsToggling,
    tsUpdateHiddenChildrenNeeded,
    tsUpdating,
    tsUseCache,
    tsUserDragObject,
    tsUseThemes,
    tsValidating,
    tsValidationNeeded,
    tsVCLDragging,
    tsVCLDragPending,
    tsWheelPanning,
    tsWheelScrolling,
    tsWindowCreating
};
using TVirtualTreeStates = TSet<TVirtualTreeState>;

enum TChangeReason {
    crIgnore,
    crAccumulated,
    crChildAdded,
    crChildDeleted,
    crNodeAdded,
    crNodeCopied,
    crNodeMoved
};
enum TVTNodeAttachMode {
    amNoWhere,
    amInsertBefore,
    amInsertAfter,
    amAddChildFirst,
    amAddChildLast
};
enum TVTUpdateState { usBegin, usBeginSynch, usSynch, usUpdate, usEnd, usEndSynch };
enum TSortDirection { sdAscending, sdDescending };
enum TVTIncrementalSearch { isAll, isNone, isInitializedOnly, isVisibleOnly };
enum TVTSearchDirection { sdForward, sdBackward };
enum TVTSearchStart { ssAlwaysStartOver, ssLastHit, ssFocusedNode };
enum TVSTTextType { ttNormal, ttStatic };
enum TVTExportMode { emAll, emChecked, emUnchecked };
// Where a drag would drop relative to the node under the mouse.
enum TDropMode { dmNowhere, dmAbove, dmOnNode, dmBelow };

// Column index: -1 means no column, -2 an invalid one.
using TColumnIndex = Integer;
using TColumnPosition = Cardinal;
constexpr TColumnIndex NoColumn = -1;
constexpr TColumnIndex InvalidColumn = -2;

// ---- errors --------------------------------------------------------------------------------

// Help contexts 2000..2008 name the error; programming errors raise EAssertionFailed naming the
// unit VirtualTrees.
class EVirtualTreeError : public Exception {
public:
    using Exception::Exception;
};

namespace vtree_errors {
constexpr int EditLink = 2000, NodeMoveTarget = 2001, StreamFormat = 2002, StreamVersion = 2003,
              StreamTooShort = 2004, AnchorMissing = 2005, DataAfterEnd = 2006, Clipboard = 2007,
              UserDataSpace = 2008;
[[noreturn]] void RaiseError(int HelpContext);
// Raises EAssertionFailed "<Message> (VirtualTrees)" unless Condition holds.
void Assert(bool Condition, const wchar_t* Message);
} // namespace vtree_errors

// ---- services --------------------------------------------------------------------------------

// Where every view effect of a model operation goes. The windowless tree's sink ignores them;
// the window layer repaints, scrolls and talks to the clipboard and the hint window.
class IVTViewSink {
public:
    virtual ~IVTViewSink() = default;
    virtual void InvalidateNode(PVirtualNode) {}
    virtual void InvalidateToBottom(PVirtualNode) {}
    virtual void InvalidateControl() {}
    virtual void InvalidateColumn(TColumnIndex) {}
    // Column -1: the whole header.
    virtual void InvalidateHeader(TColumnIndex) {}
    // The header's height or visibility changed: the window's frame must be laid out again.
    virtual void RecalculateHeader() {}
    virtual void UpdateScrollBars(bool /*DoRepaint*/) {}
    virtual void UpdateHorizontalScrollBar(bool /*DoRepaint*/) {}
    // Answers whether the view scrolled.
    virtual bool ScrollIntoView(PVirtualNode, bool /*Center*/, bool /*Horizontally*/) {
        return false;
    }
    virtual void CancelEditNode() {}
    // The header's main column changed: accessibility clients are told the item names changed.
    virtual void MainColumnChanged() {}
    // Answers whether the edit could be ended (True when none runs).
    virtual bool EndEditNode() { return true; }
    virtual void CancelHint() {}
    // A pending cut or copy is abandoned: the OLE clipboard is emptied.
    virtual void EmptyClipboard() {}
    virtual void SetRedraw(bool /*Enable*/) {}
    // Position-cache work of the background worker.
    virtual void RequestValidation() {}
    virtual void CancelValidation() {}
    // An incremental search found nothing.
    virtual void Beep() {}
    // A toggle is about to move the rows below Node by Delta pixels (negative when collapsing);
    // the window may show the move as an animation.
    virtual void AnimateToggle(PVirtualNode /*Node*/, Integer /*Delta*/) {}
    // After an expansion with toAutoScrollOnExpand: brings the expanded block into view as far
    // as it fits; answers whether the view scrolled.
    virtual bool ScrollAfterExpansion(PVirtualNode /*Node*/) { return false; }
    // After a toggle with toChildrenAbove, where the rows that appear or vanish (Delta pixels,
    // negative when collapsing) lie above Node: keeps Node's row in place or, with
    // toAutoScrollOnExpand, brings the expanded block into view; answers whether it scrolled.
    virtual bool ScrollAfterToggleAbove(PVirtualNode /*Node*/, Integer /*Delta*/) { return false; }
    // toAcceptOLEDrop was switched: a live window registers or revokes its drop target.
    virtual void AcceptDropChanged(bool /*Accept*/) {}
};

// Text widths and the canvas handed to OnMeasureItem; a windowless tree measures nothing.
class IVTMeasuringService {
public:
    virtual ~IVTMeasuringService() = default;
    virtual TCanvas* Canvas() { return nullptr; }
    virtual int TextWidth(TCanvas* /*Canvas*/, const UnicodeString& /*Text*/) { return 0; }
};

enum TVTTimerId {
    ExpandTimer = 1,
    EditTimer,
    HeaderTimer,
    ScrollTimer,
    ChangeTimer,
    StructureChangeTimer,
    SearchTimer
};

// Delayed work. The service calls the tree's HandleTimer(Id) on the GUI thread when a timer
// expires. Without a service (none injected) delayed notifications are delivered at once.
class IVTTimerService {
public:
    virtual ~IVTTimerService() = default;
    virtual void StartTimer(TVTTimerId Id, Cardinal Milliseconds) = 0;
    virtual void StopTimer(TVTTimerId Id) = 0;
};

// The view state the model needs: client size, scroll offsets and the right-to-left shift.
struct TVTViewport {
    int ClientWidth = 0;
    int ClientHeight = 0;
    int OffsetX = 0;
    int OffsetY = 0; // 0 or negative
    int EffectiveOffsetX = 0;
    int RightToLeftShift = 0;
    bool RightToLeft = false;
    bool HasWindow = false;
};

// A node reference that can tell whether its node still lives (see TBaseVirtualTree::IsAlive).
struct TVTNodeRef {
    PVirtualNode Node = nullptr;
    Cardinal Generation = 0;
};
