#include "SaverLayout.h"

uint32_t GridSideForMode(int32_t screenCountMode) {
    switch (screenCountMode) {
    case 0:
        return 1;
    case 1:
        return 2;
    case 2:
        return 3;
    default:
        return 0;
    }
}

TileRect TileRectangle(uint32_t index, uint32_t gridSide, uint32_t screenWidth,
                       uint32_t screenHeight) {
    TileRect rect;
    if (gridSide == 0)
        return rect;
    const uint32_t column = index % gridSide;
    const uint32_t row = index / gridSide;
    const uint32_t width = screenWidth / gridSide;
    const uint32_t height = screenHeight / gridSide;
    rect.left = static_cast<int32_t>(width * column);
    rect.right = static_cast<int32_t>(width * (column + 1));
    rect.top = static_cast<int32_t>(height * row);
    rect.bottom = static_cast<int32_t>(height * (row + 1));
    return rect;
}

namespace {
bool Inside(const TileRect& inner, const TileRect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}
} // namespace

std::vector<TileRect> CoverRectangles(const std::vector<MonitorArea>& monitors) {
    std::vector<TileRect> covered;
    for (const MonitorArea& monitor : monitors)
        if (monitor.primary)
            covered.push_back(monitor.rect);
    std::vector<TileRect> covers;
    for (const MonitorArea& monitor : monitors) {
        const TileRect& r = monitor.rect;
        if (monitor.primary || r.right <= r.left || r.bottom <= r.top)
            continue;
        bool alreadyCovered = false;
        for (const TileRect& area : covered)
            alreadyCovered = alreadyCovered || Inside(r, area);
        if (alreadyCovered)
            continue;
        covered.push_back(r);
        covers.push_back(r);
    }
    return covers;
}

bool MouseMoveEndsSaver(FirstMousePosition& first, int32_t x, int32_t y) {
    if (first.x == -1 && first.y == -1) {
        first.x = x;
        first.y = y;
        return false;
    }
    return x != first.x || y != first.y;
}
