#include "join/JoinJob.h"

#include <memory>

#include "foundation/Resources.h"
#include "join/Completion.h"
#include "join/JoinMetadata.h"
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
    return JoinOutcome{JoinStatus::failed, outputPath, std::move(reason), {}, {}, {}};
}

// Runs the join into the partial file and judges it; the partial file is
// put in place (or dropped) by the caller.
JoinOutcome runJoin(const std::string& outputPath, const std::vector<FileRow>& rows, const JoinOptions& options,
                    PartialOutput& partial, JoinControl& control, JoinHost& host, PreparedMetadata& prepared)
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
        const JoinPlan plan = buildJoinPlan(rows, partial.path(), folder->workDirectory(), options);
        run = runToolCommands(plan, control, host, [&] {
            prepared = prepareJoinMetadata(plan, rows, options, outputPath, control);
            return prepared.failure;
        });
    }  // the intermediates go as soon as the tools are done with them
    if (run.cancelled)
        return JoinOutcome{JoinStatus::cancelled, outputPath, {}, {}, {}, {}};
    if (!run.preparationFailure.empty())
        return failedBeforeStart(outputPath, "The joined file could not be prepared: " + run.preparationFailure);
    return judgeJoin(outputPath, run, rows, partial.path(), &control);
}

}  // namespace

void runJoinJob(const std::string& outputPath, const std::vector<FileRow>& rows, JoinControl& control, JoinHost& host,
                const JoinOptions& options)
{
    const JoinMedia media = joinMedia(rows);
    host.postToMain([&host, media] { host.showProgressSheet(joiningTitle(media), false); });
    auto partial = std::make_shared<PartialOutput>(outputDestination(outputPath));
    auto prepared = std::make_shared<PreparedMetadata>();
    JoinOutcome outcome = runJoin(outputPath, rows, options, *partial, control, host, *prepared);
    outcome.media = media;
    // The joined file replaces the output in the end step, where a late
    // cancel is seen too; until then whatever stood there is untouched.
    host.postToMain([outcome = std::move(outcome), partial, prepared, cue = options.cueSheet, &control, &host]() mutable {
        host.hideProgressSheet();
        if (control.isCancelled())
            outcome = JoinOutcome{JoinStatus::cancelled, outcome.outputPath, {}, {}, outcome.media, {}};
        std::string failure;
        if (outcome.status == JoinStatus::succeeded && !partial->commit(&failure))
            outcome = JoinOutcome{JoinStatus::failed, outcome.outputPath, failure, {}, outcome.media, {}};
        partial->discard();
        std::string note;
        if (outcome.status == JoinStatus::succeeded && cue && !writeCueSheet(outcome.outputPath, *prepared, &note))
            outcome.notes.push_back(note);
        host.joinFinished(outcome);
    });
}

}  // namespace velmora
