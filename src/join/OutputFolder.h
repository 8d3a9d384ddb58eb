#pragma once
// Whether the output can be written where the user wants it, asked before
// any encoding starts.

#include <optional>
#include <string>

namespace velmora {

// Why a file cannot be written at `outputPath` (its folder is missing, is not
// a folder, or cannot be written to; the path itself is a folder), or nothing
// when it can.
std::optional<std::string> outputFolderProblem(const std::string& outputPath);

}  // namespace velmora
