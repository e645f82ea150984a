// Components that receive notifications as window messages without a window each:
//   ENetException          every failure of this unit and of the ICMP components
//   TNetWndHandler         one hidden window serving up to 100 components' message numbers
//   TNetWndHandlerList     the handlers of one thread
//   TNetWndHandlerPool     the process's handler lists (one pool, made by the module)
//   TNetWndControl         base of the components; attaches to a handler of its thread
//   NetWndControlModule    the module entry that creates and frees the pool
//
// A component is given message numbers of its own within its window's block; the window
// procedure routes a message of the block to the component holding that number. Components and
// windows belong to the thread that attached them: that thread pumps their messages and is the
// only one that may detach or free them. Timers carried as window messages use one of the
// component's own message numbers as timer id, so that WM_TIMER finds the component the same way.
// Freeing a component from another thread than the one that attached it is a programming error
// that ends the process: its window cannot be destroyed from there, and leaving it would leave
// a window that routes messages to freed memory.
#pragma once

#include "framework/Components.h"
#include "framework/Events.h"
#include "framework/Lists.h"
#include "framework/Messages.h"
#include "framework/ModuleInit.h"
#include "framework/SyncObjs.h"

class ENetException : public Exception {
public:
    using Exception::Exception;
};

class TNetWndControl;
class TNetWndHandlerList;

// The handler's own error event: CanClose is unused by the handler but kept for the handler's
// owner, which may close the window's components.
using TNetHandlerBgExceptionEvent = TMethodEvent<void(const Exception& E, bool& CanClose)>;
using TNetMessageEvent = TMethodEvent<void(TMessage& Msg, bool& Handled)>;
using TNetBgExceptionEvent =
    TMethodEvent<void(TObject* Sender, const Exception& E, bool& CanClose)>;

class TNetWndHandler : public TObject {
    CLASS_INFO(TNetWndHandler, TObject)
public:
    static constexpr int MaxMsgs = 100;

    TNetWndHandler(TNetWndHandlerList* OwnerList, UINT MsgLow);
    ~TNetWndHandler() override;

    HWND Handle() const noexcept { return FHandle; }
    UINT MsgLow() const noexcept { return FMsgLow; }
    int MsgCnt() const noexcept { return FMsgCnt; }
    int MsgLeft() const noexcept { return MaxMsgs - FMsgCnt; }
    TNetWndHandlerList* OwnerList() const noexcept { return FOwnerList; }
    // The component holding a message number of this block, or null.
    TNetWndControl* ComponentOf(UINT Msg) const noexcept;

    // Gives the component the first free number and answers it; creates the window if missing.
    UINT AllocateMsgHandler(TNetWndControl* Component);
    // Frees a number (0: nothing) and sets it to 0; the window goes with the last number.
    void UnregisterMessage(UINT& Msg);
    // Gives the component a chosen number of the block.
    void RegisterMessage(UINT Msg, TNetWndControl* Component);
    void AllocateHWnd();
    void DeallocateHWnd() noexcept;

    TNetHandlerBgExceptionEvent OnBgException;
    TNetMessageEvent OnMessage;

private:
    static LRESULT CALLBACK WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) noexcept;
    LRESULT HandleMessage(HWND Wnd, TMessage& Msg);
    void RouteMessage(HWND Wnd, TMessage& Msg);
    void ReportError(const Exception& E) noexcept;
    void CheckMsgLow() const;
    int IndexOf(UINT Msg) const;

    // The map, the count and the window are touched only on the owning thread (attach,
    // detach and the window procedure all run there).
    HWND FHandle = nullptr;
    // One entry past the 100 handed out, as the block's layout has always had.
    TNetWndControl* FMsgMap[MaxMsgs + 1] = {};
    UINT FMsgLow;
    int FMsgCnt = 0;
    TNetWndHandlerList* FOwnerList;
};

