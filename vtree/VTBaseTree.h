// TBaseVirtualTree, the model of the virtual tree: a store of fixed-size node blocks linked as a
// tree under a hidden root, with per-node counters kept incrementally, lazy initialisation
// through events, update batching, walks, sorting, expansion, check states, selection and focus,
// and incremental search. It needs no window: every view effect goes to the view sink, row
// heights and text widths to the measuring service, delayed notifications to the timer
// service, and the sizes the columns need come from the viewport record.
//
// Node blocks: the node record, the internal data area and the user data area (the hidden
// root's block also has a header naming its tree). Blocks come from the tree's own pool, which
// keeps a generation number for every block beside the blocks, so a `TVTNodeRef` taken earlier
// can always be checked with `IsAlive` on the GUI thread, even after its node was freed and its
// memory given back. The tree is used from the GUI thread only.
#pragma once

#include "framework/Components.h"
#include "framework/Events.h"
#include "framework/Streams.h"
#include "vtree/VTHeader.h"
#include "vtree/VTOptions.h"
#include "vtree/VTTypes.h"

#include <memory>
#include <vector>

class TBaseVirtualTree;

using TVTInitNodeEvent =
    TMethodEvent<void(TBaseVirtualTree* Sender, PVirtualNode ParentNode, PVirtualNode Node,
                      TVirtualNodeInitStates& InitialStates)>;
using TVTInitChildrenEvent =
    TMethodEvent<void(TBaseVirtualTree* Sender, PVirtualNode Node, Cardinal& ChildCount)>;
using TVTFreeNodeEvent = TMethodEvent<void(TBaseVirtualTree* Sender, PVirtualNode Node)>;
using TVTChangeEvent = TMethodEvent<void(TBaseVirtualTree* Sender, PVirtualNode Node)>;
using TVTGetNodeDataSizeEvent = TMethodEvent<void(TBaseVirtualTree* Sender, Integer& NodeDataSize)>;
using TVTMeasureItemEvent = TMethodEvent<void(TBaseVirtualTree* Sender, TCanvas* TargetCanvas,
                                              PVirtualNode Node, Integer& NodeHeight)>;
using TVTStructureChangeEvent =
    TMethodEvent<void(TBaseVirtualTree* Sender, PVirtualNode Node, TChangeReason Reason)>;
using TVTUpdatingEvent = TMethodEvent<void(TBaseVirtualTree* Sender, TVTUpdateState State)>;
using TVTStateChangeEvent = TMethodEvent<void(TBaseVirtualTree* Sender, TVirtualTreeStates Enter,
                                              TVirtualTreeStates Leave)>;
using TVTCompareEvent =
    TMethodEvent<void(TBaseVirtualTree* Sender, PVirtualNode Node1, PVirtualNode Node2,
                      TColumnIndex Column, Integer& Result)>;
using TVTChangingEvent =
    TMethodEvent<void(TBaseVirtualTree* Sender, PVirtualNode Node, bool& Allowed)>;
using TVTCheckChangingEvent = TMethodEvent<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                                TCheckState& NewState, bool& Allowed)>;
using TVTFocusChangingEvent =
    TMethodEvent<void(TBaseVirtualTree* Sender, PVirtualNode OldNode, PVirtualNode NewNode,
                      TColumnIndex OldColumn, TColumnIndex NewColumn, bool& Allowed)>;
using TVTFocusChangeEvent =
    TMethodEvent<void(TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex Column)>;
using TVTIncrementalSearchEvent = TMethodEvent<void(
    TBaseVirtualTree* Sender, PVirtualNode Node, const UnicodeString& SearchText, Integer& Result)>;
using TVTHeaderNotifyEvent = TMethodEvent<void(TVTHeader* Sender, TColumnIndex Column)>;
using TVTGetCellIsEmptyEvent = TMethodEvent<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                                 TColumnIndex Column, bool& IsEmpty)>;
using TVTSaveNodeEvent =
    TMethodEvent<void(TBaseVirtualTree* Sender, PVirtualNode Node, TStream* Stream)>;
using TVTNodeMovingEvent = TMethodEvent<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                             PVirtualNode Target, bool& Allowed)>;
using TVTNodeMovedEvent = TVTChangeEvent;
using TVTNodeCopyingEvent = TVTNodeMovingEvent;
using TVTNodeCopiedEvent = TVTChangeEvent;
using TVTGetNodeProc =
    TMethodEvent<void(TBaseVirtualTree* Sender, PVirtualNode Node, void* Data, bool& Abort)>;

struct TCacheEntry {
    PVirtualNode Node;
    Cardinal AbsoluteTop;
};
using TCache = std::vector<TCacheEntry>;

namespace vtree_detail {
class TNodePool;
}

class TBaseVirtualTree : public TComponent {
    CLASS_INFO(TBaseVirtualTree, TComponent)
public:
    explicit TBaseVirtualTree(TComponent* AOwner);
    ~TBaseVirtualTree() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;

    // ---- services -------------------------------------------------------------------------
    // Null restores the windowless stand-in. The tree does not own what it is given.
    void SetViewSink(IVTViewSink* Value);
    IVTViewSink& ViewSink() const noexcept { return *FViewSink; }
    void SetMeasuringService(IVTMeasuringService* Value);
    IVTMeasuringService& MeasuringService() const noexcept { return *FMeasuring; }
    void SetTimerService(IVTTimerService* Value) noexcept { FTimers = Value; }
    const TVTViewport& Viewport() const noexcept { return FViewport; }
    void SetViewport(const TVTViewport& Value) { FViewport = Value; }
    // The timer service reports an expired timer.
    void HandleTimer(TVTTimerId Id);

