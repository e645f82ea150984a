// The application object's life, title and program name. The message loop is in
// ApplicationLoop.cpp, exception handling in ApplicationExceptions.cpp.
#include "framework/Application.h"

#include "framework/Threads.h"

#include <atomic>
#include <vector>

TApplication* Application = nullptr;

namespace {

// The window that threads post to when they hand a call to the GUI thread: a handle rather
// than the object, so that a thread waking a GUI thread whose application is going away posts
// to a dead window, which is harmless.
std::atomic<HWND> WakeTarget{nullptr};

UnicodeString ModuleFileName() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) RaiseLastOSError(L"GetModuleFileName");
        if (length < size) return UnicodeString(buffer.data(), length);
        buffer.resize(buffer.size() * 2); // truncated: try a larger buffer
    }
}

// The file name without folder and extension.
UnicodeString DefaultTitle(const UnicodeString& path) {
    const auto slash = path.find_last_of(L"\\/:");
    UnicodeString name = slash == UnicodeString::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind(L'.');
    return dot == UnicodeString::npos ? name : name.substr(0, dot);
}

} // namespace

TApplication::TApplication(TComponent* AOwner)
    : TComponent(AOwner), FWindow(TWndMethod(this, &TApplication::WndProc)) {
    FIcon.reset(new TIcon);
    FTitle = DefaultTitle(ExeName());
    // The program's own icon when it has one.
    if (HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON")) FIcon->SetHandle(icon);
    InstallAsSink();
    FPreviousWakeTarget = WakeTarget.exchange(Handle());
    SetWakeMainThread(TMethodEvent<void()>(&TApplication::WakeGuiThread));
}

TApplication::~TApplication() {
    WakeTarget = FPreviousWakeTarget;
    RemoveAsSink();
}

// Modal loops (message boxes, menus) do not watch the synchronisation event: a message does
// reach them.
void TApplication::WakeGuiThread() {
    if (HWND target = WakeTarget.load()) PostMessageW(target, WM_NULL, 0, 0);
}

void TApplication::SetTitle(const UnicodeString& value) { FTitle = value; }

UnicodeString TApplication::ExeName() const { return ModuleFileName(); }

void TApplication::WndProc(TMessage& message) {
    if (CallHooks(message)) return;
    switch (message.Msg) {
    case WM_HANDLE_QUEUED: HandleQueuedExceptions(); break;
    // A thread wakes the GUI thread this way when it waits for a synchronised call.
    case WM_NULL: RunSynchronized(); break;
    case WM_TIMER: HintTimerExpired(message.WParam); break;
    default: DefaultHandler(message, Handle());
    }
}
