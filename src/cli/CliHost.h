#pragma once
// The join host of the command-line tool: the calling thread plays the main
// thread and runs posted tasks from a queue; the sheet becomes a progress
// line on a terminal, and the outcome is kept for the exit status.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "join/JoinHost.h"

namespace velmora::cli {

class CliHost : public JoinHost {
public:
    explicit CliHost(bool showProgress);

    void postToMain(std::function<void()> task) override;
    // Runs posted tasks on the calling thread until one of them calls quit().
    void runUntilQuit();
    void quit();

    void showProgressSheet(const std::string& title, bool indeterminate) override;
    void hideProgressSheet() override;
    void setProgress(const JoinProgress& progress) override;
    void setProgressIndeterminate() override;
    // Keeps the outcome and ends runUntilQuit().
    void joinFinished(const JoinOutcome& outcome) override;

    std::optional<JoinOutcome> outcome() const { return outcome_; }

private:
    void clearProgressLine();
    void drawProgressLine(std::optional<double> percent);

    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> queue_;
    bool quit_ = false;

    bool showProgress_;
    bool lineShown_ = false;
    bool indeterminate_ = false;
    std::chrono::steady_clock::time_point started_;
    std::optional<JoinOutcome> outcome_;
};

}  // namespace velmora::cli
