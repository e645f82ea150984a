// The skin link between controls and the manager, seen through real windows: who answers the
// skin commands, how a skin switched on, changed and removed reaches every form and control, how
// commands pass down control and window trees, the redraw lock around a skin change, and the
// link's section, indexes and class codes.
#include "ProvidedForm.h"
#include "SkinEngineTesting.h"

#include "framework/Application.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "skin/engine/sCommonData.h"
#include "skin/engine/sVclUtils.h"

#include <commctrl.h>

#include <functional>
#include <map>
#include <vector>

namespace {

// Every skin command any probe received, in order: (probe name, command).
using TLog = std::vector<std::pair<UnicodeString, WORD>>;

// A skinned control of the tests: a link with the class code given, the common handling of
// every message, and a log of the skin commands it receives.
template <class Base> class TLinkedProbe : public Base {
public:
    TLinkedProbe(TComponent* Owner, TWinControl* Parent, const UnicodeString& Name, TLog* Log,
                 int Code)
        : Base(Owner), Link(new TsCommonData(this, true)), FName(Name), FLog(Log) {
        Link->COC = Code;
        this->SetParent(Parent);
        this->SetBounds(4, 4, 40, 20);
        Link->Loaded();
    }
    ~TLinkedProbe() override { delete Link; }
    TsCommonData* Link;
    std::function<void(WORD)> OnCommand;

protected:
    void WndProc(TMessage& Message) override {
        if (Message.Msg == SM_ALPHACMD) {
            FLog->push_back({FName, SkinCommandOf(Message.WParam)});
            if (OnCommand) OnCommand(SkinCommandOf(Message.WParam));
        }
        if (HandleSkinnedMessage(Message, Link)) return;
        Base::WndProc(Message);
    }

private:
    UnicodeString FName;
    TLog* FLog;
};
using TWindowedProbe = TLinkedProbe<TCustomControl>;
using TGraphicProbe = TLinkedProbe<TGraphicControl>;

class SkinLink : public SkinManagerTest {
protected:
    void SetUp() override {
        SkinManagerTest::SetUp();
        Manager->WriteSkinDirectory(FolderSkins());
    }
    void TearDown() override {
        for (TForm* form : Forms) form->Free();
        SkinManagerTest::TearDown();
    }
    // A form of the application with its window.
    TForm* MakeForm() {
        TForm* form = Construct<TForm>(Application);
        form->SetBounds(20, 20, 200, 150);
        form->HandleNeeded();
        Forms.push_back(form);
        return form;
    }
    TWindowedProbe* Windowed(TWinControl* Parent, const wchar_t* Name, int Code = 93) {
        auto* probe = new TWindowedProbe(Parent, Parent, Name, &Log, Code);
        probe->HandleNeeded();
        return probe;
    }
    TLog Commands(std::initializer_list<WORD> Kept) const {
        TLog kept;
        for (const auto& entry : Log)
            if (std::find(Kept.begin(), Kept.end(), entry.second) != Kept.end())
                kept.push_back(entry);
        return kept;
    }

    std::vector<TForm*> Forms;
    TLog Log;
};

LRESULT CALLBACK AnswerTwo(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg == SM_ALPHACMD) return 2;
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

TEST_F(SkinLink, EveryReceiverKindAnswersCommand7) {
    TForm* form = MakeForm();
    TWindowedProbe* windowed = Windowed(form, L"windowed");
    auto* graphic = new TGraphicProbe(form, form, L"graphic", &Log, 92);
    auto* plain = new TPanel(form);
    plain->SetParent(form);
    plain->HandleNeeded();
    EXPECT_TRUE(AskWindow(windowed->Handle(), SKCMD_ISSKINNED));
    EXPECT_TRUE(AskControl(windowed, SKCMD_ISSKINNED));
    EXPECT_TRUE(AskControl(graphic, SKCMD_ISSKINNED));
    EXPECT_FALSE(AskWindow(plain->Handle(), SKCMD_ISSKINNED));
    EXPECT_FALSE(AskWindow(form->Handle(), SKCMD_ISSKINNED));
    // A window that answers 2 is not skinned; one that does not know the message answers 0.
    WNDCLASSW wc{};
    wc.lpfnWndProc = &AnswerTwo;
    wc.lpszClassName = L"SkinLinkAnswersTwo";
    RegisterClassW(&wc);
    HWND two = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr,
                             nullptr);
    EXPECT_FALSE(AskWindow(two, SKCMD_ISSKINNED));
    DestroyWindow(two);
    EXPECT_EQ(WindowBackColor(plain->Handle()), 0); // black, not "no colour"
    EXPECT_EQ(WindowBackColor(nullptr), 0xFF00FF);  // no window
    EXPECT_EQ(ControlBackColor(nullptr), 0xFF00FF); // no control
    plain->SetColor(static_cast<TColor>(0x123456));
    EXPECT_EQ(ControlBackColor(plain), 0x123456); // not skinned: its own colour
}

