// `TApplication`: the program's application object without its visual half (forms and screen
// come later). It owns the GUI thread's message loop, the program title and the last word on
// exceptions that no one else handled.
//
// The global `Application` is created by the framework's module initialiser
// (`FrameworkModule()` in framework/ModuleInit.h) and freed by its finaliser; nothing creates
// it during static initialisation. The GUI thread is the thread that creates the object.
//
// Exceptions: an exception stopped at a boundary (GuardBoundary) goes to HandleException once
// the message loop has control again: on any thread, the GUI thread included, it is queued
// under a lock and a private message to the application window has the loop handle the queue,
// never the failing window procedure; the handlers receive the application as Sender. The
// queue belongs to the object, so an exception whose message never arrives is released with
// it. Each application object installs itself as the boundary sink while it lives and restores
// the previous sink when freed (objects are expected to nest).
//
// Synchronised calls: while idle the loop waits for a message or for the event of the
// synchronisation hook, and runs the hook's pending calls when woken (also on WM_NULL sent to
// the application window, so a thread can wake a GUI thread that is inside a modal loop). The
// thread library fills the hook; until it does, the loop waits for messages only.
#pragma once

#include "framework/Components.h"
#include "framework/ExceptionBoundary.h"
#include "framework/Graphics.h"
#include "framework/HiddenWindows.h"

#include <deque>
#include <memory>
#include <vector>
#include <exception>
#include <mutex>

using TExceptionEvent = TMethodEvent<void(TObject* Sender, const Exception& E)>;
using TIdleEvent = TMethodEvent<void(TObject* Sender, bool& Done)>;
// A hook on the application window's messages; answering True keeps the message from the
// window and the hooks after this one.
using TWindowHook = TMethodEvent<bool(TMessage& Message)>;

class TCustomForm;
class TControl;
class THintWindow;
struct THintInfo;
using TShowHintEvent =
    TMethodEvent<void(UnicodeString& HintStr, bool& CanShow, THintInfo& HintInfo)>;

class TApplication : public TComponent {
    CLASS_INFO(TApplication, TComponent)
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    // The caption of error boxes; the executable's name without extension until set.
    const UnicodeString& Title() const noexcept { return FTitle; }
    void SetTitle(const UnicodeString& value);
    // The application's hidden window.
    HWND Handle() const noexcept { return FWindow.Handle(); }
    // The full path of the program file.
    UnicodeString ExeName() const;

    // Handles messages until Terminated (returns at once when it is already).
    void Run();
    // Handles every pending message and returns; a quit message among them sets Terminated.
    void ProcessMessages();
    // Handles one message; when there is none, runs idle processing and waits for the next.
    void HandleMessage();
    // Posts the quit message (GUI thread only); Terminated is True once a loop has taken it.
    void Terminate();
    bool Terminated() const noexcept { return FTerminated; }

    // Call inside a catch block: handles the exception being handled.
    void HandleException(TObject* Sender);
    // EAbort is ignored. Otherwise OnException when assigned, else ShowException. Exceptions of
    // other classes reach them as an Exception carrying their text: a std::exception's what()
    // (read as UTF-8), or "Unknown exception" for anything else.
    void HandleException(TObject* Sender, std::exception_ptr error);
    // A modal error box with the message, captioned with the title.
    void ShowException(const Exception& E);

    TExceptionEvent OnException;
    TIdleEvent OnIdle;

