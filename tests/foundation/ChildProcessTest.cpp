// The child-process layer: start failures, output, terminate, reaping, and
// standard streams that the program itself was started without, tools that
// will not stop, and time limits.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "foundation/ChildProcess.h"
#include "foundation/StandardStreams.h"
#include "support/TestSupport.h"

using namespace velmora;

namespace {

bool running(pid_t pid)
{
    const std::string stat = testsupport::readFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}

bool waitUntilGone(pid_t pid, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (running(pid)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Runs `body` in a forked copy of this test program and returns what it
// wrote to the given descriptor (which the body may not close).
std::string inForkedProcess(const std::function<void(int report)>& body)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        body(fds[1]);
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return text;
}

void send(int fd, const std::string& text)
{
    [[maybe_unused]] auto written = ::write(fd, text.data(), text.size());
}

}  // namespace

TEST(ChildProcess, StartFailuresSayWhy)
{
    const std::string dir = testsupport::freshDir("child-start");
    testsupport::writeFile(dir + "/not-executable", "#!/bin/sh\n");
    const std::pair<std::string, std::string> cases[] = {{dir + "/missing", "No such file or directory"},
                                                         {dir + "/not-executable", "Permission denied"},
                                                         {"", "No such file or directory"}};
    for (const auto& [program, reason] : cases) {
        ChildProcess process(program, {});
        std::string failure;
        EXPECT_FALSE(process.start(&failure));
        EXPECT_EQ(failure, "The operation couldn't be completed. (" + program + ": " + reason + ")");
        EXPECT_FALSE(process.started());
        EXPECT_EQ(process.waitForExit(), -1);
    }
}

TEST(ChildProcess, OutputExitStatusAndTerminate)
{
    ChildProcess echo("/bin/sh", {"-c", "printf 'a b'; printf err >&2; exit 3"});
    echo.setStandardOutput(ChildProcess::Output::pipe);
    echo.setStandardError(ChildProcess::Output::discard);
    ASSERT_TRUE(echo.start());
    EXPECT_EQ(echo.readAllStandardOutput(), "a b");
    const int status = echo.waitForExit();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 3);
    // Once reaped, the pid may belong to someone else: terminate leaves it alone.
    echo.terminate();
    EXPECT_EQ(echo.waitForExit(), status);

    ChildProcess sleeper("/bin/sleep", {"30"});
    ASSERT_TRUE(sleeper.start());
    std::thread stopper([&] { sleeper.terminate(); });
    const int stopped = sleeper.waitForExit();
    stopper.join();
    EXPECT_TRUE(WIFSIGNALED(stopped) && WTERMSIG(stopped) == SIGTERM);
}

TEST(ChildProcess, ToolsDieWithTheProgramThatStartedThem)
{
    const std::string pidText = inForkedProcess([](int report) {
        // The tool says who it is, then sleeps.
        ChildProcess sleeper("/bin/sh", {"-c", "echo $$; exec sleep 30 >/dev/null"});
        sleeper.setStandardOutput(ChildProcess::Output::pipe);
        if (sleeper.start())
            send(report, sleeper.readAllStandardOutput());
        ::_exit(0);  // gone without stopping or waiting for its tool
    });
    ASSERT_FALSE(pidText.empty());
    EXPECT_TRUE(waitUntilGone(std::stoi(pidText), std::chrono::seconds(5)));
}