// Holds TNetWndHandler pointers; the pool frees them.
class TNetWndHandlerList : public TList {
    CLASS_INFO(TNetWndHandlerList, TList)
public:
    explicit TNetWndHandlerList(DWORD ThreadId = 0) : FThreadId(ThreadId) {}
    DWORD ThreadId() const noexcept { return FThreadId; }
    TNetWndHandler* Handlers(int Index) const { return static_cast<TNetWndHandler*>(Items(Index)); }

private:
    DWORD FThreadId;
};

class TNetWndHandlerPool : public TObject {
    CLASS_INFO(TNetWndHandlerPool, TObject)
public:
    TNetWndHandlerPool() = default;
    ~TNetWndHandlerPool() override;

    // Call under Lock: a handler of `ThreadId` with at least `Count` free numbers.
    TNetWndHandler* GetWndHandler(int Count, DWORD ThreadId);
    // Call under Lock: frees the handler (and its thread's list when that becomes empty).
    void FreeWndHandler(TNetWndHandler*& Handler);
    void Lock() noexcept { FCritSect.Enter(); }
    void UnLock() noexcept { FCritSect.Leave(); }
    // Handler lists alive, for diagnostics and tests.
    int ListCount();

private:
    TNetWndHandlerList* ListOf(DWORD ThreadId);

    TCriticalSection FCritSect;
    TList FList; // of TNetWndHandlerList; guarded by FCritSect
};

// The process's pool; raises ENetException when the module is not initialised.
TNetWndHandlerPool& NetWndHandlerPool();
// Hidden windows of the unit alive in the process.
int NetWndWindowCount();
TModuleEntry NetWndControlModule();

class TNetWndControl : public TComponent {
    CLASS_INFO(TNetWndControl, TComponent)
public:
    explicit TNetWndControl(TComponent* AOwner);
    ~TNetWndControl() override;
    void BeforeDestruction() override;

    // The window, attaching first when there is none.
    HWND Handle();
    bool Attached() const noexcept { return FHandle != nullptr; }
    TNetWndHandler* WndHandler() const noexcept { return FWndHandler; }
    DWORD ThreadId() const noexcept { return FThreadId; }
    bool Disposed() const noexcept { return FDisposed; }
    bool Terminated() const noexcept { return FTerminated; }
    bool MultiThreaded() const noexcept { return FMultiThreaded; }
    void SetMultiThreaded(bool Value) noexcept { FMultiThreaded = Value; }

    // Frees the component when its thread next handles its messages.
    virtual void Release();
    virtual void ThreadAttach();
    virtual void ThreadDetach();
    virtual void MessageLoop();
    virtual bool ProcessMessage();
    virtual void ProcessMessages();
    virtual void MessagePump();

    // Called by the window procedure for the component's messages; errors go to the
    // background-error handler.
    void MainWndProc(TMessage& Msg);

    TNetBgExceptionEvent OnBgException;
    TNotifyEvent OnMessagePump;

protected:
    virtual void Dispose();
    virtual void WMTimer(TMessage& Msg);
    virtual void WndProc(TMessage& Msg);
    virtual void HandleBackGroundException(const Exception& E);
    virtual void TriggerBgException(const Exception& E, bool& CanClose);
    virtual void WMRelease(TMessage& Msg);
    virtual void Attach();
    virtual void Detach();
    virtual int MsgHandlersCount() { return 1; }
    virtual void AllocateMsgHandlers();
    virtual void FreeMsgHandlers();
    virtual void AbortComponent() {}

    HWND FHandle = nullptr;
    TNetWndHandler* FWndHandler = nullptr;
    DWORD FThreadId = 0;
    UINT FMsgRelease = 0;
    bool FTerminated = false;
    bool FMultiThreaded = false;

private:
    void AttachUnderLock(TNetWndHandlerPool& Pool);

    bool FDisposed = false;
    // Tells this component's release message from one posted for an earlier component that
    // held the same number: a release is honoured only when it carries the holder's serial.
    const WPARAM FReleaseSerial;
};
