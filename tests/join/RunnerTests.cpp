// Running a plan: cancel, launch failures, stale output files, and no
// encoder process left behind.
#include <chrono>
#include <random>
#include <thread>

#include <QFile>
#include <gtest/gtest.h>

#include "JoinTestSupport.h"
#include "join/JoinControl.h"
#include "join/JoinJob.h"
#include "join/Preflight.h"
#include "join/ToolRunner.h"
#include "support/RecordingHost.h"

using namespace velmora;
using namespace std::chrono_literals;
using jointest::row;

namespace {

// A creator that logs "<pid> <output>" and, for the commands whose output
// matches `sleepOn`, reports some progress and then sleeps.
std::string loggingCreator(const std::string& name, const std::string& log, const std::string& sleepOn)
{
    return jointest::toolsWithCreator(name, "for last; do :; done\n"
                                            "echo \"$$ $last\" >> '" + log + "'\n"
                                            "case \"$last\" in\n"
                                            "  " + sleepOn + ") printf 'frame=1 time=00:00:00.50 x\\n' >&2; exec sleep 30;;\n"
                                            "esac\n"
                                            "exit 0");
}

std::vector<pid_t> loggedPids(const std::string& log)
{
    std::vector<pid_t> pids;
    for (const std::string& line : jointest::logLines(log))
        pids.push_back(std::stoi(line.substr(0, line.find(' '))));
    return pids;
}

std::vector<FileRow> rows(size_t count)
{
    std::vector<FileRow> list;
    for (size_t i = 0; i < count; ++i)
        list.push_back(row("/in/" + std::to_string(i) + ".wav", 1.0));
    return list;
}

bool isFailureAlert(const AlertSpec& alert)
{
    return alert.messageText == "Something went wrong!" && alert.informativeText == "Contact: support@velmora.app" &&
           alert.buttons.empty() && alert.style == AlertStyle::critical;
}

}  // namespace

TEST(Runner, CancelDuringTheSecondOfThreeCommands)
{
    const std::string log = testsupport::freshDir("cancel-second") + "/log";
    jointest::ToolsGuard tools(loggingCreator("cancel-second", log, "*temp1.mp4"));
    const std::string out = testsupport::freshDir("cancel-second-out") + "/joined.mp3";
    testsupport::RecordingHost host;
    JoinControl control;
    const auto began = std::chrono::steady_clock::now();
    startJoin(out, rows(2), control, host);
    ASSERT_TRUE(host.waitFor([&] { return jointest::logLines(log).size() >= 2 && !host.progress.empty(); }));
    EXPECT_EQ(host.progress.front(), (1.0 / 3.0) * 100.0 + (0.5 * 100.0) / 3.0);
    const pid_t second = loggedPids(log).at(1);
    EXPECT_TRUE(jointest::processAlive(second));
    control.cancel();
    ASSERT_TRUE(host.waitForSheetHidden());
    host.settle();
    EXPECT_LT(std::chrono::steady_clock::now() - began, 10s);
    EXPECT_FALSE(jointest::processAlive(second));
    EXPECT_EQ(jointest::logLines(log).size(), 2u);  // the concat never started
    EXPECT_TRUE(host.alerts.empty());
    ASSERT_EQ(host.sheets.size(), 2u);
    EXPECT_TRUE(host.sheets[0].shown);
    EXPECT_EQ(host.sheets[0].title, "Joining Audio...");
    EXPECT_FALSE(host.sheets[0].indeterminate);
    EXPECT_FALSE(host.sheets[1].shown);
    EXPECT_TRUE(control.isProcessCancelledByUser.load());
}

TEST(Runner, CancelAfterTheLastCommandShowsNoResult)
{
    const std::string log = testsupport::freshDir("cancel-late") + "/log";
    jointest::ToolsGuard tools(loggingCreator("cancel-late", log, "never"));
    testsupport::RecordingHost host;
    JoinControl control;
    runJoinJob(testsupport::freshDir("cancel-late-out") + "/joined.mp3", rows(2), control, host);
    EXPECT_EQ(jointest::logLines(log).size(), 3u);
    control.cancel();  // the end step is still waiting in the queue
    host.drain();
    EXPECT_EQ(host.hiddenCount(), 1);
    EXPECT_TRUE(host.alerts.empty());
}

TEST(Runner, CancelBeforeTheFirstCommandStartsNothing)
{
    const std::string log = testsupport::freshDir("cancel-early") + "/log";
    jointest::ToolsGuard tools(loggingCreator("cancel-early", log, "never"));
    testsupport::RecordingHost host;
    JoinControl control;
    control.cancel();
    runJoinJob(testsupport::freshDir("cancel-early-out") + "/joined.mp3", rows(2), control, host);
    host.drain();
    EXPECT_TRUE(jointest::logLines(log).empty());
    EXPECT_TRUE(host.alerts.empty());
}

