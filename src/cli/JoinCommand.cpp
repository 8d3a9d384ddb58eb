#include <unistd.h>

#include <cstdio>
#include <memory>
#include <thread>

#include "cli/AlbumOptions.h"
#include "cli/CliHost.h"
#include "cli/CliIntake.h"
#include "cli/CommandSpec.h"
#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/JoinOptionRequests.h"
#include "cli/QualityOptions.h"
#include "cli/SignalCancel.h"
#include "cli/SortOption.h"
#include "foundation/Diagnostics.h"
#include "foundation/Paths.h"
#include "foundation/Resources.h"
#include "join/outcome/JoinCheck.h"
#include "join/outcome/Messages.h"
#include "foundation/Cancellation.h"
#include "join/run/JoinJob.h"
#include "join/plan/CopyDecision.h"
#include "join/plan/CopyPlan.h"
#include "join/plan/JoinPlan.h"
#include "join/plan/OutputFormat.h"
#include "join/outcome/OutputCheck.h"
#include "join/run/OutputFile.h"
#include "join/plan/OutputRule.h"
#include "join/intake/Playlist.h"
#include "join/run/PartMeasure.h"
#include "join/run/SoundShaping.h"
#include "join/run/WorkFolder.h"

namespace velmora::cli {
namespace {

void printMessage(FILE* stream, const MessageRequest& message)
{
    std::fprintf(stream, "%s\n%s\n", message.messageText.c_str(), message.informativeText.c_str());
    std::fflush(stream);
}

// The output check, as a usage error when the output may not be written.
std::optional<int> refuseOutput(const std::string& outputPath, const std::vector<std::string>& inputs, bool force)
{
    const std::optional<OutputProblem> problem = checkOutputPath(outputPath, inputs, force);
    if (!problem)
        return std::nullopt;
    std::string text = problem->reason;
    if (problem->refusal == OutputRefusal::exists)
        text += "; use --force to replace it";
    std::fprintf(stderr, "velmora-cli: %s\n", text.c_str());
    return kUsageExit;
}

void printNotes(const std::vector<std::string>& notes)
{
    for (const std::string& note : notes)
        std::fprintf(stderr, "velmora-cli: note: %s\n", note.c_str());
    std::fflush(stderr);
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
    // Each list adds its files, in the order the lists are given.
    for (const std::string& playlist : line.allValues("--from-list")) {
        const PlaylistEntries entries = readPlaylist(playlist);
        if (entries.error)
            return usageError(*entries.error);
        line.files.insert(line.files.end(), entries.paths.begin(), entries.paths.end());
    }
    if (line.value("--from-list") && line.files.empty())
        return usageError("join needs at least one file");
    const auto read = readJoinOptionRequests(line);
    if (const auto* message = std::get_if<std::string>(&read))
        return usageError(*message);
    const JoinOptionRequests& requests = std::get<JoinOptionRequests>(read);
    const std::string output = line.value("--output").value_or(std::string());
    const bool dryRun = line.has("--dry-run");
    const bool verbose = line.has("--verbose");
    const bool force = line.has("--force");
    setDiagnosticTarget(verbose ? DiagnosticTarget::standardError : DiagnosticTarget::loggingCategory);

    // A dry run needs the probe only.
    if (const auto problem = toolProblem(kProbeToolResource))
        return toolError(*problem);
    // A dry run with a sound option measures the parts with ffmpeg.
    const bool measuring = changesSound(requests.sound);
    if (const auto problem = dryRun && !measuring ? std::nullopt : toolProblem(kCreatorToolResource))
        return toolError(*problem);
    // The job, when there is one, outlives the signal handler that may cancel it.
    CliHost host(::isatty(STDERR_FILENO) != 0);
    std::optional<JoinJob> job;
    Cancellation control;
    CancelOnSignal cancelOnSignal(control);

    // A file or folder named that cannot be used stops the join before
    // anything runs, unless the user asked to skip those.
    const bool skipBad = line.has("--skip-bad");
    std::vector<UnusableFile> unusable;
    // The files of the folders count as inputs: an output among them is refused.
    const std::vector<std::string> files = expandFileArguments(line.files, &control, skipBad ? nullptr : &unusable);
    if (cancelOnSignal.interrupted().load())
        return kCancelledExit;
    std::vector<std::string> inputs;
    for (const std::string& file : files)
        inputs.push_back(absolutePath(file));
    // A named output is checked before any tool runs; the default name
    // once the intake has told its extension.
    if (!output.empty()) {
        if (const auto refused = refuseOutput(absolutePath(output), inputs, force))
            return *refused;
        // The extension picks the format: one no join writes is refused too.
        if (!outputFormatOf(output).known) {
            std::string formats;
            for (const std::string& extension : outputExtensions())
                formats += (formats.empty() ? "." : ", .") + extension;
            return usageError("cannot tell the format of '" + output + "' from its extension; OUTPUT must end in one of " +
                              formats);
        }
    }

    std::string toolFailure;
    const std::vector<FileRow> rows = sortedRows(intakeFiles(files, control, &toolFailure, skipBad ? nullptr : &unusable),
                                                 requests.order);
    if (cancelOnSignal.interrupted().load())
        return kCancelledExit;
    if (!toolFailure.empty())
        return toolError(toolFailure);
    if (!unusable.empty()) {
        for (const UnusableFile& file : unusable)
            std::fprintf(stderr, "velmora-cli: cannot join %s: %s\n", file.path.c_str(), file.reason.c_str());
        std::fprintf(stderr, "velmora-cli: nothing was joined; remove %s, or add --skip-bad to join the rest\n",
                     unusable.size() == 1 ? "that file" : "those files");
        return kFailedExit;
    }
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
    if (output.empty()) {
        if (const auto refused = refuseOutput(outputPath, inputs, force))
            return *refused;
    }
    // Settings of their own, not the window's Preferences: a command line
    // means the same wherever it runs.
    QualitySettings quality;
    if (const auto problem =
            applyQualityRequest(requests.quality, outputFormatOf(outputPath), quality))
        return usageError(*problem);
    JoinOptions options;
    options.quality = quality;
    options.copy = requests.copy;
    options.sound = requests.sound;
    printNotes(applyAlbumRequest(requests.album, outputPath,
                                 joinMedia(rows) == JoinMedia::video, options));

    if (dryRun) {
        // A run folder of its own, gone again when the plan is printed:
        // nothing another join uses is touched.
        std::string failure;
        const std::unique_ptr<RunFolder> folder = RunFolder::create(&failure);
        if (!folder) {
            std::fprintf(stderr, "velmora-cli: %s\n", failure.c_str());
            return kFailedExit;
        }
        const std::string partial = partialOutputPath(outputDestination(outputPath));
        const CopyDecision copy = decideCopy(rows, outputPath, options);
        if (!copy.refusal.empty() && options.copy == CopyChoice::always)
            printNotes({"the parts would be re-encoded, not copied: " + copy.refusal});
        JoinPlan plan = copy.copy ? buildCopyPlan(rows, partial, folder->workDirectory(), options)
                                  : buildJoinPlan(rows, partial, folder->workDirectory(), options);
        nlohmann::json sound = nlohmann::json::array();
        if (plan.streamed && measuring) {
            const MeasuredParts measured = measureParts(plan, options.sound, control);
            if (cancelOnSignal.interrupted().load())
                return kCancelledExit;
            if (const auto bad = checkPartCounts(outputPath, rows, measured.counts, plan.form.sampleRate)) {
                printMessage(stderr, joinFailedMessage(*bad));
                return kFailedExit;
            }
            const ShapedSound shaped = shapeSound(plan, rows, options.sound, measured);
            for (size_t i = 0; i < rows.size() && i < shaped.summaries.size(); ++i) {
                const PartSound& part = measured.sounds[i];
                const PartEdit& edit = shaped.sound.edits[i];
                nlohmann::json entry{{"file", rows[i].filePath}, {"summary", shaped.summaries[i]},
                                     {"gainDb", edit.gainDb}, {"trimStartSeconds", double(edit.start) / plan.form.sampleRate},
                                     {"trimEndSeconds", edit.end > 0 ? double(part.frames - edit.end) / plan.form.sampleRate : 0.0},
                                     {"pauseAfterSeconds", double(edit.pad) / plan.form.sampleRate}};
                if (part.loudnessMeasured) {
                    entry["loudnessLufs"] = part.loudness.integrated;
                    entry["truePeakDb"] = part.loudness.truePeak;
                }
                sound.push_back(entry);
                std::fprintf(stderr, "velmora-cli: %s: %s\n", lastPathComponent(rows[i].filePath).c_str(),
                             shaped.summaries[i].c_str());
            }
            printNotes(shaped.notes);
            plan = shaped.plan;
        }
        // A streamed join: each part's decoder, then the encoder they feed;
        // a copy: the one command that copies the parts.
        std::vector<std::vector<std::string>> commands = plan.streamed ? plan.decoders : plan.commands;
        if (plan.streamed)
            commands.push_back(plan.encoder);
        if (plan.copied)
            commands.push_back(plan.copier);
        nlohmann::json listing{{"commands", commands}};
        if (!plan.streamed && !plan.copied)
            listing["durations"] = plan.durations;
        if (!sound.empty())
            listing["sound"] = sound;
        std::printf("%s\n", jsonText(listing).c_str());
        return kSucceededExit;
    }

    job.emplace(JoinRequest{outputPath, rows, options}, host);
    // From here on a signal stops the join's tools; the job leaves nothing behind.
    cancelOnSignal.follow(job->cancellation());
    std::thread worker([&] { job->run(); });
    host.runUntilQuit();
    worker.join();

    const JoinOutcome outcome = job->outcome().value_or(JoinOutcome{});
    if (outcome.status == JoinStatus::succeeded) {
        printMessage(stdout, joinSucceededMessage(outcome));
    } else if (outcome.status == JoinStatus::failed) {
        printMessage(stderr, joinFailedMessage(outcome));
        const std::string details = failureDetails(outcome);
        std::fprintf(stderr, "%s%s", details.c_str(), details.empty() || details.back() == '\n' ? "" : "\n");
    }
    printNotes(outcome.notes);
    return exitStatusFor(outcome);
}

}  // namespace velmora::cli
