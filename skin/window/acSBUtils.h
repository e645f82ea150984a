// The window-subclass handlers and their support: the handler base, attaching and detaching
// handlers, the routines the handlers share, and the skinned scroll bars that replace the
// standard scroll bars of a window.
#pragma once

#include "framework/HiddenWindows.h"
#include "skin/engine/sCommonData.h"

// ---- handlers of the window-subclass family --------------------------------------------------

// A handler takes over the messages of exactly one window, paints it from the active skin,
// answers the skin commands and passes everything else on to the window's previous procedure.
// Two kinds of window: a class-library control (or the form of a form provider), whose
// `WindowProc` gets the handler's method on top of its chain, and a raw window, whose window
// procedure is replaced by an object instance calling the handler.
//
// Make handlers with `Construct<T>(...)`: attaching runs after construction (AfterConstruction),
// so the descendants' `SaveStdParams` is the one called; `Free` detaches (when still attached)
// before the destructors run. A handler may be asked to go away from inside a message dispatched
// through it: `ReleaseHandler` then frees it only when that dispatch has returned.
class TacMainWnd : public TObject {
    CLASS_INFO(TacMainWnd, TObject)
public:
    // Without ASkinData the handler makes a link of its own (freed with it); SkinSection is
    // taken when the link has none yet. Repaint asks scroll handlers for a frame refresh.
    TacMainWnd(HWND AHandle, TsCommonData* ASkinData, TsSkinManager* ASkinManager,
               const UnicodeString& SkinSection, bool Repaint = true);
    ~TacMainWnd() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;

    virtual void SaveStdParams() {}
    virtual void RestoreStdParams() {}
    virtual void SetSkinParams() { ParamsChanged = true; }
    // The window procedure; descendants do their own work first and call this for the rest.
    virtual void acWndProc(TMessage& Message);
    // Sends a message to the window's previous procedure: the only way a message is passed on.
    // 0 when the handler is attached to nothing.
    LRESULT CallPrevWndProc(HWND Handle, UINT Msg, WPARAM WParam, LPARAM& LParam);
    // Passes Message on with its own values and makes the answer its result.
    void PassOn(TMessage& Message);
    // The method every message of the window reaches first (installed by InstallHandler).
    void HandlerWndProc(TMessage& Message);
    // True while a message is being dispatched through the handler.
    bool Dispatching() const noexcept { return FDispatching > 0; }

    bool DlgMode = false;
    UnicodeString Caption;
    TRect WndRect{0, 0, 0, 0};
    TSize WndSize{0, 0};
    TPoint WndPos{0, 0};
    TRect ParentRect{0, 0, 0, 0};
    HWND ParentWnd = nullptr;
    TWndMethod OldWndProc;
    WNDPROC OldProc = nullptr;
    HWND CtrlHandle = nullptr;
    TsSkinManager* SkinManager = nullptr;
    TsCommonData* SkinData = nullptr;
    bool DontRepaint = false;
    bool ParamsChanged = false;
    TColor StdColor = clNone;
    TColor StdFontColor = clNone;
    bool Destroyed = false;
    bool OwnSkinData = false;
    WNDPROC NewWndProcInstance = nullptr;
    int Tag = 0;

private:
    friend void ReleaseHandler(TacMainWnd*& Handler);
    bool SkinActive() const;
    bool HandleSkinCommand(TMessage& Message);
    bool FRepaint;
    int FDispatching = 0;
    bool FReleasePending = false;
};

// Set while handlers for the children of an auto-skinned system dialog are made: they copy it
// into DlgMode.
extern bool CreatingDialogHandlers;

// Frees Handler now, or, when a message is being dispatched through it, as soon as that
// dispatch has returned; Handler is null afterwards in both cases.
void ReleaseHandler(TacMainWnd*& Handler);

// ---- attaching and detaching -----------------------------------------------------------------

// Marks Wnd with the property "ACSBSC" and routes its messages to the handler.
void InstallHandler(TacMainWnd* Handler, HWND Wnd);
// Gives the window its previous procedure back, removes the mark and the handler's look
// (once: a detached handler is only freed), then frees the handler when asked. Raw windows get
// their procedure back before the handler goes, so no object instance calls freed memory.
void UninstallHandler(HWND Wnd, bool FreeHandler, bool FrameChanged, TacMainWnd*& Handler);
// The same for scroll handlers; a raw window is restored too, before the handler is freed.
void DetachHandler(HWND Wnd, bool FreeHandler, bool FrameChanged, TacMainWnd*& Handler);
// FrameChanged: recompute the frame (SWP_FRAMECHANGED); else only repaint it (WM_NCPAINT).
void RefreshFrame(HWND Wnd, bool FrameChanged);
// The handler marking Wnd, null when none.
TacMainWnd* HandlerOfWindow(HWND Wnd);

