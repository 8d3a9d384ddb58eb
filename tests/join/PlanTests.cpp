// The command plan of a join (output extension, argument lists, the list
// file, durations, the work folder) and the progress read from the encoder.
#include <sys/stat.h>

#include <cmath>

#include "JoinTestSupport.h"
#include "join/JoinPlan.h"
#include "join/ToolRunner.h"

using namespace jointest;
using Args = std::vector<std::string>;

namespace {

Args normalisation(const std::string& input, const std::string& intermediate)
{
    return {"-i", input, "-map", "0:V:0?", "-map", "0:a:0?", "-c:v", "libx264", "-vf", "scale=640:480,setsar=1:1",
            "-r", "24", "-ac", "2", "-c:a", "aac", "-ar", "48000", "-y", intermediate};
}

Args concat(const std::string& list, Args middle, const std::string& out)
{
    middle.insert(middle.begin(), {"-auto_convert", "1", "-f", "concat", "-safe", "0", "-i", list});
    middle.insert(middle.end(), {"-y", out});
    return middle;
}

const Args kMp3{"-vn", "-c:a", "libmp3lame", "-q:a", "2"}, kCopy{"-c", "copy"};

}  // namespace

TEST(JoinPlan, ConcatArgumentsFollowTheOutputContainer)
{
    for (const auto& [out, middle] : std::vector<std::pair<std::string, Args>>{
             {"/o/a.mp4", kCopy}, {"/o/a.M4A", kCopy}, {"/o/a.m4v", kCopy}, {"/o/a.MOV", kCopy}, {"/o/a.mp3", kMp3},
             {"/o/a.Mp3", kMp3}, {"/o/a.wav", {}}, {"/o.mp4/noext", {}}})
        EXPECT_EQ(concatCommand("/w/delete.txt", out), concat("/w/delete.txt", middle, out));
}

TEST(JoinPlan, ProResRowAndAwkwardPaths)
{
    EXPECT_EQ(normalisationCommand(row("/m/in.mov", 2, "Audio & Video", true), "/w/temp3.mp4"),
              (Args{"-i", "/m/in.mov", "-pix_fmt", "yuv420p", "-map", "0:V:0?", "-map", "0:a:0?", "-c:v", "libx264",
                    "-vf", "scale=640:480,setsar=1:1", "-r", "24", "-ac", "2", "-c:a", "aac", "-ar", "48000", "-y",
                    "/w/temp3.mp4"}));
    const std::string out = "/some where/it's ünïcode/out put.mp3";
    const JoinPlan plan = buildJoinPlan({row("/in put/l'été.wav", 10.5, "Video")}, out);
    const std::string w = workDirectory();
    EXPECT_EQ(plan.commands, (std::vector<Args>{normalisation("/in put/l'été.wav", w + "/temp0.mp4"),
                                                concat(w + "/delete.txt", kMp3, out)}));
    EXPECT_EQ(plan.durations, (std::vector<double>{10.5, 10.5}));
    EXPECT_EQ(readFile(w + "/delete.txt"), "file '" + w + "/temp0.mp4'\n");
}

TEST(JoinPlan, ElevenRowsThenAnEmptyList)
{
    const std::string w = tmpDir() + "/velmora-" + std::to_string(::getuid()) + "/delete";
    std::vector<FileRow> rows;
    std::vector<Args> commands;
    std::vector<double> durations{10.5, 20.25, 1, 1, 1, 1, 1, 1, 1, 1, 1, 10.5 + 20.25 + 9};
    std::string list;
    for (size_t i = 0; i < 11; ++i) {
        rows.push_back(row("/in/" + std::to_string(i) + ".wav", durations[i]));
        commands.push_back(normalisation(rows[i].filePath, w + "/temp" + std::to_string(i) + ".mp4"));
        list += "file '" + commands[i].back() + "'\n";
    }
    commands.push_back(concat(w + "/delete.txt", kCopy, "/out.mp4"));
    const JoinPlan plan = buildJoinPlan(rows, "/out.mp4");
    EXPECT_EQ(plan.commands, commands);
    EXPECT_EQ(plan.durations, durations);
    EXPECT_EQ(readFile(w + "/delete.txt"), list);

    const JoinPlan empty = buildJoinPlan({}, "/out.mp4");
    EXPECT_EQ(empty.commands, std::vector<Args>{commands.back()});
    EXPECT_EQ(empty.durations, std::vector<double>{0.0});
    EXPECT_EQ(QFileInfo(QString::fromStdString(w + "/delete.txt")).size(), 0);
}

