#pragma once
// A queue of joins waiting their turn: each entry keeps its own copy of the
// list, the options and the output it was queued with, and where it stands.
// The queue decides which jobs start (in queue order, up to a number at
// once) and follows them to their end; whoever owns it starts and stops the
// actual joins through a JobLauncher. Main thread only.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "join/intake/FileRow.h"
#include "join/outcome/JoinOutcome.h"
#include "join/plan/JoinOptions.h"
#include "join/run/JobProgress.h"

namespace velmora {

struct QueueEntry {
    std::uint64_t id = 0;
    std::string name;                // what the user calls the job: the output's file name
    std::string outputPath;          // absolute
    std::vector<std::string> paths;  // the list's files, in order
    // The analysed rows, while the queue lives; empty for a job read back
    // from the queue file, whose files are analysed again when it starts.
    std::vector<FileRow> rows;
    JoinOptions options;
    JobStatus status = JobStatus::waiting;
    double percent = 0.0;
    std::optional<double> secondsLeft;
    std::string reason;  // why it failed
};

// "running 42% (1:05 left)", "failed: REASON", or the status's own word.
std::string queueStatusText(const QueueEntry& entry);
// Whether a job is between its start and its end.
bool isActive(JobStatus status);

class JobLauncher {
public:
    virtual ~JobLauncher() = default;
    // Starts the join of the entry; its news comes back later (never before
    // launch returns) through JobQueue::jobProgressed and jobFinished.
    virtual void launch(const QueueEntry& entry) = 0;
    // Asks a launched join to stop; it ends as cancelled.
    virtual void stop(std::uint64_t id) = 0;
};

class JobQueue {
public:
    explicit JobQueue(JobLauncher& launcher);

    const std::vector<QueueEntry>& entries() const { return entries_; }
    const QueueEntry* entry(std::uint64_t id) const;

    // Called after every change of an entry (progress too), and after the
    // entries were added, removed or replaced (with id 0).
    void setOnChanged(std::function<void(std::uint64_t id)> onChanged) { onChanged_ = std::move(onChanged); }
    // How many jobs run at once (at least 1); more may start at once.
    void setLimit(int limit);
    int limit() const { return limit_; }

    // Appends a waiting job (its id is given here) and starts what may start.
    std::uint64_t add(QueueEntry entry);
    // Replaces every entry, as read back from the queue file: a job that was
    // between start and end comes back waiting, with nothing of its progress.
    void restore(std::vector<QueueEntry> entries);

    // The user's commands; each returns whether it applied to the job.
    // Start: a waiting, failed or cancelled job starts now, past the limit.
    bool start(std::uint64_t id);
    // Stop: a running job is asked to stop; a waiting one is cancelled.
    bool stop(std::uint64_t id);
    // Remove: any job not running leaves the queue.
    bool remove(std::uint64_t id);
    // Retry: a failed or cancelled job waits again for its turn.
    bool retry(std::uint64_t id);

    // The launcher's news of a job.
    void jobProgressed(std::uint64_t id, const JoinProgress& progress);
    void jobFinished(std::uint64_t id, const JoinOutcome& outcome);

private:
    QueueEntry* find(std::uint64_t id);
    void launch(QueueEntry& entry);
    void startWhatMayStart();
    void changed(std::uint64_t id);

    JobLauncher& launcher_;
    std::vector<QueueEntry> entries_;
    std::function<void(std::uint64_t)> onChanged_;
    int limit_ = 1;
    std::uint64_t nextId_ = 1;
};

}  // namespace velmora