// The forms are visited from the last made to the first; a form's controls hear each command
// before the next form does. The panel is not skinned and is walked into.
TEST_F(SkinLink, ASkinSwitchedOnChangedAndRemovedReachesEveryFormAndControlInOrder) {
    TForm* first = MakeForm();
    Windowed(first, L"first.button");
    TForm* second = MakeForm();
    auto* panel = new TPanel(second);
    panel->SetParent(second);
    panel->HandleNeeded();
    TWindowedProbe* inner = Windowed(panel, L"second.inner", 3);
    auto* graphic = new TGraphicProbe(second, second, L"second.graphic", &Log, 92);
    Log.clear();

    Manager->WriteSkinName(L"TestFlat");
    const TLog skinOn{{L"second.inner", SKCMD_SKINLOADED}, {L"second.graphic", SKCMD_SKINLOADED},
                      {L"first.button", SKCMD_SKINLOADED}, {L"second.inner", SKCMD_STOPFADE},
                      {L"second.graphic", SKCMD_STOPFADE}, {L"first.button", SKCMD_STOPFADE},
                      {L"second.inner", SKCMD_REPAINT},    {L"second.graphic", SKCMD_REPAINT},
                      {L"first.button", SKCMD_REPAINT}};
    EXPECT_EQ(Commands({SKCMD_SKINLOADED, SKCMD_STOPFADE, SKCMD_REPAINT}), skinOn);
    EXPECT_EQ(inner->Link->SkinSection(), L"EDIT");
    EXPECT_EQ(inner->Link->SkinIndex, Manager->GetSkinIndex(L"EDIT"));
    EXPECT_EQ(inner->Link->BorderIndex, Manager->gd[inner->Link->SkinIndex].BorderIndex);
    EXPECT_TRUE(inner->Link->Skinned(true));
    EXPECT_EQ(graphic->Link->SkinSection(), L"SPEEDBUTTON");
    EXPECT_EQ(graphic->Link->SkinIndex, -1); // TestFlat has no SPEEDBUTTON

    Log.clear();
    Manager->WriteSkinName(L"Calm");
    EXPECT_EQ(Commands({SKCMD_SKINLOADED, SKCMD_STOPFADE, SKCMD_REPAINT}), skinOn);
    EXPECT_EQ(inner->Link->SkinIndex, Manager->GetSkinIndex(L"EDIT"));
    EXPECT_EQ(graphic->Link->SkinIndex, Manager->GetSkinIndex(L"SPEEDBUTTON"));
    EXPECT_GE(graphic->Link->SkinIndex, 0);

    Log.clear();
    Manager->WriteActive(false);
    EXPECT_EQ(Commands({SKCMD_SKINLOADED, SKCMD_SKINREMOVED, SKCMD_STOPFADE, SKCMD_REPAINT}),
              (TLog{{L"second.inner", SKCMD_SKINREMOVED},
                    {L"second.graphic", SKCMD_SKINREMOVED},
                    {L"first.button", SKCMD_SKINREMOVED}}));
    EXPECT_EQ(inner->Link->SkinIndex, -1);
    EXPECT_EQ(inner->Link->Texture, -1);
    EXPECT_TRUE(inner->Link->Updating());
    EXPECT_EQ(inner->Link->CacheBmp()->Width(), 0);
    EXPECT_FALSE(inner->Link->Skinned());
}

// Commands 1 to 3 of another manager are not for a control linked to the default one.
TEST_F(SkinLink, CommandsOfAnotherManagerChangeNothing) {
    TForm* form = MakeForm();
    TWindowedProbe* probe = Windowed(form, L"probe");
    Manager->WriteSkinName(L"TestFlat");
    const int index = probe->Link->SkinIndex;
    ASSERT_GE(index, 0);
    auto* other = Construct<TsSkinManager>(nullptr);
    SendMessageW(probe->Handle(), SM_ALPHACMD, SkinWParam(SKCMD_SKINREMOVED),
                 reinterpret_cast<LPARAM>(other));
    EXPECT_EQ(probe->Link->SkinIndex, index);
    SendMessageW(probe->Handle(), SM_ALPHACMD, SkinWParam(SKCMD_SKINREMOVED),
                 reinterpret_cast<LPARAM>(Manager));
    EXPECT_EQ(probe->Link->SkinIndex, -1);
    other->Free();
}

