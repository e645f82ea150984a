// The batch latency test's request path against a bare echo loop: 200 loopback lines pinged
// through the main window's pool (a request object, a ping component per request, the hand-over
// of each outcome to the GUI thread and its write into the row), with the pool held at 10 and
// at 40 workers and the feeder's pacing left out, against 200 IcmpSendEcho calls on one
// handle in a loop. It prints requests per second and the time per request against the loop,
// and, to tell the pool's share from the component's, the same echoes sent one after another
// with a ping component each.
// Every echo goes to 127.0.0.0/8.
#include "client/gui/LatencyTest.h"

#include "client/AppShared.h"

#include "framework/ModuleInit.h"
#include "support/NetPing/NetWndControl.h"
#include "support/XtThread/XtThread.h"

#include "BenchTiming.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <new>
#include <string>

namespace {

constexpr int Lines = 200;

UnicodeString LineAddress(int i) { return L"127.0.2." + std::to_wstring(i + 1); }

class TMainWithoutLogin : public Tfrmmain {
public:
    using Tfrmmain::Tfrmmain;

protected:
    void DoCreate() override {}
};

void AddLines(TBaseVirtualTree* tree) {
    for (int i = 0; i < Lines; ++i) {
        PVirtualNode node = tree->AddChild(nullptr);
        ps* line = new (tree->GetNodeData(node)) ps();
        line->name = L"Line " + std::to_wstring(i);
        line->ip = LineAddress(i);
    }
}

bool AllWritten(TBaseVirtualTree* tree) {
    for (PVirtualNode node = tree->GetFirst(); node; node = tree->GetNext(node))
        if (tree->GetNodeData<ps>(node)->delay == L"NA") return false;
    return true;
}

// One pass: every line queued at once, then the hand-overs run until every row is written.
void PingThroughPool(Tfrmmain* form) {
    TBaseVirtualTree* tree = form->vt1->Tree();
    for (PVirtualNode node = tree->GetFirst(); node; node = tree->GetNext(node))
        tree->GetNodeData<ps>(node)->delay = L"NA";
    for (PVirtualNode node = tree->GetFirst(); node; node = tree->GetNext(node))
        form->tp1->AddRequest(
            new MythreadData({tree->NodeRef(node), tree->GetNodeData<ps>(node)->ip}),
            {cdProcessing});
    while (!AllWritten(tree)) CheckSynchronize(1);
}

void PingInLoop() {
    HANDLE icmp = IcmpCreateFile();
    if (icmp == INVALID_HANDLE_VALUE) {
        std::printf("IcmpCreateFile failed: %lu\n", GetLastError());
        return;
    }
    char payload[56] = "bench";
    alignas(ICMP_ECHO_REPLY) char reply[sizeof(ICMP_ECHO_REPLY) + sizeof(payload) + 8];
    for (int i = 0; i < Lines; ++i) {
        const std::string address = "127.0.2." + std::to_string(i + 1);
        IcmpSendEcho(icmp, inet_addr(address.c_str()), payload, sizeof(payload), nullptr, reply,
                     sizeof(reply), 4000);
    }
    IcmpCloseHandle(icmp);
}

// The component's share: one ping component per request, one after another on this thread.
void PingWithComponents(TBaseVirtualTree* tree) {
    for (PVirtualNode node = tree->GetFirst(); node; node = tree->GetNext(node))
        PingLine({tree->NodeRef(node), tree->GetNodeData<ps>(node)->ip});
}

// The first pass also grows the pool to its size: that is the cold figure.
TFigures PoolFigures(Tfrmmain* form, int workers) {
    form->tp1->SetThreadsMinCount(workers);
    form->tp1->SetThreadsMaxCount(workers);
    return Measure(3, [&] {
        PingThroughPool(form);
        return 0;
    });
}

} // namespace

int main() {
    InitializeModules(
        {FrameworkModule(), XtThreadModule(), NetWndControlModule(), AppSharedModule()});
    Tfrmmain* form = Construct<TMainWithoutLogin>(nullptr);
    form->vt1->Tree()->SetNodeDataSize(sizeof(ps));
    AddLines(form->vt1->Tree());
    speed_running = true; // outcomes are written only while a test runs
    const TFigures loop = Measure(3, [] {
        PingInLoop();
        return 0;
    });
    const TFigures components = Measure(3, [&] {
        PingWithComponents(form->vt1->Tree());
        return 0;
    });
    PrintFigures("200 echoes, a ping component each", components, loop);
    for (const int workers : {10, 40}) {
        const TFigures pool = PoolFigures(form, workers);
        const std::string what = "200 loopback echoes, pool of " + std::to_string(workers);
        std::printf("%s: warm %.0f requests/s (bare loop %.0f requests/s)\n", what.c_str(),
                    Lines / pool.Warm, Lines / loop.Warm);
        PrintFigures(what.c_str(), pool, loop);
    }
    speed_running = false;
    form->Free();
    FinalizeModules();
    return 0;
}
