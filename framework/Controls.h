// The control model of the visual class library. Declared here, in order: the sets and kinds
// controls are described with (TControlStyle, TControlState, TAlign, TAnchors, TShiftState,
// TMouseButton, TBiDiMode, bevels, border styles, cursors), the event types, TSizeConstraints,
// TCreateParams, TControl (no window: painted by its parent, mouse routed by its parent),
// TWinControl (its own HWND), TControlCanvas (a canvas drawing on a control: here rather than in
// Graphics.h because it needs the control), TCustomControl (canvas + Paint) and TGraphicControl.
//
// Message flow. Every message of every control, graphic ones included, goes through the
// control's assignable `WindowProc` (initially its virtual `WndProc`); `WndProc` does what
// every message needs (mouse routing, capture, hover tracking) and calls `Dispatch`, which
// switches on the message id to typed handlers and sends what it does not know to
// `DefaultHandler`: for a windowed control the window procedure of its window class (our own
// classes: DefWindowProc; wrapped system classes: the class's original procedure), for a
// graphic control the library's answers (text messages) or 0. `Perform` calls WindowProc
// synchronously and returns Result. One window procedure serves every control window: it finds
// the control through a window property, and stops exceptions at its boundary.
//
// Handlers that hook a control save `WindowProc`, install their own and call the saved one.
// The saved value is a link into the control's chain, not the bare method: giving it back takes
// out exactly the handler that was installed on top of it, so handlers may leave in any order
// and a handler whose predecessor has left calls the next one still in the chain.
//
// Ownership: a TWinControl frees its child controls when it is freed; freeing any control takes
// it out of its parent's list and its owner's list first, so a control with both an owner and a
// parent is freed exactly once, by whichever goes first.
//
// Threads: controls belong to the GUI thread that creates their windows.
#pragma once

#include "framework/Components.h"
#include "framework/Graphics.h"
#include "framework/HiddenWindows.h"
#include "framework/Messages.h"

#include <memory>
#include <vector>

class TControl;
class TWinControl;
class TPopupMenu;   // menus are declared with the menu classes; a control only holds the pointer
class TBasicAction; // actions and their links are declared in ActnList.h
class TControlActionLink;

// ---- descriptions ------------------------------------------------------------------------------

enum TControlStyleItem {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents,
    csNeedsBorderPaint,
    csParentBackground
};
using TControlStyle = TSet<TControlStyleItem>;

// csReadingState: the control is being read from its description (the component state's
// csReading for controls); csCreating: its window is being made.
enum TControlStateItem {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking,
    csAligning
};
using TControlState = TSet<TControlStateItem>;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };

// The state of an owner-drawn item (menus, list and combo boxes): value n is the system's
// ODS_ flag 1 << n, so that TOwnerDrawState::FromBits(itemState) decodes a DRAWITEMSTRUCT.
enum TOwnerDrawStateItem {
    odSelected,
    odGrayed,
    odDisabled,
    odChecked,
    odFocused,
    odDefault,
    odHotLight,
    odInactive,
    odNoAccel,
    odNoFocusRect,
    odReserved1,
    odReserved2,
    odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// Horizontal and vertical placement of a control's text.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TVerticalAlignment { taAlignTop, taAlignBottom, taVerticalCenter };

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TBevelEdge { beLeft, beTop, beRight, beBottom };
using TBevelEdges = TSet<TBevelEdge>;
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };

// Forms use every value; a control's BorderStyle is bsNone or bsSingle.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

// Cursors: 0 is the default cursor of the control's class, negative values are the system's.
using TCursor = short;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
// The cursor for a library cursor value: the system's, or for the drag cursors the library's own
// (made once, never destroyed); null for crDefault and crNone.
HCURSOR CursorHandle(TCursor cursor);

// The shift state of a mouse message's key flags (MK_*) plus the Alt key's present state.
TShiftState MouseKeysToShiftState(WPARAM keys);
// The shift state of a key message: Shift and Ctrl now, Alt from bit 29 of its key data.
TShiftState KeyDataToShiftState(LPARAM keyData);

