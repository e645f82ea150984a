// TXtThread's side of the thread dialog and of message dialogs shown for its runs.
//
// The dialog form is made, shown and closed on the main thread only: forms belong to the GUI
// thread, so a component started from another thread runs without a dialog. Closing the form
// when the last run ends never waits for it: a modal form gets its result and its own loop
// ends it once the termination handler has returned (waiting there, inside that loop, would
// never end).
#include "support/XtThread/XtThread.h"

#include "framework/ExceptionBoundary.h"

namespace {

bool OnMainThread() { return GetCurrentThreadId() == MainThreadID(); }

} // namespace

void TXtThread::SetThreadDialog(TXtCustomThreadDialog* Value) {
    if (Value == FThreadDialog) return;
    if (FThreadDialog) FThreadDialog->RemoveFreeNotification(this);
    FThreadDialog = Value;
    if (Value) Value->FreeNotification(this);
    // The old dialog's form is not shown again; one that shows now hides when its runs end.
    TXtCustomThreadDialogForm* form = FThreadDialogForm;
    FThreadDialogForm = nullptr;
    if (form && !form->Visible()) form->Free();
}

void TXtThread::SetConnectedDataObject(TObject* Value) {
    FConnectedDataObject = Value;
    if (FThreadDialogForm) FThreadDialogForm->SetConnectedDataObject(Value);
}

TXtBaseThread* TXtThread::ExecuteWithDialog(void* P) {
    if (FThreadDialog && FThreadDialog->DialogOptions()->ShowModal()) return ExecuteAndWait(P);
    return Execute(P);
}

// A form that cannot be made is reported; the runs go on without it.
void TXtThread::CreateDialogForm() {
    if (!FThreadDialog || FThreadDialogForm || FDestroying || !OnMainThread()) return;
    if (!FThreadDialog->DialogOptions()->ShowDialog()) return;
    try {
        TXtCustomThreadDialogForm* form = FThreadDialog->CreateThreadDialogForm(this);
        if (!form) return;
        FThreadDialogForm = form;
        form->FreeNotification(this);
        form->SetDialogOptions(FThreadDialog->DialogOptions());
        form->SetConnectedDataObject(FConnectedDataObject);
        form->SetConnectedDataComponent(FConnectedDataComponent);
        AfterCreateDialogForm(form);
    } catch (...) {
        ReportBoundaryException();
    }
}

// Called right after the first resume, before the main thread handles anything: the run cannot
// have been freed yet. A run resumed only to end needs no dialog. The run goes on whatever
// the showing raises, so the error is reported rather than handed to the starter.
void TXtThread::ShowDialogFormAfterResume(TXtBaseThread* Thread) {
    if (!FThreadDialogForm || !OnMainThread()) return;
    if (Thread->RunFinished() || Thread->InternalTerminate() || Thread->Terminated()) return;
    if (FThreadDialogForm->DialogOptions()->ShowDelay() != 0) return;
    try {
        FThreadDialogForm->ShowThreadDialog();
    } catch (...) {
        ReportBoundaryException();
    }
}

void TXtThread::CloseDialogForm() {
    if (FThreadDialogForm && OnMainThread()) FThreadDialogForm->HideThreadDialog();
}

TModalResult TXtThread::SynchMessageDlg(const UnicodeString& Msg, TMsgDlgType AType,
                                        TMsgDlgButtons AButtons, Integer HelpCtx) {
    DisableDialogShowDelay();
    TModalResult result = mrNone;
    try {
        if (TXtBaseThread* run = CurrentRun())
            result = run->SynchMessageDlg(Msg, AType, AButtons, HelpCtx);
        else if (OnShowMessageDlgEvent)
            OnShowMessageDlgEvent(Msg, AType, AButtons, HelpCtx, result);
        else
            result = MessageDlg(Msg, AType, AButtons, HelpCtx);
    } catch (...) {
        EnableDialogShowDelay();
        throw;
    }
    EnableDialogShowDelay();
    return result;
}

TModalResult TXtBaseThread::SynchMessageDlg(const UnicodeString& Msg, TMsgDlgType AType,
                                            TMsgDlgButtons AButtons, Integer HelpCtx) {
    FSynchMsg = Msg;
    FSynchAType = AType;
    FSynchAButtons = AButtons;
    FSynchHelpCtx = HelpCtx;
    FSynchMessageDlgResult = mrNone;
    Synchronize(TThreadMethod(this, &TXtBaseThread::InternalMessageDlg));
    return FSynchMessageDlgResult;
}

void TXtBaseThread::InternalMessageDlg() {
    TModalResult result = mrNone;
    if (OnShowMessageDlgEvent)
        OnShowMessageDlgEvent(FSynchMsg, FSynchAType, FSynchAButtons, FSynchHelpCtx, result);
    else
        result = MessageDlg(FSynchMsg, FSynchAType, FSynchAButtons, FSynchHelpCtx);
    FSynchMessageDlgResult = result;
}
