#pragma once
#include <functional>
#include <string>
#include <vector>

#include "join/FileRow.h"
#include "join/JoinControl.h"
#include "join/JoinOptions.h"
#include "join/WindowHost.h"

class QThreadPool;

namespace velmora {

// The Join button: refuses a list that mixes media types at once, without a
// dialog; otherwise proposes the output name and the formats in the save
// dialog ("Save Audio" or "Save Video") and, once the user confirms a place
// that can be written to, starts the join on `pool` with the quality settings
// of the settings store. `rows` is read when Join is pressed and again when
// the dialog is confirmed.
// `overrides`, read when the dialog is confirmed, gives the tags the user
// typed for the output.
void runJoinPreflight(std::function<std::vector<FileRow>()> rows, WindowHost& host, JoinControl& control,
                      QThreadPool& pool, std::function<MetadataOverrides()> overrides = {});
// Clears the cancel flag and starts the join job on `pool`; returns at once.
void startJoin(const std::string& outputPath, std::vector<FileRow> rows, JoinControl& control, JoinHost& host,
               QThreadPool& pool, const JoinOptions& options = {});
// The refusal of a mixed list: which rows have which media type, so the user
// knows what to remove, then the support contact.
MessageRequest mixedListMessage(const std::vector<FileRow>& rows);
// The alert for an output path the join may not write (see checkOutputPath).
MessageRequest outputRefusedMessage(const std::string& reason);

}  // namespace velmora
