#include "join/Intake.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <thread>

#include "foundation/Cancellation.h"
#include "foundation/Paths.h"
#include "join/FolderExpansion.h"

namespace velmora {

void runIntake(const std::vector<std::string>& paths, Cancellation& cancellation,
               const std::function<void(size_t, IntakeResult)>& onResult)
{
    struct Slot {
        std::optional<FileProbe> probe;  // absent: skipped by its extension
        bool done = false;
    };
    std::vector<Slot> pending(paths.size());
    std::mutex mutex;
    size_t next = 0;     // the next file to probe
    size_t emitted = 0;  // files handed on so far

    // Hands on every finished file that no unfinished one precedes. The rule
    // runs here, in order, so its diagnostic lines keep the files' order.
    auto emitReady = [&] {
        while (emitted < pending.size() && pending[emitted].done && !cancellation.isCancelled()) {
            Slot& slot = pending[emitted];
            IntakeResult result{IntakeVerdict::skippedExtension, std::nullopt};
            if (slot.probe)
                result = intakeFromProbe(paths[emitted], *slot.probe);
            slot.probe.reset();
            onResult(emitted, std::move(result));
            ++emitted;
        }
    };
    auto work = [&] {
        for (;;) {
            size_t i = 0;
            {
                std::lock_guard lock(mutex);
                if (next >= paths.size() || cancellation.isCancelled())
                    return;
                i = next++;
            }
            std::optional<FileProbe> probe;
            if (!isSkippedExtension(paths[i]))
                probe.emplace(paths[i], &cancellation);
            std::lock_guard lock(mutex);
            pending[i].probe = std::move(probe);
            pending[i].done = true;
            emitReady();
        }
    };

    const size_t workers =
        std::min<size_t>(paths.size(), std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (size_t w = 1; w < workers; ++w)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();
}

void analyzeFiles(const std::vector<std::string>& paths, JoinHost& host, Cancellation& cancellation,
                  IntakeHandlers handlers)
{
    // The handlers live on the main thread; each task takes its own copy.
    auto post = [&host](std::function<void()> task) { host.postToMain(std::move(task)); };
    post([&host] { host.showProgressSheet("Analyzing Files...", true); });
    const std::vector<std::string> files = expandFolders(paths, &cancellation);
    const size_t total = files.size();
    if (handlers.onProgress)
        post([onProgress = handlers.onProgress, total] { onProgress(0, total); });
    std::vector<SkippedFile> skipped;
    runIntake(files, cancellation, [&](size_t index, IntakeResult result) {
        if (result.row && handlers.onRow)
            post([onRow = handlers.onRow, row = std::move(*result.row)]() mutable { onRow(std::move(row)); });
        else if (!result.row)
            skipped.push_back({files[index], result.verdict});
        if (handlers.onProgress)
            post([onProgress = handlers.onProgress, done = index + 1, total] { onProgress(done, total); });
    });
    post([&host, onFinished = std::move(handlers.onFinished), skipped = std::move(skipped)]() mutable {
        host.hideProgressSheet();
        if (onFinished)
            onFinished(std::move(skipped));
    });
}

MessageRequest skippedFilesMessage(const std::vector<SkippedFile>& skipped)
{
    constexpr size_t kNamed = 12;  // more go to the details only
    MessageRequest message;
    message.messageText = skipped.size() == 1 ? "1 file was not added"
                                              : std::to_string(skipped.size()) + " files were not added";
    for (size_t i = 0; i < skipped.size(); ++i) {
        const std::string line = lastPathComponent(skipped[i].path) + ": " + intakeVerdictText(skipped[i].verdict);
        if (i < kNamed)
            message.informativeText += (i ? "\n" : "") + line;
        message.detailedText += (i ? "\n" : "") + skipped[i].path + ": " + intakeVerdictText(skipped[i].verdict);
    }
    if (skipped.size() > kNamed)
        message.informativeText += "\nand " + std::to_string(skipped.size() - kNamed) + " more";
    else
        message.detailedText.clear();
    message.style = MessageStyle::informational;
    return message;
}

}  // namespace velmora
