// The job queue: which jobs start and how each ends, and the queue file read
// back whole, cut short or damaged.
#include "join/run/JobQueue.h"
#include "join/run/QueueFile.h"
#include "support/JoinTestSupport.h"

using namespace jointest;

namespace {

struct RecordingLauncher : JobLauncher {
    std::vector<std::uint64_t> launched, stopped;
    void launch(const QueueEntry& entry) override { launched.push_back(entry.id); }
    void stop(std::uint64_t id) override { stopped.push_back(id); }
};

QueueEntry job(const std::string& name)
{
    QueueEntry e;
    e.name = name + ".m4b";
    e.outputPath = "/books/" + name + ".m4b";
    e.paths = {"/in/" + name + "/01.mp3", "/in/" + name + "/02 Ünï.mp3"};
    e.options.chapters = true;
    e.options.quality.aacBitrate = 96;
    e.options.overrides.title = "Title of " + name;
    e.options.overrides.album = "";  // an empty album removes the tag
    e.options.sound.loudness = LoudnessMode::parts;
    e.options.sound.targetLufs = -20.5;
    e.options.sound.gapSeconds = 1.5;
    e.options.sound.trimSilence = true;
    return e;
}

std::vector<JobStatus> statuses(const JobQueue& queue)
{
    std::vector<JobStatus> result;
    for (const QueueEntry& e : queue.entries())
        result.push_back(e.status);
    return result;
}

JoinOutcome ended(JoinStatus status, std::string reason = {})
{
    JoinOutcome outcome;
    outcome.status = status;
    outcome.reason = std::move(reason);
    return outcome;
}

}  // namespace

TEST(JobQueue, JobsRunInTurnAndEndAsTheyEnd)
{
    using S = JobStatus;
    RecordingLauncher launcher;
    JobQueue queue(launcher);
    int changes = 0;
    queue.setOnChanged([&](std::uint64_t) { ++changes; });
    const std::uint64_t a = queue.add(job("a")), b = queue.add(job("b")), c = queue.add(job("c"));
    EXPECT_EQ(launcher.launched, (std::vector<std::uint64_t>{a}));  // one at a time
    EXPECT_EQ(statuses(queue), (std::vector<S>{S::analysing, S::waiting, S::waiting}));

    JoinProgress progress;
    progress.status = S::running;
    progress.percent = 42.7;
    progress.secondsLeft = 65.0;
    queue.jobProgressed(a, progress);
    EXPECT_EQ(queueStatusText(*queue.entry(a)), "running 42% (1:05 left)");

    // Each step: a command (or the launcher's news), whether it applied, the statuses after it.
    const std::vector<std::tuple<std::function<bool()>, bool, std::vector<S>>> steps{
        {[&] { return queue.remove(a); }, false, {S::running, S::waiting, S::waiting}},  // running: stays
        {[&] { return queue.retry(b); }, false, {S::running, S::waiting, S::waiting}},
        {[&] { return queue.stop(c); }, true, {S::running, S::waiting, S::cancelled}},
        {[&] { queue.jobFinished(a, ended(JoinStatus::failed, "disk full")); return true; }, true,
         {S::failed, S::analysing, S::cancelled}},  // the next one starts
        {[&] { return queue.stop(b); }, true, {S::failed, S::analysing, S::cancelled}},  // asked; ends later
        {[&] { queue.jobFinished(b, ended(JoinStatus::cancelled)); return true; }, true,
         {S::failed, S::cancelled, S::cancelled}},
        {[&] { return queue.start(c); }, true, {S::failed, S::cancelled, S::analysing}},
        {[&] { queue.setLimit(3); return queue.retry(a); }, true, {S::analysing, S::cancelled, S::analysing}},
        {[&] { queue.jobFinished(c, ended(JoinStatus::succeeded)); return queue.start(c); }, false,
         {S::analysing, S::cancelled, S::done}},  // a finished job is not run again by Start
        {[&] { return queue.remove(b); }, true, {S::analysing, S::done}},
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        const auto& [command, applied, after] = steps[i];
        EXPECT_EQ(command(), applied) << "step " << i;
        EXPECT_EQ(statuses(queue), after) << "step " << i;
    }
    EXPECT_EQ(launcher.launched, (std::vector<std::uint64_t>{a, b, c, a}));
    EXPECT_EQ(launcher.stopped, (std::vector<std::uint64_t>{b}));
    EXPECT_EQ(queueStatusText(*queue.entry(c)), "done");
    EXPECT_GT(changes, 10);
}