namespace controls_detail {
// The control the mouse is over (CM_MOUSEENTER sent, CM_MOUSELEAVE not yet) and the graphic
// control that has the mouse captured through its parent's window; GUI thread only.
TControl*& MouseControl() noexcept;
TControl*& CaptureControl() noexcept;
// Sends the leave and enter notifications when the mouse is over another control now.
void SetMouseControl(TControl* control);
// An arrow carrying `pages` stacked sheets: the drag (1) and multi-drag (3) cursors.
HCURSOR MakeDragCursor(int pages);
} // namespace controls_detail

// ---- events ------------------------------------------------------------------------------------

using TMouseEvent =
    TMethodEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TMethodEvent<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent = TMethodEvent<void(TObject* Sender, TShiftState Shift, int WheelDelta,
                                           TPoint MousePos, bool& Handled)>;
using TKeyEvent = TMethodEvent<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = TMethodEvent<void(TObject* Sender, wchar_t& Key)>;

// ---- hints ------------------------------------------------------------------------------------

// What the application is about to show as a control's hint; CM_HINTSHOW carries a pointer to it
// in LParam, and the control may change any field or answer 1 to show no hint. Positions are
// on the screen except CursorPos and CursorRect, which are in the control's client area.
struct THintInfo {
    TControl* HintControl = nullptr;
    TClass HintWindowClass = nullptr; // a THintWindow class
    TPoint HintPos;
    int HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    TRect CursorRect; // the hint stays while the mouse is inside
    TPoint CursorPos;
    int ReshowTimeout = 0; // ms after which the hint is asked for again; 0: never
    int HideTimeout = 0;   // ms after which the hint goes; 0: the application's pause
    UnicodeString HintStr;
    void* HintData = nullptr;
};

// The parts of a hint "short|long": the short part is shown beside the control.
UnicodeString GetShortHint(const UnicodeString& Hint);
UnicodeString GetLongHint(const UnicodeString& Hint);

// ---- size constraints --------------------------------------------------------------------------

// Limits of a control's size; 0 means no limit. OnChange fires for every change.
class TSizeConstraints : public TPersistent {
    CLASS_INFO(TSizeConstraints, TPersistent)
public:
    int MinWidth() const noexcept { return FMinWidth; }
    void SetMinWidth(int value) { Change(FMinWidth, value); }
    int MinHeight() const noexcept { return FMinHeight; }
    void SetMinHeight(int value) { Change(FMinHeight, value); }
    int MaxWidth() const noexcept { return FMaxWidth; }
    void SetMaxWidth(int value) { Change(FMaxWidth, value); }
    int MaxHeight() const noexcept { return FMaxHeight; }
    void SetMaxHeight(int value) { Change(FMaxHeight, value); }
    // The size within the limits.
    void Apply(int& width, int& height) const noexcept;
    void Assign(TPersistent* source) override;

    TNotifyEvent OnChange;

private:
    void Change(int& field, int value);

    int FMinWidth = 0;
    int FMinHeight = 0;
    int FMaxWidth = 0;
    int FMaxHeight = 0;
};

// ---- window creation parameters ----------------------------------------------------------------

// What CreateWnd passes to RegisterClassEx and CreateWindowEx. WindowClass.lpfnWndProc is the
// procedure that DefaultHandler calls (DefWindowProc, or a wrapped system class's original);
// the window itself always gets the library's window procedure.
struct TCreateParams {
    UnicodeString Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    WNDCLASSEXW WindowClass{};
    UnicodeString WinClassName;
};

// ---- in-process dragging ----------------------------------------------------------------------

// dmAutomatic: a left button press on the control begins a drag; dmManual: BeginDrag does.
enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
// What a CM_DRAG message asks of the control it is sent to (WParam). dmFindTarget answers the
// control that takes the drag at the point (a TControl* as the result).
enum TDragMessage { dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel, dmFindTarget };

// What is being dragged. OnStartDrag may supply one (it stays the application's to free);
// otherwise the drag makes its own. The drag fills in the fields as it goes.
class TDragObject : public TObject {
    CLASS_INFO(TDragObject, TObject)
public:
    TControl* Control = nullptr;    // the control the drag began on
    TPoint DragPos{};               // the mouse, in screen coordinates
    TControl* DragTarget = nullptr; // the control under the mouse that takes the drag, or null
};

// CM_DRAG's LParam: the drag, and the point in the client area of the control it is sent to.
struct TDragRec {
    TDragObject* Source;
    TPoint Pos;
    bool AllowDisabled = false; // dmFindTarget: disabled controls may take the drag too
};

