// The browser pane: starting the hosted browser control when the pane's window is made, keeping
// it the size of the pane, opening the remembered address, and taking it down before the window
// goes. Any failure on the way up takes down what was built and leaves an empty pane: the
// browser is a convenience, and a system without it must still run the program.
#include "framework/WebBrowser.h"

#include "framework/Conversions.h"

#include <oleauto.h>

#include <memory>

namespace {

struct TFreeString {
    void operator()(OLECHAR* text) const noexcept { SysFreeString(text); }
};
using TOwnedBSTR = std::unique_ptr<OLECHAR, TFreeString>;

// The HTML document class of the system's engine.
constexpr CLSID HtmlDocumentClass = GUIDFromText("{25336920-03F9-11CF-8FD0-00AA00686F13}");

// Leaves the pane empty: the reason goes to the debugger output, never to the user.
bool Declined(const UnicodeString& reason) {
    OutputDebugStringW((L"The browser pane stays empty: " + reason + L"\n").c_str());
    return false;
}

bool Failed(const wchar_t* api, HRESULT result) {
    return Declined(UnicodeString(api) + L" failed (0x" + IntToHex(result, 8) + L")");
}

} // namespace

bool web_browser_detail::ProbeEngine() noexcept {
    TComPtr<IClassFactory> factory;
    return SUCCEEDED(CoGetClassObject(HtmlDocumentClass, CLSCTX_INPROC_SERVER, nullptr,
                                      IID_IClassFactory, reinterpret_cast<void**>(factory.Put())));
}

bool (*web_browser_detail::EngineInstalled)() noexcept = &web_browser_detail::ProbeEngine;

TWebBrowser::TWebBrowser(TComponent* AOwner) : TWinControl(AOwner) {}

TWebBrowser::~TWebBrowser() { FreeBrowser(); }

void TWebBrowser::Navigate(const UnicodeString& url) {
    FURL = url;
    OpenURL();
}

void TWebBrowser::CreateWnd() {
    TWinControl::CreateWnd();
    if (!StartBrowser()) {
        FreeBrowser();
        return;
    }
    OpenURL();
}

void TWebBrowser::DestroyWnd() {
    FreeBrowser();
    TWinControl::DestroyWnd();
}

void TWebBrowser::WndProc(TMessage& Message) {
    TWinControl::WndProc(Message);
    if (Message.Msg == WM_SIZE) FitBrowser();
}

// Each step needs the one before; FBrowser is set last, so that Available() means "activated".
bool TWebBrowser::StartBrowser() {
    HRESULT result = OleInitialize(nullptr); // S_FALSE (already initialised) is counted too
    if (FAILED(result)) return Failed(L"OleInitialize", result);
    FOleInitialized = true;
    if (!web_browser_detail::EngineInstalled())
        return Declined(L"the HTML engine is not installed");
    result = CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(FObject.Put()));
    if (FAILED(result)) return Failed(L"CoCreateInstance", result);
    return ActivateBrowser();
}

bool TWebBrowser::ActivateBrowser() {
    FSite = Construct<TWebBrowserSite>(Handle());
    IOleClientSite* site = FSite.Get();
    HRESULT result = FObject->SetClientSite(site);
    if (FAILED(result)) return Failed(L"IOleObject::SetClientSite", result);
    RECT client{};
    GetClientRect(Handle(), &client);
    result = FObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, Handle(), &client);
    if (FAILED(result)) return Failed(L"IOleObject::DoVerb", result);
    TComPtr<IWebBrowser2> browser;
    result = FObject->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(browser.Put()));
    if (FAILED(result)) return Failed(L"QueryInterface(IWebBrowser2)", result);
    FBrowser = browser;
    return true;
}

// Closing deactivates the control; it then lets go of our site, and we of it.
void TWebBrowser::FreeBrowser() noexcept {
    FBrowser.Reset();
    if (FObject) {
        FObject->Close(OLECLOSE_NOSAVE);
        FObject->SetClientSite(nullptr);
        FObject.Reset();
    }
    if (FSite) {
        FSite->Detach();
        FSite.Reset();
    }
    if (FOleInitialized) {
        FOleInitialized = false;
        OleUninitialize();
    }
}

void TWebBrowser::FitBrowser() {
    if (!FBrowser) return;
    TComPtr<IOleInPlaceObject> inPlace;
    if (FAILED(FObject->QueryInterface(IID_IOleInPlaceObject,
                                       reinterpret_cast<void**>(inPlace.Put()))))
        return;
    RECT client{};
    GetClientRect(Handle(), &client);
    inPlace->SetObjectRects(&client, &client);
}

// A refused address leaves the page as it was; the browser shows its own error pages.
void TWebBrowser::OpenURL() {
    if (!FBrowser || FURL.empty()) return;
    TOwnedBSTR url(SysAllocString(FURL.c_str()));
    if (!url) return;
    VARIANT empty;
    VariantInit(&empty);
    FBrowser->Navigate(url.get(), &empty, &empty, &empty, &empty);
}
