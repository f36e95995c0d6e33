#pragma once
// The saver's screen layout and its mouse rule. No platform dependency, so it is tested
// natively too.
#include <cstdint>
#include <vector>

// Tiles per side of the grid for a ScreenCountMode: 0, 1, 2 give 1, 2, 3; anything else 0
// (no tiles).
uint32_t GridSideForMode(int32_t screenCountMode);

struct TileRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The rectangle of tile `index` (row-major, from 0) of a grid with `gridSide` tiles per
// side on a screen of the given size. Tiles have the truncated width and height, so a
// remainder strip stays uncovered at the right and bottom. An empty rectangle for a grid
// side of 0.
TileRect TileRectangle(uint32_t index, uint32_t gridSide, uint32_t screenWidth,
                       uint32_t screenHeight);

// One monitor as the system lists it: its rectangle on the virtual screen, and whether it is
// the primary one.
struct MonitorArea {
    TileRect rect;
    bool primary = false;
};

// The rectangles of the monitors that need a black cover of their own, in the order listed:
// every monitor but the primary, which the host covers. An empty rectangle gets none, nor does
// one lying wholly within an area already covered (the primary's, or a monitor's listed
// before it, as with mirrored monitors).
std::vector<TileRect> CoverRectangles(const std::vector<MonitorArea>& monitors);

// The first mouse position seen by one window, (-1, -1) until then.
struct FirstMousePosition {
    int32_t x = -1;
    int32_t y = -1;
};

// Records the first position a window sees; true for a later position that differs from
// it in x or y (the move that ends the saver).
bool MouseMoveEndsSaver(FirstMousePosition& first, int32_t x, int32_t y);
