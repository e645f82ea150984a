// Giving a window skinned scroll bars and taking them away: the scroll handler's attach, the
// skinned controls' entry point, refreshing the bars, and comctl32's flat-scroll-bar switches,
// which the library binds by name at its start-up.
#include "skin/window/acSBUtils.h"

#include "skin/engine/sSkinLibrary.h"

namespace {

void ReadBar(HWND Wnd, TacScrollBar& Bar) {
    Bar.ScrollInfo.cbSize = sizeof(SCROLLINFO);
    Bar.ScrollInfo.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    GetScrollInfo(Wnd, Bar.nBarType, &Bar.ScrollInfo);
}

} // namespace

bool InitializeFlatScrollBars(HWND Wnd) {
    return InitializeFlatSBProc && InitializeFlatSBProc(Wnd);
}

bool UninitializeFlatScrollBars(HWND Wnd) {
    return UninitializeFlatSBProc && UninitializeFlatSBProc(Wnd);
}

void InstallScrollHandler(TacScrollWnd* Handler, HWND Wnd, bool Repaint) {
    Handler->DontRepaint = false;
    Handler->CtrlHandle = Wnd;
    const LONG style = GetWindowLongW(Wnd, GWL_STYLE);
    for (int which : {SB_HORZ, SB_VERT}) {
        TacScrollBar& bar = Handler->Bar(which);
        bar.sw = Handler;
        bar.nBarType = static_cast<Word>(which);
        bar.nArrowLength = -1;
        bar.nArrowWidth = -1;
        bar.fScrollFlags =
            (style & (which == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) ? sfStyleHasBar : 0;
        ReadBar(Wnd, bar);
    }
    Handler->fLeftScrollbar = (GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
    Handler->bPreventStyleChange = false;
    InstallHandler(Handler, Wnd);
    SetMinThumbSize(Wnd, 3, DefaultMinThumbSize);
    if (Repaint) RefreshFrame(Wnd, true);
}

void AttachScrollWnd(TsCommonData* Data, TacScrollWnd*& ScrollWnd) {
    auto* control = dynamic_cast<TWinControl*>(Data->FOwnerControl);
    if (!control) return;
    const TComponentState state = control->ComponentState();
    if (state.Contains(csLoading) || state.Contains(csDestroying) || state.Contains(csDesigning))
        return;
    // The handler may be the very one dispatching the message that brought us here: it is
    // released, so that it goes only when that message is done with it.
    TacMainWnd* old = ScrollWnd;
    if (Data->Skinned(true)) {
        HWND wnd = control->Handle();
        UninitializeFlatScrollBars(wnd);
        if (old && old->Destroyed) {
            ScrollWnd = nullptr;
            ReleaseHandler(old);
        }
        if (!ScrollWnd)
            ScrollWnd =
                Construct<TacScrollWnd>(wnd, Data, Data->SkinManager(), Data->SkinSection());
        return;
    }
    ScrollWnd = nullptr;
    ReleaseHandler(old);
    if (control->HandleAllocated()) InitializeFlatScrollBars(control->Handle());
}

void RefreshScrollBars(TacScrollWnd* ScrollWnd, bool Repaint) {
    if (!ScrollWnd || ScrollWnd->Destroyed || ScrollWnd->SkinData->Updating()) return;
    ReadBar(ScrollWnd->CtrlHandle, ScrollWnd->sBarHorz);
    ReadBar(ScrollWnd->CtrlHandle, ScrollWnd->sBarVert);
    if (Repaint && !FormAnimating) PaintScrollBars(ScrollWnd, ScrollWnd->CtrlHandle);
}

TacScrollBar* ScrollBarOf(HWND Wnd, int Bar) {
    auto* handler = dynamic_cast<TacScrollWnd*>(HandlerOfWindow(Wnd));
    if (!handler || (Bar != SB_HORZ && Bar != SB_VERT)) return nullptr;
    return &handler->Bar(Bar);
}

bool SetMinThumbSize(HWND Wnd, int Bar, int Size) {
    auto* handler = dynamic_cast<TacScrollWnd*>(HandlerOfWindow(Wnd));
    if (!handler) return false;
    if (Bar == SB_HORZ || Bar == 3) handler->sBarHorz.nMinThumbSize = Size;
    if (Bar == SB_VERT || Bar == 3) handler->sBarVert.nMinThumbSize = Size;
    return true;
}
