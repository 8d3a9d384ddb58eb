#pragma once
#include <functional>
#include <string>
#include <vector>

#include "join/FileRow.h"
#include "join/JoinControl.h"
#include "join/JoinHost.h"

namespace velmora {

// The Join button: proposes the output name in the save dialog and, once the
// user confirms, refuses a mixed list or starts the join in the background.
// `rows` is read when the dialog is confirmed.
void runJoinPreflight(std::function<std::vector<FileRow>()> rows, JoinHost& host, JoinControl& control);
// Clears the cancel flag and starts the join job on the thread pool; returns at once.
void startJoin(const std::string& outputPath, std::vector<FileRow> rows, JoinControl& control, JoinHost& host);
AlertSpec mixedListAlert();

}  // namespace velmora
