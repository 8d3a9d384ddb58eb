#include <cstdio>

#include <QDir>
#include <QFileInfo>

#include "cli/Commands.h"
#include "foundation/Resources.h"

namespace velmora::cli {

void printUsage(FILE* stream)
{
    std::fputs("usage: velmora-cli probe [--tools-dir DIR] [--with-report] FILE...\n"
               "       velmora-cli list [--tools-dir DIR] FILE...\n"
               "       velmora-cli join [-o OUTPUT] [--dry-run] [--verbose] [--tools-dir DIR] FILE...\n",
               stream);
}

int usageError(const std::string& message)
{
    std::fprintf(stderr, "velmora-cli: %s\n", message.c_str());
    printUsage(stderr);
    return kUsageExit;
}

std::optional<std::string> CommandLine::value(const std::string& name) const
{
    const auto it = values.find(name);
    if (it == values.end())
        return std::nullopt;
    return it->second;
}

CommandLine parseCommandLine(const std::string& command, const std::vector<std::string>& arguments,
                             const std::set<std::string>& flags, const std::set<std::string>& valued,
                             const std::map<std::string, std::string>& aliases)
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
        if (const auto alias = aliases.find(name); alias != aliases.end())
            name = alias->second;
        if (flags.count(name) && !inlineValue) {
            line.flags.insert(name);
        } else if (valued.count(name)) {
            std::string value;
            if (inlineValue)
                value = *inlineValue;
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            if (value.empty())
                line.error = argument + " needs a value";
            else
                line.values[name] = value;
        } else {
            line.error = "unknown option '" + argument + "'";
        }
    }
    if (!line.error && line.files.empty())
        line.error = command + " needs at least one file";
    return line;
}

std::optional<int> applyCommonOptions(const CommandLine& line)
{
    if (line.error)
        return usageError(*line.error);
    if (const auto tools = line.value("--tools-dir"))
        setToolsDirectory(*tools);
    return std::nullopt;
}

std::string absolutePath(const std::string& path)
{
    const QString p = QString::fromStdString(path);
    if (QDir::isAbsolutePath(p))
        return path;
    // Not cleaned: the path is used as given, only anchored to the current folder.
    return (QDir::currentPath() + QLatin1Char('/') + p).toStdString();
}

}  // namespace velmora::cli
