// `TApplication`: the program's application object without its visual half (forms and screen
// come later). It owns the GUI thread's message loop, the program title and the last word on
// exceptions that no one else handled.
//
// The global `Application` is created by the framework's module initialiser
// (`FrameworkModule()` in framework/ModuleInit.h) and freed by its finaliser; nothing creates
// it during static initialisation. The GUI thread is the thread that creates the object.
//
// Exceptions: an exception stopped at a boundary (GuardBoundary) goes to HandleException. On
// the GUI thread that happens at once; from another thread it is queued under a lock and the
// GUI thread is woken with a private message to the application window, which handles the
// queue; the handlers receive the application as Sender. The queue belongs to the object, so an exception whose message never arrives is
// released with it. Each application object installs itself as the boundary sink while it
// lives and restores the previous sink when freed (objects are expected to nest).
//
// Synchronised calls: while idle the loop waits for a message or for the event of the
// synchronisation hook, and runs the hook's pending calls when woken (also on WM_NULL sent to
// the application window, so a thread can wake a GUI thread that is inside a modal loop). The
// thread library fills the hook; until it does, the loop waits for messages only.
#pragma once

#include "framework/Components.h"
#include "framework/ExceptionBoundary.h"
#include "framework/HiddenWindows.h"

#include <deque>
#include <exception>
#include <mutex>

using TExceptionEvent = TMethodEvent<void(TObject* Sender, const Exception& E)>;
using TIdleEvent = TMethodEvent<void(TObject* Sender, bool& Done)>;

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

private:
    // Private message of the application window: exceptions from other threads are queued.
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

    UnicodeString FTitle;
    bool FTerminated = false;
    DWORD FThreadId;
    THiddenWindow FWindow;
    TApplication* FPreviousSinkTarget;
    TBoundaryExceptionSink FPreviousSink;
    HWND FPreviousWakeTarget;
    std::mutex FQueueLock;
    std::deque<std::exception_ptr> FQueuedExceptions; // guarded by FQueueLock
};

extern TApplication* Application;
