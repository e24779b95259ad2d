#pragma once
// Clocks, repetitions and memory counters every group of figures shares.

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline double NowMs()
{
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency{};
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

template <typename Work>
double TimeMs(Work&& work)
{
    const double start = NowMs();
    work();
    return NowMs() - start;
}

// The fastest of the repetitions: on a shared machine the others carry waits for the processor
// (and for the window server, itself a process) that belong to whatever else runs.
inline double Fastest(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// Work and reference alternate, so a load on the machine weighs on both alike.
struct Timing {
    double work = 0;
    double reference = 0;
    double Ratio() const { return reference > 0 ? work / reference : 0; }
};

template <typename Work, typename Reference>
Timing Interleaved(int repetitions, Work&& work, Reference&& reference)
{
    std::vector<double> works;
    std::vector<double> references;
    for (int i = 0; i < repetitions; ++i) {
        references.push_back(TimeMs(reference));
        works.push_back(TimeMs(work));
    }
    return {Fastest(works), Fastest(references)};
}

inline std::string Format(const char* format, double a, double b = 0, double c = 0)
{
    char text[256] = {};
    std::snprintf(text, sizeof(text), format, a, b, c);
    return text;
}

// The process's working set now, or its highest so far.
inline std::size_t WorkingSet(bool peak)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)))
        return 0;
    return peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
}

}  // namespace bench
