#pragma once
// A window host for tests: records every call in order, answers the save
// dialog and messages from a script, and queues main-thread tasks until the
// test thread runs them with drain() or one of the waitFor... helpers.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "join/WindowHost.h"

namespace testsupport {

class RecordingHost : public velmora::WindowHost {
public:
    struct SheetEvent {
        bool shown = false;  // false: hidden
        std::string title;
        bool indeterminate = false;
    };

    // --- scripted answers -------------------------------------------------
    // Each save dialog takes the next answer; when none is left it is cancelled.
    std::deque<std::optional<std::string>> saveDialogAnswers;
    bool chaptersAnswer = false;  // the "Chapters" box in every confirmed save dialog
    // Each message takes the next response; when none is left it answers the first button.
    std::deque<velmora::MessageResponse> messageResponses;
    std::optional<std::string> desktop;  // what desktopDirectory() returns

    // --- records (read on the test thread, after draining) -----------------
    std::vector<std::string> calls;  // one entry per call, in order: "showProgressSheet", ...
    std::vector<SheetEvent> sheets;
    std::vector<double> progress;  // percentages; an indeterminate bar is recorded as infinity
    std::vector<size_t> progressFiles;  // the file each percentage was for (0: writing the output)
    std::vector<velmora::SaveDialogRequest> saveDialogs;
    std::vector<velmora::MessageRequest> messages;
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

    // Waits until the progress sheet has been hidden `count` times in all.
    bool waitForSheetHidden(int count = 1, std::chrono::milliseconds timeout = std::chrono::seconds(60))
    {
        return waitFor([&] { return hiddenCount() >= count; }, timeout);
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

    int hiddenCount() const
    {
        int n = 0;
        for (const auto& s : sheets)
            n += s.shown ? 0 : 1;
        return n;
    }

    // --- JoinHost ----------------------------------------------------------
    void showProgressSheet(const std::string& title, bool indeterminate) override
    {
        calls.push_back("showProgressSheet");
        sheets.push_back({true, title, indeterminate});
    }
    void hideProgressSheet() override
    {
        calls.push_back("hideProgressSheet");
        sheets.push_back({false, {}, false});
    }
    void setProgress(const velmora::JoinProgress& update) override
    {
        calls.push_back("setProgress");
        progress.push_back(update.percent);
        progressFiles.push_back(update.file);
    }
    void setProgressIndeterminate() override
    {
        calls.push_back("setProgressIndeterminate");
        progress.push_back(std::numeric_limits<double>::infinity());
    }
    void joinFinished(const velmora::JoinOutcome& outcome) override
    {
        calls.push_back("joinFinished");
        outcomes.push_back(outcome);
    }
    void runSaveDialog(const velmora::SaveDialogRequest& request,
                       std::function<void(std::optional<velmora::SaveDialogAnswer>)> completion) override
    {
        calls.push_back("runSaveDialog");
        saveDialogs.push_back(request);
        std::optional<velmora::SaveDialogAnswer> answer;
        if (!saveDialogAnswers.empty()) {
            if (saveDialogAnswers.front())
                answer = velmora::SaveDialogAnswer{*saveDialogAnswers.front(), chaptersAnswer};
            saveDialogAnswers.pop_front();
        }
        if (completion)
            completion(answer);
    }
    void showMessage(const velmora::MessageRequest& request,
                     std::function<void(velmora::MessageResponse)> completion) override
    {
        calls.push_back("showMessage");
        messages.push_back(request);
        velmora::MessageResponse response = velmora::MessageResponse::firstButton;
        if (!messageResponses.empty()) {
            response = messageResponses.front();
            messageResponses.pop_front();
        }
        if (completion)
            completion(response);
    }
    bool openFile(const std::string&) override
    {
        calls.push_back("openFile");
        return true;
    }
    void revealInFileManager(const std::string&) override
    {
        calls.push_back("revealInFileManager");
    }
    void openWebAddress(const std::string&) override
    {
        calls.push_back("openWebAddress");
    }
    void showRatingPrompt() override
    {
        calls.push_back("showRatingPrompt");
    }
    std::optional<std::string> desktopDirectory() override
    {
        calls.push_back("desktopDirectory");
        return desktop;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> queue_;
};

}  // namespace testsupport
