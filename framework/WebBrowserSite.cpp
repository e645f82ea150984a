// The container side of the hosted browser control: the pane's window as the control's client
// site, in-place site and in-place frame. The control asks for the window, the rectangles it
// may use and the frame; everything else a container may offer (monikers, menus, tool space,
// undo) is declined, which the protocol allows.
#include "framework/WebBrowser.h"

HRESULT STDMETHODCALLTYPE TWebBrowserSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TWebBrowserSite::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TWebBrowserSite::GetWindow(HWND* wnd) {
    if (!wnd) return E_POINTER;
    *wnd = FHost;
    return FHost ? S_OK : E_FAIL;
}

// The frame is this object; there is no separate document window. The control occupies the
// whole client area and is clipped to it.
HRESULT STDMETHODCALLTYPE TWebBrowserSite::GetWindowContext(IOleInPlaceFrame** frame,
                                                            IOleInPlaceUIWindow** doc,
                                                            LPRECT position, LPRECT clip,
                                                            LPOLEINPLACEFRAMEINFO info) {
    if (!frame || !doc || !position || !clip || !info) return E_POINTER;
    *doc = nullptr;
    *frame = nullptr;
    if (!FHost) return E_FAIL;
    *frame = this;
    AddRef();
    GetClientRect(FHost, position);
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = GetAncestor(FHost, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

// IOleWindow and IOleInPlaceUIWindow are bases of the listed interfaces, which the generic
// lookup answers only by their own identifiers.
void* TWebBrowserSite::GetInterface(REFIID iid) {
    if (iid == IID_IOleWindow) return static_cast<IOleWindow*>(static_cast<IOleInPlaceSite*>(this));
    if (iid == IID_IOleInPlaceUIWindow) return static_cast<IOleInPlaceUIWindow*>(this);
    return TImplements::GetInterface(iid);
}
