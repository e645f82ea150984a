// What every skinned control shares: the module-level switches, the hint suspension around a
// held mouse button or a layout, the skin commands answered in any state, and the class
// library's mouse enter and leave events of the unskinned stage.
//
// The switches are plain process-wide variables of the GUI thread:
//   HintsSuspended      the application's hints are off (a mouse button held on a skinned
//                       button or splitter, or the frame bar rearranging);
//   SavedShowHint       Application->ShowHint as it was when they were switched off;
//   FadingSuspended     no control starts a fade (set while the frame bar rearranges);
//   MouseEnterSuspended the push button ignores the mouse entering (the same);
//   PressedPaint        the push button paints pressed whatever its state.
#pragma once

#include "skin/controls/RangeErrors.h"
#include "skin/engine/sCommonData.h"

extern bool HintsSuspended;
extern bool SavedShowHint;
extern bool FadingSuspended;
extern bool MouseEnterSuspended;
extern bool PressedPaint;

// Switches the application's hints off for `By` unless they are off already.
void SuspendHints(const void* By);
// Gives the hints back when `By` switched them off; nothing otherwise.
void RestoreHints(const void* By);
// The object that switched the hints off, null when they are on.
const void* HintsSuspender() noexcept;

// Commands 7 (answer 1) and 60 (answer the application): True when answered.
bool AnswerAnyStateCommand(TMessage& Message);
// The skin message came from the link's own manager (which exists).
bool FromOwnManager(const TMessage& Message, const TsCommonData* Data);
// The command of a skin message, 0 for any other message.
WORD SkinCommand(const TMessage& Message);

// The mouse entered or left this control itself (not one of its children).
bool MouseMessageForSelf(const TMessage& Message, const TControl* Self);
// Enabled and not designing: the control's mouse events may fire.
bool MouseEventsAllowed(const TControl* Self);

// A paint cycle of a window: BeginPaint when opened (Open False: none), EndPaint when it ends.
class TPaintCycle {
public:
    TPaintCycle(HWND Wnd, bool Open);
    ~TPaintCycle();
    TPaintCycle(const TPaintCycle&) = delete;
    TPaintCycle& operator=(const TPaintCycle&) = delete;
    // The cycle's DC; null when none was opened.
    HDC DC() const noexcept { return FWnd ? FPaint.hdc : nullptr; }

private:
    HWND FWnd;
    PAINTSTRUCT FPaint{};
};

// Runs Body with the window's redrawing switched off (WM_SETREDRAW), on again afterwards.
template <class Body> void WithoutRedraw(HWND Wnd, Body body) {
    SendMessageW(Wnd, WM_SETREDRAW, FALSE, 0);
    struct TOn {
        HWND Wnd;
        ~TOn() { SendMessageW(Wnd, WM_SETREDRAW, TRUE, 0); }
    } on{Wnd};
    body();
}

// DrawText on the canvas's DC in the canvas's font and font colour on a clear background (the
// canvas selects its font for its own drawing calls only); the DC's state is kept.
int CanvasDrawText(TCanvas* Canvas, const UnicodeString& Text, TRect& R, UINT Format);
