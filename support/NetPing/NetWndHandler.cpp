// One hidden window serving up to 100 components. The window's extra bytes hold the handler,
// stored at WM_NCCREATE from the creation parameter and cleared before the window is
// destroyed, so that messages arriving while it goes get the system's default answer. The
// window class is registered with the first window of the process and unregistered with the
// last; a lock guards both and the window count.
//
// A component may free itself (and with it the handler and the window) while its message is
// being routed: after handing a message to a component the window procedure touches nothing of
// the handler.
#include "support/NetPing/NetWndControl.h"

#include "framework/ExceptionBoundary.h"

#include <climits>

namespace {

constexpr const wchar_t* WindowClassName = L"NetWndControlWindowClass";

struct TWindowClassState {
    TCriticalSection Lock;
    int WindowCount = 0; // guarded by Lock
};

TWindowClassState& ClassState() {
    static TWindowClassState* state = new TWindowClassState; // outlives windows at exit
    return *state;
}

HINSTANCE ModuleInstance() noexcept { return GetModuleHandleW(nullptr); }

[[noreturn]] void RaiseWindowError(const wchar_t* text, DWORD code) {
    throw ENetException(UnicodeString(text) + std::to_wstring(code) + L".");
}

TNetWndHandler* HandlerOf(HWND wnd) noexcept {
    return reinterpret_cast<TNetWndHandler*>(GetWindowLongPtrW(wnd, 0));
}

} // namespace

int NetWndWindowCount() {
    TLock lock(ClassState().Lock);
    return ClassState().WindowCount;
}

TNetWndHandler::TNetWndHandler(TNetWndHandlerList* OwnerList, UINT MsgLow)
    : FMsgLow(MsgLow), FOwnerList(OwnerList) {}

TNetWndHandler::~TNetWndHandler() { DeallocateHWnd(); }

void TNetWndHandler::CheckMsgLow() const {
    if (FMsgLow < 1024) throw ENetException(L"MsgLow not defined");
}

// The entry of a number of the block; raises for a number outside it (a wrong number would
// otherwise index outside the map).
int TNetWndHandler::IndexOf(UINT Msg) const {
    CheckMsgLow();
    if (Msg < FMsgLow || Msg >= FMsgLow + MaxMsgs) throw ENetException(L"Msg value out of bound");
    return static_cast<int>(Msg - FMsgLow);
}

TNetWndControl* TNetWndHandler::ComponentOf(UINT Msg) const noexcept {
    if (Msg < FMsgLow || Msg >= FMsgLow + MaxMsgs) return nullptr;
    return FMsgMap[Msg - FMsgLow];
}

UINT TNetWndHandler::AllocateMsgHandler(TNetWndControl* Component) {
    CheckMsgLow();
    if (FMsgCnt >= MaxMsgs) throw ENetException(L"No more free message");
    int index = 0;
    while (FMsgMap[index]) ++index;
    FMsgMap[index] = Component;
    ++FMsgCnt;
    try {
        AllocateHWnd();
    } catch (...) {
        FMsgMap[index] = nullptr;
        --FMsgCnt;
        throw;
    }
    return FMsgLow + static_cast<UINT>(index);
}

void TNetWndHandler::UnregisterMessage(UINT& Msg) {
    if (Msg == 0) return;
    const int index = IndexOf(Msg);
    if (!FMsgMap[index]) throw ENetException(L"Msg not registered");
    FMsgMap[index] = nullptr;
    --FMsgCnt;
    Msg = 0;
    if (FMsgCnt == 0) DeallocateHWnd();
}

void TNetWndHandler::RegisterMessage(UINT Msg, TNetWndControl* Component) {
    const int index = IndexOf(Msg);
    if (FMsgMap[index]) throw ENetException(L"Msg already registered");
    FMsgMap[index] = Component;
    ++FMsgCnt;
    AllocateHWnd();
}

// Registers the class for the first window; call under the class lock.
static void RegisterWindowClass(WNDPROC proc) {
    WNDCLASSW probe;
    if (GetClassInfoW(ModuleInstance(), WindowClassName, &probe)) return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = sizeof(TNetWndHandler*); // the handler; a pointer wide on every build
    wc.hInstance = ModuleInstance();
    wc.lpszClassName = WindowClassName;
    if (!RegisterClassW(&wc))
        RaiseWindowError(L"Unable to register TNetWndControl hidden window class. Error #",
                         GetLastError());
}

static void UnregisterWindowClassIfUnused() noexcept {
    if (ClassState().WindowCount == 0) UnregisterClassW(WindowClassName, ModuleInstance());
}

void TNetWndHandler::AllocateHWnd() {
    if (FHandle) return;
    TLock lock(ClassState().Lock);
    RegisterWindowClass(&WndProc);
    FHandle = CreateWindowExW(WS_EX_TOOLWINDOW, WindowClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, ModuleInstance(), this);
    if (!FHandle) {
        const DWORD code = GetLastError();
        UnregisterWindowClassIfUnused();
        RaiseWindowError(L"Unable to create TNetWndControl hidden window.  Error #", code);
    }
    ++ClassState().WindowCount;
}

void TNetWndHandler::DeallocateHWnd() noexcept {
    if (!FHandle) return;
    for (auto& entry : FMsgMap) entry = nullptr;
    FMsgCnt = 0;
    const HWND wnd = FHandle;
    FHandle = nullptr;
    SetWindowLongPtrW(wnd, 0, 0);
    DestroyWindow(wnd);
    TLock lock(ClassState().Lock);
    --ClassState().WindowCount;
    UnregisterWindowClassIfUnused();
}

LRESULT CALLBACK TNetWndHandler::WndProc(HWND Wnd, UINT Msg, WPARAM WParam,
                                         LPARAM LParam) noexcept {
    if (Msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(LParam);
        SetWindowLongPtrW(Wnd, 0, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    TNetWndHandler* handler = HandlerOf(Wnd);
    if (!handler) return DefWindowProcW(Wnd, Msg, WParam, LParam);
    TMessage message{Msg, WParam, LParam, 0};
    return GuardBoundary([&] { return handler->HandleMessage(Wnd, message); }, LRESULT(0));
}

// Errors the routing lets through go to OnBgException; anything else stops at the boundary.
LRESULT TNetWndHandler::HandleMessage(HWND Wnd, TMessage& Msg) {
    try {
        RouteMessage(Wnd, Msg);
    } catch (const Exception& E) {
        if (!OnBgException) throw;
        ReportError(E);
    }
    return Msg.Result;
}

void TNetWndHandler::ReportError(const Exception& E) noexcept {
    bool canClose = true;
    GuardBoundary([&] { OnBgException(E, canClose); });
}

// The window is passed in: during creation FHandle is not set yet.
void TNetWndHandler::RouteMessage(HWND Wnd, TMessage& Msg) {
    if (TNetWndControl* component = ComponentOf(Msg.Msg)) {
        component->MainWndProc(Msg); // may free this handler
        return;
    }
    if (Msg.Msg == WM_TIMER && Msg.WParam <= UINT_MAX) {
        if (TNetWndControl* owner = ComponentOf(static_cast<UINT>(Msg.WParam))) {
            owner->MainWndProc(Msg); // may free this handler
            return;
        }
    }
    bool handled = false;
    if (OnMessage) OnMessage(Msg, handled);
    if (!handled) Msg.Result = DefWindowProcW(Wnd, Msg.Msg, Msg.WParam, Msg.LParam);
}
