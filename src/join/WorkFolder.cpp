#include "join/WorkFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <QDir>

#include "foundation/Diagnostics.h"
#include "foundation/Paths.h"

namespace velmora {
namespace {

// True when path is a real directory owned by us and closed to everyone
// else; makes it (0700) when nothing is there yet.
bool makePrivateDirectory(const std::string& path)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0)
        return false;
    return true;
}

std::string systemTemporaryDirectory()
{
    return fromQString(QDir::tempPath());
}

}  // namespace

std::string userTemporaryDirectory()
{
    const std::string uid = std::to_string(::getuid());
    const std::string preferred = systemTemporaryDirectory() + "/velmora-" + uid;
    if (makePrivateDirectory(preferred))
        return preferred + "/";

    // Someone else holds the usual place: use a folder made for this run,
    // kept for the rest of it so that each join still replaces the last one's files.
    static std::mutex mutex;
    static std::string standIn;
    std::lock_guard lock(mutex);
    if (standIn.empty() || !makePrivateDirectory(standIn)) {
        std::string pattern = systemTemporaryDirectory() + "/velmora-" + uid + "-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {
            standIn = pattern;
        } else {
            diagnostic("no private temporary folder: " + std::string(std::strerror(errno)));
            // A place nothing can ever be made in: the join fails instead of
            // writing where others can read or plant files.
            return "/dev/null/velmora-unavailable/";
        }
        diagnostic("not a private folder: " + preferred + "; using " + standIn);
    }
    return standIn + "/";
}

std::string workDirectory()
{
    return userTemporaryDirectory() + "delete";
}

void resetWorkDirectory(const std::string& workDir)
{
    struct stat st {};
    if (::lstat(workDir.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            QDir(toQString(workDir)).removeRecursively();
        else
            ::unlink(workDir.c_str());
    }
    ::mkdir(workDir.c_str(), 0777);
}

}  // namespace velmora
