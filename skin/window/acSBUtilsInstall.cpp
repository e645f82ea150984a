// Attaching a handler to its window and detaching it: the window mark, the class-library
// control's method chain or the raw window's procedure, and the frame refresh.
#include "framework/ObjectInstances.h"
#include "skin/window/acSBUtils.h"
#include "skin/window/sSkinProvider.h"

namespace {

constexpr const wchar_t* HandlerProp = L"ACSBSC";

TsSkinProvider* ProviderOf(const TacMainWnd* Handler) {
    return dynamic_cast<TsSkinProvider*>(Handler->SkinData->Owner());
}

// The control whose method chain the handler joins: the provider's form, else the link's
// owner control; null for a raw window.
TControl* ChainOwnerOf(const TacMainWnd* Handler) {
    if (TsSkinProvider* provider = ProviderOf(Handler)) return provider->Form();
    return Handler->SkinData->FOwnerControl;
}

} // namespace

void InstallHandler(TacMainWnd* Handler, HWND Wnd) {
    Handler->DontRepaint = false;
    Handler->CtrlHandle = Wnd;
    SetPropW(Wnd, HandlerProp, Handler);
    const TWndMethod method(Handler, &TacMainWnd::HandlerWndProc);
    if (TControl* control = ChainOwnerOf(Handler)) {
        Handler->OldWndProc = control->WindowProc();
        control->SetWindowProc(method);
        return;
    }
    Handler->OldProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC));
    Handler->NewWndProcInstance = MakeObjectInstance(method);
    SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Handler->NewWndProcInstance));
}

void UninstallHandler(HWND Wnd, bool FreeHandler, bool FrameChanged, TacMainWnd*& Handler) {
    if (!Handler) return;
    if (!Handler->Destroyed) {
        if (Handler->OldWndProc) {
            if (TControl* control = ChainOwnerOf(Handler))
                control->SetWindowProc(Handler->OldWndProc);
        } else if (Handler->OldProc) {
            SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Handler->OldProc));
            // Safe inside a message the instance itself dispatches: it is recycled only after.
            FreeObjectInstance(Handler->NewWndProcInstance);
            Handler->NewWndProcInstance = nullptr;
        }
        RemovePropW(Wnd, HandlerProp);
        // Timers and the capture of a scroll handler's bars would outlive it otherwise.
        if (dynamic_cast<TacScrollWnd*>(Handler)) StopScrollTracking(Wnd);
        Handler->RestoreStdParams();
        if (IsWindowVisible(Wnd)) RefreshFrame(Wnd, FrameChanged);
        Handler->Destroyed = true;
    }
    if (FreeHandler) {
        Handler->OldProc = nullptr;
        Handler->OldWndProc = TWndMethod();
        ReleaseHandler(Handler);
    }
}

void DetachHandler(HWND Wnd, bool FreeHandler, bool FrameChanged, TacMainWnd*& Handler) {
    // Raw windows are restored as well: freeing the handler of a window that still calls its
    // object instance would leave the window calling into freed memory. A scroll handler's bars
    // are part of it and go with it.
    UninstallHandler(Wnd, FreeHandler, FrameChanged, Handler);
}

void RefreshFrame(HWND Wnd, bool FrameChanged) {
    if (FrameChanged)
        SetWindowPos(Wnd, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    else
        SendMessageW(Wnd, WM_NCPAINT, 1, 0);
}

TacMainWnd* HandlerOfWindow(HWND Wnd) {
    return static_cast<TacMainWnd*>(GetPropW(Wnd, HandlerProp));
}
