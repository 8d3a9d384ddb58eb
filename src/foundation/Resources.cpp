#include "foundation/Resources.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>

#include "BuildConfig.h"
#include "foundation/FileSystem.h"
#include "foundation/Paths.h"

namespace velmora {
namespace {

std::mutex g_mutex;
std::string g_override;

bool isDirectory(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string findExecutableDirectory()
{
    char resolved[PATH_MAX];
    if (::realpath("/proc/self/exe", resolved) != nullptr)
        return parentDirectory(resolved);
    // A program file replaced while it runs (an upgrade, a rebuild) reads as
    // "<path> (deleted)": its folder is still where it was started from.
    char link[PATH_MAX];
    const ssize_t size = ::readlink("/proc/self/exe", link, sizeof link - 1);
    if (size <= 0)
        return currentDirectory();
    std::string path(link, static_cast<size_t>(size));
    const std::string deleted = " (deleted)";
    if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
        path.resize(path.size() - deleted.size());
    return parentDirectory(path);
}

// Found once: a long batch keeps finding its tools after the program file
// was replaced under it.
std::string executableDirectory()
{
    static const std::string directory = findExecutableDirectory();
    return directory;
}

std::string defaultToolsDirectory()
{
    const std::string exeDir = executableDirectory();
    const std::string beside = exeDir + "/" VELMORA_RESOURCES_DIR_NAME;
    if (isDirectory(beside))
        return beside;
    const std::string installed = parentDirectory(exeDir) + "/" VELMORA_INSTALL_RESOURCES_DIR;
    if (isDirectory(installed))
        return installed;
    return beside;
}

}  // namespace

void setToolsDirectory(const std::string& directory)
{
    std::lock_guard lock(g_mutex);
    g_override = directory.empty() ? std::string() : absolutePath(directory);
}

std::string toolsDirectory()
{
    {
        std::lock_guard lock(g_mutex);
        if (!g_override.empty())
            return g_override;
    }
    return defaultToolsDirectory();
}

std::string toolPath(const std::string& name)
{
    return toolsDirectory() + "/" + name;
}

std::optional<std::string> resourcePath(const std::string& name)
{
    const std::string path = toolPath(name);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return path;
    return std::nullopt;
}

std::string toolDisplayName(const std::string& name)
{
    if (name == kProbeToolResource)
        return "ffprobe";
    if (name == kCreatorToolResource)
        return "ffmpeg";
    return name;
}

std::optional<std::string> toolProblem(const std::string& name)
{
    const std::string path = toolPath(name);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return toolDisplayName(name) + " not found at " + path + " (set --tools-dir)";
    if (::access(path.c_str(), X_OK) != 0)
        return toolDisplayName(name) + " cannot run at " + path + ": " + errorText(errno) + " (set --tools-dir)";
    return std::nullopt;
}

std::optional<std::string> toolAdvice(const std::string& name)
{
    if (!toolProblem(name))
        return std::nullopt;
    // Debian's ffmpeg package holds both tools.
    return "Velmora cannot find " + toolDisplayName(name) + ". Install the ffmpeg package.";
}

}  // namespace velmora
