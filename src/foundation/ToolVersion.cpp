#include "foundation/ToolVersion.h"

#include <sys/wait.h>

#include "foundation/ChildProcess.h"

namespace velmora {

std::optional<std::string> toolVersion(const std::string& program)
{
    if (program.empty())
        return std::nullopt;
    ChildProcess process(program, {"-version"});
    process.setStandardOutput(ChildProcess::Output::pipe);
    process.setStandardError(ChildProcess::Output::discard);
    if (!process.start())
        return std::nullopt;
    const std::string output = process.readAllStandardOutput();
    const int status = process.waitForExit();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    std::string line = output.substr(0, output.find('\n'));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    if (line.empty())
        return std::nullopt;
    return line;
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
