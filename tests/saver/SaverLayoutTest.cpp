#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "ResumeEntry.h"
#include "SaverLayout.h"

namespace {

struct Entry {
    std::wstring Path;
};

TEST(SaverLayout, GridSideOnlyForTheThreeModes) {
    EXPECT_EQ(GridSideForMode(0), 1u);
    EXPECT_EQ(GridSideForMode(1), 2u);
    EXPECT_EQ(GridSideForMode(2), 3u);
    for (int32_t mode : {-1, 3, 5, std::numeric_limits<int32_t>::max()})
        EXPECT_EQ(GridSideForMode(mode), 0u) << mode;
}

TEST(SaverLayout, TilesAreTruncatedCellsInRowMajorOrder) {
    const TileRect quarter = TileRectangle(3, 2, 1920, 1080);
    EXPECT_EQ(quarter.left, 960);
    EXPECT_EQ(quarter.top, 540);
    EXPECT_EQ(quarter.right, 1920);
    EXPECT_EQ(quarter.bottom, 1080);

    // The fifth window (index 4) of a 3x3 grid is the centre cell.
    const TileRect centre = TileRectangle(4, 3, 1920, 1080);
    EXPECT_EQ(centre.left, 640);
    EXPECT_EQ(centre.top, 360);
    EXPECT_EQ(centre.right, 1280);
    EXPECT_EQ(centre.bottom, 720);

    // 1366 / 3 leaves a strip of 1 pixel on the right; 768 / 3 leaves none.
    const TileRect last = TileRectangle(8, 3, 1366, 768);
    EXPECT_EQ(last.left, 910);
    EXPECT_EQ(last.right, 1365);
    EXPECT_EQ(last.top, 512);
    EXPECT_EQ(last.bottom, 768);

    const TileRect none = TileRectangle(0, 0, 1920, 1080);
    EXPECT_EQ(none.right - none.left, 0);
    EXPECT_EQ(none.bottom - none.top, 0);
}

TEST(SaverLayout, TilesOfEveryGridNeitherOverlapNorLeaveGapsInside) {
    for (uint32_t side = 1; side <= 3; ++side) {
        const uint32_t w = 1366, h = 768;
        std::vector<int> cover(static_cast<size_t>(w) * h, 0);
        for (uint32_t i = 0; i < side * side; ++i) {
            const TileRect r = TileRectangle(i, side, w, h);
            for (int32_t y = r.top; y < r.bottom; ++y)
                for (int32_t x = r.left; x < r.right; ++x)
                    ++cover[static_cast<size_t>(y) * w + static_cast<size_t>(x)];
        }
        const uint32_t coveredW = w / side * side, coveredH = h / side * side;
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                ASSERT_EQ(cover[static_cast<size_t>(y) * w + x], (x < coveredW && y < coveredH))
                    << side << " " << x << "," << y;
    }
}

TEST(SaverLayout, OnlyASecondDifferentMousePositionEndsTheSaver) {
    FirstMousePosition first;
    EXPECT_FALSE(MouseMoveEndsSaver(first, 100, 200)); // recorded
    EXPECT_EQ(first.x, 100);
    EXPECT_EQ(first.y, 200);
    EXPECT_FALSE(MouseMoveEndsSaver(first, 100, 200)); // the same place again
    EXPECT_TRUE(MouseMoveEndsSaver(first, 101, 200));
    EXPECT_TRUE(MouseMoveEndsSaver(first, 100, 199));

    // Another window's first message is only recorded, whatever the first window saw.
    FirstMousePosition other;
    EXPECT_FALSE(MouseMoveEndsSaver(other, 5, 5));
}

bool SameRect(const TileRect& a, const TileRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(SaverLayout, EveryMonitorButThePrimaryGetsOneCover) {
    const TileRect primary = {0, 0, 1280, 1024}, right = {1280, 0, 2304, 768},
                   left = {-1920, -200, 0, 880};
    EXPECT_TRUE(CoverRectangles({{primary, true}}).empty());
    EXPECT_TRUE(CoverRectangles({}).empty());

    // Listed in any order, at negative coordinates too.
    const std::vector<TileRect> two =
        CoverRectangles({{left, false}, {primary, true}, {right, false}});
    ASSERT_EQ(two.size(), 2u);
    EXPECT_TRUE(SameRect(two[0], left));
    EXPECT_TRUE(SameRect(two[1], right));

    // Mirrored monitors show what another shows, and an empty one shows nothing: no cover.
    const std::vector<TileRect> one = CoverRectangles({{primary, true},
                                                       {{0, 0, 1024, 768}, false},
                                                       {right, false},
                                                       {right, false},
                                                       {{2304, 0, 2304, 768}, false}});
    ASSERT_EQ(one.size(), 1u);
    EXPECT_TRUE(SameRect(one[0], right));
}

TEST(ResumeEntry, StoredPositionText) {
    EXPECT_FALSE(ParseResumePosition(L"").has_value());
    EXPECT_EQ(ParseResumePosition(L"-1"), -1);
    EXPECT_EQ(ParseResumePosition(L"12345678901"), 12345678901LL); // beyond 32 bits
    EXPECT_EQ(ParseResumePosition(L"-4294967296"), -4294967296LL);
    EXPECT_EQ(ParseResumePosition(L"abc"), 0);
    EXPECT_EQ(ParseResumePosition(L"-"), 0);
    EXPECT_EQ(ParseResumePosition(L" \t+42x7"), 42);
    EXPECT_EQ(ParseResumePosition(L"9223372036854775807"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(ParseResumePosition(L"-9223372036854775808"), std::numeric_limits<int64_t>::min());
    // Beyond 64 bits saturates instead of wrapping into a wrong position.
    EXPECT_EQ(ParseResumePosition(L"99999999999999999999"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(ParseResumePosition(L"-99999999999999999999"), std::numeric_limits<int64_t>::min());
}

TEST(ResumeEntry, SlotSearchIsExactAndTakesTheFirstSlot) {
    const std::vector<Entry> list = {{L"C:\\m\\a.avi"}, {L"C:\\m\\b.avi"}, {L"C:\\m\\a.avi"}};
    const std::vector<uint32_t> order = {2, 1, 0, 7};
    EXPECT_EQ(FindResumeSlot(order, list, L"C:\\m\\a.avi"), 0u); // slot 0 holds entry 2
    EXPECT_EQ(FindResumeSlot(order, list, L"C:\\m\\b.avi"), 1u);
    EXPECT_FALSE(FindResumeSlot(order, list, L"C:\\M\\B.AVI").has_value()); // case counts
    EXPECT_FALSE(FindResumeSlot(order, list, L"C:\\m\\b.avi ").has_value());
    EXPECT_FALSE(FindResumeSlot(order, list, L"").has_value());
    EXPECT_FALSE(FindResumeSlot(std::vector<uint32_t>{}, list, L"C:\\m\\a.avi").has_value());
}

} // namespace
