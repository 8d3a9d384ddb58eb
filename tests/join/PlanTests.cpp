// The command plan of a join: argument lists, the list file, durations and
// the work folder.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "JoinTestSupport.h"
#include "join/JoinPlan.h"
#include "join/OutputRule.h"

using namespace velmora;
using jointest::row;
using Args = std::vector<std::string>;

namespace {

const Args kTail{"-c:v", "libx264", "-vf", "scale=640:480,setsar=1:1", "-r", "24", "-ac", "2", "-c:a", "aac",
                 "-ar", "48000", "-y"};

Args expectedNormalisation(const std::string& input, bool proRes, const std::string& intermediate)
{
    Args args{"-i", input};
    if (proRes)
        args.insert(args.end(), {"-pix_fmt", "yuv420p"});
    args.insert(args.end(), {"-map", "0:V:0?", "-map", "0:a:0?"});
    args.insert(args.end(), kTail.begin(), kTail.end());
    args.push_back(intermediate);
    return args;
}

// Runs the body with the temporary folder pointed at `dir`.
template <typename F>
void withTemporaryDirectory(const std::string& dir, F body)
{
    const std::string saved = jointest::testTemporaryDirectory();
    QDir().mkpath(QString::fromStdString(dir));
    ::setenv("TMPDIR", dir.c_str(), 1);
    body();
    ::setenv("TMPDIR", saved.c_str(), 1);
}

}  // namespace

TEST(OutputRule, MediaTypesDecideTheExtension)
{
    EXPECT_EQ(outputExtension({}), ".mp4");
    EXPECT_EQ(outputExtension({row("/a", 1), row("/b", 1), row("/c", 1)}), ".mp3");
    EXPECT_EQ(outputExtension({row("/a", 1, "Video"), row("/b", 1, "Video")}), ".mp4");
    EXPECT_EQ(outputExtension({row("/a", 1, "Audio & Video")}), ".mp4");
    EXPECT_EQ(outputExtension({row("/a", 1, "Video"), row("/b", 1, "Audio & Video")}), ".ext");
    EXPECT_EQ(outputExtension({row("/a", 1, "Audio"), row("/b", 1, "Unknown")}), ".ext");
    EXPECT_EQ(outputExtension({row("/a", 1, "Unknown")}), ".ext");
    EXPECT_EQ(outputExtension({row("/a", 1, "audio")}), ".ext");
}

TEST(JoinPlan, WorkFolderIsAPrivateFolderInTheTemporaryFolder)
{
    const std::string base = jointest::testTemporaryDirectory() + "/velmora-" + std::to_string(::getuid());
    EXPECT_EQ(workDirectory(), base + "/delete");
    struct stat st {};
    ASSERT_EQ(::lstat(base.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(JoinPlan, ForeignOrLinkedTemporaryFolderIsNotUsed)
{
    const std::string uid = std::to_string(::getuid());
    // A symbolic link planted where our folder belongs.
    const std::string linked = testsupport::freshDir("tmp-linked");
    const std::string target = testsupport::freshDir("link-target");
    testsupport::writeFile(target + "/keep", "x");
    ASSERT_EQ(::symlink(target.c_str(), (linked + "/velmora-" + uid).c_str()), 0);
    withTemporaryDirectory(linked, [&] {
        const std::string dir = userTemporaryDirectory();
        EXPECT_EQ(dir.find(linked + "/velmora-" + uid + "/"), std::string::npos) << dir;
        buildJoinPlan({row("/in.wav", 1)}, "/out.mp3");
        struct stat st {};
        ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_uid, ::getuid());
        EXPECT_EQ(st.st_mode & 077, 0u);
    });
    EXPECT_TRUE(QFile::exists(QString::fromStdString(target + "/keep")));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(target + "/delete")));

    // A folder of someone else's (only root can make one for the test).
    if (::getuid() == 0) {
        const std::string foreign = testsupport::freshDir("tmp-foreign");
        const std::string theirs = foreign + "/velmora-0";
        ASSERT_EQ(::mkdir(theirs.c_str(), 0777), 0);
        ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
        withTemporaryDirectory(foreign, [&] {
            EXPECT_EQ(userTemporaryDirectory().find(theirs + "/"), std::string::npos);
        });
    }
}

