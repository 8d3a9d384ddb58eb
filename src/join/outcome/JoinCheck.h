#pragma once
// Whether a join that ran to its end made a good file.

#include <string>
#include <vector>

#include "join/intake/FileRow.h"
#include "join/outcome/JoinOutcome.h"
#include "join/outcome/StepReport.h"

namespace velmora {

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

}  // namespace velmora
