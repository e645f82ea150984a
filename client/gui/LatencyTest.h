// The batch latency test's pieces that the main window shares with its feeder thread and the
// thread pool's workers:
//   TLineTarget   one line of a pass: its node, as a reference the GUI thread can check, and
//                 its address
//   MythreadData  the pool's request: the line to ping
//   TLineEcho     a worker's outcome for a line, handed to the GUI thread
//   TLatencyLink  what the window, the feeder, the workers and their hand-overs share
//   PingLine      one echo to a line with the ping component
//   EchoDelay     the delay written for a round-trip time
//
// Threads. The tree and the windows belong to the GUI thread: the feeder walks a copy of the
// lines that the GUI thread publishes after each sort, and the workers hand their outcomes
// back with TThread::Queue; the GUI thread writes a row only while its node is alive. The
// hand-overs hold the link, not the window, so one that runs after the window has gone finds
// no window and does nothing.
#pragma once

#include "client/gui/MainForm.h"

#include "framework/SyncObjs.h"
#include "support/KitThreadPool/KitThreadPool.h"

#include <optional>
#include <vector>

struct TLineTarget {
    TVTNodeRef Node;
    UnicodeString Address;
};

class MythreadData : public TKitTaskDataObject {
    CLASS_INFO(MythreadData, TKitTaskDataObject)
public:
    explicit MythreadData(const TLineTarget& Line) : Pv(Line) {}
    const TLineTarget Pv;
};

enum class TEchoOutcome { Replied, Lost };

struct TLineEcho {
    TVTNodeRef Node;
    TEchoOutcome Outcome = TEchoOutcome::Lost;
    Cardinal RoundTrip = 0; // ms, when replied
};

struct TLatencyLink {
    // GUI thread only; cleared when the window starts going.
    Tfrmmain* Form = nullptr;
    // The pass lines in the view's order, published by the GUI thread after each sort and
    // copied by the feeder at the start of a pass. Guarded by the worker-thread mutex
    // "VCLXtThreadMutex" (ThreadMutex below on the GUI thread, CallUnderThreadMutex on the
    // feeder).
    std::vector<TLineTarget> PassLines;
    // The feeder's copy of PassLines; the feeder's own.
    std::vector<TLineTarget> FeederPass;
    // The same named mutex, for the GUI thread's waits that handle messages meanwhile.
    TMutex ThreadMutex{false, L"VCLXtThreadMutex"};
    // Whether a feeder run is inside its loop. Guarded by FeederLock, which also makes the
    // feeder's last look at `speed_running` and a restart one step: a restart either finds
    // the old feeder going on or knows it has left.
    TCriticalSection FeederLock;
    bool FeederActive = false;
    // The feeder run that has entered its loop (FeederLock); a run ending without having
    // entered it was terminated before it began.
    TObject* EnteredRun = nullptr;

    void TakePass(TObject* Sender); // run under the named mutex
    // On the feeder: whether to go on; when not, the feeder is counted out.
    bool FeederGoesOn();
    // On the GUI thread: sets `speed_running` and answers whether a feeder has to be started
    // (it is then already counted in).
    bool ClaimFeeder();
    void FeederLeft();
    // On the feeder, first thing in its run.
    void FeederEntered(TObject* Run);
    // On the GUI thread, when a feeder run has ended: one that never entered its loop still
    // held the claim and gives it back. Answers whether the run had entered its loop.
    bool RunEnded(TObject* Run);
};

// One echo to the line with a ping component of its own (default payload, time-out and TTL):
// Lost when the echo was not answered; nothing when the address does not resolve or the
// component fails.
std::optional<TLineEcho> PingLine(const TLineTarget& Line);

// The whole part of 0.9 × the round-trip time.
Integer EchoDelay(Cardinal RoundTrip);

// Waits on the GUI thread for `mutex` (recursive for its owner), handling window messages and
// the calls that workers hand over meanwhile.
void AcquireHandlingMessages(TMutex& mutex);
