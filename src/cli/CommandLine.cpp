#include "cli/CommandLine.h"

namespace velmora::cli {

std::optional<std::string> CommandLine::value(const std::string& name) const
{
    const auto it = values.find(name);
    if (it == values.end())
        return std::nullopt;
    return it->second;
}

CommandLine parseCommandLine(const CommandSyntax& syntax, const std::vector<std::string>& arguments)
{
    CommandLine line;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size() && !line.error; ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            line.files.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = argument;
        std::optional<std::string> inlineValue;
        if (const size_t eq = argument.find('='); eq != std::string::npos && argument.rfind("--", 0) == 0) {
            name = argument.substr(0, eq);
            inlineValue = argument.substr(eq + 1);
        }
        if (const auto alias = syntax.aliases.find(name); alias != syntax.aliases.end())
            name = alias->second;
        if (syntax.flags.count(name) && !inlineValue) {
            line.flags.insert(name);
        } else if (syntax.valued.count(name)) {
            std::optional<std::string> value = inlineValue;
            if (!value && i + 1 < arguments.size())
                value = arguments[++i];
            if (!value || (value->empty() && !syntax.emptyAllowed.count(name)))
                line.error = argument + " needs a value";
            else
                line.values[name] = *value;
        } else {
            line.error = "unknown option '" + argument + "'";
        }
    }
    if (!line.error && line.files.empty())
        line.error = syntax.command + " needs at least one file";
    return line;
}

}  // namespace velmora::cli
