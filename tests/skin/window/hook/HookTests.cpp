// The auto-skinning hook on real windows: installed with the skin and removed with the manager,
// forms and dialogs of our own skinned when they are activated by hand, the rules that keep
// windows unskinned, and the providers going away with their windows.
#include "HookTesting.h"

#include "framework/StdCtrls.h"
#include "skin/engine/sConst.h"
#include "skin/engine/sVclUtils.h"

#include <algorithm>
#include <commctrl.h>

namespace {

class TMessageForm : public TForm {
    CLASS_INFO(TMessageForm, TForm)
public:
    using TForm::TForm;
};

bool Skinned(HWND Wnd) { return AskWindow(Wnd, SKCMD_ISSKINNED); }

TacProvider* ProviderOwnedBy(TComponent* Owner) {
    for (int i = 0; i < Owner->ComponentCount(); ++i)
        if (auto* provider = dynamic_cast<TacProvider*>(Owner->Components(i))) return provider;
    return nullptr;
}

TEST_F(HookTest, TheHookIsInstalledOnceWithTheSkinAndRemovedWithTheManager) {
    EXPECT_EQ(CBTHookHandle, nullptr);
    ApplySkin();
    const HHOOK installed = CBTHookHandle;
    ASSERT_NE(installed, nullptr);
    Manager->SendNewSkin(true);
    EXPECT_EQ(CBTHookHandle, installed) << "applying the skin again installs no second hook";
    auto* other = Construct<TsSkinManager>(nullptr);
    other->WriteSkinDirectory(TestSkinFolder());
    other->WriteSkinName(L"FormTest");
    EXPECT_EQ(CBTHookHandle, installed) << "only the default manager installs the hook";
    other->Free();
    EXPECT_EQ(CBTHookHandle, installed);

    Manager->WriteActive(false);
    EXPECT_EQ(CBTHookHandle, nullptr);
    EXPECT_FALSE(UnhookWindowsHookEx(installed)) << "the system no longer holds the hook";
    Manager->WriteActive(true);
    const HHOOK again = CBTHookHandle;
    ASSERT_NE(again, nullptr);
    Manager->Free();
    Manager = Construct<TsSkinManager>(nullptr);
    EXPECT_EQ(CBTHookHandle, nullptr);
    EXPECT_FALSE(UnhookWindowsHookEx(again));
}

TEST_F(HookTest, AFormActivatedForTheFirstTimeGetsItsProviderOnce) {
    ApplySkin();
    TForm* form = MakeForm();
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    EXPECT_FALSE(Skinned(form->Handle()));
    ShowActive(form);

    TacProvider* provider = ProviderOwnedBy(form);
    ASSERT_NE(provider, nullptr);
    ASSERT_NE(provider->sp, nullptr);
    EXPECT_EQ(provider->sp->Owner(), form);
    EXPECT_EQ(provider->sp->Form(), form);
    EXPECT_EQ(provider->ListSW, nullptr);
    EXPECT_FALSE(provider->sp->MakeSkinMenu());
    EXPECT_EQ(Providers(), std::vector<TacProvider*>{provider});
    EXPECT_TRUE(Skinned(form->Handle()));
    EXPECT_EQ(std::count(SkinnedForms.begin(), SkinnedForms.end(), form), 1);
    EXPECT_FALSE(GetWindowLongW(form->Handle(), GWL_STYLE) & WS_SYSMENU)
        << "the skin draws the title buttons";
    // The frame came from the skin: the cache holds the active border at the left edge.
    TBitmap* cache = provider->sp->SkinData()->CacheBmp();
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(PixelAt(cache, 1, cache->Height() / 2), TestSkin::EdgeActive);

    // Activated again after another form: nothing new for either.
    TForm* other = MakeForm();
    ShowActive(other);
    ShowActive(form);
    ShowActive(other);
    EXPECT_EQ(ProviderOwnedBy(form), provider);
    EXPECT_EQ(Providers().size(), 2u);
    // Freed with its form: the slot is emptied, the other form's provider stays.
    form->Free();
    Forms.erase(std::find(Forms.begin(), Forms.end(), form));
    EXPECT_EQ(Providers(), std::vector<TacProvider*>{ProviderOwnedBy(other)});
}

// Forms that the hook leaves alone, and the class-library message dialog, which follows the
// dialog rule.
TEST_F(HookTest, TheSkinningRulesAndMarksDecideWhichFormsGetAProvider) {
    enum TKind { Plain, Marked, MessageForm, OwnProvider };
    struct TCase {
        const char* Name;
        TKind Kind;
        TacSkinningRules Rules;
        bool Provided;
    } const cases[] = {
        {"plain form", Plain, {srStdForms}, true},
        {"plain form without the form rule", Plain, {srStdDialogs, srThirdParty}, false},
        {"form tagged -98", Marked, {srStdForms, srStdDialogs}, false},
        {"message dialog", MessageForm, {srStdDialogs}, true},
        {"message dialog without the dialog rule", MessageForm, {srStdForms}, false},
        {"form skinned already", OwnProvider, {srStdForms}, false},
    };
    ApplySkin();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Manager->WriteSkinningRules(c.Rules);
        TForm* form = c.Kind == MessageForm ? Construct<TMessageForm>(Application)
                                            : Construct<TForm>(Application);
        form->SetBounds(60, 60, 240, 160);
        if (c.Kind == Marked) form->Tag = -98;
        form->HandleNeeded();
        if (c.Kind == OwnProvider) Construct<TsSkinProvider>(form);
        Forms.push_back(form);
        ShowActive(form);
        TacProvider* provider = ProviderOwnedBy(form);
        EXPECT_EQ(provider != nullptr, c.Provided);
        if (provider && c.Kind == MessageForm) {
            EXPECT_FALSE(provider->sp->MakeSkinMenu());
        }
        form->Hide();
    }
}

