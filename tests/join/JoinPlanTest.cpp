// The command plan of a join: argument lists, the list file and durations.
#include "join/JoinPlan.h"
#include "support/JoinTestSupport.h"

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
    const std::string out = "/some where/it's ünïcode/out put.mp3", w = freshDir("plan-awkward");
    const JoinPlan plan = buildJoinPlan({row("/in put/l'été.wav", 10.5, "Video")}, out, w);
    EXPECT_EQ(plan.commands, (std::vector<Args>{normalisation("/in put/l'été.wav", w + "/temp0.mp4"),
                                                concat(w + "/delete.txt", kMp3, out)}));
    EXPECT_EQ(plan.durations, (std::vector<double>{10.5, 10.5}));
    EXPECT_EQ(readFile(w + "/delete.txt"), "file '" + w + "/temp0.mp4'\n");
}

TEST(JoinPlan, ElevenRowsThenAnEmptyList)
{
    const std::string w = freshDir("plan-eleven");
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
    const JoinPlan plan = buildJoinPlan(rows, "/out.mp4", w);
    EXPECT_EQ(plan.commands, commands);
    EXPECT_EQ(plan.durations, durations);
    EXPECT_EQ(readFile(w + "/delete.txt"), list);

    const JoinPlan empty = buildJoinPlan({}, "/out.mp4", w);
    EXPECT_EQ(empty.commands, std::vector<Args>{commands.back()});
    EXPECT_EQ(empty.durations, std::vector<double>{0.0});
    EXPECT_EQ(QFileInfo(QString::fromStdString(w + "/delete.txt")).size(), 0);
}
