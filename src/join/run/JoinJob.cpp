#include "join/run/JoinJob.h"

#include "join/outcome/Messages.h"

#include "foundation/Resources.h"
#include "join/outcome/JoinCheck.h"
#include "join/outcome/OutputCheck.h"
#include "join/plan/JoinPlan.h"
#include "join/plan/OutputRule.h"
#include "join/run/JoinMetadata.h"
#include "join/run/OutputFile.h"
#include "join/run/ToolRunner.h"
#include "join/run/WorkFolder.h"

namespace velmora {
namespace {

JoinOutcome endedAs(JoinStatus status, const std::string& outputPath, std::string reason = {})
{
    return JoinOutcome{status, outputPath, std::move(reason), {}, {}, {}, {}};
}

}  // namespace

JoinJob::JoinJob(JoinRequest request, JoinHost& host)
    : request_(std::move(request)),
      host_(host),
      progress_(std::make_shared<JoinProgressModel>(std::vector<double>{}, 0, request_.rows.size()))
{
}

JobStatus JoinJob::status() const
{
    std::lock_guard lock(mutex_);
    return status_;
}

JoinProgress JoinJob::progress() const
{
    std::shared_ptr<JoinProgressModel> model;
    {
        std::lock_guard lock(mutex_);
        model = progress_;
    }
    return model->current();
}

std::optional<JoinOutcome> JoinJob::outcome() const
{
    std::lock_guard lock(mutex_);
    return outcome_;
}

void JoinJob::cancel()
{
    std::lock_guard lock(mutex_);
    if (!committed_)
        cancellation_.cancel();
}

void JoinJob::setStatus(Status status)
{
    std::shared_ptr<JoinProgressModel> model;
    {
        std::lock_guard lock(mutex_);
        status_ = status;
        model = progress_;
    }
    model->setStatus(status);
    postProgress();
}

void JoinJob::postProgress()
{
    host_.postToMain([&host = host_, progress = progress()] { host.jobProgressed(progress); });
}

void JoinJob::run()
{
    setStatus(Status::analysing);
    JoinOutcome outcome = finish(join());
    outcome.media = joinMedia(request_.rows);
    const Status final = outcome.status == JoinStatus::succeeded ? Status::done
                         : outcome.status == JoinStatus::cancelled ? Status::cancelled
                                                                    : Status::failed;
    {
        std::lock_guard lock(mutex_);
        outcome_ = outcome;
    }
    setStatus(final);
    host_.postToMain([&host = host_, outcome = std::move(outcome)] { host.joinFinished(outcome); });
}

// Runs the join into the partial file beside the output, judges it, and puts
// it in place when it is good. The run folder and the partial file are gone
// again when this returns, whatever happened.
JoinOutcome JoinJob::join()
{
    const std::string& outputPath = request_.outputPath;
    if (const std::optional<std::string> problem = toolProblem(kCreatorToolResource))
        return endedAs(JoinStatus::failed, outputPath, *problem);
    std::string failure;
    // Made first: making it removes what joins that died left behind, the
    // partial file of one that wrote to this output among them.
    const std::unique_ptr<RunFolder> folder = RunFolder::create(&failure);
    if (!folder)
        return endedAs(JoinStatus::failed, outputPath, failure);
    PartialOutput partial(outputDestination(outputPath));
    if (!partial.claim(&failure) || !folder->recordPartial(partial.path(), partial.descriptor(), &failure))
        return endedAs(JoinStatus::failed, outputPath, failure);

    const JoinPlan plan = buildJoinPlan(request_.rows, partial.path(), folder->workDirectory(), request_.options);
    {
        auto model = std::make_shared<JoinProgressModel>(plan.durations, plan.normalisations, plan.fileCount);
        std::lock_guard lock(mutex_);
        progress_ = std::move(model);
    }
    setStatus(Status::running);
    PreparedMetadata prepared;
    const RunReport run = runToolCommands(plan, cancellation_, *progress_, [this] { postProgress(); }, [&] {
        prepared = prepareJoinMetadata(plan, request_.rows, request_.options, outputPath, cancellation_);
        return prepared.failure;
    });
    if (run.cancelled || cancellation_.isCancelled())
        return endedAs(JoinStatus::cancelled, outputPath);
    if (!run.preparationFailure.empty())
        return endedAs(JoinStatus::failed, outputPath,
                       "The joined file could not be prepared: " + run.preparationFailure);

    setStatus(Status::finishing);
    JoinOutcome outcome = judgeJoin(outputPath, run, request_.rows, partial.path(), &cancellation_);
    if (outcome.status != JoinStatus::succeeded)
        return outcome;
    {
        // The joined file replaces the output here and nowhere else; a cancel
        // either comes before (and the output stays as it was) or finds the
        // job done.
        std::lock_guard lock(mutex_);
        if (cancellation_.isCancelled())
            return endedAs(JoinStatus::cancelled, outputPath);
        if (!partial.commit(&failure))
            return endedAs(JoinStatus::failed, outputPath, failure);
        committed_ = true;
    }
    outcome.notes.insert(outcome.notes.end(), prepared.notes.begin(), prepared.notes.end());
    if (request_.options.cueSheet)
        writeCueSheet(outputPath, prepared, outcome.notes);
    return outcome;
}

JoinOutcome JoinJob::finish(JoinOutcome outcome)
{
    // A cancel while the output was judged wins over a failure it caused.
    if (outcome.status == JoinStatus::failed && !committed_ && cancellation_.isCancelled())
        return endedAs(JoinStatus::cancelled, outcome.outputPath);
    if (outcome.status == JoinStatus::failed)
        outcome.summary = failureSummary(outcome, request_.rows);
    return outcome;
}

}  // namespace velmora
