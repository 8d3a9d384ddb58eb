#pragma once
// The intake of a batch of files, shared by the window and the command-line
// tool: the files are probed side by side, one per core, and come out in the
// order given.

#include <functional>
#include <string>
#include <vector>

#include "join/IntakeRule.h"
#include "join/JoinHost.h"

namespace velmora {

class Cancellation;

// Analyses every file and hands each result to `onResult` in the order of
// `paths`, as soon as that file and every file before it are done. The calls
// come one at a time from the intake's threads. A cancel ends the running
// probes, and no result is handed on after it. Returns when all is done.
void runIntake(const std::vector<std::string>& paths, Cancellation& cancellation,
               const std::function<void(size_t index, IntakeResult result)>& onResult);

// One intake batch of the window, run on a background thread: shows the
// analysing sheet, hands each accepted row to `onRow` on the main thread, in
// order, then hides the sheet.
void analyzeFiles(const std::vector<std::string>& paths, JoinHost& host, Cancellation& cancellation,
                  std::function<void(FileRow)> onRow);

}  // namespace velmora
