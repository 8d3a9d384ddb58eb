#include "join/run/JobQueue.h"

#include <algorithm>
#include <cmath>

#include "foundation/ClockText.h"

namespace velmora {

bool isActive(JobStatus status)
{
    return status == JobStatus::analysing || status == JobStatus::running || status == JobStatus::finishing;
}

std::string queueStatusText(const QueueEntry& entry)
{
    if (entry.status == JobStatus::failed)
        return entry.reason.empty() ? "failed" : "failed: " + entry.reason;
    if (!isActive(entry.status))
        return jobStatusText(entry.status);
    std::string text = "running " + std::to_string(static_cast<int>(std::floor(entry.percent))) + "%";
    if (entry.secondsLeft)
        text += " (" + clockText(*entry.secondsLeft) + " left)";
    return text;
}

JobQueue::JobQueue(JobLauncher& launcher) : launcher_(launcher) {}

QueueEntry* JobQueue::find(std::uint64_t id)
{
    const auto it = std::find_if(entries_.begin(), entries_.end(), [id](const QueueEntry& e) { return e.id == id; });
    return it == entries_.end() ? nullptr : &*it;
}

const QueueEntry* JobQueue::entry(std::uint64_t id) const
{
    return const_cast<JobQueue*>(this)->find(id);
}

void JobQueue::changed(std::uint64_t id)
{
    if (onChanged_)
        onChanged_(id);
}

void JobQueue::setLimit(int limit)
{
    limit_ = std::max(1, limit);
    startWhatMayStart();
}

std::uint64_t JobQueue::add(QueueEntry entry)
{
    entry.id = nextId_++;
    entry.status = JobStatus::waiting;
    entry.percent = 0.0;
    entry.secondsLeft.reset();
    entry.reason.clear();
    entries_.push_back(std::move(entry));
    const std::uint64_t id = entries_.back().id;
    changed(0);
    startWhatMayStart();
    return id;
}

void JobQueue::restore(std::vector<QueueEntry> entries)
{
    entries_.clear();
    for (QueueEntry& e : entries) {
        e.id = nextId_++;
        if (isActive(e.status))
            e.status = JobStatus::waiting;
        if (e.status != JobStatus::done) {
            e.percent = 0.0;
            e.secondsLeft.reset();
        }
        entries_.push_back(std::move(e));
    }
    changed(0);
    startWhatMayStart();
}

void JobQueue::launch(QueueEntry& entry)
{
    entry.status = JobStatus::analysing;
    entry.percent = 0.0;
    entry.secondsLeft.reset();
    entry.reason.clear();
    changed(entry.id);
    // The launcher may hear of the job's end at once: by id only from here on.
    launcher_.launch(entry);
}

void JobQueue::startWhatMayStart()
{
    int running = static_cast<int>(
        std::count_if(entries_.begin(), entries_.end(), [](const QueueEntry& e) { return isActive(e.status); }));
    for (size_t i = 0; i < entries_.size() && running < limit_; ++i) {
        if (entries_[i].status == JobStatus::waiting) {
            ++running;
            launch(entries_[i]);
        }
    }
}

bool JobQueue::start(std::uint64_t id)
{
    QueueEntry* e = find(id);
    if (!e || isActive(e->status) || e->status == JobStatus::done)
        return false;
    launch(*e);
    return true;
}

bool JobQueue::stop(std::uint64_t id)
{
    QueueEntry* e = find(id);
    if (!e)
        return false;
    if (e->status == JobStatus::waiting) {
        e->status = JobStatus::cancelled;
        changed(id);
        return true;
    }
    if (!isActive(e->status))
        return false;
    launcher_.stop(id);
    return true;
}

bool JobQueue::remove(std::uint64_t id)
{
    const QueueEntry* e = find(id);
    if (!e || isActive(e->status))
        return false;
    entries_.erase(entries_.begin() + (e - entries_.data()));
    changed(0);
    return true;
}

bool JobQueue::retry(std::uint64_t id)
{
    QueueEntry* e = find(id);
    if (!e || (e->status != JobStatus::failed && e->status != JobStatus::cancelled))
        return false;
    e->status = JobStatus::waiting;
    e->reason.clear();
    e->percent = 0.0;
    changed(id);
    startWhatMayStart();
    return true;
}

void JobQueue::jobProgressed(std::uint64_t id, const JoinProgress& progress)
{
    QueueEntry* e = find(id);
    if (!e || !isActive(e->status) || isFinal(progress.status))
        return;
    if (progress.status != JobStatus::waiting)
        e->status = progress.status;
    e->percent = progress.indeterminate ? 0.0 : progress.percent;
    e->secondsLeft = progress.secondsLeft;
    changed(id);
}

void JobQueue::jobFinished(std::uint64_t id, const JoinOutcome& outcome)
{
    QueueEntry* e = find(id);
    if (!e)
        return;
    e->status = outcome.status == JoinStatus::succeeded ? JobStatus::done
                : outcome.status == JoinStatus::failed  ? JobStatus::failed
                                                        : JobStatus::cancelled;
    e->reason = outcome.status == JoinStatus::failed ? outcome.reason : std::string();
    e->percent = e->status == JobStatus::done ? 100.0 : 0.0;
    e->secondsLeft.reset();
    changed(id);
    startWhatMayStart();
}

}  // namespace velmora
