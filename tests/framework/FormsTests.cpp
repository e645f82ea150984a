#include "framework/Forms.h"
#include "framework/ModuleInit.h"

#include "ControlTesting.h"
#include "EventTesting.h"
#include "MessageLoopTesting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The screen and application objects exist for each test, as in a program.
using Forms = TFrameworkTest;

// Runs the application's loop until `done` or a deadline.
template <class Done> bool PumpUntil(Done done, DWORD ms = 3000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        Application->ProcessMessages();
        Sleep(1);
    }
    return true;
}

// A component that notes what it saw of its own properties when Loaded ran.
class TLoadProbe : public TComponent {
    CLASS_INFO(TLoadProbe, TComponent)
public:
    TLoadProbe(TComponent* owner, std::vector<std::wstring>& log) : TComponent(owner), FLog(log) {}
    int Value = 0;

protected:
    void Loaded() override {
        TComponent::Loaded();
        FLog.push_back(Name() + L"=" + std::to_wstring(Value) +
                       (ComponentState().Contains(csReading) ? L" reading" : L""));
    }

private:
    std::vector<std::wstring>& FLog;
};

class TBuiltForm : public TForm {
    CLASS_INFO(TBuiltForm, TForm)
public:
    // Application->CreateForm passes only the owner: the log is the test's, through Log.
    explicit TBuiltForm(TComponent* owner) : TForm(owner), FLog(*Log) {
        LoadingInConstructor = ComponentState().Contains(csLoading);
        First = new TLoadProbe(this, FLog);
        First->SetName(L"First");
        First->Value = 1;
        Second = new TLoadProbe(this, FLog);
        Second->SetName(L"Second");
        Second->Value = 2;
        SecondLoadingInConstructor = Second->ComponentState().Contains(csLoading);
        SetCaption(L"Built");
        OnCreate = TNotifyEvent(this, &TBuiltForm::FormCreate);
    }
    static inline std::vector<std::wstring>* Log = nullptr;
    bool LoadingInConstructor = false;
    bool SecondLoadingInConstructor = false;
    TLoadProbe* First;
    TLoadProbe* Second;

protected:
    void Loaded() override {
        TForm::Loaded();
        FLog.push_back(L"form " + Caption());
    }

private:
    void FormCreate(TObject*) { FLog.push_back(L"create"); }
    std::vector<std::wstring>& FLog;
};

TEST_F(Forms, ABuiltFormLoadsAfterItsPropertiesInCreationOrder) {
    std::vector<std::wstring> log;
    TBuiltForm::Log = &log;
    TBuiltForm* reference = nullptr;
    Application->CreateForm(reference);
    ASSERT_NE(reference, nullptr);
    EXPECT_TRUE(reference->LoadingInConstructor);
    EXPECT_TRUE(reference->SecondLoadingInConstructor);
    EXPECT_FALSE(reference->ComponentState().Contains(csLoading));
    EXPECT_FALSE(reference->Second->ComponentState().Contains(csLoading));
    EXPECT_EQ(log, (std::vector<std::wstring>{L"form Built", L"First=1", L"Second=2", L"create"}));
    EXPECT_EQ(Application->MainForm(), reference);
    EXPECT_EQ(Screen->CustomFormCount(), 1);
}

TEST_F(Forms, APlainFormIsNotLoadedButCreated) {
    std::vector<std::wstring> log;
    TBuiltForm::Log = &log;
    auto* form = Construct<TBuiltForm>(Application);
    EXPECT_FALSE(form->LoadingInConstructor);
    EXPECT_EQ(log, std::vector<std::wstring>{L"create"});
    EXPECT_EQ(Application->MainForm(), nullptr);
    form->Free();
    EXPECT_EQ(Screen->CustomFormCount(), 0);
}

// A form that sets its ModalResult from a posted message, as a button would on a click.
class TAnswerForm : public TForm {
    CLASS_INFO(TAnswerForm, TForm)
public:
    using TForm::TForm;
    static constexpr UINT WM_ANSWER = WM_APP + 7;
    int Refusals = 0;
    int Closes = 0;

protected:
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == WM_ANSWER)
            SetModalResult(static_cast<TModalResult>(Message.WParam));
        else
            TForm::Dispatch(Message);
    }
};

