// Worker-thread component:
//   TXtPausableThread     a framework thread that can be paused, suspended and resumed
//   TXtBaseThread         one run of a TXtThread's OnExecute handler on a thread of its own
//   TXtThread             the component: starts runs, tracks them, ends and frees them
//   CallUnderThreadMutex  runs a method under the named mutex "VCLXtThreadMutex"
//   XtThreadModule        the module entry that creates and closes that mutex
//   TXtExForm             a form whose control notifications are overridable operations
//   TXtForm               adds owner-window fixing, a focusable flag and ShowNoActivate
//   TXtCustomThreadDialogOptions, TXtCustomThreadDialog, TXtCustomThreadDialogForm
//                         an optional progress dialog shown while a component's runs go on
//   XtDragCursorsModule   maps the module's drag cursors into the screen's cursor table
//
// A run is created suspended, resumed once (Execute resumes it unless RunOnCreate is off),
// runs the handler once and ends; its finish handling (OnFinish, OnFinishAll, leaving the
// list) runs on the main thread through the framework's thread termination, so the main thread
// must handle synchronised calls. Terminate only sets flags: a handler ends when it looks at
// Terminated. The named mutex lives in the logon session's namespace: every process of the
// user that uses this unit shares it.
//
// The thread dialog. A component with a ThreadDialog attached makes the dialog's form (owned by
// the component) on the main thread before a run is first resumed. The form ticks every 500 ms:
// while runs go on it counts its show delay down and then shows itself once, modally or not;
// once no run is left it hides (a modal one ends with mrCancel). While a run shows a message
// dialog or synchronises, the show delay is disabled, so that the form never pops up over it.
#pragma once

#include "framework/Components.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "framework/Lists.h"
#include "framework/ModuleInit.h"
#include "framework/Threads.h"
#include "framework/Timers.h"

#include <atomic>
#include <exception>

class TXtThread;
class TXtCustomThreadDialog;
class TXtCustomThreadDialogForm;

using TXtNotifyParamsEvent = TMethodEvent<void(TObject* Sender, void* Params)>;
using TXtThreadCancelEvent = TMethodEvent<void(TXtThread* CurrentThread)>;
// Shows a run's message dialog in place of MessageDlg; DlgResult starts as mrNone.
using TXtThreadShowMessageDlgEvent =
    TMethodEvent<void(const UnicodeString& Msg, TMsgDlgType AType, TMsgDlgButtons AButtons,
                      Integer HelpCtx, TModalResult& DlgResult)>;
using TXtThreadDialogFormEvent = TMethodEvent<void(TXtCustomThreadDialogForm* DialogForm)>;

// The library's own errors.
class EXtComponentError : public Exception {
public:
    using Exception::Exception;
};

class TXtPausableThread : public TThread {
    CLASS_INFO(TXtPausableThread, TThread)
public:
    explicit TXtPausableThread(bool CreateSuspended) : TThread(CreateSuspended) {}
    void BeforeDestruction() override;

    bool Paused() const noexcept { return FPaused; }
    // True holds the pause section on the calling thread; False must come from that thread.
    // Raises EThread otherwise.
    void SetPaused(bool Value);
    // Not started yet, or suspended more often than resumed.
    bool Suspended() const noexcept { return !FStarted || FSuspendCount > 0; }
    // Starts the thread the first time, then undoes one Suspend.
    virtual void Resume();
    // The calling thread may suspend itself; suspending another thread stops it wherever it
    // is (inside a heap lock, for example), which only a caller that knows it is safe does.
    void Suspend();

private:
    TCriticalSection FPauseSection;
    std::atomic<bool> FPaused{false};
    std::atomic<DWORD> FPausedBy{0};
    std::atomic<bool> FStarted{false};
    std::atomic<int> FSuspendCount{0};
};

class TXtBaseThread : public TXtPausableThread {
    CLASS_INFO(TXtBaseThread, TXtPausableThread)
public:
    TXtBaseThread(TXtThread* Sender, const TXtNotifyParamsEvent& Event, void* Params);

