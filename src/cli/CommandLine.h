#pragma once
// The arguments of one command, read without side effects: options first or
// among the files, "--" ends the options, and every other argument is a
// file. Valued options take "--name VALUE" or "--name=VALUE"; aliases map to
// their canonical name. Only options that allow it take an empty value
// ("--title ''" or "--title="); those hold free text, so only they take a
// separate value that looks like an option ("-o --force" is refused).

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velmora::cli {

struct CommandLine {
    std::vector<std::string> files;
    std::set<std::string> flags;
    std::map<std::string, std::string> values;  // the last value of each option
    std::map<std::string, std::vector<std::string>> valueLists;  // every value, in order
    std::optional<std::string> error;  // why the arguments are not usable

    bool has(const std::string& flag) const { return flags.count(flag) > 0; }
    std::optional<std::string> value(const std::string& name) const;
    std::vector<std::string> allValues(const std::string& name) const;
};

struct CommandSyntax {
    std::string command;                        // named in the error texts
    std::set<std::string> flags;                // options without a value
    std::set<std::string> valued;               // options with a value
    std::map<std::string, std::string> aliases; // "-o" -> "--output"
    std::set<std::string> emptyAllowed;         // valued options whose value may be empty
};

CommandLine parseCommandLine(const CommandSyntax& syntax, const std::vector<std::string>& arguments);

}  // namespace velmora::cli
