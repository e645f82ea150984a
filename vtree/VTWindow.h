// The tree's window: a custom control that shows a tree model (TBaseVirtualTree) and is its view
// sink, measuring service and timer service. It keeps the model's viewport in step with the
// window (client size, scroll offsets), lays the header out in the non-client area above the
// client area, scrolls, and paints: rows composed one at a time in an off-screen bitmap (cell
// backgrounds, selection, grid and tree lines, buttons, check and node images, the cell content
// through DoPaintNode), the empty area below the rows, and the header.
//
// TVirtualStringTreeWindow paints the string tree's cell texts. The model is made by the window
// (CreateTree) and lives as long as it; code reaches the nodes, options and header through
// Tree(). Coordinates: client coordinates, and tree coordinates where x includes the horizontal
// scroll position and y counts from the top of the first node. The header's rows lie above the
// client area (negative client y).
//
// Hints: the window decides where a node hint or a tooltip of a truncated cell belongs and shows
// it in its hint window (VTHint.h).
//
// Classes here: TScrollBarOptions, TVTPaintInfo, TVirtualTreeWindow, TVirtualStringTreeWindow.
#pragma once

#include "framework/Controls.h"
#include "framework/ImageList.h"
#include "vtree/VTAccessibility.h"
#include "vtree/VTDataObject.h"
#include "vtree/VTDragDrop.h"
#include "vtree/VTDragImage.h"
#include "vtree/VTEdit.h"
#include "vtree/VTExport.h"
#include "vtree/VTHeaderPaint.h"
#include "vtree/VTHint.h"
#include "vtree/VTResources.h"
#include "vtree/VTStringTree.h"

#include <ole2.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class TVirtualTreeWindow;

// ---- scrolling -----------------------------------------------------------------------------

enum class TVTScrollBars { None, Horizontal, Vertical, Both };

class TScrollBarOptions : public TPersistent {
    CLASS_INFO(TScrollBarOptions, TPersistent)
public:
    explicit TScrollBarOptions(TVirtualTreeWindow* AOwner) : FOwner(AOwner) {}
    void Assign(TPersistent* Source) override;

    bool AlwaysVisible() const noexcept { return FAlwaysVisible; }
    void SetAlwaysVisible(bool Value);
    TVTScrollBars ScrollBars() const noexcept { return FScrollBars; }
    void SetScrollBars(TVTScrollBars Value);
    bool Horizontal() const noexcept {
        return FScrollBars == TVTScrollBars::Horizontal || FScrollBars == TVTScrollBars::Both;
    }
    bool Vertical() const noexcept {
        return FScrollBars == TVTScrollBars::Vertical || FScrollBars == TVTScrollBars::Both;
    }
    // Pixels per line step, 1..10000.
    int HorizontalIncrement = 20;
    int VerticalIncrement = 20;

private:
    TVirtualTreeWindow* FOwner;
    bool FAlwaysVisible = false;
    TVTScrollBars FScrollBars = TVTScrollBars::Both;
};

enum TScrollUpdateOption { soRepaintHeader, soRepaintScrollBars, soScrollClient, soUpdateFrame };
using TScrollUpdateOptions = TSet<TScrollUpdateOption>;
constexpr TScrollUpdateOptions DefaultScrollUpdateFlags{soRepaintHeader, soRepaintScrollBars,
                                                        soScrollClient, soUpdateFrame};

// ---- painting vocabulary --------------------------------------------------------------------

enum TVTInternalPaintOption {
    poBackground,
    poColumnColor,
    poDrawFocusRect,
    poDrawSelection,
    poDrawDropMark,
    poGridLines,
    poMainOnly,
    poSelectedOnly
};
using TVTInternalPaintOptions = TSet<TVTInternalPaintOption>;

enum TVTImageKind { ikNormal, ikSelected, ikState, ikOverlay };
enum TVTLineType {
    ltNone,
    ltBottomRight,
    ltTopDown,
    ltTopDownRight,
    ltRight,
    ltTopRight,
    ltLeft,
    ltLeftBottom
};
using TLineImage = std::vector<TVTLineType>;
enum TVTLineStyle { lsCustomStyle, lsDotted, lsSolid };
enum TVTLineMode { lmNormal, lmBands };
enum TVTButtonStyle { bsRectangle, bsTriangle };
enum TVTButtonFillMode { fmTreeColor, fmWindowColor, fmShaded, fmTransparent };
enum TVTNodeAlignment { naFromBottom, naFromTop, naProportional };
enum TVTDrawSelectionMode { smDottedRectangle, smBlendedRectangle };
enum TItemEraseAction { eaColor, eaDefault, eaNone };
enum TVTCellPaintMode { cpmPaint, cpmGetContentMargin };

struct TVTCellImage {
    Integer Index = -1;
    Integer XPos = 0;
    Integer YPos = 0;
    bool Ghosted = false;
    TCustomImageList* Images = nullptr;
};

// Handed to every paint routine of one cell.
struct TVTPaintInfo {
    TCanvas* Canvas = nullptr;
    TVTInternalPaintOptions PaintOptions;
    PVirtualNode Node = nullptr;
    TColumnIndex Column = NoColumn;
    TColumnPosition Position = 0;
    TRect CellRect;
    TRect ContentRect;
    Integer NodeWidth = 0;
    TAlignment Alignment = taLeftJustify;
    TAlignment CaptionAlignment = taLeftJustify;
    TBiDiMode BidiMode = bdLeftToRight;
    TPoint BrushOrigin;
    TVTCellImage ImageInfo[4]; // normal, state, check, overlay
};

using TVTPaintEvent = TMethodEvent<void(TVirtualTreeWindow* Sender, TCanvas* TargetCanvas)>;
using TVTBeforeItemPaintEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, TCanvas* TargetCanvas, PVirtualNode Node,
                      const TRect& ItemRect, bool& CustomDraw)>;
using TVTAfterItemPaintEvent = TMethodEvent<void(TVirtualTreeWindow* Sender, TCanvas* TargetCanvas,
                                                 PVirtualNode Node, const TRect& ItemRect)>;
using TVTBeforeItemEraseEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, TCanvas* TargetCanvas, PVirtualNode Node,
                      const TRect& ItemRect, TColor& ItemColor, TItemEraseAction& EraseAction)>;
using TVTBeforeCellPaintEvent = TMethodEvent<void(
    TVirtualTreeWindow* Sender, TCanvas* TargetCanvas, PVirtualNode Node, TColumnIndex Column,
    TVTCellPaintMode CellPaintMode, const TRect& CellRect, TRect& ContentRect)>;
using TVTAfterCellPaintEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, TCanvas* TargetCanvas, PVirtualNode Node,
                      TColumnIndex Column, const TRect& CellRect)>;
using TVTBackgroundPaintEvent = TMethodEvent<void(TVirtualTreeWindow* Sender, TCanvas* TargetCanvas,
                                                  const TRect& R, bool& Handled)>;
using TVTGetImageEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, PVirtualNode Node, TVTImageKind Kind,
                      TColumnIndex Column, bool& Ghosted, Integer& ImageIndex)>;
using TVTGetImageTextEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, PVirtualNode Node, TVTImageKind Kind,
                      TColumnIndex Column, UnicodeString& ImageText)>;
using TVTScrollEvent = TMethodEvent<void(TVirtualTreeWindow* Sender, int DeltaX, int DeltaY)>;

// ---- hit testing and input events ------------------------------------------------------------

// Where a point lies relative to the tree and its nodes (bit n of the set is 1 << n).
enum THitPosition {
    hiAbove,
    hiBelow,
    hiNowhere,
    hiOnItem,
    hiOnItemButton,
    hiOnItemButtonExact,
    hiOnItemCheckbox,
    hiOnItemIndent,
    hiOnItemLabel,
    hiOnItemLeft,
    hiOnItemRight,
    hiOnNormalIcon,
    hiOnStateIcon,
    hiToLeft,
    hiToRight,
    hiUpperSplitter,
    hiLowerSplitter
};
using THitPositions = TSet<THitPosition>;

struct THitInfo {
    PVirtualNode HitNode = nullptr;
    THitPositions HitPositions;
    TColumnIndex HitColumn = NoColumn; // InvalidColumn: a point beyond the columns
};

using TVTHotNodeChangeEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, PVirtualNode OldNode, PVirtualNode NewNode)>;
using TVTColumnClickEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, TColumnIndex Column, TShiftState Shift)>;
using TVTDragAllowedEvent = TMethodEvent<void(TVirtualTreeWindow* Sender, PVirtualNode Node,
                                              TColumnIndex Column, bool& Allowed)>;
