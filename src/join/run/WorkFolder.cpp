#include "join/run/WorkFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "foundation/Diagnostics.h"
#include "foundation/FileSystem.h"
#include "foundation/Paths.h"

namespace velmora {
namespace {

constexpr const char* kRunPrefix = "run-";
constexpr const char* kLockName = "lock";
// The partial output this run writes: "<device> <inode> <path>".
constexpr const char* kPartialRecordName = "partial";

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

// Opens (creating when asked) a lock file that is not a link.
int openLock(const std::string& path, bool create)
{
    return ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
}

// Held while run folders are made or swept, so that a sweep never sees a run
// folder whose lock is not taken yet.
class FolderLock {
public:
    explicit FolderLock(const std::string& userDir) : fd_(openLock(userDir + kLockName, true))
    {
        if (fd_ >= 0)
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~FolderLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool held() const { return fd_ >= 0; }

private:
    int fd_;
};

// The partial outputs a dead run noted (one per line), each removed when it is still that very
// file: a file put there since (by the user, or a later join) stays.
void removeRecordedPartial(const std::string& runPath)
{
    std::ifstream record(runPath + "/" + kPartialRecordName);
    unsigned long long device = 0, inode = 0;
    std::string path;
    while (record >> device >> inode && std::getline(record >> std::ws, path)) {
        struct stat st {};
        if (path.empty() || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_dev != device ||
            st.st_ino != inode || st.st_uid != ::getuid())
            continue;
        if (::unlink(path.c_str()) == 0)
            diagnostic("removed the partial output of a run that died: " + path);
    }
}

// Under the folder lock: every run folder whose own lock is free, or that has
// none, belongs to a join that ended without removing it.
void sweepAbandoned(const std::string& userDir)
{
    DIR* dir = ::opendir(userDir.c_str());
    if (!dir)
        return;
    std::vector<std::string> runs;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::string(entry->d_name).rfind(kRunPrefix, 0) == 0)
            runs.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const std::string& name : runs) {
        const std::string path = userDir + name;
        if (!isOwnDirectory(path))
            continue;
        const int fd = openLock(path + "/" + kLockName, false);
        if (fd < 0 && errno != ENOENT)
            continue;
        if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            removeRecordedPartial(path);
            removeRecursively(path);
            diagnostic("removed an abandoned work folder: " + path);
        }
        if (fd >= 0)
            ::close(fd);
    }
}

// Makes the lock and the work directory inside a fresh run folder; returns
// the held lock, or -1 (with errno) when either cannot be made.
int prepareRunFolder(const std::string& path)
{
    if (!isOwnDirectory(path)) {
        errno = EPERM;
        return -1;
    }
    const int fd = openLock(path + "/" + kLockName, true);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::mkdir((path + "/delete").c_str(), 0700) != 0 ||
        !isOwnDirectory(path + "/delete")) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

}  // namespace

std::string systemTemporaryDirectory()
{
    const char* env = std::getenv("TMPDIR");
    std::string tmp = env ? env : "";
    while (tmp.size() > 1 && tmp.back() == '/')
        tmp.pop_back();
    struct stat st {};
    // A relative or missing folder, or one we may not write in, would put
    // the work files in some other place (the current folder, the root).
    if (tmp.size() > 1 && tmp.front() == '/' && ::stat(tmp.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
        ::access(tmp.c_str(), W_OK | X_OK) == 0)
        return tmp;
    return "/tmp";
}

std::optional<std::string> userTemporaryDirectory()
{
    const std::string preferred = systemTemporaryDirectory() + "/velmora-" + std::to_string(::getuid());
    if (makePrivateDirectory(preferred))
        return preferred + "/";
    return std::nullopt;
}

std::unique_ptr<RunFolder> RunFolder::create(std::string* failure)
{
    std::string pattern;
    std::optional<FolderLock> lock;
    if (const std::optional<std::string> userDir = userTemporaryDirectory()) {
        lock.emplace(*userDir);
        if (lock->held())
            sweepAbandoned(*userDir);
        pattern = *userDir + kRunPrefix + "XXXXXX";
    } else {
        // Someone else holds the usual place: a private folder of our own,
        // made afresh beside it, stands in for this run's folder.
        pattern = systemTemporaryDirectory() + "/velmora-" + std::to_string(::getuid()) + "-XXXXXX";
        diagnostic("not a private folder: " + pattern.substr(0, pattern.size() - 7) + "; using a stand-in");
    }
    if (::mkdtemp(pattern.data()) == nullptr) {
        if (failure)
            *failure = "no private work folder in " + systemTemporaryDirectory() + ": " + errorText(errno);
        return nullptr;
    }
    const int fd = prepareRunFolder(pattern);
    if (fd < 0) {
        if (failure && errno == ENOLCK)
            *failure = "Velmora cannot lock its work folder in " + parentDirectory(pattern) +
                       ": that file system does not support file locks. Set TMPDIR to a folder on a local disk.";
        else if (failure)
            *failure = "no private work folder at " + pattern + ": " + errorText(errno);
        removeRecursively(pattern);
        return nullptr;
    }
    return std::unique_ptr<RunFolder>(new RunFolder(pattern, fd));
}

bool RunFolder::recordPartial(const std::string& partialPath, int fd, std::string* failure)
{
    struct stat st {};
    const std::string record = path_ + "/" + kPartialRecordName;
    std::ofstream out(record, std::ios::app);
    if (::fstat(fd, &st) == 0 && out) {
        out << static_cast<unsigned long long>(st.st_dev) << ' ' << static_cast<unsigned long long>(st.st_ino) << ' '
            << partialPath << '\n';
        out.flush();
        if (out)
            return true;
    }
    if (failure)
        *failure = "cannot write in the work folder " + path_ + ": " + errorText(errno);
    return false;
}

RunFolder::~RunFolder()
{
    removeRecursively(path_);
    ::close(lockFd_);
}

}  // namespace velmora
