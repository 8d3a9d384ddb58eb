#include <cstdio>

#include "cli/CliIntake.h"
#include "cli/CommandSpec.h"
#include "cli/Commands.h"
#include "foundation/Paths.h"
#include "foundation/Resources.h"
#include "probe/FileProbe.h"
#include "probe/ProbeReport.h"

namespace velmora::cli {

// velmora-cli probe [--tools-dir DIR] [--with-report] FILE...
// Prints one JSON array with one record per file, in argument order; a
// folder stands for the media files in it. A file
// that is not usable media is a result, not an error; a probe tool that is
// missing or cannot run is.
int probeCommand(const std::vector<std::string>& arguments)
{
    const CommandLine line = parseCommandLine(probeSpec().syntax(), arguments);
    if (const auto failed = applyCommonOptions(line))
        return *failed;
    if (const auto problem = toolProblem(kProbeToolResource))
        return toolError(*problem);
    const bool withReport = line.has("--with-report");
    const std::vector<std::string> files = expandFileArguments(line.files);

    // Each record is written as soon as its file is probed and then dropped:
    // a file with a huge report never sits in memory beside the others.
    auto write = [](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), stdout); };
    write("[\n");
    for (size_t i = 0; i < files.size(); ++i) {
        const FileProbe probe(absolutePath(files[i]));
        if (probe.run == ProbeRun::toolFailedToStart) {
            write("]\n");
            std::fflush(stdout);
            return toolError(toolDisplayName(kProbeToolResource) + " cannot run at " + toolPath(kProbeToolResource) +
                             " (set --tools-dir)");
        }
        write(i > 0 ? ",\n  " : "  ");
        writeFileProbeJson(probe, withReport, 1, write);
    }
    write("\n]\n");
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace velmora::cli
