#include "join/Progress.h"

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

JoinProgressTracker::JoinProgressTracker(std::vector<double> durations, size_t normalisations, size_t fileCount,
                                         JoinHost& host)
    : durations_(std::move(durations)),
      done_(durations_.size(), 0.0),
      ended_(durations_.size(), false),
      normalisations_(normalisations),
      fileCount_(fileCount),
      host_(host)
{
}

JoinProgress JoinProgressTracker::currentLocked() const
{
    double total = 0.0, done = 0.0;
    for (size_t i = 0; i < durations_.size(); ++i) {
        const double duration = std::max(durations_[i], 0.0);
        total += duration;
        done += ended_[i] ? duration : std::min(done_[i], duration);
    }
    JoinProgress progress;
    progress.percent = total > 0.0 ? done / total * 100.0 : 0.0;
    progress.fileCount = fileCount_;
    // The lowest-numbered row still being normalised; 0 once only the output is left.
    for (size_t i = 0; i < normalisations_ && i < ended_.size(); ++i) {
        if (!ended_[i]) {
            progress.file = i + 1;
            break;
        }
    }
    return progress;
}

JoinProgress JoinProgressTracker::current() const
{
    std::lock_guard lock(mutex_);
    return currentLocked();
}

void JoinProgressTracker::post(const JoinProgress& progress)
{
    diagnostic("Percent : " + shortestDouble(progress.percent));
    host_.postToMain([&host = host_, progress] { host.setProgress(progress); });
}

void JoinProgressTracker::handleChunk(size_t i, std::string_view chunk)
{
    const std::optional<double> t = chunkSeconds(chunk);
    if (!t)
        return;
    JoinProgress progress;
    {
        std::lock_guard lock(mutex_);
        if (i >= durations_.size() || indeterminate_)
            return;
        if (durations_[i] <= 0.0 && *t > 0.0) {
            // Work on material of unknown length: no share can be told any more.
            indeterminate_ = true;
            diagnostic("Percent : inf");
            host_.postToMain([&host = host_] { host.setProgressIndeterminate(); });
            return;
        }
        done_[i] = std::max(done_[i], *t);
        progress = currentLocked();
    }
    post(progress);
}

void JoinProgressTracker::commandEnded(size_t i)
{
    JoinProgress progress;
    {
        std::lock_guard lock(mutex_);
        if (i >= ended_.size() || ended_[i])
            return;
        ended_[i] = true;
        if (indeterminate_)
            return;
        progress = currentLocked();
    }
    post(progress);
}

}  // namespace velmora
