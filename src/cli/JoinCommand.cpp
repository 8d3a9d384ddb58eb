#include <unistd.h>

#include <cstdio>
#include <thread>

#include "cli/CliHost.h"
#include "cli/CliIntake.h"
#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/SignalCancel.h"
#include "foundation/Diagnostics.h"
#include "foundation/Paths.h"
#include "join/Completion.h"
#include "join/JoinControl.h"
#include "join/JoinJob.h"
#include "join/JoinPlan.h"
#include "join/OutputRule.h"
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
    const CommandLine line = parseCommandLine(
        {"join", {"--dry-run", "--verbose"}, {"--output", "--tools-dir"}, {{"-o", "--output"}}}, arguments);
    if (const auto failed = applyCommonOptions(line))
        return *failed;
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
        printMessage(stderr, mixedListMessage(rows));
        return kFailedExit;
    }
    const std::string outputPath = absolutePath(output.empty() ? "joined" + extension : output);

    if (dryRun) {
        const JoinPlan plan = buildJoinPlan(rows, outputPath);
        const nlohmann::json listing{{"commands", plan.commands}, {"durations", plan.durations}};
        std::printf("%s\n", jsonText(listing).c_str());
        return kSucceededExit;
    }

    CliHost host(::isatty(STDERR_FILENO) != 0);
    std::thread worker([&] { runJoinJob(outputPath, rows, control, host); });
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