// ---- support routines ------------------------------------------------------------------------

// The control's children get Message when the control is given, else Wnd's child windows.
void PassMessageOrBroadcast(TWinControl* Control, HWND Wnd, TMessage& Message);
// The link's border has more than one state image.
bool BorderHasStates(const TsCommonData* SkinData);
// Writes the published ordinal property Name when the control has one.
void SetIntPropIfExists(TObject* Control, const UnicodeString& Name, Int64 Value);
// The published colour property Name as RGB; 0 for a null control or one without it.
TColor GetColorPropIfExists(TObject* Control, const UnicodeString& Name);
// Depth first over Component's components: the windowed control whose allocated handle is Wnd
// (handles are never created by the search).
TComponent* FindComponentByHandle(HWND Wnd, TComponent* Component);
// Window and parent rectangles, size and the position in the parent's client area.
void GetWndParams(HWND Wnd, HWND& ParentWnd, TRect& WndRect, TRect& ParentRect, TSize& WndSize,
                  TPoint& WndPos);
// Tells Wnd's top-level ancestor that a control was placed (skin command 25).
void NotifyTopWindow(HWND Wnd);
// Rebuilds the link's cache bitmap for Wnd when its background is marked changed (and only
// then): the window's size, the section over the parent's background in the hot state when the
// control is focused or under the mouse; Framed without the skin's border, or, when the skin has
// a border colour, the system window colour in a one-pixel frame of it. A disabled owner control
// is blended with its parent. Nothing for a window without a parent.
void PrepareHandlerCache(TsCommonData* SkinData, HWND Wnd, bool Framed);
// Lets the parent show through the key-colour pixels of the four corners of the link's border
// image for State (the last image for a later state), over the cache at Handler's size and
// position. Nothing in dialog mode, without a border image or cache, or for a window under 2 x 2
// (fill those with GetWndParams first).
void FillTransparentCorners(TsCommonData* SkinData, int State, const TacMainWnd& Handler);

// ---- skinned scroll bars ---------------------------------------------------------------------

// The skinned scroll bars of a window are drawn in its non-client area from the skin sections
// "SCROLLBAR1H", "SCROLLBAR2H" (the track before and after the thumb), "SCROLLSLIDERH" (the
// thumb), "SCROLLBTNLEFT", "SCROLLBTNRIGHT" (the arrow buttons) and their vertical
// counterparts. The handler keeps the window's standard scroll bars out of the way (their style
// bits are hidden while the previous procedure computes the client area and paints the frame),
// takes their room itself, answers the hit tests of its bars and turns clicks, holds and drags
// into the window's own WM_HSCROLL and WM_VSCROLL messages. Removing the handler gives the
// window its standard scroll bars back, as they were.

class TacScrollWnd;

// The parts of a bar, numbered as the scroll codes of the messages they send.
constexpr int spNone = -1;
constexpr int spFirstArrow = SB_LINEUP;
constexpr int spSecondArrow = SB_LINEDOWN;
constexpr int spPageBefore = SB_PAGEUP;
constexpr int spPageAfter = SB_PAGEDOWN;
constexpr int spThumb = SB_THUMBTRACK;

// Bits of TacScrollBar::fScrollFlags.
constexpr Word sfFirstArrowDisabled = 1;
constexpr Word sfSecondArrowDisabled = 2;
constexpr Word sfCheckRange = 4; // the bar is active only while its range is valid
constexpr Word sfStyleHasBar = 8;

// The hover poll (20 ms), the first repeat of a held arrow or page (300 ms) and the repeats after
// it (55 ms).
constexpr UINT_PTR HoverTimerId = 0xFFF2;
constexpr UINT_PTR FirstRepeatTimerId = 0xFFFD;
constexpr UINT_PTR RepeatTimerId = 0xFFFE;

constexpr int DefaultMinThumbSize = 10;

