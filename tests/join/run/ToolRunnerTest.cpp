// Running a join job: whole joins with the real encoder, its statuses,
// cancel, launch failures, older files at the output path, inputs that
// change under the join, partial files of runs that died, and no encoder
// process left behind.
#include <QFile>

#include "join/run/JoinJob.h"
#include "join/run/ToolRunner.h"
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
    // Output, inputs, their media type, the streams (an audio join keeps the
    // MP3's cover), and the video frames (each 1/24 s long).
    const std::vector<std::tuple<std::string, std::vector<std::string>, MediaKind, std::string, int>> cases{
        {dir + "/joined audio.mp3", audio, MediaKind::audio, "mp3,48000,1\npng,300,300\n", 0},
        {dir + "/joined.m4a", audio, MediaKind::audio, "aac,48000,1\npng,300,300\n", 0},
        // Each MP3 counts its encoder delay and padding in its duration: a dozen short ones are still a good join.
        {dir + "/twelve.mp3", std::vector<std::string>(12, mp3WithCover(1.0)), MediaKind::audio, "mp3,44100,1\npng,300,300\n", 0},
        // A silent clip joins with clips that have sound: it gets silence.
        {dir + "/joined.mp4", {h264Clip(320, 240, 15, 1.0), rotatedClip(400, 300, 1.0)}, MediaKind::audioVideo,
         "h264,640,480\naac,48000,2\n", 48}};
    // The list file must suit the encoder: the first join works in a
    // temporary folder with an apostrophe.
    ::setenv("TMPDIR", freshDir("it's tmp").c_str(), 1);
    for (const auto& [out, inputs, type, streams, frames] : cases) {
        RecordingHost host;
        std::vector<FileRow> rows;
        double total = 0.0;
        for (const std::string& input : inputs)
            total += rows.emplace_back(analyzed(input).row.value()).duration;
        EXPECT_EQ(rows.front().kind, type);
        auto job = startJob(out, rows, {}, &host);
        ASSERT_TRUE(host.waitForOutcome(1, 120s)) << out;
        EXPECT_EQ(host.statuses, (std::vector<JobStatus>{JobStatus::analysing, JobStatus::running,
                                                          JobStatus::finishing, JobStatus::done}));
        EXPECT_EQ(job->status(), JobStatus::done);
        ::setenv("TMPDIR", tmpDir().c_str(), 1);
        EXPECT_EQ(host.outcomes[0].status, JoinStatus::succeeded);
        EXPECT_EQ(host.outcomes[0].outputPath, out);
        EXPECT_GT(host.progress.at(host.progress.size() - 1), 50.0);
        const auto check = runCommand("ffmpeg", {"-v", "error", "-i", out, "-f", "null", "-"});
        EXPECT_EQ(check.exitCode, 0);
        EXPECT_EQ(check.err, "");
        EXPECT_NEAR(mediaDuration(out), total, 0.05 * static_cast<double>(inputs.size())) << out;
        EXPECT_EQ(probeEntries(out, "", "stream=codec_name,width,height,sample_rate,channels"), streams);
        EXPECT_EQ(probeEntries(out, "V", "packet=duration_time"), QString("0.041667\n").repeated(frames).toStdString());
        EXPECT_FALSE(encoderLeft());
    }
}

TEST_F(JoinTest, PartsAreCountedSideBySideAndCancelEndsEveryDecoder)
{
    // Every part's decoder sleeps: one per core runs.
    const std::string log = useScriptedCreator("cancel-parallel", "pipe:1");
    const std::vector<FileRow> rows{row("/in/0.wav", 1.0), row("/in/1.wav", 1.0), row("/in/2.wav", 1.0)};
    const size_t together = std::min<size_t>(parallelNormalisations(), 3);
    auto job = startJob(freshDir("cancel-parallel-out") + "/joined.mp3", rows);
    ASSERT_TRUE(pollUntil([&] { return logLines(log).size() >= together; }, 30s));
    host.settle(std::chrono::milliseconds(300));
    const std::vector<std::string> running = logLines(log);
    ASSERT_EQ(running.size(), together);  // the others wait for a free core
    for (const std::string& line : running)
        EXPECT_TRUE(processAlive(line)) << line;
    EXPECT_EQ(job->status(), JobStatus::analysing);
    job->cancel();
    ASSERT_TRUE(host.waitForOutcome(1, 10s));
    host.settle();
    for (const std::string& line : running)
        EXPECT_FALSE(processAlive(line)) << line;
    EXPECT_FALSE(encoderLeft());
    EXPECT_EQ(logLines(log).size(), together);  // nothing started after the cancel, the encoder least of all
    EXPECT_EQ(host.outcomes[0].status, JoinStatus::cancelled);
}