// ---- dialogs --------------------------------------------------------------------------------

enum : WORD {
    IdText = 101,
    IdIcon,
    IdOk,
    IdCheck,
    IdGroup,
    IdEdit,
    IdHidden,
    IdList,
    IdCombo,
    IdNested,
    IdInner = 201
};

const std::vector<TDialogItem> LoginItems = {
    {L"STATIC", L"Name:", SS_LEFT | WS_VISIBLE, 8, 10, 40, 10, IdText},
    {L"STATIC", L"", SS_ICON | WS_VISIBLE, 180, 8, 20, 20, IdIcon},
    {L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP, 150, 125, 60, 16, IdOk},
    {L"BUTTON", L"Remember me", BS_AUTOCHECKBOX | WS_VISIBLE, 8, 40, 100, 12, IdCheck},
    {L"BUTTON", L"Line", BS_GROUPBOX | WS_VISIBLE, 8, 56, 100, 60, IdGroup},
    {L"EDIT", L"user", ES_AUTOHSCROLL | WS_BORDER | WS_VISIBLE, 50, 8, 100, 12, IdEdit},
    {L"EDIT", L"", ES_AUTOHSCROLL | WS_BORDER, 50, 24, 100, 12, IdHidden},
    {L"LISTBOX", L"", WS_BORDER | WS_VISIBLE, 14, 68, 88, 40, IdList},
    {L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VISIBLE, 116, 60, 90, 60, IdCombo},
    {L"#32770", L"", WS_VISIBLE, 116, 80, 90, 30, IdNested},
};

