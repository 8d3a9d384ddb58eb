#include <cstdio>

#include "cli/CommandSpec.h"
#include "cli/Commands.h"
#include "foundation/Paths.h"
#include "probe/FileProbe.h"
#include "probe/ProbeReport.h"

namespace velmora::cli {

// velmora-cli probe [--tools-dir DIR] [--with-report] FILE...
// Prints one JSON array with one record per file, in argument order. A file
// that is not usable media is a result, not an error.
int probeCommand(const std::vector<std::string>& arguments)
{
    const CommandLine line = parseCommandLine(probeSpec().syntax(), arguments);
    if (const auto failed = applyCommonOptions(line))
        return *failed;
    const std::vector<std::string>& files = line.files;
    const bool withReport = line.has("--with-report");

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