TEST_F(JoinTest, CancelBeforeTheStartOrAfterTheEndChangesNothing)
{
    const std::string log = useScriptedCreator("cancel-early-late"), out = freshDir("early-late-out") + "/joined.mp3";
    JoinJob early(JoinRequest{out, kTwoRows, {}}, host);
    early.cancel();
    early.run();
    host.drain();
    EXPECT_TRUE(logLines(log).empty());  // nothing started
    EXPECT_EQ(early.status(), JobStatus::cancelled);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
    // The scripted decoders give no sound: the join fails, and a cancel
    // after its end leaves it failed.
    JoinJob late(JoinRequest{out, kTwoRows, {}}, host);
    late.run();
    EXPECT_EQ(logLines(log).size(), 2u);
    late.cancel();
    host.drain();
    ASSERT_EQ(host.outcomes.size(), 2u);
    EXPECT_EQ(host.outcomes[0].status, JoinStatus::cancelled);
    EXPECT_EQ(late.outcome()->reason, "Part 1, 0.wav holds no sound that can be decoded.");
    EXPECT_EQ(late.status(), JobStatus::failed);
}

TEST_F(JoinTest, FailuresAreReportedAndLeaveTheOutputPathAsItWas)
{
    // No encoder at all; an encoder that fails while an older file stands at
    // the output path; an output folder that is a plain file.
    const std::string dir = freshDir("failures"), stale = dir + "/joined.m4a", plain = dir + "/plain";
    ASSERT_TRUE(QFile::copy(QString::fromStdString(sineM4a(1.0)), QString::fromStdString(stale)));
    const std::string older = readFile(stale);
    writeFile(plain, "x");
    const std::string encoderFails = "case \"$*\" in *pipe:0*) echo 'encoder: no way' >&2; exit 1;; esac\n"
                                     "exec '" + resourcesDir() + "/creator' \"$@\"";
    const std::string noCreator = creatorTools("no-creator", "");
    const std::vector<std::tuple<std::string, std::vector<FileRow>, std::string, std::string>> cases{
        {noCreator, kTwoRows, dir + "/joined.mp3", "ffmpeg not found at " + noCreator + "/creator (set --tools-dir)"},
        {creatorTools("encoder-fails", encoderFails), {analyzed(sineWav(1.0)).row.value()}, stale,
         "Writing the joined file failed: ffmpeg exited with status 1."},
        {resourcesDir(), {analyzed(sineWav(1.0)).row.value()}, plain + "/joined.mp3",
         "cannot write " + plain + "/.joined.velmora-partial.mp3: Not a directory"}};
    for (const auto& [tools, rows, out, reason] : cases) {
        RecordingHost host;
        setToolsDirectory(tools);
        auto job = startJob(out, rows, {}, &host);
        ASSERT_TRUE(host.waitForOutcome()) << out;
        EXPECT_EQ(host.outcomes[0].status, JoinStatus::failed) << out;
        EXPECT_EQ(host.outcomes[0].reason, reason);
        EXPECT_EQ(host.statuses.back(), JobStatus::failed);
        EXPECT_EQ(readFile(stale), older);
        EXPECT_FALSE(QFile::exists(QString::fromStdString(dir + "/joined.mp3")));
        EXPECT_EQ(QDir(QString::fromStdString(dir)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  (QStringList{"joined.m4a", "plain"}));  // no partial file left
        EXPECT_FALSE(encoderLeft());
        job->cancel();  // harmless once the join has ended
    }
    EXPECT_EQ(readFile(plain), "x");
}

TEST_F(JoinTest, CancelWhileTheEncoderRunsKeepsTheOlderOutput)
{
    // The parts decode for real; the encoder takes nothing and sleeps. Beside
    // other joins, the book joins in one process, which is stopped the same way.
    const std::string dir = freshDir("cancel-encoder"), log = dir + "/log", out = dir + "/joined.mp3";
    writeFile(out, "an older join");
    for (const bool beside : {false, true}) {
        setToolsDirectory(creatorTools("cancel-encoder", "case \"$*\" in " + std::string(beside ? "*verbose*" : "*pipe:0*") +
                                                             ") echo $$ >> '" + log + "'; exec sleep 30;; esac\nexec '" +
                                                             resourcesDir() + "/creator' \"$@\""));
        JoinOptions options;
        options.besideOtherJoins = beside;
        auto job = startJob(out, {analyzed(sineWav(1.0)).row.value(), analyzed(sineFlac(1.0)).row.value()}, options);
        const size_t ran = beside ? 2 : 1;
        ASSERT_TRUE(pollUntil([&] { return logLines(log).size() == ran && job->status() == JobStatus::running; }, 30s));
        job->cancel();
        ASSERT_TRUE(host.waitForOutcome(ran, 10s));
        EXPECT_EQ(host.outcomes[ran - 1].status, JoinStatus::cancelled);
        EXPECT_EQ(readFile(out), "an older join");
        EXPECT_EQ(QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden),
                  (QStringList{"joined.mp3", "log"}));
        EXPECT_FALSE(encoderLeft());
    }
}

