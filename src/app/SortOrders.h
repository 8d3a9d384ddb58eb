#pragma once
// The orders the Sort commands put the list in. Each gives, for every place
// in the sorted list, the index of the row that goes there.

#include <vector>

#include "join/FileRow.h"

namespace velmora::app {

// By path, in natural order: "part2" before "part10", and a folder's files
// together ("Disc 1/Track 2" before "Disc 2/Track 1"). Equal paths keep
// their order.
std::vector<int> nameOrder(const std::vector<FileRow>& rows);
// By the disc and track tags, rows without a track number last; rows with
// the same numbers (or none) in name order.
std::vector<int> trackNumberOrder(const std::vector<FileRow>& rows);

}  // namespace velmora::app
