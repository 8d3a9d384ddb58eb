#pragma once
// The orders the list can be sorted in, for the window's Sort commands and
// the command line's --sort. Each gives, for every place in the sorted list,
// the index of the row that goes there.

#include <vector>

#include "join/intake/FileRow.h"

namespace velmora {

// By path, in natural order: "part2" before "part10", and a folder's files
// together ("Disc 1/Track 2" before "Disc 2/Track 1"). Equal paths keep
// their order.
std::vector<size_t> nameOrder(const std::vector<FileRow>& rows);
// By the disc and track tags, rows without a track number last; rows with
// the same numbers (or none) in name order.
std::vector<size_t> trackNumberOrder(const std::vector<FileRow>& rows);

}  // namespace velmora
