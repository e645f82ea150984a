// Skinned scroll bars of a windowed control, as the skinned controls use them. The handler
// (`TacScrollWnd`) exists only while the control is skinned; for an unskinned control the
// system's flat scroll bars are switched back on. This build has no skin, so only the unskinned
// branch is reachable: AttachScrollWnd frees a handler and re-initialises the flat scroll bars.
#pragma once

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
// comctl32's InitializeFlatSB for the window (bound by name; nothing when the system lacks it).
void AttachScrollWnd(TsCommonData* Data, TacScrollWnd*& ScrollWnd);
// Re-reads both bars' ranges and positions, repainting when asked; nothing for null.
void RefreshScrollBars(TacScrollWnd* ScrollWnd, bool Repaint);
// Calls comctl32's flat-scroll-bar switch by name; False when the system has none.
bool InitializeFlatScrollBars(HWND Wnd);
bool UninitializeFlatScrollBars(HWND Wnd);
