#pragma once
// The commands of one join: one normalisation per row into the work
// directory, then one concat into the output file, with the expected
// duration of each.

#include <string>
#include <vector>

#include "join/FileRow.h"

namespace velmora {

struct JoinPlan {
    std::vector<std::vector<std::string>> commands;
    std::vector<double> durations;
};

std::string intermediatePath(const std::string& workDir, size_t index);
std::string concatListPath(const std::string& workDir);
// The concat list text: one "file '<path>'" line per row.
std::string concatListText(const std::string& workDir, size_t rowCount);
// A path as a quoted concat list entry: an apostrophe becomes '\''.
std::string concatListQuoted(const std::string& path);
std::vector<std::string> normalisationCommand(const FileRow& row, const std::string& intermediate);
std::vector<std::string> concatCommand(const std::string& listPath, const std::string& outputPath);

// Writes the concat list into the work directory (a join's own, see
// RunFolder) and returns the plan; the concat command writes `outputPath`.
JoinPlan buildJoinPlan(const std::vector<FileRow>& rows, const std::string& outputPath, const std::string& workDir);

}  // namespace velmora
