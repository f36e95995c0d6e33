#pragma once
// Where the time of a frame goes, for the breakdown runs of scripts/bench (BENCH_PROBE=1):
// Direct3D 9 calls timed on the calling thread, through the vtables that every device,
// surface and swap chain of this process share, and the CPU time of every thread of the
// process, read from the kernel's own per-thread figures. Costs nothing unless started.
namespace bench {

// Patches the vtables when the environment asks for it (BENCH_PROBE set); false otherwise.
// BENCH_SKIP names calls (e.g. "Clear,StretchRect") answered S_OK without being made, to
// measure a step by its absence.
bool StartProbe();
// The start and the end of the steady window; the end reports the figures per frame.
void ProbeWindowStart();
void ProbeWindowEnd(long frames);
// Milliseconds spent so far in the named call ("IDirect3D9::CreateDevice"), all threads; 0
// when the probe is off.
double ProbeCallMs(const char* name);

} // namespace bench
