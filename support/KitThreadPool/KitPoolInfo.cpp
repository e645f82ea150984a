// What the pool tells about itself: counts, mean timings and the state text. The counts and
// texts only try the thread lock and answer "busy" values rather than wait, so a GUI thread
// polling them never stalls behind a pool that is creating workers.
#include "support/KitThreadPool/KitThreadPool.h"

#include "support/KitThreadPool/KitTryLock.h"

namespace {

const UnicodeString LineBreak = L"\r\n";
const UnicodeString SectionRule(15, L'=');

UnicodeString WorkerInfo(const std::vector<TKitPoolingThread*>& workers, Integer i) {
    if (i < 0 || static_cast<std::size_t>(i) >= workers.size()) return {};
    return workers[static_cast<std::size_t>(i)]->Info();
}

} // namespace

Integer TKitThreadPool::ThreadCount() {
    TKitTryLock lock(csThreadManagment);
    return lock ? static_cast<Integer>(FThreads.size()) : -1;
}

Integer TKitThreadPool::ThreadKillingCount() {
    TKitTryLock lock(csThreadManagment);
    return lock ? static_cast<Integer>(FThreadsKilling.size()) : -1;
}

UnicodeString TKitThreadPool::ThreadInfo(Integer i) {
    TKitTryLock lock(csThreadManagment);
    return lock ? WorkerInfo(FThreads, i) : UnicodeString();
}

UnicodeString TKitThreadPool::ThreadKillingInfo(Integer i) {
    TKitTryLock lock(csThreadManagment);
    return lock ? WorkerInfo(FThreadsKilling, i) : UnicodeString();
}

Cardinal TKitThreadPool::AverageWaitingTime() {
    return MeanOverWorkers(&TKitPoolingThread::CurrentWaitingTime, 10);
}

Cardinal TKitThreadPool::AverageProcessingTime() {
    return MeanOverWorkers(&TKitPoolingThread::CurrentProcessingTime, 20);
}

Cardinal TKitThreadPool::MeanOverWorkers(Cardinal (TKitPoolingThread::*average)() const,
                                         Cardinal none) {
    TLock threads(csThreadManagment);
    if (FThreads.empty()) return none;
    UInt64 sum = 0;
    for (const TKitPoolingThread* worker : FThreads) sum += (worker->*average)();
    return static_cast<Cardinal>(sum / FThreads.size());
}

UnicodeString TKitThreadPool::Info() {
    TKitTryLock lock(csThreadManagment);
    if (!lock) return L"Too busy to get info.";
    UnicodeString text;
    if (OnGetInfo)
        OnGetInfo(this, text);
    else
        DefaultGetInfo(this, text);
    return text;
}

void TKitThreadPool::DefaultGetInfo(TKitThreadPool*, UnicodeString& InfoText) {
    TLock threads(csThreadManagment);
    SweepFinished();
    InfoText = L"MinCount=" + std::to_wstring(ThreadsMinCount()) + L"; MaxCount=" +
               std::to_wstring(ThreadsMaxCount()) + L"; AdjustInterval=" +
               std::to_wstring(AdjustInterval()) + L"; DeadTimeOut=" +
               std::to_wstring(ThreadDeadTimeout()) + LineBreak;
    InfoText += L"ThreadCount=" + std::to_wstring(FThreads.size()) + L"; KillingCount=" +
                std::to_wstring(FThreadsKilling.size()) + L"; SpareThreadCount=" +
                std::to_wstring(IdleThreadCount()) + L"; TaskCount=" +
                std::to_wstring(TaskCount()) + LineBreak;
    InfoText += L"AverageWaitingTime=" + std::to_wstring(AverageWaitingTime()) +
                L"; AverageProcessingTime=" + std::to_wstring(AverageProcessingTime()) + LineBreak;
    InfoText += L"Working Threads Info" + SectionRule + LineBreak + InfoLines(FThreads) + LineBreak;
    InfoText += L"Killing Threads Info" + SectionRule + LineBreak + InfoLines(FThreadsKilling);
}

// One line per worker, separated by line breaks.
UnicodeString TKitThreadPool::InfoLines(const TWorkerList& workers) {
    UnicodeString lines;
    for (TKitPoolingThread* worker : workers) {
        if (!lines.empty()) lines += LineBreak;
        lines += worker->Info();
    }
    return lines;
}
