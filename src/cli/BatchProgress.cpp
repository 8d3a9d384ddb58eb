#include "cli/BatchProgress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cmath>

#include <QString>

#include "foundation/ClockText.h"

namespace velmora::cli {
namespace {

// Lines longer than the terminal would wrap, and the cursor would no longer
// find the first of them: each is cut to the width.
std::string fitted(const std::string& line, FILE* stream)
{
    winsize size {};
    const int columns = ::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    const QString text = QString::fromStdString(line);
    return text.size() < columns ? line : text.left(columns - 1).toStdString();
}

}  // namespace

BatchProgress::BatchProgress(bool shown, FILE* stream) : shown_(shown), stream_(stream) {}

std::string BatchProgress::progressLine(const std::string& name, const JoinProgress& progress)
{
    std::string line = name + "  ";
    if (progress.status == JobStatus::waiting || progress.status == JobStatus::analysing)
        return line + jobStatusText(progress.status);
    if (progress.indeterminate || !std::isfinite(progress.percent))
        return line + "--%  elapsed " + clockText(progress.elapsedSeconds);
    char value[32];
    std::snprintf(value, sizeof value, "%5.1f%%", progress.percent);
    line += value;
    if (progress.copiedSeconds)
        line += "  copied " + clockText(*progress.copiedSeconds) + " of " + clockText(progress.copyTotalSeconds);
    if (progress.secondsLeft)
        line += "  left ~" + clockText(*progress.secondsLeft);
    return line;
}

void BatchProgress::update(size_t book, const std::string& name, const JoinProgress& progress)
{
    if (!shown_ || isFinal(progress.status))
        return;
    lines_[book] = progressLine(name, progress);
    redraw({});
}

void BatchProgress::finish(size_t book, const std::string& line)
{
    if (!shown_)
        return;
    lines_.erase(book);
    redraw(line);
}

void BatchProgress::redraw(const std::string& finished)
{
    std::string text;
    if (drawn_ > 0)
        text += "\033[" + std::to_string(drawn_) + "A";
    text += "\r\033[J";
    if (!finished.empty())
        text += fitted(finished, stream_) + "\n";
    for (const auto& [book, line] : lines_)
        text += fitted(line, stream_) + "\n";
    drawn_ = lines_.size();
    std::fputs(text.c_str(), stream_);
    std::fflush(stream_);
}

}  // namespace velmora::cli
