#include <cstdio>

#include "cli/Commands.h"

namespace velmora::cli {

int joinCommand(const std::vector<std::string>&)
{
    return usageError("not available yet");
}

}  // namespace velmora::cli