TEST_F(SkinLink, AFormFreedDuringABroadcastIsSkipped) {
    TForm* doomed = MakeForm();
    Windowed(doomed, L"doomed.button");
    TForm* killer = MakeForm(); // made last: visited first
    TWindowedProbe* probe = Windowed(killer, L"killer.button");
    probe->OnCommand = [&](WORD Command) {
        if (Command != SKCMD_SKINLOADED || !doomed) return;
        doomed->Free();
        Forms.erase(std::find(Forms.begin(), Forms.end(), doomed));
        doomed = nullptr;
    };
    Log.clear();
    Manager->WriteSkinName(L"TestFlat");
    EXPECT_EQ(doomed, nullptr);
    for (const auto& entry : Log) EXPECT_NE(entry.first, L"doomed.button");
    EXPECT_EQ(Commands({SKCMD_SKINLOADED}), (TLog{{L"killer.button", SKCMD_SKINLOADED}}));
}

// Graphic children and windowed ones without a window get the message by Perform, skinned
// windows by their window, other windows are walked into; each is reached once.
TEST_F(SkinLink, CommandsPassDownATreeOfControlsAndWindowsOnce) {
    TForm* form = MakeForm();
    new TGraphicProbe(form, form, L"graphic", &Log, 92);
    TWindowedProbe* skinned = Windowed(form, L"skinned");
    Windowed(skinned, L"under skinned"); // a skinned container passes on itself; this one does not
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->HandleNeeded();
    Windowed(panel, L"under panel");
    Log.clear();
    TMessage message{SM_ALPHACMD, SkinWParam(SKCMD_MARKBGCHANGED), 0, 0};
    PassMessageToChildren(form, message);
    EXPECT_EQ(Commands({SKCMD_MARKBGCHANGED}), (TLog{{L"graphic", SKCMD_MARKBGCHANGED},
                                                     {L"skinned", SKCMD_MARKBGCHANGED},
                                                     {L"under panel", SKCMD_MARKBGCHANGED}}));
    // On a form without a window the windowed children have none either: Perform reaches them.
    TForm* bare = Construct<TForm>(Application);
    Forms.push_back(bare);
    new TWindowedProbe(bare, bare, L"no window", &Log, 93);
    Log.clear();
    PassMessageToChildren(bare, message);
    EXPECT_EQ(Log, (TLog{{L"no window", SKCMD_MARKBGCHANGED}}));

    // Raw child windows: only the direct children of the window, each once.
    Log.clear();
    SendToChildWindows(form->Handle(), message);
    EXPECT_EQ(Log, (TLog{{L"skinned", SKCMD_MARKBGCHANGED}}));
    Log.clear();
    RefreshChildWindows(form->Handle());
    EXPECT_EQ(Log, (TLog{{L"skinned", SKCMD_UPDATEDONE}}));
}

// A skin applied with a repaint locks the forms, and the repaint locks them again and unlocks
// them once: the locks nest and every form redraws afterwards. A hidden form is left alone.
TEST_F(SkinLink, TheRedrawLockNestsAndRestores) {
    auto* form = Construct<TProvidedForm>(Application);
    form->SetBounds(20, 20, 200, 150);
    form->Show();
    auto* hidden = Construct<TProvidedForm>(Application);
    hidden->HandleNeeded();
    AddSkinnedForm(form);
    AddSkinnedForm(hidden);
    Manager->WriteSkinName(L"TestFlat");
    // The unlock fades the form in (through the output window: it has no extended borders),
    // which lets it redraw; then the form redraws with its region rebuilt.
    EXPECT_EQ(form->Events, (std::vector<std::wstring>{L"animating", L"redraw off", L"animating",
                                                       L"redraw off", L"form region", L"redraw on",
                                                       L"redraw on", L"done", L"region"}));
    EXPECT_TRUE(hidden->Events.empty());
    EXPECT_FALSE(FormAnimating);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));

    // A form linked to another manager is not locked by this one.
    auto* other = Construct<TsSkinManager>(nullptr);
    form->Events.clear();
    form->Link->SetSkinManager(other);
    LockFormsRedraw(Manager);
    UnlockFormsRedraw(Manager, true);
    EXPECT_TRUE(form->Events.empty());
    form->Link->SetSkinManager(nullptr);

    // With the program minimised neither touches a form, and FormAnimating keeps its value.
    Application->Minimize();
    LockFormsRedraw(Manager);
    EXPECT_FALSE(FormAnimating);
    EXPECT_TRUE(form->Events.empty());
    Application->Restore();

    RemoveSkinnedForm(form);
    RemoveSkinnedForm(hidden);
    EXPECT_TRUE(SkinnedForms.empty());
    other->Free();
    form->Free();
    hidden->Free();
}

