#include "join/Progress.h"

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

std::optional<double> progressFromChunk(std::string_view chunk, size_t i, size_t n, const std::vector<double>& durations)
{
    const QByteArrayView bytes(chunk.data(), static_cast<qsizetype>(chunk.size()));
    if (!bytes.isValidUtf8())
        return std::nullopt;
    if (chunk.find("time=") == std::string_view::npos)
        return std::nullopt;
    static const QRegularExpression timestamp(QString::fromLatin1(kTimestampPattern));
    const std::vector<std::string> matches = allMatches(timestamp, QString::fromUtf8(bytes));
    if (matches.empty() || i >= durations.size() || n == 0)
        return std::nullopt;
    const std::optional<double> t = timestampToSeconds(matches.front());
    if (!t)
        return std::nullopt;
    return (static_cast<double>(i) / static_cast<double>(n)) * 100.0 +
           ((*t / durations[i]) * 100.0) / static_cast<double>(n);
}

void handleToolErrorOutput(std::string_view chunk, size_t i, size_t n, const std::vector<double>& durations, JoinHost& host)
{
    const std::optional<double> percent = progressFromChunk(chunk, i, n, durations);
    if (!percent)
        return;
    diagnostic("Percent : " + shortestDouble(*percent));
    if (std::isinf(*percent) && *percent > 0)
        host.postToMain([&host] { host.setProgressIndeterminate(); });
    else
        host.postToMain([&host, progress = JoinProgress{*percent, i + 1 < n ? i + 1 : 0, n - 1}] {
            host.setProgress(progress);
        });
}

}  // namespace velmora