// What a click on the header hit.
enum TVTHeaderHitPosition { hhiNoWhere, hhiOnColumn, hhiOnIcon, hhiOnCheckbox };
using TVTHeaderHitPositions = TSet<TVTHeaderHitPosition>;
struct TVTHeaderHitInfo {
    int X = 0, Y = 0; // client coordinates; the header's rows have negative y
    TMouseButton Button = mbLeft;
    TShiftState Shift;
    TColumnIndex Column = NoColumn;
    TVTHeaderHitPositions HitPosition;
};
using TVTHeaderClickEvent = TMethodEvent<void(TVTHeader* Sender, const TVTHeaderHitInfo& HitInfo)>;
using TVTHeaderDraggedEvent =
    TMethodEvent<void(TVTHeader* Sender, TColumnIndex Column, TColumnPosition OldPosition)>;
using TVTHeaderDraggedOutEvent =
    TMethodEvent<void(TVTHeader* Sender, TColumnIndex Column, const TPoint& DropPosition)>;
using TVTKeyActionEvent = TMethodEvent<void(TVirtualTreeWindow* Sender, Word& CharCode,
                                            TShiftState& Shift, bool& DoDefault)>;

// Popup menus, cursors, node and header height tracking, column tracking and help.
using TVTPopupEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, PVirtualNode Node, TColumnIndex Column,
                      const TPoint& P, bool& AskParent, TPopupMenu*& PopupMenu)>;
using TVTGetCursorEvent = TMethodEvent<void(TVirtualTreeWindow* Sender, TCursor& Cursor)>;
using TVTGetHeaderCursorEvent = TMethodEvent<void(TVTHeader* Sender, HCURSOR& Cursor)>;
using TVTNodeHeightTrackingEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, PVirtualNode Node, TColumnIndex Column,
                      TShiftState Shift, TPoint& TrackPoint, TPoint P, bool& Allowed)>;
using TVTNodeHeightDblClickResizeEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, PVirtualNode Node, TColumnIndex Column,
                      TShiftState Shift, TPoint P, bool& Allowed)>;
using TVTHeaderHeightTrackingEvent =
    TMethodEvent<void(TVTHeader* Sender, TPoint& P, TShiftState Shift, bool& Allowed)>;
using TVTBeforeHeaderHeightTrackingEvent = TMethodEvent<void(TVTHeader* Sender, TShiftState Shift)>;
using TVTAfterHeaderHeightTrackingEvent = TMethodEvent<void(TVTHeader* Sender)>;
using TVTBeforeColumnWidthTrackingEvent =
    TMethodEvent<void(TVTHeader* Sender, TColumnIndex Column, TShiftState Shift)>;
using TVTColumnWidthTrackingEvent =
    TMethodEvent<void(TVTHeader* Sender, TColumnIndex Column, TShiftState Shift, TPoint& TrackPoint,
                      TPoint P, bool& Allowed)>;
using TVTAfterColumnWidthTrackingEvent = TMethodEvent<void(TVTHeader* Sender, TColumnIndex Column)>;
using TVTColumnWidthDblClickResizeEvent = TMethodEvent<void(
    TVTHeader* Sender, TColumnIndex Column, TShiftState Shift, TPoint P, bool& Allowed)>;
// Asked for a border the mouse is on, after the column's own options allowed resizing there.
using TVTCanSplitterResizeColumnEvent =
    TMethodEvent<void(TVTHeader* Sender, TPoint P, TColumnIndex Column, bool& Allowed)>;
using TVTHeaderDraggingEvent =
    TMethodEvent<void(TVTHeader* Sender, TColumnIndex Column, bool& Allowed)>;
