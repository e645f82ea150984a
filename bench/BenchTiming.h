// Timing for the benchmark programs: the best of several runs of a piece of work, so that one
// unlucky run on a shared machine does not decide a ratio.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>

// The shortest wall time of `runs` runs of `work`, in seconds.
template <class Work> double BestSeconds(int runs, Work&& work) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER start, stop;
        QueryPerformanceCounter(&start);
        work();
        QueryPerformanceCounter(&stop);
        best = std::min(best, double(stop.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    }
    return best;
}

inline void PrintRatio(const char* what, double ours, double baseline) {
    std::printf("%-40s ours %8.3f s  baseline %8.3f s  ratio (baseline/ours) %.2f\n", what, ours,
                baseline, baseline / ours);
}
