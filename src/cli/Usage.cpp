#include <cmath>
#include <cstdio>

#include "BuildConfig.h"
#include "cli/CommandSpec.h"
#include "cli/Commands.h"
#include "foundation/Json.h"
#include "foundation/Resources.h"
#include "foundation/ToolVersion.h"
#include "probe/FileProbe.h"

namespace velmora::cli {
namespace {

// The command's synopsis after `lead` ("usage: "), broken between options
// into lines of at most 78 characters; further lines line up under the
// first option.
std::string synopsis(const CommandSpec& spec, const std::string& lead)
{
    const std::string command = "velmora-cli " + spec.name;
    std::vector<std::string> parts;
    for (const OptionSpec& o : spec.options)
        parts.push_back("[" + (o.alias.empty() ? o.name : o.alias) + (o.valueName.empty() ? "" : " " + o.valueName) + "]");
    parts.push_back(spec.operands);
    const std::string indent(lead.size() + command.size() + 1, ' ');
    std::string text = lead + command, line = text;
    for (const std::string& part : parts) {
        if (line.size() + 1 + part.size() > 78 && line != lead + command) {
            text += "\n" + indent + part;
            line = indent + part;
        } else {
            text += " " + part;
            line += " " + part;
        }
    }
    return text + "\n";
}

// Breaks a text into lines of at most `width` characters, each after `indent`.
std::string wrapped(const std::string& text, size_t indent, size_t width = 78)
{
    std::string out, line;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string word = text.substr(start, end - start);
        if (!line.empty() && indent + line.size() + 1 + word.size() > width) {
            out += std::string(indent, ' ') + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        start = end + 1;
    }
    if (!line.empty())
        out += std::string(indent, ' ') + line + "\n";
    return out;
}

void printOptions(FILE* stream, const CommandSpec& spec)
{
    for (const OptionSpec& o : spec.options) {
        std::string names = o.alias.empty() ? "    " + o.name : o.alias + ", " + o.name;
        if (!o.valueName.empty())
            names += " " + o.valueName;
        std::fprintf(stream, "  %s\n%s", names.c_str(), wrapped(o.description, 8).c_str());
    }
}

void printExits(FILE* stream, const CommandSpec& spec)
{
    for (const ExitSpec& e : spec.exits)
        std::fprintf(stream, "    %3d  %s\n", e.status, e.meaning.c_str());
}

}  // namespace

void printUsage(FILE* stream)
{
    std::string text;
    for (const CommandSpec* spec : commandSpecs())
        text += synopsis(*spec, text.empty() ? "usage: " : "       ");
    text += "       velmora-cli help [COMMAND] | --help | --version\n";
    std::fputs(text.c_str(), stream);
}

void printHelp(FILE* stream)
{
    std::fputs("velmora-cli: join audio files (and audio with video) into one file, from the terminal.\n\n", stream);
    printUsage(stream);
    for (const CommandSpec* spec : commandSpecs()) {
        std::fprintf(stream, "\nvelmora-cli %s: %s\n", spec->name.c_str(), spec->summary.c_str());
        printOptions(stream, *spec);
        std::fputs("  exit status:\n", stream);
        printExits(stream, *spec);
    }
    std::fputs("\nRun 'velmora-cli help COMMAND' for what a command does.\n", stream);
}

int printCommandHelp(FILE* stream, const std::string& command)
{
    const CommandSpec* spec = findCommandSpec(command);
    if (!spec)
        return usageError("unknown command '" + command + "'");
    std::fprintf(stream, "%s\n%s", synopsis(*spec, "usage: ").c_str(), wrapped(spec->description, 0).c_str());
    std::fputs("\noptions:\n", stream);
    printOptions(stream, *spec);
    std::fputs("\nexit status:\n", stream);
    printExits(stream, *spec);
    return 0;
}

void printVersion(FILE* stream)
{
    std::fprintf(stream, "velmora-cli %s\n", VELMORA_VERSION);
    const std::optional<std::string> creator = resourcePath(kCreatorToolResource);
    const std::optional<std::string> line = creator ? toolVersion(*creator) : std::nullopt;
    if (line)
        std::fprintf(stream, "ffmpeg %s (%s)\n", versionWord(*line).c_str(), creator->c_str());
    else
        std::fprintf(stream, "ffmpeg not found in %s\n", toolsDirectory().c_str());
}

int usageError(const std::string& message)
{
    std::fprintf(stderr, "velmora-cli: %s\n", message.c_str());
    printUsage(stderr);
    return kUsageExit;
}

int toolError(const std::string& message)
{
    std::fprintf(stderr, "velmora-cli: %s\n", message.c_str());
    return kToolExit;
}

std::optional<int> applyCommonOptions(const CommandLine& line)
{
    if (line.error)
        return usageError(*line.error);
    if (const auto tools = line.value("--tools-dir"))
        setToolsDirectory(*tools);
    if (const auto timeout = line.value("--probe-timeout")) {
        const std::optional<JSONNumber> seconds = parseDecimalNumber(*timeout);
        // The limit counts whole milliseconds: less than one would be none.
        if (!seconds || !std::isfinite(seconds->toDouble()) || seconds->toDouble() < 0.001)
            return usageError("--probe-timeout needs a number of seconds above 0 (at least 0.001), not '" + *timeout + "'");
        setProbeTimeLimit(std::chrono::milliseconds(std::llround(std::min(seconds->toDouble(), 1e9) * 1000.0)));
    }
    return std::nullopt;
}

}  // namespace velmora::cli
