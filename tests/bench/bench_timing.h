// Timing for the benches: the clock, and medians printed one line a measure.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

inline double Now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Seconds(const std::function<void()>& work)
{
    const double start = Now();
    work();
    return Now() - start;
}

inline double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Prints median, minimum and maximum in milliseconds; returns the median in seconds.
inline double ReportTimes(const char* what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-48s median %9.2f ms   (min %.2f, max %.2f, %zu runs)\n", what,
                times[times.size() / 2] * 1e3, times.front() * 1e3, times.back() * 1e3,
                times.size());
    std::fflush(stdout);
    return times[times.size() / 2];
}

inline double Report(const char* what, int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(Seconds(work));
    return ReportTimes(what, times);
}