TEST(JobQueue, FileRoundTripAndDamagedFiles)
{
    const std::string dir = freshDir("queue-file"), path = dir + "/sub/queue.json";
    std::vector<QueueEntry> entries{job("a"), job("b"), job("c")};
    entries[0].status = JobStatus::running;
    entries[0].percent = 50.0;
    entries[1].status = JobStatus::failed;
    entries[1].reason = "Step 2 of 3 failed";
    entries[2].status = JobStatus::done;
    ASSERT_FALSE(saveQueueFile(path, entries).has_value());

    std::string problem;
    const std::vector<QueueEntry> read = loadQueueFile(path, &problem);
    EXPECT_EQ(problem, "");
    ASSERT_EQ(read.size(), 3u);
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].name, entries[i].name);
        EXPECT_EQ(read[i].outputPath, entries[i].outputPath);
        EXPECT_EQ(read[i].paths, entries[i].paths);
        EXPECT_EQ(read[i].options.quality, entries[i].options.quality);
        EXPECT_EQ(read[i].options.chapters, true);
        EXPECT_EQ(read[i].options.overrides.title, entries[i].options.overrides.title);
        EXPECT_EQ(read[i].options.overrides.album, std::optional<std::string>(""));
        EXPECT_EQ(read[i].options.overrides.artist, std::nullopt);
        EXPECT_EQ(read[i].options.sound, entries[i].options.sound);
        EXPECT_EQ(read[i].status, entries[i].status);
        EXPECT_EQ(read[i].reason, entries[i].reason);
    }
    // Back in a queue, the job that was running waits again, from nothing; none starts past the limit.
    RecordingLauncher launcher;
    JobQueue queue(launcher);
    queue.restore(read);
    EXPECT_EQ(statuses(queue), (std::vector<JobStatus>{JobStatus::analysing, JobStatus::failed, JobStatus::done}));
    EXPECT_EQ(queue.entries()[0].percent, 0.0);
    EXPECT_EQ(launcher.launched.size(), 1u);

    // Damaged files read as an empty queue (or lose only the bad job), and say so.
    const std::string whole = readFile(path);
    const std::vector<std::pair<std::string, size_t>> damaged{
        {whole.substr(0, whole.size() / 2), 0},
        {"", 0},
        {"\x89PNG\r\n\x1a\n", 0},
        {"[1, 2, 3]", 0},
        {R"({"jobs": [{"name": "x", "output": "relative.mp3", "files": ["/a.mp3"]},
                      {"name": 5, "output": "/o.mp3", "files": ["/a.mp3"]},
                      {"name": "y", "output": "/o.mp3", "files": ["/a.mp3"], "options": {"quality": {"aacBitrate": "x"}}},
                      {"name": "z", "output": "/o.mp3", "files": ["/a.mp3"], "status": "exploded"}]})",
         1},
    };
    for (const auto& [text, count] : damaged) {
        writeFile(path, text);
        problem.clear();
        const auto entriesRead = loadQueueFile(path, &problem);
        EXPECT_EQ(entriesRead.size(), count) << text;
        EXPECT_NE(problem, "") << text;
    }
    // Sound options beyond their limits are brought within them; a file from
    // before they were kept joins the parts as they are.
    writeFile(path, R"({"jobs": [{"name": "s", "output": "/o.mp3", "files": ["/a.mp3"],
                                  "options": {"sound": {"loudness": "louder", "targetLufs": 99, "gapSeconds": -3}}},
                                 {"name": "t", "output": "/o.mp3", "files": ["/a.mp3"], "options": {}}]})");
    const auto bounded = loadQueueFile(path);
    ASSERT_EQ(bounded.size(), 2u);
    EXPECT_EQ(bounded[0].options.sound.loudness, LoudnessMode::keep);
    EXPECT_EQ(bounded[0].options.sound.targetLufs, kMaxTargetLufs);
    EXPECT_EQ(bounded[0].options.sound.gapSeconds, 0.0);
    EXPECT_EQ(bounded[1].options.sound, SoundOptions{});
    problem.clear();
    EXPECT_TRUE(loadQueueFile(dir + "/missing.json", &problem).empty());
    EXPECT_EQ(problem, "");
}