TEST_F(JoinTest, APartThatChangesWhileTheJoinRunsMakesItFail)
{
    // After the parts are counted (or their headers read), the second is
    // removed or cut to a quarter while the first streams into the encoder.
    // A WAV written as a stream tells no length in its header: it is counted.
    const std::string streamed =
        runCommand("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=duration=2", "-fflags", "+bitexact",
                              "-map_metadata", "-1", "-c:a", "pcm_s16le", "-f", "wav", "pipe:1"}).out;
    const std::vector<std::tuple<std::string, std::string, std::string>> cases{
        {"rm -f", readFile(sineWav(2.0)), "Part 2, b.wav could not be decoded: ffmpeg exited with status 1."},
        {"truncate -s 44144", readFile(sineWav(2.0)), "Part 2, b.wav, decodes 0.5 s of 2.0 s: it is cut short or damaged."},
        {"truncate -s 44144", streamed, "Part 2, b.wav gave 0.5 s of sound, but 2.0 s when it was measured: did the "
                                        "file change during the join?"}};
    for (const auto& [change, bytes, reason] : cases) {
        const std::string dir = freshDir("changing-input"), a = dir + "/a.wav", b = dir + "/b.wav";
        writeFile(a, readFile(sineWav(1.0)));
        writeFile(b, bytes);
        const std::vector<FileRow> rows{analyzed(a).row.value(), analyzed(b).row.value()};
        // The encoder's start comes after the count: it makes the change first.
        setToolsDirectory(creatorTools("changing", "case \"$*\" in *pipe:0*) " + change + " '" + b +
                                                       "';; esac\nexec '" + resourcesDir() + "/creator' \"$@\""));
        RecordingHost host;
        startJob(dir + "/joined.mp3", rows, {}, &host);
        ASSERT_TRUE(host.waitForOutcome());
        EXPECT_EQ(host.outcomes[0].status, JoinStatus::failed) << change;
        EXPECT_EQ(host.outcomes[0].reason, reason);
        EXPECT_FALSE(QFile::exists(QString::fromStdString(dir + "/joined.mp3")));
    }
}

TEST_F(JoinTest, CancelStopsAnEncoderThatIgnoresSigterm)
{
    const std::string dir = freshDir("stubborn"), log = dir + "/log";
    setToolsDirectory(creatorTools("stubborn", "echo $$ >> '" + log + "'\ntrap '' TERM\nexec sleep 30"));
    auto job = startJob(dir + "/joined.mp3", kTwoRows);
    // The parts are counted side by side, one per core.
    const size_t running = std::min<size_t>(parallelNormalisations(), kTwoRows.size());
    ASSERT_TRUE(pollUntil([&] { return logLines(log).size() == running; }, 10s));
    const auto cancelled = std::chrono::steady_clock::now();
    job->cancel();
    ASSERT_TRUE(host.waitForOutcome(1, 10s));
    EXPECT_LT(std::chrono::steady_clock::now() - cancelled, kKillDelay + 2s);
    EXPECT_EQ(host.outcomes[0].status, JoinStatus::cancelled);
    EXPECT_EQ(logLines(log).size(), running);  // the encoder never started
    EXPECT_FALSE(encoderLeft());
}

TEST_F(JoinTest, TheTimeLeftFollowsTheSlowEncoder)
{
    // The parts decode at once; the encoder takes the sound at its own pace
    // (about 5 s for 5 s of sound).
    const std::string real = resourcesDir() + "/creator";
    setToolsDirectory(creatorTools("slow-encoder", "case \"$*\" in *pipe:0*) exec '" + real + "' -re \"$@\";; esac\n"
                                                   "exec '" + real + "' \"$@\""));
    const std::string part = sineWav(2.5);
    startJob(freshDir("slow-encoder-out") + "/joined.mp3", {analyzed(part).row.value(), analyzed(part).row.value()});
    ASSERT_TRUE(host.waitForOutcome(1, 60s));
    ASSERT_EQ(host.outcomes[0].status, JoinStatus::succeeded) << host.outcomes[0].reason;
    const double end = host.reports.back().elapsedSeconds;
    size_t told = 0;
    for (const JoinProgress& report : host.reports) {
        if (!report.secondsLeft || report.percent < 30.0 || report.percent > 80.0)
            continue;
        ++told;
        // The final check after the encoder is not foreseen: on a loaded
        // machine it takes some tenths of a second. Following the decoders'
        // pace instead would say nothing is left, 3 s off.
        const double actual = end - report.elapsedSeconds;
        EXPECT_NEAR(*report.secondsLeft, actual, std::max(1.0, 0.3 * actual)) << report.percent << " % at " << report.elapsedSeconds << " of " << end;
    }
    EXPECT_GT(told, 0u);
}
