#include "join/outcome/OutputCheck.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "foundation/FileSystem.h"
#include "foundation/Paths.h"

namespace velmora {
namespace {

// The path with its folder resolved (links, "..", "."), for comparing paths
// of files that may not exist yet.
std::string comparablePath(const std::string& path)
{
    char resolved[PATH_MAX];
    if (::realpath(parentDirectory(path).c_str(), resolved) == nullptr)
        return path;
    return std::string(resolved) + "/" + lastPathComponent(path);
}

}  // namespace

std::optional<OutputProblem> checkOutputPath(const std::string& outputPath, const std::vector<std::string>& inputPaths,
                                             bool replaceExisting)
{
    struct stat out {};
    const bool exists = ::stat(outputPath.c_str(), &out) == 0;
    if (exists && S_ISDIR(out.st_mode))
        return OutputProblem{OutputRefusal::notRegularFile, outputPath + " is a folder"};
    if (exists && !S_ISREG(out.st_mode))
        return OutputProblem{OutputRefusal::notRegularFile, outputPath + " is not a regular file"};

    const std::string comparableOutput = comparablePath(outputPath);
    for (const std::string& input : inputPaths) {
        struct stat in {};
        const bool same = exists ? ::stat(input.c_str(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino
                                 : comparablePath(input) == comparableOutput;
        if (same)
            return OutputProblem{OutputRefusal::sameAsInput, outputPath + " is the same file as the input " + input};
    }

    if (exists && !replaceExisting)
        return OutputProblem{OutputRefusal::exists, outputPath + " exists"};

    const std::string folder = parentDirectory(outputDestination(outputPath));
    struct stat dir {};
    int error = 0;
    if (::stat(folder.c_str(), &dir) != 0)
        error = errno;
    else if (!S_ISDIR(dir.st_mode))
        error = ENOTDIR;
    else if (::access(folder.c_str(), W_OK | X_OK) != 0)
        error = errno;
    if (error != 0)
        return OutputProblem{OutputRefusal::folderNotWritable, "cannot write in " + folder + ": " + errorText(error)};
    return std::nullopt;
}

std::string outputDestination(const std::string& outputPath)
{
    struct stat st {};
    char resolved[PATH_MAX];
    if (::lstat(outputPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode) &&
        ::realpath(outputPath.c_str(), resolved) != nullptr)
        return resolved;
    return outputPath;
}

}  // namespace velmora