TEST_F(HookTest, AnActivatedDialogGetsItsHandlerAndEveryChildItsHandlerByClassAndStyle) {
    ApplySkin();
    UseProbeMakers();
    const HWND dialog = MakeDialog(LoginItems);
    const HWND nested = Child(dialog, IdNested);
    const HWND inner = CreateWindowExW(0, L"BUTTON", L"Inner", WS_CHILD | WS_VISIBLE, 4, 4, 60, 20,
                                       nested, reinterpret_cast<HMENU>(IdInner), nullptr, nullptr);
    ASSERT_TRUE(inner);
    EXPECT_FALSE(Skinned(dialog));
    Activate(dialog);

    TacProvider* provider = FindHookProvider(dialog);
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(provider->Owner(), nullptr);
    EXPECT_EQ(provider->sp, nullptr);
    ASSERT_NE(provider->ListSW, nullptr);
    TacDialogWnd* handler = provider->ListSW;
    EXPECT_EQ(handler->CtrlHandle, dialog);
    EXPECT_EQ(handler->Provider, provider);
    EXPECT_EQ(HandlerOfWindow(dialog), handler);
    EXPECT_EQ(handler->SkinData->SkinSection(), L"DIALOG");
    EXPECT_FALSE(handler->DlgMode);
    EXPECT_TRUE(Skinned(dialog));
    EXPECT_EQ(handler->BorderStyle, acbsDialog);
    EXPECT_FALSE(handler->FWMPaintForbidden) << "an edit or a combo box paints through WM_PAINT";
    EXPECT_FALSE(CreatingDialogHandlers);
    EXPECT_EQ(CountVisibleDialogs(), 1);

    const struct {
        HWND Wnd;
        const wchar_t* Section; // null: no handler
    } children[] = {
        {Child(dialog, IdText), L"CHECKBOX"},
        {Child(dialog, IdIcon), L"CHECKBOX"},
        {Child(dialog, IdOk), L"BUTTON"},
        {Child(dialog, IdCheck), L"CHECKBOX"},
        {Child(dialog, IdGroup), L"GROUPBOX"},
        {Child(dialog, IdEdit), L"EDIT"},
        {Child(dialog, IdHidden), nullptr},
        {Child(dialog, IdList), L"EDIT"},
        {Child(dialog, IdCombo), L"COMBOBOX"},
        {nested, L"CHECKBOX"},
        {inner, L"BUTTON"},
    };
    std::size_t handled = 0;
    for (const auto& child : children) {
        SCOPED_TRACE(GetDlgCtrlID(child.Wnd));
        TacMainWnd* probe = HandlerOfWindow(child.Wnd);
        if (!child.Section) {
            EXPECT_EQ(probe, nullptr);
            continue;
        }
        ASSERT_NE(probe, nullptr);
        ++handled;
        EXPECT_EQ(probe->SkinData->SkinSection(), child.Section);
        EXPECT_TRUE(probe->DlgMode);
        // Its geometry was read when it was made.
        RECT r;
        GetWindowRect(child.Wnd, &r);
        EXPECT_EQ(probe->WndSize.cx, r.right - r.left);
        EXPECT_EQ(probe->WndSize.cy, r.bottom - r.top);
        EXPECT_EQ(probe->ParentWnd, GetParent(child.Wnd));
    }
    EXPECT_EQ(provider->acSkinnedCtrls.size(), handled);
    // Grandchildren get their handlers before their parent.
    const auto at = [&](HWND Wnd) {
        return std::find(provider->acSkinnedCtrls.begin(), provider->acSkinnedCtrls.end(),
                         HandlerOfWindow(Wnd)) -
               provider->acSkinnedCtrls.begin();
    };
    EXPECT_LT(at(inner), at(nested));
    // The skin reached the children through the dialog.
    for (HWND wnd : {Child(dialog, IdOk), Child(dialog, IdEdit), nested})
        EXPECT_NE(std::find(TChildProbe::Commands.begin(), TChildProbe::Commands.end(),
                            std::make_pair(wnd, SKCMD_SKINLOADED)),
                  TChildProbe::Commands.end());
}

TEST_F(HookTest, AClosedDialogsProviderGoesAtTheNextDestroyedWindow) {
    ApplySkin();
    UseProbeMakers();
    // No combo box: its drop-down list is a window of its own, whose destruction would already
    // be the next one.
    const HWND dialog = MakeDialog({LoginItems.begin(), LoginItems.begin() + 6});
    Activate(dialog);
    TacProvider* provider = FindHookProvider(dialog);
    ASSERT_NE(provider, nullptr);
    const int probes = static_cast<int>(provider->acSkinnedCtrls.size());
    ASSERT_EQ(probes, 6);

    DestroyWindow(dialog);
    EXPECT_TRUE(provider->ListSW->Destroyed) << "detached with its window";
    EXPECT_EQ(CountVisibleDialogs(), 0);
    EXPECT_EQ(Providers(), std::vector<TacProvider*>{provider})
        << "kept until the next window goes";
    EXPECT_EQ(TChildProbe::Frees, 0);
    DestroyWindow(MakeDialog({}));
    EXPECT_TRUE(Providers().empty());
    EXPECT_EQ(TChildProbe::Frees, probes);
}

// A combo box destroys its drop-down list while the dialog goes: the provider goes at once,
// in the middle of its children's destruction.
TEST_F(HookTest, ADialogWithAComboBoxLosesItsProviderWhileItsChildrenAreDestroyed) {
    ApplySkin();
    UseProbeMakers();
    const HWND dialog = MakeDialog(LoginItems);
    Activate(dialog);
    ASSERT_NE(FindHookProvider(dialog), nullptr);
    const int probes = static_cast<int>(FindHookProvider(dialog)->acSkinnedCtrls.size());
    DestroyWindow(dialog);
    EXPECT_TRUE(Providers().empty());
    EXPECT_EQ(TChildProbe::Frees, probes);
}

