#pragma once
// Helpers shared by the join tests: private temporary and settings folders,
// diagnostic capture, a scripted encoder, process checks and a fixture.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <sstream>
#include <thread>
#include <tuple>

#include <QDir>
#include <QThreadPool>
#include <gtest/gtest.h>

#include "foundation/Diagnostics.h"
#include "foundation/Resources.h"
#include "foundation/Paths.h"
#include "join/intake/Intake.h"
#include "join/outcome/Messages.h"
#include "join/run/JoinJob.h"
#include "support/RecordingHost.h"
#include "support/TestSupport.h"

namespace jointest {

using namespace velmora;
using namespace testsupport;

inline std::string tmpDir() { return scratchDir() + "/tmp"; }

// Joins write their work folder under the temporary folder and read the
// settings store: both point into this program's scratch folder.
inline const bool kEnvironmentReady = [] {
    QDir().mkpath(QString::fromStdString(tmpDir()));
    ::setenv("TMPDIR", tmpDir().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (scratchDir() + "/config").c_str(), 1);
    setDiagnosticTarget(DiagnosticTarget::discard);
    return true;
}();

// A tools folder with the real probe as "sniffer" and, when a body is given,
// a shell script as "creator".
inline std::string creatorTools(const std::string& name, const std::string& body)
{
    const std::string dir = body.empty() ? freshDir("tools-" + name) : fakeToolsWithScript(name, "creator", body);
    ::symlink((resourcesDir() + "/sniffer").c_str(), (dir + "/sniffer").c_str());
    return dir;
}

// A creator that appends "<pid> <output>" to `log` and, for outputs matching
// the shell pattern `sleepOn`, reports half a second of progress and sleeps.
inline std::string scriptedCreator(const std::string& name, const std::string& log, const std::string& sleepOn = "-")
{
    return creatorTools(name, "for last; do :; done\necho \"$$ $last\" >> '" + log + "'\ncase \"$last\" in " +
                                  sleepOn + ") printf 'frame=1 time=00:00:00.50 x\\n' >&2; exec sleep 30;; esac");
}

// Polls until the predicate holds or the time is up.
inline bool pollUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

inline std::vector<std::string> logLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::istringstream in(readFile(path));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Whether the process whose pid starts the line is running (a zombie has ended).
inline bool processAlive(const std::string& pidLine)
{
    const std::string stat = readFile("/proc/" + std::to_string(std::stoi(pidLine)) + "/stat");
    return stat.rfind(')') != std::string::npos && stat.rfind(')') + 2 < stat.size() && stat[stat.rfind(')') + 2] != 'Z';
}

// Whether a process still works on files in this program's scratch folder.
inline bool encoderLeft() { return runCommand("pgrep", {"-f", scratchDir()}).exitCode == 0; }

inline FileRow row(const std::string& path, double duration, MediaKind kind = MediaKind::audio, bool proRes = false)
{
    FileRow made{fileUrlText(path), path, path.substr(path.rfind('/') + 1), "", duration, "", kind, "", proRes, "", {}, {}, {}, {}};
    return made;
}

// A row of an audio file as the intake describes it: "<codec>/<sample format>/<bits>"
// at `rate` Hz with `channels`, in the container `format`.
inline FileRow audioRow(const std::string& path, double duration, const std::string& codecFormatBits, int rate,
                        int channels, const std::string& format, double streamDuration = 0.0,
                        const std::string& kinds = "audio")
{
    FileRow made = row(path, duration);
    const size_t slash = codecFormatBits.find('/'), second = codecFormatBits.rfind('/');
    const std::string codec = codecFormatBits.substr(0, slash);
    const int bits = std::stoi(codecFormatBits.substr(second + 1));
    made.audio = {codec, rate, channels, channels == 1 ? "mono" : channels == 2 ? "stereo" : "",
                  codecFormatBits.substr(slash + 1, second - slash - 1), bits,
                  bits > 0, streamDuration > 0.0 ? streamDuration : duration, ""};
    made.formatName = format;
    made.streamKinds = kinds;
    return made;
}

// Runs the CLI in the given folder.
inline CommandResult cliIn(const std::string& dir, const std::vector<std::string>& arguments)
{
    std::vector<std::string> args{"-c", "cd \"$0\" && exec \"$@\"", dir, cliPath()};
    args.insert(args.end(), arguments.begin(), arguments.end());
    return runCommand("/bin/sh", args);
}

// The intake's verdict and row for one file, as the window and the command line get it.
inline IntakeResult analyzed(const std::string& path)
{
    Cancellation none;
    IntakeResult result;
    runIntake({path}, none, [&](size_t, IntakeResult made) { result = std::move(made); });
    return result;
}

// Where each chapter of a file starts, in seconds, as ffprobe reads them.
inline std::vector<double> chapterStarts(const std::string& path)
{
    std::vector<double> starts;
    std::istringstream lines(
        runCommand("ffprobe", {"-v", "error", "-show_entries", "chapter=start_time", "-of", "csv=p=0", path}).out);
    for (std::string line; std::getline(lines, line);)
        starts.push_back(std::stod(line));
    return starts;
}

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

using MessageFields = std::tuple<std::string, std::string, std::vector<std::string>, MessageStyle>;
inline MessageFields fields(const MessageRequest& m) { return {m.messageText, m.informativeText, m.buttons, m.style}; }
inline const MessageFields kFailure{"Something went wrong!", "Contact: support@velmora.app", {}, MessageStyle::critical};

// A recording host, a pool for the joins, and a tools folder that is put
// back (after every started join has ended) when the test is over.
class JoinTest : public testing::Test {
protected:
    void TearDown() override
    {
        pool.waitForDone();
        setToolsDirectory(resourcesDir());
    }
    // Uses a scripted creator (see above) and returns its log.
    std::string useScriptedCreator(const std::string& name, const std::string& sleepOn = "-")
    {
        const std::string log = freshDir(name) + "/log";
        setToolsDirectory(scriptedCreator(name, log, sleepOn));
        return log;
    }
    // Starts a join of the rows into `out` on the pool, watched by `watcher`
    // (else the fixture's host); returns at once.
    std::shared_ptr<JoinJob> startJob(const std::string& out, std::vector<FileRow> rows, JoinOptions options = {},
                                      RecordingHost* watcher = nullptr)
    {
        auto job = std::make_shared<JoinJob>(JoinRequest{out, std::move(rows), std::move(options)},
                                             watcher ? *watcher : host);
        pool.start([job] { job->run(); });
        return job;
    }
    RecordingHost host;
    QThreadPool pool;
};

}  // namespace jointest
