#include "foundation/StandardStreams.h"

#include <fcntl.h>
#include <unistd.h>

namespace velmora {

void reopenClosedStandardStreams()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0)
            continue;
        // open() takes the lowest free number: this one, as the lower ones are open by now.
        const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

}  // namespace velmora