    // ---- forms (their code is in the forms module) ----
    // The first form made by CreateForm; closing it ends the program.
    TCustomForm* MainForm() const noexcept { return FMainForm; }
    // Builds a form owned by the application (framework/Forms.h has the definition). Reference
    // holds the form from the start of its construction on, so that the form's own start-up
    // code can use it.
    template <class TFormClass> void CreateForm(TFormClass*& Reference);
    // Run shows the main form first unless this is False.
    bool ShowMainForm() const noexcept { return FShowMainForm; }
    void SetShowMainForm(bool value) { FShowMainForm = value; }
    // The main form has the taskbar button (the application window never shows).
    bool MainFormOnTaskBar() const noexcept { return FMainFormOnTaskBar; }
    void SetMainFormOnTaskBar(bool value) { FMainFormOnTaskBar = value; }
    // Minimises or restores the program (its main form). OnMinimize and OnRestore fire only
    // when the state really changes.
    void Minimize();
    void Restore();
    bool Minimized() const noexcept { return FMinimized; }
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    // Hooks on the application window's messages, called newest first.
    void HookMainWindow(const TWindowHook& Hook);
    void UnhookMainWindow(const TWindowHook& Hook);
    TIcon* Icon() const noexcept { return FIcon.get(); }
    // A message box above the active form, captioned with the title when Caption is empty.
    int MessageBox(const UnicodeString& Text, const UnicodeString& Caption, UINT Flags);
    // Modal forms and boxes report their start and end.
    void ModalStarted();
    void ModalFinished();
    int ModalLevel() const noexcept { return FModalLevel; }
    TNotifyEvent OnModalBegin;
    TNotifyEvent OnModalEnd;
    // Called by a form that is going away.
    void FormDestroying(TCustomForm* Form);

    // ---- hints (ApplicationHints.cpp) ----
    // Hints show after the mouse rests HintPause ms on a control whose ShowHint is on (the
    // short pause when a hint was showing a moment ago) and go after HintHidePause ms, on a key
    // or a click, or when the mouse leaves the hint's cursor rectangle.
    bool ShowHint() const noexcept { return FShowHint; }
    void SetShowHint(bool value);
    TColor HintColor = clInfoBk;
    int HintPause = 500;
    int HintShortPause = 50;
    int HintHidePause = 2500;
    // The window class for hints; THintWindow when null.
    TClass HintWindowClass = nullptr;
    void CancelHint();
    // Shows the hint of the control under the cursor now (as when the pause ends).
    void ActivateHint(TPoint CursorPos);
    // The hint window while one exists.
    THintWindow* HintWindow() const noexcept { return FHintWindow; }
    TShowHintEvent OnShowHint;

private:
    // Private message of the application window: exceptions stopped at boundaries are queued.
    static constexpr UINT WM_HANDLE_QUEUED = WM_USER + 1;
    static void BoundarySink(std::exception_ptr error) noexcept;

    void InstallAsSink();
    void RemoveAsSink() noexcept;
    static void WakeGuiThread();
    void Deliver(TObject* Sender, const Exception& E);
    bool ProcessMessage();
    void Idle();
    void WaitForWork();
    bool RunSynchronized();
    void QueueException(std::exception_ptr error) noexcept;
    void HandleQueuedExceptions();
    void WndProc(TMessage& message);

    bool CallHooks(TMessage& message);
    void Notification(TComponent* AComponent, TOperation Operation) override;
    bool IsHintMsg(const MSG& msg);
    void HintMouseMessage(const MSG& msg);
    void HintTimerExpired(UINT_PTR id);
    void SetHintControl(TControl* control);
    void StartHintTimer(UINT_PTR id, int ms);
    void StopHintTimer(UINT_PTR id);
    void HideHint();
    void ShowHintOf(TControl* control, TPoint cursor);
    void ShowTheMainForm();
    HWND MainFormHandle() const;

    UnicodeString FTitle;
    bool FTerminated = false;
    TCustomForm* FMainForm = nullptr;
    bool FShowMainForm = true;
    bool FMainFormOnTaskBar = true;
    bool FMinimized = false;
    int FModalLevel = 0;
    std::vector<TWindowHook> FHooks;
    std::unique_ptr<TIcon, graphics_detail::TFreeObject> FIcon;
    bool FShowHint = true;
    TControl* FHintControl = nullptr;   // the control the mouse rests on (free-notified)
    THintWindow* FHintWindow = nullptr; // owned by this object as a component
    TRect FHintCursorRect;              // on the screen, while a hint shows
    bool FHintShowing = false;
    DWORD FHintHiddenAt = 0; // GetTickCount when the last hint went
    THiddenWindow FWindow;
    TApplication* FPreviousSinkTarget;
    TBoundaryExceptionSink FPreviousSink;
    HWND FPreviousWakeTarget;
    std::mutex FQueueLock;
    std::deque<std::exception_ptr> FQueuedExceptions; // guarded by FQueueLock
};

extern TApplication* Application;
