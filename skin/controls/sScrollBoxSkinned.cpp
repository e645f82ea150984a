// TsScrollBox's skinned stage: the skin commands it answers itself once skinned, the focus
// bracket and the scroll-bar bookkeeping after the inherited procedure. Reached only while a
// manager gives the section a valid index; the cached skin painting comes with the skin engine.
#include "skin/controls/sScrollBox.h"

#include "skin/controls/sSkinnedControl.h"

void TsScrollBox::SkinnedWndProc(TMessage& Message) {
    if (Message.Msg == SM_ALPHACMD) {
        if (SkinCommand(Message) == SKCMD_QUERYUPDATING)
            Message.Result = BgNeedsCache(FCommonData.get()) && FCommonData->Updating();
        else
            HandleSkinCommand(Message, FCommonData.get());
        return;
    }
    switch (Message.Msg) {
    case CM_VISIBLECHANGED: FCommonData->BGChanged = true; break;
    case CM_ENTER:
    case CM_EXIT:
        FCommonData->BeginUpdate();
        TScrollingWinControl::WndProc(Message);
        FCommonData->EndUpdate();
        return;
    default: break;
    }
    HandleSkinnedMessage(Message, FCommonData.get());
    TScrollingWinControl::WndProc(Message);
    const bool refreshBars = !FCommonData->Updating() && AutoScroll();
    switch (Message.Msg) {
    case WM_SIZE: RedrawAll(RDW_ERASE); break;
    case WM_WINDOWPOSCHANGING:
    case WM_MOUSEWHEEL:
    case CM_CONTROLLISTCHANGE:
    case CM_CONTROLCHANGE:
        if (refreshBars) RefreshScrollBars(ListSW, true);
        break;
    case WM_PARENTNOTIFY:
        if (AutoScroll() &&
            (LOWORD(Message.WParam) == WM_CREATE || LOWORD(Message.WParam) == WM_DESTROY))
            RefreshScrollBars(ListSW, true);
        break;
    case CM_FOCUSCHANGED: RefreshScrollBars(ListSW, true); break;
    case CM_SHOWINGCHANGED: AttachScrollWnd(FCommonData.get(), ListSW); break;
    default: break;
    }
}