// Removing the skin while a dialog is open takes every handler away: the windows get their own
// procedures back and go on working.
TEST_F(HookTest, RemovingTheSkinGivesAnOpenDialogAndItsChildrenTheirProceduresBack) {
    ApplySkin();
    UseProbeMakers();
    const HWND dialog = MakeDialog(LoginItems);
    const HWND edit = Child(dialog, IdEdit);
    const LONG_PTR dialogProc = GetWindowLongPtrW(dialog, GWLP_WNDPROC);
    const LONG_PTR editProc = GetWindowLongPtrW(edit, GWLP_WNDPROC);
    Activate(dialog);
    ASSERT_NE(GetWindowLongPtrW(edit, GWLP_WNDPROC), editProc);

    Manager->WriteActive(false);
    EXPECT_EQ(HookProviders, nullptr);
    EXPECT_EQ(GetWindowLongPtrW(dialog, GWLP_WNDPROC), dialogProc);
    EXPECT_EQ(GetWindowLongPtrW(edit, GWLP_WNDPROC), editProc);
    EXPECT_EQ(HandlerOfWindow(dialog), nullptr);
    EXPECT_EQ(HandlerOfWindow(edit), nullptr);
    EXPECT_GT(TChildProbe::Frees, 0);
    SetWindowTextW(edit, L"still an edit");
    wchar_t text[32] = {};
    GetWindowTextW(edit, text, 32);
    EXPECT_STREQ(text, L"still an edit");
    EXPECT_EQ(SendMessageW(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IdOk, DC_HASDEFID));
}

// A second plain dialog over a skinned one stays as the system draws it, one with a toolbar
// somewhere below it (a file dialog) is skinned; without the dialog rule none is.
TEST_F(HookTest, WhichDialogsAreSkinned) {
    const std::vector<TDialogItem> withToolbar = {
        {L"#32770", L"", WS_VISIBLE, 8, 8, 120, 40, IdNested}};
    struct TCase {
        const char* Name;
        bool FirstShown;
        bool Toolbar;
        TacSkinningRules Rules;
        bool Skinned;
    } const cases[] = {
        {"alone", false, false, {srStdDialogs}, true},
        {"over a skinned dialog", true, false, {srStdDialogs}, false},
        {"with a toolbar over a skinned dialog", true, true, {srStdDialogs}, true},
        {"without the dialog rule", false, false, {srStdForms}, false},
    };
    ApplySkin();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Manager->WriteSkinningRules({srStdDialogs});
        const HWND first = MakeDialog({});
        if (c.FirstShown) {
            Activate(first);
            ASSERT_EQ(CountVisibleDialogs(), 1);
        }
        Manager->WriteSkinningRules(c.Rules);
        const HWND second = MakeDialog(c.Toolbar ? withToolbar : std::vector<TDialogItem>{});
        if (c.Toolbar)
            CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 24,
                            Child(second, IdNested), nullptr, nullptr, nullptr);
        Activate(second);
        EXPECT_EQ(Skinned(second), c.Skinned);
        EXPECT_EQ(FindHookProvider(second) != nullptr, c.Skinned);
        DestroyWindow(second);
        DestroyWindow(first);
    }
}

TEST_F(HookTest, TheDialogsStylesGiveItsBorderStyle) {
    const struct {
        DWORD Style;
        TacBorderStyle Expected;
    } cases[] = {
        {WS_POPUP | WS_CAPTION | DS_MODALFRAME, acbsDialog},
        {WS_POPUP | WS_CAPTION | WS_THICKFRAME | DS_MODALFRAME, acbsSizeable},
        {WS_POPUP | WS_BORDER | DS_MODALFRAME, acbsNone},
        {WS_OVERLAPPED | WS_CAPTION, acbsSizeable},
    };
    ApplySkin();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Style);
        const HWND dialog = MakeDialog({}, c.Style | DS_SETFONT);
        Activate(dialog);
        TacProvider* provider = FindHookProvider(dialog);
        ASSERT_NE(provider, nullptr);
        EXPECT_EQ(provider->ListSW->BorderStyle, c.Expected);
        EXPECT_EQ(provider->ListSW->dwStyle, GetWindowLongW(dialog, GWL_STYLE));
        DestroyWindow(dialog);
    }
}

TEST_F(HookTest, ARequestedPositionPlacesTheNextSkinnedDialog) {
    ApplySkin();
    DialogPosX = 123;
    DialogPosY = 45;
    const HWND dialog = MakeDialog({});
    Activate(dialog);
    DialogPosX = DialogPosY = -1;
    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_EQ(r.left, 123);
    EXPECT_EQ(r.top, 45);
    // Without a request the next one stays where it was made.
    const HWND next = MakeDialog({});
    GetWindowRect(next, &r);
    const POINT made{r.left, r.top};
    Activate(next);
    GetWindowRect(next, &r);
    EXPECT_EQ(r.left, made.x);
    EXPECT_EQ(r.top, made.y);
}

