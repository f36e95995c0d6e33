#include <gtest/gtest.h>

#include <algorithm>

#include "Playlist.h"

namespace {

// The platform C library's generator, so that the native build checks the same orders.
unsigned g_state = 0;
void SeedLikeMsvcrt(unsigned seed) {
    g_state = seed;
}
int DrawLikeMsvcrt() {
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7FFF);
}

int g_draws = 0;
int g_next = 0;
int CountingDraw() {
    ++g_draws;
    return g_next;
}

TEST(Playlist, IdentityOrderKeepsStorage) {
    PlayOrderType order = {7, 7, 7, 7, 7, 7, 7, 7};
    const size_t capacity = order.capacity();
    FillIdentityOrder(order, 3);
    EXPECT_EQ(order, (PlayOrderType{0, 1, 2}));
    EXPECT_GE(order.capacity(), capacity);
    FillIdentityOrder(order, 0);
    EXPECT_TRUE(order.empty());
}

TEST(Playlist, ShuffleOfFiveAfterSeedOne) {
    SeedLikeMsvcrt(1);
    EXPECT_EQ(DrawLikeMsvcrt(), 41);
    SeedLikeMsvcrt(1);
    PlayOrderType order = {0, 1, 2, 3, 4};
    ShuffleIndices(order, &DrawLikeMsvcrt);
    EXPECT_EQ(order, (PlayOrderType{4, 1, 3, 2, 0}));
}

TEST(Playlist, ShortListsDrawNothing) {
    PlayOrderType none;
    PlayOrderType one = {0};
    g_draws = 0;
    ShuffleIndices(none, &CountingDraw);
    ShuffleIndices(one, &CountingDraw);
    EXPECT_EQ(g_draws, 0);
    EXPECT_EQ(one, (PlayOrderType{0}));
}

TEST(Playlist, TwoEntriesOddDrawSwapsEvenKeeps) {
    // j = r mod 2: an odd draw exchanges a[1] with a[1], an even one with a[0].
    PlayOrderType order = {0, 1};
    g_draws = 0;
    g_next = 3;
    ShuffleIndices(order, &CountingDraw);
    EXPECT_EQ(order, (PlayOrderType{0, 1}));
    g_next = 4;
    ShuffleIndices(order, &CountingDraw);
    EXPECT_EQ(order, (PlayOrderType{1, 0}));
    EXPECT_EQ(g_draws, 2);
}

TEST(Playlist, ReshuffleIsPermutationOfCurrentOrder) {
    PlayOrderType order = {9, 3, 5, 1, 0, 2};
    SeedLikeMsvcrt(12345);
    ShuffleIndices(order, &DrawLikeMsvcrt);
    PlayOrderType sorted = order;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (PlayOrderType{0, 1, 2, 3, 5, 9}));
    // The same seed applies the same exchanges to the same order.
    PlayOrderType again = {9, 3, 5, 1, 0, 2};
    SeedLikeMsvcrt(12345);
    ShuffleIndices(again, &DrawLikeMsvcrt);
    EXPECT_EQ(again, order);
}

TEST(Playlist, LargeListStaysPermutation) {
    // Beyond 32768 entries the draw range no longer covers every slot; still a permutation.
    PlayOrderType order;
    FillIdentityOrder(order, 40000);
    SeedLikeMsvcrt(7);
    ShuffleIndices(order, &DrawLikeMsvcrt);
    std::vector<bool> seen(order.size());
    for (uint32_t v : order) {
        ASSERT_LT(v, seen.size());
        ASSERT_FALSE(seen[v]);
        seen[v] = true;
    }
}

} // namespace
