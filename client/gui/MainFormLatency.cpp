// The batch latency test on the GUI thread: its components, the button that starts and stops
// it, the periodic re-sort, the refresh of the view and the pool counters, and the stop when
// the window goes.
//
// States: idle (the button shows "Bat Speed", `speed_running` clear, Timer1 off) and running
// (the button shows "Pause Speed", `speed_running` set, Timer1 on, a feeder going). Starting
// finds the old feeder still going when it has not yet seen the flag cleared, and then lets it
// go on; a feeder that has already left is replaced. Stopping also terminates the feeder's run:
// one that has not begun then ends without entering its loop. The window's going stops the test and
// waits for the feeder and the workers before anything they use is freed.
#include "client/gui/LatencyTest.h"

#include "client/AppShared.h"

#include "framework/Conversions.h"
#include "support/XtThread/XtThread.h"

namespace {

constexpr Cardinal ResortInterval = 2000;

UnicodeString IdleCaption() { return LangText(L"Bat Speed", L"批量测速"); }
UnicodeString RunningCaption() { return LangText(L"Pause Speed", L"暂停测速"); }

} // namespace

void Tfrmmain::BuildLatencyTests() {
    FLatency = std::make_shared<TLatencyLink>();
    FLatency->Form = this;
    tp1 = new TKitThreadPool(this);
    tp1->SetThreadsMinCount(10);
    tp1->SetThreadsMaxCount(40);
    tp1->SetAdjustInterval(2000);
    tp1->SetDeadTaskAsNew(false);
    tp1->SetMinAtLeast(true);
    tp1->OnProcessRequest = TProcessRequest(this, &Tfrmmain::tp1ProcessRequest);
    pingthread = new TXtThread(this);
    pingthread->SetExclusive(true);
    pingthread->SetMaxCount(0);
    pingthread->SetRunOnCreate(true);
    pingthread->SetFreeOnTerminate(true);
    pingthread->OnExecute = TXtNotifyParamsEvent(this, &Tfrmmain::pingthreadExecute);
    pingthread->OnFinish = TNotifyEvent(this, &Tfrmmain::pingthreadFinish);
    Timer1 = new TTimer(this);
    Timer1->SetEnabled(false);
    Timer1->SetInterval(ResortInterval);
    Timer1->SetOnTimer(TNotifyEvent(this, &Tfrmmain::Timer1Timer));
    btn_speed->OnClick = TNotifyEvent(this, &Tfrmmain::btn_speedClick);
    cesu->OnClick = TNotifyEvent(this, &Tfrmmain::cesuClick);
}

void Tfrmmain::btn_speedClick(TObject*) {
    if (Trim(IPAddrTxt->Text()).empty()) {
        if (IPAddrTxt->CanFocus()) IPAddrTxt->SetFocus();
        return;
    }
    if (btn_speed->Caption() != RunningCaption())
        StartSpeedTest();
    else
        StopSpeedTest();
}

void Tfrmmain::StartSpeedTest() {
    TVTHeader* header = vt1->Header();
    header->SetSortColumn(1);
    header->SetSortDirection(sdAscending);
    RefreshUnderThreadMutex(); // the feeder's first pass
    if (FLatency->ClaimFeeder()) StartFeeder();
    btn_speed->SetCaption(RunningCaption());
    Timer1->SetEnabled(true);
}

// A feeder that has left its loop still holds its place among the component's runs until its
// end has been handed to this thread, and the component starts no second run meanwhile.
void Tfrmmain::StartFeeder() {
    while (!pingthread->Execute(nullptr)) {
        if (!pingthread->OneThreadIsRunning()) {
            FLatency->FeederLeft();
            speed_running = false;
            throw EThread(L"The latency test's feeder thread could not be started");
        }
        CheckSynchronize(10);
    }
}

void Tfrmmain::StopSpeedTest() {
    if (!speed_running && !Timer1->Enabled()) return;
    speed_running = false;
    btn_speed->SetCaption(IdleCaption());
    vt1->Tree()->SortTree(vt1->Header()->SortColumn(), sdAscending, true);
    vt1->Invalidate();
    pingthread->Terminate();
    Timer1->SetEnabled(false);
    pingthread->CancelExecute();
}

void Tfrmmain::Timer1Timer(TObject*) { SortAndRefresh(); }

void Tfrmmain::SortAndRefresh() {
    vt1->Tree()->SortTree(vt1->Header()->SortColumn(), sdAscending, true);
    RefreshUnderThreadMutex();
}

void Tfrmmain::RefreshUnderThreadMutex() {
    AcquireHandlingMessages(FLatency->ThreadMutex);
    try {
        RefreshPingInfo(nullptr);
        PublishPassLines();
    } catch (...) {
        FLatency->ThreadMutex.Release();
        throw;
    }
    FLatency->ThreadMutex.Release();
}

void Tfrmmain::RefreshPingInfo(TObject*) {
    vt1->Invalidate();
    const Integer threads = tp1->ThreadCount();
    if (threads >= 0) lbl_info->SetCaption(IntToStr(tp1->TaskCount()) + L"/" + IntToStr(threads));
}

// Runs under the named mutex: the feeder copies the lines under it.
void Tfrmmain::PublishPassLines() {
    TBaseVirtualTree* tree = vt1->Tree();
    std::vector<TLineTarget>& lines = FLatency->PassLines;
    lines.clear();
    for (PVirtualNode node = tree->GetFirst(); node; node = tree->GetNext(node))
        lines.push_back({tree->NodeRef(node), tree->GetNodeData<ps>(node)->ip});
}

// The feeder ends within one pacing step once the flag is clear; the workers end with their
// current echo. Both are waited for here, the feeder first, because it queues on the pool.
void Tfrmmain::BeforeDestruction() {
    speed_running = false;
    if (FLatency) FLatency->Form = nullptr;
    FreeAndNil(pingthread);
    FreeAndNil(tp1);
    TForm::BeforeDestruction();
}

void AcquireHandlingMessages(TMutex& mutex) {
    for (;;) {
        const HANDLE handles[] = {mutex.Handle(), SyncEventHandle()};
        const DWORD woken =
            MsgWaitForMultipleObjectsEx(2, handles, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0 || woken == WAIT_ABANDONED_0) return;
        if (woken == WAIT_OBJECT_0 + 1)
            CheckSynchronize();
        else if (woken == WAIT_OBJECT_0 + 2)
            Application->ProcessMessages();
        else
            RaiseLastOSError(L"MsgWaitForMultipleObjectsEx");
    }
}
