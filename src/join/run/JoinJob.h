#pragma once
// One join, from the answer of the save dialog (or the command line) to its
// outcome. The job owns everything the join makes: its cancel token, its run
// folder with the intermediates, the partial output beside the output path,
// its progress and its outcome. The window and the command-line tool only
// start a job, watch it through their JoinHost and may cancel it.

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Cancellation.h"
#include "join/intake/FileRow.h"
#include "join/outcome/JoinOutcome.h"
#include "join/plan/JoinOptions.h"
#include "join/run/JobProgress.h"
#include "join/run/JoinHost.h"
#include "join/run/JoinMetadata.h"
#include "join/run/WorkFolder.h"
#include "join/outcome/StepReport.h"

namespace velmora {

class MeasureAhead;

// What a join is asked to do.
struct JoinRequest {
    std::string outputPath;  // absolute
    std::vector<FileRow> rows;
    // The lossy encoders, the chapters, the cue sheet and the tags typed over
    // the inputs' own.
    JoinOptions options;
};

class JoinJob {
public:
    using Status = JobStatus;

    JoinJob(JoinRequest request, JoinHost& host);
    JoinJob(const JoinJob&) = delete;
    JoinJob& operator=(const JoinJob&) = delete;

    // Runs the whole join on the calling (worker) thread and returns when it
    // has ended: analysing (the tools, the run folder, the partial output and
    // the plan), running (the tools), finishing (the check of the joined
    // file, putting it at the output path, the cue sheet), then done, failed
    // or cancelled. Every change is posted to the host, joinFinished last.
    // Whatever ends the join, nothing of it is left behind but the output
    // (and its cue sheet) of a join that was done.
    void run();
    // Any thread: stops the tools. A cancel that comes before the joined
    // file is put in place makes the job cancelled and leaves the output
    // path as it was; one that comes later changes nothing.
    void cancel();

    Status status() const;
    JoinProgress progress() const;
    // Once the job has ended.
    std::optional<JoinOutcome> outcome() const;
    const JoinRequest& request() const { return request_; }
    // The token the job's tools are started through (a signal handler may
    // cancel it directly).
    Cancellation& cancellation() { return cancellation_; }

private:
    JoinOutcome join();
    JoinOutcome joinStreamed(const JoinPlan& plan, const std::string& writtenPath, PreparedMetadata& prepared,
                             bool trustHeaders = true);
    // How many encoders a long output may be split between.
    size_t encoderCount() const;
    // With `ahead`, each part's decoder is made once the part is measured;
    // without, short parts share decoders (see decoderGroups) unless a shared
    // decoder failed before.
    // Beside other joins, parts that would all share one decoder join in one
    // process instead, unless that failed before.
    StreamReport streamWhole(const JoinPlan& plan, const std::vector<long long>& ends, MeasureAhead* ahead,
                             const std::string& writtenPath);
    JoinOutcome joinCopied(const JoinPlan& plan, const std::string& writtenPath, PreparedMetadata& prepared);
    JoinOutcome joinNormalised(const JoinPlan& plan, const std::string& writtenPath, PreparedMetadata& prepared);
    // The progress model for the steps to come.
    void useProgress(std::vector<double> durations, size_t fileSteps);
    JoinOutcome finish(JoinOutcome outcome);
    void setStatus(Status status);
    void postProgress();

    const JoinRequest request_;
    JoinHost& host_;
    Cancellation cancellation_;
    // Whether short parts may share a decoder: not once a shared one failed,
    // so that the part at fault is the one named.
    bool groupDecoders_ = true;
    // Whether the join may run in one process: not once that failed, so
    // that the streamed join names the part at fault.
    bool oneProcess_ = true;
    mutable std::mutex mutex_;  // guards the fields below, and the moment the output is put in place
    Status status_ = Status::waiting;
    std::shared_ptr<JoinProgressModel> progress_;
    std::optional<JoinOutcome> outcome_;
    bool committed_ = false;
    RunFolder* folder_ = nullptr;  // the running join's, while it runs
};

}  // namespace velmora
