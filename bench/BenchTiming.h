// Timing for the benchmark programs: the best of several runs of a piece of work, so that one
// unlucky run on a shared machine does not decide a ratio.
//
// Cold and warm: on this kind of host the first touch of each fresh memory page costs far more
// than the work done in it, and the heap gives freed memory back to the system, so the first
// run of allocation-heavy work in a process mostly counts page faults. Measure reports that
// first run (cold) beside the best of the runs that follow it in the same process (warm), and
// the memory the work's result holds.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>

inline double SecondsNow() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

// The shortest wall time of `runs` runs of `work`, in seconds.
template <class Work> double BestSeconds(int runs, Work&& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const double start = SecondsNow();
        work();
        best = std::min(best, SecondsNow() - start);
    }
    return best;
}

inline void PrintRatio(const char* what, double ours, double baseline) {
    std::printf("%-40s ours %8.3f s  baseline %8.3f s  ratio (baseline/ours) %.2f\n", what, ours,
                baseline, baseline / ours);
}

// The process's committed private memory.
inline double CommittedMegabytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof(counters));
    return static_cast<double>(counters.PagefileUsage) / (1024.0 * 1024.0);
}

struct TFigures {
    double Cold = 0;      // the first run in the process, in seconds
    double Warm = 0;      // the best of the runs after it
    double Megabytes = 0; // committed memory the first run's result held, beyond the start
};

// Runs `build` once cold and `warmRuns` times warm. `build` does the work and answers what it
// made; the time includes freeing that result (a result is freed at some point, and what that
// costs is part of it), the memory is measured while it is still held.
template <class Build> TFigures Measure(int warmRuns, Build&& build) {
    TFigures figures;
    for (int run = 0; run <= warmRuns; ++run) {
        const double base = CommittedMegabytes();
        const double start = SecondsNow();
        double held = 0;
        {
            [[maybe_unused]] const auto result = build();
            held = CommittedMegabytes() - base;
        }
        const double seconds = SecondsNow() - start;
        if (run == 0) {
            figures.Cold = seconds;
            figures.Megabytes = std::max(held, 0.0);
            figures.Warm = 1e300;
        } else {
            figures.Warm = std::min(figures.Warm, seconds);
        }
    }
    return figures;
}

// Three lines: the cold and the warm ratio of the times (higher is better for us) and the
// ratio of the memory (lower is better for us).
inline void PrintFigures(const char* what, const TFigures& ours, const TFigures& baseline) {
    std::printf("%-40s cold: ours %8.4f s  baseline %8.4f s  ratio (baseline/ours) %.2f\n", what,
                ours.Cold, baseline.Cold, baseline.Cold / ours.Cold);
    std::printf("%-40s warm: ours %8.4f s  baseline %8.4f s  ratio (baseline/ours) %.2f\n", what,
                ours.Warm, baseline.Warm, baseline.Warm / ours.Warm);
    std::printf("%-40s memory: ours %7.1f MB  baseline %7.1f MB  ratio (ours/baseline) %.2f\n",
                what, ours.Megabytes, baseline.Megabytes,
                ours.Megabytes / std::max(baseline.Megabytes, 0.01));
}