using TStartDragEvent = TMethodEvent<void(TObject* Sender, TDragObject*& DragObject)>;
using TDragOverEvent = TMethodEvent<void(TObject* Sender, TObject* Source, int X, int Y,
                                         TDragState State, bool& Accept)>;
using TDragDropEvent = TMethodEvent<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TEndDragEvent = TMethodEvent<void(TObject* Sender, TObject* Target, int X, int Y)>;

// The control that takes a drag at a screen point: our window under the point answers
// dmFindTarget (by default its enabled child control there, else itself); null elsewhere.
TControl* FindDragTarget(TPoint Pos, bool AllowDisabled);

namespace controls_detail {
class TDragSession;
// Escape ends the drag under way without a drop; answers whether one was under way.
bool CancelDrag();
// A control going away leaves the drag: as its source the drag ends unheard.
void ForgetDragControl(TControl* control) noexcept;
} // namespace controls_detail

// ---- TControl ----------------------------------------------------------------------------------

class TControl : public TComponent {
    CLASS_INFO(TControl, TComponent)
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;
    void BeforeDestruction() override;

    // The message chain. WindowProc() answers a link to the method on top of the chain now;
    // calling the link later calls that method, or, once it has been taken out, the next one
    // below it still in the chain. Setting a method that is not such a link puts it on top.
    // Setting a link given out before takes the method that was put on top right after it out
    // of the chain, wherever it is now: each handler restores what it saved, in any order.
    TWndMethod WindowProc() const;
    void SetWindowProc(const TWndMethod& method);
    LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
    virtual void DefaultHandler(TMessage& Message);

    TWinControl* Parent() const noexcept { return FParent; }
    virtual void SetParent(TWinControl* AParent);
    bool HasParent() const noexcept { return FParent != nullptr; }
    // The outermost windowed control above this one (itself when it has no parent).
    TControl* TopParent();

    // Bounds, relative to the parent's client area (to the screen for top-level windows).
    int Left() const noexcept { return FLeft; }
    void SetLeft(int value) { SetBounds(value, FTop, FWidth, FHeight); }
    int Top() const noexcept { return FTop; }
    void SetTop(int value) { SetBounds(FLeft, value, FWidth, FHeight); }
    int Width() const noexcept { return FWidth; }
    void SetWidth(int value) { SetBounds(FLeft, FTop, value, FHeight); }
    int Height() const noexcept { return FHeight; }
    void SetHeight(int value) { SetBounds(FLeft, FTop, FWidth, value); }
    TRect BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    // Applies Constraints (and AutoSize), then moves; the parent realigns when needed.
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    virtual TRect ClientRect();
    int ClientWidth() { return ClientRect().Width(); }
    int ClientHeight() { return ClientRect().Height(); }
    // The screen point of the client area's top-left corner: a window's as the system has it
    // (past its frame, caption and menu), a graphic control's from its parent's.
    virtual TPoint ClientOrigin();
    TPoint ClientToScreen(TPoint point);
    TPoint ScreenToClient(TPoint point);

    bool Visible() const noexcept { return FVisible; }
    void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible and every parent showing; a windowed control also needs its window.
    virtual bool Showing();
    bool Enabled() const noexcept { return FEnabled; }
    void SetEnabled(bool value);

    TColor Color() const noexcept { return FColor; }
    void SetColor(TColor value);
    bool ParentColor() const noexcept { return FParentColor; }
    void SetParentColor(bool value);
    // Changing the font sends CM_FONTCHANGED (and a window WM_SETFONT).
    TFont* Font() const noexcept { return FFont.get(); }
    void SetFont(TFont* value) { FFont->Assign(value); }
    bool ParentFont() const noexcept { return FParentFont; }
    void SetParentFont(bool value);

    UnicodeString Caption() { return GetText(); }
    void SetCaption(const UnicodeString& value) { SetText(value); }
    UnicodeString Text() { return GetText(); }
    void SetText(const UnicodeString& value);