TEST(JoinPlan, SecondJoinRemovesTheFirstOnesWork)
{
    buildJoinPlan({row("/a", 1), row("/b", 1), row("/c", 1)}, "/out.mp3");
    const std::string w = workDirectory();
    QDir().mkpath(QString::fromStdString(w + "/sub"));
    buildJoinPlan({row("/d", 1)}, "/out.mp3");
    EXPECT_EQ(QDir(QString::fromStdString(w)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("delete.txt")});
}

TEST(JoinPlan, TemporaryFolderWithAnApostropheOrAPlantedLink)
{
    const std::string uid = std::to_string(::getuid()), odd = scratchDir() + "/it's tmp ü";
    const std::string linked = freshDir("tmp-linked"), target = freshDir("link-target");
    ASSERT_EQ(::symlink(target.c_str(), (linked + "/velmora-" + uid).c_str()), 0);
    for (const std::string& tmp : {odd, linked}) {
        QDir().mkpath(QString::fromStdString(tmp));
        ::setenv("TMPDIR", tmp.c_str(), 1);
        buildJoinPlan({row("/a", 1), row("/b", 1)}, "/out.mp3");
        const std::string dir = userTemporaryDirectory();
        ::setenv("TMPDIR", tmpDir().c_str(), 1);
        struct stat st {};
        ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 0777) == 0700) << dir;
        const std::string quoted = tmp == odd ? scratchDir() + "/it'\\''s tmp ü/velmora-" + uid + "/delete" : dir + "delete";
        EXPECT_EQ(readFile(dir + "delete/delete.txt"), "file '" + quoted + "/temp0.mp4'\nfile '" + quoted + "/temp1.mp4'\n");
    }
    EXPECT_TRUE(QDir(QString::fromStdString(target)).isEmpty());
}

TEST(Progress, PercentFromAChunk)
{
    // Three rows and the concat: command 1 at 30 s of 120 s gives 31.25.
    const std::vector<double> durations{60.0, 120.0, 30.0, 210.0};
    const std::vector<std::tuple<std::string, size_t, std::optional<double>>> cases{
        {"frame=1 size=1kB time=00:00:30.00 bitrate=1", 1, 31.25},
        {"time=01:10:00.00", 3, 75.0 + 4200.0 / 210.0 * 25.0},  // past the expected end: passed on
        // The first timestamp of a chunk with "time=" counts, wherever it stands.
        {"Duration: 00:05:00.00, start\ntime=00:00:01.00", 3, 75.0 + 300.0 / 210.0 * 100.0 / 4.0},
        {"Duration: 00:00:05.00", 0, std::nullopt},
        {"time=N/A bitrate=N/A", 0, std::nullopt},
        {"time=00:00:05,00", 0, std::nullopt},
        {"time=00:00:30.00 \xff\xfe", 0, std::nullopt},  // not UTF-8
        {"time=00:00:30.00 \xc3", 0, std::nullopt},      // a cut sequence
        {"time=00:00:30.00 \xc3\xa9", 0, 12.5}};
    for (const auto& [chunk, index, percent] : cases)
        EXPECT_EQ(progressFromChunk(chunk, index, 4, durations), percent) << chunk;
    EXPECT_EQ(progressFromChunk("time=00:00:01.00", 0, 2, {0.0, 0.0}), INFINITY);  // a row without duration
}
