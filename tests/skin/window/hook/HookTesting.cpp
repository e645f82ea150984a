#include "HookTesting.h"

#include <commctrl.h>

namespace {

// Gives the focus to no control, which would activate the dialog as it is made: the tests
// activate it themselves.
INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TacMainWnd* MakeProbe(HWND Wnd, TsSkinManager* Manager, const UnicodeString& Section) {
    return Construct<TChildProbe>(Wnd, nullptr, Manager, Section);
}

// Words of a dialog template: records of 16-bit words, items aligned to 32 bits.
class TTemplate {
public:
    void Word(WORD Value) { FWords.push_back(Value); }
    void Dword(DWORD Value) {
        Word(LOWORD(Value));
        Word(HIWORD(Value));
    }
    void Text(const wchar_t* Value) {
        for (; *Value; ++Value) Word(static_cast<WORD>(*Value));
        Word(0);
    }
    void Align() {
        if (FWords.size() % 2) Word(0);
    }
    const DLGTEMPLATE* Data() const { return reinterpret_cast<const DLGTEMPLATE*>(FWords.data()); }

private:
    std::vector<WORD> FWords;
};

} // namespace

void TChildProbe::acWndProc(TMessage& Message) {
    if (Message.Msg == SM_ALPHACMD)
        Commands.emplace_back(CtrlHandle, SkinCommandOf(Message.WParam));
    TacMainWnd::acWndProc(Message);
}

void HookTest::SetUp() {
    FormSkinTest::SetUp();
    FDials.Initialize();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                                        ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    FSavedMakers = DialogHandlerMakers;
    DialogHandlerMakers = {};
    TChildProbe::Frees = 0;
    TChildProbe::Commands.clear();
}

void HookTest::TearDown() {
    for (HWND wnd : Dialogs)
        if (IsWindow(wnd)) DestroyWindow(wnd);
    Dialogs.clear();
    FormSkinTest::TearDown();
    // Nothing of the hook outlives the manager that installed it.
    EXPECT_EQ(CBTHookHandle, nullptr);
    EXPECT_EQ(HookProviders, nullptr);
    EXPECT_TRUE(MnuArray.empty());
    DialogHandlerMakers = FSavedMakers;
    FDials.Finalize();
}

HWND HookTest::MakeDialog(const std::vector<TDialogItem>& Items, DWORD Style,
                          const wchar_t* Caption, HWND Parent) {
    TTemplate t;
    t.Dword(Style);
    t.Dword(0);
    t.Word(static_cast<WORD>(Items.size()));
    for (short v : {short(20), short(20), short(220), short(150)}) t.Word(static_cast<WORD>(v));
    t.Word(0); // no menu
    t.Word(0); // the dialog class
    t.Text(Caption);
    if (Style & DS_SETFONT) {
        t.Word(8);
        t.Text(L"Tahoma");
    }
    for (const TDialogItem& item : Items) {
        t.Align();
        t.Dword(item.Style | WS_CHILD);
        t.Dword(0);
        for (short v : {item.X, item.Y, item.Cx, item.Cy}) t.Word(static_cast<WORD>(v));
        t.Word(item.Id);
        t.Text(item.Class);
        t.Text(item.Text);
        t.Word(0); // no creation data
    }
    HWND wnd =
        CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.Data(), Parent, PlainDialogProc, 0);
    Dialogs.push_back(wnd);
    return wnd;
}

void HookTest::Activate(HWND Wnd) {
    ShowWindow(Wnd, SW_SHOW);
    SetForegroundWindow(Wnd);
    SetActiveWindow(Wnd);
    PumpUntil([&] { return GetActiveWindow() == Wnd; });
}

void HookTest::UseProbeMakers() { DialogHandlerMakers.fill(MakeProbe); }

std::vector<TacProvider*> HookTest::Providers() {
    std::vector<TacProvider*> found;
    if (HookProviders)
        for (TacHookProvider* slot : *HookProviders)
            if (auto* provider = dynamic_cast<TacProvider*>(slot)) found.push_back(provider);
    return found;
}
