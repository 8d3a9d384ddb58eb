#include "join/JoinJob.h"

#include "join/Completion.h"
#include "join/JoinPlan.h"
#include "join/OutputRule.h"
#include "join/ToolRunner.h"

namespace velmora {

void runJoinJob(const std::string& outputPath, const std::vector<FileRow>& rows, JoinControl& control, JoinHost& host)
{
    const JoinMedia media = joinMedia(rows);
    host.postToMain([&host, media] { host.showProgressSheet(joiningTitle(media), false); });
    const JoinPlan plan = buildJoinPlan(rows, outputPath);
    const RunReport run = runToolCommands(plan, outputPath, control, host);
    JoinOutcome outcome;
    outcome.outputPath = outputPath;
    outcome.status = JoinStatus::cancelled;
    if (!run.cancelled)
        outcome = judgeJoin(outputPath, run);
    outcome.media = media;
    host.postToMain([outcome = std::move(outcome), &control, &host]() mutable {
        host.hideProgressSheet();
        if (control.isCancelled())
            outcome = JoinOutcome{JoinStatus::cancelled, outcome.outputPath, {}, {}, outcome.media};
        host.joinFinished(outcome);
    });
}

}  // namespace velmora