// The handler of each dialog child by its class and style; the style tests are bit tests.
TEST(DialogChildren, TheHandlerClassAndSectionFollowClassAndStyle) {
    const struct {
        const wchar_t* Class;
        LONG Style;
        bool Visible;
        TDialogChildClass Expected;
        const wchar_t* Section;
        bool ClearsPaintLock;
    } cases[] = {
        {L"static", SS_LEFT, true, dcStatic, L"CHECKBOX", false},
        {L"static", SS_ICON, true, dcIcon, L"CHECKBOX", false},
        {L"static", SS_BITMAP, true, dcIcon, L"CHECKBOX", false},
        {L"static", SS_BLACKFRAME, true, dcIcon, L"CHECKBOX", false}, // its low bits are 3
        {L"static", SS_SIMPLE, true, dcIcon, L"CHECKBOX", false},     // 0xB
        {L"static", SS_ENHMETAFILE, true, dcIcon, L"CHECKBOX", false},
        {L"static", SS_GRAYRECT, true, dcNone, L"", false},
        {L"static", SS_WHITERECT, true, dcNone, L"", false},
        {L"static", SS_OWNERDRAW, true, dcNone, L"", false},
        {L"static", SS_GRAYFRAME, true, dcStatic, L"CHECKBOX", false},
        {L"static", SS_ETCHEDHORZ, true, dcStatic, L"CHECKBOX", false},
        {L"static", SS_BLACKRECT | SS_NOTIFY, true, dcStatic, L"CHECKBOX", false},
        {L"#32770", 0, true, dcTransPanel, L"CHECKBOX", false},
        {L"tpanel", 0, true, dcDlgPanel, L"PANEL", false},
        {L"tsilentpaintpanel", 0, true, dcDlgPanel, L"PANEL", false},
        {L"button", BS_PUSHBUTTON, true, dcButton, L"BUTTON", false},
        {L"button", BS_DEFPUSHBUTTON, true, dcButton, L"BUTTON", false},
        {L"button", BS_USERBUTTON, true, dcButton, L"BUTTON", false},
        {L"button", BS_GROUPBOX, true, dcGroupBox, L"GROUPBOX", false},
        {L"button", BS_CHECKBOX, true, dcCheckBox, L"CHECKBOX", false},
        {L"button", BS_AUTORADIOBUTTON, true, dcCheckBox, L"CHECKBOX", false},
        {L"button", BS_3STATE, true, dcCheckBox, L"CHECKBOX", false},
        {L"button", BS_OWNERDRAW, true, dcCheckBox, L"CHECKBOX", false}, // 0xB
        {L"combobox", 0, true, dcComboBox, L"COMBOBOX", true},
        {L"comboboxex32", 0, true, dcComboBox, L"COMBOBOX", true},
        {L"combolbox", 0, true, dcEdit, L"COMBOBOX", true},
        {L"scrollbar", 0, true, dcSizer, L"CHECKBOX", false},
        {L"systabcontrol32", 0, true, dcTabControl, L"PAGECONTROL", false},
        {L"systabcontrol32", TCS_OWNERDRAWFIXED, true, dcNone, L"", false},
        {L"syslistview32", 0, true, dcListView, L"EDIT", false},
        {L"msctls_updown32", 0, true, dcSpin, L"SPEEDBUTTON_SMALL", false},
        {L"listbox", 0, true, dcEdit, L"EDIT", false},
        {L"link window", 0, true, dcLink, L"CHECKBOX", false},
        {L"syslink", 0, true, dcLink, L"CHECKBOX", false},
        {L"toolbarwindow32", TBSTYLE_WRAPABLE, true, dcToolBar, L"BAR", false},
        {L"toolbarwindow32", 0, true, dcToolBar, L"CHECKBOX", false},
        {L"edit", 0, true, dcEdit, L"EDIT", true},
        {L"edit", 0, false, dcNone, L"", true},
        {L"systreeview32", 0, true, dcTreeView, L"EDIT", false},
        {L"xshbrowseforfolderx", 0, true, dcTransPanel, L"CHECKBOX", false},
        {L"msctls_progress32", 0, true, dcNone, L"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Class << " " << c.Style);
        const TDialogChildChoice choice = ChooseDialogChildHandler(c.Class, c.Style, c.Visible);
        EXPECT_EQ(choice.Class, c.Expected);
        EXPECT_EQ(UnicodeString(choice.Section), c.Section);
        EXPECT_EQ(choice.ClearPaintLock, c.ClearsPaintLock);
    }
}

} // namespace
