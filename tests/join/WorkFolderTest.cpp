// The work folder of a join: private, replaced by the next join, and never a
// folder someone else planted.
#include <sys/stat.h>

#include "join/JoinPlan.h"
#include "join/WorkFolder.h"
#include "support/JoinTestSupport.h"

using namespace jointest;

namespace {
FileRow at(const std::string& path) { return row(path, 1); }
}  // namespace

TEST(WorkFolder, SecondJoinRemovesTheFirstOnesWork)
{
    buildJoinPlan({at("/a"), at("/b"), at("/c")}, "/out.mp3");
    const std::string w = workDirectory();
    QDir().mkpath(QString::fromStdString(w + "/sub"));
    buildJoinPlan({at("/d")}, "/out.mp3");
    EXPECT_EQ(QDir(QString::fromStdString(w)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("delete.txt")});
}

TEST(WorkFolder, TemporaryFolderWithAnApostropheOrAPlantedLink)
{
    const std::string uid = std::to_string(::getuid()), odd = scratchDir() + "/it's tmp ü";
    const std::string linked = freshDir("tmp-linked"), target = freshDir("link-target");
    ASSERT_EQ(::symlink(target.c_str(), (linked + "/velmora-" + uid).c_str()), 0);
    for (const std::string& tmp : {odd, linked}) {
        QDir().mkpath(QString::fromStdString(tmp));
        ::setenv("TMPDIR", tmp.c_str(), 1);
        buildJoinPlan({at("/a"), at("/b")}, "/out.mp3");
        const std::string dir = userTemporaryDirectory();
        ::setenv("TMPDIR", tmpDir().c_str(), 1);
        struct stat st {};
        ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 0777) == 0700) << dir;
        const std::string quoted = tmp == odd ? scratchDir() + "/it'\\''s tmp ü/velmora-" + uid + "/delete" : dir + "delete";
        EXPECT_EQ(readFile(dir + "delete/delete.txt"), "file '" + quoted + "/temp0.wav'\nfile '" + quoted + "/temp1.wav'\n");
    }
    EXPECT_TRUE(QDir(QString::fromStdString(target)).isEmpty());
}
