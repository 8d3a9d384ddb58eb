#pragma once
// Helpers shared by the join tests: a private temporary folder and settings
// folder for the whole test program, diagnostic capture, tool folders with a
// scripted encoder, and process checks.

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include <QDir>
#include <QThreadPool>

#include "foundation/Diagnostics.h"
#include "foundation/Resources.h"
#include "join/FileRow.h"
#include "support/TestSupport.h"

namespace jointest {

// Joins write their work folder under the temporary folder and read the
// settings store: both point into this program's scratch folder, so test
// programs running side by side never share them.
inline const bool kEnvironmentReady = [] {
    const std::string tmp = testsupport::scratchDir() + "/tmp";
    const std::string config = testsupport::scratchDir() + "/config";
    QDir().mkpath(QString::fromStdString(tmp));
    QDir().mkpath(QString::fromStdString(config));
    ::setenv("TMPDIR", tmp.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    velmora::setDiagnosticTarget(velmora::DiagnosticTarget::discard);
    return true;
}();

inline std::string testTemporaryDirectory()
{
    return testsupport::scratchDir() + "/tmp";
}

class DiagnosticRecorder {
public:
    DiagnosticRecorder()
    {
        velmora::setDiagnosticCapture([this](const std::string& line) {
            std::lock_guard lock(mutex_);
            lines_.push_back(line);
        });
    }
    ~DiagnosticRecorder() { velmora::setDiagnosticCapture(nullptr); }
    std::vector<std::string> lines() const
    {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    bool contains(const std::string& line) const
    {
        for (const auto& l : lines())
            if (l == line)
                return true;
        return false;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

// A tools folder with the real probe as "sniffer" and, when a body is given,
// a shell script as "creator".
inline std::string toolsWithCreator(const std::string& name, const std::string& creatorBody)
{
    std::string dir;
    if (creatorBody.empty()) {
        dir = testsupport::freshDir("tools-" + name);
    } else {
        dir = testsupport::fakeToolsWithScript(name, "creator", creatorBody);
    }
    ::symlink((testsupport::resourcesDir() + "/sniffer").c_str(), (dir + "/sniffer").c_str());
    return dir;
}

inline bool processAlive(pid_t pid)
{
    if (pid <= 0)
        return false;
    if (::kill(pid, 0) != 0)
        return errno != ESRCH;
    // A zombie has ended; it only waits to be reaped.
    const std::string status = testsupport::readFile("/proc/" + std::to_string(pid) + "/stat");
    const auto close = status.rfind(')');
    return close == std::string::npos || close + 2 >= status.size() || status[close + 2] != 'Z';
}

// Processes whose command line mentions the text (this program excluded).
inline std::vector<pid_t> processesMentioning(const std::string& text)
{
    std::vector<pid_t> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool ok = false;
        const pid_t pid = entry.toInt(&ok);
        if (!ok || pid == ::getpid())
            continue;
        const std::string cmdline = testsupport::readFile("/proc/" + entry.toStdString() + "/cmdline");
        if (cmdline.find(text) != std::string::npos && processAlive(pid))
            found.push_back(pid);
    }
    return found;
}

// The lines a scripted creator appended to its log.
inline std::vector<std::string> logLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::istringstream in(testsupport::readFile(path));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

inline velmora::FileRow row(const std::string& path, double duration, const std::string& mediaType = "Audio",
                            bool isProRes = false)
{
    velmora::FileRow r;
    r.fileURL = velmora::fileUrlText(path);
    r.filePath = path;
    r.fileName = QDir(QString::fromStdString(path)).dirName().toStdString();
    r.duration = duration;
    r.mediaType = mediaType;
    r.isProRes = isProRes;
    return r;
}

// Puts the tools folder back and lets started joins end after each test.
class ToolsGuard {
public:
    explicit ToolsGuard(const std::string& dir) { velmora::setToolsDirectory(dir); }
    ~ToolsGuard()
    {
        QThreadPool::globalInstance()->waitForDone();
        velmora::setToolsDirectory(testsupport::resourcesDir());
    }
};

}  // namespace jointest
