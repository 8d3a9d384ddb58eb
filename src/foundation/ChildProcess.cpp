#include "foundation/ChildProcess.h"

#include <poll.h>
#include <pthread.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velmora {
namespace {

void closeFd(int& fd)
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// Pipe ends never sit on 0, 1 or 2 (possible when the program was started
// with those closed): the child places them there itself, and a pipe end
// already on its target would be closed at exec, or overwritten by another.
bool liftAboveStandardStreams(int& fd)
{
    if (fd > STDERR_FILENO)
        return true;
    const int lifted = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (lifted < 0)
        return false;
    ::close(fd);
    fd = lifted;
    return true;
}

bool makePipe(int fds[2])
{
    return ::pipe2(fds, O_CLOEXEC) == 0 && liftAboveStandardStreams(fds[0]) && liftAboveStandardStreams(fds[1]);
}

// In the child (async-signal-safe): puts `source` on `target`; no source
// leaves the target as it is.
void placeStream(int source, int target)
{
    if (source >= 0)
        ::dup2(source, target);
}

}  // namespace

ChildProcess::ChildProcess(std::string program, std::vector<std::string> arguments)
    : program_(std::move(program)), arguments_(std::move(arguments))
{
}

ChildProcess::~ChildProcess()
{
    closeFd(stdinFd_);
    closeFd(stdoutFd_);
    closeFd(stderrFd_);
    if (started() && !reaped_.load()) {
        terminate();
        waitForExit();
    }
    if (watcher_.joinable())
        watcher_.join();  // it ends once the process is reaped
}