using TVTHeaderMouseEvent =
    TMethodEvent<void(TVTHeader* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TVTHeaderMouseMoveEvent =
    TMethodEvent<void(TVTHeader* Sender, TShiftState Shift, int X, int Y)>;
using TVTHelpContextEvent = TMethodEvent<void(TVirtualTreeWindow* Sender, PVirtualNode Node,
                                              TColumnIndex Column, Integer& HelpContext)>;

enum TScrollDirection { sdLeft, sdUp, sdRight, sdDown };
using TScrollDirections = TSet<TScrollDirection>;

// ---- the window ------------------------------------------------------------------------------

class TVirtualTreeWindow : public TCustomControl {
    CLASS_INFO(TVirtualTreeWindow, TCustomControl)
public:
    explicit TVirtualTreeWindow(TComponent* AOwner);
    ~TVirtualTreeWindow() override;
    void AfterConstruction() override;

    TBaseVirtualTree* Tree() const noexcept { return FTree; }
    TVTHeader* Header() const { return FTree->Header(); }
    TVTColors* Colors() const noexcept { return FColors.get(); }
    void SetColors(TVTColors* Value) { FColors->Assign(Value); }
    TFont* HeaderFont() const noexcept { return FHeaderFont.get(); }
    TScrollBarOptions* ScrollBarOptions() const noexcept { return FScrollBarOptions.get(); }

    // ---- appearance --------------------------------------------------------------------------
    TCustomImageList* Images() const noexcept { return FImages; }
    void SetImages(TCustomImageList* Value) { ReferImageList(FImages, Value); }
    TCustomImageList* StateImages() const noexcept { return FStateImages; }
    void SetStateImages(TCustomImageList* Value) { ReferImageList(FStateImages, Value); }
    TCustomImageList* HeaderImages() const noexcept { return FHeaderImages; }
    void SetHeaderImages(TCustomImageList* Value) { ReferImageList(FHeaderImages, Value); }
    TCheckImageKind CheckImageKind() const noexcept { return FCheckImageKind; }
    void SetCheckImageKind(TCheckImageKind Value) { StoreAndInvalidate(FCheckImageKind, Value); }
    TCustomImageList* CustomCheckImages() const noexcept { return FCustomCheckImages; }
    void SetCustomCheckImages(TCustomImageList* Value) {
        ReferImageList(FCustomCheckImages, Value);
    }
    // The list check images come from: the kind's built-in list or the custom one.
    TCustomImageList* CheckImages() const;
    TPicture* Background() const noexcept { return FBackground.get(); }
    void SetBackground(TPicture* Value);
    int BackgroundOffsetX() const noexcept { return FBackgroundOffsetX; }
    void SetBackgroundOffsetX(int Value) { StoreAndInvalidate(FBackgroundOffsetX, Value); }
    int BackgroundOffsetY() const noexcept { return FBackgroundOffsetY; }
    void SetBackgroundOffsetY(int Value) { StoreAndInvalidate(FBackgroundOffsetY, Value); }
    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment Value) { StoreAndInvalidate(FAlignment, Value); }
    void SetIndent(Integer Value);
    void SetMargin(Integer Value) { StoreAndInvalidate(FTree->Margin, Value); }
    void SetTextMargin(Integer Value) { StoreAndInvalidate(FTree->TextMargin, Value); }
    TVTNodeAlignment NodeAlignment() const noexcept { return FNodeAlignment; }
    void SetNodeAlignment(TVTNodeAlignment Value) { StoreAndInvalidate(FNodeAlignment, Value); }
    TVTLineStyle LineStyle() const noexcept { return FLineStyle; }
    void SetLineStyle(TVTLineStyle Value);
    TVTLineMode LineMode() const noexcept { return FLineMode; }
    void SetLineMode(TVTLineMode Value) { StoreAndInvalidate(FLineMode, Value); }
    TVTButtonStyle ButtonStyle() const noexcept { return FButtonStyle; }
    void SetButtonStyle(TVTButtonStyle Value);
    TVTButtonFillMode ButtonFillMode() const noexcept { return FButtonFillMode; }
    void SetButtonFillMode(TVTButtonFillMode Value);
    TVTDrawSelectionMode DrawSelectionMode() const noexcept { return FDrawSelectionMode; }
    void SetDrawSelectionMode(TVTDrawSelectionMode Value) {
        StoreAndInvalidate(FDrawSelectionMode, Value);
    }
    Byte SelectionBlendFactor() const noexcept { return FSelectionBlendFactor; }
    void SetSelectionBlendFactor(Byte Value) { StoreAndInvalidate(FSelectionBlendFactor, Value); }
    Cardinal SelectionCurveRadius() const noexcept { return FSelectionCurveRadius; }
    void SetSelectionCurveRadius(Cardinal Value) {
        StoreAndInvalidate(FSelectionCurveRadius, Value);
    }
    // The button pictures: plus and minus, normal and hot.
    TBitmap* PlusBitmap() const noexcept { return FPlusBM.get(); }
    TBitmap* MinusBitmap() const noexcept { return FMinusBM.get(); }

    // ---- scrolling and geometry
    // ------------------------------------------------------------------
    int OffsetX() const noexcept { return FTree->Viewport().OffsetX; }
    int OffsetY() const noexcept { return FTree->Viewport().OffsetY; }
    int EffectiveOffsetX() const noexcept { return FTree->Viewport().EffectiveOffsetX; }
    void SetOffsetX(int Value);
    void SetOffsetY(int Value);
    void SetOffsetXY(TPoint Value) { ApplyScrollOffset(Value, DefaultScrollUpdateFlags); }
    // Clamps the offsets to [client size - range, 0] and scrolls; answers whether they changed.
    bool ApplyScrollOffset(TPoint Value, TScrollUpdateOptions Options,
                           const TRect* ClipRect = nullptr);
    void UpdateScrollBars(bool DoRepaint);
    void UpdateHorizontalScrollBar(bool DoRepaint);
    void UpdateVerticalScrollBar(bool DoRepaint);
    bool ScrollIntoView(PVirtualNode Node, bool Center, bool Horizontally = false);
    bool ScrollIntoView(TColumnIndex Column, bool Center);
    int RangeX() const noexcept { return FTree->RangeX(); }
    int RangeY() const noexcept { return FTree->RangeY(); }
    int RightToLeftShift(bool IncludeScrollBar);
    // The widest node extent from the top of the view down (no columns).
    int VisibleContentWidth();
    Cardinal BottomSpace() const noexcept { return FTree->BottomSpace; }
    void SetBottomSpace(Cardinal Value);

    // Node and column rectangles in client coordinates; (0, 0, 0, 0) for a node not in view
    // because an ancestor is collapsed or hidden.
    TRect GetDisplayRect(PVirtualNode Node, TColumnIndex Column, bool TextOnly,
                         bool Unclipped = false, bool ApplyCellContentMargin = false);
    PVirtualNode TopNode() { return FTree->TopNode(); }
    void SetTopNode(PVirtualNode Node);
    PVirtualNode BottomNode() { return FTree->BottomNode(); }
    void SetBottomNode(PVirtualNode Node);

    // ---- toggling (VTAnimation.cpp) -------------------------------------------------------------
    // Runs Callback(Step, StepSize) about Steps times spread over Duration milliseconds, blocking
    // the GUI thread; a False answer ends it early. A final call (0, 0) follows. Nothing runs
    // while another animation does or for a Duration of 0.
    using TAnimationCallback = std::function<bool(int Step, int StepSize)>;
    void Animate(Cardinal Steps, Cardinal Duration, const TAnimationCallback& Callback);
    // Moves the parts of the window that a toggle of Node changing the content's height by Delta
    // moves, step by step (the toggle animation).
    void AnimateToggle(PVirtualNode Node, Integer Delta);
    // A part of the client area a toggle animation moves: rows Top..Bottom, up (-1) or down
    // (1), by Distance pixels; moving down it may cover rows down to Reach.
    struct TToggleStrip {
        int Top, Bottom, Reach, Direction, Distance;
    };
    using TToggleStrips = std::vector<TToggleStrip>;
    // What a toggle of the node with row Row changing the content's height by Delta moves, in
    // the order the strips move at each step.
    TToggleStrips ToggleStrips(const TRect& Row, Integer Delta);
    // How far the vertical offset comes back when Removed pixels of content vanish.
    int OffsetGivenBack(Integer Removed);
    // After an expansion: the whole expanded block when it fits, else Node at the top.
    bool ScrollAfterExpansion(PVirtualNode Node);
    // The same with toChildrenAbove: the rows that appear or vanish lie above Node.
    bool ScrollAfterToggleAbove(PVirtualNode Node, Integer Delta);

    // ---- auto-scroll and wheel panning (VTPanning.cpp) ----------------------------------------
    Cardinal AutoScrollDelay = 1000; // ms before auto-scrolling starts
    Cardinal AutoScrollInterval = 1; // ms between auto-scroll steps, 1..1000
    TScrollDirections ScrollDirections() const noexcept { return FScrollDirections; }
    bool AutoScrollAllowed() const;
    // The directions the view would scroll with the pointer at a client point.
    TScrollDirections ScrollDirectionsAt(int X, int Y) const;
    // The pop-up that marks the panning anchor while wheel panning runs; null otherwise.
    HWND PanningWindow() const noexcept { return FPanningWindow; }
    void BeginWheelPanning(TPoint Position);
    void EndWheelPanning();

    // ---- the drag picture (VTDragImage.cpp) -----------------------------------------------------
    TVTDragImageKind DragImageKind = diComplete;
    int DragWidth = 200;
    int DragHeight = 350;
    TVTDragImage* DragImage() const noexcept { return FDragImage.get(); }
    // The picture that follows the mouse while a header column is dragged.
    TVTDragImage* HeaderDragImage() const noexcept { return FHeaderDragImage.get(); }
    // Renders the selected rows around HotSpot (client coordinates) into the drag picture.
    void PrepareDragImage(TPoint HotSpot);
    virtual bool CanShowDragImage() { return DragImageKind != diNoImage; }

    // ---- background validation (VTValidation.cpp) ----------------------------------------------
    // Queues the tree for the shared worker that builds its position cache.
    void RequestValidation();
    // Stops the worker on this tree and waits for it, pumping this window's messages meanwhile;
    // the cache stays invalid (tsValidationNeeded).
    void CancelValidation();
    // The tree is queued for validation or being validated.
    bool ValidationPending() const;

    // ---- header -----------------------------------------------------------------------------
    // The header's rectangle in window coordinates.
    TRect HeaderRect() const noexcept { return FHeaderRect; }
    void UpdateHeaderRect();
    void RecalculateHeader();
    Integer GetMaxColumnWidth(TColumnIndex Column, bool UseSmartColumnWidth = false);
    // Fits the columns at the positions RangeStartCol..RangeEndCol (-1: all) to their content.
    void AutoFitColumns(bool Animated = true, TColumnIndex RangeStartCol = -1,
                        TColumnIndex RangeEndCol = -1);
    // Paints R of the header (window coordinates) into DC, the cells moved by HOffset.
    void PaintHeader(HDC DC, const TRect& R, int HOffset);

    // ---- header states and owner draw, drop marks, themes, scaling, bidi (VTHeaderPaint*.cpp,
    // VTHeaderLayout.cpp, VTDropMark.cpp, VTPaintThemed.cpp, VTScale.cpp) -----------------------
    TVTHeaderPaintEvent OnHeaderDraw;
    TVTHeaderPaintQueryElementsEvent OnHeaderDrawQueryElements;
    TVTAdvancedHeaderPaintEvent OnAdvancedHeaderDraw;
    // Places the parts of a header cell inside Client (the cell less its 2-pixel inset): the
    // caption's bounds and the top-left corners of the sort arrow and of the glyph (or check
    // box). Refreshes the column's CaptionText.
    void ComputeHeaderLayout(TVirtualTreeColumn* Column, HDC DC, const TRect& Client,
                             UINT DrawFormat, TRect& TextBounds, TPoint& SortGlyphPos,
                             TPoint& GlyphPos, bool UseSortGlyph, bool UseHeaderGlyph);
    // With toAutoChangeScale, scales the default node height and the header font's size by
    // M / D.
    void ChangeScale(int M, int D);

protected:
    virtual void DoHeaderDraw(TCanvas* Canvas, TVirtualTreeColumn* Column, const TRect& R,
                              bool Hover, bool Pressed, TVTDropMarkMode DropMark);
    virtual void DoHeaderDrawQueryElements(THeaderPaintInfo& PaintInfo,
                                           THeaderPaintElements& Elements);
    virtual void DoAdvancedHeaderDraw(THeaderPaintInfo& PaintInfo, THeaderPaintElements Elements);
    // The mark above or below the drop target row (R: the row in the row bitmap).
    virtual void DrawDropMark(TCanvas* Canvas, PVirtualNode Node, const TRect& R);
    void CMBiDiModeChanged();

private:
    struct THeaderCellPaint;
    bool UseHeaderTheme() const;
    void PaintHeaderBackground(THeaderCellPaint& Paint, const TRect& R);
    void PaintHeaderCell(THeaderCellPaint& Paint, TVirtualTreeColumn* Column, const TRect& Cell);
    void PaintHeaderFace(THeaderCellPaint& Paint, const TRect& Cell);
    void PaintHeaderContent(THeaderCellPaint& Paint, TRect Cell);
    void DrawHeaderGlyph(THeaderCellPaint& Paint, TPoint Position);
    void DrawCaptionText(HDC DC, const UnicodeString& Caption, bool WrapCaption, UINT DrawFormat,
                         bool Hot, bool Enabled, TRect Bounds);
    void PaintXPStyleButton(HDC DC, const TRect& R, bool Hover, bool Pressed, bool ShowSplitter);
    // Themed forms (callers check that the theme is there).
    void DrawThemedHeaderFace(HDC DC, const TRect& R, bool Hover, bool Pressed);
    // Answers whether it drew (the image list's picture is drawn otherwise).
    bool DrawThemedCheckImage(TVTPaintInfo& PaintInfo);
    void PrepareThemedButtons();
    // The explorer look of a selected, hot or focused cell (PrepareCellPaint): the tree item
    // of the window's tree view theme over the row (RowRect) or the cell's inner rectangle.
    bool ExplorerTheme() const;
    TRect ExplorerRowRect(const TVTPaintInfo& PaintInfo) const;
    bool DrawThemedItem(TVTPaintInfo& PaintInfo, int State, const TRect& Inner);
    void DrawSelectionShape(TVTPaintInfo& PaintInfo, const TRect& Inner, int WindowOrgX,
                            int MaxWidth);

public:
    // ---- painting ----------------------------------------------------------------------------
    // Paints Window (tree coordinates) of the tree so that its top-left lands at Target.
    void PaintTree(TCanvas* TargetCanvas, TRect Window, TPoint Target,
                   TVTInternalPaintOptions PaintOptions, TPixelFormat PixelFormat = pfDevice);
    TRect InvalidateNode(PVirtualNode Node);
    void InvalidateColumn(TColumnIndex Column);
    void InvalidateToBottom(PVirtualNode Node);
    void RepaintNode(PVirtualNode Node);
    // The level of indentation steps of a node and the line drawn in each.
    Integer BuildLineImage(PVirtualNode Node, TLineImage& LineImage);
    Integer GetCheckImageIndex(PVirtualNode Node) const;
    static Integer CheckImageIndexFor(TCheckType Type, TCheckState State, bool Enabled, bool Hot);

    // Font metrics of the window's font (refreshed by WM_SETFONT).
    int TextHeight() const noexcept { return FTextHeight; }
    // The drop target registered for the window (toAcceptOLEDrop), or null.
    IDropTarget* DropTarget() const noexcept;
    int EllipsisWidth() const noexcept { return FEllipsisWidth; }

    // ---- hints ------------------------------------------------------------------------------
    TVTHintMode HintMode = hmDefault;
    THintAnimationType HintAnimation = hatSystemDefault;
    // The animation in force: the system's choice for hatSystemDefault.
    THintAnimationType EffectiveHintAnimation() const;
    // Decides whether a hint of this tree belongs at Point (client coordinates): fills the hint
    // data, the rectangle in which the hint stays valid (client coordinates) and the hint's
    // position on the screen. False for no hint, and while the last hint is still valid there.
    bool QueryHint(TPoint Point, TVTHintData& Data, TRect& CursorRect, TPoint& HintPos);
    // Shows the hint for Point, if there is one; answers whether it did.
    bool ShowHintAt(TPoint Point);
    void CancelHint();
    TVirtualTreeHintWindow* HintWindow();
    // The class library's hint query (CM_HINTSHOW) and pause query (CM_HINTSHOWPAUSE).
    void CMHintShow(TMessage& Message);
    void CMHintShowPause(TMessage& Message);
    // What the hint window asks of the tree: the hint texts (the tree's Hint by default) and
    // the font a tooltip of a cell uses.
    virtual UnicodeString DoGetNodeHintText(PVirtualNode Node, TColumnIndex Column,
                                            TVTTooltipLineBreakStyle& LineBreakStyle);
    virtual UnicodeString DoGetNodeTooltipText(PVirtualNode Node, TColumnIndex Column,
                                               TVTTooltipLineBreakStyle& LineBreakStyle);
    virtual void DoPaintHintText(PVirtualNode Node, TCanvas* Canvas, TColumnIndex Column);

    // ---- mouse and keyboard (VTMouse.cpp, VTKeyboard.cpp) --------------------------------------
    // Relative: X, Y are client coordinates (otherwise tree coordinates).
    virtual void GetHitTestInfoAt(int X, int Y, bool Relative, THitInfo& HitInfo);
    bool WantTabs = false;
    TVTHotNodeChangeEvent OnHotChange;
    TVTColumnClickEvent OnColumnClick;
    TVTColumnClickEvent OnColumnDblClick;
    TVTKeyActionEvent OnKeyAction;
    // Asked on a press whether the node may be dragged from there (keeps the selection until
    // the release).
    TVTDragAllowedEvent OnDragAllowed;

    // ---- header mouse (VTHeaderMouse.cpp)
    // -------------------------------------------------------- P in client coordinates (the
    // header's rows have negative y).
    bool InHeader(TPoint P) const;
    // Whether a column's resizable border lies at P: the columns' TrackIndex becomes that
    // column (-1 for none) and FTrackPoint its left edge (its right edge right-to-left).
    bool DetermineSplitterIndex(TPoint P);
    // The column may be resized from its border at P: coResizable and coVisible, then
    // OnCanSplitterResizeColumn.
    bool CanResizeAtSplitter(TPoint P, TColumnIndex Column);
    TPoint TrackPoint() const noexcept { return FTrackPoint; }
    TColumnIndex HeaderDownIndex() const noexcept { return FHeaderDownIndex; }
    TColumnIndex HeaderDropTarget() const noexcept { return FHeaderDropTarget; }
    TVTHeaderClickEvent OnHeaderClick;
    TVTHeaderClickEvent OnHeaderDblClick;
    TVTHeaderDraggedEvent OnHeaderDragged;
    TVTHeaderDraggedOutEvent OnHeaderDraggedOut;

    TVTPaintEvent OnBeforePaint;
    TVTPaintEvent OnAfterPaint;
    TVTBeforeItemPaintEvent OnBeforeItemPaint;
    TVTAfterItemPaintEvent OnAfterItemPaint;
    TVTBeforeItemEraseEvent OnBeforeItemErase;
    TVTAfterItemPaintEvent OnAfterItemErase;
    TVTBeforeCellPaintEvent OnBeforeCellPaint;
    TVTAfterCellPaintEvent OnAfterCellPaint;
    TVTBackgroundPaintEvent OnPaintBackground;
    TVTGetImageEvent OnGetImageIndex;
    TVTScrollEvent OnScroll;

    // ---- popup menus, cursors, height tracking, header hover, help ------------------------------
    // (VTPopup.cpp, VTCursor.cpp, VTNodeHeight.cpp, VTHeaderHeight.cpp, VTHeaderHover.cpp)
    // The tree's own vertical split cursor, shown over a node's height splitter.
    static constexpr TCursor crVertSplit = 62;
    // Shown over the hot node with toHotTrack; crDefault for the control's Cursor.
    TCursor HotCursor = crDefault;
    // The menu a right click or the Applications key shows for a node: asked of the node, then
    // of its parents while the handler leaves AskParent set (Node null: the empty area).
    TVTPopupEvent OnGetPopupMenu;
    // Shown by a right click in the header; without it OnGetPopupMenu is asked (Node null).
    TPopupMenu* HeaderPopupMenu = nullptr;
    TVTGetCursorEvent OnGetCursor;
    TVTGetHeaderCursorEvent OnGetHeaderCursor;
    TVTNodeHeightTrackingEvent OnNodeHeightTracking;
    TVTNodeHeightDblClickResizeEvent OnNodeHeightDblClickResize;
    TVTBeforeHeaderHeightTrackingEvent OnBeforeHeaderHeightTracking;
    TVTHeaderHeightTrackingEvent OnHeaderHeightTracking;
    TVTAfterHeaderHeightTrackingEvent OnAfterHeaderHeightTracking;
    TVTHeaderHeightTrackingEvent OnHeaderHeightDblClickResize;
    TVTBeforeColumnWidthTrackingEvent OnBeforeColumnWidthTracking;
    TVTColumnWidthTrackingEvent OnColumnWidthTracking;
    TVTAfterColumnWidthTrackingEvent OnAfterColumnWidthTracking;
    TVTColumnWidthDblClickResizeEvent OnColumnWidthDblClickResize;
    TVTHeaderDraggingEvent OnHeaderDragging;
    TVTCanSplitterResizeColumnEvent OnCanSplitterResizeColumn;
    TVTHeaderMouseEvent OnHeaderMouseDown;
    TVTHeaderMouseEvent OnHeaderMouseUp;
    TVTHeaderMouseMoveEvent OnHeaderMouseMove;
    TVTHelpContextEvent OnGetHelpContext;
    // The 2-pixel band on either side of the header's bottom edge (client coordinates).
    bool InHeaderSplitterArea(TPoint P) const;

protected:
    virtual TPopupMenu* DoGetPopupMenu(PVirtualNode Node, TColumnIndex Column, TPoint Position);
    bool HasPopupMenu(PVirtualNode Node, TColumnIndex Column, TPoint Position);
    // Shows the node's menu at Position (client coordinates), when it has one.
    virtual void DoPopupMenu(PVirtualNode Node, TColumnIndex Column, TPoint Position);
    virtual void DoGetCursor(TCursor& Cursor) { OnGetCursor(this, Cursor); }
    virtual void DoGetHeaderCursor(HCURSOR& Cursor) { OnGetHeaderCursor(Header(), Cursor); }
    virtual bool DoNodeHeightTracking(PVirtualNode Node, TColumnIndex Column, TShiftState Shift,
                                      TPoint& TrackPoint, TPoint P);
    virtual bool DoNodeHeightDblClickResize(PVirtualNode Node, TColumnIndex Column,
                                            TShiftState Shift, TPoint P);
    virtual bool DoHeaderHeightTracking(TPoint& P, TShiftState Shift);
    virtual bool DoHeaderHeightDblClickResize(TPoint& P, TShiftState Shift);
    virtual bool DoColumnWidthTracking(TColumnIndex Column, TShiftState Shift, TPoint& TrackPoint,
                                       TPoint P);
    virtual bool DoColumnWidthDblClickResize(TColumnIndex Column, TPoint P, TShiftState Shift);
    virtual bool DoHeaderDragging(TColumnIndex Column);

private:
    // The modifiers the thread's keyboard state holds now.
    static TShiftState CurrentShiftState();
    void WMContextMenu(TMessage& Message);
    void RightButtonUp(TMessage& Message);
    bool SplitterHit(TPoint P);
    TColumnIndex TrackIndex() const noexcept { return Header()->Columns()->TrackIndex(); }
    void SetTrackIndex(TColumnIndex Column);
    void PopupForKeyboard();
    void ShowHelpForFocusedNode();
    void TabToNextCell(bool Backward);
    void WMSetCursor(TMessage& Message);
    bool HeaderSetCursor(TMessage& Message);
    TCursor CursorAt(TPoint P);
    // Where the mouse pointer is now, client coordinates.
    TPoint CursorClientPoint() const;
    // The node whose height the splitter at a hit belongs to, or null.
    PVirtualNode HeightSplitterNode(const THitInfo& HitInfo);
    bool StartNodeHeightTracking(const THitInfo& HitInfo);
    void TrackNodeHeight(int X, int Y);
    bool NodeHeightDblClick(TMessage& Message, const THitInfo& HitInfo);
    bool HeaderRightButtonUp(TMessage& Message, TPoint P);
    bool PressColumnAt(TPoint P);
    // A column drag or a border or height track is under way.
    bool HeaderInteracting() const;
    void HeaderNCMouseMove(TMessage& Message, TPoint P);
    void HeaderTimerExpired();
    void SetHeaderHoverIndex(TColumnIndex Column);
    void MoveToggleStrip(HDC DC, HBRUSH Brush, const TToggleStrip& Strip, int& Moved, int Progress,
                         int Steps);
    TColumnIndex FHeightTrackColumn = NoColumn;
    TPoint FHeightTrackPoint;
    TPoint FHeaderTrackStart;

public:
protected:
    class TServices;
    friend class TServices;
    friend class TVTColors;
    friend class TScrollBarOptions;

    // The model this window shows; the string window makes a string tree.
    virtual TBaseVirtualTree* CreateTree();
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void Paint() override;
    void Loaded() override;
    bool HasPaint(TVTPaintOption O) const { return FTree->HasPaint(O); }
    bool HasSelection(TVTSelectionOption O) const { return FTree->HasSelection(O); }
    bool HasMisc(TVTMiscOption O) const { return FTree->HasMisc(O); }
    bool UseThemes() const { return FTree->TreeStates().Contains(tsUseThemes); }
    bool IsFocused();

    // Mouse and keyboard input, with the events they fire.
    virtual void HandleMouseDown(TMessage& Message, const THitInfo& HitInfo);
    virtual void HandleMouseUp(TMessage& Message, const THitInfo& HitInfo);
    virtual void HandleMouseDblClick(TMessage& Message, const THitInfo& HitInfo);
    virtual void HandleHotTrack(int X, int Y);
    void MouseMove(TShiftState Shift, int X, int Y) override;
    virtual void DoHotChange(PVirtualNode Old, PVirtualNode New) { OnHotChange(this, Old, New); }
    virtual void DoColumnClick(TColumnIndex Column, TShiftState Shift) {
        OnColumnClick(this, Column, Shift);
    }
    virtual void DoColumnDblClick(TColumnIndex Column, TShiftState Shift) {
        OnColumnDblClick(this, Column, Shift);
    }
    virtual bool DoKeyAction(Word& CharCode, TShiftState& Shift);
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void KeyPress(wchar_t& Key) override;
    virtual bool DoDragAllowed(PVirtualNode Node, TColumnIndex Column);

    // Cell painting, in the order PaintTree calls them.
    virtual void DoPaintNode(TVTPaintInfo& PaintInfo);
    virtual Integer GetNodeWidth(PVirtualNode Node, TColumnIndex Column);
    virtual bool DoBeforeItemPaint(TCanvas* Canvas, PVirtualNode Node, const TRect& ItemRect);
    virtual void DoBeforeCellPaint(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column,
                                   TVTCellPaintMode Mode, const TRect& CellRect,
                                   TRect& ContentRect);
    virtual void DoGetImageIndex(PVirtualNode Node, TVTImageKind Kind, TColumnIndex Column,
                                 bool& Ghosted, Integer& Index);
    void PrepareCellPaint(TVTPaintInfo& PaintInfo, int WindowOrgX, int MaxWidth);
    void PrepareButtonsAndLines();
    void DrawDottedHorzLine(TVTPaintInfo& PaintInfo, int Left, int Right, int Top, TColor Color);
    void DrawDottedVertLine(TVTPaintInfo& PaintInfo, int Top, int Bottom, int Left, TColor Color);
    HBRUSH LineBrush(TColor Line, TColor Back);
    void DrawTreeLines(TVTPaintInfo& PaintInfo, int VAlignment, int IndentSize,
                       const TLineImage& LineImage);
    void DrawNodeButton(TCanvas* Canvas, PVirtualNode Node, const TRect& R, int ButtonX,
                        int ButtonY, TBiDiMode BidiMode);
    void DrawCheckImage(TVTPaintInfo& PaintInfo);
    void DrawNodeImage(TVTPaintInfo& PaintInfo, int InfoIndex, bool DoOverlay);
    void DrawSelectionRectangle(TCanvas* Target, int WindowOrgX, const TRect& SelectionRect,
                                TRect TargetRect);
    // The selection rectangle while the mouse draws one (set by the mouse layer).
    TRect FNewSelRect;

private:
    struct TRowPaint;
    template <class T> void StoreAndInvalidate(T& Field, const T& Value) {
        if (Field == Value) return;
        Field = Value;
        if (!ComponentState().Contains(csLoading)) Invalidate();
    }
    void SyncViewport();
    void SetViewOffsets(int X, int Y);
    void ColorsChanged(int Index);
    void ScrollBarsChanged();
    void FontMetricsChanged(HFONT Font);
    void HeaderFontChanged(TObject* Sender);

    // painting helpers (VTPaint*.cpp)
    void PaintRow(TRowPaint& Row);
    void PaintCell(TRowPaint& Row, TVTPaintInfo& PaintInfo, bool IsMainColumn);
    void PaintEmptyArea(TRowPaint& Row, TCanvas* TargetCanvas);
    void EraseNodeBackground(TVTPaintInfo& PaintInfo, bool UseBackground, TRect R);
    void FillWithBackground(TCanvas* Canvas, const TRect& R, TPoint Offset);
    void ComputeVerticalAlignments(PVirtualNode Node, bool ShowImages, bool ShowStateImages,
                                   int& VAlign, int& ButtonTop);
    void PlaceImage(TVTPaintInfo& PaintInfo, int Index, int VAlign);
    void QueryImageIndex(TVTPaintInfo& PaintInfo, TVTImageKind Kind, int InfoIndex,
                         TCustomImageList* DefaultImages);
    void ShiftContentByIndent(TVTPaintInfo& PaintInfo, int Amount);
    void DrawLineStep(TVTPaintInfo& PaintInfo, int X, int Y, int H, int VAlign, TVTLineType Style,
                      bool Reverse, TColor Color);
    void ClipToCell(TCanvas* Canvas, const TRect& R);

    // message handlers (VTWindowMessages.cpp, VTScroll.cpp)
    void WMNCCalcSize(TMessage& Message);
    void WMNCPaint(TMessage& Message);
    void WMNCHitTest(TMessage& Message);
    void WMPrintClient(TMessage& Message);
    void WMPrint(TMessage& Message);
    void WMSize(TMessage& Message);
    void WMHScroll(TMessage& Message);
    void WMVScroll(TMessage& Message);
    void WMSetFont(TMessage& Message);
    void WMTimer(TMessage& Message);
    void WMNCDestroy(TMessage& Message);
    void CMMouseWheel(TMessage& Message);
    void UpdateThemeState();
    void RegisterDropTarget(bool Register);
    void ShowScrollBar(int Bar, bool Show);

    // header mouse (VTHeaderMouse.cpp)
    bool HandleHeaderMessage(TMessage& Message);
    TPoint ClientPointOf(const TMessage& Message) const;
    bool HeaderButtonDown(TPoint P, TPoint ScreenPoint);
    bool HeaderButtonUp(TMessage& Message, TPoint P);
    bool HeaderDblClick(TMessage& Message, TPoint P);
    bool HeaderMouseMove(TPoint P);
    void HandleHeaderClick(TPoint P, TMouseButton Button, bool Force, bool DblClick);
    TVTHeaderHitPositions HeaderGlyphHit(TVirtualTreeColumn* Column, TPoint P);
    void DragColumnTo(TPoint P);
    void DropColumn(TPoint ScreenPoint);
    // Shows the dragged column's picture under the mouse (ColumnLeft: its client x).
    void StartColumnDragPicture(Integer ColumnLeft);
    void CancelHeaderInteraction();
    THeaderStates HeaderStates() const { return Header()->States(); }
    void SetHeaderStates(THeaderStates Enter, THeaderStates Leave);

    // background validation (VTValidation.cpp)
    friend class TWorkerThread;
    bool BuildCacheReadOnly(TCache& Cache) const;
    void WMValidationState(TMessage& Message);

    // auto-scroll and panning (VTPanning.cpp)
    void UpdateAutoScroll(int X, int Y);
    void ScrollTimerExpired();
    void ScrollTimerTick();
    void UpdatePanningCursor(int X, int Y);
    // Answers whether the press started panning (and is done with).
    bool MiddleButtonDown(TMessage& Message);
    void MiddleButtonUp(TMessage& Message);

    // input (VTMouse.cpp, VTHitTest.cpp, VTKeyboard.cpp)
    bool DispatchInput(TMessage& Message);
    void WMButton(TMessage& Message, TVirtualTreeState Down, TVirtualTreeState DblClick);
    void WMButtonUp(TMessage& Message, TVirtualTreeState Down);
    void WMKillFocus();
    void WMCancelMode();
    void StopInputTimers();
    void LeavePendingMouseStates();
    void DetermineHitPosition(THitInfo& HitInfo, int Offset, int Right, TAlignment Alignment);
    void ResetSelectionForClick(const THitInfo& HitInfo, bool NodeSelected, bool AltPressed);
    void FocusClickedNode(const THitInfo& HitInfo, TColumnIndex NewColumn, bool ColumnChange,
                          TShiftState Shift, bool NodeSelected, bool DragAllowed);
    void StartDrawSelection(int X, int Y, TShiftState Shift);
    bool CalculateSelectionRect(int X, int Y);
    bool HandleDrawSelection();
    static bool IsNavigationKey(Word Key);
    void HandleNavigationKey(Word Key, TShiftState Shift);
    void NavigationKeyAction(Word Key, TShiftState Shift, PVirtualNode LastFocused, bool Extend,
                             bool& RangeKey);
    void HandleOtherKey(Word Key, TShiftState Shift);
    void StepVertically(bool Up, bool Extend, PVirtualNode LastFocused);
    void StepLeft(TShiftState Shift, bool Extend, bool& RangeKey);
    void StepRight(TShiftState Shift, bool Extend);
    void PageNodes(bool Up);
    void PageColumns(bool Left);
    void HomeOrEnd(Word Key, TShiftState Shift);
    void StartSearchKey();

    TBaseVirtualTree* FTree = nullptr;
    std::unique_ptr<TServices> FServices;
    std::unique_ptr<TVTColors, graphics_detail::TFreeObject> FColors;
    std::unique_ptr<TScrollBarOptions, graphics_detail::TFreeObject> FScrollBarOptions;
    std::unique_ptr<TFont, graphics_detail::TFreeObject> FHeaderFont;
    std::unique_ptr<TPicture, graphics_detail::TFreeObject> FBackground;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FPlusBM, FMinusBM, FHotPlusBM,
        FHotMinusBM;
    // The line pattern (dotted or solid) as brushes of fixed colours, one for each pair of line
    // and background colours drawn so far: a two-colour pattern would take the DC's text and
    // background colours, to be set and put back around every line. Made when first used;
    // FLinesPrepared is false until PrepareButtonsAndLines has run (again after the window is
    // destroyed).
    struct TLineBrush {
        COLORREF Line, Back;
        TOwnedBrush Brush;
    };
    std::vector<TLineBrush> FLineBrushes;
    bool FLinesPrepared = false;
    TCustomImageList* FImages = nullptr;
    TCustomImageList* FStateImages = nullptr;
    TCustomImageList* FHeaderImages = nullptr;
    TCustomImageList* FCustomCheckImages = nullptr;
    TCheckImageKind FCheckImageKind = ckSystemDefault;
    int FBackgroundOffsetX = 0;
    int FBackgroundOffsetY = 0;
    TAlignment FAlignment = taLeftJustify;
    TVTNodeAlignment FNodeAlignment = naProportional;
    TVTLineStyle FLineStyle = lsDotted;
    TVTLineMode FLineMode = lmNormal;
    TVTButtonStyle FButtonStyle = bsRectangle;
    TVTButtonFillMode FButtonFillMode = fmTreeColor;
    TVTDrawSelectionMode FDrawSelectionMode = smDottedRectangle;
    Byte FSelectionBlendFactor = 128;
    Cardinal FSelectionCurveRadius = 0;
    TRect FHeaderRect;
    TRect FUpdateRect;
    TRect FLastHintRect;
    TVTHintData FLibraryHintData;                  // handed to the class library's hint machinery
    TVirtualTreeHintWindow* FHintWindow = nullptr; // owned as a component
    int FTextHeight = 0;
    int FEllipsisWidth = 0;
    bool FDropTargetRegistered = false;
    IDropTarget* FDropTarget = nullptr; // the drag manager, while registered
    // input state
    TPoint FLastClickPos;
    TColumnIndex FCurrentHotColumn = NoColumn;
    bool FHotNodeButtonHit = false;
    TColumnIndex FClickIndex = NoColumn; // the column a press went to, read on release
    TShiftState FDrawSelShiftState;
    TRect FLastSelRect;
    // header interaction: the pressed, tracked, dragged and drop-target columns
    TColumnIndex FHeaderDownIndex = NoColumn;
    TColumnIndex FHeaderDragIndex = NoColumn;
    TColumnIndex FHeaderDropTarget = NoColumn;
    bool FHeaderDropBefore = false;
    TPoint FTrackPoint;
    TPoint FHeaderDragStart; // screen coordinates
    // The picture of a dragged column, separate from the node drag picture.
    std::unique_ptr<TVTDragImage> FHeaderDragImage{new TVTDragImage(this)};
    // auto-scroll and panning
    TScrollDirections FScrollDirections;
    TPoint FLastMousePos;          // the pointer as the last move reported it (client coordinates)
    HWND FPanningWindow = nullptr; // destroyed by EndWheelPanning and with this window
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FPanningImage;
    HCURSOR FPanningCursor = nullptr; // ours; destroyed when replaced or panning ends
    UnicodeString FPanningCursorName;
    // validation: the stop request the worker polls after every node, and the cache it built,
    // written by the worker before its closing state message and read by the GUI thread while
    // handling that (sent) message
    std::atomic<bool> FStopValidation{false};
    std::unique_ptr<TVTDragImage> FDragImage{new TVTDragImage(this)};
    TCache FBuiltCache;

    // ==== editing, clipboard, drag and drop, printing (VTEdit*, VTClipboard*, VTDataObject*,
    // VTDragDrop*, VTPrint*) ====================================================================
public:
    // ---- node editing ----
    Cardinal EditDelay = 1000; // ms between a click on the focused node and its edit
    // toEditable, enabled and not toReadOnly; then OnEditing may refuse.
    virtual bool CanEdit(PVirtualNode Node, TColumnIndex Column);
    // Focuses Node and edits the cell; answers whether an edit runs now.
    virtual bool EditNode(PVirtualNode Node, TColumnIndex Column);
    // Accept and cancel the running or pending edit; True when none runs.
    bool EndEditNode();
    bool CancelEditNode();
    bool IsEditing() const { return FTree->TreeStates().Contains(tsEditing); }
    TColumnIndex EditColumn() const noexcept { return FEditColumn; }
    IVTEditLink* EditLink() const noexcept { return FEditLink.Get(); }
    TVTEditChangingEvent OnEditing;
    TVTEditChangeEvent OnEdited;
    TVTEditCancelEvent OnEditCancelled;
    TVTCreateEditorEvent OnCreateEditor;

protected:
    friend class TVTEdit;
    friend class TStringEditLink;
    friend class TVTDragManager;
    virtual bool DoEditing(PVirtualNode Node, TColumnIndex Column, bool Allowed);
    virtual TComPtr<IVTEditLink> DoCreateEditor(PVirtualNode Node, TColumnIndex Column);
    // Creates, prepares and begins the edit of the focused node in EditColumn.
    void StartEditing();
    void PlaceEditor();
    virtual bool DoEdited();
    virtual bool DoEditCancelled();
    // The input layer's way into editing: a press on the focused, selected node may edit on
    // release; the release or a double click starts the edit timer; F2 edits at once.
    void EditOnPress(const THitInfo& HitInfo, bool NodeSelected, bool ColumnChange,
                     bool ShiftEmpty);
    // Pending: the press left an edit pending (the release's capture change ends that state).
    void EditOnRelease(const THitInfo& HitInfo, bool Pending);
    void EditOnDblClick(const THitInfo& HitInfo, bool MayEdit);
    bool EditOnKey();

public:
    // ---- clipboard (VTClipboard.cpp) ----
    // The registered formats this tree may offer, by name (empty: none but the user's).
    TClipboardFormats* ClipboardFormats() const noexcept { return FClipboardFormats.get(); }
    void SetClipboardFormats(const TStrings* Value) { FClipboardFormats->SetFormats(Value); }
    TVTNodeAttachMode DefaultPasteMode = amAddChildLast;
    // Put the selected nodes on the clipboard and mark them; a cut leaves them in the tree
    // until they are pasted elsewhere.
    virtual void CopyToClipBoard();
    virtual void CutToClipBoard();
    // Drops the marks of a pending cut or copy.
    void CancelCutOrCopy();
    // Deletes the nodes a pending cut marked.
    void FinishCutOrCopy();
    // Renders every offered format into the clipboard, which then no longer refers to us.
    void FlushClipboard();
    virtual bool PasteFromClipboard();
    // Inserts the "Virtual Tree Data" of DataObject at TargetNode; Optimized moves the nodes of
    // Source (a live tree of this process) instead. Answers whether the object had such data.
    bool ProcessOLEData(TVirtualTreeWindow* Source, IDataObject* DataObject,
                        PVirtualNode TargetNode, TVTNodeAttachMode Mode, bool Optimized);
    Cardinal CutCopyCount();
    // The registry's formats for this tree's class allowed by ClipboardFormats, then the user's.
    virtual void GetNativeFormats(TFormatEtcArray& Formats);
    virtual HRESULT RenderTreeData(const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                                   bool ForClipboard);
    // What data objects and reference blocks know of this window.
    TVTOwnerRef OwnerRef() const { return FOwnerRef; }
    Cardinal LiveSerial() const noexcept { return FLiveSerial; }
    TVTGetUserClipboardFormatsEvent OnGetUserClipboardFormats;
    TVTRenderOLEDataEvent OnRenderOLEData;
    TVTCreateDataObjectEvent OnCreateDataObject;

    // ---- drag and drop (VTDragDrop*.cpp) ----
    TVTDragType DragType = dtOLE;
    TDragOperations DragOperations{doCopy, doMove}; // empty: every effect
    // The window's manager, made on first use (OnCreateDragManager may supply it).
    IVTDragManager* DragManager();
    TDropMode LastDropMode() const noexcept { return FTree->LastDropMode; }
    // Immediate: the drag runs at once from the last click; else it waits until the mouse
    // moved Threshold pixels (negative: the system's threshold). dtVCL hands the drag to the
    // class library's.
    void BeginDrag(bool Immediate, int Threshold = -1);
    bool Dragging() const;
    int DragThreshold() const noexcept { return FDragThreshold; }
    // Inserts the data of a drop; MOVE from a live tree of this process moves the nodes and
    // reports no effect back, so the source deletes nothing. Never raises.
    bool ProcessDrop(IDataObject* DataObject, PVirtualNode TargetNode, DWORD& Effect,
                     TVTNodeAttachMode Mode);
    DWORD AllowedDropEffects() const;
    // The effect for a drag from Source with these keys, within Allowed.
    DWORD ChooseDropEffect(TObject* Source, TShiftState Shift, DWORD Allowed) const;
    // The drop target side, as the drag manager drives it (Pt in screen coordinates).
    HRESULT HandleOLEDragEnter(DWORD KeyState, POINTL Pt, DWORD& Effect);
    HRESULT HandleDragOver(TObject* Source, DWORD KeyState, TDragState State, POINTL Pt,
                           DWORD& Effect);
    void HandleOLEDragLeave();
    HRESULT HandleOLEDrop(IDataObject* DataObject, DWORD KeyState, POINTL Pt, DWORD& Effect);
    // Expand-timer expiry: opens a collapsed drop target.
    void ExpandDropTarget();
    // The whole drag from this window as source (modal); HotSpot in client coordinates.
    void RunOLEDrag(TPoint HotSpot);
    TVTDragOverEvent OnDragOver;
    TVTDragDropEvent OnDragDrop;
    TVTCreateDragManagerEvent OnCreateDragManager;

    // ---- printing (VTPrint.cpp) ----
    // How the tree's picture (header, when printed, on top) falls onto pages of image pixels.
    struct TVTPrintLayout {
        int ImageWidth = 0, ImageHeight = 0, HeaderHeight = 0;
        int PageWidthPx = 0, PageHeightPx = 0; // a printer page in image pixels
        int Columns = 0, Rows = 0;             // pages across and down
    };
    // Page: the printer's page size; Scale: printer pixels per image pixel.
    TVTPrintLayout PrintLayout(int PageWidth, int PageHeight, double Scale, bool PrintHeader);
    // Renders page (Column, Row) of the layout into Page, white where the tree has nothing.
    void RenderPrintPage(TBitmap& Page, const TVTPrintLayout& Layout, int Column, int Row);
    // Prints the whole tree as one job on the printer's DC (nothing for a null DC).
    void Print(HDC PrinterDC, const UnicodeString& Title, bool PrintHeader);

protected:
    virtual bool DoDragOver(TObject* Source, TShiftState Shift, TDragState State, TPoint Pt,
                            TDropMode Mode, DWORD& Effect);
    virtual void DoDragDrop(TObject* Source, IDataObject* DataObject, const TFormatArray& Formats,
                            TShiftState Shift, TPoint Pt, DWORD& Effect, TDropMode Mode);
    virtual TComPtr<IVTDragManager> DoCreateDragManager();
    // The mouse layer's ways into a drag: a press on a draggable node, and the moves after it.
    void DragOnPress(bool DragAllowed, bool IsAnyHit);
    bool DragOnMove(int X, int Y);
    // The class library's drag (dtVCL), this window being its source or its target.
    void DoStartDrag(TDragObject*& DragObject) override;
    void DoEndDrag(TObject* Target, int X, int Y) override;
    void CMDrag(TMessage& Message) override;
    // After a class-library drag: leaves its states and completes the mouse handling with the
    // release of the button that began it.
    void FinishDrag();

protected:
    virtual void DoGetUserClipboardFormats(TFormatEtcArray& Formats);
    virtual HRESULT DoRenderOLEData(const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                                    bool ForClipboard);
    virtual TComPtr<IDataObject> DoCreateDataObject();
    void HandleClipboardMessage(TMessage& Message);

private:
    void MarkSelectionForClipboard();
    bool MoveNodesFrom(TVirtualTreeWindow& Source, PVirtualNode TargetNode, TVTNodeAttachMode Mode);
    bool CopyNodesFrom(TVirtualTreeWindow* Source, IDataObject* DataObject, FORMATETC& Format,
                       PVirtualNode TargetNode, TVTNodeAttachMode Mode);
    bool InsertGlobalBlock(HGLOBAL Block, PVirtualNode TargetNode, TVTNodeAttachMode Mode,
                           TChangeReason Reason);
    void InsertRecords(TStream& Stream, PVirtualNode TargetNode, TVTNodeAttachMode Mode,
                       TChangeReason Reason);
    // Empties the clipboard when it holds this tree's data.
    void ReleaseClipboardData();
    // The window is going: the clipboard keeps plain data and no reference to it.
    void WithdrawFromClipboard();

    void PrintPages(HDC PrinterDC, const UnicodeString& Title, bool PrintHeader);
    TShiftState DragShift(DWORD KeyState) const;
    bool AutoScrollForDrag(TPoint P);
    void ChangeDropTarget(PVirtualNode Node, TDropMode Mode);
    void ClearDropTarget();
    void DeleteDraggedNodes();

    TComPtr<IVTEditLink> FEditLink;
    TColumnIndex FEditColumn = NoColumn;
    TComPtr<IVTDragManager> FDragManager;
    int FDragThreshold = 5;
    DWORD FVCLDragEffect = DROPEFFECT_NONE; // the effect of the last move of a library drag
    std::unique_ptr<TClipboardFormats, graphics_detail::TFreeObject> FClipboardFormats{
        new TClipboardFormats(this)};
    TVTOwnerRef FOwnerRef{std::make_shared<TVTOwnerCell>(TVTOwnerCell{this})};
    Cardinal FLiveSerial{vtree_formats::RegisterLiveTree(this)};

    // ---- tree-view item queries and accessibility (VTTreeViewMessages.cpp, VTAccessibility.cpp)
public:
    // The objects the accessibility factory made for this tree and its focused item, or null.
    IAccessible* Accessible() const noexcept { return FAccessible.Get(); }
    IAccessible* AccessibleItem() const noexcept { return FAccessibleItem.Get(); }
    UnicodeString AccessibleName;
    // Lets an accessibility provider describe a node's images in words.
    virtual void DoGetImageText(PVirtualNode Node, TVTImageKind Kind, TColumnIndex Column,
                                UnicodeString& ImageText);
    TVTGetImageTextEvent OnGetImageText;

    // ---- component glue (VTGlue.cpp)
    // ------------------------------------------------------------- Copies another tree window's
    // settings (not its nodes); only the inherited assignment runs for other sources and for a
    // read-only tree.
    void Assign(TPersistent* Source) override;

protected:
    // Image lists and the pop-up menu that are freed are forgotten.
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // Stores an image list and asks to be told when it is freed.
    void ReferImageList(TCustomImageList*& Field, TCustomImageList* Value);
    bool DispatchCompatibility(TMessage& Message);
    // A node of this tree that is alive; never the hidden root.
    bool IsLiveNode(PVirtualNode Node) const;
    Integer ImageIndexOf(PVirtualNode Node, TVTImageKind Kind);
    UINT ItemState(PVirtualNode Node);
    void TVMGetItem(TMessage& Message);
    void TVMGetItemRect(TMessage& Message);
    void TVMGetNextItem(TMessage& Message);
    // Set while Assign creates its nodes: the content width is not measured then, as that
    // would initialise the new nodes in view.
    bool FContentWidthDeferred = false;
    void WMGetObject(TMessage& Message);
    // While an item object exists, tells accessibility clients that the item names changed.
    void NotifyAccessibleNameChange();
    TComPtr<IAccessible> FAccessible;
    TComPtr<IAccessible> FAccessibleItem;
    // A provider making an object may ask the window again (the system's proxy does): such a
    // nested request is answered without an object.
    bool FMakingAccessible = false;
};