TEST(JoinPlan, NormalisationArguments)
{
    const FileRow plain = row("/media/in.wav", 2);
    EXPECT_EQ(normalisationCommand(plain, "/w/temp0.mp4"), expectedNormalisation("/media/in.wav", false, "/w/temp0.mp4"));
    EXPECT_EQ(normalisationCommand(plain, "/w/temp0.mp4").size(), 20u);

    const FileRow proRes = row("/media/in.mov", 2, "Audio & Video", true);
    const Args args = normalisationCommand(proRes, "/w/temp3.mp4");
    EXPECT_EQ(args, expectedNormalisation("/media/in.mov", true, "/w/temp3.mp4"));
    EXPECT_EQ(args[2], "-pix_fmt");
    EXPECT_EQ(args[3], "yuv420p");
    EXPECT_EQ(args.size(), 22u);

    // Audio and video rows get the same arguments.
    EXPECT_EQ(normalisationCommand(row("/x", 1, "Audio"), "/t"), normalisationCommand(row("/x", 1, "Video"), "/t"));
}

TEST(JoinPlan, ConcatArgumentsFollowTheOutputContainer)
{
    const Args head{"-auto_convert", "1", "-f", "concat", "-safe", "0", "-i", "/w/delete.txt"};
    auto with = [&](Args middle, const std::string& out) {
        Args args = head;
        args.insert(args.end(), middle.begin(), middle.end());
        args.insert(args.end(), {"-y", out});
        return args;
    };
    EXPECT_EQ(concatCommand("/w/delete.txt", "/o/joined.mp4"), with({"-c", "copy"}, "/o/joined.mp4"));
    EXPECT_EQ(concatCommand("/w/delete.txt", "/o/a.M4A"), with({"-c", "copy"}, "/o/a.M4A"));
    EXPECT_EQ(concatCommand("/w/delete.txt", "/o/a.m4v"), with({"-c", "copy"}, "/o/a.m4v"));
    EXPECT_EQ(concatCommand("/w/delete.txt", "/o/a.MOV"), with({"-c", "copy"}, "/o/a.MOV"));
    EXPECT_EQ(concatCommand("/w/delete.txt", "/o/joined.mp3"),
              with({"-vn", "-c:a", "libmp3lame", "-q:a", "2"}, "/o/joined.mp3"));
    EXPECT_EQ(concatCommand("/w/delete.txt", "/o/joined.Mp3"),
              with({"-vn", "-c:a", "libmp3lame", "-q:a", "2"}, "/o/joined.Mp3"));
    EXPECT_EQ(concatCommand("/w/delete.txt", "/o/a.wav"), with({}, "/o/a.wav"));
    EXPECT_EQ(concatCommand("/w/delete.txt", "/o.mp4/noext"), with({}, "/o.mp4/noext"));
}

TEST(JoinPlan, OneRowPlan)
{
    jointest::DiagnosticRecorder diagnostics;
    const std::string out = "/some where/it's ünïcode/out put.mp3";
    const FileRow r = row("/in put/l'été.wav", 10.5);
    const JoinPlan plan = buildJoinPlan({r}, out);
    const std::string w = workDirectory();
    ASSERT_EQ(plan.commands.size(), 2u);
    EXPECT_EQ(plan.commands[0], expectedNormalisation("/in put/l'été.wav", false, w + "/temp0.mp4"));
    EXPECT_EQ(plan.commands[1], concatCommand(w + "/delete.txt", out));
    EXPECT_EQ(plan.commands[1].back(), out);
    EXPECT_EQ(plan.durations, (std::vector<double>{10.5, 10.5}));
    EXPECT_EQ(testsupport::readFile(w + "/delete.txt"), "file '" + w + "/temp0.mp4'\n");
    // The work folder, then the whole plan, as diagnostic lines.
    const auto lines = diagnostics.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], w);
    EXPECT_NE(lines[1].find("temp0.mp4"), std::string::npos);
    EXPECT_NE(lines[1].find("-auto_convert"), std::string::npos);
}