bool ChildProcess::start(std::string* failure)
{
    int inPipe[2] = {-1, -1};
    int outPipe[2] = {-1, -1};
    int errPipe[2] = {-1, -1};
    int execPipe[2] = {-1, -1};  // reports a failed exec back to us
    auto fail = [&](int error) {
        for (int* fd : {&inPipe[0], &inPipe[1], &outPipe[0], &outPipe[1], &errPipe[0], &errPipe[1], &execPipe[0],
                        &execPipe[1]})
            closeFd(*fd);
        if (failure)
            *failure = "The operation couldn't be completed. (" + program_ + ": " + std::strerror(error) + ")";
        return false;
    };
    if ((stdinPipe_ && !makePipe(inPipe)) || (stdoutMode_ == Output::pipe && !makePipe(outPipe)) || (stderrMode_ == Output::pipe && !makePipe(errPipe)) ||
        !makePipe(execPipe))
        return fail(errno);

    // Everything the child needs is prepared before fork: after it, only
    // async-signal-safe calls are allowed.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program_.c_str()));
    for (std::string& argument : arguments_)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid < 0)
        return fail(errno);
    if (pid == 0) {
        ::setpgid(0, 0);
        // SIGKILL: a tool that ignores SIGTERM must not outlive us either.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
        int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (devNull >= 0 && devNull <= STDERR_FILENO) {
            // Not on a standard stream: that one would look open below.
            const int low = devNull;
            devNull = ::fcntl(low, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
            ::close(low);
        }
        // A stream we were started without is /dev/null for the tool too:
        // left closed, the tool's first file would take its place.
        auto inheritedOrNull = [devNull](int target) {
            return ::fcntl(target, F_GETFD) < 0 ? devNull : -1;
        };
        placeStream(stdinPipe_ ? inPipe[0] : devNull, STDIN_FILENO);
        placeStream(stdoutMode_ == Output::pipe      ? outPipe[1]
                    : stdoutMode_ == Output::discard ? devNull
                                                     : inheritedOrNull(STDOUT_FILENO),
                    STDOUT_FILENO);
        placeStream(stderrMode_ == Output::pipe      ? errPipe[1]
                    : stderrMode_ == Output::discard ? devNull
                                                     : inheritedOrNull(STDERR_FILENO),
                    STDERR_FILENO);
        ::execv(program_.c_str(), argv.data());
        const int error = errno;
        [[maybe_unused]] auto written = ::write(execPipe[1], &error, sizeof error);
        ::_exit(127);
    }

    closeFd(inPipe[0]);
    closeFd(outPipe[1]);
    closeFd(errPipe[1]);
    closeFd(execPipe[1]);
    int execError = 0;
    ssize_t got;
    do {
        got = ::read(execPipe[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    closeFd(execPipe[0]);
    pid_ = pid;
    if (got == static_cast<ssize_t>(sizeof execError)) {
        waitForExit();
        closeFd(inPipe[1]);
        closeFd(outPipe[0]);
        closeFd(errPipe[0]);
        pid_ = -1;
        return fail(execError);
    }
    stdinFd_ = inPipe[1];
    stdoutFd_ = outPipe[0];
    stderrFd_ = errPipe[0];
    if (timeLimit_) {
        std::lock_guard lock(reapMutex_);
        deadline_ = std::chrono::steady_clock::now() + *timeLimit_;
        startWatcherLocked();
    }
    return true;
}

void ChildProcess::readFd(int& fd, const std::function<void(const char*, size_t)>& onChunk)
{
    if (fd < 0)
        return;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            onChunk(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        break;
    }
    closeFd(fd);
}

void ChildProcess::readStandardOutput(const std::function<void(const char*, size_t)>& onChunk)
{
    readFd(stdoutFd_, onChunk);
}

void ChildProcess::readStandardError(const std::function<void(const char*, size_t)>& onChunk)
{
    readFd(stderrFd_, onChunk);
}

void ChildProcess::readOutputs(const std::function<void(const char*, size_t)>& onOutput,
                               const std::function<void(const char*, size_t)>& onError)
{
    char buffer[65536];
    while (stdoutFd_ >= 0 || stderrFd_ >= 0) {
        pollfd fds[2] = {{stdoutFd_, POLLIN, 0}, {stderrFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int k = 0; k < 2; ++k) {
            int& fd = k == 0 ? stdoutFd_ : stderrFd_;
            if (fd < 0 || fds[k].revents == 0)
                continue;
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0) {
                const auto& handler = k == 0 ? onOutput : onError;
                if (handler)
                    handler(buffer, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                closeFd(fd);
            }
        }
    }
    closeFd(stdoutFd_);
    closeFd(stderrFd_);
}

bool ChildProcess::writeStandardInput(const char* data, size_t size)
{
    if (stdinFd_ < 0)
        return false;
    // SIGPIPE is held back on this thread while it writes; one raised by a
    // closed pipe is taken off again, and the write reports EPIPE instead.
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    bool written = true;
    while (size > 0) {
        const ssize_t put = ::write(stdinFd_, data, size);
        if (put > 0) {
            data += put;
            size -= static_cast<size_t>(put);
        } else if (put < 0 && errno == EINTR) {
            continue;
        } else {
            if (errno == EPIPE) {
                const timespec none{};
                ::sigtimedwait(&pipeSignal, nullptr, &none);
            }
            written = false;
            break;
        }
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return written;
}

void ChildProcess::closeStandardInput()
{
    closeFd(stdinFd_);
}

std::string ChildProcess::readAllStandardOutput()
{
    std::string all;
    readStandardOutput([&](const char* data, size_t size) { all.append(data, size); });
    return all;
}

int ChildProcess::waitForExit()
{
    if (pid_ <= 0)
        return -1;
    if (reaped_.load())
        return status_;
    // Wait for the exit without reaping, so terminate() can still signal safely.
    siginfo_t info;
    while (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    std::lock_guard lock(reapMutex_);
    if (!reaped_.load()) {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        status_ = status;
        reaped_.store(true);
        watchCondition_.notify_all();
    }
    return status_;
}

void ChildProcess::terminate()
{
    std::lock_guard lock(reapMutex_);
    terminateLocked();
}

void ChildProcess::signalGroup(int signal)
{
    if (pid_ <= 0 || reaped_.load())
        return;
    // The group reaches what the tool started itself (a shell's children);
    // the pid alone, should the group be gone.
    if (::kill(-pid_, signal) != 0)
        ::kill(pid_, signal);
}

void ChildProcess::terminateLocked()
{
    if (pid_ <= 0 || reaped_.load())
        return;
    signalGroup(SIGTERM);
    if (!terminating_) {
        terminating_ = true;
        killAt_ = std::chrono::steady_clock::now() + kKillDelay;
        startWatcherLocked();
        watchCondition_.notify_all();
    }
}

void ChildProcess::startWatcherLocked()
{
    if (!watcher_.joinable())
        watcher_ = std::thread([this] { watch(); });
}

void ChildProcess::watch()
{
    std::unique_lock lock(reapMutex_);
    while (!reaped_.load()) {
        std::optional<std::chrono::steady_clock::time_point> next = deadline_;
        if (killAt_ && (!next || *killAt_ < *next))
            next = killAt_;
        if (!next) {
            watchCondition_.wait(lock);
            continue;
        }
        watchCondition_.wait_until(lock, *next);
        if (reaped_.load())
            break;
        const auto now = std::chrono::steady_clock::now();
        if (killAt_ && now >= *killAt_) {
            signalGroup(SIGKILL);
            killAt_.reset();
        }
        if (deadline_ && now >= *deadline_) {
            deadline_.reset();
            timedOut_.store(true);
            terminateLocked();
        }
    }
}

}  // namespace velmora