TEST_F(Forms, ShowModalAnswersTheResultSetWhileItRuns) {
    auto* form = Construct<TAnswerForm>(Application);
    bool shownDuringLoop = false;
    TLambdaHandler<void(TObject*)> handler2([&](TObject*) {
        shownDuringLoop = true;
        PostMessageW(form->Handle(), TAnswerForm::WM_ANSWER, mrOk, 0);
    });
    form->OnShow = handler2.Event();
    TLoopDeadline deadline(5000);
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_TRUE(shownDuringLoop);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(form->FormState().Contains(fsModal));
    EXPECT_EQ(Application->ModalLevel(), 0);
    form->Free();
}

TEST_F(Forms, CloseQueryCanKeepAModalFormOpen) {
    auto* form = Construct<TAnswerForm>(Application);
    int asked = 0;
    TLambdaHandler<void(TObject*, bool&)> handler3([&](TObject*, bool& canClose) {
        canClose = ++asked > 1;
        if (!canClose) PostMessageW(form->Handle(), TAnswerForm::WM_ANSWER, mrYes, 0);
    });
    form->OnCloseQuery = handler3.Event();
    TLambdaHandler<void(TObject*)> handler4(
        [&](TObject*) { PostMessageW(form->Handle(), TAnswerForm::WM_ANSWER, mrNo, 0); });
    form->OnShow = handler4.Event();
    TLoopDeadline deadline(5000);
    EXPECT_EQ(form->ShowModal(), mrYes);
    EXPECT_EQ(asked, 2);
    form->Free();
}

TEST_F(Forms, ShowModalDisablesTheOtherFormsAndEnablesThemAgain) {
    auto* owner = Construct<TForm>(Application);
    owner->Show();
    auto* dialog = Construct<TAnswerForm>(Application);
    bool ownerEnabledDuring = true;
    TLambdaHandler<void(TObject*)> handler5([&](TObject*) {
        ownerEnabledDuring = IsWindowEnabled(owner->Handle()) != 0;
        PostMessageW(dialog->Handle(), TAnswerForm::WM_ANSWER, mrCancel, 0);
    });
    dialog->OnShow = handler5.Event();
    TLoopDeadline deadline(5000);
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_FALSE(ownerEnabledDuring);
    EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
    dialog->Free();
    owner->Free();
}

TEST_F(Forms, CloseWithCaFreeReleasesTheFormAfterPendingMessages) {
    auto* form = Construct<TForm>(Application);
    form->Show();
    TLambdaHandler<void(TObject*, TCloseAction&)> handler6(
        [](TObject*, TCloseAction& action) { action = caFree; });
    form->OnClose = handler6.Event();
    bool destroyed = false;
    TLambdaHandler<void(TObject*)> handler7([&](TObject*) { destroyed = true; });
    form->OnDestroy = handler7.Event();
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(destroyed); // still answering the close message
    EXPECT_TRUE(PumpUntil([&] { return destroyed; }));
    EXPECT_EQ(Screen->CustomFormCount(), 0);
}

TEST_F(Forms, ClosingTheMainFormEndsTheProgram) {
    TForm* main = nullptr;
    Application->CreateForm(main);
    main->Show();
    main->Close();
    EXPECT_TRUE(PumpUntil([] { return Application->Terminated(); }));
}

TEST_F(Forms, OnShowRunsOnEveryShowingAndPositionCentresOnce) {
    auto* form = Construct<TForm>(Application);
    form->SetBounds(0, 0, 300, 200);
    form->SetPosition(poScreenCenter);
    int shows = 0;
    TLambdaHandler<void(TObject*)> handler8([&](TObject*) { ++shows; });
    form->OnShow = handler8.Event();
    form->Show();
    const TRect work = Screen->WorkAreaRect();
    EXPECT_EQ(form->Left(), work.left + (work.Width() - 300) / 2);
    EXPECT_EQ(form->Top(), work.top + (work.Height() - 200) / 2);
    form->SetLeft(5);
    form->Hide();
    form->Show();
    EXPECT_EQ(shows, 2);
    EXPECT_EQ(form->Left(), 5);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    form->Free();
}

