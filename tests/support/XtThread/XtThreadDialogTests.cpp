#include "support/XtThread/XtThread.h"

#include "framework/SyncObjs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>

namespace {

// Runs the application's loop until `done` or a deadline.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = 5000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        Application->ProcessMessages();
        Sleep(1);
    }
    return true;
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

// A dialog form that counts its content updates and remembers how its modal showings ended.
class TCountingDialogForm : public TXtCustomThreadDialogForm {
    CLASS_INFO(TCountingDialogForm, TXtCustomThreadDialogForm)
public:
    using TXtCustomThreadDialogForm::TXtCustomThreadDialogForm;
    int Updates = 0;
    int Shows = 0;
    TModalResult LastModalResult = mrNone;

    TModalResult ShowModal() override {
        LastModalResult = TXtCustomThreadDialogForm::ShowModal();
        return LastModalResult;
    }

protected:
    void UpdateFormContents() override { ++Updates; }
    void DoShow() override {
        ++Shows;
        TXtCustomThreadDialogForm::DoShow();
    }
};

class TCountingDialog : public TXtCustomThreadDialog {
    CLASS_INFO(TCountingDialog, TXtCustomThreadDialog)
public:
    using TXtCustomThreadDialog::TXtCustomThreadDialog;
    TXtCustomThreadDialogForm* CreateThreadDialogForm(TXtThread* ConnectedThread) override {
        return Construct<TCountingDialogForm>(ConnectedThread);
    }
};