TEST(SkinnedFormList, RemovalMovesTheLastFormIntoTheFreedSlot) {
    auto* a = reinterpret_cast<TCustomForm*>(0x10);
    auto* b = reinterpret_cast<TCustomForm*>(0x20);
    auto* c = reinterpret_cast<TCustomForm*>(0x30);
    AddSkinnedForm(a);
    AddSkinnedForm(b);
    AddSkinnedForm(c);
    RemoveSkinnedForm(a);
    EXPECT_EQ(SkinnedForms, (std::vector<TCustomForm*>{c, b}));
    RemoveSkinnedForm(a); // not listed: nothing
    EXPECT_EQ(SkinnedForms.size(), 2u);
    RemoveSkinnedForm(b);
    RemoveSkinnedForm(c);
    EXPECT_TRUE(SkinnedForms.empty());
}

TEST(SkinLinkCodes, DefaultSectionsAndCodeSets) {
    const std::map<int, const wchar_t*> sections{
        {2, L"EDIT"},         {10, L"EDIT"},     {227, L"EDIT"},      {11, L"COMBOBOX"},
        {82, L"COMBOBOX"},    {19, L"BAR"},      {20, L"BARTITLE"},   {152, L"CHECKBOX"},
        {33, L"RADIOBUTTON"}, {73, L"PANEL"},    {58, L"PANEL_LOW"},  {60, L"TOOLBAR"},
        {56, L"DRAGBAR"},     {57, L"TABSHEET"}, {226, L"GROUPBOX"},  {75, L"SPLITTER"},
        {95, L"SPEEDBUTTON"}, {94, L"BUTTON"},   {98, L"TOOLBUTTON"}, {143, L"PAGECONTROL"},
        {151, L"STATUSBAR"},  {161, L"GAUGE"},   {165, L"TRACKBAR"},
    };
    for (const auto& [code, section] : sections)
        EXPECT_EQ(DefaultSectionFor(code, nullptr), section) << code;
    TsStoredSkins owner(nullptr); // any object: its class name is the section
    EXPECT_EQ(DefaultSectionFor(9, &owner), L"TsStoredSkins");
    EXPECT_TRUE(IsHoverlessClass(19));
    EXPECT_TRUE(IsHoverlessClass(74));
    EXPECT_FALSE(IsHoverlessClass(75));
    EXPECT_TRUE(IsFocusFrameClass(18));
    EXPECT_FALSE(IsFocusFrameClass(19));
    EXPECT_TRUE(IsGlowlessClass(226));
    EXPECT_FALSE(IsGlowlessClass(53));
    EXPECT_FALSE(IsGlowlessClass(300));
}

TEST_F(SkinLink, SectionNamesAndTheOwnersNotice) {
    TForm* form = MakeForm();
    TWindowedProbe* probe = Windowed(form, L"probe");
    Manager->WriteSkinName(L"TestFlat");
    Log.clear();
    probe->Link->SetSkinSection(L"edit");
    EXPECT_EQ(probe->Link->SkinSection(), L"EDIT");
    EXPECT_EQ(probe->Link->SkinIndex, Manager->GetSkinIndex(L"EDIT"));
    probe->Link->SetSkinSection(L"EDIT"); // the same text: nothing
    probe->Link->SetSkinSection(L"");
    EXPECT_EQ(probe->Link->SkinSection(), L"UNKNOWN");
    EXPECT_EQ(probe->Link->SkinIndex, -1);
    EXPECT_EQ(Log, (TLog{{L"probe", SKCMD_REPAINT}, {L"probe", SKCMD_SKINREMOVED}}));
}

