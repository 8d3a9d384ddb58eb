#include "cli/CliHost.h"

#include <cmath>
#include <cstdio>

namespace velmora::cli {
namespace {

std::string clockText(double seconds)
{
    const long total = std::lround(seconds);
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, (total / 60) % 60, total % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    return text;
}

}  // namespace

CliHost::CliHost(bool showProgress) : showProgress_(showProgress), started_(std::chrono::steady_clock::now()) {}

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

void CliHost::showProgressSheet(const std::string&, bool indeterminate)
{
    started_ = std::chrono::steady_clock::now();
    indeterminate_ = indeterminate;
    if (showProgress_)
        drawProgressLine(0.0);
}

void CliHost::hideProgressSheet()
{
    clearProgressLine();
}

void CliHost::setProgress(const JoinProgress& progress)
{
    drawProgressLine(progress.percent);
}

void CliHost::setProgressIndeterminate()
{
    indeterminate_ = true;
    drawProgressLine(std::nullopt);
}

void CliHost::joinFinished(const JoinOutcome& outcome)
{
    clearProgressLine();
    outcome_ = outcome;
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

void CliHost::drawProgressLine(std::optional<double> percent)
{
    if (!showProgress_)
        return;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    std::string line = "Joining: ";
    if (indeterminate_ || !percent || !std::isfinite(*percent)) {
        line += "--%  elapsed " + clockText(elapsed);
    } else {
        char value[32];
        std::snprintf(value, sizeof value, "%5.1f%%", *percent);
        line += value;
        line += "  elapsed " + clockText(elapsed);
        if (*percent > 0.0 && *percent < 100.0)
            line += "  left ~" + clockText(elapsed * (100.0 - *percent) / *percent);
    }
    std::fprintf(stderr, "\r\033[K%s", line.c_str());
    std::fflush(stderr);
    lineShown_ = true;
}

}  // namespace velmora::cli
