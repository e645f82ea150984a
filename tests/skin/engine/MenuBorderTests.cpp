// The popup-menu border requests that reach the default manager's main-window hook: what is
// posted names the menu by handle and the item by command id, and what arrives is checked
// against the live menus and windows before the menu painter is given anything.
#include "SkinEngineTesting.h"

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Menus.h"

#include <tuple>
#include <vector>

namespace {

using TRequest = std::tuple<HWND, HMENU, UINT>;

class MenuBorderRequests : public SkinManagerTest {
protected:
    void SetUp() override {
        SkinManagerTest::SetUp();
        Form = Construct<TForm>(Application);
        Form->SetBounds(40, 40, 300, 200);
        Menu = Construct<TMainMenu>(Form);
        File = Item(Menu->Items(), L"File");
        Help = Item(Menu->Items(), L"Help");
        Item(File, L"Open");
        Form->SetMenu(Menu);
        Form->Show();
        Manager->SkinableMenus()->BorderPainter = [this](HWND Wnd, HMENU Menu, UINT ItemId) {
            Painted.emplace_back(Wnd, Menu, ItemId);
        };
    }
    void TearDown() override {
        Form->Free();
        SkinManagerTest::TearDown();
    }
    TMenuItem* Item(TMenuItem* Parent, const wchar_t* Caption) {
        auto* item = new TMenuItem(Menu);
        item->SetCaption(Caption);
        Parent->Add(item);
        return item;
    }
    bool Answer(UINT Msg, WPARAM WParam, LPARAM LParam) {
        TMessage message{Msg, WParam, LParam, 0};
        return Manager->HandleMainWindowMessage(message);
    }
    bool ItemAsks(HMENU Menu, UINT ItemId) {
        return Answer(SM_MENUITEMBORDER, reinterpret_cast<WPARAM>(Menu), ItemId);
    }

    TForm* Form = nullptr;
    TMainMenu* Menu = nullptr;
    TMenuItem* File = nullptr;
    TMenuItem* Help = nullptr;
    std::vector<TRequest> Painted;
};

// A live menu and item: the window under the menu's first item is painted. A removed item, a
// destroyed menu or a handle that never was a menu: nothing. Every request is answered.
TEST_F(MenuBorderRequests, AnItemsRequestReachesThePainterOnlyWhileMenuAndItemLive) {
    const HMENU bar = Menu->Handle();
    EXPECT_TRUE(ItemAsks(bar, File->Command()));
    ASSERT_EQ(Painted.size(), 1u);
    EXPECT_NE(std::get<0>(Painted[0]), nullptr);
    EXPECT_EQ(std::get<1>(Painted[0]), bar);
    EXPECT_EQ(std::get<2>(Painted[0]), File->Command());
    Painted.clear();

    const Word helpId = Help->Command();
    Menu->Items()->Remove(Help);
    EXPECT_TRUE(ItemAsks(bar, helpId));
    Help->Free();
    const HMENU loose = CreatePopupMenu();
    AppendMenuW(loose, MF_STRING, 77, L"Gone");
    DestroyMenu(loose);
    EXPECT_TRUE(ItemAsks(loose, 77));
    EXPECT_TRUE(ItemAsks(reinterpret_cast<HMENU>(0x1234), 1));
    EXPECT_TRUE(ItemAsks(nullptr, File->Command()));
    // An id of a sub-item is not the menu's own item.
    EXPECT_TRUE(ItemAsks(bar, File->Items(0)->Command()));
    EXPECT_TRUE(Painted.empty());
}

// A window's request is painted only for a live popup menu window.
TEST_F(MenuBorderRequests, AWindowsRequestReachesThePainterOnlyForALivePopupMenuWindow) {
    const HWND menuWindow = CreateWindowExW(WS_EX_TOOLWINDOW, L"#32768", L"", WS_POPUP, 0, 0, 50,
                                            50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(menuWindow, nullptr);
    const HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                       nullptr, nullptr);
    EXPECT_TRUE(Answer(SM_MENUWINDOWBORDER, 0, reinterpret_cast<LPARAM>(menuWindow)));
    EXPECT_EQ(Painted, (std::vector<TRequest>{{menuWindow, nullptr, 0}}));
    Painted.clear();
    EXPECT_TRUE(Answer(SM_MENUWINDOWBORDER, 0, reinterpret_cast<LPARAM>(other)));
    DestroyWindow(menuWindow);
    DestroyWindow(other);
    EXPECT_TRUE(Answer(SM_MENUWINDOWBORDER, 0, reinterpret_cast<LPARAM>(menuWindow)));
    EXPECT_TRUE(Painted.empty());
}

// Posted through the application window: one request at a time is pending, and an item freed
// before its request arrives is not painted.
TEST_F(MenuBorderRequests, PostedRequestsArriveOnceAndAFreedItemIsIgnored) {
    PostMenuBorderRequest(File);
    PostMenuBorderRequest(File); // one is pending already
    Application->ProcessMessages();
    EXPECT_EQ(Painted.size(), 1u);
    Painted.clear();

    PostMenuBorderRequest(Help);
    Help->Free();
    Application->ProcessMessages();
    EXPECT_TRUE(Painted.empty());

    PostMenuBorderRequest(Menu->Items()); // the root has no parent: nothing is posted
    PostMenuBorderRequest(nullptr);
    MSG pending;
    EXPECT_FALSE(PeekMessageW(&pending, Application->Handle(), SM_MENUITEMBORDER,
                              SM_MENUWINDOWBORDER, PM_NOREMOVE));
}

} // namespace
