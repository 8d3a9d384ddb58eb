#pragma once
// The window's side of a join's end: the result alert and what its buttons
// do, and the rating check.

#include <string>

#include "app/WindowHost.h"
#include "join/outcome/JoinOutcome.h"

namespace velmora::app {

// Said when a file cannot be opened because nothing here opens files.
MessageRequest noOpenerMessage(const std::string& path);
// The result alert for an outcome (none for a cancelled join); the success
// alert's buttons open the output with the default application or show it in
// the file manager, then the rating check runs.
void showJoinResult(const JoinOutcome& outcome, WindowHost& host);

// The rating prompt is due on every tenth launch ("launchCount" a multiple of 10).
bool ratingPromptDue();

}  // namespace velmora::app
