#include "Playlist.h"

#include <utility>

void FillIdentityOrder(PlayOrderType& order, size_t count) {
    order.clear();
    order.reserve(count);
    for (size_t i = 0; i < count; ++i)
        order.push_back(static_cast<uint32_t>(i));
}

void ShuffleIndices(PlayOrderType& order, int (*draw)()) {
    const size_t m = order.size();
    for (size_t k = 1; k < m; ++k) {
        const auto r = static_cast<unsigned>(draw());
        const size_t j = r % (k + 1);
        std::swap(order[k], order[j]);
    }
}
