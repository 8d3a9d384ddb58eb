#pragma once
#include <functional>
#include <string>
#include <vector>

#include "join/FileRow.h"
#include "join/JoinControl.h"
#include "join/QualitySettings.h"
#include "join/WindowHost.h"

class QThreadPool;

namespace velmora {

// The Join button: proposes the output name and the formats in the save dialog
// and, once the user confirms, refuses a mixed list or starts the join on
// `pool` with the quality settings of the settings store. `rows` is read when
// Join is pressed and again when the dialog is confirmed.
void runJoinPreflight(std::function<std::vector<FileRow>()> rows, WindowHost& host, JoinControl& control,
                      QThreadPool& pool);
// Clears the cancel flag and starts the join job on `pool`; returns at once.
void startJoin(const std::string& outputPath, std::vector<FileRow> rows, JoinControl& control, JoinHost& host,
               QThreadPool& pool, const QualitySettings& quality = {});
MessageRequest mixedListMessage();

}  // namespace velmora
