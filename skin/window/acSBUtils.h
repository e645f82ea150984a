// Skinned scroll bars of a windowed control, as the skinned controls use them. The handler
// (`TacScrollWnd`) exists only while the control is skinned; for an unskinned control the
// system's flat scroll bars are switched back on. This build has no skin, so only the unskinned
// branch is reachable: AttachScrollWnd frees a handler and re-initialises the flat scroll bars.
#pragma once

#include "framework/HiddenWindows.h"
#include "skin/engine/sCommonData.h"

// The skinned-scroll-bar handler of one window: the state of its two bars.
class TacScrollWnd : public TObject {
    CLASS_INFO(TacScrollWnd, TObject)
public:
    struct TScrollBarState {
        bool fScrollVisible = false;
        SCROLLINFO ScrollInfo{sizeof(SCROLLINFO)};
    };
    explicit TacScrollWnd(HWND Wnd) : FWnd(Wnd) {}
    HWND Wnd() const noexcept { return FWnd; }
    TScrollBarState sBarVert;
    TScrollBarState sBarHorz;

private:
    HWND FWnd;
};

// Skinned window: makes the handler when there is none. Unskinned: frees it and calls
// comctl32's InitializeFlatSB for the window (bound at the library's start-up; nothing when the
// system lacks it).
void AttachScrollWnd(TsCommonData* Data, TacScrollWnd*& ScrollWnd);
// Re-reads both bars' ranges and positions, repainting when asked; nothing for null.
void RefreshScrollBars(TacScrollWnd* ScrollWnd, bool Repaint);
// Calls comctl32's flat-scroll-bar switch by name; False when the system has none.
bool InitializeFlatScrollBars(HWND Wnd);
bool UninitializeFlatScrollBars(HWND Wnd);

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