    // ---- node store -------------------------------------------------------------------------
    PVirtualNode RootNode() const noexcept { return FRoot; }
    // The tree a root block belongs to (the root's own owner field).
    static TBaseVirtualTree* OwnerOfRoot(PVirtualNode Root) noexcept;
    Cardinal TotalCount() const noexcept { return FRoot->TotalCount - 1; }
    Cardinal VisibleCount() const noexcept { return FVisibleCount; }
    Cardinal RootNodeCount() const noexcept { return FRoot->ChildCount; }
    void SetRootNodeCount(Cardinal Value);
    Integer NodeDataSize() const noexcept { return FNodeDataSize; }
    void SetNodeDataSize(Integer Value);
    Cardinal DefaultNodeHeight() const noexcept { return FDefaultNodeHeight; }
    void SetDefaultNodeHeight(Cardinal Value);
    TVirtualTreeStates TreeStates() const noexcept { return FStates; }

    PVirtualNode AddChild(PVirtualNode Parent, void* UserData = nullptr);
    PVirtualNode InsertNode(PVirtualNode Node, TVTNodeAttachMode Mode, void* UserData = nullptr);
    void DeleteNode(PVirtualNode Node, bool Reindex = true);
    void DeleteChildren(PVirtualNode Node, bool ResetHasChildren = false);
    virtual void DeleteSelectedNodes();
    void Clear();
    void ValidateNode(PVirtualNode Node, bool Recursive);
    void ValidateChildren(PVirtualNode Node, bool Recursive);
    virtual void ReinitNode(PVirtualNode Node, bool Recursive);
    void ReinitChildren(PVirtualNode Node, bool Recursive);
    void ResetNode(PVirtualNode Node);
    // Inline: comparison, text and paint handlers ask for it on every call.
    void* GetNodeData(PVirtualNode Node) const {
        if (!Node || Node == FRoot) return nullptr;
        if (FNodeDataSize <= 0) NodeDataSizeMissing();
        return Node->Data() + FTotalInternalDataSize;
    }
    template <class T> T* GetNodeData(PVirtualNode Node) const {
        return static_cast<T*>(GetNodeData(Node));
    }
    void SetChildCount(PVirtualNode Node, Cardinal NewCount) { ChangeChildCount(Node, NewCount); }
    void SetHasChildren(PVirtualNode Node, bool Value);
    void SetIsVisible(PVirtualNode Node, bool Value);
    void SetIsHidden(PVirtualNode Node, bool Value);
    void SetIsDisabled(PVirtualNode Node, bool Value);

#ifdef VELMORA_CHECK_INVARIANTS
    // Raises EAssertionFailed naming the first invariant of the node store (listed in
    // VTNodeStore.cpp) that does not hold. Compiled into debug and test builds only, where every
    // change of the structure, the expansion, the visibility or a height calls it once no
    // update is open, so that a broken invariant fails at the change that broke it.
    void CheckInvariants() const;
#endif

    // A reference whose node may be freed later; IsAlive tells whether it was.
    TVTNodeRef NodeRef(PVirtualNode Node) const noexcept;
    bool IsAlive(const TVTNodeRef& Ref) const noexcept;

    // ---- updates, heights, operations --------------------------------------------------------
    virtual void BeginUpdate();
    virtual void EndUpdate();
    Cardinal UpdateCount() const noexcept { return FUpdateCount; }
    Cardinal ChangeDelay() const noexcept { return FChangeDelay; }
    void SetChangeDelay(Cardinal Value) noexcept { FChangeDelay = Value; }
    void MeasureItemHeight(TCanvas* Canvas, PVirtualNode Node);
    void SetNodeHeight(PVirtualNode Node, Cardinal Value) { ApplyNodeHeight(Node, Value); }
    void CancelOperation();
    // Synchronous mode: while it lasts, change notifications are delivered at once; entering it
    // delivers what is pending and stops the delayed work. Nests.
    void BeginSynch();
    void EndSynch();
    bool OperationCanceled() const noexcept { return FOperationCanceled && FOperationCount > 0; }

