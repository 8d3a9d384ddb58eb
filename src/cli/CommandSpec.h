#pragma once
// What each command takes and means, in one place: the parser's syntax, the
// usage lines, `--help` and `help COMMAND` all come from these descriptions.

#include <string>
#include <vector>

#include "cli/CommandLine.h"

namespace velmora::cli {

struct OptionSpec {
    std::string alias;      // "-o", or empty
    std::string name;       // "--output"
    std::string valueName;  // "OUTPUT"; empty for a flag
    std::string description;
    bool emptyValue = false;  // an empty value means something ("--title ''")
};

struct ExitSpec {
    int status;
    std::string meaning;
};

struct CommandSpec {
    std::string name;
    std::string summary;      // one line
    std::string description;  // a paragraph, for `help COMMAND`
    std::vector<OptionSpec> options;
    std::vector<ExitSpec> exits;
    std::string operands = "FILE...";  // what follows the options in the synopsis

    CommandSyntax syntax() const;
    const OptionSpec* option(const std::string& name) const;
};

const CommandSpec& probeSpec();
const CommandSpec& listSpec();
const CommandSpec& joinSpec();
const CommandSpec& batchSpec();
// Every command, in the order the help lists them.
std::vector<const CommandSpec*> commandSpecs();
const CommandSpec* findCommandSpec(const std::string& name);

}  // namespace velmora::cli
