#include "join/run/JobProgress.h"

#include <algorithm>
#include <cmath>

#include <QByteArrayView>
#include <QRegularExpression>
#include <QString>

#include "foundation/Diagnostics.h"
#include "foundation/Json.h"
#include "foundation/Numbers.h"

namespace velmora {
namespace {

std::vector<std::string> allMatches(const QRegularExpression& expression, const QString& text)
{
    std::vector<std::string> matches;
    QRegularExpressionMatchIterator it = expression.globalMatch(text);
    while (it.hasNext())
        matches.push_back(it.next().captured(0).toStdString());
    return matches;
}

std::vector<std::string> splitDroppingEmpty(std::string_view text, char separator)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string_view::npos)
            end = text.size();
        if (end > start)
            pieces.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

std::optional<double> decimal(const std::string& piece)
{
    const std::optional<JSONNumber> number = parseDecimalNumber(piece);
    if (!number)
        return std::nullopt;
    return number->toDouble();
}

}  // namespace

std::optional<double> timestampToSeconds(const std::string& text)
{
    const std::vector<std::string> dotPieces = splitDroppingEmpty(text, '.');
    if (dotPieces.empty())
        return std::nullopt;
    const std::vector<std::string> clockPieces = splitDroppingEmpty(dotPieces.front(), ':');
    if (clockPieces.size() < 2)
        return std::nullopt;
    const std::optional<double> cc = decimal(dotPieces.back());
    const std::optional<double> hh = decimal(clockPieces.front());
    const std::optional<double> mm = decimal(clockPieces[1]);
    const std::optional<double> ss = decimal(clockPieces.back());
    if (!cc || !hh || !mm || !ss)
        return std::nullopt;
    return ((*cc / 100.0 + *ss) + *mm * 60.0) + *hh * 3600.0;
}

std::optional<double> chunkSeconds(std::string_view chunk)
{
    const QByteArrayView bytes(chunk.data(), static_cast<qsizetype>(chunk.size()));
    if (!bytes.isValidUtf8())
        return std::nullopt;
    const size_t at = chunk.rfind("time=");
    if (at == std::string_view::npos)
        return std::nullopt;
    static const QRegularExpression timestamp(QString::fromLatin1(kTimestampPattern));
    const QByteArrayView rest = bytes.sliced(static_cast<qsizetype>(at));
    const std::vector<std::string> matches = allMatches(timestamp, QString::fromUtf8(rest));
    if (matches.empty())
        return std::nullopt;
    return timestampToSeconds(matches.front());
}

std::string jobStatusText(JobStatus status)
{
    switch (status) {
    case JobStatus::waiting: return "waiting";
    case JobStatus::analysing: return "analysing";
    case JobStatus::running: return "running";
    case JobStatus::finishing: return "finishing";
    case JobStatus::done: return "done";
    case JobStatus::failed: return "failed";
    case JobStatus::cancelled: return "cancelled";
    }
    return "waiting";
}

bool isFinal(JobStatus status)
{
    return status == JobStatus::done || status == JobStatus::failed || status == JobStatus::cancelled;
}

