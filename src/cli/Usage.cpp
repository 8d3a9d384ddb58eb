#include <cmath>
#include <cstdio>

#include "cli/Commands.h"
#include "foundation/Json.h"
#include "foundation/Resources.h"
#include "probe/FileProbe.h"

namespace velmora::cli {

void printUsage(FILE* stream)
{
    std::fputs("usage: velmora-cli probe [--tools-dir DIR] [--with-report] FILE...\n"
               "       velmora-cli list [--tools-dir DIR] [--probe-timeout SECONDS] FILE...\n"
               "       velmora-cli join [-o OUTPUT] [-f|--force] [--dry-run] [--verbose] [--tools-dir DIR]\n"
               "                        [--probe-timeout SECONDS] FILE...\n",
               stream);
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
        if (!seconds || !std::isfinite(seconds->toDouble()) || seconds->toDouble() <= 0.0)
            return usageError("--probe-timeout needs a number of seconds above 0, not '" + *timeout + "'");
        setProbeTimeLimit(std::chrono::milliseconds(std::llround(std::min(seconds->toDouble(), 1e9) * 1000.0)));
    }
    return std::nullopt;
}

}  // namespace velmora::cli
