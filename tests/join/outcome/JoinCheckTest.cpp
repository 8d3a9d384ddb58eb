// Judging a finished join: every step's exit, the tool's last lines, and the
// joined file's length against the rows'.
#include "join/outcome/JoinCheck.h"
#include "join/outcome/Messages.h"
#include "support/JoinTestSupport.h"

using namespace jointest;

TEST(JoinCheck, EveryStepAndTheOutputsDurationDecide)
{
    const std::string good = sineM4a(1.0), broken = freshDir("judge") + "/joined.mp3";  // good lasts 1 s
    writeFile(broken, "not media at all");
    auto ran = [](std::vector<int> statuses, std::string tail = {}) {
        RunReport report;
        for (int status : statuses)
            report.commands.push_back(CommandRun{status >= 0, status, status >= 0 ? "" : "boom", tail});
        return report;
    };
    const std::string step1 = "Step 1 of 2 (converting sine-1.m4a) ", step2 = "Step 2 of 2 (writing the joined file) ";
    // Output, the runs (-1: could not start), row durations, the reason (empty: success; a prefix otherwise).
    const std::vector<std::tuple<std::string, RunReport, std::vector<double>, std::string>> cases{
        {good, ran({0, 0}), {1.0}, ""},
        {good, ran({0, 0}), {1.4}, ""},
        {good, ran({0, 0}), {0.5, 0.0}, ""},  // a row of unknown length: not shorter than the rest
        {good, ran({256, 0}), {1.0}, step1 + "failed: ffmpeg exited with status 1."},
        {good, ran({0, SIGKILL}), {1.0}, step2 + "failed: ffmpeg was ended by signal 9."},
        {good, ran({-1, -1}), {1.0}, step1 + "could not start: boom"},
        {good, ran({0, 0}, "Error writing trailer of /o.m4a: No space left on device\n"), {1.0},
         step1 + "failed: ffmpeg could not finish writing its file."},
        {good, ran({0, 0}), {1.6}, "The joined file lasts 1.0"},
        {good, ran({0, 0}), {3.0, 0.0}, "The joined file lasts 1.0"},
        {broken, ran({0, 0}), {1.0}, "The joined file is missing or is not playable media."},
        {broken + ".missing", ran({0, 0}), {1.0}, "The joined file is missing or is not playable media."}};
    for (const auto& [out, run, durations, reason] : cases) {
        std::vector<FileRow> rows;
        for (double duration : durations)
            rows.push_back(row(good, duration));
        const JoinOutcome outcome = judgeJoin("/the/output.m4a", run, rows, out);
        EXPECT_EQ(outcome.status, reason.empty() ? JoinStatus::succeeded : JoinStatus::failed) << reason;
        EXPECT_EQ(outcome.outputPath, "/the/output.m4a");
        EXPECT_EQ(outcome.reason.substr(0, reason.size()), reason);
    }
    EXPECT_EQ(judgeJoin("/o.m4a", ran({0, 0}), {row(good, 1.6)}, good).reason,
              "The joined file lasts 1.00 s, but the files add up to 1.60 s.");
    // An MP4 whose sound starts late counts the delay in its container's
    // duration: the sound's own length is what the join holds of it.
    FileRow late = row(good, 2.0);
    late.audio.duration = 1.02;
    EXPECT_EQ(judgeJoin("/o.m4a", ran({0, 0}), {late}, good).status, JoinStatus::succeeded);
}

TEST(JoinCheck, TheFailingToolsLastLinesGoWithTheReason)
{
    // Progress redraws end in carriage returns; only the last one is kept.
    const std::string tail = "[mp3 @ 0x1] a warning\nframe=1 time=00:00:01.00\rframe=2 time=00:00:02.00\r"
                             "/in/b.wav: No such file or directory\n";
    RunReport report;
    report.commands = {CommandRun{true, 256, "", tail}, CommandRun{true, 0, "", ""}};
    const JoinOutcome outcome = judgeJoin("/o.mp3", report, {row("/in/b.wav", 1.0)});
    const std::string lines = "[mp3 @ 0x1] a warning\nframe=2 time=00:00:02.00\n/in/b.wav: No such file or directory\n";
    EXPECT_EQ(outcome.stderrTail, lines);
    const MessageRequest message = joinFailedMessage(outcome);
    EXPECT_EQ(fields(message), kFailure);
    EXPECT_EQ(message.detailedText, "Step 1 of 2 (converting b.wav) failed: ffmpeg exited with status 1.\n\n" + lines);
    // A tail cut to its last bytes starts with a piece of a line: it goes.
    report.commands[0].stderrTail = std::string(kStderrTailBytes - 6, 'x') + "\nlast\n";
    EXPECT_EQ(judgeJoin("/o.mp3", report, {row("/in/b.wav", 1.0)}).stderrTail, "last\n");
}

TEST(JoinCheck, TheFailureSummaryNamesTheCause)
{
    const std::string dir = freshDir("summary"), good = sineWav(1.0);
    JoinOutcome outcome{JoinStatus::failed, dir + "/out.mp3", "Step 2 of 2 (writing the joined file) failed: x.\nmore", {}, {}, {}, {}};
    // Rows, output, the tool's last lines, then the summary.
    const std::vector<std::tuple<std::vector<FileRow>, std::string, std::string, std::string>> cases{
        {{row(good, 1.0), row(dir + "/gone.mp3", 1.0)}, dir + "/out.mp3", "", "Part 2, gone.mp3, no longer exists."},
        {{row(good, 1.0)}, "/no/such/folder/out.mp3", "",
         "Velmora cannot write to /no/such/folder: no such file or directory."},
        {{row(good, 1.0)}, dir + "/out.mp3", "Error closing file: No space left on device\n",
         "The disk holding " + dir + " is full."},
        {{row(good, 1.0)}, dir + "/out.mp3", "", "Step 2 of 2 (writing the joined file) failed: x."}};
    for (const auto& [rows, output, tail, summary] : cases) {
        outcome.outputPath = output;
        outcome.stderrTail = tail;
        EXPECT_EQ(failureSummary(outcome, rows), summary);
    }
    outcome.summary = "Part 2, gone.mp3, no longer exists.";
    EXPECT_EQ(joinFailedMessage(outcome).informativeText,
              "Part 2, gone.mp3, no longer exists.\n\nContact: support@velmora.app");
}
