#pragma once
// The player windows' resume entries: the stored position text and the search for the
// stored file in the play order. No platform dependency, so it is tested natively too.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The stored position: leading white space skipped, an optional sign, then decimal digits
// up to the first other character; no digits give 0. Values beyond 64 bits saturate.
// nullopt for an empty text, which leaves the position as it was.
std::optional<int64_t> ParseResumePosition(std::wstring_view text);

// The first slot of the order whose entry's path equals the path exactly (unit by unit,
// case-sensitive); nullopt when none does. Slots naming no entry of the list never match.
// Works on any order of indices and list of entries with a wide `Path`.
template <class Order, class List>
std::optional<size_t> FindResumeSlot(const Order& order, const List& list, std::wstring_view path) {
    for (size_t slot = 0; slot < order.size(); ++slot) {
        const auto index = order[slot];
        if (index < list.size() && list[index].Path == path)
            return slot;
    }
    return std::nullopt;
}
