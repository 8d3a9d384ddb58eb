#include <cstdio>

#include "cli/Commands.h"
#include "foundation/Resources.h"
#include "probe/FileProbe.h"
#include "probe/ProbeReport.h"

namespace velmora::cli {

// velmora-cli probe [--tools-dir DIR] [--with-report] FILE...
// Prints one JSON array with one record per file, in argument order. A file
// that is not usable media is a result, not an error.
int probeCommand(const std::vector<std::string>& arguments)
{
    bool withReport = false;
    bool optionsDone = false;
    std::vector<std::string> files;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsDone || argument.size() < 2 || argument[0] != '-') {
            files.push_back(argument);
        } else if (argument == "--") {
            optionsDone = true;
        } else if (argument == "--with-report") {
            withReport = true;
        } else if (argument == "--tools-dir") {
            if (i + 1 >= arguments.size())
                return usageError("--tools-dir needs a folder");
            setToolsDirectory(arguments[++i]);
        } else if (argument.rfind("--tools-dir=", 0) == 0) {
            const std::string directory = argument.substr(12);
            if (directory.empty())
                return usageError("--tools-dir needs a folder");
            setToolsDirectory(directory);
        } else {
            return usageError("unknown option '" + argument + "'");
        }
    }
    if (files.empty())
        return usageError("probe needs at least one file");

    std::vector<FileProbe> probes;
    probes.reserve(files.size());
    for (const std::string& file : files)
        probes.emplace_back(absolutePath(file));
    const std::string text = fileProbesText(probes, withReport);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace velmora::cli