    // ---- navigation -------------------------------------------------------------------------
    PVirtualNode GetFirst(bool ConsiderChildrenAbove = false);
    PVirtualNode GetFirstNoInit(bool ConsiderChildrenAbove = false) const;
    PVirtualNode GetNext(PVirtualNode Node, bool ConsiderChildrenAbove = false);
    PVirtualNode GetNextNoInit(PVirtualNode Node, bool ConsiderChildrenAbove = false) const;
    PVirtualNode GetPrevious(PVirtualNode Node, bool ConsiderChildrenAbove = false);
    PVirtualNode GetPreviousNoInit(PVirtualNode Node, bool ConsiderChildrenAbove = false) const;
    PVirtualNode GetLast(PVirtualNode Node = nullptr, bool ConsiderChildrenAbove = false);
    PVirtualNode GetLastNoInit(PVirtualNode Node = nullptr,
                               bool ConsiderChildrenAbove = false) const;
    PVirtualNode GetFirstChild(PVirtualNode Node);
    PVirtualNode GetLastChild(PVirtualNode Node);
    PVirtualNode GetLastChildNoInit(PVirtualNode Node) const;
    PVirtualNode GetNextSibling(PVirtualNode Node);
    PVirtualNode GetPreviousSibling(PVirtualNode Node);
    PVirtualNode GetNextVisibleSibling(PVirtualNode Node, bool IncludeHidden = false);
    PVirtualNode GetNextVisibleSiblingNoInit(PVirtualNode Node, bool IncludeHidden = false) const;
    PVirtualNode GetPreviousVisibleSibling(PVirtualNode Node, bool IncludeHidden = false);
    PVirtualNode GetPreviousVisibleSiblingNoInit(PVirtualNode Node,
                                                 bool IncludeHidden = false) const;
    PVirtualNode GetFirstVisibleChild(PVirtualNode Node, bool IncludeHidden = false);
    PVirtualNode GetFirstVisibleChildNoInit(PVirtualNode Node, bool IncludeHidden = false) const;
    PVirtualNode GetLastVisibleChild(PVirtualNode Node, bool IncludeHidden = false);
    PVirtualNode GetLastVisibleChildNoInit(PVirtualNode Node, bool IncludeHidden = false) const;
    PVirtualNode GetFirstVisible(PVirtualNode Node = nullptr, bool ConsiderChildrenAbove = true,
                                 bool IncludeHidden = false);
    PVirtualNode GetFirstVisibleNoInit(PVirtualNode Node = nullptr,
                                       bool ConsiderChildrenAbove = true,
                                       bool IncludeHidden = false) const;
    PVirtualNode GetLastVisible(PVirtualNode Node = nullptr, bool ConsiderChildrenAbove = true,
                                bool IncludeHidden = false);
    PVirtualNode GetLastVisibleNoInit(PVirtualNode Node = nullptr,
                                      bool ConsiderChildrenAbove = true,
                                      bool IncludeHidden = false) const;
    PVirtualNode GetNextVisible(PVirtualNode Node, bool ConsiderChildrenAbove = true);
    PVirtualNode GetNextVisibleNoInit(PVirtualNode Node, bool ConsiderChildrenAbove = true) const;
    PVirtualNode GetPreviousVisible(PVirtualNode Node, bool ConsiderChildrenAbove = true);
    PVirtualNode GetPreviousVisibleNoInit(PVirtualNode Node,
                                          bool ConsiderChildrenAbove = true) const;
    PVirtualNode GetFirstChecked(TCheckState State = csCheckedNormal,
                                 bool ConsiderChildrenAbove = false);
    PVirtualNode GetNextChecked(PVirtualNode Node, TCheckState State = csCheckedNormal,
                                bool ConsiderChildrenAbove = false);
    PVirtualNode GetPreviousChecked(PVirtualNode Node, TCheckState State = csCheckedNormal,
                                    bool ConsiderChildrenAbove = false);
    PVirtualNode GetFirstSelected(bool ConsiderChildrenAbove = false);
    PVirtualNode GetNextSelected(PVirtualNode Node, bool ConsiderChildrenAbove = false);
    PVirtualNode GetPreviousSelected(PVirtualNode Node, bool ConsiderChildrenAbove = false);
    PVirtualNode GetFirstCutCopy(bool ConsiderChildrenAbove = false);
    PVirtualNode GetNextCutCopy(PVirtualNode Node, bool ConsiderChildrenAbove = false);
    PVirtualNode GetPreviousCutCopy(PVirtualNode Node, bool ConsiderChildrenAbove = false);
    PVirtualNode GetFirstInitialized(bool ConsiderChildrenAbove = false) const;
    PVirtualNode GetNextInitialized(PVirtualNode Node, bool ConsiderChildrenAbove = false) const;
    PVirtualNode GetPreviousInitialized(PVirtualNode Node,
                                        bool ConsiderChildrenAbove = false) const;
    PVirtualNode GetLastInitialized(PVirtualNode Node = nullptr,
                                    bool ConsiderChildrenAbove = false) const;
    PVirtualNode GetFirstLeaf();
    PVirtualNode GetNextLeaf(PVirtualNode Node);
    PVirtualNode GetPreviousLeaf(PVirtualNode Node);
    PVirtualNode GetFirstLevel(Cardinal NodeLevel);
    PVirtualNode GetNextLevel(PVirtualNode Node, Cardinal NodeLevel);
    PVirtualNode GetPreviousLevel(PVirtualNode Node, Cardinal NodeLevel);

    Cardinal GetNodeLevel(PVirtualNode Node) const;
    Cardinal AbsoluteIndex(PVirtualNode Node);
    bool HasAsParent(PVirtualNode Node, PVirtualNode PotentialParent) const;
    PVirtualNode GetVisibleParent(PVirtualNode Node, bool IncludeHidden = false) const;
    bool IsEffectivelyHidden(PVirtualNode Node) const;
    bool IsEffectivelyVisible(PVirtualNode Node) const;
    bool FullyVisible(PVirtualNode Node) const;
    PVirtualNode IterateSubtree(PVirtualNode Node, TVTGetNodeProc Callback, void* Data,
                                TVirtualNodeStates Filter = {}, bool DoInit = false,
                                bool ChildNodesOnly = false);
    TNodeArray GetSortedSelection(bool Resolve);
    TNodeArray GetSortedCutCopySet(bool Resolve);

