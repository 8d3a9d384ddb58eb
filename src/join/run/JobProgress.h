#pragma once
// Where a join stands, and the one place that works out its share done and
// the time left: the window's sheet and the command-line tool's progress
// line both show what this says.

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

enum class JobStatus { waiting, analysing, running, finishing, done, failed, cancelled };

// "waiting", "analysing", "running", "finishing", "done", "failed", "cancelled".
std::string jobStatusText(JobStatus status);
// Whether the job has ended.
bool isFinal(JobStatus status);

struct JoinProgress {
    JobStatus status = JobStatus::waiting;
    // Of all the work of the join (0 to 100); see JoinProgressModel.
    double percent = 0.0;
    // No share can be told (material of unknown length): the bar only shows
    // that work goes on.
    bool indeterminate = false;
    // The file being worked on, from 1: with several worked on side by side,
    // the lowest-numbered one not done yet. 0 while only the output is left
    // (and all the time for a join that reads the files directly).
    size_t file = 0;
    size_t fileCount = 0;
    double elapsedSeconds = 0.0;
    // Once it can be told.
    std::optional<double> secondsLeft;
    // A copy join while it copies: the seconds of sound copied so far, of
    // `copyTotalSeconds`.
    std::optional<double> copiedSeconds;
    double copyTotalSeconds = 0.0;
};

inline constexpr const char* kTimestampPattern = "([0-9][0-9]):([0-9][0-9]):([0-9][0-9]).([0-9][0-9])";

// HH:MM:SS.cc to seconds; absent when a piece is not a number.
std::optional<double> timestampToSeconds(const std::string& text);
// The time a chunk of the encoder's error stream reports: the timestamp after
// its last "time=" (a chunk may also hold the banner's "Duration: ..."), if
// the chunk is UTF-8 and holds one.
std::optional<double> chunkSeconds(std::string_view chunk);

// The progress of one join's steps. Each step counts as much as the material
// it works through (its expected duration in seconds): a step's share fills
// as its tool reports time, up to its duration, and is full once it has
// ended. The time left is told from each stage's own pace (the steps of the
// files, side by side, are one stage; each later step one of its own): a
// stage that runs goes on at its pace so far, and the stages still to come
// at the pace of the last one seen, never at the pace of a faster stage
// before it (decoding runs far ahead of encoding). Nothing is told until
// enough is done for a pace to mean something. Safe to feed from several
// threads, one per running step.
class JoinProgressModel {
public:
    using Clock = std::function<double()>;  // seconds, from any fixed point

    // `fileSteps`: the first steps, one per row (row i is step i). The time
    // elapsed counts from `startedAt` on the clock (else from now): a job
    // that lays out its steps anew keeps its start.
    JoinProgressModel(std::vector<double> durations, size_t fileSteps, size_t fileCount, Clock clock = {},
                      std::optional<double> startedAt = {});
    // The clock's time now, for a later model's start.
    double clockNow() const { return clock_(); }
    double startedAt() const { return started_; }

    // One chunk of step i's error stream; true when it moved the progress.
    bool handleChunk(size_t i, std::string_view chunk);
    // Step i has ended (or was skipped); true when that moved the progress.
    bool stepEnded(size_t i);
    // Step i has worked through this much of its material (never less than
    // it had); true when that moved the progress by a thousandth or more.
    bool advance(size_t i, double material);
    void setStatus(JobStatus status);
    // The file being worked on (from 1), where no step stands for one file
    // (the parts of a streamed join pass one after another through one step).
    void setCurrentFile(size_t file);
    // Step i copies its material: what it has worked through is told as
    // the seconds copied.
    void tellCopied(size_t i);

    JoinProgress current() const;

private:
    JoinProgress currentLocked() const;
    double now() const;
    size_t stageOf(size_t step) const;
    std::optional<double> secondsLeftLocked(double now) const;

    mutable std::mutex mutex_;
    std::vector<double> durations_;
    std::vector<double> done_;  // seconds of each step's material worked through
    std::vector<bool> ended_;
    std::vector<double> stageBegan_;  // seconds since the start when each stage first moved; negative before
    size_t fileSteps_;
    size_t fileCount_;
    bool indeterminate_ = false;
    size_t currentFile_ = 0;
    std::optional<size_t> copyStep_;
    JobStatus status_ = JobStatus::waiting;
    Clock clock_;
    double started_;
};

}  // namespace velmora