TEST_F(Forms, BorderStyleAndIconsMakeTheWindowStyle) {
    struct TCase {
        TFormBorderStyle Border;
        TBorderIcons Icons;
        DWORD Present;
        DWORD Absent;
        DWORD ExPresent;
    };
    const TCase cases[] = {
        {bsSizeable,
         {biSystemMenu, biMinimize, biMaximize},
         WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU,
         0,
         0},
        {bsSingle, {biSystemMenu}, WS_CAPTION | WS_SYSMENU, WS_THICKFRAME | WS_MINIMIZEBOX, 0},
        {bsDialog,
         {biSystemMenu, biMinimize},
         WS_CAPTION | WS_SYSMENU,
         WS_MINIMIZEBOX | WS_THICKFRAME,
         WS_EX_DLGMODALFRAME},
        {bsToolWindow, {biSystemMenu}, WS_CAPTION, WS_THICKFRAME, WS_EX_TOOLWINDOW},
        {bsNone, {biSystemMenu}, WS_POPUP, WS_CAPTION | WS_SYSMENU, 0},
    };
    for (const TCase& c : cases) {
        auto* form = Construct<TForm>(Application);
        form->SetBorderStyle(c.Border);
        form->SetBorderIcons(c.Icons);
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(form->Handle(), GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE));
        EXPECT_EQ(style & c.Present, c.Present) << c.Border;
        EXPECT_EQ(style & c.Absent, 0u) << c.Border;
        EXPECT_EQ(exStyle & c.ExPresent, c.ExPresent) << c.Border;
        form->Free();
    }
}

// A focusable plain control.
class TFocusable : public TWinControl {
    CLASS_INFO(TFocusable, TWinControl)
public:
    explicit TFocusable(TComponent* owner) : TWinControl(owner) { SetTabStop(true); }
};

TEST_F(Forms, TabMovesTheFocusInTabOrderAndTheFormFollowsIt) {
    auto* form = Construct<TForm>(Application);
    TFocusable* controls[3];
    for (int i = 0; i < 3; ++i) {
        controls[i] = new TFocusable(form);
        controls[i]->SetParent(form);
        controls[i]->SetBounds(10, 10 + 30 * i, 50, 20);
    }
    controls[2]->SetTabOrder(0); // tab order: 2, 0, 1
    controls[1]->SetTabStop(false);
    form->Show();
    controls[2]->SetFocus();
    EXPECT_EQ(form->ActiveControl(), controls[2]);
    EXPECT_EQ(form->Perform(CM_DIALOGKEY, VK_TAB, 0), 1);
    EXPECT_EQ(form->ActiveControl(), controls[0]);
    EXPECT_TRUE(controls[0]->Focused());
    form->Perform(CM_DIALOGKEY, VK_TAB, 0); // 1 is no tab stop: back to 2
    EXPECT_EQ(form->ActiveControl(), controls[2]);
    form->Free();
}

TEST_F(Forms, KeyPreviewGivesTheFormTheKeysFirst) {
    auto* form = Construct<TForm>(Application);
    auto* control = new TFocusable(form);
    control->SetParent(form);
    std::vector<std::wstring> log;
    TLambdaHandler<void(TObject*, Word&, TShiftState)> handler9(
        [&](TObject*, Word& key, TShiftState) {
            log.push_back(L"form");
            if (key == 'A') key = 0;
        });
    form->OnKeyDown = handler9.Event();
    TLambdaHandler<void(TObject*, Word&, TShiftState)> handler10(
        [&](TObject*, Word&, TShiftState) { log.push_back(L"control"); });
    control->OnKeyDown = handler10.Event();
    form->SetKeyPreview(true);
    control->Perform(WM_KEYDOWN, 'B', 0);
    control->Perform(WM_KEYDOWN, 'A', 0); // swallowed by the form
    form->SetKeyPreview(false);
    control->Perform(WM_KEYDOWN, 'B', 0);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"form", L"control", L"form", L"control"}));
    form->Free();
}