    // ---- positions ----------------------------------------------------------------------------
    PVirtualNode GetNodeAt(Integer X, Integer Y);
    PVirtualNode GetNodeAt(Integer X, Integer Y, bool Relative, Integer& NodeTop);
    PVirtualNode TopNode();
    PVirtualNode BottomNode();
    // Builds the position cache at once (the background worker's job when there is a window).
    bool ValidateCache();
    const TCache& PositionCache() const noexcept { return FPositionCache; }

    // ---- sorting ----------------------------------------------------------------------------
    virtual void Sort(PVirtualNode Node, TColumnIndex Column, TSortDirection Direction,
                      bool DoInit = true);
    virtual void SortTree(TColumnIndex Column, TSortDirection Direction, bool DoInit = true);

    // ---- expanding ----------------------------------------------------------------------------
    void ToggleNode(PVirtualNode Node);
    void FullExpand(PVirtualNode Node = nullptr);
    void FullCollapse(PVirtualNode Node = nullptr);
    bool Expanded(PVirtualNode Node) const { return Node && Node->States.Contains(vsExpanded); }
    void SetExpanded(PVirtualNode Node, bool Value);
    Cardinal AnimationDuration = 200;
    Cardinal AutoExpandDelay = 1000;

    // ---- check states ---------------------------------------------------------------------------
    TCheckState CheckState(PVirtualNode Node) const { return Node->CheckState; }
    void SetCheckState(PVirtualNode Node, TCheckState Value);
    TCheckType CheckType(PVirtualNode Node) const { return Node->CheckType; }
    void SetCheckType(PVirtualNode Node, TCheckType Value);
    Integer CheckedCount();
    void ClearChecked();

    // ---- selection and focus --------------------------------------------------------------------
    PVirtualNode FocusedNode() const noexcept { return FFocusedNode; }
    void SetFocusedNode(PVirtualNode Value);
    TColumnIndex FocusedColumn() const noexcept { return FFocusedColumn; }
    void SetFocusedColumn(TColumnIndex Value);
    bool Selected(PVirtualNode Node) const { return Node && Node->States.Contains(vsSelected); }
    void SetSelected(PVirtualNode Node, bool Value);
    Cardinal SelectedCount() const noexcept { return FSelectionCount; }
    bool SelectionLocked() const noexcept { return FSelectionLocked; }
    void SetSelectionLocked(bool Value) noexcept { FSelectionLocked = Value; }
    void ClearSelection();
    void SelectAll(bool VisibleOnly);
    void InvertSelection(bool VisibleOnly);
    bool IsMouseSelecting() const;

    // ---- incremental search ---------------------------------------------------------------------
    TVTIncrementalSearch IncrementalSearch() const noexcept { return FIncrementalSearch; }
    void SetIncrementalSearch(TVTIncrementalSearch Value);
    TVTSearchDirection IncrementalSearchDirection = sdForward;
    TVTSearchStart IncrementalSearchStart = ssFocusedNode;
    Cardinal IncrementalSearchTimeout = 1000;
    const UnicodeString& SearchBuffer() const noexcept { return FSearchBuffer; }

    // ---- options, header and view references
    // ------------------------------------------------------
    TCustomVirtualTreeOptions* TreeOptions() const noexcept { return FOptions; }
    void SetTreeOptions(TCustomVirtualTreeOptions* Value) { FOptions->Assign(Value); }
    TVTHeader* Header() const noexcept { return FHeader; }
    void SetHeader(TVTHeader* Value) { FHeader->Assign(Value); }
    Integer Indent = 18;
    Integer Margin = 4;
    Integer TextMargin = 4;
    Cardinal BottomSpace = 0;
    TBiDiMode BiDiMode = bdLeftToRight;
    TColor Color = clWindow;
    Integer RangeX() const noexcept { return FRangeX; }
    Integer RangeY() const noexcept { return FRangeY; }
    // Nodes the window layer points at; each is dropped when its node is freed.
    PVirtualNode HotNode() const noexcept { return FCurrentHotNode; }
    void SetHotNode(PVirtualNode Value) noexcept { FCurrentHotNode = Value; }
    PVirtualNode DropTargetNode() const noexcept { return FDropTargetNode; }
    void SetDropTargetNode(PVirtualNode Value) noexcept { FDropTargetNode = Value; }
    // Where over DropTargetNode the last drag move would drop (painting marks it).
    TDropMode LastDropMode = dmNowhere;
    // The drop target of the last move of a class-library drag, which its drop takes.
    PVirtualNode LastVCLDragTarget = nullptr;
    PVirtualNode EditNode() const noexcept { return FEditNode; }
    void SetEditNode(PVirtualNode Value) noexcept { FEditNode = Value; }
    PVirtualNode HeightTrackNode() const noexcept { return FHeightTrackNode; }
    void SetHeightTrackNode(PVirtualNode Value) noexcept { FHeightTrackNode = Value; }
    PVirtualNode CheckNode() const noexcept { return FCheckNode; }
    const TNodeArray& DragSelection() const noexcept { return FDragSelection; }
    void SetDragSelection(TNodeArray Value) { FDragSelection = std::move(Value); }
    PVirtualNode LastSearchNode() const noexcept { return FLastSearchNode; }
    PVirtualNode RangeAnchor() const noexcept { return FRangeAnchor; }