    TXtThread* SenderComponent() const noexcept { return FSender; }
    void* Params() const noexcept { return FParams; }
    bool ExecuteIsActive() const noexcept { return FExecuteIsActive; }
    // The run has ended and its finish handling is done.
    bool RunFinished() const noexcept { return FFinished; }
    bool InternalTerminate() const noexcept { return FInternalTerminate; }
    // The error that escaped the handler (null when none); read once the run has finished.
    std::exception_ptr ExecuteException() const noexcept { return FException; }
    void Resume() override;
    using TThread::SetReturnValue;
    // Shows the message dialog on the main thread (through OnShowMessageDlgEvent when set) and
    // answers its result; the run waits meanwhile.
    TModalResult SynchMessageDlg(const UnicodeString& Msg, TMsgDlgType AType,
                                 TMsgDlgButtons AButtons, Integer HelpCtx);

    TXtThreadShowMessageDlgEvent OnShowMessageDlgEvent;

protected:
    void Execute() override;

private:
    friend class TXtThread;

    TXtThread* FSender;
    TXtNotifyParamsEvent FExecuteEvent;
    void* FParams;
    std::atomic<bool> FInternalTerminate{false};
    std::atomic<bool> FOnResumeDone{false};
    std::atomic<bool> FExecuteIsActive{false};
    std::atomic<bool> FFinished{false};
    std::exception_ptr FException; // written by the thread before it ends
    // The dialog to show: written by the run before it synchronises, read on the main thread
    // inside that synchronised call only.
    UnicodeString FSynchMsg;
    TMsgDlgType FSynchAType = mtCustom;
    TMsgDlgButtons FSynchAButtons;
    Integer FSynchHelpCtx = 0;
    TModalResult FSynchMessageDlgResult = mrNone;

    void InternalMessageDlg();
};

class TXtThread : public TComponent {
    CLASS_INFO(TXtThread, TComponent)
public:
    explicit TXtThread(TComponent* AOwner);
    ~TXtThread() override;
    void BeforeDestruction() override;

    bool Exclusive() const noexcept { return FExclusive; }
    void SetExclusive(bool Value) noexcept { FExclusive = Value; }
    // 0: no limit.
    Integer MaxCount() const noexcept { return FMaxCount; }
    void SetMaxCount(Integer Value) noexcept { FMaxCount = Value; }
    bool RunOnCreate() const noexcept { return FRunOnCreate; }
    void SetRunOnCreate(bool Value) noexcept { FRunOnCreate = Value; }
    bool FreeOnTerminate() const noexcept { return FFreeOnTerminate; }
    void SetFreeOnTerminate(bool Value) noexcept { FFreeOnTerminate = Value; }
    TThreadPriority Priority() const noexcept { return FPriority; }
    // From one of its runs: that run's priority; elsewhere: every run's, and later ones'.
    void SetPriority(TThreadPriority Value);

    // Starts a run of OnExecute with P; nil when refused (a run is active and Exclusive is
    // set, MaxCount runs exist, no handler) or when the run could not be set up.
    TXtBaseThread* Execute(void* P);
    TXtBaseThread* ExecuteAndWait(void* P);
    TXtBaseThread* ExecuteThreadAndWait(void* P);
    void Terminate();
    void CancelExecute();
    bool Terminated();
    bool OneThreadIsRunning();
    int Count();
    // Handles application messages while a run is active (main thread).
    void WaitFor();
    void TerminateWaitFor(bool RemoveZombies);
    // Nil: every suspended run.
    void Resume(TXtBaseThread* Thread = nullptr);
    void Suspend();
    void SetReturnValue(Integer Value);
    Integer ReturnValue();
    // Holds the list of runs (the same lock every query takes) until Unlock.
    void Lock();
    void Unlock();
    TList* LockedList() const noexcept { return FLockedList; }
    // From one of its runs: runs Method on the main thread and waits; elsewhere: calls it.
    void Synchronize(const TThreadMethod& Method);
    // From one of its runs: the run's SynchMessageDlg; elsewhere: OnShowMessageDlgEvent when
    // set, else MessageDlg, called directly.
    TModalResult SynchMessageDlg(const UnicodeString& Msg, TMsgDlgType AType,
                                 TMsgDlgButtons AButtons, Integer HelpCtx);
    // Starts a run and, when the attached dialog shows modally, waits for the runs.
    TXtBaseThread* ExecuteWithDialog(void* P);
    TXtCustomThreadDialog* ThreadDialog() const noexcept { return FThreadDialog; }
    void SetThreadDialog(TXtCustomThreadDialog* Value);
    // The dialog form while it exists (made at the first resume with a dialog attached).
    TXtCustomThreadDialogForm* ThreadDialogForm() const noexcept { return FThreadDialogForm; }
    bool ThreadDialogAllowed() const noexcept { return FThreadDialogAllowed; }
    void SetThreadDialogAllowed(bool Value) noexcept { FThreadDialogAllowed = Value; }
    // Frees finished runs that do not free themselves (nil: all of them).
    void RemoveZombie(TXtBaseThread* Thread = nullptr);
    void DisableDialogShowDelay() noexcept { ++FDisalbeDialogShowDelayCounter; }
    void EnableDialogShowDelay() noexcept { --FDisalbeDialogShowDelayCounter; }
    bool IsDialogShowDelayDisabled() const noexcept { return FDisalbeDialogShowDelayCounter > 0; }
    // Data for whoever shows the runs' progress, passed on to the dialog form; the component
    // is cleared when it is freed.
    TObject* ConnectedDataObject() const noexcept { return FConnectedDataObject; }
    void SetConnectedDataObject(TObject* Value);
    TComponent* ConnectedDataComponent() const noexcept { return FConnectedDataComponent; }
    void SetConnectedDataComponent(TComponent* Value);

