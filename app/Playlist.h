#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class EntryState : int32_t { NotTried = 0, Opened = 1, Failed = 2 };

struct MovieEntry {
    std::wstring Path;
    EntryState State = EntryState::NotTried;
};

using MovieListType = std::vector<MovieEntry>;
using PlayOrderType = std::vector<uint32_t>;

// Empties the order (keeping its storage) and fills it with 0 .. count-1.
void FillIdentityOrder(PlayOrderType& order, size_t count);

// For k = 1 .. m-1: j = draw() mod (k+1), exchange a[k] and a[j]. Draws are taken as
// unsigned, as the platform generator's 0 .. 32767 are. Nothing happens below two entries.
void ShuffleIndices(PlayOrderType& order, int (*draw)());