    // ---- events -----------------------------------------------------------------------------
    TVTInitNodeEvent OnInitNode;
    TVTInitChildrenEvent OnInitChildren;
    TVTFreeNodeEvent OnFreeNode;
    // Runs for every freed node, initialised or not, just before its block is released: the
    // place to finalise what the user data area owns.
    TVTFreeNodeEvent OnFinalizeNode;
    TVTChangeEvent OnResetNode;
    TVTGetNodeDataSizeEvent OnGetNodeDataSize;
    TVTMeasureItemEvent OnMeasureItem;
    TVTStructureChangeEvent OnStructureChange;
    TVTUpdatingEvent OnUpdating;
    TVTStateChangeEvent OnStateChange;
    TVTCompareEvent OnCompareNodes;
    TVTChangingEvent OnExpanding;
    TVTChangingEvent OnCollapsing;
    TVTChangeEvent OnExpanded;
    TVTChangeEvent OnCollapsed;
    TVTCheckChangingEvent OnChecking;
    TVTChangeEvent OnChecked;
    TVTFocusChangingEvent OnFocusChanging;
    TVTFocusChangeEvent OnFocusChanged;
    TVTChangeEvent OnChange;
    TVTIncrementalSearchEvent OnIncrementalSearch;
    TVTHeaderNotifyEvent OnColumnResize;
    TVTGetCellIsEmptyEvent OnGetCellIsEmpty;

    // ---- input-layer entry points ---------------------------------------------------------------
    void HandleClickSelection(PVirtualNode LastFocused, PVirtualNode NewNode, bool Shift, bool Ctrl,
                              bool DragPending);
    virtual void HandleIncrementalSearch(Word CharCode);
    // Pressing and releasing a node's check control (mouse or key).
    void BeginCheckPress(PVirtualNode Node);
    void EndCheckPress(bool Apply);

protected:
    friend class TCustomVirtualTreeOptions;
    friend class TVTHeader;
    friend class TVirtualTreeColumns;
    friend class TVirtualTreeColumn;
    friend class TVirtualTreeWindow; // the window layer drives the model's protected machinery

    // The options object of this tree class (the string trees answer their own kinds).
    virtual TCustomVirtualTreeOptions* CreateOptions();
    void Loaded() override;
    TCustomVirtualTreeOptions* Options() const noexcept { return FOptions; }
    bool Loading() const { return ComponentState().Contains(csLoading); }
    bool Destroying() const { return ComponentState().Contains(csDestroying); }
    bool HasMisc(TVTMiscOption O) const { return FOptions->MiscOptions().Contains(O); }
    bool HasAuto(TVTAutoOption O) const { return FOptions->AutoOptions().Contains(O); }
    bool HasPaint(TVTPaintOption O) const { return FOptions->PaintOptions().Contains(O); }
    bool HasSelection(TVTSelectionOption O) const {
        return FOptions->SelectionOptions().Contains(O);
    }
    bool ChildrenAbove(bool Consider) const { return Consider && HasPaint(toChildrenAbove); }

    // node store
    Cardinal AllocateInternalData(Cardinal Size);
    PVirtualNode AllocateNode();
    void InitNode(PVirtualNode Node);
    void InitChildren(PVirtualNode Node);
    void LinkNode(PVirtualNode Node, PVirtualNode Destination, TVTNodeAttachMode Mode);
    void UnlinkNode(PVirtualNode Node, bool KeepFocus, bool Reindex);
    void ChangeChildCount(PVirtualNode Node, Cardinal NewCount);
    void UpdateAllChildrenHiddenFlag(PVirtualNode Node);
    void UpdateAllChildrenHiddenFlags();
    Cardinal CountVisibleDescendants(PVirtualNode Node) const;
    void PropagateTotalCount(PVirtualNode Node, Integer Value, bool Relative);
    void PropagateTotalHeight(PVirtualNode Node, Integer Value, bool Relative);
    virtual void DoInitNode(PVirtualNode Parent, PVirtualNode Node,
                            TVirtualNodeInitStates& InitStates);
    virtual void DoInitChildren(PVirtualNode Node, Cardinal& ChildCount);
    virtual void DoFreeNode(PVirtualNode Node);
    virtual void DoFinalizeNode(PVirtualNode Node);
    virtual void DoResetNode(PVirtualNode Node);
    virtual Integer DoGetNodeDataSize();
    virtual void InvalidateNode(PVirtualNode Node);

    // updates and heights
    Cardinal NodeRowHeight(PVirtualNode Node);
    void ApplyNodeHeight(PVirtualNode Node, Cardinal Value);
    void SetUpdateState(bool Updating);
    void NotifyStructureChange(PVirtualNode Node, TChangeReason Reason);
    virtual void DoStructureChange(PVirtualNode Node, TChangeReason Reason);
    virtual void DoUpdating(TVTUpdateState State);
    virtual void DoStateChange(TVirtualTreeStates Enter, TVirtualTreeStates Leave = {});
    virtual void DoMeasureItem(TCanvas* Canvas, PVirtualNode Node, Integer& NodeHeight);
    void BeginOperation();
    void EndOperation();
    void StartTimer(TVTTimerId Id, Cardinal Milliseconds);
    void StopTimer(TVTTimerId Id);

