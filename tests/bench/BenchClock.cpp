#include "BenchClock.h"

#include "TestFiles.h"

#include <psapi.h>

namespace bench {

namespace {
double Seconds(const FILETIME& t) {
    ULARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    return static_cast<double>(v.QuadPart) / 1e7;
}
} // namespace

double MsSinceProcessStart() {
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return -1.0;
    GetSystemTimePreciseAsFileTime(&now);
    return (Seconds(now) - Seconds(created)) * 1000.0;
}

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return -1.0;
    return Seconds(kernel) + Seconds(user);
}

double PeakWorkingSetMiB() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)))
        return -1.0;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

double NowMs() {
    LARGE_INTEGER frequency, count;
    // Both always succeed on Windows XP and later.
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Report(const char* name, double value) {
    printf("%s %.4f\n", name, value);
    fflush(stdout);
}

void ReportText(const char* name, const char* text) {
    printf("%s %s\n", name, text);
    fflush(stdout);
}

void ReportSteps(const Steps& steps, double tiles) {
    for (const auto& [step, ms] : steps) {
        std::string name = "startup_step_ms:" + step;
        for (char& c : name)
            if (c == ' ')
                c = '_';
        Report(name.c_str(), ms / tiles);
    }
}

void PumpFor(DWORD milliseconds) {
    testing_support::PumpMessagesFor(milliseconds);
}

} // namespace bench
