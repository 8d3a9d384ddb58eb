#pragma once
// A thin layer over fork/exec for the two external tools. The child gets its
// own process group (a terminal's Ctrl-C reaches only us, and we decide what
// to stop), standard input from /dev/null, and dies with the thread that
// started it, so no tool outlives the program.
//
// terminate() may be called from any thread at any time: the process is
// signalled only while it has not been reaped, so its pid can never have been
// handed to another process.

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace velmora {

class ChildProcess {
public:
    enum class Output { inherit, pipe, discard };

    ChildProcess(std::string program, std::vector<std::string> arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void setStandardOutput(Output mode) { stdoutMode_ = mode; }
    void setStandardError(Output mode) { stderrMode_ = mode; }

    // Starts the process. On failure returns false with a description of the error.
    bool start(std::string* failure = nullptr);
    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // Blocks on the pipe and hands over every chunk as it arrives, until the
    // child closes the stream. Nothing is buffered beyond one chunk.
    void readStandardOutput(const std::function<void(const char*, size_t)>& onChunk);
    void readStandardError(const std::function<void(const char*, size_t)>& onChunk);
    std::string readAllStandardOutput();

    // Blocks until the process has exited (no polling) and reaps it; returns the
    // raw wait status, or -1 when the process never started.
    int waitForExit();
    bool hasExited() const { return reaped_.load(); }

    // Asks the process to stop (SIGTERM). Harmless after it has ended.
    void terminate();

private:
    static void readFd(int& fd, const std::function<void(const char*, size_t)>& onChunk);

    std::string program_;
    std::vector<std::string> arguments_;
    Output stdoutMode_ = Output::inherit;
    Output stderrMode_ = Output::inherit;
    pid_t pid_ = -1;
    int stdoutFd_ = -1;
    int stderrFd_ = -1;
    int status_ = -1;
    std::mutex reapMutex_;
    std::atomic<bool> reaped_{false};
};

}  // namespace velmora
