#include <cstdio>

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

std::optional<int> applyCommonOptions(const CommandLine& line)
{
    if (line.error)
        return usageError(*line.error);
    if (const auto tools = line.value("--tools-dir"))
        setToolsDirectory(*tools);
    return std::nullopt;
}

}  // namespace velmora::cli
