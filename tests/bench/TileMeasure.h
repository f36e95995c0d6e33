#pragma once
// The timed phases both players' benchmarks share, so that the two sides are measured the
// same way: start to every tile cued, start to every tile running, then a steady window of
// presented frames and CPU time.
#include <windows.h>

class TileSource {
public:
    virtual ~TileSource() = default;
    virtual int Count() const = 0;
    // Every tile has its movie loaded and paused (ready to run together).
    virtual bool AllCued() = 0;
    // Every tile's graph runs and has put a frame on screen.
    virtual bool AllRunning() = 0;
    // Frames tile `index` has presented so far; false when it cannot be had.
    virtual bool Frames(int index, long* frames) = 0;
};

// Runs the phases, pumping messages, and reports the figures. False (with a "failed"
// figure) when a phase does not complete in time or a count cannot be read.
bool MeasureTiles(TileSource& tiles, double clipFps, DWORD warmUpMs, DWORD windowMs);
