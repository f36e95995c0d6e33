#include "TileMeasure.h"

#include <vector>

#include "BenchClock.h"
#include "FrameProbe.h"

namespace {

// Dispatches one message at a time until the condition holds, so that the moment it
// first holds is seen even when the next message changes it again (the saver host runs
// its tiles straight after the last one cues). False when the time runs out first.
template <typename Condition> bool PumpUntil(Condition condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
        }
    }
    return true;
}

bool ReadAll(TileSource& tiles, std::vector<long>& frames) {
    frames.assign(static_cast<size_t>(tiles.Count()), 0);
    for (int i = 0; i < tiles.Count(); ++i)
        if (!tiles.Frames(i, &frames[static_cast<size_t>(i)]))
            return false;
    return true;
}

} // namespace

bool MeasureTiles(TileSource& tiles, double clipFps, DWORD warmUpMs, DWORD windowMs) {
    bench::Report("tiles", tiles.Count());
    if (!PumpUntil([&] { return tiles.AllCued(); }, 60000)) {
        bench::ReportText("failed", "not every tile cued within 60 s");
        return false;
    }
    bench::Report("cued_ms", bench::MsSinceProcessStart());
    if (!PumpUntil([&] { return tiles.AllRunning(); }, 60000)) {
        bench::ReportText("failed", "not every tile ran within 60 s");
        return false;
    }
    bench::Report("running_ms", bench::MsSinceProcessStart());

    bench::PumpFor(warmUpMs);
    std::vector<long> before, after;
    const double cpuBefore = bench::ProcessCpuSeconds();
    const double timeBefore = bench::NowMs();
    if (!ReadAll(tiles, before)) {
        bench::ReportText("failed", "frame count not available");
        return false;
    }
    bench::ProbeWindowStart();
    bench::PumpFor(windowMs);
    const bool read = ReadAll(tiles, after);
    const double cpuAfter = bench::ProcessCpuSeconds();
    const double seconds = (bench::NowMs() - timeBefore) / 1000.0;
    if (!read) {
        bench::ReportText("failed", "frame count not available");
        return false;
    }

    long total = 0;
    double slowest = 1e9;
    for (size_t i = 0; i < before.size(); ++i) {
        const long presented = after[i] - before[i];
        if (presented < 0) {
            // A tile went on to another graph; its counter started again.
            bench::ReportText("failed", "a tile restarted during the window");
            return false;
        }
        total += presented;
        const double rate = static_cast<double>(presented) / seconds;
        if (rate < slowest)
            slowest = rate;
    }
    bench::ProbeWindowEnd(total);
    const double perTile =
        static_cast<double>(total) / seconds / static_cast<double>(before.size());
    bench::Report("window_s", seconds);
    bench::Report("fps_per_tile", perTile);
    bench::Report("fps_slowest_tile", slowest);
    bench::Report("fps_fraction", perTile / clipFps);
    bench::Report("cpu_ms_per_frame",
                  total > 0 ? (cpuAfter - cpuBefore) * 1000.0 / static_cast<double>(total) : -1.0);
    bench::Report("cpu_share", (cpuAfter - cpuBefore) / seconds);
    bench::Report("peak_ws_mib", bench::PeakWorkingSetMiB());
    return true;
}
