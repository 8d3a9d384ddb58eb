#include "join/run/OutputFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "foundation/FileSystem.h"
#include "foundation/Paths.h"

namespace velmora {

std::string partialOutputPath(const std::string& outputPath)
{
    const std::string name = lastPathComponent(outputPath);
    const size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot != 0;
    const std::string partial = "." + (hasExtension ? name.substr(0, dot) : name) + ".velmora-partial" +
                                (hasExtension ? name.substr(dot) : std::string());
    return parentDirectory(outputPath) + "/" + partial;
}

namespace {

// Whether a join holds the file locked: it is that join's partial output.
bool isBeingWritten(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

}  // namespace

PartialOutput::PartialOutput(std::string outputPath)
    : outputPath_(std::move(outputPath)), partialPath_(partialOutputPath(outputPath_))
{
}

PartialOutput::~PartialOutput()
{
    if (!done_)
        discard();
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

bool PartialOutput::claim(std::string* failure)
{
    lockFd_ = ::open(partialPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (lockFd_ < 0) {
        const int error = errno;
        done_ = true;  // not ours to remove
        if (failure && error == EEXIST)
            *failure = isBeingWritten(partialPath_)
                           ? "Another join is writing " + outputPath_ + " now. Wait for it to end, or choose another name."
                           : "A file named " + lastPathComponent(partialPath_) + " is in the way in " +
                                 parentDirectory(partialPath_) +
                                 ": Velmora writes the joined file under that name until it is done. Move or "
                                 "rename that file, then join again.";
        else if (failure)
            *failure = "cannot write " + partialPath_ + ": " + errorText(error);
        return false;
    }
    // The lock tells a second join to this output that the file is taken. A
    // file system without locks (ENOLCK) still gets its file: O_EXCL has
    // made it ours alone.
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0 && errno != ENOLCK) {
        if (failure)
            *failure = "cannot lock " + partialPath_ + ": " + errorText(errno);
        discard();
        ::close(lockFd_);
        lockFd_ = -1;
        return false;
    }
    return true;
}

bool PartialOutput::commit(std::string* failure)
{
    if (::rename(partialPath_.c_str(), outputPath_.c_str()) != 0) {
        if (failure)
            *failure = "cannot put the joined file at " + outputPath_ + ": " + errorText(errno);
        discard();
        return false;
    }
    done_ = true;
    return true;
}

void PartialOutput::discard()
{
    if (!done_)
        ::unlink(partialPath_.c_str());
    done_ = true;
}

}  // namespace velmora
