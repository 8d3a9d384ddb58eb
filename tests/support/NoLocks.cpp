// Preloaded into velmora-cli by the tests: every flock() fails as it does on
// a file system without locks.
#include <cerrno>

extern "C" int flock(int, int)
{
    errno = ENOLCK;
    return -1;
}
