#include "join/JoinJob.h"

#include "join/Completion.h"
#include "join/JoinPlan.h"
#include "join/ToolRunner.h"

namespace velmora {

void runJoinJob(const std::string& outputPath, const std::vector<FileRow>& rows, JoinControl& control, JoinHost& host)
{
    host.postToMain([&host] { host.showProgressSheet("Joining Audio...", false); });
    const JoinPlan plan = buildJoinPlan(rows, outputPath);
    runToolCommands(plan, outputPath, control, host);
    host.postToMain([outputPath, &control, &host] {
        host.hideProgressSheet();
        if (!control.isProcessCancelledByUser.load())
            showJoinResult(outputPath, host);
    });
}

}  // namespace velmora
