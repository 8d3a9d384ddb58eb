#include "app/IntakeBatch.h"

#include "foundation/Paths.h"
#include "join/intake/FolderExpansion.h"
#include "join/intake/Playlist.h"

namespace velmora::app {

void analyzeFiles(const std::vector<std::string>& paths, const std::function<void(std::function<void()>)>& post,
                  Cancellation& cancellation, IntakeHandlers handlers)
{
    // The handlers live on the main thread; each task takes its own copy.
    if (handlers.onStarted)
        post(handlers.onStarted);
    // A playlist stands for its entries, a folder for its media files.
    const std::vector<std::string> files = expandFolders(expandPlaylists(paths), &cancellation);
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
    post([onFinished = std::move(handlers.onFinished), skipped = std::move(skipped)]() mutable {
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

}  // namespace velmora::app
