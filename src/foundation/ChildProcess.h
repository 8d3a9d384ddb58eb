#pragma once
// A thin layer over fork/exec for the two external tools. The child gets its
// own process group (a terminal's Ctrl-C reaches only us, and we decide what
// to stop), standard input from /dev/null, and dies with the thread that
// started it, so no tool outlives the program.
//
// terminate() may be called from any thread at any time: the process group
// is signalled only while its leader has not been reaped, so its pid can
// never have been handed to another process. A tool that is still there
// kKillDelay after being asked to stop is killed (SIGKILL).

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace velmora {

// How long a tool may take to stop after SIGTERM before it gets SIGKILL.
inline constexpr std::chrono::seconds kKillDelay{3};

class ChildProcess {
public:
    enum class Output { inherit, pipe, discard };

    ChildProcess(std::string program, std::vector<std::string> arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void setStandardOutput(Output mode) { stdoutMode_ = mode; }
    // A pipe the caller writes to (writeStandardInput) instead of /dev/null.
    void setStandardInputPipe(bool pipe) { stdinPipe_ = pipe; }
    void setStandardError(Output mode) { stderrMode_ = mode; }
    // A process still running this long after its start is terminated, and
    // timedOut() tells so afterwards. Set before start().
    void setTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }
    bool timedOut() const { return timedOut_.load(); }

    // Starts the process. On failure returns false with a description of the error.
    bool start(std::string* failure = nullptr);
    bool started() const { return pid_ > 0; }

    // Blocks on the pipe and hands over every chunk as it arrives, until the
    // child closes the stream. Nothing is buffered beyond one chunk.
    void readStandardOutput(const std::function<void(const char*, size_t)>& onChunk);
    void readStandardError(const std::function<void(const char*, size_t)>& onChunk);
    std::string readAllStandardOutput();
    // Reads both piped streams at once, each chunk to its function as it
    // arrives, until the child has closed both: a tool that fills one stream
    // never blocks on it while the other is read.
    void readOutputs(const std::function<void(const char*, size_t)>& onOutput,
                     const std::function<void(const char*, size_t)>& onError);

    // Writes all of the bytes to the child's standard input, blocking while
    // the pipe is full. False once the child has closed its end (it ended or
    // stopped reading); the program is never killed by SIGPIPE for that.
    bool writeStandardInput(const char* data, size_t size);
    // The child reads the end of its input.
    void closeStandardInput();

    // Blocks until the process has exited (no polling) and reaps it; returns the
    // raw wait status, or -1 when the process never started.
    int waitForExit();

    // Asks the process and anything it started to stop (SIGTERM to its
    // group), then kills them after kKillDelay. Harmless after it has ended.
    void terminate();

private:
    static void readFd(int& fd, const std::function<void(const char*, size_t)>& onChunk);
    // Caller holds reapMutex_.
    void signalGroup(int signal);
    void terminateLocked();
    void startWatcherLocked();
    // The watcher thread: ends the time limit and escalates to SIGKILL.
    void watch();

    std::string program_;
    std::vector<std::string> arguments_;
    Output stdoutMode_ = Output::inherit;
    Output stderrMode_ = Output::inherit;
    pid_t pid_ = -1;
    bool stdinPipe_ = false;
    int stdinFd_ = -1;
    int stdoutFd_ = -1;
    int stderrFd_ = -1;
    int status_ = -1;
    std::mutex reapMutex_;
    std::atomic<bool> reaped_{false};
    std::optional<std::chrono::milliseconds> timeLimit_;
    std::atomic<bool> timedOut_{false};
    // Guarded by reapMutex_: when the time limit ends, and when to kill.
    std::optional<std::chrono::steady_clock::time_point> deadline_;
    std::optional<std::chrono::steady_clock::time_point> killAt_;
    bool terminating_ = false;
    std::condition_variable watchCondition_;
    std::thread watcher_;
};

}  // namespace velmora
