// The dialog handler and the popup-menu handlers the hook makes: their life and their place in
// the hook's lists.
#include "skin/window/acDials.h"

#include "framework/Application.h"
#include "framework/SystemInfo.h"
#include "skin/engine/sConst.h"

std::vector<TacMnuWnd*> MnuArray;

void ClearMnuArray() { MnuArray.clear(); }

// ---- the dialog handler -----------------------------------------------------------------------

TacDialogWnd::TacDialogWnd(HWND AHandle, TsCommonData* ASkinData, TsSkinManager* ASkinManager,
                           const UnicodeString& SkinSection, bool Repaint)
    : TacMainWnd(AHandle, ASkinData, ASkinManager, SkinSection, Repaint),
      FWMPaintForbidden(Win32MajorVersion() > 5) {}

void TacDialogWnd::InitParams() {
    dwStyle = GetWindowLongW(CtrlHandle, GWL_STYLE);
    dwExStyle = GetWindowLongW(CtrlHandle, GWL_EXSTYLE);
    const DWORD style = static_cast<DWORD>(dwStyle);
    if ((style & WS_POPUP) && (style & WS_CAPTION) != WS_CAPTION)
        BorderStyle = acbsNone;
    else if (style & WS_THICKFRAME)
        BorderStyle = acbsSizeable;
    else if (style & DS_MODALFRAME)
        BorderStyle = acbsDialog;
    else
        BorderStyle = acbsSizeable;
}

void CreateDialogHandler(HWND Wnd, TacDialogWnd*& Handler) {
    const auto release = [&Handler] {
        TacMainWnd* doomed = Handler;
        Handler = nullptr;
        ReleaseHandler(doomed);
    };
    if (!DefaultSkinManager || !DefaultSkinManager->Active()) {
        release();
        InitializeFlatScrollBars(Wnd);
        return;
    }
    UninitializeFlatScrollBars(Wnd);
    if (Handler && Handler->Destroyed) release();
    if (Handler) return;
    Handler = Construct<TacDialogWnd>(Wnd, nullptr, DefaultSkinManager, L"DIALOG", false);
    Handler->CtrlHandle = Wnd;
}

// ---- the popup-menu handlers ------------------------------------------------------------------

void TacMnuWnd::acWndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_DESTROY:
    case WM_NCDESTROY: {
        RgnChanged = 0;
        const HWND wnd = CtrlHandle;
        for (TacMnuWnd*& slot : MnuArray)
            if (slot && slot->CtrlHandle == wnd) slot = nullptr;
        PassOn(Message);
        if ((OldProc || OldWndProc) && !Destroyed) {
            // Freed once this message has returned; nothing of the handler is touched below.
            TacMainWnd* self = this;
            UninstallHandler(wnd, true, false, self);
        }
        bool menusLeft = false;
        for (TacMnuWnd* menu : MnuArray) {
            if (!menu) continue;
            menusLeft = true;
            RedrawWindow(menu->CtrlHandle, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
        }
        if (!menusLeft) ClearMnuArray();
        return;
    }
    case SM_ALPHACMD:
        switch (SkinCommandOf(Message.WParam)) {
        case SKCMD_ISSKINNED: Message.Result = 1; break;
        case SKCMD_SETUPDATING: Message.Result = 0; break;
        case SKCMD_MENUBORDERDRAWN:
            if (IsWindowVisible(CtrlHandle)) RgnChanged = 1;
            break;
        case SKCMD_GETAPPLICATION: Message.Result = reinterpret_cast<LRESULT>(Application); break;
        default: break;
        }
        return;
    default: TacMainWnd::acWndProc(Message);
    }
}