TEST(Runner, EveryLaunchFailing)
{
    jointest::ToolsGuard tools(jointest::toolsWithCreator("no-creator", ""));
    testsupport::RecordingHost host;
    JoinControl control;
    const std::string out = testsupport::freshDir("no-creator-out") + "/joined.mp3";
    startJoin(out, rows(3), control, host);
    ASSERT_TRUE(host.waitForAlert());
    ASSERT_EQ(host.alerts.size(), 1u);
    EXPECT_TRUE(isFailureAlert(host.alerts[0]));
    EXPECT_EQ(host.hiddenCount(), 1);
    EXPECT_EQ(host.reviewRequests, 0);
    EXPECT_TRUE(host.desktopActions.empty());
    // The launch attempt is still recorded, and cancelling it is harmless.
    ASSERT_NE(control.currentProcess(), nullptr);
    EXPECT_FALSE(control.currentProcess()->started());
    control.cancel();
}

TEST(Runner, StaleOutputIsNotTakenForTheResult)
{
    // Normalisation works, the concat fails: the valid file that stood at
    // the output path must not be reported as the join's result.
    const std::string input = testsupport::sineWav(1.0);
    jointest::ToolsGuard tools(jointest::toolsWithCreator(
        "concat-fails", "case \"$*\" in *concat*) exit 1;; esac\nexec '" + testsupport::resourcesDir() + "/creator' \"$@\""));
    const std::string out = testsupport::freshDir("stale-out") + "/joined.m4a";
    ASSERT_TRUE(QFile::copy(QString::fromStdString(testsupport::sineM4a(1.0)), QString::fromStdString(out)));
    testsupport::RecordingHost host;
    JoinControl control;
    startJoin(out, {row(input, 1.0)}, control, host);
    ASSERT_TRUE(host.waitForAlert());
    EXPECT_TRUE(isFailureAlert(host.alerts.at(0)));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
}

TEST(Runner, StaleOutputStaysWhenCancelledBeforeTheConcat)
{
    const std::string log = testsupport::freshDir("stale-cancel") + "/log";
    jointest::ToolsGuard tools(loggingCreator("stale-cancel", log, "*temp0.mp4"));
    const std::string out = testsupport::freshDir("stale-cancel-out") + "/joined.m4a";
    testsupport::writeFile(out, "an older file");
    testsupport::RecordingHost host;
    JoinControl control;
    startJoin(out, rows(2), control, host);
    ASSERT_TRUE(host.waitFor([&] { return !jointest::logLines(log).empty(); }));
    control.cancel();
    ASSERT_TRUE(host.waitForSheetHidden());
    EXPECT_EQ(testsupport::readFile(out), "an older file");
    EXPECT_FALSE(jointest::processAlive(loggedPids(log).at(0)));
}

TEST(Runner, OutputFolderThatCannotBeWritten)
{
    jointest::ToolsGuard tools(testsupport::resourcesDir());
    const std::string notAFolder = testsupport::freshDir("unwritable") + "/plain-file";
    testsupport::writeFile(notAFolder, "x");
    const std::string out = notAFolder + "/joined.mp3";
    testsupport::RecordingHost host;
    JoinControl control;
    startJoin(out, {row(testsupport::sineWav(1.0), 1.0)}, control, host);
    ASSERT_TRUE(host.waitForAlert());
    EXPECT_TRUE(isFailureAlert(host.alerts.at(0)));
    EXPECT_EQ(testsupport::readFile(notAFolder), "x");
    EXPECT_TRUE(jointest::processesMentioning(jointest::testTemporaryDirectory()).empty());
}

TEST(Runner, CancelAtAnyMomentLeavesNoProcess)
{
    // Cancels land anywhere: before, between and during launches. Every
    // command sleeps, so a join that ignored a cancel would take seconds.
    const std::string dir = testsupport::freshDir("cancel-race");
    const std::string log = dir + "/log";
    jointest::ToolsGuard tools(jointest::toolsWithCreator(
        "cancel-race", "echo \"$$\" >> '" + log + "'\nexec sleep 20"));
    std::mt19937 random(7);
    for (int round = 0; round < 15; ++round) {
        testsupport::RecordingHost host;
        JoinControl control;
        const auto began = std::chrono::steady_clock::now();
        startJoin(dir + "/joined.mp3", rows(3), control, host);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
        control.cancel();
        ASSERT_TRUE(host.waitForSheetHidden(1, 15s));
        host.settle(20ms);
        EXPECT_TRUE(host.alerts.empty());
        EXPECT_LT(std::chrono::steady_clock::now() - began, 5s);
    }
    QThreadPool::globalInstance()->waitForDone();
    const auto pids = loggedPids(log);
    EXPECT_LE(pids.size(), 15u);  // at most one command per join ever starts
    for (pid_t pid : pids)
        EXPECT_FALSE(jointest::processAlive(pid)) << pid;
}