// One bar of a scroll handler: SB_HORZ or SB_VERT.
struct TacScrollBar {
    Word fScrollFlags = 0;
    // The bar takes room in the non-client area (decided at each WM_NCCALCSIZE).
    bool fScrollVisible = false;
    // The window's scroll data as last read.
    SCROLLINFO ScrollInfo{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS};
    // Arrow length and bar thickness in pixels; negative: that many times the system's measure.
    int nArrowLength = -1;
    int nArrowWidth = -1;
    Word nBarType = SB_HORZ;
    int nMinThumbSize = DefaultMinThumbSize;
    TacScrollWnd* sw = nullptr;
};

// The scroll-bar handler; the dialog, popup-menu, edit and list handlers descend from it.
class TacScrollWnd : public TacMainWnd {
    CLASS_INFO(TacScrollWnd, TacMainWnd)
public:
    using TacMainWnd::TacMainWnd;
    void acWndProc(TMessage& Message) override;
    // The work of the handler's timers (HoverTimerId, FirstRepeatTimerId, RepeatTimerId) at
    // Position, in screen coordinates: the cursor for the hover poll, the message's position for
    // the repeats. WM_TIMER calls it; other ids are left alone.
    void TimerTick(UINT_PTR Id, TPoint Position);
    // SB_HORZ or SB_VERT.
    TacScrollBar& Bar(int Which) noexcept { return Which == SB_VERT ? sBarVert : sBarHorz; }
    // Where the bars' background lies in the window's background image; the MDI client handler
    // answers its client window's offset in the form.
    virtual TPoint BackgroundShift() const { return TPoint{0, 0}; }

    TacScrollBar sBarHorz;
    TacScrollBar sBarVert;
    bool fThumbTracking = false;
    bool fLeftScrollbar = false;
    // The frame around the client area found at the last WM_NCCALCSIZE, bars not counted.
    int cxLeftEdge = 0;
    int cxRightEdge = 0;
    int cyTopEdge = 0;
    int cyBottomEdge = 0;
    // The style bits of the bars are hidden for a moment.
    bool bPreventStyleChange = false;

protected:
    // The drop-down list handler answers True while its list is closed: it keeps the mouse
    // captured when a click on its bars ends, and the click does not reach the list.
    virtual bool ClosedDropDownList() const { return false; }

private:
    bool Skinned() const;
    bool HandleSkinCommand(TMessage& Message);
    bool HandleWindowMessage(TMessage& Message);
    void ScrollNCCalcSize(TMessage& Message);
    void NCHitTest(TMessage& Message);
    void NCPaint(TMessage& Message);
    void NCMouseMove(TMessage& Message);
    bool NCLButtonDown(TMessage& Message);
    void MouseMove(TMessage& Message);
    void LButtonUp(TMessage& Message);
    void CaptureChanged(TMessage& Message);
    // A click or drag on this window's bars is under way.
    bool Tracking() const;
    // Ends it with the scroll messages of a button release.
    void EndTracking(bool ReleaseMouse);
    void Timer(TMessage& Message);
    void HoverPoll(TPoint Cursor);
    void RepeatStep(TPoint Position);
    void TrackPressed(TPoint Position);
    void DragStep(TPoint Position);
    // Paints the bar into the window at once.
    void PaintBarNow(int Which, int ThumbPos = -1, int ThumbState = -1);
};

// ReleaseHandler for a scroll handler: the owners of one (skinned scroll boxes, frames, the form
// provider) let it go while handling a message that came through it.
inline void ReleaseHandler(TacScrollWnd*& Handler) {
    TacMainWnd* doomed = Handler;
    Handler = nullptr;
    ReleaseHandler(doomed);
}

// The mouse state of the skinned bars: one set for the thread, as only one bar can have the
// mouse captured at a time. Rectangles are in screen coordinates; portions are sp* values.
struct TacScrollTracking {
    HWND CurrentWnd = nullptr;     // the last window the mouse moved or clicked on a bar of
    int HotBar = -1;               // the bar under the mouse, SB_HORZ or SB_VERT
    int HotPortion = spNone;       // the part of it under the mouse
    int LastHotPortion = spNone;   // the part painted hot last
    TRect HoverRect{0, 0, 0, 0};   // the hot bar
    UINT_PTR HoverTimer = 0;       // running hover poll, 0: none
    int TrackBar = -1;             // the bar clicked or dragged
    int TrackPortion = spNone;     // the part clicked
    int PressedPortion = spNone;   // drawn pressed; spNone while the mouse is off it
    UINT ScrollMsg = 0;            // WM_HSCROLL or WM_VSCROLL for the tracked bar
    UINT_PTR ScrollTimer = 0;      // running repeat timer, 0: none
    int LastPos = -1;              // the last position a drag sent
    int ThumbSize = 0;             // the thumb's length when the drag began
    int DragThumbPos = 0;          // its start along the bar, screen coordinates
    int ThumbMouseOffset = 0;      // the mouse's distance from that start
    TRect ThumbBounds{0, 0, 0, 0}; // the dragged bar
};
extern TacScrollTracking ScrollTracking;