TEST_F(Forms, GetParentFormFindsTheOuterOrTheNearestForm) {
    auto* outer = Construct<TForm>(Application);
    auto* inner = Construct<TForm>(outer);
    inner->SetParent(outer);
    auto* control = new TFocusable(inner);
    control->SetParent(inner);
    EXPECT_EQ(GetParentForm(control), outer);
    EXPECT_EQ(GetParentForm(control, false), inner);
    EXPECT_EQ(GetParentForm(nullptr), nullptr);
    outer->Free();
}

TEST_F(Forms, MinimizeAndRestoreFireOnlyOnARealChange) {
    TForm* main = nullptr;
    Application->CreateForm(main);
    main->Show();
    int minimized = 0;
    int restored = 0;
    TLambdaHandler<void(TObject*)> handler11([&](TObject*) { ++minimized; });
    Application->OnMinimize = handler11.Event();
    TLambdaHandler<void(TObject*)> handler12([&](TObject*) { ++restored; });
    Application->OnRestore = handler12.Event();
    Application->Restore();
    Application->Minimize();
    Application->Minimize();
    EXPECT_TRUE(IsIconic(main->Handle()));
    Application->Restore();
    Application->Restore();
    EXPECT_EQ(minimized, 1);
    EXPECT_EQ(restored, 1);
    EXPECT_FALSE(IsIconic(main->Handle()));
}

TEST_F(Forms, HooksSeeTheApplicationWindowsMessagesFirst) {
    std::vector<UINT> seen;
    TLambdaHandler<bool(TMessage&)> handler([&](TMessage& message) {
        if (message.Msg == WM_APP + 3) seen.push_back(message.Msg);
        return message.Msg == WM_APP + 3;
    });
    const TWindowHook hook = handler.Event();
    Application->HookMainWindow(hook);
    SendMessageW(Application->Handle(), WM_APP + 3, 0, 0);
    Application->UnhookMainWindow(hook);
    SendMessageW(Application->Handle(), WM_APP + 3, 0, 0);
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(Forms, MDIChildrenLiveInTheFramesClient) {
    TForm* frame = nullptr;
    Application->CreateForm(frame);
    frame->SetFormStyle(fsMDIForm);
    frame->Show();
    ASSERT_NE(frame->ClientHandle(), nullptr);
    auto* child = Construct<TForm>(Application);
    child->SetFormStyle(fsMDIChild);
    child->Show();
    EXPECT_EQ(GetParent(child->Handle()), frame->ClientHandle());
    EXPECT_EQ(frame->MDIChildCount(), 1);
    EXPECT_EQ(frame->MDIChildren(0), child);
    EXPECT_EQ(frame->ActiveMDIChild(), child);
    child->Free();
    EXPECT_EQ(frame->MDIChildCount(), 0);
}

TEST_F(Forms, AnMDIChildNeedsAnMDIFrame) {
    auto* child = Construct<TForm>(Application);
    child->SetFormStyle(fsMDIChild);
    EXPECT_THROW(child->Show(), EInvalidOperation);
    child->Free();
}

TEST_F(Forms, ScrollBoxRangeFollowsItsChildrenAndScrollingMovesThem) {
    auto* form = Construct<TForm>(Application);
    auto* box = new TScrollBox(form);
    box->SetParent(form);
    box->SetBounds(0, 0, 100, 100);
    auto* child = new TFocusable(form);
    child->SetParent(box);
    child->SetBounds(10, 250, 40, 20);
    form->HandleNeeded();
    EXPECT_EQ(box->VertScrollBar()->Range(), 270);
    EXPECT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(box->HorzScrollBar()->Range(), 50);
    EXPECT_FALSE(box->HorzScrollBar()->IsScrollBarVisible());
    box->VertScrollBar()->SetPosition(100);
    EXPECT_EQ(child->Top(), 150);
    box->VertScrollBar()->SetPosition(100000); // clamped to the range less the client height
    EXPECT_EQ(box->VertScrollBar()->Position(), box->VertScrollBar()->MaxPosition());
    box->VertScrollBar()->SetPosition(0);
    box->ScrollInView(child);
    RECT client;
    GetClientRect(box->Handle(), &client);
    EXPECT_LE(child->Top() + child->Height(), client.bottom);
    EXPECT_GE(child->Top(), 0);
    form->Free();
}

TEST_F(Forms, ScreenFollowsTheActiveForm) {
    auto* first = Construct<TForm>(Application);
    auto* second = Construct<TForm>(Application);
    EXPECT_EQ(Screen->CustomFormCount(), 2);
    EXPECT_EQ(Screen->FormCount(), 2);
    first->Show();
    second->Show();
    EXPECT_TRUE(PumpUntil([&] { return Screen->ActiveCustomForm() == second; }));
    second->Free();
    EXPECT_NE(Screen->ActiveCustomForm(), second);
    EXPECT_EQ(Screen->CustomForms(0), first);
    EXPECT_GT(Screen->MonitorCount(), 0);
    EXPECT_GT(Screen->MenuFont()->Height() != 0 ? 1 : 0, 0);
    first->Free();
}

} // namespace

