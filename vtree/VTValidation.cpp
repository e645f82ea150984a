// Background validation: one worker thread, shared by every tree window of the process, builds
// position caches (an entry every 2000 visible nodes: the node and its top) so that large trees
// find the node at a position without walking from the top.
//
// The worker only reads. It never initialises or measures a node: with variable node heights
// it stops at the first node whose height was not measured yet, and the cache stays invalid
// (the GUI thread measures as it paints, and the next request gets further). It builds into its
// own list, which the GUI thread installs while handling the worker's closing state message;
// tree states change only on the GUI thread, through that message (sent, so the worker waits).
//
//   queued --worker takes it--> validating --built--> tsUseCache
//                                   |    \--stopped, unreadable node, small tree or an
//                                   |       exception--> tsValidationNeeded (cache invalid)
//   CancelValidation: sets the atomic stop flag the worker polls after every node and waits,
//   pumping this window's messages, until the worker has let the tree go.
// A change that invalidates the cache while the worker runs (tsValidationNeeded entered again)
// discards the result and queues the tree anew. An exception in a build ends that build only:
// the closing message is sent and the worker serves the next tree.
//
// The GUI thread keeps the nodes still while the worker reads: every structural change cancels
// validation before it touches the nodes.
#include "vtree/VTWindow.h"

#include "framework/ExceptionBoundary.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

constexpr UINT WM_VTSTATE = 0x8020; // WParam: states to enter, LParam: states to leave
constexpr UINT WM_VTREVALIDATE = 0x8021;
constexpr Cardinal CacheThreshold = 2000;
constexpr LPARAM StopBit = 1, UseCacheBit = 2, ValidatingBit = 4, NeededBit = 8;

TVirtualTreeStates StatesOf(LPARAM Bits) {
    TVirtualTreeStates states;
    if (Bits & StopBit) states.Include(tsStopValidation);
    if (Bits & UseCacheBit) states.Include(tsUseCache);
    if (Bits & ValidatingBit) states.Include(tsValidating);
    if (Bits & NeededBit) states.Include(tsValidationNeeded);
    return states;
}

} // namespace

class TWorkerThread {
public:
    static TWorkerThread& Instance() {
        static TWorkerThread worker;
        return worker;
    }
    void Add(TVirtualTreeWindow* Window, HWND Handle) {
        std::lock_guard<std::mutex> lock(FLock);
        for (const TEntry& entry : FQueue)
            if (entry.Window == Window) return;
        FQueue.push_back({Window, Handle});
        StartLocked();
        FWake.notify_one();
    }
    void Remove(TVirtualTreeWindow* Window) {
        std::lock_guard<std::mutex> lock(FLock);
        std::erase_if(FQueue, [&](const TEntry& e) { return e.Window == Window; });
    }
    bool IsCurrent(const TVirtualTreeWindow* Window) {
        std::lock_guard<std::mutex> lock(FLock);
        return FCurrent == Window;
    }
    bool IsQueued(const TVirtualTreeWindow* Window) {
        std::lock_guard<std::mutex> lock(FLock);
        if (FCurrent == Window) return true;
        for (const TEntry& entry : FQueue)
            if (entry.Window == Window) return true;
        return false;
    }
    ~TWorkerThread() {
        {
            std::lock_guard<std::mutex> lock(FLock);
            FTerminating = true;
        }
        FWake.notify_one();
        if (FThread.joinable()) FThread.join();
    }

private:
    struct TEntry {
        TVirtualTreeWindow* Window;
        HWND Handle;
    };
    void StartLocked() {
        if (!FThread.joinable()) FThread = std::thread([this] { Run(); });
    }
    void Run() noexcept {
        for (;;) {
            TEntry entry;
            {
                std::unique_lock<std::mutex> lock(FLock);
                FWake.wait(lock, [&] { return FTerminating || !FQueue.empty(); });
                if (FTerminating) return;
                entry = FQueue.front();
                FQueue.pop_front();
                FCurrent = entry.Window;
            }
            Validate(entry);
            std::lock_guard<std::mutex> lock(FLock);
            FCurrent = nullptr;
        }
    }
    static void Validate(const TEntry& Entry) noexcept {
        SendMessageW(Entry.Handle, WM_VTSTATE, ValidatingBit, UseCacheBit | NeededBit);
        bool built = false;
        GuardBoundary([&] {
            Entry.Window->FBuiltCache.clear();
            built = Entry.Window->BuildCacheReadOnly(Entry.Window->FBuiltCache);
        });
        SendMessageW(Entry.Handle, WM_VTSTATE, built ? UseCacheBit : NeededBit,
                     StopBit | ValidatingBit);
    }

    std::mutex FLock; // guards FQueue, FCurrent, FTerminating and the start of FThread
    std::condition_variable FWake;
    std::deque<TEntry> FQueue;
    TVirtualTreeWindow* FCurrent = nullptr;
    bool FTerminating = false;
    std::thread FThread;
};

// Runs on the worker. Reads links, states and heights only.
bool TVirtualTreeWindow::BuildCacheReadOnly(TCache& Cache) const {
    const TBaseVirtualTree& tree = *FTree;
    if (tree.FVisibleCount <= CacheThreshold) return false;
    const bool variable = tree.HasMisc(toVariableNodeHeight);
    Cardinal top = 0, count = 0;
    for (PVirtualNode node = tree.GetFirstVisibleNoInit(nullptr, true, false); node;
         node = tree.GetNextVisibleNoInit(node, true)) {
        if (FStopValidation.load()) return false;
        if (variable && !node->States.Contains(vsHeightMeasured)) return false;
        if (count % CacheThreshold == 0) Cache.push_back({node, top});
        top += node->NodeHeight;
        ++count;
    }
    return count > 0;
}

void TVirtualTreeWindow::WMValidationState(TMessage& Message) {
    TVirtualTreeStates enter = StatesOf(static_cast<LPARAM>(Message.WParam));
    const TVirtualTreeStates leave = StatesOf(Message.LParam);
    Message.Result = 0;
    if (!enter.Contains(tsUseCache)) return FTree->DoStateChange(enter, leave);
    // Built: a change while the worker ran voids the result.
    if (FTree->TreeStates().Contains(tsValidationNeeded) || FStopValidation.load()) {
        FTree->DoStateChange({}, leave);
        PostMessageW(Handle(), WM_VTREVALIDATE, 0, 0);
        return;
    }
    FTree->FPositionCache = std::move(FBuiltCache);
    FBuiltCache.clear();
    FTree->DoStateChange(enter, leave);
    if (HasMisc(toVariableNodeHeight)) UpdateScrollBars(true);
}

void TVirtualTreeWindow::RequestValidation() {
    if (!HandleAllocated() || !FTree->TreeStates().Contains(tsValidationNeeded)) return;
    FStopValidation = false;
    FTree->DoStateChange({}, {tsStopValidation});
    TWorkerThread::Instance().Add(this, Handle());
}

void TVirtualTreeWindow::CancelValidation() {
    FStopValidation = true;
    FTree->DoStateChange({tsStopValidation}, {tsUseCache});
    TWorkerThread& worker = TWorkerThread::Instance();
    worker.Remove(this);
    if (!worker.IsCurrent(this)) return;
    while (worker.IsCurrent(this)) {
        MSG message;
        while (HandleAllocated() && PeekMessageW(&message, Handle(), 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        // Wakes for the worker's sent messages, and at least every millisecond.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_SENDMESSAGE);
    }
    FTree->DoStateChange({tsValidationNeeded});
}

bool TVirtualTreeWindow::ValidationPending() const {
    return TWorkerThread::Instance().IsQueued(this);
}
