#pragma once
#include <cstdio>
#include <map>
#include <optional>
#include <set>
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

// The arguments of one command: options first or among the files, "--" ends
// the options, and every other argument is a file. Valued options take
// "--name VALUE" or "--name=VALUE"; aliases map to their canonical name.
struct CommandLine {
    std::vector<std::string> files;
    std::set<std::string> flags;
    std::map<std::string, std::string> values;
    std::optional<std::string> error;  // why the arguments are not usable

    bool has(const std::string& flag) const { return flags.count(flag) > 0; }
    std::optional<std::string> value(const std::string& name) const;
};
CommandLine parseCommandLine(const std::string& command, const std::vector<std::string>& arguments,
                             const std::set<std::string>& flags, const std::set<std::string>& valued,
                             const std::map<std::string, std::string>& aliases = {});
// Parses, applies --tools-dir, and reports a usage error (returned as an exit code).
std::optional<int> applyCommonOptions(const CommandLine& line);

// Absolute form of a path given on the command line (relative to the current folder).
std::string absolutePath(const std::string& path);

}  // namespace velmora::cli