// A section half transparent over a parent that answers black: per byte
// (50 x (0 - S) + 256 x S) >> 8, 205 for S = 255. Fully transparent: the parent's colour.
TEST_F(SkinLink, BackgroundColoursThroughTransparency) {
    TStringList common;
    common.SetText(L"[HALF]\r\nCOLOR=$00FFFFFF\r\nTRANSPARENCY=50\r\n"
                   L"[CLEAR]\r\nCOLOR=$00FFFFFF\r\nTRANSPARENCY=100\r\n"
                   L"[ALMOST]\r\nCOLOR=$000000FF\r\nTRANSPARENCY=99\r\n");
    Manager->WriteSkinName(L"TestFlat");
    Manager->SetCommonSections(&common); // merged into the skin, which is read again
    TForm* form = MakeForm();
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetColor(static_cast<TColor>(0x00FF00));
    panel->HandleNeeded();
    TWindowedProbe* probe = Windowed(panel, L"probe");
    probe->Link->SetSkinSection(L"HALF");
    EXPECT_EQ(SendSkinCommand(probe->Handle(), SKCMD_GETBGCOLOR), 0xCDCDCD);
    probe->Link->SetSkinSection(L"CLEAR");
    // Command 21 takes the parent's answer as it is (the plain panel's 0); ControlBgColor asks
    // an unskinned parent for its colour instead.
    EXPECT_EQ(SendSkinCommand(probe->Handle(), SKCMD_GETBGCOLOR), 0);
    EXPECT_EQ(ControlBgColor(probe->Link, false, nullptr), 0x00FF00);
    probe->Link->SetSkinSection(L"ALMOST");
    EXPECT_EQ(ControlBgColor(probe->Link, false, nullptr), 0x0003FC); // 99 % of the red
    // A fully transparent control answers command 19 as its parent (the panel: 0).
    probe->Link->SetSkinSection(L"CLEAR");
    EXPECT_EQ(SendSkinCommand(probe->Handle(), SKCMD_QUERYTEXTURED), 0);
    // Without a parent a skinned control is always updating.
    probe->SetParent(nullptr);
    probe->Link->SetSkinSection(L"HALF");
    EXPECT_TRUE(probe->Link->Updating());
}

// The default manager's hook on the application window: theme changes are swallowed while
// popups are skinned, and the program's activation has every screen form refresh, the last
// made first.
TEST_F(SkinLink, TheMainWindowHook) {
    TForm* first = MakeForm();
    TForm* second = MakeForm();
    std::vector<HWND> refreshed;
    auto* probeFirst = Windowed(first, L"first");
    auto* probeSecond = Windowed(second, L"second");
    (void)probeFirst;
    (void)probeSecond;
    struct TFormLog {
        static LRESULT CALLBACK Proc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR,
                                     DWORD_PTR Data) {
            if (Msg == SM_ALPHACMD && SkinCommandOf(WParam) == SKCMD_REFRESHNOW)
                reinterpret_cast<std::vector<HWND>*>(Data)->push_back(Wnd);
            return DefSubclassProc(Wnd, Msg, WParam, LParam);
        }
    };
    for (TForm* form : {first, second})
        SetWindowSubclass(form->Handle(), &TFormLog::Proc, 1,
                          reinterpret_cast<DWORD_PTR>(&refreshed));
    SendMessageW(Application->Handle(), CM_ACTIVATE, 0, 0);
    EXPECT_EQ(refreshed, (std::vector<HWND>{second->Handle(), first->Handle()}));
    for (TForm* form : {first, second}) RemoveWindowSubclass(form->Handle(), &TFormLog::Proc, 1);

    TMessage theme{WM_THEMECHANGED, 0, 0, 0};
    EXPECT_TRUE(Manager->HandleMainWindowMessage(theme));
    Manager->WriteSkinnedPopups(false);
    EXPECT_FALSE(Manager->HandleMainWindowMessage(theme)); // let through
}

// A changed section repaints the controls of that section only.
TEST_F(SkinLink, UpdateSkinSectionMarksTheControlsOfThatSection) {
    TForm* form = MakeForm();
    TWindowedProbe* button = Windowed(form, L"button");
    TWindowedProbe* edit = Windowed(form, L"edit", 3);
    Manager->WriteSkinName(L"TestFlat");
    button->Link->BGChanged = edit->Link->BGChanged = false;
    Manager->UpdateSkinSection(L"edit");
    EXPECT_EQ(UpdatedSectionName, L"EDIT");
    EXPECT_TRUE(edit->Link->BGChanged);
    EXPECT_FALSE(button->Link->BGChanged);
}

