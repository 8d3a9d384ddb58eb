#pragma once
// What pressing Join does before a join starts: the refusal of a list that
// cannot be joined, the save dialog, and the checks of the place chosen.

#include <functional>
#include <vector>

#include "app/WindowHost.h"
#include "join/intake/FileRow.h"
#include "join/metadata/AlbumMetadata.h"
#include "join/run/JoinJob.h"

namespace velmora::app {

// Refuses a list that mixes media types at once, without a dialog; otherwise
// proposes the output name and the formats in the save dialog ("Save Audio"
// or "Save Video") and, once the user confirms a place that can be written
// to, hands the join to `start` with the quality settings of the settings
// store. `rows` is read when Join is pressed and again when the dialog is
// confirmed; so is `overrides`, the tags the user typed for the output.
// With `queue`, the dialog offers "Add to Queue" (checked when `toQueue`),
// and a join the user queues goes to `queue` instead of `start`.
void runJoinPreflight(std::function<std::vector<FileRow>()> rows, WindowHost& host,
                      std::function<MetadataOverrides()> overrides, std::function<void(JoinRequest)> start,
                      std::function<void(JoinRequest)> queue = {}, bool toQueue = false);

}  // namespace velmora::app
