#pragma once
// Whether a join may write to an output path, asked before anything runs, by
// the window's pre-flight and by the command-line tool alike.

#include <optional>
#include <string>
#include <vector>

namespace velmora {

enum class OutputRefusal {
    notRegularFile,     // a folder, a device, a FIFO, a socket
    sameAsInput,        // the very file (or a hard link of it) is an input
    exists,             // there is a file, and replacing it was not asked for
    folderNotWritable,  // the folder is missing, not a folder, or closed to us
};

struct OutputProblem {
    OutputRefusal refusal;
    std::string reason;  // one line for the user, naming the path
};

// Absolute paths. `replaceExisting`: the user agreed to replace a file that
// is there (the save dialog asked; the command line has --force).
std::optional<OutputProblem> checkOutputPath(const std::string& outputPath, const std::vector<std::string>& inputPaths,
                                             bool replaceExisting);

// Where the joined file goes: the file a symbolic link at the output path
// points to, so the link stays; otherwise the path itself.
std::string outputDestination(const std::string& outputPath);

}  // namespace velmora