// A component with a dialog attached; every run ends when the gate opens or when it is told
// to terminate. The form ticks every 20 ms.
class XtThreadDialog : public testing::Test {
public:
    void SetUp() override {
        FFramework.Initialize();
        Component = Construct<TXtThread>(nullptr);
        Dialog = Construct<TCountingDialog>(nullptr);
        Dialog->DialogOptions()->SetShowDialog(true);
        Dialog->DialogOptions()->SetShowModal(false);
        Component->SetThreadDialog(Dialog);
        Component->OnExecute = TXtNotifyParamsEvent(this, &XtThreadDialog::GatedRun);
        Component->AfterCreateDialogForm =
            TXtThreadDialogFormEvent(this, &XtThreadDialog::FormCreated);
    }
    void TearDown() override {
        Gate.SetEvent();
        FreeAndNil(Component);
        FreeAndNil(Dialog);
        FFramework.Finalize();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    void GatedRun(TObject* Sender, void*) {
        auto* run = static_cast<TXtBaseThread*>(Sender);
        while (!run->Terminated() && Gate.WaitFor(5) != wrSignaled) {
        }
    }
    void FormCreated(TXtCustomThreadDialogForm* DialogForm) {
        DialogForm->SetInternalTimerInterval(20);
        Form = static_cast<TCountingDialogForm*>(DialogForm);
    }
    void EndRuns() {
        Gate.SetEvent();
        ASSERT_TRUE(PumpUntil([this] { return !Component->OneThreadIsRunning(); }));
    }

    TXtThread* Component = nullptr;
    TCountingDialog* Dialog = nullptr;
    TCountingDialogForm* Form = nullptr;
    TSimpleEvent Gate;

private:
    TModuleEntry FFramework = FrameworkModule();
};

TEST_F(XtThreadDialog, TheFormNeedsAThreadComponentAsOwner) {
    std::unique_ptr<TComponent, void (*)(TComponent*)> plainOwner(
        new TComponent(nullptr), [](TComponent* owner) { owner->Free(); });
    TComponent* const owners[] = {nullptr, Application, plainOwner.get()};
    for (TComponent* owner : owners) {
        try {
            Construct<TCountingDialogForm>(owner);
            ADD_FAILURE() << "a form was made without a thread component";
        } catch (const EXtComponentError& error) {
            EXPECT_EQ(error.Message(),
                      L"TXtCustomThreadDialogForm.SetConnectedThread: A thread must be a "
                      L"TXtThread-Component");
        }
    }
    EXPECT_EQ(Screen->CustomFormCount(), 0) << "a refused form leaves nothing behind";
}

TEST_F(XtThreadDialog, TheOptionsAndTheTimerKeepTheirValuesInRange) {
    Dialog->DialogOptions()->SetShowDelay(-5);
    EXPECT_EQ(Dialog->DialogOptions()->ShowDelay(), 0);
    auto* form = Construct<TCountingDialogForm>(Component);
    EXPECT_EQ(form->InternalTimerInterval(), 500u);
    form->SetInternalTimerInterval(0);
    EXPECT_EQ(form->InternalTimerInterval(), 1u);
}

TEST_F(XtThreadDialog, TheFormShowsOnceAfterTheShowDelayAndHidesWhenTheRunsEnd) {
    Dialog->DialogOptions()->SetShowDelay(200);
    const DWORD start = GetTickCount();
    ASSERT_NE(Component->Execute(nullptr), nullptr);
    ASSERT_NE(Form, nullptr) << "made before the run was resumed";
    EXPECT_EQ(Component->ThreadDialogForm(), Form);
    EXPECT_FALSE(Form->Visible());
    ASSERT_TRUE(PumpUntil([this] { return Form->Visible(); }));
    EXPECT_GE(GetTickCount() - start, 100u) << "shown long before the delay had passed";
    EXPECT_TRUE(PumpUntil([this] { return Form->Updates > 3; }))
        << "the content is updated on the ticks after showing";
    EXPECT_EQ(Form->Shows, 1);
    EndRuns();
    EXPECT_TRUE(PumpUntil([this] { return !Form->Visible(); }));
    EXPECT_EQ(Form->Shows, 1);
}

TEST_F(XtThreadDialog, WithoutADelayTheFormShowsAtTheFirstResume) {
    Component->SetRunOnCreate(false);
    TXtBaseThread* run = Component->Execute(nullptr);
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(Form, nullptr) << "no form before a run is resumed";
    Component->Resume(run);
    ASSERT_NE(Form, nullptr);
    EXPECT_TRUE(Form->Visible());
    EndRuns();
    EXPECT_FALSE(Form->Visible()) << "the last run's end hides the form";
}

TEST_F(XtThreadDialog, TheFormWaitsWhileTheShowDelayIsDisabled) {
    Dialog->DialogOptions()->SetShowDelay(40);
    Component->DisableDialogShowDelay();
    ASSERT_NE(Component->Execute(nullptr), nullptr);
    PumpFor(200);
    EXPECT_FALSE(Form->Visible());
    Component->EnableDialogShowDelay();
    EXPECT_TRUE(PumpUntil([this] { return Form->Visible(); }));
}

TEST_F(XtThreadDialog, AModalFormEndsWithCancelWhenTheRunsEnd) {
    Dialog->DialogOptions()->SetShowModal(true);
    struct TShortRun {
        void Run(TObject*, void*) { Sleep(150); }
    } shortRun;
    Component->OnExecute = TXtNotifyParamsEvent(&shortRun, &TShortRun::Run);
    ASSERT_NE(Component->ExecuteWithDialog(nullptr), nullptr);
    ASSERT_NE(Form, nullptr);
    EXPECT_EQ(Form->Shows, 1);
    EXPECT_EQ(Form->LastModalResult, mrCancel);
    EXPECT_FALSE(Application->Terminated()) << "ended by the runs, not by the loop's end";
    EXPECT_FALSE(Form->Visible());
    EXPECT_FALSE(Component->OneThreadIsRunning());
}

TEST_F(XtThreadDialog, TheFormMayCloseOnlyWhenNoRunGoesOn) {
    ASSERT_NE(Component->Execute(nullptr), nullptr);
    ASSERT_TRUE(Form->Visible());
    EXPECT_FALSE(Form->CloseQuery());
    Form->Close();
    EXPECT_TRUE(Form->Visible());
    EndRuns();
    EXPECT_TRUE(Form->CloseQuery());
}

TEST_F(XtThreadDialog, CancelEscapeAndTheCancelButtonCancelTheRuns) {
    ASSERT_NE(Component->Execute(nullptr), nullptr);
    Form->PressCancel();
    EXPECT_TRUE(Component->Terminated());
    Component->WaitFor();
    ASSERT_NE(Component->Execute(nullptr), nullptr);
    EXPECT_EQ(Form->Perform(CM_DIALOGKEY, VK_ESCAPE, 0), 1);
    EXPECT_TRUE(Component->Terminated());
    Component->WaitFor();
    ASSERT_NE(Component->Execute(nullptr), nullptr);
    Form->CancelButton()->Perform(CN_COMMAND, MAKEWPARAM(0, BN_CLICKED), 0);
    EXPECT_TRUE(Component->Terminated());
    Component->WaitFor();
}

TEST_F(XtThreadDialog, OnPressCancelTakesTheCancelInstead) {
    int pressed = 0;
    struct TPress {
        int* Count;
        void Pressed(TObject*) { ++*Count; }
    } press{&pressed};
    ASSERT_NE(Component->Execute(nullptr), nullptr);
    Form->OnPressCancel = TNotifyEvent(&press, &TPress::Pressed);
    Form->PressCancel();
    EXPECT_EQ(pressed, 1);
    EXPECT_FALSE(Component->Terminated());
}

TEST_F(XtThreadDialog, TheConnectedDataGoesOnToTheForm) {
    int data = 0;
    TObject* const object = reinterpret_cast<TObject*>(&data); // compared, never used
    Component->SetConnectedDataObject(object);
    ASSERT_NE(Component->Execute(nullptr), nullptr);
    EXPECT_EQ(Form->ConnectedDataObject(), object);
    auto* watched = new TComponent(nullptr);
    Component->SetConnectedDataComponent(watched);
    EXPECT_EQ(Form->ConnectedDataComponent(), watched);
    watched->Free();
    EXPECT_EQ(Form->ConnectedDataComponent(), nullptr);
    EXPECT_EQ(Component->ConnectedDataComponent(), nullptr);
}

TEST_F(XtThreadDialog, FreeingTheDialogDetachesIt) {
    FreeAndNil(Dialog);
    EXPECT_EQ(Component->ThreadDialog(), nullptr);
    ASSERT_NE(Component->Execute(nullptr), nullptr);
    EXPECT_EQ(Form, nullptr);
}

// ---- message dialogs of runs

struct TDialogSeen {
    DWORD Thread = 0;
    UnicodeString Msg;
    TMsgDlgType Type = mtCustom;
    TMsgDlgButtons Buttons;
    Integer HelpCtx = 0;
    bool DelayDisabled = false;
    TXtThread* Component = nullptr;
    TModalResult Answer = mrNone;

