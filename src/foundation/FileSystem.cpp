#include "foundation/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include <QRandomGenerator>

#include "foundation/Paths.h"

namespace velmora {
namespace {

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(wrote));
    }
    return true;
}

// Removes `name` inside the folder `parent` (a descriptor, or AT_FDCWD).
bool removeAt(int parent, const char* name)
{
    if (::unlinkat(parent, name, 0) == 0 || errno == ENOENT)
        return true;
    if (errno != EISDIR && errno != EPERM)
        return false;
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    // Names first, removal after: a folder is not changed while it is read.
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    bool removed = true;
    for (const std::string& entry : names)
        removed = removeAt(::dirfd(dir), entry.c_str()) && removed;
    ::closedir(dir);
    return (::unlinkat(parent, name, AT_REMOVEDIR) == 0 || errno == ENOENT) && removed;
}

}  // namespace

std::string currentDirectory()
{
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return ".";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

namespace {

// mkostemp's work, but the file gets 0666 less the umask, as open() gives
// any new file. `pattern` ends in "XXXXXX", replaced by the name made.
int createTemporaryLikeNewFiles(std::string& pattern)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const size_t tail = pattern.size() - 6;
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (size_t i = tail; i < pattern.size(); ++i)
            pattern[i] = kLetters[QRandomGenerator::global()->bounded(static_cast<int>(sizeof kLetters - 1))];
        const int fd = ::open(pattern.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* failure, FileSharing sharing)
{
    std::string temporary = parentDirectory(path) + "/." + lastPathComponent(path) + ".XXXXXX";
    const int fd = sharing == FileSharing::ownerOnly ? ::mkostemp(temporary.data(), O_CLOEXEC)
                                                     : createTemporaryLikeNewFiles(temporary);
    bool written = fd >= 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    int error = errno;
    if (fd >= 0 && ::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && ::rename(temporary.c_str(), path.c_str()) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        if (fd >= 0)
            ::unlink(temporary.c_str());
        if (failure)
            *failure = errorText(error);
    }
    return written;
}

bool removeRecursively(const std::string& path)
{
    return removeAt(AT_FDCWD, path.c_str());
}

bool isOwnDirectory(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

std::string errorText(int error)
{
    return std::strerror(error);
}

}  // namespace velmora
