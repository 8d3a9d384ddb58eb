// Running a join: whole joins with the real encoder, cancel, launch
// failures, stale output files, and no encoder process left behind.
#include <QFile>

#include "join/IntakeRule.h"
#include "join/JoinJob.h"
#include "join/ToolRunner.h"
#include "support/JoinTestSupport.h"

using namespace jointest;
using namespace std::chrono_literals;

namespace {

const std::vector<FileRow> kTwoRows{row("/in/0.wav", 1.0), row("/in/1.wav", 1.0)};

std::string probeEntries(const std::string& path, const std::string& streams, const std::string& entries)
{
    return runCommand("ffprobe", {"-v", "error", "-select_streams", streams, "-show_entries", entries, "-of", "csv=p=0",
                                  path}).out;
}

}  // namespace

TEST_F(JoinTest, RealJoinsArePlayableAndLastAsLongAsTheirInputs)
{
    const std::vector<std::string> audio{sineWav(1.0), mp3WithCover(1.0), sineM4a(1.0), sineFlac(1.0)};
    const std::string dir = freshDir("real joins");
    // Output, inputs, their media type, the streams, and the video frames (each 1/24 s long).
    const std::vector<std::tuple<std::string, std::vector<std::string>, std::string, std::string, int>> cases{
        {dir + "/joined audio.mp3", audio, "Audio", "mp3,48000,1\n", 0},
        {dir + "/joined.m4a", audio, "Audio", "aac,48000,1\n", 0},
        {dir + "/joined.mp4", {h264Clip(320, 240, 15, 1.0), h264Clip(400, 300, 25, 1.0)}, "Audio & Video",
         "h264,640,480\naac,48000,2\n", 48}};
    // The list file must suit the encoder: the first join works in a
    // temporary folder with an apostrophe.
    ::setenv("TMPDIR", freshDir("it's tmp").c_str(), 1);
    for (const auto& [out, inputs, type, streams, frames] : cases) {
        RecordingHost host;
        std::vector<FileRow> rows;
        double total = 0.0;
        for (const std::string& input : inputs)
            total += rows.emplace_back(analyzeFile(input).row.value()).duration;
        EXPECT_EQ(rows.back().mediaType, type);
        startJoin(out, rows, control, host, pool);
        ASSERT_TRUE(host.waitForOutcome(1, 120s)) << out;
        ::setenv("TMPDIR", tmpDir().c_str(), 1);
        EXPECT_EQ(host.outcomes[0].status, JoinStatus::succeeded);
        EXPECT_EQ(host.outcomes[0].outputPath, out);
        EXPECT_GT(host.progress.at(host.progress.size() - 1), 50.0);
        const auto check = runCommand("ffmpeg", {"-v", "error", "-i", out, "-f", "null", "-"});
        EXPECT_EQ(check.exitCode, 0);
        EXPECT_EQ(check.err, "");
        EXPECT_NEAR(mediaDuration(out), total, 0.05 * static_cast<double>(inputs.size())) << out;
        EXPECT_EQ(probeEntries(out, "", "stream=codec_name,width,height,sample_rate,channels"), streams);
        EXPECT_EQ(probeEntries(out, "v", "packet=duration_time"), QString("0.041667\n").repeated(frames).toStdString());
        EXPECT_FALSE(encoderLeft());
    }
}

TEST_F(JoinTest, NormalisationsRunSideBySideAndCancelEndsEveryOne)
{
    // Every normalisation reports half a second and sleeps: one per core runs.
    const std::string log = useScriptedCreator("cancel-parallel", "*temp*.wav");
    const std::vector<FileRow> rows{row("/in/0.wav", 1.0), row("/in/1.wav", 1.0), row("/in/2.wav", 1.0)};
    const size_t together = std::min<size_t>(parallelNormalisations(), 3);
    startJoin(freshDir("cancel-parallel-out") + "/joined.mp3", rows, control, host, pool);
    ASSERT_TRUE(host.waitFor([&] { return logLines(log).size() >= together && host.progress.size() >= together; }));
    host.settle(std::chrono::milliseconds(300));
    const std::vector<std::string> running = logLines(log);
    ASSERT_EQ(running.size(), together);  // the others wait for a free core
    for (const std::string& line : running)
        EXPECT_TRUE(processAlive(line)) << line;
    // Each half second of a 1-s row is a twelfth of the whole (3 s of rows, then 3 s of concat).
    EXPECT_DOUBLE_EQ(host.progress.back(), 100.0 * 0.5 * static_cast<double>(together) / 6.0);
    EXPECT_EQ(host.progressFiles.back(), 1u);
    control.cancel();
    ASSERT_TRUE(host.waitForSheetHidden(1, 10s));
    host.settle();
    for (const std::string& line : running)
        EXPECT_FALSE(processAlive(line)) << line;
    EXPECT_FALSE(encoderLeft());
    EXPECT_EQ(logLines(log).size(), together);  // nothing started after the cancel, the concat least of all
    ASSERT_EQ(host.outcomes.size(), 1u);
    EXPECT_EQ(host.outcomes[0].status, JoinStatus::cancelled);
}

TEST_F(JoinTest, CancelBeforeTheFirstOrAfterTheLastCommandShowsNoResult)
{
    const std::string log = useScriptedCreator("cancel-early-late"), out = freshDir("early-late-out") + "/joined.mp3";
    control.cancel();
    runJoinJob(out, kTwoRows, control, host);
    host.drain();
    EXPECT_TRUE(logLines(log).empty());  // nothing started
    control.clearCancel();
    runJoinJob(out, kTwoRows, control, host);
    EXPECT_EQ(logLines(log).size(), 3u);
    control.cancel();  // the end step is still waiting in the queue
    host.drain();
    EXPECT_EQ(host.hiddenCount(), 2);
    ASSERT_EQ(host.outcomes.size(), 2u);
    EXPECT_TRUE(host.outcomes[0].status == JoinStatus::cancelled && host.outcomes[1].status == JoinStatus::cancelled);
}

TEST_F(JoinTest, FailuresAreReportedAsFailures)
{
    // No encoder at all; a concat that cannot run while a valid file stands
    // at the output path; an output folder that is a plain file.
    const std::string dir = freshDir("failures"), stale = dir + "/joined.m4a", plain = dir + "/plain";
    ASSERT_TRUE(QFile::copy(QString::fromStdString(sineM4a(1.0)), QString::fromStdString(stale)));
    writeFile(plain, "x");
    const std::string concatFails = "case \"$*\" in *concat*) exit 1;; esac\nexec '" + resourcesDir() + "/creator' \"$@\"";
    const std::vector<std::tuple<std::string, std::vector<FileRow>, std::string>> cases{
        {creatorTools("no-creator", ""), kTwoRows, dir + "/joined.mp3"},
        {creatorTools("concat-fails", concatFails), {row(sineWav(1.0), 1.0)}, stale},
        {resourcesDir(), {row(sineWav(1.0), 1.0)}, plain + "/joined.mp3"}};
    for (const auto& [tools, rows, out] : cases) {
        RecordingHost host;
        setToolsDirectory(tools);
        startJoin(out, rows, control, host, pool);
        ASSERT_TRUE(host.waitForOutcome()) << out;
        EXPECT_EQ(host.outcomes[0].status, JoinStatus::failed) << out;
        EXPECT_EQ(host.hiddenCount(), 1);
        EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
        EXPECT_FALSE(encoderLeft());
        control.cancel();  // harmless once the join has ended
    }
    EXPECT_EQ(readFile(plain), "x");
}