namespace {

// A control that records the hint query and may change it or refuse it.
class THinted : public TWinControl {
    CLASS_INFO(THinted, TWinControl)
public:
    using TWinControl::TWinControl;
    bool Refuse = false;
    int Queries = 0;
    UnicodeString Replacement;

protected:
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == CM_HINTSHOWPAUSE) {
            *reinterpret_cast<int*>(Message.LParam) = 0;
            return;
        }
        if (Message.Msg == CM_HINTSHOW) {
            ++Queries;
            auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
            if (!Replacement.empty()) info->HintStr = Replacement;
            Message.Result = Refuse ? 1 : 0;
            return;
        }
        TWinControl::Dispatch(Message);
    }
};

struct THintFixture {
    TForm* Form;
    THinted* Control;
    TPoint Centre;
};

THintFixture MakeHintedForm() {
    auto* form = Construct<TForm>(Application);
    // Hints are found through the window under the cursor: a corner of the screen that the
    // windows of test programs running beside this one leave free, above them.
    form->SetBounds(960, 560, 300, 200);
    form->SetFormStyle(fsStayOnTop);
    auto* control = new THinted(form);
    control->SetParent(form);
    control->SetBounds(20, 20, 100, 50);
    control->SetHint(L"Short|Long text");
    control->SetShowHint(true);
    form->Show();
    const TPoint centre = control->ClientToScreen({50, 25});
    SetCursorPos(centre.x, centre.y);
    return {form, control, centre};
}

} // namespace

TEST_F(Forms, AMouseRestingOnAControlShowsItsShortHintUntilAKey) {
    const THintFixture fixture = MakeHintedForm();
    PostMessageW(fixture.Control->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(50, 25));
    ASSERT_TRUE(PumpUntil([] {
        return Application->HintWindow() && IsWindowVisible(Application->HintWindow()->Handle());
    }));
    EXPECT_EQ(fixture.Control->Queries, 1);
    EXPECT_EQ(Application->HintWindow()->Caption(), L"Short");
    THintWindow* hint = Application->HintWindow();
    PostMessageW(fixture.Control->Handle(), WM_KEYDOWN, VK_SHIFT, 0);
    EXPECT_TRUE(
        PumpUntil([&] { return !hint->HandleAllocated() || !IsWindowVisible(hint->Handle()); }));
    fixture.Form->Free();
}

TEST_F(Forms, TheControlCanChangeOrRefuseItsHint) {
    const THintFixture fixture = MakeHintedForm();
    fixture.Control->Replacement = L"Changed";
    Application->ActivateHint(fixture.Centre);
    ASSERT_NE(Application->HintWindow(), nullptr);
    EXPECT_EQ(Application->HintWindow()->Caption(), L"Changed");
    Application->CancelHint();
    EXPECT_FALSE(IsWindowVisible(Application->HintWindow()->Handle()));
    fixture.Control->Refuse = true;
    fixture.Control->Replacement = L"Never";
    Application->ActivateHint(fixture.Centre);
    EXPECT_NE(Application->HintWindow()->Caption(), L"Never");
    Application->SetShowHint(false);
    EXPECT_EQ(Application->HintWindow(), nullptr);
    fixture.Form->Free();
}

