#include "app/SortOrders.h"

#include <algorithm>
#include <numeric>

#include "join/NaturalOrder.h"
#include "join/TagOrder.h"

namespace velmora::app {

std::vector<int> nameOrder(const std::vector<FileRow>& rows)
{
    std::vector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return naturalPathCompare(rows[static_cast<size_t>(a)].filePath, rows[static_cast<size_t>(b)].filePath) < 0;
    });
    return order;
}

std::vector<int> trackNumberOrder(const std::vector<FileRow>& rows)
{
    const std::vector<int> byName = nameOrder(rows);
    std::vector<RowMetadata> named;
    named.reserve(rows.size());
    for (int r : byName)
        named.push_back(rows[static_cast<size_t>(r)].metadata);
    std::vector<int> order;
    order.reserve(rows.size());
    for (size_t k : velmora::trackNumberOrder(named))
        order.push_back(byName[k]);
    return order;
}

}  // namespace velmora::app