namespace {

// The time left is only told once this much of the join is done and this
// many seconds went by: earlier guesses swing too much to help.
constexpr double kEstimateFromPercent = 1.0;
constexpr double kEstimateFromSeconds = 2.0;

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

JoinProgressModel::JoinProgressModel(std::vector<double> durations, size_t fileSteps, size_t fileCount, Clock clock,
                                     std::optional<double> startedAt)
    : durations_(std::move(durations)),
      done_(durations_.size(), 0.0),
      ended_(durations_.size(), false),
      fileSteps_(std::min(fileSteps, durations_.size())),
      fileCount_(fileCount),
      stageBegan_(durations_.size() + 1, -1.0),
      clock_(clock ? std::move(clock) : Clock(steadySeconds)),
      started_(startedAt.value_or(clock_()))
{
    stageBegan_[0] = now();
}

double JoinProgressModel::now() const
{
    return std::max(0.0, clock_() - started_);
}

JoinProgress JoinProgressModel::currentLocked() const
{
    JoinProgress progress;
    progress.status = status_;
    progress.fileCount = fileCount_;
    progress.elapsedSeconds = now();
    progress.indeterminate = indeterminate_;
    if (indeterminate_)
        return progress;
    double total = 0.0, done = 0.0;
    for (size_t i = 0; i < durations_.size(); ++i) {
        const double duration = std::max(durations_[i], 0.0);
        total += duration;
        done += ended_[i] ? duration : std::min(done_[i], duration);
    }
    progress.percent = total > 0.0 ? std::clamp(done / total * 100.0, 0.0, 100.0) : 0.0;
    if (isFinal(status_))
        progress.percent = status_ == JobStatus::done ? 100.0 : progress.percent;
    // The lowest-numbered row still being worked on; 0 once only the output is left.
    progress.file = fileSteps_ == 0 ? currentFile_ : 0;
    for (size_t i = 0; i < fileSteps_; ++i) {
        if (!ended_[i]) {
            progress.file = i + 1;
            break;
        }
    }
    if (copyStep_ && *copyStep_ < durations_.size() && status_ == JobStatus::running) {
        const double duration = std::max(durations_[*copyStep_], 0.0);
        progress.copiedSeconds = ended_[*copyStep_] ? duration : std::min(done_[*copyStep_], duration);
        progress.copyTotalSeconds = duration;
    }
    if (status_ == JobStatus::running && progress.percent >= kEstimateFromPercent &&
        progress.elapsedSeconds >= kEstimateFromSeconds && progress.percent < 100.0)
        progress.secondsLeft = secondsLeftLocked(progress.elapsedSeconds);
    return progress;
}

size_t JoinProgressModel::stageOf(size_t step) const
{
    return step < fileSteps_ ? 0 : step - fileSteps_ + (fileSteps_ > 0 ? 1 : 0);
}

std::optional<double> JoinProgressModel::secondsLeftLocked(double at) const
{
    const size_t stages = stageBegan_.size();
    std::vector<double> done(stages, 0.0), left(stages, 0.0);
    for (size_t i = 0; i < durations_.size(); ++i) {
        const double duration = std::max(durations_[i], 0.0);
        const double worked = ended_[i] ? duration : std::min(done_[i], duration);
        done[stageOf(i)] += worked;
        left[stageOf(i)] += duration - worked;
    }
    double seconds = 0.0, pace = 0.0;  // material per second of the last stage seen
    for (size_t s = 0; s < stages; ++s) {
        if (left[s] <= 0.0)
            continue;
        const double took = at - stageBegan_[s];
        if (stageBegan_[s] >= 0.0 && done[s] > 0.0 && took >= 1.0)
            pace = done[s] / took;
        if (pace <= 0.0)
            return std::nullopt;  // no stage has shown its pace yet
        seconds += left[s] / pace;
    }
    return seconds;
}

JoinProgress JoinProgressModel::current() const
{
    std::lock_guard lock(mutex_);
    return currentLocked();
}

void JoinProgressModel::setCurrentFile(size_t file)
{
    std::lock_guard lock(mutex_);
    currentFile_ = file;
}

void JoinProgressModel::tellCopied(size_t i)
{
    std::lock_guard lock(mutex_);
    copyStep_ = i;
}

void JoinProgressModel::setStatus(JobStatus status)
{
    std::lock_guard lock(mutex_);
    status_ = status;
}

bool JoinProgressModel::handleChunk(size_t i, std::string_view chunk)
{
    const std::optional<double> t = chunkSeconds(chunk);
    if (!t)
        return false;
    std::lock_guard lock(mutex_);
    if (i >= durations_.size() || indeterminate_)
        return false;
    if (durations_[i] <= 0.0 && *t > 0.0) {
        // Work on material of unknown length: no share can be told any more.
        indeterminate_ = true;
        diagnostic("Percent : inf");
        return true;
    }
    done_[i] = std::max(done_[i], *t);
    diagnostic("Percent : " + shortestDouble(currentLocked().percent));
    return true;
}

bool JoinProgressModel::advance(size_t i, double material)
{
    std::lock_guard lock(mutex_);
    if (i >= done_.size() || material <= done_[i])
        return false;
    double total = 0.0;
    for (double duration : durations_)
        total += std::max(duration, 0.0);
    const bool visible = total <= 0.0 || (material - done_[i]) / total >= 0.001 || material >= durations_[i];
    if (!visible)
        return false;
    done_[i] = material;
    diagnostic("Percent : " + shortestDouble(currentLocked().percent));
    return true;
}

bool JoinProgressModel::stepEnded(size_t i)
{
    std::lock_guard lock(mutex_);
    if (i >= ended_.size() || ended_[i])
        return false;
    ended_[i] = true;
    // The next stage begins once every step of this one has ended.
    const size_t stage = stageOf(i);
    bool stageDone = true;
    for (size_t k = 0; k < ended_.size(); ++k)
        stageDone = stageDone && (stageOf(k) != stage || ended_[k]);
    if (stageDone && stage + 1 < stageBegan_.size() && stageBegan_[stage + 1] < 0.0)
        stageBegan_[stage + 1] = now();
    return !indeterminate_;
}

}  // namespace velmora
