// Running a join: whole joins with the real encoder, cancel, launch
// failures, stale output files, and no encoder process left behind.
#include <chrono>
#include <random>
#include <thread>

#include <QFile>
#include <nlohmann/json.hpp>

#include "JoinTestSupport.h"
#include "join/JoinJob.h"

using namespace jointest;
using namespace std::chrono_literals;

namespace {

std::vector<FileRow> rows(size_t count)
{
    std::vector<FileRow> list;
    for (size_t i = 0; i < count; ++i)
        list.push_back(row("/in/" + std::to_string(i) + ".wav", 1.0));
    return list;
}

}  // namespace

TEST_F(JoinTest, RealJoinsArePlayableAndLastAsLongAsTheirInputs)
{
    const std::vector<std::string> audio{sineWav(1.0), mp3WithCover(1.0), sineM4a(1.0), sineFlac(1.0)};
    const std::string video = "Audio & Video", dir = freshDir("real joins");
    const std::vector<std::tuple<std::vector<std::string>, std::string, std::string>> cases{
        {audio, "Audio", dir + "/joined audio.mp3"},
        {audio, "Audio", dir + "/joined.m4a"},
        {{h264Clip(320, 240, 15, 1.0), h264Clip(400, 300, 25, 1.0)}, video, dir + "/joined.mp4"}};
    // The list file must be quoted for the encoder: one join works in a
    // temporary folder with an apostrophe.
    ::setenv("TMPDIR", freshDir("it's tmp").c_str(), 1);
    for (const auto& [inputs, type, out] : cases) {
        RecordingHost host;
        std::vector<FileRow> list;
        double total = 0.0;
        for (const std::string& input : inputs)
            total += list.emplace_back(row(input, mediaDuration(input), type)).duration;
        startJoin(out, list, control, host);
        ASSERT_TRUE(host.waitForAlert(1, 120s)) << out;
        ::setenv("TMPDIR", tmpDir().c_str(), 1);
        EXPECT_EQ(fields(host.alerts[0]), AlertFields("Audio Joined Successfully!", out,
                  {"Launch in QuickTime Player", "Show in Finder", "OK"}, AlertStyle::informational));
        EXPECT_GT(host.progress.at(host.progress.size() - 1), 50.0);
        const auto check = runCommand("ffmpeg", {"-v", "error", "-i", out, "-f", "null", "-"});
        EXPECT_EQ(check.exitCode, 0);
        EXPECT_EQ(check.err, "");
        EXPECT_NEAR(mediaDuration(out), total, 0.05 * static_cast<double>(inputs.size())) << out;
        EXPECT_FALSE(encoderLeft());
        for (const auto& stream : nlohmann::json::parse(ffprobeJson(out)).at("streams")) {
            if (stream.at("codec_type") == "video") {
                EXPECT_EQ(stream.at("codec_name"), "h264");
                EXPECT_EQ(stream.at("width"), 640);
                EXPECT_EQ(stream.at("height"), 480);
                EXPECT_EQ(stream.at("r_frame_rate"), "24/1");
                EXPECT_EQ(stream.at("nb_frames"), "48");
            } else {
                EXPECT_EQ(stream.at("codec_name"), out.ends_with(".mp3") ? "mp3" : "aac");
                if (!out.ends_with(".mp3")) {
                    EXPECT_EQ(stream.at("sample_rate"), "48000");
                    EXPECT_EQ(stream.at("channels"), 2);
                }
            }
        }
    }
}

