// The batch latency test off the GUI thread: the feeder, which queues one request per line
// every pacing step, pass after pass, and the pool's workers, which ping a line each and hand
// the outcome to the GUI thread; and, back on the GUI thread, the writing of an outcome into
// its row.
//
// Neither the feeder nor a worker touches the tree or a window. The feeder holds the named
// mutex only while it copies the lines of a pass; it never waits for the GUI thread, so a GUI
// thread that waits for the mutex cannot deadlock with it. A pass with no lines still takes
// one pacing step, so that an empty view does not make the feeder spin.
#include "client/gui/LatencyTest.h"

#include "client/AppShared.h"

#include "framework/Conversions.h"
#include "support/NetPing/NetPing.h"
#include "support/XtThread/XtThread.h"

#include <memory>

namespace {

constexpr Cardinal PacingMs = 50;

struct TFreeComponent {
    void operator()(TObject* object) const noexcept { object->Free(); }
};

void ShowIdleCounters(const std::shared_ptr<TLatencyLink>& link) {
    TThread::Queue(nullptr, [link] {
        if (link->Form && !speed_running) link->Form->lbl_info->SetCaption(L"PNA/PNA");
    });
}

void ApplyEcho(Tfrmmain& form, const TLineEcho& echo) {
    TBaseVirtualTree* tree = form.vt1->Tree();
    if (!speed_running || !tree->IsAlive(echo.Node)) return;
    ps& line = *tree->GetNodeData<ps>(echo.Node.Node);
    if (echo.Outcome == TEchoOutcome::Replied) {
        line.delay = IntToStr(EchoDelay(echo.RoundTrip));
        return;
    }
    line.delay = LangText(L"Unknown", L"禁ping");
    ++line.losttimes;
}

} // namespace

void TLatencyLink::TakePass(TObject*) { FeederPass = PassLines; }

bool TLatencyLink::FeederGoesOn() {
    TLock lock(FeederLock);
    if (!speed_running) FeederActive = false;
    return FeederActive;
}

bool TLatencyLink::ClaimFeeder() {
    TLock lock(FeederLock);
    speed_running = true;
    const bool claimed = !FeederActive;
    FeederActive = true;
    return claimed;
}

void TLatencyLink::FeederLeft() {
    TLock lock(FeederLock);
    FeederActive = false;
}

void TLatencyLink::FeederEntered(TObject* Run) {
    TLock lock(FeederLock);
    EnteredRun = Run;
}

bool TLatencyLink::RunEnded(TObject* Run) {
    TLock lock(FeederLock);
    const bool entered = EnteredRun == Run;
    if (!entered) FeederActive = false;
    EnteredRun = nullptr;
    return entered;
}

Integer EchoDelay(Cardinal RoundTrip) {
    return static_cast<Integer>(static_cast<UInt64>(RoundTrip) * 9 / 10);
}

std::optional<TLineEcho> PingLine(const TLineTarget& Line) {
    try {
        std::unique_ptr<TPing, TFreeComponent> ping(Construct<TPing>(nullptr));
        ping->SetAddress(Line.Address);
        if (ping->Ping() == 1)
            return TLineEcho{Line.Node, TEchoOutcome::Replied, ping->Reply().RTT};
        if (ping->HostIP().empty()) return std::nullopt; // the address did not resolve
        return TLineEcho{Line.Node, TEchoOutcome::Lost, 0};
    } catch (const Exception&) {
        return std::nullopt;
    }
}

void Tfrmmain::pingthreadExecute(TObject* Sender, void*) {
    const std::shared_ptr<TLatencyLink> link = FLatency;
    link->FeederEntered(Sender);
    for (;;) {
        CallUnderThreadMutex(TNotifyEvent(link.get(), &TLatencyLink::TakePass));
        for (const TLineTarget& line : link->FeederPass) {
            if (!link->FeederGoesOn()) return ShowIdleCounters(link);
            Sleep(PacingMs);
            tp1->AddRequest(new MythreadData(line), {cdProcessing});
        }
        if (!link->FeederGoesOn()) return ShowIdleCounters(link);
        if (link->FeederPass.empty()) Sleep(PacingMs);
        TThread::Queue(nullptr, [link] {
            if (link->Form) link->Form->SortAndRefresh();
        });
    }
}

// A run told to terminate before its thread began never enters the feeder's loop, so it cannot
// count itself out there; its end does it, or a test started again would wait for it for ever.
// Nor could it show the idle counters, which would otherwise keep the stopped test's figures.
void Tfrmmain::pingthreadFinish(TObject* Sender) {
    if (!FLatency->RunEnded(Sender)) ShowIdleCounters(FLatency);
}

void Tfrmmain::tp1ProcessRequest(TKitThreadPool*, TKitTaskDataObject* aDataObj,
                                 TKitPoolingThread*) {
    const std::optional<TLineEcho> echo = PingLine(static_cast<MythreadData*>(aDataObj)->Pv);
    if (!echo || !speed_running) return;
    const std::shared_ptr<TLatencyLink> link = FLatency;
    TThread::Queue(nullptr, [link, echo = *echo] {
        if (link->Form) ApplyEcho(*link->Form, echo);
    });
}