// ---- the string tree's window ---------------------------------------------------------------

using TVTPaintText =
    TMethodEvent<void(TVirtualTreeWindow* Sender, TCanvas* TargetCanvas, PVirtualNode Node,
                      TColumnIndex Column, TVSTTextType TextType)>;
using TVTDrawTextEvent = TMethodEvent<void(
    TVirtualTreeWindow* Sender, TCanvas* TargetCanvas, PVirtualNode Node, TColumnIndex Column,
    const UnicodeString& Text, const TRect& CellRect, bool& DefaultDraw)>;

using TVSTGetHintEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, PVirtualNode Node, TColumnIndex Column,
                      TVTTooltipLineBreakStyle& LineBreakStyle, UnicodeString& HintText)>;

class TVirtualStringTreeWindow : public TVirtualTreeWindow {
    CLASS_INFO(TVirtualStringTreeWindow, TVirtualTreeWindow)
public:
    using TVirtualTreeWindow::TVirtualTreeWindow;
    TCustomVirtualStringTree* StringTree() const;

    // The longest prefix of S that fits Width with "..." after it.
    static UnicodeString ShortenText(HDC DC, const UnicodeString& S, int Width, int EllipsisWidth);

    UnicodeString DoGetNodeHintText(PVirtualNode Node, TColumnIndex Column,
                                    TVTTooltipLineBreakStyle& LineBreakStyle) override;
    UnicodeString DoGetNodeTooltipText(PVirtualNode Node, TColumnIndex Column,
                                       TVTTooltipLineBreakStyle& LineBreakStyle) override;
    void DoPaintHintText(PVirtualNode Node, TCanvas* Canvas, TColumnIndex Column) override;