    TXtNotifyParamsEvent OnExecute;
    TNotifyEvent OnBegin;
    TNotifyEvent OnFinish;
    TNotifyEvent OnFinishAll;
    TXtThreadCancelEvent OnCancelExecute;
    TNotifyEvent BeforeResume;
    // Runs once the dialog form has been made, before it is shown.
    TXtThreadDialogFormEvent AfterCreateDialogForm;
    // Copied into each run when it is created.
    TXtThreadShowMessageDlgEvent OnShowMessageDlgEvent;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TXtBaseThread;

    TXtBaseThread* CreateRun(void* P);
    TXtBaseThread* ExecuteRunning(void* P);
    TXtBaseThread* CurrentRun();
    bool IsActive(TXtBaseThread* Thread);
    void DoTerminate(TObject* Sender);
    void DoFinishAll();
    void HandleOneMessage();
    void WaitForRuns() noexcept;
    void CreateDialogForm();
    void ShowDialogFormAfterResume(TXtBaseThread* Thread);
    void CloseDialogForm();

    // The settings and FDestroying are used by the thread that owns the component.
    bool FExclusive = true;
    Integer FMaxCount = 0;
    bool FRunOnCreate = true;
    bool FFreeOnTerminate = true;
    std::atomic<TThreadPriority> FPriority{tpNormal};
    TThreadList FThreads; // of TXtBaseThread; guarded by its own lock
    TCriticalSection FListLocker;
    TList* FLockedList = nullptr; // guarded by FListLocker
    std::atomic<int> FDisalbeDialogShowDelayCounter{0};
    TObject* FConnectedDataObject = nullptr;
    TComponent* FConnectedDataComponent = nullptr;
    bool FDestroying = false;
    bool FThreadDialogAllowed = true;
    // Main thread only; both are free-notified and cleared when they go.
    TXtCustomThreadDialog* FThreadDialog = nullptr;
    TXtCustomThreadDialogForm* FThreadDialogForm = nullptr;
};

// ---- form extensions -------------------------------------------------------------------------

// Codes a control answers to WM_GETDLGCODE, as a set.
enum TDlgCode { dcWantAllKeys, dcWantArrows, dcWantTab, dcWantChars, dcButton, dcHasSetSel };
using TDlgCodes = TSet<TDlgCode>;
TDlgCodes DlgCodesFromNative(UINT Codes);
UINT DlgCodesToNative(TDlgCodes Codes);

// A form whose control notifications are virtual operations (mouse enter and leave also
// events). Mouse notifications of child controls pass through the form too: the operations get
// them with the child, while MouseOver and the events follow the form itself.
//
// Hint colour: clDefault (at creation) takes the parent's hint colour, clNone the
// application's, any other colour is used as it is.
class TXtExForm : public TForm {
    CLASS_INFO(TXtExForm, TForm)
public:
    using TForm::TForm;