    const UnicodeString& Hint() const noexcept { return FHint; }
    void SetHint(const UnicodeString& value) { FHint = value; }
    // The application's help topic for this control; 0 leaves it to the parent controls.
    int HelpContext() const noexcept { return FHelpContext; }
    void SetHelpContext(int value) noexcept { FHelpContext = value; }
    bool ShowHint() const noexcept { return FShowHint; }
    void SetShowHint(bool value);
    bool ParentShowHint() const noexcept { return FParentShowHint; }
    void SetParentShowHint(bool value);
    TCursor Cursor() const noexcept { return FCursor; }
    void SetCursor(TCursor value);
    TPopupMenu* PopupMenu() const noexcept { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* value) { FPopupMenu = value; }

    TAlign Align() const noexcept { return FAlign; }
    void SetAlign(TAlign value);
    TAnchors Anchors() const noexcept { return FAnchors; }
    void SetAnchors(TAnchors value);
    TSizeConstraints* Constraints() const noexcept { return FConstraints.get(); }
    bool AutoSize() const noexcept { return FAutoSize; }
    void SetAutoSize(bool value);

    TBiDiMode BiDiMode() const noexcept { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode value);
    bool ParentBiDiMode() const noexcept { return FParentBiDiMode; }
    void SetParentBiDiMode(bool value);
    // Right-to-left layout needs a system with right-to-left support (SM_MIDEASTENABLED).
    bool UseRightToLeftAlignment() const;
    bool UseRightToLeftReading() const;
    // DrawText flags adjusted for the bidirectional mode: left and right swapped when aligned
    // from the right, DT_RTLREADING added when reading from the right.
    UINT DrawTextBiDiModeFlags(UINT flags) const;
    UINT DrawTextBiDiModeFlagsReadingOnly() const;

    TControlStyle ControlStyle() const noexcept { return FControlStyle; }
    void SetControlStyle(TControlStyle value) { FControlStyle = value; }
    // csReadingState follows the component state's csReading (set by BeginLoad/EndLoad).
    TControlState ControlState() const noexcept {
        return ComponentState().Contains(csReading) ? FControlState + TControlState{csReadingState}
                                                    : FControlState;
    }
    void SetControlState(TControlState value) {
        FControlState = value - TControlState{csReadingState};
    }

    // Painting.
    virtual void Invalidate();
    virtual void Update();
    void Repaint();
    void Refresh() { Repaint(); }
    // Paints the control (and a windowed control's children) into `dc` with its top-left at
    // (X, Y), through the same path as WM_PAINT.
    virtual void PaintTo(HDC dc, int X, int Y);

    void BringToFront() { SetZOrder(true); }
    void SendToBack() { SetZOrder(false); }

    bool MouseCapture() const;
    void SetMouseCapture(bool value);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TMouseWheelEvent OnMouseWheel;
    TNotifyEvent OnResize;

    // ---- in-process dragging (ControlsDrag*.cpp) ----------------------------------------------
    TDragMode DragMode() const noexcept { return FDragMode; }
    void SetDragMode(TDragMode value) noexcept { FDragMode = value; }
    TCursor DragCursor() const noexcept { return FDragCursor; }
    void SetDragCursor(TCursor value) noexcept { FDragCursor = value; }
    // One drag at a time. Immediate: the drag runs from now; else once the mouse moved
    // Threshold pixels (negative: the system's threshold). Meanwhile the drag holds the mouse
    // capture; releasing the button drops on an accepting target, Escape cancels.
    void BeginDrag(bool Immediate, int Threshold = -1);
    // Whether a drag from this control is pending or running.
    bool Dragging() const;
    // Drop: drops on the target under the mouse when it accepts; otherwise cancels.
    void EndDrag(bool Drop);
    TStartDragEvent OnStartDrag;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TEndDragEvent OnEndDrag;

protected:
    friend class TWinControl;

    // The message chain: WindowProc (initially WndProc) -> Dispatch -> DefaultHandler.
    virtual void WndProc(TMessage& Message);
    virtual void Dispatch(TMessage& Message);

    virtual UnicodeString GetText();
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    // Asks OnMouseWheel; True when it handled the wheel.
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual void Resize() { OnResize(this); }
    // A control that sizes itself answers True with the size it wants.
    virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
    virtual void SetZOrder(bool TopMost);
    // Asks the parent to realign its children when this control is aligned or anchored.
    void RequestAlign();
    // The size AutoSize and Constraints allow for the size asked.
    void ApplySizeRules(int& width, int& height);
    void InvalidateControl(bool IsVisible, bool IsOpaque);

