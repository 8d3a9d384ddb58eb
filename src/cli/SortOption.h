#pragma once
// The --sort option: the rows put in name or track-number order once the
// files are analysed, before anything is listed or joined.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "join/intake/FileRow.h"

namespace velmora::cli {

enum class RowOrder {
    given,  // the order of the arguments (folders expanded in name order)
    name,   // natural order of the paths: "part2" before "part10", "Disc 1/Track 2" before "Disc 2/Track 1"
    track,  // disc and track tags; rows without them after the others, each group in name order
};

// --sort's value ("name" or "track"), or the message for another one.
std::variant<RowOrder, std::string> readRowOrder(const std::optional<std::string>& value);

// The rows in that order; rows of equal keys keep their order.
std::vector<FileRow> sortedRows(std::vector<FileRow> rows, RowOrder order);

}  // namespace velmora::cli
