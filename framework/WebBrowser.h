// TWebBrowser: a pane that hosts the system's web-browser control in place and shows a page.
//
// The browser is an in-process ActiveX control. When the pane's window is made, it initialises
// OLE on the GUI thread, creates the control by its class identifier, gives it a client site of
// ours (the site, the in-place site and the in-place frame in one small object) and activates it
// in place in the pane's window; it is sized with the pane. When the window goes, the control is
// closed, loses its site and is released, and OLE is uninitialised as often as it was
// initialised.
//
// Failing quietly is part of the contract: a system without the browser control, or without the
// HTML engine behind it, gives an empty pane. The engine is probed before the control is made,
// because the control may come up without it and would then show nothing at all. Available()
// then answers false and Navigate only remembers the address; nothing is raised and nothing is
// shown to the user (the reason goes to the debugger output). The address is opened when the
// browser comes up, and again after the window is made anew (RecreateWnd).
//
// Declared here: TWebBrowser, and TWebBrowserSite, the container side that the control calls.
//
// Threads: the GUI thread that owns the pane's window, which OLE requires to be apartment
// threaded.
#pragma once

#include "framework/Controls.h"
#include "framework/Interfaces.h"

#include <exdisp.h>
#include <oleidl.h>

// What the browser control sees of its container: the client site, the in-place site and the
// in-place frame, all of them the pane's window. It offers no menus, tool space, undo or
// document window, which the control then does without. Once detached (the pane is going) it
// answers no window and refuses activation. Its methods only read the window's geometry and
// cannot raise, so no exception can cross back into the control.
class TWebBrowserSite
    : public TImplements<TInterfacedObject, IOleClientSite, IOleInPlaceSite, IOleInPlaceFrame> {
public:
    explicit TWebBrowserSite(HWND host) : FHost(host) {}
    void Detach() noexcept { FHost = nullptr; }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow, through both the in-place site and the frame
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* wnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return FHost ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                               LPRECT position, LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    // The control keeps the pane's client area; the pane resizes it with itself.
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
        return INPLACE_E_NOTOOLSPACE;
    }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) override {
        return widths ? INPLACE_E_NOTOOLSPACE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override {
        return S_OK;
    }

    // IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

protected:
    void* GetInterface(REFIID iid) override;

private:
    HWND FHost;
};

namespace web_browser_detail {
// Whether the HTML engine is installed (its document class can be loaded); called on the GUI
// thread with OLE initialised. Tests replace it to host the control without its engine.
extern bool (*EngineInstalled)() noexcept;
bool ProbeEngine() noexcept;
} // namespace web_browser_detail

class TWebBrowser : public TWinControl {
    CLASS_INFO(TWebBrowser, TWinControl)
public:
    explicit TWebBrowser(TComponent* AOwner);
    ~TWebBrowser() override;

    // The browser control runs in the pane (its window exists and activation succeeded).
    bool Available() const noexcept { return static_cast<bool>(FBrowser); }
    // Opens the address in the pane; only remembered while the browser is not available.
    void Navigate(const UnicodeString& url);

protected:
    void CreateWnd() override;
    void DestroyWnd() override;
    void WndProc(TMessage& Message) override;

private:
    bool StartBrowser();
    bool ActivateBrowser();
    void FreeBrowser() noexcept;
    void FitBrowser();
    void OpenURL();

    bool FOleInitialized = false;
    TComPtr<TWebBrowserSite> FSite;
    TComPtr<IOleObject> FObject;
    TComPtr<IWebBrowser2> FBrowser; // set only once activation has succeeded
    UnicodeString FURL;
};
