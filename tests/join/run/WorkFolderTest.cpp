// The run folders of joins: private, one per join, gone when the join ends,
// swept after a crash only when no live process holds them, and never in a
// folder someone else planted or in the file-system root.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include "foundation/FileSystem.h"
#include "join/run/WorkFolder.h"
#include "support/JoinTestSupport.h"

using namespace jointest;

namespace {

bool isPrivateFolder(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 0777) == 0700;
}

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

const std::string kUid = std::to_string(::getuid());

}  // namespace

TEST(WorkFolder, EachRunHasAPrivateFolderThatGoesWhenItEnds)
{
    auto first = RunFolder::create(), second = RunFolder::create();
    ASSERT_TRUE(first && second);
    const std::string userDir = *userTemporaryDirectory();
    EXPECT_EQ(userDir, tmpDir() + "/velmora-" + kUid + "/");
    EXPECT_NE(first->path(), second->path());
    for (const auto* run : {first.get(), second.get()}) {
        EXPECT_EQ(run->path().rfind(userDir + "run-", 0), 0u) << run->path();
        EXPECT_TRUE(isPrivateFolder(run->path()) && isPrivateFolder(run->workDirectory())) << run->path();
        EXPECT_EQ(run->workDirectory(), run->path() + "/delete");
    }
    const std::string gone = first->path();
    first.reset();
    EXPECT_FALSE(exists(gone));
    EXPECT_TRUE(exists(second->workDirectory()));
}

TEST(WorkFolder, LeftoversGoOnlyWhenNoLiveProcessHoldsTheirLock)
{
    const std::string userDir = *userTemporaryDirectory();
    const auto live = RunFolder::create();
    ASSERT_TRUE(live);
    // A crashed run's folder (its lock free) and one that crashed before it had a lock.
    for (const std::string name : {"run-crashed", "run-nolock"}) {
        ASSERT_EQ(::mkdir((userDir + name).c_str(), 0700), 0);
        ASSERT_EQ(::mkdir((userDir + name + "/delete").c_str(), 0700), 0);
        writeFile(userDir + name + "/delete/temp0.mp4", "x");
    }
    writeFile(userDir + "run-crashed/lock", "");
    // Another process holds this one: a join running in another program.
    ASSERT_EQ(::mkdir((userDir + "run-other").c_str(), 0700), 0);
    writeFile(userDir + "run-other/lock", "");
    ChildProcess holder("/usr/bin/flock", {userDir + "run-other/lock", "sleep", "30"});
    ASSERT_TRUE(holder.start());
    const auto held = [&] { return runCommand("/usr/bin/flock", {"-n", userDir + "run-other/lock", "true"}).exitCode; };
    ASSERT_TRUE(pollUntil([&] { return held() != 0; }, std::chrono::seconds(5)));
    const auto next = RunFolder::create();
    ASSERT_TRUE(next);
    EXPECT_FALSE(exists(userDir + "run-crashed") || exists(userDir + "run-nolock"));
    EXPECT_TRUE(exists(live->workDirectory()) && exists(userDir + "run-other/lock"));
    holder.terminate();
    holder.waitForExit();
    removeRecursively(userDir + "run-other");
}

TEST(WorkFolder, TemporaryFolderFallsBackToTmpNeverTheRoot)
{
    const std::string good = freshDir("tmp-good"), file = freshDir("tmp-file") + "/plain";
    writeFile(file, "x");
    // TMPDIR (absent: unset), the folder used.
    const std::vector<std::pair<std::optional<std::string>, std::string>> cases{
        {good, good}, {good + "//", good}, {std::nullopt, "/tmp"}, {"", "/tmp"}, {good + "/missing", "/tmp"},
        {file, "/tmp"}, {"/", "/tmp"}, {"relative/tmp", "/tmp"}};
    for (const auto& [tmp, used] : cases) {
        tmp ? ::setenv("TMPDIR", tmp->c_str(), 1) : ::unsetenv("TMPDIR");
        EXPECT_EQ(systemTemporaryDirectory(), used) << tmp.value_or("(unset)");
    }
    // A run under a TMPDIR that is gone works in /tmp, and leaves nothing there.
    ::setenv("TMPDIR", (good + "/missing").c_str(), 1);
    std::string path;
    {
        const auto run = RunFolder::create();
        ASSERT_TRUE(run);
        path = run->path();
        EXPECT_EQ(path.rfind("/tmp/velmora-" + kUid + "/run-", 0), 0u) << path;
    }
    EXPECT_FALSE(exists(path));
    ::setenv("TMPDIR", tmpDir().c_str(), 1);
}

TEST(WorkFolder, APlantedLinkIsNeverUsedAndTheStandInGoesToo)
{
    const std::string planted = freshDir("tmp-planted"), target = freshDir("planted-target");
    ASSERT_EQ(::symlink(target.c_str(), (planted + "/velmora-" + kUid).c_str()), 0);
    ::setenv("TMPDIR", planted.c_str(), 1);
    EXPECT_FALSE(userTemporaryDirectory());
    std::string path;
    {
        const auto run = RunFolder::create();
        ASSERT_TRUE(run);
        path = run->path();
        EXPECT_EQ(path.rfind(planted + "/velmora-" + kUid + "-", 0), 0u) << path;
        EXPECT_TRUE(isPrivateFolder(path) && isPrivateFolder(run->workDirectory()));
    }
    ::setenv("TMPDIR", tmpDir().c_str(), 1);
    EXPECT_FALSE(exists(path));
    EXPECT_TRUE(QDir(QString::fromStdString(target)).isEmpty());
}