TEST(ChildProcess, ProgramStartedWithoutStandardStreams)
{
    const std::string dir = testsupport::freshDir("child-closed-stdio");
    const std::string report = inForkedProcess([&](int report) {
        ::close(STDIN_FILENO);
        ::close(STDOUT_FILENO);
        ::close(STDERR_FILENO);
        // The pipes now take the lowest free descriptors, the very ones the
        // child must put them on.
        ChildProcess both("/bin/sh", {"-c", "echo out; echo err >&2"});
        both.setStandardOutput(ChildProcess::Output::pipe);
        both.setStandardError(ChildProcess::Output::pipe);
        if (!both.start())
            return send(report, "no start");
        std::string err;
        std::thread reader([&] { both.readStandardError([&](const char* d, size_t n) { err.append(d, n); }); });
        const std::string out = both.readAllStandardOutput();
        reader.join();
        both.waitForExit();
        send(report, out + err);
        // A stream the program does not have is /dev/null for the tool, so
        // the first file the tool opens cannot take its place and get output
        // meant for the stream. The tool reports on a descriptor it inherits.
        const int links = ::open((dir + "/links").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(links, 7);
        ChildProcess inherits("/bin/sh", {"-c", "readlink /proc/$$/fd/1 /proc/$$/fd/2 | cat >&7"});
        if (inherits.start())
            inherits.waitForExit();
    });
    EXPECT_EQ(report, "out\nerr\n");
    EXPECT_EQ(testsupport::readFile(dir + "/links"), "/dev/null\n/dev/null\n");
}

TEST(ChildProcess, StopsToolsThatIgnoreSigtermOrOverrunTheirTimeLimit)
{
    // Each tool starts a child of its own and writes the child's pid: the
    // whole process group is stopped, not only the tool.
    const std::string dir = testsupport::freshDir("child-stop");
    using namespace std::chrono_literals;
    struct Case {
        std::string script;
        std::chrono::milliseconds limit;  // 0: none, terminate() is called instead
        int signal;
        bool timedOut;
        std::chrono::milliseconds atLeast, below;
    };
    const Case cases[] = {
        {"trap '' TERM; sleep 30 & echo $! > \"$0\"; wait", 0ms, SIGKILL, false, kKillDelay, kKillDelay + 2s},
        {"sleep 30 & echo $! > \"$0\"; wait", 300ms, SIGTERM, true, 300ms, 2s},
        {"trap '' TERM; sleep 30 & echo $! > \"$0\"; wait", 300ms, SIGKILL, true, kKillDelay + 300ms, kKillDelay + 2s},
        {"echo $$ > \"$0\"", 5000ms, 0, false, 0ms, 2s}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const std::string pidFile = dir + "/pid";
        ::unlink(pidFile.c_str());
        ChildProcess tool("/bin/sh", {"-c", c.script, pidFile});
        if (c.limit.count() > 0)
            tool.setTimeLimit(c.limit);
        const auto started = std::chrono::steady_clock::now();
        ASSERT_TRUE(tool.start());
        while (testsupport::readFile(pidFile).empty())
            std::this_thread::sleep_for(10ms);
        if (c.limit.count() == 0)
            tool.terminate();
        const int status = tool.waitForExit();
        const auto took = std::chrono::steady_clock::now() - started;
        EXPECT_EQ(WIFSIGNALED(status) ? WTERMSIG(status) : 0, c.signal);
        EXPECT_EQ(tool.timedOut(), c.timedOut);
        EXPECT_TRUE(took >= c.atLeast && took < c.below) << std::chrono::duration<double>(took).count();
        EXPECT_TRUE(waitUntilGone(std::stoi(testsupport::readFile(pidFile)), 2s));
    }
}

TEST(ChildProcess, ClosedStandardStreamsAreReopenedOnDevNull)
{
    const std::string report = inForkedProcess([](int report) {
        ::close(STDIN_FILENO);
        ::close(STDERR_FILENO);
        velmora::reopenClosedStandardStreams();
        // The next file opened no longer lands on a standard stream.
        const int next = ::open("/dev/zero", O_RDONLY);
        std::string links;
        for (int fd = 0; fd <= 2; ++fd) {
            char target[64] = {};
            links += (::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target - 1) > 0
                          ? std::string(target)
                          : "closed") + " ";
        }
        send(report, links + std::to_string(next > STDERR_FILENO));
    });
    EXPECT_TRUE(report.rfind("/dev/null ", 0) == 0 && report.ends_with(" /dev/null 1")) << report;
}