    // position cache
    void InvalidatePositionCache();
    void RequestCacheValidation();
    void CancelValidation();
    bool BuildPositionCache();
    int ComparePositions(PVirtualNode Node1, PVirtualNode Node2, bool ConsiderChildrenAbove);
    virtual int LevelDifference(PVirtualNode Node1, PVirtualNode Node2) const;

    // sorting, expanding, checks
    virtual Integer DoCompareNodes(PVirtualNode Node1, PVirtualNode Node2, TColumnIndex Column);
    virtual bool DoExpanding(PVirtualNode Node);
    virtual bool DoCollapsing(PVirtualNode Node);
    virtual void DoExpanded(PVirtualNode Node);
    virtual void DoCollapsed(PVirtualNode Node);
    virtual TCheckState NextCheckState(TCheckType CheckType, TCheckState CheckState) const;
    virtual bool DoChecking(PVirtualNode Node, TCheckState& NewState);
    virtual void CommitCheckState(PVirtualNode Node, TCheckState NewState);
    virtual void DoChecked(PVirtualNode Node);
    void ChangeCheckState(PVirtualNode Node, TCheckState Value);
    bool ApplyCheckState(PVirtualNode Node, TCheckState Value);
    bool PropagateCheckToParent(PVirtualNode Node, TCheckState NewState);

    // selection and focus
    virtual bool DoFocusChanging(PVirtualNode OldNode, PVirtualNode NewNode, TColumnIndex OldColumn,
                                 TColumnIndex NewColumn);
    virtual void DoFocusChanged(PVirtualNode Node, TColumnIndex Column);
    void DoFocusNode(PVirtualNode Node, bool Ask);
    void SetFocusedNodeAndColumn(PVirtualNode Node, TColumnIndex Column);
    void AddToSelection(PVirtualNode Node);
    void AddToSelection(const TNodeArray& Nodes, Cardinal Count, bool ForceInsert);
    void RemoveFromSelection(PVirtualNode Node);
    void SelectNodes(PVirtualNode StartNode, PVirtualNode EndNode, bool AddOnly);
    void UnselectNodes(PVirtualNode StartNode, PVirtualNode EndNode);
    void ToggleSelection(PVirtualNode StartNode, PVirtualNode EndNode);
    bool FindNodeInSelection(PVirtualNode Node, Integer& Index, Integer LowBound,
                             Integer HighBound) const;
    void ResetRangeAnchor();
    void InternalClearSelection();
    void InternalRemoveFromSelection(PVirtualNode Node);
    void PackSelection();
    // The selection array as kept: sorted by node address.
    const TNodeArray& Selection() const noexcept { return FSelection; }

    // change notification and search
    virtual void Change(PVirtualNode Node);
    virtual void DoChange(PVirtualNode Node);
    virtual Integer DoIncrementalSearch(PVirtualNode Node, const UnicodeString& Text);
    void EndIncrementalSearch();

    // header and cells
    virtual void HandleMainColumnChange();
    virtual void DoColumnResize(TColumnIndex Column);
    virtual bool DoGetCellIsEmpty(PVirtualNode Node, TColumnIndex Column);
    virtual Integer GetNodeTextWidth(PVirtualNode Node, TColumnIndex Column);

    Cardinal FTotalInternalDataSize = 0;

private:
    struct TSearchRun;

