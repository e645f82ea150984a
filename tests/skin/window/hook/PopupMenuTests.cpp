// Popup-menu windows get their handler from the hook as they are made, and the handler leaves the
// hook's list with its window: a real popup menu of a skinned form, and menu windows made
// directly.
#include "HookTesting.h"

#include "framework/Application.h"
#include "skin/engine/sConst.h"
#include "skin/engine/sVclUtils.h"

namespace {

bool Skinned(HWND Wnd) { return AskWindow(Wnd, SKCMD_ISSKINNED); }

class PopupMenuTest : public HookTest {
protected:
    void TearDown() override {
        for (HWND wnd : Menus)
            if (IsWindow(wnd)) DestroyWindow(wnd);
        DwmIsCompositionEnabledProc = SavedComposition;
        HookTest::TearDown();
    }
    // A popup-menu window, made as the system makes one for a menu.
    HWND MenuWindow() {
        HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, L"#32768", L"", WS_POPUP, 0, 0, 60, 40,
                                   nullptr, nullptr, nullptr, nullptr);
        Menus.push_back(wnd);
        return wnd;
    }
    std::vector<HWND> Menus;
    TDwmIsCompositionEnabledProc SavedComposition = DwmIsCompositionEnabledProc;
};

// What the menu's handler list held while the menu was open.
struct {
    std::size_t Slots = 0;
    UnicodeString ClassName;
    bool Skinned = false;
} WhileOpen;

void CALLBACK LookAndClose(HWND Owner, UINT, UINT_PTR Id, DWORD) {
    KillTimer(Owner, Id);
    WhileOpen.Slots = MnuArray.size();
    if (!MnuArray.empty() && MnuArray[0]) {
        WhileOpen.ClassName = GetWndClassName(MnuArray[0]->CtrlHandle);
        WhileOpen.Skinned = Skinned(MnuArray[0]->CtrlHandle);
    }
    EndMenu();
}

TEST_F(PopupMenuTest, AnOpenPopupMenuHasAHandlerUntilItCloses) {
    ApplySkin();
    TForm* form = MakeForm();
    ShowActive(form);
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"Connect");
    AppendMenuW(menu, MF_STRING, 2, L"Quit");
    WhileOpen = {};
    SetTimer(form->Handle(), 1, 50, LookAndClose);
    TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, 100, 100, 0, form->Handle(), nullptr);
    DestroyMenu(menu);
    EXPECT_EQ(WhileOpen.Slots, 1u);
    EXPECT_EQ(WhileOpen.ClassName, L"#32768");
    EXPECT_TRUE(WhileOpen.Skinned);
    EXPECT_TRUE(MnuArray.empty()) << "the last menu window took the list with it";
}

// The window procedure above the menu handler: counts the frame repaints reaching the window.
WNDPROC BelowCounter = nullptr;
int FramePaints = 0;
LRESULT CALLBACK CountFramePaints(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg == WM_NCPAINT) ++FramePaints;
    return CallWindowProcW(BelowCounter, Wnd, Msg, WParam, LParam);
}

TEST_F(PopupMenuTest, AClosedMenuLeavesItsSlotAndTheOthersAreRedrawn) {
    ApplySkin();
    const HWND first = MenuWindow();
    const HWND second = MenuWindow();
    ASSERT_EQ(MnuArray.size(), 2u);
    TacMnuWnd* handler = MnuArray[1];
    ASSERT_NE(handler, nullptr);
    EXPECT_EQ(MnuArray[0]->CtrlHandle, first);
    EXPECT_EQ(handler->CtrlHandle, second);
    EXPECT_EQ(HandlerOfWindow(second), handler);
    EXPECT_EQ(handler->SkinData->SkinSection(), L"MAINMENU");
    EXPECT_EQ(handler->SkinManager, Manager);
    ShowWindow(second, SW_SHOWNOACTIVATE);
    BelowCounter = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(second, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountFramePaints)));
    FramePaints = 0;

    DestroyWindow(first);
    ASSERT_EQ(MnuArray.size(), 2u);
    EXPECT_EQ(MnuArray[0], nullptr);
    EXPECT_EQ(MnuArray[1], handler);
    EXPECT_GT(FramePaints, 0) << "the menu still open was redrawn with its frame";
    SetWindowLongPtrW(second, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BelowCounter));
    DestroyWindow(second);
    EXPECT_TRUE(MnuArray.empty());
}

// The handler answers the skin commands itself and passes none on.
TEST_F(PopupMenuTest, TheMenuHandlerAnswersTheSkinCommandsItself) {
    ApplySkin();
    const HWND menu = MenuWindow();
    ASSERT_EQ(MnuArray.size(), 1u);
    TacMnuWnd* handler = MnuArray[0];
    const struct {
        WORD Command;
        LRESULT Answer;
    } cases[] = {
        {SKCMD_ISSKINNED, 1},
        {SKCMD_SETUPDATING, 0},
        {SKCMD_GETAPPLICATION, reinterpret_cast<LRESULT>(Application)},
        {SKCMD_REPAINT, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SendMessageW(menu, SM_ALPHACMD, SkinWParam(c.Command),
                               reinterpret_cast<LPARAM>(Manager)),
                  c.Answer)
            << c.Command;
    // The menu painter's note that it drew the border counts only on a visible menu.
    SendMessageW(menu, SM_ALPHACMD, SkinWParam(SKCMD_MENUBORDERDRAWN), 0);
    EXPECT_EQ(handler->RgnChanged, 0);
    ShowWindow(menu, SW_SHOWNOACTIVATE);
    SendMessageW(menu, SM_ALPHACMD, SkinWParam(SKCMD_MENUBORDERDRAWN), 0);
    EXPECT_EQ(handler->RgnChanged, 1);
}

HRESULT WINAPI ComposingOn(BOOL* Enabled) {
    *Enabled = TRUE;
    return S_OK;
}

TEST_F(PopupMenuTest, MenusAreLeftAloneUnderCompositionOrWithoutSkinnedPopups) {
    const struct {
        const char* Name;
        bool Composing;
        bool SkinnedPopups;
        bool Handled;
    } cases[] = {
        {"skinned popups", false, true, true},
        {"composition", true, true, false},
        {"popups not skinned", false, false, false},
    };
    ApplySkin();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        DwmIsCompositionEnabledProc = c.Composing ? ComposingOn : SavedComposition;
        Manager->WriteSkinnedPopups(c.SkinnedPopups);
        const HWND menu = MenuWindow();
        EXPECT_EQ(Skinned(menu), c.Handled);
        EXPECT_EQ(MnuArray.size(), c.Handled ? 1u : 0u);
        DestroyWindow(menu);
        EXPECT_TRUE(MnuArray.empty());
    }
}

// Emptying the list frees no handler: each one still goes with its window.
TEST_F(PopupMenuTest, EmptyingTheListLeavesTheHandlersToTheirWindows) {
    ApplySkin();
    const HWND menu = MenuWindow();
    ClearMnuArray();
    EXPECT_TRUE(Skinned(menu));
    const HWND next = MenuWindow();
    ASSERT_EQ(MnuArray.size(), 1u);
    DestroyWindow(menu);
    EXPECT_EQ(MnuArray.size(), 1u) << "the other window's slot stays";
    EXPECT_TRUE(Skinned(next));
    DestroyWindow(next);
    EXPECT_TRUE(MnuArray.empty());
}

} // namespace
