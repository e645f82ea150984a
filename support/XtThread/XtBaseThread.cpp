// One run of a TXtThread's handler. The run's set-up may fail after the thread exists (its
// BeforeResume handler raised): the thread then ends at once without calling the handler,
// so that a half-prepared run never executes. An error escaping the handler is kept and handed
// to the boundary sink, which shows it on the main thread; the run then ends normally.
#include "support/XtThread/XtThread.h"

#include "framework/ExceptionBoundary.h"

TXtBaseThread::TXtBaseThread(TXtThread* Sender, const TXtNotifyParamsEvent& Event, void* Params)
    : TXtPausableThread(true), FSender(Sender), FExecuteEvent(Event), FParams(Params) {}

void TXtBaseThread::Resume() {
    if (!FOnResumeDone.exchange(true)) {
        try {
            FSender->BeforeResume(this);
        } catch (...) {
            FInternalTerminate = true;
        }
        FExecuteIsActive = true;
    }
    TXtPausableThread::Resume();
}

void TXtBaseThread::Execute() {
    FExecuteIsActive = true;
    if (FInternalTerminate) {
        Terminate();
        return;
    }
    try {
        FExecuteEvent(this, FParams);
    } catch (...) {
        FException = std::current_exception();
        ReportBoundaryException();
    }
}
