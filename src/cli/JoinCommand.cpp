#include <unistd.h>

#include <cstdio>
#include <thread>

#include "cli/CliHost.h"
#include "cli/CliIntake.h"
#include "cli/CommandSpec.h"
#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/QualityOptions.h"
#include "cli/SignalCancel.h"
#include "foundation/Diagnostics.h"
#include "foundation/Paths.h"
#include "join/Completion.h"
#include "join/JoinControl.h"
#include "join/JoinJob.h"
#include "join/JoinPlan.h"
#include "join/OutputRule.h"
#include "join/Playlist.h"
#include "join/Preflight.h"

namespace velmora::cli {
namespace {

void printMessage(FILE* stream, const MessageRequest& message)
{
    std::fprintf(stream, "%s\n%s\n", message.messageText.c_str(), message.informativeText.c_str());
    std::fflush(stream);
}

}  // namespace

int joinCommand(const std::vector<std::string>& arguments)
{
    CommandLine line = parseCommandLine(joinSpec().syntax(), arguments);
    // A playlist alone is enough: its files are the command's files.
    if (line.error && line.files.empty() && line.value("--from-list") && line.error->ends_with("needs at least one file"))
        line.error.reset();
    if (const auto failed = applyCommonOptions(line))
        return *failed;
    if (const auto playlist = line.value("--from-list")) {
        const PlaylistEntries entries = readPlaylist(*playlist);
        if (entries.error)
            return usageError(*entries.error);
        line.files.insert(line.files.end(), entries.paths.begin(), entries.paths.end());
        if (line.files.empty())
            return usageError("join needs at least one file");
    }
    const auto qualityRequest = readQualityOptions(line.value("--quality"), line.value("--bitrate"));
    if (const auto* message = std::get_if<std::string>(&qualityRequest))
        return usageError(*message);
    const std::string output = line.value("--output").value_or(std::string());
    const bool dryRun = line.has("--dry-run");
    const bool verbose = line.has("--verbose");
    setDiagnosticTarget(verbose ? DiagnosticTarget::standardError : DiagnosticTarget::discard);

    JoinControl control;
    CancelOnSignal cancelOnSignal(control);

    const std::vector<FileRow> rows = intakeFiles(line.files, control);
    if (cancelOnSignal.interrupted().load())
        return kCancelledExit;
    if (rows.empty()) {
        std::fputs("Nothing to join\n", stderr);
        return kFailedExit;
    }
    const std::string extension = outputExtension(rows);
    diagnostic(extension);
    if (!isJoinableList(rows)) {
        printMessage(stderr, mixedListMessage());
        return kFailedExit;
    }
    const std::string outputPath = absolutePath(output.empty() ? "joined" + extension : output);
    // Settings of their own, not the window's Preferences: a command line
    // means the same wherever it runs.
    QualitySettings quality;
    if (const auto problem = applyQualityRequest(std::get<QualityRequest>(qualityRequest), outputFormatOf(outputPath), quality))
        return usageError(*problem);

    if (dryRun) {
        const JoinPlan plan = buildJoinPlan(rows, outputPath, quality);
        const nlohmann::json listing{{"commands", plan.commands}, {"durations", plan.durations}};
        std::printf("%s\n", jsonText(listing).c_str());
        return kSucceededExit;
    }

    CliHost host(::isatty(STDERR_FILENO) != 0);
    std::thread worker([&] { runJoinJob(outputPath, rows, control, host, quality); });
    host.runUntilQuit();
    worker.join();

    const JoinOutcome outcome = host.outcome().value_or(JoinOutcome{});
    if (outcome.status == JoinStatus::succeeded)
        printMessage(stdout, joinSucceededMessage(outcome));
    else if (outcome.status == JoinStatus::failed)
        printMessage(stderr, joinFailedMessage(outcome));
    return exitStatusFor(outcome);
}

}  // namespace velmora::cli
