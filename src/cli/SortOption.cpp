#include "cli/SortOption.h"


#include "join/intake/RowOrder.h"

namespace velmora::cli {

std::variant<RowOrder, std::string> readRowOrder(const std::optional<std::string>& value)
{
    if (!value)
        return RowOrder::given;
    if (*value == "name")
        return RowOrder::name;
    if (*value == "track")
        return RowOrder::track;
    return "--sort takes name or track, not '" + *value + "'";
}

std::vector<FileRow> sortedRows(std::vector<FileRow> rows, RowOrder order)
{
    if (order == RowOrder::given)
        return rows;
    std::vector<FileRow> sorted;
    sorted.reserve(rows.size());
    for (const size_t i : order == RowOrder::name ? nameOrder(rows) : trackNumberOrder(rows))
        sorted.push_back(std::move(rows[i]));
    return sorted;
}

}  // namespace velmora::cli
