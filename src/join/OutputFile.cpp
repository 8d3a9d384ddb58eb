#include "join/OutputFile.h"

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
    lockFd_ = ::open(partialPath_.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (lockFd_ < 0) {
        if (failure)
            *failure = "cannot write " + partialPath_ + ": " + errorText(errno);
        done_ = true;  // not ours to remove
        return false;
    }
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        if (failure)
            *failure = "another join is writing " + outputPath_;
        ::close(lockFd_);
        lockFd_ = -1;
        done_ = true;
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
