// Helpers of the auto-skinning hook tests: the hook's module started for each test, dialogs made
// from templates of our own with known children, windows activated by hand (there is no window
// manager), and a probe handler that the dialog children get through the handler table.
#pragma once

#include "../FormSkinTesting.h"

#include "skin/window/acDials.h"

#include <vector>

// One child of a dialog template (dialog units).
struct TDialogItem {
    const wchar_t* Class;
    const wchar_t* Text;
    DWORD Style;
    short X, Y, Cx, Cy;
    WORD Id;
};

constexpr DWORD PlainDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

// The handler every dialog child gets while the probe makers are in the table; the counters
// outlive the handlers.
class TChildProbe : public TacMainWnd {
    CLASS_INFO(TChildProbe, TacMainWnd)
public:
    using TacMainWnd::TacMainWnd;
    ~TChildProbe() override { ++Frees; }
    void acWndProc(TMessage& Message) override;
    static inline int Frees = 0;
    // The skin commands that reached a probe, by window.
    static inline std::vector<std::pair<HWND, WORD>> Commands;
};

class HookTest : public FormSkinTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // A modeless dialog from a template of our own, not shown; destroyed at the end of the test.
    HWND MakeDialog(const std::vector<TDialogItem>& Items, DWORD Style = PlainDialogStyle,
                    const wchar_t* Caption = L"Skinned dialog", HWND Parent = nullptr);
    // Shows the window and makes it the active one.
    void Activate(HWND Wnd);
    // Every dialog child gets a probe handler from now on.
    void UseProbeMakers();
    // The child of Parent with the given control id.
    static HWND Child(HWND Parent, int Id) { return GetDlgItem(Parent, Id); }
    // The providers in the hook's list (null slots left out).
    static std::vector<TacProvider*> Providers();

    std::vector<HWND> Dialogs;

private:
    TModuleEntry FDials = DialsModule();
    std::array<TDialogHandlerMaker, DialogChildClassCount> FSavedMakers{};
};