    // Typed handlers, decoded once.
    void WMMouseButton(TMessage& Message, TMouseButton Button, bool Down, bool DoubleClick);
    void WMMouseMove(TMessage& Message);
    void CMMouseEnterLeave(TMessage& Message);
    void CMMouseWheel(TMessage& Message);
    void CMParentColorChanged(TMessage& Message);
    void CMParentFontChanged(TMessage& Message);
    void CMParentShowHintChanged(TMessage& Message);
    void CMParentBiDiModeChanged(TMessage& Message);
    void WMSetText(TMessage& Message);

    // ---- in-process dragging: the source's and the target's sides ----
    virtual void DoStartDrag(TDragObject*& DragObject);
    // Accept starts True when OnDragOver is assigned, which then decides.
    virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
    virtual void DragDrop(TObject* Source, int X, int Y);
    // Target: where the drag was dropped (X, Y in its client area); null when it was not.
    virtual void DoEndDrag(TObject* Target, int X, int Y);
    virtual void CMDrag(TMessage& Message);
    friend class controls_detail::TDragSession;

    UnicodeString FText;

private:
    void FontChanged(TObject* Sender);
    void ConstraintsChanged(TObject* Sender);
    void TearDown() noexcept;

    struct TWindowProcLink {
        TControl* Control;
        std::size_t Slot;
        void Call(TMessage& Message) { Control->CallWindowProcFrom(Slot, Message); }
    };
    struct TWindowProcSlot {
        TWndMethod Method;
        std::size_t SavedTop; // the slot that was on top when this one was put on top
        bool Present;
        std::unique_ptr<TWindowProcLink> Link;
    };
    // Calls the highest method still in the chain at or below `slot`.
    void CallWindowProcFrom(std::size_t slot, TMessage& Message);
    std::size_t TopWindowProc() const noexcept;
    void PushWindowProc(const TWndMethod& method);

    // Slot 0 is WndProc and never leaves; slots are never reused, as links name them.
    std::vector<TWindowProcSlot> FWindowProcs;
    TWinControl* FParent = nullptr;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    bool FVisible = true;
    bool FEnabled = true;
    TColor FColor = clWindow;
    bool FParentColor = true;
    std::unique_ptr<TFont, graphics_detail::TFreeObject> FFont;
    bool FParentFont = true;
    bool FTakingParentFont = false; // the font change comes from the parent, ParentFont stays
    UnicodeString FHint;
    int FHelpContext = 0;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TCursor FCursor = crDefault;
    TPopupMenu* FPopupMenu = nullptr;
    TAlign FAlign = alNone;
    TAnchors FAnchors{akLeft, akTop};
    std::unique_ptr<TSizeConstraints, graphics_detail::TFreeObject> FConstraints;
    bool FAutoSize = false;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FParentBiDiMode = true;
    TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState FControlState;
    bool FTornDown = false;

    // ---- actions: the control follows the action it is linked to -------------------------------
public:
    TBasicAction* Action() const;
    // Links the control to the action (csActionClient) and takes over what it shows; null
    // unlinks. The action going away clears the link, so Action() is then null.
    void SetAction(TBasicAction* value);

protected:
    // Takes over a TCustomAction's Caption, Enabled, Hint and Visible; with CheckDefaults only
    // those the control still has at their defaults (a caption that is empty or the name).
    virtual void ActionChange(TObject* Sender, bool CheckDefaults);

private:
    void DoActionChange(TObject* Sender);
    void ReleaseAction();

    std::unique_ptr<TControlActionLink, graphics_detail::TFreeObject> FActionLink;
    // ---- in-process dragging ----
    TDragMode FDragMode = dmManual;
    TCursor FDragCursor = crDrag;
};

// ---- TWinControl -------------------------------------------------------------------------------

