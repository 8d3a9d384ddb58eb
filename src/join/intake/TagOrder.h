#pragma once
// The list in the order its tags give: by disc, then by track number.

#include <vector>

#include "join/intake/RowMetadata.h"

namespace velmora {

// The row positions in tag order: rows with a track number by disc (a row
// without a disc counts as disc 1) and then track; rows without a track
// number after them. Equal keys keep their list order, so sorting by name
// first makes the name the tie-breaker.
std::vector<size_t> trackNumberOrder(const std::vector<RowMetadata>& rows);

}  // namespace velmora