    TVTPaintText OnPaintText;
    TVTDrawTextEvent OnDrawText;
    TVSTGetHintEvent OnGetHint;

    // The cell's text, its text rectangle (client coordinates) and, in AFont, the font the
    // application paints it with (VTEditLink.cpp).
    void GetTextInfo(PVirtualNode Node, TColumnIndex Column, TFont* AFont, TRect& R,
                     UnicodeString& Text);

protected:
    TComPtr<IVTEditLink> DoCreateEditor(PVirtualNode Node, TColumnIndex Column) override;
    // The text formats, when the base rendering fails (VTClipboardData.cpp).
    HRESULT RenderTreeData(const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                           bool ForClipboard) override;
    TBaseVirtualTree* CreateTree() override;
    void DoPaintNode(TVTPaintInfo& PaintInfo) override;
    virtual void DoPaintText(PVirtualNode Node, TCanvas* Canvas, TColumnIndex Column,
                             TVSTTextType TextType);
    virtual void DoDrawText(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column,
                            const UnicodeString& Text, TRect CellRect, UINT DrawFormat);

private:
    void PrepareTextFont(TVTPaintInfo& PaintInfo);
    void DrawNormalText(TVTPaintInfo& PaintInfo, const UnicodeString& Text);
    void DrawStaticText(TVTPaintInfo& PaintInfo, const UnicodeString& Text);
    void UseDisabledColour(TVTPaintInfo& PaintInfo);
    bool PaintTextChangesFont(PVirtualNode Node, TCanvas* Canvas, TColumnIndex Column);
    void CanvasFontChanged(TObject* Sender);
    TNotifyEvent FCanvasFontChange; // the canvas's own handler, while OnPaintText runs
    bool FFontChanged = false;
    // The height of a text line in the canvas's font, asked of the font once per description:
    // every cell of a paint uses the same one or two fonts.
    int LineHeight(TCanvas* Canvas);
    struct TLineHeight {
        UnicodeString Name;
        int Height = 0;
        TFontStyles Style;
        TFontCharset Charset{};
        TFontPitch Pitch{};
        TFontQuality Quality{};
        int Value = 0;
        bool Describes(TFont* Font) const;
    };
    TLineHeight FLineHeight;