TEST(FormsHints, ShortAndLongParts) {
    EXPECT_EQ(GetShortHint(L"a|b|c"), L"a");
    EXPECT_EQ(GetLongHint(L"a|b|c"), L"b|c");
    EXPECT_EQ(GetShortHint(L"plain"), L"plain");
    EXPECT_EQ(GetLongHint(L"plain"), L"plain");
}

#include "framework/Menus.h"

namespace {

TEST_F(Forms, TheMenuBarIsTheFormsAndItsCommandsAndShortcutsReachTheItems) {
    auto* form = Construct<TForm>(Application);
    auto* menu = new TMainMenu(form);
    auto* file = new TMenuItem(menu);
    file->SetCaption(L"&File");
    menu->Items()->Add(file);
    auto* save = new TMenuItem(menu);
    save->SetCaption(L"&Save");
    save->SetShortCut(ShortCut('S', {ssCtrl}));
    file->Add(save);
    int clicks = 0;
    TLambdaHandler<void(TObject*)> onSave([&](TObject*) { ++clicks; });
    save->OnClick = onSave.Event();
    form->SetMenu(menu);
    auto* control = new TFocusable(form);
    control->SetParent(form);
    form->Show();
    EXPECT_EQ(GetMenu(form->Handle()), menu->Handle());

    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(save->Command(), 0), 0);
    EXPECT_EQ(clicks, 1);

    control->SetFocus();
    BYTE keys[256]{};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    PostMessageW(control->Handle(), WM_KEYDOWN, 'S', 1);
    PumpUntil([&] { return clicks == 2; }, 1000);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(clicks, 2);

    form->SetMenu(nullptr);
    EXPECT_EQ(GetMenu(form->Handle()), nullptr);
    form->SetMenu(menu);
    menu->Free(); // the form forgets it and the window keeps no destroyed menu
    EXPECT_EQ(form->Menu(), nullptr);
    EXPECT_EQ(GetMenu(form->Handle()), nullptr);
    form->Free();
}

} // namespace

namespace {

TEST_F(Forms, AnActiveMDIChildsMenuJoinsTheFramesMenuBar) {
    TForm* frame = nullptr;
    Application->CreateForm(frame);
    frame->SetFormStyle(fsMDIForm);
    auto* frameMenu = new TMainMenu(frame);
    auto* file = new TMenuItem(frameMenu);
    file->SetCaption(L"File");
    frameMenu->Items()->Add(file);
    frame->SetMenu(frameMenu);
    frame->Show();
    auto* child = Construct<TForm>(Application);
    auto* childMenu = new TMainMenu(child);
    auto* edit = new TMenuItem(childMenu);
    edit->SetCaption(L"Edit");
    edit->SetGroupIndex(1);
    childMenu->Items()->Add(edit);
    child->SetMenu(childMenu);
    child->SetFormStyle(fsMDIChild);
    child->Show();
    EXPECT_EQ(GetMenuItemCount(GetMenu(frame->Handle())), 2);
    child->Free();
    EXPECT_EQ(GetMenuItemCount(GetMenu(frame->Handle())), 1);
}

} // namespace

namespace {

TEST_F(Forms, ClientPointsMapPastTheFormsCaptionAndMenu) {
    auto* form = Construct<TForm>(Application);
    auto* menu = new TMainMenu(form);
    auto* item = new TMenuItem(menu);
    item->SetCaption(L"File");
    menu->Items()->Add(item);
    form->SetMenu(menu);
    form->SetBounds(50, 60, 300, 200);
    auto* control = new TFocusable(form);
    control->SetParent(form);
    control->SetBounds(10, 20, 50, 30);
    form->Show();
    POINT expected{5, 6};
    ::ClientToScreen(control->Handle(), &expected);
    EXPECT_EQ(control->ClientToScreen({5, 6}), TPoint(expected.x, expected.y));
    EXPECT_EQ(control->ScreenToClient({expected.x, expected.y}), TPoint(5, 6));
    POINT formOrigin{0, 0};
    ::ClientToScreen(form->Handle(), &formOrigin);
    EXPECT_EQ(form->ClientToScreen({0, 0}), TPoint(formOrigin.x, formOrigin.y));
    form->Free();
}

} // namespace
