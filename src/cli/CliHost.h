#pragma once
// The join host of the command-line tool: the calling thread plays the main
// thread and runs posted tasks from a queue; the sheet becomes a progress
// line on a terminal, and the outcome is kept for the exit status.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "join/run/JoinHost.h"

namespace velmora::cli {

class CliHost : public JoinHost {
public:
    explicit CliHost(bool showProgress);

    void postToMain(std::function<void()> task) override;
    // Runs posted tasks on the calling thread until one of them calls quit().
    void runUntilQuit();
    void quit();

    // The progress line: percent, time elapsed and left, as the job says.
    void jobProgressed(const JoinProgress& progress) override;
    // Clears the line and ends runUntilQuit().
    void joinFinished(const JoinOutcome& outcome) override;

    // The progress line's text.
    static std::string progressLine(const JoinProgress& progress);

private:
    void clearProgressLine();
    void drawProgressLine(const JoinProgress& progress);

    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> queue_;
    bool quit_ = false;

    bool showProgress_;
    bool lineShown_ = false;
};

}  // namespace velmora::cli
