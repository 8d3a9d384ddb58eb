// File-system calls on names as bytes: atomic writes, removing trees without
// following links, and names that are not UTF-8.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "foundation/FileSystem.h"
#include "foundation/Paths.h"
#include "support/TestSupport.h"

using namespace velmora;

namespace {

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

size_t entryCount(const std::string& dir)
{
    return static_cast<size_t>(std::stoul(
        testsupport::runCommand("/bin/sh", {"-c", "ls -A \"$0\" | wc -l", dir}).out));
}

}  // namespace

TEST(FileSystem, AtomicWritesKeepEveryByteOfTheName)
{
    const std::string dir = testsupport::freshDir("fs-write"), odd = dir + "/bad\xff name.txt";
    std::string failure;
    for (const std::string& text : {std::string("first\n"), std::string("second, longer\n"), std::string()}) {
        EXPECT_TRUE(writeFileAtomically(odd, text, &failure)) << failure;
        EXPECT_EQ(testsupport::readFile(odd), text);
    }
    EXPECT_EQ(entryCount(dir), 1u);  // no temporary file left beside it
    EXPECT_FALSE(writeFileAtomically(dir + "/missing/x.txt", "x", &failure));
    EXPECT_EQ(failure, "No such file or directory");
    EXPECT_EQ(entryCount(dir), 1u);

    EXPECT_EQ(fileUrlText("/m/bad\xff name.mp3"), "file:///m/bad%FF%20name.mp3");
    const std::string before = currentDirectory();
    ASSERT_EQ(::chdir(dir.c_str()), 0);
    EXPECT_EQ(absolutePath("bad\xff name.txt"), odd);
    EXPECT_EQ(currentDirectory(), dir);
    EXPECT_EQ(::chdir(before.c_str()), 0);
}

TEST(FileSystem, RemovingATreeNeverFollowsItsLinks)
{
    const std::string dir = testsupport::freshDir("fs-remove"), outside = testsupport::freshDir("fs-outside");
    testsupport::writeFile(outside + "/keep.txt", "keep");
    const std::string tree = dir + "/tree\xfe";
    ASSERT_EQ(::mkdir(tree.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((tree + "/sub").c_str(), 0700), 0);
    testsupport::writeFile(tree + "/sub/deeper.txt", "x");
    ASSERT_EQ(::symlink(outside.c_str(), (tree + "/link").c_str()), 0);
    testsupport::writeFile(tree + "/a\xff.mp4", "x");
    EXPECT_TRUE(removeRecursively(tree));
    EXPECT_FALSE(exists(tree));
    EXPECT_EQ(testsupport::readFile(outside + "/keep.txt"), "keep");
    EXPECT_TRUE(removeRecursively(tree));  // nothing there: nothing to do
    EXPECT_TRUE(isOwnDirectory(outside));
    EXPECT_FALSE(isOwnDirectory(outside + "/keep.txt"));
}
