// The thread dialog: its options, the component that makes its form, and the form.
//
// The form runs on the main thread's message loop and decides on each tick of its timer:
//   runs going on, not terminated:  count the show delay down, then show once (ShowThreadDialog);
//                                   once shown, update the content on every tick
//   runs going on, terminated:      wait (the runs are ending)
//   no run:                         hide, a modal form ending with mrCancel (HideThreadDialog),
//                                   and start the delay again for the next runs
// A modal form is shown from inside a tick (or from the component's Resume); its modal loop
// keeps the timer ticking, and the "shown" flag keeps the nested ticks from showing it again.
#include "support/XtThread/XtThread.h"

void TXtCustomThreadDialogOptions::Assign(TPersistent* Source) {
    auto* options = dynamic_cast<TXtCustomThreadDialogOptions*>(Source);
    if (!options) return TPersistent::Assign(Source);
    FShowDialog = options->FShowDialog;
    FShowModal = options->FShowModal;
    FShowDelay = options->FShowDelay;
}

TXtCustomThreadDialog::TXtCustomThreadDialog(TComponent* AOwner)
    : TComponent(AOwner), FDialogOptions(Construct<TXtCustomThreadDialogOptions>()) {}

TXtCustomThreadDialog::~TXtCustomThreadDialog() = default;

// ---- the form
// ------------------------------------------------------------------------------------

TComponent* TXtCustomThreadDialogForm::CheckedOwner(TComponent* AOwner) {
    if (!dynamic_cast<TXtThread*>(AOwner))
        throw EXtComponentError(L"TXtCustomThreadDialogForm.SetConnectedThread: A thread must be a "
                                L"TXtThread-Component");
    return AOwner;
}

// The owner is checked before anything of the form exists, so a refused form leaves nothing.
TXtCustomThreadDialogForm::TXtCustomThreadDialogForm(TComponent* AOwner)
    : TXtForm(CheckedOwner(AOwner)), FConnectedThread(static_cast<TXtThread*>(AOwner)),
      FDialogOptions(Construct<TXtCustomThreadDialogOptions>()) {
    FInternalTimer = Construct<TTimer>(this); // once every field of the form is set
    FInternalTimer->SetInterval(500);
    FInternalTimer->SetOnTimer(TNotifyEvent(this, &TXtCustomThreadDialogForm::InternalTimerTimer));
    SetBorderStyle(bsDialog);
    SetBounds(Left(), Top(), 320, 130);
    FCancelButton = new TButton(this);
    FCancelButton->SetParent(this);
    FCancelButton->SetCaption(L"Cancel");
    FCancelButton->SetBounds((ClientWidth() - 75) / 2, ClientHeight() - 25 - 10, 75, 25);
    FCancelButton->SetAnchors({akBottom});
    FCancelButton->SetCancel(true);
    FCancelButton->SetDefault(true);
    FCancelButton->OnClick = TNotifyEvent(this, &TXtCustomThreadDialogForm::CancelButtonClick);
}

void TXtCustomThreadDialogForm::CancelButtonClick(TObject*) { PressCancel(); }

// Handlers set while the form was made run behind the form's own.
void TXtCustomThreadDialogForm::AfterConstruction() {
    TXtForm::AfterConstruction();
    FOrgOnShow = OnShow;
    OnShow = TNotifyEvent(this, &TXtCustomThreadDialogForm::FormShow);
    FOrgOnClose = OnClose;
    OnClose = TCloseEvent(this, &TXtCustomThreadDialogForm::FormClose);
    FOrgOnCloseQuery = OnCloseQuery;
    OnCloseQuery = TCloseQueryEvent(this, &TXtCustomThreadDialogForm::FormCloseQuery);
}

void TXtCustomThreadDialogForm::SetDialogOptions(TXtCustomThreadDialogOptions* Value) {
    FDialogOptions->Assign(Value);
    RestartShowDelay();
}

void TXtCustomThreadDialogForm::SetConnectedDataComponent(TComponent* Value) {
    if (Value == FConnectedDataComponent) return;
    if (FConnectedDataComponent) FConnectedDataComponent->RemoveFreeNotification(this);
    FConnectedDataComponent = Value;
    if (Value) Value->FreeNotification(this);
}

void TXtCustomThreadDialogForm::Notification(TComponent* AComponent, TOperation Operation) {
    TXtForm::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FConnectedDataComponent)
        FConnectedDataComponent = nullptr;
}

void TXtCustomThreadDialogForm::SetInternalTimerInterval(int Value) {
    FInternalTimer->SetInterval(static_cast<Cardinal>(Value < 1 ? 1 : Value));
}

void TXtCustomThreadDialogForm::RestartShowDelay() {
    FDialogShown = false;
    FShowDelayLeft = FDialogOptions->ShowDelay();
}

void TXtCustomThreadDialogForm::InternalTimerTimer(TObject*) {
    if (ComponentState().Contains(csDestroying)) return;
    if (!FConnectedThread->OneThreadIsRunning()) return HideThreadDialog();
    if (FConnectedThread->Terminated()) return;
    if (FDialogShown) return UpdateFormContents();
    if (FShowDelayLeft > 0) FShowDelayLeft -= static_cast<int>(FInternalTimer->Interval());
    if (FShowDelayLeft <= 0) ShowThreadDialog();
}

void TXtCustomThreadDialogForm::ShowThreadDialog() {
    if (FDialogShown || Visible() || !FDialogOptions->ShowDialog()) return;
    if (!FConnectedThread->ThreadDialogAllowed() || FConnectedThread->IsDialogShowDelayDisabled())
        return;
    if (FConnectedThread->ThreadDialogForm() != this) return; // replaced by another dialog's form
    FDialogShown = true;
    if (FDialogOptions->ShowModal())
        ShowModal();
    else
        Show();
}

void TXtCustomThreadDialogForm::HideThreadDialog() {
    RestartShowDelay();
    if (FormState().Contains(fsModal))
        SetModalResult(mrCancel);
    else if (Visible())
        Hide();
}

void TXtCustomThreadDialogForm::PressCancel() {
    if (OnPressCancel)
        OnPressCancel(this);
    else
        FConnectedThread->CancelExecute();
}

void TXtCustomThreadDialogForm::FormShow(TObject* Sender) {
    UpdateFormContents();
    FOrgOnShow(Sender);
}

// The form belongs to its component and is used again for later runs.
void TXtCustomThreadDialogForm::FormClose(TObject* Sender, TCloseAction& Action) {
    Action = caHide;
    FOrgOnClose(Sender, Action);
}

void TXtCustomThreadDialogForm::FormCloseQuery(TObject* Sender, bool& CanClose) {
    CanClose = !FConnectedThread->OneThreadIsRunning();
    if (CanClose) FOrgOnCloseQuery(Sender, CanClose);
}
