// The application's handling of exceptions nobody else caught, and the boundary sink that
// brings exceptions stopped on any thread to it.
//
// Every stopped exception is queued, the GUI thread's own too, and handled when the message
// loop dispatches the application window's private message: a boundary inside a window
// procedure stops the exception while the failing handler's object is half updated, and a
// message box shown from there would run a modal loop that dispatches messages to that object.
// The sink target is the newest living application object; the sink lock keeps it alive while
// an exception is queued into it.
#include "framework/Application.h"

#include "framework/TextEncoding.h"

namespace {

std::mutex SinkLock;
TApplication* SinkTarget = nullptr; // guarded by SinkLock

} // namespace

void TApplication::InstallAsSink() {
    std::lock_guard<std::mutex> lock(SinkLock);
    FPreviousSinkTarget = SinkTarget;
    SinkTarget = this;
    FPreviousSink = SetBoundaryExceptionSink(&TApplication::BoundarySink);
}

void TApplication::RemoveAsSink() noexcept {
    std::lock_guard<std::mutex> lock(SinkLock);
    SinkTarget = FPreviousSinkTarget;
    SetBoundaryExceptionSink(FPreviousSink);
}

void TApplication::BoundarySink(std::exception_ptr error) noexcept {
    std::lock_guard<std::mutex> lock(SinkLock);
    // Under the lock: the target cannot go meanwhile.
    if (SinkTarget)
        SinkTarget->QueueException(error);
    else
        OutputDebugStringW(L"An exception was lost: no application could handle it\n");
}

void TApplication::QueueException(std::exception_ptr error) noexcept {
    try {
        std::lock_guard<std::mutex> lock(FQueueLock);
        FQueuedExceptions.push_back(error);
    } catch (...) {
        OutputDebugStringW(L"An exception was lost: out of memory\n");
        return;
    }
    // When the post fails the exception waits for the next one's message, or goes with us.
    PostMessageW(Handle(), WM_HANDLE_QUEUED, 0, 0);
}

void TApplication::HandleQueuedExceptions() {
    std::deque<std::exception_ptr> queued;
    {
        std::lock_guard<std::mutex> lock(FQueueLock);
        queued.swap(FQueuedExceptions);
    }
    // Not through the boundary: a handler that fails on every exception would queue forever.
    for (const std::exception_ptr& error : queued) {
        try {
            HandleException(this, error);
        } catch (...) {
            OutputDebugStringW(L"An exception was lost: its handler failed\n");
        }
    }
}

void TApplication::HandleException(TObject* Sender) {
    HandleException(Sender, std::current_exception());
}

void TApplication::HandleException(TObject* Sender, std::exception_ptr error) {
    if (!error) return; // called outside a catch block: nothing is being handled
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        // Silent by definition.
    } catch (const Exception& e) {
        Deliver(Sender, e);
    } catch (const std::exception& e) {
        Deliver(Sender, Exception(Utf8ToUnicode(e.what())));
    } catch (...) {
        Deliver(Sender, Exception(L"Unknown exception"));
    }
}

void TApplication::Deliver(TObject* Sender, const Exception& E) {
    if (OnException)
        OnException(Sender, E);
    else
        ShowException(E);
}

void TApplication::ShowException(const Exception& E) {
    ::MessageBoxW(nullptr, E.Message().c_str(), FTitle.c_str(),
                  MB_OK | MB_ICONERROR | MB_TASKMODAL);
}
