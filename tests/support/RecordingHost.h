#pragma once
// A join host for tests: records every call in order, and queues
// main-thread tasks until the test thread runs them with drain() or one of
// the waitFor... helpers.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "join/run/JoinHost.h"

namespace testsupport {

class RecordingHost : public velmora::JoinHost {
public:
    // --- records (read on the test thread, after draining) -----------------
    std::vector<std::string> calls;  // one entry per call, in order: "jobProgressed", "joinFinished"
    std::vector<velmora::JobStatus> statuses;  // each status as it first appeared
    std::vector<double> progress;  // percentages while running; an indeterminate bar is recorded as infinity
    std::vector<size_t> progressFiles;  // the file each percentage was for (0: writing the output)
    std::vector<velmora::JoinProgress> reports;  // every report, as it came
    std::vector<velmora::JoinOutcome> outcomes;

    // --- main-thread queue -------------------------------------------------
    void postToMain(std::function<void()> task) override
    {
        // Notified under the lock: once the test thread sees the task, the
        // posting thread no longer touches this object.
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(task));
        cv_.notify_all();
    }

    // Runs every queued task (and tasks they post) on the calling thread.
    // Returns how many ran.
    int drain()
    {
        int ran = 0;
        for (;;) {
            std::function<void()> task;
            {
                std::lock_guard lock(mutex_);
                if (queue_.empty())
                    return ran;
                task = std::move(queue_.front());
                queue_.pop_front();
            }
            task();
            ++ran;
        }
    }

    // Runs queued tasks as they arrive until the predicate holds (checked on
    // the test thread after each task) or the timeout passes. Returns the
    // predicate's last value.
    bool waitFor(const std::function<bool()>& predicate,
                 std::chrono::milliseconds timeout = std::chrono::seconds(60))
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            drain();
            if (predicate())
                return true;
            const auto remaining = deadline - std::chrono::steady_clock::now();
            if (remaining <= std::chrono::steady_clock::duration::zero())
                break;
            std::unique_lock lock(mutex_);
            // A wait on the system clock: thread checkers follow it, not
            // always the steady-clock wait.
            if (!cv_.wait_until(lock, std::chrono::system_clock::now() + remaining,
                                [this] { return !queue_.empty(); }))
                break;
        }
        drain();
        return predicate();
    }

    bool waitForOutcome(size_t count = 1, std::chrono::milliseconds timeout = std::chrono::seconds(60))
    {
        return waitFor([&] { return outcomes.size() >= count; }, timeout);
    }
    // Drains for a while without waiting on anything in particular (to check
    // that nothing more arrives).
    void settle(std::chrono::milliseconds period = std::chrono::milliseconds(200))
    {
        waitFor([] { return false; }, period);
    }

    // --- JoinHost ----------------------------------------------------------
    void jobProgressed(const velmora::JoinProgress& update) override
    {
        calls.push_back("jobProgressed");
        reports.push_back(update);
        if (statuses.empty() || statuses.back() != update.status)
            statuses.push_back(update.status);
        if (update.status != velmora::JobStatus::running)
            return;
        progress.push_back(update.indeterminate ? std::numeric_limits<double>::infinity() : update.percent);
        progressFiles.push_back(update.file);
    }
    void joinFinished(const velmora::JoinOutcome& outcome) override
    {
        calls.push_back("joinFinished");
        outcomes.push_back(outcome);
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> queue_;
};

}  // namespace testsupport
