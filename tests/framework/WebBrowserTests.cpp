// The browser pane. The tests run with the HTML engine disabled, so the pane must stay empty,
// quietly, and still come and go cleanly. With the engine check replaced, the browser control
// comes up without its engine, which is enough to see it hosted in place, sized and taken down.
#include "framework/WebBrowser.h"

#include "MessageLoopTesting.h"
#include "TestThread.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

template <class T> using TOwned = std::unique_ptr<T, graphics_detail::TFreeObject>;

// A hidden top-level control to hold the pane: no form, no application.
TOwned<TCustomControl> MakeHost() {
    TOwned<TCustomControl> host(new TCustomControl(nullptr));
    host->SetVisible(false);
    host->SetBounds(20, 20, 320, 200);
    return host;
}

// Lets the pane host the control as though the engine were there.
class TEngineStandIn {
public:
    TEngineStandIn() : FSaved(web_browser_detail::EngineInstalled) {
        web_browser_detail::EngineInstalled = +[]() noexcept { return true; };
    }
    ~TEngineStandIn() { web_browser_detail::EngineInstalled = FSaved; }
    TEngineStandIn(const TEngineStandIn&) = delete;
    TEngineStandIn& operator=(const TEngineStandIn&) = delete;

private:
    bool (*FSaved)() noexcept;
};

// The browser control's own window inside the pane; null when there is none.
HWND BrowserWindow(HWND pane) { return GetWindow(pane, GW_CHILD); }

TSize WindowSize(HWND wnd) {
    RECT rect{};
    GetWindowRect(wnd, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

TEST(WebBrowser, EmptyPaneOnAParentWindowWithoutTheEngine) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    const bool engine = web_browser_detail::ProbeEngine();
    OleUninitialize();
    ASSERT_FALSE(engine) << "the tests expect the HTML engine disabled";
    auto host = MakeHost();
    TOwned<TWebBrowser> browser(new TWebBrowser(nullptr));
    browser->SetParentWindow(host->Handle());
    browser->SetBounds(0, 0, 300, 180);

    ASSERT_NO_THROW(browser->HandleNeeded());
    const HWND pane = browser->Handle();
    EXPECT_EQ(GetParent(pane), host->Handle());
    EXPECT_FALSE(browser->Available());
    EXPECT_EQ(BrowserWindow(pane), nullptr);
    EXPECT_NO_THROW(browser->Navigate(L"http://127.0.0.1:9/index.html"));
    EXPECT_FALSE(browser->Available());
    EXPECT_NO_THROW(browser->SetBounds(0, 0, 200, 100));
    EXPECT_NO_THROW(browser->RecreateWnd());
    EXPECT_TRUE(browser->HandleAllocated());
    EXPECT_FALSE(browser->Available());

    const HWND recreated = browser->Handle();
    browser.reset();
    EXPECT_FALSE(IsWindow(recreated));
    DrainMessages();
}

TEST(WebBrowser, FreedWithTheControlItIsPlacedOn) {
    auto host = MakeHost();
    auto* browser = new TWebBrowser(nullptr);
    browser->SetParent(host.get());
    browser->Navigate(L"http://127.0.0.1:9/"); // before any window: only remembered
    host->HandleNeeded();
    ASSERT_TRUE(browser->HandleAllocated());
    EXPECT_FALSE(browser->Available());

    const HWND pane = browser->Handle();
    host.reset(); // frees the pane too
    EXPECT_FALSE(IsWindow(pane));
    DrainMessages();
}

TEST(WebBrowser, HostsTheControlInPlaceAndSizesItWithThePane) {
    TEngineStandIn engine;
    auto host = MakeHost();
    TOwned<TWebBrowser> browser(new TWebBrowser(nullptr));
    browser->SetParentWindow(host->Handle());
    browser->SetBounds(0, 0, 300, 180);
    browser->HandleNeeded();
    ASSERT_TRUE(browser->Available());
    const HWND inner = BrowserWindow(browser->Handle());
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(WindowSize(inner).cx, 300);
    EXPECT_EQ(WindowSize(inner).cy, 180);

    browser->SetBounds(0, 0, 200, 100);
    EXPECT_EQ(WindowSize(inner).cx, 200);
    EXPECT_EQ(WindowSize(inner).cy, 100);
    EXPECT_NO_THROW(browser->Navigate(L"about:blank"));

    browser->RecreateWnd();
    EXPECT_FALSE(IsWindow(inner));
    EXPECT_TRUE(browser->Available());
    const HWND again = BrowserWindow(browser->Handle());
    EXPECT_NE(again, nullptr);

    browser.reset();
    EXPECT_FALSE(IsWindow(again));
    DrainMessages();
}

// OLE is initialised per thread and counted: a pane that failed to start the browser must still
// leave the thread as it found it. A fresh thread starts without COM, so once the pane is gone
// the thread must be free to join the multithreaded apartment.
TEST(WebBrowser, LeavesTheThreadsOleStateAsItFoundIt) {
    for (const bool standIn : {false, true}) {
        SCOPED_TRACE(standIn ? "control hosted" : "empty pane");
        std::unique_ptr<TEngineStandIn> engine(standIn ? new TEngineStandIn : nullptr);
        HRESULT joined = E_UNEXPECTED;
        bool available = !standIn;
        TTestThread thread([&] {
            {
                auto host = MakeHost();
                TOwned<TWebBrowser> browser(new TWebBrowser(nullptr));
                browser->SetParentWindow(host->Handle());
                browser->HandleNeeded();
                available = browser->Available();
            }
            joined = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            if (SUCCEEDED(joined)) CoUninitialize();
            DrainMessages();
        });
        ASSERT_EQ(thread.Wait(30000), WAIT_OBJECT_0);
        EXPECT_EQ(available, standIn);
        EXPECT_EQ(joined, S_OK);
    }
}

} // namespace