class TWinControl : public TControl {
    CLASS_INFO(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;
    void BeforeDestruction() override;

    // The window, made when first asked for (with its parents' windows).
    HWND Handle();
    bool HandleAllocated() const noexcept { return FHandle != nullptr; }
    void HandleNeeded();
    // Makes the window again with the same children, text and properties.
    void RecreateWnd();
    // The window that a control without parent control is a child (or owned window) of.
    HWND ParentWindow() const noexcept { return FParentWindow; }
    void SetParentWindow(HWND value);

    void DefaultHandler(TMessage& Message) override;
    // Sends the message to every child control (by Perform), in list order.
    void Broadcast(TMessage& Message);
    void NotifyControls(UINT Msg);

    // Child controls, graphic and windowed, in z-order (0 the bottom).
    int ControlCount() const noexcept { return static_cast<int>(FControls.size()); }
    TControl* Controls(int index) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    bool ContainsControl(TControl* AControl) const;
    // The topmost visible child at a client point; disabled children only when asked.
    TControl* ControlAtPos(TPoint Pos, bool AllowDisabled);

    TRect ClientRect() override;
    TPoint ClientOrigin() override;
    bool Showing() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Invalidate() override;
    void Update() override;
    void PaintTo(HDC dc, int X, int Y) override;

    // Focus.
    bool CanFocus();
    bool Focused();
    virtual void SetFocus();
    bool TabStop() const noexcept { return FTabStop; }
    void SetTabStop(bool value);
    // The position among the parent's windowed children in tab order; -1 without parent.
    int TabOrder() const;
    void SetTabOrder(int value);
    // Every windowed control below this one in tab order, depth first.
    void GetTabOrderList(std::vector<TWinControl*>& List) const;

    // Frame.
    int BorderWidth() const noexcept { return FBorderWidth; }
    void SetBorderWidth(int value);
    TBorderStyle BorderStyle() const noexcept { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    bool Ctl3D() const noexcept { return FCtl3D; }
    void SetCtl3D(bool value);
    bool ParentCtl3D() const noexcept { return FParentCtl3D; }
    void SetParentCtl3D(bool value);
    TBevelEdges BevelEdges() const noexcept { return FBevelEdges; }
    void SetBevelEdges(TBevelEdges value);
    TBevelCut BevelInner() const noexcept { return FBevelInner; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const noexcept { return FBevelOuter; }
    void SetBevelOuter(TBevelCut value);
    TBevelKind BevelKind() const noexcept { return FBevelKind; }
    void SetBevelKind(TBevelKind value);
    int BevelWidth() const noexcept { return FBevelWidth; }
    void SetBevelWidth(int value);

    // The brush of Color, handed to system controls that ask WM_CTLCOLOR*.
    TBrush* Brush() const noexcept { return FBrush.get(); }

    // Lays the aligned and anchored children out again.
    void Realign();
    void DisableAlign() { ++FAlignLevel; }
    void EnableAlign();

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;

    // The control of a window made by the library; null for any other window.
    static TWinControl* FindControl(HWND wnd) noexcept;

protected:
    friend class TControl;
    friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;

    virtual void CreateParams(TCreateParams& Params);
    // Takes a system window class as this control's base: its procedure becomes the default.
    void CreateSubClass(TCreateParams& Params, const wchar_t* ControlClassName);
    virtual void CreateWnd();
    virtual void DestroyWnd();
    virtual void CreateWindowHandle(const TCreateParams& Params);
    void CreateHandle();
    void DestroyHandle();

    // Painting: one path for WM_PAINT, WM_PRINTCLIENT and PaintTo.
    void PaintHandler(HDC dc);
    virtual void PaintWindow(HDC dc);
    void PaintControls(HDC dc);
    // True when the window class is the library's own, so that the library draws everything.
    bool OwnsPainting() const noexcept { return FDefWndProc == &DefWindowProcW; }

    virtual void AlignControls(TControl* AControl, TRect& Rect);
    virtual void AdjustClientRect(TRect& Rect);
    void SetZOrder(bool TopMost) override;
    UnicodeString GetText() override;

    virtual void DoEnter() { OnEnter(this); }
    virtual void DoExit() { OnExit(this); }
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyPress(wchar_t& Key);
    virtual void KeyUp(Word& Key, TShiftState Shift);

private:
    TWinControl* KeyPreviewForm();
    void WMContextMenu(TMessage& Message);
    bool RouteToGraphicChild(TMessage& Message);
    void TrackMouse(TMessage& Message);
    bool Reflect(TMessage& Message);
    void WMPaint(TMessage& Message);
    void WMEraseBkgnd(TMessage& Message);
    void WMKey(TMessage& Message, bool Down);
    void WMChar(TMessage& Message);
    void CNKeyDown(TMessage& Message);
    void CNChar(TMessage& Message);
    void WMNCCalcSize(TMessage& Message);
    void WMNCPaint(TMessage& Message);
    void WMSetCursor(TMessage& Message);
    void WMWindowPosChanged(TMessage& Message);
    void WMSetFocus(TMessage& Message);
    void WMNCDestroyed() noexcept;
    bool DispatchNotification(TMessage& Message);
    void CMEnabledChanged();
    void CMColorChanged();
    void CMFontChanged();
    void CMBiDiModeChanged();
    void CMCtl3DChanged();
    void CMTabStopChanged();
    void CMRecreateWnd();
    void CMInvalidate();
    void WMMouseWheel(TMessage& Message);
    void WMMouseLeave(TMessage& Message);
    void CNCtlColor(TMessage& Message);
    void CMParentCtl3DChanged(TMessage& Message);
    void SyncZOrder();
    void UpdateBoundsFromWindow();
    void UpdateShowing();
    void FrameChanged();
    int FrameSize() const;
    void AlignTo(TControl* AControl, TAlign align, TRect& rect);
    void ApplyAnchors(TSize oldClient, TSize newClient);
    void AttachHandle(HWND wnd) noexcept;

    HWND FHandle = nullptr;
    std::unique_ptr<TBrush, graphics_detail::TFreeObject> FBrush;
    HWND FParentWindow = nullptr;
    WNDPROC FDefWndProc = &DefWindowProcW;
    std::vector<TControl*> FControls;
    std::vector<TWinControl*> FTabList;
    bool FTabStop = false;
    int FBorderWidth = 0;
    TBorderStyle FBorderStyle = bsNone;
    bool FCtl3D = true;
    bool FParentCtl3D = true;
    TBevelEdges FBevelEdges{beLeft, beTop, beRight, beBottom};
    TBevelCut FBevelInner = bvRaised;
    TBevelCut FBevelOuter = bvLowered;
    TBevelKind FBevelKind = bkNone;
    int FBevelWidth = 1;
    int FAlignLevel = 0;
    TSize FAlignedClient; // the client size the last alignment pass worked with
    bool FWinTornDown = false;
};

// ---- canvases and painted controls -------------------------------------------------------------

// A canvas drawing on a control. A windowed control's canvas gets its window's DC
// (GetDCEx, children and siblings clipped); a graphic control's canvas gets its parent's DC with
// the origin at the control and clipped to it. The DC is released by FreeHandle, when the
// window it belongs to goes, and with the canvas. GUI thread only. While a control paints, its
// canvas borrows the paint DC instead (SetHandle) and gives it back afterwards.
class TControlCanvas : public TCanvas {
    CLASS_INFO(TControlCanvas, TCanvas)
public:
    TControlCanvas() = default;
    ~TControlCanvas() override { FreeHandle(); }
    TControl* Control() const noexcept { return FControl; }
    void SetControl(TControl* control);
    void FreeHandle() noexcept;
    // Lends `dc` to the canvas for one paint call.
    template <class Body> void PaintWith(HDC dc, Body&& paint) {
        Lock();
        FreeHandle();
        SetHandle(dc);
        try {
            paint();
        } catch (...) {
            SetHandle(nullptr);
            Unlock();
            throw;
        }
        SetHandle(nullptr);
        Unlock();
    }
    // Releases the DCs that canvases hold on a window that is going away.
    static void FreeHandlesOf(HWND wnd) noexcept;

protected:
    void CreateHandle() override;

private:
    TControl* FControl = nullptr;
    HWND FWindow = nullptr;       // the window whose DC we hold
    HDC FDeviceContext = nullptr; // owned DC from GetDCEx, null while borrowing or empty
};

// A windowed control that paints itself on its Canvas in Paint.
class TCustomControl : public TWinControl {
    CLASS_INFO(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() const noexcept { return FCanvas.get(); }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;

private:
    std::unique_ptr<TControlCanvas, graphics_detail::TFreeObject> FCanvas;
};

// A control without a window that paints itself on its Canvas in Paint, on its parent's DC.
class TGraphicControl : public TControl {
    CLASS_INFO(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const noexcept { return FCanvas.get(); }

protected:
    virtual void Paint() {}
    void Dispatch(TMessage& Message) override;

private:
    void PaintInto(HDC dc);

    std::unique_ptr<TControlCanvas, graphics_detail::TFreeObject> FCanvas;
};
