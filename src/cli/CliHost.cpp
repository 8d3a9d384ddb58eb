#include "cli/CliHost.h"

#include <cmath>
#include <cstdio>

#include "foundation/ClockText.h"

namespace velmora::cli {
CliHost::CliHost(bool showProgress) : showProgress_(showProgress) {}

void CliHost::postToMain(std::function<void()> task)
{
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(task));
    }
    cv_.notify_one();
}

void CliHost::runUntilQuit()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            cv_.wait(lock, [this] { return quit_ || !queue_.empty(); });
            if (queue_.empty())
                return;
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        task();
    }
}

void CliHost::quit()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    cv_.notify_one();
}

void CliHost::jobProgressed(const JoinProgress& progress)
{
    if (isFinal(progress.status))
        clearProgressLine();
    else
        drawProgressLine(progress);
}

void CliHost::joinFinished(const JoinOutcome& outcome)
{
    (void)outcome;
    clearProgressLine();
    quit();
}

void CliHost::clearProgressLine()
{
    if (lineShown_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        lineShown_ = false;
    }
}

std::string CliHost::progressLine(const JoinProgress& progress)
{
    std::string line = "Joining: ";
    if (progress.indeterminate || !std::isfinite(progress.percent)) {
        line += "--%  elapsed " + clockText(progress.elapsedSeconds);
        return line;
    }
    char value[32];
    std::snprintf(value, sizeof value, "%5.1f%%", progress.percent);
    line += value;
    if (progress.copiedSeconds)
        line += "  copied " + clockText(*progress.copiedSeconds) + " of " + clockText(progress.copyTotalSeconds);
    line += "  elapsed " + clockText(progress.elapsedSeconds);
    if (progress.secondsLeft)
        line += "  left ~" + clockText(*progress.secondsLeft);
    return line;
}

void CliHost::drawProgressLine(const JoinProgress& progress)
{
    if (!showProgress_)
        return;
    std::fprintf(stderr, "\r\033[K%s", progressLine(progress).c_str());
    std::fflush(stderr);
    lineShown_ = true;
}

}  // namespace velmora::cli
