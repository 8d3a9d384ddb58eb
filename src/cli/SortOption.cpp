#include "cli/SortOption.h"

#include <algorithm>

#include "join/NaturalOrder.h"
#include "join/TagOrder.h"

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
    std::stable_sort(rows.begin(), rows.end(),
                     [](const FileRow& a, const FileRow& b) { return naturalPathLess(a.filePath, b.filePath); });
    if (order == RowOrder::name)
        return rows;
    std::vector<RowMetadata> metadata;
    metadata.reserve(rows.size());
    for (const FileRow& row : rows)
        metadata.push_back(row.metadata);
    std::vector<FileRow> byTrack;
    byTrack.reserve(rows.size());
    for (const size_t i : trackNumberOrder(metadata))
        byTrack.push_back(std::move(rows[i]));
    return byTrack;
}

}  // namespace velmora::cli
