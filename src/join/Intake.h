#pragma once
// The intake of a batch of files, shared by the window and the command-line
// tool: the files are probed side by side, one per core, and come out in the
// order given.

#include <functional>
#include <string>
#include <vector>

#include "join/IntakeRule.h"
#include "join/JoinHost.h"
#include "join/WindowHost.h"

namespace velmora {

class Cancellation;

// Analyses every file and hands each result to `onResult` in the order of
// `paths`, as soon as that file and every file before it are done. The calls
// come one at a time from the intake's threads. A cancel ends the running
// probes, and no result is handed on after it. Returns when all is done.
void runIntake(const std::vector<std::string>& paths, Cancellation& cancellation,
               const std::function<void(size_t index, IntakeResult result)>& onResult);

// A file the intake did not take, and why.
struct SkippedFile {
    std::string path;
    IntakeVerdict verdict = IntakeVerdict::notMedia;
    bool operator==(const SkippedFile&) const = default;
};

// What the window hears of one intake batch; every call comes on the main
// thread, through the host.
struct IntakeHandlers {
    // Each accepted row, in the order of the files.
    std::function<void(FileRow)> onRow;
    // How many files are done of how many, once the folders are expanded and
    // after each file.
    std::function<void(size_t done, size_t total)> onProgress;
    // Last, after the sheet is hidden: the files that were skipped, in order.
    // Files a cancel kept from being analysed are not among them.
    std::function<void(std::vector<SkippedFile> skipped)> onFinished;
};

// One intake batch of the window, run on a background thread: shows the
// analysing sheet, expands folders (see expandFolders), analyses the files
// side by side, reports them in order through `handlers`, then hides the
// sheet. A cancel ends the running probes; rows handed on before it stay.
void analyzeFiles(const std::vector<std::string>& paths, JoinHost& host, Cancellation& cancellation,
                  IntakeHandlers handlers);
// The note after an intake that skipped files: each name with its reason.
MessageRequest skippedFilesMessage(const std::vector<SkippedFile>& skipped);

}  // namespace velmora
