#include "join/outcome/JoinCheck.h"

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "foundation/Paths.h"
#include "foundation/Resources.h"
#include "probe/FileProbe.h"

namespace velmora {

namespace {

std::string secondsText(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

// What step i of a plan for these rows does: the last step writes the
// joined file; the ones before convert the rows in order (a plan whose concat
// reads the files themselves has no such steps).
std::string stepText(size_t i, size_t steps, const std::vector<FileRow>& rows)
{
    const std::string what = i + 1 < steps && i < rows.size() ? "converting " + lastPathComponent(rows[i].filePath)
                                                              : std::string("writing the joined file");
    return "Step " + std::to_string(i + 1) + " of " + std::to_string(steps) + " (" + what + ")";
}

std::string exitText(int waitStatus)
{
    const std::string tool = toolDisplayName(kCreatorToolResource);
    if (WIFEXITED(waitStatus))
        return tool + " exited with status " + std::to_string(WEXITSTATUS(waitStatus));
    if (WIFSIGNALED(waitStatus))
        return tool + " was ended by signal " + std::to_string(WTERMSIG(waitStatus));
    return tool + " ended with wait status " + std::to_string(waitStatus);
}

// The last lines of a tool's error stream, one per line: carriage returns
// (progress redraws) become line ends, a line cut by the tail's start goes,
// and of the progress lines only the last one stays.
std::string tidyTail(const std::string& tail)
{
    std::vector<std::string> lines;
    std::string line;
    for (char c : tail + "\n") {
        if (c != '\n' && c != '\r') {
            line += c;
            continue;
        }
        if (!line.empty())
            lines.push_back(std::move(line));
        line.clear();
    }
    if (tail.size() >= kStderrTailBytes && !lines.empty())
        lines.erase(lines.begin());
    auto isProgress = [](const std::string& l) { return l.rfind("frame=", 0) == 0 || l.rfind("size=", 0) == 0; };
    const auto lastProgress = std::find_if(lines.rbegin(), lines.rend(), isProgress);
    std::string text;
    for (auto it = lines.begin(); it != lines.end(); ++it) {
        if (isProgress(*it) && it != lastProgress.base() - 1)
            continue;
        text += *it + "\n";
    }
    return text;
}

// ffmpeg reports a failure to finish its file (a full disk while the trailer
// or the last buffered bytes are written) on its error stream but still
// exits with status 0; the file it leaves may even claim its full duration
// in its header.
bool unfinishedWrite(const std::string& tail)
{
    return tail.find("Error writing trailer of ") != std::string::npos ||
           tail.find("Error closing file ") != std::string::npos;
}

JoinOutcome failed(JoinOutcome outcome, std::string reason, const std::string& tail = {})
{
    outcome.status = JoinStatus::failed;
    outcome.reason = std::move(reason);
    outcome.stderrTail = tidyTail(tail);
    return outcome;
}

}  // namespace

JoinOutcome judgeJoin(const std::string& outputPath, const RunReport& run, const std::vector<FileRow>& rows,
                      const std::string& writtenPath, Cancellation* cancellation)
{
    JoinOutcome outcome;
    outcome.outputPath = outputPath;
    const size_t steps = run.commands.size();
    for (size_t i = 0; i < steps; ++i) {
        const CommandRun& command = run.commands[i];
        if (!command.started)
            return failed(outcome, stepText(i, steps, rows) + " could not start: " +
                                       (command.failure.empty() ? "it was skipped" : command.failure));
        if (command.waitStatus != 0)
            return failed(outcome, stepText(i, steps, rows) + " failed: " + exitText(command.waitStatus) + ".",
                          command.stderrTail);
        if (unfinishedWrite(command.stderrTail))
            return failed(outcome, stepText(i, steps, rows) + " failed: ffmpeg could not finish writing its file.",
                          command.stderrTail);
    }
    const std::string lastTail = run.commands.empty() ? std::string() : run.commands.back().stderrTail;

    const FileProbe probe(writtenPath.empty() ? outputPath : writtenPath, cancellation);
    if (probe.hasErrors || !probe.isValidMediaFile)
        return failed(outcome, "The joined file is missing or is not playable media.", lastTail);

    double known = 0.0;
    bool someUnknown = false;
    for (const FileRow& row : rows) {
        const double length = playedLength(row);
        if (std::isfinite(length) && length > 0.0)
            known += length;
        else
            someUnknown = true;
    }
    // Half a second or 1 %, and a tenth of a second per row: decoders trim
    // the encoder delay and padding that containers count in a file's
    // duration (about 45 ms for an MP3, 23 ms of AAC priming), so many short
    // rows would otherwise fail a good join.
    const double tolerance = std::max({0.5, 0.01 * known, 0.1 * static_cast<double>(rows.size())});
    const double lasts = probe.duration;
    if (someUnknown && lasts < known - tolerance)
        return failed(outcome, "The joined file lasts " + secondsText(lasts) + ", less than the " + secondsText(known) +
                                   " of the files whose duration is known.", lastTail);
    if (!someUnknown && std::abs(lasts - known) > tolerance)
        return failed(outcome, "The joined file lasts " + secondsText(lasts) + ", but the files add up to " +
                                   secondsText(known) + ".", lastTail);
    outcome.status = JoinStatus::succeeded;
    return outcome;
}

std::string failureDetails(const JoinOutcome& outcome)
{
    if (outcome.stderrTail.empty())
        return outcome.reason;
    return outcome.reason + "\n\n" + outcome.stderrTail;
}

}  // namespace velmora