TEST_F(JoinTest, CancelDuringTheSecondOfThreeCommands)
{
    const std::string log = freshDir("cancel-second") + "/log";
    useTools(scriptedCreator("cancel-second", log, "*temp1.mp4"));
    startJoin(freshDir("cancel-second-out") + "/joined.mp3", rows(2), control, host);
    ASSERT_TRUE(host.waitFor([&] { return logLines(log).size() >= 2 && !host.progress.empty(); }));
    EXPECT_DOUBLE_EQ(host.progress.front(), 100.0 / 3.0 + 50.0 / 3.0);
    const pid_t second = loggedPid(log, 1);
    EXPECT_TRUE(processAlive(second));
    control.cancel();
    ASSERT_TRUE(host.waitForSheetHidden(1, 10s));
    host.settle();
    EXPECT_FALSE(processAlive(second));
    EXPECT_EQ(logLines(log).size(), 2u);  // the concat never started
    EXPECT_TRUE(host.alerts.empty());
    ASSERT_EQ(host.sheets.size(), 2u);
    EXPECT_EQ(host.sheets[0].title, "Joining Audio...");
    EXPECT_FALSE(host.sheets[0].indeterminate);
}

TEST_F(JoinTest, CancelAfterTheLastCommandShowsNoResult)
{
    const std::string log = freshDir("cancel-late") + "/log";
    useTools(scriptedCreator("cancel-late", log));
    runJoinJob(freshDir("cancel-late-out") + "/joined.mp3", rows(2), control, host);
    EXPECT_EQ(logLines(log).size(), 3u);
    control.cancel();  // the end step is still waiting in the queue
    host.drain();
    EXPECT_EQ(host.hiddenCount(), 1);
    EXPECT_TRUE(host.alerts.empty());
}

TEST_F(JoinTest, FailuresAreReportedAsFailures)
{
    // No encoder at all; a concat that cannot run while a valid file stands
    // at the output path; an output folder that is a plain file.
    const std::string dir = freshDir("failures"), stale = dir + "/joined.m4a", plain = dir + "/plain";
    ASSERT_TRUE(QFile::copy(QString::fromStdString(sineM4a(1.0)), QString::fromStdString(stale)));
    writeFile(plain, "x");
    const std::vector<std::tuple<std::string, std::vector<FileRow>, std::string>> cases{
        {creatorTools("no-creator", ""), rows(3), dir + "/joined.mp3"},
        {creatorTools("concat-fails", "case \"$*\" in *concat*) exit 1;; esac\nexec '" + resourcesDir() +
                                          "/creator' \"$@\""), {row(sineWav(1.0), 1.0)}, stale},
        {resourcesDir(), {row(sineWav(1.0), 1.0)}, plain + "/joined.mp3"}};
    for (const auto& [tools, list, out] : cases) {
        RecordingHost host;
        useTools(tools);
        startJoin(out, list, control, host);
        ASSERT_TRUE(host.waitForAlert()) << out;
        EXPECT_EQ(fields(host.alerts[0]), kFailure) << out;
        EXPECT_EQ(host.hiddenCount(), 1);
        EXPECT_EQ(host.reviewRequests + host.desktopActions.size(), 0u);
        EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
        EXPECT_FALSE(encoderLeft());
        control.cancel();  // harmless once the join has ended
    }
    EXPECT_EQ(readFile(plain), "x");
}

TEST_F(JoinTest, CancelAtAnyMomentLeavesNoProcess)
{
    // Cancels land before, between and during launches. Every command
    // sleeps, so a join that ignored a cancel would take seconds.
    const std::string dir = freshDir("cancel-race");
    useTools(creatorTools("cancel-race", "echo \"$$\" >> '" + dir + "/log'\nexec sleep 20"));
    std::mt19937 random(7);
    for (int round = 0; round < 15; ++round) {
        RecordingHost roundHost;
        const auto began = std::chrono::steady_clock::now();
        startJoin(dir + "/joined.mp3", rows(3), control, roundHost);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
        control.cancel();
        ASSERT_TRUE(roundHost.waitForSheetHidden(1, 15s));
        roundHost.settle(20ms);
        EXPECT_TRUE(roundHost.alerts.empty());
        EXPECT_LT(std::chrono::steady_clock::now() - began, 5s);
        QThreadPool::globalInstance()->waitForDone();
    }
    const auto pids = logLines(dir + "/log");
    EXPECT_LE(pids.size(), 15u);  // at most one command per join ever starts
    for (const std::string& pid : pids)
        EXPECT_FALSE(processAlive(std::stoi(pid))) << pid;
}
