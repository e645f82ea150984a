// The component side of the hidden-window framework: attaching to a handler of the calling
// thread, detaching, routing the component's own messages and its own message loop.
//
// A component is detached (no window) after construction, attached by its first Handle,
// ThreadAttach or a derived constructor, and detached by ThreadDetach or when it is freed.
// Detaching must happen on the attaching thread: only that thread may destroy the window.
#include "support/NetPing/NetWndControl.h"

#include "framework/Application.h"

#include <atomic>

namespace {

WPARAM NextReleaseSerial() noexcept {
    static std::atomic<WPARAM> serial{0};
    return ++serial;
}

class TLockedPool {
public:
    explicit TLockedPool(TNetWndHandlerPool& pool) noexcept : FPool(pool) { FPool.Lock(); }
    ~TLockedPool() { FPool.UnLock(); }
    TLockedPool(const TLockedPool&) = delete;
    TLockedPool& operator=(const TLockedPool&) = delete;

private:
    TNetWndHandlerPool& FPool;
};

} // namespace

TNetWndControl::TNetWndControl(TComponent* AOwner)
    : TComponent(AOwner), FReleaseSerial(NextReleaseSerial()) {}

// A component freed with `delete` rather than Free still leaves its window; derived classes
// that add message numbers dispose in their own destructor.
TNetWndControl::~TNetWndControl() { Dispose(); }

void TNetWndControl::BeforeDestruction() {
    Dispose();
    TComponent::BeforeDestruction();
}

void TNetWndControl::Dispose() {
    if (FDisposed) return;
    FDisposed = true;
    ThreadDetach();
}

HWND TNetWndControl::Handle() {
    if (!FHandle) Attach();
    return FHandle;
}

void TNetWndControl::ThreadAttach() {
    if (FHandle) throw ENetException(L"Cannot attach when not detached");
    Attach();
}

void TNetWndControl::ThreadDetach() {
    if (FHandle && GetCurrentThreadId() != FThreadId)
        throw ENetException(L"Cannot detach from another thread");
    Detach();
}

void TNetWndControl::Attach() {
    if (FHandle) return;
    TNetWndHandlerPool& pool = NetWndHandlerPool();
    TLockedPool lock(pool);
    AttachUnderLock(pool);
}

// A failed attach leaves nothing behind: numbers given back, an unused handler freed.
void TNetWndControl::AttachUnderLock(TNetWndHandlerPool& pool) {
    FThreadId = GetCurrentThreadId();
    try {
        if (!FWndHandler) FWndHandler = pool.GetWndHandler(MsgHandlersCount(), FThreadId);
        FWndHandler->AllocateHWnd();
        FHandle = FWndHandler->Handle();
        AllocateMsgHandlers();
    } catch (...) {
        FHandle = nullptr;
        if (FWndHandler) {
            FreeMsgHandlers();
            if (FWndHandler->MsgCnt() == 0) pool.FreeWndHandler(FWndHandler);
        }
        FWndHandler = nullptr;
        FThreadId = 0;
        throw;
    }
}

void TNetWndControl::Detach() {
    if (!FHandle) return;
    TNetWndHandlerPool& pool = NetWndHandlerPool();
    TLockedPool lock(pool);
    FreeMsgHandlers();
    if (FWndHandler->MsgCnt() == 0) pool.FreeWndHandler(FWndHandler);
    FHandle = nullptr;
    FWndHandler = nullptr;
    FThreadId = 0;
}

void TNetWndControl::AllocateMsgHandlers() { FMsgRelease = FWndHandler->AllocateMsgHandler(this); }

// Tolerates numbers never given (0), as after a failed attach.
void TNetWndControl::FreeMsgHandlers() { FWndHandler->UnregisterMessage(FMsgRelease); }

void TNetWndControl::Release() {
    const HWND wnd = Handle(); // attaches first: the release number exists only from then on
    if (!PostMessageW(wnd, FMsgRelease, FReleaseSerial, 0)) RaiseLastOSError(L"PostMessage");
}

void TNetWndControl::MainWndProc(TMessage& Msg) {
    try {
        WndProc(Msg);
    } catch (const Exception& E) {
        HandleBackGroundException(E);
    }
}

void TNetWndControl::WndProc(TMessage& Msg) {
    if (Msg.Msg == FMsgRelease)
        WMRelease(Msg);
    else if (Msg.Msg == WM_TIMER)
        WMTimer(Msg);
    else
        Msg.Result = DefWindowProcW(FHandle, Msg.Msg, Msg.WParam, Msg.LParam);
}

// No timer objects here: a derived component that sets timers on its window handles them.
void TNetWndControl::WMTimer(TMessage& Msg) {
    Msg.Result = DefWindowProcW(FHandle, Msg.Msg, Msg.WParam, Msg.LParam);
}

void TNetWndControl::WMRelease(TMessage& Msg) {
    if (Msg.WParam == FReleaseSerial) Free(); // nothing of this object may be touched after
}

void TNetWndControl::HandleBackGroundException(const Exception& E) {
    bool canClose = true;
    try {
        TriggerBgException(E, canClose);
    } catch (...) {
    }
    if (!canClose) return;
    try {
        AbortComponent();
    } catch (...) {
    }
}

void TNetWndControl::TriggerBgException(const Exception& E, bool& CanClose) {
    if (OnBgException) OnBgException(this, E, CanClose);
}

void TNetWndControl::MessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    FTerminated = true;
}

bool TNetWndControl::ProcessMessage() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        FTerminated = true;
    } else {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

void TNetWndControl::ProcessMessages() {
    while (ProcessMessage()) {
    }
}

void TNetWndControl::MessagePump() {
    if (FMultiThreaded || !Application)
        ProcessMessages();
    else
        Application->ProcessMessages();
}
