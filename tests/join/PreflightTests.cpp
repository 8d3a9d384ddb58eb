// The Join button's pre-flight and the result alerts, through a recording host.
#include <QFile>
#include <gtest/gtest.h>

#include "JoinTestSupport.h"
#include "foundation/Settings.h"
#include "join/Completion.h"
#include "join/JoinControl.h"
#include "join/Preflight.h"
#include "support/RecordingHost.h"

using namespace velmora;
using jointest::row;

namespace {

// A creator that only logs its output argument, so a started join is seen
// without encoding anything.
std::string silentCreator(const std::string& name, const std::string& log)
{
    return jointest::toolsWithCreator(name, "for last; do :; done\necho \"$last\" >> '" + log + "'");
}

void setLaunchCount(std::optional<long long> count)
{
    auto defaults = userDefaults();
    if (count)
        defaults->setValue(QStringLiteral("launchCount"), *count);
    else
        defaults->remove(QStringLiteral("launchCount"));
    defaults->sync();
}

}  // namespace

TEST(Preflight, ProposedNameAndDialog)
{
    struct Case {
        std::vector<FileRow> rows;
        std::string name;
    };
    const std::vector<Case> cases{
        {{row("/a.wav", 1), row("/b.wav", 1), row("/c.wav", 1)}, "joined.mp3"},
        {{row("/a.mp4", 1, "Audio & Video"), row("/b.mp4", 1, "Audio & Video")}, "joined.mp4"},
        {{row("/a.mp4", 1, "Video"), row("/b.mp4", 1, "Audio & Video")}, "joined.ext"},
        {{}, "joined.mp4"},
    };
    for (const Case& c : cases) {
        testsupport::RecordingHost host;
        host.desktop = "/home/someone/Desktop";
        JoinControl control;
        jointest::DiagnosticRecorder diagnostics;
        runJoinPreflight([&] { return c.rows; }, host, control);  // no answer: the dialog is cancelled
        ASSERT_EQ(host.savePanels.size(), 1u);
        const SavePanelSpec& panel = host.savePanels[0];
        EXPECT_EQ(panel.message, "Save Video");
        EXPECT_EQ(panel.nameFieldLabel, "Named:");
        EXPECT_EQ(panel.nameFieldText, c.name);
        EXPECT_EQ(panel.prompt, "Save");
        EXPECT_EQ(panel.directory, std::optional<std::string>("/home/someone/Desktop"));
        EXPECT_EQ(diagnostics.lines(), std::vector<std::string>{c.name.substr(6)});
        host.settle(std::chrono::milliseconds(20));
        EXPECT_TRUE(host.alerts.empty());
        EXPECT_TRUE(host.sheets.empty());
    }
}

TEST(Preflight, NoDesktopLeavesTheDialogsOwnFolder)
{
    testsupport::RecordingHost host;
    JoinControl control;
    runJoinPreflight([] { return std::vector<FileRow>{}; }, host, control);
    ASSERT_EQ(host.savePanels.size(), 1u);
    EXPECT_FALSE(host.savePanels[0].directory.has_value());
}

TEST(Preflight, CancelledDialogChangesNothing)
{
    testsupport::RecordingHost host;
    host.savePanelAnswers.push_back(std::nullopt);
    JoinControl control;
    control.isProcessCancelledByUser = true;
    runJoinPreflight([] { return std::vector<FileRow>{row("/a.wav", 1)}; }, host, control);
    host.settle(std::chrono::milliseconds(50));
    EXPECT_TRUE(host.alerts.empty());
    EXPECT_TRUE(host.sheets.empty());
    EXPECT_TRUE(control.isProcessCancelledByUser.load());
}

TEST(Preflight, MixedListIsRefusedAfterTheDialog)
{
    const std::string log = testsupport::freshDir("preflight-mixed") + "/log";
    jointest::ToolsGuard tools(silentCreator("preflight-mixed", log));
    testsupport::RecordingHost host;
    host.savePanelAnswers.push_back("/out/joined.ext");
    JoinControl control;
    runJoinPreflight([] { return std::vector<FileRow>{row("/a.wav", 1, "Audio"), row("/b.wav", 1, "Unknown")}; },
                     host, control);
    host.settle(std::chrono::milliseconds(50));
    ASSERT_EQ(host.alerts.size(), 1u);
    EXPECT_EQ(host.alerts[0].messageText, "Mix & Match - Can't join!");
    EXPECT_EQ(host.alerts[0].informativeText, "Contact: support@velmora.app");
    EXPECT_TRUE(host.alerts[0].buttons.empty());
    EXPECT_EQ(host.alerts[0].style, AlertStyle::critical);
    EXPECT_TRUE(host.sheets.empty());
    EXPECT_TRUE(jointest::logLines(log).empty());
}

