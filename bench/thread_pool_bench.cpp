// 100,000 trivial requests through TKitThreadPool against the same requests served by a plain
// team of std::threads of the same size around a locked queue. The ratio is what the pool's
// bookkeeping (growth, averages, duplicate checks, state) costs per request. Under Wine every
// semaphore operation is a round trip to the Wine server, which the pool pays per request.
#include "support/KitThreadPool/KitThreadPool.h"

#include "BenchTiming.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr int Requests = 100000;

class TTrivialTask : public TKitTaskDataObject {
public:
    int Value = 0;
};

struct TCounter {
    std::atomic<int> Done{0};
    HANDLE AllDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~TCounter() { CloseHandle(AllDone); }
    void Count() {
        if (Done.fetch_add(1) + 1 == Requests) SetEvent(AllDone);
    }
    void Process(TKitThreadPool*, TKitTaskDataObject* task, TKitPoolingThread*) {
        static_cast<TTrivialTask*>(task)->Value += 1;
        Count();
    }
};

// Runs the requests through the pool; answers the number of workers it grew to.
int RunPool() {
    TCounter counter;
    TKitThreadPool* pool = Construct<TKitThreadPool>(nullptr);
    pool->OnProcessRequest = TProcessRequest(&counter, &TCounter::Process);
    // As the client's batch latency test sets its pool up: 10 to 40 workers.
    pool->SetMinAtLeast(true);
    pool->SetThreadsMinCount(10);
    pool->SetThreadsMaxCount(40);
    for (int i = 0; i < Requests; ++i) pool->AddRequest(new TTrivialTask, {});
    WaitForSingleObject(counter.AllDone, INFINITE);
    const int workers = pool->ThreadCount();
    pool->Free();
    return workers;
}

void RunTeam(int workers) {
    TCounter counter;
    std::mutex lock;
    std::condition_variable ready;
    std::deque<std::unique_ptr<TTrivialTask>> queue; // guarded by lock
    bool closing = false;                            // guarded by lock
    std::vector<std::thread> team;
    for (int i = 0; i < workers; ++i)
        team.emplace_back([&] {
            for (;;) {
                std::unique_ptr<TTrivialTask> task;
                {
                    std::unique_lock guard(lock);
                    ready.wait(guard, [&] { return closing || !queue.empty(); });
                    if (queue.empty()) return;
                    task = std::move(queue.front());
                    queue.pop_front();
                }
                task->Value += 1;
                counter.Count();
            }
        });
    for (int i = 0; i < Requests; ++i) {
        {
            std::lock_guard guard(lock);
            queue.push_back(std::make_unique<TTrivialTask>());
        }
        ready.notify_one();
    }
    WaitForSingleObject(counter.AllDone, INFINITE);
    {
        std::lock_guard guard(lock);
        closing = true;
    }
    ready.notify_all();
    for (std::thread& worker : team) worker.join();
}

} // namespace

int main() {
    int workers = 0;
    const double ours = BestSeconds(3, [&] { workers = RunPool(); });
    const double baseline = BestSeconds(3, [&] { RunTeam(workers); });
    std::printf("pool grew to %d workers\n", workers);
    PrintRatio("100,000 trivial requests", ours, baseline);
    return 0;
}
