#include "join/JoinJob.h"

#include "join/Completion.h"
#include "join/JoinPlan.h"
#include "join/ToolRunner.h"

namespace velmora {

void runJoinJob(const std::string& outputPath, const std::vector<FileRow>& rows, JoinControl& control, JoinHost& host,
                const QualitySettings& quality)
{
    host.postToMain([&host] { host.showProgressSheet("Joining Audio...", false); });
    const JoinPlan plan = buildJoinPlan(rows, outputPath, quality);
    const RunReport run = runToolCommands(plan, outputPath, control, host);
    JoinOutcome outcome;
    outcome.outputPath = outputPath;
    outcome.status = JoinStatus::cancelled;
    if (!run.cancelled)
        outcome = judgeJoin(outputPath, run);
    host.postToMain([outcome = std::move(outcome), &control, &host]() mutable {
        host.hideProgressSheet();
        if (control.isCancelled())
            outcome = JoinOutcome{JoinStatus::cancelled, outcome.outputPath, {}, {}};
        host.joinFinished(outcome);
    });
}

}  // namespace velmora
