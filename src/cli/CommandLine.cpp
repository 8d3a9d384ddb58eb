#include "cli/CommandLine.h"

namespace velmora::cli {

std::optional<std::string> CommandLine::value(const std::string& name) const
{
    const auto it = values.find(name);
    if (it == values.end())
        return std::nullopt;
    return it->second;
}

namespace {

// "-f" or "--force", not "-" (standard input) or "-0.5".
bool looksLikeOption(const std::string& text)
{
    return text.size() >= 2 && text[0] == '-' && !(text[1] >= '0' && text[1] <= '9') && text[1] != '.';
}

}  // namespace

std::vector<std::string> CommandLine::allValues(const std::string& name) const
{
    const auto it = valueLists.find(name);
    return it == valueLists.end() ? std::vector<std::string>{} : it->second;
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
            const bool freeText = syntax.emptyAllowed.count(name) > 0;
            if (!value || (value->empty() && !freeText))
                line.error = argument + " needs a value";
            else if (!inlineValue && !freeText && looksLikeOption(*value))
                line.error = argument + " needs a value, not the option '" + *value + "' (write " + name + "=" +
                             *value + " to mean that name)";
            else {
                line.values[name] = *value;
                line.valueLists[name].push_back(*value);
            }
        } else {
            line.error = "unknown option '" + argument + "'";
        }
    }
    if (!line.error && line.files.empty())
        line.error = syntax.command + " needs at least one file";
    return line;
}

}  // namespace velmora::cli
