#pragma once
#include <cstdio>
#include <string>
#include <vector>

namespace velmora::cli {

// Each command gets the arguments after its name and returns the exit code.
int probeCommand(const std::vector<std::string>& arguments);
int listCommand(const std::vector<std::string>& arguments);
int joinCommand(const std::vector<std::string>& arguments);

// Exit code and message for bad arguments.
inline constexpr int kUsageExit = 2;
int usageError(const std::string& message);
void printUsage(FILE* stream);

// Absolute form of a path given on the command line (relative to the current folder).
std::string absolutePath(const std::string& path);

}  // namespace velmora::cli
