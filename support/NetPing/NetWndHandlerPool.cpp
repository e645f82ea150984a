// The process's pool of hidden-window handlers: one list per thread, each list holding the
// handlers (windows) of that thread. Attaching and detaching components of any thread go
// through the pool under its lock; a handler is created when no window of the thread has
// enough free numbers, and freed with its last number. Workload: a few dozen components per
// thread, created and freed at the pace of network requests, so linear searches are enough.
#include "support/NetPing/NetWndControl.h"

namespace {

TNetWndHandlerPool* Pool = nullptr; // set and cleared by the module on the main thread

// The block base is kept as it has always been computed: never advanced, so every window's
// block starts at 1025 and messages are told apart by window.
UINT MsgBlockBase = 0;

UINT NextMsgLow() noexcept {
    if (MsgBlockBase <= 1024 || MsgBlockBase > 65434) MsgBlockBase = 1025;
    return MsgBlockBase;
}

} // namespace

TNetWndHandlerPool& NetWndHandlerPool() {
    if (!Pool) throw ENetException(L"The hidden-window pool is not initialised");
    return *Pool;
}

TModuleEntry NetWndControlModule() {
    return {L"NetWndControl",
            {},
            [] {
                if (Pool) throw EInvalidOperation(L"The hidden-window pool exists already");
                Pool = new TNetWndHandlerPool;
            },
            [] {
                delete Pool;
                Pool = nullptr;
            }};
}

// Handlers left at shutdown belong to components nobody freed. Those of this thread go with
// their windows; a window of another thread cannot be destroyed from here, so its handler is
// left alive rather than leave the window pointing at freed memory.
TNetWndHandlerPool::~TNetWndHandlerPool() {
    for (int i = 0; i < FList.Count(); ++i) {
        auto* list = static_cast<TNetWndHandlerList*>(FList.Items(i));
        if (list->ThreadId() == GetCurrentThreadId())
            for (int h = 0; h < list->Count(); ++h) delete list->Handlers(h);
        delete list;
    }
}

int TNetWndHandlerPool::ListCount() {
    TLock lock(FCritSect);
    return FList.Count();
}

TNetWndHandlerList* TNetWndHandlerPool::ListOf(DWORD ThreadId) {
    for (int i = FList.Count() - 1; i >= 0; --i) {
        auto* list = static_cast<TNetWndHandlerList*>(FList.Items(i));
        if (list->ThreadId() == ThreadId) return list;
    }
    auto* list = new TNetWndHandlerList(ThreadId);
    FList.Add(list);
    return list;
}

TNetWndHandler* TNetWndHandlerPool::GetWndHandler(int Count, DWORD ThreadId) {
    if (Count > TNetWndHandler::MaxMsgs) throw ENetException(L"No more free message");
    TNetWndHandlerList* list = ListOf(ThreadId);
    for (int i = 0; i < list->Count(); ++i)
        if (list->Handlers(i)->MsgLeft() >= Count) return list->Handlers(i);
    auto* handler = new TNetWndHandler(list, NextMsgLow());
    list->Add(handler);
    return handler;
}

void TNetWndHandlerPool::FreeWndHandler(TNetWndHandler*& Handler) {
    TNetWndHandlerList* list = Handler->OwnerList();
    list->Remove(Handler);
    if (list->Count() == 0) {
        FList.Remove(list);
        delete list;
    }
    delete Handler;
    Handler = nullptr;
}