    // ---- content export (VTExport*.cpp)
    // ---------------------------------------------------------- Public: the clipboard fills its
    // text, HTML, RTF and CSV formats from these renderers.
public:
    // UTF-8 HTML: a style block and a table with a header row and a row per node.
    RawByteString ContentToHTML(TVSTTextSourceType Source, const UnicodeString& Caption = {});
    RawByteString ContentToRTF(TVSTTextSourceType Source);
    // Text in the system's ANSI code page, the cells separated by Separator (also CSV).
    RawByteString ContentToText(TVSTTextSourceType Source, char Separator);
    RawByteString ContentToText(TVSTTextSourceType Source, const RawByteString& Separator);
    UnicodeString ContentToUnicode(TVSTTextSourceType Source, wchar_t Separator);
    UnicodeString ContentToUnicode(TVSTTextSourceType Source, const UnicodeString& Separator);
    // Fires the export events only: the owner writes its own format.
    void ContentToCustom(TVSTTextSourceType Source);
    // A global memory block for a clipboard format (CF_TEXT, CF_UNICODETEXT, "CSV", the two
    // rich text formats, "HTML Format"), owned by the caller; null for any other format.
    HGLOBAL ContentToClipboard(Word Format, TVSTTextSourceType Source);
    TVTTreeExportEvent OnBeforeTreeExport;
    TVTTreeExportEvent OnAfterTreeExport;
    TVTTreeExportEvent OnBeforeHeaderExport;
    TVTTreeExportEvent OnAfterHeaderExport;
    TVTColumnExportEvent OnBeforeColumnExport;
    TVTColumnExportEvent OnColumnExport;
    TVTColumnExportEvent OnAfterColumnExport;
    TVTNodeExportEvent OnBeforeNodeExport;
    TVTNodeExportEvent OnNodeExport;
    TVTNodeExportEvent OnAfterNodeExport;

private:
    friend class TVTExporter;
};
