// The dialogs the auto-skinning hook skins, reached through its provider list: the list lives
// while the default manager's hook is installed, the broadcasts and the repaint of all forms
// reach the visible dialogs in it, and removing the hook frees every provider. The providers here
// are put into the list by hand, as the hook will.
#include "SkinEngineTesting.h"

#include "skin/engine/sVclUtils.h"

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

namespace {

// What each raw dialog window received: skin commands by number, and the frame and paint
// messages of a redraw.
std::map<HWND, std::vector<UINT>> Received;
std::function<void(HWND, WORD)> OnCommand;

constexpr UINT FramePainted = 0x10000; // stands for WM_NCPAINT in Received
constexpr UINT Painted = 0x10001;      // stands for WM_PAINT

LRESULT CALLBACK DialogProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    switch (Msg) {
    case SM_ALPHACMD:
        Received[Wnd].push_back(SkinCommandOf(WParam));
        if (OnCommand) OnCommand(Wnd, SkinCommandOf(WParam));
        return 0;
    case WM_NCPAINT: Received[Wnd].push_back(FramePainted); break;
    case WM_PAINT: Received[Wnd].push_back(Painted); break;
    default: break;
    }
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

// A dialog handler of the hook's, over a raw window; notes when it is freed.
class TDialogProvider : public TacHookProvider {
public:
    TDialogProvider(HWND Wnd, int* FreedCount) : FWnd(Wnd), FFreedCount(FreedCount) {}
    ~TDialogProvider() override {
        ++*FFreedCount;
        RemoveHookProvider(this);
    }
    HWND DialogWindow() const override { return FWnd; }

private:
    HWND FWnd;
    int* FFreedCount;
};

class HookProviderList : public SkinManagerTest {
protected:
    void SetUp() override {
        SkinManagerTest::SetUp();
        Received.clear();
        OnCommand = nullptr;
        WNDCLASSW wc{};
        wc.lpfnWndProc = &DialogProc;
        wc.lpszClassName = L"HookProviderDialog";
        RegisterClassW(&wc);
        Manager->WriteSkinDirectory(FolderSkins());
    }
    void TearDown() override {
        OnCommand = nullptr;
        SkinManagerTest::TearDown();
        for (HWND wnd : Windows) DestroyWindow(wnd);
    }
    HWND Dialog(bool Visible) {
        HWND wnd = CreateWindowExW(0, L"HookProviderDialog", L"", WS_POPUP | WS_CAPTION, 10, 10,
                                   120, 80, nullptr, nullptr, nullptr, nullptr);
        if (Visible) ShowWindow(wnd, SW_SHOWNOACTIVATE);
        Windows.push_back(wnd);
        return wnd;
    }
    TDialogProvider* Provide(HWND Wnd) {
        auto* provider = new TDialogProvider(Wnd, &Freed);
        AddHookProvider(provider);
        return provider;
    }

    std::vector<HWND> Windows;
    int Freed = 0;
};

TEST_F(HookProviderList, BroadcastsAndTheRepaintReachTheVisibleDialogsOfTheList) {
    EXPECT_EQ(HookProviders, nullptr); // no hook yet
    Manager->WriteSkinName(L"TestFlat");
    ASSERT_NE(HookProviders, nullptr);
    const HWND shown = Dialog(true);
    const HWND hidden = Dialog(false);
    Provide(shown);
    Provide(hidden);
    Provide(nullptr); // a form's provider: no dialog
    const HWND left = Dialog(true);
    TDialogProvider* gone = Provide(left);
    RemoveHookProvider(gone); // an emptied slot
    ASSERT_EQ(HookProviders->size(), 4u);
    EXPECT_EQ((*HookProviders)[3], nullptr);
    delete gone;
    Freed = 0;
    Received.clear();

    Manager->RepaintForms();
    // The two commands, then a redraw of frame and client (in the system's order).
    const std::vector<UINT>& got = Received[shown];
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0], SKCMD_STOPFADE);
    EXPECT_EQ(got[1], SKCMD_REPAINT);
    const std::vector<UINT> redraw{FramePainted, Painted};
    EXPECT_TRUE(std::is_permutation(got.begin() + 2, got.end(), redraw.begin()));
    EXPECT_TRUE(Received[hidden].empty());
    EXPECT_TRUE(Received[left].empty());
    Received.clear();
    Manager->UpdateSkinSection(L"EDIT");
    EXPECT_EQ(Received[shown], (std::vector<UINT>{SKCMD_SECTIONCHANGED}));
    EXPECT_TRUE(Received[hidden].empty());
}

// A dialog closed by a receiver during a broadcast (its provider freed) is not visited after.
TEST_F(HookProviderList, ADialogClosedDuringABroadcastIsSkipped) {
    Manager->WriteSkinName(L"TestFlat");
    const HWND first = Dialog(true);
    const HWND second = Dialog(true);
    Provide(first);
    TDialogProvider* doomed = Provide(second);
    OnCommand = [&](HWND Wnd, WORD) {
        if (Wnd != first || !doomed) return;
        delete doomed;
        doomed = nullptr;
    };
    Received.clear();
    Manager->UpdateSkinSection(L"EDIT");
    EXPECT_EQ(Received[first], (std::vector<UINT>{SKCMD_SECTIONCHANGED}));
    EXPECT_TRUE(Received[second].empty());
    EXPECT_EQ(Freed, 1);
}

// Removing the skin removes the hook first: the dialogs get no command 2, every provider is
// freed with the list. Another manager never makes or frees the list.
TEST_F(HookProviderList, RemovingTheSkinFreesTheProvidersAndTheList) {
    Manager->WriteSkinName(L"TestFlat");
    const HWND shown = Dialog(true);
    Provide(shown);
    Provide(Dialog(false));
    auto* other = Construct<TsSkinManager>(nullptr);
    other->WriteSkinDirectory(FolderSkins());
    other->WriteSkinName(L"TestFlat");
    other->WriteActive(false);
    other->Free();
    ASSERT_NE(HookProviders, nullptr);
    EXPECT_EQ(Freed, 0);

    Received.clear();
    Manager->WriteActive(false);
    EXPECT_EQ(HookProviders, nullptr);
    EXPECT_EQ(Freed, 2);
    EXPECT_TRUE(Received[shown].empty());
    // Switched on again, the manager makes a new, empty list.
    Manager->WriteActive(true);
    ASSERT_NE(HookProviders, nullptr);
    EXPECT_TRUE(HookProviders->empty());
    // A provider given while no hook is installed is not kept.
    Manager->WriteActive(false);
    Provide(shown);
    EXPECT_EQ(Freed, 3);
}

} // namespace
