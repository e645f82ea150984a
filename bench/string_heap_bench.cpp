// The string heap against malloc/free: 10 M allocations and frees of mixed sizes (mostly short
// texts, some up to the 2000-byte class limit, a few large), with a working set of live buffers
// as a record list keeps them. Both run the same precomputed sequence; the heap exists to be
// faster, so the goal is a ratio (malloc time / heap time) of at least 1.0.
#include "data/engine/MemDataHeap.h"

#include "bench/BenchTiming.h"

#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr std::size_t Operations = 10'000'000;
constexpr std::size_t Live = 4096;

std::vector<Integer> MixedSizes() {
    std::mt19937 random(2026);
    std::vector<Integer> sizes(Operations);
    for (Integer& size : sizes) {
        const unsigned kind = random() % 1000;
        size = kind < 900   ? 1 + Integer(random() % 64)
               : kind < 995 ? 65 + Integer(random() % 1936)
                            : 2001 + Integer(random() % 8000);
    }
    return sizes;
}

// Every step frees the oldest slot's buffer and allocates a new one into it.
template <class New, class Dispose>
std::size_t Run(const std::vector<Integer>& sizes, New&& allocate, Dispose&& dispose) {
    std::vector<void*> slots(Live, nullptr);
    std::size_t touched = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        void*& slot = slots[i % Live];
        dispose(slot);
        slot = allocate(sizes[i]);
        static_cast<Byte*>(slot)[0] = Byte(i);
        touched += static_cast<Byte*>(slot)[0];
    }
    for (void* slot : slots) dispose(slot);
    return touched;
}

} // namespace

int main() {
    const std::vector<Integer> sizes = MixedSizes();
    std::size_t sink = 0;
    auto heapRun = [&] {
        TStringHeap heap;
        sink += Run(
            sizes, [&](Integer size) { return heap.NewBuf(size); },
            [&](void* buf) { heap.DisposeBuf(buf); });
    };
    auto lockedHeapRun = [&] {
        TStringHeap heap;
        heap.SetThreadSafety(true);
        sink += Run(
            sizes, [&](Integer size) { return heap.NewBuf(size); },
            [&](void* buf) { heap.DisposeBuf(buf); });
    };
    auto mallocRun = [&] {
        sink += Run(
            sizes, [](Integer size) { return std::malloc(std::size_t(size)); },
            [](void* buf) { std::free(buf); });
    };
    const double coldHeap = BestSeconds(1, heapRun);
    const double coldMalloc = BestSeconds(1, mallocRun);
    const double heap = BestSeconds(5, heapRun);
    const double locked = BestSeconds(5, lockedHeapRun);
    const double system = BestSeconds(5, mallocRun);
    std::printf("%zu allocations and %zu frees (checksum %zu)\n", sizes.size(), sizes.size(),
                sink % 251);
    PrintRatio("string heap vs malloc, cold (goal >= 1.0)", coldHeap, coldMalloc);
    PrintRatio("string heap vs malloc, warm (goal >= 1.0)", heap, system);
    PrintRatio("locked string heap vs malloc, warm", locked, system);
    return 0;
}
