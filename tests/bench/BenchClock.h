#pragma once
// Clocks and process figures shared by the benchmark programs: times from the process's
// creation, the process's CPU time and its peak working set, and a plain output format
// ("name value" lines) that scripts/bench collects.
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

namespace bench {

// Milliseconds from this process's creation (its zero) to now.
double MsSinceProcessStart();
// User plus kernel time of this process so far, in seconds.
double ProcessCpuSeconds();
// Peak working set of this process so far, in MiB.
double PeakWorkingSetMiB();
// Milliseconds on the performance counter, for intervals.
double NowMs();

// One figure for the collecting script.
void Report(const char* name, double value);
void ReportText(const char* name, const char* text);

// Milliseconds spent in each step of the tiles' start, summed over the tiles; reported per
// tile as "startup_step_ms:NAME value" (spaces in the name become '_').
using Steps = std::map<std::string, double>;
void ReportSteps(const Steps& steps, double tiles);

// Pumps this thread's messages for the time given.
void PumpFor(DWORD milliseconds);

} // namespace bench