TEST(JoinPlan, ElevenRowsAndDurations)
{
    std::vector<FileRow> rows;
    for (int i = 0; i < 11; ++i)
        rows.push_back(row("/in/" + std::to_string(i) + ".wav", i == 0 ? 10.5 : (i == 1 ? 20.25 : 1.0)));
    const JoinPlan plan = buildJoinPlan(rows, "/out.mp3");
    const std::string w = workDirectory();
    ASSERT_EQ(plan.commands.size(), 12u);
    std::string expectedList;
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(plan.commands[i].back(), w + "/temp" + std::to_string(i) + ".mp4");
        EXPECT_EQ(plan.commands[i][1], "/in/" + std::to_string(i) + ".wav");
        expectedList += "file '" + w + "/temp" + std::to_string(i) + ".mp4'\n";
    }
    EXPECT_EQ(testsupport::readFile(w + "/delete.txt"), expectedList);
    ASSERT_EQ(plan.durations.size(), 12u);
    EXPECT_EQ(plan.durations[0], 10.5);
    EXPECT_EQ(plan.durations[1], 20.25);
    EXPECT_EQ(plan.durations[11], 10.5 + 20.25 + 9.0);

    const JoinPlan two = buildJoinPlan({row("/a", 10.5), row("/b", 20.25)}, "/out.mp3");
    EXPECT_EQ(two.durations, (std::vector<double>{10.5, 20.25, 30.75}));
}

TEST(JoinPlan, EmptyListGivesTheConcatAlone)
{
    const JoinPlan plan = buildJoinPlan({}, "/out.mp4");
    ASSERT_EQ(plan.commands.size(), 1u);
    EXPECT_EQ(plan.commands[0], concatCommand(workDirectory() + "/delete.txt", "/out.mp4"));
    EXPECT_EQ(plan.durations, std::vector<double>{0.0});
    const QFileInfo list(QString::fromStdString(workDirectory() + "/delete.txt"));
    EXPECT_TRUE(list.exists());
    EXPECT_EQ(list.size(), 0);
}

TEST(JoinPlan, SecondJoinRemovesTheFirstOnesFiles)
{
    buildJoinPlan({row("/a", 1), row("/b", 1), row("/c", 1)}, "/out.mp3");
    const std::string w = workDirectory();
    testsupport::writeFile(w + "/temp0.mp4", "old");
    testsupport::writeFile(w + "/temp2.mp4", "old");
    QDir().mkpath(QString::fromStdString(w + "/sub"));
    buildJoinPlan({row("/d", 1)}, "/out.mp3");
    const QStringList left = QDir(QString::fromStdString(w)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    EXPECT_EQ(left, QStringList{QStringLiteral("delete.txt")});
    EXPECT_EQ(testsupport::readFile(w + "/delete.txt"), "file '" + w + "/temp0.mp4'\n");
}

TEST(JoinPlan, ListFileQuotesApostrophesInItsPaths)
{
    EXPECT_EQ(concatListQuoted("/a/b c.mp4"), "'/a/b c.mp4'");
    EXPECT_EQ(concatListQuoted("/it's/x.mp4"), "'/it'\\''s/x.mp4'");
    const std::string odd = testsupport::scratchDir() + "/it's tmp ü";
    withTemporaryDirectory(odd, [&] {
        buildJoinPlan({row("/a", 1), row("/b", 1)}, "/out.mp3");
        const std::string w = odd + "/velmora-" + std::to_string(::getuid()) + "/delete";
        const std::string quoted = testsupport::scratchDir() + "/it'\\''s tmp ü/velmora-" +
                                   std::to_string(::getuid()) + "/delete";
        EXPECT_EQ(testsupport::readFile(w + "/delete.txt"),
                  "file '" + quoted + "/temp0.mp4'\nfile '" + quoted + "/temp1.mp4'\n");
    });
}

TEST(JoinPlan, WorkFolderInThePlaceOfAFileIsReplaced)
{
    buildJoinPlan({}, "/out.mp4");
    const std::string w = workDirectory();
    QDir(QString::fromStdString(w)).removeRecursively();
    testsupport::writeFile(w, "a file where the folder belongs");
    buildJoinPlan({row("/a", 1)}, "/out.mp3");
    EXPECT_EQ(testsupport::readFile(w + "/delete.txt"), "file '" + w + "/temp0.mp4'\n");
}
