#pragma once
#include <string>
#include <vector>

#include "join/FileRow.h"
#include "join/JoinControl.h"
#include "join/JoinHost.h"
#include "join/QualitySettings.h"

namespace velmora {

// The join job, run on a background worker: shows the joining sheet, builds
// and runs the plan and judges the output; then, on the main thread, hides
// the sheet and hands the outcome to the host. A cancel that comes before
// that last step makes the outcome "cancelled". `quality` sets the lossy encoders.
void runJoinJob(const std::string& outputPath, const std::vector<FileRow>& rows, JoinControl& control, JoinHost& host,
                const QualitySettings& quality = {});

}  // namespace velmora
