#include "join/intake/RowOrder.h"

#include <algorithm>
#include <numeric>

#include "join/intake/NaturalOrder.h"
#include "join/intake/TagOrder.h"

namespace velmora {

std::vector<size_t> nameOrder(const std::vector<FileRow>& rows)
{
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return naturalPathLess(rows[a].filePath, rows[b].filePath); });
    return order;
}

std::vector<size_t> trackNumberOrder(const std::vector<FileRow>& rows)
{
    const std::vector<size_t> byName = nameOrder(rows);
    std::vector<RowMetadata> named;
    named.reserve(rows.size());
    for (size_t r : byName)
        named.push_back(rows[r].metadata);
    std::vector<size_t> order;
    order.reserve(rows.size());
    for (size_t k : trackNumberOrder(named))
        order.push_back(byName[k]);
    return order;
}

}  // namespace velmora