    std::size_t NodeSize() const noexcept;
    static void NodeDataSizeMissing();
    PVirtualNode HintAhead(Cardinal Index, bool Forward) const noexcept;
    std::size_t DataOffset() const noexcept {
        return sizeof(TVirtualNode) + FTotalInternalDataSize;
    }
    bool Counted(PVirtualNode Node) const;
    void ChangeVisibility(PVirtualNode Node, TVirtualNodeState State, bool Value);
    void RecalculateCounters();
    Cardinal RecalculateSubtree(PVirtualNode Node, bool Counting);
    void DropFromSelection(PVirtualNode Node);
    void ForgetNode(PVirtualNode Node);
    void ReleaseNode(PVirtualNode Node);
    bool NodesFreedUnseen() const;
    void FreeAllNodes();
    void AfterStructureChange(PVirtualNode InvalidateFrom);
    void CheckInvariantsAfterChange() const {
#ifdef VELMORA_CHECK_INVARIANTS
        if (FUpdateCount == 0) CheckInvariants();
#endif
    }
    void SortAfterAdding(PVirtualNode Parent);
    void StoreInitialUserData(PVirtualNode Node, void* UserData);
    void AddChildren(PVirtualNode Node, Cardinal Count);
    void ResetRoot();
    bool AddNodesInternal(TNodeArray Nodes, bool ForceInsert);
    void MergeIntoSelection(TNodeArray& Nodes);
    void CollectVisibleRange(PVirtualNode From, PVirtualNode To, TNodeArray& List);
    PVirtualNode NormaliseRangeStart(PVirtualNode StartNode, PVirtualNode FallBack);
    void FocusColumnAfterSelect();
    PVirtualNode SearchStep(PVirtualNode Node, bool Forward);
    PVirtualNode SearchFirst(bool Forward);
    PVirtualNode SearchStartNode();
    bool RunSearch(PVirtualNode& Run, PVirtualNode Stop, const UnicodeString& Text, bool Forward);
    void CollapseForFocusChange(PVirtualNode OldNode, PVirtualNode NewNode);
    PVirtualNode SortSiblings(PVirtualNode First, Cardinal Count, TColumnIndex Column,
                              TSortDirection Direction);
    void SortLevel(PVirtualNode Node, TColumnIndex Column, TSortDirection Direction, bool DoInit);
    void RecalculateRanges();
    void FinishToggle(PVirtualNode Node, bool Changed, Integer Delta);
    bool MayAnimateToggle() const;
    PVirtualNode FindInCache(Integer Position, Cardinal& Top) const;
    PVirtualNode FindInCache(PVirtualNode Node, Cardinal& Top);
    PVirtualNode NextMatching(PVirtualNode Node, bool Forward, bool CCA,
                              TVirtualNodeState State) const;
    PVirtualNode NextWithCheckState(PVirtualNode Node, bool Forward, bool CCA,
                                    TCheckState State) const;
    // The walks, with or without lazy initialisation (DoInit), behind the public families.
    void Touch(PVirtualNode Node, bool DoInit) const;
    void Materialise(PVirtualNode Node, bool DoInit) const;
    PVirtualNode WalkFirst(bool CA, bool DoInit) const;
    PVirtualNode WalkNext(PVirtualNode Node, bool CA, bool DoInit) const;
    PVirtualNode WalkPrevious(PVirtualNode Node, bool CA, bool DoInit) const;
    PVirtualNode WalkLast(PVirtualNode Node, bool CA, bool DoInit) const;
    PVirtualNode WalkVisibleSibling(PVirtualNode Node, bool Forward, bool IncludeHidden,
                                    bool DoInit) const;
    PVirtualNode WalkVisibleChild(PVirtualNode Node, bool First, bool IncludeHidden,
                                  bool DoInit) const;
    PVirtualNode WalkFirstVisible(PVirtualNode Node, bool CA, bool IncludeHidden,
                                  bool DoInit) const;
    PVirtualNode WalkLastVisible(PVirtualNode Node, bool CA, bool IncludeHidden, bool DoInit) const;
    PVirtualNode WalkNextVisible(PVirtualNode Node, bool CA, bool DoInit) const;
    PVirtualNode WalkPreviousVisible(PVirtualNode Node, bool CA, bool DoInit) const;
    PVirtualNode FollowingVisible(PVirtualNode From, bool DoInit) const;
    PVirtualNode NextVisibleChildrenAbove(PVirtualNode Current, bool DoInit) const;
    PVirtualNode PreviousVisibleChildrenAbove(PVirtualNode Current, bool DoInit) const;

    std::unique_ptr<vtree_detail::TNodePool> FPool;
    std::unique_ptr<IVTViewSink> FNullSink;
    std::unique_ptr<IVTMeasuringService> FNullMeasuring;
    IVTViewSink* FViewSink;
    IVTMeasuringService* FMeasuring;
    IVTTimerService* FTimers = nullptr;
    TVTViewport FViewport;

    PVirtualNode FRoot = nullptr;
    Cardinal FDefaultNodeHeight = 18;
    Cardinal FUpdateCount = 0;
    Integer FNodeDataSize = -1;
    TVirtualTreeStates FStates;
    TChangeReason FLastStructureChangeReason = crIgnore;
    PVirtualNode FLastStructureChangeNode = nullptr;
    PVirtualNode FLastChangedNode = nullptr;
    Cardinal FChangeDelay = 0;
    Cardinal FVisibleCount = 0;
    Cardinal FStartIndex = 0;
    Cardinal FOperationCount = 0;
    Cardinal FSynchUpdateCount = 0;
    bool FOperationCanceled = false;

    TCustomVirtualTreeOptions* FOptions = nullptr;
    TVTHeader* FHeader = nullptr;
    TCache FPositionCache;
    Integer FRangeX = 0;
    Integer FRangeY = 0;

    PVirtualNode FFocusedNode = nullptr;
    TColumnIndex FFocusedColumn = NoColumn;
    TNodeArray FSelection;
    Cardinal FSelectionCount = 0;
    bool FSelectionLocked = false;
    PVirtualNode FRangeAnchor = nullptr;
    Integer FLastSelectionLevel = -1;
    TNodeArray FTempNodeCache;

    PVirtualNode FCheckNode = nullptr;
    TCheckState FPendingCheckState = csUncheckedNormal;
    Cardinal FCheckPropagationCount = 0;

    TVTIncrementalSearch FIncrementalSearch = isNone;
    UnicodeString FSearchBuffer;
    PVirtualNode FLastSearchNode = nullptr;

    PVirtualNode FCurrentHotNode = nullptr;
    PVirtualNode FDropTargetNode = nullptr;
    PVirtualNode FEditNode = nullptr;
    PVirtualNode FHeightTrackNode = nullptr;
    PVirtualNode FLastSelected = nullptr;
    TNodeArray FDragSelection;
    // Where the sort leaves a sorted sibling order for SortTree's walk over that level.
    TNodeArray* FSortedLevel = nullptr;
    // Every HintStride-th node of the top level in the order SortTree left: GetNext fetches the
    // nodes it will reach ahead. Only a hint: when the level changed since, it merely fetches
    // the wrong blocks. Dropped before the pool gives any slab back.
    static constexpr std::size_t HintStride = 4;
    TNodeArray FWalkHint;

