#pragma once
// The intake of a batch of files, shared by the window and the command-line
// tool: the files are probed side by side, one per core, and come out in the
// order given.

#include <functional>
#include <string>
#include <vector>

#include "join/intake/IntakeRule.h"

namespace velmora {

class Cancellation;

// Analyses every file and hands each result to `onResult` in the order of
// `paths`, as soon as that file and every file before it are done. The calls
// come one at a time from the intake's threads. A cancel ends the running
// probes, and no result is handed on after it. Returns when all is done.
void runIntake(const std::vector<std::string>& paths, Cancellation& cancellation,
               const std::function<void(size_t index, IntakeResult result)>& onResult);

}  // namespace velmora