TEST(Preflight, ConfirmedPathIsUsedAsGiven)
{
    const std::string dir = testsupport::freshDir("preflight-start");
    const std::string log = dir + "/log";
    jointest::ToolsGuard tools(silentCreator("preflight-start", log));
    testsupport::RecordingHost host;
    const std::string chosen = dir + "/my join.wav";  // another extension, kept
    host.savePanelAnswers.push_back(chosen);
    JoinControl control;
    control.isProcessCancelledByUser = true;  // a left-over cancel is cleared
    std::vector<FileRow> rows{row("/a.wav", 1), row("/b.wav", 1)};
    int reads = 0;
    runJoinPreflight([&] { ++reads; return rows; }, host, control);
    ASSERT_TRUE(host.waitForAlert());
    EXPECT_EQ(host.sheets.at(0).title, "Joining Audio...");
    const auto lines = jointest::logLines(log);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], chosen);
    EXPECT_EQ(host.alerts[0].messageText, "Something went wrong!");  // the creator wrote nothing
    EXPECT_GE(reads, 2);
}

TEST(Preflight, EmptyListStartsAJoin)
{
    const std::string dir = testsupport::freshDir("preflight-empty");
    const std::string log = dir + "/log";
    jointest::ToolsGuard tools(silentCreator("preflight-empty", log));
    testsupport::RecordingHost host;
    host.savePanelAnswers.push_back(dir + "/joined.mp4");
    JoinControl control;
    runJoinPreflight([] { return std::vector<FileRow>{}; }, host, control);
    ASSERT_TRUE(host.waitForAlert());
    EXPECT_EQ(jointest::logLines(log), std::vector<std::string>{dir + "/joined.mp4"});
}

TEST(Completion, SuccessAlertAndItsButtons)
{
    const std::string out = testsupport::sineM4a(1.0);
    setLaunchCount(11);
    struct Case {
        int response;
        std::string action;
    };
    for (const Case& c : {Case{1000, "open"}, Case{1001, "reveal"}, Case{1002, ""}}) {
        testsupport::RecordingHost host;
        host.alertResponses.push_back(c.response);
        showJoinResult(out, host);
        ASSERT_EQ(host.alerts.size(), 1u);
        EXPECT_EQ(host.alerts[0].messageText, "Audio Joined Successfully!");
        EXPECT_EQ(host.alerts[0].informativeText, out);
        if (c.action.empty()) {
            EXPECT_TRUE(host.desktopActions.empty());
        } else {
            ASSERT_EQ(host.desktopActions.size(), 1u);
            EXPECT_EQ(host.desktopActions[0].kind, c.action);
            EXPECT_EQ(host.desktopActions[0].target, out);
            if (c.action == "open") {
                EXPECT_EQ(host.desktopActions[0].application, "QuickTime Player");
            }
        }
        EXPECT_EQ(host.reviewRequests, 0);
    }
}

TEST(Completion, FailureAlertForMissingOrBrokenOutput)
{
    setLaunchCount(10);
    const std::string broken = testsupport::freshDir("completion-broken") + "/joined.mp3";
    testsupport::writeFile(broken, "not media at all");
    for (const std::string& path : {broken, broken + ".missing"}) {
        testsupport::RecordingHost host;
        showJoinResult(path, host);
        ASSERT_EQ(host.alerts.size(), 1u);
        EXPECT_EQ(host.alerts[0].messageText, "Something went wrong!");
        EXPECT_EQ(host.alerts[0].informativeText, "Contact: support@velmora.app");
        EXPECT_EQ(host.alerts[0].style, AlertStyle::critical);
        EXPECT_EQ(host.reviewRequests, 0);  // no rating check after a failure
    }
}

TEST(Completion, RatingCheckOnEveryTenthLaunch)
{
    const std::vector<std::pair<std::optional<long long>, int>> cases{
        {10, 1}, {11, 0}, {std::nullopt, 1}, {0, 1}, {-20, 1}, {25, 0}, {30, 1}};
    for (const auto& [count, requests] : cases) {
        setLaunchCount(count);
        testsupport::RecordingHost host;
        requestReviewIfDue(host);
        EXPECT_EQ(host.reviewRequests, requests) << count.value_or(-1);
    }
    setLaunchCount(20);
    testsupport::RecordingHost host;
    handleJoinResultResponse(1001, "/x/joined.mp3", host);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"revealInFileManager", "requestReview"}));
}
