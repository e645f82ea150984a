// Compares the tree's node store with a std::vector holding the same records, and with a vector
// of pointers to records allocated one by one (stable identity, as the tree's nodes have):
// filling, sorting by an integer field, walking and clearing 1,000,000 records of eight fields,
// and prints the tree's time and memory for each step as a ratio of each baseline's. Run by hand;
// the numbers depend on the machine, so nothing here passes or fails.
#include "vtree/VirtualTrees.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int RecordCount = 1'000'000;

struct TRecord {
    Integer Key, Delay, Load, Port, Flags, Area, Index;
    Int64 Stamp;
};

TRecord MakeRecord(int I) {
    const Integer key = static_cast<Integer>((static_cast<unsigned>(I) * 2654435761u) % 1000003u);
    return {key, I % 500, I % 100, 1000 + I % 50, I & 7, I % 30, I, I * 3LL};
}

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof(counters));
    return counters.PagefileUsage;
}

struct TStep {
    double Seconds = 0;
    double Megabytes = 0; // committed memory above the start, right after the step
};

template <class Work> TStep Measure(SIZE_T Base, Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double bytes = static_cast<double>(PrivateBytes()) - static_cast<double>(Base);
    return {elapsed.count(), std::max(bytes, 0.0) / (1024.0 * 1024.0)};
}

class TTreeRun {
public:
    TStep Add, Sort, Walk, Clear;
    long long Checksum = 0;

    void Run() {
        const SIZE_T base = PrivateBytes();
        TVirtualStringTree* tree = Construct<TVirtualStringTree>(nullptr);
        tree->SetNodeDataSize(sizeof(TRecord));
        tree->OnCompareNodes = TVTCompareEvent(this, &TTreeRun::Compare);
        // One update around the fill, as any caller adding many nodes opens: the test build
        // this program is built in checks the whole node store after every change made outside
        // an update, which would make a fill node by node quadratic; here it is checked once.
        Add = Measure(base, [&] {
            tree->BeginUpdate();
            for (int i = 0; i < RecordCount; ++i)
                *tree->GetNodeData<TRecord>(tree->AddChild(nullptr, nullptr)) = MakeRecord(i);
            tree->EndUpdate();
        });
        Sort = Measure(base, [&] { tree->SortTree(0, sdAscending, true); });
        Walk = Measure(base, [&] {
            for (PVirtualNode run = tree->GetFirst(); run; run = tree->GetNext(run))
                Checksum += tree->GetNodeData<TRecord>(run)->Key;
        });
        Clear = Measure(base, [&] { tree->Clear(); });
        tree->Free();
    }

private:
    void Compare(TBaseVirtualTree* Sender, PVirtualNode A, PVirtualNode B, TColumnIndex,
                 Integer& Result) {
        const Integer a = Sender->GetNodeData<TRecord>(A)->Key;
        const Integer b = Sender->GetNodeData<TRecord>(B)->Key;
        Result = a < b ? -1 : (a > b ? 1 : 0);
    }
};

struct TVectorRun {
    TStep Add, Sort, Walk, Clear;
    long long Checksum = 0;

    void Run() {
        const SIZE_T base = PrivateBytes();
        std::vector<TRecord> records;
        Add = Measure(base, [&] {
            for (int i = 0; i < RecordCount; ++i) records.push_back(MakeRecord(i));
        });
        Sort = Measure(base, [&] {
            std::stable_sort(records.begin(), records.end(),
                             [](const TRecord& a, const TRecord& b) { return a.Key < b.Key; });
        });
        Walk = Measure(base, [&] {
            for (const TRecord& record : records) Checksum += record.Key;
        });
        Clear = Measure(base, [&] {
            records.clear();
            records.shrink_to_fit();
        });
    }
};

// The records allocated one by one and held by pointer: like the tree's nodes, a record keeps
// its address while the order changes, which the plain vector does not offer.
struct TPointerRun {
    TStep Add, Sort, Walk, Clear;
    long long Checksum = 0;

    void Run() {
        const SIZE_T base = PrivateBytes();
        std::vector<TRecord*> records;
        Add = Measure(base, [&] {
            for (int i = 0; i < RecordCount; ++i) records.push_back(new TRecord(MakeRecord(i)));
        });
        Sort = Measure(base, [&] {
            std::stable_sort(records.begin(), records.end(),
                             [](const TRecord* a, const TRecord* b) { return a->Key < b->Key; });
        });
        Walk = Measure(base, [&] {
            for (const TRecord* record : records) Checksum += record->Key;
        });
        Clear = Measure(base, [&] {
            for (TRecord* record : records) delete record;
            records.clear();
            records.shrink_to_fit();
        });
    }
};

// Time and memory of one step of the tree as a ratio of the same step of a baseline (lower is
// better for the tree). After a clear both sides hold next to nothing (below 1 MB), and a ratio of
// two rounding errors says nothing: it is left out.
void Print(const char* Name, const char* Against, const TStep& Tree, const TStep& Baseline) {
    char memoryRatio[16] = "     -";
    if (Baseline.Megabytes >= 1)
        std::snprintf(memoryRatio, sizeof(memoryRatio), "%6.2f",
                      Tree.Megabytes / Baseline.Megabytes);
    std::printf("%-6s %-14s time %8.3f s vs %8.3f s  ratio (tree/baseline) %6.2f   memory "
                "%7.1f MB vs %7.1f MB  ratio %s\n",
                Name, Against, Tree.Seconds, Baseline.Seconds,
                Tree.Seconds / std::max(Baseline.Seconds, 1e-9), Tree.Megabytes, Baseline.Megabytes,
                memoryRatio);
}

template <class Run> void PrintAll(const char* Against, const TTreeRun& Tree, const Run& Baseline) {
    Print("add", Against, Tree.Add, Baseline.Add);
    Print("sort", Against, Tree.Sort, Baseline.Sort);
    Print("walk", Against, Tree.Walk, Baseline.Walk);
    Print("clear", Against, Tree.Clear, Baseline.Clear);
}

} // namespace

// Each side runs twice in this process: the first run (cold) pays for the first touch of every
// page it uses, the second (warm) shows the work itself.
int main() {
    for (const char* pass : {"cold", "warm"}) {
        TVectorRun vector;
        vector.Run();
        TPointerRun pointers;
        pointers.Run();
        TTreeRun tree;
        tree.Run();
        std::printf("%s: %d records of %u bytes; checksums %lld / %lld / %lld\n", pass, RecordCount,
                    static_cast<unsigned>(sizeof(TRecord)), tree.Checksum, vector.Checksum,
                    pointers.Checksum);
        PrintAll("vector", tree, vector);
        PrintAll("pointer vector", tree, pointers);
        std::fflush(stdout); // each pass's figures out at once: a pass takes minutes
    }
    return 0;
}
