// The scroll-bar handler's attach and refresh, and comctl32's flat-scroll-bar switches, which
// the library binds by name at its start-up.
#include "skin/window/acSBUtils.h"

#include "skin/engine/sSkinLibrary.h"

namespace {

HWND WindowOf(TsCommonData* Data) {
    auto* control = dynamic_cast<TWinControl*>(Data->FOwnerControl);
    return control && control->HandleAllocated() ? control->Handle() : nullptr;
}

void ReadBar(HWND wnd, int bar, TacScrollWnd::TScrollBarState& state) {
    state.ScrollInfo.fMask = SIF_ALL;
    state.fScrollVisible =
        GetScrollInfo(wnd, bar, &state.ScrollInfo) &&
        (GetWindowLongW(wnd, GWL_STYLE) & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL));
}

} // namespace

bool InitializeFlatScrollBars(HWND Wnd) {
    return InitializeFlatSBProc && InitializeFlatSBProc(Wnd);
}

bool UninitializeFlatScrollBars(HWND Wnd) {
    return UninitializeFlatSBProc && UninitializeFlatSBProc(Wnd);
}

void AttachScrollWnd(TsCommonData* Data, TacScrollWnd*& ScrollWnd) {
    HWND wnd = WindowOf(Data);
    if (!wnd) return;
    if (Data->Skinned(true)) {
        if (ScrollWnd) return;
        UninitializeFlatScrollBars(wnd);
        ScrollWnd = new TacScrollWnd(wnd);
        RefreshScrollBars(ScrollWnd, false);
        return;
    }
    FreeAndNil(ScrollWnd);
    InitializeFlatScrollBars(wnd);
}

void RefreshScrollBars(TacScrollWnd* ScrollWnd, bool Repaint) {
    if (!ScrollWnd) return;
    ReadBar(ScrollWnd->Wnd(), SB_VERT, ScrollWnd->sBarVert);
    ReadBar(ScrollWnd->Wnd(), SB_HORZ, ScrollWnd->sBarHorz);
    if (Repaint) RedrawWindow(ScrollWnd->Wnd(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}
