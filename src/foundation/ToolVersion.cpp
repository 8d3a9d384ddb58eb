#include "foundation/ToolVersion.h"

#include <sys/wait.h>

#include "foundation/ChildProcess.h"

namespace velmora {

std::optional<std::string> toolVersionLine(const std::string& toolPath)
{
    ChildProcess process(toolPath, {"-version"});
    process.setStandardOutput(ChildProcess::Output::pipe);
    process.setStandardError(ChildProcess::Output::discard);
    if (!process.start())
        return std::nullopt;
    std::string firstLine;
    bool lineDone = false;
    process.readStandardOutput([&](const char* data, size_t size) {
        // Only the first line is kept; the rest is drained so the tool can finish.
        for (size_t i = 0; i < size && !lineDone; ++i) {
            if (data[i] == '\n' || firstLine.size() >= 512)
                lineDone = true;
            else
                firstLine += data[i];
        }
    });
    const int status = process.waitForExit();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || firstLine.empty())
        return std::nullopt;
    return firstLine;
}

std::string versionWord(const std::string& versionLine)
{
    const std::string marker = " version ";
    const size_t at = versionLine.find(marker);
    if (at == std::string::npos)
        return versionLine;
    const size_t start = at + marker.size();
    const size_t end = versionLine.find(' ', start);
    return versionLine.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace velmora