    bool MouseOver() const noexcept { return FMouseOver; }
    TColor HintColor() const noexcept { return FHintColor; }
    void SetHintColor(TColor Value) noexcept { FHintColor = Value; }
    // With Highlighting set, a two-pixel frame in the focused colour (the form focused or the
    // mouse over it) or the unfocused colour is drawn on focus and mouse changes.
    bool Highlighting() const noexcept { return FHighlighting; }
    void SetHighlighting(bool Value);
    TColor HighlightFocusedColor = clHighlight;
    TColor HighlightUnfocusedColor = clBtnShadow;

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnParentColorChanged;

protected:
    void Dispatch(TMessage& Message) override;

    virtual void MouseEnter(TControl* AControl);
    virtual void MouseLeave(TControl* AControl);
    virtual void FocusSet(HWND PreviousWnd);
    virtual void FocusKilled(HWND NextWnd);
    virtual void TextChanged() {}
    virtual void FontChanged() {}
    virtual void ColorChanged() {}
    virtual void ParentFontChanged() {}
    virtual void ParentColorChanged() { OnParentColorChanged(this); }
    virtual void ParentShowHintChanged() {}
    // Answers whether the form takes a navigation key itself (Wanted: the answer so far).
    virtual bool WantKey(Word Key, TShiftState Shift, bool Wanted);
    // False makes a client point of the window count as nowhere.
    virtual bool HitTest(int X, int Y);
    // May change the hint; True shows none. The form's hint colour is already applied.
    virtual bool HintShow(THintInfo& HintInfo);
    // True when the background has been drawn on Canvas (over the message's DC).
    virtual bool DoEraseBackground(TCanvas* Canvas, LPARAM Param);
    virtual void GetDlgCode(TDlgCodes& /*Code*/) {}
    void DrawHighlightFrame();

private:
    void ApplyHintColor(THintInfo& HintInfo);
    void EraseBackground(TMessage& Message);
    void DialogCode(TMessage& Message);
    void KeyboardCues(UINT Msg, WPARAM Key, LPARAM KeyData);
    void CallOperations(TMessage& Message);

    bool FMouseOver = false;
    TColor FHintColor = clDefault;
    bool FHighlighting = false;
};

// TXtExForm for windows of their own: on showing, the window is owned by the right window (a
// stay-on-top form by the application window, placed topmost; another top-level form by the
// active modal form, else the main form, else the application window; the main form keeps its
// own). ShowModal first dispatches pending timer messages.
class TXtForm : public TXtExForm {
    CLASS_INFO(TXtForm, TXtExForm)
public:
    using TXtExForm::TXtExForm;

    TModalResult ShowModal() override;
    // When cleared, a click does not activate the window.
    bool Focusable() const noexcept { return FFocusable; }
    void SetFocusable(bool Value) noexcept { FFocusable = Value; }
    // Shows the form without activating it; with CallActivate the activation handler runs
    // first.
    void ShowNoActivate(bool CallActivate = false);

protected:
    void Dispatch(TMessage& Message) override;
    // Forms here are built in code: there is no stored description to load, so a derived
    // class that asks for its own gets EResNotFound naming the class.
    void LoadStoredDescription();

private:
    void FixOwnerWindow();

    bool FFocusable = true;
    bool FShowingNoActivate = false;
};

// ---- thread dialog ---------------------------------------------------------------------------

class TXtCustomThreadDialogOptions : public TPersistent {
    CLASS_INFO(TXtCustomThreadDialogOptions, TPersistent)
public:
    bool ShowDialog() const noexcept { return FShowDialog; }
    void SetShowDialog(bool Value) noexcept { FShowDialog = Value; }
    bool ShowModal() const noexcept { return FShowModal; }
    void SetShowModal(bool Value) noexcept { FShowModal = Value; }
    // Milliseconds the runs go on before the dialog shows; negative values are stored as 0.
    int ShowDelay() const noexcept { return FShowDelay; }
    void SetShowDelay(int Value) noexcept { FShowDelay = Value < 0 ? 0 : Value; }
    void Assign(TPersistent* Source) override;

private:
    bool FShowDialog = false;
    bool FShowModal = true;
    int FShowDelay = 0;
};

