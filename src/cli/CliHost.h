#pragma once
// The join host of the command-line tool: the calling thread plays the main
// thread and runs posted tasks from a queue; the sheet becomes a progress
// line on a terminal, alerts become messages on the standard streams.

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
    void updateJoinProgress(double percent) override;
    void runSavePanel(const SavePanelSpec& spec, std::function<void(std::optional<std::string>)> completion) override;
    void showAlert(const AlertSpec& spec, std::function<void(int)> completion) override;
    void openFileWithApplication(const std::string&, const std::string&) override {}
    void revealInFileManager(const std::string&) override {}
    void openWebAddress(const std::string&) override {}
    void requestReview() override {}
    std::optional<std::string> desktopDirectory() override { return std::nullopt; }

    // What the last alert said: success for the informational style.
    std::optional<bool> succeeded() const { return succeeded_; }

private:
    void clearProgressLine();

    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> queue_;
    bool quit_ = false;

    bool showProgress_;
    bool lineShown_ = false;
    bool indeterminate_ = false;
    std::chrono::steady_clock::time_point started_;
    std::optional<bool> succeeded_;
};

}  // namespace velmora::cli
