#pragma once
// The end of a join: judging the output, the result messages and what their
// buttons do, and the rating check.

#include <string>
#include <vector>

#include "join/FileRow.h"
#include "join/JoinOutcome.h"
#include "join/ToolRunner.h"
#include "join/WindowHost.h"

namespace velmora {

std::string supportEmailAddress();
std::string developerPageAddress();
std::string contactText();  // "Contact: " and the support address

class Cancellation;

// Decides how a join that was not cancelled ended. It succeeded when every
// command ran, exited with status 0 and finished writing its file, and the
// file the concat wrote (`writtenPath`, or else the output path) probes as
// valid media whose duration is the rows' total within max(0.5 s, 1 %, 0.1 s
// per row). Rows of unknown or zero duration only ask that the file is not
// shorter than the known rows together. A failed outcome says which step
// failed and how, and carries the last lines that step's tool wrote.
JoinOutcome judgeJoin(const std::string& outputPath, const RunReport& run, const std::vector<FileRow>& rows,
                      const std::string& writtenPath = {}, Cancellation* cancellation = nullptr);
// The reason of a failed outcome with the tool's last lines, for an alert's
// details or a terminal.
std::string failureDetails(const JoinOutcome& outcome);

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
