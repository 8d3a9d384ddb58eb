#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <deque>
#include <memory>

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QThreadPool>

#include "cli/AlbumOptions.h"
#include "cli/BatchProgress.h"
#include "cli/BatchSummary.h"
#include "cli/CliHost.h"
#include "cli/CommandSpec.h"
#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/JoinOptionRequests.h"
#include "cli/QualityOptions.h"
#include "cli/SignalCancel.h"
#include "cli/SortOption.h"
#include "foundation/Cancellation.h"
#include "foundation/ClockText.h"
#include "foundation/Diagnostics.h"
#include "foundation/Paths.h"
#include "foundation/Resources.h"
#include "join/intake/BookDiscovery.h"
#include "join/intake/Intake.h"
#include "join/outcome/Messages.h"
#include "join/outcome/OutputCheck.h"
#include "join/plan/BookOutputName.h"
#include "join/plan/OutputRule.h"
#include "join/run/JoinJob.h"

namespace velmora::cli {
namespace {

// One join uses one core: the encoder's single stream is the work.
constexpr int kCoresPerJob = 1;

struct BookRun {
    Book book;
    std::vector<FileRow> rows;
    std::string name;        // for the progress line: the output's file name
    std::string outputPath;  // absolute
    std::string problem;     // why the book cannot be joined, found before anything runs
    std::string skipReason;  // why the book is not joined at all
    QualitySettings quality;
    std::unique_ptr<JoinJob> job;
    BookSummary held;        // what the joined file holds, read once its join ends
};

// The parts' rows, in the order asked for; a part that cannot be used makes
// the whole book unusable, as a book without one of its parts is not the book.
void readParts(BookRun& run, RowOrder order, Cancellation& cancellation, std::string* toolFailure)
{
    std::vector<std::string> unusable;
    runIntake(run.book.parts, cancellation, [&](size_t index, IntakeResult result) {
        if (result.row)
            run.rows.push_back(std::move(*result.row));
        else if (result.verdict == IntakeVerdict::toolUnavailable)
            *toolFailure = toolProblem(kProbeToolResource).value_or(toolDisplayName(kProbeToolResource) + " cannot run");
        else
            unusable.push_back(lastPathComponent(run.book.parts[index]) + ": " + intakeVerdictText(result.verdict));
    });
    run.rows = sortedRows(std::move(run.rows), order);
    if (!unusable.empty()) {
        run.problem = "cannot use " + unusable.front();
        if (unusable.size() > 1)
            run.problem += " (and " + std::to_string(unusable.size() - 1) + " more)";
    } else if (run.rows.empty()) {
        run.problem = "nothing to join";
    } else if (!isJoinableList(run.rows)) {
        run.problem = mixedListMessage(run.rows).messageText;
    }
}

std::optional<int> readJobs(const std::optional<std::string>& value, int* jobs)
{
    *jobs = std::max(1, QThread::idealThreadCount() / kCoresPerJob);
    if (!value)
        return std::nullopt;
    bool ok = false;
    const int n = QString::fromStdString(*value).toInt(&ok);
    if (!ok || n < 1)
        return usageError("--jobs needs a number of books above 0");
    *jobs = n;
    return std::nullopt;
}

// The length and chapter count the joined file holds, as the probe reads it.
void describeOutput(const std::string& path, Cancellation& cancellation, BookSummary& summary)
{
    runIntake({path}, cancellation, [&](size_t, IntakeResult result) {
        if (!result.row)
            return;
        summary.duration = clockText(playedLength(*result.row));
        summary.chapters = std::to_string(result.row->metadata.chapters.size());
    });
}

// A job's news, for the batch: posted to the one main-thread queue, drawn
// on the book's progress line.
class BookHost : public JoinHost {
public:
    BookHost(CliHost& queue, BatchProgress& progress, size_t index, std::string name,
             std::function<void()> onFinished)
        : queue_(queue), progress_(progress), index_(index), name_(std::move(name)), onFinished_(std::move(onFinished))
    {
    }
    void postToMain(std::function<void()> task) override { queue_.postToMain(std::move(task)); }
    void jobProgressed(const JoinProgress& progress) override { progress_.update(index_, name_, progress); }
    void joinFinished(const JoinOutcome& outcome) override
    {
        const char* word = outcome.status == JoinStatus::succeeded ? "done"
                           : outcome.status == JoinStatus::failed  ? "failed"
                                                                   : "cancelled";
        progress_.finish(index_, name_ + "  " + word);
        onFinished_();
    }

private:
    CliHost& queue_;
    BatchProgress& progress_;
    size_t index_;
    std::string name_;
    std::function<void()> onFinished_;
};

}  // namespace

int batchCommand(const std::vector<std::string>& arguments)
{
    CommandLine line = parseCommandLine(batchSpec().syntax(), arguments);
    if (line.error && line.error->ends_with("needs at least one file"))
        line.error = "batch needs at least one folder";
    if (const auto failed = applyCommonOptions(line))
        return *failed;
    const auto outputFolder = line.value("--output");
    if (!outputFolder)
        return usageError("batch needs -o OUTDIR, the folder for the joined books");
    std::string format = line.value("--format").value_or("");
    if (!format.empty() && format.front() == '.')
        format.erase(0, 1);
    if (line.value("--format") && (format.empty() || format.find('/') != std::string::npos))
        return usageError("--format needs an extension such as mp3 or m4b");
    int jobs = 1;
    if (const auto failed = readJobs(line.value("--jobs"), &jobs))
        return *failed;
    const auto read = readJoinOptionRequests(line);
    if (const auto* message = std::get_if<std::string>(&read))
        return usageError(*message);
    const JoinOptionRequests& requests = std::get<JoinOptionRequests>(read);
    std::vector<std::string> roots;
    for (const std::string& root : line.files) {
        struct stat info {};
        if (::stat(root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            return usageError(root + " is not a folder");
        roots.push_back(absolutePath(root));
    }
    const bool dryRun = line.has("--dry-run");
    const bool force = line.has("--force");
    setDiagnosticTarget(line.has("--verbose") ? DiagnosticTarget::standardError : DiagnosticTarget::discard);
    if (const auto problem = toolProblem(kProbeToolResource))
        return toolError(*problem);
    if (const auto problem = dryRun ? std::nullopt : toolProblem(kCreatorToolResource))
        return toolError(*problem);

    const std::string outdir = absolutePath(*outputFolder);
    if (!dryRun && !QDir().mkpath(toQString(outdir)))
        return usageError("cannot make the folder " + outdir);
    // Settings of their own, not the window's Preferences; for one format
    // given, checked before any book.
    if (!format.empty()) {
        QualitySettings quality;
        if (const auto problem =
                applyQualityRequest(requests.quality, outputFormatOf("x." + format), quality))
            return usageError(*problem);
    }

    Cancellation control;
    CancelOnSignal cancelOnSignal(control);
    std::deque<BookRun> runs;
    for (Book& book : findBooks(roots, {outdir}, &control))
        runs.push_back(BookRun{std::move(book), {}, {}, {}, {}, {}, {}, {}, {}});
    if (cancelOnSignal.interrupted().load())
        return kCancelledExit;
    if (runs.empty()) {
        std::fputs("Nothing to join: no folder below the roots holds media files\n", stderr);
        return kFailedExit;
    }

    // Every book's parts are read before any join, so names are settled for all.
    std::string toolFailure;
    std::vector<std::string> names;
    for (BookRun& run : runs) {
        readParts(run, requests.order, control, &toolFailure);
        if (cancelOnSignal.interrupted().load())
            return kCancelledExit;
        if (!toolFailure.empty())
            return toolError(toolFailure);
        names.push_back(bookOutputName(metadataOf(run.rows), run.book.name));
    }
    names = distinctNames(names);
    for (size_t i = 0; i < runs.size(); ++i) {
        BookRun& run = runs[i];
        const std::string extension = format.empty() ? outputExtension(run.rows).substr(1) : format;
        run.name = names[i] + "." + extension;
        run.outputPath = outdir + "/" + run.name;
        std::vector<std::string> inputs;
        for (const FileRow& row : run.rows)
            inputs.push_back(row.filePath);
        // A dry run makes no folder: one still missing will be made.
        const bool outdirMissing = dryRun && !QFileInfo::exists(toQString(outdir));
        if (const auto refused = checkOutputPath(run.outputPath, inputs, force)) {
            if (refused->refusal == OutputRefusal::exists)
                run.skipReason = "exists; use --force to replace it";
            else if (run.problem.empty() && !(outdirMissing && refused->refusal == OutputRefusal::folderNotWritable))
                run.problem = refused->reason;
        }
        const auto problem =
            applyQualityRequest(requests.quality, outputFormatOf(run.outputPath), run.quality);
        if (problem && run.problem.empty())
            run.problem = *problem;
    }

    if (dryRun) {
        for (const BookRun& run : runs) {
            std::printf("%s\n", run.outputPath.c_str());
            if (!run.skipReason.empty())
                std::printf("  skipped: %s\n", run.skipReason.c_str());
            else if (!run.problem.empty())
                std::printf("  cannot be joined: %s\n", run.problem.c_str());
            for (const std::string& part : run.book.parts)
                std::printf("  %s\n", part.c_str());
        }
        return kSucceededExit;
    }

    CliHost queue(false);  // the main thread's task queue; the progress lines are the batch's own
    BatchProgress progress(::isatty(STDERR_FILENO) != 0);
    std::vector<std::unique_ptr<BookHost>> hosts;
    size_t running = 0;
    const auto toRun = std::ranges::count_if(runs, [](const BookRun& run) {
        return run.skipReason.empty() && run.problem.empty();
    });
    for (size_t i = 0; i < runs.size(); ++i) {
        BookRun& run = runs[i];
        if (!run.skipReason.empty()) {
            std::fprintf(stderr, "velmora-cli: skipped %s: %s\n", run.outputPath.c_str(), run.skipReason.c_str());
            continue;
        }
        if (!run.problem.empty()) {
            std::fprintf(stderr, "velmora-cli: %s failed: %s\n", run.outputPath.c_str(), run.problem.c_str());
            continue;
        }
        JoinOptions options;
        options.quality = run.quality;
        options.copy = requests.copy;
        options.sound = requests.sound;
        options.besideOtherJoins = jobs > 1 && toRun > 1;
        for (const std::string& note : applyAlbumRequest(requests.album, run.outputPath,
                                                         joinMedia(run.rows) == JoinMedia::video, options))
            std::fprintf(stderr, "velmora-cli: note: %s: %s\n", run.name.c_str(), note.c_str());
        hosts.push_back(std::make_unique<BookHost>(queue, progress, i, run.name, [&] {
            if (--running == 0)
                queue.quit();
        }));
        run.job = std::make_unique<JoinJob>(JoinRequest{run.outputPath, run.rows, options}, *hosts.back());
        cancelOnSignal.follow(run.job->cancellation());
        ++running;
    }
    if (running > 0) {
        QThreadPool pool;
        pool.setMaxThreadCount(jobs);
        // The joined file is read on the job's own thread, beside the
        // other jobs, not in a row at the end.
        for (BookRun& run : runs) {
            if (run.job)
                pool.start([&run, &control] {
                    run.job->run();
                    const std::optional<JoinOutcome> outcome = run.job->outcome();
                    if (!outcome || outcome->status != JoinStatus::succeeded)
                        return;
                    // As the final check read it; read again only when it did not.
                    if (outcome->playedSeconds >= 0.0 && outcome->chapterCount >= 0) {
                        run.held.duration = clockText(outcome->playedSeconds);
                        run.held.chapters = std::to_string(outcome->chapterCount);
                    } else {
                        describeOutput(run.outputPath, control, run.held);
                    }
                });
        }
        queue.runUntilQuit();
        pool.waitForDone();
    }

    std::vector<BookSummary> summaries;
    bool anyFailed = false;
    for (BookRun& run : runs) {
        BookSummary summary{run.name, {}, {}, {}, {}};
        if (!run.skipReason.empty()) {
            summary.status = "skipped";
            summary.reason = run.skipReason;
        } else if (!run.job) {
            summary.status = "failed";
            summary.reason = run.problem;
        } else {
            const JoinOutcome outcome = run.job->outcome().value_or(JoinOutcome{});
            summary.status = outcome.status == JoinStatus::succeeded ? "done"
                             : outcome.status == JoinStatus::failed  ? "failed"
                                                                     : "cancelled";
            summary.reason = outcome.reason;
            if (outcome.status == JoinStatus::succeeded) {
                summary.duration = run.held.duration;
                summary.chapters = run.held.chapters;
            }
            // What the join did besides, as join tells it: copied, or why not.
            for (const std::string& note : outcome.notes)
                std::fprintf(stderr, "velmora-cli: note: %s: %s\n", run.name.c_str(), note.c_str());
        }
        anyFailed = anyFailed || summary.status == "failed";
        summaries.push_back(std::move(summary));
    }
    std::printf("%s", summaryTable(summaries).c_str());
    std::fflush(stdout);
    if (cancelOnSignal.interrupted().load())
        return kCancelledExit;
    return anyFailed ? kFailedExit : kSucceededExit;
}

}  // namespace velmora::cli
