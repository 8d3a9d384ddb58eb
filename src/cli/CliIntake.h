#pragma once
#include <string>
#include <vector>

#include "foundation/Cancellation.h"
#include "join/intake/FileRow.h"

namespace velmora::cli {

// A file or folder named on the command line that cannot be used, and why.
struct UnusableFile {
    std::string path;    // as the user spelt it
    std::string reason;  // "missing", "permission denied", "not media", "damaged", ...
};

// The file arguments with every folder replaced by the media files in it and
// its subfolders, in natural order (see expandFolders); files keep the order
// given. A folder without media files goes to `unusable` when given, else is
// named on standard error. Paths stay as the user spelt them, relative ones too.
std::vector<std::string> expandFileArguments(const std::vector<std::string>& files,
                                             const Cancellation* cancellation = nullptr,
                                             std::vector<UnusableFile>* unusable = nullptr);

// The intake of the file arguments, in order: each accepted file becomes a
// row; each skipped one goes to `unusable` when given, else gets a line on
// standard error naming it and why.
// Stops early, with the rows so far, once `cancellation` is cancelled. When
// the probe tool could not run, no file is named: `toolFailure` gets one line
// saying so.
std::vector<FileRow> intakeFiles(const std::vector<std::string>& files, Cancellation& cancellation,
                                 std::string* toolFailure, std::vector<UnusableFile>* unusable = nullptr);

// JSON text for standard output; bytes that are not UTF-8 are replaced.
std::string jsonText(const nlohmann::json& value);

}  // namespace velmora::cli
