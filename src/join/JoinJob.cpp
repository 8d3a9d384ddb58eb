#include "join/JoinJob.h"

#include <memory>

#include "foundation/Resources.h"
#include "join/Completion.h"
#include "join/JoinPlan.h"
#include "join/OutputCheck.h"
#include "join/OutputFile.h"
#include "join/OutputRule.h"
#include "join/ToolRunner.h"
#include "join/WorkFolder.h"

namespace velmora {
namespace {

JoinOutcome failedBeforeStart(const std::string& outputPath, std::string reason)
{
    return JoinOutcome{JoinStatus::failed, outputPath, std::move(reason), {}};
}

// Runs the join into the partial file and judges it; the partial file is
// put in place (or dropped) by the caller.
JoinOutcome runJoin(const std::string& outputPath, const std::vector<FileRow>& rows, const QualitySettings& quality,
                    PartialOutput& partial, JoinControl& control, JoinHost& host)
{
    if (const std::optional<std::string> problem = toolProblem(kCreatorToolResource))
        return failedBeforeStart(outputPath, *problem);
    std::string failure;
    if (!partial.claim(&failure))
        return failedBeforeStart(outputPath, failure);
    RunReport run;
    {
        const std::unique_ptr<RunFolder> folder = RunFolder::create(&failure);
        if (!folder)
            return failedBeforeStart(outputPath, failure);
        const JoinPlan plan = buildJoinPlan(rows, partial.path(), folder->workDirectory(), quality);
        run = runToolCommands(plan, control, host);
    }  // the intermediates go as soon as the tools are done with them
    if (run.cancelled)
        return JoinOutcome{JoinStatus::cancelled, outputPath, {}, {}};
    return judgeJoin(outputPath, run, rows, partial.path(), &control);
}

}  // namespace

void runJoinJob(const std::string& outputPath, const std::vector<FileRow>& rows, JoinControl& control, JoinHost& host,
                const JoinOptions& options)
{
    const JoinMedia media = joinMedia(rows);
    host.postToMain([&host, media] { host.showProgressSheet(joiningTitle(media), false); });
    auto partial = std::make_shared<PartialOutput>(outputDestination(outputPath));
    JoinOutcome outcome = runJoin(outputPath, rows, options.quality, *partial, control, host);
    outcome.media = media;
    // The joined file replaces the output in the end step, where a late
    // cancel is seen too; until then whatever stood there is untouched.
    host.postToMain([outcome = std::move(outcome), partial, &control, &host]() mutable {
        host.hideProgressSheet();
        if (control.isCancelled())
            outcome = JoinOutcome{JoinStatus::cancelled, outcome.outputPath, {}, {}, outcome.media};
        std::string failure;
        if (outcome.status == JoinStatus::succeeded && !partial->commit(&failure))
            outcome = JoinOutcome{JoinStatus::failed, outcome.outputPath, failure, {}, outcome.media};
        partial->discard();
        host.joinFinished(outcome);
    });
}

}  // namespace velmora
