#include "join/intake/TagOrder.h"

#include <algorithm>
#include <numeric>
#include <tuple>

namespace velmora {

std::vector<size_t> trackNumberOrder(const std::vector<RowMetadata>& rows)
{
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t{0});
    auto key = [&](size_t i) {
        const RowMetadata& row = rows[i];
        return std::make_tuple(!row.track.has_value(), row.disc.value_or(1), row.track.value_or(0));
    };
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return key(a) < key(b); });
    return order;
}

}  // namespace velmora
