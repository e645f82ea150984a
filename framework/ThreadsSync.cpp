// The hand-over of calls from workers to the main thread: one process-wide queue of requests,
// run in order by CheckSynchronize on the main thread. A synchronous request lives until its
// caller has seen it done (shared ownership), so the caller's stack may be captured by the
// call. Workload: a few calls per second from a few dozen workers; one lock is enough.
//
// The queue state is created on first use and never destroyed: workers that outlive the
// static destructors at exit may still touch it.
#include "framework/Threads.h"

#include "framework/ExceptionBoundary.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace {

struct TSyncRequest {
    TThread* Thread; // whose call it is; null for calls handed over for no thread
    TThreadProcedure Method;
    bool Synchronous;
    UInt64 Serial = 0;
    bool Done = false;        // guarded by TSyncState::Lock
    std::exception_ptr Error; // written by the main thread before Done is set
};

using TSyncRequestPtr = std::shared_ptr<TSyncRequest>;

struct TSyncState {
    std::mutex Lock;
    // Notified when a synchronous request is done or a running request ends.
    std::condition_variable Changed;
    std::deque<TSyncRequestPtr> Pending; // guarded by Lock
    std::vector<TSyncRequest*> Running;  // guarded by Lock; nested when a call pumps
    UInt64 NextSerial = 1;               // guarded by Lock
    TMethodEvent<void()> Wake;           // guarded by Lock
    // Signalled while Pending is not empty; set and reset under Lock.
    TEvent Event{true, false};
};

TSyncState& State() {
    static TSyncState* state = new TSyncState;
    return *state;
}

// Dynamic initialisation runs on the thread that runs the static initialisers: the first one.
std::atomic<DWORD> MainThread{GetCurrentThreadId()};

bool IsMainThread() noexcept { return GetCurrentThreadId() == MainThread; }

TSyncRequestPtr Enqueue(TThread* thread, TThreadProcedure method, bool synchronous) {
    TSyncState& state = State();
    auto request =
        std::make_shared<TSyncRequest>(TSyncRequest{thread, std::move(method), synchronous});
    TMethodEvent<void()> wake;
    {
        std::lock_guard<std::mutex> lock(state.Lock);
        request->Serial = state.NextSerial++;
        state.Event.SetEvent(); // first: a spurious signal is harmless, a lost request is not
        state.Pending.push_back(request);
        wake = state.Wake;
    }
    GuardBoundary([&] { wake(); });
    return request;
}

void WaitUntilDone(const TSyncRequest& request) {
    TSyncState& state = State();
    std::unique_lock<std::mutex> lock(state.Lock);
    state.Changed.wait(lock, [&] { return request.Done; });
}

// Takes the oldest request queued no later than `lastSerial` and marks it running.
TSyncRequestPtr TakeNext(UInt64 lastSerial) {
    TSyncState& state = State();
    std::lock_guard<std::mutex> lock(state.Lock);
    if (state.Pending.empty() || state.Pending.front()->Serial > lastSerial) return nullptr;
    TSyncRequestPtr request = std::move(state.Pending.front());
    state.Pending.pop_front();
    if (state.Pending.empty()) state.Event.ResetEvent();
    state.Running.push_back(request.get());
    return request;
}

void RunRequest(TSyncRequest& request) {
    try {
        request.Method();
    } catch (...) {
        if (request.Synchronous)
            request.Error = std::current_exception();
        else
            ReportBoundaryException();
    }
    TSyncState& state = State();
    {
        std::lock_guard<std::mutex> lock(state.Lock);
        request.Done = true;
        std::erase(state.Running, &request);
    }
    state.Changed.notify_all();
}

UInt64 LastPendingSerial() {
    TSyncState& state = State();
    std::lock_guard<std::mutex> lock(state.Lock);
    return state.Pending.empty() ? 0 : state.Pending.back()->Serial;
}

bool IsQueuedFor(const TSyncRequest* request, const TThread* thread) {
    return request->Thread == thread && !request->Synchronous;
}

} // namespace

Cardinal MainThreadID() noexcept { return MainThread; }

void SetMainThread() noexcept { MainThread = GetCurrentThreadId(); }

HANDLE SyncEventHandle() { return State().Event.Handle(); }

TMethodEvent<void()> SetWakeMainThread(TMethodEvent<void()> hook) {
    TSyncState& state = State();
    std::lock_guard<std::mutex> lock(state.Lock);
    std::swap(state.Wake, hook);
    return hook;
}

TMethodEvent<void()> WakeMainThread() {
    TSyncState& state = State();
    std::lock_guard<std::mutex> lock(state.Lock);
    return state.Wake;
}

bool CheckSynchronize(Cardinal timeoutMs) {
    if (!IsMainThread())
        throw EThread(L"CheckSynchronize was called from a thread other than the main thread");
    if (timeoutMs != 0) WaitForSingleObject(SyncEventHandle(), timeoutMs);
    const UInt64 last = LastPendingSerial();
    bool ran = false;
    while (TSyncRequestPtr request = TakeNext(last)) {
        RunRequest(*request);
        ran = true;
    }
    return ran;
}

void TThread::Synchronize(TThread* thread, const TThreadMethod& method) {
    Synchronize(thread, TThreadProcedure([method] { method(); }));
}

void TThread::Synchronize(TThread* thread, const TThreadProcedure& procedure) {
    if (IsMainThread()) return procedure();
    TSyncRequestPtr request = Enqueue(thread, procedure, true);
    WaitUntilDone(*request);
    if (request->Error) std::rethrow_exception(request->Error);
}

void TThread::Queue(TThread* thread, const TThreadMethod& method) {
    Queue(thread, TThreadProcedure([method] { method(); }));
}

void TThread::Queue(TThread* thread, TThreadProcedure procedure) {
    if (IsMainThread()) return procedure();
    Enqueue(thread, std::move(procedure), false);
}

void TThread::RemoveQueuedEvents(TThread* thread) {
    TSyncState& state = State();
    std::unique_lock<std::mutex> lock(state.Lock);
    std::erase_if(state.Pending,
                  [&](const TSyncRequestPtr& r) { return IsQueuedFor(r.get(), thread); });
    if (state.Pending.empty()) state.Event.ResetEvent();
    if (IsMainThread()) return; // a call running now is on this very stack
    state.Changed.wait(lock, [&] {
        return std::none_of(state.Running.begin(), state.Running.end(),
                            [&](const TSyncRequest* r) { return IsQueuedFor(r, thread); });
    });
}