    // ---- tree streams (VTStream*.cpp), moving and copying (VTMoveCopy.cpp) ---------------------
    // The stream entry points are public: the clipboard's private format and the transfer
    // between trees write and read node subtrees through them.
public:
    static constexpr Word StreamVersion = 2;
    // Writes the header and every top-level node (Node nil) or the one node with its subtree.
    virtual void SaveToStream(TStream* Stream, PVirtualNode Node = nullptr);
    void SaveToFile(const UnicodeString& FileName);
    // Replaces the whole content; the stream's header is checked before anything is cleared.
    virtual void LoadFromStream(TStream* Stream);
    void LoadFromFile(const UnicodeString& FileName);
    // Appends the stream's nodes as last children of TargetNode (RootNode() for the top level).
    void AddFromStream(TStream* Stream, PVirtualNode TargetNode);
    // One node chunk with its subtree, and the chunks inside it.
    void WriteNode(TStream* Stream, PVirtualNode Node);
    virtual void WriteChunks(TStream* Stream, PVirtualNode Node);
    // Reads one node chunk into Node, which is linked already and still empty; on failure the
    // node is left consistent (counters match the links) for the caller to delete.
    void ReadNodeRecord(TStream* Stream, Integer Version, PVirtualNode Node);
    // Handles one chunk whose size was checked against its enclosing chunk; answers whether it
    // was this tree's to read.
    virtual bool ReadChunk(TStream* Stream, Integer Version, PVirtualNode Node, Integer ChunkType,
                           Integer ChunkSize);
    // Reads one node chunk into the linked Node and brings the counters and the selection up to
    // date; a node that fails to load is deleted again.
    void LoadNodeFromStream(TStream* Stream, Integer Version, PVirtualNode Node);
    TVTSaveNodeEvent OnSaveNode;
    TVTSaveNodeEvent OnLoadNode;

    // The tree a node belongs to, found through its hidden root.
    static TBaseVirtualTree* NodeOwnerTree(PVirtualNode Node);
    void MoveTo(PVirtualNode Source, PVirtualNode Target, TVTNodeAttachMode Mode,
                bool ChildrenOnly);
    void MoveTo(PVirtualNode Source, TBaseVirtualTree* Tree, TVTNodeAttachMode Mode,
                bool ChildrenOnly);
    PVirtualNode CopyTo(PVirtualNode Source, PVirtualNode Target, TVTNodeAttachMode Mode,
                        bool ChildrenOnly);
    PVirtualNode CopyTo(PVirtualNode Source, TBaseVirtualTree* Tree, TVTNodeAttachMode Mode,
                        bool ChildrenOnly);
    // A nil target is this tree's root with amAddChildFirst.
    void MoveTo(PVirtualNode Source, std::nullptr_t, TVTNodeAttachMode Mode, bool ChildrenOnly) {
        MoveTo(Source, PVirtualNode{}, Mode, ChildrenOnly);
    }
    PVirtualNode CopyTo(PVirtualNode Source, std::nullptr_t, TVTNodeAttachMode Mode,
                        bool ChildrenOnly) {
        return CopyTo(Source, PVirtualNode{}, Mode, ChildrenOnly);
    }
    TVTNodeMovingEvent OnNodeMoving;
    TVTNodeMovedEvent OnNodeMoved;
    TVTNodeCopyingEvent OnNodeCopying;
    TVTNodeCopiedEvent OnNodeCopied;

protected:
    virtual void DoSaveNode(PVirtualNode Node, TStream* Stream);
    virtual void DoLoadNode(PVirtualNode Node, TStream* Stream);
    virtual bool DoNodeMoving(PVirtualNode Node, PVirtualNode Target);
    virtual void DoNodeMoved(PVirtualNode Node);
    virtual bool DoNodeCopying(PVirtualNode Node, PVirtualNode Target);
    virtual void DoNodeCopied(PVirtualNode Node);

private:
    void ReadNodes(TStream* Stream, Integer Version, PVirtualNode Parent, Cardinal Count);
    void ReadBaseChunk(TStream* Stream, Integer Version, PVirtualNode Node, Int64 End,
                       Integer ChunkSize);
    bool ReadUserChunk(TStream* Stream, PVirtualNode Node, Integer ChunkSize);
    void FinishLoadedNode(PVirtualNode Node, Cardinal OldHeight, bool WasShown, bool WasCounted,
                          bool Loaded);
    void CollectLoaded(PVirtualNode Node, TNodeArray& Selected);
    TBaseVirtualTree* ResolveTarget(PVirtualNode& Target, TVTNodeAttachMode& Mode);
    void PrepareTarget(PVirtualNode Target);
    void WriteTransfer(TStream* Stream, PVirtualNode Source, bool ChildrenOnly);
    template <class TPlaced>
    void ReadTransfer(TStream* Stream, PVirtualNode Target, TVTNodeAttachMode Mode,
                      const TPlaced& Placed);
    void AfterTransfer();
    void MoveWithin(PVirtualNode Source, PVirtualNode Target, TVTNodeAttachMode Mode,
                    bool ChildrenOnly);
    void MoveAcross(PVirtualNode Source, TBaseVirtualTree* Tree, PVirtualNode Target,
                    TVTNodeAttachMode Mode, bool ChildrenOnly);
    // Node chunks are read recursively; a stream may nest them this deep at most.
    static constexpr Cardinal MaxStreamDepth = 1000;
    Cardinal FStreamDepth = 0;
};
