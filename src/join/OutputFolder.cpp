#include "join/OutputFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "foundation/Paths.h"

namespace velmora {

std::optional<std::string> outputFolderProblem(const std::string& outputPath)
{
    if (outputPath.empty() || outputPath.back() == '/')
        return "No file name was given for the output.";
    struct stat info {};
    if (::stat(outputPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return "The output \"" + outputPath + "\" is a folder.";
    std::string folder = parentDirectory(absolutePath(outputPath));
    if (folder.empty())
        folder = "/";
    if (::stat(folder.c_str(), &info) != 0)
        return "The folder \"" + folder + "\" cannot be used: " + std::strerror(errno) + ".";
    if (!S_ISDIR(info.st_mode))
        return "\"" + folder + "\" is not a folder.";
    // Permission bits do not tell everything (a read-only file system, root,
    // special file systems): a file is made and removed again.
    std::string probe = (folder == "/" ? std::string() : folder) + "/.velmora-write-check-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return "The folder \"" + folder + "\" cannot be written to: " + std::strerror(errno) + ".";
    ::close(fd);
    ::unlink(probe.c_str());
    return std::nullopt;
}

}  // namespace velmora
