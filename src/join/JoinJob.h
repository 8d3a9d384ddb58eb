#pragma once
#include <string>
#include <vector>

#include "join/FileRow.h"
#include "join/JoinControl.h"
#include "join/JoinHost.h"
#include "join/JoinOptions.h"

namespace velmora {

// The join job, run on a background worker: shows the joining sheet, builds
// the plan in a run folder of its own and runs it into a partial file beside
// the output, and judges that file; then, on the main thread, hides the
// sheet, puts the joined file at the output path if the join succeeded (and
// drops it otherwise), and hands the outcome to the host. A cancel that
// comes before that last step makes the outcome "cancelled" and leaves the
// output path as it was. `options` sets the lossy encoders, the chapters,
// the cue sheet and the tags typed over the inputs' own.
void runJoinJob(const std::string& outputPath, const std::vector<FileRow>& rows, JoinControl& control, JoinHost& host,
                const JoinOptions& options = {});

}  // namespace velmora
