#pragma once
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"

namespace velmora::cli {

// Each command gets the arguments after its name and returns the exit status.
int probeCommand(const std::vector<std::string>& arguments);
int listCommand(const std::vector<std::string>& arguments);
int joinCommand(const std::vector<std::string>& arguments);
int batchCommand(const std::vector<std::string>& arguments);

// Exit status and message for bad arguments.
inline constexpr int kUsageExit = 2;
int usageError(const std::string& message);
void printUsage(FILE* stream);
// Every command with its options.
void printHelp(FILE* stream);
// One command: what it does, its options and exit statuses.
int printCommandHelp(FILE* stream, const std::string& command);
// The program's version and the encoder it finds.
void printVersion(FILE* stream);
// Exit status and message when a tool is missing or cannot run.
inline constexpr int kToolExit = 1;
int toolError(const std::string& message);

// Reports a usage error (returned as an exit status), or applies --tools-dir
// and --probe-timeout.
std::optional<int> applyCommonOptions(const CommandLine& line);

}  // namespace velmora::cli
