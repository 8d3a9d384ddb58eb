#pragma once
// The end of a join: judging the output, the result messages and what their
// buttons do, and the rating check.

#include <string>

#include "join/JoinOutcome.h"
#include "join/ToolRunner.h"
#include "join/WindowHost.h"

namespace velmora {

std::string supportEmailAddress();
std::string developerPageAddress();
std::string contactText();  // "Contact: " and the support address

// Decides how a join that was not cancelled ended: the output is probed, and
// the join succeeded when the probe finds valid media without errors.
JoinOutcome judgeJoin(const std::string& outputPath, const RunReport& run);

MessageRequest joinSucceededMessage(const JoinOutcome& outcome);
MessageRequest joinFailedMessage(const JoinOutcome& outcome);
// Said when a file cannot be opened because nothing here opens files.
MessageRequest noOpenerMessage(const std::string& path);
// The window's result alert for an outcome (none for a cancelled join); the
// success alert's buttons open the output with the default application or
// show it in the file manager, then the rating check runs.
void showJoinResult(const JoinOutcome& outcome, WindowHost& host);
void handleJoinResultResponse(MessageResponse response, const std::string& outputPath, WindowHost& host);

// The rating prompt is due on every tenth launch ("launchCount" a multiple of 10).
bool ratingPromptDue();

}  // namespace velmora
