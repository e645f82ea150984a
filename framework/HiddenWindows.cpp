// Hidden windows: one window class, one window procedure. Each window carries a heap record
// (found through GWLP_USERDATA, stored at WM_NCCREATE from lpCreateParams) holding the method
// and how deep the window is in its own dispatch.
//
// Destroying from inside a dispatch: DeallocateHWnd detaches the method and destroys the
// window at once; the record outlives the window until the outermost dispatch of that window
// has returned, since those frames still read it. Before AllocateHWnd has finished, the record
// belongs to AllocateHWnd, and a failed creation frees it there.
#include "framework/HiddenWindows.h"

#include "framework/ExceptionBoundary.h"
#include "framework/Exceptions.h"

#include <memory>

namespace {

constexpr const wchar_t* HiddenWindowClass = L"FrameworkHiddenWindow";

struct TWindowRecord {
    TWndMethod Method;
    // Set once AllocateHWnd has the window: from then on the method is called and the window
    // owns the record.
    bool Live = false;
    // The window has been destroyed while a dispatch still ran: the last frame frees the record.
    bool Orphaned = false;
    int Depth = 0;
};

TWindowRecord* RecordOf(HWND wnd) noexcept {
    return reinterpret_cast<TWindowRecord*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
}

void Attach(HWND wnd, LPARAM createParams) noexcept {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(createParams);
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
}

// The window is going: the record goes with it unless a frame of its dispatch still runs.
void Detach(HWND wnd, TWindowRecord* record) noexcept {
    SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    if (!record->Live) return;
    if (record->Depth > 0)
        record->Orphaned = true;
    else
        delete record;
}

LRESULT Dispatch(HWND wnd, TWindowRecord* record, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    TMessage message{msg, wParam, lParam, 0};
    // A copy: the method may detach itself (DeallocateHWnd) while it runs.
    const TWndMethod method = record->Method;
    ++record->Depth;
    GuardBoundary([&] { method(message); });
    --record->Depth;
    if (record->Orphaned && record->Depth == 0)
        delete record;
    else if (msg == WM_NCDESTROY)
        Detach(wnd, record);
    return message.Result;
}

LRESULT CALLBACK HiddenWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_NCCREATE) Attach(wnd, lParam);
    TWindowRecord* record = RecordOf(wnd);
    if (record && record->Live && record->Method) return Dispatch(wnd, record, msg, wParam, lParam);
    if (record && msg == WM_NCDESTROY) Detach(wnd, record);
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

HINSTANCE ModuleInstance() noexcept { return GetModuleHandleW(nullptr); }

bool IsHiddenWindow(HWND wnd) noexcept {
    return GetWindowLongPtrW(wnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&HiddenWindowProc);
}

void RegisterHiddenWindowClass() {
    // Function-local static: registered once, safely, whichever thread comes first.
    static const ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &HiddenWindowProc;
        wc.hInstance = ModuleInstance();
        wc.lpszClassName = HiddenWindowClass;
        const ATOM registered = RegisterClassExW(&wc);
        if (!registered) RaiseLastOSError(L"RegisterClassEx");
        return registered;
    }();
    (void)atom;
}

} // namespace

HWND AllocateHWnd(const TWndMethod& method) {
    RegisterHiddenWindowClass();
    auto record = std::make_unique<TWindowRecord>();
    record->Method = method;
    HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, HiddenWindowClass, L"", WS_POPUP, 0, 0, 0, 0,
                               nullptr, nullptr, ModuleInstance(), record.get());
    if (!wnd) RaiseLastOSError(L"CreateWindowEx");
    record.release()->Live = true;
    return wnd;
}

void DeallocateHWnd(HWND wnd) {
    if (!wnd) return;
    if (!IsHiddenWindow(wnd)) throw EInvalidOperation(L"DeallocateHWnd: not a hidden window");
    if (GetWindowThreadProcessId(wnd, nullptr) != GetCurrentThreadId())
        throw EInvalidOperation(
            L"A hidden window can only be destroyed by the thread that created it");
    if (TWindowRecord* record = RecordOf(wnd)) record->Method = TWndMethod();
    if (!DestroyWindow(wnd)) RaiseLastOSError(L"DestroyWindow");
}

void DefaultHandler(TMessage& message, HWND wnd) noexcept {
    message.Result = DefWindowProcW(wnd, message.Msg, message.WParam, message.LParam);
}

THiddenWindow& THiddenWindow::operator=(THiddenWindow&& other) noexcept {
    if (this != &other) {
        DeallocateHWnd(FHandle);
        FHandle = other.FHandle;
        other.FHandle = nullptr;
    }
    return *this;
}