// A graphic control that fills itself with one colour, or only its top-left pixel.
class TColourBox : public TGraphicControl {
public:
    TColourBox(TWinControl* Parent, TRect Bounds, TColor Colour, bool CornerOnly = false)
        : TGraphicControl(Parent), FColour(Colour), FCornerOnly(CornerOnly) {
        SetParent(Parent);
        SetBounds(Bounds.left, Bounds.top, Bounds.Width(), Bounds.Height());
    }

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(FColour);
        Canvas()->FillRect(FCornerOnly ? TRect(0, 0, 1, 1) : TRect(0, 0, Width(), Height()));
    }

private:
    TColor FColour;
    bool FCornerOnly;
};

// Graphic children are painted over the parent's colour into the DC at the offset; a child
// whose top-left pixel stays in the key colour and a hidden child leave the DC as it was.
TEST_F(SkinLink, GraphicChildrenArePaintedOverTheirBackground) {
    TForm* form = MakeForm();
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 60, 40);
    panel->SetColor(static_cast<TColor>(0x00FF00));
    panel->HandleNeeded();
    new TColourBox(panel, TRect(2, 2, 12, 12), static_cast<TColor>(0x0000FF));
    new TColourBox(panel, TRect(20, 2, 30, 12), static_cast<TColor>(0xFF00FF), true);
    auto* hidden = new TColourBox(panel, TRect(40, 2, 50, 12), static_cast<TColor>(0xFF0000));
    hidden->SetVisible(false);
    auto* target = new TBitmap(80, 60, pf24bit);
    target->Canvas()->Brush()->SetColor(clWhite);
    target->Canvas()->FillRect(TRect(0, 0, 80, 60));
    PaintGraphicChildren(target->Canvas()->Handle(), panel, TPoint(5, 5));
    const HDC dc = target->Canvas()->Handle();
    EXPECT_EQ(GetPixel(dc, 7, 7), 0x0000FFu); // the red box at (2, 2) + (5, 5)
    EXPECT_EQ(GetPixel(dc, 16, 16), 0x0000FFu);
    EXPECT_EQ(GetPixel(dc, 17, 17), 0xFFFFFFu); // just outside it
    EXPECT_EQ(GetPixel(dc, 26, 8), 0xFFFFFFu);  // the keyed box is not copied
    EXPECT_EQ(GetPixel(dc, 46, 8), 0xFFFFFFu);  // nor the hidden one
    target->Free();
}

// A windowed control that fills itself with one colour.
class TColourPanel : public TCustomControl {
public:
    TColourPanel(TWinControl* Parent, TRect Bounds, TColor Colour)
        : TCustomControl(Parent), FColour(Colour) {
        SetParent(Parent);
        SetBounds(Bounds.left, Bounds.top, Bounds.Width(), Bounds.Height());
    }

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(FColour);
        Canvas()->FillRect(TRect(0, 0, Width(), Height()));
    }

private:
    TColor FColour;
};

// A tree painted into a bitmap: the outer control with its child at the child's place; an
// invisible control without a parent paints nothing.
TEST_F(SkinLink, ControlTreesArePaintedIntoABitmap) {
    TForm* form = MakeForm();
    auto* outer = new TColourPanel(form, TRect(0, 0, 60, 40), static_cast<TColor>(0x00FF00));
    new TColourPanel(outer, TRect(20, 10, 40, 30), static_cast<TColor>(0x0000FF));
    outer->HandleNeeded();
    auto* target = new TBitmap(60, 40, pf24bit);
    PaintControlToBmp(target, outer, 0, 0, nullptr);
    const HDC dc = target->Canvas()->Handle();
    EXPECT_EQ(GetPixel(dc, 5, 5), 0x00FF00u);
    EXPECT_EQ(GetPixel(dc, 30, 20), 0x0000FFu);
    auto* loose = new TPanel(nullptr);
    loose->SetVisible(false);
    target->Canvas()->Brush()->SetColor(clWhite);
    target->Canvas()->FillRect(TRect(0, 0, 60, 40));
    PaintControlToBmp(target, loose, 0, 0, nullptr);
    EXPECT_EQ(GetPixel(dc, 5, 5), 0xFFFFFFu);
    loose->Free();
    target->Free();
}

} // namespace
