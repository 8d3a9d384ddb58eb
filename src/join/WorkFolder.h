#pragma once
// Where a join keeps its intermediate files.

#include <string>

namespace velmora {

// The per-user temporary directory, ending in "/": a folder of our own inside
// the system's temporary folder, made private (0700) on first use. A folder
// at that place that is a symbolic link or belongs to someone else is never
// used; a private folder made afresh for this run stands in for it.
std::string userTemporaryDirectory();
// The per-user temporary directory followed directly by "delete".
std::string workDirectory();
// Removes the work directory with everything in it and makes it again, empty.
// Failures are not reported: the join then fails on its own.
void resetWorkDirectory(const std::string& workDir);

}  // namespace velmora