    void Show(const UnicodeString& AMsg, TMsgDlgType AType, TMsgDlgButtons AButtons,
              Integer AHelpCtx, TModalResult& DlgResult) {
        Thread = GetCurrentThreadId();
        Msg = AMsg;
        Type = AType;
        Buttons = AButtons;
        HelpCtx = AHelpCtx;
        DelayDisabled = Component->IsDialogShowDelayDisabled();
        DlgResult = mrRetry;
    }
    void Ask(TObject*, void*) {
        Answer = Component->SynchMessageDlg(L"Try again?", mtConfirmation, {mbRetry, mbCancel}, 7);
    }
};

TEST_F(XtThreadDialog, SynchMessageDlgFromARunIsShownOnTheMainThread) {
    TDialogSeen seen;
    seen.Component = Component;
    Component->OnShowMessageDlgEvent = TXtThreadShowMessageDlgEvent(&seen, &TDialogSeen::Show);
    Component->OnExecute = TXtNotifyParamsEvent(&seen, &TDialogSeen::Ask);
    ASSERT_NE(Component->ExecuteAndWait(nullptr), nullptr);
    EXPECT_EQ(seen.Answer, mrRetry);
    EXPECT_EQ(seen.Thread, GetCurrentThreadId());
    EXPECT_EQ(seen.Msg, L"Try again?");
    EXPECT_EQ(seen.Type, mtConfirmation);
    EXPECT_EQ(seen.Buttons, (TMsgDlgButtons{mbRetry, mbCancel}));
    EXPECT_EQ(seen.HelpCtx, 7);
    EXPECT_TRUE(seen.DelayDisabled);
    EXPECT_FALSE(Component->IsDialogShowDelayDisabled());
}

TEST_F(XtThreadDialog, SynchMessageDlgOffTheRunsCallsTheHandlerDirectly) {
    TDialogSeen seen;
    seen.Component = Component;
    Component->OnShowMessageDlgEvent = TXtThreadShowMessageDlgEvent(&seen, &TDialogSeen::Show);
    seen.Ask(nullptr, nullptr);
    EXPECT_EQ(seen.Answer, mrRetry);
    EXPECT_EQ(seen.Thread, GetCurrentThreadId());
    EXPECT_TRUE(seen.DelayDisabled);
}

TEST(XtDragCursors, TheModuleCursorsShowTheScreensDragCursors) {
    TModuleEntry framework = FrameworkModule();
    framework.Initialize();
    EXPECT_EQ(Screen->Cursors(crMultiDragLink), nullptr);
    XtDragCursorsModule().Initialize();
    for (TCursor cursor : {crMultiDragLink, crDragAlt, crMultiDragAlt, crMultiDragLinkAlt}) {
        EXPECT_NE(Screen->Cursors(cursor), nullptr) << cursor;
        EXPECT_NE(Screen->Cursors(cursor), Screen->Cursors(crMultiDrag))
            << "a copy of its own: " << cursor;
    }
    framework.Finalize();
}

} // namespace