// Ends whatever mouse state the bars of Wnd are in: their timers stop, the capture goes, the
// shared state forgets the window. Detaching a scroll handler calls it.
void StopScrollTracking(HWND Wnd);

// Attaches a scroll handler (TacMainWnd's attach for the TacScrollWnd branch): both bars read,
// the left-scroll-bar style noted, the bars that the style has marked; Repaint recomputes the
// frame at once.
void InstallScrollHandler(TacScrollWnd* Handler, HWND Wnd, bool Repaint);
// Skinned window: makes the handler when there is none (a detached one is replaced) and
// switches comctl32's flat scroll bars off. Unskinned: releases it and switches them back on.
// Nothing while the owner control loads, is destroyed or designed.
void AttachScrollWnd(TsCommonData* Data, TacScrollWnd*& ScrollWnd);
// Re-reads both bars' scroll data and repaints them (into the window's own DC) when asked;
// nothing for null or while the handler's link is updating.
void RefreshScrollBars(TacScrollWnd* ScrollWnd, bool Repaint);
// Calls comctl32's flat-scroll-bar switch by name; False when the system has none.
bool InitializeFlatScrollBars(HWND Wnd);
bool UninitializeFlatScrollBars(HWND Wnd);
// The bar of Wnd's scroll handler: Bar 0 horizontal, 1 vertical; null otherwise.
TacScrollBar* ScrollBarOf(HWND Wnd, int Bar);
// Sets the minimum thumb length of bar 0, 1 or (3) both; False when Wnd has no scroll handler.
bool SetMinThumbSize(HWND Wnd, int Bar, int Size);

// ---- geometry and hit testing (screen coordinates) ----

// The bar's thickness (Thickness) or its arrow length; UseSkin lets the skin's button size
// lengthen the arrows. 0 for a bar that is neither horizontal nor vertical.
int GetScrollMetric(const TacScrollBar& Bar, bool Thickness, bool UseSkin);
// The horizontal and the vertical bar of the handler's window; empty across a hidden bar.
TRect GetHScrollRect(const TacScrollWnd& ScrollWnd);
TRect GetVScrollRect(const TacScrollWnd& ScrollWnd);
TRect GetScrollRect(const TacScrollWnd& ScrollWnd, int Bar);
// The thumb in a bar lying at R: its start along the bar and its length.
struct TacThumb {
    int Pos;
    int Size;
};
TacThumb GetThumbPosSize(const TacScrollBar& Bar, const TRect& R);
// The part of the bar lying at R under P.
int ScrollHitTest(const TacScrollBar& Bar, const TRect& R, TPoint P);
// The corner between the two bars takes a size grip: a top-level window, or a child of a
// top-level window lying in its client area's bottom-right (bottom-left) corner.
bool HasSizeGrip(const TacScrollWnd& ScrollWnd);
// The range can scroll: nMax at least the page, above nMin and not 0.
bool IsScrollInfoValid(const SCROLLINFO& Info);
// The bar can be used (the system's state of it, else the style).
bool IsScrollbarActive(const TacScrollBar& Bar);

// ---- output ----

// Sends Msg (WM_HSCROLL or WM_VSCROLL) with scroll code Code to Wnd between skin commands 51
// and 52. A window answering 1 to command 51 gets the whole position in LParam; any other
// window a 16-bit position in WParam, and for a thumb track the position is stored first.
void SendScrollMessage(HWND Wnd, UINT Msg, int Code, int Pos);
// Paints both visible bars and the corner between them into DC (window coordinates; null: the
// window's own DC). Nothing while the handler's link is updating or its skin is not active.
void PaintScrollBars(TacScrollWnd* ScrollWnd, HWND Wnd, HDC DC = nullptr);
// Paints one bar (SB_HORZ or SB_VERT) into DC (window coordinates) with the part Pressed drawn
// pressed. ThumbPos (pixels from the bar's start) and ThumbState replace the thumb's own when not
// -1; without them nothing is painted while the thumb is dragged.
void PaintScrollBar(TacScrollWnd& ScrollWnd, int Which, HDC DC, int Pressed, int ThumbPos = -1,
                    int ThumbState = -1);