// Attached to a TXtThread as its ThreadDialog: makes the dialog form for it.
class TXtCustomThreadDialog : public TComponent {
    CLASS_INFO(TXtCustomThreadDialog, TComponent)
public:
    explicit TXtCustomThreadDialog(TComponent* AOwner);
    ~TXtCustomThreadDialog() override;
    TXtCustomThreadDialogOptions* DialogOptions() const noexcept { return FDialogOptions.get(); }
    // Makes a form owned by ConnectedThread.
    virtual TXtCustomThreadDialogForm* CreateThreadDialogForm(TXtThread* ConnectedThread) = 0;

private:
    std::unique_ptr<TXtCustomThreadDialogOptions, graphics_detail::TFreeObject> FDialogOptions;
};

// The dialog form: owned by its TXtThread (EXtComponentError otherwise). It may close only when no
// run goes on; its cancel action (PressCancel, the Esc key) calls OnPressCancel when set, else
// the component's CancelExecute. Handlers for OnShow, OnClose and OnCloseQuery set in a derived
// class's constructor run after the form's own. Its cancel button (CancelButton, the form's
// Esc button) is PressCancel.
class TXtCustomThreadDialogForm : public TXtForm {
    CLASS_INFO(TXtCustomThreadDialogForm, TXtForm)
public:
    explicit TXtCustomThreadDialogForm(TComponent* AOwner);
    void AfterConstruction() override;

    TXtThread* ConnectedThread() const noexcept { return FConnectedThread; }
    TXtCustomThreadDialogOptions* DialogOptions() const noexcept { return FDialogOptions.get(); }
    // Copies the options and starts the show delay from their value.
    void SetDialogOptions(TXtCustomThreadDialogOptions* Value);
    TObject* ConnectedDataObject() const noexcept { return FConnectedDataObject; }
    void SetConnectedDataObject(TObject* Value) noexcept { FConnectedDataObject = Value; }
    TComponent* ConnectedDataComponent() const noexcept { return FConnectedDataComponent; }
    void SetConnectedDataComponent(TComponent* Value);
    // The tick in ms; values below 1 are stored as 1.
    Cardinal InternalTimerInterval() const noexcept { return FInternalTimer->Interval(); }
    void SetInternalTimerInterval(int Value);
    // Shows the form now (modally or not) unless it has shown already for these runs, dialogs
    // are not allowed or the show delay is disabled.
    void ShowThreadDialog();
    // Hides the form; a modal one ends with mrCancel once its loop sees the result.
    void HideThreadDialog();
    void PressCancel();
    TButton* CancelButton() const noexcept { return FCancelButton; }

    TNotifyEvent OnPressCancel;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Runs on every tick once the form has shown; the content shown is the derived class's.
    virtual void UpdateFormContents() {}

private:
    static TComponent* CheckedOwner(TComponent* AOwner);
    void InternalTimerTimer(TObject* Sender);
    void CancelButtonClick(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void RestartShowDelay();

    TXtThread* FConnectedThread;
    std::unique_ptr<TXtCustomThreadDialogOptions, graphics_detail::TFreeObject> FDialogOptions;
    TTimer* FInternalTimer = nullptr; // owned by the form
    TButton* FCancelButton = nullptr; // owned by the form
    int FShowDelayLeft = 0;
    bool FDialogShown = false; // shown for the runs going on
    TObject* FConnectedDataObject = nullptr;
    TComponent* FConnectedDataComponent = nullptr;
    TNotifyEvent FOrgOnShow;
    TCloseEvent FOrgOnClose;
    TCloseQueryEvent FOrgOnCloseQuery;
};

// Runs Method (with a nil Sender) while holding the named mutex "VCLXtThreadMutex"; waits
// without a limit. The mutex is released also when Method raises. Calls nest on one thread.
// Raises EInvalidOperation when the module is not initialised.
void CallUnderThreadMutex(const TNotifyEvent& Method);
TModuleEntry XtThreadModule();

// The module's own cursors: the multi-drag ones show the screen's multi-drag cursor, crDragAlt
// its drag cursor, once XtDragCursorsModule (which uses the framework's module) has run.
constexpr TCursor crMultiDragLink = 1;
constexpr TCursor crDragAlt = 2;
constexpr TCursor crMultiDragAlt = 3;
constexpr TCursor crMultiDragLinkAlt = 4;
TModuleEntry XtDragCursorsModule();
