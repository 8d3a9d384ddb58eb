#pragma once
// The window's intake of a batch of files and folders, and its note of the
// files it skipped.

#include <functional>
#include <string>
#include <vector>

#include "foundation/Cancellation.h"
#include "join/intake/Intake.h"
#include "join/outcome/Messages.h"

namespace velmora::app {

// A file the intake did not take, and why.
struct SkippedFile {
    std::string path;
    IntakeVerdict verdict = IntakeVerdict::notMedia;
    bool operator==(const SkippedFile&) const = default;
};

// What the window hears of one intake batch; every call comes on the main
// thread, through `post`.
struct IntakeHandlers {
    // First, before the folders are expanded.
    std::function<void()> onStarted;
    // Each accepted row, in the order of the files.
    std::function<void(FileRow)> onRow;
    // How many files are done of how many, once the folders are expanded and
    // after each file.
    std::function<void(size_t done, size_t total)> onProgress;
    // Last: the files that were skipped, in order.
    // Files a cancel kept from being analysed are not among them.
    std::function<void(std::vector<SkippedFile> skipped)> onFinished;
};

// One intake batch of the window, run on a background thread: expands
// playlists into their entries and folders (see expandFolders), analyses the files side by side and reports
// them in order through `handlers`. A cancel ends the running probes; rows
// handed on before it stay.
void analyzeFiles(const std::vector<std::string>& paths, const std::function<void(std::function<void()>)>& post,
                  Cancellation& cancellation, IntakeHandlers handlers);
// The note after an intake that skipped files: each name with its reason.
MessageRequest skippedFilesMessage(const std::vector<SkippedFile>& skipped);

}  // namespace velmora::app
