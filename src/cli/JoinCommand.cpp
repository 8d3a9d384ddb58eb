#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "cli/CliHost.h"
#include "cli/CliIntake.h"
#include "cli/Commands.h"
#include "foundation/Diagnostics.h"
#include "foundation/Resources.h"
#include "join/Completion.h"
#include "join/JoinControl.h"
#include "join/JoinJob.h"
#include "join/JoinPlan.h"
#include "join/OutputRule.h"
#include "join/Preflight.h"

namespace velmora::cli {
namespace {

inline constexpr int kCancelledExit = 130;

// Ctrl-C and SIGTERM press Cancel. The signals are blocked in every thread
// and taken by one thread with sigwait, so the cancel runs as ordinary code;
// SIGUSR1 only ends that thread.
class CancelOnSignal {
public:
    explicit CancelOnSignal(JoinControl& control) : control_(control)
    {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGINT);
        sigaddset(&signals_, SIGTERM);
        sigaddset(&signals_, SIGUSR1);
        pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
        thread_ = std::thread([this] {
            for (;;) {
                int signal = 0;
                if (sigwait(&signals_, &signal) != 0 || signal == SIGUSR1)
                    return;
                interrupted_.store(true);
                control_.cancel();
            }
        });
    }
    ~CancelOnSignal()
    {
        pthread_kill(thread_.native_handle(), SIGUSR1);
        thread_.join();
        // A signal still pending (the user pressed Ctrl-C twice) must not
        // kill us once unblocked: the cancel has been handled already.
        struct timespec none {};
        while (sigtimedwait(&signals_, nullptr, &none) > 0) {
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    const std::atomic<bool>& interrupted() const { return interrupted_; }

private:
    JoinControl& control_;
    sigset_t signals_;
    sigset_t previous_;
    std::atomic<bool> interrupted_{false};
    std::thread thread_;
};

}  // namespace

int joinCommand(const std::vector<std::string>& arguments)
{
    const CommandLine line = parseCommandLine("join", arguments, {"--dry-run", "--verbose"}, {"--output", "--tools-dir"},
                                              {{"-o", "--output"}});
    if (const auto failed = applyCommonOptions(line))
        return *failed;
    const std::vector<std::string>& files = line.files;
    const std::string output = line.value("--output").value_or(std::string());
    const bool dryRun = line.has("--dry-run");
    const bool verbose = line.has("--verbose");
    setDiagnosticTarget(verbose ? DiagnosticTarget::standardError : DiagnosticTarget::discard);

    JoinControl control;
    CancelOnSignal cancelOnSignal(control);

    const std::vector<FileRow> rows = intakeFiles(files, &cancelOnSignal.interrupted());
    if (cancelOnSignal.interrupted().load())
        return kCancelledExit;
    if (rows.empty()) {
        std::fputs("Nothing to join\n", stderr);
        return 1;
    }
    const std::string extension = outputExtension(rows);
    diagnostic(extension);
    if (extension != ".mp3" && extension != ".mp4") {
        const AlertSpec alert = mixedListAlert();
        std::fprintf(stderr, "%s\n%s\n", alert.messageText.c_str(), alert.informativeText.c_str());
        return 1;
    }
    const std::string outputPath = absolutePath(output.empty() ? "joined" + extension : output);

    if (dryRun) {
        const JoinPlan plan = buildJoinPlan(rows, outputPath);
        const nlohmann::json listing{{"commands", plan.commands}, {"durations", plan.durations}};
        std::printf("%s\n", jsonText(listing).c_str());
        return 0;
    }

    CliHost host(::isatty(STDERR_FILENO) != 0);
    std::thread worker([&] {
        runJoinJob(outputPath, rows, control, host);
        host.postToMain([&host] { host.quit(); });
    });
    host.runUntilQuit();
    worker.join();

    if (control.isProcessCancelledByUser.load())
        return kCancelledExit;
    return host.succeeded().value_or(false) ? 0 : 1;
}

}  // namespace velmora::cli
